#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <shtypes.h>

#include <memory>
#include <vector>

#include <util/arrays.h>
#include <util/basewnd.h>
#include <util/cstring.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/jsbridge.h>
#include <util/kxmsg.h>
#include <util/webhost.h>

#ifndef ID_FILE_PRINT
#define ID_FILE_PRINT 0xE107
#endif
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 0xE122
#endif
#ifndef ID_EDIT_SELECT_ALL
#define ID_EDIT_SELECT_ALL 0xE12A
#endif

// The WM_NOTIFY record of a browser event (code 100, wParam the control id). args points to an array
// of pointers to the event operation's parameters in their order, valid only during the call: texts
// as const wchar_t*, numbers as long* (the navigation flags as DWORD*), flags as BOOL*, cancel flags
// as BOOL* (writable), new-window requests as IDispatch**, post data as const CByteArray*. Null for
// events without parameters.
struct tagWebNotify {
    NMHDR hdr;
    DWORD dwEvent; // the event's dispatch id: 102, 104-106, 108, 112, 113, 250-260
    void* const* args;
};

constexpr UINT KXWN_BROWSEREVENT = 100;

// Sent with WM_KX_WEB_BEFORENAVIGATE: the browser's own BeforeNavigate2 arguments as received.
struct tagBeforeNavigateArgs {
    IDispatch* pDisp;
    VARIANT* pvURL;
    VARIANT* pvFlags;
    VARIANT* pvTargetFrameName;
    VARIANT* pvPostData;
    VARIANT* pvHeaders;
    VARIANT_BOOL* pbCancel;
};

class CKxBrowserHost;
class CKxBrowserEventSink;
class CKxVariant;

// A child window that hosts the platform's web browser control (control id 0xE900) below an optional
// strip of five navigation buttons, reports the browser's events to its parent (tagWebNotify and the
// WM_KX_WEB_* messages), replaces the page's context menu with the client's, routes keys between the
// client, the page script and the browser, and carries the bridge between page script and the client.
//
// The URL texts posted with WM_KX_WEB_NAVIGATED and WM_KX_WEB_COMPLETE stay valid while the window
// lives until 16 further messages of the same kind have been posted, so a parent reads them safely
// from its queue. A parent that answers WM_KX_WEB_BEFORENAVIGATE with non-zero has taken the
// navigation over: the browser's own is cancelled and OnBeforeNavigate2 is not called.
class UTIL_API CWebCtrlWnd : public CKxBaseWnd {
public:
    enum { BROWSER_ID = 0xE900, TOOLBAR_HEIGHT = 25, BUTTON_SIZE = 25, BUTTON_COUNT = 5, REFRESH_COMMAND = 500 };
    // Button states: one of the three image rows, plus the pressed flag.
    enum { BTN_NORMAL = 0, BTN_HOT = 1, BTN_DISABLED = 2, BTN_PRESSED = 0x10 };

    CWebCtrlWnd();
    ~CWebCtrlWnd() override;

    static CWebCtrlWnd* CreateObject();

    using CKxBaseWnd::Create;
    // The window (class "KX_WINDOW"), then the browser control filling the client area below the
    // strip. When the control or its IWebBrowser2 cannot be had, the window is destroyed and 0 returned.
    BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id, CCreateContext* context = nullptr) override;

    // ---- the browser's properties; getters answer 0 or empty when the browser cannot ----
    CString GetType() const;
    long GetLeft() const;
    long GetTop() const;
    long GetHeight() const;
    int GetToolBar() const;
    BOOL GetVisible() const;
    CString GetLocationName() const;
    CString GetLocationURL() const;
    BOOL GetBusy() const;
    READYSTATE GetReadyState() const;
    BOOL GetOffline() const;
    BOOL GetSilent() const;
    // These four return a reference the caller releases.
    LPDISPATCH GetApplication() const;
    LPDISPATCH GetParentBrowser() const;
    LPDISPATCH GetContainer() const;
    LPDISPATCH GetHtmlDocument() const;
    BOOL GetTopLevelContainer() const;
    BOOL GetMenuBar() const;
    BOOL GetFullScreen() const;
    BOOL GetStatusBar() const;
    BOOL GetRegisterAsBrowser() const;
    BOOL GetRegisterAsDropTarget() const;
    BOOL GetTheaterMode() const;
    BOOL GetAddressBar() const;
    CString GetFullName() const;
    OLECMDF QueryStatusWB(OLECMDID command) const;
    void ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out);
    void PutProperty(const wchar_t* name, const VARIANT& value);
    void PutProperty(const wchar_t* name, long value);
    void PutProperty(const wchar_t* name, short value);
    void PutProperty(const wchar_t* name, const wchar_t* value);
    void PutProperty(const wchar_t* name, double value);
    // True when the property exists; value gets it as text.
    BOOL GetProperty(const wchar_t* name, CString& value);
    // The property, VT_EMPTY when missing; the caller clears it.
    VARIANT GetProperty(const wchar_t* name);
    void SetRegisterAsBrowser(BOOL value);
    void SetRegisterAsDropTarget(BOOL value);
    void SetTheaterMode(BOOL value);
    void SetVisible(BOOL value);
    void SetMenuBar(BOOL value);
    void SetToolBar(int value);
    void SetOffline(BOOL value);
    void SetSilent(BOOL value);
    void SetFullScreen(BOOL value);
    void SetAddressBar(BOOL value);
    void SetHeight(long value);
    void SetTop(long value);
    void SetLeft(long value);
    void SetStatusBar(BOOL value);
    void GoBack();
    void GoForward();
    void GoHome();
    void GoSearch();
    void Refresh();
    void Refresh2(int level);
    void Stop();

    // ---- navigation; a URL navigated to while the home URL is empty becomes the home URL ----
    void Navigate(const wchar_t* url, DWORD flags = 0, const wchar_t* targetFrame = nullptr,
                  const wchar_t* headers = nullptr, const void* postData = nullptr, DWORD postDataLength = 0);
    void Navigate2(LPCITEMIDLIST itemIdList, DWORD flags = 0, const wchar_t* targetFrame = nullptr);
    void Navigate2(const wchar_t* url, DWORD flags = 0, const wchar_t* targetFrame = nullptr,
                   const wchar_t* headers = nullptr, const void* postData = nullptr, DWORD postDataLength = 0);
    void Navigate2(const wchar_t* url, DWORD flags, const CByteArray& postData, const wchar_t* targetFrame = nullptr,
                   const wchar_t* headers = nullptr);
    // "res://<module path>/<name or id>" of the module holding the current resources; 0 without its path.
    BOOL LoadFromResource(const wchar_t* name);
    BOOL LoadFromResource(UINT id);
    // Sets the text as the current document body's inner HTML; nothing without text or document.
    void SetHtml(const wchar_t* html);
    void SetHomeURL(const wchar_t* url) { m_strHomeURL = url; }
    const CString& GetHomeURL() const { return m_strHomeURL; }

    // ---- editing and printing ----
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    BOOL IsCutEnabled() const;
    BOOL IsCopyEnabled() const;
    BOOL IsPasteEnabled() const;
    void OnFilePrint();
    void OnFilePrintPreview();
    // Whether the keyboard focus is in an editable part of the page: puts the text "A" on a clipboard
    // without text (adding, never emptying), then asks whether paste is enabled.
    int IsEditMessage();

    // ---- toolbar ----
    void SetKxToolBarVisable(int visible);
    BOOL IsKxToolBarVisable() const { return m_bToolBarVisible; }
    // Places a window in the strip after the buttons at the index (negative: 0, past the end: last);
    // a window listed already moves. The position, or -1 when the strip is hidden or the window invalid.
    int InsertExToolBar(int index, HWND window, int width);
    // Takes the window out of the strip and hides it.
    void DeleteExToolBar(HWND window);
    void SetTBBkColor(COLORREF color);
    COLORREF GetTBBkColor() const { return m_crTBBk; }
    BYTE GetButtonState(int button) const;
    // The client's context menu (not owned); "刷新" (REFRESH_COMMAND) is added to it once when shown.
    void SetMenu(HMENU menu) { m_hMenu = menu; }

    // ---- script bridge ----
    // 0 without a window; else stores the function under the upper-cased name for this window.
    int AddJSCallBackFunc(const CString& name, JSCallBack function, long context);
    // Removes the first matching entry of this window; a null function or zero context matches any.
    void DeleteJSCallBackFunc(const CString& name, JSCallBack function, long context);
    // Calls a global script function of the page or of any frame with string arguments. 1 when called
    // (result: its string answer, else empty); 0 otherwise, result untouched.
    int CallJScript(const CString& functionName, const CStringArray& arguments, CString& result);

    // ---- keys ----
    // F5 goes to the parent as WM_KEYDOWN, never to the browser.
    BOOL PreTranslateMessage(MSG* msg) override;
    // 2 for Page Up, Page Down and F5 key-downs and for characters typed into an editable field; 1 when
    // the page's "OnCltKeyPress" answered 1 or the browser took the key; else the base window decides.
    LRESULT KxPreTranslateMsg(MSG* msg) override;

    // ---- browser events; each notifies the parent with tagWebNotify ----
    virtual void OnStatusTextChange(const wchar_t* text);
    virtual void OnProgressChange(long progress, long progressMax);
    virtual void OnCommandStateChange(long command, BOOL enable);
    virtual void OnDownloadBegin();
    virtual void OnDownloadComplete();
    virtual void OnTitleChange(const wchar_t* title);
    virtual void OnPropertyChange(const wchar_t* property);
    virtual void OnNavigateComplete2(const wchar_t* url);
    virtual void OnBeforeNavigate2(const wchar_t* url, DWORD flags, const wchar_t* targetFrame,
                                   const CByteArray& postData, const wchar_t* headers, BOOL* cancel);
    virtual void OnNewWindow2(LPDISPATCH* dispatch, BOOL* cancel);
    virtual void OnDocumentComplete(const wchar_t* url);
    virtual void OnQuit();
    virtual void OnVisible(BOOL visible);
    virtual void OnToolBar(BOOL toolBar);
    virtual void OnMenuBar(BOOL menuBar);
    virtual void OnStatusBar(BOOL statusBar);
    virtual void OnFullScreen(BOOL fullScreen);
    virtual void OnTheaterMode(BOOL theaterMode);
    // Not reported; with the strip shown the new window is cancelled and its URL opened here.
    virtual void OnNewWindow(LPDISPATCH* dispatch, BOOL* cancel, DWORD flags, const wchar_t* contextURL,
                             const wchar_t* url);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* oldWnd) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnPaint() override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    void OnContextMenu(CWnd* wnd, CPoint screenPoint) override;

    // Sends the parent the tagWebNotify of an event.
    void NotifyParent(DWORD event, void* const* args = nullptr);

    IWebBrowser2* m_pBrowserApp = nullptr;
    HMENU m_hMenu = nullptr;
    CString m_strHomeURL;
    BOOL m_bToolBarVisible = FALSE;
    CString m_strPendingURL;
    struct tagExToolBar {
        HWND hWnd;
        int nWidth;
    };
    std::vector<tagExToolBar> m_arExToolBars;
    BYTE m_btnStates[BUTTON_COUNT] = {};
    int m_nButtonsWidth = BUTTON_COUNT * BUTTON_SIZE;
    BOOL m_bTrackingLeave = FALSE;
    COLORREF m_crTBBk = RGB(0x28, 0x28, 0x28);

private:
    friend class CKxBrowserEventSink;

    // Texts handed to the parent by posted messages, kept for a while.
    class PostedTexts {
    public:
        const wchar_t* Keep(const wchar_t* text);

    private:
        CString m_texts[16];
        int m_next = 0;
    };

    class NavigateArguments;

    HRESULT OnBrowserEvent(DISPID id, DISPPARAMS* params);
    void BeforeNavigate(DISPPARAMS* params);
    void Navigate2To(CKxVariant& target, NavigateArguments& more);
    void PostToParent(UINT message, LPARAM lParam);
    // The browser's document with one reference, or null.
    IHTMLDocument2* QueryDocument() const;
    void RememberHome(const wchar_t* url);
    void FocusPage();
    void ExecCommand(OLECMDID command) const;
    BOOL IsCommandEnabled(OLECMDID command) const;
    void PrintDocument(DWORD command);

    CRect GetToolBarRect() const;
    CRect GetBrowserRect() const;
    CRect GetButtonRect(int button) const;
    int ButtonFromPoint(POINT point) const;
    void LayoutBrowser();
    void LayoutExToolBars();
    void InvalidateButtons();
    void SetButtonState(int button, BYTE state);
    void RunButton(int button);
    void PaintButtons(HDC dc);
    void EnsureRefreshItem(HMENU menu);

    std::unique_ptr<CKxBrowserHost> m_pHost;
    CBitmap m_bmpToolBar;
    PostedTexts m_navigatedURLs;
    PostedTexts m_completedURLs;
};
