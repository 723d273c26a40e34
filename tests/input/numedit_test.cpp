#include <util/inputplatform.h>
#include <util/numedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pump.h"
#include "support/recording_parent.h"

namespace {

int g_beeps = 0;
std::vector<std::wstring> g_boxes;

BOOL WINAPI CountBeep(UINT)
{
    ++g_beeps;
    return TRUE;
}

int WINAPI RecordBox(HWND, const wchar_t* text, const wchar_t* caption, UINT)
{
    g_boxes.push_back(std::wstring(caption) + L":" + text);
    return IDOK;
}

struct TypingCase {
    const char* name;
    int type;
    double minimum, maximum;
    const wchar_t* before;
    wchar_t typed;
    const wchar_t* after;
    int beeps;
    int boxes;
};

class NumEditTypingTest : public ::testing::TestWithParam<TypingCase> {
protected:
    void SetUp() override
    {
        g_beeps = 0;
        g_boxes.clear();
        m_previous = KxSetInputPlatform({nullptr, nullptr, &CountBeep, &RecordBox});
    }
    void TearDown() override { KxSetInputPlatform(m_previous); }
    KxInputPlatform m_previous{};
};

TEST_P(NumEditTypingTest, FiltersTheCharacter)
{
    const TypingCase& test = GetParam();
    testsupport::RecordingParent parent;
    CKxNumEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 160, 24), &parent, 1));
    edit.SetType(test.type);
    edit.SetMinMax(test.minimum, test.maximum);
    ::SetWindowTextW(edit, test.before);
    const int end = static_cast<int>(wcslen(test.before));
    edit.SetSel(end, end);
    edit.SendMessage(WM_CHAR, test.typed, 1);
    wchar_t text[128] = {};
    ::GetWindowTextW(edit, text, 128);
    EXPECT_STREQ(text, test.after);
    EXPECT_EQ(g_beeps, test.beeps);
    ASSERT_EQ(static_cast<int>(g_boxes.size()), test.boxes);
    if (test.boxes) {
        EXPECT_EQ(g_boxes[0], L"提示:请填入一个有效数字！");
    }
}

constexpr double kLow = -1e300;
constexpr double kHigh = 1e300;

INSTANTIATE_TEST_SUITE_P(
    Table, NumEditTypingTest,
    ::testing::Values(TypingCase{"anyType0", 0, kLow, kHigh, L"1", L'x', L"1x", 0, 0},
                      TypingCase{"integerDigit", 1, kLow, kHigh, L"12", L'3', L"123", 0, 0},
                      TypingCase{"integerLetterBeeps", 1, kLow, kHigh, L"12", L'a', L"12", 1, 0},
                      TypingCase{"integerPointBeeps", 1, kLow, kHigh, L"12", L'.', L"12", 1, 0},
                      TypingCase{"integerHasNoRange", 1, 0, 10, L"99", L'9', L"999", 0, 0},
                      TypingCase{"integerBackspace", 1, kLow, kHigh, L"12", L'\b', L"1", 0, 0},
                      TypingCase{"decimalAboveMaximum", 2, 0, 100, L"20", L'5', L"20", 0, 0},
                      TypingCase{"decimalAtMaximum", 2, 0, 100, L"10", L'0', L"100", 0, 0},
                      TypingCase{"decimalSecondPoint", 2, kLow, kHigh, L"1.5", L'.', L"1.5", 1, 0},
                      TypingCase{"decimalFirstPoint", 2, 0, 100, L"1", L'.', L"1.", 0, 0},
                      TypingCase{"decimalSecondMinus", 2, kLow, kHigh, L"-1", L'-', L"-1", 1, 0},
                      TypingCase{"decimalMinusAfterDigits", 2, kLow, kHigh, L"12", L'-', L"12-", 0, 0},
                      TypingCase{"decimalLoneMinusSkipsRange", 2, 0, 100, L"", L'-', L"-", 0, 0},
                      TypingCase{"decimalLonePointSkipsRange", 2, 1, 100, L"", L'.', L".", 0, 0},
                      TypingCase{"decimalMinimumBlocksFirstDigit", 2, 10, 100, L"", L'5', L"", 0, 0},
                      TypingCase{"decimalLetterWarns", 2, kLow, kHigh, L"3", L'x', L"3", 0, 1}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return info.param.name; });

TEST(RichEditTest, EveryVerticalScrollReachesTheParent)
{
    testsupport::RecordingParent parent;
    CKxRichEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, CRect(0, 0, 200, 60), &parent, 9));
    std::wstring lines;
    for (int i = 0; i < 40; ++i) {
        lines += L"第" + std::to_wstring(i) + L"行\r\n";
    }
    ::SetWindowTextW(edit, lines.c_str());
    const WPARAM scrolls[] = {SB_LINEDOWN, SB_PAGEDOWN, MAKEWPARAM(SB_THUMBPOSITION, 3), SB_LINEUP, SB_ENDSCROLL};
    parent.clear();
    for (const WPARAM scroll : scrolls) {
        edit.SendMessage(WM_VSCROLL, scroll);
        if (scroll == SB_PAGEDOWN) {
            EXPECT_GT(edit.SendMessage(EM_GETFIRSTVISIBLELINE), 0) << "the rich edit scrolls itself too";
        }
    }
    testsupport::PumpPending();
    const auto posted = parent.Messages(0xA39);
    ASSERT_EQ(posted.size(), std::size(scrolls));
    for (size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].wParam, scrolls[i]);
        EXPECT_EQ(posted[i].lParam, 0);
    }
}

} // namespace
