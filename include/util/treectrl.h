#pragma once

#include <windows.h>

#include <commctrl.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/geometry.h>
#include <util/wnd.h>

// Framework wrapper of the platform's tree view. Each member sends the control's own message and
// has the platform's meaning.
class UTIL_API CTreeCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    HTREEITEM InsertItem(const TVINSERTSTRUCTW* insert);
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent = TVI_ROOT, HTREEITEM insertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    UINT GetCount() const;
    UINT GetVisibleCount() const;

    // code: TVGN_*; null when there is no such item.
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetRootItem() const;
    HTREEITEM GetFirstVisibleItem() const;
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const;
    HTREEITEM GetPrevVisibleItem(HTREEITEM item) const;
    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetDropHilightItem() const;
    BOOL ItemHasChildren(HTREEITEM item) const;

    BOOL GetItem(TVITEMW* item) const;
    BOOL SetItem(TVITEMW* item);
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const wchar_t* text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    // textOnly: the label's rectangle, else the whole row.
    BOOL GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const;

    BOOL Select(HTREEITEM item, UINT code);
    BOOL SelectItem(HTREEITEM item);
    BOOL Expand(HTREEITEM item, UINT code);
    BOOL EnsureVisible(HTREEITEM item);
    HTREEITEM HitTest(TVHITTESTINFO* info) const;
    HTREEITEM HitTest(CPoint point, UINT* flags = nullptr) const;

    COLORREF GetBkColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetTextColor(COLORREF color);
    int GetItemHeight() const;
    // The label edit box while a label is being edited, else null.
    HWND GetEditControl() const;
    HWND GetToolTips() const;
};
