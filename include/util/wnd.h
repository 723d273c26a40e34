#pragma once

#include <windows.h>

#include <util/export.h>

class UTIL_API CWnd {
public:
    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND m_hWnd = nullptr;
};
