// Key-to-store latency of the password edit: key events through its queue, each re-enciphering the
// whole password, against enciphering the same bytes alone. The same keys straight into the store
// (an edit without a window) show what the edit's window costs. Keys queued together are drained
// together and the window follows once a drain: bursts that keep the password's length, bursts that
// change it (the window's text changes and the edit notifies its parent), and single keys show the
// share of the window.
#include <util/passedit.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "measure_apart.h"

namespace {

constexpr int kEvents = 10000;
constexpr int kSingleKeys = 1000;
constexpr int kBurst = 100;
constexpr int kPasswordBytes = 32;

// Microseconds per event: the best of three rounds of events.
double MicrosecondsPerEvent(const std::function<void()>& run, int events = kEvents)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        QueryPerformanceCounter(&start);
        run();
        QueryPerformanceCounter(&end);
        best = std::min(best, double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / events);
    }
    return best;
}

void PumpAll()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Keys queued in bursts, each burst drained by the edit before the next is queued.
void TypeInBursts(CKXPassEdit& edit, int events, int burst, DWORD (*keyAt)(int))
{
    for (int i = 0; i < events; ++i) {
        tagKBDEVENT event{keyAt(i), 1, 0, 0, KBDEVENT_STATE_HOOKED | KBDEVENT_STATE_DOWN_OR_PREVIOUS};
        edit.PostKbdEvent(&event);
        if (i % burst == burst - 1) {
            PumpAll();
        }
    }
    PumpAll();
}

// A letter and a backspace in turn: the password keeps its length.
DWORD LetterThenBackspace(int i)
{
    return i % 2 ? DWORD{VK_BACK} : DWORD{'A'};
}

// A burst of letters, then one of backspaces: every drain changes the password's length.
DWORD LettersThenBackspaces(int i)
{
    return (i / kBurst) % 2 ? DWORD{VK_BACK} : DWORD{'A'};
}

void TypeIntoStore(CKXPassEdit& edit)
{
    for (int i = 0; i < kEvents; ++i) {
        edit.PostCharKey(i % 2 ? L'\b' : L'A');
    }
}

void EncipherAlone(CKXPassEdit& edit)
{
    const std::string text(kPasswordBytes, 'p');
    BYTE out[64];
    for (int i = 0; i < kEvents; ++i) {
        edit.DoEncryptBuffer(text.c_str(), out);
    }
}

// The least a key can cost when no plaintext is kept: the stored password deciphered, then
// enciphered again.
void ReEncipherAlone(CKXPassEdit& edit)
{
    const std::string text(kPasswordBytes, 'p');
    BYTE stored[64];
    const int size = edit.DoEncryptBuffer(text.c_str(), stored);
    char plain[64];
    for (int i = 0; i < kEvents; ++i) {
        edit.DoDecryptBuffer(stored, static_cast<DWORD>(size), plain);
        edit.DoEncryptBuffer(plain, stored);
    }
}

int Measure()
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 60, nullptr, nullptr, nullptr, nullptr);
    CKXPassEdit windowed;
    if (!windowed.CEdit::Create(ES_PASSWORD | ES_AUTOHSCROLL | WS_VISIBLE, CRect(0, 0, 280, 24),
                                CWnd::FromHandle(parent), 1)) {
        std::printf("cannot create the password edit\n");
        return 1;
    }
    CKXPassEdit storeOnly;
    const std::wstring password(kPasswordBytes, L'p');
    windowed.SetSafeText(password.c_str(), 1);
    storeOnly.SetSafeText(password.c_str(), 0);

    const double queue = MicrosecondsPerEvent([&] { TypeInBursts(windowed, kEvents, kBurst, &LetterThenBackspace); });
    const double changing =
        MicrosecondsPerEvent([&] { TypeInBursts(windowed, kEvents, kBurst, &LettersThenBackspaces); });
    const double single =
        MicrosecondsPerEvent([&] { TypeInBursts(windowed, kSingleKeys, 1, &LetterThenBackspace); }, kSingleKeys);
    const double store = MicrosecondsPerEvent([&] { TypeIntoStore(storeOnly); });
    const double alone = MicrosecondsPerEvent([&] { EncipherAlone(windowed); });
    const double reEnciphering = MicrosecondsPerEvent([&] { ReEncipherAlone(windowed); });
    std::printf("%-56s %9.2f us\n", "key event through the queue, bursts keeping the length", queue);
    std::printf("%-56s %9.2f us\n", "key event through the queue, bursts changing the length", changing);
    std::printf("%-56s %9.2f us\n", "key event through the queue, one key a drain", single);
    std::printf("%-56s %9.2f us\n", "key straight into the store", store);
    std::printf("%-56s %9.2f us\n", "enciphering the 32-byte password alone", alone);
    std::printf("%-56s %9.2f us\n", "deciphering and enciphering it again alone", reEnciphering);
    std::printf("queue / alone           %8.2f   (target <= 2)\n", queue / alone);
    std::printf("changing length / alone %8.2f\n", changing / alone);
    std::printf("store / alone           %8.2f\n", store / alone);
    std::printf("re-enciphering / alone  %8.2f   (the least any key costs)\n", reEnciphering / alone);
    windowed.DestroyWindow();
    DestroyWindow(parent);
    return 0;
}

} // namespace

int main()
{
    return measure_apart::Run(L"passedit_bench.exe", &Measure);
}
