// The page tab's input: hit testing, clicks, the arrows' repeat timers, hover tracking and the tooltip.
#include <util/pagetab.h>

namespace {
constexpr UINT_PTR kArrowPauseTimer = 1001;
constexpr UINT_PTR kArrowRepeatTimer = 1002;
constexpr UINT kArrowPauseMs = 1000;
constexpr UINT kArrowRepeatMs = 500;
constexpr UINT_PTR kToolId = 1;
constexpr int kTooltipWidth = 400;
constexpr int kTooltipShowMs = 3000;
} // namespace

int CKxPageTab::FindTab(POINT point, int* part) const
{
    *part = KXPTP_NONE;
    if (!IsValidIndex(m_nFirstVisible) || !IsValidIndex(m_nLastVisible)) {
        return -1;
    }
    for (int i = m_nFirstVisible; i <= m_nLastVisible; ++i) {
        if (!::PtInRect(&m_items[i]->rect, point)) {
            continue;
        }
        RECT icon, caption;
        SplitTab(i, &icon, &caption);
        if (::PtInRect(&icon, point)) {
            *part = KXPTP_ICON;
            return i;
        }
        if (::PtInRect(&caption, point)) {
            *part = KXPTP_CAPTION;
            return i;
        }
        // The gap between an icon and its caption belongs to no tab.
    }
    return -1;
}

int CKxPageTab::HitTest(TCHITTESTINFO* info)
{
    if (info == nullptr) {
        return -1;
    }
    return FindTab(info->pt, &m_nPressPart);
}

int CKxPageTab::MoveText(TCHITTESTINFO* info)
{
    if (info == nullptr) {
        return -1;
    }
    const int index = FindTab(info->pt, &m_nHoverPart);
    if (index >= 0) {
        m_nPressPart = PRESS_OVER_TAB;
    }
    return index;
}

// ---- buttons ----

void CKxPageTab::OnLButtonDown(UINT flags, CPoint point)
{
    SetCapture();
    TCHITTESTINFO info{point, 0};
    const int index = HitTest(&info);
    if (index >= 0) {
        ClickTab(index, point);
    } else if (m_bSpinShow && m_dwSpinStyle != 1) {
        PressArrow(point);
    }
    CKxBaseWnd::OnLButtonDown(flags, point);
}

void CKxPageTab::ClickTab(int index, CPoint point)
{
    const tagPageTabItem& item = *m_items[index];
    // An empty caption makes a tab inert, where tabs have captions at all.
    if (HasCaptions() && TabKind() != KXPTS_ICON && item.szCaption[0] == L'\0') {
        return;
    }
    const int part = m_nPressPart;
    const bool iconButton = TabKind() == KXPTS_ICONCAPTION && part == KXPTP_ICON && item.nIconShow != 0;
    const bool changed = index != m_nCurSel && !iconButton;
    if (changed) {
        m_nOldSel = m_nCurSel;
        m_nCurSel = index;
    }
    m_bShowSel = true;
    Repaint();
    if (iconButton) {
        NotifyParent(KXPTN_ICONCLICK, index, point, KXPTP_ICON);
    } else if (changed) {
        CPoint at = point;
        if (TabKind() == KXPTS_ICONCAPTION && !IsVertical() && part == KXPTP_ICON) {
            at.x = item.rect.right - 1; // where a menu can drop
        }
        NotifyParent(KXPTN_SELCHANGE, index, at, part);
    }
}

void CKxPageTab::PressArrow(CPoint point)
{
    if (m_rcFirstArrow.PtInRect(point)) {
        if (m_nFirstVisible > 0) {
            m_nPressPart = PRESS_FIRST_ARROW;
            ScrollOneTab();
            SetTimer(kArrowPauseTimer, kArrowPauseMs);
        }
    } else if (m_rcSecondArrow.PtInRect(point) && !m_bAtEnd) {
        m_nPressPart = PRESS_SECOND_ARROW;
        if (ScrollOneTab()) {
            SetTimer(kArrowPauseTimer, kArrowPauseMs);
        }
    }
}

bool CKxPageTab::ScrollOneTab()
{
    bool scrolled = false;
    if (m_nPressPart == PRESS_FIRST_ARROW && m_nFirstVisible > 0) {
        --m_nFirstVisible;
        scrolled = true;
    } else if (m_nPressPart == PRESS_SECOND_ARROW && !m_bAtEnd) {
        if (m_nFirstVisible < GetItemCount() - 1) {
            ++m_nFirstVisible;
            scrolled = true;
        } else {
            m_bAtEnd = true;
        }
    }
    if (scrolled && m_bRedraw) {
        RecalcLayout();
    }
    OnLookChanged();
    return scrolled;
}

bool CKxPageTab::CursorOnPressedArrow() const
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    return (m_nPressPart == PRESS_FIRST_ARROW && m_rcFirstArrow.PtInRect(cursor)) ||
           (m_nPressPart == PRESS_SECOND_ARROW && m_rcSecondArrow.PtInRect(cursor));
}

void CKxPageTab::OnTimer(UINT_PTR id)
{
    if (id == kArrowPauseTimer) {
        KillTimer(kArrowPauseTimer);
        if (CursorOnPressedArrow()) {
            SetTimer(kArrowRepeatTimer, kArrowRepeatMs);
        }
    } else if (id == kArrowRepeatTimer) {
        if (CursorOnPressedArrow()) {
            ScrollOneTab();
        } else {
            m_nPressPart = 0;
            KillTimer(kArrowRepeatTimer);
        }
    } else {
        CKxBaseWnd::OnTimer(id);
    }
}

void CKxPageTab::OnLButtonUp(UINT flags, CPoint point)
{
    if (GetCapture() == this) {
        ::ReleaseCapture();
    }
    KillTimer(kArrowPauseTimer);
    KillTimer(kArrowRepeatTimer);
    m_nPressPart = 0;
    CKxBaseWnd::OnLButtonUp(flags, point);
}

void CKxPageTab::OnRButtonUp(UINT flags, CPoint point)
{
    TCHITTESTINFO info{point, 0};
    const int index = HitTest(&info);
    if (index >= 0) {
        NotifyParent(KXPTN_RCLICK, index, point, m_nPressPart);
    }
    CKxBaseWnd::OnRButtonUp(flags, point);
}

// ---- hover ----

void CKxPageTab::TrackHover(CPoint point)
{
    const int oldPart = m_nHoverPart;
    TCHITTESTINFO info{point, 0};
    const int index = MoveText(&info);
    if (index == m_nHover && m_nHoverPart == oldPart) {
        return;
    }
    const bool tabChanged = index != m_nHover;
    m_nHover = index;
    Repaint();
    if (tabChanged && m_bShowToolTip) {
        if (index >= 0 && m_items[index]->szTooltip[0] != L'\0') {
            ShowTabTooltip(index);
        } else {
            HideTooltip();
        }
    }
}

void CKxPageTab::OnMouseMove(UINT flags, CPoint point)
{
    TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&track);
    TrackHover(point);
    CKxBaseWnd::OnMouseMove(flags, point);
}

void CKxPageTab::OnMouseHover(UINT, CPoint)
{
    if (!m_bLeft) {
        return;
    }
    m_bLeft = false;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    TrackHover(cursor);
}

void CKxPageTab::OnMouseLeave()
{
    m_bLeft = true;
    m_nHover = -1;
    m_nHoverPart = KXPTP_NONE;
    Repaint();
}

// ---- tooltip ----

void CKxPageTab::ShowTabTooltip(int index)
{
    const wchar_t* text = m_items[index]->szTooltip;
    if (m_toolTip.GetSafeHwnd() == nullptr) {
        if (!m_toolTip.Create(this)) {
            return;
        }
        m_toolTip.Activate(FALSE);
        m_toolTip.SetMaxTipWidth(kTooltipWidth);
    }
    if (m_toolTip.GetToolCount() == 0) {
        CRect client;
        GetClientRect(&client);
        m_toolTip.AddTool(this, text, &client, kToolId);
    }
    m_toolTip.SetDelayTime(TTDT_AUTOPOP, kTooltipShowMs);
    m_toolTip.UpdateTipText(text, this, kToolId);
    m_toolTip.Activate(TRUE);
}

void CKxPageTab::HideTooltip()
{
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        m_toolTip.DestroyWindow();
    }
}

BOOL CKxPageTab::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        m_toolTip.RelayEvent(msg);
    }
    return CKxBaseWnd::PreTranslateMessage(msg);
}

// ---- window ----

void CKxPageTab::OnSize(UINT type, int cx, int cy)
{
    CKxBaseWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0 && m_bRedraw) {
        RecalcLayout();
    }
}

void CKxPageTab::OnDestroy()
{
    KillTimer(kArrowPauseTimer);
    KillTimer(kArrowRepeatTimer);
    HideTooltip();
    CKxBaseWnd::OnDestroy();
}
