// The cost of a message sent to a window of the thread, with the library's cursor hook as it is
// installed when the library loads, and without it (as when the library is not loaded).
#include <util/lock.h>
#include <util/panel.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "measure_apart.h"

namespace {

const int kMessages = 20000;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_USER ? wParam + 1 : DefWindowProcW(window, message, wParam, lParam);
}

// Microseconds per message sent to window.
double MicrosecondsPerMessage(HWND window)
{
    KXExactitudeCount clock;
    clock.SetCurTickCount();
    for (int i = 0; i < kMessages; ++i) {
        SendMessageW(window, WM_USER, i, 0);
    }
    return static_cast<double>(clock.Sequence2TimerEx(clock.GetDurationEx())) / kMessages;
}

int Measure()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MessageBenchWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    // The quickest of a few rounds each, taken in turn, since the machine may be busy.
    double loaded = 1e9, bare = 1e9;
    for (int round = 0; round < 5; ++round) {
        loaded = std::min(loaded, MicrosecondsPerMessage(window));
        CKxPanel::UnCursorHook();
        bare = std::min(bare, MicrosecondsPerMessage(window));
        CKxPanel::SetCursorHook();
    }
    double split = 0;
    {
        CKxPanel panel(nullptr, nullptr);
        panel.SetType(KXPT_SPLITTER | KXPT_VERT, 0.5);
        split = MicrosecondsPerMessage(window);
    }
    printf("SendMessage: without the library's hook %.3f us; with the library loaded %.3f us, %.2fx (target <= 1.2x); "
           "while a split panel lives %.3f us, %.1fx (the platform's hook chain)\n",
           bare, loaded, loaded / bare, split, split / bare);
    DestroyWindow(window);
    return 0;
}

} // namespace

int main()
{
    return measure_apart::Run(L"bench_message_apart.exe", Measure);
}
