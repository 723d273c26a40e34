#pragma once

#include <windows.h>

#include <util/captionbuttons.h>
#include <util/cstring.h>
#include <util/export.h>
#include <util/kxmsg.h>
#include <util/panel.h>
#include <util/wnd.h>
#include <util/xpmenu.h>

// The base of the library's custom windows, of class "KX_WINDOW". A window with a caption, a pop-up or
// a tool window gets a self-drawn title bar and border with close, minimise and maximise-or-restore
// buttons. The client area is divided by a tree of split panels whose splitters the user drags. The
// window answers the library's private messages: WM_KX_ISKXWND, WM_KX_SETCURSOR (the panels' cursors),
// WM_KX_PRETRANSLATE and WM_KX_GETCLIENTRECT. Owner-drawn menu entries are drawn by the XP menu helper.
//
// Painting: the base window erases nothing and paints no client area. A derived window paints its
// whole client area in OnPaint, through a CPaintDC, and draws the panel tree there with
// GetRootPanel()->Draw(dc) (the panels fill their backgrounds and borders; their views are child
// windows or draw themselves). Then PrintWindow and WM_PRINT / WM_PRINTCLIENT draw what the screen
// shows: the self-drawn title bar and border, the client area through the same OnPaint, and the child
// windows. The title-bar buttons are images drawn with GDI+: the client starts GDI+ first.
class UTIL_API CKxBaseWnd : public CWnd {
public:
    CKxBaseWnd();
    ~CKxBaseWnd() override;

    // Stores the title (ignored when null) and repaints the title bar.
    virtual void SetTitleText(const wchar_t* text);
    using CWnd::Create;
    // Creates the window of class "KX_WINDOW" without the system-menu style, so that the platform
    // draws no caption buttons of its own; the panel tree takes the view area.
    virtual BOOL Create(const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        CCreateContext* context = nullptr);
    // Drawn last in the title-bar paint; nothing in the base.
    virtual void DrawNcOther(CDC* windowDC);
    // For a host that pre-translates through WM_KX_PRETRANSLATE: 1 when PreTranslateMessage took it.
    virtual LRESULT KxPreTranslateMsg(MSG* msg);
    // The area of the panel tree: the client rectangle (all zero without a window).
    virtual void GetViewClientRect(RECT* rect) const;
    virtual void DrawSysButton(CDC* dc, UINT button);
    virtual void ReLayoutNc();

    BOOL PreTranslateMessage(MSG* msg) override;

    void SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_crBk; }
    CKxPanel* GetPanelFromPoint(POINT point);
    CKxPanel* GetRootPanel() { return &m_rootPanel; }
    CKXXPMenuEx* GetXPMenu() { return &m_menu; }

    // Registers "KX_WINDOW" in the library's module once; throws CResourceException on failure.
    static void RegisterKxWindowClass();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    void OnNcDestroy() override;

    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDrawItem(int id, DRAWITEMSTRUCT* item) override;
    void OnMeasureItem(int id, MEASUREITEMSTRUCT* item) override;
    void OnNcPaint() override;
    BOOL OnNcActivate(BOOL active) override;
    void OnNcMouseMove(UINT hitTest, CPoint screenPoint) override;
    void OnNcLButtonDown(UINT hitTest, CPoint screenPoint) override;
    void OnNcLButtonUp(UINT hitTest, CPoint screenPoint) override;
    void OnNcMouseLeave() override;
    void OnLButtonUp(UINT flags, CPoint point) override;

    // The title bar and border in a device context of the window's size (window coordinates).
    void PaintNc(HDC dc, int width, int height);
    // WM_PRINT: what the flags (PRF_*) ask for, as the screen shows it.
    void Print(HDC dc, UINT flags);
    // Title height of the window's style (small caption for tool windows); stored.
    int CalcTitleHeight();
    void InitTitleStyle();
    bool HasTitleBar() const;
    void RepaintNc();
    // The end of a press on a caption button, at a point in window coordinates.
    void FinishPress(POINT windowPoint);
    // The command of a caption button released over it: close, minimise, maximise or restore.
    void RunTitleCommand(UINT button, POINT windowPoint);

    // Keys and mouse moves waiting for the window.
    int CheckPeekMsgPgUpDown() const;
    int CheckPeekMsgUpDown() const;
    BOOL CheckPeekMsgMouseMove() const;

    COLORREF m_crFrame = RGB(0, 0, 0);
    COLORREF m_crBk;
    CKxPanel m_rootPanel;
    CKXXPMenuEx m_menu;
    CKxCaptionButtons m_buttons;
    CRect m_rcTitleText;
    BOOL m_bNcActive = FALSE;
    int m_nTitleHeight = 0;
    CString m_strTitle;
};
