#include <util/kxmsg.h>
#include <util/kxstatic.h>

#include <gtest/gtest.h>

#include <ctime>

#include "controls/controls_host.h"
#include "support/dib.h"
#include "support/recording_parent.h"

using controlstest::PaintNow;
using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const COLORREF kBorder = RGB(200, 0, 0);
const COLORREF kOwnBack = RGB(0, 90, 0);

class TestStatic : public CKXStatic {
public:
    using CKXStatic::m_dcMem;
};

class TestGroupBox : public CKXGroupBox {
public:
    using CKXGroupBox::m_dcMem;
};

class TestTimer : public CKXTimer {
public:
    using CKXTimer::m_dcMem;
    using CKXTimer::m_szDisplay;
};

TEST(KxStatic, WithItsOwnBackgroundNeverAsksTheParentAgain)
{
    RecordingParent parent;
    parent.SetAnswer(WM_KX_PAINTBK, 1);
    TestStatic label;
    ASSERT_TRUE(label.Create(L"委托数量", WS_VISIBLE, RECT{10, 10, 110, 30}, &parent));
    PaintNow(label);
    EXPECT_EQ(1u, parent.Messages(WM_KX_PAINTBK).size());

    label.SetBgColor(kOwnBack);
    PaintNow(label);
    label.SetWindowText(L"可用资金");
    PaintNow(label);
    EXPECT_EQ(1u, parent.Messages(WM_KX_PAINTBK).size());
    DibSurface surface(100, 20);
    controlstest::CopyImage(label.m_dcMem, label, surface);
    EXPECT_EQ(kOwnBack, surface.pixel(98, 18));
}

TEST(KxStatic, ShowsTheDialogsBackgroundAndWrapsItsText)
{
    controlstest::KxDialogHost host;
    ASSERT_NE(nullptr, host.get());
    TestStatic label;
    ASSERT_TRUE(label.Create(L"Orders placed after the close are sent at the next open", WS_VISIBLE,
                             RECT{10, 10, 90, 70}, host.get()));
    label.SetTextColor(RGB(0, 0, 0));
    PaintNow(label);
    DibSurface surface(80, 60, RGB(255, 0, 0));
    controlstest::CopyImage(label.m_dcMem, label, surface);
    EXPECT_EQ(0, surface.count(RGB(255, 0, 0)));
    // The text runs over several lines.
    EXPECT_LT(surface.count(KXDLG_CLR_BACKGROUND, RECT{0, 30, 80, 60}), 80 * 30);
}

struct GroupCase {
    const wchar_t* title;
    bool gap;
};

class GroupBoxTop : public testing::TestWithParam<GroupCase> {};

TEST_P(GroupBoxTop, LeavesAGapForTheTitleOnly)
{
    RecordingParent parent;
    TestGroupBox group;
    ASSERT_TRUE(group.Create(GetParam().title, WS_VISIBLE, RECT{10, 10, 170, 90}, &parent));
    group.SetBorderColor(kBorder);
    group.SetBgColor(RGB(255, 255, 255));
    PaintNow(group);
    DibSurface surface(160, 80);
    controlstest::CopyImage(group.m_dcMem, group, surface);

    int y0 = -1;
    for (int y = 0; y < 40 && y0 < 0; ++y) {
        y0 = surface.pixel(0, y) == kBorder ? y : -1;
    }
    ASSERT_GE(y0, 3);
    EXPECT_EQ(y0, surface.count(RGB(255, 255, 255), RECT{0, 0, 1, 80})); // the left edge starts at y0
    const int topEdge = surface.count(kBorder, RECT{0, y0, 160, y0 + 1});
    EXPECT_EQ(GetParam().gap, topEdge < 160 - 8);
    EXPECT_EQ(surface.pixel(8, y0) == kBorder, !GetParam().gap);
    EXPECT_EQ(80 - y0, surface.count(kBorder, RECT{159, 0, 160, 80}));
    EXPECT_EQ(160, surface.count(kBorder, RECT{0, 79, 160, 80}));
}

INSTANTIATE_TEST_SUITE_P(Titles, GroupBoxTop, testing::Values(GroupCase{L"", false}, GroupCase{L"账户信息", true}));

TEST(KxTimer, ShowsNothingUntilShownThenTheTimeOfEachTick)
{
    RecordingParent parent;
    TestTimer clock;
    ASSERT_TRUE(clock.Create(L"", WS_VISIBLE, RECT{0, 0, 80, 20}, &parent));
    wchar_t className[32] = {};
    GetClassNameW(clock, className, 32);
    EXPECT_STREQ(L"KXTimerEx", className);
    PaintNow(clock);
    EXPECT_STREQ(L"", clock.m_szDisplay);
    const CSize before = clock.GetDispSize();
    EXPECT_GT(before.cx, 4);
    EXPECT_GT(before.cy, 4);
    EXPECT_FALSE(KillTimer(clock, CKXTimer::KXTIMER_ID));

    clock.Show();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    clock.SendMessage(WM_TIMER, CKXTimer::KXTIMER_ID);
    int h = 0, m = 0, s = 0;
    ASSERT_EQ(3, swscanf(clock.m_szDisplay, L"%d:%d:%d", &h, &m, &s));
    const int shown = h * 3600 + m * 60 + s;
    const int expected = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    EXPECT_LE((shown - expected + 86400) % 86400, 1);
    EXPECT_EQ(8u, wcslen(clock.m_szDisplay));
    EXPECT_TRUE(KillTimer(clock, CKXTimer::KXTIMER_ID));
    EXPECT_EQ(before, clock.GetDispSize());

    CKXTimer unmade;
    EXPECT_EQ(CSize(0, 0), unmade.GetDispSize());
}

TEST(KxTimer, FillsItsColourWhenTheParentPaintsNothing)
{
    RecordingParent parent;
    TestTimer clock;
    ASSERT_TRUE(clock.Create(L"", WS_VISIBLE, RECT{0, 0, 80, 20}, &parent));
    clock.SetBkColor(kOwnBack);
    PaintNow(clock);
    DibSurface surface(80, 20);
    controlstest::CopyImage(clock.m_dcMem, clock, surface);
    EXPECT_EQ(80 * 20, surface.count(kOwnBack));
}

} // namespace
