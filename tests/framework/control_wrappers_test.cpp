#include <util/button.h>
#include <util/static.h>
#include <util/tooltipctrl.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/recording_parent.h"

using testsupport::RecordingParent;

namespace {

class CountingButton : public CButton {
public:
    void DrawItem(DRAWITEMSTRUCT* item) override
    {
        ++draws;
        lastAction = item->itemAction;
    }
    int draws = 0;
    UINT lastAction = 0;
};

class BrushStatic : public CStatic {
public:
    HBRUSH brush = nullptr;
    UINT lastType = ~0u;

protected:
    HBRUSH CtlColor(CDC*, UINT ctlType) override
    {
        lastType = ctlType;
        return brush;
    }
};

TEST(ControlWrappers, OwnerDrawnButtonDrawsItselfThroughItsParent)
{
    RecordingParent parent;
    CountingButton button;
    ASSERT_TRUE(button.Create(L"OK", WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 80, 30}, &parent, 7));
    button.UpdateWindow();
    EXPECT_GE(button.draws, 1);
    EXPECT_EQ(static_cast<UINT>(ODA_DRAWENTIRE), button.lastAction);
    EXPECT_EQ(static_cast<UINT>(BS_OWNERDRAW), button.GetButtonStyle() & 0x0F);

    button.SetCheck(BST_CHECKED); // owner-drawn buttons keep no check state
    EXPECT_EQ(BST_UNCHECKED, button.GetCheck());
}

TEST(ControlWrappers, StaticAnswersItsOwnColourMessageOrLeavesItToTheParent)
{
    RecordingParent parent;
    BrushStatic label;
    ASSERT_TRUE(label.Create(L"label", WS_VISIBLE, RECT{0, 0, 60, 20}, &parent));
    HDC dc = ::GetDC(label.m_hWnd);
    const auto ask = [&] {
        return ::SendMessageW(parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(label.m_hWnd));
    };
    const LRESULT parentsOwn = ask();
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_STATIC), label.lastType);

    label.brush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(reinterpret_cast<LRESULT>(label.brush), ask());
    EXPECT_NE(parentsOwn, ask());
    ::ReleaseDC(label.m_hWnd, dc);
}

TEST(ControlWrappers, TooltipKeepsToolsAndTheirTexts)
{
    RecordingParent parent;
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&parent));
    EXPECT_EQ(0, tip.GetToolCount());
    ASSERT_TRUE(tip.AddTool(&parent, L"first", nullptr, 1));
    ASSERT_TRUE(tip.AddTool(&parent, L"second", nullptr, 2));
    EXPECT_EQ(2, tip.GetToolCount());

    tip.UpdateTipText(L"买入 600000", &parent, 1);
    CString text;
    tip.GetText(text, &parent, 1);
    EXPECT_STREQ(L"买入 600000", text.GetString());
    tip.GetText(text, &parent, 2);
    EXPECT_STREQ(L"second", text.GetString());

    tip.DelTool(&parent, 2);
    EXPECT_EQ(1, tip.GetToolCount());
    tip.SetDelayTime(TTDT_AUTOPOP, 3000);
    EXPECT_EQ(3000, tip.GetDelayTime(TTDT_AUTOPOP));
}

} // namespace
