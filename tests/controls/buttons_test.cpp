#include <util/iconbutton.h>

#include <gtest/gtest.h>

#include "controls/controls_host.h"
#include "support/dib.h"
#include "support/recording_parent.h"

using controlstest::At;
using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const UINT kId = 52;

class TestSTEX : public CButtonSTEX {
public:
    using CButtonSTEX::m_bSelected;
    using CButtonSTEX::m_bToggledFocus;
    using CButtonSTEX::m_nHover;
    using CButtonSTEX::m_ToolTip;
};

class TestKxButton : public CKXButton {
public:
    using CKXButton::m_hIconDisabled;
    using CKXButton::m_hIconFace;
    using CKXButton::m_hKxIcons;
    using CKXButton::m_nHover;
};

// A framework parent whose member function the buttons call back.
class CallbackParent : public RecordingParent {
public:
    void OnButtonUp(UINT id) { calls.push_back(id); }
    std::vector<UINT> calls;
};

// Draws the button as its parent's WM_DRAWITEM would, into a surface of its size.
void DrawInto(CButtonSTEX& button, DibSurface& surface, UINT state = 0)
{
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kId;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button;
    item.hDC = surface.dc();
    item.rcItem = {0, 0, surface.width(), surface.height()};
    button.DrawItem(&item);
}

int WidthOf(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

struct WidthCase {
    const wchar_t* caption;
    int width;
};

class KxButtonWidth : public testing::TestWithParam<WidthCase> {};

TEST_P(KxButtonWidth, CaptionBytesInTheSystemCodePageChooseTheFace)
{
    ASSERT_EQ(936u, GetACP());
    RecordingParent parent;
    TestKxButton button;
    ASSERT_TRUE(button.Create(GetParam().caption, WS_VISIBLE, RECT{10, 10, 200, 60}, &parent, kId));
    EXPECT_EQ(GetParam().width, WidthOf(button));
    RECT rect{};
    GetWindowRect(button, &rect);
    EXPECT_EQ(20, rect.bottom - rect.top);
    const int wide = GetParam().width == 98 ? 1 : 0;
    EXPECT_EQ(button.m_hKxIcons[CKXButton::KXBTN_NORMAL][wide], button.m_hIconFace);
    EXPECT_EQ(button.m_hKxIcons[CKXButton::KXBTN_DISABLED][wide], button.m_hIconDisabled);
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & 0x0F);
}

INSTANTIATE_TEST_SUITE_P(Captions, KxButtonWidth,
                         testing::Values(WidthCase{L"确定", 66}, WidthCase{L"登录系统", 66}, WidthCase{L"重新获取验证", 98},
                                         WidthCase{L"五个汉字啊", 98}, WidthCase{L"Register", 66},
                                         WidthCase{L"Registers", 98}));

TEST(KxButton, StateFacesFollowThePointerAndThePress)
{
    RecordingParent parent;
    TestKxButton button;
    ASSERT_TRUE(button.Create(L"登录", WS_VISIBLE, RECT{10, 10, 80, 30}, &parent, kId));
    const auto face = [&](int state) { return button.m_hKxIcons[state][0]; };

    button.SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
    EXPECT_EQ(face(CKXButton::KXBTN_HOVER), button.m_hIconFace);
    EXPECT_EQ(&button, CWnd::GetCapture());
    EXPECT_EQ(1, button.m_nHover);

    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(face(CKXButton::KXBTN_PRESSED), button.m_hIconFace);
    button.SendMessage(WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(face(CKXButton::KXBTN_HOVER), button.m_hIconFace);

    button.SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
    button.SendMessage(WM_MOUSEMOVE, 0, At(200, 5));
    EXPECT_EQ(face(CKXButton::KXBTN_NORMAL), button.m_hIconFace);
    EXPECT_EQ(nullptr, CWnd::GetCapture());
    EXPECT_EQ(0, button.m_nHover);
    ASSERT_FALSE(parent.Messages(WM_COMMAND).empty());
    EXPECT_EQ(MAKEWPARAM(kId, BN_CLICKED), parent.Messages(WM_COMMAND)[0].wParam);
}

TEST(KxButton, DisabledDrawsItsDisabledFace)
{
    RecordingParent parent;
    TestKxButton button;
    ASSERT_TRUE(button.Create(L"确定", WS_VISIBLE, RECT{10, 10, 80, 30}, &parent, kId));
    button.SetShowText(FALSE);
    DibSurface drawn(66, 20), expected(66, 20);
    DrawInto(button, drawn, ODS_DISABLED);
    DrawIconEx(expected.dc(), 0, 0, button.m_hKxIcons[CKXButton::KXBTN_DISABLED][0], 66, 20, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(expected.pixel(33, 10), drawn.pixel(33, 10));
    EXPECT_EQ(expected.pixel(1, 10), drawn.pixel(1, 10));
    DrawInto(button, drawn);
    EXPECT_NE(expected.pixel(33, 10), drawn.pixel(33, 10));
}

TEST(ButtonSTEX, ImageStyleWithoutAnImagePaintsTheGreyGradient)
{
    RecordingParent parent;
    TestSTEX button;
    ASSERT_TRUE(button.Create(L"", WS_VISIBLE, RECT{0, 0, 60, 40}, &parent, kId));
    button.DrawBorder(FALSE);
    DibSurface surface(60, 40, RGB(255, 0, 0));
    DrawInto(button, surface);
    EXPECT_EQ(0, surface.count(RGB(255, 0, 0)));
    const COLORREF top = surface.pixel(30, 0);
    const COLORREF bottom = surface.pixel(30, 39);
    EXPECT_NEAR(0xFD, GetRValue(top), 1);
    EXPECT_NEAR(0xF2, GetRValue(bottom), 1);
    EXPECT_EQ(surface.pixel(0, 20), surface.pixel(59, 20));
}

TEST(ButtonSTEX, CursorTooltipAndVersion)
{
    RecordingParent parent;
    TestSTEX button;
    EXPECT_TRUE(button.SetBtnCursor(102)); // a cursor of the library
    EXPECT_TRUE(button.SetBtnCursor(-1));
    EXPECT_FALSE(button.SetBtnCursor(7));
    EXPECT_STREQ(L"2.3", CButtonSTEX::GetVersionC());
    EXPECT_EQ(23, CButtonSTEX::GetVersionI());

    ASSERT_TRUE(button.Create(L"查询", WS_VISIBLE, RECT{0, 0, 60, 20}, &parent, kId));
    button.SetTooltipText(nullptr);
    EXPECT_EQ(nullptr, button.m_ToolTip.m_hWnd);
    button.SetTooltipText(L"查询当日委托");
    button.SetTooltipText(L"查询历史成交");
    ASSERT_NE(nullptr, button.m_ToolTip.m_hWnd);
    EXPECT_EQ(1, button.m_ToolTip.GetToolCount());
    CString text;
    button.m_ToolTip.GetText(text, &button, 1);
    EXPECT_STREQ(L"查询历史成交", text.GetString());
    EXPECT_EQ(400, button.m_ToolTip.GetMaxTipWidth());

    MSG msg{button.m_hWnd, WM_MOUSEMOVE, 0, At(3, 3), 0, {}};
    EXPECT_EQ(0, button.SendMessage(0x502, reinterpret_cast<WPARAM>(&msg)));
}

struct ReleaseCase {
    int style;
    bool callback;
    bool captured;
    int x; // where the button is released
    bool toggles;
    bool called;
};

class STEXRelease : public testing::TestWithParam<ReleaseCase> {};

TEST_P(STEXRelease, TogglesOnlyInsideAndCallsBackWherever)
{
    const ReleaseCase& c = GetParam();
    CallbackParent parent;
    TestSTEX button;
    ASSERT_TRUE(button.Create(L"切换", WS_VISIBLE, RECT{0, 0, 60, 20}, &parent, kId));
    button.SetBtnStyle(c.style);
    if (c.callback) {
        button.SetOnLButtonUpFun(static_cast<CButtonSTEX::KXBTNUPFUN>(&CallbackParent::OnButtonUp));
    }
    if (c.captured) {
        button.SetCapture();
    }
    button.SendMessage(WM_LBUTTONUP, 0, At(c.x, 5));
    // Classic buttons toggle their selection, image-style ones their focus.
    EXPECT_EQ(c.toggles && c.style == CButtonSTEX::ST_STYLE_CLASSIC, button.IsSelected() != FALSE);
    EXPECT_EQ(c.toggles && c.style == CButtonSTEX::ST_STYLE_IMAGE, button.m_bToggledFocus != FALSE);
    EXPECT_EQ(c.called ? std::vector<UINT>{kId} : std::vector<UINT>{}, parent.calls);
}

INSTANTIATE_TEST_SUITE_P(Cases, STEXRelease,
                         testing::Values(ReleaseCase{0, true, false, 5, true, true}, ReleaseCase{0, true, true, 90, false, true},
                                         ReleaseCase{0, false, true, 5, true, false},
                                         ReleaseCase{0, false, false, 5, false, false},
                                         ReleaseCase{0, false, true, 90, false, false},
                                         ReleaseCase{1, false, true, 5, true, false}));

// An opaque square icon of one colour.
HICON SolidIcon(int size, COLORREF color)
{
    DibSurface face(size, size, color);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HDC maskDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(maskDC, mask);
    PatBlt(maskDC, 0, 0, size, size, BLACKNESS);
    SelectObject(maskDC, old);
    DeleteDC(maskDC);
    ICONINFO info{TRUE, 0, 0, mask, face.bitmap()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}

struct IconCase {
    int align;
    bool text;
    bool pressed;
    POINT topLeft;
};

class ClassicIcon : public testing::TestWithParam<IconCase> {};

TEST_P(ClassicIcon, PlacedByAlignmentTextAndPress)
{
    const IconCase& c = GetParam();
    RecordingParent parent;
    TestSTEX button;
    ASSERT_TRUE(button.Create(L"设置", WS_VISIBLE, RECT{0, 0, 80, 40}, &parent, kId));
    button.SetBtnStyle(CButtonSTEX::ST_STYLE_CLASSIC);
    button.SetAlign(c.align);
    button.SetShowText(c.text);
    HICON icon = SolidIcon(8, RGB(255, 0, 0));
    button.SetIcon(icon, nullptr, 8, 8);
    DibSurface surface(80, 40);
    DrawInto(button, surface, c.pressed ? ODS_SELECTED : 0);
    const RECT expected{c.topLeft.x, c.topLeft.y, c.topLeft.x + 8, c.topLeft.y + 8};
    EXPECT_EQ(64, surface.count(RGB(255, 0, 0), expected));
    EXPECT_EQ(64, surface.count(RGB(255, 0, 0)));
    DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(Placements, ClassicIcon,
                         testing::Values(IconCase{CButtonSTEX::ST_ALIGN_HORIZ, true, false, {3, 16}},
                                         IconCase{CButtonSTEX::ST_ALIGN_HORIZ, true, true, {4, 17}},
                                         IconCase{CButtonSTEX::ST_ALIGN_HORIZ, false, false, {36, 16}},
                                         IconCase{CButtonSTEX::ST_ALIGN_VERT, true, false, {36, 0}},
                                         IconCase{CButtonSTEX::ST_ALIGN_VERT, false, true, {37, 17}}));

} // namespace
