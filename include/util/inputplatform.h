#pragma once

#include <windows.h>

#include <util/export.h>

// The platform calls of the input controls that a test stands in for (hooks, the platform version,
// beeps, message boxes); nulls mean the platform's own.
struct KxInputPlatform {
    HHOOK(WINAPI* setWindowsHookEx)(int kind, HOOKPROC procedure, HINSTANCE module, DWORD threadId);
    DWORD(WINAPI* getVersion)();
    BOOL(WINAPI* messageBeep)(UINT type);
    int(WINAPI* messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
};

// Installs the calls and returns the previous ones.
UTIL_API KxInputPlatform KxSetInputPlatform(const KxInputPlatform& platform);
// The calls in use: the installed ones, the platform's own where none is installed.
UTIL_API KxInputPlatform KxGetInputPlatform();
