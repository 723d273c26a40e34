#pragma once

#include <windows.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/geometry.h>
#include <util/win32_names.h>

// Win32 names of members, set aside here (see <util/win32_names.h>).
#pragma push_macro("CopyRgn")
#pragma push_macro("CreateFont")
#pragma push_macro("CreateFontIndirect")
#pragma push_macro("DrawText")
#pragma push_macro("ExtTextOut")
#pragma push_macro("GetObject")
#pragma push_macro("GetTextMetrics")
#pragma push_macro("LoadBitmap")
#pragma push_macro("TextOut")
#undef CopyRgn
#undef CreateFont
#undef CreateFontIndirect
#undef DrawText
#undef ExtTextOut
#undef GetObject
#undef GetTextMetrics
#undef LoadBitmap
#undef TextOut

class CWnd;

// GDI objects owned by framework objects. Each wrapper deletes the object it holds when it is
// destroyed, unless the handle was detached first. FromHandle gives a wrapper for a handle the caller
// does not own (for example the object a selection replaced): such temporary wrappers never delete
// their handle and live until the handle is gone.
class UTIL_API CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    static CGdiObject* FromHandle(HGDIOBJ handle);

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }

    // Takes ownership of the handle; fails if this object already holds one.
    BOOL Attach(HGDIOBJ handle);
    // Gives up ownership and returns the handle.
    HGDIOBJ Detach();
    BOOL DeleteObject();
    BOOL CreateStockObject(int index);

    int GetObject(int size, void* buffer) const;
    UTIL_WIN32_ALIASES(GetObject)
    UINT GetObjectType() const;

    HGDIOBJ m_hObject = nullptr;
};

class UTIL_API CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color);

    static CPen* FromHandle(HPEN handle);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }

    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL CreatePenIndirect(const LOGPEN* logPen);
    int GetLogPen(LOGPEN* logPen) const;
};

class CBitmap;

class UTIL_API CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color);
    CBrush(int hatchStyle, COLORREF color);
    explicit CBrush(CBitmap* pattern);

    static CBrush* FromHandle(HBRUSH handle);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }

    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int hatchStyle, COLORREF color);
    BOOL CreatePatternBrush(CBitmap* pattern);
    // The system's shared brush of a system colour; deleting it later is harmless.
    BOOL CreateSysColorBrush(int colorIndex);
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
    int GetLogBrush(LOGBRUSH* logBrush) const;
};

class CDC;

class UTIL_API CFont : public CGdiObject {
public:
    static CFont* FromHandle(HFONT handle);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONTW* logFont);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const wchar_t* faceName);
    UTIL_WIN32_ALIASES(CreateFontIndirect)
    UTIL_WIN32_ALIASES(CreateFont)
    // Height in tenths of a point, converted with the pixels per inch of dc (the screen when null) to
    // a character height in dc's logical units.
    BOOL CreatePointFont(int pointSizeTenths, const wchar_t* faceName, CDC* dc = nullptr);
    // As CreatePointFont, with lfHeight of the record in tenths of a point.
    BOOL CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const;
};

class UTIL_API CBitmap : public CGdiObject {
public:
    static CBitmap* FromHandle(HBITMAP handle);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }

    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateBitmapIndirect(const BITMAP* bitmap);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // A bitmap resource of the library's module.
    BOOL LoadBitmap(UINT resourceId);
    BOOL LoadBitmap(const wchar_t* resourceName);
    UTIL_WIN32_ALIASES(LoadBitmap)
    int GetBitmap(BITMAP* bitmap) const;
};

class UTIL_API CRgn : public CGdiObject {
public:
    static CRgn* FromHandle(HRGN handle);
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }

    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT* rect);
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
    BOOL CreateEllipticRgnIndirect(const RECT* rect);
    BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);

    // Region results: NULLREGION, SIMPLEREGION, COMPLEXREGION or ERROR.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode);
    int CopyRgn(const CRgn* source);
    BOOL SetRectRgn(int left, int top, int right, int bottom);
    BOOL SetRectRgn(const RECT* rect);
    int OffsetRgn(int dx, int dy);
    int GetRgnBox(RECT* rect) const;
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT pt) const { return PtInRegion(pt.x, pt.y); }
    BOOL RectInRegion(const RECT* rect) const;
    BOOL EqualRgn(const CRgn* other) const;
};

// A device context. A CDC made by CreateCompatibleDC (or given with Attach) deletes its handle when
// destroyed; the window device contexts below release theirs the platform's way instead.
class UTIL_API CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    static CDC* FromHandle(HDC handle);

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC handle);
    HDC Detach();
    BOOL DeleteDC();
    // A memory device context compatible with dc (the screen when null).
    BOOL CreateCompatibleDC(CDC* dc);

    int SaveDC();
    BOOL RestoreDC(int savedDC);
    int GetDeviceCaps(int index) const;

    // Selection returns what the device context held before; the region form returns the region type.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region);
    CGdiObject* SelectObject(CGdiObject* object);
    HGDIOBJ SelectObject(HGDIOBJ object);
    CGdiObject* SelectStockObject(int index);
    CFont* GetCurrentFont() const;
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CBitmap* GetCurrentBitmap() const;

    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    int SetROP2(int mode);
    int GetROP2() const;
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const;
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const;
    int SetPolyFillMode(int mode);

    int SetMapMode(int mode);
    int GetMapMode() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT pt) { return SetWindowOrg(pt.x, pt.y); }
    CPoint GetWindowOrg() const;
    CPoint OffsetWindowOrg(int dx, int dy);
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT pt) { return SetViewportOrg(pt.x, pt.y); }
    CPoint GetViewportOrg() const;
    CPoint OffsetViewportOrg(int dx, int dy);
    CSize SetWindowExt(int cx, int cy);
    CSize GetWindowExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize GetViewportExt() const;
    CPoint SetBrushOrg(int x, int y);
    void LPtoDP(POINT* points, int count = 1) const;
    void LPtoDP(RECT* rect) const;
    void DPtoLP(POINT* points, int count = 1) const;
    void DPtoLP(RECT* rect) const;

    int GetClipBox(RECT* rect) const;
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const RECT* rect);
    int ExcludeClipRect(int left, int top, int right, int bottom);
    int ExcludeClipRect(const RECT* rect);
    // A null region removes the clipping.
    int SelectClipRgn(CRgn* region);
    int SelectClipRgn(CRgn* region, int mode);
    BOOL PtVisible(int x, int y) const;
    BOOL RectVisible(const RECT* rect) const;

    // Sets the background colour to color (and leaves it so) and fills with an opaque text output.
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(const RECT* rect, CBrush* brush);
    void FrameRect(const RECT* rect, CBrush* brush);
    void InvertRect(const RECT* rect);
    // Top and left edges in topLeft, right and bottom edges in bottomRight, one pixel wide.
    void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(RECT* rect, UINT edge, UINT flags);
    void DrawFocusRect(const RECT* rect);

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT pt) { return LineTo(pt.x, pt.y); }
    BOOL Polyline(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT* rect);
    BOOL RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT* rect);
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT pt, COLORREF color) { return SetPixel(pt.x, pt.y, color); }
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT pt) const { return GetPixel(pt.x, pt.y); }
    BOOL FloodFill(int x, int y, COLORREF borderColor);
    BOOL ExtFloodFill(int x, int y, COLORREF color, UINT fillType);

    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                    int sourceHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL TransparentBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                        int sourceHeight, UINT transparentColor);
    BOOL AlphaBlend(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                    int sourceHeight, BLENDFUNCTION blend);
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawIcon(POINT pt, HICON icon) { return DrawIcon(pt.x, pt.y, icon); }

    int DrawText(const wchar_t* text, int count, RECT* rect, UINT format);
    int DrawText(const CString& text, RECT* rect, UINT format);
    BOOL TextOut(int x, int y, const wchar_t* text, int count);
    BOOL TextOut(int x, int y, const CString& text);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const wchar_t* text, UINT count,
                    const INT* widths = nullptr);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const CString& text, const INT* widths = nullptr);
    CSize GetTextExtent(const wchar_t* text, int count) const;
    CSize GetTextExtent(const CString& text) const;
    BOOL GetTextMetrics(TEXTMETRICW* metrics) const;
    UTIL_WIN32_ALIASES(DrawText)
    UTIL_WIN32_ALIASES(TextOut)
    UTIL_WIN32_ALIASES(ExtTextOut)
    UTIL_WIN32_ALIASES(GetTextMetrics)

    HDC m_hDC = nullptr;
};

// The device context of a paint pass: BeginPaint on construction, EndPaint on destruction.
class UTIL_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// A window's client-area device context (the screen's when the window is null), released on destruction.
class UTIL_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// A device context of the whole window, non-client area included, released on destruction.
class UTIL_API CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};

#pragma pop_macro("CopyRgn")
#pragma pop_macro("CreateFont")
#pragma pop_macro("CreateFontIndirect")
#pragma pop_macro("DrawText")
#pragma pop_macro("ExtTextOut")
#pragma pop_macro("GetObject")
#pragma pop_macro("GetTextMetrics")
#pragma pop_macro("LoadBitmap")
#pragma pop_macro("TextOut")
