#pragma once

// Scenarios that need a process of their own in a folder of their own: the test copies this program
// (with the library) into a temporary folder and runs it there with a scenario switch; the scenario
// runs instead of the tests and its result is the exit code.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <string>

#include "support/process.h"

namespace childprogram {

const wchar_t kScenarioSwitch[] = L"--child-scenario=";

using Scenarios = std::map<std::wstring, std::function<int()>>;

inline Scenarios& Registry()
{
    static Scenarios scenarios;
    return scenarios;
}

// Runs the scenario named on the command line, if any, once the program is fully started, and ends
// the process with its result.
class ScenarioDispatch : public testing::Environment {
public:
    void SetUp() override
    {
        const std::wstring command = GetCommandLineW();
        const size_t at = command.find(kScenarioSwitch);
        if (at == std::wstring::npos) {
            return;
        }
        const auto scenario = Registry().find(command.substr(at + wcslen(kScenarioSwitch)));
        fflush(stdout);
        exit(scenario == Registry().end() ? 2 : scenario->second());
    }
};

// Adds scenarios of one test file: const bool registered = childprogram::AddScenarios({...});
inline bool AddScenarios(const Scenarios& scenarios)
{
    static const bool dispatching = (testing::AddGlobalTestEnvironment(new ScenarioDispatch), true);
    Registry().insert(scenarios.begin(), scenarios.end());
    return dispatching;
}

inline int Fail(const char* what)
{
    fprintf(stderr, "scenario check failed: %s\n", what);
    return 1;
}

#define CHILD_CHECK(condition)                                                                                         \
    if (!(condition))                                                                                                  \
    return childprogram::Fail(#condition)

inline std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return bytes;
    }
    char chunk[65536];
    size_t read = 0;
    while ((read = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, read);
    }
    fclose(file);
    return bytes;
}

// A temporary folder holding a copy of this program named exeName and the library beside it.
class ChildFolder {
public:
    explicit ChildFolder(const std::wstring& exeName) : m_exe(testsupport::CopyProgramTo(m_dir.path(), exeName))
    {
        KeepConcurrentHeapUsable(exeName);
    }

    const std::wstring& path() const { return m_dir.path(); }
    std::wstring file(const std::wstring& name) const { return m_dir.file(name); }

    // Runs the scenario with the folder as working directory: its exit code (the output goes into
    // failure messages).
    unsigned long Run(const std::wstring& scenario) const
    {
        const std::wstring outputPath = file(L"child.out");
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        const HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        std::wstring command = L"\"" + m_exe + L"\" " + kScenarioSwitch + scenario;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                            m_dir.path().c_str(), &startup, &process);
        CloseHandle(output);
        if (!started) {
            ADD_FAILURE() << "cannot start the scenario";
            return ~0ul;
        }
        unsigned long code = ~0ul;
        if (WaitForSingleObject(process.hProcess, 90000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        } else {
            TerminateProcess(process.hProcess, 99);
            ADD_FAILURE() << "the scenario did not end";
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(code, 0ul) << ReadBytes(outputPath);
        return code;
    }

private:
    // Under Wine, validating the whole heap on every call (part of the test run's heap checks) makes
    // several threads allocating at once crawl, and was seen to corrupt the heap. These children run
    // without it; Wine then reports no overruns in them, so their scenarios are about behaviour.
    static void KeepConcurrentHeapUsable(const std::wstring& exeName)
    {
        if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
            return;
        }
        const std::wstring key =
            L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\" + exeName;
        HKEY options = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &options,
                            nullptr) == ERROR_SUCCESS) {
            const DWORD flags = 0x70;
            RegSetValueExW(options, L"GlobalFlag", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof(flags));
            RegCloseKey(options);
        }
    }

    testsupport::TempDir m_dir;
    std::wstring m_exe;
};

} // namespace childprogram
