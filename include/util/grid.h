#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <unordered_set>
#include <vector>

#include <util/basewnd.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/geometry.h>

// ---- grid style (CKxGrid::SetKxStyle) ----
constexpr DWORD GS_OWNHSCROLL = 0x01;     // own horizontal bar along the bottom (18 pixels)
constexpr DWORD GS_OWNVSCROLL = 0x02;     // own vertical bar along the right (16 pixels)
constexpr DWORD GS_CELLCALLBACK = 0x08;   // the parent supplies each visible cell (GN_CELLREQUEST)
constexpr DWORD GS_GRIDLINES = 0x10;      // lines between cells and under the header
constexpr DWORD GS_BORDER = 0x20;         // the window was created with a border
constexpr DWORD GS_ROWCALLBACK = 0x40;    // the parent supplies each visible row (GN_ROWREQUEST)
constexpr DWORD GS_FIXEDHEIGHTS = 0x100;  // heights come from SetRowHeight, not from the fonts
constexpr DWORD GS_CALLBACKMASK = GS_CELLCALLBACK | GS_ROWCALLBACK;

// ---- cell format ----
constexpr UINT GF_TYPEMASK = 0x0F00;
constexpr UINT GF_TEXT = 0x0000;
constexpr UINT GF_ICON = 0x0100;
constexpr UINT GF_BITMAP = 0x0200;
constexpr UINT GF_OWNERDRAW = 0x0300;
constexpr UINT GF_LEFT = 0x0000;
constexpr UINT GF_CENTER = 0x1000;
constexpr UINT GF_RIGHT = 0x2000;
constexpr UINT GF_ALIGNMASK = 0x3000;
constexpr UINT GF_NOSPLITLINE = 0x4000; // data format only: no line at the column's left edge
constexpr UINT GF_FIXEDWIDTH = 0x8000;  // data format only: the mouse cannot resize the column

// ---- notification codes (WM_NOTIFY to the parent) ----
constexpr UINT GN_HEADERCLICK = 1;
constexpr UINT GN_HEADERRCLICK = 3;
constexpr UINT GN_COLUMNRESIZED = 4;
constexpr UINT GN_HEADERROWCLICK = 5;
constexpr UINT GN_HEADERDBLCLK = 6;
constexpr UINT GN_HEADERROWRCLICK = 7;
constexpr UINT GN_HEADERCELLDRAW = 8; // GRIDHEADERCELLDRAW: draw an owner-drawn header-row cell
constexpr UINT GN_CELLCLICK = 9;
constexpr UINT GN_ROWDBLCLK = 10;
constexpr UINT GN_RCLICK = 11;
constexpr UINT GN_COLUMNMOVED = 12;
constexpr UINT GN_ROWMOVED = 13;
constexpr UINT GN_SELCHANGED = 14;
constexpr UINT GN_CELLREQUEST = 15; // GRIDCELLREQUEST: fill one cell
constexpr UINT GN_ROWREQUEST = 16;  // GRIDROWREQUEST: fill the cells of one row
constexpr UINT GN_SETCURSOR = 17;
constexpr UINT GN_HOVER = 18;
constexpr UINT GN_FOCUSMOVING = 19;
constexpr UINT GN_FOCUSCHANGED = 20;

constexpr int GRID_TEXT_CAPACITY = 64; // UTF-16 units of a cell's text, terminator included

// A column, exchanged whole with InsertColumn, GetColumn and SetColumn.
struct _KXGRIDCOLUMN {
    wchar_t szText[32];      // title, terminated within the field
    UINT nHeaderFormat;      // the column's cell in the header strip
    UINT nHeaderItemFormat;  // its cells in the header rows
    UINT nFormat;            // its data cells, plus GF_NOSPLITLINE and GF_FIXEDWIDTH
    int nWidth;
    DWORD dwData;
    HICON hHeaderIcon;       // drawn when nHeaderFormat has type GF_ICON
    HBITMAP hHeaderBitmap;   // drawn when nHeaderFormat has type GF_BITMAP
    int nSort;               // 1 ascending, -1 descending, 0 none
};

// A cell of a stored row or of a header row. An icon or bitmap header-row cell keeps its handle at the
// start of the text field.
struct GRIDCELL {
    wchar_t szText[GRID_TEXT_CAPACITY];
    COLORREF crText;
    COLORREF crText2; // kept, never painted
    COLORREF crBk;    // kept; painting uses the grid's colours
};
static_assert(sizeof(GRIDCELL) == 140, "GRIDCELL is a 140-byte record");

// Every notification but the three data requests.
struct GRIDNOTIFY {
    NMHDR hdr;
    int nItem;
    int nSubItem;
    UINT uState; // state; for GN_SETCURSOR the parent's answer (non-zero: cursor set)
    int x;       // pointer, GN_HEADERRCLICK only
    int y;
    int reserved[6];
};

// GN_CELLREQUEST (per-cell callback mode). The grid fills every field; the parent may change them.
struct GRIDCELLREQUEST {
    NMHDR hdr;
    int nRow;
    int nColumn;
    UINT nFormat;
    COLORREF crBk;
    // Text cells: the text colour. Icon and bitmap cells: the parent stores the handle. Owner-drawn
    // cells: the device context to draw into.
    DWORD_PTR dwValue;
    HFONT hFont;
    wchar_t* pszText; // the grid's buffer of nTextMax units (text cells only)
    int nTextMax;
    BYTE bUseFont2;   // the parent sets it to draw single-byte runs in hFont2 and crText2
    HFONT hFont2;
    COLORREF crText2;
};

// One cell of a GN_ROWREQUEST.
struct GRIDCELLDRAW {
    int nColumn;
    UINT nFormat;
    COLORREF crBk;
    RECT rcCell;
    int nUnused;
    DWORD_PTR dwValue; // as in GRIDCELLREQUEST
    HFONT hFont;
    wchar_t szText[GRID_TEXT_CAPACITY];
    int nTextMax;
    BYTE bUseFont2;
    HFONT hFont2;
    COLORREF crText2;
};

// GN_ROWREQUEST (row callback mode, and single-cell repaints of both callback modes).
struct GRIDROWREQUEST {
    NMHDR hdr;
    int nRow;
    int nCount;
    GRIDCELLDRAW* pCells;
};

// GN_HEADERCELLDRAW: the parent draws an owner-drawn header-row cell.
struct GRIDHEADERCELLDRAW {
    NMHDR hdr;
    int nHeaderRow;
    int nColumn;
    int nUnused;
    COLORREF crBk;
    HDC hDC;
    RECT rcCell;
    int reserved[2];
};

// The state of one of the grid's own scroll bars.
class UTIL_API CGridScrollInfo {
public:
    enum Part { PART_NONE = 0, PART_ARROW1 = 1, PART_ARROW2 = 2, PART_THUMB = 3, PART_PAGE1 = 4, PART_PAGE2 = 5 };

    CGridScrollInfo();
    void Clear();
    // The page is non-zero and the maximum not below it.
    BOOL HasBlock() const;
    // The part under the point (Part), tested arrows first, then pages, then the thumb.
    int PointInRect(int x, int y) const;

    SCROLLINFO si;
    CRect rcBar;
    CRect rcArrow1;
    CRect rcArrow2;
    CRect rcTrack;
    CRect rcPage1;
    CRect rcPage2;
    CRect rcBlock;
    BOOL bMinBlock;
};

// The set of selected rows, in the order they were selected, with constant-time membership.
class UTIL_API CGridSelection {
public:
    int Count() const { return static_cast<int>(m_order.size()); }
    bool Contains(int row) const { return m_members.count(row) != 0; }
    const std::vector<int>& Items() const { return m_order; }
    // False when the row was selected already.
    bool Add(int row);
    bool Remove(int row);
    void Clear();
    // Removes the rows for which drop(row) holds; renumbers the others with renumber(row).
    template <typename Drop, typename Renumber>
    void Rewrite(Drop drop, Renumber renumber)
    {
        std::vector<int> kept;
        kept.reserve(m_order.size());
        for (int row : m_order) {
            if (!drop(row)) {
                kept.push_back(renumber(row));
            }
        }
        Assign(std::move(kept));
    }
    void Assign(std::vector<int> rows);

private:
    std::vector<int> m_order;
    std::unordered_set<int> m_members;
};

// The library's table control: header strip, header rows, data rows from stored cells or from the
// parent on demand, fixed and scrolling columns, a selection with a focus row, own or buddy scroll
// bars, and notifications to the parent for the user's actions. Window class "KX_Grid".
class UTIL_API CKxGrid : public CKxBaseWnd {
public:
    CKxGrid();
    ~CKxGrid() override;

    static BOOL RegisterWindowClass();
    using CKxBaseWnd::Create;
    // The border style becomes GS_BORDER; the window gets WS_TABSTOP.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD gridStyle = 0);
    // Back to the empty state; columns and the selection stay.
    void Release();
    LRESULT KxPreTranslateMsg(MSG* msg) override;

    // ---- style and switches ----
    void SetKxStyle(DWORD style) { m_dwGridStyle = style; }
    void ModifyKxStyle(DWORD remove, DWORD add) { m_dwGridStyle = (m_dwGridStyle & ~remove) | add; }
    DWORD GetKxStyle() const { return m_dwGridStyle; }
    void KXSetRedraw(BOOL redraw) { m_bRedraw = redraw ? 1 : 0; }
    int KXGetRedrawState() const { return m_bRedraw; }
    void EnableRowDrag(BOOL enable) { m_bRowDrag = enable ? 1 : 0; }

    // ---- colours: each setter only stores ----
    void SetTextColor(COLORREF color) { m_crText = color; }
    void SetSelectBkColor(COLORREF color) { m_crSelBk = color; }
    void SetHeaderBkColor(COLORREF color) { m_crHeaderBk = color; }
    void SetHeaderTextColor(COLORREF color) { m_crHeaderText = color; }
    void SetHeaderSelTextColor(COLORREF color) { m_crHeaderSelText = color; }
    void SetHeaderSortTextColor(COLORREF color) { m_crHeaderSortText = color; }
    void SetGridLineColor(COLORREF color) { m_crGridLine = color; }
    void SetHeaderSplitColor(COLORREF color) { m_crHeaderSplit = color; }
    void SetHeaderDataColor(COLORREF color) { m_crHeaderData = color; }
    void SetBorderColor(COLORREF color) { m_crGridBorder = color; }

    // ---- fonts and heights; a null second font means the first ----
    void SetFont(HFONT font, HFONT font2, int redraw);
    void SetHeaderFont(HFONT font, HFONT font2, int redraw);
    void SetHeaderDataFont(HFONT font, HFONT font2, int redraw);
    // With GS_FIXEDHEIGHTS: h sets h + 1 pixels, 0 derives from the font, -1 keeps (see the source).
    void SetRowHeight(int row, int header, int headerRow);

    // ---- columns ----
    int InsertColumn(int index, const _KXGRIDCOLUMN* column, BOOL redraw);
    int InsertColumn(int index, const wchar_t* title, UINT format, int width, BOOL redraw);
    BOOL DeleteColumn(int index);
    void DeleteAllColumn(BOOL redraw);
    BOOL GetColumn(int index, _KXGRIDCOLUMN* column) const;
    BOOL SetColumn(int index, const _KXGRIDCOLUMN* column);
    int GetColumnWidth(int index) const;
    BOOL SetColumnWidth(int index, int width);
    BOOL SetColumnData(int index, DWORD data);
    DWORD GetColumnData(int index) const;
    int GetColCount() const { return static_cast<int>(m_columns.size()); }
    void SetFixedColCount(int count);
    int GetFixedColCount() const { return m_nFixedCols; }
    void SetHeaderColFmt(int index, UINT format);
    void SetSortColumn(int index, int sort);

    // ---- header rows ----
    int InsertHeaderItem(int index, const wchar_t* text);
    BOOL DeleteHeaderItem(int index);
    void DeleteHeaderAllItems();
    BOOL SetHeaderItemText(int row, int column, const wchar_t* text);
    // By the column's header-row type: a text, an icon or bitmap handle, nothing for owner-drawn cells.
    BOOL SetHeaderCell(int row, int column, const void* value);
    void SetHeaderItemData(int row, DWORD data);
    DWORD GetHeaderItemData(int row) const;
    int GetHeadItemCount() const { return static_cast<int>(m_headerRows.size()); }

    // ---- rows ----
    int InsertItem(int index, const wchar_t* text);
    // Stored mode: the text of any cell (63 characters at most); the cell is repainted when visible.
    BOOL SetItemText(int index, int column, const wchar_t* text);
    BOOL DeleteItem(int index);
    void DeleteAllItems();
    void SetItemCount(int count);
    int GetItemCount() const { return m_nItemCount; }
    BOOL SetItemData(int index, DWORD data);
    DWORD GetItemData(int index) const;
    CString GetItemText(int index, int column) const;
    BOOL SetItemColor(int index, COLORREF text, COLORREF background);
    BOOL SetSubItemColor(int index, int column, COLORREF text, COLORREF background);

    // ---- selection and focus ----
    int GetSelectedCount() const { return m_selection.Count(); }
    int GetSelectedItems(int* buffer, int bufferBytes) const;
    UINT GetItemState(int index) const;
    int GetFocusItem() const { return m_nFocusItem; }
    bool SetSimplSel(int index, BOOL ensureVisible);
    bool SetMultiSel(const int* rows, int count, BOOL redraw);

    // ---- layout and painting ----
    void ReCalcLayout();
    void CalcScrollBar();
    void CalcScrollBlock(int bar);
    BOOL GetItemRect(int row, RECT* rect) const;
    BOOL GetSubItemRect(int row, int column, int unused, RECT* rect) const;
    BOOL GetHeaderColRect(int column, RECT* rect) const;
    BOOL GetHeaderSubItemRect(int headerRow, int column, int unused, RECT* rect) const;
    int GetTopIndex() const { return m_nTopIndex; }
    int GetCountPerPage() const { return m_nCountPerPage; }
    int GetStringWidth(const wchar_t* text);
    void ReDrawAll(BOOL force);
    int RedrawItems(int first, int last);
    int RedrawCell(int row, int column);

    // ---- scrolling and hit testing ----
    int HitTest(LVHITTESTINFO* hit) const;
    int Scroll(int amount, int direction);
    BOOL EnsureVisible(int row);
    BOOL IsRowVisible(int row) const;
    int SetTopIndex(int row);
    BOOL HitTestScrollBar(POINT point);
    void OnMoveScrollBlock(POINT point);

    // Bars of own scroll bars (CalcScrollBlock, DrawScrollBar).
    enum { BAR_HORZ = 1, BAR_VERT = 2 };
    // Directions of Scroll.
    enum { SCROLL_ROWS = 1, SCROLL_COLUMNS = 2 };

protected:
    struct Row {
        DWORD dwData = 0;
        std::vector<GRIDCELL> cells;
    };
    struct HeaderRow {
        DWORD dwData = 0;
        std::vector<GRIDCELL> cells;
    };
    // A column on screen: its index and horizontal extent (right not cut at the client's edge).
    struct ColumnSpan {
        int index;
        int left;
        int right;
    };
    // The columns on screen, held in place up to a wide page's worth: every paint asks for them, and
    // a paint allocates nothing.
    class ColumnSpans {
    public:
        void push_back(const ColumnSpan& span)
        {
            if (m_more.empty() && m_count < m_inPlace.size()) {
                m_inPlace[m_count++] = span;
                return;
            }
            if (m_more.empty()) {
                m_more.assign(m_inPlace.begin(), m_inPlace.end());
            }
            m_more.push_back(span);
            ++m_count;
        }
        const ColumnSpan* begin() const { return m_more.empty() ? m_inPlace.data() : m_more.data(); }
        const ColumnSpan* end() const { return begin() + m_count; }
        size_t size() const { return m_count; }
        bool empty() const { return m_count == 0; }
        const ColumnSpan& operator[](size_t i) const { return begin()[i]; }
        const ColumnSpan& back() const { return begin()[m_count - 1]; }

    private:
        std::array<ColumnSpan, 64> m_inPlace;
        size_t m_count = 0;
        std::vector<ColumnSpan> m_more;
    };

    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // ---- geometry ----
    // The client rectangle less the own scroll bars.
    void GetClientRect(RECT* rect) const;
    CRect GetClientRect() const;
    // The grid client below the header strip and the header rows.
    void GetRealClientRect(RECT* rect) const;
    int GetFixedColWidth() const;
    BOOL GetItemDispRect(int row, RECT* rect) const;
    // Top of the visible row r (counted from the top index) and of the row after it.
    int RowTop(int visibleRow) const;
    // The same within a known area below the header (GetRealClientRect).
    int RowTop(int visibleRow, const RECT& area) const;
    // Columns on screen in display order, up to the right edge.
    ColumnSpans VisibleColumns(int right) const;
    bool ColumnSpanOf(int column, int right, ColumnSpan* span) const;
    int FirstScrollingColumn() const;
    void SetupScroll(int bar);
    void AdjustLeftIndex();

    // ---- painting ----
    void ComposeBuffer();
    void RedrawItems2(HDC dc, int first, int last);
    void RedrawItem(HDC dc, int row);
    void RedrawItemEx(HDC dc, int row);
    // One pass over rows: what stays the same from row to row is found once.
    struct RowPass;
    void PaintRows(HDC dc, int first, int last, bool rowRequests);
    // A row of stored or requested cells, or a row asked whole; false when it is not on the page.
    bool PaintRow(RowPass& pass, int row);
    bool PaintRequestedRow(RowPass& pass, int row);
    void DrawColumnLines(const RowPass& pass, int top, int bottom);
    void DrawHeader(HDC dc, BOOL copy);
    void DrawCellBk(HDC dc, const RECT& rect, COLORREF color);
    class CellTextOut;
    void DrawCellText(CellTextOut& out, const RECT& rect, const wchar_t* text, UINT format, COLORREF color,
                      HFONT font, COLORREF color2, HFONT font2);
    void DrawCellText(HDC dc, const RECT& rect, const wchar_t* text, UINT format, COLORREF color, HFONT font,
                      COLORREF color2, HFONT font2);
    void DrawCellIcon(HDC dc, const RECT& rect, UINT format, HICON icon);
    void DrawCellBitmap(HDC dc, const RECT& rect, UINT format, HBITMAP bitmap);
    void DrawScrollBar(HDC dc, int bars);
    void DrawScrollBlock(HDC dc, int bars);
    void DrawBorder(HDC dc);
    void DrawAdjectColWidthLine(HDC dc, int x, int row);
    // Draws a filled GRIDCELLDRAW (background, text or image) into its rectangle.
    void DrawCellRecord(CellTextOut& out, const GRIDCELLDRAW& cell, const RECT& rect);
    void DrawStoredCell(CellTextOut& out, const Row& row, const ColumnSpan& span, const RECT& cell,
                        COLORREF background);
    void DrawRequestedCell(RowPass& pass, int row, const ColumnSpan& span, const RECT& cell, COLORREF background);
    void DrawHeaderRows(HDC dc, const CRect& client, const ColumnSpans& columns);
    COLORREF CellBackground(int row, int column) const;
    void FillCellDraw(HDC dc, int row, const ColumnSpan& span, const RECT& cell, GRIDCELLDRAW* draw);
    void RepaintStoredCell(int row, int column);
    // Copies part of the buffer to the window.
    void CopyToWindow(const RECT& rect);
    void CopyToWindow(HDC windowDC, const RECT& rect);
    void RepaintOwnBars(int bars);
    bool EnsureBuffer();

    // ---- input ----
    int HitTestDisp(LVHITTESTINFO* hit) const;
    int HitTestDispEx(LVHITTESTINFO* hit) const;
    void OnHitScrollBar();
    int NotifyParent(UINT code, int item, int state);
    // Sends a GRIDNOTIFY as filled; the parent's answer.
    LRESULT SendNotify(GRIDNOTIFY& notify);
    // Where notifications go; a painting pass finds it once for all the cells it asks for.
    struct NotifyTarget {
        HWND parent;
        UINT_PTR id;
        WNDPROC procedure; // called in place of sending, for one painting pass
    };
    NotifyTarget Target() const;
    NotifyTarget RequestTarget() const;
    LRESULT SendToParent(NMHDR* header);
    LRESULT SendToParent(const NotifyTarget& target, NMHDR* header) const;
    void DrawRowDragLine(int position, BOOL show);
    void SelectOnPress(UINT flags, int item);
    void SelectRangeWithAnchor(int item);
    void NotifyFocusChange(UINT code, int oldFocus, int newFocus);
    void NotifySelectionMove(int oldFocus, int newFocus);
    void OnKeyNavigate(UINT key, bool alt);
    void OnPageKey(UINT key);
    void OnArrowKey(UINT key, bool alt);
    void ExtendSelectionTo(int focus);
    void MoveRowByKey(int step);
    void OnColumnDragMove(const CPoint& point);
    void OnResizeMove(const CPoint& point);
    void FinishColumnDrag();
    void FinishResize(const CPoint& point, int displayRow);
    void OnRowDragMove(const CPoint& point);
    void MoveColumn(int source, int destination);
    void ScrollRowsInBuffer(int amount);
    void PageColumns(bool right);
    int ThumbPosition(HWND bar, int bar16Position, int kind) const;
    LRESULT OnScrollBarBuddy(WPARAM wParam, LPARAM lParam);

    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnDestroy() override;
    UINT OnGetDlgCode() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnRButtonDown(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint) override;
    void OnTimer(UINT_PTR id) override;
    void OnKeyDown(UINT key, UINT repeatCount, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeatCount, UINT flags) override;
    void OnSysKeyDown(UINT key, UINT repeatCount, UINT flags) override;
    void OnSysKeyUp(UINT key, UINT repeatCount, UINT flags) override;
    void OnHScroll(UINT code, UINT position, CWnd* scrollBar) override;
    void OnVScroll(UINT code, UINT position, CWnd* scrollBar) override;

    bool IsCallback() const { return (m_dwGridStyle & GS_CALLBACKMASK) != 0; }
    bool IsSelectedRow(int index) const { return m_selection.Contains(index); }
    bool ValidColumn(int index) const { return index >= 0 && index < GetColCount(); }
    bool ValidStoredRow(int index) const { return index >= 0 && index < static_cast<int>(m_rows.size()); }
    int HeaderBottom() const;
    GRIDCELL DefaultCell() const;
    int FontHeight(HFONT font);
    void ApplyFontHeight(int* member, int derived, int redraw);
    void RefreshHeader();
    void ClearDragBitmaps();
    void RemoveRowsFromState(int index, int newCount, bool shiftAbove);

    DWORD m_dwGridStyle = 0;
    int m_nItemCount = 0;
    int m_nTopIndex = 0;
    int m_nLeftCol = 0;
    int m_nRowHeight = 22;
    int m_nCountPerPage = 0;
    int m_nFixedCols = 0;
    int m_nHotHeaderCol = -1;
    int m_nDropRow = -1;
    int m_nDropCol = -1;
    int m_nHeaderHeight = 22;
    int m_nHeaderRowHeight = 22;
    int m_nRowSpacing = 0;
    int m_nAnchor = -1;
    int m_nFocusItem = -1;
    BYTE m_bSizing = 0;
    BYTE m_bRedraw = 1;
    BYTE m_bRowDrag = 0;
    BYTE m_bKeyNotifyPending = 0;

    COLORREF m_crText = RGB(255, 255, 255);
    COLORREF m_crSelBk = RGB(0, 0, 128);
    COLORREF m_crHeaderBk = RGB(0, 0, 0);
    COLORREF m_crHeaderText = RGB(0x50, 0xF8, 0xFF);
    COLORREF m_crHeaderSelText = RGB(0xFF, 0xF8, 0x50);
    COLORREF m_crHeaderSelBk = RGB(0, 0, 128);
    COLORREF m_crHeaderSortText = RGB(0xFF, 0xF8, 0x50);
    COLORREF m_crGridLine = RGB(192, 0, 0);
    COLORREF m_crHeaderSplit = RGB(0, 0, 0);
    COLORREF m_crHeaderData = RGB(255, 255, 255);
    COLORREF m_crGridBorder = RGB(192, 0, 0);

    UINT m_nMouseState = 0;
    LVHITTESTINFO m_hitDown{};
    std::vector<_KXGRIDCOLUMN> m_columns;
    std::vector<HeaderRow> m_headerRows;
    std::vector<Row> m_rows;
    CGridSelection m_selection;
    CBitmap m_bmpDragStrip;
    CBitmap m_bmpDragBack;
    CBitmap m_bmpDragGhost;
    CBitmap m_bmpBuffer;
    CSize m_szBuffer;
    HFONT m_hHeaderFont = nullptr;
    HFONT m_hHeaderFont2 = nullptr;
    HFONT m_hFont = nullptr;
    HFONT m_hFont2 = nullptr;
    HFONT m_hHeaderRowFont = nullptr;
    HFONT m_hHeaderRowFont2 = nullptr;
    int m_nSizingLineX = -1;
    HWND m_hVertBuddy = nullptr;
    HWND m_hHorzBuddy = nullptr;
    CGridScrollInfo m_hsi;
    CGridScrollInfo m_vsi;
    UINT m_nScrollHit = 0;
    int m_nThumbGrab = 0;
};
