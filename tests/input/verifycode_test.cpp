#include <util/markup.h>
#include <util/verifycode.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "support/dib.h"
#include "support/recording_parent.h"

using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

class TestCode : public CVerifyCodeCtrl {
public:
    using CVerifyCodeCtrl::m_bmpPicture;
    using CVerifyCodeCtrl::m_dcPicture;
    using CVerifyCodeCtrl::m_strCodeSet;

    CString Code() const
    {
        CString code;
        GetVerifyCode(code);
        return code;
    }
    // The picture as drawn now.
    void Capture(DibSurface& surface) const
    {
        BitBlt(surface.dc(), 0, 0, surface.width(), surface.height(), m_dcPicture, 0, 0, SRCCOPY);
    }
};

// A code control on its own parent, made from a skin element.
class CodeOnParent {
public:
    CodeOnParent()
    {
        CMarkupSTL element;
        element.SetDoc(L"<VerifyCode rect=\"10,20,110,56\" addstyle=\"0\" delstyle=\"0\"/>");
        element.FindElem();
        created = code.Create(element, 1201, &parent) != 0;
    }
    RecordingParent parent;
    TestCode code;
    bool created = false;
};

bool AllFrom(const CString& code, const CString& set)
{
    for (int i = 0; i < code.GetLength(); ++i) {
        if (set.Find(code[i]) < 0) {
            return false;
        }
    }
    return true;
}

TEST(VerifyCode, CreatedFromItsElementAsAVisibleClickableStatic)
{
    CodeOnParent host;
    ASSERT_TRUE(host.created);
    RECT rect{};
    GetWindowRect(host.code, &rect);
    MapWindowPoints(nullptr, host.parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(110, rect.right);
    EXPECT_EQ(56, rect.bottom);
    EXPECT_TRUE(host.code.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(host.code.GetStyle() & SS_NOTIFY);
}

TEST(VerifyCode, DoesNothingBeforeInit)
{
    CodeOnParent host;
    host.code.RebuildCode();
    host.code.SetColor(RGB(1, 2, 3), RGB(4, 5, 6));
    host.code.SetCodeLength(6);
    host.code.SetCodeSet(L"XY");
    host.code.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_STREQ(L"", host.code.Code().GetString());
    EXPECT_EQ(nullptr, host.code.m_bmpPicture.GetSafeHandle());
    ASSERT_TRUE(host.code.Init());
    // The set given before stays; the length did not.
    EXPECT_EQ(4, host.code.Code().GetLength());
    EXPECT_TRUE(AllFrom(host.code.Code(), L"XY"));
}

struct SetCase {
    const wchar_t* set;
    int length;
    int width;
};

class VerifyCodeSets : public testing::TestWithParam<SetCase> {};

TEST_P(VerifyCodeSets, CodesComeFromTheSetAtTheSetLength)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    EXPECT_TRUE(AllFrom(host.code.Code(), L"0123856789"));
    EXPECT_EQ(-1, host.code.Code().Find(L'4'));
    host.code.SetCodeSet(GetParam().set);
    host.code.SetCodeLength(GetParam().length);
    const CString code = host.code.Code();
    EXPECT_EQ(GetParam().length, code.GetLength());
    EXPECT_TRUE(AllFrom(code, GetParam().set));
    host.code.SetCodeSet(L""); // ignored
    EXPECT_STREQ(GetParam().set, host.code.m_strCodeSet.GetString());
    BITMAP picture{};
    ASSERT_TRUE(host.code.m_bmpPicture.GetBitmap(&picture));
    EXPECT_EQ(GetParam().width, picture.bmWidth);
    EXPECT_EQ(36, picture.bmHeight);
}

INSTANTIATE_TEST_SUITE_P(Sets, VerifyCodeSets,
                         testing::Values(SetCase{L"0123856789", 6, 100}, SetCase{L"ABCDEFGHJKLMNPQRSTUVWXYZ", 5, 84},
                                         SetCase{L"7", 1, 20}, SetCase{L"甲乙丙", 8, 132}));

TEST(VerifyCode, CodesDrawnWithinOneSecondAreEqual)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const time_t start = time(nullptr);
        host.code.RebuildCode();
        const CString first = host.code.Code();
        host.code.RebuildCode();
        if (time(nullptr) == start) {
            EXPECT_STREQ(first.GetString(), host.code.Code().GetString());
            return;
        }
    }
    FAIL() << "the clock moved during every attempt";
}

TEST(VerifyCode, AClickDrawsANewCode)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    host.code.m_strCodeSet = L"Z";
    host.code.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_STREQ(L"ZZZZ", host.code.Code().GetString());
}

TEST(VerifyCode, PictureHasTheBackgroundTheCodeAndOneNoiseDotPerFourCharacters)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    const COLORREF green = RGB(0, 128, 0);
    for (int length : {4, 6}) {
        host.code.SetCodeLength(length);
        host.code.SetColor(RGB(0, 0, 0), green);
        DibSurface surface(length * 16 + 4, 36);
        host.code.Capture(surface);
        // Each dot is four white pixels (white minus the black text colour, then white).
        const int white = surface.count(RGB(255, 255, 255));
        const int dots = (length + 3) / 4;
        EXPECT_GT(white, 4 * (dots - 1)) << length;
        EXPECT_LE(white, 4 * dots) << length;
        EXPECT_GT(surface.count(green), surface.width() * surface.height() / 2);
        EXPECT_LT(surface.count(green), surface.width() * surface.height() - 20);
    }
}

TEST(VerifyCode, SetColorWithTheSameColoursStillRedraws)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    const RECT all{0, 0, 68, 36};
    FillRect(host.code.m_dcPicture, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    host.code.SetColor(RGB(0, 0, 0), RGB(255, 255, 255));
    DibSurface surface(68, 36);
    host.code.Capture(surface);
    EXPECT_GT(surface.count(RGB(255, 255, 255)), 68 * 36 / 2);
}

TEST(VerifyCode, PaintingAndReadingLeaveTheGeneratorAlone)
{
    CodeOnParent host;
    ASSERT_TRUE(host.code.Init());
    srand(1234);
    const int expected = rand();
    srand(1234);
    InvalidateRect(host.code, nullptr, TRUE);
    UpdateWindow(host.code);
    host.code.Init();
    host.code.Code();
    host.code.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(expected, rand());

    host.code.DestroyWindow();
    EXPECT_EQ(nullptr, host.code.m_bmpPicture.GetSafeHandle());
}

} // namespace
