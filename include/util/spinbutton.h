#pragma once

#include <windows.h>

#include <commctrl.h>

#include <util/export.h>
#include <util/wnd.h>

// Framework wrapper of the platform's up-down (spin) control. Each member sends the control's own
// message and has the platform's meaning.
class UTIL_API CSpinButtonCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetRange32(int lower, int upper);
    // Returns the previous position.
    int SetPos32(int position);
    // error (may be null) is set when the buddy's text is not a valid position.
    int GetPos32(BOOL* error = nullptr) const;
    // Returns the previous buddy.
    CWnd* SetBuddy(CWnd* buddy);
};
