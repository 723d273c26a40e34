#include <util/kxspinbutton.h>
#include <util/progressctrl.h>
#include <util/splitter.h>

#include <gtest/gtest.h>

#include <functional>

#include "support/gdi_count.h"
#include "support/recording_parent.h"

using testsupport::RecordingParent;

namespace {

// One life of a control: created in the parent, painted and driven, destroyed.
using ControlCycle = std::function<void(RecordingParent&, int round)>;

struct HandleCase {
    const char* name;
    ControlCycle cycle;
};

void DragAcross(CWnd& control)
{
    control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 5));
    control.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
}

const HandleCase kCases[] = {
    {"splitter",
     [](RecordingParent& parent, int) {
         CWnd pane;
         pane.CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 200}, &parent, 1);
         CKXSplitter splitter;
         splitter.Create(WS_VISIBLE, RECT{100, 0, 104, 200}, &parent, 2, KXSPLITTER_VERT);
         splitter.SetSplitterWidth(4);
         splitter.BindWnd(&pane, KXSPLITTER_LEFT, 20);
         DragAcross(splitter);
         splitter.UpdateWindow();
     }},
    {"progress",
     [](RecordingParent& parent, int round) {
         CKXProgressCtrl progress;
         progress.Create(L"加载中", WS_VISIBLE, RECT{0, 0, 150 + round % 2 * 50, 21}, &parent, 3);
         progress.SetShowText(TRUE);
         progress.SetProgressStyle(round % 2);
         for (int i = 0; i <= 100; i += 5) {
             progress.SetPos(i);
         }
         progress.MoveWindow(0, 0, 120, 21);
         progress.UpdateWindow();
     }},
    {"spin",
     [](RecordingParent& parent, int round) {
         CKXSpinButtonCtrl spin;
         spin.Create(WS_VISIBLE | (round % 2 ? UDS_HORZ : 0), RECT{0, 0, 40, 40}, &parent, 4);
         spin.SetSpinStyle(round % 2 ? KXSPIN_3D : KXSPIN_FLAT);
         spin.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
         spin.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30));
         spin.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
         spin.Invalidate();
         spin.UpdateWindow();
     }},
};

class ControlHandles : public testing::TestWithParam<HandleCase> {};

} // namespace

TEST_P(ControlHandles, CreatePaintDestroyCyclesKeepGdiObjectsSteady)
{
    RecordingParent parent(300, 220);
    const ControlCycle& cycle = GetParam().cycle;
    cycle(parent, 0); // the platform makes some objects on first use
    cycle(parent, 1);
    const int before = testsupport::GdiObjectCount();
    for (int round = 0; round < 12; ++round) {
        cycle(parent, round);
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

INSTANTIATE_TEST_SUITE_P(Controls, ControlHandles, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HandleCase>& info) { return std::string(info.param.name); });
