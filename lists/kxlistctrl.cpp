#include <util/kxlistctrl.h>

#include <algorithm>

namespace {

constexpr int kMaxTitle = 100;
constexpr int kMaxCellText = 99;

} // namespace

void CKXListCtrl::AdjustListColumnWidth()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int columns = header ? header->GetItemCount() : 0;
    if (columns <= 0) {
        return;
    }
    const int last = columns - 1;
    if (static_cast<size_t>(last) < m_arrColumns.size() && m_arrColumns[static_cast<size_t>(last)].nWidth > 0) {
        return;
    }
    CClientDC dc(this);
    CFont* oldFont = dc.SelectObject(GetFont());
    const int spaces = dc.GetTextExtent(L"   ", 3).cx;

    wchar_t title[kMaxTitle + 1] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = kMaxTitle + 1;
    GetColumn(last, &column);
    const int titleWidth = dc.GetTextExtent(title, static_cast<int>(wcslen(title))).cx;

    int widest = 0;
    const int count = GetItemCount();
    for (int item = 0; item < count; ++item) {
        const CString text = GetItemText(item, last).Left(kMaxCellText);
        widest = std::max(widest, static_cast<int>(dc.GetTextExtent(text).cx));
    }
    dc.SelectObject(oldFont);
    SetColumnWidth(last, titleWidth < widest ? widest + 2 * spaces : titleWidth + spaces);
}

void CKXListCtrl::ShowCheckBox(BOOL show)
{
    const DWORD style = GetExtendedStyle();
    SetExtendedStyle(show ? style | LVS_EX_CHECKBOXES : style & ~static_cast<DWORD>(LVS_EX_CHECKBOXES));
}

int CKXListCtrl::GetColumnID(int column) const
{
    if (m_arrColumns.empty() || column < 0 || static_cast<size_t>(column) >= m_arrColumns.size()) {
        return -1;
    }
    return m_arrColumns[static_cast<size_t>(column)].nID;
}

int CKXListCtrl::GetAllColWidth() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (m_arrColumns.empty() || header == nullptr) {
        return 0;
    }
    int total = 0;
    const int columns = header->GetItemCount();
    for (int column = 0; column < columns; ++column) {
        total += std::max(0, GetColumnWidth(column));
    }
    return total;
}
