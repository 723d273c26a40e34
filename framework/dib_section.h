#pragma once

#include <windows.h>

#include <util/gdi.h>

// A 32-bit top-down DIB section selected into a memory device context of its own: pixels read and
// written in place, 0x00RRGGBB each, rows from the top. Owned through the framework's GDI classes.
class DibSection {
public:
    // Every pixel starts as fill.
    DibSection(int width, int height, COLORREF fill = RGB(0, 0, 0));
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    bool ok() const { return m_bits != nullptr && m_old != nullptr; }
    HDC dc() const { return m_dc.m_hDC; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixels, once the drawing queued on the device context is done.
    DWORD* bits() const;

private:
    int m_width;
    int m_height;
    CBitmap m_bitmap;
    CDC m_dc;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};
