#include <util/checkbox.h>
#include <util/iconbutton.h>
#include <util/kxstatic.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "controls/controls_host.h"
#include "support/gdi_count.h"

namespace {

struct ControlCase {
    const char* name;
    // Creates the control on the parent; the control is destroyed with the returned object.
    std::function<std::unique_ptr<CWnd>(CWnd* parent)> make;
};

template <typename Control>
std::unique_ptr<CWnd> Made(std::unique_ptr<Control> control, BOOL created)
{
    return created ? std::move(control) : nullptr;
}

const ControlCase kControls[] = {
    {"CheckBox",
     [](CWnd* parent) {
         auto box = std::make_unique<CKxCheckBox>();
         const BOOL made = box->Create(WS_VISIBLE, RECT{5, 5, 120, 25}, parent, 1);
         box->SetWindowText(L"记住密码");
         return Made(std::move(box), made);
     }},
    {"RadioButton",
     [](CWnd* parent) {
         auto radio = std::make_unique<CKXRadioButton>();
         const BOOL made = radio->Create(L"买入", WS_VISIBLE, RECT{5, 30, 120, 50}, parent, 2);
         return Made(std::move(radio), made);
     }},
    {"Static",
     [](CWnd* parent) {
         auto label = std::make_unique<CKXStatic>();
         const BOOL made = label->Create(L"证券代码", WS_VISIBLE, RECT{5, 55, 120, 75}, parent, 3);
         return Made(std::move(label), made);
     }},
    {"GroupBox",
     [](CWnd* parent) {
         auto group = std::make_unique<CKXGroupBox>();
         const BOOL made = group->Create(L"登录方式", WS_VISIBLE, RECT{130, 5, 230, 95}, parent, 4);
         return Made(std::move(group), made);
     }},
    {"Timer",
     [](CWnd* parent) {
         auto clock = std::make_unique<CKXTimer>();
         const BOOL made = clock->Create(L"", WS_VISIBLE, RECT{5, 80, 90, 100}, parent, 5);
         clock->SendMessage(WM_TIMER, CKXTimer::KXTIMER_ID);
         return Made(std::move(clock), made);
     }},
    {"KxButton",
     [](CWnd* parent) {
         auto button = std::make_unique<CKXButton>();
         const BOOL made = button->Create(L"登录", WS_VISIBLE, RECT{5, 105, 75, 125}, parent, 6);
         button->SetTooltipText(L"登录交易系统");
         return Made(std::move(button), made);
     }},
};

class SkinnedControlHandles : public testing::TestWithParam<ControlCase> {};

TEST_P(SkinnedControlHandles, NoGdiGrowthOverManyPaintsAndLives)
{
    controlstest::KxDialogHost host;
    ASSERT_NE(nullptr, host.get());
    // One warm-up life: the platform makes some objects lazily.
    controlstest::PaintNow(*GetParam().make(host.get()));
    const int before = testsupport::GdiObjectCount();
    for (int life = 0; life < 20; ++life) {
        auto control = GetParam().make(host.get());
        ASSERT_NE(nullptr, control);
        for (int paint = 0; paint < (life == 0 ? 400 : 5); ++paint) {
            controlstest::PaintNow(*control);
        }
    }
    EXPECT_EQ(before, testsupport::GdiObjectCount());
}

INSTANTIATE_TEST_SUITE_P(Controls, SkinnedControlHandles, testing::ValuesIn(kControls),
                         [](const testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

} // namespace
