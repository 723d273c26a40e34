#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include <util/export.h>
#include <util/geometry.h>

// Caption buttons of the self-drawn title bars.
enum : UINT { KXTB_CLOSE = 0x1, KXTB_MIN = 0x2, KXTB_RESTORE = 0x4, KXTB_MAX = 0x8 };
// States of a caption button.
enum : int { KXBS_NORMAL = 0, KXBS_HOVER = 1, KXBS_PRESSED = 2 };

// The close, minimise and maximise-or-restore buttons of a self-drawn title bar: their places (in
// window coordinates, origin at the window's top-left corner), states, images and the hover, press
// and release sequence. The window that holds them routes its non-client mouse messages here and runs
// the command of the button a release picks.
class UTIL_API CKxCaptionButtons {
public:
    CKxCaptionButtons();
    ~CKxCaptionButtons();
    CKxCaptionButtons(const CKxCaptionButtons&) = delete;
    CKxCaptionButtons& operator=(const CKxCaptionButtons&) = delete;

    // The buttons a window style shows: close (always, or only with the system menu when
    // closeNeedsSysMenu), minimise, and maximise or restore.
    void InitFromStyle(DWORD style, bool closeNeedsSysMenu);
    // Places the buttons right-aligned in a window windowWidth wide (from the sizes of their normal
    // images); the maximise button shows restore while maximised, or also while minimised when
    // restoreWhenIconic. The left edge of the leftmost button.
    int Layout(HWND window, int windowWidth, bool restoreWhenIconic);

    // The shown button at a point in window coordinates; 0 for none.
    UINT HitTest(POINT point) const;
    // Hovering: the button under the point becomes hover and the others normal; true when a state
    // changed.
    bool Hover(POINT point);
    // The button under the point becomes pressed (the others normal); 0 when the point is on none.
    UINT Press(POINT point, bool* changed);
    // The button that is pressed, 0 for none.
    UINT Pressed() const;
    // All states back to normal; true when one was set.
    bool Reset();
    bool AnyStateSet() const;

    // The message steps of a window's caption buttons; each sets *repaint when the title bar needs
    // painting again. A non-client mouse move at a screen point: arms non-client leave tracking once
    // and hovers.
    void TrackMove(HWND window, POINT screen, bool* repaint);
    // A non-client press at a screen point: on a button the window captures the mouse and true is
    // returned; elsewhere false (the press is the platform's).
    bool TrackPress(HWND window, POINT screen, bool* repaint);
    // A button release at a point in window coordinates while the window holds the capture after a
    // press: the capture is released and the states reset. The pressed button when the release is
    // over it (its command is to run), else 0.
    UINT TrackRelease(HWND window, POINT windowPoint, bool* repaint);
    // The pointer left the non-client area.
    void TrackLeave(bool* repaint);

    // Draws one button in its state, over what dc holds there already; nothing when not shown.
    void Draw(HDC dc, UINT button);
    // Forgets the loaded images (they need the imaging library, which the client stops).
    void ReleaseImages();

    int& StateOf(UINT button);
    const CRect& RectOf(UINT button) const;

    CRect m_rcClose;
    CRect m_rcMin;
    CRect m_rcMax; // maximise or restore
    int m_nCloseState = KXBS_NORMAL;
    int m_nMinState = KXBS_NORMAL;
    int m_nMaxState = KXBS_NORMAL;
    UINT m_nTitleButtons = 0;
    BOOL m_bTrackLeave = FALSE;

private:
    class Picture;
    const Picture* Image(UINT id);
    SIZE ImageSize(UINT id);

    std::map<UINT, std::unique_ptr<Picture>> m_images;
};

constexpr COLORREF KXTITLE_CLR_ACTIVE = RGB(255, 255, 255);
constexpr COLORREF KXTITLE_CLR_INACTIVE = RGB(127, 127, 127);

// Pieces both self-drawn title bars share.
class UTIL_API CKxTitleBar {
public:
    // The library's title band bitmap stretched over the rectangle.
    static void DrawBand(HDC dc, const RECT& rect);
    // The left, right and bottom frame in the colour and the title band above them, into a buffer of
    // the whole window (width x height); inset keeps that many pixels free at the outer edges for an
    // outline drawn afterwards.
    static void DrawFrameAndBand(HDC dc, HWND window, int width, int height, int titleHeight, COLORREF frame,
                                 int inset);
    // The title in its bold 12-pixel face, vertically centred on one line.
    static void DrawTitle(HDC dc, const RECT& rect, const wchar_t* text, COLORREF color);
    // The fallback caption glyphs, 15 x 15 pixels from the top-left point: 0 close, 1 maximise,
    // 2 minimise, 3 restore; black with a white shadow below right. Other glyphs draw nothing.
    static void DrawGlyph(HDC dc, int glyph, POINT topLeft);
    // Caption height: small for tool windows.
    static int CaptionHeight(DWORD exStyle);
    // A window whose title bar the library draws: a caption, a pop-up or a tool window.
    static bool HasTitleBar(DWORD style, DWORD exStyle);
    // The client area's place in window coordinates.
    static CRect ClientInWindow(HWND window);
    // A point in screen coordinates in window coordinates.
    static CPoint ScreenToWindow(HWND window, POINT screen);
};
