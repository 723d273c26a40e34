// The framework's own drawing: device-context operations through the GDI wrappers, and pictures.
#include <util/image.h>

#include <algorithm>

#include "gallery.h"

namespace {

class FrameworkPage : public GalleryPage {
public:
    FrameworkPage() : GalleryPage(L"framework", CSize(560, 420)) {}

protected:
    void Paint(CDC& dc, const CRect& client) override
    {
        CRect area = client;
        area.DeflateRect(12, 8);
        const int column = area.Width() / 2;
        PaintShapes(dc, CRect(area.left, area.top, area.left + column - 8, area.top + 200));
        PaintText(dc, CRect(area.left + column + 8, area.top, area.right, area.top + 200));
        PaintBlits(dc, CRect(area.left, area.top + 210, area.left + column - 8, area.bottom));
        PaintPictures(dc, CRect(area.left + column + 8, area.top + 210, area.right, area.bottom));
    }

private:
    static void PaintShapes(CDC& dc, const CRect& area)
    {
        CRect body = DrawHeading(dc, area, L"Pens, brushes, frames");
        const COLORREF swatches[] = {RGB(0xE0, 0x40, 0x40), RGB(0x40, 0xA0, 0x40), RGB(0x40, 0x60, 0xD0),
                                     RGB(0xF0, 0xC0, 0x30)};
        for (int i = 0; i < 4; ++i) {
            dc.FillSolidRect(body.left + i * 34, body.top, 28, 20, swatches[i]);
        }
        // Gaps of dashed pens and hatches show the background colour; the swatches changed it.
        dc.SetBkColor(::GetSysColor(COLOR_WINDOW));
        const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT};
        for (int i = 0; i < 4; ++i) {
            CPen pen(styles[i], 1, RGB(0x30, 0x30, 0x30));
            CPen* old = dc.SelectObject(&pen);
            dc.MoveTo(body.left + 150, body.top + 3 + i * 5);
            dc.LineTo(body.right, body.top + 3 + i * 5);
            dc.SelectObject(old);
        }
        const int top = body.top + 32;
        CPen thick(PS_SOLID, 3, RGB(0x20, 0x50, 0x90));
        CBrush hatch(HS_DIAGCROSS, RGB(0x90, 0xB0, 0xE0));
        CPen* oldPen = dc.SelectObject(&thick);
        CBrush* oldBrush = dc.SelectObject(&hatch);
        dc.Rectangle(body.left, top, body.left + 60, top + 50);
        dc.RoundRect(body.left + 70, top, body.left + 130, top + 50, 16, 16);
        dc.Ellipse(body.left + 140, top, body.left + 200, top + 50);
        const POINT triangle[] = {{body.left + 210, top + 50}, {body.left + 240, top}, {body.left + 255, top + 50}};
        dc.Polygon(triangle, 3);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);

        const int frames = top + 62;
        CRect raised(body.left, frames, body.left + 60, frames + 40);
        dc.FillSolidRect(&raised, ::GetSysColor(COLOR_BTNFACE));
        dc.DrawEdge(&raised, EDGE_RAISED, BF_RECT);
        CRect sunken(body.left + 70, frames, body.left + 130, frames + 40);
        dc.FillSolidRect(&sunken, ::GetSysColor(COLOR_BTNFACE));
        dc.DrawEdge(&sunken, EDGE_SUNKEN, BF_RECT);
        dc.Draw3dRect(CRect(body.left + 140, frames, body.left + 200, frames + 40), RGB(0xE0, 0x40, 0x40),
                      RGB(0x40, 0x60, 0xD0));

        // A clipping region: stripes seen through an ellipse.
        CRgn ellipse;
        ellipse.CreateEllipticRgn(body.left + 210, frames, body.left + 260, frames + 40);
        const int saved = dc.SaveDC();
        dc.SelectClipRgn(&ellipse);
        for (int x = body.left + 210; x < body.left + 260; x += 6) {
            dc.FillSolidRect(x, frames, 3, 40, RGB(0x40, 0xA0, 0x40));
        }
        dc.RestoreDC(saved);
    }

    static void PaintText(CDC& dc, const CRect& area)
    {
        CRect body = DrawHeading(dc, area, L"Fonts and text");
        CFont normal, large, chinese;
        normal.CreatePointFont(90, L"Tahoma");
        large.CreatePointFont(140, L"Tahoma");
        chinese.CreatePointFont(120, L"宋体");
        const int mode = dc.SetBkMode(TRANSPARENT);
        CFont* old = dc.SelectObject(&normal);
        dc.TextOut(body.left, body.top, CString(L"Tahoma 9 pt: the quick brown fox"));
        dc.SelectObject(&large);
        dc.SetTextColor(RGB(0x20, 0x50, 0x90));
        dc.TextOut(body.left, body.top + 20, CString(L"Tahoma 14 pt"));
        dc.SelectObject(&chinese);
        dc.SetTextColor(RGB(0xC0, 0x30, 0x30));
        dc.TextOut(body.left, body.top + 48, CString(L"宋体 12 磅：证券交易"));
        dc.SelectObject(&normal);
        dc.SetTextColor(RGB(0, 0, 0));
        CRect box(body.left, body.top + 78, body.right, body.top + 100);
        dc.Draw3dRect(&box, RGB(0x90, 0x90, 0x90), RGB(0x90, 0x90, 0x90));
        dc.DrawText(CString(L"Centred in a frame"), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        CRect clipped(body.left, body.top + 108, body.left + 150, body.top + 128);
        dc.Draw3dRect(&clipped, RGB(0x90, 0x90, 0x90), RGB(0x90, 0x90, 0x90));
        clipped.DeflateRect(4, 0);
        dc.DrawText(CString(L"A long line shortened with an ellipsis"), &clipped,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        const CSize extent = dc.GetTextExtent(CString(L"measured"));
        dc.TextOut(body.left, body.top + 136, CString(L"measured"));
        dc.FillSolidRect(body.left, body.top + 136 + extent.cy, extent.cx, 1, RGB(0xE0, 0x40, 0x40));
        dc.SelectObject(old);
        dc.SetBkMode(mode);
    }

    static void PaintBlits(CDC& dc, const CRect& area)
    {
        CRect body = DrawHeading(dc, area, L"Bitmaps: copy, stretch, transparent colour");
        // A small checker made once in a memory context.
        CDC checker;
        CBitmap bitmap;
        checker.CreateCompatibleDC(&dc);
        bitmap.CreateCompatibleBitmap(&dc, 8, 8);
        CBitmap* old = checker.SelectObject(&bitmap);
        checker.FillSolidRect(0, 0, 8, 8, RGB(255, 0, 255)); // the transparent colour
        for (int y = 0; y < 8; y += 2) {
            for (int x = (y / 2) % 2 * 2; x < 8; x += 4) {
                checker.FillSolidRect(x, y, 2, 2, RGB(0x20, 0x50, 0x90));
            }
        }
        dc.FillSolidRect(body.left, body.top, 240, 60, RGB(0xF0, 0xE0, 0xC0));
        dc.BitBlt(body.left + 8, body.top + 8, 8, 8, &checker, 0, 0, SRCCOPY);
        dc.StretchBlt(body.left + 30, body.top + 8, 48, 48, &checker, 0, 0, 8, 8, SRCCOPY);
        dc.TransparentBlt(body.left + 90, body.top + 8, 48, 48, &checker, 0, 0, 8, 8, RGB(255, 0, 255));
        checker.SelectObject(old);
    }

    static void PaintPictures(CDC& dc, const CRect& area)
    {
        CRect body = DrawHeading(dc, area, L"Pictures of type \"Image\" in util.dll");
        int x = body.left;
        int y = body.top;
        int rowHeight = 0;
        int shown = 0;
        for (UINT id = 100; id < 300; ++id) {
            CKxImage image;
            if (!image.LoadFromResource(id)) {
                continue;
            }
            const CSize size = image.GetSize();
            if (x + size.cx > body.right) {
                x = body.left;
                y += rowHeight + 6;
                rowHeight = 0;
            }
            image.Draw(dc, x, y);
            x += size.cx + 6;
            rowHeight = std::max<int>(rowHeight, size.cy);
            ++shown;
        }
        if (shown == 0) {
            CFont font;
            font.CreatePointFont(90, L"Tahoma");
            CFont* old = dc.SelectObject(&font);
            dc.SetBkMode(TRANSPARENT);
            dc.DrawText(CString(L"(none in this build)"), &body, DT_LEFT | DT_TOP | DT_SINGLELINE);
            dc.SelectObject(old);
        }
    }
};

GalleryRegistration registration([] { return std::make_unique<FrameworkPage>(); });

} // namespace
