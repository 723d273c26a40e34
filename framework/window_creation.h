#pragma once

#include <util/wnd.h>

// Watches window creation on this thread while it lives: the first window created (input-method
// windows aside) is subclassed by the given object before its first message, so that WM_NCCREATE
// and WM_CREATE already reach the object's handlers. Watches nest: a window created while another
// is being created gets its own watch.
class WindowCreationWatch {
public:
    explicit WindowCreationWatch(CWnd* wnd);
    ~WindowCreationWatch();
    WindowCreationWatch(const WindowCreationWatch&) = delete;
    WindowCreationWatch& operator=(const WindowCreationWatch&) = delete;

    // True once the object has taken a window over.
    bool Attached() const { return m_attached; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    CWnd* m_wnd;
    WindowCreationWatch* m_outer;
    bool m_seen = false;
    bool m_attached = false;
    HHOOK m_hook = nullptr;
};
