#include <util/kxlistctrl.h>

namespace {

// Texts longer than this show their rest in the item's colour.
constexpr int kFirstPartLength = 8;
constexpr int kFirstPartIndent = 2;
constexpr int kSecondPartIndent = 62;
constexpr COLORREF kSelectedBack = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kBack = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kFirstPartColor = RGB(0, 0, 0);

} // namespace

int CKXSmartListBox::AddString(const wchar_t* text, COLORREF color)
{
    const int index = CListBox::AddString(text);
    if (index >= 0) {
        m_mapColors[index] = color;
    }
    return index;
}

void CKXSmartListBox::SetFontEx(CFont* font)
{
    SetFont(font, TRUE);
    m_pFont = font;
}

void CKXSmartListBox::DrawItem(DRAWITEMSTRUCT* item)
{
    if (item == nullptr || GetCount() <= 0 || static_cast<int>(item->itemID) < 0) {
        return;
    }
    const int index = static_cast<int>(item->itemID);
    CDC* dc = CDC::FromHandle(item->hDC);
    const CRect area(item->rcItem);
    dc->FillSolidRect(&area, (item->itemState & ODS_SELECTED) != 0 ? kSelectedBack : kBack);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    CFont* oldFont = m_pFont ? dc->SelectObject(m_pFont) : nullptr;

    CString text;
    GetText(index, text);
    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER;
    CRect first(area);
    first.left += kFirstPartIndent;
    const COLORREF oldColor = dc->SetTextColor(kFirstPartColor);
    dc->DrawText(text.Left(kFirstPartLength), &first, kFormat);
    if (text.GetLength() > kFirstPartLength) {
        const auto mapped = m_mapColors.find(index);
        dc->SetTextColor(mapped != m_mapColors.end() ? mapped->second : kFirstPartColor);
        CRect second(area);
        second.left += kSecondPartIndent;
        dc->DrawText(text.Mid(kFirstPartLength), &second, kFormat);
    }
    dc->SetTextColor(oldColor);
    if (oldFont) {
        dc->SelectObject(oldFont);
    }
    dc->SetBkMode(oldMode);
}

CKxListBox::CKxListBox() = default;

CKxListBox::~CKxListBox() = default;
