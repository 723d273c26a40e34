#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <functional>

#include "surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kMagenta = RGB(255, 0, 255);

// A 32-bit bitmap (selected nowhere) whose pixels come from a function of their position.
class TestBitmap {
public:
    TestBitmap(int width, int height, const std::function<COLORREF(int, int)>& colourAt)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        m_width = width;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = colourAt(x, y);
                m_bits[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            }
        }
    }
    TestBitmap(int width, int height, COLORREF colour) : TestBitmap(width, height, [=](int, int) { return colour; }) {}
    ~TestBitmap() { DeleteObject(m_bitmap); }
    TestBitmap(const TestBitmap&) = delete;
    TestBitmap& operator=(const TestBitmap&) = delete;

    HBITMAP get() const { return m_bitmap; }
    COLORREF pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    int m_width = 0;
};

COLORREF Pattern(int x, int y)
{
    return RGB(x * 20, y * 20, 100);
}

// An icon of one colour (an all-zero mask: every pixel opaque).
class SolidIcon {
public:
    SolidIcon(int width, int height, COLORREF colour) : m_colour(width, height, colour), m_mask(width, height, 0)
    {
        ICONINFO info{TRUE, 0, 0, m_mask.get(), m_colour.get()};
        m_icon = CreateIconIndirect(&info);
    }
    ~SolidIcon() { DestroyIcon(m_icon); }
    HICON get() const { return m_icon; }

private:
    TestBitmap m_colour;
    TestBitmap m_mask;
    HICON m_icon = nullptr;
};

// Columns of a piece carry their index in the green channel so stretched and copied pieces differ.
COLORREF Striped(COLORREF base, int x)
{
    return RGB(GetRValue(base), x * 40, GetBValue(base));
}

} // namespace

TEST(DrawBitmaps, SizesOfBitmapsAndIcons)
{
    TestBitmap bitmap(13, 7, kRed);
    SIZE size = {-1, -1};
    KXDRAWFUN::GetBmpSize(bitmap.get(), &size);
    EXPECT_EQ(size.cx, 13);
    EXPECT_EQ(size.cy, 7);
    size = {-1, -1};
    KXDRAWFUN::GetBmpSize(nullptr, &size);
    EXPECT_EQ(size.cx, -1);
    EXPECT_EQ(size.cy, -1);

    SolidIcon icon(48, 24, kRed);
    ASSERT_NE(icon.get(), nullptr);
    KXDRAWFUN::GetIconSize(icon.get(), &size);
    EXPECT_EQ(size.cx, 48);
    EXPECT_EQ(size.cy, 24);
    size = {-1, -1};
    KXDRAWFUN::GetIconSize(nullptr, &size);
    EXPECT_EQ(size.cx, -1);
}

TEST(DrawBitmaps, DrawBmpCopiesARectangleSizedBlockFromTheSourcePoint)
{
    TestBitmap bitmap(10, 10, Pattern);
    DibSurface canvas(20, 20);
    const RECT r = {5, 5, 9, 8};
    KXDRAWFUN::DrawBmp(canvas.dc(), &r, bitmap.get(), POINT{2, 3}, SRCCOPY);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 5 && x < 9 && y >= 5 && y < 8;
            EXPECT_EQ(canvas.pixel(x, y), inside ? Pattern(x - 5 + 2, y - 5 + 3) : kWhite) << x << "," << y;
        }
    }
    KXDRAWFUN::DrawBmp(canvas.dc(), &r, bitmap.get(), POINT{0, 0}, SRCINVERT);
    EXPECT_EQ(canvas.pixel(5, 5), Pattern(2, 3) ^ Pattern(0, 0));
}

TEST(DrawBitmaps, DrawBmpIntoABitmap)
{
    TestBitmap source(6, 6, Pattern);
    TestBitmap dest(12, 12, kWhite);
    const RECT r = {4, 2, 7, 6};
    KXDRAWFUN::DrawBmp(dest.get(), &r, source.get(), POINT{1, 1}, SRCCOPY);
    EXPECT_EQ(dest.pixel(4, 2), Pattern(1, 1));
    EXPECT_EQ(dest.pixel(6, 5), Pattern(3, 4));
    EXPECT_EQ(dest.pixel(7, 5), kWhite);
    EXPECT_EQ(dest.pixel(3, 2), kWhite);
}

TEST(DrawBitmaps, DrawBmpWithMissingArgumentsDrawsNothing)
{
    TestBitmap bitmap(4, 4, kRed);
    DibSurface canvas(8, 8);
    const RECT r = {0, 0, 4, 4};
    KXDRAWFUN::DrawBmp(canvas.dc(), nullptr, bitmap.get(), POINT{0, 0}, SRCCOPY);
    KXDRAWFUN::DrawBmp(canvas.dc(), &r, nullptr, POINT{0, 0}, SRCCOPY);
    KXDRAWFUN::DrawBmp(static_cast<HDC>(nullptr), &r, bitmap.get(), POINT{0, 0}, SRCCOPY);
    KXDRAWFUN::DrawBmp(static_cast<HBITMAP>(nullptr), &r, bitmap.get(), POINT{0, 0}, SRCCOPY);
    KXDRAWFUN::TransparentDrawBmp(canvas.dc(), &r, nullptr, POINT{0, 0});
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, bitmap.get(), nullptr, bitmap.get(), 0, SRCCOPY);
    KXDRAWFUN::DrawIcon(canvas.dc(), nullptr, &r, 0);
    EXPECT_EQ(canvas.count(kWhite), 64);
}

TEST(DrawBitmaps, TransparentColourIsTheTopLeftPixelOrTheGivenOne)
{
    // Magenta frame around a red centre with one blue pixel.
    TestBitmap bitmap(6, 6, [](int x, int y) {
        if (x == 0 || y == 0 || x == 5 || y == 5) {
            return kMagenta;
        }
        return x == 3 && y == 3 ? kBlue : kRed;
    });
    DibSurface canvas(10, 10, kGreen);
    const RECT r = {2, 2, 8, 8};
    KXDRAWFUN::TransparentDrawBmp(canvas.dc(), &r, bitmap.get(), POINT{0, 0});
    EXPECT_EQ(canvas.count(kMagenta), 0);
    EXPECT_EQ(canvas.count(kRed), 15);
    EXPECT_EQ(canvas.pixel(5, 5), kBlue);
    EXPECT_EQ(canvas.pixel(2, 2), kGreen);
    EXPECT_EQ(canvas.pixel(3, 3), kRed);

    DibSurface second(10, 10, kGreen);
    KXDRAWFUN::TransparentDrawBmp(second.dc(), &r, bitmap.get(), POINT{0, 0}, kRed);
    EXPECT_EQ(second.count(kRed), 0);
    EXPECT_EQ(second.count(kMagenta), 20);
    EXPECT_EQ(second.pixel(5, 5), kBlue);
    EXPECT_EQ(second.pixel(4, 4), kGreen);
}

TEST(DrawBitmaps, ThreePiecesHorizontallyAtTheirOwnHeight)
{
    TestBitmap head(3, 6, [](int x, int) { return Striped(kRed, x); });
    TestBitmap middle(2, 6, [](int x, int) { return Striped(kBlue, x); });
    TestBitmap tail(4, 6, [](int x, int) { return Striped(RGB(100, 0, 100), x); });
    DibSurface canvas(50, 10);
    const RECT r = {10, 2, 40, 8};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), tail.get(), 0, SRCCOPY);
    for (int x = 10; x < 13; ++x) {
        EXPECT_EQ(canvas.pixel(x, 4), Striped(kRed, x - 10)) << x; // copied 1:1
    }
    for (int x = 13; x < 36; ++x) {
        EXPECT_EQ(GetBValue(canvas.pixel(x, 4)), 255) << x; // the middle, stretched
    }
    for (int x = 36; x < 40; ++x) {
        EXPECT_EQ(canvas.pixel(x, 7), Striped(RGB(100, 0, 100), x - 36)) << x;
    }
    EXPECT_EQ(canvas.pixel(9, 4), kWhite);
    EXPECT_EQ(canvas.pixel(40, 4), kWhite);
    EXPECT_EQ(canvas.pixel(20, 1), kWhite);
    EXPECT_EQ(canvas.pixel(20, 8), kWhite);
}

TEST(DrawBitmaps, ThreePiecesStretchedToAnotherHeight)
{
    TestBitmap head(2, 4, kRed);
    TestBitmap middle(2, 4, kGreen);
    TestBitmap tail(2, 4, kBlue);
    DibSurface canvas(30, 20);
    const RECT r = {0, 0, 20, 12};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), tail.get(), 0, SRCCOPY);
    EXPECT_EQ(canvas.count(kRed), 2 * 12);
    EXPECT_EQ(canvas.count(kGreen), 16 * 12);
    EXPECT_EQ(canvas.count(kBlue), 2 * 12);
    EXPECT_EQ(canvas.count(kBlue, {18, 0, 20, 12}), 2 * 12);
}

TEST(DrawBitmaps, OneBitmapCanServeAsAllThreePieces)
{
    TestBitmap band(4, 5, kBlue);
    DibSurface canvas(30, 10);
    const RECT r = {0, 0, 30, 8};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, band.get(), band.get(), band.get(), 0, SRCCOPY);
    EXPECT_EQ(canvas.count(kBlue), 30 * 8);
}

TEST(DrawBitmaps, ThreePiecesVertically)
{
    TestBitmap head(5, 2, kRed);
    TestBitmap middle(5, 3, kGreen);
    TestBitmap tail(5, 4, kBlue);
    DibSurface canvas(10, 30);
    const RECT r = {2, 1, 7, 21};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), tail.get(), 1, SRCCOPY);
    EXPECT_EQ(canvas.count(kRed, {2, 1, 7, 3}), 10);
    EXPECT_EQ(canvas.count(kGreen, {2, 3, 7, 17}), 70);
    EXPECT_EQ(canvas.count(kBlue, {2, 17, 7, 21}), 20);
    EXPECT_EQ(canvas.count(kWhite), 300 - 100);
}

TEST(DrawBitmaps, ThreePieceMismatchesDrawNothing)
{
    TestBitmap head(2, 4, kRed), middle(2, 4, kGreen), tail(2, 4, kBlue), taller(2, 5, kBlue);
    DibSurface canvas(30, 30);
    const RECT r = {0, 0, 20, 4};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), taller.get(), 0, SRCCOPY);
    const RECT flat = {0, 0, 20, 0};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &flat, head.get(), middle.get(), tail.get(), 0, SRCCOPY);
    // Vertically the rectangle must be exactly as wide as the middle piece.
    const RECT narrow = {0, 0, 1, 20};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &narrow, head.get(), middle.get(), tail.get(), 1, SRCCOPY);
    const RECT wide = {0, 0, 3, 20};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &wide, head.get(), middle.get(), tail.get(), 1, SRCCOPY);
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), tail.get(), 2, SRCCOPY);
    EXPECT_EQ(canvas.count(kWhite), 900);
}

TEST(DrawBitmaps, WithoutHeadOrTailTheMiddleCoversTheRectangle)
{
    TestBitmap middle(2, 2, kGreen);
    DibSurface canvas(20, 20);
    const RECT r = {3, 4, 13, 9};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, nullptr, middle.get(), nullptr, 0, SRCCOPY);
    EXPECT_EQ(canvas.count(kGreen), 50);
    EXPECT_EQ(canvas.count(kGreen, r), 50);
}

TEST(DrawBitmaps, ANarrowRectangleNeverMirrorsTheMiddle)
{
    TestBitmap head(6, 4, kRed), middle(2, 4, kGreen), tail(6, 4, kBlue);
    DibSurface canvas(20, 10);
    const RECT r = {0, 0, 8, 4};
    KXDRAWFUN::StretchDrawBmp(canvas.dc(), &r, head.get(), middle.get(), tail.get(), 0, SRCCOPY);
    EXPECT_EQ(canvas.count(kGreen), 0);
}

TEST(DrawIcons, IconFitsTheRectangleKeepingItsAspect)
{
    SolidIcon icon(32, 32, kRed);
    struct Case {
        RECT rect;
        RECT expected;
    } cases[] = {
        {{0, 0, 40, 40}, {4, 4, 36, 36}},  // room enough: own size, centred
        {{0, 0, 40, 20}, {10, 0, 30, 20}}, // too high: scaled to the height
        {{0, 0, 20, 40}, {0, 10, 20, 30}}, // too wide: scaled to the width
        {{5, 5, 21, 21}, {5, 5, 21, 21}},  // both
    };
    for (const Case& c : cases) {
        DibSurface canvas(50, 50);
        KXDRAWFUN::DrawIcon(canvas.dc(), icon.get(), &c.rect, 0);
        const RECT ink = BoundsOfNot(canvas, kWhite);
        EXPECT_EQ(ink.left, c.expected.left);
        EXPECT_EQ(ink.top, c.expected.top);
        EXPECT_EQ(ink.right, c.expected.right);
        EXPECT_EQ(ink.bottom, c.expected.bottom);
        EXPECT_EQ(canvas.count(kRed), (c.expected.right - c.expected.left) * (c.expected.bottom - c.expected.top));
    }
}
