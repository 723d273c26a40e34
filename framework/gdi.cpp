#include <util/gdi.h>
#include <util/module.h>

#include <cstdlib>

#include "framework/temporary_map.h"

// The members of these names are defined under their literal names (see <util/win32_names.h>).
#undef CopyRgn
#undef CreateFont
#undef CreateFontIndirect
#undef DrawText
#undef ExtTextOut
#undef GetObject
#undef GetTextMetrics
#undef LoadBitmap
#undef TextOut

namespace {

struct GdiTraits {
    static bool IsAlive(HGDIOBJ handle) { return ::GetObjectType(handle) != 0; }
    static void Adopt(CGdiObject& wrapper, HGDIOBJ handle) { wrapper.m_hObject = handle; }
    static void Disown(CGdiObject& wrapper) { wrapper.m_hObject = nullptr; }
};

struct DcTraits {
    static bool IsAlive(HDC handle) { return ::GetObjectType(handle) != 0; }
    static void Adopt(CDC& wrapper, HDC handle) { wrapper.m_hDC = handle; }
    static void Disown(CDC& wrapper) { wrapper.m_hDC = nullptr; }
};

TemporaryMap<HGDIOBJ, CGdiObject, GdiTraits>& TemporaryGdiObjects()
{
    static TemporaryMap<HGDIOBJ, CGdiObject, GdiTraits> map;
    return map;
}

TemporaryMap<HDC, CDC, DcTraits>& TemporaryDCs()
{
    static TemporaryMap<HDC, CDC, DcTraits> map;
    return map;
}

// Takes a freshly created handle into an empty wrapper; a wrapper that holds one already keeps it.
BOOL Adopt(CGdiObject& wrapper, HGDIOBJ created)
{
    if (wrapper.m_hObject != nullptr) {
        if (created != nullptr) {
            ::DeleteObject(created);
        }
        return FALSE;
    }
    wrapper.m_hObject = created;
    return created != nullptr;
}

HDC HandleOf(const CDC* dc)
{
    return dc ? dc->m_hDC : nullptr;
}

HGDIOBJ HandleOf(const CGdiObject* object)
{
    return object ? object->m_hObject : nullptr;
}

} // namespace

// ---- CGdiObject ----

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ handle)
{
    return TemporaryGdiObjects().Get<CGdiObject>(handle);
}

BOOL CGdiObject::Attach(HGDIOBJ handle)
{
    if (m_hObject != nullptr || handle == nullptr) {
        return FALSE;
    }
    m_hObject = handle;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject()
{
    return m_hObject != nullptr && ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int index)
{
    return Attach(::GetStockObject(index));
}

int CGdiObject::GetObject(int size, void* buffer) const
{
    return m_hObject ? ::GetObjectW(m_hObject, size, buffer) : 0;
}

UINT CGdiObject::GetObjectType() const
{
    return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

// ---- CPen ----

CPen::CPen(int style, int width, COLORREF color)
{
    CreatePen(style, width, color);
}

CPen* CPen::FromHandle(HPEN handle)
{
    return TemporaryGdiObjects().Get<CPen>(handle);
}

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    return Adopt(*this, ::CreatePen(style, width, color));
}

BOOL CPen::CreatePenIndirect(const LOGPEN* logPen)
{
    return logPen && Adopt(*this, ::CreatePenIndirect(logPen));
}

int CPen::GetLogPen(LOGPEN* logPen) const
{
    return GetObject(sizeof(LOGPEN), logPen);
}

// ---- CBrush ----

CBrush::CBrush(COLORREF color)
{
    CreateSolidBrush(color);
}

CBrush::CBrush(int hatchStyle, COLORREF color)
{
    CreateHatchBrush(hatchStyle, color);
}

CBrush::CBrush(CBitmap* pattern)
{
    CreatePatternBrush(pattern);
}

CBrush* CBrush::FromHandle(HBRUSH handle)
{
    return TemporaryGdiObjects().Get<CBrush>(handle);
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    return Adopt(*this, ::CreateSolidBrush(color));
}

BOOL CBrush::CreateHatchBrush(int hatchStyle, COLORREF color)
{
    return Adopt(*this, ::CreateHatchBrush(hatchStyle, color));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pattern)
{
    return pattern && pattern->m_hObject && Adopt(*this, ::CreatePatternBrush(*pattern));
}

BOOL CBrush::CreateSysColorBrush(int colorIndex)
{
    return Adopt(*this, ::GetSysColorBrush(colorIndex));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush)
{
    return logBrush && Adopt(*this, ::CreateBrushIndirect(logBrush));
}

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const
{
    return GetObject(sizeof(LOGBRUSH), logBrush);
}

// ---- CFont ----

CFont* CFont::FromHandle(HFONT handle)
{
    return TemporaryGdiObjects().Get<CFont>(handle);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    return logFont && Adopt(*this, ::CreateFontIndirectW(logFont));
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const wchar_t* faceName)
{
    return Adopt(*this, ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                      charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const wchar_t* faceName, CDC* dc)
{
    LOGFONTW logFont{};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = pointSizeTenths;
    if (faceName) {
        lstrcpynW(logFont.lfFaceName, faceName, LF_FACESIZE);
    }
    return CreatePointFontIndirect(&logFont, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc)
{
    if (logFont == nullptr) {
        return FALSE;
    }
    HDC screen = dc && dc->m_hDC ? nullptr : ::GetDC(nullptr);
    HDC target = screen ? screen : dc->m_hDC;
    // Tenths of a point to device pixels, then to the target's logical units; a negative height
    // asks for the character height rather than the cell height.
    POINT size[2] = {{0, 0}, {0, ::MulDiv(::GetDeviceCaps(target, LOGPIXELSY), logFont->lfHeight, 720)}};
    ::DPtoLP(target, size, 2);
    if (screen) {
        ::ReleaseDC(nullptr, screen);
    }
    LOGFONTW scaled = *logFont;
    scaled.lfHeight = -std::abs(size[1].y - size[0].y);
    return CreateFontIndirect(&scaled);
}

int CFont::GetLogFont(LOGFONTW* logFont) const
{
    return GetObject(sizeof(LOGFONTW), logFont);
}

// ---- CBitmap ----

CBitmap* CBitmap::FromHandle(HBITMAP handle)
{
    return TemporaryGdiObjects().Get<CBitmap>(handle);
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Adopt(*this, ::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateBitmapIndirect(const BITMAP* bitmap)
{
    return bitmap && Adopt(*this, ::CreateBitmapIndirect(bitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return HandleOf(dc) && Adopt(*this, ::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

BOOL CBitmap::LoadBitmap(UINT resourceId)
{
    return LoadBitmap(MAKEINTRESOURCEW(resourceId));
}

BOOL CBitmap::LoadBitmap(const wchar_t* resourceName)
{
    return resourceName && Adopt(*this, ::LoadBitmapW(AfxGetResourceHandle(), resourceName));
}

int CBitmap::GetBitmap(BITMAP* bitmap) const
{
    return GetObject(sizeof(BITMAP), bitmap);
}

// ---- CRgn ----

CRgn* CRgn::FromHandle(HRGN handle)
{
    return TemporaryGdiObjects().Get<CRgn>(handle);
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    return Adopt(*this, ::CreateRectRgn(left, top, right, bottom));
}

BOOL CRgn::CreateRectRgnIndirect(const RECT* rect)
{
    return rect && Adopt(*this, ::CreateRectRgnIndirect(rect));
}

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return Adopt(*this, ::CreateEllipticRgn(left, top, right, bottom));
}

BOOL CRgn::CreateEllipticRgnIndirect(const RECT* rect)
{
    return rect && Adopt(*this, ::CreateEllipticRgnIndirect(rect));
}

BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    return Adopt(*this, ::CreateRoundRectRgn(left, top, right, bottom, ellipseWidth, ellipseHeight));
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    return points && count > 0 && Adopt(*this, ::CreatePolygonRgn(points, count, fillMode));
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode)
{
    if (m_hObject == nullptr || !HandleOf(a)) {
        return ERROR;
    }
    return ::CombineRgn(*this, *a, b ? static_cast<HRGN>(*b) : nullptr, mode);
}

int CRgn::CopyRgn(const CRgn* source)
{
    return CombineRgn(source, nullptr, RGN_COPY);
}

BOOL CRgn::SetRectRgn(int left, int top, int right, int bottom)
{
    return m_hObject && ::SetRectRgn(*this, left, top, right, bottom);
}

BOOL CRgn::SetRectRgn(const RECT* rect)
{
    return rect && SetRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CRgn::OffsetRgn(int dx, int dy)
{
    return m_hObject ? ::OffsetRgn(*this, dx, dy) : ERROR;
}

int CRgn::GetRgnBox(RECT* rect) const
{
    return m_hObject && rect ? ::GetRgnBox(*this, rect) : ERROR;
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return m_hObject && ::PtInRegion(*this, x, y);
}

BOOL CRgn::RectInRegion(const RECT* rect) const
{
    return m_hObject && rect && ::RectInRegion(*this, rect);
}

BOOL CRgn::EqualRgn(const CRgn* other) const
{
    return m_hObject && HandleOf(other) && ::EqualRgn(*this, *other);
}

// ---- CDC ----

CDC::~CDC()
{
    DeleteDC();
}

CDC* CDC::FromHandle(HDC handle)
{
    return TemporaryDCs().Get<CDC>(handle);
}

BOOL CDC::Attach(HDC handle)
{
    if (m_hDC != nullptr || handle == nullptr) {
        return FALSE;
    }
    m_hDC = handle;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC handle = m_hDC;
    m_hDC = nullptr;
    return handle;
}

BOOL CDC::DeleteDC()
{
    return m_hDC != nullptr && ::DeleteDC(Detach());
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    return Attach(::CreateCompatibleDC(HandleOf(dc)));
}

int CDC::SaveDC()
{
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int savedDC)
{
    return ::RestoreDC(m_hDC, savedDC);
}

int CDC::GetDeviceCaps(int index) const
{
    return ::GetDeviceCaps(m_hDC, index);
}

CPen* CDC::SelectObject(CPen* pen)
{
    return CPen::FromHandle(static_cast<HPEN>(SelectObject(HandleOf(pen))));
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    return CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(HandleOf(brush))));
}

CFont* CDC::SelectObject(CFont* font)
{
    return CFont::FromHandle(static_cast<HFONT>(SelectObject(HandleOf(font))));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(HandleOf(bitmap))));
}

int CDC::SelectObject(CRgn* region)
{
    // Selecting a region answers with its type, not with a previous object.
    return HandleOf(region) && m_hDC ? static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, *region)))
                                     : ERROR;
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    return CGdiObject::FromHandle(SelectObject(HandleOf(object)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    return m_hDC && object ? ::SelectObject(m_hDC, object) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index)
{
    return CGdiObject::FromHandle(SelectObject(::GetStockObject(index)));
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CPen* CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CBitmap* CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

COLORREF CDC::SetTextColor(COLORREF color)
{
    return ::SetTextColor(m_hDC, color);
}

COLORREF CDC::GetTextColor() const
{
    return ::GetTextColor(m_hDC);
}

COLORREF CDC::SetBkColor(COLORREF color)
{
    return ::SetBkColor(m_hDC, color);
}

COLORREF CDC::GetBkColor() const
{
    return ::GetBkColor(m_hDC);
}

int CDC::SetBkMode(int mode)
{
    return ::SetBkMode(m_hDC, mode);
}

int CDC::GetBkMode() const
{
    return ::GetBkMode(m_hDC);
}

int CDC::SetROP2(int mode)
{
    return ::SetROP2(m_hDC, mode);
}

int CDC::GetROP2() const
{
    return ::GetROP2(m_hDC);
}

int CDC::SetStretchBltMode(int mode)
{
    return ::SetStretchBltMode(m_hDC, mode);
}

int CDC::GetStretchBltMode() const
{
    return ::GetStretchBltMode(m_hDC);
}

UINT CDC::SetTextAlign(UINT flags)
{
    return ::SetTextAlign(m_hDC, flags);
}

UINT CDC::GetTextAlign() const
{
    return ::GetTextAlign(m_hDC);
}

int CDC::SetPolyFillMode(int mode)
{
    return ::SetPolyFillMode(m_hDC, mode);
}

int CDC::SetMapMode(int mode)
{
    return ::SetMapMode(m_hDC, mode);
}

int CDC::GetMapMode() const
{
    return ::GetMapMode(m_hDC);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    CPoint previous;
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::GetWindowOrg() const
{
    CPoint origin;
    ::GetWindowOrgEx(m_hDC, &origin);
    return origin;
}

CPoint CDC::OffsetWindowOrg(int dx, int dy)
{
    CPoint previous;
    ::OffsetWindowOrgEx(m_hDC, dx, dy, &previous);
    return previous;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    CPoint previous;
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::GetViewportOrg() const
{
    CPoint origin;
    ::GetViewportOrgEx(m_hDC, &origin);
    return origin;
}

CPoint CDC::OffsetViewportOrg(int dx, int dy)
{
    CPoint previous;
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &previous);
    return previous;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    CSize previous;
    ::SetWindowExtEx(m_hDC, cx, cy, &previous);
    return previous;
}

CSize CDC::GetWindowExt() const
{
    CSize extent;
    ::GetWindowExtEx(m_hDC, &extent);
    return extent;
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    CSize previous;
    ::SetViewportExtEx(m_hDC, cx, cy, &previous);
    return previous;
}

CSize CDC::GetViewportExt() const
{
    CSize extent;
    ::GetViewportExtEx(m_hDC, &extent);
    return extent;
}

CPoint CDC::SetBrushOrg(int x, int y)
{
    CPoint previous;
    ::SetBrushOrgEx(m_hDC, x, y, &previous);
    return previous;
}

void CDC::LPtoDP(POINT* points, int count) const
{
    ::LPtoDP(m_hDC, points, count);
}

void CDC::LPtoDP(RECT* rect) const
{
    ::LPtoDP(m_hDC, reinterpret_cast<POINT*>(rect), 2);
}

void CDC::DPtoLP(POINT* points, int count) const
{
    ::DPtoLP(m_hDC, points, count);
}

void CDC::DPtoLP(RECT* rect) const
{
    ::DPtoLP(m_hDC, reinterpret_cast<POINT*>(rect), 2);
}

int CDC::GetClipBox(RECT* rect) const
{
    return ::GetClipBox(m_hDC, rect);
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    return ::IntersectClipRect(m_hDC, left, top, right, bottom);
}

int CDC::IntersectClipRect(const RECT* rect)
{
    return rect ? IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR;
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom)
{
    return ::ExcludeClipRect(m_hDC, left, top, right, bottom);
}

int CDC::ExcludeClipRect(const RECT* rect)
{
    return rect ? ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR;
}

int CDC::SelectClipRgn(CRgn* region)
{
    return ::SelectClipRgn(m_hDC, static_cast<HRGN>(HandleOf(region)));
}

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    return ::ExtSelectClipRgn(m_hDC, static_cast<HRGN>(HandleOf(region)), mode);
}

BOOL CDC::PtVisible(int x, int y) const
{
    return ::PtVisible(m_hDC, x, y);
}

BOOL CDC::RectVisible(const RECT* rect) const
{
    return rect && ::RectVisible(m_hDC, rect);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    if (rect) {
        ::SetBkColor(m_hDC, color);
        ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    }
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const RECT rect{x, y, x + cx, y + cy};
    FillSolidRect(&rect, color);
}

void CDC::FillRect(const RECT* rect, CBrush* brush)
{
    if (rect && HandleOf(brush)) {
        ::FillRect(m_hDC, rect, *brush);
    }
}

void CDC::FrameRect(const RECT* rect, CBrush* brush)
{
    if (rect && HandleOf(brush)) {
        ::FrameRect(m_hDC, rect, *brush);
    }
}

void CDC::InvertRect(const RECT* rect)
{
    if (rect) {
        ::InvertRect(m_hDC, rect);
    }
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (rect) {
        Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
    }
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

BOOL CDC::DrawEdge(RECT* rect, UINT edge, UINT flags)
{
    return rect && ::DrawEdge(m_hDC, rect, edge, flags);
}

void CDC::DrawFocusRect(const RECT* rect)
{
    if (rect) {
        ::DrawFocusRect(m_hDC, rect);
    }
}

CPoint CDC::MoveTo(int x, int y)
{
    CPoint previous;
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::LineTo(int x, int y)
{
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    return points && ::Polyline(m_hDC, points, count);
}

BOOL CDC::Polygon(const POINT* points, int count)
{
    return points && ::Polygon(m_hDC, points, count);
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    return ::Rectangle(m_hDC, left, top, right, bottom);
}

BOOL CDC::Rectangle(const RECT* rect)
{
    return rect && Rectangle(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    return ::RoundRect(m_hDC, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom)
{
    return ::Ellipse(m_hDC, left, top, right, bottom);
}

BOOL CDC::Ellipse(const RECT* rect)
{
    return rect && Ellipse(rect->left, rect->top, rect->right, rect->bottom);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    return ::SetPixel(m_hDC, x, y, color);
}

COLORREF CDC::GetPixel(int x, int y) const
{
    return ::GetPixel(m_hDC, x, y);
}

BOOL CDC::FloodFill(int x, int y, COLORREF borderColor)
{
    return ::ExtFloodFill(m_hDC, x, y, borderColor, FLOODFILLBORDER);
}

BOOL CDC::ExtFloodFill(int x, int y, COLORREF color, UINT fillType)
{
    return ::ExtFloodFill(m_hDC, x, y, color, fillType);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, HandleOf(source), sourceX, sourceY, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight, DWORD rop)
{
    return ::StretchBlt(m_hDC, x, y, width, height, HandleOf(source), sourceX, sourceY, sourceWidth, sourceHeight, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

BOOL CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                         int sourceHeight, UINT transparentColor)
{
    return HandleOf(source) && ::TransparentBlt(m_hDC, x, y, width, height, source->m_hDC, sourceX, sourceY,
                                                sourceWidth, sourceHeight, transparentColor);
}

BOOL CDC::AlphaBlend(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight, BLENDFUNCTION blend)
{
    return HandleOf(source) &&
           ::AlphaBlend(m_hDC, x, y, width, height, source->m_hDC, sourceX, sourceY, sourceWidth, sourceHeight, blend);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon)
{
    return icon && ::DrawIcon(m_hDC, x, y, icon);
}

int CDC::DrawText(const wchar_t* text, int count, RECT* rect, UINT format)
{
    return text && rect ? ::DrawTextW(m_hDC, text, count, rect, format) : 0;
}

int CDC::DrawText(const CString& text, RECT* rect, UINT format)
{
    return DrawText(text.GetString(), text.GetLength(), rect, format);
}

BOOL CDC::TextOut(int x, int y, const wchar_t* text, int count)
{
    return text && ::TextOutW(m_hDC, x, y, text, count);
}

BOOL CDC::TextOut(int x, int y, const CString& text)
{
    return TextOut(x, y, text.GetString(), text.GetLength());
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const wchar_t* text, UINT count, const INT* widths)
{
    return ::ExtTextOutW(m_hDC, x, y, options, rect, text, text ? count : 0, widths);
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const CString& text, const INT* widths)
{
    return ExtTextOut(x, y, options, rect, text.GetString(), static_cast<UINT>(text.GetLength()), widths);
}

CSize CDC::GetTextExtent(const wchar_t* text, int count) const
{
    CSize size;
    if (text && count > 0) {
        ::GetTextExtentPoint32W(m_hDC, text, count, &size);
    }
    return size;
}

CSize CDC::GetTextExtent(const CString& text) const
{
    return GetTextExtent(text.GetString(), text.GetLength());
}

BOOL CDC::GetTextMetrics(TEXTMETRICW* metrics) const
{
    return metrics && ::GetTextMetricsW(m_hDC, metrics);
}
