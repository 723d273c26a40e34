// The grid's data: columns, header rows, rows, heights, selection and the bookkeeping of deletions.
#include <util/grid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "grid_fixture.h"

using gridtest::GridParent;
using gridtest::MakeGrid;
using gridtest::TestGrid;

namespace {

std::vector<int> Selected(const CKxGrid& grid)
{
    std::vector<int> rows(static_cast<size_t>(grid.GetSelectedCount()));
    grid.GetSelectedItems(rows.data(), static_cast<int>(rows.size() * sizeof(int)));
    return rows;
}

// A font of the given character height in pixels.
HFONT FontOfHeight(int height)
{
    return CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
}

} // namespace

TEST(GridModel, TextsAreCutToTheirFields)
{
    TestGrid grid;
    grid.InsertColumn(0, std::wstring(40, L'T').c_str(), 0, 50, FALSE);
    grid.InsertColumn(1, L"second", GF_RIGHT, 60, FALSE);
    _KXGRIDCOLUMN column{};
    ASSERT_TRUE(grid.GetColumn(0, &column));
    EXPECT_EQ(std::wstring(column.szText), std::wstring(31, L'T'));
    EXPECT_EQ(column.nFormat, 0u);

    EXPECT_EQ(grid.InsertItem(-1, std::wstring(100, L'x').c_str()), 0);
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 0)), std::wstring(63, L'x'));
    EXPECT_TRUE(grid.SetItemText(0, 1, std::wstring(70, L'y').c_str()));
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 1)), std::wstring(63, L'y'));
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 2)), L"");
    EXPECT_FALSE(grid.GetColumn(2, &column));
}

TEST(GridModel, RowsNeedColumnsAndStoredMode)
{
    struct Case {
        DWORD style;
        int columns;
        int expectedCount;
    };
    const Case cases[] = {{0, 0, 0}, {0, 2, 3}, {GS_CELLCALLBACK, 2, 0}, {GS_ROWCALLBACK, 2, 3}};
    for (const Case& c : cases) {
        TestGrid grid;
        grid.SetKxStyle(c.style);
        for (int i = 0; i < c.columns; ++i) {
            grid.InsertColumn(-1, L"c", 0, 40, FALSE);
        }
        for (int i = 0; i < 3; ++i) {
            grid.InsertItem(-1, L"row");
        }
        EXPECT_EQ(grid.GetItemCount(), c.expectedCount) << "style " << c.style << " columns " << c.columns;
        EXPECT_EQ(grid.SetItemData(0, 7), c.expectedCount > 0 && !(c.style & GS_CALLBACKMASK));
    }
}

TEST(GridModel, ColumnsKeepTheirCellsAndTheFixedCount)
{
    TestGrid grid;
    for (const wchar_t* title : {L"a", L"b", L"c", L"d"}) {
        grid.InsertColumn(-1, title, 0, 40, FALSE);
    }
    grid.InsertItem(-1, L"first");
    grid.SetItemText(0, 2, L"third");
    grid.InsertHeaderItem(-1, L"head");
    grid.SetHeaderItemText(0, 3, L"fourth");
    grid.SetFixedColCount(2);

    // A new column takes its place in every row; the old cells move with their columns.
    EXPECT_EQ(grid.InsertColumn(1, L"new", 0, 40, FALSE), 1);
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 3)), L"third");
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 1)), L"");

    EXPECT_TRUE(grid.DeleteColumn(0));
    EXPECT_EQ(grid.GetFixedColCount(), 1);
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 2)), L"third");
    EXPECT_FALSE(grid.DeleteColumn(4));
    EXPECT_FALSE(grid.DeleteColumn(-1));

    EXPECT_TRUE(grid.SetColumnData(1, 42));
    EXPECT_EQ(grid.GetColumnData(1), 42u);
    EXPECT_EQ(grid.GetColumnData(9), 0u);
    EXPECT_FALSE(grid.SetColumnWidth(1, 40)); // unchanged
    EXPECT_TRUE(grid.SetColumnWidth(1, 70));
    EXPECT_EQ(grid.GetColumnWidth(1), 70);

    grid.SetSortColumn(2, 1);
    grid.SetSortColumn(1, -1);
    _KXGRIDCOLUMN column{};
    grid.GetColumn(2, &column);
    EXPECT_EQ(column.nSort, 0);
    grid.GetColumn(1, &column);
    EXPECT_EQ(column.nSort, -1);

    grid.DeleteAllColumn(FALSE);
    EXPECT_EQ(grid.GetColCount(), 0);
    EXPECT_EQ(grid.GetFixedColCount(), 0);
    EXPECT_EQ(grid.InsertHeaderItem(-1, L"none"), 0);
    EXPECT_EQ(grid.GetHeadItemCount(), 1);
}

TEST(GridModel, DeletingColumnsKeepsTheFirstScrollingColumnInRange)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 200, 200}, 0, {80, 80, 80, 80, 80, 80}, 5);
    grid.Scroll(3, CKxGrid::SCROLL_COLUMNS);
    ASSERT_GT(grid.m_nLeftCol, 0);
    while (grid.GetColCount() > 1) {
        ASSERT_TRUE(grid.DeleteColumn(grid.GetColCount() - 1));
        EXPECT_LT(grid.m_nLeftCol, std::max(grid.GetColCount(), 1));
    }
    EXPECT_EQ(grid.m_nLeftCol, 0);
    RECT cell{};
    EXPECT_TRUE(grid.GetSubItemRect(0, 0, 0, &cell));
}

TEST(GridModel, FontsSetTheHeights)
{
    const HFONT small = FontOfHeight(12);
    const HFONT large = FontOfHeight(16);
    {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 300, 300}, 0, {50}, 20);
        grid.InsertHeaderItem(-1, L"h");
        grid.SetFont(small, large, 1);
        RECT header{}, headerRow{}, row{};
        EXPECT_TRUE(grid.GetHeaderColRect(0, &header));
        EXPECT_TRUE(grid.GetHeaderSubItemRect(0, 0, 0, &headerRow));
        EXPECT_TRUE(grid.GetItemRect(0, &row));
        EXPECT_EQ(header.bottom - header.top, 21);
        EXPECT_EQ(headerRow.bottom - headerRow.top, 21);
        EXPECT_EQ(row.bottom - row.top - grid.m_nRowSpacing, 22);
    }
    struct Case {
        int row, header, headerRow;
        int expectRow, expectHeader, expectHeaderRow;
    };
    const Case cases[] = {
        {20, -1, -1, 21, 21, 21},
        {20, 10, -1, 21, 11, 22},
        {20, 10, 0, 21, 11, 11},
        {-1, 0, 5, 22, 22, 6},
    };
    for (const Case& c : cases) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 300, 300}, GS_FIXEDHEIGHTS, {50}, 20);
        grid.InsertHeaderItem(-1, L"h");
        grid.SetRowHeight(c.row, c.header, c.headerRow);
        RECT header{}, headerRow{}, row{};
        grid.GetHeaderColRect(0, &header);
        grid.GetHeaderSubItemRect(0, 0, 0, &headerRow);
        grid.GetItemRect(0, &row);
        EXPECT_EQ(header.bottom - header.top, c.expectHeader) << c.row << "," << c.header << "," << c.headerRow;
        EXPECT_EQ(headerRow.bottom - headerRow.top, c.expectHeaderRow) << c.row << "," << c.header;
        EXPECT_EQ(row.bottom - row.top - grid.m_nRowSpacing, c.expectRow) << c.row << "," << c.header;
    }
    DeleteObject(small);
    DeleteObject(large);
}

TEST(GridModel, SingleAndMultipleSelection)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 300, 100}, 0, {60, 60}, 10);
    EXPECT_TRUE(grid.SetSimplSel(-1, FALSE));
    EXPECT_EQ(Selected(grid), std::vector<int>{9});
    EXPECT_TRUE(grid.SetSimplSel(10, FALSE));
    EXPECT_EQ(Selected(grid), std::vector<int>{0});
    EXPECT_EQ(grid.GetFocusItem(), 0);
    EXPECT_EQ(grid.GetItemState(0), UINT(LVIS_FOCUSED | LVIS_SELECTED));
    EXPECT_EQ(grid.GetItemState(1), 0u);

    // From an empty selection, row 0 comes first; invalid entries are skipped.
    TestGrid multi;
    MakeGrid(multi, parent, RECT{0, 100, 300, 166}, 0, {60, 60}, 10);
    const int rows[] = {7, 3, 12};
    ASSERT_GT(multi.GetCountPerPage(), 0);
    ASSERT_LT(multi.GetCountPerPage(), 3);
    EXPECT_TRUE(multi.SetMultiSel(rows, 3, TRUE));
    EXPECT_EQ(Selected(multi), (std::vector<int>{0, 7, 3}));
    EXPECT_EQ(multi.GetTopIndex(), 3);
    EXPECT_EQ(multi.GetFocusItem(), -1);

    int two[2] = {-5, -5};
    EXPECT_EQ(multi.GetSelectedItems(two, 8), 3);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 7);
    EXPECT_EQ(multi.GetSelectedItems(nullptr, 0), 3);

    // Without an array only the last entry stays.
    EXPECT_TRUE(multi.SetMultiSel(nullptr, 0, FALSE));
    EXPECT_EQ(Selected(multi), std::vector<int>{3});

    TestGrid empty;
    EXPECT_FALSE(empty.SetSimplSel(0, FALSE));
    EXPECT_FALSE(empty.SetMultiSel(rows, 3, FALSE));
}

TEST(GridModel, DeletingRowsKeepsSelectionFocusAndAnchorOnLivingRows)
{
    struct Case {
        const char* name;
        DWORD style;
        int count;
        std::vector<int> selection; // the focus and anchor go to the last entry
        int focus;
        int anchor;
        std::function<void(CKxGrid&)> remove;
        std::vector<int> expected;
        int expectFocus;
        int expectAnchor;
    };
    const Case cases[] = {
        {"stored row below", 0, 10, {2, 5, 8}, 8, 5, [](CKxGrid& g) { g.DeleteItem(3); }, {2, 4, 7}, 7, 4},
        {"stored selected row", 0, 10, {2, 5}, 5, 5, [](CKxGrid& g) { g.DeleteItem(5); }, {2}, -1, -1},
        {"callback row", GS_CELLCALLBACK, 10, {1, 9}, 9, 1, [](CKxGrid& g) { g.DeleteItem(0); }, {0, 8}, 8, 0},
        {"count downwards", GS_ROWCALLBACK, 10, {1, 6, 9}, 9, 6, [](CKxGrid& g) { g.SetItemCount(5); }, {1}, -1, -1},
        {"all stored", 0, 10, {1, 2}, 2, 1, [](CKxGrid& g) { g.DeleteAllItems(); }, {}, -1, -1},
        {"all callback", GS_CELLCALLBACK, 10, {3}, 3, 3, [](CKxGrid& g) { g.DeleteAllItems(); }, {}, -1, -1},
    };
    for (const Case& c : cases) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 300, 300}, c.style, {60, 60}, c.count);
        grid.SetSimplSel(c.focus, FALSE);
        grid.SetMultiSel(c.selection.data(), static_cast<int>(c.selection.size()), FALSE);
        grid.m_nAnchor = c.anchor;
        ASSERT_EQ(grid.GetFocusItem(), c.focus) << c.name;

        c.remove(grid);
        std::vector<int> selection = Selected(grid);
        std::sort(selection.begin(), selection.end());
        EXPECT_EQ(selection, c.expected) << c.name;
        EXPECT_EQ(grid.GetFocusItem(), c.expectFocus) << c.name;
        EXPECT_EQ(grid.m_nAnchor, c.expectAnchor) << c.name;
    }
}

TEST(GridModel, DeletingACallbackRowBelowTheTopPullsTheTopBack)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 200, 22 + 4 * 22}, GS_CELLCALLBACK, {60}, 10);
    ASSERT_EQ(grid.GetCountPerPage(), 4);
    grid.SetTopIndex(9);
    ASSERT_EQ(grid.GetTopIndex(), 9);
    EXPECT_TRUE(grid.DeleteItem(5));
    EXPECT_EQ(grid.GetItemCount(), 9);
    EXPECT_EQ(grid.GetTopIndex(), 5);
    EXPECT_FALSE(grid.DeleteItem(9));
    EXPECT_FALSE(grid.DeleteItem(-1));
}

TEST(GridModel, ColoursOfRowsAndCellsNeedStoredRows)
{
    struct Case {
        DWORD style;
        int row;
        int column;
        BOOL expectRow;
        BOOL expectCell;
    };
    const Case cases[] = {
        {0, 0, 1, TRUE, TRUE},          {0, 3, 0, FALSE, FALSE}, {0, -1, 0, FALSE, FALSE},
        {0, 0, 2, TRUE, FALSE},         {GS_CELLCALLBACK, 0, 0, FALSE, FALSE},
        {GS_ROWCALLBACK, 0, 0, FALSE, FALSE},
    };
    for (const Case& c : cases) {
        TestGrid grid;
        grid.SetKxStyle(c.style);
        grid.InsertColumn(-1, L"a", 0, 40, FALSE);
        grid.InsertColumn(-1, L"b", 0, 40, FALSE);
        grid.InsertItem(-1, L"r");
        grid.SetItemCount(3);
        EXPECT_EQ(grid.SetItemColor(c.row, RGB(1, 2, 3), RGB(4, 5, 6)), c.expectRow) << c.style << " " << c.row;
        EXPECT_EQ(grid.SetSubItemColor(c.row, c.column, RGB(1, 2, 3), RGB(4, 5, 6)), c.expectCell)
            << c.style << " " << c.row << " " << c.column;
    }
}

TEST(GridModel, ReleaseEmptiesAllButTheColumns)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 300, 300}, GS_GRIDLINES, {60, 60}, 10);
    grid.InsertHeaderItem(-1, L"h");
    grid.SetSimplSel(4, FALSE);
    grid.DestroyWindow();
    EXPECT_EQ(grid.GetItemCount(), 0);
    EXPECT_EQ(grid.GetHeadItemCount(), 0);
    EXPECT_EQ(grid.GetColCount(), 2);
    EXPECT_EQ(grid.GetFocusItem(), -1);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_EQ(grid.GetKxStyle(), 0u);
    // The object is usable again.
    EXPECT_EQ(grid.InsertItem(-1, L"again"), 0);
    EXPECT_EQ(std::wstring(grid.GetItemText(0, 0)), L"again");
}
