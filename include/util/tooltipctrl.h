#pragma once

#include <windows.h>

#include <commctrl.h>

#include <util/export.h>
#include <util/wnd.h>

// The platform's tooltip control. Each member sends the tooltip message of the same meaning.
class UTIL_API CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;

    // A tooltip window owned by parent's window, with TTS_* style bits.
    virtual BOOL Create(CWnd* parent, DWORD style = 0);

    void Activate(BOOL activate);
    // A tool of the given window and id over rect (the whole client area when null), with the text.
    BOOL AddTool(CWnd* wnd, const wchar_t* text, const RECT* rect, UINT_PTR id);
    int GetToolCount() const;
    void UpdateTipText(const wchar_t* text, CWnd* wnd, UINT_PTR id);
    // TTDT_AUTOPOP, TTDT_INITIAL or TTDT_RESHOW, in milliseconds.
    void SetDelayTime(DWORD which, int milliseconds);
    int SetMaxTipWidth(int width);
    void RelayEvent(MSG* msg);
};
