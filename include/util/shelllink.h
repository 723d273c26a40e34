#pragma once

#include <windows.h>

#include <shellapi.h>

#include <util/cstring.h>
#include <util/drawdc.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/static.h>

// The shell services the tray icon and links call. The platform's own by default; tests install
// recorders.
struct KxShellCalls {
    BOOL(WINAPI* notifyIcon)(DWORD message, NOTIFYICONDATAW* data);
    HINSTANCE(WINAPI* execute)(HWND owner, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
                               const wchar_t* directory, int show);
};

UTIL_API const KxShellCalls& KxGetShellCalls();
// Installs the calls (the platform's own when null) and returns the ones they replace.
UTIL_API KxShellCalls KxSetShellCalls(const KxShellCalls* calls);

// The client's icon in the notification area, with a tooltip and a balloon message.
class UTIL_API CTrayIcon {
public:
    enum : UINT { KXTRAY_ICON_ID = 100, KXTRAY_CALLBACK_MESSAGE = 0x14AC };

    CTrayIcon();
    // Deletes the icon from the notification area.
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // operation NIM_ADD, NIM_MODIFY or NIM_DELETE. A window, icon or tooltip that is given replaces the
    // stored one; without a tooltip the owner's text serves while none is stored. Deleting with an icon
    // destroys the icon stored before. The shell's answer.
    BOOL SetCTray(DWORD operation, HWND wnd, HICON icon, const wchar_t* tooltip);
    // The balloon shown with the next add or modify.
    void SetInfoText(const wchar_t* title, const wchar_t* text);

    HICON GetIcon() const { return m_hIcon; }
    const CString& GetTooltip() const { return m_strTip; }

private:
    HICON m_hIcon = nullptr;
    HWND m_hWnd = nullptr;
    CString m_strTip;
    CString m_strInfoTitle;
    CString m_strInfo;
};

// A link target that the shell opens.
class UTIL_API CHyperlink {
public:
    CHyperlink(const wchar_t* link = nullptr) : m_strLink(link ? link : L"") {}
    CHyperlink& operator=(const wchar_t* link)
    {
        m_strLink = link ? link : L"";
        return *this;
    }
    operator const wchar_t*() const { return m_strLink; }

    // The shell's answer to "open" (above 32 on success); null for an empty target, which is not tried.
    HINSTANCE Navigate() const;

private:
    CString m_strLink;
};

// A static text that is a clickable link: drawn over a snapshot of what lies behind it, underlined
// while the pointer rests on it, in another colour once opened.
class UTIL_API CStaticLink : public CStatic {
public:
    explicit CStaticLink(const wchar_t* link = nullptr, BOOL autoDelete = FALSE);
    ~CStaticLink() override;

    BOOL SubclassDlgItem(UINT id, CWnd* parent, const wchar_t* link = nullptr);
    void SetLinkText(const wchar_t* link) { m_link = link; }
    // A no-link control shows no link cursor, is not underlined and opens nothing.
    void SetNoLink(BOOL noLink) { m_bNoLink = noLink; }
    void EnableMultiline(BOOL multiline) { m_bMultiline = multiline; }
    // The current colour becomes the unvisited one.
    void SetTextColor(COLORREF unvisited, COLORREF visited);

    const wchar_t* GetLinkText() const { return m_link; }

protected:
    HBRUSH CtlColor(CDC* dc, UINT ctlType) override;
    void PostNcDestroy() override;

    LRESULT OnNcHitTest(CPoint screenPoint) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnMouseHover(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    void OnDestroy() override;

    // Opens the first of target, window text and string resource that the shell accepts.
    bool OpenLink();
    void CaptureBackground();
    void ReleaseBackground();
    bool ShowsUnderline() const;

    CHyperlink m_link;
    COLORREF m_color;
    COLORREF m_colorUnvisited = RGB(0, 0, 255);
    COLORREF m_colorVisited = RGB(128, 0, 128);
    BOOL m_bAutoDelete;
    BOOL m_bNoLink = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bHover = FALSE;
    BOOL m_bBkCaptured = FALSE;
    BOOL m_bMultiline = FALSE;
    CDC m_dcBk;
    CBitmap m_bmpBk;
    HGDIOBJ m_hOldBmpBk = nullptr;
    CKxDrawDC m_dcMem;
};
