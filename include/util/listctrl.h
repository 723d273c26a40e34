#pragma once

#include <windows.h>

#include <commctrl.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/geometry.h>
#include <util/wnd.h>

// Framework wrappers of the platform's list view, header and list box controls. Each member sends
// the control's own message and has the platform's meaning; the objects own no more than CWnd does.

class UTIL_API CHeaderCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetItemCount() const;
    BOOL GetItem(int index, HDITEMW* item) const;
    BOOL SetItem(int index, HDITEMW* item);
    BOOL GetItemRect(int index, RECT* rect) const;

    // Owner-drawn items (HDF_OWNERDRAW) get their drawing here, by reflection; the framework's draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* item);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class UTIL_API CListCtrl : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // The header of a report view; null when the list has none.
    CHeaderCtrl* GetHeaderCtrl() const;

    int InsertColumn(int column, const LVCOLUMNW* columnInfo);
    // format: LVCFMT_*; subItem -1 leaves the column's sub-item unset.
    int InsertColumn(int column, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    BOOL GetColumn(int column, LVCOLUMNW* columnInfo) const;
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);

    int GetItemCount() const;
    int InsertItem(int item, const wchar_t* text);
    int InsertItem(const LVITEMW* item);
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    CString GetItemText(int item, int subItem) const;
    BOOL SetItemText(int item, int subItem, const wchar_t* text);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    UINT GetItemState(int item, UINT mask) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    // Returns -1 when no item follows in the direction of flags (LVNI_*).
    int GetNextItem(int item, int flags) const;
    BOOL GetItemRect(int item, RECT* rect, UINT code) const;
    int HitTest(LVHITTESTINFO* info) const;
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    int SubItemHitTest(LVHITTESTINFO* info) const;
    BOOL RedrawItems(int first, int last);
    BOOL EnsureVisible(int item, BOOL partialOK);
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);

    COLORREF GetBkColor() const;
    BOOL SetBkColor(COLORREF color);
    COLORREF GetTextBkColor() const;
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD exStyle);
    int GetStringWidth(const wchar_t* text) const;

    // An owner-drawn report view (LVS_OWNERDRAWFIXED) gets its rows here, by reflection; the
    // framework's draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* item);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class UTIL_API CListBox : public CWnd {
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetCount() const;
    // Returns the new item's index, LB_ERR or LB_ERRSPACE.
    int AddString(const wchar_t* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetText(int index, CString& text) const;
    int GetTextLen(int index) const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetItemRect(int index, RECT* rect) const;
    int SetItemHeight(int index, UINT height);
    int GetItemHeight(int index) const;

    // Owner-drawn list boxes get their items here, by reflection; the framework's draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* item);
    virtual void MeasureItem(MEASUREITEMSTRUCT* item);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
