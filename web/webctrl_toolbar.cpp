// CWebCtrlWnd: the navigation strip, the context menu, focus and keys.
#include <util/webctrl.h>

#include <exdispid.h>

#include <util/drawdc.h>
#include <util/drawfun.h>
#include <util/module.h>

#include <algorithm>

#include "resources/resource.h"
#include "web/browserhost.h"

namespace {

constexpr wchar_t kRefreshText[] = L"刷新";
constexpr int kMenuTextChars = 1024;
constexpr wchar_t kPageWindowClass[] = L"Internet Explorer_Server";
constexpr int kClassNameChars = 200;
constexpr wchar_t kKeyScriptFunction[] = L"OnCltKeyPress";

bool IsKeyDown(const MSG& msg)
{
    return msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
}

bool IsPageWindow(HWND window)
{
    wchar_t className[kClassNameChars + 1] = {};
    ::GetClassNameW(window, className, kClassNameChars + 1);
    return _wcsicmp(className, kPageWindowClass) == 0;
}

} // namespace

// ---- layout ----

CRect CWebCtrlWnd::GetToolBarRect() const
{
    CRect strip;
    GetViewClientRect(&strip);
    strip.bottom = std::min(strip.bottom, strip.top + TOOLBAR_HEIGHT);
    return strip;
}

CRect CWebCtrlWnd::GetBrowserRect() const
{
    CRect area;
    GetViewClientRect(&area);
    if (m_bToolBarVisible) {
        area.top = std::min(area.bottom, area.top + TOOLBAR_HEIGHT);
    }
    return area;
}

CRect CWebCtrlWnd::GetButtonRect(int button) const
{
    const CRect strip = GetToolBarRect();
    const int left = strip.left + button * BUTTON_SIZE;
    return CRect(left, strip.top, left + BUTTON_SIZE, strip.top + BUTTON_SIZE);
}

int CWebCtrlWnd::ButtonFromPoint(POINT point) const
{
    for (int button = 0; button < BUTTON_COUNT; ++button) {
        if (GetButtonRect(button).PtInRect(point)) {
            return button;
        }
    }
    return -1;
}

void CWebCtrlWnd::LayoutBrowser()
{
    if (m_pHost) {
        m_pHost->Move(GetBrowserRect());
    }
}

void CWebCtrlWnd::OnSize(UINT type, int cx, int cy)
{
    CKxBaseWnd::OnSize(type, cx, cy);
    LayoutBrowser();
}

// ---- strip ----

void CWebCtrlWnd::SetKxToolBarVisable(int visible)
{
    const BOOL show = visible ? TRUE : FALSE;
    if (show == m_bToolBarVisible) {
        return;
    }
    m_bToolBarVisible = show;
    if (IsWindow()) {
        const CRect strip = GetToolBarRect();
        InvalidateRect(&strip);
    }
    LayoutExToolBars();
    LayoutBrowser();
}

int CWebCtrlWnd::InsertExToolBar(int index, HWND window, int width)
{
    if (!m_bToolBarVisible || window == nullptr || !::IsWindow(window)) {
        return -1;
    }
    m_arExToolBars.erase(std::remove_if(m_arExToolBars.begin(), m_arExToolBars.end(),
                                        [window](const tagExToolBar& bar) { return bar.hWnd == window; }),
                         m_arExToolBars.end());
    const size_t position = std::min(static_cast<size_t>(std::max(index, 0)), m_arExToolBars.size());
    m_arExToolBars.insert(m_arExToolBars.begin() + static_cast<std::ptrdiff_t>(position), tagExToolBar{window, width});
    LayoutExToolBars();
    return static_cast<int>(position);
}

void CWebCtrlWnd::DeleteExToolBar(HWND window)
{
    const auto found = std::find_if(m_arExToolBars.begin(), m_arExToolBars.end(),
                                    [window](const tagExToolBar& bar) { return bar.hWnd == window; });
    if (found == m_arExToolBars.end()) {
        return;
    }
    m_arExToolBars.erase(found);
    if (::IsWindow(window)) {
        ::ShowWindow(window, SW_HIDE);
    }
    LayoutExToolBars();
}

void CWebCtrlWnd::LayoutExToolBars()
{
    if (!IsWindow()) {
        return;
    }
    const CRect strip = GetToolBarRect();
    int left = strip.left + m_nButtonsWidth;
    for (const tagExToolBar& bar : m_arExToolBars) {
        if (!::IsWindow(bar.hWnd)) {
            continue;
        }
        if (!m_bToolBarVisible) {
            ::ShowWindow(bar.hWnd, SW_HIDE); // the page covers the strip's place
            continue;
        }
        if (::GetParent(bar.hWnd) != m_hWnd) {
            ::SetParent(bar.hWnd, m_hWnd);
        }
        ::SetWindowPos(bar.hWnd, nullptr, left, strip.top, bar.nWidth, TOOLBAR_HEIGHT, SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(bar.hWnd, SW_SHOWNA);
        left += bar.nWidth;
    }
}

void CWebCtrlWnd::SetTBBkColor(COLORREF color)
{
    m_crTBBk = color;
    if (IsWindow() && m_bToolBarVisible) {
        const CRect strip = GetToolBarRect();
        InvalidateRect(&strip);
    }
}

BYTE CWebCtrlWnd::GetButtonState(int button) const
{
    return button >= 0 && button < BUTTON_COUNT ? m_btnStates[button] : BYTE(BTN_DISABLED);
}

void CWebCtrlWnd::InvalidateButtons()
{
    if (IsWindow()) {
        CRect buttons = GetToolBarRect();
        buttons.right = buttons.left + m_nButtonsWidth;
        InvalidateRect(&buttons, FALSE);
    }
}

void CWebCtrlWnd::SetButtonState(int button, BYTE state)
{
    if (m_btnStates[button] != state) {
        m_btnStates[button] = state;
        InvalidateButtons();
    }
}

void CWebCtrlWnd::OnCommandStateChange(long command, BOOL enable)
{
    const int button = command == CSC_NAVIGATEBACK ? 0 : command == CSC_NAVIGATEFORWARD ? 1 : -1;
    if (m_bToolBarVisible && button >= 0) {
        if (!enable) {
            SetButtonState(button, BTN_DISABLED);
        } else if (m_btnStates[button] == BTN_DISABLED) {
            SetButtonState(button, BTN_NORMAL);
        }
    }
    void* const args[] = {&command, &enable};
    NotifyParent(DISPID_COMMANDSTATECHANGE, args);
}

void CWebCtrlWnd::RunButton(int button)
{
    switch (button) {
    case 0:
        GoBack();
        break;
    case 1:
        GoForward();
        break;
    case 2:
        Stop();
        break;
    case 3:
        Refresh();
        break;
    default:
        Navigate(m_strHomeURL);
        break;
    }
}

void CWebCtrlWnd::OnMouseMove(UINT flags, CPoint point)
{
    if (m_bToolBarVisible) {
        if (!m_bTrackingLeave) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
            m_bTrackingLeave = ::TrackMouseEvent(&track);
        }
        const bool captured = ::GetCapture() == m_hWnd;
        const int over = ButtonFromPoint(point);
        for (int button = 0; button < BUTTON_COUNT; ++button) {
            const BYTE state = m_btnStates[button];
            if (state == BTN_DISABLED) {
                continue;
            }
            if (captured && (state & BTN_PRESSED) != 0 && button != over) {
                SetButtonState(button, BTN_HOT);
            } else if (captured && state == BTN_HOT && button == over) {
                SetButtonState(button, BTN_HOT | BTN_PRESSED);
            } else if (!captured && state == BTN_NORMAL && button == over) {
                SetButtonState(button, BTN_HOT);
            } else if (!captured && state == BTN_HOT && button != over) {
                SetButtonState(button, BTN_NORMAL);
            }
        }
    }
    CKxBaseWnd::OnMouseMove(flags, point);
}

void CWebCtrlWnd::OnLButtonDown(UINT flags, CPoint point)
{
    const int button = m_bToolBarVisible ? ButtonFromPoint(point) : -1;
    if (button >= 0 && m_btnStates[button] != BTN_DISABLED) {
        SetCapture();
        SetButtonState(button, static_cast<BYTE>(m_btnStates[button] | BTN_PRESSED));
    }
    CKxBaseWnd::OnLButtonDown(flags, point);
}

void CWebCtrlWnd::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_bToolBarVisible) {
        if (::GetCapture() == m_hWnd) {
            ::ReleaseCapture();
        }
        const auto pressed = std::find_if(std::begin(m_btnStates), std::end(m_btnStates),
                                          [](BYTE state) { return (state & BTN_PRESSED) != 0; });
        if (pressed != std::end(m_btnStates)) {
            const int button = static_cast<int>(pressed - std::begin(m_btnStates));
            const bool over = ButtonFromPoint(point) == button;
            SetButtonState(button, over ? BTN_HOT : BTN_NORMAL);
            if (over) {
                RunButton(button);
            }
        }
    }
    CKxBaseWnd::OnLButtonUp(flags, point);
}

void CWebCtrlWnd::OnMouseLeave()
{
    m_bTrackingLeave = FALSE;
    for (int button = 0; button < BUTTON_COUNT; ++button) {
        const BYTE state = m_btnStates[button];
        if (state == BTN_HOT || (state & BTN_PRESSED) != 0) {
            SetButtonState(button, state == BTN_HOT ? BTN_NORMAL : BTN_HOT);
            break;
        }
    }
    CKxBaseWnd::OnMouseLeave();
}

// ---- painting ----

BOOL CWebCtrlWnd::OnEraseBkgnd(CDC* dc)
{
    if (!m_bToolBarVisible || dc == nullptr) {
        return CKxBaseWnd::OnEraseBkgnd(dc);
    }
    const CRect strip = GetToolBarRect();
    KXDRAWFUN::FillSolidRect(dc->m_hDC, &strip, m_crTBBk);
    return TRUE;
}

void CWebCtrlWnd::OnPaint()
{
    if (!m_bToolBarVisible) {
        Default();
        return;
    }
    CPaintDC paint(this);
    PaintButtons(paint.m_hDC);
}

void CWebCtrlWnd::PaintButtons(HDC dc)
{
    if (m_bmpToolBar.m_hObject == nullptr) {
        m_bmpToolBar.Attach(
            ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDB_KX_WEBTOOLBAR), IMAGE_BITMAP, 0, 0, 0));
    }
    CRect buttons = GetToolBarRect();
    buttons.right = buttons.left + m_nButtonsWidth;
    // Drawn off-screen: a pressed button moves over its own background.
    CKXMemDC memory(dc, buttons, FALSE);
    const HDC target = memory.m_bValid ? static_cast<HDC>(memory) : dc;
    KXDRAWFUN::FillSolidRect(target, &buttons, m_crTBBk);
    for (int button = 0; button < BUTTON_COUNT; ++button) {
        const BYTE state = m_btnStates[button];
        const int row = std::min(state & 0x0F, int(BTN_DISABLED));
        CRect cell = GetButtonRect(button);
        if ((state & BTN_PRESSED) != 0) {
            cell.OffsetRect(1, 1);
        }
        KXDRAWFUN::DrawBmp(target, &cell, static_cast<HBITMAP>(m_bmpToolBar.m_hObject),
                           CPoint(button * BUTTON_SIZE, row * BUTTON_SIZE), SRCCOPY);
    }
}

// ---- context menu ----

void CWebCtrlWnd::EnsureRefreshItem(HMENU menu)
{
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[kMenuTextChars + 1] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(position), text, kMenuTextChars + 1, MF_BYPOSITION);
        if (wcscmp(text, kRefreshText) == 0) {
            return;
        }
    }
    ::AppendMenuW(menu, MF_STRING, REFRESH_COMMAND, kRefreshText);
}

void CWebCtrlWnd::OnContextMenu(CWnd*, CPoint screenPoint)
{
    if (m_hMenu == nullptr || !::IsMenu(m_hMenu)) {
        return;
    }
    EnsureRefreshItem(m_hMenu);
    ::EnableMenuItem(m_hMenu, ID_EDIT_COPY, MF_BYCOMMAND | (IsCopyEnabled() ? MF_ENABLED : MF_GRAYED));
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(m_hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, m_hWnd, nullptr));
    if (command == REFRESH_COMMAND) {
        Refresh();
    } else if (command != 0) {
        PostMessage(WM_COMMAND, command);
    }
}

// ---- focus and keys ----

void CWebCtrlWnd::FocusPage()
{
    // From the browser's own window down, so that strip windows in front of it do not hide the page.
    for (HWND window = m_pHost ? m_pHost->GetControlWindow() : nullptr; window != nullptr;
         window = ::GetWindow(window, GW_CHILD)) {
        if (IsPageWindow(window)) {
            ::SetFocus(window);
        }
    }
}

void CWebCtrlWnd::OnSetFocus(CWnd* oldWnd)
{
    CKxBaseWnd::OnSetFocus(oldWnd);
    FocusPage();
}

BOOL CWebCtrlWnd::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && IsKeyDown(*msg) && msg->wParam == VK_F5) {
        CWnd* parent = GetParent();
        if (parent != nullptr) {
            parent->PostMessage(WM_KEYDOWN, VK_F5, msg->lParam);
        }
        return TRUE;
    }
    return CKxBaseWnd::PreTranslateMessage(msg);
}

LRESULT CWebCtrlWnd::KxPreTranslateMsg(MSG* msg)
{
    if (msg == nullptr) {
        return 0;
    }
    if (IsKeyDown(*msg)) {
        if (msg->wParam == VK_PRIOR || msg->wParam == VK_NEXT || msg->wParam == VK_F5) {
            return 2;
        }
        CStringArray arguments;
        CString key;
        key.Format(L"%d", static_cast<int>(msg->wParam));
        arguments.Add(key);
        CString answer;
        if (CallJScript(kKeyScriptFunction, arguments, answer) && _wtoi(answer) == 1) {
            return 1;
        }
    } else if (msg->message == WM_CHAR && IsEditMessage()) {
        return 2;
    }
    if (m_pHost && m_pHost->TranslateAccelerator(msg) == S_OK) {
        return 1;
    }
    return CKxBaseWnd::KxPreTranslateMsg(msg);
}
