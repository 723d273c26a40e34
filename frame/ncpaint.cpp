#include "frame/ncpaint.h"

#include <util/captionbuttons.h>

NcPaintBuffer::NcPaintBuffer(HWND window) : m_window(window)
{
    CRect frame;
    if (!::GetWindowRect(window, &frame) || frame.IsRectEmpty()) {
        return;
    }
    m_size = frame.Size();
    if (CKxTitleBar::ClientInWindow(window) == CRect(0, 0, m_size.cx, m_size.cy)) {
        return; // no frame to paint
    }
    m_windowDC = ::GetWindowDC(window);
    if (m_windowDC == nullptr) {
        return;
    }
    m_bitmap = ::CreateCompatibleBitmap(m_windowDC, m_size.cx, m_size.cy);
    m_memory = m_bitmap ? ::CreateCompatibleDC(m_windowDC) : nullptr;
    if (m_memory) {
        m_old = ::SelectObject(m_memory, m_bitmap);
    }
}

NcPaintBuffer::~NcPaintBuffer()
{
    if (m_memory) {
        const int saved = ::SaveDC(m_windowDC);
        const CRect client = CKxTitleBar::ClientInWindow(m_window);
        ::ExcludeClipRect(m_windowDC, client.left, client.top, client.right, client.bottom);
        ::BitBlt(m_windowDC, 0, 0, m_size.cx, m_size.cy, m_memory, 0, 0, SRCCOPY);
        ::RestoreDC(m_windowDC, saved);
        ::SelectObject(m_memory, m_old);
        ::DeleteDC(m_memory);
    }
    if (m_bitmap) {
        ::DeleteObject(m_bitmap);
    }
    if (m_windowDC) {
        ::ReleaseDC(m_window, m_windowDC);
    }
}
