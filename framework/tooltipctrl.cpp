// The tooltip control wrapper.
#include <util/tooltipctrl.h>

namespace {

TTTOOLINFOW ToolOf(const CWnd* wnd, UINT_PTR id)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    tool.uId = id;
    return tool;
}

} // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    ::InitCommonControls();
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

void CToolTipCtrl::Activate(BOOL activate)
{
    ::SendMessageW(m_hWnd, TTM_ACTIVATE, activate, 0);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const wchar_t* text, const RECT* rect, UINT_PTR id)
{
    TTTOOLINFOW tool = ToolOf(wnd, id);
    tool.lpszText = const_cast<wchar_t*>(text ? text : LPSTR_TEXTCALLBACKW);
    if (rect != nullptr) {
        tool.rect = *rect;
    } else if (wnd != nullptr) {
        wnd->GetClientRect(&tool.rect);
    }
    return static_cast<BOOL>(::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}

void CToolTipCtrl::UpdateTipText(const wchar_t* text, CWnd* wnd, UINT_PTR id)
{
    TTTOOLINFOW tool = ToolOf(wnd, id);
    tool.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CToolTipCtrl::SetDelayTime(DWORD which, int milliseconds)
{
    ::SendMessageW(m_hWnd, TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds, 0));
}

int CToolTipCtrl::SetMaxTipWidth(int width)
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_SETMAXTIPWIDTH, 0, width));
}

void CToolTipCtrl::RelayEvent(MSG* msg)
{
    ::SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
