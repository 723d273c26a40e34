#pragma once

// Helpers shared by the page tab's source files.
#include <windows.h>

#include <cwchar>

namespace pagetab {

// Copies text into a fixed field, cut to the field; null clears it.
template <size_t N>
void CopyCut(wchar_t (&field)[N], const wchar_t* text)
{
    field[0] = L'\0';
    if (text != nullptr) {
        wcsncpy(field, text, N - 1);
        field[N - 1] = L'\0';
    }
}

int ScreenPixelsPerInch();

// Positions along the strip and across it, for either orientation: a horizontal strip runs along x,
// a vertical one along y. Shapes described for a horizontal strip are drawn transposed this way.
struct Axis {
    bool vertical;

    LONG Start(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG End(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossEnd(const RECT& r) const { return vertical ? r.right : r.bottom; }
    LONG Length(const RECT& r) const { return End(r) - Start(r); }
    LONG Thickness(const RECT& r) const { return CrossEnd(r) - CrossStart(r); }
    LONG& Start(RECT& r) const { return vertical ? r.top : r.left; }
    LONG& End(RECT& r) const { return vertical ? r.bottom : r.right; }
    RECT Make(int along0, int along1, int cross0, int cross1) const
    {
        return vertical ? RECT{cross0, along0, cross1, along1} : RECT{along0, cross0, along1, cross1};
    }
    POINT Point(int along, int cross) const { return vertical ? POINT{cross, along} : POINT{along, cross}; }
};

} // namespace pagetab
