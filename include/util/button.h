#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/wnd.h>

// The platform's push button. An owner-drawn button (BS_OWNERDRAW) gets its parent's WM_DRAWITEM
// back as DrawItem.
class UTIL_API CButton : public CWnd {
public:
    CButton() = default;
    ~CButton() override;

    using CWnd::Create;
    // A child "BUTTON" window.
    virtual BOOL Create(const wchar_t* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetCheck() const;
    void SetCheck(int check);
    // BST_* bits: checked, pushed, focused...
    UINT GetState() const;
    void SetState(BOOL highlight);
    // The BS_* type bits of the window style.
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);

    // Draws an owner-drawn button; the framework's own draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* item);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
