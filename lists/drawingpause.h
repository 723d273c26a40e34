#pragma once

#include <util/wnd.h>

// Switches a shown window's drawing off while many of its items change, and back on (with one
// repaint) at the end. A window without WS_VISIBLE is left alone: it is hidden, or its owner has
// switched drawing off already, and switching it on would show it.
class DrawingPause {
public:
    explicit DrawingPause(CWnd& wnd) : m_wnd(wnd), m_paused((wnd.GetStyle() & WS_VISIBLE) != 0)
    {
        if (m_paused) {
            m_wnd.SetRedraw(FALSE);
        }
    }
    ~DrawingPause()
    {
        if (m_paused) {
            m_wnd.SetRedraw(TRUE);
            m_wnd.Invalidate();
        }
    }
    DrawingPause(const DrawingPause&) = delete;
    DrawingPause& operator=(const DrawingPause&) = delete;

private:
    CWnd& m_wnd;
    bool m_paused;
};
