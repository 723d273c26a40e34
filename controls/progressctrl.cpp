// The progress bar: gradient and tile styles, the two-colour centred text, caption as window text.
#include <util/drawfun.h>
#include <util/format.h>
#include <util/progressctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "resources/resource.h"

namespace {

const COLORREF kBottomLine = RGB(255, 255, 255);
const COLORREF kFreshBackground = RGB(0, 0, 0);
constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

void Frame(CDC& dc, const RECT& rect, COLORREF colour)
{
    KXDRAWFUN::DrawRect(dc, &rect, PS_SOLID, 1, colour, R2_COPYPEN);
}

} // namespace

CKXProgressCtrl::CKXProgressCtrl()
    : m_crTextFore(::GetSysColor(COLOR_HIGHLIGHT)), m_crTextBk(::GetSysColor(COLOR_WINDOW))
{
    m_font.CreateFont(-11, 0, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

CKXProgressCtrl::~CKXProgressCtrl()
{
    DestroyWindow();
}

// ---- position and range ----

void CKXProgressCtrl::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
}

long double CKXProgressCtrl::Fraction() const
{
    // An empty or inverted range shows an empty bar rather than dividing by zero.
    if (m_nLower >= m_nUpper) {
        return 0.0L;
    }
    return (static_cast<long double>(m_nPos) - m_nLower) / (static_cast<long double>(m_nUpper) - m_nLower);
}

int CKXProgressCtrl::FilledWidth(int width) const
{
    return static_cast<int>(Fraction() * width);
}

int CKXProgressCtrl::SetPos(int position)
{
    if (!IsWindow()) {
        return -1;
    }
    const int previous = m_nPos;
    m_nPos = position;
    CRect client;
    GetClientRect(&client);
    const int width = FilledWidth(client.Width());
    if (width != m_nLastWidth) {
        m_nLastWidth = width;
        Invalidate(TRUE);
        UpdateWindow();
    }
    return previous;
}

int CKXProgressCtrl::StepIt()
{
    return SetPos(m_nPos + m_nStep);
}

int CKXProgressCtrl::OffsetPos(int delta)
{
    return SetPos(m_nPos + delta);
}

int CKXProgressCtrl::SetStep(int step)
{
    const int previous = m_nStep;
    m_nStep = step;
    return previous;
}

void CKXProgressCtrl::SetShowText(BOOL show)
{
    const bool changed = (m_bShowText != FALSE) != (show != FALSE);
    m_bShowText = show;
    if (changed && IsWindow()) {
        Invalidate(TRUE);
    }
}

int CKXProgressCtrl::SetProgressStyle(int style)
{
    m_nStyle = style;
    return 0;
}

// ---- colours ----

void CKXProgressCtrl::SetForeUpColour(COLORREF colour)
{
    m_crForeUp = colour;
}

void CKXProgressCtrl::SetForeDownColour(COLORREF colour)
{
    m_crForeDown = colour;
}

void CKXProgressCtrl::SetBkUpColour(COLORREF colour)
{
    m_crBkUp = colour;
}

void CKXProgressCtrl::SetBkDownColour(COLORREF colour)
{
    m_crBkDown = colour;
}

void CKXProgressCtrl::SetTextForeColour(COLORREF colour)
{
    m_crTextFore = colour;
}

void CKXProgressCtrl::SetTextBkColour(COLORREF colour)
{
    m_crTextBk = colour;
}

void CKXProgressCtrl::SetOutterBorderClr(COLORREF colour)
{
    m_crOuterBorder = colour;
}

void CKXProgressCtrl::SetInnerBorderClr(COLORREF colour)
{
    m_crInnerBorder = colour;
}

// ---- painting ----

BOOL CKXProgressCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKXProgressCtrl::OnSize(UINT type, int cx, int cy)
{
    CStatic::OnSize(type, cx, cy);
    m_nLastWidth = -1;
    if (m_dcMem.m_rcBmp.Width() != cx) {
        m_dcMem.DeleteDC();
    }
}

void CKXProgressCtrl::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_nStyle != KXPROGRESS_GRADIENT) {
        PaintTiles(dc, client);
        return;
    }
    m_dcMem.SetDrawRect(client, &dc);
    PaintGradient(m_dcMem, client);
    dc.BitBlt(client.left, client.top, client.Width(), client.Height(), &m_dcMem, client.left, client.top, SRCCOPY);
}

void CKXProgressCtrl::PaintGradient(CDC& dc, const CRect& client)
{
    dc.FillSolidRect(&client, kFreshBackground);
    KXDRAWFUN::DrawLine(dc, client.left, client.bottom - 1, client.right, client.bottom - 1, PS_SOLID, 1, kBottomLine,
                        R2_COPYPEN);
    const CRect bar(client.left, client.top, client.right, client.bottom - 1);
    Frame(dc, bar, m_crOuterBorder);

    // The filled part stays inside the outer frame at either end of the range.
    const int filledRight = std::min<int>(bar.left + FilledWidth(bar.Width()), bar.right - 1);
    const CRect filled(bar.left + 1, bar.top + 1, filledRight, bar.bottom - 1);
    if (!filled.IsRectEmpty()) {
        Frame(dc, filled, m_crInnerBorder);
        CRect inside = filled;
        inside.DeflateRect(1, 1);
        if (!inside.IsRectEmpty()) {
            KXDRAWFUN::DrawGradientRect(dc, &inside, m_crForeUp, m_crForeDown, TRUE);
        }
    }
    const CRect empty(std::max<int>(filled.right + 1, bar.left + 1), bar.top + 1, bar.right - 1, bar.bottom - 1);
    if (!empty.IsRectEmpty()) {
        KXDRAWFUN::DrawGradientRect(dc, &empty, m_crBkUp, m_crBkDown, TRUE);
    }
    if (m_bShowText) {
        PaintText(dc, client, filled, empty);
    }
}

void CKXProgressCtrl::PaintText(CDC& dc, const CRect& client, const CRect& filled, const CRect& empty)
{
    const CString text = m_strCaption.IsEmpty()
                             ? CString(KxFormat(L"%d%%", static_cast<int>(Fraction() * 100)).c_str())
                             : m_strCaption;
    const struct {
        const CRect& clip;
        COLORREF colour;
    } parts[] = {{filled, m_crTextBk}, {empty, m_crTextFore}};
    for (const auto& part : parts) {
        if (part.clip.IsRectEmpty()) {
            continue;
        }
        const int saved = dc.SaveDC();
        dc.IntersectClipRect(&part.clip);
        KXDRAWFUN::DrawTextW(dc, text, text.GetLength(), &client, kTextFormat, m_font, part.colour, 0);
        dc.RestoreDC(saved);
    }
}

void CKXProgressCtrl::PaintTiles(CDC& dc, const CRect& client) const
{
    Frame(dc, client, m_crOuterBorder);
    CBitmap background;
    if (background.LoadBitmap(IDB_KX_PROGRESS_BACK)) {
        KXDRAWFUN::StretchDrawBmp(dc, &client, nullptr, background, nullptr, 0, SRCCOPY);
    }
    CBitmap tile;
    if (!tile.LoadBitmap(IDB_KX_PROGRESS_TILE)) {
        return;
    }
    SIZE size{};
    KXDRAWFUN::GetBmpSize(tile, &size);
    const int pitch = size.cx + 1;
    const int count = FilledWidth(client.Width()) / pitch;
    for (int i = 0; i < count; ++i) {
        const CRect at(CPoint(client.left + i * pitch, client.top), size);
        KXDRAWFUN::DrawBmp(dc, &at, tile, POINT{0, 0}, SRCCOPY);
    }
}

// ---- caption ----

void CKXProgressCtrl::PreSubclassWindow()
{
    // A dialog item comes with its text; the window procedure that answers for it is still the
    // control's own here.
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length > 0) {
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::GetWindowTextW(m_hWnd, &text[0], length + 1);
        m_strCaption = text.c_str();
    }
    CStatic::PreSubclassWindow();
}

int CKXProgressCtrl::OnCreate(CREATESTRUCTW* cs)
{
    if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        m_strCaption = cs->lpszName;
    }
    return CStatic::OnCreate(cs);
}

LRESULT CKXProgressCtrl::OnGetText(size_t capacity, wchar_t* buffer) const
{
    // Room is left for the terminator, which is always written.
    if (capacity == 0 || buffer == nullptr) {
        return 0;
    }
    const size_t count = std::min(capacity - 1, static_cast<size_t>(m_strCaption.GetLength()));
    std::wmemcpy(buffer, m_strCaption.GetString(), count);
    buffer[count] = L'\0';
    return static_cast<LRESULT>(count);
}

LRESULT CKXProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETTEXT) {
        return OnGetText(wParam, reinterpret_cast<wchar_t*>(lParam));
    }
    const LRESULT answer = CStatic::WindowProc(message, wParam, lParam);
    if (message == WM_SETTEXT) {
        const wchar_t* text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        if (m_strCaption != text) {
            m_strCaption = text;
            Invalidate(TRUE);
        }
    }
    return answer;
}
