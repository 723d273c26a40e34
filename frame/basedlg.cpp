// The registry of live library dialogs and the modal bookkeeping around it.
#include <util/basedlg.h>

#include <map>
#include <vector>

namespace {

// Every live CBaseDlg with a stack of its saved enabling, one entry per modal run of another dialog.
// A static object of the library: it starts and ends with it.
class DialogRegistry {
public:
    void Add(CBaseDlg* dialog) { m_dialogs.emplace(dialog, std::vector<bool>()); }
    void Remove(CBaseDlg* dialog) { m_dialogs.erase(dialog); }
    int Count() const { return static_cast<int>(m_dialogs.size()); }

    // Before a modal run of dialog owned by owner: the others' enabling is saved, and they are
    // disabled unless they run modally themselves and do not own it.
    void DisableOthers(const CBaseDlg* dialog, HWND owner)
    {
        for (CBaseDlg* other : Others(dialog)) {
            const auto found = m_dialogs.find(other);
            if (found == m_dialogs.end() || !other->IsWindow()) {
                continue;
            }
            found->second.push_back(other->IsWindowEnabled() != FALSE);
            if (other->m_hWnd == owner || !other->IsDoModal()) {
                other->EnableWindow(FALSE);
            }
        }
    }

    // After the run: each saved enabling goes back and off the stack. A dialog whose window went
    // meanwhile only drops its entry, so that a later window of it is not given a stale state.
    void RestoreOthers(const CBaseDlg* dialog)
    {
        for (CBaseDlg* other : Others(dialog)) {
            const auto found = m_dialogs.find(other);
            if (found == m_dialogs.end() || found->second.empty()) {
                continue;
            }
            const bool enabled = found->second.back();
            found->second.pop_back();
            if (other->IsWindow()) {
                other->EnableWindow(enabled ? TRUE : FALSE);
            }
        }
    }

private:
    // A copy: enabling a window runs its handlers, which may make or end dialogs.
    std::vector<CBaseDlg*> Others(const CBaseDlg* dialog) const
    {
        std::vector<CBaseDlg*> others;
        for (const auto& entry : m_dialogs) {
            if (entry.first != dialog) {
                others.push_back(entry.first);
            }
        }
        return others;
    }

    std::map<CBaseDlg*, std::vector<bool>> m_dialogs;
};

DialogRegistry g_dialogs;

} // namespace

CBaseDlg::CBaseDlg()
{
    g_dialogs.Add(this);
}

CBaseDlg::CBaseDlg(const wchar_t* templateName, CWnd* parent) : CDialog(templateName, parent)
{
    g_dialogs.Add(this);
}

CBaseDlg::CBaseDlg(UINT templateId, CWnd* parent) : CDialog(templateId, parent)
{
    g_dialogs.Add(this);
}

CBaseDlg::~CBaseDlg()
{
    // A live window goes with the object, which is being deleted already: no self-deletion now.
    m_bInitDialogSeen = FALSE;
    DestroyWindow();
    g_dialogs.Remove(this);
}

int CBaseDlg::GetLiveDialogCount()
{
    return g_dialogs.Count();
}

INT_PTR CBaseDlg::DoModal()
{
    m_bDoModal = TRUE;
    g_dialogs.DisableOthers(this, GetModalOwner());
    const INT_PTR result = _DoModal();
    m_bDoModal = FALSE;
    g_dialogs.RestoreOthers(this);
    return result;
}

INT_PTR CBaseDlg::_DoModal()
{
    return CDialog::DoModal();
}

void CBaseDlg::OnOK()
{
    if (m_bDoModal) {
        CDialog::OnOK();
    } else {
        DestroyWindow();
    }
}

void CBaseDlg::OnCancel()
{
    if (m_bDoModal) {
        CDialog::OnCancel();
    } else {
        DestroyWindow();
    }
}

void CBaseDlg::PostNcDestroy()
{
    // A window whose creation failed leaves the object to the caller of Create.
    if (!m_bDoModal && m_bInitDialogSeen) {
        delete this;
    }
}
