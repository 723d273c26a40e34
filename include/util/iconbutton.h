#pragma once

#include <windows.h>

#include <util/button.h>
#include <util/drawfun.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/geometry.h>
#include <util/tooltipctrl.h>

// A push button that destroys its window with the object and turns the platform button owner-drawn.
class UTIL_API CButtonBase : public CButton {
public:
    CButtonBase();
    ~CButtonBase() override;

protected:
    void PreSubclassWindow() override;
};

// The general icon button. In image style (1) the whole face is an icon (or a light gradient) with
// centred text; any other style is the classic look with borders, an optional icon and text. A flat
// button shows its borders only while the pointer is over it (it holds the capture meanwhile).
class UTIL_API CButtonSTEX : public CButtonBase {
public:
    enum { ST_ALIGN_HORIZ = 0, ST_ALIGN_VERT = 1 };
    enum { ST_STYLE_CLASSIC = 0, ST_STYLE_IMAGE = 1 };
    // Called on the parent window with the control identifier when the button is released.
    typedef void (CWnd::*KXBTNUPFUN)(UINT id);

    CButtonSTEX();
    ~CButtonSTEX() override;

    // Classic-style icons: the normal one is drawn while the button is pressed, the hover one
    // otherwise (the normal one when it is 0 or null). Icons loaded from the resource module are the
    // button's; handles stay the caller's. Repaint at once.
    void SetIcon(UINT normalIconId, UINT hoverIconId, int width, int height);
    void SetIcon(HICON normalIcon, HICON hoverIcon, int width, int height);
    // The image-style face and disabled face (the caller's icons); the size set last applies to both.
    void SetIconEx(HICON icon, int width, int height);
    void SetDisableIcon(HICON icon, int width, int height);
    // A cursor of the resource module shown over the button, or none with -1 (then 1); whether it loaded.
    BOOL SetBtnCursor(int cursorId = -1);

    void SetFlat(BOOL flat = TRUE);
    BOOL GetFlat() const { return m_bIsFlat; }
    // ST_ALIGN_HORIZ: icon left of the text; ST_ALIGN_VERT: icon above it.
    void SetAlign(int align);
    int GetAlign() const { return m_nAlign; }
    void SetShowText(BOOL show = TRUE);
    BOOL GetShowText() const { return m_bShowText; }
    void SetFlatFocus(BOOL drawFlatFocus, BOOL repaint = FALSE);
    // The raised border of a hovered flat button.
    void DrawBorder(BOOL enable = TRUE);
    void SetBtnStyle(int style);
    int GetBtnStyle() const { return m_nStyle; }
    void SetSelected(BOOL selected);
    BOOL IsSelected() const { return m_bSelected; }

    void SetInactiveBgColor(COLORREF color, BOOL repaint = FALSE);
    void SetInactiveFgColor(COLORREF color, BOOL repaint = FALSE);
    void SetActiveBgColor(COLORREF color, BOOL repaint = FALSE);
    void SetActiveFgColor(COLORREF color, BOOL repaint = FALSE);
    COLORREF GetInactiveBgColor() const { return m_crInactiveBg; }
    COLORREF GetInactiveFgColor() const { return m_crInactiveFg; }
    COLORREF GetActiveBgColor() const { return m_crActiveBg; }
    COLORREF GetActiveFgColor() const { return m_crActiveFg; }
    void SetDefaultInactiveBgColor(BOOL repaint = FALSE);
    void SetDefaultInactiveFgColor(BOOL repaint = FALSE);
    void SetDefaultActiveBgColor(BOOL repaint = FALSE);
    void SetDefaultActiveFgColor(BOOL repaint = FALSE);

    // One tool over the client area with this text (null: nothing happens); the tooltip is made on first use.
    void SetTooltipText(const wchar_t* text, BOOL activate = TRUE);
    void InitToolTip();
    // A font from the library's font cache (ignored when null). WM_SETFONT sets a copy of the font it
    // carries (none: back to this font); WM_GETFONT answers the font the text is drawn in.
    void SetTextFont(const tagYFontDes* description);
    void SetOnLButtonUpFun(KXBTNUPFUN callback) { m_pfnLButtonUp = callback; }

    static const wchar_t* GetVersionC() { return L"2.3"; }
    static short GetVersionI() { return 23; }

    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCaptureChanged(CWnd* wnd) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

    bool IsImageStyle() const { return m_nStyle == ST_STYLE_IMAGE; }
    void CancelHover();
    void Repaint(BOOL erase = TRUE);
    void SetSentFont(HFONT font, bool redraw);
    HFONT TextFont() const;
    void SetColour(COLORREF& field, COLORREF color, BOOL repaint);
    // Draws the classic icon and leaves in caption the area left for the text.
    void DrawClassicIcon(HDC dc, bool hasText, const CRect& face, CRect& caption, bool pressed, bool disabled);
    void DrawClassicText(HDC dc, const CString& text, CRect caption, bool pressed, bool disabled);
    // Classic style, and image style without a face.
    void DrawBorders(CDC& dc, const CRect& face, bool pressed);
    void ReleaseLoadedIcons();

    int m_nStyle = ST_STYLE_IMAGE;
    BOOL m_bIsFlat = TRUE;
    BOOL m_bDrawBorder = TRUE;
    BOOL m_bShowText = TRUE;
    int m_nAlign = ST_ALIGN_HORIZ;
    BOOL m_bDrawFlatFocus = FALSE;
    int m_nHover = 0;
    BOOL m_bSelected = FALSE;
    BOOL m_bToggledFocus = FALSE;
    BOOL m_bDisabled = FALSE;

    HICON m_hIconNormal = nullptr;
    HICON m_hIconHover = nullptr;
    HICON m_hLoadedIcons[2] = {}; // icons this button loaded for SetIcon
    BYTE m_cxIcon = 0;
    BYTE m_cyIcon = 0;
    HICON m_hIconFace = nullptr;
    HICON m_hIconDisabled = nullptr;
    CSize m_sizeIconEx;
    HCURSOR m_hCursor = nullptr;

    COLORREF m_crInactiveBg;
    COLORREF m_crInactiveFg;
    COLORREF m_crActiveBg;
    COLORREF m_crActiveFg;
    HFONT m_hFont = nullptr; // from the font cache
    CFont m_sentFont;        // a copy of the font WM_SETFONT gave, which takes precedence
    CToolTipCtrl m_ToolTip;
    KXBTNUPFUN m_pfnLButtonUp = nullptr;
};

// The client's standard dialog button: an image-style button whose face is one of the library's
// two icon sets, 66 x 20 or 98 x 20 as its caption needs, or a set of the client's own icons.
class UTIL_API CKXButton : public CButtonSTEX {
public:
    enum { KXBTN_NORMAL = 0, KXBTN_HOVER = 1, KXBTN_PRESSED = 2, KXBTN_DISABLED = 3 };

    CKXButton();
    ~CKXButton() override;

    // 1: the own icons replace the built-in ones.
    void SetKxBtnStyle(int ownIcons);
    // Keeps copies of the icons that are not null.
    void SetKxOwnIcon(HICON normal, HICON hover, HICON pressed, HICON disabled);
    void SetKxOwnIconSize(CSize size) { m_sizeOwnIcon = size; }

protected:
    void PreSubclassWindow() override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;

    // Sizes the button and its faces for its caption (or the own icons).
    void FitToCaption();
    HICON StateIcon(int state) const;
    CSize FaceSize() const;
    void ShowFace(int state);

    int m_nKxBtnStyle = 0;
    int m_nWide = 0;
    BOOL m_bPressed = FALSE;
    HICON m_hKxIcons[4][2] = {}; // by state, then narrow (66 x 20) or wide (98 x 20)
    HICON m_hOwnIcons[4] = {};
    CSize m_sizeOwnIcon;
};
