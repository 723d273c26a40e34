// Lines, frames, filled shapes, gradients and the translucent blit of KXDRAWFUN.
#include <util/drawfun.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/dib_section.h"
#include "framework/gdi_scope.h"

using namespace kxdraw;

namespace {

// Fills with a colour through the opaque text output, keeping the caller's background colour.
void FillColour(HDC dc, const RECT& rect, COLORREF colour)
{
    BkColourGuard background(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, L"", 0, nullptr);
}

// The platform's two-colour 3-D rectangle: top and left edges in one colour, right and bottom in the other.
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int x = rect.left, y = rect.top, cx = Width(rect), cy = Height(rect);
    FillColour(dc, {x, y, x + cx - 1, y + 1}, topLeft);
    FillColour(dc, {x, y, x + 1, y + cy - 1}, topLeft);
    FillColour(dc, {x + cx - 1, y, x + cx, y + cy}, bottomRight);
    FillColour(dc, {x, y + cy - 1, x + cx, y + cy}, bottomRight);
}

// The four system colours of 3-D frames, read once for the life of the module.
struct FrameColours {
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF light = GetSysColor(COLOR_3DLIGHT);
    COLORREF darkShadow = GetSysColor(COLOR_3DDKSHADOW);
};

const FrameColours& SystemFrameColours()
{
    static const FrameColours colours;
    return colours;
}

COLOR16 GradientComponent(BYTE component)
{
    return static_cast<COLOR16>(component << 8);
}

void GradientByLines(HDC dc, const RECT& rect, COLORREF start, COLORREF end, BOOL vertical)
{
    const int steps = vertical ? Height(rect) : Width(rect);
    if (steps <= 0) {
        return;
    }
    const double dr = (double(GetRValue(end)) - GetRValue(start)) / steps;
    const double dg = (double(GetGValue(end)) - GetGValue(start)) / steps;
    const double db = (double(GetBValue(end)) - GetBValue(start)) / steps;
    PositionGuard position(dc);
    for (int i = 0; i < steps; ++i) {
        const int r = (GetRValue(start) + static_cast<int>(i * dr)) & 0xFF;
        const int g = (GetGValue(start) + static_cast<int>(i * dg)) & 0xFF;
        const int b = (GetBValue(start) + static_cast<int>(i * db)) & 0xFF;
        SolidPen pen(dc, RGB(r, g, b));
        if (vertical) {
            MoveToEx(dc, rect.left, rect.top + i, nullptr);
            LineTo(dc, rect.right, rect.top + i);
        } else {
            MoveToEx(dc, rect.left + i, rect.top, nullptr);
            LineTo(dc, rect.left + i, rect.bottom);
        }
    }
}

// A 32-bit block with room for two areas, the source above the destination, for blending.
class BlendBuffer {
public:
    BlendBuffer(int width, int height) : m_height(height), m_pixels(width, 2 * height) {}

    bool ok() const { return m_pixels.ok(); }
    bool Fits(int width, int height) const { return width <= Width() && height <= Height(); }
    int Width() const { return m_pixels.width(); }
    int Height() const { return m_height; }

    void Blend(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, double factor)
    {
        ::BitBlt(m_pixels.dc(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY);
        ::BitBlt(m_pixels.dc(), 0, m_height, width, height, dest, x, y, SRCCOPY);
        // Each component is (1 - factor) x source + factor x destination in doubles, cut to 8 bits. Both
        // products are taken from tables of the 256 values, the very doubles the formula gives.
        double sourceShare[256], destShare[256];
        for (int value = 0; value < 256; ++value) {
            sourceShare[value] = (1.0 - factor) * value;
            destShare[value] = factor * value;
        }
        DWORD* bits = m_pixels.bits();
        for (int row = 0; row < height; ++row) {
            const DWORD* s = bits + static_cast<size_t>(row) * Width();
            DWORD* d = bits + static_cast<size_t>(m_height + row) * Width();
            for (int column = 0; column < width; ++column) {
                const DWORD source = s[column], dest = d[column];
                d[column] = Component(sourceShare, source, destShare, dest, 16) |
                            Component(sourceShare, source, destShare, dest, 8) |
                            Component(sourceShare, source, destShare, dest, 0);
            }
        }
        ::BitBlt(dest, x, y, width, height, m_pixels.dc(), 0, m_height, SRCCOPY);
    }

private:
    static DWORD Component(const double* sourceShare, DWORD source, const double* destShare, DWORD dest, int shift)
    {
        const double value = sourceShare[(source >> shift) & 0xFF] + destShare[(dest >> shift) & 0xFF];
        return (static_cast<DWORD>(static_cast<long long>(value)) & 0xFF) << shift;
    }

    int m_height;
    DibSection m_pixels;
};

// Blits of up to this many pixels share one buffer, kept between calls (drawing runs on the
// user-interface thread only); larger ones get a buffer of their own for the call.
const long long kSharedBlendPixels = 256 * 256;

std::unique_ptr<BlendBuffer>& SharedBlendBuffer()
{
    static std::unique_ptr<BlendBuffer> buffer;
    return buffer;
}

} // namespace

void KXDRAWFUN::DrawLine(HDC dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth, COLORREF colour,
                         int mixMode)
{
    const POINT points[] = {{x1, y1}, {x2, y2}};
    DrawPolyLine(dc, points, 2, penStyle, penWidth, colour, mixMode);
}

void KXDRAWFUN::DrawPolyLine(HDC dc, const POINT* points, int count, int penStyle, int penWidth, COLORREF colour,
                             int mixMode)
{
    if (dc == nullptr || points == nullptr || count <= 1) {
        return;
    }
    MixModeGuard mix(dc, mixMode);
    SolidPen pen(dc, colour, penStyle, penWidth);
    Polyline(dc, points, count);
}

void KXDRAWFUN::DrawRect(HDC dc, const RECT* rect, int penStyle, int penWidth, COLORREF colour, int mixMode)
{
    if (rect == nullptr) {
        return;
    }
    const POINT ring[] = {{rect->left, rect->top},
                          {rect->right - 1, rect->top},
                          {rect->right - 1, rect->bottom - 1},
                          {rect->left, rect->bottom - 1},
                          {rect->left, rect->top}};
    DrawPolyLine(dc, ring, 5, penStyle, penWidth, colour, mixMode);
}

void KXDRAWFUN::FillSolidRect(HDC dc, const RECT* rect, COLORREF colour)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    // Reading the colour is cheap and setting it is not: grids and lists fill many cells of one colour.
    if (::GetBkColor(dc) != colour) {
        ::SetBkColor(dc, colour);
    }
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, rect, L"", 0, nullptr);
}

void KXDRAWFUN::FillEllipse(HDC dc, const RECT* rect, COLORREF colour, BOOL fill)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    if (fill) {
        SolidBrush brush(dc, colour);
        Ellipse(dc, rect->left, rect->top, rect->right, rect->bottom);
    } else {
        SolidPen pen(dc, colour);
        SelectGuard hollow(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, rect->left, rect->top, rect->right, rect->bottom);
    }
}

void KXDRAWFUN::FloodFill(HDC dc, int x, int y, COLORREF border, COLORREF fill)
{
    if (dc == nullptr) {
        return;
    }
    SolidBrush brush(dc, fill);
    ::FloodFill(dc, x, y, border);
}

void KXDRAWFUN::Draw3DBorder(HDC dc, const RECT* rect, BOOL sunken)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    const FrameColours& c = SystemFrameColours();
    RECT inner = *rect;
    ::InflateRect(&inner, -1, -1);
    if (sunken) {
        Draw3dRect(dc, *rect, c.darkShadow, c.light);
        Draw3dRect(dc, inner, c.shadow, c.highlight);
    } else {
        Draw3dRect(dc, *rect, c.light, c.darkShadow);
        Draw3dRect(dc, inner, c.highlight, c.shadow);
    }
}

void KXDRAWFUN::DrawFilledTriangle(HDC dc, COLORREF penColour, COLORREF bkColour, const RECT* rect,
                                   KXTRIANGLEDIR direction, int base, BOOL noBackground, int step)
{
    // A step below 1 would never shrink the lines (or divide by zero).
    if (dc == nullptr || rect == nullptr || step < 1 || base <= 0) {
        return;
    }
    const int lines = base / (2 * step) + (base % (2 * step) ? 1 : 0);
    SolidPen pen(dc, penColour);
    if (!noBackground) {
        const CBrush brush(bkColour);
        FillRect(dc, rect, brush);
    }
    const int width = Width(*rect), height = Height(*rect);
    const bool horizontalBase = direction == KXTD_UP || direction == KXTD_DOWN;
    // The base line's position across its own direction, and where its ends lie along it.
    int across = 0, advance = 0;
    int from = horizontalBase ? rect->left + (width - base) / 2 : rect->top + (height - base) / 2;
    switch (direction) {
    case KXTD_UP:
        across = rect->bottom - (height - lines) / 2, advance = -1;
        break;
    case KXTD_DOWN:
        across = rect->top + (height - lines) / 2, advance = 1;
        break;
    case KXTD_LEFT:
        across = rect->right - (width - lines) / 2, advance = -1;
        break;
    case KXTD_RIGHT:
        across = rect->left + (width - lines) / 2, advance = 1;
        break;
    default:
        return;
    }
    int to = from + base;
    PositionGuard position(dc);
    for (int i = 0; i < lines; ++i, across += advance, from += step, to -= step) {
        if (horizontalBase) {
            MoveToEx(dc, from, across, nullptr);
            LineTo(dc, to, across);
        } else {
            MoveToEx(dc, across, from, nullptr);
            LineTo(dc, across, to);
        }
    }
}

void KXDRAWFUN::DrawGradientRect(HDC dc, const RECT* rect, COLORREF start, COLORREF end, BOOL vertical)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    if (sm_GradientFill == nullptr) {
        GradientByLines(dc, *rect, start, end, vertical);
        return;
    }
    TRIVERTEX vertices[2] = {{rect->left, rect->top, GradientComponent(GetRValue(start)),
                              GradientComponent(GetGValue(start)), GradientComponent(GetBValue(start)), 0},
                             {rect->right, rect->bottom, GradientComponent(GetRValue(end)),
                              GradientComponent(GetGValue(end)), GradientComponent(GetBValue(end)), 0}};
    GRADIENT_RECT mesh = {0, 1};
    sm_GradientFill(dc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

COLORREF KXDRAWFUN::SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    return ::SetPixel(dc, x, y, colour);
}

COLORREF KXDRAWFUN::SetPixel(HDC dc, POINT point, COLORREF colour)
{
    return ::SetPixel(dc, point.x, point.y, colour);
}

void KXDRAWFUN::TranslucentBitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                                  double factor)
{
    if (dest == nullptr || source == nullptr || width <= 0 || height <= 0 || !std::isfinite(factor) ||
        std::fabs(factor) > 1e6) {
        return;
    }
    // Both areas are read into one 32-bit block at once rather than a pixel at a time; the arithmetic
    // per pixel is the same.
    std::unique_ptr<BlendBuffer> ownBuffer;
    BlendBuffer* buffer = nullptr;
    if (static_cast<long long>(width) * height <= kSharedBlendPixels) {
        std::unique_ptr<BlendBuffer>& shared = SharedBlendBuffer();
        if (!shared || !shared->Fits(width, height)) {
            // Grown to hold both the old and the new size, unless that would pass the limit.
            int w = std::max(width, shared ? shared->Width() : 0), h = std::max(height, shared ? shared->Height() : 0);
            if (static_cast<long long>(w) * h > kSharedBlendPixels) {
                w = width, h = height;
            }
            shared = std::make_unique<BlendBuffer>(w, h);
        }
        buffer = shared.get();
    } else {
        ownBuffer = std::make_unique<BlendBuffer>(width, height);
        buffer = ownBuffer.get();
    }
    if (buffer->ok()) {
        buffer->Blend(dest, x, y, width, height, source, sourceX, sourceY, factor);
    }
}
