#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/gdi.h>
#include <util/geometry.h>

// A reusable off-screen device context for flicker-free painting: SetDrawRect, draw at the rectangle's
// own coordinates, copy to the screen from the same coordinates. Its bitmap only grows.
class UTIL_API CKxDrawDC : public CDC {
public:
    CKxDrawDC();
    ~CKxDrawDC() override;

    // Prepares drawing of rect, making the off-screen context and bitmap compatible with dc when the
    // bitmap is too small. Rectangles over 3000 units or inverted go to a 5 x 5 area off the surface.
    void SetDrawRect(const RECT& rect, CDC* dc);
    void SetDrawRect(const RECT& rect, HDC dc);
    // Releases the bitmap and the device context.
    BOOL DeleteDC();

    CRect m_rcBmp;  // the size the bitmap was made for; empty without a bitmap
    CRect m_rcDraw; // the current drawing pass, in the caller's coordinates
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBmp; // what the device context held before m_bitmap

private:
    bool BitmapTooSmall() const;
    void ReleaseBitmap();
};

// A memory device context for one paint: takes the target area (optionally with its content), collects
// drawing through operator HDC, and copies the result back to the target when destroyed. A printer
// target is not buffered: the object then has no device context and copies nothing. Copies share the
// handles; at most one of them may be destroyed with m_bAutoDelete set.
class UTIL_API CKXMemDC {
public:
    explicit CKXMemDC(BOOL autoDelete = TRUE, BOOL blitOnDestroy = TRUE);
    CKXMemDC(HDC dc, BOOL autoDelete = TRUE, BOOL blitOnDestroy = TRUE);
    // An all-zero rectangle covers the target's clip box.
    CKXMemDC(HDC dc, const RECT& rect, BOOL copy, BOOL autoDelete = TRUE, BOOL blitOnDestroy = TRUE);
    CKXMemDC(const CKXMemDC& other) = default;
    CKXMemDC& operator=(const CKXMemDC& other) = default;
    virtual ~CKXMemDC();

    void Construct(HDC dc, RECT rect, BOOL copy);

    operator HDC() const { return m_hMemDC; }
    operator HBITMAP() const { return m_hBitmap; }

    // Copies a block of rect's size from the buffer's top-left to rect on dc.
    void BitBlt(HDC dc, const RECT& rect, DWORD rop);

    HDC m_hDC;
    HDC m_hMemDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOldBitmap;
    CRect m_rect;
    BOOL m_bValid;
    BOOL m_bAutoDelete;
    BOOL m_bBlitOnDestroy;

private:
    void Release();
};

// Selects into dc a clipping region of its clip box without the visible child windows of wnd, so that
// a parent can paint its background around its children. The region stays selected afterwards.
class UTIL_API CKXClientDCClip {
public:
    CKXClientDCClip(HDC dc, HWND wnd);
    virtual ~CKXClientDCClip();
    CKXClientDCClip(const CKXClientDCClip&) = delete;
    CKXClientDCClip& operator=(const CKXClientDCClip&) = delete;

    // Enumeration callback: unites a visible direct child's rectangle into the children region.
    static BOOL CALLBACK OnChildWindow(HWND child, LPARAM param);
};
