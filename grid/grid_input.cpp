// The grid's input: hit testing, mouse, own scroll bars, scrolling and notifications to the parent.
#include <util/drawfun.h>
#include <util/grid.h>
#include <util/kxmsg.h>
#include <util/module.h>

#include <algorithm>

#include "framework/gdi_scope.h"
#include "resources/resource.h"

namespace {
constexpr UINT kLeftPressed = 0x001;
constexpr UINT kRightPressed = 0x002;
constexpr UINT kOnHeader = 0x004;
constexpr UINT kOnRows = 0x008;
constexpr UINT kRowDrag = 0x010;
constexpr UINT kColumnDrag = 0x020;
constexpr UINT kOnHeaderRow = 0x040;
constexpr UINT kThumbDrag = 0x080;
constexpr UINT kHorzBar = 0x100;
constexpr UINT kVertBar = 0x200;

constexpr UINT_PTR kFirstRepeatTimer = 1001;
constexpr UINT_PTR kRepeatTimer = 1002;
constexpr int kRowDragStart = 5;
constexpr int kColumnDragStart = 6;
constexpr int kMinThumb = 17;
constexpr double kGhostFactor = 0.4;

bool Has(UINT state, UINT bits)
{
    return (state & bits) == bits;
}

int DividerColumn(int subItem)
{
    return -subItem - 2;
}

HCURSOR RowDragCursor()
{
    return ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_KX_ROWDRAG));
}
} // namespace

// ---- hit testing ----

int CKxGrid::HitTestDisp(LVHITTESTINFO* hit) const
{
    hit->iItem = -1;
    hit->iSubItem = -1;
    hit->flags = LVHT_NOWHERE;
    const CRect client = GetClientRect();
    const POINT point = hit->pt;
    if (!client.PtInRect(point)) {
        return -1;
    }
    const int headerRows = GetHeadItemCount();
    int display = -1;
    if (point.y < client.top + m_nHeaderHeight) {
        display = 0;
    } else if (point.y < HeaderBottom()) {
        display = 1 + (point.y - client.top - m_nHeaderHeight) / std::max(m_nHeaderRowHeight, 1);
    } else {
        // The same row positions as painting.
        const int pitch = std::max(m_nRowHeight + m_nRowSpacing, 1);
        int row = std::min<int>((point.y - HeaderBottom()) / pitch, m_nCountPerPage);
        while (row > 0 && RowTop(row) > point.y) {
            --row;
        }
        while (row < m_nCountPerPage && RowTop(row + 1) <= point.y) {
            ++row;
        }
        if (row >= m_nCountPerPage || m_nTopIndex + row >= m_nItemCount) {
            return -1;
        }
        display = headerRows + 1 + row;
        hit->iItem = m_nTopIndex + row;
    }

    const int fixed = std::min(m_nFixedCols, GetColCount());
    for (const ColumnSpan& span : VisibleColumns(client.right)) {
        const bool onDivider = std::abs(point.x - span.right) <= 1;
        const bool inside = point.x > span.left && point.x < span.right;
        if (span.index < fixed) {
            if (onDivider || inside) {
                hit->iSubItem = onDivider ? -span.index - 2 : span.index;
                break;
            }
        } else if (onDivider) {
            hit->iSubItem = -span.index - 2;
        } else if (inside) {
            hit->iSubItem = span.index;
            break;
        }
    }
    hit->flags = LVHT_ONITEM;
    return display;
}

int CKxGrid::HitTestDispEx(LVHITTESTINFO* hit) const
{
    const int top = GetClientRect().top;
    hit->pt.y = std::max<LONG>(hit->pt.y, top);
    return HitTestDisp(hit);
}

int CKxGrid::HitTest(LVHITTESTINFO* hit) const
{
    if (hit == nullptr) {
        return -1;
    }
    const int display = HitTestDisp(hit);
    if (display <= GetHeadItemCount()) {
        hit->iItem = -1;
        return -1;
    }
    return hit->iItem;
}

// ---- notifications ----

CKxGrid::NotifyTarget CKxGrid::Target() const
{
    if (!IsWindow()) {
        return {nullptr, 0, nullptr};
    }
    return {::GetParent(m_hWnd), static_cast<UINT_PTR>(GetDlgCtrlID()), nullptr};
}

// Cell and row requests come by the hundred for every page. A parent of this thread has its window
// procedure called as a sent message would reach it, without the system's round trip and without the
// thread's call hooks (the split panels' cursor hook among them), which watch other messages.
CKxGrid::NotifyTarget CKxGrid::RequestTarget() const
{
    NotifyTarget target = Target();
    if (target.parent != nullptr && ::GetWindowThreadProcessId(target.parent, nullptr) == ::GetCurrentThreadId()) {
        target.procedure = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(target.parent, GWLP_WNDPROC));
    }
    return target;
}

LRESULT CKxGrid::SendToParent(NMHDR* header)
{
    return SendToParent(Target(), header);
}

LRESULT CKxGrid::SendToParent(const NotifyTarget& target, NMHDR* header) const
{
    if (target.parent == nullptr) {
        return 0;
    }
    header->hwndFrom = m_hWnd;
    header->idFrom = target.id;
    const LPARAM lParam = reinterpret_cast<LPARAM>(header);
    if (target.procedure != nullptr) {
        return ::CallWindowProcW(target.procedure, target.parent, WM_NOTIFY, target.id, lParam);
    }
    return ::SendMessageW(target.parent, WM_NOTIFY, target.id, lParam);
}

LRESULT CKxGrid::SendNotify(GRIDNOTIFY& notify)
{
    return SendToParent(&notify.hdr);
}

int CKxGrid::NotifyParent(UINT code, int item, int state)
{
    if (!IsWindow() || item < 0) {
        return 0;
    }
    GRIDNOTIFY notify{};
    notify.hdr.code = code;
    notify.nItem = item;
    if (state == 0 || state == 1) {
        notify.uState = static_cast<UINT>(state);
    }
    SendNotify(notify);
    return 1;
}

// A notification with a sub-item; sent also for item -1 where that means the header strip or no row.
static GRIDNOTIFY MakeNotify(UINT code, int item, int subItem, UINT state = 0)
{
    GRIDNOTIFY notify{};
    notify.hdr.code = code;
    notify.nItem = item;
    notify.nSubItem = subItem;
    notify.uState = state;
    return notify;
}

void CKxGrid::NotifyFocusChange(UINT code, int oldFocus, int newFocus)
{
    NotifyParent(code, oldFocus, 0);
    NotifyParent(code, newFocus, 1);
}

void CKxGrid::NotifySelectionMove(int oldFocus, int newFocus)
{
    NotifyFocusChange(GN_SELCHANGED, oldFocus, newFocus);
    NotifyFocusChange(GN_FOCUSMOVING, oldFocus, newFocus);
    m_bKeyNotifyPending = 1;
}

// ---- mouse ----

void CKxGrid::SelectOnPress(UINT flags, int item)
{
    const bool control = (flags & MK_CONTROL) != 0;
    const bool shift = (flags & MK_SHIFT) != 0;
    if (shift && (m_nAnchor < 0 || m_nAnchor >= m_nItemCount)) {
        m_nAnchor = 0;
    }
    if (control && shift) {
        for (int row = std::min(m_nAnchor, item); row <= std::max(m_nAnchor, item); ++row) {
            if (m_selection.Add(row)) {
                RedrawItems(row, row);
                NotifyParent(GN_SELCHANGED, row, 1);
            }
        }
    } else if (control) {
        const bool selected = IsSelectedRow(item);
        if (selected) {
            m_selection.Remove(item);
        } else {
            m_selection.Add(item);
        }
        RedrawItems(item, item);
        NotifyParent(GN_SELCHANGED, item, selected ? 0 : 1);
        m_nAnchor = item;
    } else if (shift) {
        SelectRangeWithAnchor(item);
    } else {
        const std::vector<int> previous = m_selection.Items();
        m_selection.Clear();
        for (int row : previous) {
            RedrawItems(row, row);
            NotifyParent(GN_SELCHANGED, row, 0);
        }
        m_selection.Add(item);
        RedrawItems(item, item);
        NotifyParent(GN_SELCHANGED, item, 1);
        m_nAnchor = item;
    }
}

// The selection becomes the rows between the anchor and item; each change is notified, the touched
// rows repainted once.
void CKxGrid::SelectRangeWithAnchor(int item)
{
    const int low = std::min(m_nAnchor, item);
    const int high = std::max(m_nAnchor, item);
    int touchedLow = low;
    int touchedHigh = high;
    std::vector<int> dropped;
    m_selection.Rewrite(
        [&](int row) {
            const bool outside = row < low || row > high;
            if (outside) {
                dropped.push_back(row);
            }
            return outside;
        },
        [](int row) { return row; });
    for (int row : dropped) {
        touchedLow = std::min(touchedLow, row);
        touchedHigh = std::max(touchedHigh, row);
        NotifyParent(GN_SELCHANGED, row, 0);
    }
    for (int row = low; row <= high; ++row) {
        if (m_selection.Add(row)) {
            NotifyParent(GN_SELCHANGED, row, 1);
        }
    }
    RedrawItems(touchedLow, touchedHigh);
}

void CKxGrid::OnLButtonDown(UINT flags, CPoint point)
{
    SetFocus();
    m_hitDown = LVHITTESTINFO{};
    m_hitDown.pt = point;
    m_nMouseState = kLeftPressed;
    if (HitTestScrollBar(point)) {
        OnHitScrollBar();
        return;
    }
    const int display = HitTestDisp(&m_hitDown);
    const int headerRows = GetHeadItemCount();
    if (display == 0) {
        if (m_hitDown.iSubItem != -1) {
            m_nMouseState = kLeftPressed | kOnHeader;
        }
        const int divider = DividerColumn(m_hitDown.iSubItem);
        if (m_hitDown.iSubItem <= -2 && ValidColumn(divider) && !(m_columns[divider].nFormat & GF_FIXEDWIDTH)) {
            m_bSizing = 1;
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        }
    } else if (display > 0 && display <= headerRows) {
        m_hitDown.iItem = display - headerRows - 1;
        m_nMouseState = kLeftPressed | kOnHeaderRow;
    } else if (display > headerRows) {
        const int item = m_hitDown.iItem;
        m_nMouseState = kLeftPressed | kOnRows;
        const int oldFocus = m_nFocusItem;
        m_nFocusItem = item;
        SelectOnPress(flags, item);
        if (oldFocus != item) {
            if (oldFocus >= 0) {
                RedrawItems(oldFocus, oldFocus);
            }
            RedrawItems(item, item);
            NotifyFocusChange(GN_FOCUSCHANGED, oldFocus, item);
        }
    }
    if (m_nMouseState != 0) {
        SetCapture();
    }
    Default();
}

void CKxGrid::OnRButtonDown(UINT, CPoint point)
{
    SetFocus();
    SetCapture();
    m_hitDown = LVHITTESTINFO{};
    m_hitDown.pt = point;
    if (HitTestScrollBar(point)) {
        return;
    }
    const int display = HitTestDisp(&m_hitDown);
    const int headerRows = GetHeadItemCount();
    if (display == 0) {
        m_nMouseState = kRightPressed | kOnHeader;
    } else if (display > 0 && display <= headerRows) {
        m_hitDown.iItem = display - headerRows - 1;
        m_nMouseState = kRightPressed | kOnHeaderRow;
    } else {
        m_nMouseState = kRightPressed | kOnRows;
        if (display > headerRows && !IsSelectedRow(m_hitDown.iItem)) {
            SetSimplSel(m_hitDown.iItem, TRUE);
        }
    }
    Default();
}

void CKxGrid::OnLButtonDblClk(UINT, CPoint point)
{
    SetFocus();
    m_nMouseState = 0;
    if (HitTestScrollBar(point)) {
        OnHitScrollBar();
        return;
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int display = HitTestDisp(&hit);
    if (display > GetHeadItemCount()) {
        NotifyParent(GN_ROWDBLCLK, hit.iItem, 1);
    } else if (display >= 0) {
        GRIDNOTIFY notify = MakeNotify(GN_HEADERDBLCLK, display - 1, 0, 1);
        SendNotify(notify);
    }
    Default();
}

void CKxGrid::OnMouseMove(UINT flags, CPoint point)
{
    const UINT state = m_nMouseState;
    if (Has(state, kLeftPressed | kThumbDrag) && (state & (kHorzBar | kVertBar))) {
        OnMoveScrollBlock(point);
    } else if ((Has(state, kLeftPressed | kOnRows) || (state & kRowDrag)) && m_bRowDrag) {
        OnRowDragMove(point);
    } else if (Has(state, kLeftPressed | kOnHeader) || (state & kColumnDrag)) {
        if (m_bSizing && m_hitDown.iSubItem <= -2) {
            OnResizeMove(point);
        } else if (m_hitDown.iSubItem >= m_nFixedCols) {
            OnColumnDragMove(point);
        }
    } else {
        LVHITTESTINFO hit{};
        hit.pt = point;
        if (HitTestDisp(&hit) > GetHeadItemCount() && hit.iSubItem >= 0) {
            GRIDNOTIFY notify = MakeNotify(GN_HOVER, hit.iItem, hit.iSubItem);
            SendNotify(notify);
        }
    }
    CKxBaseWnd::OnMouseMove(flags, point);
}

void CKxGrid::OnRowDragMove(const CPoint& point)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    const bool overRow = HitTestDisp(&hit) > GetHeadItemCount();
    if (!(m_nMouseState & kRowDrag)) {
        if (std::abs(point.y - m_hitDown.pt.y) <= kRowDragStart) {
            return;
        }
        ::SetCursor(RowDragCursor());
        m_nMouseState = (m_nMouseState & ~kLeftPressed) | kRowDrag;
        if (overRow) {
            m_nDropRow = hit.iItem;
            DrawRowDragLine(m_nDropRow, TRUE);
        }
        return;
    }
    if (!overRow) {
        return;
    }
    CRect target, pressed;
    GetItemRect(hit.iItem, &target);
    const int pressOffset = GetItemRect(m_hitDown.iItem, &pressed) ? m_hitDown.pt.y - pressed.top : 0;
    const int position = point.y - target.top >= pressOffset ? hit.iItem + 1 : hit.iItem;
    if (position != m_nDropRow) {
        DrawRowDragLine(m_nDropRow, FALSE);
        m_nDropRow = position;
        DrawRowDragLine(m_nDropRow, TRUE);
    }
}

void CKxGrid::OnResizeMove(const CPoint& point)
{
    const int column = DividerColumn(m_hitDown.iSubItem);
    if (!ValidColumn(column) || m_hitDown.pt.x - point.x >= m_columns[column].nWidth - 2) {
        return;
    }
    CRect client;
    CWnd::GetClientRect(&client);
    HDC windowDC = ::GetDC(m_hWnd);
    CopyToWindow(windowDC, client);
    m_nSizingLineX = std::min<int>(point.x, GetClientRect().right);
    DrawAdjectColWidthLine(windowDC, m_nSizingLineX, -1);
    ::ReleaseDC(m_hWnd, windowDC);
}

void CKxGrid::OnColumnDragMove(const CPoint& point)
{
    const int source = m_hitDown.iSubItem;
    CRect pressedCell;
    if (!ValidColumn(source) || !GetHeaderColRect(source, &pressedCell)) {
        return;
    }
    const CRect client = GetClientRect();
    if (!(m_nMouseState & kColumnDrag)) {
        if (std::abs(point.x - m_hitDown.pt.x) < kColumnDragStart || m_bmpBuffer.GetSafeHandle() == nullptr) {
            return;
        }
        m_nMouseState = (m_nMouseState & ~kLeftPressed) | kColumnDrag;
        HDC windowDC = ::GetDC(m_hWnd);
        ClearDragBitmaps();
        m_bmpDragBack.Attach(::CreateCompatibleBitmap(windowDC, client.Width(), m_nHeaderHeight));
        m_bmpDragStrip.Attach(::CreateCompatibleBitmap(windowDC, client.Width(), m_nHeaderHeight));
        m_bmpDragGhost.Attach(::CreateCompatibleBitmap(windowDC, pressedCell.Width() + 1, m_nHeaderHeight));
        ::ReleaseDC(m_hWnd, windowDC);
        const kxdraw::SelectedBitmap buffer(nullptr, m_bmpBuffer);
        const kxdraw::SelectedBitmap back(nullptr, m_bmpDragBack);
        const kxdraw::SelectedBitmap ghost(nullptr, m_bmpDragGhost);
        ::BitBlt(back.get(), 0, 0, client.Width(), m_nHeaderHeight, buffer.get(), client.left, client.top, SRCCOPY);
        ::BitBlt(ghost.get(), 0, 0, pressedCell.Width() + 1, m_nHeaderHeight, buffer.get(), pressedCell.left,
                 pressedCell.top, SRCCOPY);
    }

    // The column under the pointer, kept within the scrolling columns on screen.
    const ColumnSpans spans = VisibleColumns(client.right);
    if (spans.empty()) {
        return;
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    HitTestDispEx(&hit);
    int target = hit.iSubItem >= 0 ? hit.iSubItem : hit.iSubItem <= -2 ? DividerColumn(hit.iSubItem) : -1;
    if (point.x < client.left || target < 0) {
        target = point.x < client.left ? FirstScrollingColumn() : spans.back().index;
    }
    target = std::max(target, FirstScrollingColumn());
    CRect targetCell;
    if (!GetHeaderColRect(target, &targetCell)) {
        return;
    }
    const bool after = (m_hitDown.pt.x * 2 - pressedCell.right - pressedCell.left) <
                       (point.x * 2 - targetCell.right - targetCell.left);
    m_nDropCol = after ? target + 1 : target;
    const int lineX = (after ? targetCell.right : targetCell.left) - client.left;

    const kxdraw::SelectedBitmap strip(nullptr, m_bmpDragStrip);
    {
        const kxdraw::SelectedBitmap back(nullptr, m_bmpDragBack);
        ::BitBlt(strip.get(), 0, 0, client.Width(), m_nHeaderHeight, back.get(), 0, 0, SRCCOPY);
        const kxdraw::SelectedBitmap ghost(nullptr, m_bmpDragGhost);
        const RECT line{lineX - 1, 0, lineX + 1, targetCell.bottom - client.top};
        KXDRAWFUN::FillSolidRect(strip.get(), &line, m_crBk);
        KXDRAWFUN::TranslucentBitBlt(strip.get(), pressedCell.left + point.x - m_hitDown.pt.x - client.left, 0,
                                     pressedCell.Width() + 1, m_nHeaderHeight, ghost.get(), 0, 0, kGhostFactor);
    }
    HDC windowDC = ::GetDC(m_hWnd);
    ::BitBlt(windowDC, client.left, client.top, client.Width(), m_nHeaderHeight, strip.get(), 0, 0, SRCCOPY);
    ::ReleaseDC(m_hWnd, windowDC);
}

void CKxGrid::MoveColumn(int source, int destination)
{
    const int to = destination > source ? destination - 1 : destination;
    auto move = [&](auto& items) {
        if (source >= static_cast<int>(items.size()) || to >= static_cast<int>(items.size())) {
            return;
        }
        auto moved = items[source];
        items.erase(items.begin() + source);
        items.insert(items.begin() + to, moved);
    };
    move(m_columns);
    for (HeaderRow& row : m_headerRows) {
        move(row.cells);
    }
}

void CKxGrid::FinishColumnDrag()
{
    ClearDragBitmaps();
    const int source = m_hitDown.iSubItem;
    const int destination = m_nDropCol;
    m_nDropCol = -1;
    if (ValidColumn(source) && destination != source && destination != source + 1 && destination >= m_nFixedCols &&
        destination <= GetColCount()) {
        MoveColumn(source, destination);
        SetupScroll(1);
        GRIDNOTIFY notify = MakeNotify(GN_COLUMNMOVED, source, destination);
        SendNotify(notify);
    }
    ReDrawAll(FALSE);
}

void CKxGrid::FinishResize(const CPoint& point, int displayRow)
{
    m_bSizing = 0;
    if (m_nSizingLineX >= 0) {
        CRect client;
        CWnd::GetClientRect(&client);
        CopyToWindow(client);
        m_nSizingLineX = -1;
    }
    const int column = DividerColumn(m_hitDown.iSubItem);
    const int right = std::min<int>(GetClientRect().right, point.x);
    if (!ValidColumn(column) || m_hitDown.pt.x - right >= m_columns[column].nWidth - 2) {
        return;
    }
    m_columns[column].nWidth += right - m_hitDown.pt.x;
    ReDrawAll(FALSE);
    SetupScroll(1);
    GRIDNOTIFY notify = MakeNotify(GN_COLUMNRESIZED, displayRow, column);
    SendNotify(notify);
}

void CKxGrid::OnLButtonUp(UINT flags, CPoint point)
{
    ::ReleaseCapture();
    KillTimer(kFirstRepeatTimer);
    KillTimer(kRepeatTimer);
    const UINT state = m_nMouseState;
    m_nMouseState = 0;
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int display = HitTestDisp(&hit);
    const int headerRows = GetHeadItemCount();
    if (Has(state, kLeftPressed | kOnRows)) {
        if (display > headerRows && hit.iItem == m_hitDown.iItem && hit.iSubItem == m_hitDown.iSubItem) {
            GRIDNOTIFY notify = MakeNotify(GN_CELLCLICK, hit.iItem, hit.iSubItem);
            SendNotify(notify);
        }
    } else if (Has(state, kLeftPressed | kOnHeaderRow)) {
        if (display > 0 && display <= headerRows && display - headerRows - 1 == m_hitDown.iItem &&
            hit.iSubItem == m_hitDown.iSubItem) {
            GRIDNOTIFY notify = MakeNotify(GN_HEADERROWCLICK, display - 1, hit.iSubItem);
            SendNotify(notify);
        }
    } else if (state & kRowDrag) {
        DrawRowDragLine(m_nDropRow, FALSE);
        GRIDNOTIFY notify = MakeNotify(GN_ROWMOVED, m_hitDown.iItem, m_nDropRow);
        SendNotify(notify);
        m_nDropRow = -1;
        ReDrawAll(FALSE);
    } else if (Has(state, kLeftPressed | kOnHeader)) {
        if (m_bSizing && m_hitDown.iSubItem <= -2) {
            FinishResize(point, display);
        } else {
            if (display == 0 && hit.iSubItem == m_hitDown.iSubItem) {
                GRIDNOTIFY notify = MakeNotify(GN_HEADERCLICK, 0, hit.iSubItem);
                SendNotify(notify);
            }
            ReDrawAll(FALSE);
        }
    } else if (state & kColumnDrag) {
        FinishColumnDrag();
    }
    m_bSizing = 0;
    m_hitDown.iItem = m_hitDown.iSubItem = -1;
    CKxBaseWnd::OnLButtonUp(flags, point);
}

void CKxGrid::OnRButtonUp(UINT, CPoint point)
{
    ::ReleaseCapture();
    const UINT state = m_nMouseState;
    m_nMouseState = 0;
    if (m_hsi.PointInRect(point.x, point.y) || m_vsi.PointInRect(point.x, point.y)) {
        return;
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int display = HitTestDisp(&hit);
    const int headerRows = GetHeadItemCount();
    if (Has(state, kRightPressed | kOnRows)) {
        CRect area;
        GetRealClientRect(&area);
        if (display < 0 && area.PtInRect(point)) {
            GRIDNOTIFY notify = MakeNotify(GN_RCLICK, -1, -1);
            SendNotify(notify);
        } else if (display > headerRows && hit.iItem == m_hitDown.iItem && hit.iSubItem == m_hitDown.iSubItem) {
            GRIDNOTIFY notify = MakeNotify(GN_RCLICK, hit.iItem, hit.iSubItem);
            SendNotify(notify);
        }
    } else if (Has(state, kRightPressed | kOnHeaderRow)) {
        if (display > 0 && display <= headerRows && display - headerRows - 1 == m_hitDown.iItem &&
            hit.iSubItem == m_hitDown.iSubItem) {
            GRIDNOTIFY notify = MakeNotify(GN_HEADERROWRCLICK, display - 1, hit.iSubItem);
            SendNotify(notify);
        }
    } else if (Has(state, kRightPressed | kOnHeader)) {
        if (display == 0 && hit.iSubItem == m_hitDown.iSubItem) {
            GRIDNOTIFY notify = MakeNotify(GN_HEADERRCLICK, 0, hit.iSubItem);
            notify.x = point.x;
            notify.y = point.y;
            SendNotify(notify);
        }
    }
    m_hitDown.iItem = m_hitDown.iSubItem = -1;
    Default();
}

BOOL CKxGrid::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    POINT point{};
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int display = HitTestDisp(&hit);
    const int divider = DividerColumn(hit.iSubItem);
    if (display == 0 && hit.iSubItem <= -2 && ValidColumn(divider) && !(m_columns[divider].nFormat & GF_FIXEDWIDTH)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
    }
    if (m_nMouseState & kRowDrag) {
        ::SetCursor(RowDragCursor());
        return TRUE;
    }
    const HWND parent = ::GetParent(m_hWnd);
    if (parent != nullptr && ::SendMessageW(parent, WM_KX_SETGRIDCURSOR, 0, 0) == 1) {
        return TRUE;
    }
    if (display > GetHeadItemCount() && hit.iSubItem >= 0) {
        GRIDNOTIFY notify = MakeNotify(GN_SETCURSOR, hit.iItem, hit.iSubItem);
        SendNotify(notify);
        if (notify.uState != 0) {
            return TRUE;
        }
    }
    return CKxBaseWnd::OnSetCursor(wnd, hitTest, message);
}

void CKxGrid::DrawRowDragLine(int position, BOOL show)
{
    if (!IsWindow() || !IsWindowVisible() || position < 0) {
        return;
    }
    CRect row;
    int y = 0;
    if (position < m_nItemCount) {
        if (!GetItemRect(position, &row)) {
            return;
        }
        y = row.top;
    } else {
        if (!GetItemRect(m_nItemCount - 1, &row)) {
            return;
        }
        y = row.bottom;
    }
    const CRect client = GetClientRect();
    const COLORREF colour = show ? (m_crBk ^ 0xFFFFFF) : (m_dwGridStyle & GS_GRIDLINES) ? m_crGridLine : m_crBk;
    HDC windowDC = ::GetDC(m_hWnd);
    KXDRAWFUN::DrawLine(windowDC, client.left, y, client.right - 1, y, PS_SOLID, 1, colour, R2_COPYPEN);
    ::ReleaseDC(m_hWnd, windowDC);
}

// ---- own scroll bars ----

BOOL CKxGrid::HitTestScrollBar(POINT point)
{
    int bar = 0;
    int part = 0;
    if ((m_dwGridStyle & GS_OWNHSCROLL) && (part = m_hsi.PointInRect(point.x, point.y)) != 0) {
        bar = BAR_HORZ;
    } else if ((m_dwGridStyle & GS_OWNVSCROLL) && (part = m_vsi.PointInRect(point.x, point.y)) != 0) {
        bar = BAR_VERT;
    } else {
        return FALSE;
    }
    m_nScrollHit = (static_cast<UINT>(part) << 16) | static_cast<UINT>(bar);
    if (part == CGridScrollInfo::PART_THUMB) {
        SetCapture();
        const CGridScrollInfo& info = bar == BAR_HORZ ? m_hsi : m_vsi;
        m_nMouseState |= kThumbDrag | (bar == BAR_HORZ ? kHorzBar : kVertBar);
        m_nThumbGrab = bar == BAR_HORZ ? point.x - info.rcBlock.left : point.y - info.rcBlock.top;
    }
    return TRUE;
}

void CKxGrid::OnHitScrollBar()
{
    const int part = static_cast<int>(m_nScrollHit >> 16);
    const int bar = static_cast<int>(m_nScrollHit & 0xFFFF);
    const CGridScrollInfo& info = bar == BAR_HORZ ? m_hsi : m_vsi;
    if (part == CGridScrollInfo::PART_THUMB || part == CGridScrollInfo::PART_NONE || !info.HasBlock()) {
        return;
    }
    SetTimer(kFirstRepeatTimer, 500);
    const int page = static_cast<int>(info.si.nPage);
    const int position = info.si.nPos;
    if (bar == BAR_HORZ) {
        const int steps[] = {0, -1, 1, 0, -page, page};
        Scroll(steps[part], SCROLL_COLUMNS);
        return;
    }
    int amount = 0;
    switch (part) {
    case CGridScrollInfo::PART_ARROW1:
        amount = position > 0 && position < info.si.nMax ? -1 : 0;
        break;
    case CGridScrollInfo::PART_ARROW2:
        amount = position >= 0 && position < info.si.nMax ? 1 : 0;
        break;
    case CGridScrollInfo::PART_PAGE1:
        amount = -std::max(0, std::min(position - info.si.nMin, page));
        break;
    default:
        amount = std::max(0, std::min(info.si.nMax - position, page));
        break;
    }
    if (amount != 0) {
        Scroll(amount, SCROLL_ROWS);
    }
}

void CKxGrid::OnMoveScrollBlock(POINT point)
{
    const bool vertical = (m_nMouseState & kVertBar) != 0;
    const CGridScrollInfo& info = vertical ? m_vsi : m_hsi;
    const int a = (vertical ? info.rcArrow1.bottom : info.rcArrow1.right) + 1;
    const int b = (vertical ? info.rcArrow2.top : info.rcArrow2.left) - 1;
    const int length = b - a;
    const int range = info.si.nMax - info.si.nMin + 1;
    const int page = static_cast<int>(info.si.nPage);
    if (length <= 0 || range <= 0 || (info.bMinBlock && range <= page)) {
        return;
    }
    const double ratio = info.bMinBlock ? double(length - kMinThumb) / (range - page) : double(length) / range;
    if (ratio <= 0) {
        return;
    }
    const int moved = vertical ? point.y - m_nThumbGrab - info.rcBlock.top : point.x - m_nThumbGrab - info.rcBlock.left;
    int delta = static_cast<int>(moved / ratio + 0.500001);
    if (info.si.nPos + delta > info.si.nMax) {
        delta = info.si.nMax - info.si.nPos;
    } else if (info.si.nPos + delta < info.si.nMin) {
        delta = info.si.nMin - info.si.nPos;
    }
    if (delta != 0) {
        Scroll(delta, vertical ? SCROLL_ROWS : SCROLL_COLUMNS);
    }
}

void CKxGrid::OnTimer(UINT_PTR id)
{
    if (id != kFirstRepeatTimer && id != kRepeatTimer) {
        CKxBaseWnd::OnTimer(id);
        return;
    }
    POINT point{};
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    const int part = HitTestScrollBar(point) ? static_cast<int>(m_nScrollHit >> 16) : 0;
    if (part != CGridScrollInfo::PART_NONE && part != CGridScrollInfo::PART_THUMB) {
        KillTimer(kFirstRepeatTimer);
        SetTimer(kRepeatTimer, 50);
        OnHitScrollBar();
    } else {
        KillTimer(kFirstRepeatTimer);
        KillTimer(kRepeatTimer);
    }
}

BOOL CKxGrid::OnMouseWheel(UINT flags, short delta, CPoint screenPoint)
{
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (static_cast<int>(m_vsi.si.nPage) >= m_vsi.si.nMax - m_vsi.si.nMin) {
        return TRUE;
    }
    if (delta == -WHEEL_DELTA) {
        Scroll(static_cast<int>(lines), SCROLL_ROWS);
    } else if (delta == WHEEL_DELTA) {
        Scroll(-static_cast<int>(lines), SCROLL_ROWS);
    }
    return CKxBaseWnd::OnMouseWheel(flags, delta, screenPoint);
}

// ---- buddy and platform scroll bars ----

LRESULT CKxGrid::OnScrollBarBuddy(WPARAM wParam, LPARAM lParam)
{
    const HWND bar = reinterpret_cast<HWND>(lParam);
    if (wParam == 1) {
        m_hHorzBuddy = bar;
        SetupScroll(1);
    } else {
        m_hVertBuddy = bar;
        SetupScroll(0);
    }
    return 0;
}

// The thumb position in full: the scroll message carries only its low 16 bits.
int CKxGrid::ThumbPosition(HWND bar, int bar16Position, int kind) const
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    wchar_t className[32] = {};
    if (bar != nullptr && ::GetClassNameW(bar, className, _countof(className)) > 0 &&
        wcscmp(className, L"KXScrollBar") == 0) {
        if (::SendMessageW(bar, WM_KX_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)) != 0) {
            return info.nPos;
        }
        return bar16Position;
    }
    if (::GetScrollInfo(bar != nullptr ? bar : m_hWnd, bar != nullptr ? SB_CTL : kind, &info)) {
        return info.nTrackPos;
    }
    return bar16Position;
}

void CKxGrid::OnVScroll(UINT code, UINT position, CWnd* scrollBar)
{
    switch (code) {
    case SB_LINEUP:
        Scroll(-1, SCROLL_ROWS);
        break;
    case SB_LINEDOWN:
        Scroll(1, SCROLL_ROWS);
        break;
    case SB_PAGEUP:
        Scroll(-m_nCountPerPage, SCROLL_ROWS);
        break;
    case SB_PAGEDOWN:
        Scroll(m_nCountPerPage, SCROLL_ROWS);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        const int row = ThumbPosition(scrollBar ? scrollBar->m_hWnd : nullptr, static_cast<int>(position), SB_VERT);
        if (row != m_nTopIndex) {
            SetTopIndex(row);
        }
        break;
    }
    default:
        break;
    }
}

void CKxGrid::OnHScroll(UINT code, UINT position, CWnd* scrollBar)
{
    switch (code) {
    case SB_LINELEFT:
        Scroll(-1, SCROLL_COLUMNS);
        break;
    case SB_LINERIGHT:
        Scroll(1, SCROLL_COLUMNS);
        break;
    case SB_PAGELEFT:
        PageColumns(false);
        break;
    case SB_PAGERIGHT:
        PageColumns(true);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        m_nLeftCol = ThumbPosition(scrollBar ? scrollBar->m_hWnd : nullptr, static_cast<int>(position), SB_HORZ);
        AdjustLeftIndex();
        ReDrawAll(FALSE);
        SetupScroll(1);
        break;
    default:
        break;
    }
}

void CKxGrid::PageColumns(bool right)
{
    const int fixed = std::min(m_nFixedCols, GetColCount());
    const int room = GetClientRect().Width() - GetFixedColWidth();
    const int first = FirstScrollingColumn();
    if (right) {
        int used = 0;
        for (int i = first; i < GetColCount(); ++i) {
            used += m_columns[i].nWidth;
            if (used > room) {
                m_nLeftCol = std::max(i - fixed, m_nLeftCol + 1);
                break;
            }
        }
        AdjustLeftIndex();
    } else {
        int used = 0;
        int left = m_nLeftCol;
        while (left > 0 && used + m_columns[fixed + left - 1].nWidth <= room) {
            --left;
            used += m_columns[fixed + left].nWidth;
        }
        m_nLeftCol = left;
    }
    SetupScroll(1);
    ReDrawAll(FALSE);
}

void CKxGrid::AdjustLeftIndex()
{
    const int fixed = std::min(m_nFixedCols, GetColCount());
    const int scrolling = GetColCount() - fixed;
    m_nLeftCol = std::max(0, std::min(m_nLeftCol, scrolling - 1));
    const int room = GetClientRect().Width();
    const int fixedWidth = GetFixedColWidth();
    int shown = 0;
    for (int i = fixed + m_nLeftCol; i < GetColCount(); ++i) {
        shown += m_columns[i].nWidth;
    }
    while (m_nLeftCol > 0 && fixedWidth + shown < room) {
        const int before = m_columns[fixed + m_nLeftCol - 1].nWidth;
        if (fixedWidth + shown + before > room) {
            break;
        }
        --m_nLeftCol;
        shown += before;
    }
}

// ---- scrolling ----

void CKxGrid::ScrollRowsInBuffer(int amount)
{
    const int kept = m_nCountPerPage - std::abs(amount);
    if (kept <= 0 || m_bmpBuffer.GetSafeHandle() == nullptr || !m_bRedraw) {
        return;
    }
    const CRect client = GetClientRect();
    const int right = client.right - 1;
    const kxdraw::SelectedBitmap buffer(nullptr, m_bmpBuffer);
    HDC dc = buffer.get();
    // Rows keep their content bottom-aligned when their height differs by the one spare pixel.
    auto moveRow = [&](int target) {
        const int source = target + amount;
        const int top = RowTop(target), height = RowTop(target + 1) - top;
        const int sourceTop = RowTop(source), sourceHeight = RowTop(source + 1) - sourceTop;
        const int width = right - client.left;
        if (height == sourceHeight) {
            ::BitBlt(dc, client.left, top, width, height, dc, client.left, sourceTop, SRCCOPY);
            return;
        }
        // The row's top pixel row is left blank and the rest is filled up to the line at the bottom.
        const int shift = height - sourceHeight;
        if (shift < 0) {
            ::BitBlt(dc, client.left, top + 1, width, height - 1, dc, client.left, sourceTop + 2, SRCCOPY);
        } else {
            ::BitBlt(dc, client.left, top + 2, width, sourceHeight - 1, dc, client.left, sourceTop + 1, SRCCOPY);
            ::BitBlt(dc, client.left, top + 1, width, 1, dc, client.left, sourceTop + 1, SRCCOPY);
        }
        ::BitBlt(dc, client.left, top, width, 1, dc, client.left, sourceTop, SRCCOPY);
    };
    // Runs of rows whose heights match their sources move in one blit.
    auto sameRun = [&](int target) {
        return RowTop(target + 1) - RowTop(target) == RowTop(target + amount + 1) - RowTop(target + amount);
    };
    auto moveRun = [&](int first, int last) {
        if (first == last) {
            moveRow(first);
            return;
        }
        const int top = RowTop(first), height = RowTop(last + 1) - top;
        ::BitBlt(dc, client.left, top, right - client.left, height, dc, client.left, RowTop(first + amount), SRCCOPY);
    };
    const int firstTarget = amount > 0 ? 0 : -amount;
    const int lastTarget = firstTarget + kept - 1;
    std::vector<std::pair<int, int>> runs;
    for (int target = firstTarget; target <= lastTarget; ++target) {
        if (!runs.empty() && sameRun(target) && sameRun(runs.back().second) && runs.back().second == target - 1) {
            runs.back().second = target;
        } else {
            runs.emplace_back(target, target);
        }
    }
    // Moving up copies from the top down, moving down from the bottom up, so no source is overwritten.
    if (amount < 0) {
        std::reverse(runs.begin(), runs.end());
    }
    for (const auto& run : runs) {
        moveRun(run.first, run.second);
    }
    HDC windowDC = ::GetDC(m_hWnd);
    ::BitBlt(windowDC, client.left, RowTop(firstTarget), right - client.left,
             RowTop(lastTarget + 1) - RowTop(firstTarget), dc, client.left, RowTop(firstTarget), SRCCOPY);
    ::ReleaseDC(m_hWnd, windowDC);
}

int CKxGrid::Scroll(int amount, int direction)
{
    if (amount == 0) {
        return 0;
    }
    if (direction == SCROLL_ROWS) {
        const bool down = amount > 0;
        if (down && m_nTopIndex + m_nCountPerPage + amount >= m_nItemCount) {
            amount = m_nItemCount - m_nTopIndex - m_nCountPerPage;
        } else if (!down) {
            amount = std::max(amount, -m_nTopIndex);
        }
        if (down ? amount <= 0 : amount >= 0) {
            return 1;
        }
        if (std::abs(amount) < m_nCountPerPage) {
            ScrollRowsInBuffer(amount);
            m_nTopIndex += amount;
            if (amount > 0) {
                RedrawItems(m_nTopIndex + m_nCountPerPage - amount, m_nTopIndex + m_nCountPerPage - 1);
            } else {
                RedrawItems(m_nTopIndex, m_nTopIndex - amount - 1);
            }
        } else {
            m_nTopIndex += amount;
            ReDrawAll(FALSE);
        }
        SetupScroll(0);
        if (m_dwGridStyle & GS_OWNVSCROLL) {
            RepaintOwnBars(BAR_VERT);
        }
    } else if (direction == SCROLL_COLUMNS) {
        if (amount > 0) {
            const int before = m_nLeftCol;
            m_nLeftCol += amount;
            AdjustLeftIndex();
            if (m_nLeftCol > before) {
                ReDrawAll(FALSE);
            }
        } else if (m_nLeftCol > 0) {
            m_nLeftCol = std::max(0, m_nLeftCol + amount);
            ReDrawAll(FALSE);
        }
        SetupScroll(1);
        if (m_dwGridStyle & GS_OWNHSCROLL) {
            RepaintOwnBars(BAR_HORZ);
        }
    }
    return 1;
}

BOOL CKxGrid::EnsureVisible(int row)
{
    if (row < 0 || row >= m_nItemCount || m_nCountPerPage <= 0) {
        return FALSE;
    }
    if (row == m_nItemCount - 1) {
        Scroll(std::max(0, m_nItemCount - m_nCountPerPage), SCROLL_ROWS);
    } else if (row < m_nTopIndex) {
        Scroll(row - m_nTopIndex, SCROLL_ROWS);
    } else if (row >= m_nTopIndex + m_nCountPerPage) {
        Scroll(row - (m_nTopIndex + m_nCountPerPage - 1), SCROLL_ROWS);
    }
    return TRUE;
}

BOOL CKxGrid::IsRowVisible(int row) const
{
    return row >= m_nTopIndex && row < std::min(m_nTopIndex + m_nCountPerPage, m_nItemCount);
}

int CKxGrid::SetTopIndex(int row)
{
    const int previous = m_nTopIndex;
    if (row != m_nTopIndex && row >= 0 && row < m_nItemCount) {
        m_nTopIndex = row;
        SetupScroll(0);
        ReDrawAll(FALSE);
    }
    return previous;
}

// ---- messages ----

UINT CKxGrid::OnGetDlgCode()
{
    return DLGC_WANTCHARS;
}

LRESULT CKxGrid::KxPreTranslateMsg(MSG* msg)
{
    if (msg != nullptr && (((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam >= VK_PRIOR &&
                            msg->wParam <= VK_DOWN) ||
                           msg->message == WM_MOUSEWHEEL)) {
        return 2;
    }
    return CKxBaseWnd::PreTranslateMessage(msg);
}

LRESULT CKxGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KX_SCROLLBUDDY) {
        return OnScrollBarBuddy(wParam, lParam);
    }
    return CKxBaseWnd::WindowProc(message, wParam, lParam);
}
