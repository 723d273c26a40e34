// The self-drawn buddy scroll bar: creation, scroll information, geometry and painting.
#include <util/drawfun.h>
#include <util/scrollbar.h>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

constexpr wchar_t kClassName[] = L"KXScrollBar";
constexpr DWORD kOwnStyles = 0x0000000B;
constexpr int kMinThumbLength = 18;
constexpr double kRoundUp = 0.500001;

int Trunc(double value)
{
    return static_cast<int>(value);
}

} // namespace

// ---- class and creation ----

void CKxScrollBar::RegisterWindowClass()
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
}

CKxScrollBar::CKxScrollBar() = default;

CKxScrollBar::~CKxScrollBar()
{
    // While the members that the last messages use still live.
    DestroyWindow();
}

BOOL CKxScrollBar::Create(int orientation, const RECT& rect, CWnd* parent, UINT id)
{
    if (parent == nullptr || parent->GetSafeHwnd() == nullptr) {
        return FALSE;
    }
    m_nStyle = orientation;
    RegisterWindowClass();
    return CWnd::Create(kClassName, L"", kOwnStyles, rect, parent, id);
}

void CKxScrollBar::PreSubclassWindow()
{
    ModifyStyle(0, WS_VISIBLE | WS_CLIPCHILDREN | kOwnStyles);
    CWnd::PreSubclassWindow();
}

int CKxScrollBar::OnCreate(CREATESTRUCTW* cs)
{
    const int answer = CWnd::OnCreate(cs);
    CRect client;
    GetClientRect(&client);
    m_nThumbPos = IsVertical() ? client.Width() : client.Height();
    return answer;
}

int CKxScrollBar::ModifyKXStyle(int orientation)
{
    const int previous = m_nStyle;
    m_nStyle = orientation;
    return previous;
}

// ---- scroll information ----

bool CKxScrollBar::RangeIsValid() const
{
    const long long minimum = m_si.nMin, maximum = m_si.nMax, page = m_si.nPage, position = m_nPos;
    return maximum - minimum > 0 && maximum >= page && maximum >= position && maximum + 1 >= page + position;
}

int CKxScrollBar::GetScrollLimit() const
{
    const long long limit = static_cast<long long>(m_si.nMax) - m_si.nPage - m_si.nMin + 1;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(limit, INT_MAX)));
}

BOOL CKxScrollBar::SetScrollInfo(const SCROLLINFO* info, BOOL redraw)
{
    if (info == nullptr) {
        return FALSE;
    }
    m_si = *info;
    const long long minimum = m_si.nMin, maximum = m_si.nMax, page = m_si.nPage;
    if (IsVertical() && page + m_si.nPos >= maximum + 1) {
        const bool pageFits = (maximum > minimum ? maximum - minimum : minimum - maximum) >= page;
        m_si.nPos = pageFits ? static_cast<int>(std::max(minimum, maximum + 1 - page)) : m_si.nMin;
    }
    m_nPos = m_si.nPos;
    const bool placed = CalcBar(0) != FALSE;
    if (!redraw || !IsWindow()) {
        return TRUE;
    }
    if (!placed) {
        // Nothing to scroll: no thumb is drawn.
        const UINT keptPage = m_si.nPage;
        m_si = SCROLLINFO{};
        m_si.nPage = keptPage;
    }
    Repaint();
    return TRUE;
}

BOOL CKxScrollBar::GetScrollInfo(SCROLLINFO* info, UINT) const
{
    if (info == nullptr) {
        return FALSE;
    }
    *info = m_si;
    info->nPos = m_nPos;
    info->nTrackPos = m_nPos;
    return TRUE;
}

int CKxScrollBar::SetScrollPos(int position, BOOL redraw)
{
    m_nPos = position;
    if (redraw && IsWindow()) {
        Repaint();
    }
    return 0;
}

void CKxScrollBar::GetScrollRange(int* minimum, int* maximum) const
{
    if (minimum) {
        *minimum = m_si.nMin;
    }
    if (maximum) {
        *maximum = m_si.nMax;
    }
}

void CKxScrollBar::SetScrollRange(int minimum, int maximum, BOOL redraw)
{
    m_si.nMin = minimum;
    m_si.nMax = maximum;
    if (redraw && IsWindow()) {
        Repaint();
    }
}

void CKxScrollBar::ShowScrollBar(BOOL) {}

BOOL CKxScrollBar::EnableScrollBar(UINT)
{
    return TRUE;
}

// ---- colours ----

void CKxScrollBar::StoreColour(COLORREF& member, COLORREF colour)
{
    member = colour;
    Repaint();
}

void CKxScrollBar::SetScorllBarBkColor(COLORREF colour)
{
    StoreColour(m_crScrollBarBk, colour);
}

void CKxScrollBar::SetScorllBarBorderColor(COLORREF colour)
{
    StoreColour(m_crScrollBarBorder, colour);
}

void CKxScrollBar::SetTriangleBorderColor(COLORREF colour)
{
    StoreColour(m_crTriangleBorder, colour);
}

void CKxScrollBar::SetBarBkColor(COLORREF colour)
{
    StoreColour(m_crBarBk, colour);
}

void CKxScrollBar::SetBarBorderColor(COLORREF colour)
{
    StoreColour(m_crBarBorder, colour);
}

// ---- geometry ----

BOOL CKxScrollBar::CalcAllRect()
{
    if (!RangeIsValid()) {
        return FALSE;
    }
    CRect client;
    if (m_hWnd) {
        GetClientRect(&client);
    }
    const bool vertical = IsVertical();
    // Rectangles from a span along the bar's axis and a span across it.
    auto span = [vertical](int alongFrom, int alongTo, int acrossFrom, int acrossTo) {
        return vertical ? CRect(acrossFrom, alongFrom, acrossTo, alongTo) : CRect(alongFrom, acrossFrom, alongTo, acrossTo);
    };
    const int start = vertical ? client.top : client.left;
    const int end = vertical ? client.bottom : client.right;
    const int acrossFrom = vertical ? client.left : client.top;
    const int acrossTo = vertical ? client.right : client.bottom;
    const int arrow = acrossTo - acrossFrom;
    m_rcArrow1 = span(start, start + arrow, acrossFrom, acrossTo);
    m_rcArrow2 = span(end - arrow, end, acrossFrom, acrossTo);

    const SCROLLINFO& si = m_si;
    if (si.nMin >= si.nMax || si.nPage == 0 || m_nPos < 0) {
        m_rcThumb.SetRectEmpty();
        m_rcPage1.SetRectEmpty();
        m_rcPage2.SetRectEmpty();
        return TRUE;
    }
    const int track = (end - start) - 2 * arrow;
    const double range = static_cast<double>(si.nMax) - si.nMin + 1;
    const int trackStart = start + arrow;
    double ratio = track / range;
    // The normal thumb of a horizontal bar starts one pixel further.
    int thumbPos = Trunc(ratio * m_nPos + trackStart + kRoundUp) + (vertical ? 0 : 1);
    int length = Trunc(ratio * si.nPage + kRoundUp);
    if (length < kMinThumbLength) {
        m_bMinThumb = 1;
        length = kMinThumbLength;
        const int limit = GetScrollLimit();
        ratio = limit > 0 ? static_cast<double>(track - kMinThumbLength) / limit : 0.0;
        thumbPos = Trunc(ratio * m_nPos + trackStart + kRoundUp);
    } else {
        m_bMinThumb = 0;
    }
    m_nThumbPos = thumbPos;
    m_rcThumb = span(thumbPos, thumbPos + length - 2, acrossFrom + 1, acrossTo - 2);
    m_rcPage1 = span(trackStart, thumbPos, acrossFrom, acrossTo);
    m_rcPage2 = span(thumbPos + length - 2, end - arrow, acrossFrom, acrossTo);
    m_fRatio = static_cast<float>(ratio);
    return TRUE;
}

BOOL CKxScrollBar::CalcBar(int mode)
{
    if (!RangeIsValid()) {
        return FALSE;
    }
    if (m_fRatio == 0.0f && !CalcAllRect()) {
        return FALSE;
    }
    const bool vertical = IsVertical();
    auto startOf = [vertical](const CRect& rect) { return vertical ? rect.top : rect.left; };
    auto endOf = [vertical](const CRect& rect) { return vertical ? rect.bottom : rect.right; };
    auto lengthOf = [vertical](const CRect& rect) { return vertical ? rect.Height() : rect.Width(); };

    const int thumb = m_bMinThumb ? kMinThumbLength : Trunc(m_si.nPage * static_cast<double>(m_fRatio) + kRoundUp);
    const int limit = GetScrollLimit();
    if (limit == 0) {
        return FALSE;
    }
    const int track = startOf(m_rcArrow2) - endOf(m_rcArrow1);
    // Pixels per position along the free part of the track.
    const double perPosition = static_cast<double>(track - thumb) / limit;
    if (mode == 0) {
        m_nThumbPos = Trunc(m_nPos * perPosition + kRoundUp) + startOf(m_rcPage1);
        return TRUE;
    }
    if (perPosition <= 0.0) {
        return FALSE;
    }
    const int first = startOf(m_rcPage1);
    const int last = endOf(m_rcPage2) - thumb;
    m_nThumbPos = std::max(first, std::min(m_nThumbPos, last));
    // The upper half of the track maps from its start, the lower half from its end; a thumb held
    // against an end is at that end whatever the rounding.
    int position = 0;
    if (m_nThumbPos <= first) {
        position = 0;
    } else if (m_nThumbPos >= last) {
        position = limit;
    } else if (lengthOf(m_rcPage2) >= lengthOf(m_rcPage1)) {
        position = Trunc((m_nThumbPos - endOf(m_rcArrow1)) / perPosition);
    } else {
        int beforeEnd = startOf(m_rcArrow2) - (m_nThumbPos + thumb);
        if (perPosition < 1.0 && Trunc(beforeEnd / perPosition) <= 1) {
            beforeEnd = 0;
        }
        position = limit - Trunc(beforeEnd / perPosition);
    }
    m_nPos = std::max(0, std::min(position, limit));
    return TRUE;
}

// ---- painting ----

void CKxScrollBar::Repaint()
{
    ReDraw(nullptr, TRUE);
}

void CKxScrollBar::InitMemBmp(CDC* dc)
{
    CRect client;
    GetClientRect(&client);
    m_dcBar.SetDrawRect(client, dc);
    m_dcThumb.SetDrawRect(m_rcThumb, dc);
}

void CKxScrollBar::ReDraw(CDC* dc, BOOL force)
{
    if (!IsWindow() || (!force && !IsWindowVisible())) {
        return;
    }
    std::optional<CClientDC> windowDC;
    if (dc == nullptr) {
        windowDC.emplace(this);
        dc = &*windowDC;
    }
    const BOOL valid = CalcAllRect();
    InitMemBmp(dc);
    DrawBk(&m_dcBar);
    if (valid && m_nPos >= 0 && !m_rcThumb.IsRectEmpty()) {
        DrawBar(&m_dcThumb);
        const int x = IsVertical() ? 1 : m_nThumbPos + 1;
        const int y = IsVertical() ? m_nThumbPos + 1 : 1;
        m_dcBar.BitBlt(x, y, m_rcThumb.Width(), m_rcThumb.Height(), &m_dcThumb, m_rcThumb.left, m_rcThumb.top,
                       SRCCOPY);
    }
    if (force) {
        CRect client;
        GetClientRect(&client);
        dc->BitBlt(client.left, client.top, client.Width(), client.Height(), &m_dcBar, client.left, client.top,
                   SRCCOPY);
    }
}

void CKxScrollBar::DrawBk(CDC* dc)
{
    CRect client;
    GetClientRect(&client);
    dc->SetBkMode(TRANSPARENT);
    KXDRAWFUN::FillSolidRect(*dc, &client, m_crScrollBarBk);
    DrawBorder(dc);
    DrawTriangle(dc);
}

void CKxScrollBar::DrawBorder(CDC* dc)
{
    CRect c;
    GetClientRect(&c);
    auto line = [this, dc](int x1, int y1, int x2, int y2) {
        KXDRAWFUN::DrawLine(*dc, x1, y1, x2, y2, PS_SOLID, 1, m_crScrollBarBorder, R2_COPYPEN);
    };
    if (IsVertical()) {
        const int w = c.Width();
        line(c.left, c.bottom - 1, c.right, c.bottom - 1);
        line(c.left, c.bottom - w, c.right, c.bottom - w);
        line(c.right - 1, c.top, c.right - 1, c.bottom);
        line(c.left, c.top + w - 1, c.right, c.top + w - 1);
    } else {
        const int h = c.Height();
        line(c.left, c.bottom - 1, c.right, c.bottom - 1);
        line(c.right - h + 1, c.top, c.right - h + 1, c.bottom);
        line(c.right - 1, c.top, c.right - 1, c.bottom);
        line(c.left + h, c.top, c.left + h, c.bottom);
        line(c.left, c.top, c.left, c.bottom);
    }
}

void CKxScrollBar::DrawTriangle(CDC* dc)
{
    CRect c;
    GetClientRect(&c);
    const bool vertical = IsVertical();
    // A tip pixel and three lines of 3, 5 and 7 pixels behind it, stepping away from the tip.
    auto glyph = [this, dc, vertical](POINT tip, int step) {
        KXDRAWFUN::SetPixel(*dc, tip, m_crTriangleBorder);
        for (int i = 1; i <= 3; ++i) {
            if (vertical) {
                const int y = tip.y + step * i;
                KXDRAWFUN::DrawLine(*dc, tip.x - i, y, tip.x + i + 1, y, PS_SOLID, 1, m_crTriangleBorder, R2_COPYPEN);
            } else {
                const int x = tip.x + step * i;
                KXDRAWFUN::DrawLine(*dc, x, tip.y - i, x, tip.y + i + 1, PS_SOLID, 1, m_crTriangleBorder, R2_COPYPEN);
            }
        }
    };
    if (vertical) {
        const int left = c.left - 1;
        const int d = (c.right - left) / 2;
        glyph(POINT{left + d, c.top + d - 2}, 1);
        glyph(POINT{left + d, c.bottom - d + 1}, -1);
    } else {
        const int top = c.top - 1;
        const int e = (c.bottom - top) / 2;
        glyph(POINT{c.left + e - 3, top + e}, 1);
        glyph(POINT{c.right - e + 1, top + e}, -1);
    }
}

void CKxScrollBar::DrawBar(CDC* dc)
{
    KXDRAWFUN::FillSolidRect(*dc, &m_rcThumb, m_crScrollBarBk);
    KXDRAWFUN::DrawRect(*dc, &m_rcThumb, PS_SOLID, 1, m_crScrollBarBorder, R2_COPYPEN);
    const CPoint centre = m_rcThumb.CenterPoint();
    for (int dx = -3; dx <= 3; dx += 3) {
        for (int dy = -3; dy <= 3; dy += 3) {
            KXDRAWFUN::SetPixel(*dc, centre.x + dx, centre.y + dy, m_crScrollBarBorder);
        }
    }
}

void CKxScrollBar::OnPaint()
{
    CPaintDC dc(this);
    ReDraw(&dc, TRUE);
}

BOOL CKxScrollBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKxScrollBar::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0) {
        Repaint();
    }
}

void CKxScrollBar::OnShowWindow(BOOL show, UINT status)
{
    CWnd::OnShowWindow(show, status);
    Repaint();
}

// ---- notifications ----

LRESULT CKxScrollBar::NotifyWnd(int position, int code)
{
    const long long span = static_cast<long long>(m_si.nMax) - m_si.nMin;
    if (span < static_cast<long long>(m_si.nPage) || !::IsWindow(m_hBuddy)) {
        return 0;
    }
    // The high word carries the position cut to 16 bits, as the platform's bars do.
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(position));
    return ::SendMessageW(m_hBuddy, IsVertical() ? WM_VSCROLL : WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CKxScrollBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KX_GETSCROLLINFO:
        return GetScrollInfo(reinterpret_cast<SCROLLINFO*>(lParam));
    case WM_KX_SETSCROLLINFO:
        return SetScrollInfo(reinterpret_cast<const SCROLLINFO*>(lParam), TRUE);
    case WM_KX_SCROLLWHEEL:
        return OnMouseWheelRouted(wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
