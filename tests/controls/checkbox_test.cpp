#include <util/checkbox.h>
#include <util/kxmsg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "controls/controls_host.h"
#include "support/dib.h"
#include "support/pump.h"
#include "support/recording_parent.h"

using controlstest::At;
using controlstest::PaintNow;
using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const UINT kId = 41;
const COLORREF kRed = RGB(220, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

class TestCheckBox : public CKxCheckBox {
public:
    using CKxCheckBox::m_dcMem;
    using CKxCheckBox::m_rcBox;

    // The last painted picture.
    void Capture(DibSurface& surface) { controlstest::CopyImage(m_dcMem, m_hWnd, surface); }
};

class TestRadio : public CKXRadioButton {
public:
    using CKXRadioButton::m_dcMem;
    using CKXRadioButton::m_font;
    using CKXRadioButton::m_rcCycle;
};

bool Reddish(COLORREF c)
{
    return GetRValue(c) > 150 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

bool DarkGrey(COLORREF c)
{
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) < 200;
}

int CountIn(const DibSurface& surface, const RECT& area, const std::function<bool(COLORREF)>& match)
{
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            count += match(surface.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

struct BackgroundCase {
    LRESULT parentAnswer;
    bool filled; // the control's own colour, not the parent's
};

class CheckBoxBackground : public testing::TestWithParam<BackgroundCase> {};

TEST_P(CheckBoxBackground, OnlyAnAnswerOfOneKeepsTheParentsBackground)
{
    RecordingParent parent;
    parent.SetAnswer(WM_KX_PAINTBK, GetParam().parentAnswer);
    TestCheckBox box;
    ASSERT_TRUE(box.Create(WS_VISIBLE, RECT{10, 10, 150, 30}, &parent, kId));
    box.SetCheckBoxBK(kRed);
    PaintNow(box);
    ASSERT_EQ(1u, parent.Messages(WM_KX_PAINTBK).size());
    DibSurface surface(140, 20);
    box.Capture(surface);
    // Right of any text: only background. A parent that answers 1 painted nothing here (a new
    // off-screen bitmap is black).
    EXPECT_EQ(GetParam().filled ? kRed : RGB(0, 0, 0), surface.pixel(135, 10));
}

INSTANTIATE_TEST_SUITE_P(Answers, CheckBoxBackground,
                         testing::Values(BackgroundCase{1, false}, BackgroundCase{0, true}, BackgroundCase{2, true}));

TEST(CheckBox, OnALibraryDialogShowsTheDialogsBackground)
{
    controlstest::KxDialogHost host;
    ASSERT_NE(nullptr, host.get());
    TestCheckBox box;
    ASSERT_TRUE(box.Create(WS_VISIBLE, RECT{10, 10, 150, 30}, host.get(), kId));
    box.SetWindowText(L"记住账号");
    PaintNow(box);
    DibSurface surface(140, 20);
    box.Capture(surface);
    EXPECT_EQ(KXDLG_CLR_BACKGROUND, surface.pixel(135, 10));
    EXPECT_EQ(KXDLG_CLR_BACKGROUND, surface.pixel(16, 0));
}

struct ClickCase {
    const char* name;
    int initial;
    std::vector<std::pair<UINT, LPARAM>> mouse;
    int expected;
    size_t commands;
};

class CheckBoxClick : public testing::TestWithParam<ClickCase> {};

TEST_P(CheckBoxClick, FlipsAndPostsACommandOnlyForAReleaseInside)
{
    const ClickCase& c = GetParam();
    RecordingParent parent;
    TestCheckBox box;
    ASSERT_TRUE(box.Create(WS_VISIBLE, RECT{10, 10, 110, 30}, &parent, kId));
    box.SetCheck(c.initial);
    for (const auto& [message, where] : c.mouse) {
        box.SendMessage(message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, where);
    }
    testsupport::PumpPending();
    EXPECT_EQ(c.expected, box.GetCheck());
    EXPECT_EQ(nullptr, CWnd::GetCapture());
    const auto commands = parent.Messages(WM_COMMAND);
    ASSERT_EQ(c.commands, commands.size());
    if (!commands.empty()) {
        EXPECT_EQ(MAKEWPARAM(kId, 0), commands[0].wParam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(box.m_hWnd), commands[0].lParam);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CheckBoxClick,
    testing::Values(ClickCase{"Checks", 0, {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(6, 6)}}, 1, 1},
                    ClickCase{"Unchecks", 1, {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(6, 6)}}, 0, 1},
                    ClickCase{"ThirdStateBecomesChecked", 2, {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(5, 5)}}, 1, 1},
                    ClickCase{"ReleaseOutside", 0, {{WM_LBUTTONDOWN, At(5, 5)}, {WM_LBUTTONUP, At(300, 5)}}, 0, 0},
                    ClickCase{"ReleaseWithoutPress", 0, {{WM_LBUTTONUP, At(5, 5)}}, 0, 0},
                    ClickCase{"DoubleClick", 0, {{WM_LBUTTONDBLCLK, At(5, 5)}, {WM_LBUTTONUP, At(5, 5)}}, 1, 1}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST(CheckBox, StateMessagesAndCheckWithoutAWindow)
{
    TestCheckBox box;
    box.SetCheck(1);
    EXPECT_EQ(0, box.GetCheck());
    RecordingParent parent;
    ASSERT_TRUE(box.Create(WS_VISIBLE, RECT{0, 0, 80, 20}, &parent, kId));
    EXPECT_EQ(0, box.SendMessage(BM_SETCHECK, 2));
    EXPECT_EQ(2, box.SendMessage(BM_GETCHECK));
    EXPECT_EQ(2, box.GetCheck());
}

struct LookCase {
    bool enabled;
    int check;
    bool mark; // the checked images have a mark on their face
};

class CheckBoxLook : public testing::TestWithParam<LookCase> {};

TEST_P(CheckBoxLook, ImageAndTextColourFollowTheState)
{
    const LookCase& c = GetParam();
    RecordingParent parent;
    TestCheckBox box;
    ASSERT_TRUE(box.Create(WS_VISIBLE, RECT{0, 0, 160, 24}, &parent, kId));
    box.SetWindowText(L"自动登录 Auto");
    box.SetCheckBoxBK(kWhite);
    box.SetColor(kRed);
    box.SetCheck(c.check);
    box.EnableWindow(c.enabled);
    PaintNow(box);
    DibSurface surface(160, 24);
    box.Capture(surface);

    const RECT boxArea = box.m_rcBox;
    ASSERT_EQ(13, boxArea.right - boxArea.left);
    // The disabled images have a grey face.
    const COLORREF face = c.enabled ? kWhite : RGB(240, 240, 240);
    const RECT inner{boxArea.left + 3, boxArea.top + 3, boxArea.right - 3, boxArea.bottom - 3};
    EXPECT_GT(surface.count(face, inner), 0);
    const auto marked = [face](COLORREF p) {
        return std::abs(GetRValue(p) - GetRValue(face)) + std::abs(GetGValue(p) - GetGValue(face)) +
                   std::abs(GetBValue(p) - GetBValue(face)) >
               60;
    };
    EXPECT_EQ(c.mark, CountIn(surface, inner, marked) > 0);
    const RECT textArea{20, 0, 160, 24};
    EXPECT_EQ(c.enabled, CountIn(surface, textArea, Reddish) > 0);
    EXPECT_EQ(!c.enabled, CountIn(surface, textArea, DarkGrey) > 0);
}

INSTANTIATE_TEST_SUITE_P(States, CheckBoxLook,
                         testing::Values(LookCase{true, 1, true}, LookCase{true, 0, false}, LookCase{false, 1, true},
                                         LookCase{false, 0, false}));

TEST(RadioButton, AClickChecksNeverUnchecksAndAlwaysNotifies)
{
    RecordingParent parent;
    TestRadio radio;
    ASSERT_TRUE(radio.Create(L"限价委托", WS_VISIBLE, RECT{10, 10, 120, 28}, &parent, kId));
    EXPECT_TRUE(radio.GetStyle() & 0x100);
    // What the window shows: the circle, never the platform's own push-button face.
    const auto showsCircle = [&] {
        DibSurface screen(110, 18);
        HDC dc = GetDC(radio);
        BitBlt(screen.dc(), 0, 0, 110, 18, dc, 0, 0, SRCCOPY);
        ReleaseDC(radio, dc);
        return screen.count(RGB(33, 85, 130), radio.m_rcCycle) > 0;
    };
    for (int click = 0; click < 2; ++click) {
        radio.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
        EXPECT_TRUE(showsCircle());
        radio.SendMessage(WM_LBUTTONUP, 0, At(4, 4));
        EXPECT_TRUE(showsCircle());
        EXPECT_EQ(1, radio.GetCheck());
    }
    radio.SendMessage(WM_LBUTTONUP, 0, At(4, 4)); // no press before: nothing
    radio.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 4));
    const auto notes = parent.Notifications(CKXRadioButton::KXRB_CLICKED);
    ASSERT_EQ(3u, notes.size());
    for (const auto& note : notes) {
        EXPECT_EQ(kId, note.wParam);
        EXPECT_EQ(kId, note.id);
        EXPECT_EQ(radio.m_hWnd, note.from);
    }
}

TEST(RadioButton, PaintsTheDotOnlyWhenCheckedInItsColours)
{
    RecordingParent parent;
    TestRadio radio;
    ASSERT_TRUE(radio.Create(L"市价委托", WS_VISIBLE, RECT{0, 0, 120, 24}, &parent, kId));
    radio.SetCycleColor(RGB(0, 160, 0));
    radio.SetCycleBorderColor(RGB(0, 0, 160));
    for (int check : {0, 1}) {
        radio.SetCheck(check);
        PaintNow(radio);
        DibSurface surface(120, 24);
        controlstest::CopyImage(radio.m_dcMem, radio, surface);
        const RECT cycle = radio.m_rcCycle;
        EXPECT_GT(cycle.bottom - cycle.top, 8);
        EXPECT_GT(surface.count(RGB(0, 0, 160), cycle), 0);
        EXPECT_EQ(check == 1, surface.count(RGB(0, 160, 0), cycle) > 0);
    }
}

TEST(RadioButton, GivenItsOwnFontAgainKeepsIt)
{
    TestRadio radio;
    CFont* own = radio.m_font.get();
    const HGDIOBJ handle = own->GetSafeHandle();
    radio.SetTextFont(own);
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(handle));
    auto* other = new CFont;
    other->CreatePointFont(120, L"Tahoma");
    radio.SetTextFont(other);
    EXPECT_EQ(other, radio.m_font.get());
    EXPECT_EQ(0u, GetObjectType(handle));
}

} // namespace
