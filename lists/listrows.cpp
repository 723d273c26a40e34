#include "lists/listrows.h"

namespace {
// States a row keeps when it leaves the list and comes back: selection, focus and check box.
constexpr UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
} // namespace

ListRow TakeListRow(const CListCtrl& list, int item, int columns)
{
    ListRow row;
    row.texts.reserve(static_cast<size_t>(columns));
    for (int column = 0; column < columns; ++column) {
        row.texts.push_back(list.GetItemText(item, column));
    }
    LVITEMW info{};
    info.mask = LVIF_STATE | LVIF_IMAGE | LVIF_PARAM;
    info.iItem = item;
    info.stateMask = kKeptStates;
    ::SendMessageW(list.m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
    row.state = info.state & kKeptStates;
    row.image = info.iImage;
    row.data = info.lParam;
    return row;
}

int AppendListRow(CListCtrl& list, const ListRow& row)
{
    LVITEMW info{};
    info.mask = LVIF_TEXT | LVIF_STATE | LVIF_IMAGE | LVIF_PARAM;
    info.iItem = list.GetItemCount();
    info.pszText = const_cast<wchar_t*>(row.texts.empty() ? L"" : static_cast<const wchar_t*>(row.texts[0]));
    info.state = row.state;
    info.stateMask = kKeptStates;
    info.iImage = row.image;
    info.lParam = row.data;
    const int item = list.InsertItem(&info);
    for (size_t column = 1; item >= 0 && column < row.texts.size(); ++column) {
        list.SetItemText(item, static_cast<int>(column), row.texts[column]);
    }
    return item;
}
