#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <string>

#include "surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kDash = RGB(252, 252, 252);

using Unit = KXDRAWFUN::tagDrawTextUnit;

// A font without smoothing, so that text pixels have exactly the text colour.
class TestFont {
public:
    TestFont(const wchar_t* face, int height)
        : m_font(
              CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, face))
    {
    }
    ~TestFont() { DeleteObject(m_font); }
    TestFont(const TestFont&) = delete;
    TestFont& operator=(const TestFont&) = delete;
    HFONT get() const { return m_font; }

private:
    HFONT m_font;
};

SIZE Extent(HDC dc, HFONT font, const std::wstring& text)
{
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size;
}

} // namespace

TEST(TextLayout, LettersThenChineseMakeTwoRuns)
{
    DibSurface canvas(10, 10);
    TestFont wide(L"SimSun", 16), narrow(L"Tahoma", 11);
    Unit units[4] = {};
    SIZE total{};
    const wchar_t text[] = L"abc\u4e2d\u6587";
    const int count = KXDRAWFUN::GetTextExtentExW(canvas.dc(), text, 5, wide.get(), narrow.get(), &total, units, 4, 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(units[0].bSingleByte, 1);
    EXPECT_EQ(units[0].nStart, 0);
    EXPECT_EQ(units[0].nCount, 3);
    EXPECT_EQ(units[1].bSingleByte, 0);
    EXPECT_EQ(units[1].nStart, 3);
    EXPECT_EQ(units[1].nCount, 2);
    // Single-byte runs are measured in the second font, wide ones in the first.
    EXPECT_EQ(units[0].cx, Extent(canvas.dc(), narrow.get(), L"abc").cx);
    EXPECT_EQ(units[0].cy, Extent(canvas.dc(), narrow.get(), L"abc").cy);
    EXPECT_EQ(units[1].cx, Extent(canvas.dc(), wide.get(), L"\u4e2d\u6587").cx);
    EXPECT_EQ(total.cx, units[0].cx + units[1].cx);
    EXPECT_EQ(total.cy, std::max(units[0].cy, units[1].cy));
}

TEST(TextLayout, SpacesNeverEndARun)
{
    DibSurface canvas(10, 10);
    TestFont font(L"Tahoma", 12);
    Unit units[4] = {};
    SIZE total{};
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"a b", 3, font.get(), font.get(), &total, units, 4, 0), 1);
    EXPECT_EQ(units[0].nCount, 3);
    // A space inside Chinese text stays in the wide run.
    EXPECT_EQ(
        KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"\u4e2d \u6587x", 4, font.get(), font.get(), &total, units, 4, 0), 2);
    EXPECT_EQ(units[0].bSingleByte, 0);
    EXPECT_EQ(units[0].nCount, 3);
    EXPECT_EQ(units[1].nStart, 3);
}

TEST(TextLayout, VerticalMakesOneUnitPerCharacter)
{
    DibSurface canvas(10, 10);
    TestFont font(L"Tahoma", 12);
    Unit units[8] = {};
    SIZE total{};
    const int count =
        KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"Wi\u4e2d", 3, font.get(), nullptr, &total, units, 8, 1);
    ASSERT_EQ(count, 3);
    int height = 0, width = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(units[i].nStart, i);
        EXPECT_EQ(units[i].nCount, 1);
        height += units[i].cy;
        width = std::max(width, units[i].cx);
    }
    EXPECT_EQ(units[2].bSingleByte, 0);
    EXPECT_EQ(total.cy, height);
    EXPECT_EQ(total.cx, width);
    EXPECT_EQ(units[0].cx, Extent(canvas.dc(), font.get(), L"W").cx);
}

TEST(TextLayout, CapacityLimitsWritesNotTheCount)
{
    DibSurface canvas(10, 10);
    TestFont font(L"Tahoma", 12);
    Unit units[2] = {};
    units[1].nStart = -77;
    SIZE total{};
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"ab\u4e2dcd", 5, font.get(), font.get(), &total, units, 1, 0),
              3);
    EXPECT_EQ(units[0].nCount, 2);
    EXPECT_EQ(units[1].nStart, -77);
    EXPECT_GT(total.cx, units[0].cx);
}

TEST(TextLayout, MissingArgumentsMeasureNothing)
{
    DibSurface canvas(10, 10);
    TestFont font(L"Tahoma", 12);
    SIZE total = {5, 5};
    Unit units[2];
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(nullptr, L"ab", 2, font.get(), font.get(), &total, units, 2, 0), 0);
    EXPECT_EQ(total.cx, 0);
    EXPECT_EQ(total.cy, 0);
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(canvas.dc(), nullptr, 2, font.get(), font.get(), &total, units, 2, 0), 0);
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"ab", 0, font.get(), font.get(), &total, units, 2, 0), 0);
    EXPECT_EQ(KXDRAWFUN::GetTextExtentExW(canvas.dc(), L"ab", 2, font.get(), font.get(), nullptr, units, 2, 0), 0);
}

TEST(TextLayout, EightBitTextSplitsByCharacterBytes)
{
    ASSERT_EQ(GetACP(), 936u);
    DibSurface canvas(10, 10);
    TestFont font(L"SimSun", 14);
    const char text[] = "ab \xd6\xd0\xce\xc4!"; // "ab 中文!"
    Unit units[4] = {};
    SIZE total{};
    ASSERT_EQ(KXDRAWFUN::GetTextExtentExA(canvas.dc(), text, 8, font.get(), font.get(), &total, units, 4, 0), 3);
    EXPECT_EQ(units[0].nCount, 3);
    EXPECT_EQ(units[1].bSingleByte, 0);
    EXPECT_EQ(units[1].nStart, 3);
    EXPECT_EQ(units[1].nCount, 4);
    EXPECT_EQ(units[2].nStart, 7);
    EXPECT_EQ(total.cx, Extent(canvas.dc(), font.get(), L"ab \u4e2d\u6587!").cx);

    EXPECT_EQ(KXDRAWFUN::GetTextExtentExA(canvas.dc(), text, 8, font.get(), font.get(), &total, units, 4, 1), 6);
    SIZE stacked{};
    EXPECT_TRUE(KXDRAWFUN::GetTextExtentA(canvas.dc(), text, 8, font.get(), &stacked, 1));
    EXPECT_EQ(stacked.cy, total.cy);
}

TEST(TextMeasure, WholeTextOrStackedCharacters)
{
    DibSurface canvas(10, 10);
    TestFont font(L"Tahoma", 12);
    SIZE flat{}, stacked{};
    EXPECT_TRUE(KXDRAWFUN::GetTextExtentW(canvas.dc(), L"Wiki", 4, font.get(), &flat, 0));
    EXPECT_EQ(flat.cx, Extent(canvas.dc(), font.get(), L"Wiki").cx);
    EXPECT_TRUE(KXDRAWFUN::GetTextExtent(canvas.dc(), L"Wiki", 99, font.get(), &stacked, 1));
    EXPECT_EQ(stacked.cy, 4 * flat.cy);
    EXPECT_EQ(stacked.cx, Extent(canvas.dc(), font.get(), L"W").cx);
    EXPECT_FALSE(KXDRAWFUN::GetTextExtentW(nullptr, L"Wiki", 4, font.get(), &flat, 0));

    const HGDIOBJ old = SelectObject(canvas.dc(), font.get());
    EXPECT_EQ(KXDRAWFUN::GetTextWidth(canvas.dc(), L"Wiki"), flat.cx);
    EXPECT_EQ(KXDRAWFUN::GetTextHeight(canvas.dc(), L"Wiki"), flat.cy);
    SelectObject(canvas.dc(), old);
    EXPECT_EQ(KXDRAWFUN::GetTextWidth(nullptr, L"Wiki"), 0);
    EXPECT_EQ(KXDRAWFUN::GetTextHeight(canvas.dc(), nullptr), 0);
}

TEST(TextDraw, OneFontTextStaysInItsRectangleInItsColour)
{
    DibSurface canvas(120, 40);
    TestFont font(L"Tahoma", 14);
    const RECT r = {10, 5, 110, 35};
    KXDRAWFUN::DrawTextW(canvas.dc(), L"Hello", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, font.get(), kRed, 0);
    EXPECT_GT(canvas.count(kRed), 20);
    EXPECT_EQ(CountIf(canvas, [](COLORREF c) { return c != kRed && c != kWhite; }, {0, 0, 120, 40}), 0);
    const RECT ink = BoundsOfNot(canvas, kWhite);
    const SIZE size = Extent(canvas.dc(), font.get(), L"Hello");
    EXPECT_GE(ink.left, 10 + (100 - size.cx) / 2 - 1);
    EXPECT_LE(ink.right, 10 + (100 + size.cx) / 2 + 1);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 35);
}

TEST(TextDraw, VerticalTextStacksCharacters)
{
    TestFont font(L"Tahoma", 14);
    DibSurface canvas(40, 120);
    const RECT r = {0, 0, 40, 120};
    const SIZE one = Extent(canvas.dc(), font.get(), L"H");
    KXDRAWFUN::DrawTextW(canvas.dc(), L"HHH", 3, &r, DT_CENTER, font.get(), kBlue, 1);
    RECT ink = BoundsOfNot(canvas, kWhite);
    EXPECT_GT(ink.bottom - ink.top, 2 * one.cy);
    EXPECT_LE(ink.bottom, 3 * one.cy);
    EXPECT_LE(ink.right - ink.left, one.cx);
    EXPECT_GE(ink.left, (40 - one.cx) / 2);

    canvas.fill(kWhite);
    KXDRAWFUN::DrawTextW(canvas.dc(), L"HHH", 3, &r, DT_RIGHT | DT_BOTTOM, font.get(), kBlue, 1);
    ink = BoundsOfNot(canvas, kWhite);
    EXPECT_GE(ink.top, 120 - 3 * one.cy);
    EXPECT_LE(ink.bottom, 120);
    EXPECT_GE(ink.left, 40 - one.cx);
}

TEST(TextDraw, TwoFontsWithOneFontAndColourIsDrawText)
{
    TestFont font(L"Tahoma", 13);
    const RECT r = {2, 2, 150, 30};
    const wchar_t text[] = L"Price 12.5 \u4e2d";
    DibSurface plain(160, 32), ex(160, 32), exNull(160, 32);
    KXDRAWFUN::DrawTextW(plain.dc(), text, 12, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE, font.get(), kBlue, 0);
    KXDRAWFUN::DrawTextExW(ex.dc(), text, 12, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE, font.get(), font.get(), kBlue,
                           kBlue, 0);
    KXDRAWFUN::DrawTextExW(exNull.dc(), text, 12, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE, font.get(), nullptr, kBlue,
                           kBlue, 0);
    EXPECT_GT(plain.count(kBlue), 20);
    EXPECT_TRUE(SamePixels(plain, ex));
    EXPECT_TRUE(SamePixels(plain, exNull));
}

TEST(TextDraw, TwoColoursPutTheRunsSideBySide)
{
    TestFont wide(L"SimSun", 16), narrow(L"Tahoma", 12);
    DibSurface canvas(200, 30);
    const RECT r = {0, 0, 200, 30};
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"abc\u4e2d\u6587", 5, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE, wide.get(),
                           narrow.get(), kBlue, kRed, 0);
    const RECT red = BoundsOfColour(canvas, kRed), blue = BoundsOfColour(canvas, kBlue);
    ASSERT_GT(canvas.count(kRed), 0);
    ASSERT_GT(canvas.count(kBlue), 0);
    EXPECT_LE(red.right, blue.left);
    EXPECT_LE(red.right, Extent(canvas.dc(), narrow.get(), L"abc").cx + 1);

    // Right aligned, the whole line ends at the right edge.
    canvas.fill(kWhite);
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"\u4e2dxyz", 4, &r, DT_RIGHT | DT_SINGLELINE, wide.get(), narrow.get(), kBlue,
                           kRed, 0);
    const SIZE total = {Extent(canvas.dc(), wide.get(), L"\u4e2d").cx + Extent(canvas.dc(), narrow.get(), L"xyz").cx,
                        0};
    EXPECT_GE(BoundsOfColour(canvas, kBlue).left, 200 - total.cx);
    EXPECT_LE(BoundsOfColour(canvas, kBlue).right, BoundsOfColour(canvas, kRed).left);
}

TEST(TextDraw, TwoColoursVerticallyStackTheCharacters)
{
    TestFont font(L"SimSun", 14);
    DibSurface canvas(40, 120);
    const RECT r = {0, 0, 40, 120};
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"ab\u4e2d", 3, &r, DT_CENTER, font.get(), font.get(), kBlue, kRed, 1);
    const RECT red = BoundsOfColour(canvas, kRed), blue = BoundsOfColour(canvas, kBlue);
    ASSERT_GT(canvas.count(kBlue), 0);
    EXPECT_LE(red.bottom, blue.top);
    EXPECT_LT(red.right - red.left, 16);
}

TEST(TextDraw, ShortTextsUseTheSharedBufferLongOnesTheirOwn)
{
    TestFont font(L"Tahoma", 10);
    DibSurface canvas(300, 20);
    const RECT r = {0, 0, 300, 20};
    const std::wstring text255(255, L'a'), text256(256, L'a');
    KXDRAWFUN::sm_TextUnitBuf[0].nCount = -5;
    KXDRAWFUN::DrawTextExW(canvas.dc(), text256.c_str(), 256, &r, DT_LEFT, font.get(), font.get(), kBlue, kRed, 0);
    EXPECT_EQ(KXDRAWFUN::sm_TextUnitBuf[0].nCount, -5);
    EXPECT_GT(canvas.count(kRed), 0);
    KXDRAWFUN::DrawTextExW(canvas.dc(), text255.c_str(), 255, &r, DT_LEFT, font.get(), font.get(), kBlue, kRed, 0);
    EXPECT_EQ(KXDRAWFUN::sm_TextUnitBuf[0].nCount, 255);
    EXPECT_EQ(KXDRAWFUN::sm_TextUnitBuf[0].bSingleByte, 1);
}

TEST(TextDraw, FourHyphensDrawADash)
{
    TestFont font(L"Tahoma", 12);
    DibSurface canvas(40, 20, kBlack);
    const RECT r = {0, 0, 40, 20};
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"----12", 6, &r, DT_CENTER | DT_VCENTER, font.get(), font.get(), kRed, kBlue,
                           0);
    EXPECT_EQ(canvas.count(kDash), 18);
    EXPECT_EQ(canvas.count(kDash, {11, 10, 29, 11}), 18);
    EXPECT_EQ(canvas.count(kBlack), 800 - 18);

    canvas.fill(kBlack);
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"----", 4, &r, DT_RIGHT | DT_VCENTER, font.get(), nullptr, kRed, kRed, 0);
    EXPECT_EQ(canvas.count(kDash, {21, 10, 39, 11}), 18);

    // A narrow rectangle shortens the dash to its width.
    canvas.fill(kBlack);
    const RECT narrow = {5, 0, 15, 20};
    KXDRAWFUN::DrawTextExW(canvas.dc(), L"-----", 5, &narrow, DT_CENTER | DT_VCENTER, font.get(), nullptr, kRed, kRed,
                           0);
    EXPECT_EQ(canvas.count(kDash), 10);
    EXPECT_EQ(canvas.count(kDash, {5, 10, 15, 11}), 10);
}

TEST(TextPlace, PutKxStringAlignsInsideTheRectangle)
{
    TestFont font(L"Tahoma", 12);
    DibSurface canvas(200, 40);
    const HGDIOBJ old = SelectObject(canvas.dc(), font.get());
    SetTextColor(canvas.dc(), kBlue);
    const SIZE size = Extent(canvas.dc(), font.get(), L"Quote");
    const RECT r = {0, 0, 200, 40};

    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"Quote", 1, 1, 0);
    RECT ink = BoundsOfNot(canvas, kWhite);
    EXPECT_GE(ink.left, 1);
    EXPECT_LE(ink.right, 1 + size.cx);
    EXPECT_GE(ink.top, 2);
    EXPECT_LE(ink.bottom, 2 + size.cy);

    canvas.fill(kWhite);
    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"Quote", 2, 2, 0);
    ink = BoundsOfNot(canvas, kWhite);
    EXPECT_LE(ink.right, 199);
    EXPECT_GE(ink.left, 199 - size.cx);
    EXPECT_GE(ink.top, 40 - size.cy);

    canvas.fill(kWhite);
    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"Quote", 0, 0, 0);
    ink = BoundsOfNot(canvas, kWhite);
    EXPECT_GE(ink.left, (200 - size.cx) / 2);
    EXPECT_LE(ink.right, (200 + size.cx) / 2 + 1);
    SelectObject(canvas.dc(), old);
}

TEST(TextPlace, PutKxStringDashPositions)
{
    TestFont font(L"Tahoma", 12);
    DibSurface canvas(60, 40, kBlack);
    const HGDIOBJ old = SelectObject(canvas.dc(), font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.dc(), &metrics);
    const int h = metrics.tmHeight;
    const RECT r = {0, 0, 60, 40};
    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"----", 0, 0, 0);
    EXPECT_EQ(canvas.count(kDash, {21, 20, 39, 21}), 18);
    canvas.fill(kBlack);
    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"----", 2, 1, 0);
    EXPECT_EQ(canvas.count(kDash, {41, h / 2 + 1, 59, h / 2 + 2}), 18);
    canvas.fill(kBlack);
    KXDRAWFUN::PutKxString(canvas.dc(), &r, L"----", 1, 2, 0);
    EXPECT_EQ(canvas.count(kDash, {1, 40 - h / 2 - 1, 19, 40 - h / 2}), 18);
    EXPECT_EQ(canvas.count(kDash), 18);
    SelectObject(canvas.dc(), old);
}

TEST(TextFit, CutTextIsNeverWiderThanAsked)
{
    TestFont font(L"Tahoma", 12);
    DibSurface canvas(10, 10);
    const std::wstring original = L"Shanghai Composite \u4e2d\u6587 Index";
    const int full = Extent(canvas.dc(), font.get(), original).cx;
    for (BOOL ellipsis : {FALSE, TRUE}) {
        for (int width = 1; width < full + 5; ++width) {
            std::wstring text = original;
            KXDRAWFUN::FormatStringWithFixedWidth(canvas.dc(), font.get(), &text[0], static_cast<int>(text.size()),
                                                  width, ellipsis);
            text.resize(wcslen(text.c_str()));
            const int cut = Extent(canvas.dc(), font.get(), text).cx;
            EXPECT_LE(cut, width) << "width " << width << " ellipsis " << ellipsis;
            if (width >= full) {
                EXPECT_EQ(text, original);
                continue;
            }
            // The longest prefix that fits: one more character would not.
            std::wstring kept = text;
            if (ellipsis && !kept.empty()) {
                ASSERT_EQ(kept.back(), L'\u2026');
                kept.pop_back();
            }
            ASSERT_EQ(original.compare(0, kept.size(), kept), 0);
            const std::wstring longer = original.substr(0, kept.size() + 1) + (ellipsis ? L"\u2026" : L"");
            if (!text.empty()) {
                EXPECT_GT(Extent(canvas.dc(), font.get(), longer).cx, width) << "width " << width;
            }
        }
    }
}

TEST(TextFit, MeasuresOnTheScreenWithoutADeviceContext)
{
    TestFont font(L"Tahoma", 12);
    wchar_t text[] = L"abcdefghijklmnopqrstuvwxyz";
    KXDRAWFUN::FormatStringWithFixedWidth(nullptr, font.get(), text, 26, 40, TRUE);
    EXPECT_LT(wcslen(text), 26u);
    EXPECT_EQ(text[wcslen(text) - 1], L'\u2026');

    wchar_t untouched[] = L"abc";
    KXDRAWFUN::FormatStringWithFixedWidth(nullptr, nullptr, untouched, 3, 1, TRUE);
    KXDRAWFUN::FormatStringWithFixedWidth(nullptr, font.get(), untouched, 0, 1, TRUE);
    KXDRAWFUN::FormatStringWithFixedWidth(nullptr, font.get(), untouched, 3, 0, TRUE);
    EXPECT_STREQ(untouched, L"abc");
}
