#pragma once

#include <windows.h>

#include <util/cstring.h>
#include <util/drawdc.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/static.h>

// Styles of CKXProgressCtrl.
enum : int {
    KXPROGRESS_GRADIENT = 0, // two gradients, with an optional centred text
    KXPROGRESS_TILE = 1,     // any other value too: tiles over a stretched background image
};

// A progress bar on a static control. The gradient style draws the filled part and the empty part
// as two vertical gradients, with the caption (or the percentage when there is none) centred over
// both, in one colour over each part; the tile style draws the library's bitmaps 126 (tiles, one
// pixel apart) over bitmap 125 (stretched). The window text is the caption.
class UTIL_API CKXProgressCtrl : public CStatic {
public:
    CKXProgressCtrl();
    ~CKXProgressCtrl() override;

    // Stored only; the next SetPos uses the new range.
    void SetRange(int lower, int upper);
    // Repaints at once when the filled width changes by a pixel or more. The previous position, or
    // -1 without a window.
    int SetPos(int position);
    int StepIt();
    int OffsetPos(int delta);
    // Returns the previous step.
    int SetStep(int step);
    void SetShowText(BOOL show);
    int SetProgressStyle(int style);

    // Colours are stored only; they show at the next paint.
    void SetForeUpColour(COLORREF colour);
    void SetForeDownColour(COLORREF colour);
    void SetBkUpColour(COLORREF colour);
    void SetBkDownColour(COLORREF colour);
    // Text over the empty part.
    void SetTextForeColour(COLORREF colour);
    COLORREF GetTextForeColour() const { return m_crTextFore; }
    // Text over the filled part.
    void SetTextBkColour(COLORREF colour);
    COLORREF GetTextBkColour() const { return m_crTextBk; }
    void SetOutterBorderClr(COLORREF colour);
    void SetInnerBorderClr(COLORREF colour);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    int OnCreate(CREATESTRUCTW* cs) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;

    // The filled share of the range; 0 for an empty or inverted range.
    long double Fraction() const;
    int FilledWidth(int width) const;
    void PaintGradient(CDC& dc, const CRect& client);
    void PaintTiles(CDC& dc, const CRect& client) const;
    // The caption over the filled part in one colour and over the empty part in the other.
    void PaintText(CDC& dc, const CRect& client, const CRect& filled, const CRect& empty);
    LRESULT OnGetText(size_t capacity, wchar_t* buffer) const;

    int m_nPos = 0;
    int m_nStep = 1;
    int m_nUpper = 100;
    int m_nLower = 0;
    CString m_strCaption;
    BOOL m_bShowText = FALSE;
    int m_nLastWidth = -1;
    COLORREF m_crForeUp = RGB(114, 182, 252);
    COLORREF m_crForeDown = RGB(71, 154, 239);
    COLORREF m_crBkUp = RGB(69, 73, 77);
    COLORREF m_crBkDown = RGB(0, 0, 0);
    COLORREF m_crTextFore;
    COLORREF m_crTextBk;
    COLORREF m_crOuterBorder = RGB(0, 0, 0);
    COLORREF m_crInnerBorder = RGB(42, 122, 203);
    int m_nStyle = KXPROGRESS_GRADIENT;
    CFont m_font;
    CKxDrawDC m_dcMem;
};
