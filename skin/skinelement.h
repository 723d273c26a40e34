#pragma once

// Reading the attributes every skin control element shares, and GDI+ bitmaps from skin files.
#include <util/markup.h>
#include <util/wnd.h>

#include <windows.h>

namespace Gdiplus {
class GpBitmap;
}

namespace skin {

// "left,top,right,bottom"; missing or malformed numbers stay 0.
RECT ReadRect(const CMarkupSTL& xml);
// ("addstyle" | alwaysAdded) & ~"delstyle".
DWORD ReadStyle(const CMarkupSTL& xml, DWORD alwaysAdded = 0);
// The dialog's font (or character set 1, height 12, "宋体" without one) with the element's "fontsize",
// "bold", "underline" and "fontname" applied.
LOGFONTW ReadFont(const CMarkupSTL& xml, const CWnd* dialog);
// folder + "\" + name into out (MAX_PATH units); false and out empty when it does not fit or a part
// is missing.
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t* out);
// The image file as a bitmap without colour management; null for a missing file, a folder or data
// the imaging library cannot decode.
Gdiplus::GpBitmap* LoadBitmap(const wchar_t* path);
void DeleteBitmap(Gdiplus::GpBitmap* bitmap);
// 0 x 0 for no bitmap.
SIZE BitmapSize(Gdiplus::GpBitmap* bitmap);
// The part (x, y, width, height in image pixels) of the bitmap stretched over the destination; the
// whole bitmap without a part. False when nothing was drawn.
struct BitmapPart {
    float x;
    float y;
    float width;
    float height;
};
bool DrawBitmap(HDC dc, Gdiplus::GpBitmap* bitmap, const RECT& destination);
bool DrawBitmap(HDC dc, Gdiplus::GpBitmap* bitmap, const RECT& destination, const BitmapPart& part);

// A memory device context with a 32-bit bitmap of the given size, which GDI+ draws into as well as GDI.
class MemoryCanvas {
public:
    MemoryCanvas(HDC dc, int width, int height)
        : m_dc(::CreateCompatibleDC(dc)), m_bitmap(MakeBitmap(dc, width, height)), m_old(::SelectObject(m_dc, m_bitmap))
    {
    }
    ~MemoryCanvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC dc() const { return m_dc; }

private:
    static HBITMAP MakeBitmap(HDC dc, int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

} // namespace skin
