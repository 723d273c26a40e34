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

} // namespace skin
