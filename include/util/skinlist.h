#pragma once

#include <windows.h>

#include <unordered_map>
#include <vector>

#include <util/export.h>
#include <util/gdi.h>
#include <util/listctrl.h>

// A header drawn in its own colours: a background, a one-pixel border at each item's right edge and
// the item texts in a small Tahoma.
class UTIL_API CSkinHeaderCtrl : public CHeaderCtrl {
public:
    CSkinHeaderCtrl();
    ~CSkinHeaderCtrl() override;

    void SetBkColor(COLORREF color);
    void SetBorderColor(COLORREF color);
    // DT_* flags added to the texts' single-line, centred, ellipsis format.
    void SetTextStyle(UINT style);

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void Draw(HDC dc, const RECT& client);
    void RepaintIfWindow();

    COLORREF m_crBk = RGB(174, 201, 222);
    COLORREF m_crBorder = RGB(160, 160, 164);
    UINT m_nTextStyle = 0;
    CFont m_font;
};

// A report list whose rows may carry their own colours, with alternate-row shading and its own
// selection colours, painted off-screen. In list style 1 the selection shown is the list's own row
// marks, set by clicks (Control adds, Shift marks a range from the anchor).
class UTIL_API CSkinListCtrl : public CListCtrl {
public:
    CSkinListCtrl();
    ~CSkinListCtrl() override;

    // Flat scroll bars with both arrows of both bars disabled.
    void Init();
    // Inserts the row and an unmarked entry for it in the row marks.
    int InsertItemEx(int row, const wchar_t* text);
    BOOL DeleteAllItemsEx();
    void SetItemColor(int row, COLORREF text, COLORREF background);
    void SetDepartColor(COLORREF color);
    void SetDepartBk(BOOL on) { m_bDepartBk = on; }
    // 0: selection from the platform's selected state; 1: from the row marks.
    void SetListStyle(int style) { m_nListStyle = style; }
    void SetHeadBkClr(COLORREF color) { m_header.SetBkColor(color); }
    void SetHeadBorderClr(COLORREF color) { m_header.SetBorderColor(color); }
    void SetHeadStyle(UINT style) { m_header.SetTextStyle(style); }
    // The row's mark in list style 1; false for a row without one.
    BOOL IsRowMarked(int row) const;

    static void EnableHighlighting(HWND list, int row, BOOL highlight);
    static BOOL IsRowSelected(HWND list, int row);
    static BOOL IsRowHighlighted(HWND list, int row) { return IsRowSelected(list, row); }

protected:
    struct RowColors {
        COLORREF text;
        COLORREF background;
    };
    struct RowMark {
        int row;
        BYTE marked;
    };

    void PreSubclassWindow() override;
    // A report list makes its header while it is created.
    int OnCreate(CREATESTRUCTW* cs) override;
    void AttachHeader();
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    // The item pre-paint of row colours, selection and shading.
    LRESULT OnItemPrePaint(NMLVCUSTOMDRAW* draw);
    // The row whose label contains the point, or -1.
    int RowAtLabel(CPoint point) const;
    void Mark(int row);
    void ClearMarks();

    CSkinHeaderCtrl m_header;
    std::unordered_map<int, RowColors> m_mapItemColor;
    COLORREF m_crSelBk = RGB(49, 106, 196);
    COLORREF m_crSelText = RGB(255, 255, 255);
    COLORREF m_crDepart = RGB(221, 221, 221);
    bool m_bDepartBk = true;
    int m_nListStyle = 0;
    std::vector<RowMark> m_arRowMark;
    int m_nAnchor = -1;
};
