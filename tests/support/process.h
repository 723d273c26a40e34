#pragma once

#include <string>

namespace testsupport {

struct ChildResult {
    unsigned long exitCode = ~0ul;
    std::string output; // stdout and stderr of the child
};

// Runs one test of this program in a fresh process whose current directory is workDir, so that
// singletons reading their settings once start from scratch. The filter is a gtest filter.
ChildResult RunTestInFreshProcess(const std::string& filter, const std::wstring& workDir);

// The same, running the copy of this program that CopyProgramTo put into another folder (for tests
// of what the library reads from its own folder).
ChildResult RunTestOfProgram(const std::wstring& program, const std::string& filter, const std::wstring& workDir);

// The same, in a copy of this program that runs without the heap validation every test process has.
// Growth soaks count handles and windows over many rounds; the validation makes each round cost tens of
// times more and tells nothing about growth.
ChildResult RunTestWithoutHeapChecks(const std::string& filter);

// True when the child ran one test, which passed (a filter that matches nothing exits with 0 too).
bool RanOneTestAndPassed(const ChildResult& child);

// Copies this test program (under another name if one is given) and util.dll into the folder; returns
// the path of the copied program.
std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& programName = std::wstring());

// True inside a process started by RunTestInFreshProcess; tests that only make sense there skip
// themselves otherwise.
bool IsFreshProcess();

// A new empty folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

} // namespace testsupport
