// The spin control in the client's colours: arrows, frames and the pressed look.
#include <util/drawdc.h>
#include <util/drawfun.h>
#include <util/kxspinbutton.h>

namespace {
constexpr int kArrowSize = 7;
} // namespace

CKXSpinButtonCtrl::CKXSpinButtonCtrl() = default;

CKXSpinButtonCtrl::~CKXSpinButtonCtrl()
{
    DestroyWindow();
}

// ---- settings ----

void CKXSpinButtonCtrl::SetBKColor(COLORREF colour)
{
    m_crBk = colour;
}

void CKXSpinButtonCtrl::SetBorderColor(COLORREF colour)
{
    m_crBorder = colour;
}

void CKXSpinButtonCtrl::SetArrowColor(COLORREF colour, BOOL enabled)
{
    (enabled ? m_crArrow : m_crArrowDisabled) = colour;
}

void CKXSpinButtonCtrl::SetTransparent(BOOL transparent)
{
    m_bTransparent = transparent;
}

void CKXSpinButtonCtrl::EnableBorder(BOOL border)
{
    m_bBorder = border;
}

void CKXSpinButtonCtrl::EnablePressedEff(BOOL pressedEffect)
{
    m_bPressedEffect = pressedEffect;
}

void CKXSpinButtonCtrl::SetSpinStyle(KXSPINSTYLE style)
{
    m_nSpinStyle = style;
}

CRect CKXSpinButtonCtrl::GetArrowRect(BOOL first) const
{
    CRect client;
    if (m_hWnd) {
        GetClientRect(&client);
    }
    if (m_bVertical) {
        const int half = client.Height() / 2;
        const int top = first ? client.top : client.top + half;
        return CRect(client.left, top, client.right, top + half);
    }
    const int half = client.Width() / 2;
    const int left = first ? client.left : client.left + half;
    return CRect(left, client.top, left + half, client.bottom);
}

// ---- state ----

BOOL CKXSpinButtonCtrl::InitSpinCtrl()
{
    if (!IsWindow()) {
        return FALSE;
    }
    m_bVertical = (GetStyle() & UDS_HORZ) == 0;
    m_nState = RestingState();
    return TRUE;
}

void CKXSpinButtonCtrl::PreSubclassWindow()
{
    CSpinButtonCtrl::PreSubclassWindow();
    InitSpinCtrl();
}

KXSPINSTATE CKXSpinButtonCtrl::RestingState() const
{
    return IsWindowEnabled() ? KXSPIN_NORMAL : KXSPIN_DISABLED;
}

void CKXSpinButtonCtrl::SetState(KXSPINSTATE state)
{
    if (m_nState != state) {
        m_nState = state;
        Redraw();
    }
}

void CKXSpinButtonCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    m_nState = GetArrowRect(TRUE).PtInRect(point) ? KXSPIN_FIRST_PRESSED : KXSPIN_SECOND_PRESSED;
    Redraw();
    CSpinButtonCtrl::OnLButtonDown(flags, point);
}

void CKXSpinButtonCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    m_nState = RestingState();
    Redraw();
    CSpinButtonCtrl::OnLButtonUp(flags, point);
}

void CKXSpinButtonCtrl::OnMouseMove(UINT flags, CPoint point)
{
    if (GetCapture() == this) {
        if (m_nState == KXSPIN_FIRST_OUTSIDE || m_nState == KXSPIN_FIRST_PRESSED) {
            SetState(GetArrowRect(TRUE).PtInRect(point) ? KXSPIN_FIRST_PRESSED : KXSPIN_FIRST_OUTSIDE);
        } else if (m_nState == KXSPIN_SECOND_OUTSIDE || m_nState == KXSPIN_SECOND_PRESSED) {
            SetState(GetArrowRect(FALSE).PtInRect(point) ? KXSPIN_SECOND_PRESSED : KXSPIN_SECOND_OUTSIDE);
        }
    }
    CSpinButtonCtrl::OnMouseMove(flags, point);
}

// ---- drawing ----

void CKXSpinButtonCtrl::OnPaint()
{
    CPaintDC dc(this);
    DrawTo(dc);
}

void CKXSpinButtonCtrl::Redraw()
{
    if (IsWindow()) {
        CClientDC dc(this);
        DrawTo(dc);
    }
}

void CKXSpinButtonCtrl::DrawTo(CDC& dc)
{
    CRect client;
    GetClientRect(&client);
    CKXMemDC buffer(dc, client, TRUE);
    CDC* target = CDC::FromHandle(buffer);
    OnDrawSpinArrow(target);
    if (m_bBorder) {
        OnDrawSpinBorder(target);
    }
}

void CKXSpinButtonCtrl::OnDrawSpinArrow(CDC* dc)
{
    if (dc == nullptr) {
        return;
    }
    if (!m_bTransparent) {
        CRect client;
        GetClientRect(&client);
        KXDRAWFUN::FillSolidRect(*dc, &client, m_crBk);
    }
    const COLORREF colour = IsWindowEnabled() ? m_crArrow : m_crArrowDisabled;
    const struct {
        BOOL first;
        KXSPINSTATE pressed;
        KXDRAWFUN::KXTRIANGLEDIR direction;
    } arrows[] = {
        {TRUE, KXSPIN_FIRST_PRESSED, m_bVertical ? KXDRAWFUN::KXTD_UP : KXDRAWFUN::KXTD_LEFT},
        {FALSE, KXSPIN_SECOND_PRESSED, m_bVertical ? KXDRAWFUN::KXTD_DOWN : KXDRAWFUN::KXTD_RIGHT},
    };
    for (const auto& arrow : arrows) {
        CRect rect = GetArrowRect(arrow.first);
        if (m_bPressedEffect && m_nState == arrow.pressed) {
            rect.OffsetRect(1, 1);
        }
        KXDRAWFUN::DrawFilledTriangle(*dc, colour, m_crBk, &rect, arrow.direction, kArrowSize, m_bTransparent, 1);
    }
}

void CKXSpinButtonCtrl::OnDrawSpinBorder(CDC* dc)
{
    if (dc == nullptr) {
        return;
    }
    for (const BOOL first : {TRUE, FALSE}) {
        const CRect rect = GetArrowRect(first);
        const bool pressed = m_nState == (first ? KXSPIN_FIRST_PRESSED : KXSPIN_SECOND_PRESSED);
        if (m_nSpinStyle != KXSPIN_FLAT) {
            KXDRAWFUN::Draw3DBorder(*dc, &rect, pressed);
        } else if (!pressed) {
            KXDRAWFUN::DrawRect(*dc, &rect, PS_SOLID, 1, m_crBorder, R2_COPYPEN);
        }
    }
}
