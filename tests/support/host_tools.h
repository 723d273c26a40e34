#pragma once

#include <string>
#include <vector>

#include "support/process.h"

// Runs Python snippets with the machine's own Linux tools (python3, gzip, zip, unzip) beside the test,
// so that what the library writes is checked by independent implementations and what they write is
// read back. Wine starts a Linux program given by its Unix path but hands back no process handle, so
// the snippet's outcome comes back through a result file.
namespace hosttools {

// False outside Wine: tests that need the host tools skip themselves.
bool Available();

// The Unix path of a Windows path (both name the same file under Wine).
std::string UnixPath(const std::wstring& windowsPath);

struct Result {
    bool ok = false;    // the snippet ran to its end without an exception
    std::string output; // what it passed to out(), or the exception text
};

// Runs a Python 3 snippet. Inside it, A is the list of arguments, out(text) appends a line to the
// output, and run(*command) runs a program and gives (exit code, stdout + stderr).
Result Python(const testsupport::TempDir& work, const std::string& snippet, const std::vector<std::string>& args);

// Whole-file helpers for the tests.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

} // namespace hosttools
