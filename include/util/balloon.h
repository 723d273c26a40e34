#pragma once

#include <windows.h>

#include <string>

#include <util/export.h>
#include <util/gdi.h>
#include <util/wnd.h>

// A speech balloon under an edit field that warns while Caps Lock is on: it follows the edit, shows
// while the edit has the focus and Caps Lock is on, and hides otherwise.
class UTIL_API CKWBalloonCtrl : public CWnd {
public:
    enum { BALLOON_WIDTH = 270, BALLOON_HEIGHT = 80, BOX_TOP = 30, POINT_COUNT = 31 };

    CKWBalloonCtrl();
    ~CKWBalloonCtrl() override;

    // Creates the balloon window over the target, owned by it, and starts following it.
    void Initialize(CWnd* target, BOOL watchCapsLock);
    void SetText(const wchar_t* text);
    void SetFont(const LOGFONTW& logFont);
    void Show(int showCommand);

    // The outline of the balloon in window coordinates: the box with stepped corners and the pointer.
    static void GetOutline(POINT (&points)[POINT_COUNT]);

protected:
    void OnPaint() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Draws the balloon into dc (painting and WM_PRINTCLIENT).
    void Render(CDC& dc);
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

    // Follows the target and shows or hides the balloon for its focus and Caps Lock.
    void FollowTarget();

    CWnd* m_pTarget = nullptr;
    BOOL m_bWatchCapsLock = TRUE;
    std::wstring m_strText;
    CFont m_font;
    COLORREF m_crBk;
    COLORREF m_crText;
};
