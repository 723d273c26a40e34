#include <util/kxlistctrl.h>

namespace {

enum ColorRef : int { kWindow = 0, kHighlight = 2 };

} // namespace

COLORREF CDrawListCtrl::GetColorRef(int index)
{
    static const int kSystemColors[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT, COLOR_HIGHLIGHT,
                                        COLOR_HIGHLIGHTTEXT, COLOR_3DLIGHT, COLOR_INACTIVECAPTIONTEXT};
    static const COLORREF kFixedColors[] = {
        0x000000, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0x800000,
        0x008000, // 15 has no colour of its own: it falls back like any unknown index
        0x808000, 0x000080, 0x800080, 0x008080, 0x808080, 0xC0C0C0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0,
    };
    constexpr int kSystemCount = sizeof(kSystemColors) / sizeof(kSystemColors[0]);
    constexpr int kFixedCount = sizeof(kFixedColors) / sizeof(kFixedColors[0]);
    if (index >= 0 && index < kSystemCount) {
        return ::GetSysColor(kSystemColors[index]);
    }
    if (index >= kSystemCount && index < kSystemCount + kFixedCount) {
        return kFixedColors[index - kSystemCount];
    }
    return 0x008000;
}

int CDrawListCtrl::GetColumnCount() const
{
    if ((GetStyle() & LVS_TYPEMASK) != LVS_REPORT) {
        return 0;
    }
    CHeaderCtrl* header = GetHeaderCtrl();
    return header ? header->GetItemCount() : 0;
}

CRect CDrawListCtrl::GetFullCellRect(int item, int flag) const
{
    CRect row;
    if (!GetItemRect(item, &row, LVIR_BOUNDS)) {
        return CRect();
    }
    if (flag == 0) {
        row.DeflateRect(1, 1);
    }
    return row;
}

CRect CDrawListCtrl::GetCellRect(int item, int column, int flag) const
{
    CRect cell;
    if (!GetItemRect(item, &cell, LVIR_BOUNDS)) {
        return CRect();
    }
    for (int before = 0; before < column; ++before) {
        cell.left += GetColumnWidth(before);
    }
    cell.right = cell.left + GetColumnWidth(column);
    if (flag == 0) {
        cell.DeflateRect(1, 1);
    }
    return cell;
}

void CDrawListCtrl::DrawItem(DRAWITEMSTRUCT* item)
{
    const int index = item ? static_cast<int>(item->itemID) : -1;
    if (index < 0 || index >= GetItemCount()) {
        return;
    }
    DrawItemEx(item->hDC, index, item->rcItem, item->itemAction);
}

void CDrawListCtrl::DrawItemEx(HDC dc, int item, const RECT& row, UINT action)
{
    const UINT state = GetItemState(item, LVIS_DROPHILITED | LVIS_SELECTED | LVIS_FOCUSED);
    const bool showSelAlways = (GetStyle() & LVS_SHOWSELALWAYS) != 0;
    const bool hasFocus = ::GetFocus() == m_hWnd;
    const bool shownSelected =
        (state & LVIS_DROPHILITED) != 0 || ((state & LVIS_SELECTED) != 0 && (hasFocus || showSelAlways));
    const bool focusItem = (state & LVIS_FOCUSED) != 0;

    bool highlight = shownSelected;
    if ((action & ODA_FOCUS) != 0 && !hasFocus) {
        highlight = true;
    } else if ((action & (ODA_FOCUS | ODA_DRAWENTIRE)) != 0 && hasFocus && focusItem) {
        highlight = showSelAlways;
    }
    CRect fill(row);
    fill.DeflateRect(1, 1);
    CDC::FromHandle(dc)->FillSolidRect(&fill, GetColorRef(highlight ? kHighlight : kWindow));

    const int columns = GetColumnCount();
    for (int column = 0; column < columns; ++column) {
        tagKXDrawListNotify record{};
        record.nItem = item;
        record.nSubItem = column;
        record.hDC = dc;
        record.rcCell = GetCellRect(item, column, 0);
        NotifyParent(record, KXDLN_DRAWCELL);
    }
}

void CDrawListCtrl::NotifyParent(tagKXDrawListNotify& record, UINT code) const
{
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = code;
    const HWND parent = ::GetParent(m_hWnd);
    if (parent) {
        ::SendMessageW(parent, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
    }
}

bool CDrawListCtrl::InVisibleHeader(CPoint point) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header == nullptr || !header->IsWindowVisible()) {
        return false;
    }
    CRect area;
    header->GetWindowRect(&area);
    ScreenToClient(&area);
    return area.PtInRect(point) != FALSE;
}

void CDrawListCtrl::NotifyMouse(UINT code, CPoint point) const
{
    tagKXDrawListNotify record{};
    record.nItem = HitTest(point);
    record.nSubItem = 0;
    record.rcCell = GetCellRect(record.nItem, 0, 0);
    record.pt = point;
    NotifyParent(record, code);
}

void CDrawListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    if (InVisibleHeader(point)) {
        return;
    }
    NotifyMouse(KXDLN_LBUTTONDOWN, point);
    CKXBaseListCtrl::OnLButtonDown(flags, point);
}

void CDrawListCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    if (InVisibleHeader(point)) {
        return;
    }
    NotifyMouse(KXDLN_LBUTTONUP, point);
    CKXBaseListCtrl::OnLButtonUp(flags, point);
}
