#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/geometry.h>
#include <util/spinbutton.h>

// Border styles of CKXSpinButtonCtrl.
enum KXSPINSTYLE {
    KXSPIN_3D = 0,   // any value but KXSPIN_FLAT: a 3-D border, sunken while its arrow is pressed
    KXSPIN_FLAT = 1, // a frame in the border colour, left out while its arrow is pressed
};

// What the mouse does to a CKXSpinButtonCtrl.
enum KXSPINSTATE {
    KXSPIN_DISABLED = 0,
    KXSPIN_NORMAL = 1,
    KXSPIN_FIRST_OUTSIDE = 2, // the first arrow is held with the pointer off it
    KXSPIN_FIRST_PRESSED = 3,
    KXSPIN_SECOND_OUTSIDE = 4,
    KXSPIN_SECOND_PRESSED = 5,
};

// The platform's spin control drawn in the client's dark scheme: two halves (up and down, or left and
// right with the UDS_HORZ style), each with a filled triangle and a frame, pressed while the mouse holds
// it. Values and notifications stay with the platform control. Setters only store: the next paint or
// press shows them.
class UTIL_API CKXSpinButtonCtrl : public CSpinButtonCtrl {
public:
    CKXSpinButtonCtrl();
    ~CKXSpinButtonCtrl() override;

    void SetBKColor(COLORREF colour);
    void SetBorderColor(COLORREF colour);
    // enabled non-zero sets the colour of an enabled control, 0 the one of a disabled control.
    void SetArrowColor(COLORREF colour, BOOL enabled);
    void SetTransparent(BOOL transparent);
    BOOL IsTransparent() const { return m_bTransparent; }
    void EnableBorder(BOOL border);
    BOOL HasBorder() const { return m_bBorder; }
    void EnablePressedEff(BOOL pressedEffect);
    BOOL HasPressedEff() const { return m_bPressedEffect; }
    void SetSpinStyle(KXSPINSTYLE style);
    KXSPINSTYLE GetSpinStyle() const { return m_nSpinStyle; }
    KXSPINSTATE GetSpinState() const { return m_nState; }

    // The upper (vertical) or left (horizontal) half of the client area for the first arrow, the
    // half after it for the second; each half is rounded down.
    CRect GetArrowRect(BOOL first) const;

    // Reads the orientation and sets the state from the enabled state; 0 without a window.
    virtual BOOL InitSpinCtrl();
    virtual void OnDrawSpinArrow(CDC* dc);
    virtual void OnDrawSpinBorder(CDC* dc);

protected:
    void PreSubclassWindow() override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;

    // Arrows, then the border when it is on, off-screen over dc.
    void DrawTo(CDC& dc);
    void Redraw();
    void SetState(KXSPINSTATE state);
    KXSPINSTATE RestingState() const;

    COLORREF m_crBk = RGB(4, 11, 18);
    COLORREF m_crBorder = RGB(113, 112, 112);
    COLORREF m_crArrow = RGB(255, 255, 84);
    COLORREF m_crArrowDisabled = RGB(237, 232, 236);
    BOOL m_bVertical = TRUE;
    BOOL m_bTransparent = FALSE;
    BOOL m_bBorder = TRUE;
    BOOL m_bPressedEffect = TRUE;
    KXSPINSTYLE m_nSpinStyle = KXSPIN_FLAT;
    KXSPINSTATE m_nState = KXSPIN_DISABLED;
};
