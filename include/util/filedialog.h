#pragma once

#include <windows.h>

#include <commdlg.h>

#include <util/cstring.h>
#include <util/export.h>

class CWnd;

// The platform's common open and save dialogs.
class UTIL_API CFileDialog {
public:
    // filter: pairs of description and pattern, each followed by '|' ("Text Files (*.txt)|*.txt|").
    CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt = nullptr, LPCWSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr,
                CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a file, else IDCANCEL.
    INT_PTR DoModal();
    CString GetPathName() const { return m_szFile; }
    // The extension of the chosen name, without its dot.
    CString GetFileExt() const;

    OPENFILENAMEW m_ofn;

private:
    BOOL m_bOpenFileDialog;
    wchar_t m_szFile[MAX_PATH] = {};
    CString m_strDefaultExt;
    std::wstring m_filter; // zero-separated, as the platform takes it
};

// The platform call behind DoModal (GetOpenFileNameW / GetSaveFileNameW); tests put a double in its
// place. A null call restores the platform's. Returns the previous one.
typedef BOOL(WINAPI* KXFILEDIALOGCALL)(OPENFILENAMEW* ofn);
UTIL_API KXFILEDIALOGCALL KxSetFileDialogCall(BOOL openFileDialog, KXFILEDIALOGCALL call);
