#include "frame/cursor_hooks.h"

#include <util/panel.h>

namespace {
// Made when the library loads, which hooks the loading thread; whatever is still placed when it
// unloads is removed, since the hook procedure goes with the library.
struct LoadingThreadHook {
    LoadingThreadHook() { CursorHooks::Instance().Install(); }
} g_loadingThreadHook;
} // namespace

CursorHooks& CursorHooks::Instance()
{
    static CursorHooks hooks;
    return hooks;
}

CursorHooks::~CursorHooks()
{
    for (const auto& entry : m_hooks) {
        if (entry.second != nullptr) {
            ::UnhookWindowsHookEx(entry.second);
        }
    }
}

HHOOK CursorHooks::Place(DWORD thread)
{
    return ::SetWindowsHookExW(WH_CALLWNDPROCRET, &CKxPanel::KxCallWndRetProc, nullptr, thread);
}

BOOL CursorHooks::Install()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const DWORD thread = ::GetCurrentThreadId();
    if (m_hooks.count(thread) != 0) {
        return TRUE;
    }
    HHOOK hook = nullptr;
    if (m_subPanels > 0 && (hook = Place(thread)) == nullptr) {
        return FALSE;
    }
    m_hooks.emplace(thread, hook);
    return TRUE;
}

BOOL CursorHooks::Remove()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_hooks.find(::GetCurrentThreadId());
    if (found == m_hooks.end()) {
        return FALSE;
    }
    if (found->second != nullptr) {
        ::UnhookWindowsHookEx(found->second);
    }
    m_hooks.erase(found);
    return TRUE;
}

void CursorHooks::SubPanelMade()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_subPanels++ != 0) {
        return;
    }
    for (auto& entry : m_hooks) {
        entry.second = Place(entry.first);
    }
}

void CursorHooks::SubPanelGone()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_subPanels != 0) {
        return;
    }
    for (auto& entry : m_hooks) {
        if (entry.second != nullptr) {
            ::UnhookWindowsHookEx(entry.second);
            entry.second = nullptr;
        }
    }
}
