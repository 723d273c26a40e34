#include <util/listctrl.h>

#include "framework/control_messages.h"

// ---- CHeaderCtrl ----

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(WC_HEADERW, nullptr, style, rect, parent, id);
}

int CHeaderCtrl::GetItemCount() const
{
    return static_cast<int>(SendToControl(this, HDM_GETITEMCOUNT));
}

BOOL CHeaderCtrl::GetItem(int index, HDITEMW* item) const
{
    return static_cast<BOOL>(SendToControl(this, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}

BOOL CHeaderCtrl::SetItem(int index, HDITEMW* item)
{
    return static_cast<BOOL>(SendToControl(this, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}

BOOL CHeaderCtrl::GetItemRect(int index, RECT* rect) const
{
    return static_cast<BOOL>(SendToControl(this, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}

void CHeaderCtrl::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectDrawItem(message, lParam, result, [this](DRAWITEMSTRUCT* item) { DrawItem(item); }) ||
           CWnd::OnChildNotify(message, wParam, lParam, result);
}

// ---- CListCtrl ----

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(WC_LISTVIEWW, nullptr, style, rect, parent, id);
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    const auto header = reinterpret_cast<HWND>(SendToControl(this, LVM_GETHEADER));
    return header ? static_cast<CHeaderCtrl*>(CWnd::FromHandle(header)) : nullptr;
}

int CListCtrl::InsertColumn(int column, const LVCOLUMNW* columnInfo)
{
    return static_cast<int>(
        SendToControl(this, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(columnInfo)));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width, int subItem)
{
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_FMT;
    info.fmt = format;
    info.pszText = const_cast<wchar_t*>(heading);
    if (width != -1) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return InsertColumn(column, &info);
}

BOOL CListCtrl::DeleteColumn(int column)
{
    return static_cast<BOOL>(SendToControl(this, LVM_DELETECOLUMN, static_cast<WPARAM>(column)));
}

BOOL CListCtrl::GetColumn(int column, LVCOLUMNW* columnInfo) const
{
    return static_cast<BOOL>(
        SendToControl(this, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(columnInfo)));
}

int CListCtrl::GetColumnWidth(int column) const
{
    return static_cast<int>(SendToControl(this, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

BOOL CListCtrl::SetColumnWidth(int column, int width)
{
    return static_cast<BOOL>(SendToControl(this, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendToControl(this, LVM_GETITEMCOUNT));
}

int CListCtrl::InsertItem(int item, const wchar_t* text)
{
    LVITEMW info{};
    info.mask = LVIF_TEXT;
    info.iItem = item;
    info.pszText = const_cast<wchar_t*>(text);
    return InsertItem(&info);
}

int CListCtrl::InsertItem(const LVITEMW* item)
{
    return static_cast<int>(SendToControl(this, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CListCtrl::DeleteItem(int item)
{
    return static_cast<BOOL>(SendToControl(this, LVM_DELETEITEM, static_cast<WPARAM>(item)));
}

BOOL CListCtrl::DeleteAllItems()
{
    return static_cast<BOOL>(SendToControl(this, LVM_DELETEALLITEMS));
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    // The control copies at most the buffer's size and answers how many characters it copied: a
    // full buffer may mean a longer text.
    CString text;
    for (int capacity = 256;; capacity *= 2) {
        LVITEMW info{};
        info.iSubItem = subItem;
        info.cchTextMax = capacity;
        info.pszText = text.GetBuffer(capacity);
        const int copied = static_cast<int>(
            SendToControl(this, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
        text.ReleaseBuffer(copied);
        if (copied < capacity - 1) {
            return text;
        }
    }
}

BOOL CListCtrl::SetItemText(int item, int subItem, const wchar_t* text)
{
    LVITEMW info{};
    info.iSubItem = subItem;
    info.pszText = const_cast<wchar_t*>(text);
    return static_cast<BOOL>(SendToControl(this, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const
{
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    SendToControl(this, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
    return static_cast<DWORD_PTR>(info.lParam);
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data)
{
    LVITEMW info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    info.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendToControl(this, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

UINT CListCtrl::GetItemState(int item, UINT mask) const
{
    return static_cast<UINT>(SendToControl(this, LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMW info{};
    info.state = state;
    info.stateMask = mask;
    return static_cast<BOOL>(
        SendToControl(this, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::GetNextItem(int item, int flags) const
{
    return static_cast<int>(SendToControl(this, LVM_GETNEXTITEM, static_cast<WPARAM>(item), MAKELPARAM(flags, 0)));
}

BOOL CListCtrl::GetItemRect(int item, RECT* rect, UINT code) const
{
    rect->left = static_cast<LONG>(code);
    return static_cast<BOOL>(SendToControl(this, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const
{
    return static_cast<int>(SendToControl(this, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const
{
    LVHITTESTINFO info{};
    info.pt = point;
    const int item = HitTest(&info);
    if (flags) {
        *flags = info.flags;
    }
    return item;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) const
{
    return static_cast<int>(SendToControl(this, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

BOOL CListCtrl::RedrawItems(int first, int last)
{
    return static_cast<BOOL>(SendToControl(this, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)));
}

BOOL CListCtrl::EnsureVisible(int item, BOOL partialOK)
{
    return static_cast<BOOL>(SendToControl(this, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOK));
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data)
{
    return static_cast<BOOL>(SendToControl(this, LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare)));
}

COLORREF CListCtrl::GetBkColor() const
{
    return static_cast<COLORREF>(SendToControl(this, LVM_GETBKCOLOR));
}

BOOL CListCtrl::SetBkColor(COLORREF color)
{
    return static_cast<BOOL>(SendToControl(this, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
}

COLORREF CListCtrl::GetTextBkColor() const
{
    return static_cast<COLORREF>(SendToControl(this, LVM_GETTEXTBKCOLOR));
}

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendToControl(this, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD exStyle)
{
    return static_cast<DWORD>(SendToControl(this, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(exStyle)));
}

int CListCtrl::GetStringWidth(const wchar_t* text) const
{
    return static_cast<int>(SendToControl(this, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
}

void CListCtrl::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectDrawItem(message, lParam, result, [this](DRAWITEMSTRUCT* item) { DrawItem(item); }) ||
           CWnd::OnChildNotify(message, wParam, lParam, result);
}

// ---- CListBox ----

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(L"LISTBOX", nullptr, style, rect, parent, id);
}

int CListBox::GetCount() const
{
    return static_cast<int>(SendToControl(this, LB_GETCOUNT));
}

int CListBox::AddString(const wchar_t* text)
{
    return static_cast<int>(SendToControl(this, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::DeleteString(UINT index)
{
    return static_cast<int>(SendToControl(this, LB_DELETESTRING, index));
}

void CListBox::ResetContent()
{
    SendToControl(this, LB_RESETCONTENT);
}

int CListBox::GetText(int index, CString& text) const
{
    const int length = GetTextLen(index);
    if (length == LB_ERR) {
        text.Empty();
        return LB_ERR;
    }
    const int copied = static_cast<int>(
        SendToControl(this, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length + 1))));
    text.ReleaseBuffer(copied == LB_ERR ? 0 : copied);
    return copied;
}

int CListBox::GetTextLen(int index) const
{
    return static_cast<int>(SendToControl(this, LB_GETTEXTLEN, static_cast<WPARAM>(index)));
}

int CListBox::GetCurSel() const
{
    return static_cast<int>(SendToControl(this, LB_GETCURSEL));
}

int CListBox::SetCurSel(int index)
{
    return static_cast<int>(SendToControl(this, LB_SETCURSEL, static_cast<WPARAM>(index)));
}

int CListBox::GetItemRect(int index, RECT* rect) const
{
    return static_cast<int>(SendToControl(this, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}

int CListBox::SetItemHeight(int index, UINT height)
{
    return static_cast<int>(SendToControl(this, LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0)));
}

int CListBox::GetItemHeight(int index) const
{
    return static_cast<int>(SendToControl(this, LB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
}

void CListBox::DrawItem(DRAWITEMSTRUCT*) {}

void CListBox::MeasureItem(MEASUREITEMSTRUCT*) {}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        *result = TRUE;
        return TRUE;
    }
    return ReflectDrawItem(message, lParam, result, [this](DRAWITEMSTRUCT* item) { DrawItem(item); }) ||
           CWnd::OnChildNotify(message, wParam, lParam, result);
}
