#pragma once

#include <windows.h>

#include <vector>

#include <util/export.h>
#include <util/geometry.h>
#include <util/wnd.h>

// Orientations of CKXSplitter.
enum : int {
    KXSPLITTER_VERT = 1, // windows to the left and right of the bar
    KXSPLITTER_HORZ = 2, // windows above and below the bar
};

// Sides of a window bound to a CKXSplitter.
enum : int {
    KXSPLITTER_TOP = 1,
    KXSPLITTER_BOTTOM = 2,
    KXSPLITTER_LEFT = 3,
    KXSPLITTER_RIGHT = 4,
};

// A thin bar of class "KX_Splitter" between sibling windows of one parent. Dragging it (shown as an
// inverted line on the screen) moves it within limits that keep every bound window at least its
// minimum size; once the bar has moved, the bound windows' facing edges are moved to touch it.
class UTIL_API CKXSplitter : public CWnd {
public:
    CKXSplitter();
    ~CKXSplitter() override;

    using CWnd::Create;
    // Clears the bindings; 0 without a parent or when the window class cannot be registered.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, int orientation);

    // side: KXSPLITTER_TOP, _BOTTOM, _LEFT or _RIGHT; minimum in pixels.
    void BindWnd(CWnd* wnd, int side, int minimum);
    // Removes the first binding of the window.
    void UnbindWnd(CWnd* wnd);
    // Side 0 removes every binding, another side every binding of that side.
    void UnbindAllWnds(int side);
    // Sets the minimum of the window's first binding; ignored for a minimum of 0 or less.
    void SetMinLimit(CWnd* wnd, int minimum);
    // Moves the bound windows' facing edges to the bar.
    virtual void RecalcLayout();

    // Stored only; they show at the next paint or drag.
    void SetSplitterColor(COLORREF colour);
    void SetSplitterMovColor(COLORREF colour);
    void SetSplitterWidth(int width);

protected:
    struct Binding {
        HWND hWnd;
        int nSide;
        int nMinimum;
    };

    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnCaptureChanged(CWnd* wnd) override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnMove(int x, int y) override;

    // Width one-pixel lines in the bar colour, side by side from the client's left (or top) edge.
    void DrawBar(CDC& dc) const;
    bool IsVertical() const { return m_nOrientation == KXSPLITTER_VERT; }
    // The range the drag point may take, in the bar's client coordinates.
    void CalcActiveRect();
    CPoint ClampToActiveRect(CPoint point) const;
    // Inverts the drag line at a point of the bar's client area; a second call removes it.
    void InvertDragLine(CPoint point) const;
    // Moves the edge of a window's rectangle on the side that faces the bar; false for a side the
    // bar's orientation does not move.
    bool MoveFacingEdge(CRect& rect, int side, const CRect& bar) const;
    // The largest minimum of the bindings on a side.
    int LargestMinimum(int side) const;

    int m_nOrientation = KXSPLITTER_VERT;
    COLORREF m_crSplitter = RGB(255, 255, 255);
    COLORREF m_crMovLine = RGB(255, 255, 255);
    int m_nWidth = 1;
    std::vector<Binding> m_bindings;
    CRect m_rcActive;
    CPoint m_ptLast;
    bool m_bDragging = false;
};
