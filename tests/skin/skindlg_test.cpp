#include <util/checkbox.h>
#include <util/iconbutton.h>
#include <util/kxmsg.h>
#include <util/skindlg.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <random>
#include <string>

#include "skin/skin_fixture.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/process.h"
#include "support/pump.h"

using skintest::SkinDialogHost;

namespace {

constexpr COLORREF kLeft = RGB(200, 30, 40);
constexpr COLORREF kRight = RGB(20, 60, 210);
constexpr int kImageWidth = 240;
constexpr int kImageHeight = 160;
constexpr DWORD kVisible = WS_VISIBLE;

constexpr wchar_t kDialogAttributes[] = L"clsname=\"Dialog\" bgfile=\"bk.bmp\" enablemove=\"1\"";

// Every kind of control the skin makes, with the dialog's own attributes. The platform class by name
// is a combo box; an edit with text joins it where asked (its text layout is the dearest part of
// applying a skin).
std::wstring FullSkin(const std::wstring& dialogAttributes = kDialogAttributes, bool withTextEdit = true)
{
    const std::wstring v = L"addstyle=\"" + std::to_wstring(kVisible) + L"\" ";
    const std::wstring textEdit = L"<a clsname=\"Edit\" id=\"108\" " + v +
                                  L"rect=\"100,120,200,140\" text=\"abc\" fontsize=\"-20\" bold=\"700\" fontname=\"Arial\"/>";
    return L"<LoginDlg " + dialogAttributes + L" text=\"用户登录\">"
           L"<a clsname=\"KxStatic\" id=\"101\" " + v + L"rect=\"10,10,90,30\" text=\"账号\" color=\"255,0,0\"/>"
           L"<a clsname=\"HyperLink\" id=\"102\" " + v + L"rect=\"10,40,90,60\" text=\"注册\" link=\"http://x\" "
           L"fontsize=\"-14\"/>"
           L"<a clsname=\"KxButton\" id=\"103\" " + v + L"rect=\"10,70,90,90\" text=\"确定\" fontsize=\"-15\" bold=\"700\" "
           L"fontname=\"Arial\"/>"
           L"<a clsname=\"KXCheckBox\" id=\"104\" " + v + L"rect=\"10,100,90,120\" text=\"记住\" fontsize=\"-16\" "
           L"underline=\"1\" fontname=\"Tahoma\"/>"
           L"<a clsname=\"SkinButton\" id=\"105\" " + v + L"rect=\"100,10,160,40\" text=\"登录\"/>"
           L"<a clsname=\"passEdit\" id=\"106\" " + v + L"rect=\"100,50,200,70\"/>"
           L"<a clsname=\"VerifyCode\" id=\"107\" " + v + L"rect=\"100,80,172,116\"/>"
           + (withTextEdit ? textEdit : std::wstring()) +
           L"<a clsname=\"ComboBox\" id=\"109\" addstyle=\"" + std::to_wstring(kVisible | CBS_DROPDOWNLIST) +
           L"\" rect=\"10,125,90,200\" data=\"甲,乙,丙\"/>"
           L"<a id=\"110\" rect=\"0,0,10,10\"/>"
           L"<a clsname=\"NoSuchClass\" id=\"111\" rect=\"0,0,10,10\"/>"
           L"</LoginDlg>";
}

class SkinDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skintest::WriteBmp(folder.file(L"bk.bmp"), kImageWidth, kImageHeight,
                                       [](int x, int) { return x < kImageWidth / 2 ? kLeft : kRight; }));
        ASSERT_TRUE(skintest::WriteSkin(skinFile, FullSkin()));
    }

    testsupport::TempDir folder;
    std::wstring skinFile = folder.file(L"skin.xml");
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    return text;
}

TEST_F(SkinDlgTest, CreatesOneChildPerElementWithClassRectStyleAndText)
{
    SkinDialogHost host(skinFile, L"LOGINDLG"); // the tag differs only in letter case
    ASSERT_NE(host.get(), nullptr);
    struct Expected {
        int id;
        const wchar_t* className;
        RECT rect;
        DWORD style;
        const wchar_t* text;
    };
    const Expected table[] = {
        {101, L"Static", {10, 10, 90, 30}, WS_CHILD | WS_VISIBLE, L"账号"},
        {102, L"Static", {10, 40, 90, 60}, WS_CHILD | SS_NOTIFY, L"注册"},
        {103, L"Button", {10, 70, 0, 0}, WS_CHILD, L"确定"}, // sized to its caption by the button
        {104, L"KxCheckBox", {10, 100, 90, 120}, WS_CHILD | WS_TABSTOP, L"记住"},
        {105, L"Button", {100, 10, 160, 40}, WS_CHILD | BS_OWNERDRAW, L"登录"},
        {106, L"Edit", {100, 50, 200, 70}, WS_CHILD | ES_PASSWORD, nullptr},
        {107, L"Static", {100, 80, 172, 116}, WS_CHILD, nullptr},
        {108, L"Edit", {100, 120, 200, 140}, WS_CHILD | WS_VISIBLE, L"abc"},
        {109, L"ComboBox", {10, 125, 90, 0}, WS_CHILD | CBS_DROPDOWNLIST, nullptr},
    };
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.id);
        const HWND child = host.item(expected.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(::_wcsicmp(ClassOf(child).c_str(), expected.className), 0) << ClassOf(child);
        const RECT rect = host.ItemRect(expected.id);
        EXPECT_EQ(rect.left, expected.rect.left);
        EXPECT_EQ(rect.top, expected.rect.top);
        if (expected.rect.right) {
            EXPECT_EQ(rect.right, expected.rect.right);
        }
        if (expected.rect.bottom) {
            EXPECT_EQ(rect.bottom, expected.rect.bottom);
        }
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE)) & expected.style, expected.style);
        if (expected.text) {
            EXPECT_EQ(TextOf(child), expected.text);
        }
    }
    // No child for the element without a class, nor for the unknown class.
    EXPECT_EQ(host.item(110), nullptr);
    EXPECT_EQ(host.item(111), nullptr);
    EXPECT_EQ(TextOf(host.hwnd()), L"用户登录");
}

TEST_F(SkinDlgTest, ControlsDrawInTheElementFontAndComboItemsComeInOrder)
{
    SkinDialogHost host(skinFile, L"LoginDlg");
    LOGFONTW dialogFont{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(host.hwnd(), WM_GETFONT, 0, 0)), sizeof(dialogFont),
                 &dialogFont);
    struct Expected {
        int id;
        LONG height;
        LONG weight;
        BYTE underline;
        const wchar_t* face; // null: the dialog font's
    };
    const Expected table[] = {
        {102, -14, 100, 0, nullptr},     // link
        {103, -15, 700, 0, L"Arial"},    // library button
        {104, -16, 100, 1, L"Tahoma"},   // check box
        {108, -20, 700, 0, L"Arial"},    // platform edit
    };
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.id);
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(::SendMessageW(host.item(expected.id), WM_GETFONT, 0, 0));
        ASSERT_EQ(::GetObjectW(handle, sizeof(font), &font), static_cast<int>(sizeof(font)));
        EXPECT_EQ(font.lfHeight, expected.height);
        EXPECT_EQ(font.lfWeight, expected.weight);
        EXPECT_EQ(font.lfUnderline, expected.underline);
        EXPECT_STREQ(font.lfFaceName, expected.face ? expected.face : dialogFont.lfFaceName);
    }

    const HWND combo = host.item(109);
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    const wchar_t* const items[] = {L"甲", L"乙", L"丙"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[8] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, items[i]);
    }
}

// The font each library control draws its text in.
struct ProbeButton : CKXButton {
    HFONT DrawingFont() const { return TextFont(); }
};
struct ProbeCheckBox : CKxCheckBox {
    HFONT DrawingFont() const { return static_cast<HFONT>(m_font.GetSafeHandle()); }
};

TEST_F(SkinDlgTest, LibraryButtonAndCheckBoxDrawInTheElementFont)
{
    SkinDialogHost host(skinFile, L"LoginDlg");
    CMarkupSTL xml(L"<a rect=\"10,10,90,30\" text=\"确定\" fontsize=\"-17\" bold=\"700\" underline=\"1\" "
                   L"fontname=\"Arial\"/>");
    ASSERT_TRUE(xml.FindElem());
    ProbeButton button;
    ProbeCheckBox checkBox;
    ASSERT_TRUE(host.get()->CreateSkinCtrl(xml, 201, L"KxButton", &button));
    ASSERT_TRUE(host.get()->CreateSkinCtrl(xml, 202, L"KXCheckBox", &checkBox));
    for (const auto& [window, drawingFont] : {std::pair<HWND, HFONT>{button, button.DrawingFont()},
                                              std::pair<HWND, HFONT>{checkBox, checkBox.DrawingFont()}}) {
        LOGFONTW font{};
        ASSERT_EQ(::GetObjectW(drawingFont, sizeof(font), &font), static_cast<int>(sizeof(font)));
        EXPECT_EQ(font.lfHeight, -17);
        EXPECT_EQ(font.lfWeight, 700);
        EXPECT_EQ(font.lfUnderline, 1);
        EXPECT_STREQ(font.lfFaceName, L"Arial");
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), drawingFont);
    }
}

TEST_F(SkinDlgTest, WindowTakesTheImageSizeAndAnswersBackgroundRequestsInPixels)
{
    SkinDialogHost host(skinFile, L"LoginDlg");
    RECT window{};
    ::GetWindowRect(host.hwnd(), &window);
    EXPECT_EQ(window.right - window.left, kImageWidth);
    EXPECT_EQ(window.bottom - window.top, kImageHeight);

    // A 20 x 10 child straddling the image's halves at x = 120.
    RECT screen{110, 50, 130, 60};
    ::MapWindowPoints(host.hwnd(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    for (const bool byNotification : {false, true}) {
        SCOPED_TRACE(byNotification);
        testsupport::DibSurface dib(20, 10, RGB(0, 255, 0));
        LRESULT answer = 0;
        if (byNotification) {
            tagKXSKINBKNOTIFY request{{host.item(105), 105, KXSKIN_NM_PAINTBK}, dib.dc(), &screen};
            answer = ::SendMessageW(host.hwnd(), WM_NOTIFY, 105, reinterpret_cast<LPARAM>(&request));
        } else {
            answer = ::SendMessageW(host.hwnd(), WM_KX_PAINTBK, reinterpret_cast<WPARAM>(dib.dc()),
                                    reinterpret_cast<LPARAM>(&screen));
        }
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(dib.pixel(2, 5), kLeft);
        EXPECT_EQ(dib.pixel(8, 5), kLeft);
        EXPECT_EQ(dib.pixel(11, 5), kRight);
        EXPECT_EQ(dib.pixel(18, 5), kRight);
    }
}

TEST_F(SkinDlgTest, ClientDragPostsACaptionPressAtTheScreenPointOnlyWhenEnabled)
{
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        ASSERT_TRUE(skintest::WriteSkin(skinFile, FullSkin(std::wstring(L"clsname=\"dialog\" enablemove=\"") +
                                                           (enabled ? L"1" : L"0") + L"\"")));
        SkinDialogHost host(skinFile, L"LoginDlg");
        ::SendMessageW(host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 150));
        testsupport::PumpPending();
        POINT expected{230, 150};
        ::ClientToScreen(host.hwnd(), &expected);
        if (!enabled) {
            EXPECT_TRUE(host.get()->dragRequests.empty());
            continue;
        }
        ASSERT_EQ(host.get()->dragRequests.size(), 1u);
        EXPECT_EQ(host.get()->dragRequests[0].first, static_cast<WPARAM>(HTCAPTION));
        EXPECT_EQ(GET_X_LPARAM(host.get()->dragRequests[0].second), expected.x);
        EXPECT_EQ(GET_Y_LPARAM(host.get()->dragRequests[0].second), expected.y);
    }
}

TEST_F(SkinDlgTest, MalformedSkinsLeaveTheTemplateDialog)
{
    struct Case {
        const wchar_t* name;
        std::wstring skin; // empty: no file at all
        const wchar_t* dialogName;
    };
    const Case cases[] = {
        {L"missing file", L"", L"LoginDlg"},
        {L"missing element", FullSkin(), L"OtherDlg"},
        {L"wrong clsname", FullSkin(L"clsname=\"Window\""), L"LoginDlg"},
        {L"not xml", L"<LoginDlg clsname=\"Dialog\"><a", L"LoginDlg"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        ::DeleteFileW(skinFile.c_str());
        if (!each.skin.empty()) {
            ASSERT_TRUE(skintest::WriteSkin(skinFile, each.skin));
        }
        SkinDialogHost host(skinFile, each.dialogName);
        ASSERT_NE(host.get(), nullptr);
        EXPECT_EQ(host.ChildCount(), 0);
        EXPECT_EQ(TextOf(host.hwnd()), L"template caption");
        EXPECT_EQ(host.get()->GetBitmap(), nullptr);
    }
}

TEST_F(SkinDlgTest, RectsWithMissingOrBadNumbersKeepZeroEdges)
{
    ASSERT_TRUE(skintest::WriteSkin(
        skinFile, L"<D clsname=\"Dialog\">"
                  L"<a clsname=\"Static\" id=\"1\" addstyle=\"268435456\" rect=\"5,6\"/>"
                  L"<a clsname=\"Static\" id=\"2\" addstyle=\"268435456\" rect=\"x,1,2,3\"/>"
                  L"<a clsname=\"Static\" id=\"3\" addstyle=\"268435456\" rect=\"30,20,10,5\"/>"
                  L"</D>"));
    SkinDialogHost host(skinFile, L"D");
    const RECT expected[] = {{5, 6, 5, 6}, {0, 0, 0, 0}, {30, 20, 30, 20}};
    for (int id = 1; id <= 3; ++id) {
        SCOPED_TRACE(id);
        ASSERT_NE(host.item(id), nullptr);
        const RECT rect = host.ItemRect(id);
        EXPECT_EQ(rect.left, expected[id - 1].left);
        EXPECT_EQ(rect.top, expected[id - 1].top);
        EXPECT_EQ(rect.right, expected[id - 1].right);
        EXPECT_EQ(rect.bottom, expected[id - 1].bottom);
    }
}

TEST_F(SkinDlgTest, SkinPathsThatDoNotFitAreRefusedWithoutOverrun)
{
    const std::wstring longFolder = L"C:\\" + std::wstring(240, L'd');
    CSkinDlg dialog(static_cast<CWnd*>(nullptr));
    EXPECT_FALSE(dialog.SetXmlFile((std::wstring(300, L'x') + L".xml").c_str(), L"D"));
    EXPECT_TRUE(dialog.SetSkinPath(longFolder.c_str()));
    wchar_t joined[MAX_PATH];
    EXPECT_FALSE(dialog.MakeSkinFilePath(L"background-image.bmp", joined)); // 243 + 1 + 20 units
    EXPECT_EQ(joined[0], L'\0');
    EXPECT_TRUE(dialog.MakeSkinFilePath(L"bk.bmp", joined));
    EXPECT_EQ(std::wstring(joined), longFolder + L"\\bk.bmp");
}

// 1,000 dialogs opened and closed and 10,000 mutants each applied twice, in shards short enough for one
// test entry each on a loaded machine (a round makes and destroys a dozen windows).
constexpr int kOpenCloseShards = 4;
constexpr int kOpenCloseRoundsPerShard = 250;
constexpr int kMutationShards = 20;
constexpr int kMutantsPerShard = 500;

// The long runs below go in processes of their own without heap validation (see
// RunTestWithoutHeapChecks).
void RunShardWithoutHeapChecks(const std::string& childTest, int shard)
{
    const auto child = testsupport::RunTestWithoutHeapChecks("Shards/" + childTest + "/" + std::to_string(shard));
    EXPECT_TRUE(testsupport::RanOneTestAndPassed(child)) << child.output;
}

class SkinDlgRounds : public ::testing::TestWithParam<int> {};

TEST_P(SkinDlgRounds, OpeningAndClosingEveryControlKindLeaksNothing)
{
    RunShardWithoutHeapChecks("SkinDlgOpenCloseChild.Rounds", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Shards, SkinDlgRounds, ::testing::Range(0, kOpenCloseShards));

class SkinDlgMutations : public ::testing::TestWithParam<int> {};

TEST_P(SkinDlgMutations, FailCleanly)
{
    RunShardWithoutHeapChecks("SkinDlgMutationsChild.Apply", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Shards, SkinDlgMutations, ::testing::Range(0, kMutationShards));

// Skipped in the suite's own process; they run inside the SkinDlgRounds and SkinDlgMutations tests.
class SkinDlgRoundsChild : public SkinDlgTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        if (!testsupport::IsFreshProcess()) {
            GTEST_SKIP() << "runs inside SkinDlgRounds";
        }
        SkinDlgTest::SetUp();
    }
};

class SkinDlgOpenCloseChild : public SkinDlgRoundsChild {};

TEST_P(SkinDlgOpenCloseChild, Rounds)
{
    auto round = [&] {
        SkinDialogHost host(skinFile, L"LoginDlg", false);
        ASSERT_NE(host.item(108), nullptr);
        ASSERT_NE(host.item(109), nullptr);
        ASSERT_EQ(host.get()->OwnedControlCount(), 7u);
    };
    round(); // the platform makes some objects on first use
    testsupport::PumpPending();
    const int gdi = testsupport::GdiObjectCount();
    const int windows = skintest::ThreadWindowCount();
    for (int i = 0; i < kOpenCloseRoundsPerShard && !HasFatalFailure(); ++i) {
        round();
        testsupport::PumpPending();
    }
    EXPECT_LE(testsupport::GdiObjectCount(), gdi);
    EXPECT_EQ(skintest::ThreadWindowCount(), windows);
}

INSTANTIATE_TEST_SUITE_P(Shards, SkinDlgOpenCloseChild, ::testing::Range(0, kOpenCloseShards));

// The good skin with one to four characters erased, inserted or replaced, the same for a seed.
std::wstring Mutant(const std::wstring& good, std::mt19937& random)
{
    const wchar_t alphabet[] = L"<>/=\",x0123456789- ";
    std::wstring skin = good;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !skin.empty(); ++e) {
        const size_t at = random() % skin.size();
        switch (random() % 3) {
        case 0:
            skin.erase(at, 1 + random() % 8);
            break;
        case 1:
            skin.insert(at, 1, alphabet[random() % (std::size(alphabet) - 1)]);
            break;
        default:
            skin[at] = alphabet[random() % (std::size(alphabet) - 1)];
            break;
        }
    }
    return skin;
}

class SkinDlgMutationsChild : public SkinDlgRoundsChild {};

TEST_P(SkinDlgMutationsChild, Apply)
{
    // One hidden dialog takes every mutant in turn, read from memory: a round costs only what the
    // skin makes.
    const std::wstring good = FullSkin(kDialogAttributes, false);
    SkinDialogHost host(folder.file(L"none.xml"), L"LoginDlg", false);
    ASSERT_NE(host.get(), nullptr);
    CMarkupSTL xml;
    const auto applyMutants = [&] {
        std::mt19937 random(20261207 + GetParam());
        for (int i = 0; i < kMutantsPerShard; ++i) {
            xml.SetDoc(Mutant(good, random).c_str());
            host.get()->ApplyAndRelease(xml);
            testsupport::PumpPending();
            ASSERT_TRUE(::IsWindow(host.hwnd())) << i;
        }
    };
    // Odd mutants (a visible pop-up, say) make the platform fill caches of its own on first use; the
    // same mutants again must not take more.
    applyMutants();
    const int gdi = testsupport::GdiObjectCount();
    const int windows = skintest::ThreadWindowCount();
    applyMutants();
    EXPECT_LE(testsupport::GdiObjectCount(), gdi);
    EXPECT_EQ(skintest::ThreadWindowCount(), windows);
}

INSTANTIATE_TEST_SUITE_P(Shards, SkinDlgMutationsChild, ::testing::Range(0, kMutationShards));

} // namespace
