#include <util/shelllink.h>

namespace {

const UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
const UINT kBalloonTimeout = 500;
// The longest window text taken as the tooltip.
const int kWindowTextLimit = 256;

// Cut to what the record's field holds.
template <size_t Capacity>
void CopyField(wchar_t (&field)[Capacity], const CString& text)
{
    ::lstrcpynW(field, text, static_cast<int>(Capacity));
}

} // namespace

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon()
{
    SetCTray(NIM_DELETE, nullptr, nullptr, nullptr);
}

void CTrayIcon::SetInfoText(const wchar_t* title, const wchar_t* text)
{
    m_strInfoTitle = title ? title : L"";
    m_strInfo = text ? text : L"";
}

BOOL CTrayIcon::SetCTray(DWORD operation, HWND wnd, HICON icon, const wchar_t* tooltip)
{
    if (wnd) {
        m_hWnd = wnd;
    }
    if (tooltip) {
        m_strTip = tooltip;
    } else if (wnd && m_strTip.IsEmpty()) {
        wchar_t title[kWindowTextLimit + 1] = {};
        ::GetWindowTextW(wnd, title, kWindowTextLimit + 1);
        m_strTip = title;
    }
    if (icon) {
        if (operation == NIM_DELETE && m_hIcon && m_hIcon != icon) {
            ::DestroyIcon(m_hIcon);
        }
        m_hIcon = icon;
    }

    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uID = KXTRAY_ICON_ID;
    if (operation == NIM_ADD || operation == NIM_MODIFY) {
        data.uFlags = kTrayFlags;
        data.uCallbackMessage = KXTRAY_CALLBACK_MESSAGE;
        data.hIcon = m_hIcon;
        CopyField(data.szTip, m_strTip);
        CopyField(data.szInfoTitle, m_strInfoTitle);
        CopyField(data.szInfo, m_strInfo);
        data.uTimeout = kBalloonTimeout;
        data.dwInfoFlags = NIIF_INFO;
    } else if (operation == NIM_DELETE) {
        m_strTip.Empty();
    }
    return KxGetShellCalls().notifyIcon(operation, &data);
}
