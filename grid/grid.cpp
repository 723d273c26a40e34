// The grid's data: creation, styles, fonts and heights, columns, header rows, rows, selection.
#include <util/grid.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {
constexpr wchar_t kClassName[] = L"KX_Grid";
constexpr int kDefaultHeight = 22;

// Copies at most capacity - 1 units and terminates; a null text gives an empty one.
void CopyText(wchar_t* field, size_t capacity, const wchar_t* text)
{
    std::fill(field, field + capacity, L'\0');
    if (text != nullptr) {
        wcsncpy(field, text, capacity - 1);
    }
}
} // namespace

// ---- selection ----

bool CGridSelection::Add(int row)
{
    if (!m_members.insert(row).second) {
        return false;
    }
    m_order.push_back(row);
    return true;
}

bool CGridSelection::Remove(int row)
{
    if (m_members.erase(row) == 0) {
        return false;
    }
    m_order.erase(std::find(m_order.begin(), m_order.end(), row));
    return true;
}

void CGridSelection::Clear()
{
    m_order.clear();
    m_members.clear();
}

void CGridSelection::Assign(std::vector<int> rows)
{
    m_order = std::move(rows);
    m_members = std::unordered_set<int>(m_order.begin(), m_order.end());
}

// ---- creation and lifetime ----

CKxGrid::CKxGrid()
{
    RegisterWindowClass();
    m_crBk = RGB(0, 0, 0);
    m_hitDown.iItem = -1;
    m_hitDown.iSubItem = -1;
}

CKxGrid::~CKxGrid()
{
    // While this class's handlers still run for the last messages.
    DestroyWindow();
    Release();
    ClearDragBitmaps();
}

BOOL CKxGrid::RegisterWindowClass()
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CKxGrid::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD gridStyle)
{
    try {
        RegisterWindowClass();
    } catch (const CResourceException&) {
        return FALSE;
    }
    m_dwGridStyle = gridStyle;
    if (style & WS_BORDER) {
        style &= ~WS_BORDER;
        m_dwGridStyle |= GS_BORDER;
    }
    return CreateEx(0, kClassName, L"", style | WS_TABSTOP, rect, parent, id);
}

void CKxGrid::PreSubclassWindow()
{
    ModifyStyle(0, WS_TABSTOP);
    CKxBaseWnd::PreSubclassWindow();
}

void CKxGrid::Release()
{
    m_nRowHeight = kDefaultHeight;
    m_nHeaderHeight = kDefaultHeight;
    m_bRedraw = 1;
    m_dwGridStyle = 0;
    m_nLeftCol = m_nItemCount = m_nTopIndex = m_nCountPerPage = m_nFixedCols = 0;
    m_nHotHeaderCol = m_nDropRow = m_nDropCol = m_nAnchor = m_nFocusItem = -1;
    m_nMouseState = 0;
    m_hitDown.iItem = m_hitDown.iSubItem = -1;
    m_hFont = m_hFont2 = m_hHeaderFont = m_hHeaderFont2 = nullptr;
    m_hVertBuddy = m_hHorzBuddy = nullptr;
    m_bSizing = 0;
    m_nSizingLineX = -1;
    m_bmpBuffer.DeleteObject();
    m_szBuffer = CSize(0, 0);
    m_headerRows.clear();
    m_rows.clear();
    // The rows are gone: a kept selection would select the next rows that arrive.
    m_selection.Clear();
}

void CKxGrid::OnDestroy()
{
    CKxBaseWnd::OnDestroy();
    Release();
}

void CKxGrid::ClearDragBitmaps()
{
    m_bmpDragStrip.DeleteObject();
    m_bmpDragBack.DeleteObject();
    m_bmpDragGhost.DeleteObject();
}

// ---- fonts and heights ----

int CKxGrid::FontHeight(HFONT font)
{
    LOGFONTW description{};
    if (font == nullptr || ::GetObjectW(font, sizeof(description), &description) == 0) {
        return 0;
    }
    if (_wcsicmp(description.lfFaceName, L"SYSTEM") == 0) {
        HDC dc = ::GetDC(m_hWnd);
        const int perInch = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(m_hWnd, dc);
        return (perInch * 12 + 36) / 72;
    }
    return std::abs(description.lfHeight);
}

// A height member that follows the font unless heights are fixed and already set.
void CKxGrid::ApplyFontHeight(int* member, int derived, int redraw)
{
    if ((m_dwGridStyle & GS_FIXEDHEIGHTS) && *member != 0) {
        if (redraw && m_bRedraw) {
            ReDrawAll(FALSE);
        }
        return;
    }
    *member = derived;
    if (redraw) {
        ReCalcLayout();
    }
}

void CKxGrid::SetFont(HFONT font, HFONT font2, int redraw)
{
    m_hFont = font;
    m_hFont2 = font2 ? font2 : font;
    if (m_hHeaderFont == nullptr) {
        SetHeaderFont(font, font2, redraw);
    }
    if (m_hHeaderRowFont == nullptr) {
        SetHeaderDataFont(font, font2, redraw);
    }
    ApplyFontHeight(&m_nRowHeight, std::max(FontHeight(m_hFont), FontHeight(m_hFont2)) + 6, redraw);
}

void CKxGrid::SetHeaderFont(HFONT font, HFONT font2, int redraw)
{
    m_hHeaderFont = font;
    m_hHeaderFont2 = font2 ? font2 : font;
    ApplyFontHeight(&m_nHeaderHeight, std::max(FontHeight(m_hHeaderFont), FontHeight(m_hHeaderFont2)) + 5, redraw);
}

void CKxGrid::SetHeaderDataFont(HFONT font, HFONT font2, int redraw)
{
    m_hHeaderRowFont = font;
    m_hHeaderRowFont2 = font2 ? font2 : font;
    ApplyFontHeight(&m_nHeaderRowHeight,
                    std::max(FontHeight(m_hHeaderRowFont), FontHeight(m_hHeaderRowFont2)) + 5, redraw);
}

void CKxGrid::SetRowHeight(int row, int header, int headerRow)
{
    if (!(m_dwGridStyle & GS_FIXEDHEIGHTS)) {
        return;
    }
    const int before[] = {m_nRowHeight, m_nHeaderHeight, m_nHeaderRowHeight};
    if (row == 0) {
        if (m_hFont != nullptr) {
            m_nRowHeight = 0;
            SetFont(m_hFont, m_hFont2, 0);
        } else {
            m_nRowHeight = kDefaultHeight;
        }
    } else if (row != -1) {
        m_nRowHeight = row + 1;
    }

    if (header == -1) {
        m_nHeaderHeight = m_nRowHeight;
    } else if (header == 0) {
        if (m_hHeaderFont != nullptr) {
            m_nHeaderHeight = 0;
            SetHeaderFont(m_hHeaderFont, m_hHeaderFont2, 0);
        } else {
            m_nHeaderHeight = m_nRowHeight;
        }
    } else {
        m_nHeaderHeight = header + 1;
    }

    if (headerRow == -1) {
        if (header == -1) {
            m_nHeaderRowHeight = m_nRowHeight;
        }
    } else if (headerRow == 0) {
        if (m_hHeaderRowFont != nullptr) {
            m_nHeaderRowHeight = 0;
            SetHeaderDataFont(m_hHeaderRowFont, m_hHeaderRowFont2, 0);
        } else {
            m_nHeaderRowHeight = m_nHeaderHeight;
        }
    } else {
        m_nHeaderRowHeight = headerRow + 1;
    }

    if (before[0] != m_nRowHeight || before[1] != m_nHeaderHeight || before[2] != m_nHeaderRowHeight) {
        ReCalcLayout();
    }
}

// ---- columns ----

GRIDCELL CKxGrid::DefaultCell() const
{
    GRIDCELL cell{};
    cell.crText = m_crText;
    cell.crBk = m_crBk;
    return cell;
}

int CKxGrid::InsertColumn(int index, const _KXGRIDCOLUMN* column, BOOL redraw)
{
    if (column == nullptr) {
        return -1;
    }
    if (index < 0 || index >= GetColCount()) {
        index = GetColCount();
    }
    _KXGRIDCOLUMN copy = *column;
    copy.szText[_countof(copy.szText) - 1] = L'\0';
    m_columns.insert(m_columns.begin() + index, copy);
    const GRIDCELL cell = DefaultCell();
    auto insertCell = [&](std::vector<GRIDCELL>& cells) {
        cells.insert(cells.begin() + std::min<size_t>(index, cells.size()), cell);
    };
    for (HeaderRow& row : m_headerRows) {
        insertCell(row.cells);
    }
    for (Row& row : m_rows) {
        insertCell(row.cells);
    }
    DrawHeader(nullptr, TRUE);
    SetupScroll(1);
    if (redraw) {
        RedrawItems(m_nTopIndex, m_nTopIndex + m_nCountPerPage);
    }
    return index;
}

int CKxGrid::InsertColumn(int index, const wchar_t* title, UINT format, int width, BOOL redraw)
{
    _KXGRIDCOLUMN column{};
    CopyText(column.szText, _countof(column.szText), title);
    column.nHeaderFormat = column.nHeaderItemFormat = column.nFormat = format;
    column.nWidth = width;
    return InsertColumn(index, &column, redraw);
}

BOOL CKxGrid::DeleteColumn(int index)
{
    if (!ValidColumn(index)) {
        return FALSE;
    }
    m_columns.erase(m_columns.begin() + index);
    auto eraseCell = [index](std::vector<GRIDCELL>& cells) {
        if (index < static_cast<int>(cells.size())) {
            cells.erase(cells.begin() + index);
        }
    };
    for (HeaderRow& row : m_headerRows) {
        eraseCell(row.cells);
    }
    for (Row& row : m_rows) {
        eraseCell(row.cells);
    }
    if (index < m_nFixedCols) {
        --m_nFixedCols;
    }
    // The first scrolling column must still exist.
    m_nLeftCol = std::max(0, std::min(m_nLeftCol, GetColCount() - m_nFixedCols - 1));
    SetupScroll(1);
    ReDrawAll(FALSE);
    return TRUE;
}

void CKxGrid::DeleteAllColumn(BOOL redraw)
{
    for (HeaderRow& row : m_headerRows) {
        row.cells.clear();
    }
    m_nFixedCols = 0;
    m_nLeftCol = 0;
    m_nHotHeaderCol = -1;
    m_columns.clear();
    SetupScroll(1);
    if (redraw) {
        ReDrawAll(FALSE);
    }
}

BOOL CKxGrid::GetColumn(int index, _KXGRIDCOLUMN* column) const
{
    if (!ValidColumn(index) || column == nullptr) {
        return FALSE;
    }
    *column = m_columns[index];
    return TRUE;
}

BOOL CKxGrid::SetColumn(int index, const _KXGRIDCOLUMN* column)
{
    if (!ValidColumn(index) || column == nullptr) {
        return FALSE;
    }
    m_columns[index] = *column;
    m_columns[index].szText[_countof(column->szText) - 1] = L'\0';
    RefreshHeader();
    return TRUE;
}

int CKxGrid::GetColumnWidth(int index) const
{
    return ValidColumn(index) ? m_columns[index].nWidth : 0;
}

BOOL CKxGrid::SetColumnWidth(int index, int width)
{
    if (!ValidColumn(index) || m_columns[index].nWidth == width) {
        return FALSE;
    }
    m_columns[index].nWidth = width;
    RefreshHeader();
    return TRUE;
}

BOOL CKxGrid::SetColumnData(int index, DWORD data)
{
    if (!ValidColumn(index)) {
        return FALSE;
    }
    m_columns[index].dwData = data;
    return TRUE;
}

DWORD CKxGrid::GetColumnData(int index) const
{
    return ValidColumn(index) ? m_columns[index].dwData : 0;
}

void CKxGrid::SetFixedColCount(int count)
{
    m_nFixedCols = std::max(0, count);
    SetupScroll(1);
}

void CKxGrid::SetHeaderColFmt(int index, UINT format)
{
    if (ValidColumn(index)) {
        m_columns[index].nHeaderItemFormat = format;
    }
}

void CKxGrid::SetSortColumn(int index, int sort)
{
    if (!ValidColumn(index) || m_columns[index].nSort == sort) {
        return;
    }
    for (_KXGRIDCOLUMN& column : m_columns) {
        column.nSort = 0;
    }
    m_columns[index].nSort = sort;
    RefreshHeader();
}

// ---- header rows ----

int CKxGrid::InsertHeaderItem(int index, const wchar_t* text)
{
    if (m_columns.empty()) {
        return 0;
    }
    HeaderRow row;
    row.cells.assign(m_columns.size(), GRIDCELL{});
    CopyText(row.cells[0].szText, GRID_TEXT_CAPACITY, text);
    row.cells[0].crText = m_crText;
    row.cells[0].crBk = m_crBk;
    if (index < 0 || index >= GetHeadItemCount()) {
        index = GetHeadItemCount();
    }
    m_headerRows.insert(m_headerRows.begin() + index, std::move(row));
    ReCalcLayout();
    ReDrawAll(FALSE);
    return index;
}

BOOL CKxGrid::DeleteHeaderItem(int index)
{
    if (index < 0 || index >= GetHeadItemCount()) {
        return FALSE;
    }
    m_headerRows.erase(m_headerRows.begin() + index);
    ReCalcLayout();
    ReDrawAll(FALSE);
    return TRUE;
}

void CKxGrid::DeleteHeaderAllItems()
{
    m_headerRows.clear();
}

BOOL CKxGrid::SetHeaderItemText(int row, int column, const wchar_t* text)
{
    if (row < 0 || row >= GetHeadItemCount() || !ValidColumn(column) ||
        column >= static_cast<int>(m_headerRows[row].cells.size())) {
        return FALSE;
    }
    GRIDCELL& cell = m_headerRows[row].cells[column];
    CopyText(cell.szText, GRID_TEXT_CAPACITY, text);
    cell.crText = m_crText;
    cell.crBk = m_crBk;
    RefreshHeader();
    return TRUE;
}

BOOL CKxGrid::SetHeaderCell(int row, int column, const void* value)
{
    if (row < 0 || row >= GetHeadItemCount() || !ValidColumn(column) ||
        column >= static_cast<int>(m_headerRows[row].cells.size())) {
        return FALSE;
    }
    switch (m_columns[column].nHeaderItemFormat & GF_TYPEMASK) {
    case GF_TEXT:
        return SetHeaderItemText(row, column, static_cast<const wchar_t*>(value));
    case GF_ICON:
    case GF_BITMAP:
        std::memcpy(m_headerRows[row].cells[column].szText, &value, sizeof(value));
        break;
    default:
        break;
    }
    RefreshHeader();
    return TRUE;
}

void CKxGrid::SetHeaderItemData(int row, DWORD data)
{
    if (row >= 0 && row < GetHeadItemCount()) {
        m_headerRows[row].dwData = data;
    }
}

DWORD CKxGrid::GetHeaderItemData(int row) const
{
    return row >= 0 && row < GetHeadItemCount() ? m_headerRows[row].dwData : 0;
}

// ---- rows ----

int CKxGrid::InsertItem(int index, const wchar_t* text)
{
    if (m_columns.empty() || (m_dwGridStyle & GS_CELLCALLBACK)) {
        return 0;
    }
    Row row;
    row.cells.assign(m_columns.size(), GRIDCELL{});
    CopyText(row.cells[0].szText, GRID_TEXT_CAPACITY, text);
    if (index < 0 || index >= m_nItemCount) {
        index = static_cast<int>(m_rows.size());
    }
    index = std::min(index, static_cast<int>(m_rows.size()));
    m_rows.insert(m_rows.begin() + index, std::move(row));
    m_nItemCount = static_cast<int>(m_rows.size());
    // Selection, focus and anchor stay on the rows they marked.
    auto shift = [index](int marked) { return marked >= index ? marked + 1 : marked; };
    if (m_selection.Count() > 0) {
        m_selection.Rewrite([](int) { return false; }, shift);
    }
    m_nFocusItem = m_nFocusItem < 0 ? m_nFocusItem : shift(m_nFocusItem);
    m_nAnchor = m_nAnchor < 0 ? m_nAnchor : shift(m_nAnchor);
    if (index >= m_nTopIndex && index < m_nTopIndex + m_nCountPerPage) {
        ReCalcLayout();
    }
    return index;
}

BOOL CKxGrid::SetItemText(int index, int column, const wchar_t* text)
{
    if (IsCallback() || !ValidStoredRow(index) || !ValidColumn(column) ||
        column >= static_cast<int>(m_rows[index].cells.size())) {
        return FALSE;
    }
    CopyText(m_rows[index].cells[column].szText, GRID_TEXT_CAPACITY, text);
    RepaintStoredCell(index, column);
    return TRUE;
}

// Rows from index on were removed so that newCount remain; with shiftAbove one row (index) went and
// the rows after it moved up by one.
void CKxGrid::RemoveRowsFromState(int index, int newCount, bool shiftAbove)
{
    auto gone = [&](int row) { return (shiftAbove && row == index) || (!shiftAbove && row >= index); };
    auto renumber = [&](int row) { return shiftAbove && row > index ? row - 1 : row; };
    m_selection.Rewrite([&](int row) { return gone(row) || renumber(row) >= newCount; }, renumber);
    for (int* marked : {&m_nFocusItem, &m_nAnchor}) {
        if (*marked >= 0) {
            *marked = gone(*marked) || renumber(*marked) >= newCount ? -1 : renumber(*marked);
        }
    }
}

BOOL CKxGrid::DeleteItem(int index)
{
    if (index < 0) {
        return FALSE;
    }
    const bool visible = index >= m_nTopIndex && index < m_nTopIndex + m_nCountPerPage;
    if (IsCallback() || !ValidStoredRow(index)) {
        if (index >= m_nItemCount) {
            return FALSE;
        }
        const int oldCount = m_nItemCount--;
        if (m_nTopIndex >= m_nItemCount) {
            m_nTopIndex = std::max(0, oldCount - m_nCountPerPage - 1);
        }
    } else {
        m_rows.erase(m_rows.begin() + index);
        m_nItemCount = static_cast<int>(m_rows.size());
    }
    RemoveRowsFromState(index, m_nItemCount, true);
    if (visible) {
        ReCalcLayout();
    }
    return TRUE;
}

void CKxGrid::DeleteAllItems()
{
    if (IsCallback()) {
        SetItemCount(0);
        return;
    }
    m_rows.clear();
    m_nItemCount = 0;
    RemoveRowsFromState(0, 0, false);
    ReCalcLayout();
}

void CKxGrid::SetItemCount(int count)
{
    if (!IsCallback()) {
        return;
    }
    m_nItemCount = std::max(0, count);
    m_nTopIndex = std::max(0, std::min(m_nTopIndex, m_nItemCount - m_nCountPerPage));
    if (m_selection.Count() > 0 || m_nFocusItem >= m_nItemCount || m_nAnchor >= m_nItemCount) {
        RemoveRowsFromState(m_nItemCount, m_nItemCount, false);
    }
    SetupScroll(0);
    if (IsWindow() && m_bRedraw) {
        ReDrawAll(FALSE);
    }
}

BOOL CKxGrid::SetItemData(int index, DWORD data)
{
    if (IsCallback() || index >= m_nItemCount || !ValidStoredRow(index)) {
        return FALSE;
    }
    m_rows[index].dwData = data;
    return TRUE;
}

DWORD CKxGrid::GetItemData(int index) const
{
    return IsCallback() || index >= m_nItemCount || !ValidStoredRow(index) ? 0 : m_rows[index].dwData;
}

CString CKxGrid::GetItemText(int index, int column) const
{
    if (IsCallback() || !ValidStoredRow(index) || !ValidColumn(column) ||
        column >= static_cast<int>(m_rows[index].cells.size())) {
        return CString();
    }
    return CString(m_rows[index].cells[column].szText);
}

BOOL CKxGrid::SetItemColor(int index, COLORREF text, COLORREF background)
{
    if (IsCallback() || !ValidStoredRow(index)) {
        return FALSE;
    }
    for (GRIDCELL& cell : m_rows[index].cells) {
        cell.crText = text;
        cell.crBk = background;
    }
    return TRUE;
}

BOOL CKxGrid::SetSubItemColor(int index, int column, COLORREF text, COLORREF background)
{
    if (IsCallback() || !ValidStoredRow(index) || !ValidColumn(column) ||
        column >= static_cast<int>(m_rows[index].cells.size())) {
        return FALSE;
    }
    m_rows[index].cells[column].crText = text;
    m_rows[index].cells[column].crBk = background;
    return TRUE;
}

// ---- selection and focus ----

int CKxGrid::GetSelectedItems(int* buffer, int bufferBytes) const
{
    const int count = m_selection.Count();
    if (buffer == nullptr || bufferBytes <= 0) {
        return count;
    }
    std::memset(buffer, 0, static_cast<size_t>(bufferBytes));
    const int fits = std::min(count, bufferBytes / static_cast<int>(sizeof(int)));
    std::copy_n(m_selection.Items().begin(), fits, buffer);
    return count;
}

UINT CKxGrid::GetItemState(int index) const
{
    UINT state = 0;
    if (index == m_nFocusItem) {
        state |= LVIS_FOCUSED;
    }
    if (IsSelectedRow(index)) {
        state |= LVIS_SELECTED;
    }
    return state;
}

bool CKxGrid::SetSimplSel(int index, BOOL ensureVisible)
{
    if (m_nItemCount < 1) {
        return false;
    }
    if (index < 0) {
        index = m_nItemCount - 1;
    } else if (index >= m_nItemCount) {
        index = 0;
    }
    const std::vector<int> previous = m_selection.Items();
    const int previousFocus = m_nFocusItem;
    m_selection.Assign({index});
    m_nFocusItem = m_nAnchor = index;
    for (int row : previous) {
        RedrawItems(row, row);
    }
    // The focus mark shows in every column but the first.
    if (previousFocus >= 0 && previousFocus != index) {
        RedrawItems(previousFocus, previousFocus);
    }
    RedrawItems(index, index);
    if (ensureVisible) {
        EnsureVisible(index);
    }
    return true;
}

bool CKxGrid::SetMultiSel(const int* rows, int count, BOOL redraw)
{
    if (m_nItemCount < 1) {
        return false;
    }
    std::vector<int> old = m_selection.Items();
    std::unordered_set<int> oldLeft(old.begin(), old.end());
    std::vector<int> repaint;
    std::vector<int> selected;
    int reference = 0;
    if (old.empty()) {
        selected.push_back(0);
        repaint.push_back(0);
    }
    if (rows != nullptr) {
        int smallest = -1;
        std::unordered_set<int> taken(selected.begin(), selected.end());
        for (int i = 0; i < count; ++i) {
            const int row = rows[i];
            if (row < 0 || row >= m_nItemCount || !taken.insert(row).second) {
                continue;
            }
            selected.push_back(row);
            if (oldLeft.erase(row) == 0) {
                repaint.push_back(row);
            }
            smallest = smallest < 0 ? row : std::min(smallest, row);
        }
        for (int row : old) {
            if (oldLeft.count(row)) {
                repaint.push_back(row);
            }
        }
        reference = smallest < 0 ? 0 : smallest;
    } else {
        reference = old.empty() ? 0 : old.back();
        selected.assign(1, reference);
        for (int row : old) {
            if (row != reference) {
                repaint.push_back(row);
            }
        }
    }
    m_selection.Assign(std::move(selected));
    if (redraw) {
        if (IsRowVisible(reference)) {
            for (int row : repaint) {
                RedrawItems(row, row);
            }
        } else {
            m_nTopIndex = reference;
            ReDrawAll(FALSE);
        }
    }
    return true;
}
