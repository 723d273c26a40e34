#include <util/basewnd.h>

#include <gtest/gtest.h>

#include "frame_windows.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"

using frametest::RecordingFrame;
using frametest::SameRect;

namespace {

constexpr DWORD kCaptioned = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

LPARAM Screen(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

} // namespace

TEST(BaseWnd, ACaptionedWindowGetsItsOwnTitleBarAndButtons)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    ASSERT_TRUE(frame.IsWindow());
    EXPECT_EQ(frame.GetStyle() & WS_SYSMENU, 0u);
    EXPECT_EQ(frame.m_nTitleHeight, GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(frame.m_buttons.m_nTitleButtons, static_cast<UINT>(KXTB_CLOSE | KXTB_MIN | KXTB_MAX));
    EXPECT_EQ(frame.SendMessage(WM_KX_ISKXWND), 1);

    // The buttons sit right-aligned at the top, close last, each as large as its image (26 x 18).
    CRect window;
    frame.GetWindowRect(&window);
    const int w = window.Width();
    EXPECT_TRUE(SameRect(frame.m_buttons.m_rcClose, RECT{w - 28, 1, w - 2, 19}));
    EXPECT_TRUE(SameRect(frame.m_buttons.m_rcMax, RECT{w - 54, 1, w - 28, 19}));
    EXPECT_TRUE(SameRect(frame.m_buttons.m_rcMin, RECT{w - 80, 1, w - 54, 19}));
    EXPECT_TRUE(SameRect(frame.m_rcTitleText, RECT{10, 0, w - 85, frame.m_nTitleHeight}));
}

TEST(BaseWnd, AChildWithoutCaptionHasNoTitleBar)
{
    RecordingFrame parent(kCaptioned, 300, 200);
    frametest::RecordingFrame* child = nullptr;
    struct Child : CKxBaseWnd {
    } plain;
    ASSERT_TRUE(plain.Create(L"child", WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{0, 0, 100, 50}, &parent, 7));
    (void)child;
    RECT view{};
    EXPECT_EQ(plain.SendMessage(WM_KX_GETCLIENTRECT, 0, reinterpret_cast<LPARAM>(&view)), 1);
    RECT client{};
    GetClientRect(plain, &client);
    EXPECT_TRUE(SameRect(view, client));
    EXPECT_TRUE(SameRect(plain.GetRootPanel()->GetRect(), client));
    // No title bar is drawn over a plain border.
    testsupport::DibSurface surface(100, 50, RGB(1, 2, 3));
    plain.SendMessage(WM_NCPAINT, 1);
    frametest::CaptureWindow(plain, surface);
    EXPECT_EQ(surface.count(RGB(52, 100, 156)), 0);
}

TEST(BaseWnd, TheTitleBarIsDrawnWithBandFrameAndButtons)
{
    RecordingFrame frame(kCaptioned, 300, 200);
    frame.SetTitleText(L"title");
    CRect window;
    frame.GetWindowRect(&window);
    testsupport::DibSurface surface(window.Width(), window.Height());
    frame.SendMessage(WM_NCPAINT, 1);
    frametest::CaptureWindow(frame, surface);
    // The band's top row (the title band bitmap's first colour) and the black frame below the band.
    EXPECT_EQ(surface.pixel(window.Width() / 2, 0), RGB(52, 100, 156));
    EXPECT_EQ(surface.pixel(0, window.Height() - 1), RGB(0, 0, 0));
    EXPECT_EQ(surface.pixel(window.Width() - 1, window.Height() / 2), RGB(0, 0, 0));
    // The close button's cross is white on the band at its centre.
    const CPoint close = frame.m_buttons.m_rcClose.CenterPoint();
    EXPECT_EQ(surface.pixel(close.x, close.y), RGB(255, 255, 255));
}

TEST(BaseWnd, HoverPressAndReleaseMinimise)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    frame.runSysCommands = true;
    const POINT close = frame.ButtonCentre(KXTB_CLOSE);
    const POINT min = frame.ButtonCentre(KXTB_MIN);

    frame.ncPaints = 0;
    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(close));
    EXPECT_EQ(frame.m_buttons.m_nCloseState, KXBS_HOVER);
    EXPECT_EQ(frame.ncPaints, 1);
    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(POINT{close.x + 1, close.y}));
    EXPECT_EQ(frame.ncPaints, 1); // nothing changed: no paint

    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(min));
    EXPECT_EQ(frame.m_buttons.m_nMinState, KXBS_HOVER);
    EXPECT_EQ(frame.m_buttons.m_nCloseState, KXBS_NORMAL);
    EXPECT_EQ(frame.ncPaints, 2);

    frame.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(min));
    EXPECT_EQ(frame.m_buttons.m_nMinState, KXBS_PRESSED);
    EXPECT_EQ(GetCapture(), frame.m_hWnd);
    EXPECT_EQ(frame.ncPaints, 3);

    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(min));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(frame.sysCommands.size(), 1u);
    EXPECT_EQ(frame.sysCommands[0], static_cast<UINT>(SC_MINIMIZE));
    EXPECT_TRUE(frame.IsIconic());
    EXPECT_FALSE(frame.m_buttons.AnyStateSet());
}

TEST(BaseWnd, ReleasingTheMaximiseButtonMaximisesThenRestores)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    frame.runSysCommands = true;
    POINT max = frame.ButtonCentre(KXTB_MAX);
    frame.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(max));
    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(max));
    ASSERT_EQ(frame.sysCommands.size(), 1u);
    EXPECT_EQ(frame.sysCommands[0], static_cast<UINT>(SC_MAXIMIZE));
    EXPECT_TRUE(frame.IsZoomed());
    // Maximised, the button is the restore button.
    EXPECT_EQ(frame.m_buttons.m_nTitleButtons & (KXTB_MAX | KXTB_RESTORE), static_cast<UINT>(KXTB_RESTORE));

    max = frame.ButtonCentre(KXTB_RESTORE);
    frame.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(max));
    EXPECT_EQ(frame.m_buttons.m_nMaxState, KXBS_PRESSED);
    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(max));
    ASSERT_EQ(frame.sysCommands.size(), 2u);
    EXPECT_EQ(frame.sysCommands[1], static_cast<UINT>(SC_RESTORE));
    EXPECT_FALSE(frame.IsZoomed());
}

TEST(BaseWnd, ReleasingTheCloseButtonAsksToClose)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    const POINT close = frame.ButtonCentre(KXTB_CLOSE);
    frame.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(close));
    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(close));
    EXPECT_EQ(frame.closeRequests, 1);
    EXPECT_TRUE(frame.sysCommands.empty());
}

TEST(BaseWnd, AReleaseAwayFromThePressedButtonRunsNothing)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    const POINT close = frame.ButtonCentre(KXTB_CLOSE);
    const POINT min = frame.ButtonCentre(KXTB_MIN);
    frame.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(close));
    frame.ncPaints = 0;
    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(min));
    EXPECT_EQ(frame.closeRequests, 0);
    EXPECT_TRUE(frame.sysCommands.empty());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(frame.ncPaints, 1); // the pressed state went
    // A client release without a press is the window's own business.
    frame.SendMessage(WM_LBUTTONUP, 0, frame.ClientLParam(close));
    EXPECT_EQ(frame.closeRequests, 0);
    EXPECT_EQ(frame.ncPaints, 1);
}

TEST(BaseWnd, LeavingTheTitleBarResetsTheButtonsOnce)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(frame.ButtonCentre(KXTB_MAX)));
    frame.ncPaints = 0;
    frame.SendMessage(WM_NCMOUSELEAVE);
    EXPECT_FALSE(frame.m_buttons.AnyStateSet());
    EXPECT_EQ(frame.ncPaints, 1);
    frame.SendMessage(WM_NCMOUSELEAVE);
    EXPECT_EQ(frame.ncPaints, 1);
    // Moving over the caption away from the buttons changes nothing either.
    CRect window;
    frame.GetWindowRect(&window);
    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(window.left + 30, window.top + 5));
    EXPECT_EQ(frame.ncPaints, 1);
}

TEST(BaseWnd, PressingTheCaptionAwayFromTheButtonsCapturesNothing)
{
    RecordingFrame frame(kCaptioned, 400, 300);
    const POINT close = frame.ButtonCentre(KXTB_CLOSE);
    // Below the buttons, over the frame: the platform's; a non-client move there does not press.
    frame.SendMessage(WM_NCMOUSEMOVE, HTBORDER, Screen(POINT{close.x, close.y + 60}));
    EXPECT_FALSE(frame.m_buttons.AnyStateSet());
    EXPECT_EQ(frame.m_buttons.HitTest(POINT{5, 5}), 0u);
}

TEST(BaseWnd, TitleTextAndSetTextRepaintTheTitleBar)
{
    RecordingFrame frame(kCaptioned, 300, 200);
    frame.ncPaints = 0;
    frame.SetTitleText(nullptr);
    EXPECT_EQ(frame.ncPaints, 0);
    frame.SetTitleText(L"one");
    EXPECT_EQ(frame.ncPaints, 1);
    frame.SetWindowText(L"two");
    EXPECT_GE(frame.ncPaints, 2);
    const int before = frame.ncPaints;
    frame.SendMessage(WM_NCACTIVATE, FALSE);
    EXPECT_EQ(frame.ncPaints, before + 1);
}

TEST(BaseWnd, BackgroundColourReachesThePanels)
{
    RecordingFrame frame(WS_POPUP | WS_VISIBLE, 100, 60);
    EXPECT_EQ(frame.GetBkColor(), GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(frame.GetRootPanel()->SetType(KXPT_SPLITTER | KXPT_VERT, 0.5));
    frame.SetBkColor(RGB(9, 8, 7));
    testsupport::DibSurface surface(100, 60);
    frame.GetRootPanel()->Draw(surface.dc());
    EXPECT_EQ(surface.pixel(70, 10), RGB(9, 8, 7));
    EXPECT_EQ(frame.GetPanelFromPoint(POINT{70, 10}), frame.GetRootPanel()->GetPanel2());
    // Erasing is left to the window's own painting.
    EXPECT_EQ(frame.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc())), 1);
}

namespace {
// Paints its client area as derived windows do: the panel tree, through a CPaintDC.
template <typename Window>
class PanelPainter : public Window {
public:
    using Window::Window;

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        this->GetRootPanel()->Draw(dc.m_hDC);
    }
};

// How many pixels of the area differ between two surfaces, the second one's area starting at offset.
int Differences(const testsupport::DibSurface& a, const testsupport::DibSurface& b, const RECT& area, POINT offset)
{
    int differing = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            differing += a.pixel(x, y) != b.pixel(x - area.left + offset.x, y - area.top + offset.y) ? 1 : 0;
        }
    }
    return differing;
}
} // namespace

TEST(BaseWnd, PrintingDrawsWhatTheScreenShows)
{
    PanelPainter<RecordingFrame> frame(kCaptioned, 240, 160);
    frame.SetTitleText(L"printed");
    ASSERT_TRUE(frame.GetRootPanel()->SetType(KXPT_SPLITTER | KXPT_VERT, 0.5));
    frame.GetRootPanel()->GetPanel1()->SetBkColor(RGB(200, 0, 0));
    frame.GetRootPanel()->GetPanel2()->SetBkColor(RGB(0, 200, 0));
    PanelPainter<CKxBaseWnd> child;
    ASSERT_TRUE(child.Create(L"child", WS_CHILD | WS_VISIBLE, RECT{150, 60, 190, 90}, &frame, 7));
    child.GetRootPanel()->SetBkColor(RGB(0, 0, 200));
    frame.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);

    CRect window;
    frame.GetWindowRect(&window);
    const CRect client = CKxTitleBar::ClientInWindow(frame);
    testsupport::DibSurface screen(window.Width(), window.Height());
    frametest::CaptureWindow(frame, screen);
    // The picture holds the title band, both panels and the child.
    ASSERT_EQ(screen.pixel(window.Width() / 2, 0), RGB(52, 100, 156));
    ASSERT_EQ(screen.pixel(client.left + 20, client.top + 20), RGB(200, 0, 0));
    ASSERT_EQ(screen.pixel(client.left + 140, client.top + 20), RGB(0, 200, 0));
    ASSERT_EQ(screen.pixel(client.left + 160, client.top + 70), RGB(0, 0, 200));

    struct Case {
        const char* how;
        UINT flags;
        RECT area; // of the screen picture the print must equal, from the print's top-left corner
    };
    const Case cases[] = {
        {"whole window", 0, CRect(0, 0, window.Width(), window.Height())},
        {"client area", PW_CLIENTONLY, client},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        testsupport::DibSurface printed(window.Width(), window.Height(), RGB(1, 2, 3));
        ASSERT_TRUE(PrintWindow(frame, printed.dc(), c.flags));
        EXPECT_EQ(Differences(printed, screen, CRect(0, 0, CRect(c.area).Width(), CRect(c.area).Height()),
                              CPoint(c.area.left, c.area.top)),
                  0);
    }
    // WM_PRINTCLIENT alone draws the panels through the same OnPaint.
    testsupport::DibSurface clientOnly(client.Width(), client.Height(), RGB(1, 2, 3));
    frame.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(clientOnly.dc()), PRF_CLIENT);
    EXPECT_EQ(clientOnly.pixel(20, 20), RGB(200, 0, 0));
    EXPECT_EQ(clientOnly.pixel(160, 70), RGB(0, 200, 0)) << "no children without PRF_CHILDREN";
}

namespace {
class FilteringFrame : public RecordingFrame {
public:
    FilteringFrame() : RecordingFrame(WS_POPUP | WS_VISIBLE, 100, 60) {}
    UINT filtered = 0;

protected:
    LRESULT KxPreTranslateMsg(MSG* msg) override
    {
        filtered = msg->message;
        return msg->message == WM_KEYDOWN ? 1 : 0;
    }
};
} // namespace

TEST(BaseWnd, AHostPreTranslatesThroughThePrivateMessage)
{
    FilteringFrame frame;
    MSG key{frame, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_EQ(frame.SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&key)), 1);
    EXPECT_EQ(frame.filtered, static_cast<UINT>(WM_KEYDOWN));
    MSG up{frame, WM_KEYUP, VK_F5, 0, 0, {}};
    EXPECT_EQ(frame.SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&up)), 0);

    // The base version answers whether the pre-translate walk (the panels first) took it.
    RecordingFrame plain(WS_POPUP | WS_VISIBLE, 100, 60);
    ASSERT_TRUE(plain.GetRootPanel()->SetType(KXPT_SPLITTER | KXPT_VERT, 0.5));
    MSG press{plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10), 0, {}};
    EXPECT_EQ(plain.SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&press)), 1);
    MSG release{plain, WM_LBUTTONUP, 0, MAKELPARAM(50, 10), 0, {}};
    EXPECT_EQ(plain.SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&release)), 1);
    EXPECT_EQ(plain.splitterMoves, 1);
}

namespace {
class ProbingFrame : public RecordingFrame {
public:
    ProbingFrame() : RecordingFrame(WS_POPUP | WS_VISIBLE, 100, 60) {}
    using CKxBaseWnd::CheckPeekMsgMouseMove;
    using CKxBaseWnd::CheckPeekMsgPgUpDown;
    using CKxBaseWnd::CheckPeekMsgUpDown;
};

void HoldKey(int key, bool held)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[key] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}
} // namespace

TEST(BaseWnd, KeyAndMouseProbes)
{
    ProbingFrame frame;
    EXPECT_EQ(frame.CheckPeekMsgPgUpDown(), 0);
    HoldKey(VK_PRIOR, true);
    EXPECT_EQ(frame.CheckPeekMsgPgUpDown(), VK_PRIOR);
    HoldKey(VK_NEXT, true);
    EXPECT_EQ(frame.CheckPeekMsgPgUpDown(), VK_NEXT);
    HoldKey(VK_PRIOR, false);
    HoldKey(VK_NEXT, false);
    HoldKey(VK_UP, true);
    EXPECT_EQ(frame.CheckPeekMsgUpDown(), VK_UP);
    HoldKey(VK_UP, false);
    EXPECT_EQ(frame.CheckPeekMsgUpDown(), 0);

    testsupport::PumpPending();
    EXPECT_FALSE(frame.CheckPeekMsgMouseMove());
    frame.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(frame.CheckPeekMsgMouseMove());
    EXPECT_TRUE(frame.CheckPeekMsgMouseMove()); // left in the queue
}

TEST(BaseWnd, MenuEntriesAreMeasuredAndDrawnByTheMenuHelper)
{
    RecordingFrame frame(WS_POPUP | WS_VISIBLE, 100, 60);
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 100, L"Open");
    frame.GetXPMenu()->RemapMenu(&menu);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(menu.GetMenuItemInfo(0, &info, TRUE));

    MEASUREITEMSTRUCT measure{ODT_MENU, 0, 100, 0, 0, info.dwItemData};
    frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_GT(measure.itemWidth, 28u);
    EXPECT_GT(measure.itemHeight, 6u);

    testsupport::DibSurface surface(120, 20, RGB(0, 0, 0));
    DRAWITEMSTRUCT draw{ODT_MENU, 0, 100, ODA_DRAWENTIRE, 0, nullptr, surface.dc(), {0, 0, 120, 20}, info.dwItemData};
    frame.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(surface.pixel(5, 10), KXMENU_CLR_ICONCOLUMN);
}

TEST(BaseWnd, TitleBarPaintsLeakNoGdiObjects)
{
    RecordingFrame frame(kCaptioned, 300, 200);
    frame.SetTitleText(L"leak check");
    frame.SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(frame.ButtonCentre(KXTB_CLOSE)));
    frame.SendMessage(WM_NCPAINT, 1);
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        frame.SendMessage(WM_NCPAINT, 1);
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}
