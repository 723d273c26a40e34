#include <util/skinbutton.h>
#include <util/skindlg.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "skin/skin_fixture.h"
#include "support/dib.h"
#include "support/recording_parent.h"

namespace {

constexpr COLORREF kNormal = RGB(0, 160, 0);
constexpr COLORREF kPressed = RGB(190, 0, 0);
constexpr COLORREF kHover = RGB(0, 0, 200);
constexpr COLORREF kDisabled = RGB(120, 0, 120);
constexpr COLORREF kBackground = RGB(250, 200, 10);

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skintest::WriteSolidBmp(folder.file(L"bk.bmp"), 200, 100, kBackground));
        const std::pair<const wchar_t*, COLORREF> images[] = {
            {L"n.bmp", kNormal}, {L"s.bmp", kPressed}, {L"h.bmp", kHover}, {L"d.bmp", kDisabled}};
        for (const auto& image : images) {
            ASSERT_TRUE(skintest::WriteSolidBmp(folder.file(image.first), 8, 8, image.second));
        }
    }

    // A skin dialog holding one skin button (id 5, 60 x 30) with the given attributes.
    std::unique_ptr<skintest::SkinDialogHost> Dialog(const std::wstring& attributes)
    {
        EXPECT_TRUE(skintest::WriteSkin(skinFile, L"<D clsname=\"Dialog\" bgfile=\"bk.bmp\">"
                                                  L"<b clsname=\"SkinButton\" id=\"5\" addstyle=\"268435456\" "
                                                  L"rect=\"20,20,80,50\" text=\"登录\" " + attributes + L"/></D>"));
        return std::make_unique<skintest::SkinDialogHost>(skinFile, L"D");
    }

    // What the button's window paints, through its parent's owner drawing.
    static std::unique_ptr<testsupport::DibSurface> Picture(HWND button)
    {
        RECT client{};
        ::GetClientRect(button, &client);
        auto dib = std::make_unique<testsupport::DibSurface>(client.right, client.bottom, RGB(1, 2, 3));
        ::SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib->dc()), PRF_CLIENT);
        return dib;
    }

    static COLORREF CornerPixel(HWND button) { return Picture(button)->pixel(3, 3); }

    testsupport::TempDir folder;
    std::wstring skinFile = folder.file(L"skin.xml");
};

enum class Action { None, Press, Hover, Disable, Toggle, ToggleTwice };

struct StateCase {
    const wchar_t* name;
    const wchar_t* images;
    Action action;
    COLORREF expected;
};

TEST_F(SkinButtonTest, DrawsTheImageOfEachState)
{
    const wchar_t* all = L"norfile=\"n.bmp\" selfile=\"s.bmp\" hovfile=\"h.bmp\" disfile=\"d.bmp\"";
    const wchar_t* normalOnly = L"norfile=\"n.bmp\"";
    const StateCase cases[] = {
        {L"normal", all, Action::None, kNormal},
        {L"pressed", all, Action::Press, kPressed},
        {L"hover", all, Action::Hover, kHover},
        {L"disabled", all, Action::Disable, kDisabled},
        {L"toggled", all, Action::Toggle, kPressed},
        {L"toggled back", all, Action::ToggleTwice, kNormal},
        {L"only normal, pressed", normalOnly, Action::Press, kNormal},
        {L"only normal, hover", normalOnly, Action::Hover, kNormal},
        {L"only normal, disabled", normalOnly, Action::Disable, kNormal},
        {L"no image: the dialog's background", L"", Action::None, kBackground},
        {L"missing files", L"norfile=\"none.bmp\" selfile=\".\"", Action::Press, kBackground},
    };
    for (const StateCase& each : cases) {
        SCOPED_TRACE(each.name);
        auto host = Dialog(each.images);
        const HWND button = host->item(5);
        ASSERT_NE(button, nullptr);
        auto* control = static_cast<CSkinButton*>(CWnd::FromHandlePermanent(button));
        switch (each.action) {
        case Action::Press:
            ::SendMessageW(button, BM_SETSTATE, TRUE, 0);
            break;
        case Action::Hover:
            ::SendMessageW(button, WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
            break;
        case Action::Disable:
            ::EnableWindow(button, FALSE);
            break;
        case Action::ToggleTwice:
            control->Toggle(TRUE);
            control->Toggle(FALSE);
            break;
        case Action::Toggle:
            control->Toggle(TRUE);
            break;
        case Action::None:
            break;
        }
        EXPECT_EQ(CornerPixel(button), each.expected);
    }
}

TEST_F(SkinButtonTest, UnderAParentThatDoesNotAnswerTheFaceColourIsPainted)
{
    testsupport::RecordingParent parent;
    CMarkupSTL xml(L"<b rect=\"10,10,50,40\" norfile=\"n.bmp\" addstyle=\"268435456\"/>");
    xml.FindElem();
    CSkinButton button;
    // Under a plain window no skin path is read: the relative image name finds nothing here.
    ASSERT_TRUE(button.Create(xml, 7, &parent));
    EXPECT_EQ(::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(CornerPixel(button), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(SkinButtonTest, PaintsImageAndCaptionInAnyFaceTheSkinNames)
{
    // GDI+ outlines no bitmap face and not every family GDI knows; the caption must still be drawn.
    for (const wchar_t* face : {L"Tahoma", L"宋体", L"System", L"No such face"}) {
        SCOPED_TRACE(face);
        auto host = Dialog(L"norfile=\"n.bmp\" color=\"255,255,255\" fontsize=\"-14\" fontname=\"" +
                           std::wstring(face) + L"\"");
        const auto picture = Picture(host->item(5));
        EXPECT_EQ(picture->pixel(1, 1), kNormal);
        EXPECT_EQ(picture->pixel(58, 28), kNormal);
        // The caption lies in the lower part of the face, 10 pixels below its top.
        EXPECT_EQ(picture->count(kNormal, RECT{0, 0, 60, 10}), 600);
        EXPECT_LT(picture->count(kNormal, RECT{0, 10, 60, 30}), 1200 - 10);
    }
}

} // namespace
