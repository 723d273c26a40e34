#pragma once

// Runs a measurement in a copy of the benchmark placed in a temporary folder of its own: the run log
// writes beside the executable, and under Wine the copy runs without the heap checks that the test
// runs switch on for every program (they validate the whole heap on every allocation and would be
// measured instead of the code).

#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string>

#include <util/format.h>

namespace measure_apart {

const wchar_t kApart[] = L"--apart";

inline void WithoutHeapChecks(const std::wstring& exeName)
{
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
        return;
    }
    const std::wstring key =
        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\" + exeName;
    HKEY options = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &options, nullptr) ==
        ERROR_SUCCESS) {
        const DWORD flags = 0;
        RegSetValueExW(options, L"GlobalFlag", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof(flags));
        RegCloseKey(options);
    }
}

// measure() in the copy; its exit code.
inline int Run(const wchar_t* copyName, int (*measure)())
{
    if (wcsstr(GetCommandLineW(), kApart) != nullptr) {
        return measure();
    }
    wchar_t base[MAX_PATH], exe[MAX_PATH], library[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    GetModuleFileNameW(GetModuleHandleW(L"util.dll"), library, MAX_PATH);
    const std::wstring folder = KxFormat(L"%sutil_bench_%lu", base, GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\" + copyName;
    CopyFileW(exe, copy.c_str(), FALSE);
    CopyFileW(library, (folder + L"\\util.dll").c_str(), FALSE);
    WithoutHeapChecks(copyName);

    std::wstring command = L"\"" + copy + L"\" " + kApart;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    DWORD code = 1;
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationW(&remove);
    return static_cast<int>(code);
}

} // namespace measure_apart
