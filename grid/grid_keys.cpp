// The grid's keyboard: page, home and end, arrows with their wrap rules, Shift ranges, Alt row moves.
#include <util/grid.h>

#include <algorithm>

namespace {
bool KeyHeld(int key)
{
    return (::GetKeyState(key) & 0x8000) != 0;
}

bool IsNavigationKey(UINT key)
{
    return key >= VK_PRIOR && key <= VK_DOWN;
}
} // namespace

void CKxGrid::OnKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (IsNavigationKey(key)) {
        OnKeyNavigate(key, KeyHeld(VK_MENU));
        return;
    }
    CKxBaseWnd::OnKeyDown(key, repeatCount, flags);
}

// Alt with an arrow arrives as a system key.
void CKxGrid::OnSysKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (IsNavigationKey(key)) {
        OnKeyNavigate(key, (flags & KF_ALTDOWN) != 0 || KeyHeld(VK_MENU));
        return;
    }
    CKxBaseWnd::OnSysKeyDown(key, repeatCount, flags);
}

void CKxGrid::OnKeyUp(UINT key, UINT repeatCount, UINT flags)
{
    if (m_bKeyNotifyPending && (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN)) {
        m_bKeyNotifyPending = 0;
        NotifyParent(GN_FOCUSCHANGED, m_nFocusItem, 1);
        return;
    }
    CKxBaseWnd::OnKeyUp(key, repeatCount, flags);
}

void CKxGrid::OnSysKeyUp(UINT key, UINT repeatCount, UINT flags)
{
    if (IsNavigationKey(key)) {
        OnKeyUp(key, repeatCount, flags);
        return;
    }
    CKxBaseWnd::OnSysKeyUp(key, repeatCount, flags);
}

void CKxGrid::OnKeyNavigate(UINT key, bool alt)
{
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
        OnPageKey(key);
        break;
    case VK_END:
    case VK_HOME:
        if (m_nItemCount > 0) {
            const int oldFocus = m_nFocusItem;
            SetSimplSel(key == VK_END ? m_nItemCount - 1 : 0, TRUE);
            NotifySelectionMove(oldFocus, m_nFocusItem);
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        Scroll(key == VK_LEFT ? -1 : 1, SCROLL_COLUMNS);
        break;
    default: {
        const int top = m_nTopIndex;
        OnArrowKey(key, alt);
        if (m_nTopIndex != top) {
            SetupScroll(0);
            RepaintOwnBars(BAR_VERT);
        }
        break;
    }
    }
}

void CKxGrid::OnPageKey(UINT key)
{
    if (m_nItemCount < 1) {
        return;
    }
    const int oldFocus = m_nFocusItem;
    const int last = m_nItemCount - 1;
    const int page = m_nCountPerPage;
    const bool focusOnPage = m_nFocusItem >= m_nTopIndex && m_nFocusItem < m_nTopIndex + page;
    int top = m_nTopIndex;
    int focus = m_nFocusItem;
    if (m_nItemCount <= page) {
        top = 0;
        focus = key == VK_PRIOR ? 0 : last;
    } else if (key == VK_PRIOR) {
        if (m_nTopIndex > 0) {
            top = std::max(0, m_nTopIndex - page);
            focus = focusOnPage ? m_nFocusItem - m_nTopIndex + top : top + page - 1;
        } else if (m_nFocusItem != 0) {
            focus = 0;
        } else {
            focus = last;
            top = m_nItemCount - page;
        }
    } else {
        const int lastTop = m_nItemCount - page;
        if (m_nTopIndex >= lastTop) {
            if (m_nFocusItem == last) {
                focus = 0;
                top = 0;
            } else {
                focus = last;
            }
        } else {
            top = std::min(m_nTopIndex + page, lastTop);
            focus = focusOnPage ? std::min(m_nFocusItem - m_nTopIndex + top, last) : top;
        }
    }
    m_nTopIndex = top;
    focus = std::max(0, focus);
    SetupScroll(0);
    ReDrawAll(FALSE);
    SetSimplSel(focus, TRUE);
    if (focus != oldFocus) {
        NotifySelectionMove(oldFocus, focus);
    }
}

void CKxGrid::OnArrowKey(UINT key, bool alt)
{
    if (m_nItemCount < 1) {
        return;
    }
    const int step = key == VK_UP ? -1 : 1;
    if (KeyHeld(VK_SHIFT)) {
        // The focus stays inside the rows: Shift+Up on the first row and Shift+Down on the last do nothing.
        const int focus = std::max(m_nFocusItem, 0) + step;
        if (focus >= 0 && focus < m_nItemCount) {
            ExtendSelectionTo(focus);
        }
        return;
    }
    if (alt && m_bRedraw && m_bRowDrag) {
        const bool canMove = step < 0 ? m_nFocusItem > 0 : m_nFocusItem >= 0 && m_nFocusItem < m_nItemCount - 1;
        if (canMove) {
            MoveRowByKey(step);
            return;
        }
    }
    const int oldFocus = m_nFocusItem;
    int focus = oldFocus + step;
    if (step < 0 && oldFocus <= 0) {
        focus = m_nItemCount - 1;
    } else if (step > 0 && (oldFocus >= m_nItemCount - 1 || oldFocus < 0)) {
        focus = 0;
    }
    SetSimplSel(focus, TRUE);
    if (focus != oldFocus) {
        NotifySelectionMove(oldFocus, focus);
    }
}

void CKxGrid::ExtendSelectionTo(int focus)
{
    const int oldFocus = m_nFocusItem;
    if (m_nAnchor < 0 || m_nAnchor >= m_nItemCount) {
        m_nAnchor = std::max(oldFocus, 0);
    }
    m_nFocusItem = focus;
    if (focus == m_nAnchor) {
        const std::vector<int> previous = m_selection.Items();
        for (int row : previous) {
            if (row != focus) {
                NotifyParent(GN_SELCHANGED, row, 0);
            }
        }
        SetSimplSel(focus, TRUE);
    } else {
        SelectRangeWithAnchor(focus);
        if (oldFocus >= 0) {
            RedrawItems(oldFocus, oldFocus);
        }
        EnsureVisible(focus);
        const CRect client = GetClientRect();
        CopyToWindow(CRect(client.left, client.top + m_nHeaderHeight, client.right, client.bottom));
        if (m_bSizing) {
            HDC windowDC = ::GetDC(m_hWnd);
            DrawAdjectColWidthLine(windowDC, m_nSizingLineX, -1);
            ::ReleaseDC(m_hWnd, windowDC);
        }
    }
    NotifyFocusChange(GN_FOCUSMOVING, oldFocus, focus);
    m_bKeyNotifyPending = 1;
}

// Alt with an arrow and row dragging on: the focus row changes places with its neighbour.
void CKxGrid::MoveRowByKey(int step)
{
    const int source = m_nFocusItem;
    const int target = source + step;
    GRIDNOTIFY notify{};
    notify.hdr.code = GN_ROWMOVED;
    notify.nItem = source;
    notify.nSubItem = step < 0 ? target : source + 2;
    m_nFocusItem = target;
    if (IsCallback()) {
        SendNotify(notify);
        SetSimplSel(target, TRUE);
        return;
    }
    if (ValidStoredRow(source) && ValidStoredRow(target)) {
        std::swap(m_rows[source], m_rows[target]);
    }
    SetSimplSel(target, TRUE);
    RedrawItems(std::min(source, target), std::max(source, target));
    SendNotify(notify);
}
