#pragma once

#include <windows.h>

#include <util/drawdc.h>
#include <util/export.h>
#include <util/geometry.h>
#include <util/kxmsg.h>
#include <util/wnd.h>

// Orientations of CKxScrollBar.
enum : int {
    KXSB_VERT = 0,
    KXSB_HORZ = 1,
};

// The library's self-drawn scroll bar, of class "KXScrollBar", used as the external ("buddy") bar of
// another window. It keeps a scroll-information record, draws itself from its colours and reports
// what the user does to its buddy as WM_VSCROLL or WM_HSCROLL (code in the low word, the position cut
// to 16 bits in the high word, the bar's handle in lParam); a buddy that scrolls past 65,535 reads the
// whole position back with GetScrollInfo or WM_KX_GETSCROLLINFO. The bar never moves its buddy's
// content itself.
//
// Vertical bars also take the mouse wheel for their buddy: a mouse hook of the thread that set the
// first buddy routes wheel turns over the buddy (or any window inside it) to the bar, which scrolls by
// the system's wheel-line count. The hook and its tables belong to that thread; the hook goes when the
// thread's last vertical bar is destroyed.
//
// Positions run from 0 to the limit GetScrollLimit() = maximum - page - minimum + 1.
class UTIL_API CKxScrollBar : public CWnd {
public:
    CKxScrollBar();
    ~CKxScrollBar() override;

    // Registers "KXScrollBar" in the library's module once; throws CResourceException on failure.
    static void RegisterWindowClass();

    using CWnd::Create;
    // A child bar of the given orientation (KXSB_VERT or KXSB_HORZ); 0 without a parent.
    BOOL Create(int orientation, const RECT& rect, CWnd* parent, UINT id);
    // Returns the previous orientation; nothing is repainted.
    int ModifyKXStyle(int orientation);
    int GetKXStyle() const { return m_nStyle; }

    // Sends the buddy WM_KX_SCROLLBUDDY and, for a vertical bar, routes the buddy's wheel turns to this
    // bar (a buddy set before is forgotten). Returns the buddy, null for a null window.
    CWnd* SetBuddy(CWnd* buddy);
    // The buddy, or null when it is no longer a window.
    CWnd* GetBuddy() const;

    // The record is taken whole (its mask is not read); a vertical bar pulls a position whose page
    // runs past the maximum back. 1, or 0 for a null record.
    BOOL SetScrollInfo(const SCROLLINFO* info, BOOL redraw = TRUE);
    // The stored record with the current position (also in nTrackPos); the mask is not read.
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int GetScrollPos() const { return m_nPos; }
    // Stores the position; returns 0.
    int SetScrollPos(int position, BOOL redraw = TRUE);
    void GetScrollRange(int* minimum, int* maximum) const;
    void SetScrollRange(int minimum, int maximum, BOOL redraw = TRUE);
    int GetScrollLimit() const;
    // Kept for callers of the platform's bar: they change nothing.
    void ShowScrollBar(BOOL show = TRUE);
    BOOL EnableScrollBar(UINT arrowFlags = ESB_ENABLE_BOTH);

    // Bar background and thumb fill; bar lines, thumb outline and grip; arrow glyphs.
    void SetScorllBarBkColor(COLORREF colour);
    void SetScorllBarBorderColor(COLORREF colour);
    void SetTriangleBorderColor(COLORREF colour);
    // Stored only: no painting reads these two.
    void SetBarBkColor(COLORREF colour);
    void SetBarBorderColor(COLORREF colour);

protected:
    // Recomputes the geometry and paints the off-screen image; with force, copies it to dc (a device
    // context of the window when null). Nothing without a window, or without force when hidden.
    virtual void ReDraw(CDC* dc, BOOL force);
    virtual void DrawBar(CDC* dc);
    virtual void DrawTriangle(CDC* dc);
    // Background, then DrawBorder and DrawTriangle.
    virtual void DrawBk(CDC* dc);
    virtual void DrawBorder(CDC* dc);

    // Sends the buddy the scroll message when the range is scrollable; the buddy's answer, else 0.
    LRESULT NotifyWnd(int position, int code);
    static LRESULT CALLBACK ScrollBarInputFilter(int code, WPARAM wParam, LPARAM lParam);

    void InitMemBmp(CDC* dc);
    // Arrows, thumb and page areas from the client rectangle and the record; false for an invalid range.
    BOOL CalcAllRect();
    // Mode 0: thumb from position; mode 1: position from the thumb (during a drag).
    BOOL CalcBar(int mode);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    void OnCaptureChanged(CWnd* wnd) override;
    LRESULT OnMouseWheelRouted(WPARAM mouseData, LPARAM screenPoint);

    CKxDrawDC m_dcBar;
    CKxDrawDC m_dcThumb;
    int m_nThumbPos = 0;
    int m_nGrab = 0;
    BYTE m_bMinThumb = 0;
    HWND m_hBuddy = nullptr;
    int m_nStyle = KXSB_VERT;
    int m_nPos = 0;
    float m_fRatio = 0.0f;
    COLORREF m_crScrollBarBk = RGB(0, 0, 0);
    COLORREF m_crScrollBarBorder = RGB(192, 0, 0);
    COLORREF m_crTriangleBorder = RGB(192, 0, 0);
    COLORREF m_crBarBk = RGB(0, 0, 0);
    COLORREF m_crBarBorder = RGB(192, 0, 0);
    SCROLLINFO m_si{};
    CRect m_rcArrow1;
    CRect m_rcArrow2;
    CRect m_rcThumb;
    CRect m_rcPage1;
    CRect m_rcPage2;
    CPoint m_ptPress;
    BYTE m_bDragging = 0;
    BYTE m_bRepeating = 0;
    BYTE m_bArrow1Down = 0;
    BYTE m_bArrow2Down = 0;
    BYTE m_bPage1Down = 0;
    BYTE m_bPage2Down = 0;

private:
    enum Part { kNoPart, kArrow1, kArrow2, kPage1, kPage2 };

    bool IsVertical() const { return m_nStyle == KXSB_VERT; }
    // The range can be scrolled and drawn: maximum above minimum, page and position within it.
    bool RangeIsValid() const;
    int AlongAxis(POINT point) const { return IsVertical() ? point.y : point.x; }
    Part HeldPart() const;
    const CRect* RectOf(Part part) const;
    Part PartAt(POINT point) const;
    void HoldPart(Part part);
    void ReleaseParts();
    // One step of a held part: at the press pages report the new position, while repeating the one
    // before the step.
    void StepPart(Part part, bool repeating);
    void Repaint();
    void StoreColour(COLORREF& member, COLORREF colour);
    void ForgetBuddy();

    CPoint m_ptLastMouse; // where the pointer was last seen, for the auto-repeat
};
