#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <random>

#include "surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

// Makes the drawing functions take their line-by-line gradient path for one test.
class WithoutGradientFill {
public:
    WithoutGradientFill() : m_saved(KXDRAWFUN::sm_GradientFill) { KXDRAWFUN::sm_GradientFill = nullptr; }
    ~WithoutGradientFill() { KXDRAWFUN::sm_GradientFill = m_saved; }

private:
    KXDRAWFUN::PFNGRADIENTFILL m_saved;
};

} // namespace

TEST(DrawGeometry, PointInBoxExcludesRightAndBottomEdges)
{
    const RECT r = {10, 20, 30, 40};
    EXPECT_TRUE(KXDRAWFUN::PointInBox(10, 20, &r));
    EXPECT_TRUE(KXDRAWFUN::PointInBox(29, 39, &r));
    EXPECT_FALSE(KXDRAWFUN::PointInBox(30, 25, &r));
    EXPECT_FALSE(KXDRAWFUN::PointInBox(15, 40, &r));
    EXPECT_FALSE(KXDRAWFUN::PointInBox(9, 25, &r));
    EXPECT_FALSE(KXDRAWFUN::PointInBox(15, 25, nullptr));
}

TEST(DrawGeometry, SizesAndEdgeMoves)
{
    RECT r = {10, 20, 30, 60};
    EXPECT_EQ(KXDRAWFUN::CalcRectWidth(&r), 20);
    EXPECT_EQ(KXDRAWFUN::CalcRectHeight(&r), 40);
    EXPECT_EQ(KXDRAWFUN::CalcRectWidth(nullptr), 0);
    EXPECT_EQ(KXDRAWFUN::CalcRectHeight(nullptr), 0);
    EXPECT_TRUE(KXDRAWFUN::DeflateRect(&r, 1, 2, 3, 4));
    EXPECT_EQ(r.left, 11);
    EXPECT_EQ(r.top, 22);
    EXPECT_EQ(r.right, 27);
    EXPECT_EQ(r.bottom, 56);
    EXPECT_TRUE(KXDRAWFUN::InflateRect(&r, 1, 2, 3, 4));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 60);
    EXPECT_FALSE(KXDRAWFUN::DeflateRect(nullptr, 1, 1, 1, 1));
    EXPECT_FALSE(KXDRAWFUN::InflateRect(nullptr, 1, 1, 1, 1));
}

TEST(DrawLines, LineLeavesOutItsEndPoint)
{
    DibSurface canvas(20, 10);
    KXDRAWFUN::DrawLine(canvas.dc(), 2, 5, 10, 5, PS_SOLID, 1, kRed, R2_COPYPEN);
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(canvas.pixel(x, 5), x >= 2 && x < 10 ? kRed : kWhite) << "x=" << x;
    }
    EXPECT_EQ(canvas.count(kRed), 8);
}

TEST(DrawLines, MixModeIsApplied)
{
    DibSurface canvas(20, 10);
    KXDRAWFUN::DrawLine(canvas.dc(), 0, 1, 10, 1, PS_SOLID, 1, kRed, R2_XORPEN);
    EXPECT_EQ(canvas.pixel(4, 1), RGB(0, 255, 255)); // white xor red
    KXDRAWFUN::DrawLine(canvas.dc(), 0, 1, 10, 1, PS_SOLID, 1, kRed, R2_XORPEN);
    EXPECT_EQ(canvas.pixel(4, 1), kWhite);
}

TEST(DrawLines, PolyLineNeedsTwoPointsAndSkipsTheLast)
{
    DibSurface canvas(12, 12);
    const POINT one[] = {{3, 3}};
    KXDRAWFUN::DrawPolyLine(canvas.dc(), one, 1, PS_SOLID, 1, kRed, R2_COPYPEN);
    KXDRAWFUN::DrawPolyLine(canvas.dc(), nullptr, 3, PS_SOLID, 1, kRed, R2_COPYPEN);
    EXPECT_EQ(canvas.count(kRed), 0);

    const POINT corner[] = {{2, 2}, {8, 2}, {8, 8}};
    KXDRAWFUN::DrawPolyLine(canvas.dc(), corner, 3, PS_SOLID, 1, kRed, R2_COPYPEN);
    EXPECT_EQ(canvas.pixel(2, 2), kRed);
    EXPECT_EQ(canvas.pixel(8, 2), kRed);
    EXPECT_EQ(canvas.pixel(8, 7), kRed);
    EXPECT_EQ(canvas.pixel(8, 8), kWhite);
    EXPECT_EQ(canvas.count(kRed), 12);
}

TEST(DrawFrames, RectPaintsExactlyTheOuterRing)
{
    DibSurface canvas(14, 12);
    const RECT r = {2, 2, 10, 8};
    KXDRAWFUN::DrawRect(canvas.dc(), &r, PS_SOLID, 1, kBlue, R2_COPYPEN);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 14; ++x) {
            const bool inside = x >= 2 && x <= 9 && y >= 2 && y <= 7;
            const bool ring = inside && (x == 2 || x == 9 || y == 2 || y == 7);
            EXPECT_EQ(canvas.pixel(x, y), ring ? kBlue : kWhite) << x << "," << y;
        }
    }
}

TEST(DrawFrames, FillSolidRectFillsAndLeavesTheBackgroundColour)
{
    DibSurface canvas(10, 10);
    const RECT r = {1, 2, 6, 9};
    KXDRAWFUN::FillSolidRect(canvas.dc(), &r, kGreen);
    EXPECT_EQ(canvas.count(kGreen), 5 * 7);
    EXPECT_EQ(canvas.count(kGreen, r), 5 * 7);
    EXPECT_EQ(GetBkColor(canvas.dc()), kGreen);
}

TEST(DrawFrames, ThreeDBorderUsesTheSystemColours)
{
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT),
                   light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    DibSurface canvas(20, 20, RGB(1, 2, 3));
    const RECT r = {2, 3, 12, 15};
    KXDRAWFUN::Draw3DBorder(canvas.dc(), &r, TRUE);
    EXPECT_EQ(canvas.pixel(2, 3), dark);         // outer top-left
    EXPECT_EQ(canvas.pixel(6, 3), dark);         // outer top edge
    EXPECT_EQ(canvas.pixel(11, 8), light);       // outer right edge
    EXPECT_EQ(canvas.pixel(6, 14), light);       // outer bottom edge
    EXPECT_EQ(canvas.pixel(3, 4), shadow);       // inner top-left
    EXPECT_EQ(canvas.pixel(10, 13), highlight);  // inner bottom-right
    EXPECT_EQ(canvas.pixel(6, 8), RGB(1, 2, 3)); // the inside is untouched

    KXDRAWFUN::Draw3DBorder(canvas.dc(), &r, FALSE);
    EXPECT_EQ(canvas.pixel(6, 3), light);
    EXPECT_EQ(canvas.pixel(11, 8), dark);
    EXPECT_EQ(canvas.pixel(3, 8), highlight);
    EXPECT_EQ(canvas.pixel(10, 8), shadow);
    EXPECT_EQ(canvas.pixel(6, 8), RGB(1, 2, 3));
}

TEST(DrawShapes, EllipseFilledWithCurrentPenOrOutlined)
{
    DibSurface canvas(30, 30);
    const RECT r = {5, 5, 25, 25};
    KXDRAWFUN::FillEllipse(canvas.dc(), &r, kRed, TRUE);
    EXPECT_EQ(canvas.pixel(15, 15), kRed);
    EXPECT_EQ(canvas.pixel(15, 5), RGB(0, 0, 0)); // the default black pen draws the outline
    EXPECT_EQ(canvas.pixel(2, 2), kWhite);

    canvas.fill(kWhite);
    KXDRAWFUN::FillEllipse(canvas.dc(), &r, kBlue, FALSE);
    EXPECT_EQ(canvas.pixel(15, 15), kWhite);
    EXPECT_EQ(canvas.pixel(15, 5), kBlue);
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), 0);

    canvas.fill(kWhite);
    KXDRAWFUN::FillEllipse(canvas.dc(), nullptr, kBlue, TRUE);
    EXPECT_EQ(canvas.count(kWhite), 30 * 30);
}

TEST(DrawShapes, FloodFillStopsAtTheBorderColour)
{
    DibSurface canvas(20, 20);
    const RECT ring = {4, 4, 16, 16};
    KXDRAWFUN::DrawRect(canvas.dc(), &ring, PS_SOLID, 1, kBlue, R2_COPYPEN);
    KXDRAWFUN::FloodFill(canvas.dc(), 10, 10, kBlue, kGreen);
    EXPECT_EQ(canvas.count(kGreen), 10 * 10);
    EXPECT_EQ(canvas.count(kGreen, {5, 5, 15, 15}), 10 * 10);
    EXPECT_EQ(canvas.pixel(1, 1), kWhite);
}

struct TriangleCase {
    KXDRAWFUN::KXTRIANGLEDIR direction;
    bool horizontalLines;
    int first;   // the base line's row (or column)
    int advance; // towards the tip
};

// A 20 x 20 rectangle, base 9, step 1: five lines of 9, 7, 5, 3 and 1 pixels.
TEST(DrawShapes, FilledTrianglePointsInEachDirection)
{
    const TriangleCase cases[] = {{KXDRAWFUN::KXTD_UP, true, 13, -1},
                                  {KXDRAWFUN::KXTD_DOWN, true, 7, 1},
                                  {KXDRAWFUN::KXTD_LEFT, false, 13, -1},
                                  {KXDRAWFUN::KXTD_RIGHT, false, 7, 1}};
    for (const TriangleCase& c : cases) {
        DibSurface canvas(20, 20);
        const RECT r = {0, 0, 20, 20};
        KXDRAWFUN::DrawFilledTriangle(canvas.dc(), kRed, kBlue, &r, c.direction, 9, FALSE, 1);
        EXPECT_EQ(canvas.count(kRed), 9 + 7 + 5 + 3 + 1) << c.direction;
        EXPECT_EQ(canvas.count(kBlue), 400 - 25) << c.direction;
        for (int line = 0; line < 5; ++line) {
            const int at = c.first + line * c.advance;
            const RECT span = c.horizontalLines ? RECT{0, at, 20, at + 1} : RECT{at, 0, at + 1, 20};
            const RECT expected =
                c.horizontalLines ? RECT{5 + line, at, 14 - line, at + 1} : RECT{at, 5 + line, at + 1, 14 - line};
            EXPECT_EQ(canvas.count(kRed, span), 9 - 2 * line) << c.direction << " line " << line;
            EXPECT_EQ(canvas.count(kRed, expected), 9 - 2 * line) << c.direction << " line " << line;
        }
    }
}

TEST(DrawShapes, TriangleWithoutBackgroundAndWithCoarseSteps)
{
    DibSurface canvas(20, 20);
    const RECT r = {0, 0, 20, 20};
    // base 10, step 2: 10 / 4 = 2 lines plus one for the remainder: 10, 6 and 2 pixels.
    KXDRAWFUN::DrawFilledTriangle(canvas.dc(), kRed, kBlue, &r, KXDRAWFUN::KXTD_DOWN, 10, TRUE, 2);
    EXPECT_EQ(canvas.count(kBlue), 0);
    EXPECT_EQ(canvas.count(kRed), 10 + 6 + 2);
    EXPECT_EQ(canvas.count(kRed, {5, 8, 15, 9}), 10);
    EXPECT_EQ(canvas.count(kRed, {7, 9, 13, 10}), 6);
    EXPECT_EQ(canvas.count(kRed, {9, 10, 11, 11}), 2);

    // A step below one would never end; nothing is drawn.
    canvas.fill(kWhite);
    KXDRAWFUN::DrawFilledTriangle(canvas.dc(), kRed, kBlue, &r, KXDRAWFUN::KXTD_UP, 9, FALSE, 0);
    EXPECT_EQ(canvas.count(kWhite), 400);
}

TEST(DrawGradients, ImagingLibraryIsLoadedWithTheModule)
{
    EXPECT_NE(KXDRAWFUN::sm_hDGILib, nullptr);
    EXPECT_NE(KXDRAWFUN::sm_GradientFill, nullptr);
    {
        // A copy of the instance holds the library too; destroying it leaves the module's own.
        KXDRAWFUN extra;
        KXDRAWFUN copy(extra);
    }
    EXPECT_NE(KXDRAWFUN::sm_hDGILib, nullptr);
    EXPECT_NE(KXDRAWFUN::sm_GradientFill, nullptr);
}

TEST(DrawGradients, HorizontalAndVerticalWithTheImagingLibrary)
{
    ASSERT_NE(KXDRAWFUN::sm_GradientFill, nullptr);
    DibSurface canvas(256, 8);
    const RECT r = {0, 0, 256, 8};
    KXDRAWFUN::DrawGradientRect(canvas.dc(), &r, RGB(0, 0, 0), RGB(255, 0, 0), FALSE);
    EXPECT_LE(GetRValue(canvas.pixel(0, 4)), 2);
    EXPECT_GE(GetRValue(canvas.pixel(255, 4)), 253);
    for (int x = 1; x < 256; ++x) {
        EXPECT_GE(GetRValue(canvas.pixel(x, 4)), GetRValue(canvas.pixel(x - 1, 4))) << x;
        EXPECT_EQ(canvas.pixel(x, 0), canvas.pixel(x, 7)) << x;
        EXPECT_EQ(GetGValue(canvas.pixel(x, 4)) | GetBValue(canvas.pixel(x, 4)), 0) << x;
    }

    DibSurface tall(8, 256);
    const RECT t = {0, 0, 8, 256};
    KXDRAWFUN::DrawGradientRect(tall.dc(), &t, RGB(0, 0, 255), RGB(0, 0, 0), TRUE);
    EXPECT_GE(GetBValue(tall.pixel(4, 0)), 253);
    EXPECT_LE(GetBValue(tall.pixel(4, 255)), 2);
    for (int y = 1; y < 256; ++y) {
        EXPECT_LE(GetBValue(tall.pixel(4, y)), GetBValue(tall.pixel(4, y - 1))) << y;
        EXPECT_EQ(tall.pixel(0, y), tall.pixel(7, y)) << y;
    }
}

TEST(DrawGradients, LineByLineStepsAreTruncated)
{
    WithoutGradientFill fallback;
    DibSurface canvas(260, 4);
    const RECT r = {0, 0, 255, 4};
    KXDRAWFUN::DrawGradientRect(canvas.dc(), &r, RGB(0, 0, 0), RGB(255, 0, 0), FALSE);
    for (int x = 0; x < 255; ++x) {
        EXPECT_EQ(canvas.pixel(x, 2), RGB(x, 0, 0)) << x;
    }
    EXPECT_EQ(canvas.pixel(254, 0), RGB(254, 0, 0));
    EXPECT_EQ(canvas.pixel(255, 2), kWhite);

    // Four rows from 0 to 10 in blue and from 200 down to 100 in green: increments 2.5 and -25.
    DibSurface tall(4, 6);
    const RECT t = {0, 0, 4, 4};
    KXDRAWFUN::DrawGradientRect(tall.dc(), &t, RGB(0, 200, 0), RGB(0, 100, 10), TRUE);
    EXPECT_EQ(tall.pixel(1, 0), RGB(0, 200, 0));
    EXPECT_EQ(tall.pixel(1, 1), RGB(0, 175, 2));
    EXPECT_EQ(tall.pixel(1, 2), RGB(0, 150, 5));
    EXPECT_EQ(tall.pixel(1, 3), RGB(0, 125, 7));
    EXPECT_EQ(tall.pixel(1, 4), kWhite);
}

TEST(DrawGradients, EmptyRectangleDrawsNothingOnTheFallback)
{
    WithoutGradientFill fallback;
    DibSurface canvas(10, 10);
    const RECT empty = {5, 0, 5, 10};
    KXDRAWFUN::DrawGradientRect(canvas.dc(), &empty, kRed, kBlue, FALSE);
    const RECT inverted = {0, 8, 10, 2};
    KXDRAWFUN::DrawGradientRect(canvas.dc(), &inverted, kRed, kBlue, TRUE);
    EXPECT_EQ(canvas.count(kWhite), 100);
}

TEST(DrawBlits, TranslucentBlendTruncatesEachComponent)
{
    DibSurface source(10, 10, RGB(200, 100, 0));
    DibSurface dest(10, 10, RGB(0, 100, 200));
    KXDRAWFUN::TranslucentBitBlt(dest.dc(), 2, 3, 5, 4, source.dc(), 0, 0, 0.25);
    // (1 - 0.25) x source + 0.25 x destination
    EXPECT_EQ(dest.count(RGB(150, 100, 50)), 20);
    EXPECT_EQ(dest.count(RGB(150, 100, 50), {2, 3, 7, 7}), 20);
    EXPECT_EQ(dest.count(RGB(0, 100, 200)), 80);

    DibSurface halves(2, 1, RGB(0, 0, 0));
    DibSurface bright(2, 1, RGB(255, 1, 3));
    KXDRAWFUN::TranslucentBitBlt(halves.dc(), 0, 0, 2, 1, bright.dc(), 0, 0, 0.5);
    EXPECT_EQ(halves.pixel(0, 0), RGB(127, 0, 1));
}

// Every pixel is the formula itself, (1 - factor) x source + factor x destination in doubles cut to
// 8 bits per component, for random colours and factors inside and outside 0..1.
TEST(DrawBlits, TranslucentBlendIsTheFormulaForEveryComponentValue)
{
    const int kWidth = 64, kHeight = 8;
    DibSurface source(kWidth, kHeight), dest(kWidth, kHeight), before(kWidth, kHeight);
    std::mt19937 random(96);
    for (const double factor : {0.3, 0.7, 1.0 / 3.0, 0.999, 2.0, -0.5}) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                SetPixel(source.dc(), x, y, random() & 0xFFFFFF);
                SetPixel(before.dc(), x, y, random() & 0xFFFFFF);
            }
        }
        BitBlt(dest.dc(), 0, 0, kWidth, kHeight, before.dc(), 0, 0, SRCCOPY);
        KXDRAWFUN::TranslucentBitBlt(dest.dc(), 0, 0, kWidth, kHeight, source.dc(), 0, 0, factor);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                COLORREF expected = 0;
                for (const int shift : {0, 8, 16}) {
                    const double value = (1.0 - factor) * ((source.pixel(x, y) >> shift) & 0xFF) +
                                         factor * ((before.pixel(x, y) >> shift) & 0xFF);
                    expected |= (static_cast<COLORREF>(static_cast<long long>(value)) & 0xFF) << shift;
                }
                wrong += dest.pixel(x, y) != expected;
            }
        }
        EXPECT_EQ(0, wrong) << "factor " << factor;
    }
}

TEST(DrawBlits, TranslucentFactorsZeroAndOneAndSourceOffset)
{
    DibSurface source(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            SetPixel(source.dc(), x, y, RGB(x * 30, y * 30, 7));
        }
    }
    DibSurface dest(8, 8, RGB(9, 9, 9));
    KXDRAWFUN::TranslucentBitBlt(dest.dc(), 1, 1, 3, 3, source.dc(), 4, 2, 0.0);
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(dest.pixel(1 + i, 1 + j), source.pixel(4 + i, 2 + j));
        }
    }
    EXPECT_EQ(dest.pixel(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(dest.pixel(4, 4), RGB(9, 9, 9));

    DibSurface kept(8, 8, RGB(9, 9, 9));
    KXDRAWFUN::TranslucentBitBlt(kept.dc(), 0, 0, 8, 8, source.dc(), 0, 0, 1.0);
    EXPECT_EQ(kept.count(RGB(9, 9, 9)), 64);

    // Outside 0..1 each component is still cut to 8 bits: 2 x 200 - 10 = 390 -> 134.
    DibSurface over(1, 1, RGB(200, 0, 0));
    DibSurface low(1, 1, RGB(10, 0, 0));
    KXDRAWFUN::TranslucentBitBlt(over.dc(), 0, 0, 1, 1, low.dc(), 0, 0, 2.0);
    EXPECT_EQ(GetRValue(over.pixel(0, 0)), 134);
}

TEST(DrawShapes, NullDeviceContextDrawsNothingAndDoesNotCrash)
{
    const RECT r = {0, 0, 10, 10};
    const POINT points[] = {{0, 0}, {5, 5}};
    KXDRAWFUN::DrawLine(nullptr, 0, 0, 5, 5, PS_SOLID, 1, kRed, R2_COPYPEN);
    KXDRAWFUN::DrawPolyLine(nullptr, points, 2, PS_SOLID, 1, kRed, R2_COPYPEN);
    KXDRAWFUN::DrawRect(nullptr, &r, PS_SOLID, 1, kRed, R2_COPYPEN);
    KXDRAWFUN::FillSolidRect(nullptr, &r, kRed);
    KXDRAWFUN::FillEllipse(nullptr, &r, kRed, TRUE);
    KXDRAWFUN::FloodFill(nullptr, 1, 1, kRed, kBlue);
    KXDRAWFUN::Draw3DBorder(nullptr, &r, TRUE);
    KXDRAWFUN::DrawFilledTriangle(nullptr, kRed, kBlue, &r, KXDRAWFUN::KXTD_UP, 5, FALSE, 1);
    KXDRAWFUN::DrawGradientRect(nullptr, &r, kRed, kBlue, TRUE);
    KXDRAWFUN::TranslucentBitBlt(nullptr, 0, 0, 5, 5, nullptr, 0, 0, 0.5);
    DibSurface canvas(10, 10);
    KXDRAWFUN::DrawRect(canvas.dc(), nullptr, PS_SOLID, 1, kRed, R2_COPYPEN);
    KXDRAWFUN::FillSolidRect(canvas.dc(), nullptr, kRed);
    KXDRAWFUN::Draw3DBorder(canvas.dc(), nullptr, TRUE);
    KXDRAWFUN::DrawGradientRect(canvas.dc(), nullptr, kRed, kBlue, TRUE);
    KXDRAWFUN::TranslucentBitBlt(canvas.dc(), 0, 0, 5, 5, nullptr, 0, 0, 0.5);
    EXPECT_EQ(canvas.count(kWhite), 100);
}

TEST(DrawBlits, TranslucentBlitsOfChangingAndLargeSizes)
{
    const SIZE sizes[] = {{300, 10}, {10, 300}, {40, 40}, {400, 300}};
    for (const SIZE& size : sizes) {
        DibSurface source(size.cx, size.cy, RGB(200, 100, 0));
        DibSurface dest(size.cx + 2, size.cy + 2, RGB(0, 100, 200));
        KXDRAWFUN::TranslucentBitBlt(dest.dc(), 1, 1, size.cx, size.cy, source.dc(), 0, 0, 0.25);
        EXPECT_EQ(dest.count(RGB(150, 100, 50)), size.cx * size.cy) << size.cx << "x" << size.cy;
        EXPECT_EQ(dest.count(RGB(0, 100, 200)), 2 * (size.cx + 2) + 2 * size.cy) << size.cx << "x" << size.cy;
    }
}
