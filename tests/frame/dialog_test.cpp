#include <util/dialog.h>
#include <util/menu.h>

#include <gtest/gtest.h>

#include <functional>

#include "frame_dialogs.h"
#include "support/pump.h"

using frametest::PopupTemplate;
using frametest::TimerAction;

namespace {

// A top-level window that counts the idle messages of dialogs it owns and may act on the first.
class OwnerWindow : public CWnd {
public:
    OwnerWindow()
    {
        KxRegisterWndClass(L"UtilTestOwner", ::LoadCursorW(nullptr, IDC_ARROW));
        CreateEx(0, L"UtilTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr);
    }
    ~OwnerWindow() override { DestroyWindow(); }
    int idleMessages = 0;
    std::function<void()> onFirstIdle;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ENTERIDLE && ++idleMessages == 1 && onFirstIdle) {
            onFirstIdle();
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class RecordingDialog : public CDialog {
public:
    using CDialog::CDialog;
    int initCalls = 0;
    int okCalls = 0;
    int cancelCalls = 0;
    int endInInit = -1;
    bool recordOnly = false;

    BOOL OnInitDialog() override
    {
        ++initCalls;
        if (endInInit >= 0) {
            EndDialog(endInInit);
        }
        return CDialog::OnInitDialog();
    }
    void OnOK() override
    {
        ++okCalls;
        if (!recordOnly) {
            CDialog::OnOK();
        }
    }
    void OnCancel() override
    {
        ++cancelCalls;
        if (!recordOnly) {
            CDialog::OnCancel();
        }
    }
};

} // namespace

TEST(Dialog, AModalRunEndsWithTheCodeGivenFromInsideItsLoop)
{
    OwnerWindow owner;
    const auto dlgTemplate = PopupTemplate();
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.InitModalIndirect(dlgTemplate->Get(), &owner));
    bool ownerDisabled = false, shown = false, running = false;
    // The queue's first idle moment shows the dialog, then tells the owner.
    owner.onFirstIdle = [&] {
        ownerDisabled = !owner.IsWindowEnabled();
        shown = dialog.IsWindowVisible() != FALSE;
        running = dialog.IsModalLoopRunning() != FALSE;
        dialog.EndDialog(42);
    };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(running);
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(dialog.IsModalLoopRunning());
    EXPECT_EQ(owner.idleMessages, 1);
}

TEST(Dialog, NoIdleMessagesWhenTheTemplateAsksForNone)
{
    OwnerWindow owner;
    const auto dlgTemplate = PopupTemplate(DS_NOIDLEMSG);
    RecordingDialog dialog;
    dialog.InitModalIndirect(dlgTemplate->Get(), &owner);
    TimerAction end(30, [&] { dialog.EndDialog(IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(owner.idleMessages, 0);
}

TEST(Dialog, EndingInOnInitDialogSkipsTheLoop)
{
    const auto dlgTemplate = PopupTemplate();
    RecordingDialog dialog;
    dialog.endInInit = 5;
    dialog.InitModalIndirect(dlgTemplate->Get());
    EXPECT_EQ(dialog.DoModal(), 5);
}

TEST(Dialog, ModalFromTheProgramsResourceAndWithoutTemplate)
{
    RecordingDialog fromResource(frametest::kResourceDialog);
    bool hasEdit = false;
    TimerAction end(30, [&] {
        hasEdit = fromResource.GetDlgItem(frametest::kEditId) != nullptr;
        fromResource.EndDialog(9);
    });
    EXPECT_EQ(fromResource.DoModal(), 9);
    EXPECT_TRUE(hasEdit);

    RecordingDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
    RecordingDialog none;
    EXPECT_EQ(none.DoModal(), -1);
    EXPECT_FALSE(none.Create(4242));
}

TEST(Dialog, QuittingDuringAModalRunEndsItAndLeavesTheQuitForTheProgram)
{
    const auto dlgTemplate = PopupTemplate();
    RecordingDialog dialog;
    dialog.InitModalIndirect(dlgTemplate->Get());
    TimerAction quit(30, [] { PostQuitMessage(3); });
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(Dialog, KeysOfAModelessDialogGoThroughTheDialogManager)
{
    const auto dlgTemplate = PopupTemplate();
    RecordingDialog dialog;
    dialog.recordOnly = true;
    ASSERT_TRUE(dialog.CreateIndirect(dlgTemplate->Get()));
    EXPECT_EQ(dialog.initCalls, 1);
    CWnd* edit = dialog.GetDlgItem(frametest::kEditId);
    ASSERT_NE(edit, nullptr);
    wchar_t className[16] = {};
    GetClassNameW(*edit, className, 16);
    EXPECT_STREQ(className, L"Edit");

    // Enter in the edit: the walk reaches the dialog, whose manager presses the default button.
    edit->PostMessage(WM_KEYDOWN, VK_RETURN, 0);
    testsupport::PumpPending();
    EXPECT_EQ(dialog.okCalls, 1);
    edit->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    testsupport::PumpPending();
    EXPECT_EQ(dialog.cancelCalls, 1);
    // A command of another control is not OK or Cancel.
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), 0);
    EXPECT_EQ(dialog.okCalls, 1);

    EXPECT_EQ(dialog.GetDefID() & 0xFFFF, static_cast<DWORD>(IDOK));

    // Modeless, OK's own end of dialog hides the window.
    dialog.ShowWindow(SW_SHOW);
    dialog.recordOnly = false;
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.IsWindow());
}

TEST(Dialog, ModelessFromAResourceOfTheProgram)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(frametest::kResourceDialog));
    EXPECT_NE(dialog.GetDlgItem(IDOK), nullptr);
    EXPECT_FALSE(dialog.Create(frametest::kResourceDialog)); // one window per object
    EXPECT_TRUE(dialog.DestroyWindow());
}

TEST(DialogTemplate, ItemsKeepTheirClassTextAndPlace)
{
    CDialogTemplate dlgTemplate(L"built", WS_POPUP | WS_CAPTION, 0, 0, 100, 60);
    dlgTemplate.AddItem(CDialogTemplate::Static, L"label", 7, WS_CHILD | WS_VISIBLE, 5, 5, 40, 10);
    dlgTemplate.AddItem(L"Button", L"push", 8, WS_CHILD | WS_VISIBLE, 5, 20, 40, 12);
    EXPECT_EQ(dlgTemplate.Get()->cdit, 2);
    EXPECT_EQ(dlgTemplate.Get()->style & DS_SETFONT, 0u);
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dlgTemplate.Get()));
    CString text;
    dialog.GetWindowText(text);
    EXPECT_STREQ(text, L"built");
    ASSERT_NE(dialog.GetDlgItem(7), nullptr);
    dialog.GetDlgItem(7)->GetWindowText(text);
    EXPECT_STREQ(text, L"label");
    dialog.GetDlgItem(8)->GetWindowText(text);
    EXPECT_STREQ(text, L"push");
}

// ---- menus and command updates ----

namespace {

class UpdatingWindow : public CWnd {
public:
    UpdatingWindow()
    {
        KxRegisterWndClass(L"UtilTestOwner", ::LoadCursorW(nullptr, IDC_ARROW));
        CreateEx(0, L"UtilTestOwner", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    ~UpdatingWindow() override { DestroyWindow(); }

    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override
    {
        if (code == CN_COMMAND) {
            return id == 104 && info != nullptr;
        }
        auto* state = static_cast<CCmdUI*>(extra);
        switch (id) {
        case 100:
            state->Enable(FALSE);
            return TRUE;
        case 101:
            state->SetCheck(1);
            return TRUE;
        case 102:
            state->SetText(L"renamed");
            return TRUE;
        default:
            return FALSE;
        }
    }
};

CCmdUI EntryOf(CMenu& menu, UINT index)
{
    CCmdUI state;
    state.m_pMenu = &menu;
    state.m_nIndex = index;
    state.m_nID = menu.GetMenuItemID(static_cast<int>(index));
    state.m_nIndexMax = static_cast<UINT>(menu.GetMenuItemCount());
    return state;
}

} // namespace

TEST(Menu, OwnedMenusAreDestroyedAndWrappersAreNot)
{
    HMENU handle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        EXPECT_FALSE(menu.CreatePopupMenu());
        handle = menu;
        menu.AppendMenu(MF_STRING, 1, L"first");
        CMenu* wrapper = CMenu::FromHandle(handle);
        EXPECT_EQ(wrapper, CMenu::FromHandle(handle));
        EXPECT_EQ(wrapper->GetMenuItemCount(), 1);
        CString text;
        EXPECT_EQ(wrapper->GetMenuString(0, text, MF_BYPOSITION), 5);
        EXPECT_STREQ(text, L"first");
        EXPECT_TRUE(IsMenu(handle));
    }
    EXPECT_FALSE(IsMenu(handle));
    EXPECT_EQ(CMenu::FromHandle(nullptr), nullptr);

    HMENU detached = nullptr;
    {
        CMenu kept;
        kept.CreateMenu();
        detached = kept.Detach();
    }
    EXPECT_TRUE(IsMenu(detached));
    DestroyMenu(detached);
}

TEST(CmdUI, UpdateHandlersEnableCheckAndRenameMenuEntries)
{
    UpdatingWindow target;
    CMenu menu;
    menu.CreatePopupMenu();
    for (UINT id = 100; id <= 104; ++id) {
        menu.AppendMenu(MF_STRING, id, L"entry");
    }
    for (UINT index = 0; index < 5; ++index) {
        CCmdUI state = EntryOf(menu, index);
        state.DoUpdate(&target, index >= 3);
    }
    EXPECT_TRUE(menu.GetMenuState(100, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(101, MF_BYCOMMAND) & MF_CHECKED);
    CString text;
    menu.GetMenuString(102, text, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"renamed");
    // Without an update handler: disabled when nothing handles the command, enabled when something does.
    EXPECT_TRUE(menu.GetMenuState(103, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(menu.GetMenuState(104, MF_BYCOMMAND) & MF_GRAYED);
}

TEST(CmdUI, UpdatesOfAControlReachTheWindow)
{
    UpdatingWindow target;
    const auto dlgTemplate = PopupTemplate();
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dlgTemplate->Get()));
    HWND check =
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_CHECKBOX, 0, 0, 50, 10, dialog, nullptr, nullptr, nullptr);
    CCmdUI state;
    state.m_pOther = CWnd::FromHandle(check);
    state.m_nID = 101;
    state.DoUpdate(&target, FALSE);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    state.m_nID = 100;
    state.DoUpdate(&target, FALSE);
    EXPECT_FALSE(IsWindowEnabled(check));
    state.m_nID = 102;
    state.DoUpdate(&target, FALSE);
    wchar_t text[16] = {};
    GetWindowTextW(check, text, 16);
    EXPECT_STREQ(text, L"renamed");
}
