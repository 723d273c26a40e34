#pragma once

#include <windows.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/kxstatic.h>
#include <util/markup.h>

// A short random code shown as a picture for the user to type back: each character in its own colour,
// slightly shifted, with a few dots of noise. A click draws a new code. Codes come from the C library's
// generator, seeded with the time in seconds when a code is drawn.
class UTIL_API CVerifyCodeCtrl : public CKXStatic {
public:
    CVerifyCodeCtrl();
    ~CVerifyCodeCtrl() override;

    using CKXStatic::Create;
    // A static window from the current element's "addstyle", "delstyle" and "rect".
    int Create(CMarkupSTL& element, UINT id, CWnd* parent);
    // Makes the drawing resources once (the window must exist) and draws a first code.
    int Init();
    // Display scaling for the font, to be given before Init; 0 counts as 1.
    void SetDPIData(float scaleX, float scaleY);
    // An empty set is ignored.
    void SetCodeSet(const CString& codeSet);
    void SetCodeLength(int length);
    void RebuildCode();
    void GetVerifyCode(CString& code) const { code = m_strCode; }
    void SetColor(const COLORREF& text, const COLORREF& background);

protected:
    void PreSubclassWindow() override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnDestroy() override;

    void ReDrawCode();
    void FreeResources();
    CSize PictureSize() const { return CSize(m_nCodeLength * 16 + 4, 36); }

    BOOL m_bInitialized = FALSE;
    int m_nCodeLength = 4;
    CString m_strCodeSet;
    CString m_strCode;
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBackground = RGB(255, 255, 255);
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    CDC m_dcPicture;
    CBitmap m_bmpPicture;
    CFont m_fontCode;
    CBrush m_brBackground;
    HGDIOBJ m_hOldBitmap = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
};
