#pragma once

// Off-screen painting shared by the simple controls: each draws its whole client area into a kept
// memory image, then copies it to the window in one operation.
#include <windows.h>

#include <memory>

#include <util/cstring.h>
#include <util/drawdc.h>
#include <util/gdi.h>
#include <util/geometry.h>
#include <util/kxmsg.h>
#include <util/wnd.h>

namespace kxcontrols {

// Makes image ready for a drawing of wnd's client area (compatible with target), lets draw paint it
// at client coordinates, then copies the result to target.
template <typename Draw>
void PaintOffscreen(CWnd& wnd, CKxDrawDC& image, HDC target, Draw&& draw)
{
    CRect client;
    wnd.GetClientRect(&client);
    if (target == nullptr || client.IsRectEmpty()) {
        return;
    }
    image.SetDrawRect(client, target);
    if (image.GetSafeHdc() == nullptr) {
        return;
    }
    draw(static_cast<CDC&>(image), client);
    ::BitBlt(target, 0, 0, client.Width(), client.Height(), image, 0, 0, SRCCOPY);
}

// The parent's background under wnd, or the colour where the parent supplies none or askParent is false.
inline void PaintBackground(CWnd& wnd, CDC& dc, const CRect& client, COLORREF color, bool askParent = true)
{
    if (!askParent || !KxPaintParentBackground(wnd.m_hWnd, dc)) {
        dc.FillSolidRect(&client, color);
    }
}

// The control's own window text.
inline CString WindowText(const CWnd& wnd)
{
    CString text;
    wnd.GetWindowText(text);
    return text;
}

// Runs a message's default processing with the window's drawing switched off, as a text change of
// a platform control would otherwise paint the control's own face.
template <typename Run>
LRESULT WithoutRedraw(CWnd& wnd, Run&& run)
{
    wnd.SetRedraw(FALSE);
    const LRESULT result = run();
    wnd.SetRedraw(TRUE);
    return result;
}

// "Tahoma", 8 points at 96 pixels per inch, weight 100, proof quality: the simple controls' font.
std::unique_ptr<CFont> MakeTahomaFont();
// Takes ownership of font unless it is null or the font already owned.
void AdoptFont(std::unique_ptr<CFont>& owned, CFont* font);

} // namespace kxcontrols
