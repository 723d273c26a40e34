#include <util/basewnd.h>
#include <util/panel.h>

#include <gtest/gtest.h>

#include <thread>

#include "frame_windows.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"

using frametest::RecordingFrame;
using frametest::RecordingView;
using frametest::SameRect;

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_VISIBLE;
constexpr UINT kVerticalSplitter = KXPT_SPLITTER | KXPT_VERT;
constexpr UINT kHorizontalSplitter = KXPT_SPLITTER | KXPT_HORZ;

void Post(HWND window, UINT message, int x, int y, WPARAM keys = 0)
{
    PostMessageW(window, message, keys, MAKELPARAM(x, y));
}

} // namespace

// ---- splits ----

TEST(Panel, FractionSplitDividesThePanelAndTellsTheViews)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(SameRect(root->GetRect(), RECT{0, 0, 400, 300}));
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    EXPECT_TRUE(SameRect(root->GetPanel1()->GetRect(), RECT{0, 0, 100, 300}));
    EXPECT_TRUE(SameRect(root->GetPanel2()->GetRect(), RECT{100, 0, 400, 300}));
    EXPECT_EQ(root->GetPanel1()->GetParentPanel(), root);

    RecordingView left, right;
    ASSERT_TRUE(root->GetPanel1()->SetType(KXPT_VIEW, 0));
    ASSERT_TRUE(root->GetPanel2()->SetType(KXPT_VIEW, 0));
    EXPECT_TRUE(root->GetPanel1()->SetView(&left));
    EXPECT_TRUE(root->GetPanel2()->SetView(&right));
    ASSERT_NE(left.Last(KXPN_MOVE), nullptr);
    EXPECT_TRUE(SameRect(left.Last(KXPN_MOVE)->rect, RECT{0, 0, 100, 300}));
    EXPECT_TRUE(SameRect(right.Last(KXPN_MOVE)->rect, RECT{100, 0, 400, 300}));

    // Resizing the window moves the tree with it.
    frame.MoveWindow(40, 40, 800, 200);
    EXPECT_TRUE(SameRect(left.Last(KXPN_MOVE)->rect, RECT{0, 0, 200, 200}));
    EXPECT_TRUE(SameRect(right.Last(KXPN_MOVE)->rect, RECT{200, 0, 800, 200}));
    EXPECT_EQ(root->GetPanel1()->GetView(), &left);
    EXPECT_EQ(root->GetView(), nullptr);
}

TEST(Panel, FixedSizesHoldTheirChildAcrossResizes)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter | KXPT_FIXED2, 120));
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 280);
    frame.MoveWindow(40, 40, 600, 300);
    EXPECT_EQ(root->GetPanel2()->GetRect().Width(), 120);
    EXPECT_EQ(root->GetPanel1()->GetRect().Width(), 480);

    ASSERT_TRUE(root->SetType(kHorizontalSplitter | KXPT_FIXED1, 70.4));
    EXPECT_TRUE(SameRect(root->GetPanel1()->GetRect(), RECT{0, 0, 600, 70}));
    EXPECT_TRUE(SameRect(root->GetPanel2()->GetRect(), RECT{0, 70, 600, 300}));
    // A fixed size beyond the panel leaves the other child empty, not inside out, and comes back whole.
    frame.MoveWindow(40, 40, 600, 50);
    EXPECT_TRUE(SameRect(root->GetPanel2()->GetRect(), RECT{0, 50, 600, 50}));
    frame.MoveWindow(40, 40, 600, 300);
    EXPECT_EQ(root->GetPanel1()->GetRect().Height(), 70);
}

TEST(Panel, RepeatedResizesDoNotCreepTheSplit)
{
    RecordingFrame frame(kPopup, 301, 100);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    for (int i = 0; i < 20; ++i) {
        frame.MoveWindow(40, 40, 301, 100);
        frame.MoveWindow(40, 40, 600, 100);
    }
    EXPECT_DOUBLE_EQ(root->GetPos(), 0.5);
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 300);
}

TEST(Panel, UnsupportedTypesAreRefusedAndChangeNothing)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    CKxPanel* first = root->GetPanel1();
    EXPECT_FALSE(root->SetType(kVerticalSplitter | KXPT_UNITMASK, 10));
    EXPECT_FALSE(root->SetType(KXPT_SPLITTER | KXPT_VERT | KXPT_HORZ, 0.5));
    EXPECT_FALSE(root->SetType(KXPT_SPLIT, 0.5));
    EXPECT_EQ(root->GetPanel1(), first);
    EXPECT_DOUBLE_EQ(root->GetPos(), 0.5);

    // Operations on the wrong kind of panel do nothing.
    RecordingView view;
    EXPECT_FALSE(root->SetView(&view));
    EXPECT_EQ(first->GetPanel1(), nullptr);
    first->SetPos(0.3);
    first->HideSubPanel(1);
    first->DelSubPanel(1);
    EXPECT_EQ(first->GetType(), static_cast<UINT>(KXPT_EMPTY));
    EXPECT_TRUE(first->IsSubPanelVisable(1));
}

TEST(Panel, LimitsOfTheViewsBoundTheDrag)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    RecordingView left, right;
    left.smallest = {60, 5};
    left.largest = {250, 0x3FFFFFFF};
    right.smallest = {90, 5};
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    root->GetPanel1()->SetType(KXPT_VIEW, 0);
    root->GetPanel2()->SetType(KXPT_VIEW, 0);
    root->GetPanel1()->SetView(&left);
    root->GetPanel2()->SetView(&right);

    SIZE smallest{}, largest{};
    EXPECT_TRUE(root->GetPanel1()->GetLimitSize(&smallest, &largest));
    EXPECT_TRUE(left.limitsAsked);
    EXPECT_EQ(smallest.cx, 60);
    EXPECT_EQ(largest.cx, 250);
    // A split panel: the larger of the smallest sizes, the smaller of the largest.
    EXPECT_TRUE(root->GetLimitSize(&smallest, &largest));
    EXPECT_EQ(smallest.cx, 90);
    EXPECT_EQ(largest.cx, 250);
    // An empty panel has only the defaults.
    CKxPanel lonely(nullptr, nullptr);
    EXPECT_FALSE(lonely.GetLimitSize(&smallest, &largest));
    EXPECT_EQ(smallest.cx, 5);
    EXPECT_EQ(largest.cy, 0x3FFFFFFF);

    // The line may go from 60 (left's smallest) to 250 (left's largest; right keeps more than 90).
    Post(frame, WM_LBUTTONDOWN, 200, 150, MK_LBUTTON);
    Post(frame, WM_MOUSEMOVE, 300, 150, MK_LBUTTON); // beyond: swallowed, the line stays
    Post(frame, WM_MOUSEMOVE, 40, 150, MK_LBUTTON);  // before: likewise
    Post(frame, WM_LBUTTONUP, 40, 150);
    testsupport::PumpPending();
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 200);
    EXPECT_EQ(frame.splitterMoves, 1);
}

// ---- dragging ----

TEST(Panel, DraggingTheSplitterMovesItAndReportsOnce)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    RecordingView left;
    root->GetPanel1()->SetType(KXPT_VIEW, 0);
    root->GetPanel1()->SetView(&left);

    Post(frame, WM_LBUTTONDOWN, 101, 150, MK_LBUTTON);
    testsupport::PumpPending();
    EXPECT_EQ(GetCapture(), frame.m_hWnd);
    Post(frame, WM_MOUSEMOVE, 150, 150, MK_LBUTTON);
    Post(frame, WM_MOUSEMOVE, 180, 20, MK_LBUTTON);
    testsupport::PumpPending();
    EXPECT_EQ(frame.splitterMoves, 0);
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 100); // nothing moves before the release
    Post(frame, WM_LBUTTONUP, 180, 20);
    testsupport::PumpPending();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(frame.splitterMoves, 1);
    EXPECT_TRUE(SameRect(root->GetPanel1()->GetRect(), RECT{0, 0, 180, 300}));
    EXPECT_TRUE(SameRect(root->GetPanel2()->GetRect(), RECT{180, 0, 400, 300}));
    EXPECT_DOUBLE_EQ(root->GetPos(), 0.45);
    EXPECT_TRUE(SameRect(left.Last(KXPN_MOVE)->rect, RECT{0, 0, 180, 300}));

    // Moves and releases without a press are not the panels'.
    Post(frame, WM_MOUSEMOVE, 300, 150);
    Post(frame, WM_LBUTTONUP, 300, 150);
    testsupport::PumpPending();
    EXPECT_EQ(frame.splitterMoves, 1);
}

TEST(Panel, PressesAwayFromTheSplitterOrOnAFixedSplitDoNotDrag)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    MSG press{frame, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10), 0, {}};
    EXPECT_FALSE(root->PreTranslateMessage(&press));
    press.lParam = MAKELPARAM(199, 10);
    EXPECT_TRUE(root->PreTranslateMessage(&press));
    MSG release{frame, WM_LBUTTONUP, 0, MAKELPARAM(199, 10), 0, {}};
    EXPECT_TRUE(root->PreTranslateMessage(&release));

    ASSERT_TRUE(root->SetType(KXPT_SPLIT | KXPT_VERT, 0.5)); // no draggable splitter
    press.lParam = MAKELPARAM(200, 10);
    EXPECT_FALSE(root->PreTranslateMessage(&press));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Panel, AMessageOfAChildWindowIsTakenInTheOwnersCoordinates)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kHorizontalSplitter, 0.5)); // the line at y = 150
    HWND child =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 140, 100, 40, frame, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    Post(child, WM_LBUTTONDOWN, 10, 11, MK_LBUTTON); // (30, 151) in the frame
    testsupport::PumpPending();
    EXPECT_EQ(GetCapture(), frame.m_hWnd);
    Post(frame, WM_MOUSEMOVE, 30, 200, MK_LBUTTON);
    Post(frame, WM_LBUTTONUP, 30, 200);
    testsupport::PumpPending();
    EXPECT_EQ(root->GetPanel1()->GetRect().bottom, 200);
    EXPECT_EQ(frame.splitterMoves, 1);
}

TEST(Panel, ADragWhoseCaptureWentElsewhereIsCancelled)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    Post(frame, WM_LBUTTONDOWN, 200, 50, MK_LBUTTON);
    testsupport::PumpPending();
    ReleaseCapture();
    Post(frame, WM_MOUSEMOVE, 100, 50, MK_LBUTTON);
    Post(frame, WM_LBUTTONUP, 100, 50);
    testsupport::PumpPending();
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 200);
    EXPECT_EQ(frame.splitterMoves, 0);
}

// ---- hiding and deleting ----

TEST(Panel, HidingAChildGivesTheOtherTheWholePanelAndTellsTheViews)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    // The first child is itself split, with a view in each half.
    CKxPanel* first = root->GetPanel1();
    ASSERT_TRUE(first->SetType(kHorizontalSplitter, 0.5));
    RecordingView top, bottom, right;
    first->GetPanel1()->SetType(KXPT_VIEW, 0);
    first->GetPanel2()->SetType(KXPT_VIEW, 0);
    root->GetPanel2()->SetType(KXPT_VIEW, 0);
    first->GetPanel1()->SetView(&top);
    first->GetPanel2()->SetView(&bottom);
    root->GetPanel2()->SetView(&right);

    root->HideSubPanel(1);
    EXPECT_FALSE(root->IsSubPanelVisable(1));
    EXPECT_TRUE(root->IsSubPanelVisable(2));
    EXPECT_FALSE(first->GetPanel1()->IsVisable());
    EXPECT_TRUE(root->GetPanel2()->IsVisable());
    ASSERT_NE(top.Last(KXPN_SHOW), nullptr);
    EXPECT_FALSE(top.Last(KXPN_SHOW)->shown);
    EXPECT_FALSE(bottom.Last(KXPN_SHOW)->shown);
    EXPECT_TRUE(right.Last(KXPN_SHOW)->shown);
    EXPECT_TRUE(SameRect(right.Last(KXPN_MOVE)->rect, RECT{0, 0, 400, 300}));
    EXPECT_EQ(root->GetPanelFromPoint(POINT{10, 10}), root->GetPanel2());

    // Showing it again keeps the position and reaches every view below it.
    root->SetPos(-1);
    EXPECT_TRUE(root->IsSubPanelVisable(1));
    EXPECT_DOUBLE_EQ(root->GetPos(), 0.25);
    EXPECT_TRUE(top.Last(KXPN_SHOW)->shown);
    EXPECT_TRUE(SameRect(top.Last(KXPN_MOVE)->rect, RECT{0, 0, 100, 150}));
    EXPECT_TRUE(SameRect(bottom.Last(KXPN_MOVE)->rect, RECT{0, 150, 100, 300}));
    EXPECT_TRUE(SameRect(right.Last(KXPN_MOVE)->rect, RECT{100, 0, 400, 300}));
    EXPECT_EQ(root->GetPanelFromPoint(POINT{10, 200}), first->GetPanel2());
    EXPECT_EQ(root->GetPanelFromPoint(POINT{500, 10}), nullptr);
}

TEST(Panel, AHiddenChildsSplitterCannotBeDragged)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    ASSERT_TRUE(root->GetPanel2()->SetType(kHorizontalSplitter, 0.5)); // its splitter at y = 150
    root->HideSubPanel(2);
    MSG press{frame, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 150), 0, {}};
    EXPECT_FALSE(root->PreTranslateMessage(&press));
    press.lParam = MAKELPARAM(200, 10); // nor the one between the children
    EXPECT_FALSE(root->PreTranslateMessage(&press));
}

TEST(Panel, SetPosMovesTheSplitOrOnlyShowsAHiddenChild)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    root->SetPos(0.75);
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 300);
    root->HideSubPanel(2);
    EXPECT_TRUE(SameRect(root->GetPanel1()->GetRect(), RECT{0, 0, 400, 300}));
    root->SetPos(-1);
    EXPECT_EQ(root->GetPanel1()->GetRect().right, 300);
    EXPECT_TRUE(root->IsSubPanelVisable(2));
}

TEST(Panel, DeletingALeafGivesItsSiblingsViewToThePanel)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    RecordingView kept;
    root->GetPanel2()->SetType(KXPT_VIEW, 0);
    root->GetPanel2()->SetView(&kept);
    root->DelSubPanel(1);
    EXPECT_EQ(root->GetType(), static_cast<UINT>(KXPT_VIEW));
    EXPECT_EQ(root->GetView(), &kept);
    EXPECT_EQ(root->GetPanel1(), nullptr);
    EXPECT_TRUE(SameRect(kept.Last(KXPN_MOVE)->rect, RECT{0, 0, 400, 300}));
}

TEST(Panel, DeletingAChildAdoptsTheOthersSubtree)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    ASSERT_TRUE(root->GetPanel1()->SetType(kHorizontalSplitter | KXPT_FIXED1, 100));
    CKxPanel* grandTop = root->GetPanel1()->GetPanel1();
    RecordingView view;
    grandTop->SetType(KXPT_VIEW, 0);
    grandTop->SetView(&view);

    root->DelSubPanel(2);
    EXPECT_EQ(root->GetType(), static_cast<UINT>(kHorizontalSplitter | KXPT_FIXED1));
    EXPECT_EQ(root->GetPanel1(), grandTop);
    EXPECT_EQ(grandTop->GetParentPanel(), root);
    EXPECT_DOUBLE_EQ(root->GetPos(), 100);
    EXPECT_TRUE(SameRect(view.Last(KXPN_MOVE)->rect, RECT{0, 0, 400, 100}));
    EXPECT_TRUE(SameRect(root->GetPanel2()->GetRect(), RECT{0, 100, 400, 300}));
}

// ---- locks ----

TEST(Panel, LockingFixesTheBranchsSizeAndUnlockingRestoresTheFraction)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.25));
    CKxPanel* left = root->GetPanel1();
    EXPECT_TRUE(left->CanLockPanelSize(KXPT_VERT));
    EXPECT_FALSE(left->IsLecked(KXPT_VERT));
    EXPECT_TRUE(left->LockPanelSize(KXPT_VERT));
    EXPECT_EQ(root->GetType(), static_cast<UINT>(KXPT_SPLIT | KXPT_VERT | KXPT_FIXED1));
    EXPECT_DOUBLE_EQ(root->GetPos(), 100);
    EXPECT_TRUE(left->IsLecked(KXPT_VERT));
    EXPECT_FALSE(left->CanLockPanelSize(KXPT_VERT));
    EXPECT_FALSE(left->LockPanelSize(KXPT_VERT));
    frame.MoveWindow(40, 40, 800, 300);
    EXPECT_EQ(left->GetRect().Width(), 100);
    // The other child is seen past: the locked side decides for it, and there is none above.
    EXPECT_FALSE(root->GetPanel2()->IsLecked(KXPT_VERT));

    EXPECT_TRUE(left->UnLockPanelSize(KXPT_VERT));
    EXPECT_EQ(root->GetType(), static_cast<UINT>(kVerticalSplitter));
    EXPECT_DOUBLE_EQ(root->GetPos(), 100.0 / 800.0);
    EXPECT_FALSE(left->UnLockPanelSize(KXPT_VERT));
}

TEST(Panel, LockingTheSecondChildAndLockingThroughAnotherDirection)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kHorizontalSplitter, 0.5));
    CKxPanel* bottom = root->GetPanel2();
    ASSERT_TRUE(bottom->SetType(kVerticalSplitter, 0.25));
    CKxPanel* corner = bottom->GetPanel2();
    // A height lock from the corner passes the vertical splitter and fixes the bottom half.
    EXPECT_TRUE(corner->LockPanelSize(KXPT_HORZ));
    EXPECT_EQ(root->GetType(), static_cast<UINT>(KXPT_SPLIT | KXPT_HORZ | KXPT_FIXED2));
    EXPECT_DOUBLE_EQ(root->GetPos(), 150);
    EXPECT_TRUE(corner->IsLecked(KXPT_HORZ));
    // Its width lock fixes it within the bottom half: (1 - 0.25) x 400.
    EXPECT_TRUE(corner->LockPanelSize(KXPT_VERT));
    EXPECT_DOUBLE_EQ(bottom->GetPos(), 300);
    EXPECT_TRUE(corner->UnLockPanelSize(KXPT_VERT));
    EXPECT_DOUBLE_EQ(bottom->GetPos(), 0.25);

    EXPECT_FALSE(corner->LockPanelSize(0x10));
    EXPECT_FALSE(root->LockPanelSize(KXPT_VERT)); // no parent
}

// ---- drawing ----

TEST(Panel, EmptyPanelsFillTheirBackgroundAndDrawTheirBorders)
{
    RecordingFrame frame(kPopup, 200, 100);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    root->SetBkColor(RGB(10, 20, 30));
    root->SetBorderColor(RGB(200, 0, 0));
    testsupport::DibSurface surface(200, 100, RGB(255, 255, 255));
    root->Draw(surface.dc());
    EXPECT_EQ(frame.backgroundRequests, 2);
    EXPECT_EQ(surface.pixel(50, 50), RGB(10, 20, 30));
    EXPECT_EQ(surface.pixel(150, 50), RGB(10, 20, 30));
    // Right and bottom edges of each leaf, corners included.
    EXPECT_EQ(surface.pixel(99, 50), RGB(200, 0, 0));
    EXPECT_EQ(surface.pixel(199, 50), RGB(200, 0, 0));
    EXPECT_EQ(surface.pixel(50, 99), RGB(200, 0, 0));
    EXPECT_EQ(surface.pixel(99, 99), RGB(200, 0, 0));
    EXPECT_EQ(surface.pixel(100, 50), RGB(10, 20, 30));
    EXPECT_EQ(surface.count(RGB(200, 0, 0)), 100 + 100 + 99 + 99);

    // An owner that paints the background itself leaves the area to it; hidden children are not drawn.
    frame.backgroundAnswer = 1;
    root->HideSubPanel(2);
    surface.fill(RGB(255, 255, 255));
    root->Draw(surface.dc());
    EXPECT_EQ(frame.backgroundRequests, 3);
    EXPECT_EQ(surface.pixel(100, 50), RGB(255, 255, 255));
    EXPECT_EQ(surface.pixel(199, 50), RGB(200, 0, 0));
}

TEST(Panel, WithoutAnOwnerWindowThePanelFillsItselfAndNewChildrenTakeItsColours)
{
    CKxPanel root(nullptr, nullptr);
    const RECT area{0, 0, 40, 20};
    root.MovePanel(&area);
    root.SetBkColor(RGB(1, 2, 3));
    root.SetBorderColor(RGB(4, 5, 6));
    ASSERT_TRUE(root.SetType(kVerticalSplitter, 0.5));
    testsupport::DibSurface surface(40, 20, RGB(255, 255, 255));
    root.Draw(surface.dc());
    EXPECT_EQ(surface.pixel(5, 5), RGB(1, 2, 3));
    EXPECT_EQ(surface.pixel(19, 5), RGB(4, 5, 6));
    root.EnableDrawBk(FALSE);
    surface.fill(RGB(255, 255, 255));
    root.Draw(surface.dc());
    EXPECT_EQ(surface.pixel(5, 5), RGB(255, 255, 255));
}

TEST(Panel, DrawingLeaksNoGdiObjects)
{
    RecordingFrame frame(kPopup, 300, 200);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.3));
    root->GetPanel2()->SetType(kHorizontalSplitter, 0.6);
    testsupport::DibSurface surface(300, 200);
    root->Draw(surface.dc());
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        root->Draw(surface.dc());
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

// ---- cursor hook ----

TEST(PanelCursor, TheLoadingThreadsHookShowsTheSplitterCursorOverAChildWindow)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kVerticalSplitter, 0.5));
    HWND child =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 190, 100, 20, 20, frame, nullptr, nullptr, nullptr);
    const HCURSOR splitter = LoadCursorW(GetModuleHandleW(L"util.dll"), MAKEINTRESOURCEW(102));
    ASSERT_NE(splitter, nullptr);
    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    POINT over{200, 110};
    ClientToScreen(frame, &over);
    ASSERT_TRUE(SetCursorPos(over.x, over.y));
    SetCursor(nullptr);
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), hit);
    EXPECT_EQ(GetCursor(), splitter);

    POINT away{50, 110};
    ClientToScreen(frame, &away);
    SetCursorPos(away.x, away.y);
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), hit);
    EXPECT_NE(GetCursor(), splitter);

    // Without the hook the child's own answer stands.
    SetCursorPos(over.x, over.y);
    EXPECT_TRUE(CKxPanel::SetCursorHook()); // installed already: still one
    EXPECT_TRUE(CKxPanel::UnCursorHook());
    EXPECT_FALSE(CKxPanel::UnCursorHook());
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), hit);
    EXPECT_NE(GetCursor(), splitter);
    EXPECT_TRUE(CKxPanel::SetCursorHook());
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), hit);
    EXPECT_EQ(GetCursor(), splitter);
}

TEST(PanelCursor, EveryThreadHasItsOwnHook)
{
    BOOL installed = FALSE, removed = FALSE, removedAgain = TRUE;
    std::thread other([&] {
        installed = CKxPanel::SetCursorHook();
        removed = CKxPanel::UnCursorHook();
        removedAgain = CKxPanel::UnCursorHook();
    });
    other.join();
    EXPECT_TRUE(installed);
    EXPECT_TRUE(removed);
    EXPECT_FALSE(removedAgain);
    // The loading thread's hook is untouched.
    EXPECT_TRUE(CKxPanel::UnCursorHook());
}

// The hook is only placed while a split panel lives: whatever the order of asking, splitting and
// earlier splits going away, a split made now shows its cursor over a child window.
enum class HookAsked { BeforeAnySplit, AfterTheSplit, AfterAnEarlierSplitWent };

class PanelCursorOrder : public ::testing::TestWithParam<HookAsked> {};

TEST_P(PanelCursorOrder, TheSplitterCursorShowsOverAChildWindow)
{
    CKxPanel::UnCursorHook(); // whatever earlier tests left
    if (GetParam() == HookAsked::AfterAnEarlierSplitWent) {
        ASSERT_TRUE(CKxPanel::SetCursorHook());
        RecordingFrame earlier(kPopup, 100, 100);
        ASSERT_TRUE(earlier.GetRootPanel()->SetType(kVerticalSplitter, 0.5));
    }
    if (GetParam() == HookAsked::BeforeAnySplit) {
        ASSERT_TRUE(CKxPanel::SetCursorHook());
    }
    RecordingFrame frame(kPopup, 400, 300);
    ASSERT_TRUE(frame.GetRootPanel()->SetType(kVerticalSplitter, 0.5));
    if (GetParam() == HookAsked::AfterTheSplit) {
        ASSERT_TRUE(CKxPanel::SetCursorHook());
    }
    HWND child =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 190, 100, 20, 20, frame, nullptr, nullptr, nullptr);
    POINT over{200, 110};
    ClientToScreen(frame, &over);
    ASSERT_TRUE(SetCursorPos(over.x, over.y));
    SetCursor(nullptr);
    SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(GetModuleHandleW(L"util.dll"), MAKEINTRESOURCEW(102)));
}

INSTANTIATE_TEST_SUITE_P(EveryOrder, PanelCursorOrder,
                         ::testing::Values(HookAsked::BeforeAnySplit, HookAsked::AfterTheSplit,
                                           HookAsked::AfterAnEarlierSplitWent));

TEST(PanelCursor, WhileDraggingTheCursorStaysTheSplitters)
{
    RecordingFrame frame(kPopup, 400, 300);
    CKxPanel* root = frame.GetRootPanel();
    ASSERT_TRUE(root->SetType(kHorizontalSplitter, 0.5));
    const HCURSOR splitter = LoadCursorW(GetModuleHandleW(L"util.dll"), MAKEINTRESOURCEW(103));
    POINT away{10, 10};
    ClientToScreen(frame, &away);
    SetCursorPos(away.x, away.y);
    EXPECT_EQ(frame.SendMessage(WM_KX_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 0);
    Post(frame, WM_LBUTTONDOWN, 30, 150, MK_LBUTTON);
    testsupport::PumpPending();
    EXPECT_EQ(frame.SendMessage(WM_KX_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(GetCursor(), splitter);
    Post(frame, WM_LBUTTONUP, 30, 150);
    testsupport::PumpPending();
}
