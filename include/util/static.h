#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/gdi.h>
#include <util/wnd.h>

// The platform's static control. Its parent's WM_CTLCOLORSTATIC comes back to it as CtlColor.
class UTIL_API CStatic : public CWnd {
public:
    CStatic() = default;
    ~CStatic() override;

    using CWnd::Create;
    // A child "STATIC" window.
    virtual BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);

protected:
    // The brush the control is painted with, or null to leave the choice to the parent (the
    // framework's own).
    virtual HBRUSH CtlColor(CDC* dc, UINT ctlType);

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
