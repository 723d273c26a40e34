#include <util/dialog.h>
#include <util/module.h>

#include "framework/window_creation.h"

namespace {

// The style of a DLGTEMPLATE or of a DLGTEMPLATEEX (which starts with version 1 and 0xFFFF).
DWORD TemplateStyle(const DLGTEMPLATE* dlgTemplate)
{
    const auto* words = reinterpret_cast<const WORD*>(dlgTemplate);
    if (words[0] == 1 && words[1] == 0xFFFF) {
        return *reinterpret_cast<const DWORD*>(words + 6);
    }
    return dlgTemplate->style;
}

const DLGTEMPLATE* LoadDialogResource(HMODULE module, const wchar_t* name)
{
    HRSRC found = module ? ::FindResourceW(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */) : nullptr;
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
}

HWND HandleOf(const CWnd* wnd)
{
    return wnd ? wnd->m_hWnd : nullptr;
}

// Keeps a flag set while a scope runs.
class FlagScope {
public:
    explicit FlagScope(BOOL& flag) : m_flag(flag), m_old(flag) { m_flag = TRUE; }
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    BOOL& m_flag;
    BOOL m_old;
};

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(const wchar_t* templateName, CWnd* parent) : m_pParentWnd(parent)
{
    SetTemplateName(templateName);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent)
{
    SetTemplateName(MAKEINTRESOURCEW(templateId));
}

CDialog::~CDialog() = default;

void CDialog::SetTemplateName(const wchar_t* templateName)
{
    if (templateName == nullptr || IS_INTRESOURCE(templateName)) {
        m_lpszTemplateName = templateName;
        return;
    }
    m_templateNameCopy = templateName;
    m_lpszTemplateName = m_templateNameCopy.c_str();
}

// ---- creation ----

BOOL CDialog::Create(const wchar_t* templateName, CWnd* parent)
{
    if (m_hWnd != nullptr || templateName == nullptr) {
        return FALSE;
    }
    SetTemplateName(templateName);
    m_lpDialogTemplate = nullptr;
    if (parent) {
        m_pParentWnd = parent;
    }
    const DLGTEMPLATE* dlgTemplate = nullptr;
    HINSTANCE instance = nullptr;
    if (!FindTemplate(&dlgTemplate, &instance)) {
        return FALSE;
    }
    return CreateDlgIndirect(dlgTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : AfxGetMainWnd(), instance);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    return Create(MAKEINTRESOURCEW(templateId), parent);
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* dlgTemplate, CWnd* parent)
{
    if (parent) {
        m_pParentWnd = parent;
    }
    return CreateDlgIndirect(dlgTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : AfxGetMainWnd(),
                             AfxGetResourceHandle());
}

BOOL CDialog::InitModalIndirect(const DLGTEMPLATE* dlgTemplate, CWnd* parent)
{
    if (dlgTemplate == nullptr) {
        return FALSE;
    }
    m_lpDialogTemplate = dlgTemplate;
    m_lpszTemplateName = nullptr;
    if (parent) {
        m_pParentWnd = parent;
    }
    return TRUE;
}

BOOL CDialog::FindTemplate(const DLGTEMPLATE** dlgTemplate, HINSTANCE* instance) const
{
    if (m_lpszTemplateName) {
        for (HMODULE module : {AfxGetResourceHandle(), ::GetModuleHandleW(nullptr), AfxGetInstanceHandle()}) {
            if (const DLGTEMPLATE* found = LoadDialogResource(module, m_lpszTemplateName)) {
                *dlgTemplate = found;
                *instance = module;
                return TRUE;
            }
        }
        return FALSE;
    }
    if (m_lpDialogTemplate) {
        *dlgTemplate = m_lpDialogTemplate;
        *instance = AfxGetResourceHandle();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::CreateDlgIndirect(const DLGTEMPLATE* dlgTemplate, HWND parent, HINSTANCE instance)
{
    if (m_hWnd != nullptr || dlgTemplate == nullptr) {
        return FALSE;
    }
    HWND created = nullptr;
    m_bInitDialogSeen = FALSE;
    {
        WindowCreationWatch watch(this);
        created = ::CreateDialogIndirectParamW(instance, dlgTemplate, parent, &CDialog::DialogProc, 0);
    }
    return created != nullptr && created == m_hWnd;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND handle, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* dialog = dynamic_cast<CDialog*>(FromHandlePermanent(handle));
    if (dialog == nullptr) {
        return TRUE;
    }
    dialog->m_bInitDialogSeen = TRUE;
    return dialog->OnInitDialog();
}

// ---- modal run ----

HWND CDialog::GetModalOwner() const
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : AfxGetMainWnd();
    // A child window cannot own a dialog; its top-level window does.
    while (owner && ::IsWindow(owner) && (::GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)) {
        owner = ::GetParent(owner);
    }
    return owner && ::IsWindow(owner) ? owner : nullptr;
}

INT_PTR CDialog::DoModal()
{
    const DLGTEMPLATE* dlgTemplate = nullptr;
    HINSTANCE instance = nullptr;
    if (m_hWnd != nullptr || !FindTemplate(&dlgTemplate, &instance)) {
        return -1;
    }
    const DWORD loopFlags =
        MLF_SHOWONIDLE | ((TemplateStyle(dlgTemplate) & DS_NOIDLEMSG) ? DWORD{MLF_NOIDLEMSG} : DWORD{0});
    HWND owner = GetModalOwner();
    const bool enableOwner = owner && ::IsWindowEnabled(owner);
    if (enableOwner) {
        ::EnableWindow(owner, FALSE);
    }
    m_nModalResult = -1;
    m_bContinueModal = TRUE;
    try {
        if (CreateDlgIndirect(dlgTemplate, owner, instance) && m_bContinueModal) {
            RunModalLoop(loopFlags);
        }
    } catch (...) {
        m_nModalResult = -1;
    }
    m_bContinueModal = FALSE;
    if (m_hWnd) {
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (enableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) {
        ::SetActiveWindow(owner);
    }
    DestroyWindow();
    return m_nModalResult;
}

int CDialog::RunModalLoop(DWORD flags)
{
    if (!IsWindow()) {
        return -1;
    }
    const FlagScope running(m_bModalLoop);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    bool idle = true;
    MSG msg{};
    while (ContinueModal()) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!idle) {
                ::WaitMessage();
                continue;
            }
            idle = false;
            if ((flags & MLF_SHOWONIDLE) && IsWindow() && !(GetStyle() & WS_VISIBLE)) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
            }
            if (!(flags & MLF_NOIDLEMSG) && owner) {
                ::SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
            }
            continue;
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // The program is quitting: the loop of whoever runs the program must see it too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            EndModalLoop(-1);
            return -1;
        }
        AfxProcessMessage(&msg);
        // Painting and timers are what an idle period produces; anything else starts a new one.
        idle = idle || (msg.message != WM_PAINT && msg.message != WM_TIMER && msg.message != WM_NULL);
    }
    return m_nModalResult;
}

BOOL CDialog::ContinueModal()
{
    return m_bContinueModal;
}

void CDialog::EndModalLoop(int result)
{
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = FALSE;
        PostMessage(WM_NULL); // wakes the loop
    }
}

void CDialog::EndDialog(int result)
{
    if (m_bContinueModal || m_bModalLoop) {
        EndModalLoop(result);
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

// ---- behaviour ----

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam)) {
        return TRUE;
    }
    if (HIWORD(wParam) != BN_CLICKED) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || m_hWnd == nullptr) {
        return FALSE;
    }
    const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    return (key || mouse) && ::IsDialogMessageW(m_hWnd, msg);
}

void CDialog::NextDlgCtrl() const
{
    SendMessage(WM_NEXTDLGCTL, 0, 0);
}

void CDialog::PrevDlgCtrl() const
{
    SendMessage(WM_NEXTDLGCTL, 1, 0);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control) {
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(HandleOf(control)), TRUE);
    }
}

void CDialog::SetDefID(UINT id)
{
    SendMessage(DM_SETDEFID, id);
}

DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(SendMessage(DM_GETDEFID));
}
