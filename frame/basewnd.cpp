// The base window: class, self-drawn title bar, caption buttons, panel tree and private messages.
#include <util/basewnd.h>
#include <util/drawfun.h>

#include "frame/ncpaint.h"

namespace {
constexpr wchar_t kClassName[] = L"KX_WINDOW";
constexpr int kTitleTextLeft = 10;
constexpr int kTitleTextGap = 5;

bool KeyHeld(int key)
{
    return (::GetKeyState(key) & 0x8000) != 0;
}
} // namespace

void CKxBaseWnd::RegisterKxWindowClass()
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
}

CKxBaseWnd::CKxBaseWnd() : m_crBk(::GetSysColor(COLOR_BTNFACE)), m_rootPanel(this, nullptr)
{
    RegisterKxWindowClass();
    m_rootPanel.SetBkColor(m_crBk);
}

CKxBaseWnd::~CKxBaseWnd()
{
    // While the members that the last messages use still live.
    DestroyWindow();
}

BOOL CKxBaseWnd::Create(const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        CCreateContext*)
{
    RegisterKxWindowClass();
    m_nTitleHeight = CKxTitleBar::HasTitleBar(style, 0) ? ::GetSystemMetrics(SM_CYCAPTION) : 0;
    const BOOL created = CreateEx(0, kClassName, windowName, style & ~WS_SYSMENU, rect, parent, id);
    if (created) {
        CRect view;
        GetViewClientRect(&view);
        m_rootPanel.MovePanel(&view);
    }
    ReLayoutNc();
    return created;
}

void CKxBaseWnd::PreSubclassWindow()
{
    InitTitleStyle();
    CWnd::PreSubclassWindow();
}

void CKxBaseWnd::OnNcDestroy()
{
    m_buttons.ReleaseImages();
    CWnd::OnNcDestroy();
}

// ---- title bar ----

bool CKxBaseWnd::HasTitleBar() const
{
    return m_hWnd != nullptr && CKxTitleBar::HasTitleBar(GetStyle(), GetExStyle());
}

int CKxBaseWnd::CalcTitleHeight()
{
    m_nTitleHeight = CKxTitleBar::CaptionHeight(GetExStyle());
    return m_nTitleHeight;
}

void CKxBaseWnd::InitTitleStyle()
{
    if (!HasTitleBar()) {
        return;
    }
    m_buttons.InitFromStyle(GetStyle(), false);
    CalcTitleHeight();
}

void CKxBaseWnd::ReLayoutNc()
{
    if (!HasTitleBar()) {
        return;
    }
    CRect frame;
    GetWindowRect(&frame);
    const int leftmost = m_buttons.Layout(m_hWnd, frame.Width(), false);
    CalcTitleHeight();
    m_rcTitleText.SetRect(kTitleTextLeft, 0, leftmost - kTitleTextGap, m_nTitleHeight);
}

void CKxBaseWnd::SetTitleText(const wchar_t* text)
{
    if (text == nullptr) {
        return;
    }
    m_strTitle = text;
    if (IsWindow()) {
        RepaintNc();
    }
}

void CKxBaseWnd::RepaintNc()
{
    SendMessage(WM_NCPAINT, 1);
}

void CKxBaseWnd::OnNcPaint()
{
    if (!HasTitleBar()) {
        Default();
        return;
    }
    NcPaintBuffer buffer(m_hWnd);
    if (buffer.ok()) {
        PaintNc(buffer.dc(), buffer.width(), buffer.height());
    }
}

void CKxBaseWnd::PaintNc(HDC dc, int width, int height)
{
    CKxTitleBar::DrawFrameAndBand(dc, m_hWnd, width, height, m_nTitleHeight, m_crFrame, 0);
    CDC* memory = CDC::FromHandle(dc);
    for (UINT button : {KXTB_CLOSE, KXTB_MIN, KXTB_RESTORE, KXTB_MAX}) {
        DrawSysButton(memory, button);
    }
    CString title = m_strTitle;
    if (title.IsEmpty()) {
        GetWindowText(title);
    }
    CKxTitleBar::DrawTitle(dc, m_rcTitleText, title, m_bNcActive ? KXTITLE_CLR_ACTIVE : KXTITLE_CLR_INACTIVE);
    DrawNcOther(memory);
}

void CKxBaseWnd::DrawSysButton(CDC* dc, UINT button)
{
    if (dc) {
        m_buttons.Draw(dc->m_hDC, button);
    }
}

void CKxBaseWnd::DrawNcOther(CDC*) {}

BOOL CKxBaseWnd::OnNcActivate(BOOL active)
{
    m_bNcActive = active;
    RepaintNc();
    return TRUE;
}

// ---- caption buttons ----

void CKxBaseWnd::OnNcMouseMove(UINT hitTest, CPoint screenPoint)
{
    bool repaint = false;
    m_buttons.TrackMove(m_hWnd, screenPoint, &repaint);
    if (repaint) {
        RepaintNc();
    }
    CWnd::OnNcMouseMove(hitTest, screenPoint);
}

void CKxBaseWnd::OnNcLButtonDown(UINT hitTest, CPoint screenPoint)
{
    bool repaint = false;
    if (!m_buttons.TrackPress(m_hWnd, screenPoint, &repaint)) {
        CWnd::OnNcLButtonDown(hitTest, screenPoint);
        return;
    }
    if (repaint) {
        RepaintNc();
    }
}

void CKxBaseWnd::OnNcLButtonUp(UINT hitTest, CPoint screenPoint)
{
    FinishPress(CKxTitleBar::ScreenToWindow(m_hWnd, screenPoint));
    CWnd::OnNcLButtonUp(hitTest, screenPoint);
}

void CKxBaseWnd::OnLButtonUp(UINT flags, CPoint point)
{
    const CRect client = CKxTitleBar::ClientInWindow(m_hWnd);
    FinishPress(CPoint(point.x + client.left, point.y + client.top));
    CWnd::OnLButtonUp(flags, point);
}

void CKxBaseWnd::OnNcMouseLeave()
{
    bool repaint = false;
    m_buttons.TrackLeave(&repaint);
    if (repaint) {
        RepaintNc();
    }
}

void CKxBaseWnd::FinishPress(POINT windowPoint)
{
    bool repaint = false;
    const UINT button = m_buttons.TrackRelease(m_hWnd, windowPoint, &repaint);
    if (repaint) {
        RepaintNc();
    }
    if (button != 0) {
        RunTitleCommand(button, windowPoint);
    }
}

void CKxBaseWnd::RunTitleCommand(UINT button, POINT windowPoint)
{
    const LPARAM where = MAKELPARAM(windowPoint.x, windowPoint.y);
    switch (button) {
    case KXTB_CLOSE:
        SendMessage(WM_CLOSE);
        break;
    case KXTB_MIN:
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, where);
        break;
    default:
        SendMessage(WM_SYSCOMMAND, IsZoomed() ? SC_RESTORE : SC_MAXIMIZE, where);
        break;
    }
}

// ---- client area ----

BOOL CKxBaseWnd::OnEraseBkgnd(CDC*)
{
    return TRUE; // derived windows paint their whole client area
}

void CKxBaseWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    ReLayoutNc();
    CRect view;
    GetViewClientRect(&view);
    m_rootPanel.MovePanel(&view);
}

void CKxBaseWnd::GetViewClientRect(RECT* rect) const
{
    if (rect == nullptr) {
        return;
    }
    if (IsWindow()) {
        GetClientRect(rect);
    } else {
        ::SetRectEmpty(rect);
    }
}

void CKxBaseWnd::SetBkColor(COLORREF color)
{
    m_crBk = color;
    m_rootPanel.SetBkColor(color);
    if (IsWindow()) {
        Invalidate(TRUE);
    }
}

CKxPanel* CKxBaseWnd::GetPanelFromPoint(POINT point)
{
    return m_rootPanel.GetPanelFromPoint(point);
}

void CKxBaseWnd::OnDrawItem(int id, DRAWITEMSTRUCT* item)
{
    if (item && item->CtlType == ODT_MENU) {
        m_menu.DrawItem(item);
        return;
    }
    CWnd::OnDrawItem(id, item);
}

void CKxBaseWnd::OnMeasureItem(int id, MEASUREITEMSTRUCT* item)
{
    if (item && item->CtlType == ODT_MENU) {
        m_menu.MeasureItem(item);
        return;
    }
    CWnd::OnMeasureItem(id, item);
}

// ---- messages ----

BOOL CKxBaseWnd::PreTranslateMessage(MSG* msg)
{
    return m_rootPanel.PreTranslateMessage(msg) || CWnd::PreTranslateMessage(msg);
}

LRESULT CKxBaseWnd::KxPreTranslateMsg(MSG* msg)
{
    return PreTranslateMessage(msg) ? 1 : 0;
}

LRESULT CKxBaseWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KX_ISKXWND:
        return 1;
    case WM_KX_SETCURSOR:
        return m_rootPanel.OnSetCursor(wParam, lParam);
    case WM_KX_PRETRANSLATE:
        return KxPreTranslateMsg(reinterpret_cast<MSG*>(wParam));
    case WM_KX_GETCLIENTRECT:
        GetViewClientRect(reinterpret_cast<RECT*>(lParam));
        return 1;
    case WM_PRINT:
        Print(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam));
        return 0;
    case WM_SETTEXT: {
        // The platform repaints its own caption with the new text: the self-drawn one goes back over it.
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (HasTitleBar()) {
            RepaintNc();
        }
        return result;
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CKxBaseWnd::Print(HDC dc, UINT flags)
{
    if (dc == nullptr || ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible())) {
        return;
    }
    CRect client(0, 0, 0, 0);
    GetClientRect(&client);
    CPoint origin(0, 0);
    if (flags & PRF_NONCLIENT) {
        origin = CKxTitleBar::ClientInWindow(m_hWnd).TopLeft();
        CRect window;
        GetWindowRect(&window);
        if (HasTitleBar()) {
            PaintNc(dc, window.Width(), window.Height());
        } else {
            CWnd::DefWindowProc(WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
        }
    }
    // The client area and then each child, bottom of the order first, at their places in the client area.
    const int saved = ::SaveDC(dc);
    ::OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    ::IntersectClipRect(dc, 0, 0, client.Width(), client.Height());
    if (flags & PRF_ERASEBKGND) {
        SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
    }
    if (flags & PRF_CLIENT) {
        SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    }
    if (flags & PRF_CHILDREN) {
        for (HWND child = ::GetWindow(::GetWindow(m_hWnd, GW_CHILD), GW_HWNDLAST); child != nullptr;
             child = ::GetWindow(child, GW_HWNDPREV)) {
            if (!::IsWindowVisible(child)) {
                continue;
            }
            CRect place;
            ::GetWindowRect(child, &place);
            ScreenToClient(&place);
            const int childSaved = ::SaveDC(dc);
            ::OffsetViewportOrgEx(dc, place.left, place.top, nullptr);
            ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT | PRF_CLIENT);
            ::RestoreDC(dc, childSaved);
        }
    }
    ::RestoreDC(dc, saved);
}

int CKxBaseWnd::CheckPeekMsgPgUpDown() const
{
    return KeyHeld(VK_NEXT) ? VK_NEXT : KeyHeld(VK_PRIOR) ? VK_PRIOR : 0;
}

int CKxBaseWnd::CheckPeekMsgUpDown() const
{
    return KeyHeld(VK_DOWN) ? VK_DOWN : KeyHeld(VK_UP) ? VK_UP : 0;
}

BOOL CKxBaseWnd::CheckPeekMsgMouseMove() const
{
    MSG msg{};
    return ::PeekMessageW(&msg, m_hWnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE);
}
