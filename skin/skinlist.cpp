#include <util/skinlist.h>

#include <commctrl.h>

#include <algorithm>

#include "framework/dib_section.h"
#include "skin/skinelement.h"

namespace {

constexpr UINT kHeaderTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

} // namespace

// ---- CSkinHeaderCtrl ----

CSkinHeaderCtrl::CSkinHeaderCtrl()
{
    m_font.CreateFont(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

CSkinHeaderCtrl::~CSkinHeaderCtrl() = default;

void CSkinHeaderCtrl::SetBkColor(COLORREF color)
{
    m_crBk = color;
    RepaintIfWindow();
}

void CSkinHeaderCtrl::SetBorderColor(COLORREF color)
{
    m_crBorder = color;
    RepaintIfWindow();
}

void CSkinHeaderCtrl::SetTextStyle(UINT style)
{
    m_nTextStyle = style;
    RepaintIfWindow();
}

void CSkinHeaderCtrl::RepaintIfWindow()
{
    if (IsWindow()) {
        Invalidate(FALSE);
    }
}

BOOL CSkinHeaderCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSkinHeaderCtrl::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) {
        return;
    }
    const DibSection canvas(client.Width(), client.Height());
    Draw(canvas.dc(), client);
    ::BitBlt(paint, 0, 0, client.Width(), client.Height(), canvas.dc(), 0, 0, SRCCOPY);
}

void CSkinHeaderCtrl::Draw(HDC dc, const RECT& client)
{
    const HBRUSH background = ::CreateSolidBrush(m_crBk);
    ::FillRect(dc, &client, background);
    ::DeleteObject(background);
    const HPEN border = ::CreatePen(PS_SOLID, 1, m_crBorder);
    const HGDIOBJ oldPen = ::SelectObject(dc, border);
    const HGDIOBJ oldFont = ::SelectObject(dc, m_font);
    ::SetBkMode(dc, TRANSPARENT);
    const int count = GetItemCount();
    for (int index = 0; index < count; ++index) {
        CRect itemRect;
        GetItemRect(index, &itemRect);
        ::MoveToEx(dc, itemRect.right - 1, itemRect.top, nullptr);
        ::LineTo(dc, itemRect.right - 1, itemRect.bottom);

        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_HEADER;
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hwndItem = m_hWnd;
        draw.hDC = dc;
        draw.rcItem = itemRect;
        DrawItem(&draw);

        wchar_t text[256] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_LPARAM;
        item.pszText = text;
        item.cchTextMax = 255;
        GetItem(index, &item);
        CRect textRect = itemRect;
        ::InflateRect(&textRect, -2, -2);
        ::DrawTextW(dc, text, -1, &textRect, m_nTextStyle | kHeaderTextFormat);
    }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(border);
}

// ---- CSkinListCtrl ----

CSkinListCtrl::CSkinListCtrl() = default;

CSkinListCtrl::~CSkinListCtrl()
{
    DestroyWindow();
}

void CSkinListCtrl::Init()
{
    if (::InitializeFlatSB(m_hWnd)) {
        ::FlatSB_EnableScrollBar(m_hWnd, SB_BOTH, ESB_DISABLE_BOTH);
    }
}

int CSkinListCtrl::InsertItemEx(int row, const wchar_t* text)
{
    const int inserted = InsertItem(row, text);
    if (inserted >= 0) {
        m_arRowMark.push_back(RowMark{inserted, 0});
    }
    return inserted;
}

BOOL CSkinListCtrl::DeleteAllItemsEx()
{
    m_arRowMark.clear();
    m_nAnchor = -1;
    return DeleteAllItems();
}

void CSkinListCtrl::SetItemColor(int row, COLORREF text, COLORREF background)
{
    m_mapItemColor[row] = RowColors{text, background};
    if (IsWindow()) {
        RedrawItems(row, row);
        UpdateWindow();
    }
}

void CSkinListCtrl::SetDepartColor(COLORREF color)
{
    m_crDepart = color;
    if (IsWindow()) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

BOOL CSkinListCtrl::IsRowMarked(int row) const
{
    return std::any_of(m_arRowMark.begin(), m_arRowMark.end(),
                       [row](const RowMark& mark) { return mark.row == row && mark.marked != 0; });
}

void CSkinListCtrl::Mark(int row)
{
    for (RowMark& mark : m_arRowMark) {
        if (mark.row == row) {
            mark.marked = 1;
        }
    }
}

void CSkinListCtrl::ClearMarks()
{
    for (RowMark& mark : m_arRowMark) {
        mark.marked = 0;
    }
}

void CSkinListCtrl::EnableHighlighting(HWND list, int row, BOOL highlight)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = highlight ? 0xFF : 0;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

BOOL CSkinListCtrl::IsRowSelected(HWND list, int row)
{
    return (::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void CSkinListCtrl::AttachHeader()
{
    const auto header = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
    if (header && m_header.m_hWnd == nullptr) {
        m_header.SubclassWindow(header);
    }
}

void CSkinListCtrl::PreSubclassWindow()
{
    AttachHeader();
    CListCtrl::PreSubclassWindow();
}

int CSkinListCtrl::OnCreate(CREATESTRUCTW* cs)
{
    const int result = CListCtrl::OnCreate(cs);
    AttachHeader();
    return result;
}

BOOL CSkinListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (message == WM_NOTIFY && header && header->hwndFrom == m_hWnd && header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
        switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            *result = CDRF_NOTIFYITEMDRAW;
            return TRUE;
        case CDDS_ITEMPREPAINT:
            *result = OnItemPrePaint(draw);
            return TRUE;
        default:
            *result = CDRF_DODEFAULT;
            return TRUE;
        }
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

LRESULT CSkinListCtrl::OnItemPrePaint(NMLVCUSTOMDRAW* draw)
{
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const auto colors = m_mapItemColor.find(row);
    const bool ownColors = colors != m_mapItemColor.end();
    if (ownColors) {
        draw->clrText = colors->second.text;
        if (!m_bDepartBk) {
            draw->clrTextBk = colors->second.background;
        }
    }
    if (m_bDepartBk && (row & 1) != 0) {
        draw->clrTextBk = m_crDepart;
    }
    const bool selected = m_nListStyle == 1 ? IsRowMarked(row) != FALSE
                                            : !ownColors && (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
    if (selected) {
        draw->clrText = m_crSelText;
        draw->clrTextBk = m_crSelBk;
    }
    // The row is drawn unselected through this record only: its selection state stays as it is.
    draw->nmcd.uItemState &= ~CDIS_SELECTED;
    return CDRF_DODEFAULT;
}

BOOL CSkinListCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSkinListCtrl::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) {
        return;
    }
    if (m_header.m_hWnd && m_header.IsWindowVisible()) {
        CRect header;
        m_header.GetWindowRect(&header);
        ScreenToClient(&header);
        ::ExcludeClipRect(paint, header.left, header.top, header.right, header.bottom);
    }
    const DibSection canvas(client.Width(), client.Height());
    ::FillRect(canvas.dc(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    ::BitBlt(paint, 0, 0, client.Width(), client.Height(), canvas.dc(), 0, 0, SRCCOPY);
}

int CSkinListCtrl::RowAtLabel(CPoint point) const
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        CRect label;
        if (GetItemRect(row, &label, LVIR_LABEL) && label.PtInRect(point)) {
            return row;
        }
    }
    return -1;
}

void CSkinListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    SetFocus();
    const int row = RowAtLabel(point);
    const bool wasMarked = row >= 0 && IsRowMarked(row);
    if (row >= 0) {
        Mark(row);
    }
    if ((flags & MK_CONTROL) != 0) {
        if (row >= 0 && !wasMarked && m_nAnchor >= 0) {
            Mark(m_nAnchor);
        }
    } else if ((flags & MK_SHIFT) != 0) {
        if (row >= 0 && m_nAnchor >= 0) {
            for (int marked = std::min(row, m_nAnchor); marked <= std::max(row, m_nAnchor); ++marked) {
                Mark(marked);
            }
        }
    } else {
        // A plain click leaves the clicked row as the only mark and makes it the anchor.
        ClearMarks();
        if (row >= 0) {
            Mark(row);
        }
        m_nAnchor = row;
    }
    Invalidate(TRUE);
    CListCtrl::OnLButtonDown(flags, point);
}
