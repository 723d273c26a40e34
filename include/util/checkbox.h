#pragma once

#include <windows.h>

#include <memory>

#include <util/button.h>
#include <util/cstring.h>
#include <util/drawdc.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/image.h>
#include <util/wnd.h>

// A self-drawn two-state check box ("KxCheckBox") whose box is one of the library's images. It paints
// off-screen over the background its parent supplies (WM_KX_PAINTBK) and tells the parent about a
// click as a native button would: WM_COMMAND with notification code 0. WM_SETFONT sets a copy of the
// font it carries; WM_GETFONT answers the font the text is drawn in.
class UTIL_API CKxCheckBox : public CWnd {
public:
    CKxCheckBox();
    ~CKxCheckBox() override;

    using CWnd::Create;
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // 0 unchecked, 1 checked (other values are kept as given); 0 without a window.
    int GetCheck() const;
    void SetCheck(int check);
    // The text colour; repaints when the window is visible.
    void SetColor(COLORREF color);
    // The background colour, used when the parent supplies no background.
    void SetCheckBoxBK(COLORREF color);

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnEnable(BOOL enable) override;
    void OnSetFocus(CWnd* oldWnd) override;
    void OnKillFocus(CWnd* newWnd) override;

    void Draw(CDC& dc, const CRect& client);
    // The box image for the current enabled and check state, loaded on first use.
    const CKxImage& BoxImage();
    void RepaintNow();
    void CreateDefaultFont();
    void SetSentFont(HFONT font, bool redraw);

    int m_nCheck = 0;
    BOOL m_bPressed = FALSE;
    COLORREF m_crText;
    COLORREF m_crBk;
    CFont m_font;
    CKxDrawDC m_dcMem;
    CString m_strText;
    CRect m_rcBox;
    CKxImage m_images[4]; // enabled checked, enabled unchecked, disabled checked, disabled unchecked
};

// A self-drawn radio button: a circle in the border colour, a dot in the circle colour when checked,
// and the text beside it, painted off-screen over the parent's background. A click notifies the
// parent with WM_NOTIFY code KXRB_CLICKED; unchecking the others of a group is the parent's task.
class UTIL_API CKXRadioButton : public CButton {
public:
    enum : UINT { KXRB_CLICKED = 257 };

    CKXRadioButton();
    ~CKXRadioButton() override;

    // The stored state, without messages.
    void SetCheck(int check);
    int GetCheck() const { return m_nCheck; }

    // Each stores the value and, when the window is visible, lays out and repaints at once.
    void SetTextColor(COLORREF color);
    void SetBgColor(COLORREF color);
    void SetCycleBorderColor(COLORREF color);
    void SetCycleColor(COLORREF color);
    // Takes ownership of a font made with new (ignored when null) and deletes the previous one.
    void SetTextFont(CFont* font);

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;

    // Lays out and paints into the off-screen image, then copies it to target.
    void Render(HDC target);
    // The same, straight to the window.
    void Redraw();
    void RedrawIfVisible();
    void Click();

    int m_nCheck = 0;
    BOOL m_bPressed = FALSE;
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBk;
    COLORREF m_crCycleBorder = RGB(33, 85, 130);
    COLORREF m_crCycle = RGB(19, 146, 16);
    std::unique_ptr<CFont> m_font;
    CKxDrawDC m_dcMem;
    CRect m_rcCycle;
};
