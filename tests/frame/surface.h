#pragma once

// What the drawing tests read from a DIB surface beyond single pixels and counts.
#include <windows.h>

#include <algorithm>
#include <functional>

#include "support/dib.h"

using testsupport::DibSurface;

inline int CountIf(const DibSurface& surface, const std::function<bool(COLORREF)>& match, const RECT& area)
{
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            count += match(surface.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// The smallest rectangle holding every pixel the test asks for; empty if there is none.
inline RECT BoundsOf(const DibSurface& surface, const std::function<bool(COLORREF)>& match)
{
    RECT bounds = {surface.width(), surface.height(), 0, 0};
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (match(surface.pixel(x, y))) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
        }
    }
    return bounds.left < bounds.right ? bounds : RECT{0, 0, 0, 0};
}

inline RECT BoundsOfNot(const DibSurface& surface, COLORREF background)
{
    return BoundsOf(surface, [=](COLORREF c) { return c != background; });
}

inline RECT BoundsOfColour(const DibSurface& surface, COLORREF colour)
{
    return BoundsOf(surface, [=](COLORREF c) { return c == colour; });
}

inline bool SamePixels(const DibSurface& a, const DibSurface& b)
{
    if (a.width() != b.width() || a.height() != b.height()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.raw(x, y) != b.raw(x, y)) {
                return false;
            }
        }
    }
    return true;
}
