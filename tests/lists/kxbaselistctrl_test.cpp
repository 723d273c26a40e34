#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "lists/list_fixture.h"

using liststest::kDate;
using liststest::kName;
using liststest::kQuantity;
using liststest::kSerial;
using liststest::Serials;

namespace {

using BaseListTest = liststest::ListTest<CKXBaseListCtrl>;

// ---- sorting ----

struct SortCase {
    const char* name;
    int column;
    UINT state;
    std::vector<std::wstring> values;
    std::vector<std::wstring> expected;
};

// Test names in the runner show the case's name, not its bytes.
void PrintTo(const SortCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class ListSort : public BaseListTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(ListSort, OrdersTheColumnAndRenumbersTheSerials)
{
    const SortCase& sort = GetParam();
    for (const std::wstring& value : sort.values) {
        liststest::Row row(3);
        row[static_cast<size_t>(sort.column) - 1] = value;
        AddRows({row});
    }
    EXPECT_EQ(list.Sort(sort.column, sort.state), 1);
    EXPECT_EQ(Column(sort.column), sort.expected);
    EXPECT_EQ(Column(kSerial), Serials(static_cast<int>(sort.values.size())));
    EXPECT_EQ(list.GetSortState(sort.column), sort.state);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ListSort,
    ::testing::Values(
        SortCase{"NumbersByValue", kQuantity, KXHDR_SORT_UP, {L"10", L"9", L"100", L"9.5", L"-1"},
                 {L"-1", L"9", L"9.5", L"10", L"100"}},
        SortCase{"NumbersDescending", kQuantity, KXHDR_SORT_DOWN, {L"10", L"9 ", L"100"}, {L"100", L"10", L"9 "}},
        SortCase{"DatesYearFirst", kDate, KXHDR_SORT_UP, {L"01/02/2024", L"31/12/2023", L"15/01/2024", L"02/01/2024"},
                 {L"31/12/2023", L"02/01/2024", L"15/01/2024", L"01/02/2024"}},
        SortCase{"DatesAgainstShortText", kDate, KXHDR_SORT_UP, {L"01/02/2024", L"1/2"}, {L"1/2", L"01/02/2024"}},
        SortCase{"Texts", kName, KXHDR_SORT_UP, {L"pear", L"Apple", L"fig"}, {L"Apple", L"fig", L"pear"}},
        SortCase{"NoItems", kName, KXHDR_SORT_UP, {}, {}}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return info.param.name; });

TEST_F(BaseListTest, SortingKeepsEqualKeysInTheirOrderBothWays)
{
    AddRows({{L"a", L"5"}, {L"b", L"3"}, {L"c", L"5"}, {L"d", L"3"}, {L"e", L"5"}});
    list.Sort(kQuantity, KXHDR_SORT_UP);
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"b", L"d", L"a", L"c", L"e"}));
    list.Sort(kQuantity, KXHDR_SORT_DOWN);
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"a", L"c", L"e", L"b", L"d"}));
}

TEST_F(BaseListTest, SortingCarriesColoursAndDataWithTheRows)
{
    AddRows({{L"x", L"2"}, {L"y", L"1"}});
    list.SetItemTextColor(0, RGB(200, 0, 0));
    list.SetItemData(0, 0x1234567890ull);
    list.Sort(kQuantity, KXHDR_SORT_UP);
    EXPECT_EQ(list.GetItemText(1, kName), L"x");
    EXPECT_EQ(list.GetItemTextColor(1), RGB(200, 0, 0));
    EXPECT_EQ(list.GetItemData(1), 0x1234567890ull);
    EXPECT_EQ(list.GetItemData(0), 0u);
}

TEST_F(BaseListTest, DataGivenAtInsertionIsTheCallersAndTravelsWithItsRow)
{
    AddRows({{L"x", L"2"}});
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 1;
    item.pszText = const_cast<wchar_t*>(L"");
    item.lParam = 0xABCDEF;
    ASSERT_EQ(list.InsertItem(&item), 1);
    list.SetItemText(1, kQuantity, L"1");
    EXPECT_EQ(list.GetItemData(1), 0xABCDEFu);
    list.Sort(kQuantity, KXHDR_SORT_UP);
    EXPECT_EQ(list.GetItemText(1, kQuantity), L"2");
    EXPECT_EQ(list.GetItemData(0), 0xABCDEFu);
    EXPECT_EQ(list.GetItemData(1), 0u);
}

TEST_F(BaseListTest, SortingRenumbersRowsThatStayInPlace)
{
    AddRows({{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}});
    list.SetItemText(1, kSerial, L"7");
    list.Sort(kQuantity, KXHDR_SORT_UP);
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(Column(kSerial), Serials(3));
}

TEST_F(BaseListTest, SortingMixedKindsKeepsEveryRowAndRenumbers)
{
    AddRows({{L"a", L"pear"}, {L"b", L"5"}, {L"c", L"01/02/2024"}, {L"d", L""}, {L"e", L"12"}, {L"f", L"fig"}});
    for (const UINT state : {KXHDR_SORT_UP, KXHDR_SORT_DOWN}) {
        EXPECT_EQ(list.Sort(kQuantity, state), 1);
        std::vector<std::wstring> names = Column(kName);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e", L"f"}));
        EXPECT_EQ(Column(kSerial), Serials(6));
    }
}

TEST_F(BaseListTest, SortingAnotherColumnMakesThePreviousOneSortableAgain)
{
    AddRows({{L"x", L"2"}});
    list.Sort(kQuantity, KXHDR_SORT_UP);
    list.Sort(kName, KXHDR_SORT_DOWN);
    EXPECT_EQ(list.GetSortState(kQuantity), static_cast<UINT>(KXHDR_SORTABLE));
    EXPECT_EQ(list.GetSortState(kName), static_cast<UINT>(KXHDR_SORT_DOWN));
}

TEST_F(BaseListTest, ClickingAHeaderSortsDescendingThenAscending)
{
    AddRows({{L"a", L"9"}, {L"b", L"10"}, {L"c", L"1"}});
    list.SetSortState(kSerial, KXHDR_SORT_NONE);
    const auto click = [this](int column) {
        NMLISTVIEW info{};
        info.hdr = {list.m_hWnd, 7, static_cast<UINT>(LVN_COLUMNCLICK)};
        info.iItem = -1;
        info.iSubItem = column;
        parent.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&info));
    };
    click(kQuantity);
    EXPECT_EQ(list.GetSortState(kQuantity), static_cast<UINT>(KXHDR_SORT_DOWN));
    EXPECT_EQ(Column(kQuantity), (std::vector<std::wstring>{L"10", L"9", L"1"}));
    click(kQuantity);
    EXPECT_EQ(list.GetSortState(kQuantity), static_cast<UINT>(KXHDR_SORT_UP));
    EXPECT_EQ(Column(kQuantity), (std::vector<std::wstring>{L"1", L"9", L"10"}));
    click(kSerial); // not sortable: nothing moves
    EXPECT_EQ(Column(kQuantity), (std::vector<std::wstring>{L"1", L"9", L"10"}));
    EXPECT_TRUE(parent.Notifications(LVN_COLUMNCLICK).back().takenByChild);
}

// ---- filtering ----

class ListFilter : public BaseListTest {
protected:
    void SetUp() override
    {
        BaseListTest::SetUp();
        AddRows({{L"\u6D66\u53D1", L"100", L"\u4E70"}, {L"\u62DB\u5546", L"200", L"\u5356"},
                 {L"\u5DE5\u5546", L"100", L"\u4E70"}, {L"\u5E73\u5B89", L"300", L"\u4E70"},
                 {L"\u4E2D\u4FE1", L"100", L"\u5356"}});
        for (int item = 0; item < list.GetItemCount(); ++item) {
            list.SetItemTextColor(item, RGB(10 * item, 0, 0));
            list.SetItemData(item, 1000u + static_cast<unsigned>(item));
        }
    }
    HWND FilterList() const { return ::GetDlgItem(list.m_hWnd, KXLIST_FILTER_LIST_ID); }
    // Picks an entry of the open filter list as the user does, with a click.
    void PickEntry(int entry)
    {
        RECT item{};
        ::SendMessageW(FilterList(), LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM(item.left + 3, (item.top + item.bottom) / 2);
        ::SendMessageW(FilterList(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(FilterList(), WM_LBUTTONUP, 0, at);
    }
    std::vector<std::wstring> Entries() const
    {
        std::vector<std::wstring> entries;
        const int count = static_cast<int>(::SendMessageW(FilterList(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            ::SendMessageW(FilterList(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            entries.emplace_back(text);
        }
        return entries;
    }
    void ExpectAllRowsBack()
    {
        EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"\u6D66\u53D1", L"\u62DB\u5546", L"\u5DE5\u5546",
                                                             L"\u5E73\u5B89", L"\u4E2D\u4FE1"}));
        EXPECT_EQ(Column(kSerial), Serials(5));
        for (int item = 0; item < 5; ++item) {
            EXPECT_EQ(list.GetItemTextColor(item), RGB(10 * item, 0, 0)) << item;
            EXPECT_EQ(list.GetItemData(item), 1000u + static_cast<unsigned>(item)) << item;
        }
    }
};

TEST_F(ListFilter, KeepsMatchingRowsRenumbered)
{
    EXPECT_EQ(list.Filter(kQuantity, L"100"), 0);
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"\u6D66\u53D1", L"\u5DE5\u5546", L"\u4E2D\u4FE1"}));
    EXPECT_EQ(Column(kSerial), Serials(3));
    EXPECT_EQ(list.GetFilter(kQuantity), L"100");
    EXPECT_EQ(list.GetItemData(1), 1002u);
}

TEST_F(ListFilter, ColumnsCombineAndAChangedFilterBringsRowsBack)
{
    list.Filter(kQuantity, L"100");
    list.Filter(kDate, L"\u4E70");
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"\u6D66\u53D1", L"\u5DE5\u5546"}));
    list.Filter(kQuantity, L"300");
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"\u5E73\u5B89"}));
    list.ClearAllColState();
    ExpectAllRowsBack();
}

TEST_F(ListFilter, TheDropDownOffersEveryValueAndAllBringsTheRowsBack)
{
    list.Filter(kQuantity, nullptr);
    ASSERT_NE(FilterList(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(FilterList()));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"\u5168\u90E8", L"100", L"200", L"300"}));
    RECT header{};
    list.GetHeaderCtrl()->GetItemRect(kQuantity, &header);
    RECT placed{};
    ::GetWindowRect(FilterList(), &placed);
    list.ScreenToClient(&placed);
    EXPECT_EQ(placed.left, header.left);
    EXPECT_EQ(placed.top, header.bottom);

    PickEntry(2);
    EXPECT_FALSE(::IsWindowVisible(FilterList()));
    EXPECT_EQ(Column(kQuantity), (std::vector<std::wstring>{L"200"}));

    // Reopened on the filtered column, it still offers the values the filter hides.
    list.Filter(kQuantity, nullptr);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"\u5168\u90E8", L"100", L"200", L"300"}));
    PickEntry(0);
    EXPECT_EQ(list.GetFilter(kQuantity), L"");
    ExpectAllRowsBack();
}

TEST_F(ListFilter, RowsComeBackAfterSortingWhileFiltered)
{
    list.Filter(kQuantity, L"100");
    list.Sort(kName, KXHDR_SORT_DOWN);
    list.SetFilterState(kQuantity, KXHDR_NOFILTER);
    EXPECT_EQ(list.GetItemCount(), 5);
    std::vector<std::wstring> names = Column(kName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"\u4E2D\u4FE1", L"\u5DE5\u5546", L"\u5E73\u5B89", L"\u62DB\u5546",
                                                 L"\u6D66\u53D1"}));
}

TEST_F(ListFilter, HeldRowsAreFreedWithTheList)
{
    list.Filter(kQuantity, L"200");
    EXPECT_TRUE(list.DeleteAllItems());
    list.ClearAllColState();
    EXPECT_EQ(list.GetItemCount(), 0);
}

class OwnerDataList : public BaseListTest {
protected:
    DWORD ListStyle() const override { return LVS_OWNERDATA; }
};

TEST_F(OwnerDataList, FilteringLeavesTheParentsRowsAlone)
{
    list.SendMessage(LVM_SETITEMCOUNT, 3);
    EXPECT_EQ(list.Filter(kQuantity, L"100"), 0);
    EXPECT_EQ(list.GetFilter(kQuantity), L"");
    EXPECT_EQ(list.GetItemCount(), 3);
}

TEST_F(ListFilter, TheFilteredColumnHasTheFilterBackground)
{
    list.SetHeaderColor(CLR_INVALID, RGB(0, 200, 0), RGB(0, 0, 200));
    list.Filter(kQuantity, L"100");
    testsupport::DibSurface surface(480, 30);
    CHeaderCtrl* header = list.GetHeaderCtrl();
    header->SendMessage(WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()));
    CRect quantity;
    CRect name;
    header->GetItemRect(kQuantity, &quantity);
    header->GetItemRect(kName, &name);
    EXPECT_EQ(surface.pixel(quantity.left + 3, 2), RGB(0, 0, 200));
    EXPECT_EQ(surface.pixel(name.left + 3, 2), RGB(0, 200, 0));
}

// ---- colours ----

TEST_F(BaseListTest, TextColoursComeFromTheRecordOrTheParent)
{
    AddRows({{L"a"}, {L"b"}, {L"c"}});
    parent.colours = {{0, RGB(255, 0, 0)}, {2, RGB(0, 0, 255)}};
    list.SetItemTextColor(2, RGB(0, 128, 0));
    EXPECT_EQ(list.GetItemTextColor(0), RGB(255, 0, 0));
    EXPECT_EQ(list.GetItemTextColor(1), ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(list.GetItemTextColor(2), RGB(0, 128, 0));
    EXPECT_EQ(list.GetItemTextColor(3), 0u);
    EXPECT_EQ(list.GetItemTextColor(-1), 0u);
    // A record made for other reasons still leaves the colour to the parent.
    list.SetItemData(0, 5);
    list.Sort(kName, KXHDR_SORT_UP);
    EXPECT_EQ(list.GetItemTextColor(0), RGB(255, 0, 0));
}

TEST_F(BaseListTest, CustomDrawPaintsEachRowInItsColour)
{
    AddRows({{L"\u6D66\u53D1\u94F6\u884C"}, {L"\u62DB\u5546\u94F6\u884C"}});
    parent.colours = {{1, RGB(250, 0, 0)}};
    list.SetItemTextColor(0, RGB(0, 0, 250));
    testsupport::DibSurface surface(480, 360);
    PaintInto(surface);
    CRect first;
    CRect second;
    list.GetItemRect(0, &first, LVIR_BOUNDS);
    list.GetItemRect(1, &second, LVIR_BOUNDS);
    EXPECT_GT(surface.count(RGB(0, 0, 250), first), 0);
    EXPECT_EQ(surface.count(RGB(250, 0, 0), first), 0);
    EXPECT_GT(surface.count(RGB(250, 0, 0), second), 0);
    EXPECT_EQ(surface.count(RGB(0, 0, 250), second), 0);
}

// ---- bad input and lifetimes ----

TEST(BaseListWithoutWindow, AnswersWithTheFailureValues)
{
    CKXBaseListCtrl list;
    EXPECT_EQ(list.GetItemTextColor(0), CLR_INVALID);
    EXPECT_EQ(list.GetItemData(0), 0xFFFFFFFFu);
    EXPECT_FALSE(list.SetItemData(0, 1));
    EXPECT_FALSE(list.SetItemTextColor(0, 1));
    EXPECT_EQ(list.InsertColumn(0, L"x"), -1);
    EXPECT_FALSE(list.DeleteColumn(0));
    EXPECT_EQ(list.Sort(0, KXHDR_SORT_UP), 0);
    EXPECT_EQ(list.GetSortState(0), 0u);
    EXPECT_EQ(list.GetFilter(0), L"");
    EXPECT_FALSE(list.DeleteAllItems());
}

TEST_F(BaseListTest, OutOfRangeItemsAndColumnsChangeNothing)
{
    AddRows({{L"a"}});
    EXPECT_FALSE(list.SetItemData(1, 9));
    EXPECT_FALSE(list.SetItemData(-1, 9));
    EXPECT_EQ(list.GetItemData(5), 0u);
    EXPECT_FALSE(list.SetSortState(-2, KXHDR_SORT_UP));
    EXPECT_FALSE(list.SetFilterState(kName, KXHDR_FILTERED)); // only 0 and 0x10
    EXPECT_EQ(list.Filter(-3, L"a"), 0);
    EXPECT_EQ(list.Filter(99, L"a"), 0);
    EXPECT_EQ(list.GetItemCount(), 1);
}

TEST_F(BaseListTest, DeletingAColumnRemovesItsStateAndFilter)
{
    AddRows({{L"a", L"1"}, {L"b", L"2"}});
    list.Filter(kQuantity, L"1");
    EXPECT_TRUE(list.DeleteColumn(kQuantity));
    EXPECT_EQ(list.GetItemCount(), 2); // the filter went with its column
    EXPECT_EQ(list.GetSortState(kQuantity), static_cast<UINT>(KXHDR_SORTABLE)); // the date column moved left
    EXPECT_EQ(list.GetSortState(3), static_cast<UINT>(KXHDR_NOSTATE));
}

TEST_F(BaseListTest, DeleteItemAndDestroyFreeTheRecords)
{
    AddRows({{L"a"}, {L"b"}});
    list.SetItemTextColor(0, RGB(1, 1, 1));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, kName), L"b");
    EXPECT_FALSE(list.DeleteItem(3));
    EXPECT_TRUE(list.DestroyWindow());
    EXPECT_EQ(list.m_hWnd, nullptr);
}

} // namespace
