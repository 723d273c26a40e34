// The page tab's drawing: the off-screen image of the strip, tabs, borders, icons and arrows.
#include <util/drawfun.h>
#include <util/kxmsg.h>
#include <util/pagetab.h>

#include <algorithm>
#include <cwchar>

#include "composite/pagetab_internal.h"

using pagetab::Axis;

namespace {

constexpr COLORREF kPageAreaColor = RGB(0xF2, 0xF2, 0xF2);
constexpr COLORREF kTranslucentEdge = RGB(0, 0, 0);
constexpr COLORREF kTranslucentLight = RGB(0x99, 0x99, 0x99);

// One-pixel lines and points given along and across the strip.
class StripPen {
public:
    StripPen(HDC dc, Axis axis) : m_dc(dc), m_axis(axis) {}

    // From (along0, cross0) up to, not including, (along1, cross1).
    void Line(int along0, int cross0, int along1, int cross1, COLORREF colour) const
    {
        const POINT from = m_axis.Point(along0, cross0), to = m_axis.Point(along1, cross1);
        KXDRAWFUN::DrawLine(m_dc, from.x, from.y, to.x, to.y, PS_SOLID, 1, colour, R2_COPYPEN);
    }
    void Dot(int along, int cross, COLORREF colour) const
    {
        KXDRAWFUN::SetPixel(m_dc, m_axis.Point(along, cross), colour);
    }

private:
    HDC m_dc;
    Axis m_axis;
};

} // namespace

void CKxPageTab::SplitTab(int index, RECT* icon, RECT* caption) const
{
    const Axis axis{IsVertical()};
    const RECT& rect = m_items[index]->rect;
    ::SetRectEmpty(icon);
    ::SetRectEmpty(caption);
    switch (TabKind()) {
    case KXPTS_CAPTION:
        *caption = rect;
        break;
    case KXPTS_ICON:
        *icon = rect;
        break;
    case KXPTS_ICONCAPTION: {
        SIZE size{};
        if (m_items[index]->hIcon != nullptr) {
            KXDRAWFUN::GetIconSize(m_items[index]->hIcon, &size);
        }
        const int iconArea = m_bOwnDrawIcon && !IsVertical() ? 10 : (IsVertical() ? size.cy : size.cx) + 1;
        const int start = axis.Start(rect), end = axis.End(rect);
        const int cross0 = axis.CrossStart(rect), cross1 = axis.CrossEnd(rect);
        if (m_nIconSide == 0) {
            *icon = axis.Make(start, start + iconArea, cross0, cross1);
            *caption = axis.Make(start + iconArea + 4, end, cross0, cross1);
        } else {
            *icon = axis.Make(end - iconArea, end, cross0, cross1);
            *caption = axis.Make(start, end - iconArea - 4, cross0, cross1);
        }
        break;
    }
    default:
        break;
    }
}

void CKxPageTab::ReleaseImage()
{
    if (m_hOldBitmap != nullptr) {
        m_memDC.SelectObject(m_hOldBitmap);
        m_hOldBitmap = nullptr;
    }
    m_memBitmap.DeleteObject();
    m_memDC.DeleteDC();
    m_memSize = CSize();
}

bool CKxPageTab::PrepareImage(CSize size)
{
    if (size.cx <= 0 || size.cy <= 0) {
        return false;
    }
    if (m_memDC.GetSafeHdc() != nullptr && m_memSize == size) {
        return true;
    }
    ReleaseImage();
    CClientDC window(this);
    if (!m_memDC.CreateCompatibleDC(&window) || !m_memBitmap.CreateCompatibleBitmap(&window, size.cx, size.cy)) {
        ReleaseImage();
        return false;
    }
    m_hOldBitmap = m_memDC.SelectObject(m_memBitmap.GetSafeHandle());
    m_memSize = size;
    return true;
}

void CKxPageTab::PaintPageTab(HDC dc, int copy)
{
    if (!IsWindow()) {
        return;
    }
    if (!m_bLaidOut) {
        RecalcLayout();
    }
    const CRect area = StripArea();
    if (!PrepareImage(area.Size())) {
        return;
    }
    m_memDC.SetBkMode(TRANSPARENT);
    DrawBkGround(m_memDC);
    if (IsValidIndex(m_nFirstVisible) && IsValidIndex(m_nLastVisible)) {
        DrawTabs(area);
    }
    if (copy) {
        auto copyTo = [&](HDC target) { ::BitBlt(target, 0, 0, area.Width(), area.Height(), m_memDC, 0, 0, SRCCOPY); };
        if (dc != nullptr) {
            copyTo(dc);
        } else {
            CClientDC window(this);
            copyTo(window);
        }
    }
}

void CKxPageTab::DrawTabs(const CRect& area)
{
    const Axis axis{IsVertical()};
    const StripPen pen(m_memDC, axis);
    DrawLeftDepart(m_memDC);
    if (m_bUnderLine) {
        const int cross = axis.CrossEnd(m_items[m_nFirstVisible]->rect) - 1;
        pen.Line(axis.Start(area), cross, axis.End(area), cross, m_crBorder);
    }
    const bool selectionOutside = m_nCurSel >= 0 && (m_nCurSel < m_nFirstVisible || m_nCurSel > m_nLastVisible);
    if (m_dwSelStyle == 1 && m_bShowSel && selectionOutside) {
        m_nOldSel = m_nCurSel;
        m_nCurSel = m_nFirstVisible;
    }
    const bool drawSelection = m_bShowSel && m_nCurSel >= m_nFirstVisible && m_nCurSel <= m_nLastVisible;
    for (int i = m_nFirstVisible; i <= m_nLastVisible; ++i) {
        if (!(drawSelection && i == m_nCurSel)) {
            DrawItem(i, i == m_nHover ? STATE_HOVER : STATE_NORMAL, m_memDC);
        }
    }
    if (drawSelection) {
        DrawItem(m_nCurSel, STATE_SELECTED, m_memDC);
    }
    if (m_bSpinShow) {
        DrawSpin(m_memDC, m_dwSpinStyle);
    }
    if (m_bAllUnderLine) {
        KXDRAWFUN::DrawLine(m_memDC, area.right - 1, area.top, area.right - 1, area.bottom, PS_SOLID, 1, m_crObjBorder,
                            R2_COPYPEN);
        KXDRAWFUN::DrawLine(m_memDC, area.left, area.bottom - 1, area.right, area.bottom - 1, PS_SOLID, 1,
                            m_crObjBorder, R2_COPYPEN);
    }
}

void CKxPageTab::DrawBkGround(CDC& dc)
{
    CRect window;
    GetWindowRect(&window);
    const HWND parent = ::GetParent(m_hWnd);
    if (parent != nullptr && ::SendMessageW(parent, WM_KX_PAINTBK, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                                            reinterpret_cast<LPARAM>(&window)) == 1) {
        return;
    }
    CRect client;
    GetClientRect(&client);
    if (m_bGradientBk) {
        KXDRAWFUN::DrawGradientRect(dc, &client, m_crGradient1, m_crGradient2, TRUE);
    } else {
        KXDRAWFUN::FillSolidRect(dc, &client, m_crPageTab);
    }
}

void CKxPageTab::DrawLeftDepart(CDC&) {}

void CKxPageTab::DrawItem(int index, int state, CDC& dc)
{
    if (!IsValidIndex(index)) {
        return;
    }
    const Axis axis{IsVertical()};
    const StripPen pen(dc, axis);
    const tagPageTabItem& item = *m_items[index];
    const CRect rect(item.rect);

    // Background.
    const bool gradientHere = !m_bSpinShow && (state == STATE_HOVER ? m_dwSpinStyle == 3 : m_dwSpinStyle != 3);
    if (state == STATE_SELECTED) {
        KXDRAWFUN::FillSolidRect(dc, &rect, m_crSelBk);
    } else if (!m_bGradientBk) {
        KXDRAWFUN::FillSolidRect(dc, &rect, state == STATE_HOVER ? m_crHoverBk : m_crBack);
    } else if (gradientHere) {
        KXDRAWFUN::DrawGradientRect(dc, &rect, m_crGradient1, m_crGradient2, TRUE);
    }

    // Border; described for a horizontal strip: s/e the first and last column, t/b the first and last row.
    const int s = axis.Start(rect), e = axis.End(rect) - 1;
    const int t = axis.CrossStart(rect), b = axis.CrossEnd(rect) - 1;
    if (m_bItemBorder) {
        const bool bevelled = m_dwBorderStyle == 1 || (m_dwBorderStyle == 2 && state == STATE_SELECTED);
        if (m_dwBorderStyle == 0) {
            pen.Line(s, t, s, b + 1, m_crBorder);
            pen.Line(s, t, e + 1, t, m_crBorder);
            pen.Line(e, t, e, b + 1, m_crBorder);
        } else if (bevelled) {
            pen.Line(s, t, s, b - 1, m_crBorder);
            pen.Line(e, t, e, b - 1, m_crBorder);
            pen.Line(s, t, e + 1, t, m_crBorder);
            pen.Line(s + 2, b, e - 1, b, m_crBorder);
            pen.Dot(s + 1, b - 1, m_crBorder);
            pen.Dot(e - 1, b - 1, m_crBorder);
            for (const POINT corner :
                 {POINT{s, b - 1}, POINT{s, b}, POINT{s + 1, b}, POINT{e, b - 1}, POINT{e, b}, POINT{e - 1, b}}) {
                pen.Dot(corner.x, corner.y, m_crBack);
            }
        } else if (m_dwBorderStyle == 2) {
            if (index != m_nCurSel - 1) {
                pen.Line(e - 2, t + 2, e - 2, b - 1, m_crBorder);
            }
        } else if (m_dwBorderStyle == 3) {
            pen.Line(s, t + 2, s, b + 1, m_crBorder);
            pen.Line(e, t + 2, e, b + 1, m_crBorder);
            pen.Line(s + 2, t, e - 1, t, m_crBorder);
            pen.Dot(s + 1, t + 1, m_crBorder);
            pen.Dot(e - 1, t + 1, m_crBorder);
            for (const POINT corner :
                 {POINT{s, t}, POINT{s + 1, t}, POINT{s, t + 1}, POINT{e, t}, POINT{e - 1, t}, POINT{e, t + 1}}) {
                pen.Dot(corner.x, corner.y, m_crBack);
            }
        }
    }
    if (m_bUnderLine) {
        // The selected tab opens into the page.
        pen.Line(s, b, e + 1, b, state == STATE_SELECTED ? m_crBack : m_crBorder);
    }
    if (m_bTranslucentSel && state == STATE_SELECTED) {
        pen.Line(s - 1, t + 5, s - 1, b + 1, kTranslucentEdge);
        pen.Line(s, t + 4, e + 1, t + 4, kTranslucentEdge);
        pen.Line(e, t + 5, e, b + 1, kTranslucentEdge);
        pen.Line(s, t + 3, e + 1, t + 3, kTranslucentLight);
        pen.Line(e + 1, t + 4, e + 1, b + 1, kTranslucentLight);
    }

    RECT iconArea, captionArea;
    SplitTab(index, &iconArea, &captionArea);
    if (m_bOwnDrawIcon && item.nIconShow) {
        DrawOwnIcon(dc, iconArea, index, m_nOwnDrawValue);
    } else if (item.hIcon != nullptr && !::IsRectEmpty(&iconArea)) {
        SIZE size{};
        KXDRAWFUN::GetIconSize(item.hIcon, &size);
        const int limit = std::max(0, static_cast<int>(axis.Thickness(rect)) - 4);
        if (size.cy > limit) {
            size.cx = size.cx * limit / std::max<LONG>(size.cy, 1);
            size.cy = limit;
        }
        const int x = (iconArea.left + iconArea.right - size.cx) / 2;
        const int y = (iconArea.top + iconArea.bottom - size.cy) / 2;
        ::DrawIconEx(dc, x, y, item.hIcon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    }
    if (item.szCaption[0] != L'\0' && !::IsRectEmpty(&captionArea)) {
        const bool hoverCaption = TabKind() != KXPTS_ICONCAPTION || m_nHoverPart == KXPTP_CAPTION;
        const COLORREF colour = state == STATE_SELECTED                ? m_crSelText
                                : state == STATE_HOVER && hoverCaption ? m_crHoverText
                                                                       : m_crText;
        const UINT format = IsVertical() ? DT_CENTER | DT_VCENTER : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        KXDRAWFUN::DrawTextExW(dc, item.szCaption, static_cast<int>(wcslen(item.szCaption)), &captionArea, format,
                               m_hTextFont, m_hSecondFont, colour, colour, IsVertical() ? 1 : 0);
    }
}

void CKxPageTab::DrawOwnIcon(CDC& dc, const RECT& rect, int index, int nothing)
{
    if (nothing != 0) {
        return;
    }
    const COLORREF colour = index == m_nCurSel                                ? m_crSelText
                            : index == m_nHover && m_nHoverPart == KXPTP_ICON ? m_crHoverText
                                                                              : m_crText;
    // A downward triangle of rows 7, 5, 3 and 1 pixels wide.
    const int left = rect.left + (m_dwSpinStyle != 3 ? 7 : 6);
    for (int row = 0; row < 4; ++row) {
        const int y = rect.bottom - 9 + row;
        KXDRAWFUN::DrawLine(dc, left + row, y, left + 7 - row, y, PS_SOLID, 1, colour, R2_COPYPEN);
    }
}

void CKxPageTab::DrawSpin(CDC& dc, DWORD spinStyle)
{
    const Axis axis{IsVertical()};
    const StripPen pen(dc, axis);
    CRect first, second;
    ArrowRects(spinStyle, first, second);
    const int spin = m_nSpinWidth;
    // Each arrow points outward: its tip, then spin - 1 lines growing by a pixel on each side.
    auto arrow = [&](const CRect& rect, int tip, int direction, COLORREF colour) {
        const int centre = (axis.CrossStart(rect) + axis.CrossEnd(rect)) / 2;
        pen.Dot(tip, centre, colour);
        for (int k = 1; k < spin; ++k) {
            pen.Line(tip + direction * k, centre - k, tip + direction * k, centre + k + 1, colour);
        }
    };
    arrow(first, axis.Start(first), 1, m_nFirstVisible > 0 ? m_crSpinAct : m_crSpinNor);
    arrow(second, axis.End(second) - 1, -1, m_bAtEnd ? m_crSpinNor : m_crSpinAct);
}

void CKxPageTab::Repaint()
{
    if (!IsWindow()) {
        return;
    }
    const CRect area = StripArea();
    InvalidateRect(&area, FALSE);
    UpdateWindow();
}

BOOL CKxPageTab::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKxPageTab::OnPaint()
{
    CPaintDC paint(this);
    PaintPageTab(nullptr, 0);
    const CRect area = StripArea();
    if (m_nPageClient && !IsVertical()) {
        CRect client;
        GetClientRect(&client);
        paint.FillSolidRect(CRect(client.left, area.bottom, client.right, client.bottom), kPageAreaColor);
    }
    if (m_memDC.GetSafeHdc() != nullptr) {
        paint.BitBlt(0, 0, area.Width(), area.Height(), &m_memDC, 0, 0, SRCCOPY);
    }
}
