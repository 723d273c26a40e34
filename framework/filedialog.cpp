#include <util/filedialog.h>
#include <util/wnd.h>

#include <atomic>

namespace {

std::atomic<KXFILEDIALOGCALL> g_openCall{&::GetOpenFileNameW};
std::atomic<KXFILEDIALOGCALL> g_saveCall{&::GetSaveFileNameW};

} // namespace

KXFILEDIALOGCALL KxSetFileDialogCall(BOOL openFileDialog, KXFILEDIALOGCALL call)
{
    std::atomic<KXFILEDIALOGCALL>& slot = openFileDialog ? g_openCall : g_saveCall;
    if (call == nullptr) {
        call = openFileDialog ? &::GetOpenFileNameW : &::GetSaveFileNameW;
    }
    return slot.exchange(call);
}

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                         CWnd* parent)
    : m_ofn(), m_bOpenFileDialog(openFileDialog), m_strDefaultExt(defaultExt)
{
    if (fileName != nullptr) {
        lstrcpynW(m_szFile, fileName, MAX_PATH);
    }
    if (filter != nullptr) {
        m_filter = filter;
        for (wchar_t& ch : m_filter) {
            if (ch == L'|') {
                ch = 0;
            }
        }
        m_filter.push_back(0);
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    m_ofn.lpstrFile = m_szFile;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrDefExt = defaultExt ? m_strDefaultExt.GetString() : nullptr;
    m_ofn.lpstrFilter = filter ? m_filter.c_str() : nullptr;
}

INT_PTR CFileDialog::DoModal()
{
    const KXFILEDIALOGCALL call = (m_bOpenFileDialog ? g_openCall : g_saveCall).load();
    m_szFile[MAX_PATH - 1] = 0;
    return call(&m_ofn) ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileExt() const
{
    const wchar_t* dot = wcsrchr(m_szFile, L'.');
    const wchar_t* slash = wcsrchr(m_szFile, L'\\');
    if (dot == nullptr || (slash != nullptr && dot < slash)) {
        return CString();
    }
    return CString(dot + 1);
}
