#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/wnd.h>

// Framework wrapper of the platform's static control.
class UTIL_API CStatic : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};
