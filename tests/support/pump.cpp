#include "support/pump.h"

#include <util/wnd.h>

namespace testsupport {

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for the loop that waits for it
            return;
        }
        AfxProcessMessage(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMilliseconds;
    for (;;) {
        PumpPending();
        if (done && done()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return done && done();
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    PumpUntil(nullptr, milliseconds);
}

} // namespace testsupport
