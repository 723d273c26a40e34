#include <util/module.h>

namespace {
AFX_MODULE_STATE g_moduleState;
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    return &g_moduleState;
}
HINSTANCE AfxGetInstanceHandle()
{
    return g_moduleState.m_hCurrentInstanceHandle;
}
HINSTANCE AfxGetResourceHandle()
{
    return g_moduleState.m_hCurrentResourceHandle;
}
HWND AfxGetMainWnd()
{
    return g_moduleState.m_hMainWnd;
}
void AfxSetMainWnd(HWND window)
{
    g_moduleState.m_hMainWnd = window;
}

// Process-wide objects of the library are static objects: the C runtime constructs them before
// DLL_PROCESS_ATTACH reaches this function and destroys them after DLL_PROCESS_DETACH.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_moduleState.m_hCurrentInstanceHandle = instance;
        g_moduleState.m_hCurrentResourceHandle = instance;
    }
    return TRUE;
}
