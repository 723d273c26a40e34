#include <util/scrollbar.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"
#include "support/recording_parent.h"

using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const COLORREF kBarBack = RGB(0, 0, 0);
const COLORREF kBarLines = RGB(192, 0, 0);

// The bar with its geometry and hook procedure in reach.
class TestBar : public CKxScrollBar {
public:
    using CKxScrollBar::m_bMinThumb;
    using CKxScrollBar::m_nThumbPos;
    using CKxScrollBar::m_rcArrow1;
    using CKxScrollBar::m_rcArrow2;
    using CKxScrollBar::m_rcPage1;
    using CKxScrollBar::m_rcPage2;
    using CKxScrollBar::m_rcThumb;
    using CKxScrollBar::ScrollBarInputFilter;

    // Paints the bar as the screen would show it into dc.
    void PaintInto(HDC dc) { ReDraw(CDC::FromHandle(dc), TRUE); }
};

// One scroll message the buddy received, with the whole position it read back from the bar then.
struct Scroll {
    UINT message;
    int code;
    int packedPosition; // the message's 16-bit high word
    int position;       // GetScrollInfo through WM_KX_GETSCROLLINFO
};

// A child window that takes the bar as its buddy and records what the bar tells it.
class RecordingBuddy : public CWnd {
public:
    explicit RecordingBuddy(CWnd* parent)
    {
        CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, RECT{40, 0, 240, 200}, parent, 7);
    }

    std::vector<Scroll> scrolls;
    std::vector<std::pair<WPARAM, LPARAM>> buddyNotices;

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (const Scroll& scroll : scrolls) {
            codes.push_back(scroll.code);
        }
        return codes;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_VSCROLL || message == WM_HSCROLL) {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            ::SendMessageW(reinterpret_cast<HWND>(lParam), WM_KX_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info));
            scrolls.push_back({message, LOWORD(wParam), HIWORD(wParam), info.nPos});
            return 0;
        }
        if (message == WM_KX_SCROLLBUDDY) {
            buddyNotices.emplace_back(wParam, lParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

SCROLLINFO Info(int minimum, int maximum, UINT page, int position)
{
    SCROLLINFO info{sizeof(info), SIF_ALL, minimum, maximum, page, position, 0};
    return info;
}

// A parent with a bar of the given orientation and size at (0, 0) and a buddy beside it.
struct BarFixture {
    BarFixture(int orientation, int width, int height) : parent(400, 300), buddy(&parent)
    {
        bar.Create(orientation, RECT{0, 0, width, height}, &parent, 1);
        bar.SetBuddy(&buddy);
        buddy.buddyNotices.clear();
    }
    void SetRange(int minimum, int maximum, UINT page, int position)
    {
        const SCROLLINFO info = Info(minimum, maximum, page, position);
        bar.SetScrollInfo(&info, TRUE);
    }
    void Send(UINT message, int x, int y) { bar.SendMessage(message, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Click(int x, int y)
    {
        Send(WM_LBUTTONDOWN, x, y);
        Send(WM_LBUTTONUP, x, y);
    }

    RecordingParent parent;
    RecordingBuddy buddy;
    TestBar bar;
};

void ExpectRect(const RECT& actual, const RECT& expected, const char* what)
{
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

} // namespace

// ---- creation and scroll information ----

TEST(ScrollBar, CreateNeedsAParentAndMakesAVisibleChildOfItsClass)
{
    TestBar orphan;
    EXPECT_FALSE(orphan.Create(KXSB_VERT, RECT{0, 0, 17, 100}, nullptr, 1));

    BarFixture f(KXSB_VERT, 17, 200);
    ASSERT_TRUE(f.bar.IsWindow());
    wchar_t className[32] = {};
    GetClassNameW(f.bar, className, 32);
    EXPECT_STREQ(className, L"KXScrollBar");
    EXPECT_TRUE(f.bar.IsWindowVisible());
    EXPECT_EQ(f.bar.GetStyle() & (WS_CHILD | WS_CLIPCHILDREN | 0xB), DWORD(WS_CHILD | WS_CLIPCHILDREN | 0xB));
    EXPECT_EQ(f.bar.ModifyKXStyle(KXSB_HORZ), KXSB_VERT);
    EXPECT_EQ(f.bar.GetKXStyle(), KXSB_HORZ);
}

TEST(ScrollBar, SetBuddyTellsTheBuddyTheOrientationAndTheBar)
{
    for (int orientation : {KXSB_VERT, KXSB_HORZ}) {
        BarFixture f(orientation, 17, 200);
        EXPECT_EQ(f.bar.SetBuddy(&f.buddy), &f.buddy);
        ASSERT_EQ(f.buddy.buddyNotices.size(), 1u);
        EXPECT_EQ(f.buddy.buddyNotices[0].first, WPARAM(orientation == KXSB_HORZ ? 1 : 0));
        EXPECT_EQ(f.buddy.buddyNotices[0].second, reinterpret_cast<LPARAM>(f.bar.m_hWnd));
        EXPECT_EQ(f.bar.GetBuddy(), &f.buddy);
        EXPECT_EQ(f.bar.SetBuddy(nullptr), nullptr);
        EXPECT_EQ(f.bar.GetBuddy(), nullptr);
    }
    // A buddy that is gone is no buddy: presses change the position and tell nobody.
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    f.buddy.DestroyWindow();
    EXPECT_EQ(f.bar.GetBuddy(), nullptr);
    f.Click(8, 195);
    EXPECT_EQ(f.bar.GetScrollPos(), 41);
    EXPECT_TRUE(f.buddy.scrolls.empty());
}

TEST(ScrollBar, SetScrollInfoStoresTheRecordAndPullsAVerticalPageBackInside)
{
    struct Case {
        int orientation;
        SCROLLINFO in;
        int min, max, page, pos;
    };
    const Case cases[] = {
        {KXSB_VERT, Info(0, 99, 20, 40), 0, 99, 20, 40},
        {KXSB_VERT, Info(0, 99, 20, 90), 0, 99, 20, 80},      // page past the end: pulled back
        {KXSB_VERT, Info(0, 199999, 50, 150000), 0, 199999, 50, 150000},
        {KXSB_VERT, Info(0, 0, 20, 0), 0, 0, 20, 0},           // nothing to scroll: cleared but the page
        {KXSB_VERT, Info(5, 0, 7, 3), 0, 0, 7, 5},             // inverted: pulled to the minimum, cleared
        {KXSB_HORZ, Info(0, 99, 20, 80), 0, 99, 20, 80},
    };
    for (const Case& c : cases) {
        BarFixture f(c.orientation, 17, 200);
        EXPECT_EQ(f.bar.SetScrollInfo(&c.in, TRUE), TRUE);
        SCROLLINFO out{};
        EXPECT_EQ(f.bar.SendMessage(WM_KX_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&out)), 1);
        EXPECT_EQ(out.nMin, c.min);
        EXPECT_EQ(out.nMax, c.max);
        EXPECT_EQ(out.nPage, UINT(c.page));
        EXPECT_EQ(out.nPos, c.pos);
        EXPECT_EQ(f.bar.GetScrollPos(), c.pos);
    }
    BarFixture f(KXSB_VERT, 17, 200);
    EXPECT_FALSE(f.bar.SetScrollInfo(nullptr, TRUE));
    EXPECT_FALSE(f.bar.GetScrollInfo(nullptr));
    const SCROLLINFO info = Info(0, 99, 20, 10);
    EXPECT_EQ(f.bar.SendMessage(WM_KX_SETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(f.bar.GetScrollLimit(), 80);
    int minimum = -1, maximum = -1;
    f.bar.SetScrollRange(0, 49, FALSE);
    f.bar.GetScrollRange(&minimum, &maximum);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 49);
    EXPECT_EQ(f.bar.SetScrollPos(12, FALSE), 0);
    EXPECT_EQ(f.bar.GetScrollPos(), 12);
}

// ---- geometry ----

TEST(ScrollBar, ThumbAndPagesFollowTheRangeInBothOrientations)
{
    struct Case {
        int orientation;
        int maximum, position;
        BYTE minThumb;
        RECT thumb, page1, page2;
    };
    // A 17 x 200 bar with page 20: ratio 1.66 gives start 83 and length 33; with 1000 rows the length
    // becomes 18 and the free track 148 pixels is spread over the limit 980.
    const Case cases[] = {
        {KXSB_VERT, 99, 40, 0, {1, 83, 15, 114}, {0, 17, 17, 83}, {0, 114, 17, 183}},
        {KXSB_VERT, 999, 40, 1, {1, 23, 15, 39}, {0, 17, 17, 23}, {0, 39, 17, 183}},
        {KXSB_VERT, 999, 980, 1, {1, 165, 15, 181}, {0, 17, 17, 165}, {0, 181, 17, 183}},
        {KXSB_HORZ, 99, 40, 0, {84, 1, 115, 15}, {17, 0, 84, 17}, {115, 0, 183, 17}},
        {KXSB_HORZ, 999, 40, 1, {23, 1, 39, 15}, {17, 0, 23, 17}, {39, 0, 183, 17}},
    };
    for (const Case& c : cases) {
        const bool vertical = c.orientation == KXSB_VERT;
        BarFixture f(c.orientation, vertical ? 17 : 200, vertical ? 200 : 17);
        f.SetRange(0, c.maximum, 20, c.position);
        ExpectRect(f.bar.m_rcArrow1, vertical ? RECT{0, 0, 17, 17} : RECT{0, 0, 17, 17}, "first arrow");
        ExpectRect(f.bar.m_rcArrow2, vertical ? RECT{0, 183, 17, 200} : RECT{183, 0, 200, 17}, "second arrow");
        ExpectRect(f.bar.m_rcThumb, c.thumb, "thumb");
        ExpectRect(f.bar.m_rcPage1, c.page1, "page before");
        ExpectRect(f.bar.m_rcPage2, c.page2, "page after");
        EXPECT_EQ(f.bar.m_bMinThumb, c.minThumb);
    }
}

// ---- painting ----

TEST(ScrollBar, PaintsLinesArrowsAndThumbInItsColours)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    DibSurface surface(17, 200, RGB(255, 255, 255));
    f.bar.PaintInto(surface.dc());

    // Lines: the right edge, under the up arrow, over the down arrow and the bottom row.
    for (int y : {0, 50, 199}) {
        EXPECT_EQ(surface.pixel(16, y), kBarLines) << y;
    }
    for (int x : {0, 8, 15}) {
        EXPECT_EQ(surface.pixel(x, 16), kBarLines) << x;
        EXPECT_EQ(surface.pixel(x, 183), kBarLines) << x;
        EXPECT_EQ(surface.pixel(x, 199), kBarLines) << x;
    }
    // Arrow glyphs: a tip and rows of 3, 5 and 7 pixels (l' = -1, d = 9).
    const struct {
        int y, from, count;
    } rows[] = {{7, 8, 1}, {8, 7, 3}, {9, 6, 5}, {10, 5, 7}, {192, 8, 1}, {191, 7, 3}, {190, 6, 5}, {189, 5, 7}};
    for (const auto& row : rows) {
        EXPECT_EQ(surface.count(kBarLines, RECT{0, row.y, 16, row.y + 1}), row.count) << row.y;
        EXPECT_EQ(surface.pixel(row.from, row.y), kBarLines) << row.y;
        EXPECT_EQ(surface.pixel(row.from - 1, row.y), kBarBack) << row.y;
    }
    // The thumb (1, 83)-(15, 114) is copied one pixel down: outline rows 84 and 114, grip at the centre.
    EXPECT_EQ(surface.count(kBarLines, RECT{1, 84, 15, 85}), 14);
    EXPECT_EQ(surface.count(kBarLines, RECT{1, 114, 15, 115}), 14);
    const int cx = 8, cy = 98 + 1;
    for (int dx : {-3, 0, 3}) {
        for (int dy : {-3, 0, 3}) {
            EXPECT_EQ(surface.pixel(cx + dx, cy + dy), kBarLines) << dx << "," << dy;
        }
    }
    EXPECT_EQ(surface.pixel(cx + 1, cy), kBarBack);
    EXPECT_EQ(surface.pixel(8, 60), kBarBack); // the track

    // Colours that painting reads change the picture; the two stored-only ones do not.
    DibSurface again(17, 200);
    f.bar.SetBarBkColor(RGB(0, 255, 0));
    f.bar.SetBarBorderColor(RGB(0, 0, 255));
    f.bar.PaintInto(again.dc());
    EXPECT_EQ(again.count(kBarLines), surface.count(kBarLines));
    EXPECT_EQ(again.count(kBarBack), surface.count(kBarBack));
    f.bar.SetScorllBarBkColor(RGB(0, 0, 80));
    f.bar.SetTriangleBorderColor(RGB(0, 200, 0));
    f.bar.PaintInto(again.dc());
    EXPECT_EQ(again.pixel(8, 60), RGB(0, 0, 80));
    EXPECT_EQ(again.count(RGB(0, 200, 0)), 2 * (1 + 3 + 5 + 7));
}

TEST(ScrollBar, HorizontalArrowsPointLeftAndRight)
{
    BarFixture f(KXSB_HORZ, 200, 17);
    f.SetRange(0, 99, 20, 40);
    DibSurface surface(200, 17);
    f.bar.PaintInto(surface.dc());
    // Columns of 1, 3, 5 and 7 pixels from the tips (t' = -1, e = 9) at x = 6 and 192.
    const struct {
        int x, count;
    } columns[] = {{6, 1}, {7, 3}, {8, 5}, {9, 7}, {192, 1}, {191, 3}, {190, 5}, {189, 7}};
    for (const auto& column : columns) {
        EXPECT_EQ(surface.count(kBarLines, RECT{column.x, 1, column.x + 1, 16}), column.count) << column.x;
    }
}

TEST(ScrollBar, InvalidRangeDrawsNoThumb)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 10, 20, 0); // the page is larger than the range
    DibSurface surface(17, 200);
    f.bar.PaintInto(surface.dc());
    EXPECT_EQ(surface.count(kBarLines, RECT{0, 17, 16, 183}), 0);
}

TEST(ScrollBar, RepaintsAndCyclesKeepGdiObjectsSteady)
{
    auto cycle = [] {
        BarFixture f(KXSB_VERT, 17, 200);
        f.SetRange(0, 999, 20, 40);
        for (int i = 0; i < 50; ++i) {
            f.bar.SetScrollPos(i * 10);
        }
    };
    cycle();
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        cycle();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

// ---- mouse ----

TEST(ScrollBar, PressesOnArrowsAndPagesStepAndNotify)
{
    struct Case {
        int startPos;
        POINT press;
        int endPos;
        std::vector<int> codes;
    };
    // Range 0-99, page 20: limit 80; the thumb at 40 spans 83-114.
    const Case cases[] = {
        {40, {8, 5}, 39, {SB_LINEUP}},
        {0, {8, 5}, 0, {}},
        {40, {8, 195}, 41, {SB_LINEDOWN}},
        {80, {8, 195}, 80, {}},
        {40, {8, 30}, 20, {SB_PAGEUP}},
        {10, {8, 20}, 0, {SB_PAGEUP}},
        {40, {8, 150}, 60, {SB_PAGEDOWN}},
        {70, {8, 182}, 80, {SB_PAGEDOWN}},
        {40, {8, 100}, 40, {}}, // the thumb: a press alone reports nothing
    };
    for (const Case& c : cases) {
        BarFixture f(KXSB_VERT, 17, 200);
        f.SetRange(0, 99, 20, c.startPos);
        f.Click(c.press.x, c.press.y);
        EXPECT_EQ(f.bar.GetScrollPos(), c.endPos) << c.startPos << " at " << c.press.y;
        EXPECT_EQ(f.buddy.Codes(), c.codes) << c.startPos << " at " << c.press.y;
        for (const Scroll& scroll : f.buddy.scrolls) {
            EXPECT_EQ(scroll.message, UINT(WM_VSCROLL));
            EXPECT_EQ(scroll.packedPosition, c.endPos);
        }
    }
}

TEST(ScrollBar, NoBuddyMessagesWhenThePageCoversTheRange)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    f.bar.SetScrollRange(0, 10, FALSE); // maximum - minimum < page
    f.bar.SetScrollPos(5, FALSE);
    f.bar.SendMessage(WM_KX_SCROLLWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    f.Click(8, 5);
    EXPECT_TRUE(f.buddy.scrolls.empty());
}

TEST(ScrollBar, HeldArrowRepeatsAfterTheFirstDelayWhileThePointerStaysOnIt)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    f.Send(WM_LBUTTONDOWN, 8, 195);
    EXPECT_EQ(f.buddy.Codes(), std::vector<int>{SB_LINEDOWN});

    f.bar.SendMessage(WM_TIMER, 1002); // not repeating yet: nothing
    EXPECT_EQ(f.buddy.scrolls.size(), 1u);
    f.bar.SendMessage(WM_TIMER, 1001); // the first delay is over: repeating starts, no step yet
    EXPECT_EQ(f.buddy.scrolls.size(), 1u);
    f.bar.SendMessage(WM_TIMER, 1002);
    f.bar.SendMessage(WM_TIMER, 1002);
    EXPECT_EQ(f.buddy.Codes(), (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN}));
    EXPECT_EQ(f.bar.GetScrollPos(), 43);

    f.Send(WM_MOUSEMOVE, 8, 100); // off the arrow: the next tick stops repeating
    f.bar.SendMessage(WM_TIMER, 1002);
    f.Send(WM_MOUSEMOVE, 8, 195);
    f.bar.SendMessage(WM_TIMER, 1002);
    EXPECT_EQ(f.buddy.scrolls.size(), 3u);
    f.Send(WM_LBUTTONUP, 8, 195);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST(ScrollBar, RepeatedPageStepsReportThePositionBeforeTheStep)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 20);
    f.Send(WM_LBUTTONDOWN, 8, 182); // page after, far below the thumb
    f.bar.SendMessage(WM_TIMER, 1001);
    for (int tick = 0; tick < 3; ++tick) {
        f.bar.SendMessage(WM_TIMER, 1002);
    }
    // The press reports the new position, each repeat the one it started from; none at the limit.
    ASSERT_EQ(f.buddy.scrolls.size(), 3u);
    EXPECT_EQ(f.buddy.scrolls[0].packedPosition, 40);
    EXPECT_EQ(f.buddy.scrolls[1].packedPosition, 40);
    EXPECT_EQ(f.buddy.scrolls[2].packedPosition, 60);
    EXPECT_EQ(f.bar.GetScrollPos(), 80);
}

TEST(ScrollBar, RepeatStartsOnTheRealTimerAfterAboutASecond)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 10);
    // Moves the platform makes up while the bar holds the mouse report where the pointer really is.
    POINT arrow{8, 195};
    ClientToScreen(f.bar, &arrow);
    SetCursorPos(arrow.x, arrow.y);
    f.Send(WM_LBUTTONDOWN, 8, 195);
    testsupport::PumpFor(500);
    EXPECT_EQ(CWnd::GetCapture(), &f.bar);
    EXPECT_EQ(f.buddy.scrolls.size(), 1u);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return f.buddy.scrolls.size() >= 4; }, 3000));
    f.Send(WM_LBUTTONUP, 8, 195);
    const size_t afterRelease = f.buddy.scrolls.size();
    testsupport::PumpFor(200);
    EXPECT_EQ(f.buddy.scrolls.size(), afterRelease);
}

TEST(ScrollBar, DraggingTheThumbReachesBothEndsPast65535)
{
    for (int orientation : {KXSB_VERT, KXSB_HORZ}) {
        const bool vertical = orientation == KXSB_VERT;
        BarFixture f(orientation, vertical ? 17 : 200, vertical ? 200 : 17);
        f.SetRange(0, 199999, 50, 100000);
        const CPoint grip = f.bar.m_rcThumb.CenterPoint();
        auto at = [&](int along) { return vertical ? CPoint(grip.x, along) : CPoint(along, grip.y); };
        const int along = vertical ? grip.y : grip.x;
        f.Send(WM_LBUTTONDOWN, grip.x, grip.y);
        for (int to : {along + 30, 400, -200}) {
            const CPoint p = at(to);
            f.Send(WM_MOUSEMOVE, p.x, p.y);
        }
        f.Send(WM_LBUTTONUP, at(-200).x, at(-200).y);
        ASSERT_EQ(f.buddy.scrolls.size(), 3u);
        const int limit = 199999 - 50 + 1;
        const int expected[] = {-1, limit, 0}; // -1: somewhere between
        for (size_t i = 0; i < 3; ++i) {
            const Scroll& s = f.buddy.scrolls[i];
            EXPECT_EQ(s.code, SB_THUMBTRACK);
            EXPECT_EQ(s.message, UINT(vertical ? WM_VSCROLL : WM_HSCROLL));
            EXPECT_EQ(s.packedPosition, s.position & 0xFFFF);
            if (expected[i] >= 0) {
                EXPECT_EQ(s.position, expected[i]) << i;
            } else {
                EXPECT_GT(s.position, 65535) << i;
                EXPECT_LT(s.position, limit) << i;
            }
        }
        EXPECT_EQ(f.bar.GetScrollPos(), 0);
    }
}

// ---- wheel ----

TEST(ScrollBar, RoutedWheelMovesByTheWheelLinesAndStopsAtTheEnds)
{
    UINT savedLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
    struct Case {
        int orientation, startPos, delta, endPos;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {KXSB_VERT, 40, -WHEEL_DELTA, 43, {SB_THUMBPOSITION}},
        {KXSB_VERT, 78, -WHEEL_DELTA, 80, {SB_THUMBPOSITION, SB_ENDSCROLL}},
        {KXSB_VERT, 77, -WHEEL_DELTA, 80, {SB_THUMBPOSITION, SB_ENDSCROLL}},
        {KXSB_VERT, 40, WHEEL_DELTA, 37, {SB_THUMBPOSITION}},
        {KXSB_VERT, 2, WHEEL_DELTA, 0, {SB_THUMBPOSITION, SB_ENDSCROLL}},
        {KXSB_VERT, 40, 60, 40, {}},
        {KXSB_HORZ, 40, -WHEEL_DELTA, 40, {}},
    };
    for (const Case& c : cases) {
        BarFixture f(c.orientation, 17, 200);
        f.SetRange(0, 99, 20, c.startPos);
        const LRESULT answer = f.bar.SendMessage(WM_KX_SCROLLWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.delta)), 0);
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(f.bar.GetScrollPos(), c.endPos) << c.startPos << " " << c.delta;
        EXPECT_EQ(f.buddy.Codes(), c.codes) << c.startPos << " " << c.delta;
    }
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);
}

namespace {

// What the hook does with a wheel message for the window: 1 when it took it.
LRESULT FilterWheel(HWND target)
{
    MOUSEHOOKSTRUCTEX mouse{};
    mouse.hwnd = target;
    mouse.pt = {10, 10};
    mouse.mouseData = MAKELONG(0, static_cast<WORD>(-WHEEL_DELTA));
    return TestBar::ScrollBarInputFilter(HC_ACTION, WM_MOUSEWHEEL, reinterpret_cast<LPARAM>(&mouse));
}

// A focusable child of the buddy, as an edit inside a grid's window would be.
HWND MakeFocusChild(HWND buddy)
{
    return CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, buddy, nullptr, nullptr, nullptr);
}

} // namespace

TEST(ScrollBar, HookRoutesTheWheelFromInsideTheBuddyToItsBar)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    const HWND inner = MakeFocusChild(f.buddy);
    SetFocus(inner);
    ASSERT_EQ(GetFocus(), inner);

    EXPECT_EQ(FilterWheel(inner), 1);
    EXPECT_EQ(FilterWheel(f.bar), 1); // at the bar itself: swallowed, nothing routed
    testsupport::PumpPending();
    ASSERT_EQ(f.buddy.Codes(), std::vector<int>{SB_THUMBPOSITION});
    EXPECT_GT(f.bar.GetScrollPos(), 40);
    EXPECT_EQ(f.bar.GetScrollPos(), f.buddy.scrolls[0].position);

    SetFocus(f.parent);
    EXPECT_EQ(FilterWheel(f.parent), 0); // outside any buddy: passed on
}

TEST(ScrollBar, DestroyedOrReBuddiedBarsNoLongerTakeTheWheel)
{
    RecordingParent parent(400, 300);
    RecordingBuddy first(&parent), second(&parent);
    auto bar = std::make_unique<TestBar>();
    bar->Create(KXSB_VERT, RECT{0, 0, 17, 200}, &parent, 1);
    const SCROLLINFO info = Info(0, 99, 20, 40);
    bar->SetScrollInfo(&info, TRUE);
    bar->SetBuddy(&first);
    // A second bar keeps the hook alive after the first one goes.
    TestBar other;
    other.Create(KXSB_VERT, RECT{300, 0, 317, 200}, &parent, 2);
    other.SetBuddy(&second);

    bar->SetBuddy(&second); // takes the second buddy from the other bar
    SetFocus(first);
    EXPECT_EQ(FilterWheel(first), 0);
    SetFocus(second);
    EXPECT_EQ(FilterWheel(second), 1);
    testsupport::PumpPending();
    EXPECT_EQ(second.scrolls.size(), 1u);

    const HWND deadBar = bar->m_hWnd;
    bar.reset();
    EXPECT_EQ(FilterWheel(deadBar), 0);
    EXPECT_EQ(FilterWheel(second), 0); // its bar is gone: nothing posted to the dead handle
    EXPECT_EQ(FilterWheel(other), 1);
}

TEST(ScrollBar, RealWheelInputOverTheFocusedBuddyScrollsIt)
{
    BarFixture f(KXSB_VERT, 17, 200);
    f.SetRange(0, 99, 20, 40);
    SetForegroundWindow(f.parent);
    const HWND inner = MakeFocusChild(f.buddy);
    SetFocus(inner);
    POINT over{100, 100};
    ClientToScreen(f.buddy, &over);
    SetCursorPos(over.x, over.y);
    testsupport::PumpPending();
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    ASSERT_EQ(SendInput(1, &input, sizeof(input)), 1u);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !f.buddy.scrolls.empty(); }, 2000));
    EXPECT_GT(f.bar.GetScrollPos(), 40);
}
