#include <util/tooltipctrl.h>

#include <commctrl.h>

#include <vector>

namespace {

// The record size every version of the control accepts.
TTTOOLINFOW ToolOf(const CWnd* wnd, UINT_PTR toolId)
{
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = wnd ? wnd->m_hWnd : nullptr;
    info.uId = toolId;
    return info;
}

} // namespace

CToolTipCtrl::~CToolTipCtrl() = default;

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const wchar_t* text, const RECT* rect, UINT_PTR toolId)
{
    if (wnd == nullptr || wnd->m_hWnd == nullptr) {
        return FALSE;
    }
    TTTOOLINFOW info = ToolOf(wnd, toolId);
    if (rect) {
        info.rect = *rect;
    } else {
        ::GetClientRect(wnd->m_hWnd, &info.rect);
    }
    info.lpszText = const_cast<wchar_t*>(text ? text : L"");
    return static_cast<BOOL>(::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR toolId)
{
    TTTOOLINFOW info = ToolOf(wnd, toolId);
    ::SendMessageW(m_hWnd, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}

void CToolTipCtrl::UpdateTipText(const wchar_t* text, CWnd* wnd, UINT_PTR toolId)
{
    TTTOOLINFOW info = ToolOf(wnd, toolId);
    info.lpszText = const_cast<wchar_t*>(text ? text : L"");
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::GetText(CString& text, CWnd* wnd, UINT_PTR toolId) const
{
    // The control copies at most 80 characters into the caller's buffer unless asked with a size
    // (TTM_GETTEXTW's wParam), which older versions ignore: give room for the longest text either way.
    std::vector<wchar_t> buffer(1024, L'\0');
    TTTOOLINFOW info = ToolOf(wnd, toolId);
    info.lpszText = buffer.data();
    ::SendMessageW(m_hWnd, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.back() = L'\0';
    text = buffer.data();
}

void CToolTipCtrl::Activate(BOOL activate)
{
    ::SendMessageW(m_hWnd, TTM_ACTIVATE, static_cast<WPARAM>(activate), 0);
}

int CToolTipCtrl::SetMaxTipWidth(int width)
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_SETMAXTIPWIDTH, 0, width));
}

int CToolTipCtrl::GetMaxTipWidth() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETMAXTIPWIDTH, 0, 0));
}

void CToolTipCtrl::SetDelayTime(DWORD which, int milliseconds)
{
    ::SendMessageW(m_hWnd, TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds, 0));
}

int CToolTipCtrl::GetDelayTime(DWORD which) const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETDELAYTIME, which, 0));
}

void CToolTipCtrl::RelayEvent(MSG* msg)
{
    ::SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
