#include <util/module.h>
#include <util/wnd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"
#include "support/recording_parent.h"

using testsupport::PumpPending;
using testsupport::PumpUntil;
using testsupport::RecordingParent;

namespace {

const wchar_t kTestClass[] = L"UtilFrameworkTestWnd";

// A window that writes down which of its handlers ran.
class ProbeWnd : public CWnd {
public:
    ProbeWnd() { KxRegisterWndClass(kTestClass, ::LoadCursorW(nullptr, IDC_ARROW)); }
    ~ProbeWnd() override { DestroyWindow(); }

    BOOL CreateTopLevel(int width = 200, int height = 100)
    {
        return CreateEx(0, kTestClass, L"probe", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr);
    }

    std::vector<std::string> calls;
    bool attachedInCreate = false;
    CSize lastSize;
    CPoint lastClick;
    UINT_PTR lastTimer = 0;
    bool throwInCreate = false;

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        calls.push_back("OnCreate");
        attachedInCreate = FromHandlePermanent(m_hWnd) == this && cs != nullptr;
        if (throwInCreate) {
            throw CResourceException();
        }
        return CWnd::OnCreate(cs);
    }
    void OnSize(UINT type, int cx, int cy) override
    {
        calls.push_back("OnSize");
        lastSize = CSize(cx, cy);
        CWnd::OnSize(type, cx, cy);
    }
    void OnLButtonDown(UINT flags, CPoint point) override
    {
        calls.push_back("OnLButtonDown");
        lastClick = point;
        CWnd::OnLButtonDown(flags, point);
    }
    void OnTimer(UINT_PTR id) override
    {
        lastTimer = id;
        KillTimer(id);
    }
    void OnDestroy() override
    {
        calls.push_back("OnDestroy");
        CWnd::OnDestroy();
    }
};

} // namespace

TEST(WindowCreation, HandlersSeeTheAttachedObjectFromTheFirstMessage)
{
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(200, 100));
    EXPECT_TRUE(wnd.attachedInCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);

    wnd.MoveWindow(0, 0, 150, 80);
    EXPECT_EQ(wnd.lastSize, CSize(150, 80));
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
    EXPECT_EQ(wnd.lastClick, CPoint(12, 34));

    const HWND handle = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
    EXPECT_EQ(wnd.calls.back(), "OnDestroy");
}

TEST(WindowCreation, DefaultGivesTheMessageToThePreviousProcedure)
{
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(200, 100));
    // Hit testing is answered by the platform through the handler's own implementation.
    RECT bounds;
    wnd.GetWindowRect(&bounds);
    EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(bounds.left + 50, bounds.top + 50)), HTCLIENT);
    wnd.SetWindowText(L"标题 text");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(text, L"标题 text");
    EXPECT_EQ(wnd.GetWindowTextLength(), 7);
    EXPECT_EQ(CWnd::GetCurrentMessage(), nullptr); // outside any handler
}

TEST(WindowCreation, AnExceptionInOnCreateFailsTheCreation)
{
    ProbeWnd wnd;
    wnd.throwInCreate = true;
    EXPECT_FALSE(wnd.CreateTopLevel());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(WindowCreation, ChildWindowsGetTheirIdentifierAndParent)
{
    RecordingParent parent;
    ProbeWnd child;
    ASSERT_TRUE(child.Create(kTestClass, L"child", WS_VISIBLE, CRect(10, 10, 60, 40), &parent, 77));
    EXPECT_EQ(child.GetDlgCtrlID(), 77);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetDlgItem(77), &child);
    EXPECT_TRUE(parent.IsChild(&child));
    EXPECT_NE(child.GetStyle() & WS_CHILD, 0u);
    EXPECT_EQ(child.GetTopLevelParent(), &parent);
    CRect rect;
    child.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    EXPECT_EQ(rect, CRect(10, 10, 60, 40));
}

TEST(WindowClass, RegisteredOnceInTheLibraryModule)
{
    const wchar_t name[] = L"UtilRegisterOnce";
    KxRegisterWndClass(name, nullptr);
    WNDCLASSEXW first{};
    first.cbSize = sizeof(first);
    const ATOM atom = static_cast<ATOM>(::GetClassInfoExW(AfxGetInstanceHandle(), name, &first));
    ASSERT_NE(atom, 0);
    EXPECT_EQ(first.style, 0x000Bu);
    EXPECT_EQ(first.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(first.hCursor, nullptr);

    // A second call keeps the first registration, even with other settings.
    EXPECT_NO_THROW(KxRegisterWndClass(name, ::LoadCursorW(nullptr, IDC_ARROW)));
    WNDCLASSEXW second{};
    second.cbSize = sizeof(second);
    EXPECT_EQ(static_cast<ATOM>(::GetClassInfoExW(AfxGetInstanceHandle(), name, &second)), atom);
    EXPECT_EQ(second.hCursor, nullptr);
    EXPECT_FALSE(::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &second) &&
                 second.hInstance == ::GetModuleHandleW(nullptr));
}

TEST(WindowClass, FailedRegistrationThrowsTheResourceException)
{
    const std::wstring tooLong(300, L'x');
    EXPECT_THROW(KxRegisterWndClass(tooLong.c_str(), nullptr), CResourceException);
    EXPECT_THROW(KxRegisterWndClass(L"", nullptr), CResourceException);
    EXPECT_THROW(KxRegisterWndClass(nullptr, nullptr), CResourceException);
    // A name at the limit is fine.
    const std::wstring longest(255, L'y');
    EXPECT_NO_THROW(KxRegisterWndClass(longest.c_str(), nullptr));
}

// ---- subclassing ----

namespace {

// Counts the messages it sees and, while attached, answers WM_USER + 1 itself.
class CountingWnd : public CWnd {
public:
    int seen = 0;
    WNDPROC procedureDuringPreSubclass = nullptr;
    bool mappedDuringPreSubclass = false;

protected:
    void PreSubclassWindow() override
    {
        procedureDuringPreSubclass = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
        mappedDuringPreSubclass = FromHandlePermanent(m_hWnd) == this;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        ++seen;
        if (message == WM_USER + 1) {
            return 4321;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

HWND CreatePlainStatic(HWND parent, int id)
{
    return ::CreateWindowExW(0, L"STATIC", L"plain", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

} // namespace

TEST(Subclassing, RoutesMessagesThroughTheObjectAndBackAgain)
{
    RecordingParent parent;
    HWND plain = CreatePlainStatic(parent.m_hWnd, 5);
    ASSERT_NE(plain, nullptr);
    const LONG_PTR original = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);

    CountingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(plain));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(wnd.procedureDuringPreSubclass), original); // not yet replaced
    EXPECT_TRUE(wnd.mappedDuringPreSubclass);
    EXPECT_NE(::GetWindowLongPtrW(plain, GWLP_WNDPROC), original);
    EXPECT_EQ(::SendMessageW(plain, WM_USER + 1, 0, 0), 4321);
    // Messages the object does not handle still reach the control's own procedure.
    ::SetWindowTextW(plain, L"changed");
    wchar_t text[32] = {};
    ::GetWindowTextW(plain, text, 32);
    EXPECT_STREQ(text, L"changed");
    EXPECT_GE(wnd.seen, 3);

    EXPECT_EQ(wnd.UnsubclassWindow(), plain);
    EXPECT_EQ(::GetWindowLongPtrW(plain, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    const int seenBefore = wnd.seen;
    EXPECT_EQ(::SendMessageW(plain, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(wnd.seen, seenBefore);
    EXPECT_TRUE(::IsWindow(plain)); // unsubclassing leaves the window alone
}

TEST(Subclassing, DialogItemsAndDoubleAttachment)
{
    RecordingParent parent;
    HWND plain = CreatePlainStatic(parent.m_hWnd, 42);
    CountingWnd first, second;
    EXPECT_FALSE(first.SubclassDlgItem(43, &parent));
    ASSERT_TRUE(first.SubclassDlgItem(42, &parent));
    EXPECT_EQ(first.m_hWnd, plain);
    EXPECT_FALSE(second.SubclassWindow(plain)); // a handle has one permanent object
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_FALSE(second.SubclassWindow(nullptr));
    EXPECT_EQ(::SendMessageW(plain, WM_USER + 1, 0, 0), 4321);
}

TEST(Subclassing, DestroyingTheWindowDetachesTheObject)
{
    RecordingParent parent;
    HWND plain = CreatePlainStatic(parent.m_hWnd, 6);
    CountingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(plain));
    ::DestroyWindow(plain);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
}

TEST(Subclassing, TemporaryObjectsNeverDestroyTheirWindow)
{
    RecordingParent parent;
    HWND plain = CreatePlainStatic(parent.m_hWnd, 7);
    CWnd* temporary = CWnd::FromHandle(plain);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_EQ(CWnd::FromHandle(plain), temporary);
    EXPECT_EQ(temporary->GetDlgCtrlID(), 7);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    // Many short-lived windows: the wrappers of dead ones are swept, live ones stay usable.
    for (int i = 0; i < 300; ++i) {
        HWND shortLived = CreatePlainStatic(parent.m_hWnd, 100 + i);
        EXPECT_EQ(CWnd::FromHandle(shortLived)->GetDlgCtrlID(), 100 + i);
        ::DestroyWindow(shortLived);
    }
    EXPECT_TRUE(::IsWindow(plain));
    EXPECT_EQ(CWnd::FromHandle(plain)->GetDlgCtrlID(), 7);
}

// ---- self-deletion ----

namespace {

class SelfDeletingWnd : public CWnd {
public:
    explicit SelfDeletingWnd(bool* deleted, bool skipBaseNcDestroy = false)
        : m_deleted(deleted), m_skipBaseNcDestroy(skipBaseNcDestroy)
    {
        KxRegisterWndClass(kTestClass, nullptr);
    }
    ~SelfDeletingWnd() override { *m_deleted = true; }

protected:
    void PostNcDestroy() override { delete this; }
    void OnNcDestroy() override
    {
        if (!m_skipBaseNcDestroy) {
            CWnd::OnNcDestroy();
        }
    }

private:
    bool* m_deleted;
    bool m_skipBaseNcDestroy;
};

} // namespace

TEST(PostNcDestroy, HeapWindowsDeleteThemselves)
{
    bool deleted = false;
    auto* wnd = new SelfDeletingWnd(&deleted);
    ASSERT_TRUE(wnd->CreateEx(0, kTestClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const HWND handle = wnd->m_hWnd;
    EXPECT_TRUE(wnd->DestroyWindow()); // the object is gone after this call
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
}

TEST(PostNcDestroy, RunsWhenTheParentTakesItsChildrenDown)
{
    bool childDeleted = false, otherDeleted = false;
    auto parent = std::make_unique<RecordingParent>();
    auto* child = new SelfDeletingWnd(&childDeleted);
    ASSERT_TRUE(child->Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 10, 10), parent.get(), 1));
    // An override that forgets the base handler still ends with the object let go.
    auto* other = new SelfDeletingWnd(&otherDeleted, true);
    ASSERT_TRUE(other->Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 10, 10), parent.get(), 2));
    parent.reset();
    EXPECT_TRUE(childDeleted);
    EXPECT_TRUE(otherDeleted);
}

// ---- reflection ----

namespace {

// A control that takes back the notifications it is told to and answers them.
class ReflectingButton : public CWnd {
public:
    int takeNotifyCode = 0;
    bool takeClicks = false;
    HBRUSH colourBrush = nullptr;
    std::vector<UINT> offered;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        offered.push_back(message);
        switch (message) {
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(takeNotifyCode)) {
                *result = 77;
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            return takeClicks && HIWORD(wParam) == BN_CLICKED;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (colourBrush) {
                *result = reinterpret_cast<LRESULT>(colourBrush);
                return TRUE;
            }
            return FALSE;
        case WM_DRAWITEM:
            *result = TRUE;
            return reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_BUTTON;
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 33;
            *result = TRUE;
            return TRUE;
        default:
            return CWnd::OnChildNotify(message, wParam, lParam, result);
        }
    }
};

NMHDR Header(HWND from, UINT_PTR id, int code)
{
    NMHDR header{};
    header.hwndFrom = from;
    header.idFrom = id;
    header.code = static_cast<UINT>(code);
    return header;
}

} // namespace

TEST(Reflection, NotificationsAreOfferedToTheSenderFirst)
{
    RecordingParent parent;
    ReflectingButton button;
    ASSERT_TRUE(button.Create(L"BUTTON", L"b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &parent, 9));
    button.takeNotifyCode = -100;

    NMHDR taken = Header(button.m_hWnd, 9, -100);
    NMHDR passed = Header(button.m_hWnd, 9, -101);
    parent.SetNotifyAnswer(-101, 5);
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&taken)), 77);
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&passed)), 5);

    const auto notifications = parent.Messages(WM_NOTIFY);
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_TRUE(notifications[0].takenByChild);
    EXPECT_EQ(notifications[0].code, -100);
    EXPECT_FALSE(notifications[1].takenByChild);
    EXPECT_EQ(notifications[1].id, 9u);
    EXPECT_EQ(notifications[1].from, button.m_hWnd);
}

TEST(Reflection, ControlCommandsReachTheControlThenTheParent)
{
    RecordingParent parent;
    ReflectingButton button;
    ASSERT_TRUE(button.Create(L"BUTTON", L"b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &parent, 9));
    button.SendMessage(BM_CLICK);
    button.takeClicks = true;
    button.SendMessage(BM_CLICK);
    // A menu or accelerator command names no control and is not reflected.
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(500, 0), 0);

    const auto commands = parent.Messages(WM_COMMAND);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].code, BN_CLICKED);
    EXPECT_EQ(commands[0].id, 9u);
    EXPECT_FALSE(commands[0].takenByChild);
    EXPECT_TRUE(commands[1].takenByChild);
    EXPECT_EQ(commands[2].id, 500u);
    EXPECT_FALSE(commands[2].takenByChild);
}

TEST(Reflection, ColoursAndOwnerDrawingGoToTheControl)
{
    RecordingParent parent;
    ReflectingButton button;
    ASSERT_TRUE(button.Create(L"BUTTON", L"b", WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 40, 20), &parent, 11));
    CBrush brush(RGB(1, 2, 3));
    button.colourBrush = brush;
    testsupport::DibSurface surface(4, 4);
    button.offered.clear();
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(surface.dc()),
                                 reinterpret_cast<LPARAM>(button.m_hWnd)),
              reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush)));
    EXPECT_EQ(button.offered, std::vector<UINT>{WM_CTLCOLORBTN});

    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = 11;
    draw.hwndItem = button.m_hWnd;
    draw.hDC = surface.dc();
    button.offered.clear();
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 11, reinterpret_cast<LPARAM>(&draw)), TRUE);
    EXPECT_EQ(button.offered, std::vector<UINT>{WM_DRAWITEM});

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = 11;
    button.offered.clear();
    parent.SendMessage(WM_MEASUREITEM, 11, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemHeight, 33u); // found by its identifier
    EXPECT_EQ(button.offered, std::vector<UINT>{WM_MEASUREITEM});

    // Menu items are the parent's own business.
    MEASUREITEMSTRUCT menu{};
    menu.CtlType = ODT_MENU;
    menu.CtlID = 11;
    button.offered.clear();
    parent.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&menu));
    EXPECT_EQ(menu.itemHeight, 0u);
    EXPECT_TRUE(button.offered.empty());
}

TEST(Reflection, PlainChildrenAreNotAsked)
{
    RecordingParent parent;
    HWND plain = CreatePlainStatic(parent.m_hWnd, 12);
    NMHDR header = Header(plain, 12, -5);
    parent.SetNotifyAnswer(-5, 8);
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&header)), 8);
    ASSERT_EQ(parent.Notifications(-5).size(), 1u);
    EXPECT_FALSE(parent.Notifications(-5)[0].takenByChild);
}

TEST(Reflection, ParentRecordsPrivateMessagesAndCopiesRecords)
{
    RecordingParent parent;
    struct Record {
        NMHDR header;
        int row;
        int column;
    } record{Header(parent.m_hWnd, 3, -700), 12, 34};
    parent.ExpectRecord<Record>(-700);
    parent.SetAnswer(0x504, 1);
    EXPECT_EQ(parent.SendMessage(0x504, 1, 2), 1);
    parent.SendMessage(WM_NOTIFY, 3, reinterpret_cast<LPARAM>(&record));
    record.row = 99; // the copy is taken while the notification is sent

    ASSERT_EQ(parent.received().size(), 2u);
    EXPECT_EQ(parent.received()[0].message, 0x504u);
    EXPECT_EQ(parent.received()[0].lParam, 2);
    const Record copy = parent.received()[1].As<Record>();
    EXPECT_EQ(copy.row, 12);
    EXPECT_EQ(copy.column, 34);
}

// ---- pre-translate walk ----

namespace {

class TranslatingWnd : public CWnd {
public:
    TranslatingWnd(std::vector<std::string>* log, std::string name, bool take)
        : m_log(log), m_name(std::move(name)), m_take(take)
    {
        KxRegisterWndClass(kTestClass, nullptr);
    }
    ~TranslatingWnd() override { DestroyWindow(); }
    int keysSeen = 0;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN) {
            m_log->push_back(m_name);
            return m_take;
        }
        return FALSE;
    }

protected:
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override
    {
        ++keysSeen;
        CWnd::OnKeyDown(key, repeat, flags);
    }

private:
    std::vector<std::string>* m_log;
    std::string m_name;
    bool m_take;
};

} // namespace

TEST(PreTranslate, WalksFromTheTargetUpToItsTopLevelWindow)
{
    std::vector<std::string> log;
    TranslatingWnd owner(&log, "owner", false), top(&log, "top", false), middle(&log, "middle", false),
        leaf(&log, "leaf", false), sibling(&log, "sibling", false);
    ASSERT_TRUE(owner.CreateEx(0, kTestClass, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    ASSERT_TRUE(top.CreateEx(0, kTestClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, owner.m_hWnd, nullptr));
    ASSERT_TRUE(middle.Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 80, 80), &top, 1));
    ASSERT_TRUE(leaf.Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 40, 40), &middle, 2));
    ASSERT_TRUE(sibling.Create(kTestClass, L"", WS_VISIBLE, CRect(40, 40, 60, 60), &middle, 3));

    ::PostMessageW(leaf.m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
    PumpPending();
    EXPECT_EQ(log, (std::vector<std::string>{"leaf", "middle", "top"})); // no sibling, no owner
    EXPECT_EQ(leaf.keysSeen, 1);                                         // nobody took it: dispatched
}

TEST(PreTranslate, AWindowThatTakesTheMessageEndsTheWalk)
{
    std::vector<std::string> log;
    TranslatingWnd top(&log, "top", false), middle(&log, "middle", true), leaf(&log, "leaf", false);
    ASSERT_TRUE(top.CreateEx(0, kTestClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(middle.Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 80, 80), &top, 1));
    ASSERT_TRUE(leaf.Create(kTestClass, L"", WS_VISIBLE, CRect(0, 0, 40, 40), &middle, 2));

    MSG msg{leaf.m_hWnd, WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(log, (std::vector<std::string>{"leaf", "middle"}));
    ::PostMessageW(leaf.m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    PumpPending();
    EXPECT_EQ(leaf.keysSeen, 0); // taken messages are not dispatched

    MSG threadMessage{nullptr, WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    EXPECT_FALSE(AfxPreTranslateMessage(&threadMessage));
}

TEST(MessagePump, RunsUntilQuitAndReturnsItsCode)
{
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel());
    wnd.SetTimer(17, 10);
    ::PostQuitMessage(0); // stays queued behind nothing: the timer below needs its own loop
    EXPECT_EQ(AfxRunMessageLoop(), 0);
    wnd.SetTimer(18, 10);
    EXPECT_TRUE(PumpUntil([&] { return wnd.lastTimer == 18; }, 2000));
    ::PostQuitMessage(42);
    EXPECT_EQ(AfxRunMessageLoop(), 42);
}

// ---- window device contexts and operations ----

namespace {

class PaintingWnd : public ProbeWnd {
public:
    int paints = 0;

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        ++paints;
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(0, 200, 0));
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};

} // namespace

TEST(WindowOperations, PaintingAndRedrawSwitch)
{
    PaintingWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(60, 40));
    wnd.UpdateWindow();
    const int afterShow = wnd.paints;
    EXPECT_GE(afterShow, 1);

    wnd.SetRedraw(FALSE);
    wnd.Invalidate();
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.paints, afterShow);
    wnd.SetRedraw(TRUE);
    wnd.Invalidate();
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.paints, afterShow + 1);

    // What was painted can be read back through a client device context.
    testsupport::DibSurface surface(60, 40);
    {
        CClientDC client(&wnd);
        ASSERT_NE(client.GetSafeHdc(), nullptr);
        ::BitBlt(surface.dc(), 0, 0, 60, 40, client.GetSafeHdc(), 0, 0, SRCCOPY);
    }
    EXPECT_EQ(surface.pixel(30, 20), RGB(0, 200, 0));
}

TEST(WindowOperations, WindowDeviceContextsAreReleased)
{
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(60, 40));
    auto cycle = [&] {
        CClientDC client(&wnd);
        CWindowDC window(&wnd);
        CDC* dc = wnd.GetDC();
        wnd.ReleaseDC(dc);
    };
    cycle();
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 500; ++i) {
        cycle();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

TEST(WindowOperations, StylesFontsAndCoordinates)
{
    RecordingParent parent;
    ProbeWnd child;
    ASSERT_TRUE(child.Create(kTestClass, L"", WS_VISIBLE, CRect(5, 6, 55, 36), &parent, 3));
    EXPECT_TRUE(child.ModifyStyle(0, WS_BORDER));
    EXPECT_NE(child.GetStyle() & WS_BORDER, 0u);
    EXPECT_FALSE(child.ModifyStyle(0, WS_BORDER)); // nothing changed
    EXPECT_TRUE(child.ModifyStyleEx(0, WS_EX_TRANSPARENT));
    EXPECT_NE(child.GetExStyle() & WS_EX_TRANSPARENT, 0u);

    CPoint point(0, 0);
    child.ClientToScreen(&point);
    CPoint back = point;
    parent.ScreenToClient(&back);
    EXPECT_GE(back.x, 5);
    CRect rect(0, 0, 10, 10);
    child.MapWindowPoints(&parent, &rect);
    EXPECT_EQ(rect.TopLeft(), back);

    HWND button =
        ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd, nullptr, nullptr, nullptr);
    CWnd* buttonWnd = CWnd::FromHandle(button);
    CFont font;
    font.CreatePointFont(90, L"Tahoma");
    buttonWnd->SetFont(&font, FALSE);
    EXPECT_EQ(buttonWnd->GetFont()->GetSafeHandle(), font.GetSafeHandle());
    ::DestroyWindow(button);
}
