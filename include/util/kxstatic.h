#pragma once

#include <windows.h>

#include <memory>

#include <util/drawdc.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/static.h>
#include <util/wnd.h>

// Word-wrapped text that paints off-screen over the background its parent supplies (WM_KX_PAINTBK),
// or over a colour of its own once SetBgColor was called.
class UTIL_API CKXStatic : public CStatic {
public:
    CKXStatic();
    ~CKXStatic() override;

    // Each stores the value and, when the window exists, repaints at once.
    void SetTextColor(COLORREF color);
    // Takes ownership of a font made with new (ignored when null) and deletes the previous one.
    void SetTextFont(CFont* font);
    // From now on the control fills this colour and no longer asks its parent for a background.
    void SetBgColor(COLORREF color);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;

    void RepaintNow();

    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBk;
    BOOL m_bOwnBk = FALSE;
    std::unique_ptr<CFont> m_font;
    CKxDrawDC m_dcMem;
};

// A titled frame ("KXGroupBox"): a one-pixel frame whose top edge leaves a gap for the title, over
// the parent's background. It clips its siblings, so that controls placed on it stay visible.
class UTIL_API CKXGroupBox : public CWnd {
public:
    CKXGroupBox();
    ~CKXGroupBox() override;

    using CWnd::Create;
    virtual BOOL Create(const wchar_t* title, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);

    // Each stores the value and repaints when the window is visible.
    void SetTextColor(COLORREF color);
    void SetBgColor(COLORREF color);
    void SetBorderColor(COLORREF color);
    // Takes ownership of a font made with new (ignored when null) and deletes the previous one.
    void SetTextFont(CFont* font);

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;

    void Draw(CDC& dc, const CRect& client);
    void RepaintIfVisible();

    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBorder = RGB(172, 168, 153);
    COLORREF m_crBk;
    std::unique_ptr<CFont> m_font;
    CKxDrawDC m_dcMem;
};

// A clock ("KXTimerEx") showing the local time as hh:mm:ss, centred, updated every second once shown.
class UTIL_API CKXTimer : public CStatic {
public:
    enum : UINT_PTR { KXTIMER_ID = 9999 };

    CKXTimer();
    ~CKXTimer() override;

    using CStatic::Create;
    // A "KXTimerEx" window.
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF) override;

    // Starts the one-second tick.
    void Show();
    // Both only store.
    void SetTextColor(COLORREF color) { m_crText = color; }
    void SetBkColor(COLORREF color) { m_crBk = color; }
    // Uses the font (not owned) and hands it to the window.
    void SetFont(CFont* font, BOOL redraw = TRUE);
    // The size of "hh:mm:ss" in the current font plus 4 pixels each way; (0, 0) without a window.
    CSize GetDispSize();

protected:
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;

    wchar_t m_szDisplay[16] = {};
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBk = RGB(255, 255, 255);
    HFONT m_hFont = nullptr;
    CFont m_fontDefault; // made on the first paint without a font
    CKxDrawDC m_dcMem;
};
