#pragma once

#include <windows.h>

#include <cstdint>

namespace testsupport {

// A memory device context drawing into a 32-bit top-down DIB section, whose pixels tests read.
class DibSurface {
public:
    DibSurface(int width, int height, COLORREF fill = RGB(255, 255, 255));
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // The pixel as a colour value (0x00BBGGRR); CLR_INVALID outside the surface.
    COLORREF pixel(int x, int y) const;
    // The raw 32-bit value (0xAARRGGBB in memory order B, G, R, A).
    uint32_t raw(int x, int y) const;
    void fill(COLORREF color);
    // How many pixels of the rectangle (clipped to the surface) have the colour.
    int count(COLORREF color, const RECT& area) const;
    int count(COLORREF color) const;

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_bits = nullptr;
};

} // namespace testsupport
