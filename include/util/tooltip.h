#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <util/basewnd.h>
#include <util/export.h>

// "No colour": a row takes the tooltip's background, a cell none of its own.
constexpr COLORREF KXTT_NOCOLOR = 0xFFFFFFFF;

// One cell of a rich tooltip: an icon, or a text in its own colour and font.
class UTIL_API CYToolTipCell {
public:
    HICON m_hIcon = nullptr; // when set, shown instead of the text
    std::wstring m_strText;
    COLORREF m_crText = 0;
    HFONT m_hFont = nullptr; // null: the tooltip's default font
    BYTE m_byReserved = 0;
    DWORD m_dwData = 0;    // reported to the click callback
    int m_nExtraWidth = 0; // added to the text width
    COLORREF m_crBk = KXTT_NOCOLOR;
    UINT m_nFormat = 0; // DT_* flags
};

// One row: cells left to right. Consecutive rows of one group share their column widths.
class UTIL_API CYToolTipRow {
public:
    BYTE m_byReserved = 0;
    std::vector<CYToolTipCell> m_vecCells;
    DWORD m_dwReserved = 0;
    DWORD m_dwData = 0; // reported to the click callback
    COLORREF m_crBk = KXTT_NOCOLOR;
    int m_nGroup = 0;
};

// What a rich tooltip shows.
class UTIL_API CYToolTipInfo {
public:
    BYTE m_byReserved = 0;
    std::vector<CYToolTipRow> m_vecRows;
    COLORREF m_crBk = 0;
    COLORREF m_crSel = RGB(0xFF, 0xFF, 0xFF);
};

// Handed to the click callback.
struct tagYHintLButtonDownParam {
    DWORD dwRowData;
    DWORD dwCellData; // 0 when no cell was hit
};

typedef void (*PFN_YHINTLBUTTONDOWN)(void* context, tagYHintLButtonDownParam* param);

// A pop-up that shows a small table: rows of icon or text cells with columns aligned per group, a
// highlighted row following the mouse, a click callback, a show delay and automatic hiding.
class UTIL_API CYToolTip : public CKxBaseWnd {
public:
    enum { MAX_ROWS = 100, MAX_CELLS = 100, MIN_ROW_HEIGHT = 18 };

    CYToolTip();
    ~CYToolTip() override;

    // A hidden pop-up of class "KXToolTip" owned by owner's window; non-zero on success.
    using CKxBaseWnd::Create;
    int Create(CWnd* owner);
    // Takes a copy of the rows and colours; information without rows is ignored.
    void SetToolTip(const CYToolTipInfo* info);
    // Shows the table after a short delay beside the screen point, offset by dx and dy.
    void Show(CPoint point, int dx, int dy);
    void Hide();
    BOOL IsVisible() const;
    // Hides the tooltip this long after it was asked for (see OnTimer); 0 stops it.
    void SetAutoCancel(long milliseconds);
    void SetOnLButtonDownFun(void* context, PFN_YHINTLBUTTONDOWN callback);
    // Highlights the row and keeps it highlighted while the mouse moves.
    void SetFixSel(int row);
    void SetUnFixSel();
    // Shows the tooltip even when the mouse has left the show point meanwhile.
    void SetOutterPaint(bool outterPaint);
    BOOL DestroyWindow() override;

protected:
    void OnPaint() override;
    void OnTimer(UINT_PTR id) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sizes and places the window; false (it stays hidden) without a window, or when the mouse has
    // left the show point and outer paint is off.
    bool RecalcLayout();
    // Draws the table into dc at the client area's coordinates (painting and WM_PRINTCLIENT).
    void Render(HDC dc);
    void MeasureColumns(HDC dc);
    int RowCount() const;
    int CellCount(int row) const;
    int RowAt(int y) const;
    // The cell of the row under x; -1 for none.
    int CellAt(int row, int x) const;
    CRect RowBand(int row) const;
    void InvalidateRow(int row);
    bool CursorOverWindow() const;

    std::vector<CYToolTipRow> m_rows;
    int m_widths[MAX_ROWS][MAX_CELLS] = {};
    int m_nRowHeight = MIN_ROW_HEIGHT;
    int m_nMaxRowWidth = 0;
    COLORREF m_crSel = RGB(0xFF, 0xFF, 0xFF);
    int m_nHighlight = -1;
    int m_nPressed = -1;
    CPoint m_ptShow;
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
    bool m_bFixSel = false;
    bool m_bOutterPaint = false;
    bool m_bLeftOnce = false;
    bool m_bTrackingLeave = false;
    PFN_YHINTLBUTTONDOWN m_pfnLButtonDown = nullptr;
    void* m_pCallbackContext = nullptr;
};
