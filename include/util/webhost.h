#pragma once

#include <windows.h>
#include <unknwn.h>

#include <util/export.h>

// Switches the library's control containment on: every browser control a CWebCtrlWnd creates
// afterwards is hosted by the library's own control site, whose host UI handler gives the page its
// external object (window.external.kxC) and turns the page's context menu into WM_CONTEXTMENU for
// the web window. Without it CWebCtrlWnd::Create fails. Call once at start-up; COM (OleInitialize)
// must be initialised on the user-interface thread.
UTIL_API void KxEnableControlContainer();

// Makes the browser control object with one reference. The default calls
// CoCreateInstance(CLSID_WebBrowser) for an in-process server.
typedef HRESULT (*KXBROWSERFACTORY)(IUnknown** control);
// Installs a factory (null restores the default) and returns the previous one.
UTIL_API KXBROWSERFACTORY KxSetBrowserFactory(KXBROWSERFACTORY factory);
