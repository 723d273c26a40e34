#pragma once

// Hosts and readers shared by the simple-control tests.
#include <util/basedlg.h>
#include <util/drawdc.h>

#include <windows.h>

#include "support/dib.h"

namespace controlstest {

// A visible self-drawn library dialog (background KXDLG_CLR_BACKGROUND) that answers WM_KX_PAINTBK.
class KxDialogHost {
public:
    KxDialogHost()
    {
        CDialogTemplate form(L"host", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 240, 140, L"Tahoma", 9);
        auto* dialog = new CKXBaseDlg;
        if (dialog->CreateIndirect(form.Get())) {
            m_dialog = dialog;
            m_window = dialog->m_hWnd;
        } else {
            delete dialog;
        }
    }
    ~KxDialogHost()
    {
        // The modeless dialog deletes itself with its window.
        if (::IsWindow(m_window)) {
            ::DestroyWindow(m_window);
        }
    }
    KxDialogHost(const KxDialogHost&) = delete;
    KxDialogHost& operator=(const KxDialogHost&) = delete;

    CKXBaseDlg* get() const { return m_dialog; }

private:
    CKXBaseDlg* m_dialog = nullptr;
    HWND m_window = nullptr;
};

// A copy of what a control last painted off-screen (its client size).
inline void CopyImage(CKxDrawDC& image, HWND control, testsupport::DibSurface& surface)
{
    RECT client{};
    ::GetClientRect(control, &client);
    ::BitBlt(surface.dc(), 0, 0, client.right, client.bottom, image, 0, 0, SRCCOPY);
}

// Paints the control now, through its WM_PAINT.
inline void PaintNow(HWND control)
{
    ::InvalidateRect(control, nullptr, FALSE);
    ::UpdateWindow(control);
}

inline LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

} // namespace controlstest
