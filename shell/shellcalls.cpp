#include <util/shelllink.h>

namespace {

const KxShellCalls kPlatformCalls = {&::Shell_NotifyIconW, &::ShellExecuteW};

KxShellCalls& CurrentCalls()
{
    static KxShellCalls calls = kPlatformCalls;
    return calls;
}

} // namespace

const KxShellCalls& KxGetShellCalls()
{
    return CurrentCalls();
}

KxShellCalls KxSetShellCalls(const KxShellCalls* calls)
{
    const KxShellCalls previous = CurrentCalls();
    CurrentCalls() = calls ? *calls : kPlatformCalls;
    return previous;
}

HINSTANCE CHyperlink::Navigate() const
{
    if (m_strLink.IsEmpty()) {
        return nullptr;
    }
    return KxGetShellCalls().execute(nullptr, L"open", m_strLink, nullptr, nullptr, SW_SHOWNORMAL);
}
