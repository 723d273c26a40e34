// The tree extension: presses, clicks, drags, the rubber band, hot tracking, focus and size.
#include <util/kxtreectrl.h>

#include <cstdlib>

namespace {

constexpr UINT_PTR kBandTimer = 1;
constexpr UINT kBandTimerElapse = 75;
constexpr UINT_PTR kHotTimer = 85;
constexpr UINT kHotTimerElapse = 55;
constexpr UINT kOnItemParts = TVHT_ONITEMICON | TVHT_ONITEMLABEL;

CPoint PointOf(LPARAM lParam)
{
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

bool BeyondDragDistance(CPoint from, CPoint to)
{
    return std::abs(to.x - from.x) > ::GetSystemMetrics(SM_CXDRAG) ||
           std::abs(to.y - from.y) > ::GetSystemMetrics(SM_CYDRAG);
}

bool IsButtonUp(UINT message)
{
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP;
}

// The rubber band as drawn on the screen; drawing it twice erases it.
class BandOutline {
public:
    explicit BandOutline(HWND tree) : m_tree(tree) {}
    ~BandOutline() { Erase(); }
    BandOutline(const BandOutline&) = delete;
    BandOutline& operator=(const BandOutline&) = delete;

    void Erase()
    {
        if (m_drawn) {
            Toggle();
            m_drawn = false;
        }
    }
    void Draw(const CRect& rect)
    {
        m_rect = rect;
        Toggle();
        m_drawn = true;
    }

private:
    void Toggle() const
    {
        HDC dc = ::GetDC(m_tree);
        ::DrawFocusRect(dc, &m_rect);
        ::ReleaseDC(m_tree, dc);
    }

    HWND m_tree;
    CRect m_rect;
    bool m_drawn = false;
};

// A WM_QUIT taken by a modal loop goes back into the queue for the loop that owns it.
class QuitKeeper {
public:
    ~QuitKeeper()
    {
        if (m_quit) {
            ::PostQuitMessage(m_code);
        }
    }
    // False (and the exit code kept) when the message was WM_QUIT.
    bool Get(MSG& msg)
    {
        if (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            return true;
        }
        m_quit = msg.message == WM_QUIT;
        m_code = static_cast<int>(msg.wParam);
        return false;
    }

private:
    bool m_quit = false;
    int m_code = 0;
};

void Dispatch(MSG& msg)
{
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

} // namespace

// ---- presses ----

void CXTTreeBase::OnLButtonDown(UINT flags, CPoint point)
{
    if (!m_bMulti || !OnButtonDown(TRUE, flags, point)) {
        m_pTree->Default();
    }
}

void CXTTreeBase::OnRButtonDown(UINT, CPoint point)
{
    if (m_bMulti) {
        UINT hit = 0;
        const HTREEITEM item = m_pTree->HitTest(point, &hit);
        if (item == nullptr || (hit & TVHT_ONITEM) == 0) {
            SelectAll(FALSE);
        } else if (!IsSelected(item)) {
            SelectAllIgnore(FALSE, item);
            SelectItem(item);
        }
    }
    m_pTree->Default();
}

BOOL CXTTreeBase::OnButtonDown(BOOL left, UINT flags, CPoint point)
{
    UINT hit = 0;
    const HTREEITEM item = m_pTree->HitTest(point, &hit);
    const DWORD style = TreeStyle();
    const bool onStateIcon = (hit & TVHT_ONITEMSTATEICON) != 0 && (!left || (style & TVS_CHECKBOXES) != 0);
    if (item && ((hit & TVHT_ONITEMBUTTON) != 0 || onStateIcon)) {
        return FALSE;
    }
    const bool onItem = item != nullptr && (hit & kOnItemParts) != 0;
    if ((style & TVS_EDITLABELS) != 0) {
        const bool onFocusItem = item != nullptr && item == GetFocusedItem();
        const bool plain = (flags & (MK_CONTROL | MK_SHIFT)) == 0;
        if (left && plain && onFocusItem && (hit & TVHT_ONITEMLABEL) != 0 && m_bLabelClickArmed) {
            // The tree view starts editing the label of its caret item.
            SelectAllIgnore(FALSE, item);
            SelectItem(item);
            return FALSE;
        }
        if (onFocusItem && (hit & (kOnItemParts | TVHT_ONITEMSTATEICON)) != 0) {
            m_bLabelClickArmed = TRUE;
        } else if (!onItem) {
            m_bLabelClickArmed = FALSE;
        }
    }
    if (onItem) {
        DoPreSelection(item, left, flags);
        DoAction(item, left, flags, point);
    } else {
        DoBanding(flags, point);
    }
    return TRUE;
}

void CXTTreeBase::DoPreSelection(HTREEITEM item, BOOL left, UINT flags)
{
    const bool shift = (flags & MK_SHIFT) != 0;
    const bool ctrl = (flags & MK_CONTROL) != 0;
    if (!left && (shift || ctrl)) {
        if (!shift) {
            m_hAnchor = item;
        }
        return;
    }
    if (left && shift) {
        if (m_hAnchor == nullptr) {
            m_hAnchor = GetFocusedItem();
        }
        FocusItem(item);
        SelectItems(m_hAnchor ? m_hAnchor : item, item, !ctrl);
        return;
    }
    if (!ctrl && !IsSelected(item)) {
        SelectAllIgnore(FALSE, item);
        SelectItem(item);
    }
    m_hAnchor = nullptr;
}

bool CXTTreeBase::TrackPress(CPoint point, bool* released)
{
    *released = false;
    const HWND tree = m_pTree->m_hWnd;
    m_pTree->SetCapture();
    QuitKeeper queue;
    MSG msg{};
    bool dragged = false;
    while (::GetCapture() == tree && queue.Get(msg)) {
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == tree) {
            if (BeyondDragDistance(point, PointOf(msg.lParam))) {
                dragged = true;
                break;
            }
        } else if (IsButtonUp(msg.message)) {
            *released = true;
            break;
        } else {
            Dispatch(msg);
        }
    }
    if (::GetCapture() == tree) {
        ::ReleaseCapture();
    }
    return dragged;
}

void CXTTreeBase::DoAction(HTREEITEM item, BOOL left, UINT flags, CPoint point)
{
    bool released = false;
    const bool dragged = TrackPress(point, &released);
    if (released) {
        m_bActionDone = TRUE;
        if (left && (flags & MK_SHIFT) == 0) {
            if ((flags & MK_CONTROL) != 0) {
                ChangeSelection(item, !IsSelected(item));
                FocusItem(item);
            } else {
                SelectAllIgnore(FALSE, item);
                SelectItem(item);
            }
        }
        m_pTree->SetFocus();
        NMHDR click{m_pTree->m_hWnd, static_cast<UINT_PTR>(m_pTree->GetDlgCtrlID()),
                    static_cast<UINT>(left ? NM_CLICK : NM_RCLICK)};
        SendNotify(&click);
    } else if (dragged) {
        m_bActionDone = TRUE;
        SelectItem(item);
        if ((TreeStyle() & TVS_DISABLEDRAGDROP) == 0) {
            NotifyItem(left ? TVN_BEGINDRAGW : TVN_BEGINRDRAGW, item, GetItemState(item, TVIS_SELECTED), true,
                       point);
        }
    }
}

// ---- the rubber band ----

void CXTTreeBase::DoBanding(UINT flags, CPoint point)
{
    const HWND tree = m_pTree->m_hWnd;
    const bool modified = (flags & (MK_CONTROL | MK_SHIFT)) != 0;
    m_pTree->SetFocus();
    m_pTree->SetCapture();
    std::unordered_set<HTREEITEM> remembered;
    m_bandTouched.clear();
    if (modified) {
        std::vector<HTREEITEM> selected;
        GetSelectedList(selected);
        remembered.insert(selected.begin(), selected.end());
    }
    m_pTree->SetTimer(kBandTimer, kBandTimerElapse);
    // The band's fixed corner stays on the content under the press while the tree scrolls; the
    // vertical scroll position counts items.
    const auto scrolled = [this, tree]() {
        return CSize(::GetScrollPos(tree, SB_HORZ), ::GetScrollPos(tree, SB_VERT) * m_pTree->GetItemHeight());
    };
    const CPoint pressed = point + scrolled();
    BandOutline outline(tree);
    bool banding = false;
    QuitKeeper queue;
    MSG msg{};
    while (::GetCapture() == tree && queue.Get(msg)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SelectAll(FALSE);
            break;
        }
        if (IsButtonUp(msg.message)) {
            break;
        }
        const bool tick = msg.message == WM_TIMER && msg.hwnd == tree && msg.wParam == kBandTimer;
        if (!tick && !(msg.message == WM_MOUSEMOVE && msg.hwnd == tree)) {
            Dispatch(msg);
            continue;
        }
        CRect client;
        m_pTree->GetClientRect(&client);
        CPoint now;
        if (tick) {
            ::GetCursorPos(&now);
            m_pTree->ScreenToClient(&now);
            if (client.PtInRect(now)) {
                continue;
            }
        } else {
            now = PointOf(msg.lParam);
        }
        if (!banding) {
            if (!BeyondDragDistance(point, now)) {
                continue;
            }
            banding = true;
            if (!modified) {
                SelectAll(FALSE);
            }
        }
        outline.Erase();
        if (now.y < client.top || now.y >= client.bottom) {
            m_pTree->SendMessage(WM_VSCROLL, now.y < client.top ? SB_LINEUP : SB_LINEDOWN);
        }
        if (now.x < client.left || now.x >= client.right) {
            m_pTree->SendMessage(WM_HSCROLL, now.x < client.left ? SB_LINELEFT : SB_LINERIGHT);
        }
        CRect band(pressed - scrolled(), now);
        band.NormalizeRect();
        UpdateSelectionForRect(band, flags, remembered);
        m_pTree->UpdateWindow();
        outline.Draw(band);
    }
    m_pTree->KillTimer(kBandTimer);
    m_bandTouched.clear();
    if (::GetCapture() == tree) {
        ::ReleaseCapture();
    }
    outline.Erase();
    if (!banding && !modified) {
        SelectAll(FALSE);
    }
}

void CXTTreeBase::UpdateSelectionForRect(const CRect& band, UINT flags, std::unordered_set<HTREEITEM>& remembered)
{
    const bool ctrl = (flags & MK_CONTROL) != 0;
    const bool shift = (flags & MK_SHIFT) != 0;
    // Rows lie in display order from the top of the screen: the walk goes down from there, then up,
    // each way only as far as rows still reach the band.
    std::unordered_set<HTREEITEM> under;
    const auto reachesBand = [this, &band](HTREEITEM item, bool down) {
        CRect row;
        return m_pTree->GetItemRect(item, &row, FALSE) && (down ? row.top < band.bottom : row.bottom > band.top);
    };
    const auto consider = [&](HTREEITEM item) {
        CRect area;
        CRect overlap;
        if (!m_pTree->GetItemRect(item, &area, m_bBandingHit) || !overlap.IntersectRect(&area, &band)) {
            return;
        }
        under.insert(item);
        const bool wasRemembered = remembered.count(item) != 0;
        if (shift && wasRemembered) {
            remembered.erase(item);
        }
        ChangeSelection(item, !(ctrl && wasRemembered));
        m_bandTouched.insert(item);
    };
    const HTREEITEM top = m_pTree->GetFirstVisibleItem();
    for (HTREEITEM item = top; item != nullptr && reachesBand(item, true); item = m_pTree->GetNextVisibleItem(item)) {
        consider(item);
    }
    for (HTREEITEM item = top ? m_pTree->GetPrevVisibleItem(top) : nullptr; item != nullptr && reachesBand(item, false);
         item = m_pTree->GetPrevVisibleItem(item)) {
        consider(item);
    }
    // Outside the band only remembered items stay selected. The notifications may delete items,
    // which leave the set: it is not walked while they go out.
    std::vector<HTREEITEM> left;
    for (const HTREEITEM touched : m_bandTouched) {
        if (under.count(touched) == 0) {
            left.push_back(touched);
        }
    }
    for (const HTREEITEM item : left) {
        if (m_bandTouched.erase(item) != 0) {
            ChangeSelection(item, remembered.count(item) != 0);
        }
    }
}

// ---- hot tracking, focus and size ----

void CXTTreeBase::SetHotItem(HTREEITEM item)
{
    if (item == m_hHotItem) {
        return;
    }
    m_hHotItem = item;
    m_pTree->Invalidate(FALSE);
    if (item) {
        m_pTree->SetTimer(kHotTimer, kHotTimerElapse);
    } else {
        m_pTree->KillTimer(kHotTimer);
    }
}

void CXTTreeBase::OnMouseMove(UINT, CPoint point)
{
    if ((TreeStyle() & TVS_TRACKSELECT) != 0) {
        UINT hit = 0;
        const HTREEITEM item = m_pTree->HitTest(point, &hit);
        SetHotItem((hit & (kOnItemParts | TVHT_ONITEMSTATEICON)) != 0 ? item : nullptr);
    }
    m_pTree->Default();
}

void CXTTreeBase::OnNcMouseMove(UINT, CPoint)
{
    SetHotItem(nullptr);
    m_pTree->Default();
}

void CXTTreeBase::OnTimer(UINT_PTR id)
{
    if (id != kHotTimer) {
        m_pTree->Default();
        return;
    }
    CPoint cursor;
    ::GetCursorPos(&cursor);
    CRect window;
    m_pTree->GetWindowRect(&window);
    if (!window.PtInRect(cursor)) {
        SetHotItem(nullptr);
    }
}

void CXTTreeBase::OnSetFocus(CWnd*)
{
    m_pTree->Invalidate(FALSE);
    m_pTree->Default();
}

void CXTTreeBase::OnKillFocus(CWnd*)
{
    m_pTree->Invalidate(FALSE);
    m_pTree->Default();
}

void CXTTreeBase::OnSize(UINT, int, int)
{
    m_pTree->Default();
    const HWND edit = m_pTree->GetEditControl();
    CRect label;
    if (m_hEditItem && edit && m_pTree->GetItemRect(m_hEditItem, &label, TRUE)) {
        ::SetWindowPos(edit, nullptr, label.left - 3, label.top - 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
