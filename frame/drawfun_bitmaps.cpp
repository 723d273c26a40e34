// Bitmaps and icons placed, stretched or drawn with a transparent colour.
#include <util/drawfun.h>

#include "framework/gdi_scope.h"

using namespace kxdraw;

namespace {

bool QueryBitmapSize(HBITMAP bitmap, SIZE& size)
{
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(info), &info) == 0) {
        return false;
    }
    size = {info.bmWidth, info.bmHeight};
    return true;
}

// The bitmaps of an icon, deleted when done. A monochrome icon has no colour bitmap; its mask holds
// the image and the mask one above the other, so its size is half the mask's height.
class IconBitmaps {
public:
    explicit IconBitmaps(HICON icon)
    {
        ICONINFO info{};
        m_ok = icon && GetIconInfo(icon, &info);
        if (m_ok) {
            m_colour.Attach(info.hbmColor);
            m_mask.Attach(info.hbmMask);
        }
    }

    bool Size(SIZE& size) const
    {
        if (!m_ok) {
            return false;
        }
        if (m_colour.m_hObject) {
            return QueryBitmapSize(m_colour, size);
        }
        if (!QueryBitmapSize(m_mask, size)) {
            return false;
        }
        size.cy /= 2;
        return true;
    }

private:
    CBitmap m_colour;
    CBitmap m_mask;
    bool m_ok = false;
};

// Copies (1:1 when the sizes agree) or stretches a whole bitmap into an area. Each piece is selected
// only while it is drawn, so one bitmap may serve as several pieces.
void PlaceBitmap(HDC dc, HBITMAP bitmap, SIZE bitmapSize, const RECT& area, DWORD rop)
{
    const int width = Width(area), height = Height(area);
    const SelectedBitmap from(dc, bitmap);
    if (width <= 0 || height <= 0 || !from.ok()) {
        return;
    }
    if (width == bitmapSize.cx && height == bitmapSize.cy) {
        ::BitBlt(dc, area.left, area.top, width, height, from.get(), 0, 0, rop);
    } else {
        StretchBlt(dc, area.left, area.top, width, height, from.get(), 0, 0, bitmapSize.cx, bitmapSize.cy, rop);
    }
}

void StretchThreePieces(HDC dc, const RECT& rect, HBITMAP head, HBITMAP middle, HBITMAP tail, int direction, DWORD rop)
{
    SIZE h{}, m{}, t{};
    if (!QueryBitmapSize(head, h) || !QueryBitmapSize(middle, m) || !QueryBitmapSize(tail, t)) {
        return;
    }
    if (direction == 0) {
        // The ends keep their width and take the rectangle's height (1:1 when it is theirs).
        if (h.cy != m.cy || t.cy != m.cy || Height(rect) <= 0) {
            return;
        }
        const int headRight = rect.left + h.cx, tailLeft = rect.right - t.cx;
        PlaceBitmap(dc, head, h, {rect.left, rect.top, headRight, rect.bottom}, rop);
        PlaceBitmap(dc, middle, m, {headRight, rect.top, tailLeft, rect.bottom}, rop);
        PlaceBitmap(dc, tail, t, {tailLeft, rect.top, rect.right, rect.bottom}, rop);
    } else if (direction == 1) {
        if (Width(rect) != m.cx || h.cx != m.cx || t.cx != m.cx) {
            return;
        }
        const int headBottom = rect.top + h.cy, tailTop = rect.bottom - t.cy;
        PlaceBitmap(dc, head, h, {rect.left, rect.top, rect.right, headBottom}, rop);
        PlaceBitmap(dc, middle, m, {rect.left, headBottom, rect.right, tailTop}, rop);
        PlaceBitmap(dc, tail, t, {rect.left, tailTop, rect.right, rect.bottom}, rop);
    }
}

} // namespace

void KXDRAWFUN::GetBmpSize(HBITMAP bitmap, SIZE* size)
{
    SIZE measured{};
    if (size && QueryBitmapSize(bitmap, measured)) {
        *size = measured;
    }
}

void KXDRAWFUN::GetIconSize(HICON icon, SIZE* size)
{
    SIZE measured{};
    if (size && IconBitmaps(icon).Size(measured)) {
        *size = measured;
    }
}

void KXDRAWFUN::DrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source, DWORD rop)
{
    SIZE size{};
    if (dc == nullptr || rect == nullptr || !QueryBitmapSize(bitmap, size)) {
        return;
    }
    const SelectedBitmap from(dc, bitmap);
    if (from.ok()) {
        ::BitBlt(dc, rect->left, rect->top, Width(*rect), Height(*rect), from.get(), source.x, source.y, rop);
    }
}

void KXDRAWFUN::DrawBmp(HBITMAP dest, const RECT* rect, HBITMAP bitmap, POINT source, DWORD rop)
{
    SIZE size{};
    if (dest == nullptr || rect == nullptr || !QueryBitmapSize(bitmap, size)) {
        return;
    }
    const SelectedBitmap onto(nullptr, dest);
    if (onto.ok()) {
        DrawBmp(onto.get(), rect, bitmap, source, rop);
    }
}

void KXDRAWFUN::TransparentDrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source)
{
    SIZE size{};
    if (dc == nullptr || rect == nullptr || !QueryBitmapSize(bitmap, size)) {
        return;
    }
    COLORREF topLeft = CLR_INVALID;
    {
        const SelectedBitmap from(dc, bitmap);
        if (!from.ok()) {
            return;
        }
        topLeft = GetPixel(from.get(), 0, 0);
    }
    TransparentDrawBmp(dc, rect, bitmap, source, topLeft);
}

void KXDRAWFUN::TransparentDrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source, COLORREF transparent)
{
    SIZE size{};
    if (dc == nullptr || rect == nullptr || !QueryBitmapSize(bitmap, size)) {
        return;
    }
    const SelectedBitmap from(dc, bitmap);
    const int width = Width(*rect), height = Height(*rect);
    if (from.ok() && width > 0 && height > 0) {
        TransparentBlt(dc, rect->left, rect->top, width, height, from.get(), source.x, source.y, width, height,
                       transparent);
    }
}

void KXDRAWFUN::StretchDrawBmp(HDC dc, const RECT* rect, HBITMAP head, HBITMAP middle, HBITMAP tail, int direction,
                               DWORD rop)
{
    SIZE middleSize{};
    if (dc == nullptr || rect == nullptr || !QueryBitmapSize(middle, middleSize)) {
        return;
    }
    if (head == nullptr || tail == nullptr) {
        PlaceBitmap(dc, middle, middleSize, *rect, rop);
        return;
    }
    StretchThreePieces(dc, *rect, head, middle, tail, direction, rop);
}

void KXDRAWFUN::DrawIcon(HDC dc, HICON icon, const RECT* rect, int)
{
    SIZE size{};
    if (dc == nullptr || rect == nullptr || !IconBitmaps(icon).Size(size) || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    const int width = Width(*rect), height = Height(*rect);
    // Scaled sizes are truncated.
    if (size.cy > height) {
        size.cx = static_cast<int>(static_cast<long long>(size.cx) * height / size.cy);
        size.cy = height;
    }
    if (size.cx > width && size.cx > 0) {
        size.cy = static_cast<int>(static_cast<long long>(size.cy) * width / size.cx);
        size.cx = width;
    }
    if (size.cx <= 0 || size.cy <= 0) {
        return;
    }
    DrawIconEx(dc, rect->left + (width - size.cx) / 2, rect->top + (height - size.cy) / 2, icon, size.cx, size.cy, 0,
               nullptr, DI_NORMAL);
}
