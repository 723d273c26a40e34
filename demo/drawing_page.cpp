// The drawing functions: gradients, frames, triangles, glyphs, two-font text, stretched and blended
// bitmaps, and the library's own bitmaps, icons and cursors.
#include <util/drawfun.h>
#include <util/module.h>

#include <cstring>
#include <string>

#include "gallery.h"

namespace {

const COLORREF kInk = RGB(0x30, 0x30, 0x30);
const COLORREF kQuoteBack = RGB(0, 0, 0);

// A font made for the page and deleted with it.
class PageFont {
public:
    PageFont(const wchar_t* face, int pixels, int weight = FW_NORMAL)
    {
        LOGFONTW lf;
        std::memset(&lf, 0, sizeof(lf));
        lf.lfHeight = -pixels;
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        m_font.CreateFontIndirect(&lf);
    }
    operator HFONT() const { return m_font; }

private:
    CFont m_font;
};

// A bitmap resource of the library, released with the object.
class LibraryBitmap {
public:
    explicit LibraryBitmap(UINT id) : m_bitmap(::LoadBitmapW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id))) {}
    ~LibraryBitmap() { ::DeleteObject(m_bitmap); }
    LibraryBitmap(const LibraryBitmap&) = delete;
    LibraryBitmap& operator=(const LibraryBitmap&) = delete;
    operator HBITMAP() const { return m_bitmap; }
    SIZE Size() const
    {
        SIZE size = {0, 0};
        KXDRAWFUN::GetBmpSize(m_bitmap, &size);
        return size;
    }

private:
    HBITMAP m_bitmap;
};

class DrawingPage : public GalleryPage {
public:
    DrawingPage() : GalleryPage(L"drawing", CSize(640, 560)) {}

protected:
    void Paint(CDC& dc, const CRect& client) override
    {
        CRect area = client;
        area.DeflateRect(12, 8);
        const int half = area.Width() / 2;
        const CRect left(area.left, area.top, area.left + half - 8, area.bottom);
        const CRect right(area.left + half + 8, area.top, area.right, area.bottom);
        PaintGradients(dc, CRect(left.left, left.top, left.right, left.top + 110));
        PaintFrames(dc, CRect(left.left, left.top + 120, left.right, left.top + 250));
        PaintGlyphs(dc, CRect(left.left, left.top + 260, left.right, left.top + 400));
        PaintText(dc, CRect(right.left, right.top, right.right, right.top + 250));
        PaintBitmaps(dc, CRect(right.left, right.top + 260, right.right, right.top + 400));
        PaintResources(dc, CRect(area.left, area.top + 410, area.right, area.bottom));
    }

private:
    static void PaintGradients(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"Gradients: imaging library, then line by line");
        const int w = (body.Width() - 10) / 2;
        const RECT horizontal = {body.left, body.top, body.left + w, body.top + 30};
        const RECT vertical = {body.left + w + 10, body.top, body.right, body.top + 30};
        KXDRAWFUN::DrawGradientRect(dc, &horizontal, RGB(0x24, 0x4A, 0x78), RGB(0x9C, 0xC8, 0xF0), FALSE);
        KXDRAWFUN::DrawGradientRect(dc, &vertical, RGB(0xFD, 0xFD, 0xFD), RGB(0xC0, 0xC0, 0xC0), TRUE);
        // The same two without the imaging library's routine.
        const KXDRAWFUN::PFNGRADIENTFILL saved = KXDRAWFUN::sm_GradientFill;
        KXDRAWFUN::sm_GradientFill = nullptr;
        const RECT horizontalLines = {body.left, body.top + 40, body.left + w, body.top + 70};
        const RECT verticalLines = {body.left + w + 10, body.top + 40, body.right, body.top + 70};
        KXDRAWFUN::DrawGradientRect(dc, &horizontalLines, RGB(0x24, 0x4A, 0x78), RGB(0x9C, 0xC8, 0xF0), FALSE);
        KXDRAWFUN::DrawGradientRect(dc, &verticalLines, RGB(0xFD, 0xFD, 0xFD), RGB(0xC0, 0xC0, 0xC0), TRUE);
        KXDRAWFUN::sm_GradientFill = saved;
    }

    static void PaintFrames(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"Lines, frames, ellipses, triangles");
        int x = body.left;
        const int y = body.top;
        const RECT plain = {x, y, x + 40, y + 30};
        KXDRAWFUN::DrawRect(dc, &plain, PS_SOLID, 1, RGB(0x20, 0x50, 0x90), R2_COPYPEN);
        const RECT raised = {x + 50, y, x + 90, y + 30};
        KXDRAWFUN::FillSolidRect(dc, &raised, ::GetSysColor(COLOR_BTNFACE));
        KXDRAWFUN::Draw3DBorder(dc, &raised, FALSE);
        const RECT sunken = {x + 100, y, x + 140, y + 30};
        KXDRAWFUN::FillSolidRect(dc, &sunken, ::GetSysColor(COLOR_BTNFACE));
        KXDRAWFUN::Draw3DBorder(dc, &sunken, TRUE);
        const RECT filled = {x + 150, y, x + 190, y + 30};
        KXDRAWFUN::FillEllipse(dc, &filled, RGB(0xF0, 0xC0, 0x30), TRUE);
        const RECT outline = {x + 200, y, x + 240, y + 30};
        KXDRAWFUN::FillEllipse(dc, &outline, RGB(0xE0, 0x40, 0x40), FALSE);
        dc.SetBkColor(::GetSysColor(COLOR_WINDOW)); // FillSolidRect leaves its colour behind

        const POINT zigzag[] = {{x, y + 60}, {x + 20, y + 40}, {x + 40, y + 60}, {x + 60, y + 40}, {x + 80, y + 60}};
        KXDRAWFUN::DrawPolyLine(dc, zigzag, 5, PS_SOLID, 2, RGB(0x40, 0xA0, 0x40), R2_COPYPEN);
        KXDRAWFUN::DrawLine(dc, x, y + 70, x + 80, y + 70, PS_DOT, 1, kInk, R2_COPYPEN);

        const KXDRAWFUN::KXTRIANGLEDIR directions[] = {KXDRAWFUN::KXTD_UP, KXDRAWFUN::KXTD_DOWN, KXDRAWFUN::KXTD_LEFT,
                                                       KXDRAWFUN::KXTD_RIGHT};
        x += 100;
        for (const KXDRAWFUN::KXTRIANGLEDIR direction : directions) {
            const RECT cell = {x, y + 40, x + 24, y + 64};
            KXDRAWFUN::DrawFilledTriangle(dc, RGB(0x20, 0x50, 0x90), RGB(0xE8, 0xEE, 0xF6), &cell, direction, 13, FALSE,
                                          1);
            x += 30;
        }
    }

    static void PaintGlyphs(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"Quote glyphs");
        const RECT back = {body.left, body.top, body.right, body.top + 100};
        KXDRAWFUN::FillSolidRect(dc, &back, kQuoteBack);
        const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16};
        int x = body.left + 4;
        for (const int type : types) {
            const RECT cell = {x, body.top + 4, x + 18, body.top + 24};
            KXDRAWFUN::drawKxSign(dc, type, &cell, RGB(0xF0, 0xC0, 0x30), 0, 0, 0);
            x += 22;
        }
        x = body.left + 4;
        for (const int type : {1, 2, 5, 14, 15}) {
            for (int size = 0; size < 3; ++size) {
                const RECT cell = {x, body.top + 34, x + 14, body.top + 50};
                KXDRAWFUN::drawKxSign2(dc, type, &cell, 0, size, 0);
                x += 16;
            }
            x += 4;
        }
        const RECT diamond = {body.left + 4, body.top + 60, body.left + 24, body.top + 80};
        KXDRAWFUN::DrawKxRptRadSign(dc, &diamond, RGB(0xFC, 0xFC, 0x54), 0x5);
        KXDRAWFUN::DrawSwitchRightPanelSign(dc, body.left + 40, body.top + 64, RGB(0xC0, 0xC0, 0xC0), kQuoteBack, 0);
        KXDRAWFUN::DrawSwitchRightPanelSign(dc, body.left + 60, body.top + 64, RGB(0xC0, 0xC0, 0xC0), kQuoteBack, 1);
        dc.SetBkColor(::GetSysColor(COLOR_WINDOW));
    }

    static void PaintText(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"Text in one and two fonts");
        const PageFont chinese(L"SimSun", 15), latin(L"Tahoma", 13), bold(L"Tahoma", 13, FW_BOLD);
        const wchar_t quote[] = L"600000 \u6d66\u53d1\u94f6\u884c 12.35 +0.21";
        RECT line = {body.left, body.top, body.right, body.top + 22};
        KXDRAWFUN::DrawTextW(dc, quote, -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE, latin, kInk, 0);
        OffsetRect(&line, 0, 24);
        KXDRAWFUN::DrawTextExW(dc, quote, static_cast<int>(wcslen(quote)), &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
                               chinese, bold, RGB(0xC0, 0x30, 0x30), RGB(0x20, 0x50, 0x90), 0);
        OffsetRect(&line, 0, 24);
        KXDRAWFUN::FillSolidRect(dc, &line, kQuoteBack);
        dc.SetBkColor(::GetSysColor(COLOR_WINDOW));
        RECT cell = line;
        cell.right = cell.left + 90;
        KXDRAWFUN::DrawTextExW(dc, L"----", 4, &cell, DT_CENTER | DT_VCENTER, latin, nullptr, kInk, kInk, 0);
        cell = {line.left + 90, line.top, line.right, line.bottom};
        KXDRAWFUN::DrawTextExW(dc, L"\u6da8\u5e45 +1.73%", 9, &cell, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, chinese,
                               latin, RGB(0xFC, 0x54, 0x54), RGB(0xFC, 0xFC, 0x54), 0);

        // Stacked one character under another, and placed strings.
        const RECT column = {body.left, line.bottom + 6, body.left + 26, body.bottom};
        KXDRAWFUN::DrawRect(dc, &column, PS_SOLID, 1, RGB(0xB0, 0xC0, 0xD8), R2_COPYPEN);
        KXDRAWFUN::DrawTextExW(dc, L"\u4e70\u5165A1", 4, &column, DT_CENTER | DT_VCENTER, chinese, latin,
                               RGB(0x20, 0x50, 0x90), RGB(0xC0, 0x30, 0x30), 1);
        const RECT box = {body.left + 40, line.bottom + 6, body.right, line.bottom + 36};
        KXDRAWFUN::DrawRect(dc, &box, PS_SOLID, 1, RGB(0xB0, 0xC0, 0xD8), R2_COPYPEN);
        const HGDIOBJ oldFont = ::SelectObject(dc, latin);
        const int mode = dc.SetBkMode(TRANSPARENT);
        KXDRAWFUN::PutKxString(dc, &box, L"centred with PutKxString", 0, 0, 0);
        // Cut to 150 pixels with an ellipsis.
        wchar_t longText[] = L"A long security name that does not fit its column";
        KXDRAWFUN::FormatStringWithFixedWidth(dc, latin, longText, static_cast<int>(wcslen(longText)), 150, TRUE);
        const RECT cut = {body.left + 40, line.bottom + 44, body.left + 190, line.bottom + 64};
        KXDRAWFUN::DrawRect(dc, &cut, PS_SOLID, 1, RGB(0xB0, 0xC0, 0xD8), R2_COPYPEN);
        KXDRAWFUN::PutKxString(dc, &cut, longText, 1, 0, 0);
        dc.SetBkMode(mode);
        ::SelectObject(dc, oldFont);
    }

    static void PaintBitmaps(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"Stretched, transparent and translucent");
        const LibraryBitmap band(134), back(125), tile(126);
        const RECT title = {body.left, body.top, body.right, body.top + 24};
        KXDRAWFUN::StretchDrawBmp(dc, &title, band, band, band, 0, SRCCOPY);
        const PageFont caption(L"Tahoma", 12, FW_BOLD);
        RECT text = title;
        text.left += 8;
        KXDRAWFUN::DrawTextW(dc, L"Title band (bitmap 134)", -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, caption,
                             RGB(255, 255, 255), 0);

        // A progress bar: background stretched, tiles at their own size with one-pixel gaps.
        const RECT bar = {body.left, body.top + 32, body.left + 200, body.top + 32 + back.Size().cy};
        KXDRAWFUN::StretchDrawBmp(dc, &bar, nullptr, back, nullptr, 0, SRCCOPY);
        const SIZE t = tile.Size();
        for (int x = bar.left + 2; x + t.cx <= bar.left + 130; x += t.cx + 1) {
            const RECT place = {x, bar.top, x + t.cx, bar.top + t.cy};
            KXDRAWFUN::DrawBmp(dc, &place, tile, POINT{0, 0}, SRCCOPY);
        }

        // A translucent band over stripes, beside a transparent-colour copy of the toolbar's home button.
        const int y = bar.bottom + 10;
        for (int i = 0; i < 10; ++i) {
            dc.FillSolidRect(body.left + i * 10, y, 5, 30, RGB(0x40, 0xA0, 0x40));
        }
        CDC source;
        CBitmap block;
        source.CreateCompatibleDC(&dc);
        block.CreateCompatibleBitmap(&dc, 100, 22);
        CBitmap* old = source.SelectObject(&block);
        source.FillSolidRect(0, 0, 100, 22, RGB(0x20, 0x50, 0x90));
        KXDRAWFUN::TranslucentBitBlt(dc, body.left, y + 4, 100, 22, source, 0, 0, 0.5);
        source.SelectObject(old);
        const LibraryBitmap toolbar(149);
        const RECT home = {body.left + 120, y, body.left + 145, y + 25};
        KXDRAWFUN::TransparentDrawBmp(dc, &home, toolbar, POINT{100, 25});
        dc.SetBkColor(::GetSysColor(COLOR_WINDOW));
    }

    static void PaintResources(CDC& dc, const CRect& area)
    {
        const CRect body = DrawHeading(dc, area, L"The library's bitmaps, icons and cursors");
        const LibraryBitmap toolbar(149);
        const RECT strip = {body.left, body.top, body.left + 125, body.top + 75};
        KXDRAWFUN::DrawBmp(dc, &strip, toolbar, POINT{0, 0}, SRCCOPY);
        int x = body.left + 140;
        int y = body.top;
        for (UINT id = 223; id <= 230; ++id) {
            const int width = id % 2 ? 66 : 98;
            const HICON icon = static_cast<HICON>(
                ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, 20, LR_DEFAULTCOLOR));
            const RECT place = {x, y, x + width, y + 20};
            KXDRAWFUN::DrawIcon(dc, icon, &place, 0);
            ::DestroyIcon(icon);
            x += width + 8;
            if (id % 2 == 0) {
                x = body.left + 140;
                y += 26;
            }
        }
        x = body.left + 340;
        for (UINT id : {101u, 102u, 103u}) {
            const HCURSOR cursor = ::LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id));
            ::DrawIconEx(dc, x, body.top, cursor, 32, 32, 0, nullptr, DI_NORMAL);
            x += 40;
        }
    }
};

GalleryRegistration registration([] { return std::make_unique<DrawingPage>(); });

} // namespace
