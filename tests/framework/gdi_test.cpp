#include <util/gdi.h>
#include <util/wnd.h>

#include <gtest/gtest.h>

#include "support/dib.h"
#include "support/gdi_count.h"

using testsupport::DibSurface;
using testsupport::GdiObjectCount;

TEST(GdiSupport, ObjectCountFollowsCreationAndDeletion)
{
    const int before = GdiObjectCount();
    ASSERT_GT(before, 0);
    HBRUSH brushes[10];
    for (HBRUSH& brush : brushes) {
        brush = ::CreateSolidBrush(RGB(1, 2, 3));
    }
    EXPECT_EQ(GdiObjectCount(), before + 10);
    for (HBRUSH brush : brushes) {
        ::DeleteObject(brush);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(GdiSupport, DibPixelsAreTopDownColourValues)
{
    DibSurface surface(8, 6, RGB(0, 0, 0));
    ::SetPixel(surface.dc(), 2, 1, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(surface.pixel(2, 1), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(surface.raw(2, 1) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(surface.pixel(1, 2), RGB(0, 0, 0));
    EXPECT_EQ(surface.pixel(8, 0), CLR_INVALID);
    EXPECT_EQ(surface.count(RGB(0, 0, 0)), 8 * 6 - 1);
    surface.fill(RGB(255, 0, 0));
    EXPECT_EQ(surface.count(RGB(255, 0, 0), RECT{-5, -5, 100, 3}), 8 * 3);
}

TEST(GdiWrappers, DestructionDeletesAndDetachKeeps)
{
    HGDIOBJ deleted = nullptr;
    HGDIOBJ kept = nullptr;
    {
        CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
        deleted = pen.GetSafeHandle();
        CBrush brush(RGB(4, 5, 6));
        kept = brush.Detach();
        EXPECT_EQ(brush.GetSafeHandle(), nullptr);
    }
    EXPECT_EQ(::GetObjectType(deleted), 0u);
    EXPECT_EQ(::GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH));
    ::DeleteObject(kept);
}

TEST(GdiWrappers, ACreatedObjectIsNotReplacedSilently)
{
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 2, RGB(9, 9, 9)));
    const HGDIOBJ first = pen.GetSafeHandle();
    const int before = GdiObjectCount();
    EXPECT_FALSE(pen.CreatePen(PS_SOLID, 3, RGB(9, 9, 9)));
    EXPECT_EQ(pen.GetSafeHandle(), first);
    EXPECT_EQ(GdiObjectCount(), before); // the second pen was not leaked either
    CBrush other;
    EXPECT_FALSE(other.Attach(nullptr));
}

TEST(GdiWrappers, NoLeaksOverManyCycles)
{
    auto cycle = [] {
        CPen pen(PS_DASH, 1, RGB(1, 1, 1));
        CBrush brush(HS_CROSS, RGB(2, 2, 2));
        CFont font;
        font.CreatePointFont(90, L"Tahoma");
        CRgn region, other;
        region.CreateRectRgn(0, 0, 10, 10);
        other.CreateEllipticRgn(5, 5, 20, 20);
        region.CombineRgn(&region, &other, RGN_OR);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&dc, 16, 16);
        CBitmap* oldBitmap = dc.SelectObject(&bitmap);
        CPen* oldPen = dc.SelectObject(&pen);
        CBrush* oldBrush = dc.SelectObject(&brush);
        CFont* oldFont = dc.SelectObject(&font);
        dc.Rectangle(0, 0, 16, 16);
        dc.SelectClipRgn(&region);
        dc.SelectObject(oldFont);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
        dc.SelectObject(oldBitmap);
    };
    cycle(); // the platform makes some objects once, on first use
    const int before = GdiObjectCount();
    for (int i = 0; i < 300; ++i) {
        cycle();
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(GdiWrappers, SelectionReturnsThePreviousObject)
{
    DibSurface surface(4, 4);
    CDC* dc = CDC::FromHandle(surface.dc());
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ stockPen = ::GetCurrentObject(surface.dc(), OBJ_PEN);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0)), blue(PS_SOLID, 1, RGB(0, 0, 255));
    CPen* previous = dc->SelectObject(&red);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->GetSafeHandle(), stockPen);
    EXPECT_EQ(dc->SelectObject(&blue)->GetSafeHandle(), red.GetSafeHandle());
    EXPECT_EQ(dc->GetCurrentPen()->GetSafeHandle(), blue.GetSafeHandle());
    dc->SelectObject(previous);
    // The wrapper of the stock pen must not have deleted it, nor the temporary DC wrapper the DC.
    EXPECT_EQ(::GetCurrentObject(surface.dc(), OBJ_PEN), stockPen);
    EXPECT_EQ(CPen::FromHandle(static_cast<HPEN>(stockPen)), CPen::FromHandle(static_cast<HPEN>(stockPen)));
    EXPECT_EQ(::GetObjectType(surface.dc()), static_cast<DWORD>(OBJ_MEMDC));
}

TEST(GdiWrappers, TemporaryWrappersOfOneHandleStayValidForEveryType)
{
    CBrush brush(RGB(7, 8, 9));
    const HBRUSH handle = brush;
    CGdiObject* general = CGdiObject::FromHandle(handle);
    CBrush* typed = CBrush::FromHandle(handle);
    ASSERT_NE(general, nullptr);
    ASSERT_NE(typed, nullptr);
    // Asking for the brush type did not throw away the general wrapper handed out before.
    EXPECT_EQ(general->GetSafeHandle(), handle);
    EXPECT_EQ(general->GetObjectType(), static_cast<UINT>(OBJ_BRUSH));
    EXPECT_EQ(CGdiObject::FromHandle(handle), general);
    LOGBRUSH logBrush{};
    ASSERT_EQ(typed->GetLogBrush(&logBrush), static_cast<int>(sizeof(LOGBRUSH)));
    EXPECT_EQ(logBrush.lbColor, RGB(7, 8, 9));
}

TEST(GdiWrappers, PointFontHeightUsesThePixelsPerInch)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, L"Tahoma"));
    LOGFONTW logFont{};
    ASSERT_EQ(font.GetLogFont(&logFont), static_cast<int>(sizeof(LOGFONTW)));
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(logFont.lfHeight, -::MulDiv(dpi, 12, 72));
    EXPECT_STREQ(logFont.lfFaceName, L"Tahoma");

    // In a context that maps two device pixels to one logical unit the height halves.
    DibSurface surface(4, 4);
    CDC* dc = CDC::FromHandle(surface.dc());
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(1, 1);
    dc->SetViewportExt(2, 2);
    CFont scaled;
    ASSERT_TRUE(scaled.CreatePointFont(120, L"Tahoma", dc));
    scaled.GetLogFont(&logFont);
    const int surfaceDpi = ::GetDeviceCaps(surface.dc(), LOGPIXELSY);
    EXPECT_EQ(logFont.lfHeight, -(::MulDiv(surfaceDpi, 12, 72) / 2));
    dc->SetMapMode(MM_TEXT);
}

TEST(DeviceContext, FillsFramesAndLinesPaintExactPixels)
{
    DibSurface surface(20, 20, RGB(255, 255, 255));
    CDC* dc = CDC::FromHandle(surface.dc());

    dc->FillSolidRect(CRect(2, 2, 6, 5), RGB(10, 20, 30));
    EXPECT_EQ(surface.count(RGB(10, 20, 30)), 4 * 3);
    EXPECT_EQ(dc->GetBkColor(), RGB(10, 20, 30)); // the fill leaves the background colour set

    surface.fill(RGB(255, 255, 255));
    dc->Draw3dRect(CRect(0, 0, 10, 8), RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(surface.pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(surface.pixel(8, 0), RGB(255, 0, 0));
    EXPECT_EQ(surface.pixel(9, 0), RGB(0, 0, 255)); // top-right corner belongs to the right edge
    EXPECT_EQ(surface.pixel(0, 7), RGB(0, 0, 255)); // bottom-left corner belongs to the bottom edge
    EXPECT_EQ(surface.pixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(surface.count(RGB(255, 0, 0)) + surface.count(RGB(0, 0, 255)), 2 * 10 + 2 * 6);

    surface.fill(RGB(255, 255, 255));
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = dc->SelectObject(&pen);
    EXPECT_EQ(dc->MoveTo(1, 10), CPoint(0, 0));
    dc->LineTo(6, 10);
    dc->SelectObject(old);
    EXPECT_EQ(surface.count(RGB(0, 0, 0)), 5); // the end point is left out
    EXPECT_EQ(surface.pixel(6, 10), RGB(255, 255, 255));
}

TEST(DeviceContext, StateRoundTripsAndClipping)
{
    DibSurface surface(20, 20, RGB(255, 255, 255));
    CDC* dc = CDC::FromHandle(surface.dc());
    const int saved = dc->SaveDC();
    dc->SetTextColor(RGB(1, 2, 3));
    EXPECT_EQ(dc->SetBkMode(TRANSPARENT), OPAQUE);
    dc->IntersectClipRect(5, 5, 10, 10);
    dc->FillSolidRect(CRect(0, 0, 20, 20), RGB(0, 128, 0));
    EXPECT_EQ(surface.count(RGB(0, 128, 0)), 25);
    ASSERT_TRUE(dc->RestoreDC(saved));
    EXPECT_EQ(dc->GetBkMode(), OPAQUE);
    EXPECT_NE(dc->GetTextColor(), RGB(1, 2, 3));

    CRgn region;
    region.CreateRectRgn(0, 0, 3, 3);
    EXPECT_EQ(dc->SelectClipRgn(&region), SIMPLEREGION);
    dc->FillSolidRect(CRect(0, 0, 20, 20), RGB(0, 0, 128));
    EXPECT_EQ(surface.count(RGB(0, 0, 128)), 9);
    dc->SelectClipRgn(nullptr);
    CRect box;
    dc->GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 20, 20));
}

TEST(DeviceContext, BlitsBetweenContexts)
{
    DibSurface source(4, 4, RGB(200, 0, 0));
    ::SetPixel(source.dc(), 0, 0, RGB(0, 255, 0));
    DibSurface target(10, 10, RGB(255, 255, 255));
    CDC* dc = CDC::FromHandle(target.dc());
    ASSERT_TRUE(dc->BitBlt(3, 3, 4, 4, CDC::FromHandle(source.dc()), 0, 0, SRCCOPY));
    EXPECT_EQ(target.pixel(3, 3), RGB(0, 255, 0));
    EXPECT_EQ(target.count(RGB(200, 0, 0)), 15);

    target.fill(RGB(255, 255, 255));
    ASSERT_TRUE(dc->TransparentBlt(0, 0, 4, 4, CDC::FromHandle(source.dc()), 0, 0, 4, 4, RGB(200, 0, 0)));
    EXPECT_EQ(target.pixel(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(target.pixel(1, 1), RGB(255, 255, 255));

    target.fill(RGB(255, 255, 255));
    ASSERT_TRUE(dc->StretchBlt(0, 0, 8, 8, CDC::FromHandle(source.dc()), 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(target.count(RGB(0, 255, 0)), 4); // one source pixel became two by two
}

TEST(DeviceContext, CompatibleContextOwnsItsHandle)
{
    HDC handle = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        handle = dc.GetSafeHdc();
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr)); // one handle per object
        CSize extent = dc.GetTextExtent(L"", 0);
        EXPECT_EQ(extent, CSize(0, 0));
        EXPECT_GT(dc.GetTextExtent(CString(L"Wide text")).cx, 0);
    }
    EXPECT_EQ(::GetObjectType(handle), 0u);
}
