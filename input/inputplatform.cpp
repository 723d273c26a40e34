#include <util/inputplatform.h>

namespace {

KxInputPlatform g_installed{};

} // namespace

KxInputPlatform KxSetInputPlatform(const KxInputPlatform& platform)
{
    const KxInputPlatform previous = g_installed;
    g_installed = platform;
    return previous;
}

KxInputPlatform KxGetInputPlatform()
{
    KxInputPlatform calls = g_installed;
    calls.setWindowsHookEx = calls.setWindowsHookEx ? calls.setWindowsHookEx : &::SetWindowsHookExW;
    calls.getVersion = calls.getVersion ? calls.getVersion : &::GetVersion;
    calls.messageBeep = calls.messageBeep ? calls.messageBeep : &::MessageBeep;
    calls.messageBox = calls.messageBox ? calls.messageBox : &::MessageBoxW;
    return calls;
}
