#include "support/host_tools.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace hosttools {
namespace {

typedef char*(__cdecl* UnixNameFunction)(const wchar_t*);

UnixNameFunction UnixName()
{
    return reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Wraps the snippet: arguments, output collection, and an atomic hand-over of the result file.
const char kDriver[] = R"PY(
import os, subprocess, sys, traceback
result_path, snippet_path = sys.argv[1], sys.argv[2]
A = sys.argv[3:]
collected = []
def out(text):
    collected.append(str(text))
def run(*command):
    done = subprocess.run(list(command), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return done.returncode, done.stdout.decode("utf-8", "replace")
status = "ok"
try:
    code = compile(open(snippet_path, encoding="utf-8").read(), snippet_path, "exec")
    exec(code, {"A": A, "out": out, "run": run, "__name__": "__snippet__"})
except BaseException:
    status = "fail"
    collected.append(traceback.format_exc())
with open(result_path + ".part", "w", encoding="utf-8") as f:
    f.write(status + "\n" + "\n".join(collected))
os.rename(result_path + ".part", result_path)
)PY";

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

std::wstring Widen(const std::string& utf8)
{
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], needed);
    return wide;
}

} // namespace

bool Available()
{
    return UnixName() != nullptr && GetFileAttributesW(L"Z:\\usr\\bin\\python3") != INVALID_FILE_ATTRIBUTES;
}

std::string UnixPath(const std::wstring& windowsPath)
{
    const UnixNameFunction convert = UnixName();
    char* name = convert ? convert(windowsPath.c_str()) : nullptr;
    if (!name) {
        return std::string();
    }
    std::string path(name);
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

Result Python(const testsupport::TempDir& work, const std::string& snippet, const std::vector<std::string>& args)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring id = std::to_wstring(counter++);
    const std::wstring driver = work.file(L"host-driver.py");
    const std::wstring script = work.file(L"host-snippet-" + id + L".py");
    const std::wstring result = work.file(L"host-result-" + id + L".txt");
    Result outcome;
    if (!WriteFileBytes(driver, kDriver) || !WriteFileBytes(script, snippet)) {
        outcome.output = "cannot write the snippet";
        return outcome;
    }
    std::string command =
        "/usr/bin/python3 " + Quote(UnixPath(driver)) + " " + Quote(UnixPath(result)) + " " + Quote(UnixPath(script));
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    std::wstring wideCommand = Widen(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &wideCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        outcome.output = "cannot start python3";
        return outcome;
    }
    if (process.hProcess) { // on a platform that hands back a process, it is not needed
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (int waited = 0; GetFileAttributesW(result.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 10) {
        if (waited > 60000) {
            outcome.output = "python3 did not answer";
            return outcome;
        }
        Sleep(10);
    }
    const std::string text = ReadFileBytes(result);
    const size_t newline = text.find('\n');
    outcome.ok = text.compare(0, newline, "ok") == 0;
    outcome.output = newline == std::string::npos ? std::string() : text.substr(newline + 1);
    return outcome;
}

} // namespace hosttools
