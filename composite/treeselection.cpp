// The tree extension: the multiple-selection model, its notifications, keys and reflected notifications.
#include <util/kxtreectrl.h>

#include <algorithm>

namespace {

bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

bool IsRangeKey(UINT key)
{
    return key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
}

bool IsCollapse(UINT action)
{
    return (action & (TVE_COLLAPSE | TVE_EXPAND | TVE_TOGGLE)) == TVE_COLLAPSE;
}

} // namespace

// ---- states ----

HTREEITEM CXTTreeBase::GetFocusedItem() const
{
    return m_pTree->GetSelectedItem();
}

BOOL CXTTreeBase::IsSelected(HTREEITEM item) const
{
    return item != nullptr && (m_pTree->CTreeCtrl::GetItemState(item, TVIS_SELECTED) & TVIS_SELECTED) != 0;
}

UINT CXTTreeBase::GetItemState(HTREEITEM item, UINT mask) const
{
    if (item == nullptr) {
        return 0;
    }
    UINT state = m_pTree->CTreeCtrl::GetItemState(item, mask & ~TVIS_FOCUSED) & ~TVIS_FOCUSED;
    if ((mask & TVIS_FOCUSED) != 0 && GetFocusedItem() == item) {
        state |= TVIS_FOCUSED;
    }
    return state & mask;
}

BOOL CXTTreeBase::SetItemState(HTREEITEM item, UINT state, UINT mask)
{
    if (item == nullptr) {
        return FALSE;
    }
    if ((mask & TVIS_FOCUSED) != 0) {
        const bool focus = (state & TVIS_FOCUSED) != 0;
        if (focus || GetFocusedItem() == item) {
            if (m_bMulti) {
                MoveCaret(focus ? item : nullptr);
            } else {
                m_pTree->Select(focus ? item : nullptr, TVGN_CARET);
            }
        }
    }
    BOOL changed = TRUE;
    UINT platformMask = mask & ~TVIS_FOCUSED;
    if (m_bMulti && (mask & TVIS_SELECTED) != 0) {
        changed = ChangeSelection(item, (state & TVIS_SELECTED) != 0) ? TRUE : FALSE;
        platformMask &= ~TVIS_SELECTED;
    }
    if (platformMask != 0) {
        changed = m_pTree->CTreeCtrl::SetItemState(item, state, platformMask) && changed;
    }
    return changed;
}

BOOL CXTTreeBase::SelectItem(HTREEITEM item)
{
    return SetItemState(item, TVIS_SELECTED | TVIS_FOCUSED, TVIS_SELECTED | TVIS_FOCUSED);
}

BOOL CXTTreeBase::FocusItem(HTREEITEM item)
{
    if (item == nullptr && GetFocusedItem() == nullptr) {
        return TRUE;
    }
    MoveCaret(item);
    return GetFocusedItem() == item;
}

void CXTTreeBase::MoveCaret(HTREEITEM item)
{
    const HTREEITEM old = GetFocusedItem();
    if (old == item) {
        return;
    }
    const bool oldSelected = IsSelected(old);
    const bool newSelected = IsSelected(item);
    m_bMovingCaret = TRUE;
    m_pTree->Select(item, TVGN_CARET);
    m_bMovingCaret = FALSE;
    // The tree view moved its single selection with the caret; the selection is ours.
    if (old) {
        m_pTree->CTreeCtrl::SetItemState(old, oldSelected ? TVIS_SELECTED : 0, TVIS_SELECTED);
    }
    if (item) {
        m_pTree->CTreeCtrl::SetItemState(item, newSelected ? TVIS_SELECTED : 0, TVIS_SELECTED);
    }
}

bool CXTTreeBase::ChangeSelection(HTREEITEM item, bool select)
{
    if (item == nullptr) {
        return false;
    }
    // The state and the item data in one question: the notifications carry the data.
    TVITEMW current{};
    current.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    current.hItem = item;
    current.stateMask = TVIS_SELECTED;
    ::SendMessageW(m_pTree->m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&current));
    if (((current.state & TVIS_SELECTED) != 0) == select) {
        return true;
    }
    const UINT newState = select ? TVIS_SELECTED : 0;
    if (NotifyItem(TVN_SELCHANGINGW, item, select ? newState : TVIS_SELECTED, select, CPoint(), &current.lParam) != 0) {
        return false;
    }
    m_pTree->CTreeCtrl::SetItemState(item, newState, TVIS_SELECTED);
    NotifyItem(TVN_SELCHANGEDW, item, select ? newState : TVIS_SELECTED, select, CPoint(), &current.lParam);
    return true;
}

LRESULT CXTTreeBase::NotifyItem(UINT code, HTREEITEM item, UINT state, bool asNewItem, CPoint point, const LPARAM* data)
{
    NMTREEVIEWW record{};
    record.hdr.hwndFrom = m_pTree->m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(m_pTree->GetDlgCtrlID());
    record.hdr.code = code;
    record.action = TVC_UNKNOWN;
    TVITEMW& part = asNewItem ? record.itemNew : record.itemOld;
    part.mask = TVIF_HANDLE | TVIF_PARAM;
    part.hItem = item;
    part.state = state;
    part.stateMask = TVIS_SELECTED;
    part.lParam = data ? *data : static_cast<LPARAM>(m_pTree->GetItemData(item));
    record.ptDrag = point;
    return SendNotify(&record.hdr);
}

LRESULT CXTTreeBase::SendNotify(NMHDR* header)
{
    HWND target = ::GetWindow(m_pTree->m_hWnd, GW_OWNER);
    if (target == nullptr) {
        target = ::GetParent(m_pTree->m_hWnd);
    }
    return target ? ::SendMessageW(target, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header)) : 0;
}

// ---- selection ----

BOOL CXTTreeBase::EnableMultiSelect(BOOL multi)
{
    const BOOL previous = m_bMulti;
    m_bMulti = multi;
    if (previous && !multi) {
        SelectAllIgnore(FALSE, GetFocusedItem());
    }
    return previous;
}

BOOL CXTTreeBase::SetBandingHit(BOOL labels)
{
    const BOOL previous = m_bBandingHit;
    m_bBandingHit = labels;
    return previous;
}

HTREEITEM CXTTreeBase::GetFirstSelectedItem() const
{
    const HTREEITEM root = m_pTree->GetRootItem();
    return IsSelected(root) ? root : GetNextSelectedItem(root);
}

HTREEITEM CXTTreeBase::GetNextSelectedItem(HTREEITEM item) const
{
    for (HTREEITEM next = GetNextItem(item); next != nullptr; next = GetNextItem(next)) {
        if (IsSelected(next)) {
            return next;
        }
    }
    return nullptr;
}

HTREEITEM CXTTreeBase::GetPrevSelectedItem(HTREEITEM item) const
{
    for (HTREEITEM previous = GetPrevItem(item); previous != nullptr; previous = GetPrevItem(previous)) {
        if (IsSelected(previous)) {
            return previous;
        }
    }
    return nullptr;
}

UINT CXTTreeBase::GetSelectedCount() const
{
    UINT count = 0;
    for (HTREEITEM item = GetFirstSelectedItem(); item != nullptr; item = GetNextSelectedItem(item)) {
        ++count;
    }
    return count;
}

void CXTTreeBase::GetSelectedList(std::vector<HTREEITEM>& items) const
{
    items.clear();
    for (HTREEITEM item = GetFirstSelectedItem(); item != nullptr; item = GetNextSelectedItem(item)) {
        items.push_back(item);
    }
}

void CXTTreeBase::SelectAll(BOOL select, HTREEITEM start)
{
    for (HTREEITEM item = start ? start : m_pTree->GetRootItem(); item != nullptr; item = GetNextItem(item)) {
        ChangeSelection(item, select != FALSE);
    }
}

void CXTTreeBase::SelectAllIgnore(BOOL select, HTREEITEM ignore)
{
    for (HTREEITEM item = m_pTree->GetRootItem(); item != nullptr; item = GetNextItem(item)) {
        if (item != ignore) {
            ChangeSelection(item, select != FALSE);
        }
    }
}

void CXTTreeBase::SelectItems(HTREEITEM first, HTREEITEM last, BOOL clearOthers)
{
    if (first == nullptr || last == nullptr) {
        return;
    }
    // The range in visible order, whichever of the two comes first.
    std::unordered_set<HTREEITEM> range;
    const auto collect = [this, &range](HTREEITEM from, HTREEITEM to) {
        range.clear();
        for (HTREEITEM item = from; item != nullptr; item = m_pTree->GetNextVisibleItem(item)) {
            range.insert(item);
            if (item == to) {
                return true;
            }
        }
        return false;
    };
    if (!collect(first, last) && !collect(last, first)) {
        range = {first, last};
    }
    for (HTREEITEM item = m_pTree->GetRootItem(); item != nullptr; item = GetNextItem(item)) {
        if (range.count(item) != 0) {
            ChangeSelection(item, true);
        } else if (clearOthers) {
            ChangeSelection(item, false);
        }
    }
}

BOOL CXTTreeBase::SelectChildren(HTREEITEM parent, BOOL select, BOOL recursive)
{
    BOOL hadFocus = FALSE;
    const HTREEITEM focus = GetFocusedItem();
    for (HTREEITEM child = m_pTree->GetChildItem(parent); child != nullptr; child = m_pTree->GetNextSiblingItem(child)) {
        hadFocus = hadFocus || child == focus;
        ChangeSelection(child, select != FALSE);
        if (recursive && SelectChildren(child, select, TRUE)) {
            hadFocus = TRUE;
        }
    }
    return hadFocus;
}

// ---- keys ----

void CXTTreeBase::OnKeyDown(UINT key, UINT, UINT)
{
    if (!m_bMulti) {
        m_pTree->Default();
        return;
    }
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    const HTREEITEM focus = GetFocusedItem();
    if (!ctrl && !shift) {
        const UINT selected = GetSelectedCount();
        if (selected > 1 || (selected == 1 && !IsSelected(focus))) {
            SelectAll(FALSE);
        }
    }
    if (IsRangeKey(key)) {
        if (m_hAnchor == nullptr) {
            m_hAnchor = focus;
        }
        if (!ctrl && !shift) {
            m_hAnchor = nullptr;
        }
    }
    std::vector<HTREEITEM> before;
    GetSelectedList(before);
    m_bMovingCaret = TRUE;
    m_pTree->Default();
    m_bMovingCaret = FALSE;
    const HTREEITEM moved = GetFocusedItem();
    if (moved == focus) {
        return;
    }
    // The tree view moved its single selection with the caret: put it back, then apply ours.
    const auto wasSelected = [&before](HTREEITEM item) {
        return std::find(before.begin(), before.end(), item) != before.end();
    };
    for (HTREEITEM item : {focus, moved}) {
        if (item) {
            m_pTree->CTreeCtrl::SetItemState(item, wasSelected(item) ? TVIS_SELECTED : 0, TVIS_SELECTED);
        }
    }
    if (shift && m_hAnchor) {
        SelectItems(m_hAnchor, moved, TRUE);
    } else if (!ctrl) {
        ChangeSelection(focus, false);
        ChangeSelection(moved, true);
    }
}

BOOL CXTTreeBase::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN) {
        return FALSE;
    }
    if (m_pTree->GetEditControl() != nullptr) {
        ::TranslateMessage(msg);
        ::DispatchMessageW(msg);
        return TRUE;
    }
    if (msg->hwnd == m_pTree->m_hWnd && msg->wParam == VK_RETURN) {
        const HTREEITEM focus = GetFocusedItem();
        if (focus) {
            // The tree view tells nobody of expansions it is asked for: a collapse drops the branch's
            // selection here.
            if (m_bMulti && (m_pTree->CTreeCtrl::GetItemState(focus, TVIS_EXPANDED) & TVIS_EXPANDED) != 0) {
                SelectChildren(focus, FALSE, TRUE);
            }
            m_pTree->Expand(focus, TVE_TOGGLE);
        }
        return TRUE;
    }
    return FALSE;
}

// ---- reflected notifications ----

BOOL CXTTreeBase::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr) {
        return FALSE;
    }
    if (header->code == NM_TOOLTIPSCREATED) {
        const HWND tips = reinterpret_cast<NMTOOLTIPSCREATED*>(lParam)->hwndToolTips;
        ::SetWindowPos(tips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return FALSE;
    }
    if (header->hwndFrom != m_pTree->m_hWnd) {
        return FALSE;
    }
    switch (header->code) {
    case TVN_SELCHANGINGW:
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGEDA:
        if (m_bMovingCaret) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    case TVN_BEGINLABELEDITW:
    case TVN_BEGINLABELEDITA:
        return OnBeginLabelEdit(header, result);
    case TVN_ENDLABELEDITW:
    case TVN_ENDLABELEDITA:
        return OnEndLabelEdit(header, result);
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA:
        return OnItemExpanding(header, result);
    case TVN_DELETEITEMW:
    case TVN_DELETEITEMA:
        return OnDeleteItem(header, result);
    default:
        return FALSE;
    }
}

BOOL CXTTreeBase::OnBeginLabelEdit(NMHDR* header, LRESULT*)
{
    m_hEditItem = reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem;
    return FALSE;
}

BOOL CXTTreeBase::OnEndLabelEdit(NMHDR*, LRESULT*)
{
    m_hEditItem = nullptr;
    m_pTree->Invalidate();
    return FALSE;
}

BOOL CXTTreeBase::OnItemExpanding(NMHDR* header, LRESULT*)
{
    const auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
    const HTREEITEM item = info->itemNew.hItem;
    if (m_bMulti && item && IsCollapse(info->action) && SelectChildren(item, FALSE, TRUE) && !IsSelected(item)) {
        FocusItem(item);
    }
    return FALSE;
}

BOOL CXTTreeBase::OnDeleteItem(NMHDR* header, LRESULT*)
{
    const HTREEITEM item = reinterpret_cast<NMTREEVIEWW*>(header)->itemOld.hItem;
    m_attributes.erase(item);
    m_bandTouched.erase(item);
    for (HTREEITEM* remembered : {&m_hAnchor, &m_hEditItem, &m_hHotItem}) {
        if (*remembered == item) {
            *remembered = nullptr;
        }
    }
    return FALSE;
}
