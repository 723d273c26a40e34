#include <util/drawdc.h>
#include <util/drawfun.h>

#include <gtest/gtest.h>

#include "support/gdi_count.h"
#include "surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

SIZE SelectedBitmapSize(HDC dc)
{
    BITMAP info{};
    GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

void ExpectRect(const RECT& actual, const RECT& expected)
{
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour)
{
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

TEST(DrawDC, DrawingAtTheRectanglesCoordinatesLandsInTheBitmap)
{
    DibSurface screen(200, 100);
    CKxDrawDC draw;
    const RECT r = {50, 20, 150, 70};
    draw.SetDrawRect(r, screen.dc());
    ASSERT_NE(draw.GetSafeHdc(), nullptr);
    ExpectRect(draw.m_rcDraw, r);
    EXPECT_EQ(SelectedBitmapSize(draw).cx, 100);
    EXPECT_EQ(SelectedBitmapSize(draw).cy, 50);

    KXDRAWFUN::FillSolidRect(draw, &r, kBlue);
    const RECT inner = {60, 30, 70, 40};
    KXDRAWFUN::FillSolidRect(draw, &inner, kRed);
    BitBlt(screen.dc(), r.left, r.top, 100, 50, draw, r.left, r.top, SRCCOPY);
    EXPECT_EQ(screen.count(kBlue) + screen.count(kRed), 100 * 50);
    EXPECT_EQ(screen.count(kRed, inner), 100);
    EXPECT_EQ(screen.pixel(49, 20), kWhite);
    EXPECT_EQ(screen.pixel(149, 69), kBlue);
}

TEST(DrawDC, BitmapGrowsToTheNewRectangleOnly)
{
    DibSurface screen(10, 10);
    CKxDrawDC draw;
    draw.SetDrawRect(RECT{0, 0, 100, 50}, screen.dc());
    const HGDIOBJ first = GetCurrentObject(draw, OBJ_BITMAP);
    draw.SetDrawRect(RECT{10, 10, 60, 110}, screen.dc());
    EXPECT_EQ(SelectedBitmapSize(draw).cx, 50); // the new size, not the larger of both
    EXPECT_EQ(SelectedBitmapSize(draw).cy, 100);
    ExpectRect(draw.m_rcBmp, {10, 10, 60, 110});

    // Smaller passes reuse the bitmap and only move the origin.
    const HGDIOBJ second = GetCurrentObject(draw, OBJ_BITMAP);
    EXPECT_NE(first, nullptr);
    draw.SetDrawRect(RECT{200, 300, 240, 340}, screen.dc());
    EXPECT_EQ(GetCurrentObject(draw, OBJ_BITMAP), second);
    POINT origin{};
    GetWindowOrgEx(draw, &origin);
    EXPECT_EQ(origin.x, 200);
    EXPECT_EQ(origin.y, 300);
}

TEST(DrawDC, UnreasonableRectanglesGoOffTheSurface)
{
    DibSurface screen(10, 10);
    CKxDrawDC draw;
    CDC* target = CDC::FromHandle(screen.dc());
    draw.SetDrawRect(RECT{0, 0, 3001, 10}, target);
    ExpectRect(draw.m_rcDraw, {-10, -10, -5, -5});
    EXPECT_EQ(SelectedBitmapSize(draw).cx, 5);

    draw.SetDrawRect(RECT{0, 0, 20, 3000}, target);
    ExpectRect(draw.m_rcDraw, {0, 0, 20, 3000});
    EXPECT_EQ(SelectedBitmapSize(draw).cy, 3000);

    CKxDrawDC inverted;
    inverted.SetDrawRect(RECT{50, 50, 40, 60}, target);
    ExpectRect(inverted.m_rcDraw, {-10, -10, -5, -5});

    // The handle form applies the limit when the bitmap has to be made.
    CKxDrawDC huge;
    huge.SetDrawRect(RECT{0, 0, 5000, 5000}, screen.dc());
    ExpectRect(huge.m_rcDraw, {-10, -10, -5, -5});
    ExpectRect(huge.m_rcBmp, {-10, -10, -5, -5});
}

TEST(DrawDC, ZeroSpansBecomeZeroToOne)
{
    DibSurface screen(10, 10);
    CKxDrawDC draw;
    draw.SetDrawRect(RECT{30, 5, 30, 25}, screen.dc());
    ExpectRect(draw.m_rcDraw, {0, 5, 1, 25});
    EXPECT_EQ(SelectedBitmapSize(draw).cx, 1);
    draw.SetDrawRect(RECT{3, 7, 4, 7}, CDC::FromHandle(screen.dc()));
    ExpectRect(draw.m_rcDraw, {3, 0, 4, 1});
}

TEST(DrawDC, DeleteReleasesEverythingAndNothingLeaks)
{
    DibSurface screen(10, 10);
    const int before = testsupport::GdiObjectCount();
    {
        CKxDrawDC draw;
        for (int i = 1; i <= 200; ++i) {
            draw.SetDrawRect(RECT{0, 0, i, 201 - i}, screen.dc());
        }
        EXPECT_TRUE(draw.DeleteDC());
        EXPECT_EQ(draw.GetSafeHdc(), nullptr);
        EXPECT_EQ(draw.m_hOldBmp, nullptr);
        EXPECT_TRUE(draw.m_rcBmp.IsRectNull());
        EXPECT_EQ(draw.m_bitmap.GetSafeHandle(), nullptr);
        draw.SetDrawRect(RECT{0, 0, 30, 30}, screen.dc()); // usable again
        EXPECT_EQ(SelectedBitmapSize(draw).cx, 30);
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

TEST(MemDC, CollectsDrawingAndCopiesItBackWhenDestroyed)
{
    DibSurface target(60, 40);
    const RECT area = {10, 5, 50, 35};
    {
        CKXMemDC mem(target.dc(), area, FALSE);
        ASSERT_NE(static_cast<HDC>(mem), nullptr);
        ASSERT_NE(static_cast<HBITMAP>(mem), nullptr);
        ExpectRect(mem.m_rect, area);
        EXPECT_EQ(SelectedBitmapSize(mem).cx, 40);
        Fill(mem, area, kBlue);
        Fill(mem, RECT{20, 10, 30, 20}, kRed);    // the target's own coordinates
        EXPECT_EQ(target.count(kWhite), 60 * 40); // nothing reaches the target yet
    }
    EXPECT_EQ(target.count(kBlue) + target.count(kRed), 40 * 30);
    EXPECT_EQ(target.count(kRed, {20, 10, 30, 20}), 100);
    EXPECT_EQ(target.pixel(9, 5), kWhite);
}

TEST(MemDC, CopyFlagKeepsWhatWasThere)
{
    DibSurface target(30, 30, kRed);
    {
        CKXMemDC mem(target.dc(), RECT{0, 0, 30, 30}, TRUE);
        Fill(mem, RECT{0, 0, 10, 10}, kBlue);
    }
    EXPECT_EQ(target.count(kBlue), 100);
    EXPECT_EQ(target.count(kRed), 800);

    DibSurface second(30, 30, kRed);
    {
        CKXMemDC mem(second.dc(), RECT{0, 0, 30, 30}, FALSE);
        Fill(mem, RECT{0, 0, 10, 10}, kBlue);
    }
    EXPECT_EQ(second.count(kBlue), 100);
    EXPECT_LT(second.count(kRed), 800); // the untouched part came from an empty buffer
}

TEST(MemDC, ZeroRectangleCoversTheClipBox)
{
    DibSurface target(40, 40);
    const HRGN clip = CreateRectRgn(5, 6, 25, 36);
    SelectClipRgn(target.dc(), clip);
    DeleteObject(clip);
    {
        CKXMemDC mem(target.dc());
        ExpectRect(mem.m_rect, {5, 6, 25, 36});
        Fill(mem, mem.m_rect, kBlue);
    }
    EXPECT_EQ(target.count(kBlue), 20 * 30);
}

TEST(MemDC, OptionsForBlittingAndDeleting)
{
    DibSurface target(20, 20);
    HDC kept = nullptr;
    HBITMAP keptBitmap = nullptr;
    {
        CKXMemDC mem(target.dc(), RECT{0, 0, 20, 20}, FALSE, FALSE, FALSE);
        Fill(mem, RECT{0, 0, 20, 20}, kBlue);
        mem.BitBlt(target.dc(), RECT{5, 5, 8, 9}, SRCCOPY); // from the buffer's top-left
        kept = mem;
        keptBitmap = mem;
    }
    EXPECT_EQ(target.count(kBlue), 12);
    EXPECT_EQ(target.count(kBlue, {5, 5, 8, 9}), 12);
    // Without auto-delete the caller owns both.
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_TRUE(DeleteDC(kept));
    EXPECT_TRUE(DeleteObject(keptBitmap));

    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        CKXMemDC mem(target.dc(), RECT{0, 0, 10, 10}, TRUE);
        mem.Construct(target.dc(), RECT{0, 0, 5, 5}, FALSE); // a second buffer replaces the first
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

TEST(MemDC, EmptyObjectDoesNothing)
{
    DibSurface target(10, 10);
    {
        CKXMemDC empty;
        EXPECT_EQ(static_cast<HDC>(empty), nullptr);
        EXPECT_TRUE(empty.m_bValid);
        empty.BitBlt(target.dc(), RECT{0, 0, 5, 5}, BLACKNESS);
        CKXMemDC none(static_cast<HDC>(nullptr));
        EXPECT_EQ(static_cast<HDC>(none), nullptr);
    }
    EXPECT_EQ(target.count(kWhite), 100);
}

namespace {

// A visible top-level window with static children, for the clipping tests.
class Family {
public:
    Family()
    {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, nullptr, nullptr,
                                 nullptr);
    }
    ~Family() { DestroyWindow(parent); }
    HWND AddChild(HWND owner, int x, int y, int w, int h, bool visible = true)
    {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, w, h, owner, nullptr,
                               nullptr, nullptr);
    }
    HWND parent;
};

} // namespace

TEST(ClientDCClip, VisibleChildrenAreLeftOut)
{
    Family family;
    ASSERT_NE(family.parent, nullptr);
    family.AddChild(family.parent, 10, 10, 20, 20);
    family.AddChild(family.parent, 50, 40, 30, 10);
    DibSurface canvas(100, 80);
    CKXClientDCClip(canvas.dc(), family.parent);
    Fill(canvas.dc(), RECT{0, 0, 100, 80}, kBlue);
    EXPECT_EQ(canvas.count(kWhite, {10, 10, 30, 30}), 400);
    EXPECT_EQ(canvas.count(kWhite, {50, 40, 80, 50}), 300);
    EXPECT_EQ(canvas.count(kBlue), 8000 - 700);
}

TEST(ClientDCClip, HiddenChildrenAndGrandchildrenDoNotCount)
{
    Family family;
    family.AddChild(family.parent, 10, 10, 20, 20, false);
    const HWND child = family.AddChild(family.parent, 40, 10, 10, 10);
    family.AddChild(child, 0, 0, 40, 40); // reaches out of its parent, which clips it
    DibSurface canvas(100, 80);
    CKXClientDCClip(canvas.dc(), family.parent);
    Fill(canvas.dc(), RECT{0, 0, 100, 80}, kBlue);
    EXPECT_EQ(canvas.count(kWhite), 100);
    EXPECT_EQ(canvas.count(kWhite, {40, 10, 50, 20}), 100);
}

TEST(ClientDCClip, OnlyAHiddenChildLeavesTheWholeClipBox)
{
    Family family;
    family.AddChild(family.parent, 10, 10, 20, 20, false);
    DibSurface canvas(100, 80);
    CKXClientDCClip(canvas.dc(), family.parent); // the device context keeps a copy of its clipping region
    const int before = testsupport::GdiObjectCount();
    CKXClientDCClip(canvas.dc(), family.parent);
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
    Fill(canvas.dc(), RECT{0, 0, 100, 80}, kBlue);
    EXPECT_EQ(canvas.count(kBlue), 8000);

    DibSurface untouched(10, 10);
    CKXClientDCClip(untouched.dc(), nullptr);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(untouched.dc(), region), 0); // no clipping region was selected
    DeleteObject(region);
}
