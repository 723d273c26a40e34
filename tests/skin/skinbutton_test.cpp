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

    // A skin dialog holding one skin button (id 5) with the given image attributes.
    std::unique_ptr<skintest::SkinDialogHost> Dialog(const std::wstring& images)
    {
        EXPECT_TRUE(skintest::WriteSkin(skinFile, L"<D clsname=\"Dialog\" bgfile=\"bk.bmp\">"
                                                  L"<b clsname=\"SkinButton\" id=\"5\" addstyle=\"268435456\" "
                                                  L"rect=\"20,20,80,50\" text=\"登录\" " + images + L"/></D>"));
        return std::make_unique<skintest::SkinDialogHost>(skinFile, L"D");
    }

    // What the button draws now, by its own owner drawing.
    static COLORREF CentrePixel(HWND button)
    {
        auto* control = static_cast<CSkinButton*>(CWnd::FromHandlePermanent(button));
        RECT client{};
        ::GetClientRect(button, &client);
        testsupport::DibSurface dib(client.right, client.bottom, RGB(1, 2, 3));
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = button;
        item.hDC = dib.dc();
        item.rcItem = client;
        item.itemState = ::IsWindowEnabled(button) ? 0 : ODS_DISABLED;
        control->DrawItem(&item);
        return dib.pixel(3, 3);
    }

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
        EXPECT_EQ(CentrePixel(button), each.expected);
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
    EXPECT_EQ(CentrePixel(button), ::GetSysColor(COLOR_BTNFACE));
}

} // namespace
