#pragma once

#include <util/wnd.h>

// Helpers of the control wrappers.

// Sends a message straight to the control: wrappers have the platform meaning, not the object's.
inline LRESULT SendToControl(const CWnd* control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return ::SendMessageW(control->m_hWnd, message, wParam, lParam);
}

// Hands a reflected WM_DRAWITEM to an owner-drawn control's drawing; false for other messages.
template <typename Draw>
BOOL ReflectDrawItem(UINT message, LPARAM lParam, LRESULT* result, Draw draw)
{
    if (message != WM_DRAWITEM) {
        return FALSE;
    }
    draw(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return TRUE;
}
