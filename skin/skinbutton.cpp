#include <util/skinbutton.h>

#include <util/skindlg.h>

#include <gdiplus.h>

#include <memory>
#include <string>

#include "framework/dib_section.h"
#include "framework/gdi_scope.h"
#include "skin/skinelement.h"

namespace flat = Gdiplus::DllExports;

namespace {

// The caption sits in the face shortened by this much at the top.
constexpr int kCaptionTopInset = 10;

template <class Object, Gdiplus::GpStatus(WINGDIPAPI* Delete)(Object*)>
struct GdiplusDeleter {
    void operator()(Object* object) const { Delete(object); }
};
template <class Object, Gdiplus::GpStatus(WINGDIPAPI* Delete)(Object*)>
using GdiplusPtr = std::unique_ptr<Object, GdiplusDeleter<Object, Delete>>;

// GDI+ outlines no bitmap face, nor every family that GDI maps a face to; it then makes no font
// (and some versions hand back a freed one with the error, so only success counts).
GdiplusPtr<Gdiplus::GpFont, flat::GdipDeleteFont> OutlineFont(HDC dc, HFONT handle)
{
    LOGFONTW description{};
    Gdiplus::GpFont* font = nullptr;
    if (handle == nullptr || ::GetObjectW(handle, sizeof(description), &description) != sizeof(description) ||
        flat::GdipCreateFontFromLogfontW(dc, &description, &font) != Gdiplus::Ok) {
        return nullptr;
    }
    return GdiplusPtr<Gdiplus::GpFont, flat::GdipDeleteFont>(font);
}

// Centred in the layout with a solid brush at full opacity; false when GDI+ cannot draw it.
bool DrawCaptionWithGdiplus(HDC dc, const RECT& layout, const CString& caption, HFONT handle, COLORREF color)
{
    const auto font = OutlineFont(dc, handle);
    Gdiplus::GpGraphics* graphicsObject = nullptr;
    Gdiplus::GpStringFormat* formatObject = nullptr;
    Gdiplus::GpSolidFill* brushObject = nullptr;
    if (!font || flat::GdipCreateFromHDC(dc, &graphicsObject) != Gdiplus::Ok) {
        return false;
    }
    const GdiplusPtr<Gdiplus::GpGraphics, flat::GdipDeleteGraphics> graphics(graphicsObject);
    if (flat::GdipCreateStringFormat(0, LANG_NEUTRAL, &formatObject) != Gdiplus::Ok) {
        return false;
    }
    const GdiplusPtr<Gdiplus::GpStringFormat, flat::GdipDeleteStringFormat> format(formatObject);
    const Gdiplus::ARGB argb = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    if (flat::GdipCreateSolidFill(argb, &brushObject) != Gdiplus::Ok) {
        return false;
    }
    const GdiplusPtr<Gdiplus::GpBrush, flat::GdipDeleteBrush> brush(brushObject);
    flat::GdipSetStringFormatAlign(format.get(), Gdiplus::StringAlignmentCenter);
    flat::GdipSetStringFormatLineAlign(format.get(), Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF area(static_cast<float>(layout.left), static_cast<float>(layout.top),
                              static_cast<float>(layout.right - layout.left),
                              static_cast<float>(layout.bottom - layout.top));
    return flat::GdipDrawString(graphics.get(), caption.GetString(), caption.GetLength(), font.get(), &area,
                                format.get(), brush.get()) == Gdiplus::Ok;
}

void DrawCaptionWithGdi(HDC dc, const RECT& layout, const CString& caption, HFONT font, COLORREF color)
{
    const kxdraw::SelectGuard selectFont(dc, font);
    const kxdraw::BkModeGuard transparent(dc, TRANSPARENT);
    const kxdraw::TextColourGuard textColour(dc, color);
    RECT area = layout;
    ::DrawTextW(dc, caption.GetString(), caption.GetLength(), &area,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace

CSkinButton::CSkinButton() = default;

CSkinButton::~CSkinButton()
{
    DestroyWindow();
    DeleteBitmaps();
}

BOOL CSkinButton::Create(CMarkupSTL& xml, UINT id, CWnd* parent)
{
    if (!CButton::Create(xml.GetAttrib(L"text").c_str(), skin::ReadStyle(xml, BS_OWNERDRAW), skin::ReadRect(xml),
                         parent, id)) {
        return FALSE;
    }
    const LOGFONTW description = skin::ReadFont(xml, parent);
    m_font.DeleteObject();
    if (m_font.CreateFontIndirect(&description)) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
    }
    // Images lie beside the skin of a skin dialog; under any other parent the names stand as given.
    const auto* dialog = dynamic_cast<const CSkinDlg*>(parent);
    wchar_t paths[4][MAX_PATH] = {};
    const wchar_t* const attributes[4] = {L"norfile", L"selfile", L"hovfile", L"disfile"};
    for (int i = 0; i < 4; ++i) {
        const std::wstring name = xml.GetAttrib(attributes[i]);
        if (dialog) {
            dialog->MakeSkinFilePath(name.c_str(), paths[i]);
        } else if (name.size() < MAX_PATH) {
            name.copy(paths[i], name.size());
        }
    }
    SetBitmap(paths[0], paths[1], paths[2], paths[3]);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    SetColor(xml.GetAttribColor(L"color", RGB(0, 0, 0)), xml.GetAttribColor(L"selcolor", highlight),
             xml.GetAttribColor(L"hovcolor", highlight), xml.GetAttribColor(L"discolor", ::GetSysColor(COLOR_GRAYTEXT)));
    return TRUE;
}

void CSkinButton::SetColor(COLORREF normal, COLORREF pressed, COLORREF hover, COLORREF disabled)
{
    m_crNormal = normal;
    m_crSel = pressed;
    m_crHover = hover;
    m_crDisable = disabled;
    RepaintIfWindow(FALSE);
}

void CSkinButton::DeleteBitmaps()
{
    for (Gdiplus::GpBitmap** bitmap : {&m_pBmpNormal, &m_pBmpSel, &m_pBmpHover, &m_pBmpDisable}) {
        skin::DeleteBitmap(*bitmap);
        *bitmap = nullptr;
    }
}

void CSkinButton::SetBitmap(Gdiplus::GpBitmap* normal, Gdiplus::GpBitmap* pressed, Gdiplus::GpBitmap* hover,
                            Gdiplus::GpBitmap* disabled)
{
    DeleteBitmaps();
    m_pBmpNormal = normal;
    m_pBmpSel = pressed;
    m_pBmpHover = hover;
    m_pBmpDisable = disabled;
    RepaintIfWindow(FALSE);
}

void CSkinButton::SetBitmap(const wchar_t* normal, const wchar_t* pressed, const wchar_t* hover,
                            const wchar_t* disabled)
{
    SetBitmap(skin::LoadBitmap(normal), skin::LoadBitmap(pressed), skin::LoadBitmap(hover),
              skin::LoadBitmap(disabled));
}

void CSkinButton::Toggle(BOOL toggle)
{
    m_bToggle = toggle;
    std::swap(m_crNormal, m_crSel);
    std::swap(m_pBmpNormal, m_pBmpSel);
    RepaintIfWindow(FALSE);
}

void CSkinButton::RepaintIfWindow(BOOL erase)
{
    if (IsWindow()) {
        Invalidate(erase);
    }
}

void CSkinButton::DrawItem(DRAWITEMSTRUCT* item)
{
    const CRect face(item->rcItem);
    const DibSection canvas(face.Width(), face.Height());
    const CRect local(0, 0, face.Width(), face.Height());

    CRect screen;
    GetWindowRect(&screen);
    tagKXSKINBKNOTIFY request{};
    request.hdr.hwndFrom = m_hWnd;
    request.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    request.hdr.code = KXSKIN_NM_PAINTBK;
    request.hdc = canvas.dc();
    request.pScreenRect = &screen;
    const HWND parent = ::GetParent(m_hWnd);
    if (parent == nullptr ||
        ::SendMessageW(parent, WM_NOTIFY, request.hdr.idFrom, reinterpret_cast<LPARAM>(&request)) != 1) {
        ::FillRect(canvas.dc(), &local, ::GetSysColorBrush(COLOR_BTNFACE));
    }

    Gdiplus::GpBitmap* image = m_pBmpNormal;
    COLORREF color = m_crNormal;
    if ((item->itemState & ODS_DISABLED) != 0) {
        image = m_pBmpDisable;
        color = m_crDisable;
    } else if (m_bToggle) {
        // The swap in Toggle made the pressed look the normal one.
    } else if (m_bPushed) {
        image = m_pBmpSel;
        color = m_crSel;
    } else if (m_bHover) {
        image = m_pBmpHover;
        color = m_crHover;
    }
    if (image == nullptr) {
        image = m_pBmpNormal;
        color = m_crNormal;
    }
    skin::DrawBitmap(canvas.dc(), image, local);
    DrawCaption(canvas.dc(), local, color);
    ::BitBlt(item->hDC, face.left, face.top, face.Width(), face.Height(), canvas.dc(), 0, 0, SRCCOPY);
}

void CSkinButton::DrawCaption(HDC dc, const RECT& face, COLORREF color)
{
    CString caption;
    GetWindowText(caption);
    if (caption.IsEmpty()) {
        return;
    }
    auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (font == nullptr) {
        font = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    }
    const RECT layout{face.left, face.top + kCaptionTopInset, face.right, face.bottom};
    if (!DrawCaptionWithGdiplus(dc, layout, caption, font, color)) {
        DrawCaptionWithGdi(dc, layout, caption, font, color);
    }
}

LRESULT CSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (!m_bTracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 1};
            m_bTracking = ::TrackMouseEvent(&track);
        }
        break;
    case WM_MOUSEHOVER:
        m_bHover = TRUE;
        if (m_pBmpHover) {
            Invalidate(TRUE);
        }
        return 1;
    case WM_MOUSELEAVE:
        m_bHover = FALSE;
        m_bTracking = FALSE;
        if (m_pBmpHover) {
            Invalidate(FALSE);
        }
        return 1;
    case BM_SETSTATE: {
        CButton::WindowProc(message, wParam, lParam);
        const BOOL pushed = (GetState() & BST_PUSHED) != 0;
        if (pushed != m_bPushed) {
            m_bPushed = pushed;
            if (!m_bToggle) {
                Invalidate(FALSE);
            }
        }
        return 1;
    }
    default:
        break;
    }
    return CButton::WindowProc(message, wParam, lParam);
}
