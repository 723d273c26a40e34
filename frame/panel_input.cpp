// Splitter dragging, splitter cursors and the per-thread cursor hook of the panel tree.
#include <util/drawfun.h>
#include <util/kxmsg.h>
#include <util/panel.h>
#include <util/wnd.h>

#include <algorithm>

#include "frame/cursor_hooks.h"

namespace {

bool IsMouseMessage(UINT message)
{
    return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

// Asks a window whether it belongs to the library and, if so, forwards a set-cursor request to it.
// Windows of other threads are not asked: a hook must not wait on them.
bool ForwardSetCursor(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* answer)
{
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId() ||
        ::SendMessageW(window, WM_KX_ISKXWND, 0, 0) == 0) {
        return false;
    }
    *answer = ::SendMessageW(window, WM_KX_SETCURSOR, wParam, lParam);
    return true;
}

} // namespace

BOOL CKxPanel::SetCursorHook()
{
    return CursorHooks::Instance().Install();
}

BOOL CKxPanel::UnCursorHook()
{
    return CursorHooks::Instance().Remove();
}

LRESULT CALLBACK CKxPanel::KxCallWndRetProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto* ret = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && ret && ret->message == WM_SETCURSOR) {
        for (HWND window = ret->hwnd; window; window = ::GetParent(window)) {
            LRESULT answer = 0;
            if (ForwardSetCursor(window, ret->wParam, ret->lParam, &answer)) {
                if (answer != 0) {
                    ret->lResult = 1;
                    return 1;
                }
                break;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- dragging ----

void CKxPanel::DrawDragLine(POINT point) const
{
    HWND owner = m_pWnd->m_hWnd;
    HDC dc = ::GetDC(owner);
    if (dc == nullptr) {
        return;
    }
    if (IsVertical()) {
        KXDRAWFUN::DrawLine(dc, point.x, m_rect.top, point.x, m_rect.bottom, PS_SOLID, 1, m_crDragLine, R2_XORPEN);
    } else {
        KXDRAWFUN::DrawLine(dc, m_rect.left, point.y, m_rect.right, point.y, PS_SOLID, 1, m_crDragLine, R2_XORPEN);
    }
    ::ReleaseDC(owner, dc);
}

BOOL CKxPanel::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || !IsSplit() || !OwnerExists() || !m_pWnd->IsWindowVisible()) {
        return FALSE;
    }
    if (IsMouseMessage(msg->message)) {
        POINT point{static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
        if (msg->hwnd != m_pWnd->m_hWnd) {
            ::MapWindowPoints(msg->hwnd, m_pWnd->m_hWnd, &point, 1);
        }
        const int along = IsVertical() ? point.x : point.y;
        const int limitFrom = IsVertical() ? m_rcDragLimit.left : m_rcDragLimit.top;
        const int limitTo = IsVertical() ? m_rcDragLimit.right : m_rcDragLimit.bottom;
        switch (msg->message) {
        case WM_LBUTTONDOWN:
            if (Kind() == KXPT_SPLITTER && m_nHidden == 0 && m_rcSplitter.PtInRect(point)) {
                InitSplitInfo(); // the views' limits as they are now
                m_pWnd->SetCapture();
                m_bDragging = TRUE;
                m_ptDrag = point;
                DrawDragLine(m_ptDrag);
                return TRUE;
            }
            break;
        case WM_MOUSEMOVE:
            if (!m_bDragging) {
                break;
            }
            if (::GetCapture() != m_pWnd->m_hWnd) {
                // The capture went elsewhere: the drag is cancelled without a move.
                m_bDragging = FALSE;
                DrawDragLine(m_ptDrag);
                return TRUE;
            }
            if (along >= limitFrom && along <= limitTo) {
                DrawDragLine(m_ptDrag);
                m_ptDrag = point;
                DrawDragLine(m_ptDrag);
            }
            return TRUE;
        case WM_LBUTTONUP:
            if (!m_bDragging) {
                break;
            }
            m_bDragging = FALSE;
            if (::GetCapture() == m_pWnd->m_hWnd) {
                ::ReleaseCapture();
            }
            DrawDragLine(m_ptDrag);
            ApplySplitLine(std::clamp(static_cast<int>(IsVertical() ? m_ptDrag.x : m_ptDrag.y),
                                      std::min(limitFrom, limitTo), std::max(limitFrom, limitTo)));
            m_pWnd->SendMessage(WM_KX_SPLITTERMOVED);
            return TRUE;
        default:
            break;
        }
    }
    // Hidden branches keep stale splitters: only what is shown takes part.
    for (int which : {1, 2}) {
        if (m_nHidden != which && Child(which)->PreTranslateMessage(msg)) {
            return TRUE;
        }
    }
    return FALSE;
}

// ---- cursor ----

BOOL CKxPanel::SetCursorInTree() const
{
    if (!IsSplit()) {
        return FALSE;
    }
    if (Kind() == KXPT_SPLITTER && m_nHidden == 0) {
        POINT cursor{};
        bool over = false;
        if (OwnerExists() && ::GetCursorPos(&cursor)) {
            m_pWnd->ScreenToClient(&cursor);
            over = m_rcSplitter.PtInRect(cursor);
        }
        if (m_bDragging || over) {
            ::SetCursor(m_hCursor);
            return TRUE;
        }
    }
    for (int which : {1, 2}) {
        if (m_nHidden != which && Child(which)->SetCursorInTree()) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CKxPanel::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (SetCursorInTree()) {
        return TRUE;
    }
    HWND parent = OwnerExists() ? ::GetParent(m_pWnd->m_hWnd) : nullptr;
    LRESULT answer = 0;
    return parent && ForwardSetCursor(parent, wParam, lParam, &answer) && answer != 0;
}
