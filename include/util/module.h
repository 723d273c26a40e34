#pragma once

#include <windows.h>

#include <util/export.h>

// The library's module state: the module whose resources the library loads, and the client's main
// window. Filled in when the DLL is loaded.
struct AFX_MODULE_STATE {
    HMODULE m_hCurrentInstanceHandle = nullptr;
    HMODULE m_hCurrentResourceHandle = nullptr;
    HWND m_hMainWnd = nullptr;
};

UTIL_API AFX_MODULE_STATE* AfxGetModuleState();
UTIL_API HINSTANCE AfxGetInstanceHandle();
UTIL_API HINSTANCE AfxGetResourceHandle();
UTIL_API HWND AfxGetMainWnd();
UTIL_API void AfxSetMainWnd(HWND window);
