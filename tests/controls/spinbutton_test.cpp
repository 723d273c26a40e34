#include <util/kxspinbutton.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/dib.h"
#include "support/recording_parent.h"

using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const COLORREF kBack = RGB(4, 11, 18);
const COLORREF kFrame = RGB(113, 112, 112);
const COLORREF kArrow = RGB(255, 255, 84);
const COLORREF kArrowDisabled = RGB(237, 232, 236);

class TestSpin : public CKXSpinButtonCtrl {
public:
    int arrowPaints = 0;

    DibSurface* Paint(DibSurface& surface)
    {
        DrawTo(*CDC::FromHandle(surface.dc()));
        return &surface;
    }
    void OnDrawSpinArrow(CDC* dc) override
    {
        ++arrowPaints;
        CKXSpinButtonCtrl::OnDrawSpinArrow(dc);
    }
};

struct SpinFixture {
    SpinFixture(bool horizontal, int width, int height) : parent(300, 200)
    {
        spin.Create(WS_VISIBLE | (horizontal ? UDS_HORZ : 0), RECT{0, 0, width, height}, &parent, 9);
    }
    LRESULT Mouse(UINT message, int x, int y) { return spin.SendMessage(message, MK_LBUTTON, MAKELPARAM(x, y)); }

    RecordingParent parent;
    TestSpin spin;
};

// The bounds of the arrow colour's pixels within an area.
RECT ArrowBounds(const DibSurface& surface, const RECT& area, COLORREF colour = kArrow)
{
    RECT bounds = {area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (surface.pixel(x, y) == colour) {
                bounds = {std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x + 1),
                          std::max(bounds.bottom, y + 1)};
            }
        }
    }
    return bounds;
}

// Which way a filled triangle in the area points: compares its first and last row (or column).
enum class Points { Up, Down, Left, Right, Nowhere };
Points Direction(const DibSurface& surface, const RECT& area)
{
    const RECT b = ArrowBounds(surface, area);
    if (b.left >= b.right) {
        return Points::Nowhere;
    }
    const int firstRow = surface.count(kArrow, RECT{b.left, b.top, b.right, b.top + 1});
    const int lastRow = surface.count(kArrow, RECT{b.left, b.bottom - 1, b.right, b.bottom});
    const int firstColumn = surface.count(kArrow, RECT{b.left, b.top, b.left + 1, b.bottom});
    const int lastColumn = surface.count(kArrow, RECT{b.right - 1, b.top, b.right, b.bottom});
    if (b.right - b.left > b.bottom - b.top) {
        return firstRow < lastRow ? Points::Up : Points::Down;
    }
    return firstColumn < lastColumn ? Points::Left : Points::Right;
}

} // namespace

TEST(SpinButton, HalvesAndArrowsFollowTheOrientation)
{
    struct Case {
        bool horizontal;
        int width, height;
        RECT first, second;
        Points firstPoints, secondPoints;
    };
    const Case cases[] = {
        // The platform gives a vertical control without a buddy the width of a scroll bar, 16 here.
        {false, 16, 40, {0, 0, 16, 20}, {0, 20, 16, 40}, Points::Up, Points::Down},
        {false, 16, 41, {0, 0, 16, 20}, {0, 20, 16, 40}, Points::Up, Points::Down},
        {true, 40, 20, {0, 0, 20, 20}, {20, 0, 40, 20}, Points::Left, Points::Right},
    };
    for (const Case& c : cases) {
        SpinFixture f(c.horizontal, c.width, c.height);
        EXPECT_EQ(CRect(f.spin.GetArrowRect(TRUE)), CRect(c.first));
        EXPECT_EQ(CRect(f.spin.GetArrowRect(FALSE)), CRect(c.second));
        EXPECT_EQ(f.spin.GetSpinState(), KXSPIN_NORMAL);
        DibSurface surface(c.width, c.height);
        f.spin.Paint(surface);
        EXPECT_EQ(Direction(surface, c.first), c.firstPoints);
        EXPECT_EQ(Direction(surface, c.second), c.secondPoints);
        // Flat frames around both halves, the background inside.
        EXPECT_EQ(surface.pixel(c.first.left, c.first.top), kFrame);
        EXPECT_EQ(surface.pixel(c.second.right - 1, c.second.bottom - 1), kFrame);
        EXPECT_EQ(surface.pixel(c.first.left + 1, c.first.top + 1), kBack);
    }
}

TEST(SpinButton, MouseStatesFollowThePressAndThePointer)
{
    SpinFixture f(false, 16, 40);
    struct Step {
        UINT message;
        int y;
        KXSPINSTATE state;
    };
    const Step steps[] = {
        {WM_LBUTTONDOWN, 5, KXSPIN_FIRST_PRESSED}, {WM_MOUSEMOVE, 30, KXSPIN_FIRST_OUTSIDE},
        {WM_MOUSEMOVE, 6, KXSPIN_FIRST_PRESSED},   {WM_LBUTTONUP, 6, KXSPIN_NORMAL},
        {WM_LBUTTONDOWN, 30, KXSPIN_SECOND_PRESSED}, {WM_MOUSEMOVE, 2, KXSPIN_SECOND_OUTSIDE},
        {WM_MOUSEMOVE, 35, KXSPIN_SECOND_PRESSED}, {WM_LBUTTONUP, 35, KXSPIN_NORMAL},
        {WM_MOUSEMOVE, 5, KXSPIN_NORMAL}, // without a press nothing changes
    };
    for (const Step& step : steps) {
        f.Mouse(step.message, 10, step.y);
        EXPECT_EQ(f.spin.GetSpinState(), step.state) << step.message << " at " << step.y;
    }
}

TEST(SpinButton, PressedArrowLosesItsFrameAndMovesOnePixel)
{
    SpinFixture f(false, 16, 40);
    DibSurface normal(16, 40), pressed(16, 40);
    f.spin.Paint(normal);
    f.Mouse(WM_LBUTTONDOWN, 10, 5);
    f.spin.Paint(pressed);
    const RECT first = f.spin.GetArrowRect(TRUE), second = f.spin.GetArrowRect(FALSE);
    EXPECT_EQ(pressed.count(kFrame, first), 0);
    EXPECT_EQ(pressed.count(kFrame, second), normal.count(kFrame, second));
    RECT moved = ArrowBounds(normal, first);
    OffsetRect(&moved, 1, 1);
    EXPECT_EQ(CRect(ArrowBounds(pressed, first)), CRect(moved));
    EXPECT_EQ(CRect(ArrowBounds(pressed, second)), CRect(ArrowBounds(normal, second)));

    // Without the pressed effect the arrow stays; dragging out gives the frame back.
    f.spin.EnablePressedEff(FALSE);
    DibSurface still(16, 40);
    f.spin.Paint(still);
    EXPECT_EQ(CRect(ArrowBounds(still, first)), CRect(ArrowBounds(normal, first)));
    f.spin.EnablePressedEff(TRUE);
    f.Mouse(WM_MOUSEMOVE, 10, 30);
    DibSurface outside(16, 40);
    f.spin.Paint(outside);
    EXPECT_EQ(outside.count(kFrame, first), normal.count(kFrame, first));
    EXPECT_EQ(CRect(ArrowBounds(outside, first)), CRect(ArrowBounds(normal, first)));
    f.Mouse(WM_LBUTTONUP, 10, 30);
}

TEST(SpinButton, ThreeDBorderSinksUnderThePressedArrow)
{
    SpinFixture f(false, 16, 40);
    f.spin.SetSpinStyle(KXSPIN_3D);
    EXPECT_EQ(f.spin.GetSpinStyle(), KXSPIN_3D);
    DibSurface raised(16, 40), sunken(16, 40);
    f.spin.Paint(raised);
    f.Mouse(WM_LBUTTONDOWN, 10, 5);
    f.spin.Paint(sunken);
    f.Mouse(WM_LBUTTONUP, 10, 5);
    EXPECT_NE(raised.pixel(0, 0), raised.pixel(15, 19));
    EXPECT_EQ(raised.pixel(0, 0), sunken.pixel(15, 19));
    EXPECT_EQ(raised.pixel(15, 19), sunken.pixel(0, 0));
    EXPECT_EQ(raised.pixel(0, 20), sunken.pixel(0, 20)); // the other half stays raised
}

TEST(SpinButton, DisabledControlUsesTheDisabledColourAndState)
{
    SpinFixture f(true, 40, 20);
    f.spin.EnableWindow(FALSE);
    EXPECT_TRUE(f.spin.InitSpinCtrl());
    EXPECT_EQ(f.spin.GetSpinState(), KXSPIN_DISABLED);
    DibSurface surface(40, 20);
    f.spin.Paint(surface);
    EXPECT_EQ(surface.count(kArrow), 0);
    EXPECT_GT(surface.count(kArrowDisabled, f.spin.GetArrowRect(TRUE)), 0);
    EXPECT_GT(surface.count(kArrowDisabled, f.spin.GetArrowRect(FALSE)), 0);

    TestSpin unmade;
    EXPECT_FALSE(unmade.InitSpinCtrl());
}

TEST(SpinButton, SettersOnlyStoreUntilTheNextPaint)
{
    SpinFixture f(false, 16, 40);
    f.spin.arrowPaints = 0;
    f.spin.SetBKColor(RGB(10, 20, 30));
    f.spin.SetBorderColor(RGB(200, 0, 0));
    f.spin.SetArrowColor(RGB(0, 200, 0), TRUE);
    f.spin.SetArrowColor(RGB(0, 0, 200), FALSE);
    f.spin.EnableBorder(FALSE);
    f.spin.SetTransparent(TRUE);
    EXPECT_EQ(f.spin.arrowPaints, 0);
    EXPECT_FALSE(f.spin.HasBorder());
    EXPECT_TRUE(f.spin.IsTransparent());
    EXPECT_TRUE(f.spin.HasPressedEff());

    DibSurface surface(16, 40, RGB(255, 255, 255));
    f.spin.Paint(surface);
    EXPECT_GT(surface.count(RGB(0, 200, 0)), 0);
    EXPECT_EQ(surface.count(RGB(200, 0, 0)), 0);          // no border
    EXPECT_EQ(surface.pixel(1, 1), RGB(255, 255, 255));   // transparent: nothing filled
}

TEST(SpinButton, WrapperKeepsThePlatformMeaning)
{
    RecordingParent parent;
    CWnd edit;
    edit.CreateEx(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 60, 20}, &parent, 4);
    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(WS_VISIBLE | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, RECT{60, 0, 76, 20}, &parent, 5));
    EXPECT_EQ(spin.SetBuddy(&edit), nullptr);
    spin.SetRange32(-100, 100000);
    EXPECT_EQ(spin.SetPos32(70000), 0);
    BOOL error = TRUE;
    EXPECT_EQ(spin.GetPos32(&error), 70000);
    EXPECT_FALSE(error);
    EXPECT_EQ(spin.SetPos32(-500), 70000);
    EXPECT_EQ(spin.GetPos32(), -100); // clamped to the range
    wchar_t text[16] = {};
    GetWindowTextW(edit, text, 16);
    EXPECT_STREQ(text, L"-100");
}
