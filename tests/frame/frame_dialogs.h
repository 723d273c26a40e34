#pragma once

// Templates and timers for dialog tests.
#include <util/dialog.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

namespace frametest {

constexpr UINT kResourceDialog = 101; // in frame_dialogs.rc
constexpr WORD kEditId = 1001;

// A captioned pop-up dialog with an OK button and an edit; extra style bits are added.
inline std::unique_ptr<CDialogTemplate> PopupTemplate(DWORD extraStyle = 0, const wchar_t* caption = L"dialog")
{
    auto dlgTemplate = std::make_unique<CDialogTemplate>(
        caption, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | extraStyle, 10, 10, 160, 80, L"Tahoma", 9);
    dlgTemplate->AddItem(CDialogTemplate::Button, L"OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                         10, 50, 50, 14);
    dlgTemplate->AddItem(CDialogTemplate::Edit, L"", kEditId, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 10, 10,
                         100, 14);
    return dlgTemplate;
}

// Runs an action once from a thread timer: from inside whatever loop dispatches this thread's messages.
class TimerAction {
public:
    TimerAction(UINT delay, std::function<void()> action) : m_action(std::move(action))
    {
        m_id = ::SetTimer(nullptr, 0, delay, &TimerAction::Fire);
        Registry()[m_id] = this;
    }
    ~TimerAction()
    {
        ::KillTimer(nullptr, m_id);
        Registry().erase(m_id);
    }
    TimerAction(const TimerAction&) = delete;
    TimerAction& operator=(const TimerAction&) = delete;

    bool fired = false;

private:
    static std::map<UINT_PTR, TimerAction*>& Registry()
    {
        static std::map<UINT_PTR, TimerAction*> actions;
        return actions;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD)
    {
        const auto found = Registry().find(id);
        if (found == Registry().end() || found->second->fired) {
            return;
        }
        TimerAction* action = found->second;
        ::KillTimer(nullptr, id);
        action->fired = true;
        action->m_action();
    }

    std::function<void()> m_action;
    UINT_PTR m_id = 0;
};

} // namespace frametest
