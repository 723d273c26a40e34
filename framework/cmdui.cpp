#include <util/menu.h>
#include <util/wnd.h>

BOOL CWnd::OnCmdMsg(UINT, int, void*, AFX_CMDHANDLERINFO*)
{
    return FALSE;
}

void CCmdUI::Enable(BOOL on)
{
    if (m_pMenu) {
        // A pop-up entry's state belongs to its own menu's updates, not to a command.
        if (m_pSubMenu == nullptr) {
            m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
        }
    } else if (m_pOther) {
        // A control that loses its enabling while it has the focus hands the focus on first.
        if (!on && CWnd::GetFocus() == m_pOther) {
            CWnd* parent = m_pOther->GetParent();
            if (parent) {
                parent->SendMessage(WM_NEXTDLGCTL);
            }
        }
        m_pOther->EnableWindow(on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check)
{
    if (m_pMenu) {
        if (m_pSubMenu == nullptr) {
            m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
        }
    } else if (m_pOther && (m_pOther->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON)) {
        m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
    }
}

void CCmdUI::SetRadio(BOOL on)
{
    SetCheck(on ? 1 : 0);
}

void CCmdUI::SetText(const wchar_t* text)
{
    if (text == nullptr) {
        return;
    }
    if (m_pMenu) {
        if (m_pSubMenu != nullptr) {
            return;
        }
        // The entry keeps its state; a text entry is what it becomes.
        const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) &
                           ~(MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_POPUP | 0xFF00u);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
    } else if (m_pOther) {
        m_pOther->SetWindowText(text);
    }
}

BOOL CCmdUI::DoUpdate(CWnd* target, BOOL disableIfNoHandler)
{
    if (m_nID == 0 || m_nID >= 0xF000 || target == nullptr) {
        return TRUE; // separators and system commands are not updated
    }
    m_bEnableChanged = FALSE;
    const BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return handled;
}
