#include <util/checkbox.h>

#include "controls/offscreen.h"

namespace {

// Left-aligned button text.
const DWORD kLeftText = 0x100;
// The dot of a checked button lies this far inside the circle.
const int kDotInset = 4;

} // namespace

CKXRadioButton::CKXRadioButton() : m_crBk(::GetSysColor(COLOR_BTNFACE)), m_font(kxcontrols::MakeTahomaFont()) {}

CKXRadioButton::~CKXRadioButton() = default;

void CKXRadioButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    ModifyStyle(0, kLeftText);
    // A platform push button paints its own face whenever it is pressed, released or focused; an
    // owner-drawn one asks for the drawing instead.
    SetButtonStyle((GetStyle() & 0xFFF0) | BS_OWNERDRAW, FALSE);
}

void CKXRadioButton::DrawItem(DRAWITEMSTRUCT* item)
{
    Render(item->hDC);
}

void CKXRadioButton::SetCheck(int check)
{
    m_nCheck = check;
}

void CKXRadioButton::SetTextColor(COLORREF color)
{
    m_crText = color;
    RedrawIfVisible();
}

void CKXRadioButton::SetBgColor(COLORREF color)
{
    m_crBk = color;
    RedrawIfVisible();
}

void CKXRadioButton::SetCycleBorderColor(COLORREF color)
{
    m_crCycleBorder = color;
    RedrawIfVisible();
}

void CKXRadioButton::SetCycleColor(COLORREF color)
{
    m_crCycle = color;
    RedrawIfVisible();
}

void CKXRadioButton::SetTextFont(CFont* font)
{
    kxcontrols::AdoptFont(m_font, font);
    RedrawIfVisible();
}

LRESULT CKXRadioButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SETTEXT) {
        return CButton::WindowProc(message, wParam, lParam);
    }
    const LRESULT result =
        kxcontrols::WithoutRedraw(*this, [&] { return CButton::WindowProc(message, wParam, lParam); });
    Redraw();
    return result;
}

void CKXRadioButton::Render(HDC target)
{
    kxcontrols::PaintOffscreen(*this, m_dcMem, target, [this](CDC& dc, const CRect& client) {
        dc.SetBkMode(TRANSPARENT);
        kxcontrols::PaintBackground(*this, dc, client, m_crBk);
        const CString text = kxcontrols::WindowText(*this);
        CFont* oldFont = dc.SelectObject(m_font.get());
        TEXTMETRICW metrics{};
        dc.GetTextMetrics(&metrics);
        const int height = text.IsEmpty() ? metrics.tmHeight : dc.GetTextExtent(text).cy;
        m_rcCycle.SetRect(client.left, client.top, client.left + height, client.top + height);

        CPen border(PS_SOLID, 1, m_crCycleBorder);
        CPen* oldPen = dc.SelectObject(&border);
        dc.Ellipse(&m_rcCycle);
        if (m_nCheck) {
            CRect dot = m_rcCycle;
            dot.DeflateRect(kDotInset, kDotInset);
            CPen dotPen(PS_SOLID, 1, m_crCycle);
            CBrush dotBrush(m_crCycle);
            dc.SelectObject(&dotPen);
            CBrush* oldBrush = dc.SelectObject(&dotBrush);
            dc.Ellipse(&dot);
            dc.SelectObject(oldBrush);
        }
        dc.SelectObject(oldPen);

        CRect textRect(client.left + height, client.top, client.right, client.bottom);
        dc.SetTextColor(m_crText);
        dc.DrawText(text, &textRect, DT_CENTER | DT_SINGLELINE);
        dc.SelectObject(oldFont);
    });
}

void CKXRadioButton::Redraw()
{
    if (IsWindow()) {
        CClientDC dc(this);
        Render(dc);
        ValidateRect(nullptr);
    }
}

void CKXRadioButton::RedrawIfVisible()
{
    if (IsWindow() && IsWindowVisible()) {
        Redraw();
    }
}

void CKXRadioButton::OnPaint()
{
    CPaintDC paint(this);
    Render(paint);
}

void CKXRadioButton::OnSize(UINT type, int cx, int cy)
{
    CButton::OnSize(type, cx, cy);
    Redraw();
}

void CKXRadioButton::Click()
{
    m_bPressed = FALSE;
    if (!m_nCheck) {
        m_nCheck = 1;
    }
    Redraw();
    NMHDR header{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), KXRB_CLICKED};
    ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void CKXRadioButton::OnLButtonDown(UINT, CPoint)
{
    m_bPressed = TRUE;
    Default();
}

void CKXRadioButton::OnLButtonUp(UINT, CPoint)
{
    if (m_bPressed) {
        Click();
    }
    Default();
}

void CKXRadioButton::OnLButtonDblClk(UINT, CPoint)
{
    Click();
    Default();
}
