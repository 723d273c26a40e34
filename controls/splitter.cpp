// The splitter bar: bindings, limits, the inverted drag line and the layout of the bound windows.
#include <util/drawfun.h>
#include <util/module.h>
#include <util/splitter.h>

#include <algorithm>

#include "resources/resource.h"

namespace {

constexpr wchar_t kClassName[] = L"KX_Splitter";
constexpr int kDragLineWidth = 2;

// The class without a cursor of its own: the bar sets its split cursor itself.
bool RegisterSplitterClass()
{
    WNDCLASSW wndClass{};
    wndClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wndClass.lpfnWndProc = ::DefWindowProcW;
    wndClass.hInstance = AfxGetInstanceHandle();
    wndClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wndClass.lpszClassName = kClassName;
    return AfxRegisterClass(&wndClass) != FALSE;
}

// A window's rectangle in its parent's client coordinates.
CRect RectInParent(HWND wnd)
{
    CRect rect;
    ::GetWindowRect(wnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(wnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

CKXSplitter::CKXSplitter() = default;

CKXSplitter::~CKXSplitter()
{
    DestroyWindow();
}

BOOL CKXSplitter::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, int orientation)
{
    m_bindings.clear();
    if (parent == nullptr || parent->GetSafeHwnd() == nullptr || !RegisterSplitterClass()) {
        return FALSE;
    }
    m_nOrientation = orientation;
    return CWnd::Create(kClassName, L"", style, rect, parent, id);
}

// ---- bindings ----

void CKXSplitter::BindWnd(CWnd* wnd, int side, int minimum)
{
    m_bindings.push_back({wnd ? wnd->GetSafeHwnd() : nullptr, side, minimum});
}

void CKXSplitter::UnbindWnd(CWnd* wnd)
{
    const HWND handle = wnd ? wnd->GetSafeHwnd() : nullptr;
    const auto first = std::find_if(m_bindings.begin(), m_bindings.end(),
                                    [handle](const Binding& binding) { return binding.hWnd == handle; });
    if (first != m_bindings.end()) {
        m_bindings.erase(first);
    }
}

void CKXSplitter::UnbindAllWnds(int side)
{
    m_bindings.erase(std::remove_if(m_bindings.begin(), m_bindings.end(),
                                    [side](const Binding& binding) { return side == 0 || binding.nSide == side; }),
                     m_bindings.end());
}

void CKXSplitter::SetMinLimit(CWnd* wnd, int minimum)
{
    const HWND handle = wnd ? wnd->GetSafeHwnd() : nullptr;
    if (minimum <= 0) {
        return;
    }
    for (Binding& binding : m_bindings) {
        if (binding.hWnd == handle) {
            binding.nMinimum = minimum;
            return;
        }
    }
}

int CKXSplitter::LargestMinimum(int side) const
{
    int largest = 0;
    for (const Binding& binding : m_bindings) {
        if (binding.nSide == side) {
            largest = std::max(largest, binding.nMinimum);
        }
    }
    return largest;
}

void CKXSplitter::SetSplitterColor(COLORREF colour)
{
    m_crSplitter = colour;
}

void CKXSplitter::SetSplitterMovColor(COLORREF colour)
{
    m_crMovLine = colour;
}

void CKXSplitter::SetSplitterWidth(int width)
{
    m_nWidth = width;
}

// ---- geometry and layout ----

void CKXSplitter::CalcActiveRect()
{
    CWnd* parent = GetParent();
    if (parent == nullptr) {
        return;
    }
    CRect area;
    parent->GetClientRect(&area);
    parent->ClientToScreen(&area);
    // The bar spans [point - width / 2, point - width / 2 + width): both ends keep the bound windows at
    // their minimum size (the far end is inclusive).
    const int before = m_nWidth / 2;
    const int after = m_nWidth - before;
    CRect active;
    if (IsVertical()) {
        active.SetRect(area.left + LargestMinimum(KXSPLITTER_LEFT) + before, 0,
                       area.right - LargestMinimum(KXSPLITTER_RIGHT) - after, 0);
    } else {
        active.SetRect(0, area.top + LargestMinimum(KXSPLITTER_TOP) + before, 0,
                       area.bottom - LargestMinimum(KXSPLITTER_BOTTOM) - after);
    }
    ScreenToClient(&active);
    CRect client;
    GetClientRect(&client);
    if (IsVertical()) {
        active.top = client.top;
        active.bottom = client.bottom;
    } else {
        active.left = client.left;
        active.right = client.right;
    }
    m_rcActive = active;
}

CPoint CKXSplitter::ClampToActiveRect(CPoint point) const
{
    // Where the limits leave no room, the near end wins.
    point.x = std::max<LONG>(m_rcActive.left, std::min<LONG>(point.x, m_rcActive.right));
    point.y = std::max<LONG>(m_rcActive.top, std::min<LONG>(point.y, m_rcActive.bottom));
    return point;
}

bool CKXSplitter::MoveFacingEdge(CRect& rect, int side, const CRect& bar) const
{
    if (IsVertical() && side == KXSPLITTER_LEFT) {
        rect.right = bar.left;
    } else if (IsVertical() && side == KXSPLITTER_RIGHT) {
        rect.left = bar.right;
    } else if (!IsVertical() && side == KXSPLITTER_TOP) {
        rect.bottom = bar.top;
    } else if (!IsVertical() && side == KXSPLITTER_BOTTOM) {
        rect.top = bar.bottom;
    } else {
        return false;
    }
    return true;
}

void CKXSplitter::RecalcLayout()
{
    if (m_bindings.empty() || !IsWindow()) {
        return;
    }
    const CRect bar = RectInParent(m_hWnd);
    for (const Binding& binding : m_bindings) {
        if (!::IsWindow(binding.hWnd)) {
            continue;
        }
        CRect rect = RectInParent(binding.hWnd);
        if (!MoveFacingEdge(rect, binding.nSide, bar)) {
            continue;
        }
        ::MoveWindow(binding.hWnd, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
    }
    if (CWnd* parent = GetParent()) {
        parent->InvalidateRect(nullptr, TRUE);
    }
}

void CKXSplitter::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    CalcActiveRect();
}

void CKXSplitter::OnMove(int x, int y)
{
    CWnd::OnMove(x, y);
    CalcActiveRect();
    RecalcLayout();
}

// ---- painting and cursor ----

void CKXSplitter::OnPaint()
{
    CPaintDC dc(this);
    DrawBar(dc);
}

void CKXSplitter::DrawBar(CDC& dc) const
{
    CRect client;
    GetClientRect(&client);
    for (int i = 0; i < m_nWidth; ++i) {
        if (IsVertical()) {
            KXDRAWFUN::DrawLine(dc, client.left + i, client.top, client.left + i, client.bottom, PS_SOLID, 1,
                                m_crSplitter, R2_COPYPEN);
        } else {
            KXDRAWFUN::DrawLine(dc, client.left, client.top + i, client.right, client.top + i, PS_SOLID, 1,
                                m_crSplitter, R2_COPYPEN);
        }
    }
}

BOOL CKXSplitter::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (m_nOrientation != KXSPLITTER_VERT && m_nOrientation != KXSPLITTER_HORZ) {
        return CWnd::OnSetCursor(wnd, hitTest, message);
    }
    const WORD id = IsVertical() ? AFX_IDC_HSPLITBAR : AFX_IDC_VSPLITBAR;
    ::SetCursor(::LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id)));
    return TRUE;
}

// ---- drag ----

void CKXSplitter::InvertDragLine(CPoint point) const
{
    CPoint from = IsVertical() ? CPoint(point.x, m_rcActive.top) : CPoint(m_rcActive.left, point.y);
    CPoint to = IsVertical() ? CPoint(point.x, m_rcActive.bottom) : CPoint(m_rcActive.right, point.y);
    ClientToScreen(&from);
    ClientToScreen(&to);
    CClientDC screen(nullptr);
    KXDRAWFUN::DrawLine(screen, from.x, from.y, to.x, to.y, PS_SOLID, kDragLineWidth, m_crMovLine, R2_XORPEN);
}

void CKXSplitter::OnLButtonDown(UINT, CPoint point)
{
    if (::GetCapture() != nullptr || m_bindings.empty()) {
        return;
    }
    SetCapture();
    // The parent may have changed size, or bindings come, since the bar last moved.
    CalcActiveRect();
    m_ptLast = ClampToActiveRect(point);
    m_bDragging = true;
    InvertDragLine(m_ptLast);
}

void CKXSplitter::OnMouseMove(UINT flags, CPoint point)
{
    if (m_bDragging && GetCapture() == this) {
        const CPoint next = ClampToActiveRect(point);
        if (IsVertical() ? next.x != m_ptLast.x : next.y != m_ptLast.y) {
            InvertDragLine(m_ptLast);
            InvertDragLine(next);
            m_ptLast = next;
        }
    }
    CWnd::OnMouseMove(flags, point);
}

void CKXSplitter::OnLButtonUp(UINT, CPoint point)
{
    if (!m_bDragging || GetCapture() != this) {
        return;
    }
    m_bDragging = false;
    ::ReleaseCapture();
    InvertDragLine(m_ptLast);
    CPoint drop = ClampToActiveRect(point);
    ClientToScreen(&drop);
    GetParent()->ScreenToClient(&drop);
    CRect bar = RectInParent(m_hWnd);
    const CRect current = bar;
    if (IsVertical()) {
        bar.left = drop.x - m_nWidth / 2;
        bar.right = bar.left + m_nWidth;
    } else {
        bar.top = drop.y - m_nWidth / 2;
        bar.bottom = bar.top + m_nWidth;
    }
    if (bar != current) {
        MoveWindow(&bar, TRUE);
    }
}

void CKXSplitter::OnCaptureChanged(CWnd* wnd)
{
    // A drag that lost the mouse takes its line off the screen.
    if (m_bDragging && wnd != this) {
        m_bDragging = false;
        InvertDragLine(m_ptLast);
    }
    CWnd::OnCaptureChanged(wnd);
}
