#include <util/treectrl.h>

#include "framework/control_messages.h"

namespace {

LPARAM ItemParam(HTREEITEM item)
{
    return reinterpret_cast<LPARAM>(item);
}

} // namespace

BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(WC_TREEVIEWW, nullptr, style, rect, parent, id);
}

HTREEITEM CTreeCtrl::InsertItem(const TVINSERTSTRUCTW* insert)
{
    return reinterpret_cast<HTREEITEM>(SendToControl(this, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(insert)));
}

HTREEITEM CTreeCtrl::InsertItem(const wchar_t* text, HTREEITEM parent, HTREEITEM insertAfter)
{
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = insertAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return InsertItem(&insert);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item)
{
    return static_cast<BOOL>(SendToControl(this, TVM_DELETEITEM, 0, ItemParam(item)));
}

BOOL CTreeCtrl::DeleteAllItems()
{
    return DeleteItem(TVI_ROOT);
}

UINT CTreeCtrl::GetCount() const
{
    return static_cast<UINT>(SendToControl(this, TVM_GETCOUNT));
}

UINT CTreeCtrl::GetVisibleCount() const
{
    return static_cast<UINT>(SendToControl(this, TVM_GETVISIBLECOUNT));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const
{
    return reinterpret_cast<HTREEITEM>(SendToControl(this, TVM_GETNEXTITEM, code, ItemParam(item)));
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_CHILD);
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_NEXT);
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_PREVIOUS);
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_PARENT);
}

HTREEITEM CTreeCtrl::GetRootItem() const
{
    return GetNextItem(nullptr, TVGN_ROOT);
}

HTREEITEM CTreeCtrl::GetFirstVisibleItem() const
{
    return GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
}

HTREEITEM CTreeCtrl::GetNextVisibleItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_NEXTVISIBLE);
}

HTREEITEM CTreeCtrl::GetPrevVisibleItem(HTREEITEM item) const
{
    return GetNextItem(item, TVGN_PREVIOUSVISIBLE);
}

HTREEITEM CTreeCtrl::GetSelectedItem() const
{
    return GetNextItem(nullptr, TVGN_CARET);
}

HTREEITEM CTreeCtrl::GetDropHilightItem() const
{
    return GetNextItem(nullptr, TVGN_DROPHILITE);
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const
{
    TVITEMW info{};
    info.mask = TVIF_CHILDREN | TVIF_HANDLE;
    info.hItem = item;
    return GetItem(&info) && info.cChildren != 0;
}

BOOL CTreeCtrl::GetItem(TVITEMW* item) const
{
    return static_cast<BOOL>(SendToControl(this, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::SetItem(TVITEMW* item)
{
    return static_cast<BOOL>(SendToControl(this, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(item)));
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const
{
    // A full buffer may mean a longer label: try again with more room.
    CString text;
    for (int capacity = 256;; capacity *= 2) {
        TVITEMW info{};
        info.mask = TVIF_TEXT | TVIF_HANDLE;
        info.hItem = item;
        info.cchTextMax = capacity;
        info.pszText = text.GetBuffer(capacity);
        info.pszText[0] = 0;
        const BOOL found = GetItem(&info);
        text.ReleaseBuffer();
        if (!found || text.GetLength() < capacity - 1) {
            return found ? text : CString();
        }
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const wchar_t* text)
{
    TVITEMW info{};
    info.mask = TVIF_TEXT | TVIF_HANDLE;
    info.hItem = item;
    info.pszText = const_cast<wchar_t*>(text);
    return SetItem(&info);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEMW info{};
    info.mask = TVIF_PARAM | TVIF_HANDLE;
    info.hItem = item;
    GetItem(&info);
    return static_cast<DWORD_PTR>(info.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEMW info{};
    info.mask = TVIF_PARAM | TVIF_HANDLE;
    info.hItem = item;
    info.lParam = static_cast<LPARAM>(data);
    return SetItem(&info);
}

UINT CTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const
{
    return static_cast<UINT>(SendToControl(this, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask)
{
    TVITEMW info{};
    info.mask = TVIF_STATE | TVIF_HANDLE;
    info.hItem = item;
    info.state = state;
    info.stateMask = mask;
    return SetItem(&info);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const
{
    // The message takes the item's handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return static_cast<BOOL>(SendToControl(this, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}

BOOL CTreeCtrl::Select(HTREEITEM item, UINT code)
{
    return static_cast<BOOL>(SendToControl(this, TVM_SELECTITEM, code, ItemParam(item)));
}

BOOL CTreeCtrl::SelectItem(HTREEITEM item)
{
    return Select(item, TVGN_CARET);
}

BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code)
{
    return static_cast<BOOL>(SendToControl(this, TVM_EXPAND, code, ItemParam(item)));
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item)
{
    return static_cast<BOOL>(SendToControl(this, TVM_ENSUREVISIBLE, 0, ItemParam(item)));
}

HTREEITEM CTreeCtrl::HitTest(TVHITTESTINFO* info) const
{
    return reinterpret_cast<HTREEITEM>(SendToControl(this, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const
{
    TVHITTESTINFO info{};
    info.pt = point;
    const HTREEITEM item = HitTest(&info);
    if (flags) {
        *flags = info.flags;
    }
    return item;
}

COLORREF CTreeCtrl::GetBkColor() const
{
    return static_cast<COLORREF>(SendToControl(this, TVM_GETBKCOLOR));
}

COLORREF CTreeCtrl::SetBkColor(COLORREF color)
{
    return static_cast<COLORREF>(SendToControl(this, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
}

COLORREF CTreeCtrl::GetTextColor() const
{
    return static_cast<COLORREF>(SendToControl(this, TVM_GETTEXTCOLOR));
}

COLORREF CTreeCtrl::SetTextColor(COLORREF color)
{
    return static_cast<COLORREF>(SendToControl(this, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color)));
}

int CTreeCtrl::GetItemHeight() const
{
    return static_cast<int>(SendToControl(this, TVM_GETITEMHEIGHT));
}

HWND CTreeCtrl::GetEditControl() const
{
    return reinterpret_cast<HWND>(SendToControl(this, TVM_GETEDITCONTROL));
}

HWND CTreeCtrl::GetToolTips() const
{
    return reinterpret_cast<HWND>(SendToControl(this, TVM_GETTOOLTIPS));
}
