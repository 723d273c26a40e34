#include <util/kxheaderctrl.h>

#include <util/gdi.h>

namespace {

constexpr int kArrowSize = 8;
constexpr int kStripWidth = 2 * kArrowSize;
constexpr int kUpArrowX = 8;
constexpr int kDownArrowX = 0;
constexpr COLORREF kArrowGrey = RGB(0x66, 0x66, 0x66);
constexpr COLORREF kArrowWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr int kMaxTitle = 256;

// One horizontal run of the arrow strip: pixels x0..x1 of row y.
struct ArrowRun {
    int y;
    int x0;
    int x1;
    COLORREF color;
};

// The down arrow (left) is grey with a white lower-right shadow; the up arrow (right) is grey over a
// white base line.
constexpr ArrowRun kArrowRuns[] = {
    {2, 1, 7, kArrowGrey},   {2, 12, 12, kArrowGrey},
    {3, 1, 1, kArrowWhite},  {3, 2, 6, kArrowGrey},   {3, 7, 7, kArrowWhite}, {3, 11, 13, kArrowGrey},
    {4, 2, 2, kArrowWhite},  {4, 3, 5, kArrowGrey},   {4, 6, 6, kArrowWhite}, {4, 10, 14, kArrowGrey},
    {5, 3, 3, kArrowWhite},  {5, 4, 4, kArrowGrey},   {5, 5, 5, kArrowWhite}, {5, 9, 15, kArrowGrey},
    {6, 4, 4, kArrowWhite},  {6, 9, 15, kArrowWhite},
};

UINT TextAlignment(int format)
{
    switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT:
        return DT_BOTTOM | DT_RIGHT;
    case HDF_CENTER:
        return DT_BOTTOM | DT_CENTER;
    default:
        return DT_BOTTOM | DT_LEFT;
    }
}

} // namespace

CKXHeaderCtrl::CKXHeaderCtrl()
    : m_crHdrBk(::GetSysColor(COLOR_BTNFACE)),
      m_crHdrFilterBk(::GetSysColor(COLOR_3DLIGHT)),
      m_crHdrText(::GetSysColor(COLOR_BTNTEXT))
{
}

CKXHeaderCtrl::~CKXHeaderCtrl()
{
    m_arrStates.clear();
    if (m_hArrowDC) {
        ::SelectObject(m_hArrowDC, m_hOldBmp);
        ::DeleteDC(m_hArrowDC);
    }
    if (m_hArrowBmp) {
        ::DeleteObject(m_hArrowBmp);
    }
}

bool CKXHeaderCtrl::HasStateWord(int column) const
{
    return column >= 0 && static_cast<size_t>(column) < m_arrStates.size();
}

bool CKXHeaderCtrl::IsHeaderItem(int column) const
{
    return column >= 0 && IsWindow() && column < GetItemCount();
}

BOOL CKXHeaderCtrl::SetSortState(int column, UINT sort)
{
    if (!IsHeaderItem(column) || !HasStateWord(column)) {
        return FALSE;
    }
    UINT& state = m_arrStates[static_cast<size_t>(column)];
    state = (state & ~KXHDR_SORTMASK) | (sort & KXHDR_SORTMASK);
    Invalidate(TRUE);
    return TRUE;
}

BOOL CKXHeaderCtrl::SetFilterState(int column, UINT filter)
{
    if (!IsHeaderItem(column) || !HasStateWord(column)) {
        return FALSE;
    }
    UINT& state = m_arrStates[static_cast<size_t>(column)];
    state = (state & ~KXHDR_FILTERMASK) | (filter & KXHDR_FILTERMASK);
    Invalidate(TRUE);
    return TRUE;
}

UINT CKXHeaderCtrl::GetSortState(int column) const
{
    return HasStateWord(column) ? m_arrStates[static_cast<size_t>(column)] & KXHDR_SORTMASK : KXHDR_NOSTATE;
}

UINT CKXHeaderCtrl::GetFilterState(int) const
{
    return 0;
}

void CKXHeaderCtrl::InsertStateItem(int index)
{
    if (index >= 0 && static_cast<size_t>(index) <= m_arrStates.size()) {
        m_arrStates.insert(m_arrStates.begin() + index, 0u);
    }
}

void CKXHeaderCtrl::DeleteStateItem(int index)
{
    if (HasStateWord(index)) {
        m_arrStates.erase(m_arrStates.begin() + index);
    }
}

void CKXHeaderCtrl::SetColor(COLORREF text, COLORREF background, COLORREF filterBackground)
{
    if (text != CLR_INVALID) {
        m_crHdrText = text;
    }
    if (background != CLR_INVALID) {
        m_crHdrBk = background;
    }
    if (filterBackground != CLR_INVALID) {
        m_crHdrFilterBk = filterBackground;
    }
}

void CKXHeaderCtrl::MakeArrowStrip(HDC dc, HBRUSH background)
{
    m_hArrowDC = ::CreateCompatibleDC(dc);
    m_hArrowBmp = ::CreateCompatibleBitmap(dc, kStripWidth, kArrowSize);
    if (m_hArrowDC == nullptr || m_hArrowBmp == nullptr) {
        return;
    }
    m_hOldBmp = ::SelectObject(m_hArrowDC, m_hArrowBmp);
    const RECT strip = {0, 0, kStripWidth, kArrowSize};
    ::FillRect(m_hArrowDC, &strip, background);
    for (const ArrowRun& run : kArrowRuns) {
        const RECT line = {run.x0, run.y, run.x1 + 1, run.y + 1};
        CBrush brush(run.color);
        ::FillRect(m_hArrowDC, &line, brush);
    }
}

void CKXHeaderCtrl::DrawItem(DRAWITEMSTRUCT* item)
{
    if (item == nullptr) {
        return;
    }
    const int column = static_cast<int>(item->itemID);
    wchar_t title[kMaxTitle + 1] = {};
    HDITEMW info{};
    info.mask = HDI_TEXT | HDI_FORMAT;
    info.pszText = title;
    info.cchTextMax = kMaxTitle;
    GetItem(column, &info);

    const UINT state = HasStateWord(column) ? m_arrStates[static_cast<size_t>(column)] : 0;
    CDC* dc = CDC::FromHandle(item->hDC);
    CBrush background((state & KXHDR_FILTERMASK) == KXHDR_FILTERED ? m_crHdrFilterBk : m_crHdrBk);
    CRect rect(item->rcItem);
    dc->FillRect(&rect, &background);

    rect.left += 1;
    const UINT sort = state & KXHDR_SORTMASK;
    if (sort == KXHDR_SORT_UP || sort == KXHDR_SORT_DOWN) {
        if (m_hArrowDC == nullptr) {
            MakeArrowStrip(item->hDC, background);
        }
        const int arrowLeft = rect.right - 12;
        ::BitBlt(item->hDC, arrowLeft, (rect.Height() - kArrowSize) / 2, kArrowSize, kArrowSize, m_hArrowDC,
                 sort == KXHDR_SORT_UP ? kUpArrowX : kDownArrowX, 0, SRCCOPY);
        rect.left += 10;
        // Right-aligned and long titles end before the arrow instead of covering it.
        rect.right = arrowLeft;
    }

    auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    const HGDIOBJ oldFont = ::SelectObject(item->hDC, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    dc->GetTextMetrics(&metrics);
    rect.top = (rect.bottom - metrics.tmHeight - rect.top) / 2;
    rect.right -= 2;
    const COLORREF oldText = dc->SetTextColor(m_crHdrText);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    dc->DrawText(title, -1, &rect, TextAlignment(info.fmt));
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldText);
    ::SelectObject(item->hDC, oldFont);
}
