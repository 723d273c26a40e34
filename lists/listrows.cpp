#include "lists/listrows.h"

#include <cwchar>

namespace {
// States a row keeps when it leaves the list and comes back: selection, focus and check box.
constexpr UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
} // namespace

LRESULT SendToListView(const CWnd& list, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The control's own procedure, past any override of the object's: a question put there changes
    // nothing in the object.
    return const_cast<CWnd&>(list).CWnd::DefWindowProc(message, wParam, lParam);
}

LPARAM ListItemData(const CWnd& list, int item)
{
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    SendToListView(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
    return info.lParam;
}

BOOL SetListItemData(const CWnd& list, int item, LPARAM data)
{
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    info.lParam = data;
    return static_cast<BOOL>(SendToListView(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

const wchar_t* CellTextReader::Read(int item, int column, int* length, LPARAM* data)
{
    // The item's data comes with the text where the list view answers it for a sub-item too; a
    // value no item data can have tells that it did not.
    constexpr LPARAM kNoAnswer = -1;
    // The control copies at most the buffer's size: a full buffer may mean a longer text.
    for (;;) {
        LVITEMW info{};
        info.mask = LVIF_TEXT | (data ? LVIF_PARAM : 0);
        info.iItem = item;
        info.iSubItem = column;
        info.cchTextMax = static_cast<int>(m_buffer.size());
        info.pszText = m_buffer.data();
        info.lParam = kNoAnswer;
        m_buffer[0] = 0;
        if (!SendToListView(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)) && data) {
            // A list view that takes no data question for a sub-item: the text alone.
            info.mask = LVIF_TEXT;
            info.lParam = kNoAnswer;
            SendToListView(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
        }
        const wchar_t* text = info.pszText ? info.pszText : L"";
        const size_t copied = std::wcslen(text);
        if (text != m_buffer.data() || copied + 1 < m_buffer.size()) {
            if (data) {
                *data = info.lParam != kNoAnswer ? info.lParam : ListItemData(m_list, item);
            }
            *length = static_cast<int>(copied);
            return text;
        }
        m_buffer.resize(m_buffer.size() * 2);
    }
}

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
    SendToListView(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
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
    const int item = static_cast<int>(SendToListView(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
    for (size_t column = 1; item >= 0 && column < row.texts.size(); ++column) {
        list.SetItemText(item, static_cast<int>(column), row.texts[column]);
    }
    return item;
}
