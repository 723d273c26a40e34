#include "framework/dib_section.h"

#include <algorithm>

DibSection::DibSection(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    if (!m_bitmap.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) ||
        !m_dc.Attach(::CreateCompatibleDC(nullptr))) {
        return;
    }
    m_old = ::SelectObject(m_dc.m_hDC, m_bitmap.m_hObject);
    if (m_old == nullptr) {
        return;
    }
    m_bits = static_cast<DWORD*>(bits);
    const DWORD pixel = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    std::fill(m_bits, m_bits + static_cast<size_t>(width) * height, pixel);
}

DibSection::~DibSection()
{
    if (m_old != nullptr) {
        ::SelectObject(m_dc.m_hDC, m_old);
    }
}

DWORD* DibSection::bits() const
{
    ::GdiFlush();
    return m_bits;
}
