#include "input/passedit_hooks.h"

#include <algorithm>

#include "input/passedit_keys.h"

namespace passedit {
namespace {

// WM_KEYDOWN to 0x108: the keyboard messages of a window.
bool IsKeyMessage(UINT message)
{
    constexpr UINT kLastKeyMessage = 0x108;
    return message >= WM_KEYDOWN && message <= kLastKeyMessage;
}

// A key with Alt down is a command for the window manager or a menu (Alt+Tab, Alt+F4), not part of
// a password: it takes the normal path.
bool IsGuardedKey(DWORD key, bool altDown)
{
    return !altDown && !IsModifierKey(key);
}

tagKBDEVENT EventFromLowLevel(const KBDLLHOOKSTRUCT& info)
{
    tagKBDEVENT event{};
    event.key = info.vkCode;
    event.repeat = 1;
    event.scan = static_cast<BYTE>(info.scanCode);
    // The thread has not seen the modifier keys yet when the next key arrives: ask the system.
    event.flags = CurrentKeyStateFlags() & ~(KBDEVENT_FLAG_CTRL | KBDEVENT_FLAG_SHIFT | KBDEVENT_FLAG_KEY5F);
    event.flags |= ::GetAsyncKeyState(VK_CONTROL) < 0 ? KBDEVENT_FLAG_CTRL : 0;
    event.flags |= ::GetAsyncKeyState(VK_SHIFT) < 0 ? KBDEVENT_FLAG_SHIFT : 0;
    event.flags |= ::GetAsyncKeyState(0x5F) < 0 ? KBDEVENT_FLAG_KEY5F : 0;
    event.flags |= (info.flags & LLKHF_EXTENDED) ? KBDEVENT_FLAG_EXTENDED : 0;
    event.flags |= (info.flags & LLKHF_ALTDOWN) ? KBDEVENT_FLAG_ALT : 0;
    event.state = KBDEVENT_STATE_HOOKED;
    event.state |= (info.flags & LLKHF_UP) ? KBDEVENT_STATE_RELEASED : KBDEVENT_STATE_DOWN_OR_PREVIOUS;
    return event;
}

void Deliver(CKXPassEdit* edit, tagKBDEVENT& event)
{
    edit->PostKbdEvent(&event);
    ::SecureZeroMemory(&event, sizeof(event));
}

} // namespace

HookSet& HookSet::Instance()
{
    static HookSet instance;
    return instance;
}

HookSet::HookSet()
    // The journal hooks are left out: current platforms refuse them, and a playback hook would
    // take the whole input over.
    : m_hooks{{WH_KEYBOARD_LL, &OurKeyboardProcLL, nullptr}, {WH_KEYBOARD, &OurKeyboardProc, nullptr},
              {WH_CALLWNDPROC, &OurCallWndProc, nullptr},    {WH_CALLWNDPROCRET, &OurCallWndRetProc, nullptr},
              {WH_CBT, &PassOnProc, nullptr},                {WH_GETMESSAGE, &PassOnProc, nullptr},
              {WH_MOUSE, &PassOnProc, nullptr},              {WH_MSGFILTER, &PassOnProc, nullptr},
              {WH_SHELL, &PassOnProc, nullptr},              {WH_SYSMSGFILTER, &PassOnProc, nullptr}}
{
}

bool HookSet::Register(CKXPassEdit* edit)
{
    if (edit == nullptr || !::IsWindow(edit->GetSafeHwnd())) {
        return false;
    }
    if (std::find(m_lstInsts.begin(), m_lstInsts.end(), edit) != m_lstInsts.end()) {
        return true;
    }
    if (m_lstInsts.empty() && !Install()) {
        return false;
    }
    m_lstInsts.push_back(edit);
    return true;
}

void HookSet::Unregister(const CKXPassEdit* edit)
{
    const auto found = std::find(m_lstInsts.begin(), m_lstInsts.end(), edit);
    if (found == m_lstInsts.end()) {
        return;
    }
    m_lstInsts.erase(found);
    if (m_lstInsts.empty()) {
        Uninstall();
    }
}

CKXPassEdit* HookSet::Find(HWND window) const
{
    if (window == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(m_lstInsts.begin(), m_lstInsts.end(),
                                    [window](const CKXPassEdit* edit) { return edit->GetSafeHwnd() == window; });
    return found == m_lstInsts.end() ? nullptr : *found;
}

bool HookSet::HasLowLevelHook() const
{
    return HandleOf(WH_KEYBOARD_LL) != nullptr;
}

HHOOK HookSet::HandleOf(int kind) const
{
    const auto found = std::find_if(m_hooks.begin(), m_hooks.end(), [kind](const Hook& hook) { return hook.kind == kind; });
    return found == m_hooks.end() ? nullptr : found->handle;
}

bool HookSet::Install()
{
    const DWORD thread = ::GetCurrentThreadId();
    for (Hook& hook : m_hooks) {
        const bool global = hook.kind == WH_KEYBOARD_LL;
        hook.handle = KxGetInputPlatform().setWindowsHookEx(hook.kind, hook.procedure,
                                                  global ? ::GetModuleHandleW(nullptr) : nullptr, global ? 0 : thread);
    }
    if (HandleOf(WH_KEYBOARD_LL) == nullptr && HandleOf(WH_KEYBOARD) == nullptr) {
        Uninstall();
        return false;
    }
    return true;
}

void HookSet::Uninstall()
{
    for (Hook& hook : m_hooks) {
        if (hook.handle) {
            ::UnhookWindowsHookEx(hook.handle);
            hook.handle = nullptr;
        }
    }
}

CKXPassEdit* HookSet::FocusedEdit() const
{
    HWND foreground = ::GetForegroundWindow();
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(foreground, &process);
    if (foreground == nullptr || process != ::GetCurrentProcessId()) {
        return nullptr;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(thread, &info) ? Find(info.hwndFocus) : nullptr;
}

LRESULT CALLBACK HookSet::OurKeyboardProcLL(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        CKXPassEdit* edit = Instance().FocusedEdit();
        const bool altDown = (info->flags & LLKHF_ALTDOWN) != 0 || ::GetAsyncKeyState(VK_MENU) < 0;
        if (edit && IsGuardedKey(info->vkCode, altDown)) {
            tagKBDEVENT event = EventFromLowLevel(*info);
            Deliver(edit, event);
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookSet::OurKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    const HookSet& set = Instance();
    if (code >= 0 && !set.HasLowLevelHook()) {
        CKXPassEdit* edit = set.Find(::GetFocus());
        const bool altDown = (lParam & (1 << 29)) != 0;
        if (edit && IsGuardedKey(static_cast<DWORD>(wParam), altDown)) {
            if (code == HC_ACTION) {
                tagKBDEVENT event{};
                CKXPassEdit::KbdProcParamToKbdEvent(static_cast<UINT>(wParam), lParam, &event);
                event.state |= KBDEVENT_STATE_HOOKED;
                Deliver(edit, event);
            }
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookSet::OurCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && wParam != 0 && IsKeyMessage(sent->message) && Instance().Find(sent->hwnd)) {
        return 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookSet::OurCallWndRetProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && wParam != 0 && IsKeyMessage(sent->message) && Instance().Find(sent->hwnd)) {
        return 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HookSet::PassOnProc(int code, WPARAM wParam, LPARAM lParam)
{
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace passedit
