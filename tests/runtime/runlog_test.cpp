// The run log reads its settings once per process from the executable's folder, so every scenario
// runs in a fresh copy of this program placed in a folder of its own: the parent prepares the folder
// (settings, old log files), the child process writes, the parent checks the files.
#include <util/file.h>
#include <util/runlog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "runtime/child_program.h"

namespace {

const unsigned long kFileModule = 0x1011000;

// ---- the child side: a scenario runs instead of the tests, its result is the exit code ----------

int WriteBasicLines()
{
    CHILD_CHECK(KXGetLogLevel() == 2);
    CHILD_CHECK(KxWriteLog(1, 5, L"hidden %d", 1) == 1);
    CHILD_CHECK(KxWriteLog(3, kFileModule, L"error %s %d", L"文本", 42) == 1);
    CHILD_CHECK(KxWriteLog(2, 7, L"") == 1);
    CHILD_CHECK(KxWriteLog(255, 0xFFFFFFFF, L"%s", L"top") == 1);
    return 0;
}

int WriteLongBodies()
{
    CHILD_CHECK(KXGetLogLevel() == 0);
    CHILD_CHECK(KxWriteLog(0, 1, L"%s", std::wstring(2040, L'a').c_str()) == 1);
    CHILD_CHECK(KxWriteLog(0, 1, L"%s", std::wstring(2041, L'b').c_str()) == 1);
    return 0;
}

int WriteEveryFamily()
{
    const std::wstring path = L"ex.txt";
    CHILD_CHECK(KxWriteLog(CString(L"raw main")) == 1);
    CHILD_CHECK(KxWriteLog(7, CString(L"module seven")) == 1);
    CHILD_CHECK(KxWriteLogEx(path.c_str(), 3, 9, L"ex %d", 1) == 1);
    CHILD_CHECK(KxWriteLog(CString(path.c_str()), CString(L"plain")) == 1);
    CHILD_CHECK(KxWriteLogEx(path.c_str(), 1, 9, L"below the threshold") == 1);
    CHILD_CHECK(KxWriteLog(CString(L"no\\such\\folder\\x.log"), CString(L"lost")) == -1);
    return 0;
}

int AppendToExisting()
{
    CHILD_CHECK(KxWriteLog(CString(L"second")) == 1);
    CHILD_CHECK(KxWriteLog(3, CString(L"module three")) == 1);
    return 0;
}

int MissingFileWithoutRetry()
{
    CHILD_CHECK(KxWriteLog(CString(L"x")) == -1);
    CHILD_CHECK(GetFileAttributesW(L"late.log") == INVALID_FILE_ATTRIBUTES);
    FILE* made = _wfopen(L"late.log", L"wb");
    CHILD_CHECK(made != nullptr);
    fclose(made);
    CHILD_CHECK(KxWriteLog(CString(L"y")) == -1);
    return 0;
}

int MissingFileWithRetry()
{
    CHILD_CHECK(KxWriteLog(CString(L"x")) == -1);
    FILE* made = _wfopen(L"late.log", L"wb");
    CHILD_CHECK(made != nullptr);
    fclose(made);
    CHILD_CHECK(KxWriteLog(CString(L"y")) == 1);
    return 0;
}

int WriteToLongPaths()
{
    CHILD_CHECK(KxWriteLog(CString(L"main line")) == 1);
    CHILD_CHECK(KxWriteLog(7, CString(L"module line")) == 1);
    return 0;
}

int StartLog()
{
    CHILD_CHECK(KxWriteLog(CString(L"started")) == 1);
    return 0;
}

const wchar_t kPayload[] = L" the same payload on every line";

// Every line of the file is whole, and each writer's lines come in its own order.
int CheckWholeLines(const std::wstring& path, int writers, int linesEach)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    CHILD_CHECK(file != nullptr);
    std::vector<wchar_t> text(1 << 23);
    const size_t count = fread(text.data(), sizeof(wchar_t), text.size(), file);
    fclose(file);
    CHILD_CHECK(count > 1 && count < text.size() && text[0] == 0xFEFF);
    std::vector<int> next(static_cast<size_t>(writers), 0);
    const wchar_t* at = text.data() + 1;
    const wchar_t* const end = text.data() + count;
    int lines = 0;
    while (at < end) {
        const wchar_t* const lineEnd = std::search(at, end, L"\r\n", L"\r\n" + 2);
        CHILD_CHECK(lineEnd < end);
        CHILD_CHECK(wcsncmp(at, L"[Level:1][", 10) == 0);
        const wchar_t* const body = std::search(at, lineEnd, L"][ModuleID:4]: T", L"][ModuleID:4]: T" + 16);
        CHILD_CHECK(body < lineEnd);
        int writer = -1, number = -1, consumed = 0;
        CHILD_CHECK(swscanf(body + 15, L"T%d-%d%n", &writer, &number, &consumed) == 2);
        CHILD_CHECK(writer >= 0 && writer < writers && number == next[static_cast<size_t>(writer)]);
        ++next[static_cast<size_t>(writer)];
        CHILD_CHECK(static_cast<size_t>(lineEnd - (body + 15 + consumed)) == wcslen(kPayload));
        CHILD_CHECK(wcsncmp(body + 15 + consumed, kPayload, wcslen(kPayload)) == 0);
        at = lineEnd + 2;
        ++lines;
    }
    CHILD_CHECK(lines == writers * linesEach);
    return 0;
}

int FourWritersAtOnce()
{
    const int writers = 4, linesEach = 10000;
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < writers; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < writers) {
            }
            // The first calls race to create the log.
            for (int i = 0; i < linesEach; ++i) {
                if (KxWriteLog(1, 4, L"T%d-%05d%s", t, i, kPayload) != 1) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    CHILD_CHECK(failures.load() == 0);
    return CheckWholeLines(L"busy.log", writers, linesEach);
}

DWORD WINAPI WriteForever(void*)
{
    for (int i = 0;; ++i) {
        KxWriteLog(3, 1, L"busy line %d", i);
        KxWriteLog(2, CString(L"module line\r\n"));
    }
}

int ExitWhileWriting()
{
    for (int t = 0; t < 4; ++t) {
        const HANDLE thread = CreateThread(nullptr, 0, WriteForever, nullptr, 0, nullptr);
        CHILD_CHECK(thread != nullptr);
        CloseHandle(thread);
    }
    Sleep(200);
    return 0; // exit with the writers still running
}

const bool g_scenarios = childprogram::AddScenarios({
    {L"basic", WriteBasicLines},
    {L"long", WriteLongBodies},
    {L"families", WriteEveryFamily},
    {L"append", AppendToExisting},
    {L"noretry", MissingFileWithoutRetry},
    {L"retry", MissingFileWithRetry},
    {L"start", StartLog},
    {L"longpath", WriteToLongPaths},
    {L"threads", FourWritersAtOnce},
    {L"exit", ExitWhileWriting},
});

// ---- the parent side ---------------------------------------------------------------------------

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The text of a log file after its byte-order mark; fails the test when the mark is missing.
std::wstring ReadLogText(const std::wstring& path)
{
    const std::string bytes = childprogram::ReadBytes(path);
    EXPECT_GE(bytes.size(), 2u) << "missing file";
    if (bytes.size() < 2) {
        return L"";
    }
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite("\xFF\xFE", 1, 2, file);
    fwrite(text.data(), sizeof(wchar_t), text.size(), file);
    fclose(file);
}

std::wstring UtcDateName()
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return std::to_wstring(now.wYear) + L"-" + std::to_wstring(now.wMonth) + L"-" + std::to_wstring(now.wDay) + L".log";
}

// "[Level:L][YYYY-MM-DD hh:mm:ss][ModuleID:M]: " at today's local date: the body after it, or a
// failure.
std::wstring BodyAfterHeader(const std::wstring& line, int level, int module)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring date = KxFormat(L"%04d-%02d-%02d ", now.wYear, now.wMonth, now.wDay);
    const std::wstring start = L"[Level:" + std::to_wstring(level) + L"][" + date;
    const std::wstring end = L"][ModuleID:" + std::to_wstring(module) + L"]: ";
    EXPECT_EQ(line.substr(0, start.size()), start) << line.substr(0, 80);
    const size_t time = start.size();
    EXPECT_GE(line.size(), time + 8 + end.size());
    if (line.size() < time + 8 + end.size()) {
        return L"";
    }
    for (size_t at : {0, 1, 3, 4, 6, 7}) {
        EXPECT_TRUE(iswdigit(line[time + at])) << line.substr(0, 80);
    }
    EXPECT_EQ(line[time + 2], L':');
    EXPECT_EQ(line[time + 5], L':');
    EXPECT_EQ(line.substr(time + 8, end.size()), end) << line.substr(0, 80);
    return line.substr(time + 8 + end.size());
}

// A folder of its own with a copy of this program, where the log writes.
class LogFolder : public childprogram::ChildFolder {
public:
    LogFolder() : ChildFolder(L"util_log_child.exe") {}

    void WriteSettings(const std::wstring& lines) const
    {
        WriteUtf16File(file(L"sys_config.ini"), L"[RUNLOG]\r\n" + lines);
    }
};

// A file last written the given number of days before now.
void MakeDatedFile(const std::wstring& path, int daysAgo)
{
    WriteUtf16File(path, L"old\r\n");
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{};
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= static_cast<long long>(daysAgo) * 864000000000ll;
    FILETIME written{time.LowPart, time.HighPart};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
}

} // namespace

TEST(RunLog, DefaultFileHeaderAndThreshold)
{
    LogFolder folder;
    ASSERT_EQ(folder.Run(L"basic"), 0ul);

    // Reading the settings made an empty UTF-16 settings file.
    EXPECT_EQ(childprogram::ReadBytes(folder.file(L"sys_config.ini")), "\xFF\xFE");
    const std::vector<std::wstring> lines = SplitLines(ReadLogText(folder.file(UtcDateName())));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(BodyAfterHeader(lines[0], 3, 16846848), L"error 文本 42");
    EXPECT_EQ(BodyAfterHeader(lines[1], 2, 7), L"");
    EXPECT_EQ(BodyAfterHeader(lines[2], 255, -1), L"top");
}

TEST(RunLog, BodyIsCutAt2040Characters)
{
    LogFolder folder;
    folder.WriteSettings(L"Level=0\r\n");
    ASSERT_EQ(folder.Run(L"long"), 0ul);
    const std::vector<std::wstring> lines = SplitLines(ReadLogText(folder.file(UtcDateName())));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(BodyAfterHeader(lines[0], 0, 1), std::wstring(2040, L'a'));
    EXPECT_EQ(BodyAfterHeader(lines[1], 0, 1), std::wstring(2040, L'b'));
}

TEST(RunLog, NamedModuleAndPathFilesWithTruncation)
{
    LogFolder folder;
    folder.WriteSettings(L"Name=trade.txt\r\nFlag=1\r\nLevel=2\r\n");
    WriteUtf16File(folder.file(L"trade.log"), L"yesterday's lines\r\n");
    ASSERT_EQ(folder.Run(L"families"), 0ul);

    // Flag 1 truncates the file of the day when the log starts.
    EXPECT_EQ(ReadLogText(folder.file(L"trade.log")), L"raw main");
    EXPECT_EQ(ReadLogText(folder.file(L"trade_7.log")), L"module seven");
    // The formatted and the plain path forms share one stream: the second did not truncate the first.
    const std::wstring text = ReadLogText(folder.file(L"ex.txt"));
    ASSERT_EQ(text.find(L"[ModuleID:9,Level:3,-"), 0u) << text;
    const size_t tick = text.find(L'<');
    const size_t close = text.find(L">]: ex 1\r\nplain");
    ASSERT_NE(tick, std::wstring::npos);
    ASSERT_NE(close, std::wstring::npos);
    EXPECT_EQ(text.size(), close + wcslen(L">]: ex 1\r\nplain"));
    for (size_t at = tick + 1; at < close; ++at) {
        EXPECT_TRUE(iswdigit(text[at]) || (at == tick + 1 && text[at] == L'-')) << text;
    }
    // "-YYYY/MM/DD-hh:mm:ss<"
    const std::wstring stamp = text.substr(wcslen(L"[ModuleID:9,Level:3,-"), tick - wcslen(L"[ModuleID:9,Level:3,-"));
    ASSERT_EQ(stamp.size(), 19u) << text;
    EXPECT_EQ(stamp[4], L'/');
    EXPECT_EQ(stamp[7], L'/');
    EXPECT_EQ(stamp[10], L'-');
    EXPECT_EQ(stamp[13], L':');
}

TEST(RunLog, AppendKeepsContentAndAddsNoSecondMark)
{
    LogFolder folder;
    folder.WriteSettings(L"Name=app\r\n");
    WriteUtf16File(folder.file(L"app.log"), L"first\r\n");
    FILE* empty = _wfopen(folder.file(L"app_3.log").c_str(), L"wb");
    ASSERT_NE(empty, nullptr);
    fclose(empty);
    ASSERT_EQ(folder.Run(L"append"), 0ul);
    EXPECT_EQ(ReadLogText(folder.file(L"app.log")), L"first\r\nsecond");
    EXPECT_EQ(ReadLogText(folder.file(L"app_3.log")), L"module three");
}

TEST(RunLog, MissingMainFileIsReopenedOnlyWithFlag2)
{
    LogFolder noRetry;
    noRetry.WriteSettings(L"Name=late\r\nRun=0\r\n");
    EXPECT_EQ(noRetry.Run(L"noretry"), 0ul);
    EXPECT_EQ(childprogram::ReadBytes(noRetry.file(L"late.log")), "");

    LogFolder retry;
    retry.WriteSettings(L"Name=late\r\nRun=0\r\nFlag=2\r\n");
    EXPECT_EQ(retry.Run(L"retry"), 0ul);
    EXPECT_EQ(ReadLogText(retry.file(L"late.log")), L"y");
}

TEST(RunLog, PurgeDeletesOnlyLogsOlderThanRangeDays)
{
    LogFolder folder;
    folder.WriteSettings(L"Range=3\r\nName=main\r\n");
    const std::map<std::wstring, int> ages = {{L"today.log", 0},   {L"d1.log", 1},    {L"d3.log", 3},
                                              {L"d4.log", 4},      {L"d40.log", 40},  {L"d400.log", 400},
                                              {L"future.log", -2}, {L"old.txt", 100}, {L"held.log", 100}};
    for (const auto& file : ages) {
        MakeDatedFile(folder.file(file.first), file.second);
    }
    // A file held without sharing cannot be examined, and stays.
    const HANDLE held =
        CreateFileW(folder.file(L"held.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_EQ(folder.Run(L"start"), 0ul);
    CloseHandle(held);

    for (const auto& name : {L"today.log", L"d1.log", L"d3.log", L"future.log", L"old.txt", L"held.log"}) {
        EXPECT_TRUE(Exists(folder.file(name))) << name;
    }
    for (const auto& name : {L"d4.log", L"d40.log", L"d400.log"}) {
        EXPECT_FALSE(Exists(folder.file(name))) << name;
    }
    EXPECT_EQ(ReadLogText(folder.file(L"main.log")), L"started");
}

TEST(RunLog, RangeZeroKeepsOnlyToday)
{
    LogFolder folder;
    folder.WriteSettings(L"Range=0\r\nName=main\r\n");
    MakeDatedFile(folder.file(L"today.log"), 0);
    MakeDatedFile(folder.file(L"d1.log"), 1);
    ASSERT_EQ(folder.Run(L"start"), 0ul);
    EXPECT_TRUE(Exists(folder.file(L"today.log")));
    EXPECT_FALSE(Exists(folder.file(L"d1.log")));
}

TEST(RunLog, FourThreadsWriteWholeLines)
{
    LogFolder folder;
    folder.WriteSettings(L"Level=1\r\nName=busy\r\n");
    EXPECT_EQ(folder.Run(L"threads"), 0ul);
}

TEST(RunLog, ProcessEndsWhileThreadsAreWriting)
{
    LogFolder folder;
    folder.WriteSettings(L"Name=busy\r\n");
    EXPECT_EQ(folder.Run(L"exit"), 0ul);
    const std::string bytes = childprogram::ReadBytes(folder.file(L"busy.log"));
    EXPECT_GT(bytes.size(), 2u);
}

// Removes a tree of folders that is too deep for the shell's folder removal, deepest first.
class DeepFolders {
public:
    explicit DeepFolders(std::vector<std::wstring> folders) : m_folders(std::move(folders)) {}
    ~DeepFolders()
    {
        for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder) {
            WIN32_FIND_DATAW entry{};
            const HANDLE find = FindFirstFileW((*folder + L"\\*.log").c_str(), &entry);
            if (find != INVALID_HANDLE_VALUE) {
                do {
                    DeleteFileW((*folder + L"\\" + entry.cFileName).c_str());
                } while (FindNextFileW(find, &entry));
                FindClose(find);
            }
            RemoveDirectoryW(folder->c_str());
        }
    }
    DeepFolders(const DeepFolders&) = delete;
    DeepFolders& operator=(const DeepFolders&) = delete;

private:
    std::vector<std::wstring> m_folders;
};

TEST(RunLog, ModuleFileNamesAreNotCutShort)
{
    LogFolder folder;
    const std::wstring part(165, L'd');
    const DeepFolders deep({folder.file(part + L"1"), folder.file(part + L"1\\" + part + L"2"),
                            folder.file(part + L"1\\" + part + L"2\\" + part + L"3")});
    const std::wstring name = part + L"1\\" + part + L"2\\" + part + L"3\\main";
    ASSERT_EQ(KXFile::CreateDirectoryW(folder.file(part + L"1\\" + part + L"2\\" + part + L"3").c_str()), 1);
    folder.WriteSettings(L"Name=" + name + L".txt\r\n");
    ASSERT_GT(folder.file(name).size(), 512u);
    ASSERT_EQ(folder.Run(L"longpath"), 0ul);
    EXPECT_EQ(ReadLogText(folder.file(name + L".log")), L"main line");
    EXPECT_EQ(ReadLogText(folder.file(name + L"_7.log")), L"module line");
}
