// The tree extension: painting items with their own colours and fonts over the tree view's picture.
#include <util/drawdc.h>
#include <util/kxtreectrl.h>

#include <cstring>

namespace {

constexpr UINT kLabelFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr int kTextIndent = 3;
constexpr int kBoldWeight = FW_BOLD;

bool SameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return std::memcmp(&a, &b, sizeof(LOGFONTW)) == 0;
}

// COLOR_HOTLIGHT exists from Windows 98 and 2000 on; older systems answer it with no brush.
COLORREF HotColor()
{
    return ::GetSysColorBrush(COLOR_HOTLIGHT) != nullptr ? ::GetSysColor(COLOR_HOTLIGHT)
                                                          : ::GetSysColor(COLOR_HIGHLIGHT);
}

} // namespace

void CXTTreeBase::DoPaint(CDC& dc, BOOL drawItems)
{
    CRect client;
    m_pTree->GetClientRect(&client);
    CKXMemDC buffer(dc.m_hDC, client, FALSE);
    CDC* paint = CDC::FromHandle(buffer);
    if (paint == nullptr || static_cast<HDC>(buffer) == nullptr) {
        return;
    }
    const COLORREF treeBack = GetTreeBackColor();
    paint->FillSolidRect(&client, treeBack);
    m_pTree->DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(static_cast<HDC>(buffer)), 0);
    if (!drawItems) {
        return;
    }

    auto treeFont = reinterpret_cast<HFONT>(m_pTree->SendMessage(WM_GETFONT));
    if (treeFont == nullptr) {
        treeFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    LOGFONTW baseFont{};
    ::GetObjectW(treeFont, sizeof(baseFont), &baseFont);
    const HGDIOBJ oldFont = paint->SelectObject(treeFont);
    const int oldMode = paint->SetBkMode(TRANSPARENT);

    const bool focused = ::GetFocus() == m_pTree->m_hWnd;
    const bool enabled = TreeIsEnabled();
    const DWORD style = TreeStyle();
    const COLORREF treeText = GetTreeTextColor();
    const HTREEITEM dropTarget = m_pTree->GetDropHilightItem();
    const HTREEITEM focusItem = GetFocusedItem();
    const UINT shown = m_pTree->GetVisibleCount() + 1;
    UINT drawn = 0;
    for (HTREEITEM item = m_pTree->GetFirstVisibleItem(); item != nullptr && drawn < shown;
         item = m_pTree->GetNextVisibleItem(item), ++drawn) {
        CRect label;
        if (!m_pTree->GetItemRect(item, &label, TRUE)) {
            continue;
        }
        paint->FillSolidRect(CRect(label.left, label.top, client.right, label.bottom), treeBack);

        UINT state = m_pTree->CTreeCtrl::GetItemState(item, TVIS_SELECTED | TVIS_DROPHILITED | TVIS_BOLD);
        if (dropTarget != nullptr && item != dropTarget) {
            state &= ~TVIS_SELECTED;
        }
        const bool marked = (state & (TVIS_SELECTED | TVIS_DROPHILITED)) != 0;
        COLORREF back = GetItemBackColor(state, focused, style, treeBack);
        COLORREF text = GetItemTextColor(state, focused, style, treeText);
        LOGFONTW font = baseFont;
        if (item == m_hEditItem) {
            back = treeBack;
            text = treeBack;
        } else if (const ItemAttributes* attributes = FindAttributes(item)) {
            if (attributes->font.lfFaceName[0] != 0) {
                font = attributes->font;
            }
            if (!marked && enabled) {
                text = attributes->text != CLR_INVALID ? attributes->text : text;
                back = attributes->background != CLR_INVALID ? attributes->background : back;
            }
        }
        if ((state & TVIS_BOLD) != 0) {
            font.lfWeight = kBoldWeight;
        }
        if ((style & TVS_TRACKSELECT) != 0 && item == m_hHotItem && (state & TVIS_SELECTED) == 0) {
            text = HotColor();
        }

        CFont itemFont;
        if (!SameFont(font, baseFont) && itemFont.CreateFontIndirect(&font)) {
            paint->SelectObject(&itemFont);
        }
        const CString caption = m_pTree->GetItemText(item);
        const int width = paint->GetTextExtent(caption).cx + 2;
        if (width > label.Width()) {
            label.right = label.left + width;
        }
        // An item of a colour of its own shows it behind its label too.
        if (marked || back != treeBack) {
            paint->FillSolidRect(&label, back);
        }
        paint->SetTextColor(text);
        CRect textArea(label);
        textArea.left += kTextIndent;
        paint->DrawText(caption, &textArea, kLabelFormat);
        paint->SelectObject(treeFont);
        if (item == focusItem && m_hEditItem == nullptr && enabled && focused) {
            paint->DrawFocusRect(&label);
        }
    }
    paint->SetBkMode(oldMode);
    paint->SelectObject(oldFont);
}
