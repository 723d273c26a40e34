#pragma once

#include <windows.h>

#include <exception>

#include <util/cstring.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/geometry.h>
#include <util/win32_names.h>

// Win32 names of members, set aside here (see <util/win32_names.h>).
#pragma push_macro("DefWindowProc")
#pragma push_macro("GetWindowText")
#pragma push_macro("GetWindowTextLength")
#pragma push_macro("PostMessage")
#pragma push_macro("SendMessage")
#pragma push_macro("SetWindowText")
#pragma push_macro("SubclassWindow")
#undef DefWindowProc
#undef GetWindowText
#undef GetWindowTextLength
#undef PostMessage
#undef SendMessage
#undef SetWindowText
#undef SubclassWindow

// The framework's resource exception: the one exception the library raises, when a window class
// cannot be registered.
class CResourceException : public std::exception {
public:
    const char* what() const noexcept override { return "a window class could not be registered"; }
};

[[noreturn]] UTIL_API void AfxThrowResourceException();

// Registers the class in wndClass->hInstance unless it is registered there already; true when the
// class exists afterwards.
UTIL_API BOOL AfxRegisterClass(WNDCLASSW* wndClass);

// Registers one of the library's window classes in the library's module, once: class styles
// CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, the platform's default window procedure, the given cursor
// (null for none), the button-face brush. Throws CResourceException when the class cannot be registered.
UTIL_API void KxRegisterWndClass(const wchar_t* className, HCURSOR cursor);

struct CCreateContext;
struct AFX_CMDHANDLERINFO;

// A window of the framework. A CWnd is attached to at most one window handle and a handle to at
// most one permanent CWnd. Windows made by Create/CreateEx, or taken over with SubclassWindow, send
// every message through WindowProc, which dispatches from one place to the typed handlers below;
// each handler's own implementation passes the message on to the previous window procedure
// (Default). Notifications of child controls (WM_NOTIFY, control WM_COMMAND, WM_DRAWITEM,
// WM_MEASUREITEM, WM_CTLCOLOR*, control WM_HSCROLL/WM_VSCROLL) are first offered back to the child
// through OnChildNotify; the parent's handlers see them when the child does not take them.
class UTIL_API CWnd {
public:
    CWnd() = default;
    // Destroys the window if this object still owns one.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The permanent object of a handle, or else a temporary one that lives while the window does.
    static CWnd* FromHandle(HWND handle);
    // The object attached to the handle, or null.
    static CWnd* FromHandlePermanent(HWND handle);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    BOOL Attach(HWND handle);
    HWND Detach();

    // Attaches, calls PreSubclassWindow, then routes the window's messages through WindowProc.
    BOOL SubclassWindow(HWND handle);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Gives the window its previous procedure back and detaches it.
    HWND UnsubclassWindow();

    // A child window (WS_CHILD is added) with the given identifier.
    virtual BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, CCreateContext* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menuOrId, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void* param = nullptr);
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window procedure that was there before this object took the window over.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Final, so that an override spelled with the platform's macro in effect does not compile.
    virtual LRESULT DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam) final
    {
        return DefWindowProc(message, wParam, lParam);
    }
    virtual LRESULT DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam) final
    {
        return DefWindowProc(message, wParam, lParam);
    }
    // Passes the message being handled on to DefWindowProc.
    LRESULT Default();
    // The message being handled on this thread.
    static const MSG* GetCurrentMessage();

    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Command routing (CN_COMMAND, CN_UPDATE_COMMAND_UI of <util/menu.h>): true when this window
    // handles the command. The framework's own handles nothing; windows override it.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo);

    // ---- window operations ----
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Removes then adds style bits; with swpFlags, SetWindowPos applies the frame change.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);

    void GetWindowRect(RECT* rect) const;
    void GetClientRect(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void MapWindowPoints(CWnd* to, RECT* rect) const;
    void MapWindowPoints(CWnd* to, POINT* points, UINT count) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    // insertAfter: a window or HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST.
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;

    void SetWindowText(const wchar_t* text);
    int GetWindowText(wchar_t* buffer, int capacity) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    UTIL_WIN32_ALIASES(SetWindowText)
    UTIL_WIN32_ALIASES(GetWindowText)
    UTIL_WIN32_ALIASES(GetWindowTextLength)
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;

    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    CWnd* GetWindow(UINT command) const;
    CWnd* GetTopLevelParent() const;
    BOOL IsChild(const CWnd* wnd) const;

    CWnd* SetCapture();
    static CWnd* GetCapture();
    CWnd* SetFocus();
    static CWnd* GetFocus();

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback = nullptr);
    BOOL KillTimer(UINT_PTR id);

    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void InvalidateRgn(CRgn* region, BOOL erase = TRUE);
    void ValidateRect(const RECT* rect);
    void UpdateWindow();
    BOOL RedrawWindow(const RECT* rect = nullptr, CRgn* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // Switches drawing of the window on or off (WM_SETREDRAW).
    void SetRedraw(BOOL redraw = TRUE);

    // The returned device context is released with ReleaseDC.
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UTIL_WIN32_ALIASES(SendMessage)
    UTIL_WIN32_ALIASES(PostMessage)

    HWND m_hWnd = nullptr;

protected:
    // Called on the attached object before its messages are routed through WindowProc.
    virtual void PreSubclassWindow();
    // Called after the window's last message (WM_NCDESTROY), once the object is detached; windows
    // that live on the heap delete themselves here.
    virtual void PostNcDestroy();

    // A control WM_COMMAND (control handle in lParam) is first offered to the control. True when
    // the command was handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A WM_NOTIFY is first offered to the control that sent it. True when handled; the message's
    // answer is in *result.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification this window sent its parent, offered back to it by the parent. True when this
    // window handled it; the answer is in *result.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // ---- typed handlers; each one's own implementation is Default() ----
    virtual BOOL OnNcCreate(CREATESTRUCTW* cs);
    virtual int OnCreate(CREATESTRUCTW* cs);
    virtual void OnDestroy();
    // After it the framework detaches the object and calls PostNcDestroy (also when an override
    // does not call this one).
    virtual void OnNcDestroy();
    virtual void OnClose();
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* dc);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual void OnWindowPosChanged(WINDOWPOS* pos);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual void OnEnable(BOOL enable);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual void OnContextMenu(CWnd* wnd, CPoint screenPoint);
    virtual void OnCaptureChanged(CWnd* wnd);
    virtual void OnCancelMode();
    virtual UINT OnGetDlgCode();

    virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnRButtonDblClk(UINT flags, CPoint point);
    virtual void OnMButtonDown(UINT flags, CPoint point);
    virtual void OnMButtonUp(UINT flags, CPoint point);
    // The point is in screen coordinates, as the platform delivers it.
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    virtual void OnMouseHover(UINT flags, CPoint point);
    virtual void OnMouseLeave();

    virtual void OnKeyDown(UINT key, UINT repeatCount, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeatCount, UINT flags);
    virtual void OnSysKeyDown(UINT key, UINT repeatCount, UINT flags);
    virtual void OnSysKeyUp(UINT key, UINT repeatCount, UINT flags);
    virtual void OnChar(UINT ch, UINT repeatCount, UINT flags);
    virtual void OnSysChar(UINT ch, UINT repeatCount, UINT flags);

    virtual void OnNcPaint();
    virtual BOOL OnNcActivate(BOOL active);
    virtual void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
    virtual LRESULT OnNcHitTest(CPoint screenPoint);
    virtual void OnNcMouseMove(UINT hitTest, CPoint screenPoint);
    virtual void OnNcLButtonDown(UINT hitTest, CPoint screenPoint);
    virtual void OnNcLButtonUp(UINT hitTest, CPoint screenPoint);
    virtual void OnNcLButtonDblClk(UINT hitTest, CPoint screenPoint);
    virtual void OnNcMouseLeave();

    // scrollBar is the scroll-bar control that sent the message, null for the window's own bars.
    virtual void OnHScroll(UINT code, UINT position, CWnd* scrollBar);
    virtual void OnVScroll(UINT code, UINT position, CWnd* scrollBar);
    // Owner-drawn controls are offered their own drawing first; menu items are not reflected.
    virtual void OnDrawItem(int id, DRAWITEMSTRUCT* item);
    virtual void OnMeasureItem(int id, MEASUREITEMSTRUCT* item);
    // The child is offered its own colouring first; ctlType is the CTLCOLOR_* kind.
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType);

    // Offers a notification back to the child that sent it, when the child is a framework window
    // other than this one. True when the child handled it.
    BOOL SendChildNotify(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The window procedure of every framework window: hands the message to the window's object.
    static LRESULT CALLBACK FrameworkWndProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;

private:
    // The one place where messages meet their typed handlers; false for messages without one.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

// ---- message pump ----

// Offers msg to PreTranslateMessage of the framework window it is for (for keys, the focus window),
// then of each of its ancestors up to its top-level window. True when one of them took it.
UTIL_API BOOL AfxPreTranslateMessage(MSG* msg);
// Pre-translates, and dispatches the message when nobody took it.
UTIL_API void AfxProcessMessage(MSG* msg);
// Waits for, then processes one message; false when it was WM_QUIT.
UTIL_API BOOL AfxPumpMessage();
// Pumps until WM_QUIT and returns its exit code.
UTIL_API int AfxRunMessageLoop();

#pragma pop_macro("DefWindowProc")
#pragma pop_macro("GetWindowText")
#pragma pop_macro("GetWindowTextLength")
#pragma pop_macro("PostMessage")
#pragma pop_macro("SendMessage")
#pragma pop_macro("SetWindowText")
#pragma pop_macro("SubclassWindow")
