// Text measured and drawn by KXDRAWFUN: one font, two fonts (runs of characters below 255 in the second),
// stacked vertically, placed, or cut to a width. The 8-bit forms share the code through TextOf<char>.
#include <util/drawfun.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "framework/gdi_scope.h"

using namespace kxdraw;

namespace {

using Unit = KXDRAWFUN::tagDrawTextUnit;

const COLORREF kDashColour = RGB(252, 252, 252);
const int kDashLength = 18;

template <typename Char>
struct TextOf;

template <>
struct TextOf<wchar_t> {
    static int Length(const wchar_t* text, int length)
    {
        return static_cast<int>(length < 0 ? wcslen(text) : wcsnlen(text, static_cast<size_t>(length)));
    }
    static int CharLength(const wchar_t*, int) { return 1; }
    static bool IsSingleByte(const wchar_t* at, int) { return *at < 255; }
    static bool IsSpace(const wchar_t* at) { return *at == L' '; }
    static bool StartsWithDash(const wchar_t* text, int length)
    {
        return length >= 4 && wcsncmp(text, L"----", 4) == 0;
    }
    static SIZE Measure(HDC dc, const wchar_t* text, int length)
    {
        SIZE size{};
        GetTextExtentPoint32W(dc, text, length, &size);
        return size;
    }
    static void Draw(HDC dc, const wchar_t* text, int length, RECT rect, UINT format)
    {
        ::DrawTextW(dc, text, length, &rect, format);
    }
};

// 8-bit text is in the process code page: a character is a lead byte and its trail byte, or one byte.
template <>
struct TextOf<char> {
    static int Length(const char* text, int length)
    {
        return static_cast<int>(length < 0 ? strlen(text) : strnlen(text, static_cast<size_t>(length)));
    }
    static int CharLength(const char* at, int remaining)
    {
        return remaining >= 2 && IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != 0 ? 2 : 1;
    }
    static bool IsSingleByte(const char* at, int remaining) { return CharLength(at, remaining) == 1; }
    static bool IsSpace(const char* at) { return *at == ' '; }
    static bool StartsWithDash(const char* text, int length) { return length >= 4 && strncmp(text, "----", 4) == 0; }
    static SIZE Measure(HDC dc, const char* text, int length)
    {
        SIZE size{};
        GetTextExtentPoint32A(dc, text, length, &size);
        return size;
    }
    static void Draw(HDC dc, const char* text, int length, RECT rect, UINT format)
    {
        ::DrawTextA(dc, text, length, &rect, format);
    }
};

// The drawing operations take constant text: the platform must never write into it.
UINT WithoutModify(UINT format)
{
    return format & ~static_cast<UINT>(DT_MODIFYSTRING);
}

// Switches between fonts, selecting only on a change, and selects the caller's font back at the end.
class FontSwitcher {
public:
    explicit FontSwitcher(HDC dc) : m_dc(dc) {}
    ~FontSwitcher()
    {
        if (m_old) {
            SelectObject(m_dc, m_old);
        }
    }
    FontSwitcher(const FontSwitcher&) = delete;
    FontSwitcher& operator=(const FontSwitcher&) = delete;

    // A null font keeps the one that is selected.
    void Use(HFONT font)
    {
        if (font == nullptr || font == m_current) {
            return;
        }
        const HGDIOBJ previous = SelectObject(m_dc, font);
        if (previous == nullptr || previous == HGDI_ERROR) {
            return;
        }
        if (m_old == nullptr) {
            m_old = previous;
        }
        m_current = font;
    }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
    HFONT m_current = nullptr;
};

// Calls visit(offset, length) for each character of the first `length` units of text.
template <typename Char, typename Visit>
void ForEachChar(const Char* text, int length, Visit visit)
{
    for (int at = 0; at < length;) {
        const int size = TextOf<Char>::CharLength(text + at, length - at);
        visit(at, size);
        at += size;
    }
}

template <typename Char>
BOOL MeasureText(HDC dc, const Char* text, int length, HFONT font, SIZE* size, int vertical)
{
    if (dc == nullptr || text == nullptr || size == nullptr) {
        return FALSE;
    }
    const int count = TextOf<Char>::Length(text, length);
    SelectGuard select(dc, font);
    if (!vertical) {
        *size = TextOf<Char>::Measure(dc, text, count);
        return TRUE;
    }
    SIZE total{};
    ForEachChar(text, count, [&](int at, int chars) {
        const SIZE one = TextOf<Char>::Measure(dc, text + at, chars);
        total.cx = std::max(total.cx, one.cx);
        total.cy += one.cy;
    });
    *size = total;
    return TRUE;
}

// Cuts the text into runs of one class (single-byte or wide; a space joins any run) and measures each,
// single-byte runs in the second font (the first when there is none). Vertical: one unit per character.
template <typename Char>
int LayoutRuns(HDC dc, const Char* text, int length, HFONT font, HFONT singleByteFont, SIZE* total, Unit* units,
               int capacity, int vertical)
{
    if (text == nullptr || length == 0 || total == nullptr) {
        return 0;
    }
    *total = {0, 0};
    if (dc == nullptr) {
        return 0;
    }
    using T = TextOf<Char>;
    const int count = T::Length(text, length);
    int unitCount = 0;
    FontSwitcher fonts(dc);
    auto add = [&](bool singleByte, int start, int chars, SIZE size) {
        if (units && unitCount < capacity) {
            units[unitCount] = {static_cast<BYTE>(singleByte ? 1 : 0), start, chars, size.cx, size.cy};
        }
        ++unitCount;
        if (vertical) {
            total->cx = std::max(total->cx, size.cx);
            total->cy += size.cy;
        } else {
            total->cx += size.cx;
            total->cy = std::max(total->cy, size.cy);
        }
    };
    for (int start = 0; start < count;) {
        const bool singleByte = T::IsSingleByte(text + start, count - start);
        int end = start + T::CharLength(text + start, count - start);
        while (end < count && (T::IsSpace(text + end) || T::IsSingleByte(text + end, count - end) == singleByte)) {
            end += T::CharLength(text + end, count - end);
        }
        fonts.Use(singleByte && singleByteFont ? singleByteFont : font);
        if (vertical) {
            ForEachChar(text + start, end - start, [&](int at, int chars) {
                add(singleByte, start + at, chars, T::Measure(dc, text + start + at, chars));
            });
        } else {
            add(singleByte, start, end - start, T::Measure(dc, text + start, end - start));
        }
        start = end;
    }
    return unitCount;
}

template <typename Char>
void DrawOneFont(HDC dc, const Char* text, int length, const RECT* rect, UINT format, HFONT font, COLORREF colour,
                 int vertical)
{
    if (dc == nullptr || text == nullptr || rect == nullptr) {
        return;
    }
    using T = TextOf<Char>;
    BkModeGuard mode(dc, TRANSPARENT);
    TextColourGuard textColour(dc, colour);
    SelectGuard select(dc, font);
    const int count = T::Length(text, length);
    if (!vertical) {
        T::Draw(dc, text, count, *rect, WithoutModify(format));
        return;
    }
    int y = rect->top;
    if (format & (DT_VCENTER | DT_BOTTOM)) {
        int sum = 0;
        ForEachChar(text, count, [&](int at, int chars) { sum += T::Measure(dc, text + at, chars).cy; });
        y = (format & DT_VCENTER) ? rect->top + (Height(*rect) - sum) / 2 : rect->bottom - sum;
    }
    ForEachChar(text, count, [&](int at, int chars) {
        const SIZE one = T::Measure(dc, text + at, chars);
        int x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (Width(*rect) - one.cx) / 2;
        } else if (format & DT_RIGHT) {
            x = rect->right - one.cx;
        }
        T::Draw(dc, text + at, chars, {x, y, x + one.cx, y + one.cy}, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        y += one.cy;
    });
}

void DrawDash(HDC dc, int x, int y, int length)
{
    KXDRAWFUN::DrawLine(dc, x, y, x + length, y, PS_SOLID, 1, kDashColour, R2_COPYPEN);
}

int FontHeight(HDC dc, HFONT font)
{
    SelectGuard select(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

void DrawDashInRect(HDC dc, const RECT& rect, UINT format, HFONT font)
{
    const int width = Width(rect);
    const int length = std::min(kDashLength, width);
    int x = rect.left + 1;
    if (format & DT_CENTER) {
        x = rect.left + (width - length) / 2;
    } else if (format & DT_RIGHT) {
        x = rect.left + width - length - 1;
    }
    const int y = (format & DT_VCENTER) ? rect.top + Height(rect) / 2 : rect.top + FontHeight(dc, font) / 2 + 1;
    DrawDash(dc, x, y, length);
}

// Draws laid-out units: wide ones in the first font and colour, single-byte ones in the second.
template <typename Char>
class UnitPainter {
public:
    UnitPainter(HDC dc, const Char* text, UINT format, HFONT font, HFONT singleByteFont, COLORREF colour,
                COLORREF singleByteColour)
        : m_dc(dc), m_fonts(dc), m_text(text), m_format(WithoutModify(format)), m_font(font),
          m_singleByteFont(singleByteFont ? singleByteFont : font), m_colour(colour),
          m_singleByteColour(singleByteColour)
    {
    }

    void Paint(const Unit& unit, const RECT& rect)
    {
        m_fonts.Use(unit.bSingleByte ? m_singleByteFont : m_font);
        ::SetTextColor(m_dc, unit.bSingleByte ? m_singleByteColour : m_colour);
        TextOf<Char>::Draw(m_dc, m_text + unit.nStart, unit.nCount, rect, m_format);
    }

private:
    HDC m_dc;
    FontSwitcher m_fonts;
    const Char* m_text;
    UINT m_format;
    HFONT m_font;
    HFONT m_singleByteFont;
    COLORREF m_colour;
    COLORREF m_singleByteColour;
};

template <typename Char>
void DrawTwoFonts(HDC dc, const Char* text, int length, const RECT* rect, UINT format, HFONT font, HFONT singleByteFont,
                  COLORREF colour, COLORREF singleByteColour, int vertical)
{
    if (dc == nullptr || text == nullptr || length == 0 || rect == nullptr) {
        return;
    }
    const int count = TextOf<Char>::Length(text, length);
    if (TextOf<Char>::StartsWithDash(text, count)) {
        DrawDashInRect(dc, *rect, format, font);
        return;
    }
    if (!(singleByteFont && singleByteFont != font) && colour == singleByteColour) {
        DrawOneFont(dc, text, count, rect, format, font, colour, vertical);
        return;
    }
    // Short texts use the shared scratch buffer; longer ones need an array of their own.
    std::vector<Unit> ownUnits;
    Unit* units = KXDRAWFUN::sm_TextUnitBuf;
    int capacity = KXDRAWFUN::TEXT_UNIT_BUFFER_SIZE;
    if (count > capacity) {
        ownUnits.resize(static_cast<size_t>(count));
        units = ownUnits.data();
        capacity = count;
    }
    SIZE total{};
    const int unitCount =
        std::min(capacity, LayoutRuns(dc, text, count, font, singleByteFont, &total, units, capacity, vertical));

    BkModeGuard mode(dc, TRANSPARENT);
    TextColourGuard textColour(dc, ::GetTextColor(dc));
    UnitPainter<Char> painter(dc, text, format, font, singleByteFont, colour, singleByteColour);
    const int width = Width(*rect), height = Height(*rect);
    if (!vertical) {
        int x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (width - total.cx) / 2;
        } else if (format & DT_RIGHT) {
            x = rect->right - total.cx;
        }
        for (int i = 0; i < unitCount; x += units[i].cx, ++i) {
            RECT cell = {std::max<LONG>(x, rect->left), rect->top, std::min<LONG>(x + units[i].cx, rect->right),
                         rect->bottom};
            if (format & DT_VCENTER) {
                cell.top = rect->top + (height - units[i].cy) / 2;
                cell.bottom = cell.top + units[i].cy;
            } else if (format & DT_BOTTOM) {
                cell.top = rect->bottom - units[i].cy;
            }
            if (cell.right > cell.left) {
                painter.Paint(units[i], cell);
            }
        }
        return;
    }
    int y = rect->top;
    if (format & DT_VCENTER) {
        y = rect->top + (height - total.cy) / 2;
    } else if ((format & DT_RIGHT) && rect->bottom - total.cy >= rect->top) {
        y = rect->bottom - total.cy;
    }
    for (int i = 0; i < unitCount; y += units[i].cy, ++i) {
        // Without horizontal centring the characters stand at the left edge.
        const int x = (format & DT_CENTER) ? rect->left + (width - units[i].cx) / 2 : rect->left;
        const RECT cell = {x, std::max<LONG>(y, rect->top), x + units[i].cx, y + units[i].cy};
        if (cell.bottom > cell.top) {
            painter.Paint(units[i], cell);
        }
    }
}

} // namespace

int KXDRAWFUN::GetTextWidth(HDC dc, const wchar_t* text)
{
    SIZE size{};
    return dc && text && GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size) ? size.cx : 0;
}

int KXDRAWFUN::GetTextHeight(HDC dc, const wchar_t* text)
{
    SIZE size{};
    return dc && text && GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size) ? size.cy : 0;
}

BOOL KXDRAWFUN::GetTextExtentW(HDC dc, const wchar_t* text, int length, HFONT font, SIZE* size, int vertical)
{
    return MeasureText(dc, text, length, font, size, vertical);
}

BOOL KXDRAWFUN::GetTextExtent(HDC dc, const wchar_t* text, int length, HFONT font, SIZE* size, int vertical)
{
    return GetTextExtentW(dc, text, length, font, size, vertical);
}

BOOL KXDRAWFUN::GetTextExtentA(HDC dc, const char* text, int length, HFONT font, SIZE* size, int vertical)
{
    return MeasureText(dc, text, length, font, size, vertical);
}

int KXDRAWFUN::GetTextExtentExW(HDC dc, const wchar_t* text, int length, HFONT font, HFONT singleByteFont, SIZE* total,
                                tagDrawTextUnit* units, int capacity, int vertical)
{
    return LayoutRuns(dc, text, length, font, singleByteFont, total, units, capacity, vertical);
}

int KXDRAWFUN::GetTextExtentExA(HDC dc, const char* text, int length, HFONT font, HFONT singleByteFont, SIZE* total,
                                tagDrawTextUnit* units, int capacity, int vertical)
{
    return LayoutRuns(dc, text, length, font, singleByteFont, total, units, capacity, vertical);
}

void KXDRAWFUN::DrawTextW(HDC dc, const wchar_t* text, int length, const RECT* rect, UINT format, HFONT font,
                          COLORREF colour, int vertical)
{
    DrawOneFont(dc, text, length, rect, format, font, colour, vertical);
}

void KXDRAWFUN::DrawTextA(HDC dc, const char* text, int length, const RECT* rect, UINT format, HFONT font,
                          COLORREF colour, int vertical)
{
    DrawOneFont(dc, text, length, rect, format, font, colour, vertical);
}

void KXDRAWFUN::DrawTextExW(HDC dc, const wchar_t* text, int length, const RECT* rect, UINT format, HFONT font,
                            HFONT singleByteFont, COLORREF colour, COLORREF singleByteColour, int vertical)
{
    DrawTwoFonts(dc, text, length, rect, format, font, singleByteFont, colour, singleByteColour, vertical);
}

void KXDRAWFUN::DrawTextExA(HDC dc, const char* text, int length, const RECT* rect, UINT format, HFONT font,
                            HFONT singleByteFont, COLORREF colour, COLORREF singleByteColour, int vertical)
{
    DrawTwoFonts(dc, text, length, rect, format, font, singleByteFont, colour, singleByteColour, vertical);
}

void KXDRAWFUN::PutKxString(HDC dc, const RECT* rect, const wchar_t* text, int hAlign, int vAlign, int)
{
    if (dc == nullptr || rect == nullptr || text == nullptr) {
        return;
    }
    const int width = Width(*rect), height = Height(*rect);
    const int count = static_cast<int>(wcslen(text));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int h = metrics.tmHeight;
    if (TextOf<wchar_t>::StartsWithDash(text, count)) {
        const int x = hAlign == 0 ? (width - kDashLength) / 2 : hAlign == 2 ? width - kDashLength - 1 : 1;
        const int y = vAlign == 1   ? rect->top + h / 2 + 1
                      : vAlign == 2 ? rect->bottom - h / 2 - 1
                                    : rect->top + height / 2;
        DrawDash(dc, rect->left + x, y, kDashLength);
        return;
    }
    const SIZE size = TextOf<wchar_t>::Measure(dc, text, count);
    int x = 1;
    UINT format = DT_LEFT;
    if (hAlign == 0) {
        x = (width - size.cx) / 2, format = DT_CENTER;
    } else if (hAlign == 2) {
        x = width - size.cx - 1, format = DT_RIGHT;
    }
    const int y = vAlign == 0 ? (height - h) / 2 : vAlign == 2 ? height - h : 2;
    const RECT place = {rect->left + x, rect->top + y, rect->left + x + size.cx, rect->top + y + size.cy};
    TextOf<wchar_t>::Draw(dc, text, count, place, format | DT_SINGLELINE | DT_NOPREFIX);
}

void KXDRAWFUN::FormatStringWithFixedWidth(HDC dc, HFONT font, wchar_t* text, int length, int width, BOOL ellipsis)
{
    if (font == nullptr || text == nullptr || length <= 0 || width <= 0) {
        return;
    }
    std::optional<CClientDC> screen;
    if (dc == nullptr) {
        screen.emplace(nullptr);
    }
    const HDC measureDC = dc ? dc : screen->m_hDC;
    const int count = TextOf<wchar_t>::Length(text, length);
    auto widthOf = [&](const std::wstring& candidate) {
        SIZE size{};
        GetTextExtent(measureDC, candidate.c_str(), static_cast<int>(candidate.size()), font, &size, 0);
        return size.cx;
    };
    if (widthOf(std::wstring(text, static_cast<size_t>(count))) <= width) {
        return;
    }
    const std::wstring mark = ellipsis ? L"\u2026" : L"";
    auto candidate = [&](int kept) { return std::wstring(text, static_cast<size_t>(kept)) + mark; };
    // Halve until a candidate fits, then lengthen while the next one still fits: the result is never
    // wider than asked for.
    int kept = count;
    while (kept > 0 && widthOf(candidate(kept)) > width) {
        kept /= 2;
    }
    while (kept + 1 < count && widthOf(candidate(kept + 1)) <= width) {
        ++kept;
    }
    std::wstring result = candidate(kept);
    if (widthOf(result) > width) {
        result.clear(); // not even the ellipsis fits
    }
    std::copy(result.begin(), result.end(), text);
    text[result.size()] = 0;
}
