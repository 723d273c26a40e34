// Compiled, never run: the exported headers as a client sees them, with or without UNICODE and with
// <windowsx.h> before or after them. Each call goes through the platform's macro of its name.
#include <windows.h>
#if defined(PROBE_WINDOWSX_FIRST)
#include <windowsx.h>
#endif
#include <util/util.h>
#if !defined(PROBE_WINDOWSX_FIRST)
#include <windowsx.h>
#endif

class ProbeWnd : public CWnd {
protected:
#pragma push_macro("DefWindowProc")
#undef DefWindowProc
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
#pragma pop_macro("DefWindowProc")
};

void ProbeCalls(CWnd& wnd, const CWnd& constWnd, CDC& dc, CMenu& menu, CFont& font, CBitmap& bitmap, CRgn& rgn)
{
    ProbeWnd probe;
    wnd.SendMessage(WM_NULL);
    wnd.PostMessage(WM_NULL, 0, 0);
    wnd.SetWindowText(L"text");
    wchar_t buffer[16];
    constWnd.GetWindowText(buffer, 16);
    CString text;
    constWnd.GetWindowText(text);
    constWnd.GetWindowTextLength();
    RECT rect{};
    dc.DrawText(L"text", -1, &rect, DT_LEFT);
    dc.DrawText(text, &rect, DT_LEFT);
    dc.TextOut(0, 0, text);
    dc.ExtTextOut(0, 0, 0, nullptr, L"text", 4);
    TEXTMETRICW metrics{};
    dc.GetTextMetrics(&metrics);
    LOGFONTW logFont{};
    font.GetObject(sizeof(logFont), &logFont);
    font.CreateFontIndirect(&logFont);
    bitmap.LoadBitmap(1u);
    menu.AppendMenu(MF_STRING, 1, L"item");
    menu.GetMenuString(0, text, MF_BYPOSITION);
    (rgn.CopyRgn)(&rgn);
}
