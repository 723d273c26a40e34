#include "support/dib.h"

#include <algorithm>
#include <stdexcept>

namespace testsupport {

DibSurface::DibSurface(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_dc = ::CreateCompatibleDC(nullptr);
    if (m_bitmap == nullptr || m_dc == nullptr) {
        if (m_bitmap) {
            ::DeleteObject(m_bitmap);
        }
        if (m_dc) {
            ::DeleteDC(m_dc);
        }
        throw std::runtime_error("cannot create a DIB surface");
    }
    m_bits = static_cast<uint32_t*>(bits);
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    this->fill(fill);
}

DibSurface::~DibSurface()
{
    ::SelectObject(m_dc, m_oldBitmap);
    ::DeleteDC(m_dc);
    ::DeleteObject(m_bitmap);
}

uint32_t DibSurface::raw(int x, int y) const
{
    ::GdiFlush();
    return m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

COLORREF DibSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return CLR_INVALID;
    }
    const uint32_t value = raw(x, y);
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

void DibSurface::fill(COLORREF color)
{
    ::GdiFlush();
    const uint32_t value = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    std::fill(m_bits, m_bits + static_cast<size_t>(m_width) * static_cast<size_t>(m_height), value);
}

int DibSurface::count(COLORREF color, const RECT& area) const
{
    int matches = 0;
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(m_height, static_cast<int>(area.bottom)); ++y) {
        for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(m_width, static_cast<int>(area.right));
             ++x) {
            matches += pixel(x, y) == color ? 1 : 0;
        }
    }
    return matches;
}

int DibSurface::count(COLORREF color) const
{
    return count(color, RECT{0, 0, m_width, m_height});
}

} // namespace testsupport
