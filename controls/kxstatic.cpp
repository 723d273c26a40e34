#include <util/kxstatic.h>

#include "controls/offscreen.h"

namespace kxcontrols {

std::unique_ptr<CFont> MakeTahomaFont()
{
    auto font = std::make_unique<CFont>();
    font->CreateFont(-11, 0, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     PROOF_QUALITY, DEFAULT_PITCH, L"Tahoma");
    return font;
}

void AdoptFont(std::unique_ptr<CFont>& owned, CFont* font)
{
    // The font in use given again stays.
    if (font != nullptr && font != owned.get()) {
        owned.reset(font);
    }
}

} // namespace kxcontrols

CKXStatic::CKXStatic() : m_crBk(::GetSysColor(COLOR_BTNFACE)), m_font(kxcontrols::MakeTahomaFont()) {}

CKXStatic::~CKXStatic() = default;

void CKXStatic::SetTextColor(COLORREF color)
{
    m_crText = color;
    RepaintNow();
}

void CKXStatic::SetTextFont(CFont* font)
{
    kxcontrols::AdoptFont(m_font, font);
    RepaintNow();
}

void CKXStatic::SetBgColor(COLORREF color)
{
    m_crBk = color;
    m_bOwnBk = TRUE;
    RepaintNow();
}

void CKXStatic::RepaintNow()
{
    if (IsWindow()) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

LRESULT CKXStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_SETTEXT) {
        return CStatic::WindowProc(message, wParam, lParam);
    }
    const LRESULT result =
        kxcontrols::WithoutRedraw(*this, [&] { return CStatic::WindowProc(message, wParam, lParam); });
    Invalidate(TRUE);
    return result;
}

void CKXStatic::OnPaint()
{
    CPaintDC paint(this);
    kxcontrols::PaintOffscreen(*this, m_dcMem, paint, [this](CDC& dc, const CRect& client) {
        dc.SetBkMode(TRANSPARENT);
        kxcontrols::PaintBackground(*this, dc, client, m_crBk, !m_bOwnBk);
        CFont* oldFont = dc.SelectObject(m_font.get());
        dc.SetTextColor(m_crText);
        CRect area = client;
        dc.DrawText(kxcontrols::WindowText(*this), &area, DT_LEFT | DT_WORDBREAK);
        dc.SelectObject(oldFont);
    });
}
