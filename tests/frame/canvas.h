#pragma once

// A 32-bit DIB section in a memory device context whose pixels the drawing tests read.
#include <windows.h>

#include <functional>

class Canvas {
public:
    Canvas(int width, int height, COLORREF background = RGB(255, 255, 255)) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        m_old = SelectObject(m_dc, m_bitmap);
        Fill(background);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    void Fill(COLORREF colour)
    {
        GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i) {
            m_bits[i] = ToPixel(colour);
        }
    }
    void Set(int x, int y, COLORREF colour)
    {
        GdiFlush();
        m_bits[y * m_width + x] = ToPixel(colour);
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of the colour inside an area (the whole canvas by default).
    int Count(COLORREF colour) const { return Count(colour, {0, 0, m_width, m_height}); }
    int Count(COLORREF colour, RECT area) const
    {
        return CountIf([&](COLORREF c) { return c == colour; }, area);
    }
    int CountIf(const std::function<bool(COLORREF)>& match, RECT area) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += match(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }
    // The smallest rectangle holding every pixel that differs from the background; empty if none.
    RECT BoundsOfNot(COLORREF background) const
    {
        RECT bounds = {m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                if (At(x, y) != background) {
                    bounds.left = std::min<LONG>(bounds.left, x);
                    bounds.top = std::min<LONG>(bounds.top, y);
                    bounds.right = std::max<LONG>(bounds.right, x + 1);
                    bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
                }
            }
        }
        return bounds.left < bounds.right ? bounds : RECT{0, 0, 0, 0};
    }
    bool SameAs(const Canvas& other) const
    {
        GdiFlush();
        if (m_width != other.m_width || m_height != other.m_height) {
            return false;
        }
        for (int i = 0; i < m_width * m_height; ++i) {
            if (m_bits[i] != other.m_bits[i]) {
                return false;
            }
        }
        return true;
    }

private:
    static DWORD ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};
