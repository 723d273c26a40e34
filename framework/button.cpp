#include <util/button.h>

CButton::~CButton() = default;

BOOL CButton::Create(const wchar_t* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(L"BUTTON", caption, style, rect, parent, id);
}

int CButton::GetCheck() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CButton::SetCheck(int check)
{
    ::SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

UINT CButton::GetState() const
{
    return static_cast<UINT>(::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0));
}

void CButton::SetState(BOOL highlight)
{
    ::SendMessageW(m_hWnd, BM_SETSTATE, static_cast<WPARAM>(highlight), 0);
}

UINT CButton::GetButtonStyle() const
{
    return static_cast<UINT>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & 0xFFFF;
}

void CButton::SetButtonStyle(UINT style, BOOL redraw)
{
    ::SendMessageW(m_hWnd, BM_SETSTYLE, style, static_cast<LPARAM>(redraw));
}

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM) {
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return TRUE;
}
