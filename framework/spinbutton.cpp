#include <util/spinbutton.h>

BOOL CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // The class is registered by the common controls library; make sure it is.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&classes);
    return CWnd::Create(UPDOWN_CLASSW, nullptr, style, rect, parent, id);
}

void CSpinButtonCtrl::SetRange32(int lower, int upper)
{
    ::SendMessageW(m_hWnd, UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

int CSpinButtonCtrl::SetPos32(int position)
{
    return static_cast<int>(::SendMessageW(m_hWnd, UDM_SETPOS32, 0, static_cast<LPARAM>(position)));
}

int CSpinButtonCtrl::GetPos32(BOOL* error) const
{
    return static_cast<int>(::SendMessageW(m_hWnd, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    const auto previous = reinterpret_cast<HWND>(
        ::SendMessageW(m_hWnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->GetSafeHwnd() : nullptr), 0));
    return previous ? CWnd::FromHandle(previous) : nullptr;
}
