#pragma once

// The off-screen pass of a self-drawn title bar and border.
#include <windows.h>

#include <util/geometry.h>

// Collects a non-client paint in a window-sized memory bitmap (window coordinates, origin at the
// window's top-left corner) and copies it to the window, outside the client area only, when it ends.
// A window without a non-client area gets no buffer.
class NcPaintBuffer {
public:
    explicit NcPaintBuffer(HWND window);
    ~NcPaintBuffer();
    NcPaintBuffer(const NcPaintBuffer&) = delete;
    NcPaintBuffer& operator=(const NcPaintBuffer&) = delete;

    bool ok() const { return m_memory != nullptr; }
    HDC dc() const { return m_memory; }
    int width() const { return m_size.cx; }
    int height() const { return m_size.cy; }

private:
    HWND m_window;
    HDC m_windowDC = nullptr;
    HDC m_memory = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    CSize m_size;
};
