// The buddy scroll bar's input: presses, drags, auto-repeat and the thread's wheel routing.
#include <util/scrollbar.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr UINT_PTR kFirstRepeatTimer = 1001;
constexpr UINT_PTR kRepeatTimer = 1002;
constexpr UINT kFirstRepeatDelay = 1000;
constexpr UINT kRepeatInterval = 50;

// Which vertical bar scrolls for which buddy, for the mouse hook of one thread. It exists while the
// thread has a registered bar. A bar leaves it when it is destroyed and its old route goes when it
// takes another buddy, so that no message reaches a dead or reused handle.
struct WheelRouting {
    HHOOK hook = nullptr;
    std::map<HWND, HWND> barOfBuddy;
    std::set<HWND> bars;
};

thread_local WheelRouting* t_routing = nullptr;

void ForgetRoutesTo(HWND bar)
{
    if (t_routing == nullptr) {
        return;
    }
    auto& routes = t_routing->barOfBuddy;
    for (auto route = routes.begin(); route != routes.end();) {
        route = route->second == bar ? routes.erase(route) : std::next(route);
    }
}

void RouteWheel(HWND buddy, HWND bar, HOOKPROC filter)
{
    if (t_routing == nullptr) {
        t_routing = new WheelRouting;
    }
    ForgetRoutesTo(bar);
    t_routing->barOfBuddy[buddy] = bar;
    t_routing->bars.insert(bar);
    if (t_routing->hook == nullptr) {
        t_routing->hook = ::SetWindowsHookExW(WH_MOUSE, filter, nullptr, ::GetCurrentThreadId());
    }
}

void UnregisterBar(HWND bar)
{
    if (t_routing == nullptr) {
        return;
    }
    ForgetRoutesTo(bar);
    t_routing->bars.erase(bar);
    if (t_routing->bars.empty()) {
        if (t_routing->hook) {
            ::UnhookWindowsHookEx(t_routing->hook);
        }
        delete t_routing;
        t_routing = nullptr;
    }
}

// The system's lines per wheel notch; a setting of "one page" scrolls by the page.
int WheelLines(UINT page)
{
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    return static_cast<int>(lines == WHEEL_PAGESCROLL ? page : lines);
}

} // namespace

// ---- buddy and wheel routing ----

void CKxScrollBar::ForgetBuddy()
{
    if (m_hWnd) {
        ForgetRoutesTo(m_hWnd);
    }
    m_hBuddy = nullptr;
}

CWnd* CKxScrollBar::SetBuddy(CWnd* buddy)
{
    ForgetBuddy();
    if (buddy == nullptr || buddy->GetSafeHwnd() == nullptr) {
        return nullptr;
    }
    m_hBuddy = buddy->GetSafeHwnd();
    ::SendMessageW(m_hBuddy, WM_KX_SCROLLBUDDY, IsVertical() ? 0 : 1, reinterpret_cast<LPARAM>(m_hWnd));
    if (IsVertical() && m_hWnd) {
        RouteWheel(m_hBuddy, m_hWnd, &ScrollBarInputFilter);
    }
    return buddy;
}

CWnd* CKxScrollBar::GetBuddy() const
{
    return ::IsWindow(m_hBuddy) ? CWnd::FromHandle(m_hBuddy) : nullptr;
}

void CKxScrollBar::OnDestroy()
{
    ReleaseParts();
    UnregisterBar(m_hWnd);
    CWnd::OnDestroy();
}

LRESULT CALLBACK CKxScrollBar::ScrollBarInputFilter(int code, WPARAM wParam, LPARAM lParam)
{
    const WheelRouting* routing = t_routing;
    if (code == HC_ACTION && wParam == WM_MOUSEWHEEL && routing && lParam) {
        const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(lParam);
        if (routing->bars.count(mouse->hwnd)) {
            return 1;
        }
        for (HWND window = ::GetFocus(); window; window = ::GetParent(window)) {
            const auto route = routing->barOfBuddy.find(window);
            if (route != routing->barOfBuddy.end()) {
                ::PostMessageW(route->second, WM_KX_SCROLLWHEEL, mouse->mouseData, MAKELPARAM(mouse->pt.x, mouse->pt.y));
                return 1;
            }
        }
    }
    return ::CallNextHookEx(routing ? routing->hook : nullptr, code, wParam, lParam);
}

LRESULT CKxScrollBar::OnMouseWheelRouted(WPARAM mouseData, LPARAM)
{
    const long long span = static_cast<long long>(m_si.nMax) - m_si.nMin;
    if (!IsVertical() || static_cast<long long>(m_si.nPage) >= span) {
        return 1;
    }
    const short delta = static_cast<short>(HIWORD(mouseData));
    if (delta == -WHEEL_DELTA || delta == WHEEL_DELTA) {
        const int lines = WheelLines(m_si.nPage);
        const long long target = static_cast<long long>(m_nPos) + (delta < 0 ? lines : -lines);
        const int limit = GetScrollLimit();
        if (target >= limit || target <= 0) {
            m_nPos = target >= limit ? limit : 0;
            NotifyWnd(m_nPos, SB_THUMBPOSITION);
            NotifyWnd(m_nPos, SB_ENDSCROLL);
        } else {
            m_nPos = static_cast<int>(target);
            NotifyWnd(m_nPos, SB_THUMBPOSITION);
        }
    }
    CalcBar(0);
    Repaint();
    return 1;
}

// ---- presses and drags ----

const CRect* CKxScrollBar::RectOf(Part part) const
{
    switch (part) {
    case kArrow1:
        return &m_rcArrow1;
    case kArrow2:
        return &m_rcArrow2;
    case kPage1:
        return &m_rcPage1;
    case kPage2:
        return &m_rcPage2;
    default:
        return nullptr;
    }
}

CKxScrollBar::Part CKxScrollBar::PartAt(POINT point) const
{
    for (Part part : {kArrow1, kArrow2, kPage1, kPage2}) {
        if (RectOf(part)->PtInRect(point)) {
            return part;
        }
    }
    return kNoPart;
}

CKxScrollBar::Part CKxScrollBar::HeldPart() const
{
    if (m_bArrow1Down) {
        return kArrow1;
    }
    if (m_bArrow2Down) {
        return kArrow2;
    }
    if (m_bPage1Down) {
        return kPage1;
    }
    return m_bPage2Down ? kPage2 : kNoPart;
}

void CKxScrollBar::HoldPart(Part part)
{
    m_bArrow1Down = part == kArrow1;
    m_bArrow2Down = part == kArrow2;
    m_bPage1Down = part == kPage1;
    m_bPage2Down = part == kPage2;
    SetTimer(kFirstRepeatTimer, kFirstRepeatDelay);
}

void CKxScrollBar::ReleaseParts()
{
    KillTimer(kFirstRepeatTimer);
    KillTimer(kRepeatTimer);
    m_bArrow1Down = m_bArrow2Down = m_bPage1Down = m_bPage2Down = 0;
    m_bDragging = 0;
    m_bRepeating = 0;
}

void CKxScrollBar::StepPart(Part part, bool repeating)
{
    const int limit = std::max(0, GetScrollLimit());
    const int page = static_cast<int>(m_si.nPage);
    const int before = m_nPos;
    switch (part) {
    case kArrow1:
    case kArrow2: {
        const bool up = part == kArrow1;
        const long long target = static_cast<long long>(m_nPos) + (up ? -1 : 1);
        m_nPos = static_cast<int>(std::max(0LL, std::min<long long>(target, limit)));
        if (m_nPos != target) {
            // Held against an end: no step, no notification.
            break;
        }
        if (!repeating) {
            Repaint();
        }
        NotifyWnd(m_nPos, up ? SB_LINEUP : SB_LINEDOWN);
        break;
    }
    case kPage1:
    case kPage2: {
        const bool up = part == kPage1;
        if (before == (up ? 0 : limit)) {
            break;
        }
        const long long target = static_cast<long long>(m_nPos) + (up ? -page : page);
        m_nPos = static_cast<int>(std::max(0LL, std::min<long long>(target, limit)));
        if (repeating) {
            // The repeated page steps report where the step started.
            NotifyWnd(before, up ? SB_PAGEUP : SB_PAGEDOWN);
        } else {
            Repaint();
            NotifyWnd(m_nPos, up ? SB_PAGEUP : SB_PAGEDOWN);
        }
        break;
    }
    default:
        return;
    }
    if (repeating) {
        CalcBar(0);
        Repaint();
    }
}

void CKxScrollBar::OnLButtonDown(UINT, CPoint point)
{
    SetCapture();
    m_ptLastMouse = point;
    const Part part = PartAt(point);
    if (part != kNoPart) {
        HoldPart(part);
        StepPart(part, false);
    } else if (m_rcThumb.PtInRect(point)) {
        m_ptPress = point;
        m_bDragging = 1;
        m_nGrab = AlongAxis(point) - m_nThumbPos;
        Repaint();
    }
}

void CKxScrollBar::OnLButtonDblClk(UINT, CPoint point)
{
    m_ptLastMouse = point;
    const Part part = PartAt(point);
    if (part != kNoPart) {
        HoldPart(part);
        StepPart(part, false);
    }
}

void CKxScrollBar::OnMouseMove(UINT flags, CPoint point)
{
    m_ptLastMouse = point;
    if (HeldPart() != kNoPart) {
        return;
    }
    if (m_bDragging || m_bRepeating) {
        const int before = m_nPos;
        m_nThumbPos = AlongAxis(point) - m_nGrab;
        CalcBar(1);
        Repaint();
        if (m_nPos != before) {
            NotifyWnd(m_nPos, SB_THUMBTRACK);
        }
    }
    CWnd::OnMouseMove(flags, point);
}

void CKxScrollBar::OnLButtonUp(UINT, CPoint)
{
    ReleaseParts();
    if (GetCapture() == this) {
        ::ReleaseCapture();
    }
}

void CKxScrollBar::OnCaptureChanged(CWnd* wnd)
{
    // A press that lost the mouse to another window must not go on repeating.
    if (wnd != this) {
        ReleaseParts();
    }
    CWnd::OnCaptureChanged(wnd);
}

void CKxScrollBar::OnTimer(UINT_PTR id)
{
    const Part part = HeldPart();
    const bool pointerOnPart = part != kNoPart && RectOf(part)->PtInRect(m_ptLastMouse);
    if (id == kFirstRepeatTimer) {
        KillTimer(kFirstRepeatTimer);
        if (pointerOnPart) {
            m_bRepeating = 1;
            SetTimer(kRepeatTimer, kRepeatInterval);
        }
    } else if (id == kRepeatTimer) {
        if (!m_bRepeating || !pointerOnPart) {
            m_bRepeating = 0;
            KillTimer(kRepeatTimer);
            return;
        }
        StepPart(part, true);
    } else {
        CWnd::OnTimer(id);
    }
}
