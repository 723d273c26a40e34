#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include <ostream>

#include "support/dib.h"
#include "support/recording_parent.h"

namespace {

class SmartListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY,
                               CRect(0, 0, 200, 120), &parent, 9));
        font.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                        L"Tahoma");
        box.SetFontEx(&font);
    }
    void Paint(testsupport::DibSurface& surface)
    {
        surface.fill(RGB(1, 2, 3));
        box.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    }
    // The leftmost column of the item row that has a pixel of the colour.
    static int FirstColumnWith(const testsupport::DibSurface& surface, COLORREF colour, const CRect& row)
    {
        for (int x = row.left; x < row.right; ++x) {
            if (surface.count(colour, CRect(x, row.top, x + 1, row.bottom)) > 0) {
                return x;
            }
        }
        return -1;
    }

    testsupport::RecordingParent parent;
    CKXSmartListBox box;
    CFont font;
};

struct SplitCase {
    const char* name;
    const wchar_t* text;
    bool secondPart;
};

// Test names in the runner show the case's name, not its bytes.
void PrintTo(const SplitCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class SmartListBoxSplit : public SmartListBoxTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SmartListBoxSplit, FirstEightCharactersBlackTheRestColouredSixtyPixelsFurther)
{
    const COLORREF colour = RGB(220, 0, 0);
    ASSERT_EQ(box.AddString(GetParam().text, colour), 0);
    testsupport::DibSurface surface(200, 120);
    Paint(surface);
    CRect row;
    box.GetItemRect(0, &row);
    const int black = FirstColumnWith(surface, RGB(0, 0, 0), row);
    const int red = FirstColumnWith(surface, colour, row);
    EXPECT_GE(black, 2);
    EXPECT_LT(black, 8);
    if (GetParam().secondPart) {
        EXPECT_GE(red, 62);
        EXPECT_LT(red, 68);
        EXPECT_EQ(surface.count(RGB(0, 0, 0), CRect(62, row.top, 200, row.bottom)), 0);
    } else {
        EXPECT_EQ(red, -1);
    }
    EXPECT_EQ(surface.pixel(row.right - 1, row.top), RGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Texts, SmartListBoxSplit,
                         ::testing::Values(SplitCase{"Twelve", L"iiiiiiiiHHHH", true},
                                           SplitCase{"Eight", L"iiiiiiHH", false},
                                           SplitCase{"Short", L"HH", false}),
                         [](const ::testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST_F(SmartListBoxTest, SelectedItemsAreGrey)
{
    box.AddString(L"600036", RGB(0, 0, 200));
    box.AddString(L"600000", RGB(0, 0, 200));
    box.SetCurSel(1);
    testsupport::DibSurface surface(200, 120);
    Paint(surface);
    CRect first;
    CRect second;
    box.GetItemRect(0, &first);
    box.GetItemRect(1, &second);
    EXPECT_EQ(surface.pixel(first.right - 2, first.top + 1), RGB(255, 255, 255));
    EXPECT_EQ(surface.pixel(second.right - 2, second.top + 1), RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(SmartListBoxTest, AnIndexTakesTheLatestColour)
{
    box.AddString(L"HHHHHHHHHHHH", RGB(0, 200, 0));
    box.DeleteString(0);
    box.AddString(L"HHHHHHHHHHHH", RGB(0, 0, 200));
    testsupport::DibSurface surface(200, 120);
    Paint(surface);
    EXPECT_EQ(surface.count(RGB(0, 200, 0)), 0);
    EXPECT_GT(surface.count(RGB(0, 0, 200)), 0);
}

TEST(KxListBox, IsAPlainListBox)
{
    testsupport::RecordingParent parent;
    CKxListBox box;
    ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &parent, 3));
    EXPECT_EQ(box.AddString(L"\u5168\u90E8"), 0);
    CString text;
    box.GetText(0, text);
    EXPECT_EQ(text, L"\u5168\u90E8");
}

} // namespace
