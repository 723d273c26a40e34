#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <vector>

#include "surface.h"

namespace {

const COLORREF kBack = RGB(10, 20, 30);
const COLORREF kInk = RGB(200, 100, 50);
const COLORREF kRed = RGB(252, 84, 84);
const COLORREF kGreen = RGB(84, 252, 84);
const COLORREF kWhite = RGB(252, 252, 252);
const COLORREF kCyan = RGB(84, 252, 252);

// The 9 x 9 diamond, row by row.
const std::vector<const char*> kDiamond = {"....#....", "...###...", "..#####..", ".##...##.", "###.#.###",
                                           ".##...##.", "..#####..", "...###...", "....#...."};

void ExpectPattern(const DibSurface& canvas, int x0, int y0, const std::vector<const char*>& rows, COLORREF set,
                   COLORREF clear)
{
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; rows[row][column]; ++column) {
            EXPECT_EQ(canvas.pixel(x0 + column, y0 + static_cast<int>(row)), rows[row][column] == '#' ? set : clear)
                << "row " << row << " column " << column;
        }
    }
}

void ExpectInk(const DibSurface& canvas, RECT expected)
{
    const RECT ink = BoundsOfNot(canvas, kBack);
    EXPECT_EQ(ink.left, expected.left);
    EXPECT_EQ(ink.top, expected.top);
    EXPECT_EQ(ink.right, expected.right);
    EXPECT_EQ(ink.bottom, expected.bottom);
}

} // namespace

TEST(Glyphs, DiamondIsPlacedByItsAlignmentBits)
{
    const RECT r = {2, 3, 22, 23};
    struct Case {
        UINT align;
        int x, y;
    } cases[] = {{0, 2, 3}, {0x1, 2 + 5, 3}, {0x4, 2, 3 + 5}, {0x5, 7, 8}, {0x2, 22 - 9, 23 - 9}, {0x6, 13, 8}};
    for (const Case& c : cases) {
        DibSurface canvas(30, 30, kBack);
        KXDRAWFUN::DrawKxRptRadSign(canvas.dc(), &r, kInk, c.align);
        ExpectPattern(canvas, c.x, c.y, kDiamond, kInk, kBack); // clear pixels are not written
        EXPECT_EQ(canvas.count(kInk), 33) << c.align;
    }
}

TEST(Glyphs, SwitchPanelSignWritesEveryPixel)
{
    const std::vector<const char*> left = {"#############", "#........#..#", "#........#..#", "#.....#..#..#",
                                           "#....##..#..#", "#...###..#..#", "#..####..#..#", "#...###..#..#",
                                           "#....##..#..#", "#.....#..#..#", "#........#..#", "#........#..#",
                                           "#############"};
    const std::vector<const char*> right = {"#############", "#........#..#", "#........#..#", "#..#.....#..#",
                                            "#..##....#..#", "#..###...#..#", "#..####..#..#", "#..###...#..#",
                                            "#..##....#..#", "#..#.....#..#", "#........#..#", "#........#..#",
                                            "#############"};
    DibSurface canvas(20, 20, RGB(1, 1, 1));
    KXDRAWFUN::DrawSwitchRightPanelSign(canvas.dc(), 4, 5, kInk, kBack, 0);
    ExpectPattern(canvas, 4, 5, left, kInk, kBack);
    EXPECT_EQ(canvas.count(RGB(1, 1, 1)), 400 - 169);
    KXDRAWFUN::DrawSwitchRightPanelSign(canvas.dc(), 4, 5, kInk, kBack, 1);
    ExpectPattern(canvas, 4, 5, right, kInk, kBack);
    KXDRAWFUN::DrawSwitchRightPanelSign(canvas.dc(), 4, 5, kInk, kBack, 7);
    ExpectPattern(canvas, 4, 5, left, kInk, kBack);
}

TEST(Glyphs, SignsHaveFixedOrCallerColours)
{
    const RECT r = {0, 0, 30, 30};
    struct Case {
        int type;
        COLORREF given;
        COLORREF painted;
    } cases[] = {{1, kInk, kRed}, {2, kInk, kGreen}, {3, 0, kRed},     {3, kInk, kInk},  {4, 0, kGreen},
                 {4, kInk, kInk}, {5, kInk, kWhite}, {6, kInk, kCyan}, {9, kInk, kCyan}, {10, kInk, kInk},
                 {10, 0, 0},      {12, kInk, kInk},  {16, kInk, kInk}};
    for (const Case& c : cases) {
        DibSurface canvas(30, 30, kBack);
        KXDRAWFUN::drawKxSign(canvas.dc(), c.type, &r, c.given, 1, 2, 3);
        EXPECT_GT(canvas.count(c.painted), 0) << c.type;
        EXPECT_EQ(canvas.count(c.painted) + canvas.count(kBack), 900) << c.type;
    }
}

TEST(Glyphs, SignCornerPositions)
{
    const RECT r = {10, 10, 40, 30}; // 30 x 20
    {
        // Type 5: (3,0) (0,3) (3,6) (6,3) at x = left + (30 - 7) / 2, y = top + (20 - 7) / 2.
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign(canvas.dc(), 5, &r, 0, 0, 0, 0);
        ExpectInk(canvas, {21, 16, 28, 23});
        EXPECT_EQ(canvas.pixel(24, 19), kWhite);
    }
    {
        // Type 1 at the right edge: x = right - 6, y = top + (20 - 8) / 2, points up to (7,7).
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign(canvas.dc(), 1, &r, 0, 0, 0, 0);
        ExpectInk(canvas, {34, 16, 42, 24});
    }
    {
        // Type 12: two bars of 9 x 2 at x = left + (30 - 9) / 2, y = top + (20 - 6) / 2.
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign(canvas.dc(), 12, &r, kInk, 0, 0, 0);
        ExpectInk(canvas, {20, 17, 29, 23});
        EXPECT_EQ(canvas.count(kInk, {20, 19, 29, 21}), 0);
    }
    {
        // Type 16: the diamond at the rectangle's top-left.
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign(canvas.dc(), 16, &r, kInk, 0, 0, 0);
        ExpectPattern(canvas, 10, 10, kDiamond, kInk, kBack);
    }
}

TEST(Glyphs, UnknownSignsAndTinyRectanglesShowNothing)
{
    DibSurface canvas(40, 40, kBack);
    const RECT r = {0, 0, 40, 40};
    for (int type : {0, 13, 14, 15, 17, -1}) {
        KXDRAWFUN::drawKxSign(canvas.dc(), type, &r, kInk, 0, 0, 0);
    }
    // Smaller than the glyph: the unsigned halving puts it far outside.
    const RECT tiny = {10, 10, 14, 14};
    KXDRAWFUN::drawKxSign(canvas.dc(), 3, &tiny, kInk, 0, 0, 0);
    KXDRAWFUN::drawKxSign(canvas.dc(), 3, nullptr, kInk, 0, 0, 0);
    EXPECT_EQ(canvas.count(kBack), 1600);
}

TEST(Glyphs, SizedSignsInThreeSizes)
{
    const RECT r = {10, 10, 40, 30};
    // Type 5 is centred: 9 x 9, 7 x 7 and 5 x 5.
    const int sizes[] = {9, 7, 5};
    for (int sizeClass = 0; sizeClass < 3; ++sizeClass) {
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign2(canvas.dc(), 5, &r, 0, sizeClass, 0);
        const int s = sizes[sizeClass];
        const int x = 10 + (30 - s) / 2, y = 10 + (20 - s) / 2;
        ExpectInk(canvas, {x, y, x + s, y + s});
        EXPECT_GT(canvas.count(kWhite), 0);
    }
    // Type 1 at the right edge: x = right - 9 + 2 for class 0, right - 4 for class 2.
    {
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign2(canvas.dc(), 1, &r, 0, 0, 0);
        ExpectInk(canvas, {33, 17, 43, 22});
        EXPECT_GT(canvas.count(kRed), 0);
    }
    {
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign2(canvas.dc(), 15, &r, kInk, 2, 0);
        ExpectInk(canvas, {36, 17, 42, 23});
        EXPECT_EQ(canvas.count(kInk) + canvas.count(kBack), 2500);
    }
    {
        DibSurface canvas(50, 50, kBack);
        KXDRAWFUN::drawKxSign2(canvas.dc(), 14, &r, 0, 1, 0);
        ExpectInk(canvas, {35, 16, 43, 24});
        EXPECT_EQ(canvas.count(kRed) + canvas.count(kBack), 2500);
    }
}

TEST(Glyphs, SizedSignsIgnoreOtherSizesAndTypes)
{
    DibSurface canvas(50, 50, kBack);
    const RECT r = {0, 0, 50, 50};
    KXDRAWFUN::drawKxSign2(canvas.dc(), 5, &r, 0, 3, 0);
    KXDRAWFUN::drawKxSign2(canvas.dc(), 5, &r, 0, -1, 0);
    KXDRAWFUN::drawKxSign2(canvas.dc(), 3, &r, 0, 0, 0);
    KXDRAWFUN::drawKxSign2(canvas.dc(), 5, nullptr, 0, 0, 0);
    KXDRAWFUN::drawKxSign2(nullptr, 5, &r, 0, 0, 0);
    EXPECT_EQ(canvas.count(kBack), 2500);
}
