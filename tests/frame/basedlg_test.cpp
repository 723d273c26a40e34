#include <util/basedlg.h>
#include <util/module.h>

#include <gtest/gtest.h>

#include <vector>

#include "frame_dialogs.h"
#include "frame_windows.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"

using frametest::PopupTemplate;
using frametest::TimerAction;

namespace {

// A modeless library dialog made with new that says when it is gone.
class TrackedDialog : public CBaseDlg {
public:
    explicit TrackedDialog(bool* deleted) : m_deleted(deleted) {}
    ~TrackedDialog() override
    {
        if (m_deleted) {
            *m_deleted = true;
        }
    }

private:
    bool* m_deleted;
};

TrackedDialog* NewModeless(const CDialogTemplate& dlgTemplate, bool* deleted = nullptr)
{
    auto* dialog = new TrackedDialog(deleted);
    if (!dialog->CreateIndirect(dlgTemplate.Get())) {
        delete dialog;
        return nullptr;
    }
    dialog->ShowWindow(SW_SHOWNOACTIVATE);
    return dialog;
}

// A self-drawn dialog that records its system commands (without running them) and title paints.
class RecordingKxDialog : public CKXBaseDlg {
public:
    std::vector<UINT> sysCommands;
    int ncPaints = 0;
    bool runSysCommands = false;
    int okCalls = 0;

    using CKXBaseDlg::m_buttons;
    using CKXBaseDlg::m_nDlgStyle;
    using CKXBaseDlg::m_rcTitleText;

    POINT ButtonCentre(UINT button) const
    {
        CRect frame;
        GetWindowRect(&frame);
        const CPoint centre = m_buttons.RectOf(button).CenterPoint();
        return {frame.left + centre.x, frame.top + centre.y};
    }
    LPARAM ClientLParam(POINT screen) const
    {
        ScreenToClient(&screen);
        return MAKELPARAM(screen.x, screen.y);
    }

protected:
    void OnSysCommand(UINT id, LPARAM lParam) override
    {
        sysCommands.push_back(id & 0xFFF0);
        if (runSysCommands) {
            CKXBaseDlg::OnSysCommand(id, lParam);
        }
    }
    void OnNcPaintEx(CDC*) override { ++ncPaints; }
    void OnOK() override
    {
        ++okCalls;
        CKXBaseDlg::OnOK();
    }
};

// A modeless self-drawn dialog, which deletes itself with its window; the holder destroys the window
// if the test has not.
class ModelessKxDialog {
public:
    explicit ModelessKxDialog(DWORD extraStyle = WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
    {
        const auto dlgTemplate = PopupTemplate(extraStyle | WS_VISIBLE);
        auto* dialog = new RecordingKxDialog;
        if (dialog->CreateIndirect(dlgTemplate->Get())) {
            m_dialog = dialog;
            m_window = dialog->m_hWnd;
        } else {
            delete dialog;
        }
    }
    ~ModelessKxDialog()
    {
        if (IsWindow(m_window)) {
            DestroyWindow(m_window);
        }
    }
    ModelessKxDialog(const ModelessKxDialog&) = delete;
    ModelessKxDialog& operator=(const ModelessKxDialog&) = delete;

    explicit operator bool() const { return m_dialog != nullptr; }
    RecordingKxDialog* operator->() const { return m_dialog; }
    RecordingKxDialog& operator*() const { return *m_dialog; }

private:
    RecordingKxDialog* m_dialog = nullptr;
    HWND m_window = nullptr;
};

LPARAM Screen(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

// A child that colours itself, when told to, for every kind of control colour its parent offers it.
class SelfColouringChild : public CWnd {
public:
    const HBRUSH brush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    bool colours = true;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (colours && message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            *result = reinterpret_cast<LRESULT>(brush);
            return TRUE;
        }
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
};

} // namespace

// ---- registry and modal bookkeeping ----

TEST(BaseDlg, AModelessDialogDeletesItselfWhenItsWindowGoes)
{
    const auto dlgTemplate = PopupTemplate();
    const int before = CBaseDlg::GetLiveDialogCount();
    bool deleted = false;
    TrackedDialog* dialog = NewModeless(*dlgTemplate, &deleted);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CBaseDlg::GetLiveDialogCount(), before + 1);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CBaseDlg::GetLiveDialogCount(), before);
}

TEST(BaseDlg, AFailedCreationLeavesTheObjectToItsCaller)
{
    CDialogTemplate broken(L"broken", WS_POPUP | WS_CAPTION, 0, 0, 100, 50);
    broken.AddItem(L"NoSuchWindowClass", L"", 5, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10);
    bool deleted = false;
    auto* dialog = new TrackedDialog(&deleted);
    EXPECT_FALSE(dialog->CreateIndirect(broken.Get()));
    EXPECT_FALSE(deleted);
    delete dialog;
    EXPECT_TRUE(deleted);
}

TEST(BaseDlg, AModalRunDisablesModelessDialogsAndRestoresThem)
{
    const auto dlgTemplate = PopupTemplate();
    TrackedDialog* enabled = NewModeless(*dlgTemplate);
    TrackedDialog* disabled = NewModeless(*dlgTemplate);
    ASSERT_TRUE(enabled && disabled);
    disabled->EnableWindow(FALSE);

    CBaseDlg modal;
    modal.InitModalIndirect(dlgTemplate->Get());
    bool enabledWasOff = false, disabledWasOff = false, modalFlag = false;
    TimerAction check(40, [&] {
        enabledWasOff = !enabled->IsWindowEnabled();
        disabledWasOff = !disabled->IsWindowEnabled();
        modalFlag = modal.IsDoModal() != FALSE;
        modal.EndDialog(7);
    });
    EXPECT_EQ(modal.DoModal(), 7);
    EXPECT_TRUE(check.fired);
    EXPECT_TRUE(enabledWasOff);
    EXPECT_TRUE(disabledWasOff);
    EXPECT_TRUE(modalFlag);
    EXPECT_FALSE(modal.IsDoModal());
    EXPECT_TRUE(enabled->IsWindowEnabled());
    EXPECT_FALSE(disabled->IsWindowEnabled());
    enabled->DestroyWindow();
    disabled->DestroyWindow();
}

TEST(BaseDlg, ANestedRunSparesRunningDialogsUnlessTheyOwnIt)
{
    const auto dlgTemplate = PopupTemplate();
    TrackedDialog* modeless = NewModeless(*dlgTemplate);
    ASSERT_NE(modeless, nullptr);
    CBaseDlg outer;
    outer.InitModalIndirect(dlgTemplate->Get());
    bool outerOnDuringFree = false, outerOffDuringOwned = false, modelessOff = false, outerOnAfter = false;
    TimerAction start(40, [&] {
        // A nested run owned by nobody leaves the running outer dialog alone.
        CBaseDlg free;
        free.InitModalIndirect(dlgTemplate->Get());
        TimerAction inner(40, [&] {
            outerOnDuringFree = outer.IsWindowEnabled() != FALSE;
            modelessOff = !modeless->IsWindowEnabled();
            free.EndDialog(1);
        });
        free.DoModal();
        // One owned by the outer dialog disables it.
        CBaseDlg owned(static_cast<UINT>(0), &outer);
        owned.InitModalIndirect(dlgTemplate->Get(), &outer);
        TimerAction ownedCheck(40, [&] {
            outerOffDuringOwned = !outer.IsWindowEnabled();
            owned.EndDialog(2);
        });
        owned.DoModal();
        outerOnAfter = outer.IsWindowEnabled() != FALSE;
        outer.EndDialog(3);
    });
    EXPECT_EQ(outer.DoModal(), 3);
    EXPECT_TRUE(outerOnDuringFree);
    EXPECT_TRUE(modelessOff);
    EXPECT_TRUE(outerOffDuringOwned);
    EXPECT_TRUE(outerOnAfter);
    EXPECT_TRUE(modeless->IsWindowEnabled());
    modeless->DestroyWindow();
}

TEST(BaseDlg, ADialogGoneDuringARunDropsItsSavedState)
{
    const auto dlgTemplate = PopupTemplate();
    const int before = CBaseDlg::GetLiveDialogCount();
    TrackedDialog* doomed = NewModeless(*dlgTemplate);
    CBaseDlg modal;
    modal.InitModalIndirect(dlgTemplate->Get());
    TimerAction check(40, [&] {
        doomed->DestroyWindow();
        modal.EndDialog(IDOK);
    });
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(CBaseDlg::GetLiveDialogCount(), before + 1); // the modal one
}

TEST(BaseDlg, OkAndCancelEndAModalRun)
{
    const auto dlgTemplate = PopupTemplate();
    CBaseDlg modal;
    modal.InitModalIndirect(dlgTemplate->Get());
    TimerAction press(40, [&] { modal.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(modal.m_hWnd, nullptr);
}

TEST(BaseDlg, ModalWithTheResourceModuleOfTheCaller)
{
    CKXBaseDlg dialog(frametest::kResourceDialog, nullptr);
    const HINSTANCE library = AfxGetResourceHandle();
    const HINSTANCE program = GetModuleHandleW(nullptr);
    HINSTANCE during = nullptr;
    TimerAction check(40, [&] {
        during = AfxGetResourceHandle();
        dialog.EndDialog(11);
    });
    EXPECT_EQ(dialog.DoModal(program), 11);
    EXPECT_EQ(during, program);
    EXPECT_EQ(AfxGetResourceHandle(), library);
}

// ---- the self-drawn dialog ----

TEST(KxBaseDlg, TitleButtonsComeFromTheStyleAndTheSystemMenuGoes)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->GetStyle() & WS_SYSMENU, 0u);
    EXPECT_EQ(dialog->m_buttons.m_nTitleButtons, static_cast<UINT>(KXTB_CLOSE | KXTB_MIN | KXTB_MAX));
    CRect window;
    dialog->GetWindowRect(&window);
    EXPECT_TRUE(frametest::SameRect(dialog->m_buttons.m_rcClose, RECT{window.Width() - 28, 1, window.Width() - 2, 19}));

    // The restore button only while maximised.
    dialog->ShowWindow(SW_MAXIMIZE);
    EXPECT_EQ(dialog->m_buttons.m_nTitleButtons & (KXTB_MAX | KXTB_RESTORE), static_cast<UINT>(KXTB_RESTORE));
    dialog->ShowWindow(SW_RESTORE);
    EXPECT_EQ(dialog->m_buttons.m_nTitleButtons & (KXTB_MAX | KXTB_RESTORE), static_cast<UINT>(KXTB_MAX));

    // Without a system menu there is no close button.
    RecordingKxDialog bare;
    CDialogTemplate noMenu(L"bare", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 0, 0, 100, 50);
    ASSERT_TRUE(bare.CreateIndirect(noMenu.Get()));
    EXPECT_EQ(bare.m_buttons.m_nTitleButtons, 0u);
}

TEST(KxBaseDlg, BackgroundRequestsFillTheChildsContextWithTheDialogsBackground)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    RECT child{20, 30, 70, 50};
    dialog->ClientToScreen(&child);
    testsupport::DibSurface surface(80, 40, RGB(255, 0, 0));
    EXPECT_EQ(
        dialog->SendMessage(WM_KX_PAINTBK, reinterpret_cast<WPARAM>(surface.dc()), reinterpret_cast<LPARAM>(&child)),
        1);
    EXPECT_EQ(surface.count(KXDLG_CLR_BACKGROUND, RECT{0, 0, 50, 20}), 50 * 20);
    EXPECT_EQ(surface.count(RGB(255, 0, 0)), 80 * 40 - 50 * 20);
    EXPECT_EQ(dialog->SendMessage(WM_KX_PAINTBK, 0, 0), 0);

    // Without a device context the dialog paints the place itself.
    HDC own = GetDC(*dialog);
    RECT all{0, 0, 300, 300};
    FillRect(own, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    dialog->SendMessage(WM_KX_PAINTBK, 0, reinterpret_cast<LPARAM>(&child));
    EXPECT_EQ(GetPixel(own, 25, 35), KXDLG_CLR_BACKGROUND);
    EXPECT_EQ(GetPixel(own, 10, 35), RGB(0, 0, 0));
    ReleaseDC(*dialog, own);
}

TEST(KxBaseDlg, EveryKindOfControlColourIsOfferedToTheChild)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    SelfColouringChild child;
    ASSERT_TRUE(child.Create(L"BUTTON", L"b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &*dialog, 9));
    HDC dc = GetDC(child);
    const auto colourOf = [&](UINT message, HWND from) {
        return reinterpret_cast<HBRUSH>(
            dialog->SendMessage(message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(from)));
    };
    const HBRUSH background = colourOf(WM_CTLCOLORDLG, *dialog);
    ASSERT_NE(background, nullptr);
    struct Case {
        UINT message;
        bool backgroundOtherwise;
    };
    const Case cases[] = {
        {WM_CTLCOLORBTN, true},   {WM_CTLCOLORSCROLLBAR, true}, {WM_CTLCOLORMSGBOX, true},
        {WM_CTLCOLOREDIT, false}, {WM_CTLCOLORLISTBOX, false},  {WM_CTLCOLORSTATIC, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.message);
        child.colours = true;
        EXPECT_EQ(colourOf(c.message, child), child.brush);
        child.colours = false;
        const HBRUSH fallback = colourOf(c.message, child);
        EXPECT_NE(fallback, child.brush);
        if (c.backgroundOtherwise) {
            EXPECT_EQ(fallback, background);
        }
    }
    ReleaseDC(child, dc);
}

TEST(KxBaseDlg, TheTitleBarBorderAndBackgroundArePainted)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    dialog->SetTitleText(L"painted");
    dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    CRect window;
    dialog->GetWindowRect(&window);
    testsupport::DibSurface surface(window.Width(), window.Height());
    frametest::CaptureWindow(*dialog, surface);
    EXPECT_EQ(surface.pixel(0, 0), KXDLG_CLR_OUTLINE);
    EXPECT_EQ(surface.pixel(window.Width() - 1, window.Height() - 1), KXDLG_CLR_OUTLINE);
    // The band under the outline: a blue between the title band's top and bottom colours.
    const COLORREF band = surface.pixel(window.Width() / 2, 1);
    EXPECT_TRUE(GetRValue(band) >= 36 && GetRValue(band) <= 52 && GetBValue(band) >= 120 && GetBValue(band) <= 156)
        << std::hex << band;
    const CRect client = CKxTitleBar::ClientInWindow(*dialog);
    // The background around the controls.
    EXPECT_EQ(surface.pixel(client.right - 3, client.bottom - 3), KXDLG_CLR_BACKGROUND);
}

TEST(KxBaseDlg, CaptionButtonsPostTheirCommands)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    const POINT close = dialog->ButtonCentre(KXTB_CLOSE);
    const POINT max = dialog->ButtonCentre(KXTB_MAX);
    dialog->ncPaints = 0;
    dialog->SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(max));
    EXPECT_EQ(dialog->m_buttons.m_nMaxState, KXBS_HOVER);
    EXPECT_EQ(dialog->ncPaints, 1);
    dialog->SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(max));
    EXPECT_EQ(dialog->ncPaints, 1);
    dialog->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(max));
    EXPECT_EQ(GetCapture(), dialog->m_hWnd);
    EXPECT_EQ(dialog->ncPaints, 2);
    dialog->SendMessage(WM_LBUTTONUP, 0, dialog->ClientLParam(max));
    EXPECT_EQ(dialog->ncPaints, 3);
    EXPECT_TRUE(dialog->sysCommands.empty()); // posted, not sent
    testsupport::PumpUntil([&] { return !dialog->sysCommands.empty(); }, 2000);
    ASSERT_EQ(dialog->sysCommands.size(), 1u);
    EXPECT_EQ(dialog->sysCommands[0], static_cast<UINT>(SC_MAXIMIZE));

    dialog->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(close));
    dialog->SendMessage(WM_LBUTTONUP, 0, dialog->ClientLParam(close));
    testsupport::PumpUntil([&] { return dialog->sysCommands.size() == 2; }, 2000);
    ASSERT_EQ(dialog->sysCommands.size(), 2u);
    EXPECT_EQ(dialog->sysCommands[1], static_cast<UINT>(SC_CLOSE));
}

TEST(KxBaseDlg, TheMinimiseButtonMinimisesAndTheRestoreButtonRestores)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    dialog->runSysCommands = true;
    const POINT min = dialog->ButtonCentre(KXTB_MIN);
    dialog->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(min));
    dialog->SendMessage(WM_LBUTTONUP, 0, dialog->ClientLParam(min));
    testsupport::PumpUntil([&] { return dialog->IsIconic() != FALSE; }, 2000);
    EXPECT_TRUE(dialog->IsIconic());
    dialog->ShowWindow(SW_RESTORE);
    dialog->ShowWindow(SW_MAXIMIZE);
    const POINT restore = dialog->ButtonCentre(KXTB_RESTORE);
    dialog->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, Screen(restore));
    dialog->SendMessage(WM_LBUTTONUP, 0, dialog->ClientLParam(restore));
    testsupport::PumpUntil([&] { return dialog->IsZoomed() == FALSE; }, 2000);
    EXPECT_FALSE(dialog->IsZoomed());
    EXPECT_EQ(dialog->sysCommands.back(), static_cast<UINT>(SC_RESTORE));
}

TEST(KxBaseDlg, WithCaptionMouseHandlingOffPressesArePassedOn)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    dialog->m_nDlgStyle |= CKXBaseDlg::KXDS_NOCAPTIONMOUSE;
    const POINT min = dialog->ButtonCentre(KXTB_MIN);
    dialog->SendMessage(WM_NCMOUSEMOVE, HTCAPTION, Screen(min));
    EXPECT_FALSE(dialog->m_buttons.AnyStateSet());
    dialog->SetDlgStyle(0); // ignored
    EXPECT_TRUE(dialog->m_nDlgStyle & CKXBaseDlg::KXDS_NOCAPTIONMOUSE);
}

TEST(KxBaseDlg, DoubleClicksOnTheCaptionCanBeSwitchedOff)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    CRect window;
    dialog->GetWindowRect(&window);
    const LPARAM caption = MAKELPARAM(window.left + 40, window.top + 8);
    dialog->SetDblClk(TRUE);
    dialog->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, caption);
    EXPECT_TRUE(dialog->sysCommands.empty());
    dialog->SetDblClk(FALSE);
    dialog->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, caption);
    ASSERT_EQ(dialog->sysCommands.size(), 1u);
    EXPECT_EQ(dialog->sysCommands[0], static_cast<UINT>(SC_MAXIMIZE));
}

namespace {
class ButtonHitDialog : public RecordingKxDialog {
protected:
    LRESULT OnNcHitTest(CPoint) override { return HTCLOSE; }
};
} // namespace

TEST(KxBaseDlg, HitTestsOverCaptionButtonsReportTheCaption)
{
    const auto dlgTemplate = PopupTemplate();
    ButtonHitDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dlgTemplate->Get()));
    EXPECT_EQ(dialog.SendMessage(WM_NCHITTEST, 0, 0), HTCAPTION);
}

TEST(KxBaseDlg, OnlyTabEnterAndEscapeTakeTheDialogsNavigation)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    HWND edit = *dialog->GetDlgItem(frametest::kEditId);
    MSG letter{edit, WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_FALSE(dialog->PreTranslateMessage(&letter));
    MSG character{edit, WM_CHAR, 'a', 0, 0, {}};
    EXPECT_FALSE(dialog->PreTranslateMessage(&character));
    MSG altLetter{edit, WM_SYSCHAR, 'o', 0, 0, {}};
    EXPECT_FALSE(dialog->PreTranslateMessage(&altLetter));
    MSG tab{edit, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(dialog->PreTranslateMessage(&tab));
    // Enter presses OK, which ends a modeless dialog: its window goes.
    HWND window = dialog->m_hWnd;
    MSG enter{edit, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_EQ(dialog->SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&enter)), 1);
    EXPECT_FALSE(IsWindow(window));
}

TEST(KxBaseDlg, AChildDialogIgnoresOkAndCancel)
{
    RecordingKxDialog parent;
    const auto parentTemplate = PopupTemplate(WS_VISIBLE);
    ASSERT_TRUE(parent.CreateIndirect(parentTemplate->Get()));
    CDialogTemplate childTemplate(L"", WS_CHILD | WS_VISIBLE, 0, 0, 60, 30);
    RecordingKxDialog child;
    ASSERT_TRUE(child.CreateIndirect(childTemplate.Get(), &parent));
    child.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    child.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(child.IsWindow());
    EXPECT_TRUE(child.IsWindowVisible());
    EXPECT_EQ(child.okCalls, 1);
}

TEST(KxBaseDlg, SetTextAndTitleSettersRepaintTheTitleBar)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    dialog->ncPaints = 0;
    dialog->SetTitleText(nullptr);
    dialog->SetTitleIcon(nullptr);
    EXPECT_EQ(dialog->ncPaints, 0);
    dialog->SetWindowText(L"from the platform");
    EXPECT_GE(dialog->ncPaints, 1);
    const int before = dialog->ncPaints;
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    dialog->SetTitleIcon(icon);
    EXPECT_EQ(dialog->ncPaints, before + 1);
    EXPECT_GE(dialog->m_rcTitleText.left, 8 + GetSystemMetrics(SM_CXICON)); // the text clears the icon
}

TEST(KxBaseDlg, PaintsAndBackgroundRequestsLeakNoGdiObjects)
{
    ModelessKxDialog dialog;
    ASSERT_TRUE(dialog);
    dialog->SetTitleText(L"leak check");
    dialog->SetTitleIcon(LoadIconW(nullptr, IDI_APPLICATION));
    RECT child{5, 5, 40, 20};
    dialog->ClientToScreen(&child);
    testsupport::DibSurface surface(40, 20);
    auto paintAll = [&] {
        dialog->SendMessage(WM_NCPAINT, 1);
        dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        dialog->SendMessage(WM_KX_PAINTBK, reinterpret_cast<WPARAM>(surface.dc()), reinterpret_cast<LPARAM>(&child));
    };
    paintAll();
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        paintAll();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

// ---- the view ----

namespace {
class TestView : public CBaseView {
public:
    int created = 0;
    bool createdDuringCreate = false;
    void OnViewCreated() override { ++created; }

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int result = CBaseView::OnCreate(cs);
        createdDuringCreate = created != 0;
        return result;
    }
};
} // namespace

TEST(BaseView, TheViewFinishesItsSetupAfterTheCreationMessage)
{
    frametest::RecordingFrame parent(WS_POPUP | WS_VISIBLE, 200, 100);
    TestView view;
    ASSERT_TRUE(view.Create(L"view", WS_CHILD | WS_VISIBLE, RECT{0, 0, 120, 60}, &parent, 3));
    wchar_t className[16] = {};
    GetClassNameW(view, className, 16);
    EXPECT_STREQ(className, L"KX_VIEW");
    EXPECT_FALSE(view.createdDuringCreate);
    EXPECT_EQ(view.created, 0);
    testsupport::PumpPending();
    EXPECT_EQ(view.created, 1);
    EXPECT_EQ(view.GetBkColor(), RGB(0, 0, 0));
}

TEST(BaseView, TheMemoryContextIsKeptUntilTheSizeChanges)
{
    frametest::RecordingFrame parent(WS_POPUP | WS_VISIBLE, 200, 100);
    TestView view;
    ASSERT_TRUE(view.Create(L"view", WS_CHILD | WS_VISIBLE, RECT{0, 0, 120, 60}, &parent, 3));
    HDC first = view.BeginMemPaint();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(view.BeginMemPaint(), nullptr); // one paint at a time
    EXPECT_EQ(view.GetMemPaintDC(), first);
    BITMAP info{};
    GetObjectW(GetCurrentObject(first, OBJ_BITMAP), sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 120);
    EXPECT_EQ(info.bmHeight, 60);
    EXPECT_TRUE(view.EndMemPaint());
    EXPECT_EQ(view.BeginMemPaint(), first);
    view.EndMemPaint();

    view.MoveWindow(0, 0, 80, 40);
    HDC second = view.BeginMemPaint();
    ASSERT_NE(second, nullptr);
    GetObjectW(GetCurrentObject(second, OBJ_BITMAP), sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 80);
    EXPECT_TRUE(view.DeleteMemDC());
    EXPECT_EQ(view.GetMemPaintDC(), nullptr);

    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 200; ++i) {
        view.MoveWindow(0, 0, 80 + i % 2, 40);
        view.BeginMemPaint();
        view.EndMemPaint();
    }
    view.DeleteMemDC();
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

// ---- fallback glyphs ----

TEST(KxBaseDlg, FallbackGlyphsAreBlackWithAWhiteShadow)
{
    testsupport::DibSurface surface(40, 40, RGB(0, 0, 255));
    CDC* dc = CDC::FromHandle(surface.dc());
    CKXBaseDlg::DrawButton(2, dc, POINT{10, 10});
    // The minimise bar: rows 10 and 11, columns 5 to 10 of the pattern.
    EXPECT_EQ(surface.count(RGB(0, 0, 0)), 12);
    EXPECT_EQ(surface.count(RGB(0, 0, 0), RECT{15, 20, 21, 22}), 12);
    // Shadows where the pixel below right is free: the row under the bar and the bar's last pixel.
    EXPECT_EQ(surface.count(RGB(255, 255, 255)), 7);
    EXPECT_EQ(surface.count(RGB(255, 255, 255), RECT{16, 22, 22, 23}), 6);
    EXPECT_EQ(surface.pixel(21, 21), RGB(255, 255, 255));

    const int blacks[] = {40, 42, 12, 59};
    for (int glyph = 0; glyph < 4; ++glyph) {
        surface.fill(RGB(0, 0, 255));
        CKXBaseDlg::DrawButton(glyph, dc, POINT{0, 0});
        EXPECT_EQ(surface.count(RGB(0, 0, 0)), blacks[glyph]) << glyph;
        EXPECT_EQ(surface.count(RGB(0, 0, 0), RECT{0, 0, 15, 15}), blacks[glyph]) << glyph;
    }
    // The close cross: its top-left arm and the shadow beside it.
    surface.fill(RGB(0, 0, 255));
    CKXBaseDlg::DrawButton(0, dc, POINT{0, 0});
    EXPECT_EQ(surface.pixel(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(surface.pixel(7, 7), RGB(0, 0, 0));
    EXPECT_EQ(surface.pixel(6, 5), RGB(0, 0, 0));
    EXPECT_EQ(surface.pixel(12, 12), RGB(255, 255, 255));

    surface.fill(RGB(0, 0, 255));
    CKXBaseDlg::DrawButton(4, dc, POINT{0, 0});
    CKXBaseDlg::DrawButton(-1, dc, POINT{0, 0});
    CKXBaseDlg::DrawButton(0, nullptr, POINT{0, 0});
    EXPECT_EQ(surface.count(RGB(0, 0, 255)), 40 * 40);
}
