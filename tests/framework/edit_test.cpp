#include <util/edit.h>

#include <gtest/gtest.h>

#include "support/recording_parent.h"

namespace {

// Takes its EN_CHANGE back when asked to.
class ChangeTakingEdit : public CEdit {
public:
    explicit ChangeTakingEdit(bool take) : m_take(take) {}
    int changes = 0;

protected:
    BOOL OnChangeReflect() override
    {
        ++changes;
        return m_take;
    }

private:
    bool m_take;
};

TEST(EditTest, SelectionReplacementAndLimit)
{
    testsupport::RecordingParent parent;
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 200, 24), &parent, 5));
    ::SetWindowTextW(edit, L"abcdef");
    edit.SetSel(1, 3);
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    edit.ReplaceSel(L"XYZ");
    edit.SetSel(0, 1);
    edit.Clear();
    wchar_t text[16] = {};
    ::GetWindowTextW(edit, text, 16);
    EXPECT_STREQ(text, L"XYZdef");
    edit.SetLimitText(7);
    EXPECT_EQ(edit.GetLimitText(), 7u);
}

TEST(EditTest, ChangeIsReflectedAndTakenOnlyWhenHandled)
{
    for (const bool take : {false, true}) {
        testsupport::RecordingParent parent;
        ChangeTakingEdit edit(take);
        ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 200, 24), &parent, 6));
        parent.clear();
        ::SetWindowTextW(edit, L"x");
        EXPECT_EQ(edit.changes, 1);
        std::vector<testsupport::ReceivedMessage> changes;
        for (const auto& command : parent.Messages(WM_COMMAND)) {
            if (command.code == EN_CHANGE) {
                changes.push_back(command);
            }
        }
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_EQ(changes[0].takenByChild, take);
    }
}

} // namespace
