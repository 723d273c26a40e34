#pragma once

#include <windows.h>

// The library's private window messages.
constexpr UINT WM_KX_ISKXWND = 0x500;       // answer 1: the window belongs to the library
constexpr UINT WM_KX_SETCURSOR = 0x501;     // forwarded WM_SETCURSOR (its wParam, lParam); non-zero: cursor set
constexpr UINT WM_KX_PRETRANSLATE = 0x502;  // wParam: MSG*; answer of KxPreTranslateMsg
constexpr UINT WM_KX_VIEWCREATED = 0x503;   // posted by a view to itself after its creation
constexpr UINT WM_KX_PAINTBK = 0x504;       // paint my background: wParam HDC, lParam RECT*; 1 = done
constexpr UINT WM_KX_GETCLIENTRECT = 0x505; // lParam: RECT* to fill with the view area; answer 1
constexpr UINT WM_KX_SETGRIDCURSOR = 0x506; // the grid asks its parent to set the cursor; 1 = done
constexpr UINT WM_KX_EXPORTDONE = 0x507;    // the export thread finished
constexpr UINT WM_KX_SPLITTERMOVED = 0x508; // a panel's splitter drag ended
constexpr UINT WM_KX_KBDEVENT = 0x50E;      // the library's keyboard hooks queued events to a password edit
constexpr UINT WM_KX_RICHEDIT_VSCROLLED = 0xA39; // posted by a rich edit to its parent after WM_VSCROLL (same parameters)

// Web window (CWebCtrlWnd) messages; wParam is always the web window.
constexpr UINT WM_KX_WEB_NAVIGATED = 0x52C;      // posted: the top-level page navigated; lParam the URL text
constexpr UINT WM_KX_WEB_BEFORENAVIGATE = 0x52D; // sent: lParam tagBeforeNavigateArgs*; non-zero = handled, cancelled
constexpr UINT WM_KX_WEB_COMPLETE = 0x52E;       // posted: download complete (lParam 0), document complete (URL)
constexpr UINT WM_KX_WEB_OPENPENDING = 0x52F;    // posted to itself: open the redirected new-window URL

// Asks the parent of child to paint the background under child's window rectangle into dc (at dc's
// origin); true when the parent did (answered 1).
inline bool KxPaintParentBackground(HWND child, HDC dc)
{
    RECT screen{};
    HWND parent = ::GetParent(child);
    return parent != nullptr && ::GetWindowRect(child, &screen) &&
           ::SendMessageW(parent, WM_KX_PAINTBK, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&screen)) == 1;
}
