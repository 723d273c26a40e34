#include <util/kxlistctrl.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <set>
#include <tuple>

#include <iterator>
#include <string>

#include "lists/drawingpause.h"
#include "lists/listrows.h"

// What a list item's data points to while the list owns it. The colour stays CLR_INVALID until one
// is set, so that the parent keeps being asked for it.
struct CKXBaseListCtrl::ItemRecord {
    COLORREF color = CLR_INVALID;
    int sortIndex = 0;
    DWORD_PTR data = 0;
};

// A column's text of one row, read once before a sort. The text lives in the run's text pool.
struct CKXBaseListCtrl::SortKey {
    enum class Kind { Number, Date, Text };
    size_t offset = 0;
    int length = 0;
    Kind kind = Kind::Text;
    double value = 0;
    std::tuple<int, int, int> day; // year, month, day
};

// A sort in progress: the keys by sort index, read before the platform starts permuting the items.
struct CKXBaseListCtrl::SortRun {
    std::vector<SortKey> keys;
    std::wstring texts;
    bool ascending = true;
    // Each sort index's final position, when known before the platform sorts.
    std::vector<int> positions;

    const wchar_t* TextOf(const SortKey& key) const { return texts.c_str() + key.offset; }
    // The column's order of two sort indices, ties by index: a total order.
    int Compare(int first, int second) const;
};

// Rows a filter set aside, in the order of their home positions. Each owns its item record.
class CKXBaseListCtrl::HeldRows {
public:
    std::vector<ListRow> rows;

    ~HeldRows() { Free(); }
    void Free()
    {
        for (const ListRow& row : rows) {
            delete reinterpret_cast<ItemRecord*>(row.data);
        }
        rows.clear();
    }
};

namespace {

constexpr UINT kFilterListStyle = WS_CHILD | WS_BORDER | WS_VSCROLL | LBS_NOTIFY;
constexpr DWORD kFilterListExStyle = WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY;

// Whether the whole text is a number; the value is what its start parses to either way.
bool ParseNumber(const wchar_t* text, double* value)
{
    wchar_t* end = nullptr;
    *value = std::wcstod(text, &end);
    // "nan" parses but orders nothing.
    return *end == 0 && !std::isnan(*value);
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Parts of a date text "dd/mm/yyyy" as integers; missing characters count as absent digits.
std::tuple<int, int, int> DateParts(const wchar_t* text, int length)
{
    const auto part = [text, length](int first, int count) {
        wchar_t digits[5] = {};
        for (int i = 0; i < count && first + i < length; ++i) {
            digits[i] = text[first + i];
        }
        return _wtoi(digits);
    };
    return {part(6, 4), part(3, 2), part(0, 2)};
}

} // namespace

CKXBaseListCtrl::CKXBaseListCtrl() : m_held(std::make_unique<HeldRows>()) {}

CKXBaseListCtrl::~CKXBaseListCtrl()
{
    DestroyWindow();
}

// ---- style and header ----

void CKXBaseListCtrl::SetStyle(int style)
{
    m_nStyle = style;
    if (style != 0 && IsWindow()) {
        SubclassHeader();
    }
}

void CKXBaseListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    if (m_nStyle != 0) {
        SubclassHeader();
    }
}

void CKXBaseListCtrl::SubclassHeader()
{
    if (m_header.m_hWnd != nullptr) {
        return;
    }
    const auto header = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
    if (header) {
        m_header.SubclassWindow(header);
    }
}

void CKXBaseListCtrl::AdjustHeaderStyle()
{
    if (m_header.m_hWnd == nullptr) {
        return;
    }
    const int count = m_header.GetItemCount();
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        m_header.GetItem(column, &item);
        item.fmt |= HDF_OWNERDRAW;
        m_header.SetItem(column, &item);
    }
}

void CKXBaseListCtrl::SetHeaderColor(COLORREF text, COLORREF background, COLORREF filterBackground)
{
    m_header.SetColor(text, background, filterBackground);
}

LRESULT CKXBaseListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (TranslateItemData(message, wParam, lParam, &result)) {
        return result;
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}

// The list's own code reaches the records past this, through SendToListView. The wide and narrow
// item and find records differ only in the type of the text they point to.
bool CKXBaseListCtrl::TranslateItemData(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if ((GetStyle() & LVS_OWNERDATA) != 0) {
        return false;
    }
    switch (message) {
    case LVM_INSERTITEMW:
    case LVM_INSERTITEMA:
        if (lParam == 0) {
            return false;
        }
        *result = InsertWithRecord(message, wParam, *reinterpret_cast<const LVITEMW*>(lParam));
        return true;
    case LVM_SETITEMW:
    case LVM_SETITEMA:
    case LVM_GETITEMW:
    case LVM_GETITEMA: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (item == nullptr || (item->mask & LVIF_PARAM) == 0) {
            return false;
        }
        const bool set = message == LVM_SETITEMW || message == LVM_SETITEMA;
        *result = set ? SetItemKeepingRecord(message, wParam, *item) : GetItemWithCallerData(message, wParam, *item);
        return true;
    }
    case LVM_FINDITEMW:
    case LVM_FINDITEMA:
        if (lParam == 0 || (reinterpret_cast<const LVFINDINFOW*>(lParam)->flags & LVFI_PARAM) == 0) {
            return false;
        }
        *result = FindItemByCallerData(static_cast<int>(wParam), *reinterpret_cast<const LVFINDINFOW*>(lParam));
        return true;
    case LVM_SORTITEMS:
        if (lParam == 0) {
            return false;
        }
        *result = SortItemsByCallerData(wParam, lParam);
        return true;
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
        *result = DeleteItemWithRecord(message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

// Every inserted item gets its record at once: the item data it is inserted with is the caller's
// data, kept in the record, and sorting later needs no message per item to attach records.
LRESULT CKXBaseListCtrl::InsertWithRecord(UINT message, WPARAM wParam, const LVITEMW& given)
{
    LVITEMW item = given;
    auto record = std::make_unique<ItemRecord>();
    record->data = (item.mask & LVIF_PARAM) != 0 ? static_cast<DWORD_PTR>(item.lParam) : 0;
    item.mask |= LVIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    const LRESULT inserted = CListCtrl::WindowProc(message, wParam, reinterpret_cast<LPARAM>(&item));
    if (inserted >= 0) {
        record.release()->sortIndex = static_cast<int>(inserted);
    }
    return inserted;
}

// The record stays the item's data; the caller's value goes into it, as the item's (sub-items have
// no data of their own).
LRESULT CKXBaseListCtrl::SetItemKeepingRecord(UINT message, WPARAM wParam, const LVITEMW& given)
{
    LVITEMW item = given;
    item.mask &= ~LVIF_PARAM;
    if (item.mask != 0 && !CListCtrl::WindowProc(message, wParam, reinterpret_cast<LPARAM>(&item))) {
        return FALSE;
    }
    ItemRecord* record = RecordOf(item.iItem);
    if (record == nullptr) {
        return FALSE;
    }
    if (item.iSubItem == 0) {
        record->data = static_cast<DWORD_PTR>(given.lParam);
    }
    return TRUE;
}

LRESULT CKXBaseListCtrl::GetItemWithCallerData(UINT message, WPARAM wParam, LVITEMW& asked)
{
    const LRESULT answered = CListCtrl::WindowProc(message, wParam, reinterpret_cast<LPARAM>(&asked));
    if (answered) {
        asked.lParam = static_cast<LPARAM>(CallerData(FindRecord(asked.iItem)));
    }
    return answered;
}

int CKXBaseListCtrl::FindItemByCallerData(int start, const LVFINDINFOW& find) const
{
    // The search starts after the start item (-1: at the first) and, with LVFI_WRAP, goes round.
    const int count = GetItemCount();
    const int begin = start < 0 ? 0 : (start >= count ? count : start + 1);
    const int span = (find.flags & LVFI_WRAP) != 0 ? count : count - begin;
    for (int step = 0; step < span; ++step) {
        const int item = (begin + step) % count;
        if (CallerData(FindRecord(item)) == static_cast<DWORD_PTR>(find.lParam)) {
            return item;
        }
    }
    return -1;
}

// The caller's comparison between its own compare function and the platform's sort.
struct CKXBaseListCtrl::CallerSort {
    PFNLVCOMPARE compare;
    LPARAM parameter;
};

LRESULT CKXBaseListCtrl::SortItemsByCallerData(WPARAM wParam, LPARAM compare)
{
    CallerSort sort{reinterpret_cast<PFNLVCOMPARE>(compare), static_cast<LPARAM>(wParam)};
    return CListCtrl::WindowProc(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&sort),
                                 reinterpret_cast<LPARAM>(&CKXBaseListCtrl::CompareCallerData));
}

int CALLBACK CKXBaseListCtrl::CompareCallerData(LPARAM first, LPARAM second, LPARAM sort)
{
    const auto* caller = reinterpret_cast<const CallerSort*>(sort);
    return caller->compare(static_cast<LPARAM>(CallerData(reinterpret_cast<const ItemRecord*>(first))),
                           static_cast<LPARAM>(CallerData(reinterpret_cast<const ItemRecord*>(second))),
                           caller->parameter);
}

// Items leave the list with their records, whoever deletes them.
LRESULT CKXBaseListCtrl::DeleteItemWithRecord(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_DELETEALLITEMS) {
        FreeAllRecords();
        return CListCtrl::WindowProc(message, wParam, lParam);
    }
    const int item = static_cast<int>(wParam);
    ItemRecord* record = IsItem(item) ? FindRecord(item) : nullptr;
    const LRESULT deleted = CListCtrl::WindowProc(message, wParam, lParam);
    if (deleted) {
        delete record;
    }
    return deleted;
}

// ---- columns ----

int CKXBaseListCtrl::InsertColumn(int column, const LVCOLUMNW* columnInfo)
{
    if (!IsWindow()) {
        return -1;
    }
    const int inserted = CListCtrl::InsertColumn(column, columnInfo);
    if (inserted >= 0 && m_nStyle != 0) {
        // A list created after SetStyle has its header only now.
        SubclassHeader();
        AdjustHeaderStyle();
        m_header.InsertStateItem(inserted);
        if (static_cast<size_t>(inserted) <= m_arrFilter.size()) {
            m_arrFilter.insert(m_arrFilter.begin() + inserted, CString());
        }
        for (ListRow& row : m_held->rows) {
            if (static_cast<size_t>(inserted) <= row.texts.size()) {
                row.texts.insert(row.texts.begin() + inserted, CString());
            }
        }
    }
    return inserted;
}

BOOL CKXBaseListCtrl::DeleteColumn(int column)
{
    if (!IsWindow()) {
        return FALSE;
    }
    const BOOL deleted = CListCtrl::DeleteColumn(column);
    if (!IsFilterColumn(column)) {
        return deleted;
    }
    if (m_nStyle != 0) {
        const bool wasFiltering = !m_arrFilter[static_cast<size_t>(column)].IsEmpty();
        m_arrFilter.erase(m_arrFilter.begin() + column);
        m_header.DeleteStateItem(column);
        for (ListRow& row : m_held->rows) {
            if (static_cast<size_t>(column) < row.texts.size()) {
                row.texts.erase(row.texts.begin() + column);
            }
        }
        if (m_nSortCol == column) {
            m_nSortCol = -1;
        } else if (m_nSortCol > column) {
            --m_nSortCol;
        }
        if (wasFiltering) {
            ApplyFilters();
        }
    }
    return TRUE;
}

bool CKXBaseListCtrl::IsFilterColumn(int column) const
{
    return column >= 0 && static_cast<size_t>(column) < m_arrFilter.size();
}

// ---- header states ----

BOOL CKXBaseListCtrl::SetSortState(int column, UINT state)
{
    return HasFeatures() ? m_header.SetSortState(column, state) : FALSE;
}

UINT CKXBaseListCtrl::GetSortState(int column) const
{
    return HasFeatures() ? m_header.GetSortState(column) : 0;
}

BOOL CKXBaseListCtrl::SetFilterState(int column, UINT state)
{
    if (!HasFeatures() || (state != 0 && state != KXHDR_NOFILTER) || !m_header.SetFilterState(column, state)) {
        return FALSE;
    }
    if (IsFilterColumn(column) && !m_arrFilter[static_cast<size_t>(column)].IsEmpty()) {
        m_arrFilter[static_cast<size_t>(column)].Empty();
        ApplyFilters();
    }
    return TRUE;
}

CString CKXBaseListCtrl::GetFilter(int column) const
{
    return m_nStyle != 0 && IsFilterColumn(column) ? m_arrFilter[static_cast<size_t>(column)] : CString();
}

void CKXBaseListCtrl::ClearAllColState()
{
    bool cleared = false;
    for (size_t column = 0; column < m_arrFilter.size(); ++column) {
        if (!m_arrFilter[column].IsEmpty()) {
            m_arrFilter[column].Empty();
            SetSortState(static_cast<int>(column), 0);
            m_header.SetFilterState(static_cast<int>(column), 0);
            cleared = true;
        }
    }
    if (cleared) {
        ApplyFilters();
    }
}

// ---- item records ----

CKXBaseListCtrl::ItemRecord* CKXBaseListCtrl::FindRecord(int item) const
{
    return reinterpret_cast<ItemRecord*>(ListItemData(*this, item));
}

DWORD_PTR CKXBaseListCtrl::CallerData(const ItemRecord* record)
{
    return record ? record->data : 0;
}

CKXBaseListCtrl::ItemRecord* CKXBaseListCtrl::RecordOf(int item)
{
    return IsItem(item) ? EnsureRecord(item) : nullptr;
}

CKXBaseListCtrl::ItemRecord* CKXBaseListCtrl::EnsureRecord(int item)
{
    ItemRecord* record = FindRecord(item);
    if (record == nullptr) {
        record = new ItemRecord;
        record->sortIndex = item;
        if (!SetListItemData(*this, item, reinterpret_cast<LPARAM>(record))) {
            delete record;
            return nullptr;
        }
    }
    return record;
}

BOOL CKXBaseListCtrl::SetItemTextColor(int item, COLORREF color)
{
    ItemRecord* record = IsWindow() ? RecordOf(item) : nullptr;
    if (record == nullptr) {
        return FALSE;
    }
    record->color = color;
    RedrawItems(item, item);
    UpdateWindow();
    return TRUE;
}

COLORREF CKXBaseListCtrl::GetItemTextColor(int item) const
{
    if (!IsWindow()) {
        return CLR_INVALID;
    }
    if (!IsItem(item)) {
        return 0;
    }
    const ItemRecord* record = FindRecord(item);
    if (record && record->color != CLR_INVALID) {
        return record->color;
    }
    COLORREF asked = CLR_INVALID;
    const HWND parent = ::GetParent(m_hWnd);
    if (parent && ::SendMessageW(parent, WM_KX_GETITEMTEXTCOLOR, static_cast<WPARAM>(item),
                                 reinterpret_cast<LPARAM>(&asked)) != 0) {
        return asked;
    }
    return ::GetSysColor(COLOR_WINDOWTEXT);
}

BOOL CKXBaseListCtrl::SetItemData(int item, DWORD_PTR data)
{
    ItemRecord* record = IsWindow() ? RecordOf(item) : nullptr;
    if (record == nullptr) {
        return FALSE;
    }
    record->data = data;
    return TRUE;
}

DWORD_PTR CKXBaseListCtrl::GetItemData(int item) const
{
    if (!IsWindow()) {
        return static_cast<DWORD_PTR>(0xFFFFFFFF);
    }
    return IsItem(item) ? CallerData(FindRecord(item)) : 0;
}

BOOL CKXBaseListCtrl::DeleteItem(int item)
{
    return IsWindow() && CListCtrl::DeleteItem(item);
}

void CKXBaseListCtrl::FreeAllRecords()
{
    const int count = GetItemCount();
    for (int item = 0; item < count; ++item) {
        delete FindRecord(item);
        SetListItemData(*this, item, 0);
    }
    m_held->Free();
}

BOOL CKXBaseListCtrl::DeleteAllItems()
{
    return IsWindow() && CListCtrl::DeleteAllItems();
}

BOOL CKXBaseListCtrl::DestroyWindow()
{
    m_arrFilter.clear();
    if (IsWindow()) {
        DeleteAllItems();
    }
    return CListCtrl::DestroyWindow();
}

void CKXBaseListCtrl::OnDestroy()
{
    CListCtrl::DeleteAllItems();
    CListCtrl::OnDestroy();
}

// ---- sorting ----

int CKXBaseListCtrl::Sort(int column, UINT state)
{
    if (!IsWindow()) {
        return 0;
    }
    if (m_nSortCol >= 0 && m_nSortCol != column) {
        SetSortState(m_nSortCol, KXHDR_SORTABLE);
    }
    const int count = GetItemCount();
    DrawingPause pause(*this);
    // The platform permutes the items while it sorts: the keys are read before, by sort index.
    SortRun run;
    ReadSortKeys(column, count, run);
    m_nSortCol = column;
    const BOOL answer = SetSortState(column, state);
    if (count == 0) {
        return answer;
    }
    run.ascending = GetSortState(column) == KXHDR_SORT_UP;
    m_pSortRun = &run;
    std::vector<int> origins = PlannedOrder(run);
    if (origins.empty()) {
        SortRecords(&CKXBaseListCtrl::CompareFunction);
        origins = SortIndicesInPlace();
    } else {
        run.positions.resize(origins.size());
        for (size_t position = 0; position < origins.size(); ++position) {
            run.positions[static_cast<size_t>(origins[position])] = static_cast<int>(position);
        }
        SortRecords(&CKXBaseListCtrl::ComparePlannedPositions);
    }
    m_pSortRun = nullptr;
    RenumberRows(origins);
    return 1;
}

void CKXBaseListCtrl::ReadSortKeys(int column, int count, SortRun& run)
{
    run.keys.resize(static_cast<size_t>(count));
    CellTextReader reader(*this);
    for (int item = 0; item < count; ++item) {
        LPARAM data = 0;
        int length = 0;
        const wchar_t* text = reader.Read(item, column, &length, &data);
        auto* record = reinterpret_cast<ItemRecord*>(data);
        if (record == nullptr) {
            record = EnsureRecord(item);
        }
        if (record != nullptr) {
            record->sortIndex = item;
        }
        while (length > 0 && text[length - 1] == L' ') {
            --length;
        }
        SortKey& key = run.keys[static_cast<size_t>(item)];
        key.offset = run.texts.size();
        key.length = length;
        run.texts.append(text, static_cast<size_t>(length));
        run.texts.push_back(L'\0');
        const wchar_t* trimmed = run.TextOf(key);
        if (ParseNumber(trimmed, &key.value)) {
            key.kind = SortKey::Kind::Number;
        } else if (IsDate(trimmed)) {
            key.kind = SortKey::Kind::Date;
        }
    }
    // Every key compared with a date compares as one.
    const bool dates =
        std::any_of(run.keys.begin(), run.keys.end(), [](const SortKey& key) { return key.kind == SortKey::Kind::Date; });
    if (dates) {
        for (SortKey& key : run.keys) {
            key.day = DateParts(run.TextOf(key), key.length);
        }
    }
}

std::vector<int> CKXBaseListCtrl::PlannedOrder(const SortRun& run)
{
    // With one kind of key the comparison is a total order, so any sorting algorithm (the
    // platform's too) ends in the order planned here. Mixed kinds compare by the first item's kind,
    // which orders differently depending on who compares whom: the platform's order decides then.
    const SortKey::Kind kind = run.keys.front().kind;
    if (std::any_of(run.keys.begin(), run.keys.end(), [kind](const SortKey& key) { return key.kind != kind; })) {
        return {};
    }
    std::vector<int> order(run.keys.size());
    for (size_t index = 0; index < order.size(); ++index) {
        order[index] = static_cast<int>(index);
    }
    std::sort(order.begin(), order.end(), [&run](int first, int second) { return run.Compare(first, second) < 0; });
    return order;
}

void CKXBaseListCtrl::SortRecords(PFNLVCOMPARE compare)
{
    SendToListView(*this, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(compare));
}

std::vector<int> CKXBaseListCtrl::SortIndicesInPlace() const
{
    const int count = GetItemCount();
    std::vector<int> origins(static_cast<size_t>(count), -1);
    for (int item = 0; item < count; ++item) {
        if (const ItemRecord* record = FindRecord(item)) {
            origins[static_cast<size_t>(item)] = record->sortIndex;
        }
    }
    return origins;
}

void CKXBaseListCtrl::RenumberRows(const std::vector<int>& origins)
{
    // A row that moved needs its new number; one that stayed may have it already, and reading a
    // text costs the list view less than writing one.
    const int count = GetItemCount();
    CellTextReader reader(*this);
    wchar_t number[16];
    for (int item = 0; item < count; ++item) {
        std::swprintf(number, std::size(number), L"%d", item + 1);
        const bool moved = static_cast<size_t>(item) >= origins.size() || origins[static_cast<size_t>(item)] != item;
        int length = 0;
        if (moved || std::wcscmp(reader.Read(item, 0, &length), number) != 0) {
            SetItemText(item, 0, number);
        }
    }
}

BOOL CKXBaseListCtrl::IsNumber(const wchar_t* text)
{
    double value = 0;
    return text != nullptr && ParseNumber(text, &value);
}

int CKXBaseListCtrl::NumberCompare(const wchar_t* first, const wchar_t* second)
{
    const double a = std::wcstod(first, nullptr);
    const double b = std::wcstod(second, nullptr);
    return (a > b) - (a < b);
}

BOOL CKXBaseListCtrl::IsDate(const wchar_t* text)
{
    if (text == nullptr || std::wcslen(text) != 10) {
        return FALSE;
    }
    for (int i = 0; i < 10; ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash ? text[i] != L'/' : !std::iswdigit(text[i])) {
            return FALSE;
        }
    }
    return TRUE;
}

int CKXBaseListCtrl::DateCompare(const wchar_t* first, const wchar_t* second)
{
    const auto a = DateParts(first, static_cast<int>(std::wcslen(first)));
    const auto b = DateParts(second, static_cast<int>(std::wcslen(second)));
    return (a > b) - (a < b);
}

int CKXBaseListCtrl::SortRun::Compare(int first, int second) const
{
    const SortKey* a = &keys[static_cast<size_t>(first)];
    const SortKey* b = &keys[static_cast<size_t>(second)];
    if (!ascending) {
        std::swap(a, b);
    }
    int order = 0;
    switch (a->kind) {
    case SortKey::Kind::Number:
        order = (a->value > b->value) - (a->value < b->value);
        break;
    case SortKey::Kind::Date:
        order = (a->day > b->day) - (a->day < b->day);
        break;
    case SortKey::Kind::Text:
        order = Sign(::CompareStringW(LOCALE_USER_DEFAULT, 0, TextOf(*a), a->length, TextOf(*b), b->length) -
                     CSTR_EQUAL);
        break;
    }
    // Equal keys keep their order, in both directions.
    return order != 0 ? order : (first > second) - (first < second);
}

const CKXBaseListCtrl::SortRun* CKXBaseListCtrl::RunOf(LPARAM control)
{
    const auto* list = reinterpret_cast<const CKXBaseListCtrl*>(control);
    return list ? list->m_pSortRun : nullptr;
}

int CALLBACK CKXBaseListCtrl::CompareFunction(LPARAM first, LPARAM second, LPARAM control)
{
    const SortRun* run = RunOf(control);
    const auto* one = reinterpret_cast<const ItemRecord*>(first);
    const auto* other = reinterpret_cast<const ItemRecord*>(second);
    const auto known = [run](const ItemRecord* record) {
        return record != nullptr && record->sortIndex >= 0 && static_cast<size_t>(record->sortIndex) < run->keys.size();
    };
    return run != nullptr && known(one) && known(other) ? run->Compare(one->sortIndex, other->sortIndex) : 0;
}

int CALLBACK CKXBaseListCtrl::ComparePlannedPositions(LPARAM first, LPARAM second, LPARAM control)
{
    const SortRun* run = RunOf(control);
    const auto* one = reinterpret_cast<const ItemRecord*>(first);
    const auto* other = reinterpret_cast<const ItemRecord*>(second);
    const auto known = [run](const ItemRecord* record) {
        return record != nullptr && record->sortIndex >= 0 &&
               static_cast<size_t>(record->sortIndex) < run->positions.size();
    };
    if (run == nullptr || !known(one) || !known(other)) {
        return 0;
    }
    const int a = run->positions[static_cast<size_t>(one->sortIndex)];
    const int b = run->positions[static_cast<size_t>(other->sortIndex)];
    return (a > b) - (a < b);
}

// ---- filtering ----

int CKXBaseListCtrl::Filter(int column, const wchar_t* text)
{
    m_nFilterCol = column;
    // An owner-data list's rows are its parent's: there is nothing the list could hold aside.
    if (!HasFeatures() || !IsFilterColumn(column) || (GetStyle() & LVS_OWNERDATA) != 0) {
        return 0;
    }
    if (text && *text) {
        m_arrFilter[static_cast<size_t>(column)] = text;
        ApplyFilters();
        m_header.SetFilterState(column, KXHDR_FILTERED);
        return 0;
    }
    if (column == 0) {
        return 0;
    }
    if (m_filterList.m_hWnd == nullptr) {
        if (!m_filterList.CreateEx(kFilterListExStyle, L"LISTBOX", nullptr, kFilterListStyle, CRect(0, 0, 0, 0), this,
                                   KXLIST_FILTER_LIST_ID)) {
            return 0;
        }
        m_filterList.SendMessage(WM_SETFONT, static_cast<WPARAM>(SendMessage(WM_GETFONT)), FALSE);
    }
    InitFilterListData(column);
    CRect item;
    m_header.GetItemRect(column, &item);
    m_header.MapWindowPoints(this, &item);
    CRect client;
    GetClientRect(&client);
    m_filterList.MoveWindow(item.left, item.bottom, item.Width(), client.bottom - item.bottom);
    m_filterList.ShowWindow(SW_SHOW);
    m_filterList.SetFocus();
    return 0;
}

void CKXBaseListCtrl::InitFilterListData(int column)
{
    m_filterList.ResetContent();
    m_filterList.AddString(KXLIST_FILTER_ALL);
    // The values a user can pick: those of the rows that the other columns' filters let through.
    const auto passesOthers = [this, column](const std::vector<CString>& texts) {
        for (size_t other = 0; other < m_arrFilter.size(); ++other) {
            if (static_cast<int>(other) != column && !m_arrFilter[other].IsEmpty() &&
                (other >= texts.size() || texts[other] != m_arrFilter[other])) {
                return false;
            }
        }
        return true;
    };
    std::set<CString> values;
    const int count = GetItemCount();
    for (int item = 0; item < count; ++item) {
        values.insert(GetItemText(item, column));
    }
    for (const ListRow& row : m_held->rows) {
        if (static_cast<size_t>(column) < row.texts.size() && passesOthers(row.texts)) {
            values.insert(row.texts[static_cast<size_t>(column)]);
        }
    }
    for (const CString& value : values) {
        m_filterList.AddString(value);
    }
    m_filterList.SetCurSel(0);
}

void CKXBaseListCtrl::ApplyFilters()
{
    const bool filtering =
        std::any_of(m_arrFilter.begin(), m_arrFilter.end(), [](const CString& text) { return !text.IsEmpty(); });
    if (!filtering && m_held->rows.empty()) {
        return;
    }
    const int columns = m_header.m_hWnd ? m_header.GetItemCount() : static_cast<int>(m_arrFilter.size());
    const int count = GetItemCount();

    // Every row in its place: the shown ones in their order, the held ones back at their home positions.
    std::vector<ListRow> all;
    all.reserve(static_cast<size_t>(count) + m_held->rows.size());
    auto held = m_held->rows.begin();
    for (int item = 0; item < count || held != m_held->rows.end();) {
        if (held != m_held->rows.end() && (held->home <= all.size() || item >= count)) {
            all.push_back(std::move(*held++));
        } else {
            all.push_back(TakeListRow(*this, item++, columns));
        }
    }
    m_held->rows.clear();

    const auto matches = [this](const ListRow& row) {
        for (size_t column = 0; column < m_arrFilter.size(); ++column) {
            if (!m_arrFilter[column].IsEmpty() &&
                (column >= row.texts.size() || row.texts[column] != m_arrFilter[column])) {
                return false;
            }
        }
        return true;
    };
    DrawingPause pause(*this);
    // The records travel with the rows: the platform's own deletion leaves them alone.
    SendToListView(*this, LVM_DELETEALLITEMS);
    for (size_t position = 0; position < all.size(); ++position) {
        ListRow& row = all[position];
        if (matches(row)) {
            if (AppendListRow(*this, row) < 0) {
                delete reinterpret_cast<ItemRecord*>(row.data);
            }
        } else {
            row.home = position;
            m_held->rows.push_back(std::move(row));
        }
    }
    RenumberRows({});
}

void CKXBaseListCtrl::HideFilterList()
{
    if (m_filterList.m_hWnd && m_filterList.IsWindowVisible()) {
        m_filterList.ShowWindow(SW_HIDE);
    }
}

void CKXBaseListCtrl::OnSelFilterData()
{
    HideFilterList();
    const int selected = m_filterList.GetCurSel();
    if (selected < 0 || !IsFilterColumn(m_nFilterCol)) {
        return;
    }
    if (selected == 0) {
        m_arrFilter[static_cast<size_t>(m_nFilterCol)].Empty();
        m_header.SetFilterState(m_nFilterCol, KXHDR_NOFILTER);
        ApplyFilters();
        return;
    }
    CString value;
    m_filterList.GetText(selected, value);
    Filter(m_nFilterCol, value);
}

void CKXBaseListCtrl::OnKillfocusFilter()
{
    HideFilterList();
}

// ---- messages ----

void CKXBaseListCtrl::OnColumnclick(NMLISTVIEW* info)
{
    HideFilterList();
    const int column = info->iSubItem;
    switch (GetSortState(column)) {
    case KXHDR_SORTABLE:
    case KXHDR_SORT_UP:
        Sort(column, KXHDR_SORT_DOWN);
        break;
    case KXHDR_SORT_DOWN:
        Sort(column, KXHDR_SORT_UP);
        break;
    default:
        break;
    }
}

LRESULT CKXBaseListCtrl::OnNMCustomdraw(NMLVCUSTOMDRAW* draw)
{
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrText = GetItemTextColor(static_cast<int>(draw->nmcd.dwItemSpec));
        draw->clrTextBk = GetBkColor();
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

BOOL CKXBaseListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == m_hWnd && header->code == LVN_COLUMNCLICK) {
            OnColumnclick(reinterpret_cast<NMLISTVIEW*>(lParam));
            *result = 0;
            return TRUE;
        }
        if (header->hwndFrom == m_hWnd && header->code == NM_CUSTOMDRAW) {
            *result = OnNMCustomdraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            return TRUE;
        }
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CKXBaseListCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_filterList.m_hWnd && reinterpret_cast<HWND>(lParam) == m_filterList.m_hWnd &&
        LOWORD(wParam) == KXLIST_FILTER_LIST_ID) {
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            OnSelFilterData();
        } else if (HIWORD(wParam) == LBN_KILLFOCUS) {
            OnKillfocusFilter();
        }
        return TRUE;
    }
    return CListCtrl::OnCommand(wParam, lParam);
}

void CKXBaseListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    HideFilterList();
    CListCtrl::OnLButtonDown(flags, point);
}

void CKXBaseListCtrl::OnNcLButtonDown(UINT hitTest, CPoint screenPoint)
{
    if (m_filterList.m_hWnd && m_filterList.IsWindowVisible()) {
        m_filterList.ShowWindow(SW_HIDE);
        ::ReleaseCapture();
    }
    CListCtrl::OnNcLButtonDown(hitTest, screenPoint);
}
