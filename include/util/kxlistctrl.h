#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include <util/cstring.h>
#include <util/export.h>
#include <util/kxheaderctrl.h>
#include <util/listctrl.h>

// Asks a list control's parent for an item's text colour: wParam the item, lParam a COLORREF* to fill;
// a non-zero answer means the colour was filled.
constexpr UINT WM_KX_GETITEMTEXTCOLOR = 0x509;

// The text of the filter list's first entry, which shows every row again ("all").
constexpr wchar_t KXLIST_FILTER_ALL[] = L"\u5168\u90E8";

// The filter drop-down's child identifier inside the list view.
constexpr UINT KXLIST_FILTER_LIST_ID = 100;

// A report list view with per-item text colours, click-to-sort columns (numbers, dates, then text,
// with a serial number in the first column), a per-column drop-down value filter and the owner-drawn
// header of CKXHeaderCtrl. A non-zero style turns the header, sorting and filtering on. Rows a filter
// hides are held aside, texts, colours and data included, and come back when the filter is changed or
// cleared.
// Each item's platform item data is the list's own record of the item; the caller's item data lives in
// the record. The list's messages show the caller's data in its place: LVM_INSERTITEM, LVM_SETITEM and
// LVM_GETITEM (LVIF_PARAM), LVM_FINDITEM (LVFI_PARAM) and the comparisons of LVM_SORTITEMS; deleting
// items frees their records. Notifications go from the platform to the parent unchanged, so their item
// data (NMLISTVIEW::lParam and the like) is the record: read the caller's data with GetItemData.
class UTIL_API CKXBaseListCtrl : public CListCtrl {
public:
    CKXBaseListCtrl();
    ~CKXBaseListCtrl() override;

    void SetStyle(int style);

    using CListCtrl::InsertColumn;
    int InsertColumn(int column, const LVCOLUMNW* columnInfo) override;
    BOOL DeleteColumn(int column);

    BOOL SetSortState(int column, UINT state);
    UINT GetSortState(int column) const;
    // Only the states 0 and KXHDR_NOFILTER; clears the column's filter text.
    BOOL SetFilterState(int column, UINT state);
    CString GetFilter(int column) const;
    // With a text: keeps only the rows whose text in the column equals it. Without a text (column 0
    // aside): opens the drop-down list of the column's values below its header item.
    int Filter(int column, const wchar_t* text);
    // Sorts by the column (state KXHDR_SORT_UP ascending, else descending); 1 after sorting.
    int Sort(int column, UINT state);
    void ClearAllColState();

    BOOL SetItemTextColor(int item, COLORREF color);
    // The item's colour; without one of its own, the parent's answer to WM_KX_GETITEMTEXTCOLOR, else
    // the system window-text colour. 0xFFFFFFFF without a window, 0 for an item out of range.
    COLORREF GetItemTextColor(int item) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    void SetHeaderColor(COLORREF text, COLORREF background, COLORREF filterBackground);

    BOOL DestroyWindow() override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnNcLButtonDown(UINT hitTest, CPoint screenPoint) override;

    void AdjustHeaderStyle();
    void InitFilterListData(int column);
    void OnSelFilterData();
    void OnKillfocusFilter();
    void OnColumnclick(NMLISTVIEW* info);
    LRESULT OnNMCustomdraw(NMLVCUSTOMDRAW* draw);

    static BOOL IsNumber(const wchar_t* text);
    static int NumberCompare(const wchar_t* first, const wchar_t* second);
    static BOOL IsDate(const wchar_t* text);
    static int DateCompare(const wchar_t* first, const wchar_t* second);
    static int CALLBACK CompareFunction(LPARAM first, LPARAM second, LPARAM control);

    void HideFilterList();
    // Writes each row's 1-based position into the first column, where it differs. origins: the
    // position each row had before a sort (none: unknown).
    void RenumberRows(const std::vector<int>& origins);

    int m_nStyle = 0;
    int m_nSortCol = -1;
    int m_nFilterCol = -1;
    CKXHeaderCtrl m_header;
    std::vector<CString> m_arrFilter;
    CListBox m_filterList;

private:
    struct ItemRecord;
    struct SortKey;
    struct SortRun;
    struct CallerSort;
    class HeldRows;

    bool HasFeatures() const { return m_nStyle != 0 && IsWindow(); }
    bool IsItem(int item) const { return item >= 0 && item < GetItemCount(); }
    ItemRecord* FindRecord(int item) const;
    static DWORD_PTR CallerData(const ItemRecord* record);
    // The item's record, made when it has none; null for an item out of range.
    ItemRecord* RecordOf(int item);
    // The same for an item known to exist.
    ItemRecord* EnsureRecord(int item);
    void SubclassHeader();
    bool IsFilterColumn(int column) const;
    // Puts held rows back and holds aside every row that does not match each column's filter text.
    void ApplyFilters();
    void FreeAllRecords();
    // Fetches every item's key in the column and gives every item a record with its sort index.
    void ReadSortKeys(int column, int count, SortRun& run);
    // The sort indices in their sorted order, when known without the platform's sort (else none).
    static std::vector<int> PlannedOrder(const SortRun& run);
    // The platform's sort with a comparison of the records, the control as its parameter.
    void SortRecords(PFNLVCOMPARE compare);
    // Each item's sort index, by the item's position.
    std::vector<int> SortIndicesInPlace() const;
    static const SortRun* RunOf(LPARAM control);
    static int CALLBACK ComparePlannedPositions(LPARAM first, LPARAM second, LPARAM control);

    // The messages that carry item data, with the caller's data in the place of the records; false
    // for the others.
    bool TranslateItemData(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    LRESULT InsertWithRecord(UINT message, WPARAM wParam, const LVITEMW& given);
    LRESULT SetItemKeepingRecord(UINT message, WPARAM wParam, const LVITEMW& given);
    LRESULT GetItemWithCallerData(UINT message, WPARAM wParam, LVITEMW& asked);
    int FindItemByCallerData(int start, const LVFINDINFOW& find) const;
    LRESULT SortItemsByCallerData(WPARAM wParam, LPARAM compare);
    LRESULT DeleteItemWithRecord(UINT message, WPARAM wParam, LPARAM lParam);
    static int CALLBACK CompareCallerData(LPARAM first, LPARAM second, LPARAM sort);

    std::unique_ptr<HeldRows> m_held;
    // The keys and direction of the running sort.
    const SortRun* m_pSortRun = nullptr;
};

// One pair of the column table of CKXListCtrl.
struct tagKXColumnWidthID {
    int nWidth;
    int nID;
};

// CKXBaseListCtrl with column auto-width and check boxes.
class UTIL_API CKXListCtrl : public CKXBaseListCtrl {
public:
    // Widens the last column to its title or its widest text.
    void AdjustListColumnWidth();
    void ShowCheckBox(BOOL show);
    // -1 and 0 without a column table.
    int GetColumnID(int column) const;
    int GetAllColWidth() const;

protected:
    // One (width, identifier) pair per column, filled by derived classes.
    std::vector<tagKXColumnWidthID> m_arrColumns;
};

// Notification codes of CDrawListCtrl, with a tagKXDrawListNotify record.
enum : UINT {
    KXDLN_DRAWCELL = 1,   // draw the cell into hDC at rcCell
    KXDLN_LBUTTONDOWN = 2,
    KXDLN_LBUTTONUP = 3,
};

struct tagKXDrawListNotify {
    NMHDR hdr;
    int nItem;
    int nSubItem;
    HDC hDC;     // KXDLN_DRAWCELL only
    RECT rcCell; // the cell less one pixel on every side
    POINT pt;    // the mouse codes only
};

// An owner-drawn report list whose cells the parent paints: the row gets its selection background,
// then the parent receives KXDLN_DRAWCELL for each column. Clicks are reported with the cell.
class UTIL_API CDrawListCtrl : public CKXBaseListCtrl {
public:
    int GetColumnCount() const;
    using CKXBaseListCtrl::DeleteColumn;
    using CKXBaseListCtrl::InsertColumn;
    // The cell's rectangle in the row; flag 0 shrinks it by one pixel on every side.
    CRect GetCellRect(int item, int column, int flag) const;

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    static COLORREF GetColorRef(int index);
    CRect GetFullCellRect(int item, int flag) const;
    // Fills the row as the draw action and focus require, then asks the parent for each cell.
    void DrawItemEx(HDC dc, int item, const RECT& row, UINT action);

    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

private:
    bool InVisibleHeader(CPoint point) const;
    void NotifyParent(tagKXDrawListNotify& record, UINT code) const;
    void NotifyMouse(UINT code, CPoint point) const;
};

// An owner-drawn list box showing each string in two parts: the first eight characters in black, the
// rest in the string's own colour further right.
class UTIL_API CKXSmartListBox : public CListBox {
public:
    using CListBox::AddString;
    int AddString(const wchar_t* text, COLORREF color);
    // Sets the list box's font (the caller keeps it) and draws with it.
    void SetFontEx(CFont* font);

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    std::map<int, COLORREF> m_mapColors;
    CFont* m_pFont = nullptr;
};

// A plain list box of the library.
class UTIL_API CKxListBox : public CListBox {
public:
    CKxListBox();
    ~CKxListBox() override;
};
