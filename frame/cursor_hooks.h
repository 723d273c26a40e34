#pragma once

#include <windows.h>

#include <map>
#include <mutex>

// The panels' cursor hooks, one per thread that asked for one. A call-window-procedure-return hook
// makes every message sent on its thread take the platform's hook chain, which costs far more than
// the message itself, and it can only change a cursor where a splitter exists: so a thread's hook is
// placed only while some split panel lives, and taken away when the last one goes. Asking and
// removing keep their meaning throughout.
class CursorHooks {
public:
    static CursorHooks& Instance();

    CursorHooks() = default;
    ~CursorHooks();
    CursorHooks(const CursorHooks&) = delete;
    CursorHooks& operator=(const CursorHooks&) = delete;

    // The calling thread wants its hook; TRUE when it has one (or will, with the first split).
    BOOL Install();
    // FALSE when the calling thread had not asked for one.
    BOOL Remove();

    // Split panels come and go (each child of a split counts once).
    void SubPanelMade();
    void SubPanelGone();

private:
    static HHOOK Place(DWORD thread);

    std::mutex m_mutex;
    std::map<DWORD, HHOOK> m_hooks; // null while no split panel lives
    int m_subPanels = 0;
};
