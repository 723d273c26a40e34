#include <util/gdi.h>
#include <util/wnd.h>

namespace {
HWND HandleOf(const CWnd* wnd)
{
    return wnd ? wnd->GetSafeHwnd() : nullptr;
}
} // namespace

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(HandleOf(wnd))
{
    const MSG* current = CWnd::GetCurrentMessage();
    m_bPrinting = current != nullptr && current->message == WM_PRINTCLIENT && current->hwnd == m_hWnd &&
                  current->wParam != 0;
    if (m_bPrinting) {
        m_ps.hdc = reinterpret_cast<HDC>(current->wParam);
        ::GetClientRect(m_hWnd, &m_ps.rcPaint);
        Attach(m_ps.hdc);
        return;
    }
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC) {
        if (!m_bPrinting) {
            ::EndPaint(m_hWnd, &m_ps);
        }
        Detach();
    }
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(HandleOf(wnd))
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    if (m_hDC) {
        ::ReleaseDC(m_hWnd, Detach());
    }
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(HandleOf(wnd))
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    if (m_hDC) {
        ::ReleaseDC(m_hWnd, Detach());
    }
}
