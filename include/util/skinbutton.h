#pragma once

#include <windows.h>

#include <util/button.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/markup.h>

namespace Gdiplus {
class GpBitmap;
}

// An owner-drawn push button with four images (normal, pressed, hover, disabled) and four text
// colours, drawn with GDI+ over the part of its parent's background that lies behind it (asked for
// with KXSKIN_NM_PAINTBK; the button face colour when the parent does not answer). A toggled button
// shows its pressed look in the normal state.
class UTIL_API CSkinButton : public CButton {
public:
    CSkinButton();
    ~CSkinButton() override;

    using CButton::Create;
    // From the current skin element; image names are relative to the skin path of a CSkinDlg parent
    // (taken as they stand under any other parent).
    BOOL Create(CMarkupSTL& xml, UINT id, CWnd* parent);

    void SetColor(COLORREF normal, COLORREF pressed, COLORREF hover, COLORREF disabled);
    // Takes ownership of the bitmaps (any may be null) and deletes the previous ones.
    void SetBitmap(Gdiplus::GpBitmap* normal, Gdiplus::GpBitmap* pressed, Gdiplus::GpBitmap* hover,
                   Gdiplus::GpBitmap* disabled);
    // Paths that do not name an existing file give no image.
    void SetBitmap(const wchar_t* normal, const wchar_t* pressed, const wchar_t* hover, const wchar_t* disabled);
    // Swaps the normal and pressed looks; a second call swaps them back.
    void Toggle(BOOL toggle);
    BOOL IsToggled() const { return m_bToggle; }

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void RepaintIfWindow(BOOL erase);
    void DeleteBitmaps();
    void DrawCaption(HDC dc, const RECT& face, COLORREF color);

    COLORREF m_crNormal = 0;
    COLORREF m_crHover = 0;
    COLORREF m_crSel = 0;
    COLORREF m_crDisable = 0;
    Gdiplus::GpBitmap* m_pBmpNormal = nullptr;
    Gdiplus::GpBitmap* m_pBmpSel = nullptr;
    Gdiplus::GpBitmap* m_pBmpHover = nullptr;
    Gdiplus::GpBitmap* m_pBmpDisable = nullptr;
    BOOL m_bHover = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bPushed = FALSE;
    BOOL m_bToggle = FALSE;
    CFont m_font; // made from the skin element
};
