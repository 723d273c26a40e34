// The Caps Lock balloon under an edit field.
#include <util/balloon.h>
#include <util/gdi.h>

namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowMs = 50;
constexpr int kTextTop = 47;
// The class of the library's pop-ups, registered by the rich tooltip too.
constexpr wchar_t kClassName[] = L"KXToolTip";

// Steps of a rounded corner from the vertical edge to the horizontal one: 1, 2 and 4 pixels.
constexpr POINT kCornerSteps[7] = {{0, 4}, {1, 4}, {1, 2}, {2, 2}, {2, 1}, {4, 1}, {4, 0}};
constexpr int kPointerLeft = 30;
constexpr int kPointerRight = 50;

} // namespace

CKWBalloonCtrl::CKWBalloonCtrl()
    : m_strText(L"大写键盘开启，可能导致输入错误"), m_crBk(::GetSysColor(COLOR_INFOBK)),
      m_crText(::GetSysColor(COLOR_INFOTEXT))
{
    LOGFONTW logFont{};
    logFont.lfHeight = 15;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcscpy(logFont.lfFaceName, L"NSimsun");
    m_font.CreateFontIndirect(&logFont);
}

CKWBalloonCtrl::~CKWBalloonCtrl()
{
    DestroyWindow();
}

void CKWBalloonCtrl::GetOutline(POINT (&points)[POINT_COUNT])
{
    const int right = BALLOON_WIDTH, bottom = BALLOON_HEIGHT, top = BOX_TOP;
    int n = 0;
    // Clockwise from the top-left corner; each corner is the same steps turned.
    for (const POINT step : kCornerSteps) {
        points[n++] = {step.x, top + step.y};
    }
    points[n++] = {kPointerLeft, top};
    points[n++] = {kPointerLeft, 0};
    points[n++] = {kPointerRight, top};
    for (int i = 6; i >= 0; --i) {
        points[n++] = {right - kCornerSteps[i].x, top + kCornerSteps[i].y};
    }
    for (const POINT step : kCornerSteps) {
        points[n++] = {right - step.x, bottom - step.y};
    }
    for (int i = 6; i >= 0; --i) {
        points[n++] = {kCornerSteps[i].x, bottom - kCornerSteps[i].y};
    }
}

void CKWBalloonCtrl::Initialize(CWnd* target, BOOL watchCapsLock)
{
    if (target == nullptr || !target->IsWindow() || IsWindow()) {
        return;
    }
    m_pTarget = target;
    m_bWatchCapsLock = watchCapsLock;
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
    CRect targetRect;
    target->GetWindowRect(&targetRect);
    if (!CreateEx(0, kClassName, L"BalloonX", WS_POPUP | WS_CHILD | WS_DISABLED, targetRect.left, targetRect.top,
                  BALLOON_WIDTH, BALLOON_HEIGHT, target->GetSafeHwnd(), nullptr)) {
        return;
    }
    POINT outline[POINT_COUNT];
    GetOutline(outline);
    CRgn region;
    if (region.CreatePolygonRgn(outline, POINT_COUNT, WINDING) && ::SetWindowRgn(m_hWnd, region, TRUE)) {
        region.Detach(); // the window owns it now
    }
    SetTimer(kFollowTimer, kFollowMs);
}

void CKWBalloonCtrl::SetText(const wchar_t* text)
{
    m_strText = text ? text : L"";
    if (IsWindow()) {
        Invalidate(FALSE);
    }
}

void CKWBalloonCtrl::SetFont(const LOGFONTW& logFont)
{
    CFont font;
    if (!font.CreateFontIndirect(&logFont)) {
        return;
    }
    m_font.DeleteObject();
    m_font.Attach(font.Detach());
    if (IsWindow()) {
        Invalidate(FALSE);
    }
}

void CKWBalloonCtrl::Show(int showCommand)
{
    if (IsWindow()) {
        ShowWindow(showCommand);
    }
}

void CKWBalloonCtrl::FollowTarget()
{
    if (m_pTarget == nullptr || !m_pTarget->IsWindow()) {
        return;
    }
    CRect target;
    m_pTarget->GetWindowRect(&target);
    SetWindowPos(nullptr, target.left, target.bottom + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool focused = ::GetFocus() == m_pTarget->GetSafeHwnd();
    if (!focused) {
        ShowWindow(SW_HIDE);
        return;
    }
    if (!m_bWatchCapsLock) {
        return;
    }
    const bool capsLock = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    if (capsLock && !IsWindowVisible()) {
        ShowWindow(SW_SHOW);
        m_pTarget->SetFocus();
    } else if (!capsLock) {
        ShowWindow(SW_HIDE);
    }
}

void CKWBalloonCtrl::OnTimer(UINT_PTR id)
{
    if (id == kFollowTimer) {
        FollowTarget();
    } else {
        CWnd::OnTimer(id);
    }
}

BOOL CKWBalloonCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKWBalloonCtrl::OnPaint()
{
    CPaintDC dc(this);
    Render(dc);
}

LRESULT CKWBalloonCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PRINTCLIENT) {
        Render(*CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CKWBalloonCtrl::Render(CDC& dc)
{
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, m_crBk);
    POINT outline[POINT_COUNT];
    GetOutline(outline);
    // The pen draws inside the region: the right and bottom edges move in by one pixel.
    for (POINT& point : outline) {
        point.x -= point.x >= BALLOON_WIDTH - 4 ? 1 : 0;
        point.y -= point.y >= BALLOON_HEIGHT - 4 ? 1 : 0;
    }
    CPen pen(PS_SOLID, 1, m_crText);
    CBrush brush(m_crBk);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Polygon(outline, POINT_COUNT);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);

    CRect text(client.left, kTextTop, client.right, client.bottom);
    CFont* oldFont = dc.SelectObject(&m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_crText);
    dc.DrawText(m_strText.c_str(), static_cast<int>(m_strText.size()), &text, DT_CENTER | DT_VCENTER);
    dc.SelectObject(oldFont);
}

void CKWBalloonCtrl::OnDestroy()
{
    KillTimer(kFollowTimer);
    CWnd::OnDestroy();
}
