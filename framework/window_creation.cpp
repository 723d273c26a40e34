#include "framework/window_creation.h"

namespace {

thread_local WindowCreationWatch* t_innermostWatch = nullptr;

// The platform creates an input-method window for a thread's first top-level window; it is not ours.
bool IsInputMethodWindow(const CREATESTRUCTW* cs)
{
    return cs && !IS_INTRESOURCE(cs->lpszClass) &&
           (lstrcmpiW(cs->lpszClass, L"IME") == 0 || lstrcmpiW(cs->lpszClass, L"MSCTFIME UI") == 0);
}

} // namespace

WindowCreationWatch::WindowCreationWatch(CWnd* wnd) : m_wnd(wnd), m_outer(t_innermostWatch)
{
    if (m_outer == nullptr) {
        m_hook = ::SetWindowsHookExW(WH_CBT, &WindowCreationWatch::Hook, nullptr, ::GetCurrentThreadId());
    }
    t_innermostWatch = this;
}

WindowCreationWatch::~WindowCreationWatch()
{
    t_innermostWatch = m_outer;
    if (m_hook) {
        ::UnhookWindowsHookEx(m_hook);
    }
}

LRESULT CALLBACK WindowCreationWatch::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    WindowCreationWatch* watch = t_innermostWatch;
    if (code == HCBT_CREATEWND && watch && !watch->m_seen) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (!IsInputMethodWindow(create->lpcs)) {
            watch->m_seen = true;
            watch->m_attached = watch->m_wnd->SubclassWindow(reinterpret_cast<HWND>(wParam)) != FALSE;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
