#pragma once

#include <windows.h>

#include <vector>

#include <util/passedit.h>

namespace passedit {

// The password edits of the process and the hooks that guard them: installed with the first edit,
// removed with the last. Used from the user-interface thread only.
class HookSet {
public:
    static HookSet& Instance();

    // False when the edit cannot be guarded: it has no window, or neither keyboard hook could be
    // installed (the edit is then not registered).
    bool Register(CKXPassEdit* edit);
    void Unregister(const CKXPassEdit* edit);
    CKXPassEdit* Find(HWND window) const;
    bool HasLowLevelHook() const;

private:
    struct Hook {
        int kind;
        HOOKPROC procedure;
        HHOOK handle;
    };

    HookSet();
    bool Install();
    void Uninstall();
    HHOOK HandleOf(int kind) const;
    // The registered edit that has the focus of the foreground window, when that window is ours.
    CKXPassEdit* FocusedEdit() const;

    static LRESULT CALLBACK OurKeyboardProcLL(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OurKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OurCallWndProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OurCallWndRetProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PassOnProc(int code, WPARAM wParam, LPARAM lParam);

    std::vector<CKXPassEdit*> m_lstInsts;
    std::vector<Hook> m_hooks;
};

} // namespace passedit
