// The plain child view with a reusable memory device context.
#include <util/basedlg.h>

namespace {
constexpr wchar_t kClassName[] = L"KX_VIEW";
}

CBaseView::CBaseView()
{
    CBaseView::RegisterWindowClass();
    m_crBk = RGB(0, 0, 0);
    m_rootPanel.SetBkColor(m_crBk);
}

CBaseView::~CBaseView()
{
    DestroyWindow();
    DeleteMemDC();
}

BOOL CBaseView::RegisterWindowClass()
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CBaseView::Create(const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, CCreateContext*)
{
    if (!RegisterWindowClass()) {
        return FALSE;
    }
    return CreateEx(0, kClassName, windowName, style, rect, parent, id);
}

int CBaseView::OnCreate(CREATESTRUCTW* cs)
{
    const int result = CKxBaseWnd::OnCreate(cs);
    if (result != -1) {
        PostMessage(WM_KX_VIEWCREATED);
    }
    return result;
}

LRESULT CBaseView::OnCreateSucess()
{
    OnViewCreated();
    return 0;
}

LRESULT CBaseView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KX_VIEWCREATED) {
        return OnCreateSucess();
    }
    return CKxBaseWnd::WindowProc(message, wParam, lParam);
}

void CBaseView::OnNcDestroy()
{
    DeleteMemDC();
    CKxBaseWnd::OnNcDestroy();
}

HDC CBaseView::BeginMemPaint(const RECT*)
{
    if (m_hWindowDC != nullptr || !IsWindow()) {
        return nullptr;
    }
    m_hWindowDC = ::GetDC(m_hWnd);
    if (m_hWindowDC == nullptr) {
        return nullptr;
    }
    CRect client;
    GetClientRect(&client);
    if (m_hMemDC && (client.Width() != m_nMemWidth || client.Height() != m_nMemHeight)) {
        FreeMemBitmap();
    }
    if (m_hMemDC == nullptr) {
        m_hMemDC = ::CreateCompatibleDC(m_hWindowDC);
        m_hMemBitmap = ::CreateCompatibleBitmap(m_hWindowDC, client.Width(), client.Height());
        if (m_hMemDC == nullptr || m_hMemBitmap == nullptr) {
            EndMemPaint();
            DeleteMemDC();
            return nullptr;
        }
        m_hOldBitmap = ::SelectObject(m_hMemDC, m_hMemBitmap);
        m_nMemWidth = client.Width();
        m_nMemHeight = client.Height();
    }
    return m_hMemDC;
}

BOOL CBaseView::EndMemPaint()
{
    if (m_hWindowDC) {
        ::ReleaseDC(m_hWnd, m_hWindowDC);
        m_hWindowDC = nullptr;
    }
    return TRUE;
}

BOOL CBaseView::FreeMemBitmap()
{
    BOOL deleted = TRUE;
    if (m_hMemDC) {
        ::SelectObject(m_hMemDC, m_hOldBitmap);
        deleted = ::DeleteDC(m_hMemDC) && deleted;
        m_hMemDC = nullptr;
        m_hOldBitmap = nullptr;
    }
    if (m_hMemBitmap) {
        deleted = ::DeleteObject(m_hMemBitmap) && deleted;
        m_hMemBitmap = nullptr;
    }
    m_nMemWidth = m_nMemHeight = 0;
    return deleted;
}

BOOL CBaseView::DeleteMemDC()
{
    const BOOL deleted = FreeMemBitmap();
    EndMemPaint();
    return deleted;
}
