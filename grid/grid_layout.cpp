// The grid's geometry: client areas, row and column positions, scroll ranges and own scroll bars.
#include <util/grid.h>
#include <util/kxmsg.h>

#include <algorithm>

namespace {
constexpr int kOwnVScrollWidth = 16;
constexpr int kOwnHScrollHeight = 18;
constexpr int kMinThumb = 17;
} // namespace

// ---- CGridScrollInfo ----

CGridScrollInfo::CGridScrollInfo()
{
    Clear();
}

void CGridScrollInfo::Clear()
{
    si = SCROLLINFO{};
    for (CRect* rect : {&rcBar, &rcArrow1, &rcArrow2, &rcTrack, &rcPage1, &rcPage2, &rcBlock}) {
        rect->SetRectEmpty();
    }
    bMinBlock = FALSE;
}

BOOL CGridScrollInfo::HasBlock() const
{
    return si.nPage != 0 && si.nMax >= static_cast<int>(si.nPage);
}

int CGridScrollInfo::PointInRect(int x, int y) const
{
    const POINT point{x, y};
    if (rcArrow1.PtInRect(point)) {
        return PART_ARROW1;
    }
    if (rcArrow2.PtInRect(point)) {
        return PART_ARROW2;
    }
    if (rcPage1.PtInRect(point)) {
        return PART_PAGE1;
    }
    if (rcPage2.PtInRect(point)) {
        return PART_PAGE2;
    }
    return rcBlock.PtInRect(point) ? PART_THUMB : PART_NONE;
}

// ---- client areas ----

void CKxGrid::GetClientRect(RECT* rect) const
{
    CWnd::GetClientRect(rect);
    if (m_dwGridStyle & GS_OWNVSCROLL) {
        rect->right -= kOwnVScrollWidth;
    }
    if (m_dwGridStyle & GS_OWNHSCROLL) {
        rect->bottom -= kOwnHScrollHeight;
    }
}

CRect CKxGrid::GetClientRect() const
{
    CRect rect;
    GetClientRect(&rect);
    return rect;
}

int CKxGrid::HeaderBottom() const
{
    return GetClientRect().top + m_nHeaderHeight + GetHeadItemCount() * m_nHeaderRowHeight;
}

void CKxGrid::GetRealClientRect(RECT* rect) const
{
    GetClientRect(rect);
    rect->top = HeaderBottom();
}

// ---- columns ----

int CKxGrid::GetFixedColWidth() const
{
    int width = 0;
    for (int i = 0; i < std::min(m_nFixedCols, GetColCount()); ++i) {
        width += m_columns[i].nWidth;
    }
    return width;
}

int CKxGrid::FirstScrollingColumn() const
{
    return std::min(m_nFixedCols, GetColCount()) + std::max(0, m_nLeftCol);
}

CKxGrid::ColumnSpans CKxGrid::VisibleColumns(int right) const
{
    ColumnSpans spans;
    int x = GetClientRect().left;
    auto place = [&](int index) {
        if (x >= right) {
            return false;
        }
        spans.push_back({index, x, x + m_columns[index].nWidth});
        x += m_columns[index].nWidth;
        return true;
    };
    const int fixed = std::min(m_nFixedCols, GetColCount());
    for (int i = 0; i < fixed && place(i); ++i) {
    }
    for (int i = FirstScrollingColumn(); i < GetColCount() && place(i); ++i) {
    }
    return spans;
}

bool CKxGrid::ColumnSpanOf(int column, int right, ColumnSpan* span) const
{
    for (const ColumnSpan& candidate : VisibleColumns(right)) {
        if (candidate.index == column) {
            *span = candidate;
            return true;
        }
    }
    return false;
}

// ---- rows ----

int CKxGrid::RowTop(int visibleRow) const
{
    CRect area;
    GetRealClientRect(&area);
    return RowTop(visibleRow, area);
}

int CKxGrid::RowTop(int visibleRow, const RECT& area) const
{
    const int height = area.bottom - area.top;
    const int perPage = m_nRowHeight > 0 ? height / m_nRowHeight : 0;
    const int pitch = m_nRowHeight + m_nRowSpacing;
    if (perPage <= 0) {
        return area.top + visibleRow * pitch;
    }
    const int firstTaller = perPage - ((height - m_nRowHeight * perPage) % perPage);
    return area.top + visibleRow * pitch + std::max(0, visibleRow - firstTaller);
}

BOOL CKxGrid::GetItemRect(int row, RECT* rect) const
{
    if (rect == nullptr || row < m_nTopIndex || row >= m_nItemCount || row >= m_nTopIndex + m_nCountPerPage) {
        return FALSE;
    }
    const CRect client = GetClientRect();
    *rect = CRect(client.left, RowTop(row - m_nTopIndex), client.right, RowTop(row - m_nTopIndex + 1));
    return TRUE;
}

BOOL CKxGrid::GetItemDispRect(int row, RECT* rect) const
{
    if (!GetItemRect(row, rect)) {
        return FALSE;
    }
    rect->bottom -= 2;
    return TRUE;
}

BOOL CKxGrid::GetSubItemRect(int row, int column, int, RECT* rect) const
{
    CRect band;
    ColumnSpan span{};
    if (!GetItemRect(row, &band) || !ColumnSpanOf(column, band.right, &span)) {
        return FALSE;
    }
    *rect = CRect(span.left, band.top, std::min<int>(span.right, band.right), band.bottom);
    return TRUE;
}

BOOL CKxGrid::GetHeaderColRect(int column, RECT* rect) const
{
    const CRect client = GetClientRect();
    ColumnSpan span{};
    if (rect == nullptr || !ColumnSpanOf(column, client.right, &span)) {
        return FALSE;
    }
    *rect = CRect(span.left, client.top, std::min<int>(span.right, client.right), client.top + m_nHeaderHeight);
    return TRUE;
}

BOOL CKxGrid::GetHeaderSubItemRect(int headerRow, int column, int, RECT* rect) const
{
    const CRect client = GetClientRect();
    ColumnSpan span{};
    if (rect == nullptr || headerRow < 0 || headerRow >= GetHeadItemCount() ||
        !ColumnSpanOf(column, client.right, &span)) {
        return FALSE;
    }
    const int top = client.top + m_nHeaderHeight + headerRow * m_nHeaderRowHeight;
    *rect = CRect(span.left, top, std::min<int>(span.right, client.right), top + m_nHeaderRowHeight);
    return TRUE;
}

int CKxGrid::GetStringWidth(const wchar_t* text)
{
    if (!IsWindow() || text == nullptr) {
        return 0;
    }
    HDC dc = ::GetDC(m_hWnd);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    ::ReleaseDC(m_hWnd, dc);
    return size.cx;
}

// ---- layout ----

void CKxGrid::ReCalcLayout()
{
    CRect area;
    GetRealClientRect(&area);
    const int height = area.Height();
    m_nCountPerPage = m_nRowHeight > 0 ? std::max(0, height / m_nRowHeight) : 0;
    m_nRowSpacing = m_nCountPerPage > 0 ? (height % m_nRowHeight) / m_nCountPerPage : 0;
    if (m_nTopIndex + m_nCountPerPage >= m_nItemCount) {
        SetItemCount(m_nItemCount);
        EnsureVisible(m_nItemCount - 1);
    }
    SetupScroll(0);
    SetupScroll(1);
    CalcScrollBar();
}

void CKxGrid::SetupScroll(int bar)
{
    SCROLLINFO info{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
    const bool vertical = bar == 0;
    if (vertical) {
        info.nMax = std::max(m_nItemCount - 1, 0);
        info.nPage = static_cast<UINT>(std::max(m_nCountPerPage, 0));
        info.nPos = m_nTopIndex;
    } else if (!m_columns.empty()) {
        const int fixed = std::min(m_nFixedCols, GetColCount());
        const int scrolling = GetColCount() - fixed;
        info.nMax = std::max(scrolling - 1, 0);
        const int room = GetClientRect().Width() - GetFixedColWidth();
        m_nLeftCol = std::max(0, std::min(m_nLeftCol, scrolling - 1));
        int fit = 0;
        int used = 0;
        const int first = FirstScrollingColumn();
        for (int i = first; i < GetColCount() && used + m_columns[i].nWidth <= room; ++i) {
            used += m_columns[i].nWidth;
            ++fit;
        }
        if (first + fit >= GetColCount()) {
            // Everything right of the first visible column fits: show as many earlier ones as room allows.
            int left = m_nLeftCol;
            while (left > 0 && used + m_columns[fixed + left - 1].nWidth <= room) {
                --left;
                used += m_columns[fixed + left].nWidth;
            }
            m_nLeftCol = left;
            info.nPage = static_cast<UINT>(scrolling - m_nLeftCol);
        } else {
            info.nPage = static_cast<UINT>(std::max(fit, 1));
        }
        info.nPos = std::max(m_nLeftCol, 0);
    }
    if (vertical ? (m_dwGridStyle & GS_OWNVSCROLL) : (m_dwGridStyle & GS_OWNHSCROLL)) {
        (vertical ? m_vsi : m_hsi).si = info;
        CalcScrollBlock(vertical ? BAR_VERT : BAR_HORZ);
    }
    const HWND buddy = vertical ? m_hVertBuddy : m_hHorzBuddy;
    if (buddy != nullptr && ::IsWindow(buddy)) {
        ::SendMessageW(buddy, WM_KX_SETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CKxGrid::CalcScrollBar()
{
    CRect platform;
    CWnd::GetClientRect(&platform);
    const CRect grid = GetClientRect();
    const bool horizontal = (m_dwGridStyle & GS_OWNHSCROLL) != 0;
    if (horizontal) {
        m_hsi.rcBar = platform;
        m_hsi.rcBar.top = platform.bottom - 19;
        if (m_dwGridStyle & GS_OWNVSCROLL) {
            m_hsi.rcBar.right = grid.right - 1;
        }
        m_hsi.rcArrow1 = m_hsi.rcBar;
        m_hsi.rcArrow1.right = m_hsi.rcBar.left + 15;
        m_hsi.rcArrow2 = m_hsi.rcBar;
        m_hsi.rcArrow2.left = m_hsi.rcBar.right - 16;
        CalcScrollBlock(BAR_HORZ);
    }
    if (m_dwGridStyle & GS_OWNVSCROLL) {
        m_vsi.rcBar = platform;
        m_vsi.rcBar.left = grid.right - 1;
        m_vsi.rcBar.bottom = platform.bottom - (horizontal ? 19 : 1);
        m_vsi.rcArrow1 = m_vsi.rcBar;
        m_vsi.rcArrow1.bottom = m_vsi.rcBar.top + 17;
        m_vsi.rcArrow2 = m_vsi.rcBar;
        m_vsi.rcArrow2.top = m_vsi.rcBar.bottom - 18;
        CalcScrollBlock(BAR_VERT);
    }
}

void CKxGrid::CalcScrollBlock(int bar)
{
    const bool vertical = bar == BAR_VERT;
    CGridScrollInfo& info = vertical ? m_vsi : m_hsi;
    const int a = (vertical ? info.rcArrow1.bottom : info.rcArrow1.right) + 1;
    const int b = (vertical ? info.rcArrow2.top : info.rcArrow2.left) - 1;
    const int length = b - a;
    const int range = info.si.nMax - info.si.nMin + 1;
    if (length <= 0 || range <= 0) {
        return;
    }
    if (!info.HasBlock()) {
        info.rcBlock.SetRectEmpty();
        info.rcPage1.SetRectEmpty();
        info.rcPage2.SetRectEmpty();
        return;
    }
    const double ratio = double(length) / range;
    int start = static_cast<int>(info.si.nPos * ratio + a + 1);
    int size = static_cast<int>(info.si.nPage * ratio);
    info.bMinBlock = size < (vertical ? kMinThumb + 1 : kMinThumb);
    if (info.bMinBlock) {
        size = kMinThumb;
        start = static_cast<int>(info.si.nPos * double(length - kMinThumb) / (range - static_cast<int>(info.si.nPage)) +
                                 a + 1);
    }
    const CRect& bounds = info.rcBar;
    if (vertical) {
        info.rcBlock = CRect(bounds.left + 2, start, bounds.right - 2, start + size);
        info.rcPage1 = CRect(bounds.left, info.rcArrow1.bottom, bounds.right, start - 1);
        info.rcPage2 = CRect(bounds.left, start + size, bounds.right, info.rcArrow2.top - 1);
    } else {
        info.rcBlock = CRect(start, bounds.top + 2, start + size, bounds.bottom - 2);
        info.rcPage1 = CRect(info.rcArrow1.right, bounds.top, start - 1, bounds.bottom);
        info.rcPage2 = CRect(start + size, bounds.top, info.rcArrow2.left - 1, bounds.bottom);
    }
}
