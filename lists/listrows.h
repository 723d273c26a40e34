#pragma once

#include <util/cstring.h>
#include <util/listctrl.h>

#include <vector>

// One row of a report list taken out of the control: every column's text and what the control
// keeps for the row. `data` is the row's item data, which the owner of the row frees.
struct ListRow {
    std::vector<CString> texts;
    UINT state = 0;
    int image = 0;
    LPARAM data = 0;
    // Held rows: the position the row had among all rows when it was set aside.
    size_t home = 0;
};

// Sends the message to the list view's own procedure, past the object's WindowProc: a list that
// shows callers their data in place of its own item records reaches the records this way.
LRESULT SendToListView(const CWnd& list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The item's own data in the list view, and setting it: the list's own path to its records.
LPARAM ListItemData(const CWnd& list, int item);
BOOL SetListItemData(const CWnd& list, int item, LPARAM data);

// Reads cell texts through one buffer that grows as needed, so that reading many cells allocates
// nothing per cell. A text stays valid until the next read.
class CellTextReader {
public:
    explicit CellTextReader(const CWnd& list) : m_list(list), m_buffer(256) {}
    // The text and its length in characters; data, when asked for, gets the item's own data as well.
    const wchar_t* Read(int item, int column, int* length, LPARAM* data = nullptr);

private:
    const CWnd& m_list;
    std::vector<wchar_t> m_buffer;
};

// Copies the item out of the list (it stays there), with the item's own data.
ListRow TakeListRow(const CListCtrl& list, int item, int columns);
// Adds the row at the end of the list; the list takes over the row's data as the item's own. The new
// item's index, or -1.
int AppendListRow(CListCtrl& list, const ListRow& row);
