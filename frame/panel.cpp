// The panel tree: splits, layout, hiding, deleting, size locks and drawing.
#include <util/drawfun.h>
#include <util/kxmsg.h>
#include <util/module.h>
#include <util/panel.h>
#include <util/wnd.h>

#include <algorithm>
#include <cmath>

#include "frame/cursor_hooks.h"

namespace {

constexpr double kPosEpsilon = 1e-10;
constexpr int kSplitterHalfWidth = 2;
constexpr LONG kLargestSize = 0x3FFFFFFF;
constexpr LONG kSmallestSize = 5;
constexpr WORD kVerticalSplitterCursor = 102;
constexpr WORD kHorizontalSplitterCursor = 103;

int RoundHalfUp(double value)
{
    return static_cast<int>(value + 0.5);
}

HCURSOR LoadSplitterCursor(bool vertical)
{
    HCURSOR cursor = ::LoadCursorW(AfxGetInstanceHandle(),
                                   MAKEINTRESOURCEW(vertical ? kVerticalSplitterCursor : kHorizontalSplitterCursor));
    return cursor ? cursor : ::LoadCursorW(nullptr, vertical ? IDC_SIZEWE : IDC_SIZENS);
}

} // namespace

LRESULT CFunctionObj::Notify(UINT, void*)
{
    return 0;
}

LRESULT CFunctionObj::Query(UINT, void*)
{
    return 0;
}

CKxPanel::CKxPanel(CWnd* owner, CKxPanel* parent) : m_pWnd(owner), m_pParent(parent)
{
    if (m_pParent != nullptr) {
        CursorHooks::Instance().SubPanelMade();
    }
}

CKxPanel::~CKxPanel()
{
    Release();
    if (m_pParent != nullptr) {
        CursorHooks::Instance().SubPanelGone();
    }
}

void CKxPanel::Release()
{
    delete m_pPanel1;
    delete m_pPanel2;
    m_pPanel1 = nullptr;
    m_pPanel2 = nullptr;
    m_pView = nullptr;
    m_hCursor = nullptr; // a shared cursor of the module: nothing to destroy
    m_bDragging = FALSE;
    m_nHidden = 0;
}

bool CKxPanel::OwnerExists() const
{
    return m_pWnd != nullptr && m_pWnd->IsWindow();
}

// ---- kinds and views ----

BOOL CKxPanel::SetType(UINT type, double pos)
{
    const UINT kind = type & KXPT_KINDMASK;
    if (kind < KXPT_SPLIT) {
        Release();
        m_nType = kind;
        return TRUE;
    }
    const UINT direction = type & KXPT_DIRMASK;
    const UINT unit = type & KXPT_UNITMASK;
    if ((direction != KXPT_VERT && direction != KXPT_HORZ) || unit == KXPT_UNITMASK) {
        return FALSE;
    }
    Release();
    m_pPanel1 = new CKxPanel(m_pWnd, this);
    m_pPanel2 = new CKxPanel(m_pWnd, this);
    for (CKxPanel* child : {m_pPanel1, m_pPanel2}) {
        child->m_bDrawBk = m_bDrawBk;
        child->m_crBk = m_crBk;
        child->m_crBorder = m_crBorder;
        child->m_crDragLine = m_crDragLine;
    }
    m_dPos = pos;
    m_nType = kind | direction | unit;
    InitSplitInfo();
    AdjustLayout();
    m_hCursor = LoadSplitterCursor(IsVertical());
    return TRUE;
}

CKxPanel* CKxPanel::GetPanel1() const
{
    return IsSplit() ? m_pPanel1 : nullptr;
}

CKxPanel* CKxPanel::GetPanel2() const
{
    return IsSplit() ? m_pPanel2 : nullptr;
}

BOOL CKxPanel::SetView(CFunctionObj* view)
{
    if (Kind() != KXPT_VIEW) {
        return FALSE;
    }
    m_pView = view;
    NotifyViewMoved();
    return TRUE;
}

CFunctionObj* CKxPanel::GetView() const
{
    return Kind() == KXPT_VIEW ? m_pView : nullptr;
}

void CKxPanel::NotifyView(UINT code, void* data) const
{
    if (Kind() == KXPT_VIEW && m_pView) {
        m_pView->Notify(code, data);
    }
}

void CKxPanel::NotifyViewMoved() const
{
    tagKxPanelMove move{sizeof(tagKxPanelMove), m_rect};
    NotifyView(KXPN_MOVE, &move);
}

// ---- geometry ----

void CKxPanel::MovePanel(const RECT* rect)
{
    if (rect == nullptr || m_rect == *rect) {
        return;
    }
    m_rect = *rect;
    if (Kind() == KXPT_VIEW) {
        NotifyViewMoved();
    } else if (IsSplit()) {
        InitSplitInfo();
        AdjustLayout();
    }
}

BOOL CKxPanel::GetLimitSize(SIZE* smallest, SIZE* largest) const
{
    SIZE low{kSmallestSize, kSmallestSize};
    SIZE high{kLargestSize, kLargestSize};
    BOOL known = FALSE;
    if (IsSplit()) {
        SIZE low1{}, high1{}, low2{}, high2{};
        m_pPanel1->GetLimitSize(&low1, &high1);
        m_pPanel2->GetLimitSize(&low2, &high2);
        low = {std::max(low1.cx, low2.cx), std::max(low1.cy, low2.cy)};
        high = {std::min(high1.cx, high2.cx), std::min(high1.cy, high2.cy)};
        known = TRUE;
    } else if (Kind() == KXPT_VIEW) {
        known = TRUE;
        if (m_pView) {
            HDC dc = OwnerExists() ? ::GetDC(m_pWnd->m_hWnd) : nullptr;
            tagKxPanelLimits limits{sizeof(tagKxPanelLimits), dc, high, low};
            m_pView->Query(KXPN_GETLIMITS, &limits);
            if (dc) {
                ::ReleaseDC(m_pWnd->m_hWnd, dc);
            }
            low = limits.szMin;
            high = limits.szMax;
        }
    }
    if (smallest) {
        *smallest = low;
    }
    if (largest) {
        *largest = high;
    }
    return known;
}

int CKxPanel::Extent() const
{
    return IsVertical() ? m_rect.Width() : m_rect.Height();
}

int CKxPanel::SplitLine() const
{
    const int start = IsVertical() ? m_rect.left : m_rect.top;
    const int end = IsVertical() ? m_rect.right : m_rect.bottom;
    int line = start;
    switch (m_nType & KXPT_UNITMASK) {
    case KXPT_FIXED2:
        line = end - RoundHalfUp(m_dPos);
        break;
    case KXPT_FIXED1:
        line = start + RoundHalfUp(m_dPos);
        break;
    default:
        line = start + static_cast<int>((end - start) * m_dPos);
        break;
    }
    // A fixed size larger than the panel leaves the other child empty rather than inside out.
    return std::clamp(line, std::min(start, end), std::max(start, end));
}

void CKxPanel::InitSplitInfo()
{
    if (!IsSplit()) {
        return;
    }
    SIZE low1{}, high1{}, low2{}, high2{};
    m_pPanel1->GetLimitSize(&low1, &high1);
    m_pPanel2->GetLimitSize(&low2, &high2);
    const int line = SplitLine();
    if (IsVertical()) {
        m_rcSplitter.SetRect(line - kSplitterHalfWidth, m_rect.top, line + kSplitterHalfWidth, m_rect.bottom);
        const int from = std::max(m_rect.right - high2.cx, m_rect.left + low1.cx);
        const int to = std::min(m_rect.left + high1.cx, m_rect.right - low2.cx);
        m_rcDragLimit.SetRect(from, m_rect.top, to, m_rect.bottom);
    } else {
        m_rcSplitter.SetRect(m_rect.left, line - kSplitterHalfWidth, m_rect.right, line + kSplitterHalfWidth);
        const int from = std::max(m_rect.bottom - high2.cy, m_rect.top + low1.cy);
        const int to = std::min(m_rect.top + high1.cy, m_rect.bottom - low2.cy);
        m_rcDragLimit.SetRect(m_rect.left, from, m_rect.right, to);
    }
}

void CKxPanel::AdjustLayout()
{
    if (!IsSplit()) {
        return;
    }
    if (m_nHidden == 1 || m_nHidden == 2) {
        CKxPanel* hidden = Child(m_nHidden);
        CKxPanel* shown = Child(3 - m_nHidden);
        hidden->ShowPanel(FALSE);
        shown->MovePanel(&m_rect);
        shown->ShowPanel(TRUE);
        return;
    }
    // The position is not stored back from the line here: repeated layouts of a fraction would
    // otherwise creep by the truncation of every pass.
    const int line = SplitLine();
    CRect first(m_rect), second(m_rect);
    if (IsVertical()) {
        first.right = line;
        second.left = line;
    } else {
        first.bottom = line;
        second.top = line;
    }
    m_pPanel1->MovePanel(&first);
    m_pPanel2->MovePanel(&second);
}

void CKxPanel::ApplySplitLine(int line)
{
    const int start = IsVertical() ? m_rect.left : m_rect.top;
    const int end = IsVertical() ? m_rect.right : m_rect.bottom;
    switch (m_nType & KXPT_UNITMASK) {
    case KXPT_FIXED2:
        m_dPos = end - line;
        break;
    case KXPT_FIXED1:
        m_dPos = line - start;
        break;
    default:
        if (end != start) {
            m_dPos = static_cast<double>(line - start) / (end - start);
        }
        break;
    }
    InitSplitInfo();
    AdjustLayout();
}

void CKxPanel::ShowPanel(BOOL show)
{
    if (!show) {
        // Forgotten so that the next move reaches every view of the branch again.
        m_rect.SetRectEmpty();
    }
    if (IsSplit()) {
        for (int which : {1, 2}) {
            if (m_nHidden != which) {
                Child(which)->ShowPanel(show);
            }
        }
    } else {
        NotifyView(KXPN_SHOW, reinterpret_cast<void*>(static_cast<INT_PTR>(show ? 1 : 0)));
    }
}

void CKxPanel::SetPos(double pos)
{
    if (!IsSplit()) {
        return;
    }
    bool changed = false;
    if (std::fabs(pos + 1.0) >= kPosEpsilon && std::fabs(pos - m_dPos) >= kPosEpsilon) {
        m_dPos = pos;
        changed = true;
    }
    const int wasHidden = m_nHidden;
    m_nHidden = 0;
    if (changed || wasHidden != 0) {
        InitSplitInfo();
        AdjustLayout();
    }
    if (wasHidden != 0) {
        Child(wasHidden)->ShowPanel(TRUE);
    }
}

void CKxPanel::HideSubPanel(int which)
{
    if (!IsSplit() || which < 0 || which > 2 || which == m_nHidden) {
        return;
    }
    const int wasHidden = m_nHidden;
    m_nHidden = which;
    m_bDragging = FALSE;
    InitSplitInfo();
    AdjustLayout();
    if (wasHidden != 0) {
        Child(wasHidden)->ShowPanel(TRUE);
    }
}

BOOL CKxPanel::IsSubPanelVisable(int which) const
{
    return !(IsSplit() && which != 0 && m_nHidden == which);
}

BOOL CKxPanel::IsVisable() const
{
    const CKxPanel* child = this;
    for (const CKxPanel* parent = m_pParent; parent; child = parent, parent = parent->m_pParent) {
        if (parent->m_nHidden != 0 && parent->Child(parent->m_nHidden) == child) {
            return FALSE;
        }
    }
    return TRUE;
}

void CKxPanel::DelSubPanel(int which)
{
    if (!IsSplit()) {
        return;
    }
    CKxPanel* removed = which == 1 ? m_pPanel1 : m_pPanel2;
    CKxPanel* kept = which == 1 ? m_pPanel2 : m_pPanel1;
    m_pPanel1 = m_pPanel2 = nullptr;
    delete removed;

    m_nType = kept->m_nType;
    m_nHidden = kept->m_nHidden;
    m_dPos = kept->m_dPos;
    m_pView = Kind() == KXPT_VIEW ? kept->m_pView : nullptr;
    m_pPanel1 = kept->m_pPanel1;
    m_pPanel2 = kept->m_pPanel2;
    for (CKxPanel* child : {m_pPanel1, m_pPanel2}) {
        if (child) {
            child->m_pParent = this;
        }
    }
    kept->m_pPanel1 = kept->m_pPanel2 = nullptr;
    kept->m_pView = nullptr;
    delete kept;

    m_bDragging = FALSE;
    m_hCursor = IsSplit() ? LoadSplitterCursor(IsVertical()) : nullptr;
    InitSplitInfo();
    AdjustLayout();
    if (Kind() == KXPT_VIEW) {
        NotifyViewMoved();
    }
}

// ---- appearance ----

void CKxPanel::Draw(HDC dc)
{
    if (dc == nullptr) {
        return;
    }
    if (IsSplit()) {
        for (int which : {1, 2}) {
            if (m_nHidden != which) {
                Child(which)->Draw(dc);
            }
        }
        return;
    }
    if (Kind() == KXPT_EMPTY && m_bDrawBk) {
        const bool painted = OwnerExists() && m_pWnd->SendMessage(WM_KX_PAINTBK, reinterpret_cast<WPARAM>(dc),
                                                                  reinterpret_cast<LPARAM>(&m_rect)) != 0;
        if (!painted) {
            KXDRAWFUN::FillSolidRect(dc, &m_rect, m_crBk);
        }
    }
    if (!m_rect.IsRectEmpty()) {
        KXDRAWFUN::DrawLine(dc, m_rect.left, m_rect.bottom - 1, m_rect.right, m_rect.bottom - 1, PS_SOLID, 1,
                            m_crBorder, R2_COPYPEN);
        KXDRAWFUN::DrawLine(dc, m_rect.right - 1, m_rect.top, m_rect.right - 1, m_rect.bottom - 1, PS_SOLID, 1,
                            m_crBorder, R2_COPYPEN);
    }
}

void CKxPanel::SetBorderColor(COLORREF color)
{
    m_crBorder = color;
    if (IsSplit()) {
        m_pPanel1->SetBorderColor(color);
        m_pPanel2->SetBorderColor(color);
    }
}

void CKxPanel::SetBkColor(COLORREF color)
{
    m_crBk = color;
    if (IsSplit()) {
        m_pPanel1->SetBkColor(color);
        m_pPanel2->SetBkColor(color);
    }
}

void CKxPanel::EnableDrawBk(BOOL draw)
{
    m_bDrawBk = draw;
    if (IsSplit()) {
        m_pPanel1->EnableDrawBk(draw);
        m_pPanel2->EnableDrawBk(draw);
    }
}

CKxPanel* CKxPanel::GetPanelFromPoint(POINT point)
{
    if (!m_rect.PtInRect(point)) {
        return nullptr;
    }
    if (!IsSplit()) {
        return this;
    }
    if (m_nHidden != 0) {
        return Child(3 - m_nHidden)->GetPanelFromPoint(point);
    }
    CKxPanel* found = m_pPanel1->GetPanelFromPoint(point);
    return found ? found : m_pPanel2->GetPanelFromPoint(point);
}

// ---- size locks ----

CKxPanel* CKxPanel::FindSizeDecider(UINT direction, int* branch) const
{
    const CKxPanel* child = this;
    for (CKxPanel* parent = m_pParent; parent; child = parent, parent = parent->m_pParent) {
        const int from = parent->m_pPanel1 == child ? 1 : 2;
        const UINT unit = parent->m_nType & KXPT_UNITMASK;
        const bool otherDirection = (parent->m_nType & KXPT_DIRMASK) != direction;
        const bool fixesOtherChild = (unit == KXPT_FIXED2 && from == 1) || (unit == KXPT_FIXED1 && from == 2);
        if (!otherDirection && !fixesOtherChild) {
            *branch = from;
            return parent;
        }
    }
    return nullptr;
}

BOOL CKxPanel::LockPanelSize(UINT direction)
{
    int branch = 0;
    CKxPanel* decider =
        (direction == KXPT_VERT || direction == KXPT_HORZ) ? FindSizeDecider(direction, &branch) : nullptr;
    if (decider == nullptr || (decider->m_nType & KXPT_UNITMASK) != KXPT_FRACTION) {
        return FALSE;
    }
    const UINT keep = decider->m_nType & KXPT_DIRMASK;
    const double extent = decider->Extent();
    if (branch == 1) {
        decider->m_nType = keep | KXPT_FIXED1 | KXPT_SPLIT;
        decider->m_dPos = decider->m_dPos * extent;
    } else {
        decider->m_nType = keep | KXPT_FIXED2 | KXPT_SPLIT;
        decider->m_dPos = (1.0 - decider->m_dPos) * extent;
    }
    decider->m_bDragging = FALSE;
    decider->InitSplitInfo();
    decider->AdjustLayout();
    return TRUE;
}

BOOL CKxPanel::UnLockPanelSize(UINT direction)
{
    int branch = 0;
    CKxPanel* decider =
        (direction == KXPT_VERT || direction == KXPT_HORZ) ? FindSizeDecider(direction, &branch) : nullptr;
    if (decider == nullptr || (decider->m_nType & KXPT_UNITMASK) == KXPT_FRACTION) {
        return FALSE;
    }
    const double extent = decider->Extent();
    if (extent <= 0) {
        return FALSE;
    }
    const UINT keep = decider->m_nType & KXPT_DIRMASK;
    decider->m_nType = keep | KXPT_FRACTION | KXPT_SPLITTER;
    decider->m_dPos = branch == 1 ? decider->m_dPos / extent : 1.0 - decider->m_dPos / extent;
    decider->m_hCursor = LoadSplitterCursor(decider->IsVertical());
    decider->InitSplitInfo();
    decider->AdjustLayout();
    return TRUE;
}

BOOL CKxPanel::IsLecked(UINT direction) const
{
    int branch = 0;
    const CKxPanel* decider =
        (direction == KXPT_VERT || direction == KXPT_HORZ) ? FindSizeDecider(direction, &branch) : nullptr;
    return decider != nullptr && (decider->m_nType & KXPT_UNITMASK) != KXPT_FRACTION;
}

BOOL CKxPanel::CanLockPanelSize(UINT direction) const
{
    int branch = 0;
    const CKxPanel* decider =
        (direction == KXPT_VERT || direction == KXPT_HORZ) ? FindSizeDecider(direction, &branch) : nullptr;
    return decider != nullptr && (decider->m_nType & KXPT_UNITMASK) == KXPT_FRACTION;
}
