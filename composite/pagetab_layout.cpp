// The page tab's layout: the strip, the tabs' rectangles from the first visible one, the arrows.
#include <util/drawfun.h>
#include <util/pagetab.h>

#include <algorithm>
#include <cwchar>

#include "composite/pagetab_internal.h"

using pagetab::Axis;

namespace {
// Room the arrows take off the strip.
constexpr int kArrowMarginBothEnds = 11;
constexpr int kArrowMarginAtEnd = 18;
} // namespace

CRect CKxPageTab::StripArea() const
{
    CRect area;
    GetClientRect(&area);
    if (m_nPageClient && !IsVertical()) {
        area.bottom = area.top + m_nPageItemHeight;
    }
    return area;
}

void CKxPageTab::MeasureTabs()
{
    if (m_bMeasured && m_extents.size() == m_items.size()) {
        return;
    }
    m_extents.assign(m_items.size(), TabExtent{});
    CClientDC dc(this);
    const HGDIOBJ oldFont = ::SelectObject(dc, m_hTextFont);
    for (size_t i = 0; i < m_items.size(); ++i) {
        const tagPageTabItem& item = *m_items[i];
        TabExtent& extent = m_extents[i];
        if (item.hIcon != nullptr) {
            KXDRAWFUN::GetIconSize(item.hIcon, &extent.icon);
        }
        if (HasCaptions() && item.szCaption[0] != L'\0') {
            SIZE size{};
            KXDRAWFUN::GetTextExtentExW(dc, item.szCaption, static_cast<int>(wcslen(item.szCaption)), m_hTextFont,
                                        m_hSecondFont, &size, nullptr, 0, IsVertical() ? 1 : 0);
            extent.text = IsVertical() ? size.cy : size.cx;
        }
    }
    ::SelectObject(dc, oldFont);
    m_bMeasured = true;
}

CRect CKxPageTab::StripRect()
{
    const Axis axis{IsVertical()};
    CRect client;
    GetClientRect(&client);
    CRect strip = client;
    axis.Start(strip) += m_nLeftDepart;
    if (m_nPageClient) {
        m_nItemHeight = m_nPageItemHeight;
        if (!IsVertical()) {
            strip.bottom = strip.top + m_nPageItemHeight;
        }
    } else if (!m_bItemHeightFixed) {
        m_nItemHeight = axis.Thickness(client);
    }
    if (m_bSpinShow) {
        const int spin = m_nSpinWidth;
        if (m_dwSpinStyle == 0) {
            axis.Start(strip) += spin + kArrowMarginBothEnds;
            axis.End(strip) -= spin + kArrowMarginBothEnds;
        } else if (m_dwSpinStyle == 2 || m_dwSpinStyle == 3) {
            axis.End(strip) -= 2 * spin + kArrowMarginAtEnd;
        }
    }
    if (!IsVertical() && (m_dwStyle & KXPTS_FIXCOUNT)) {
        strip.left += 1;
    }
    return strip;
}

int CKxPageTab::CommonWidth(int stripLength) const
{
    const bool vertical = IsVertical();
    int width = 0;
    if (m_dwStyle & KXPTS_EQUALWIDTH) {
        const int kind = TabKind();
        for (const TabExtent& extent : m_extents) {
            if (kind == KXPTS_CAPTION) {
                width = std::max(width, extent.text + m_nItemAdditionWidth);
            } else if (kind == KXPTS_ICONCAPTION) {
                const int own = vertical         ? extent.text + extent.icon.cx + 8
                                : m_bOwnDrawIcon ? extent.text + m_nItemAdditionWidth + 20
                                                 : extent.text + m_nItemAdditionWidth + extent.icon.cx + 4;
                width = std::max(width, own);
            }
        }
    } else if (!vertical && (m_dwStyle & KXPTS_FIXCOUNT)) {
        const int count = GetItemCount();
        const int parts = m_nFixCount >= 1 && m_nFixCount <= count - 1 ? m_nFixCount : count;
        const int share = stripLength / parts;
        width = m_nFixItemWidth;
        if (share <= 20) {
            width = 20;
        } else if (share < width) {
            width = share;
        }
    }
    return width;
}

CKxPageTab::TabStep CKxPageTab::StepOf(const TabExtent& extent, int commonWidth) const
{
    const bool vertical = IsVertical();
    const bool equal = (m_dwStyle & KXPTS_EQUALWIDTH) != 0;
    const bool fixedWidth = (m_dwStyle & KXPTS_FIXWIDTH) != 0;
    switch (TabKind()) {
    case KXPTS_CAPTION: {
        const int span = equal || (!vertical && (m_dwStyle & KXPTS_FIXCOUNT)) ? commonWidth
                         : fixedWidth                                         ? m_nFixItemWidth
                                                                              : extent.text + (vertical ? 2 : 20);
        return {span, span};
    }
    case KXPTS_ICON:
        return {extent.icon.cx + 2, extent.icon.cx + 2};
    case KXPTS_ICONCAPTION: {
        const int icon = m_bOwnDrawIcon && !vertical ? 16 : extent.icon.cx;
        if (equal) {
            return {commonWidth - 1, commonWidth};
        }
        if (fixedWidth) {
            return {m_nFixItemWidth, m_nFixItemWidth};
        }
        return {icon + extent.text + 6, extent.text + 2 + icon + 5};
    }
    default:
        return {0, 0};
    }
}

bool CKxPageTab::Overflows(int total, int stripLength) const
{
    const int kind = TabKind();
    if (kind == KXPTS_ICONCAPTION || (kind == KXPTS_CAPTION && IsVertical())) {
        return total > stripLength;
    }
    return total >= stripLength;
}

CRect CKxPageTab::PlaceTab(const TabExtent& extent, int along, int span, const CRect& strip) const
{
    const Axis axis{IsVertical()};
    const int height = m_nItemHeight;
    const int crossStart = axis.CrossStart(strip), crossEnd = axis.CrossEnd(strip);
    int cross0 = crossEnd - height, cross1 = crossEnd;
    switch (TabKind()) {
    case KXPTS_CAPTION:
        if (!IsVertical() && (m_dwOrientation & KXPTO_TOP)) {
            cross0 = crossStart, cross1 = crossStart + height;
        }
        break;
    case KXPTS_ICON:
        cross1 = crossEnd - 2;
        cross0 = cross1 - std::min<int>(extent.icon.cy, height - 4);
        break;
    default:
        if (IsVertical() && (m_dwOrientation & KXPTO_LEFT)) {
            cross0 = crossStart, cross1 = crossStart + height;
        }
        break;
    }
    return axis.Make(along, along + span, cross0, cross1);
}

bool CKxPageTab::LayoutPass()
{
    const Axis axis{IsVertical()};
    const int count = GetItemCount();
    const CRect strip = StripRect();
    const int length = axis.Length(strip);
    if (m_nFirstVisible < 0 || m_nFirstVisible >= count) {
        m_nFirstVisible = 0;
    }
    const int common = CommonWidth(length);
    int allSpans = 0;
    for (TabExtent& extent : m_extents) {
        extent.span = StepOf(extent, common).span;
        allSpans += extent.span;
    }
    for (tagPageTabItem* item : m_items) {
        ::SetRectEmpty(&item->rect);
    }

    int along = axis.Start(strip), total = 0;
    m_nLastVisible = m_nFirstVisible;
    for (int i = m_nFirstVisible; i < count; ++i) {
        const TabStep step = StepOf(m_extents[i], common);
        total += step.advance + m_nDepart;
        const bool overflow = Overflows(total, length);
        if (overflow && i > m_nFirstVisible) {
            break;
        }
        m_items[i]->rect = PlaceTab(m_extents[i], along, step.span, strip);
        m_nLastVisible = i;
        along += step.span + m_nDepart;
        if (overflow) {
            break;
        }
    }
    m_bAtEnd = m_nLastVisible == count - 1;

    if (m_dwSpinStyle == 3) {
        if (allSpans == 0) {
            m_bSpinShow = false;
        } else if (GetVisibleItemCount() < count) {
            // Scrolled to the end with room left: earlier tabs come back into view.
            if (m_bAtEnd && m_nFirstVisible > 0) {
                const int before = m_nFirstVisible;
                while (m_nFirstVisible > 0) {
                    const int grown = total + StepOf(m_extents[m_nFirstVisible - 1], common).advance + m_nDepart;
                    if (Overflows(grown, length)) {
                        break;
                    }
                    total = grown;
                    --m_nFirstVisible;
                }
                if (m_nFirstVisible != before) {
                    return true;
                }
            }
            if (!m_bSpinShow) {
                m_bSpinShow = true;
                return true;
            }
        } else if (m_bSpinShow) {
            m_nFirstVisible = 0;
            m_bSpinShow = false;
            return true;
        }
    }
    if (m_bSpinShow) {
        LayoutSpin();
        if (m_dwSpinStyle != 0 && IsValidIndex(m_nLastVisible)) {
            LONG& end = axis.End(m_items[m_nLastVisible]->rect);
            end = std::min<LONG>(end, axis.Start(m_rcFirstArrow));
        }
    }
    return false;
}

void CKxPageTab::RecalcLayout()
{
    if (m_items.empty() || !IsWindow()) {
        return;
    }
    MeasureTabs();
    m_bLaidOut = true;
    // A pass that moves the first visible tab or switches the arrows asks for another; each such
    // change heads for a settled layout, and the count bounds the passes regardless.
    for (size_t pass = 0; pass <= m_items.size() + 2 && LayoutPass(); ++pass) {
    }
}

void CKxPageTab::ArrowRects(DWORD spinStyle, CRect& first, CRect& second) const
{
    const Axis axis{IsVertical()};
    const CRect area = StripArea();
    const int spin = m_nSpinWidth;
    const int start = axis.Start(area), end = axis.End(area);
    const int cross0 = axis.CrossStart(area), cross1 = axis.CrossEnd(area);
    if (spinStyle == 0) {
        first = axis.Make(start + 6, start + 6 + spin, cross0, cross1);
    } else {
        first = axis.Make(end - 2 * spin - 12, end - spin - 12, cross0, cross1);
    }
    second = axis.Make(end - spin - 6, end - 6, cross0, cross1);
}

void CKxPageTab::LayoutSpin()
{
    ArrowRects(m_dwSpinStyle, m_rcFirstArrow, m_rcSecondArrow);
}

int CKxPageTab::GetAllItemWidth() const
{
    int total = 0;
    for (const TabExtent& extent : m_extents) {
        total += extent.span;
    }
    if (m_bSpinShow && m_dwSpinStyle == 0) {
        total += 2 * m_nSpinWidth + 24;
    }
    return total;
}

CSize CKxPageTab::GetSpinSize() const
{
    return IsVertical() ? CSize(m_nItemHeight, m_nSpinWidth) : CSize(m_nSpinWidth, m_nItemHeight);
}

int CKxPageTab::GetItemHeight() const
{
    return m_nItemHeight;
}

int CKxPageTab::GetVisibleItemCount() const
{
    return m_nFirstVisible < 0 || m_nLastVisible < 0 ? 0 : m_nLastVisible - m_nFirstVisible + 1;
}

int CKxPageTab::GetFisrtVisbleIdx() const
{
    return m_nFirstVisible;
}

void CKxPageTab::EnsureVisible(int index)
{
    if (!IsValidIndex(index)) {
        return;
    }
    if (index < m_nFirstVisible) {
        m_nLastVisible += index - m_nFirstVisible;
        m_nFirstVisible = index;
        RecalcLayout();
    } else if (index > m_nLastVisible) {
        if (m_nLastVisible >= 0 && m_bSpinShow) {
            m_nFirstVisible += index - m_nLastVisible;
            RecalcLayout();
            // Tabs of different widths: one more step at a time until the tab is in view.
            while (IsWindow() && index > m_nLastVisible && m_nFirstVisible < index) {
                ++m_nFirstVisible;
                RecalcLayout();
            }
        }
    } else {
        return;
    }
    OnLookChanged();
}
