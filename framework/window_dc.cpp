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
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC) {
        ::EndPaint(m_hWnd, &m_ps);
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
