#include "support/process.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace testsupport {
namespace {

const wchar_t kFreshMarker[] = L"UTIL_TEST_FRESH_PROCESS";

struct Handle {
    HANDLE h = nullptr;
    ~Handle()
    {
        if (h && h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring ThisProgram()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return exe;
}

std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// Switches the heap validation off for the processes of one image name while it lives: the system reads
// GlobalFlag under the image's execution options when it starts a process, before the default.
class NoHeapChecksFor {
public:
    explicit NoHeapChecksFor(const std::wstring& imageName) : m_key(kImageOptions + imageName)
    {
        HKEY key = nullptr;
        const DWORD none = 0;
        m_set = RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr) == ERROR_SUCCESS;
        if (m_set) {
            m_set = RegSetValueExW(key, L"GlobalFlag", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&none),
                                   sizeof(none)) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
    ~NoHeapChecksFor() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_key.c_str()); }
    NoHeapChecksFor(const NoHeapChecksFor&) = delete;
    NoHeapChecksFor& operator=(const NoHeapChecksFor&) = delete;

    bool set() const { return m_set; }

private:
    static constexpr wchar_t kImageOptions[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";
    std::wstring m_key;
    bool m_set = false;
};

} // namespace

ChildResult RunTestInFreshProcess(const std::string& filter, const std::wstring& workDir)
{
    return RunTestOfProgram(ThisProgram(), filter, workDir);
}

std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& programName)
{
    wchar_t library[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"util.dll"), library, MAX_PATH);
    const std::wstring program = folder + L"\\" + (programName.empty() ? FileName(ThisProgram()) : programName);
    if (!CopyFileW(ThisProgram().c_str(), program.c_str(), FALSE) ||
        !CopyFileW(library, (folder + L"\\util.dll").c_str(), FALSE)) {
        throw std::runtime_error("cannot copy the test program");
    }
    return program;
}

ChildResult RunTestOfProgram(const std::wstring& program, const std::string& filter, const std::wstring& workDir)
{
    std::wstring command = L"\"" + program + L"\" --gtest_filter=" + Widen(filter);

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(&readEnd.h, &writeEnd.h, &inherit, 0)) {
        return {};
    }
    SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.h;
    startup.hStdError = writeEnd.h;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableW(kFreshMarker, L"1");
    const BOOL started =
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, workDir.c_str(), &startup, &process);
    SetEnvironmentVariableW(kFreshMarker, nullptr);
    if (!started) {
        return {};
    }
    CloseHandle(writeEnd.h);
    writeEnd.h = nullptr;

    ChildResult result;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.h, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
        result.output.append(chunk, read);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

ChildResult RunTestWithoutHeapChecks(const std::string& filter)
{
    // The folder's name is unique among running tests, so the image name is too.
    const TempDir folder;
    const std::wstring imageName = FileName(folder.path()) + L".exe";
    const NoHeapChecksFor options(imageName);
    if (!options.set()) {
        ChildResult refused;
        refused.output = "cannot switch the heap validation off for " + filter;
        return refused;
    }
    return RunTestOfProgram(CopyProgramTo(folder.path(), imageName), filter, folder.path());
}

bool RanOneTestAndPassed(const ChildResult& child)
{
    return child.exitCode == 0 && child.output.find("[  PASSED  ] 1 test.") != std::string::npos;
}

bool IsFreshProcess()
{
    return GetEnvironmentVariableW(kFreshMarker, nullptr, 0) > 0;
}

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (;;) {
        m_path = std::wstring(base) + L"utiltest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) {
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a temporary folder");
        }
    }
}

namespace {

// Removes a folder and what it holds, through long-path names so that deep trees go too, without
// following links out of it. (The shell's delete operation, under Wine, removed files outside a folder
// whose paths exceeded MAX_PATH.)
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            const bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isLink) {
                RemoveTree(path);
            } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveDirectoryW(path.c_str());
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

TempDir::~TempDir()
{
    RemoveTree(L"\\\\?\\" + m_path);
}

} // namespace testsupport
