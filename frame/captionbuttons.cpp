// Caption buttons and the pieces of the self-drawn title bars.
#include <util/captionbuttons.h>
#include <util/drawfun.h>
#include <util/gdi.h>
#include <util/image.h>
#include <util/module.h>

#include "framework/dib_section.h"
#include "resources/resource.h"

#include <algorithm>
#include <iterator>
#include <mutex>

namespace {

constexpr int kButtonTop = 1;
constexpr int kRightMargin = 2;

struct ButtonImages {
    UINT normal, hover, pressed;
};

ButtonImages ImagesOf(UINT button)
{
    switch (button) {
    case KXTB_CLOSE:
        return {IDR_KX_CLOSE_NORMAL, IDR_KX_CLOSE_HOVER, IDR_KX_CLOSE_DOWN};
    case KXTB_MIN:
        return {IDR_KX_MIN_NORMAL, IDR_KX_MIN_HOVER, IDR_KX_MIN_DOWN};
    case KXTB_RESTORE:
        return {IDR_KX_RESTORE_NORMAL, IDR_KX_RESTORE_HOVER, IDR_KX_RESTORE_DOWN};
    default:
        return {IDR_KX_MAX_NORMAL, IDR_KX_MAX_HOVER, IDR_KX_MAX_DOWN};
    }
}

constexpr UINT kAllButtons[] = {KXTB_CLOSE, KXTB_MIN, KXTB_RESTORE, KXTB_MAX};

// The fallback glyphs, drawn when a button's image cannot be had.
constexpr int kGlyphSize = 15;
using GlyphRows = const char* [kGlyphSize];
constexpr GlyphRows kGlyphs[] = {
    {"...............", "...............", "...............", "...............", "....XX....XX...", "....XXX..XXX...",
     ".....XXXXXX....", "......XXXX.....", "......XXXX.....", ".....XXXXXX....", "....XXX..XXX...", "....XX....XX...",
     "...............", "...............", "..............."},
    {"...............", "...............", "...............", "...............", "....XXXXXXXX...", "....XXXXXXXX...",
     "....XXXXXXXX...", "....X......X...", "....X......X...", "....X......X...", "....X......X...", "....X......X...",
     "....XXXXXXXX...", "...............", "..............."},
    {"...............", "...............", "...............", "...............", "...............", "...............",
     "...............", "...............", "...............", "...............", ".....XXXXXX....", ".....XXXXXX....",
     "...............", "...............", "..............."},
    {"...............", "...............", "...............", "....XXXXXXXX...", "....XXXXXXXX...", "....X......X...",
     "...XXXXXXXXX...", "...XXXXXXXXX...", "...X......XX...", "...X......X....", "...X......X....", "...XXXXXXXX....",
     "...XXXXXXXX....", "...............", "..............."},
};

int GlyphOf(UINT button)
{
    switch (button) {
    case KXTB_CLOSE:
        return 0;
    case KXTB_MAX:
        return 1;
    case KXTB_MIN:
        return 2;
    default:
        return 3;
    }
}

} // namespace

// A picture decoded once into premultiplied pixels, blended onto whatever lies below it. The imaging
// library draws it once on black and once on white: the difference is its transparency.
class CKxCaptionButtons::Picture {
public:
    explicit Picture(UINT id)
    {
        CKxImage image;
        if (!image.LoadFromResource(id, L"Image", AfxGetInstanceHandle())) {
            return;
        }
        m_size = {image.GetWidth(), image.GetHeight()};
        DibSection onBlack(m_size.cx, m_size.cy, RGB(0, 0, 0));
        DibSection onWhite(m_size.cx, m_size.cy, RGB(255, 255, 255));
        m_pixels = std::make_unique<DibSection>(m_size.cx, m_size.cy, RGB(0, 0, 0));
        if (!onBlack.ok() || !onWhite.ok() || !m_pixels->ok() || !image.Draw(onBlack.dc(), 0, 0) ||
            !image.Draw(onWhite.dc(), 0, 0)) {
            m_pixels.reset();
            return;
        }
        const DWORD* black = onBlack.bits();
        const DWORD* white = onWhite.bits();
        DWORD* out = m_pixels->bits();
        for (int i = 0; i < m_pixels->width() * m_pixels->height(); ++i) {
            // Over black a channel is c x a; over white c x a + (1 - a) x 255: the green one gives a.
            const int green = static_cast<int>((black[i] >> 8) & 0xFF);
            const int alpha = 255 - (static_cast<int>((white[i] >> 8) & 0xFF) - green);
            out[i] = (static_cast<DWORD>(std::clamp(alpha, 0, 255)) << 24) | (black[i] & 0xFFFFFF);
        }
    }

    bool ok() const { return m_pixels != nullptr; }
    SIZE size() const { return m_size; }
    void Draw(HDC dc, int x, int y) const
    {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(dc, x, y, m_size.cx, m_size.cy, m_pixels->dc(), 0, 0, m_size.cx, m_size.cy, blend);
    }

private:
    SIZE m_size{0, 0};
    std::unique_ptr<DibSection> m_pixels;
};

// ---- caption buttons ----

CKxCaptionButtons::CKxCaptionButtons() = default;
CKxCaptionButtons::~CKxCaptionButtons() = default;

void CKxCaptionButtons::InitFromStyle(DWORD style, bool closeNeedsSysMenu)
{
    m_nTitleButtons = 0;
    if (!closeNeedsSysMenu || (style & WS_SYSMENU)) {
        m_nTitleButtons |= KXTB_CLOSE;
    }
    if (style & WS_MINIMIZEBOX) {
        m_nTitleButtons |= KXTB_MIN;
    }
    if (style & WS_MAXIMIZEBOX) {
        m_nTitleButtons |= (style & WS_MAXIMIZE) ? KXTB_RESTORE : KXTB_MAX;
    }
}

int CKxCaptionButtons::Layout(HWND window, int windowWidth, bool restoreWhenIconic)
{
    const SIZE close = ImageSize(IDR_KX_CLOSE_NORMAL);
    m_rcClose.SetRect(windowWidth - close.cx - kRightMargin, kButtonTop, windowWidth - kRightMargin,
                      close.cy + kButtonTop);
    int leftmost = m_rcClose.left;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
    if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
        const SIZE max = ImageSize(IDR_KX_MAX_NORMAL);
        const SIZE min = ImageSize(IDR_KX_MIN_NORMAL);
        m_rcMax.SetRect(m_rcClose.left - max.cx, kButtonTop, m_rcClose.left, max.cy + kButtonTop);
        m_rcMin.SetRect(m_rcMax.left - min.cx, kButtonTop, m_rcMax.left, min.cy + kButtonTop);
        leftmost = m_rcMin.left;
    } else {
        m_rcMax.SetRectEmpty();
        m_rcMin.SetRectEmpty();
    }
    if (m_nTitleButtons & (KXTB_RESTORE | KXTB_MAX)) {
        const bool restore = ::IsZoomed(window) || (restoreWhenIconic && ::IsIconic(window));
        m_nTitleButtons = (m_nTitleButtons & ~(KXTB_RESTORE | KXTB_MAX)) | (restore ? KXTB_RESTORE : KXTB_MAX);
    }
    return leftmost;
}

int& CKxCaptionButtons::StateOf(UINT button)
{
    switch (button) {
    case KXTB_CLOSE:
        return m_nCloseState;
    case KXTB_MIN:
        return m_nMinState;
    default:
        return m_nMaxState;
    }
}

const CRect& CKxCaptionButtons::RectOf(UINT button) const
{
    switch (button) {
    case KXTB_CLOSE:
        return m_rcClose;
    case KXTB_MIN:
        return m_rcMin;
    default:
        return m_rcMax;
    }
}

UINT CKxCaptionButtons::HitTest(POINT point) const
{
    for (UINT button : kAllButtons) {
        if ((m_nTitleButtons & button) && RectOf(button).PtInRect(point)) {
            return button;
        }
    }
    return 0;
}

bool CKxCaptionButtons::Hover(POINT point)
{
    const UINT over = HitTest(point);
    if (over == 0) {
        return Reset();
    }
    if (StateOf(over) == KXBS_HOVER) {
        return false;
    }
    Reset();
    StateOf(over) = KXBS_HOVER;
    return true;
}

UINT CKxCaptionButtons::Press(POINT point, bool* changed)
{
    const UINT over = HitTest(point);
    bool any = false;
    if (over != 0 && StateOf(over) != KXBS_PRESSED) {
        Reset();
        StateOf(over) = KXBS_PRESSED;
        any = true;
    }
    if (changed) {
        *changed = any;
    }
    return over;
}

UINT CKxCaptionButtons::Pressed() const
{
    if (m_nCloseState == KXBS_PRESSED) {
        return KXTB_CLOSE;
    }
    if (m_nMinState == KXBS_PRESSED) {
        return KXTB_MIN;
    }
    if (m_nMaxState == KXBS_PRESSED) {
        return m_nTitleButtons & KXTB_RESTORE ? KXTB_RESTORE : KXTB_MAX;
    }
    return 0;
}

bool CKxCaptionButtons::Reset()
{
    const bool any = AnyStateSet();
    m_nCloseState = m_nMinState = m_nMaxState = KXBS_NORMAL;
    return any;
}

bool CKxCaptionButtons::AnyStateSet() const
{
    return m_nCloseState != KXBS_NORMAL || m_nMinState != KXBS_NORMAL || m_nMaxState != KXBS_NORMAL;
}

void CKxCaptionButtons::TrackMove(HWND window, POINT screen, bool* repaint)
{
    if (!m_bTrackLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, window, 1};
        m_bTrackLeave = ::TrackMouseEvent(&track);
    }
    *repaint = Hover(CKxTitleBar::ScreenToWindow(window, screen));
}

bool CKxCaptionButtons::TrackPress(HWND window, POINT screen, bool* repaint)
{
    *repaint = false;
    if (Press(CKxTitleBar::ScreenToWindow(window, screen), repaint) == 0) {
        return false;
    }
    ::SetCapture(window);
    return true;
}

UINT CKxCaptionButtons::TrackRelease(HWND window, POINT windowPoint, bool* repaint)
{
    *repaint = false;
    const UINT pressed = Pressed();
    if (pressed == 0 || ::GetCapture() != window) {
        return 0;
    }
    ::ReleaseCapture();
    *repaint = Reset();
    return HitTest(windowPoint) == pressed ? pressed : 0;
}

void CKxCaptionButtons::TrackLeave(bool* repaint)
{
    m_bTrackLeave = FALSE;
    *repaint = Reset();
}

const CKxCaptionButtons::Picture* CKxCaptionButtons::Image(UINT id)
{
    auto found = m_images.find(id);
    if (found == m_images.end()) {
        found = m_images.emplace(id, std::make_unique<Picture>(id)).first;
    }
    return found->second->ok() ? found->second.get() : nullptr;
}

SIZE CKxCaptionButtons::ImageSize(UINT id)
{
    const Picture* image = Image(id);
    return image ? image->size() : SIZE{kGlyphSize, kGlyphSize};
}

void CKxCaptionButtons::ReleaseImages()
{
    m_images.clear();
}

void CKxCaptionButtons::Draw(HDC dc, UINT button)
{
    if (dc == nullptr || !(m_nTitleButtons & button)) {
        return;
    }
    const ButtonImages ids = ImagesOf(button);
    const int state = StateOf(button);
    const Picture* image = Image(state == KXBS_HOVER ? ids.hover : state == KXBS_PRESSED ? ids.pressed : ids.normal);
    const CRect& rect = RectOf(button);
    if (rect.IsRectEmpty()) {
        return;
    }
    if (image == nullptr) {
        CKxTitleBar::DrawGlyph(dc, GlyphOf(button), rect.TopLeft());
        return;
    }
    // Clipped to the button's rectangle, at the image's own size.
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    image->Draw(dc, rect.left, rect.top);
    ::RestoreDC(dc, saved);
}

// ---- title bar pieces ----

namespace {
// The title band bitmap, loaded once and freed when the library unloads.
class TitleBand {
public:
    HBITMAP get()
    {
        // The library's own bitmap, whatever resource module the client set.
        std::call_once(m_loaded, [this] {
            m_bitmap.Attach(
                ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDB_KX_TITLEBAND), IMAGE_BITMAP, 0, 0, 0));
        });
        return m_bitmap;
    }

private:
    std::once_flag m_loaded;
    CBitmap m_bitmap;
};

TitleBand g_titleBand;
} // namespace

void CKxTitleBar::DrawBand(HDC dc, const RECT& rect)
{
    HBITMAP band = g_titleBand.get();
    if (band) {
        KXDRAWFUN::StretchDrawBmp(dc, &rect, band, band, band, 0, SRCCOPY);
    }
}

void CKxTitleBar::DrawFrameAndBand(HDC dc, HWND window, int width, int height, int titleHeight, COLORREF frame,
                                   int inset)
{
    const int bandExtra = 3; // the band reaches below the caption over the frame's top edge
    const CRect client = ClientInWindow(window);
    const int frameX = std::max<int>(::GetSystemMetrics(SM_CXDLGFRAME), client.left);
    const int frameRight = std::max<int>(::GetSystemMetrics(SM_CXDLGFRAME), width - client.right);
    const int frameY = std::max<int>(::GetSystemMetrics(SM_CYDLGFRAME), height - client.bottom);
    const RECT left{inset, titleHeight, frameX, height};
    const RECT right{width - frameRight, titleHeight + bandExtra, width - inset, height};
    const RECT bottom{0, height - frameY, width, height - inset};
    for (const RECT& border : {left, right, bottom}) {
        KXDRAWFUN::FillSolidRect(dc, &border, frame);
    }
    DrawBand(dc, RECT{inset, 0, width - inset, std::max<int>(titleHeight + bandExtra, client.top)});
}

void CKxTitleBar::DrawTitle(HDC dc, const RECT& rect, const wchar_t* text, COLORREF color)
{
    if (text == nullptr || *text == 0) {
        return;
    }
    CFont font;
    if (!font.CreateFont(12, 0, 0, 0, 600, 0, 0, 0, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, L"\x5B8B\x4F53")) {
        return;
    }
    KXDRAWFUN::DrawTextW(dc, text, lstrlenW(text), &rect, DT_VCENTER | DT_SINGLELINE, font, color, 0);
}

void CKxTitleBar::DrawGlyph(HDC dc, int glyph, POINT topLeft)
{
    if (dc == nullptr || glyph < 0 || glyph >= static_cast<int>(std::size(kGlyphs))) {
        return;
    }
    const GlyphRows& rows = kGlyphs[glyph];
    auto set = [&rows](int row, int column) { return rows[row][column] == 'X'; };
    for (int row = 0; row < kGlyphSize; ++row) {
        for (int column = 0; column < kGlyphSize; ++column) {
            if (!set(row, column)) {
                continue;
            }
            ::SetPixel(dc, topLeft.x + column, topLeft.y + row, RGB(0, 0, 0));
            const bool inside = row + 1 < kGlyphSize && column + 1 < kGlyphSize;
            if (inside && !set(row + 1, column + 1)) {
                ::SetPixel(dc, topLeft.x + column + 1, topLeft.y + row + 1, RGB(255, 255, 255));
            }
        }
    }
}

int CKxTitleBar::CaptionHeight(DWORD exStyle)
{
    return ::GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
}

bool CKxTitleBar::HasTitleBar(DWORD style, DWORD exStyle)
{
    return (style & WS_POPUP) != 0 || (style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_TOOLWINDOW) != 0;
}

CRect CKxTitleBar::ClientInWindow(HWND window)
{
    CRect client;
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    CRect frame;
    ::GetWindowRect(window, &frame);
    client.OffsetRect(-frame.left, -frame.top);
    return client;
}

CPoint CKxTitleBar::ScreenToWindow(HWND window, POINT screen)
{
    CRect frame;
    ::GetWindowRect(window, &frame);
    return CPoint(screen.x - frame.left, screen.y - frame.top);
}
