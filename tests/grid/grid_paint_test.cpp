// The grid's layout and painting: row and column geometry, own scroll bars, pixels of the buffer, and
// what the callback modes ask the parent for.
#include <util/grid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "grid_fixture.h"
#include "support/dib.h"
#include "support/gdi_count.h"

using gridtest::GridParent;
using gridtest::MakeGrid;
using gridtest::TestGrid;
using testsupport::DibSurface;

namespace {

constexpr COLORREF kBk = RGB(0, 0, 0);
constexpr COLORREF kSelBk = RGB(0, 0, 128);
constexpr COLORREF kLine = RGB(192, 0, 0);
constexpr COLORREF kSplit = RGB(0, 200, 0);

std::vector<int> RowTops(const CKxGrid& grid, int origin)
{
    std::vector<int> tops;
    for (int row = grid.GetTopIndex(); row < grid.GetTopIndex() + grid.GetCountPerPage(); ++row) {
        RECT rect{};
        if (grid.GetItemRect(row, &rect)) {
            tops.push_back(rect.top - origin);
        }
    }
    return tops;
}

// A 16 x 16 icon of one colour.
HICON SolidIcon(COLORREF colour)
{
    DibSurface colourImage(16, 16, colour);
    HBITMAP colourBits = CreateBitmap(16, 16, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, colourBits);
    BitBlt(dc, 0, 0, 16, 16, colourImage.dc(), 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, colourBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colourBits);
    return icon;
}

std::unique_ptr<DibSurface> Capture(const TestGrid& grid)
{
    CRect client;
    ::GetClientRect(grid, &client);
    auto surface = std::make_unique<DibSurface>(client.Width(), client.Height());
    grid.CaptureBuffer(*surface);
    return surface;
}

bool SameImage(const std::unique_ptr<DibSurface>& a, const std::unique_ptr<DibSurface>& b)
{
    for (int y = 0; y < a->height(); ++y) {
        for (int x = 0; x < a->width(); ++x) {
            if (a->pixel(x, y) != b->pixel(x, y)) {
                ADD_FAILURE() << "first difference at " << x << "," << y;
                return false;
            }
        }
    }
    return true;
}

} // namespace

// ---- geometry ----

TEST(GridLayout, RowsFillTheDataAreaExactly)
{
    struct Case {
        int dataHeight;
        std::vector<int> tops;
        int spacing;
    };
    const Case cases[] = {{100, {0, 25, 50, 75}, 3}, {95, {0, 23, 47, 71}, 1}, {44, {0, 22}, 0}};
    for (const Case& c : cases) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 200, 22 + c.dataHeight}, 0, {60}, 50);
        EXPECT_EQ(RowTops(grid, 22), c.tops) << c.dataHeight;
        EXPECT_EQ(grid.m_nRowSpacing, c.spacing) << c.dataHeight;
        RECT last{};
        grid.GetItemRect(grid.GetCountPerPage() - 1, &last);
        EXPECT_EQ(last.bottom, 22 + c.dataHeight) << c.dataHeight;
    }
}

TEST(GridLayout, HitTestingFindsTheRowThatIsDrawnUnderThePointer)
{
    GridParent parent;
    TestGrid grid;
    // Two header rows and a data area of 95 pixels: rows of 23 and 24 pixels.
    MakeGrid(grid, parent, RECT{0, 0, 200, 22 + 2 * 22 + 95}, 0, {60, 60}, 50);
    grid.InsertHeaderItem(-1, L"one");
    grid.InsertHeaderItem(-1, L"two");
    grid.SetTopIndex(7);
    ASSERT_EQ(grid.GetCountPerPage(), 4);
    for (int row = 7; row < 11; ++row) {
        RECT rect{};
        ASSERT_TRUE(grid.GetItemRect(row, &rect));
        for (int y : {int(rect.top), int((rect.top + rect.bottom) / 2), int(rect.bottom - 1)}) {
            LVHITTESTINFO hit{};
            hit.pt = {90, y};
            EXPECT_EQ(grid.HitTest(&hit), row) << "y " << y;
            EXPECT_EQ(hit.iSubItem, 1) << "y " << y;
        }
    }
    for (int y : {0, 21, 22, 60, 65}) {
        LVHITTESTINFO hit{};
        hit.pt = {30, y};
        EXPECT_EQ(grid.HitTest(&hit), -1) << "y " << y;
    }
}

TEST(GridLayout, OwnScrollBarsAndThumbs)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 300, 200}, GS_OWNHSCROLL | GS_OWNVSCROLL, {60, 60, 60, 60, 60, 60}, 100);
    EXPECT_EQ(grid.GridClient(), CRect(0, 0, 284, 182));
    EXPECT_EQ(grid.m_hsi.rcBar, CRect(0, 181, 283, 200));
    EXPECT_EQ(grid.m_vsi.rcBar, CRect(283, 0, 300, 181));

    struct Case {
        int rows;
        int top;
        int start; // from the track's first pixel
        int size;
        BOOL minimum;
    };
    // A vertical track of 200 pixels with 20 rows per page.
    const Case cases[] = {{100, 40, 81, 40, FALSE}, {1000, 40, 1 + 40 * 183 / 980, 17, TRUE}, {1000, 0, 1, 17, TRUE}};
    for (const Case& c : cases) {
        TestGrid tall;
        MakeGrid(tall, parent, RECT{0, 0, 200, 238}, GS_OWNVSCROLL | GS_FIXEDHEIGHTS | GS_CELLCALLBACK, {60}, c.rows);
        tall.SetRowHeight(10, -1, -1);
        ASSERT_EQ(tall.GetCountPerPage(), 20);
        tall.SetTopIndex(c.top);
        const int a = tall.m_vsi.rcArrow1.bottom + 1;
        ASSERT_EQ(tall.m_vsi.rcArrow2.top - 1 - a, 200);
        EXPECT_EQ(tall.m_vsi.rcBlock.top - a, c.start) << c.rows << " " << c.top;
        EXPECT_EQ(tall.m_vsi.rcBlock.Height(), c.size) << c.rows;
        EXPECT_EQ(tall.m_vsi.bMinBlock, c.minimum) << c.rows;
    }
}

TEST(GridLayout, HorizontalRangeCountsTheScrollingColumnsThatFit)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 250, 150}, GS_OWNHSCROLL, {50, 60, 60, 60, 60, 60}, 3);
    grid.SetFixedColCount(1);
    grid.ReCalcLayout();
    EXPECT_EQ(grid.m_hsi.si.nMax, 4);
    EXPECT_EQ(grid.m_hsi.si.nPage, 3u); // 200 pixels beside the fixed column hold three of 60
    // Scrolling as far as it goes leaves no empty space at the right.
    grid.Scroll(10, CKxGrid::SCROLL_COLUMNS);
    EXPECT_EQ(grid.m_nLeftCol, 2);
    EXPECT_EQ(grid.m_hsi.si.nPos, 2);
    RECT last{};
    EXPECT_TRUE(grid.GetHeaderColRect(5, &last));
    EXPECT_FALSE(grid.GetHeaderColRect(1, &last));
}

// ---- pixels ----

class GridPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeGrid(grid, parent, RECT{0, 0, 300, 22 + 22 + 5 * 22}, GS_GRIDLINES, {60, 60, 60}, 5);
        grid.SetHeaderSplitColor(kSplit);
        grid.InsertHeaderItem(-1, L"");
        grid.SetFixedColCount(1);
        grid.ReDrawAll(TRUE);
    }
    COLORREF At(int x, int y) { return Capture(grid)->pixel(x, y); }
    RECT Row(int row)
    {
        RECT rect{};
        grid.GetItemRect(row, &rect);
        return rect;
    }

    GridParent parent;
    TestGrid grid;
};

TEST_F(GridPixels, LinesAtColumnEdgesUnlessTheColumnSaysNot)
{
    const RECT row = Row(2);
    const int y = row.top + 5;
    auto image = Capture(grid);
    EXPECT_EQ(image->pixel(60, y), kLine);
    EXPECT_EQ(image->pixel(120, y), kLine);
    EXPECT_EQ(image->pixel(30, row.bottom - 1), kLine);
    EXPECT_EQ(image->pixel(60, 10), kSplit);
    EXPECT_EQ(image->pixel(60, 22 + 5), kLine); // header row
    EXPECT_EQ(image->pixel(30, 21), kLine);     // under the strip

    _KXGRIDCOLUMN column{};
    grid.GetColumn(1, &column);
    column.nFormat |= GF_NOSPLITLINE;
    grid.SetColumn(1, &column);
    grid.ReDrawAll(TRUE);
    image = Capture(grid);
    EXPECT_NE(image->pixel(60, y), kLine);
    EXPECT_NE(image->pixel(60, 10), kSplit);
    EXPECT_NE(image->pixel(60, 22 + 5), kLine);
    EXPECT_EQ(image->pixel(120, y), kLine);

    grid.ModifyKxStyle(GS_GRIDLINES, 0);
    grid.ReDrawAll(TRUE);
    EXPECT_EQ(At(120, y), kBk);
    EXPECT_EQ(At(120, 10), kSplit); // split lines do not depend on grid lines
}

TEST_F(GridPixels, TheFirstColumnShowsTheSelectionTheOthersTheFocus)
{
    grid.SetSimplSel(1, FALSE);
    const int selection[] = {3};
    grid.SetMultiSel(selection, 1, TRUE);
    ASSERT_EQ(grid.GetFocusItem(), 1);
    struct Case {
        int row;
        int x;
        COLORREF expected;
    };
    const Case cases[] = {{1, 55, kBk},    {1, 115, kSelBk}, {1, 175, kSelBk},
                          {3, 55, kSelBk}, {3, 115, kBk},    {0, 55, kBk}};
    auto image = Capture(grid);
    for (const Case& c : cases) {
        EXPECT_EQ(image->pixel(c.x, Row(c.row).top + 3), c.expected) << c.row << " " << c.x;
    }
}

TEST_F(GridPixels, SortedColumnsAreMarked)
{
    const int x = 115, y = 4;
    EXPECT_EQ(At(x, y), kBk);
    grid.SetSortColumn(1, -1);
    EXPECT_EQ(At(x, y), kSelBk);
    EXPECT_EQ(At(175, y), kBk);
    grid.SetSortColumn(1, 0);
    EXPECT_EQ(At(x, y), kBk);
}

TEST_F(GridPixels, FixedColumnsStayWhenTheOthersScroll)
{
    grid.SetColumnWidth(2, 300);
    grid.SetItemColor(0, RGB(255, 255, 255), 0);
    const int y = Row(0).top + 5;
    grid.Scroll(1, CKxGrid::SCROLL_COLUMNS);
    ASSERT_EQ(grid.m_nLeftCol, 1);
    RECT cell{};
    EXPECT_TRUE(grid.GetSubItemRect(0, 0, 0, &cell));
    EXPECT_EQ(cell.left, 0);
    EXPECT_TRUE(grid.GetSubItemRect(0, 2, 0, &cell));
    EXPECT_EQ(cell.left, 60);
    EXPECT_FALSE(grid.GetSubItemRect(0, 1, 0, &cell));
    EXPECT_EQ(At(60, y), kLine); // the split between the fixed column and the first visible one
}

TEST(GridImages, IconsAndBitmapsAreAligned)
{
    const COLORREF magenta = RGB(255, 0, 255);
    HICON icon = SolidIcon(magenta);
    GridParent parent;
    TestGrid grid;
    grid.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 150}, &parent, 100, GS_CELLCALLBACK);
    grid.InsertColumn(-1, L"code", 0, 100, FALSE);
    grid.InsertColumn(-1, L"", GF_ICON | GF_RIGHT, 80, FALSE);
    grid.InsertColumn(-1, L"", GF_ICON | GF_CENTER, 80, FALSE);
    parent.fillCell = [icon](GRIDCELLREQUEST& request) {
        if ((request.nFormat & GF_TYPEMASK) == GF_ICON) {
            request.dwValue = reinterpret_cast<DWORD_PTR>(icon);
        }
    };
    grid.SetItemCount(3);
    grid.ReCalcLayout();
    grid.ReDrawAll(TRUE);
    RECT row{};
    grid.GetItemRect(1, &row);
    const int y = row.top + (row.bottom - row.top - 16) / 2 + 8;
    auto image = Capture(grid);
    EXPECT_EQ(image->pixel(164, y), magenta);
    EXPECT_NE(image->pixel(163, y), magenta);
    EXPECT_EQ(image->pixel(179, y), magenta);
    EXPECT_EQ(image->pixel(180 + 32, y), magenta); // centred: 180 + (80 - 16) / 2
    EXPECT_NE(image->pixel(180 + 31, y), magenta);
    DestroyIcon(icon);
}

// ---- callback modes ----

TEST(GridCallbacks, OnlyVisibleCellsAreAskedForOncePerPaint)
{
    for (DWORD style : {DWORD(GS_CELLCALLBACK), DWORD(GS_ROWCALLBACK)}) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 200, 22 + 4 * 22}, style, {60, 60, 60, 60}, 10000000);
        grid.SetTopIndex(5000000);
        parent.Reset();
        grid.ReDrawAll(TRUE);
        std::vector<int> rows = parent.rowRequests;
        for (const auto& cell : parent.cellRequests) {
            if (cell.second == 0) {
                rows.push_back(cell.first);
            }
        }
        EXPECT_EQ(rows, (std::vector<int>{5000000, 5000001, 5000002, 5000003})) << style;
        const std::set<std::pair<int, int>> distinct(parent.cellRequests.begin(), parent.cellRequests.end());
        EXPECT_EQ(distinct.size(), parent.cellRequests.size());
        // Four columns reach into the 200 pixels: 0-60, 60-120, 120-180, 180-240.
        EXPECT_EQ(parent.cellRequests.size(), style == GS_CELLCALLBACK ? 16u : 0u);
    }
}

TEST(GridCallbacks, AOneRowScrollAsksForTheNewRowAndLooksLikeAFullPaint)
{
    for (int dataHeight : {88, 95}) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 200, 22 + dataHeight}, GS_ROWCALLBACK | GS_GRIDLINES, {60, 60, 60}, 100);
        parent.fillRow = [](GRIDROWREQUEST& request) {
            for (int i = 0; i < request.nCount; ++i) {
                swprintf(request.pCells[i].szText, 64, L"%d", request.nRow * 10 + i);
                request.pCells[i].crBk = RGB(request.nRow * 40 % 256, 0, 90);
            }
        };
        grid.ReDrawAll(TRUE);
        for (int amount : {1, 2, -1, -2}) {
            parent.Reset();
            const int top = grid.GetTopIndex();
            grid.Scroll(amount, CKxGrid::SCROLL_ROWS);
            ASSERT_EQ(grid.GetTopIndex(), top + amount);
            const int page = grid.GetCountPerPage();
            std::vector<int> expected;
            for (int i = 0; i < std::abs(amount); ++i) {
                expected.push_back(amount > 0 ? top + page + i : top + amount + i);
            }
            EXPECT_EQ(parent.rowRequests, expected) << dataHeight << " " << amount;
            const auto scrolled = Capture(grid);
            grid.ReDrawAll(TRUE);
            EXPECT_TRUE(SameImage(scrolled, Capture(grid))) << dataHeight << " " << amount;
        }
    }
}

TEST(GridCallbacks, TextsWithoutTerminatorAreCutAtTheirCapacity)
{
    // Full buffers without a terminator must draw like 63 characters with one.
    auto render = [](bool terminated) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 600, 22 + 2 * 22}, GS_ROWCALLBACK, {590}, 1);
        parent.fillRow = [terminated](GRIDROWREQUEST& request) {
            wchar_t* text = request.pCells[0].szText;
            std::fill(text, text + 64, L'|');
            if (terminated) {
                text[63] = L'\0';
            }
            request.pCells[0].nTextMax = 0x7C007C; // '|' '|' after the field, if it were read
        };
        grid.ReDrawAll(TRUE);
        return Capture(grid);
    };
    EXPECT_TRUE(SameImage(render(false), render(true)));

    auto renderCell = [](bool terminated) {
        GridParent parent;
        TestGrid grid;
        MakeGrid(grid, parent, RECT{0, 0, 600, 22 + 2 * 22}, GS_CELLCALLBACK, {590}, 1);
        parent.fillCell = [terminated](GRIDCELLREQUEST& request) {
            std::fill(request.pszText, request.pszText + 64, L'|');
            if (terminated) {
                request.pszText[63] = L'\0';
            }
        };
        grid.ReDrawAll(TRUE);
        return Capture(grid);
    };
    EXPECT_TRUE(SameImage(renderCell(false), renderCell(true)));
}

TEST(GridCallbacks, UpdatingAStoredCellPaintsOnlyThatCell)
{
    GridParent parent;
    TestGrid grid;
    MakeGrid(grid, parent, RECT{0, 0, 300, 22 + 4 * 22}, GS_GRIDLINES, {60, 60, 60}, 10);
    grid.SetSubItemColor(1, 1, RGB(255, 255, 0), 0);
    const auto before = Capture(grid);
    EXPECT_TRUE(grid.SetItemText(1, 1, L"88888"));
    const auto after = Capture(grid);
    RECT cell{};
    grid.GetSubItemRect(1, 1, 0, &cell);
    int changedInside = 0;
    for (int y = 0; y < after->height(); ++y) {
        for (int x = 0; x < after->width(); ++x) {
            const bool inside = x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom;
            if (before->pixel(x, y) != after->pixel(x, y)) {
                ASSERT_TRUE(inside) << x << "," << y;
                ++changedInside;
            }
        }
    }
    EXPECT_GT(changedInside, 0);
    EXPECT_FALSE(grid.SetItemText(10, 1, L"x"));
}

TEST(GridResources, RepaintsDoNotGrowTheGdiObjects)
{
    // Hidden, so that the repaints go into the buffer and not through the display. The cells hold no
    // text: text output takes no GDI object, but the platform's heap work for it, under the heap
    // checks of the test runs, would make ten thousand repaints slow. What does take objects is here:
    // the buffer's device context, the rows' clipping, the own bars' pens, a bitmap in a header row.
    GridParent parent(400, 300, false);
    TestGrid grid;
    grid.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 150, 100}, &parent, 100,
                GS_GRIDLINES | GS_OWNVSCROLL | GS_OWNHSCROLL);
    grid.InsertColumn(-1, L"", GF_LEFT, 60, FALSE);
    grid.InsertColumn(-1, L"", GF_BITMAP | GF_CENTER, 60, FALSE);
    grid.InsertColumn(-1, L"", GF_RIGHT, 60, FALSE);
    for (int i = 0; i < 40; ++i) {
        grid.InsertItem(-1, L"");
    }
    grid.InsertHeaderItem(0, L"");
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    grid.SetHeaderCell(0, 1, bitmap);
    grid.ReCalcLayout();
    grid.SetSimplSel(1, FALSE);
    grid.ReDrawAll(TRUE);
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 10000; ++i) {
        grid.ReDrawAll(TRUE);
    }
    for (int i = 0; i < 200; ++i) {
        grid.Scroll(i % 2 ? -1 : 1, CKxGrid::SCROLL_ROWS);
        grid.SetItemText(grid.GetTopIndex(), 2, i % 2 ? L"up" : L"down");
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
    grid.DestroyWindow();
    DeleteObject(bitmap);
}
