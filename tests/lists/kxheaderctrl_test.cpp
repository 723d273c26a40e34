#include <util/kxheaderctrl.h>
#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include <ostream>

#include "lists/list_fixture.h"
#include "support/gdi_count.h"

namespace {

// ---- state words ----

struct StateCase {
    const char* name;
    int words;
    int column;
    UINT expected;
};

// Test names in the runner show the case's name, not its bytes.
void PrintTo(const StateCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class HeaderStateWords : public ::testing::TestWithParam<StateCase> {};

TEST_P(HeaderStateWords, GetSortStateAnswersFifteenWithoutAWord)
{
    const StateCase& state = GetParam();
    CKXHeaderCtrl header;
    for (int i = 0; i < state.words; ++i) {
        header.InsertStateItem(i);
    }
    EXPECT_EQ(header.GetSortState(state.column), state.expected);
    EXPECT_EQ(header.GetFilterState(state.column), 0u);
}

INSTANTIATE_TEST_SUITE_P(Columns, HeaderStateWords,
                         ::testing::Values(StateCase{"First", 3, 0, 0}, StateCase{"Last", 3, 2, 0},
                                           StateCase{"PastTheEnd", 3, 3, 15}, StateCase{"Five", 3, 5, 15},
                                           StateCase{"MinusOne", 3, -1, 15}, StateCase{"MinusTwo", 3, -2, 15},
                                           StateCase{"VeryNegative", 3, -100000, 15}),
                         [](const ::testing::TestParamInfo<StateCase>& info) { return info.param.name; });

TEST(HeaderStateWordsEdit, NegativeIndexesAreRefused)
{
    CKXHeaderCtrl header;
    header.InsertStateItem(0);
    for (int index : {-1, -2, -7}) {
        header.InsertStateItem(index);
        header.DeleteStateItem(index);
    }
    header.InsertStateItem(5); // past the end: refused too
    EXPECT_EQ(header.GetSortState(0), 0u);
    EXPECT_EQ(header.GetSortState(1), 15u);
    header.DeleteStateItem(0);
    EXPECT_EQ(header.GetSortState(0), 15u);
}

// ---- the header of a list ----

class HeaderTest : public liststest::ListTest<CKXBaseListCtrl> {
protected:
    CKXHeaderCtrl& Header() { return static_cast<CKXHeaderCtrl&>(*list.GetHeaderCtrl()); }
    void Paint(testsupport::DibSurface& surface)
    {
        surface.fill(RGB(1, 2, 3));
        Header().SendMessage(WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()));
    }
    CRect Item(int column)
    {
        CRect rect;
        Header().GetItemRect(column, &rect);
        return rect;
    }
};

TEST_F(HeaderTest, TheListsHeaderIsTheOwnerDrawnOne)
{
    EXPECT_NE(dynamic_cast<CKXHeaderCtrl*>(list.GetHeaderCtrl()), nullptr);
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header().GetItem(1, &item);
    EXPECT_NE(item.fmt & HDF_OWNERDRAW, 0);
}

TEST_F(HeaderTest, SettersRefuseColumnsOutsideTheHeader)
{
    EXPECT_TRUE(Header().SetSortState(3, KXHDR_SORT_UP));
    EXPECT_FALSE(Header().SetSortState(4, KXHDR_SORT_UP));
    EXPECT_FALSE(Header().SetSortState(-1, KXHDR_SORT_UP));
    EXPECT_FALSE(Header().SetFilterState(-3, KXHDR_FILTERED));
    // The setters keep the other bits of the word.
    EXPECT_TRUE(Header().SetFilterState(3, KXHDR_FILTERED));
    EXPECT_EQ(Header().GetSortState(3), static_cast<UINT>(KXHDR_SORT_UP));
}

// The arrow glyphs, 8 x 8, as rows of grey (g), white (w) and background (.) pixels.
const char* const kUpArrow[] = {"........", "........", "....g...", "...ggg..", "..ggggg.", ".ggggggg", ".wwwwwww",
                                "........"};
const char* const kDownArrow[] = {"........", "........", ".ggggggg", ".wgggggw", "..wgggw.", "...wgw..", "....w...",
                                  "........"};

struct ArrowCase {
    const char* name;
    UINT sort;
    const char* const* glyph;
};

void PrintTo(const ArrowCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class HeaderArrow : public HeaderTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(HeaderArrow, SitsTwelvePixelsFromTheRightEdge)
{
    const COLORREF background = RGB(0, 160, 0);
    list.SetHeaderColor(CLR_INVALID, background, CLR_INVALID);
    ASSERT_TRUE(Header().SetSortState(0, GetParam().sort));
    testsupport::DibSurface surface(480, 40);
    Paint(surface);
    const CRect item = Item(0);
    const int left = item.right - 12;
    const int top = (item.Height() - 8) / 2;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const char pixel = GetParam().glyph[y][x];
            const COLORREF expected =
                pixel == 'g' ? RGB(0x66, 0x66, 0x66) : pixel == 'w' ? RGB(0xFF, 0xFF, 0xFF) : background;
            EXPECT_EQ(surface.pixel(left + x, top + y), expected) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Marks, HeaderArrow,
                         ::testing::Values(ArrowCase{"Up", KXHDR_SORT_UP, kUpArrow},
                                           ArrowCase{"Down", KXHDR_SORT_DOWN, kDownArrow}),
                         [](const ::testing::TestParamInfo<ArrowCase>& info) { return info.param.name; });

TEST_F(HeaderTest, TheArrowMovesTheTextTenPixelsRight)
{
    const COLORREF text = RGB(250, 0, 0);
    list.SetHeaderColor(text, RGB(255, 255, 255), CLR_INVALID);
    testsupport::DibSurface surface(480, 40);
    const auto firstInk = [this, &surface, text]() -> int {
        Paint(surface);
        const CRect item = Item(0);
        for (int x = item.left; x < item.right; ++x) {
            if (surface.count(text, CRect(x, item.top, x + 1, item.bottom)) > 0) {
                return x - item.left;
            }
        }
        return -1;
    };
    const int without = firstInk();
    Header().SetSortState(0, KXHDR_SORT_UP);
    const int withArrow = firstInk();
    EXPECT_GE(without, 1);
    EXPECT_GE(withArrow, 11);
    EXPECT_EQ(withArrow - without, 10);
}

TEST_F(HeaderTest, ARightAlignedTitleEndsBeforeTheArrow)
{
    const COLORREF text = RGB(250, 0, 0);
    list.SetHeaderColor(text, RGB(255, 255, 255), CLR_INVALID);
    HDITEMW format{};
    format.mask = HDI_FORMAT;
    format.fmt = HDF_RIGHT | HDF_STRING | HDF_OWNERDRAW;
    Header().SetItem(1, &format);
    Header().SetSortState(1, KXHDR_SORT_DOWN);
    testsupport::DibSurface surface(480, 40);
    Paint(surface);
    const CRect item = Item(1);
    EXPECT_GT(surface.count(text, item), 0);
    EXPECT_EQ(surface.count(text, CRect(item.right - 13, item.top, item.right, item.bottom)), 0);
    EXPECT_GT(surface.count(RGB(0x66, 0x66, 0x66), item), 0);
}

TEST_F(HeaderTest, SetColorChangesOnlyTheGivenColours)
{
    list.SetHeaderColor(RGB(0, 0, 0), RGB(200, 200, 200), RGB(100, 100, 250));
    list.SetHeaderColor(CLR_INVALID, RGB(0, 255, 0), CLR_INVALID);
    Header().SetFilterState(1, KXHDR_FILTERED);
    testsupport::DibSurface surface(480, 40);
    Paint(surface);
    EXPECT_EQ(surface.pixel(Item(0).left + 2, 1), RGB(0, 255, 0));
    EXPECT_EQ(surface.pixel(Item(1).left + 2, 1), RGB(100, 100, 250));
    EXPECT_EQ(Header().GetFilterState(1), 0u);
}

TEST_F(HeaderTest, PaintingLeaksNoGdiObjects)
{
    Header().SetSortState(0, KXHDR_SORT_UP);
    Header().SetFilterState(1, KXHDR_FILTERED);
    AddRows({{L"SPDB", L"1"}, {L"CMB", L"2"}});
    testsupport::DibSurface header(480, 40);
    testsupport::DibSurface rows(480, 60);
    Paint(header);
    PaintInto(rows);
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 500; ++i) {
        Paint(header);
        PaintInto(rows);
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

} // namespace
