// The tree extension: walking, attributes, colours and finding.
#include <util/kxtreectrl.h>

#include <cwctype>

namespace {

bool IsWordCharacter(wchar_t ch)
{
    return ch == L'_' || ::IsCharAlphaW(ch);
}

} // namespace

CXTTreeBase::CXTTreeBase() = default;

CXTTreeBase::~CXTTreeBase() = default;

void CXTTreeBase::Init()
{
    m_hAnchor = nullptr;
    m_hEditItem = nullptr;
    m_hHotItem = nullptr;
    m_bActionDone = FALSE;
    m_bLabelClickArmed = TRUE;
}

bool CXTTreeBase::TreeIsEnabled() const
{
    return m_pTree->IsWindowEnabled() != FALSE;
}

DWORD CXTTreeBase::TreeStyle() const
{
    return m_pTree->GetStyle();
}

// ---- walking ----

HTREEITEM CXTTreeBase::GetNextItem(HTREEITEM item, UINT code) const
{
    return m_pTree->CTreeCtrl::GetNextItem(item, code);
}

HTREEITEM CXTTreeBase::GetNextItem(HTREEITEM item) const
{
    if (item == nullptr) {
        return nullptr;
    }
    if (HTREEITEM child = m_pTree->GetChildItem(item)) {
        return child;
    }
    for (HTREEITEM up = item; up != nullptr; up = m_pTree->GetParentItem(up)) {
        if (HTREEITEM next = m_pTree->GetNextSiblingItem(up)) {
            return next;
        }
    }
    return nullptr;
}

HTREEITEM CXTTreeBase::GetPrevItem(HTREEITEM item) const
{
    if (item == nullptr) {
        return nullptr;
    }
    if (HTREEITEM previous = m_pTree->GetPrevSiblingItem(item)) {
        return GetLastItem(previous);
    }
    return m_pTree->GetParentItem(item);
}

HTREEITEM CXTTreeBase::GetLastItem(HTREEITEM item) const
{
    HTREEITEM last = item;
    if (last == nullptr) {
        last = m_pTree->GetRootItem();
        for (HTREEITEM next = last; next != nullptr; next = m_pTree->GetNextSiblingItem(next)) {
            last = next;
        }
    }
    while (last != nullptr) {
        HTREEITEM child = m_pTree->GetChildItem(last);
        if (child == nullptr) {
            break;
        }
        while (HTREEITEM next = m_pTree->GetNextSiblingItem(child)) {
            child = next;
        }
        last = child;
    }
    return last;
}

// ---- finding ----

BOOL CXTTreeBase::IsFindValid(HTREEITEM)
{
    return TRUE;
}

bool CXTTreeBase::MatchesText(HTREEITEM item, const CString& text, BOOL caseSensitive, BOOL wholeWord) const
{
    CString label = m_pTree->GetItemText(item);
    CString wanted = text;
    if (!caseSensitive) {
        label.MakeLower();
        wanted.MakeLower();
    }
    for (int at = label.Find(wanted); at >= 0; at = label.Find(wanted, at + 1)) {
        if (!wholeWord) {
            return true;
        }
        const int end = at + wanted.GetLength();
        const bool freeBefore = at == 0 || !IsWordCharacter(label[at - 1]);
        const bool freeAfter = end >= label.GetLength() || !IsWordCharacter(label[end]);
        if (freeBefore && freeAfter) {
            return true;
        }
    }
    return false;
}

HTREEITEM CXTTreeBase::FindItem(const CString& text, BOOL caseSensitive, BOOL downward, BOOL wholeWord,
                                HTREEITEM start)
{
    if (text.IsEmpty() || m_pTree->GetRootItem() == nullptr) {
        return nullptr;
    }
    // A search from an item goes on after it, as a repeated search should; one from nowhere
    // begins with the first item in its direction.
    HTREEITEM from = start ? start : GetFocusedItem();
    const bool fromItem = from != nullptr;
    const auto wrapStart = [this, downward]() { return downward ? m_pTree->GetRootItem() : GetLastItem(nullptr); };
    const auto step = [this, downward, &wrapStart](HTREEITEM item) {
        HTREEITEM next = downward ? GetNextItem(item) : GetPrevItem(item);
        return next ? next : wrapStart();
    };
    if (!fromItem) {
        from = wrapStart();
    }
    // One full round at most, also when the start is no item of this tree.
    const UINT rounds = m_pTree->GetCount() + 1;
    HTREEITEM candidate = fromItem ? step(from) : from;
    for (UINT visited = 0; visited < rounds; ++visited) {
        if (MatchesText(candidate, text, caseSensitive, wholeWord) && IsFindValid(candidate)) {
            return candidate;
        }
        if (candidate == from && fromItem) {
            return nullptr;
        }
        candidate = step(candidate);
        if (candidate == from && !fromItem) {
            return nullptr;
        }
    }
    return nullptr;
}

HTREEITEM CXTTreeBase::FindItemInBranch(const CString& text, BOOL caseSensitive, BOOL wholeWord, HTREEITEM branch)
{
    if (text.IsEmpty() || branch == nullptr) {
        return nullptr;
    }
    for (HTREEITEM child = m_pTree->GetChildItem(branch); child != nullptr; child = m_pTree->GetNextSiblingItem(child)) {
        if (MatchesText(child, text, caseSensitive, wholeWord) && IsFindValid(child)) {
            return child;
        }
        if (HTREEITEM found = FindItemInBranch(text, caseSensitive, wholeWord, child)) {
            return found;
        }
    }
    return nullptr;
}

// ---- attributes ----

CXTTreeBase::ItemAttributes& CXTTreeBase::AttributesOf(HTREEITEM item)
{
    const auto found = m_attributes.find(item);
    if (found != m_attributes.end()) {
        return found->second;
    }
    ItemAttributes fresh{};
    fresh.text = CLR_INVALID;
    fresh.background = CLR_INVALID;
    return m_attributes.emplace(item, fresh).first->second;
}

const CXTTreeBase::ItemAttributes* CXTTreeBase::FindAttributes(HTREEITEM item) const
{
    const auto found = m_attributes.find(item);
    return found == m_attributes.end() ? nullptr : &found->second;
}

BOOL CXTTreeBase::SetItemFont(HTREEITEM item, LOGFONTW& font)
{
    if (item == nullptr) {
        return FALSE;
    }
    AttributesOf(item).font = font;
    m_pTree->Invalidate();
    return TRUE;
}

BOOL CXTTreeBase::GetItemFont(HTREEITEM item, LOGFONTW* font) const
{
    const ItemAttributes* attributes = FindAttributes(item);
    if (attributes == nullptr || attributes->font.lfFaceName[0] == 0) {
        return FALSE;
    }
    if (font) {
        *font = attributes->font;
    }
    return TRUE;
}

BOOL CXTTreeBase::SetItemBold(HTREEITEM item, BOOL bold)
{
    if (item == nullptr) {
        return FALSE;
    }
    const BOOL set = m_pTree->CTreeCtrl::SetItemState(item, bold ? TVIS_BOLD : 0, TVIS_BOLD);
    m_pTree->Invalidate();
    return set;
}

BOOL CXTTreeBase::GetItemBold(HTREEITEM item) const
{
    return item != nullptr && (m_pTree->CTreeCtrl::GetItemState(item, TVIS_BOLD) & TVIS_BOLD) != 0;
}

BOOL CXTTreeBase::SetItemColor(HTREEITEM item, COLORREF color)
{
    if (item == nullptr) {
        return FALSE;
    }
    AttributesOf(item).text = color;
    m_pTree->Invalidate();
    return TRUE;
}

BOOL CXTTreeBase::SetItemBackColor(HTREEITEM item, COLORREF color)
{
    if (item == nullptr) {
        return FALSE;
    }
    AttributesOf(item).background = color;
    m_pTree->Invalidate();
    return TRUE;
}

COLORREF CXTTreeBase::GetItemColor(HTREEITEM item) const
{
    const ItemAttributes* attributes = FindAttributes(item);
    return attributes ? attributes->text : CLR_INVALID;
}

COLORREF CXTTreeBase::GetItemBackColor(HTREEITEM item) const
{
    const ItemAttributes* attributes = FindAttributes(item);
    return attributes ? attributes->background : CLR_INVALID;
}

// ---- colours ----

namespace {

enum class ItemLook { Plain, Highlighted, SelectedUnfocused };

ItemLook LookOf(UINT state, BOOL focused, DWORD style)
{
    if ((state & TVIS_DROPHILITED) != 0 || ((state & TVIS_SELECTED) != 0 && focused)) {
        return ItemLook::Highlighted;
    }
    if ((state & TVIS_SELECTED) != 0 && (style & TVS_SHOWSELALWAYS) != 0) {
        return ItemLook::SelectedUnfocused;
    }
    return ItemLook::Plain;
}

} // namespace

COLORREF CXTTreeBase::GetItemBackColor(UINT state, BOOL focused, DWORD style, COLORREF defaultColor) const
{
    switch (LookOf(state, focused, style)) {
    case ItemLook::Highlighted:
        return ::GetSysColor(TreeIsEnabled() ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT);
    case ItemLook::SelectedUnfocused:
        return ::GetSysColor(TreeIsEnabled() ? COLOR_BTNFACE : COLOR_GRAYTEXT);
    default:
        return defaultColor;
    }
}

COLORREF CXTTreeBase::GetItemTextColor(UINT state, BOOL focused, DWORD style, COLORREF defaultColor) const
{
    switch (LookOf(state, focused, style)) {
    case ItemLook::Highlighted:
        return ::GetSysColor(TreeIsEnabled() ? COLOR_HIGHLIGHTTEXT : COLOR_BTNFACE);
    case ItemLook::SelectedUnfocused:
        return ::GetSysColor(TreeIsEnabled() ? COLOR_WINDOWTEXT : COLOR_BTNFACE);
    default:
        return defaultColor;
    }
}

COLORREF CXTTreeBase::GetTreeBackColor() const
{
    if (!TreeIsEnabled()) {
        return ::GetSysColor(COLOR_BTNFACE);
    }
    const COLORREF color = m_pTree->GetBkColor();
    return color == CLR_INVALID ? ::GetSysColor(COLOR_WINDOW) : color;
}

COLORREF CXTTreeBase::GetTreeTextColor() const
{
    if (!TreeIsEnabled()) {
        return ::GetSysColor(COLOR_GRAYTEXT);
    }
    const COLORREF color = m_pTree->GetTextColor();
    return color == CLR_INVALID ? ::GetSysColor(COLOR_WINDOWTEXT) : color;
}
