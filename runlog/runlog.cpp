#include <util/runlog.h>

#include <util/format.h>
#include <util/lock.h>
#include <util/profile.h>

#include <windows.h>

#include "framework/scoped_handle.h"
#include "runtime/runlog_relay.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

const wchar_t kSection[] = L"RUNLOG";
const size_t kBodyLimit = 2040;
const int kNameLimit = 512;
const unsigned long long kFileTimeUnitsPerDay = 864000000000ull;

std::wstring ExecutableDirectory()
{
    std::vector<wchar_t> path(512);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return L".";
        }
        if (length < path.size()) {
            const std::wstring full(path.data(), length);
            const size_t separator = full.find_last_of(L"\\/");
            return separator == std::wstring::npos ? L"." : full.substr(0, separator);
        }
        path.resize(path.size() * 2);
    }
}

// The path without the extension of its last component.
std::wstring WithoutExtension(const std::wstring& path)
{
    const size_t dot = path.find_last_of(L'.');
    const size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
        return path;
    }
    return path.substr(0, dot);
}

unsigned long long DayNumber(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return value.QuadPart / kFileTimeUnitsPerDay;
}

unsigned long long DayNumber(const SYSTEMTIME& date)
{
    FILETIME time{};
    SystemTimeToFileTime(&date, &time);
    return DayNumber(time);
}

// The last-write day of a file that can be opened for reading and writing; false for others (held
// by another process without sharing, for example).
bool LastWriteDay(const std::wstring& path, unsigned long long* day)
{
    const ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME written{};
    const bool known = file.IsValid() && GetFileTime(file.Get(), nullptr, nullptr, &written) != FALSE;
    if (known) {
        *day = DayNumber(written);
    }
    return known;
}

// More than keepDays whole days before today (a file of today or of a later day never is).
bool IsOlderThan(unsigned long long day, unsigned long long today, int keepDays)
{
    return day < today && today - day > static_cast<unsigned long long>(std::max(keepDays, 0));
}

// Deletes the *.log files of the directory last written more than keepDays whole days before today.
void PurgeOldLogs(const std::wstring& directory, const SYSTEMTIME& today, int keepDays)
{
    const unsigned long long todayNumber = DayNumber(today);
    WIN32_FIND_DATAW entry{};
    const ScopedFindHandle find(FindFirstFileW(KxFormat(L"%s\\*.log", directory.c_str()).c_str(), &entry));
    if (!find.IsValid()) {
        return;
    }
    do {
        const std::wstring path = KxFormat(L"%s\\%s", directory.c_str(), entry.cFileName);
        unsigned long long day = 0;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && LastWriteDay(path, &day) &&
            IsOlderThan(day, todayNumber, keepDays)) {
            ::DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(find.Get(), &entry));
}

std::wstring FormatBody(const wchar_t* format, va_list args)
{
    std::wstring body = KxFormatV(format ? format : L"", args);
    if (body.size() > kBodyLimit) {
        body.resize(kBodyLimit);
    }
    return body;
}

// One line of the log built in place: the fixed fields written by hand and the caller's text
// formatted straight after them, with no string made on the way.
class LineText {
public:
    LineText() = default;
    LineText(const LineText&) = delete;
    LineText& operator=(const LineText&) = delete;

    LineText& operator<<(const wchar_t* text)
    {
        for (; *text != 0 && m_size < kRoom; ++text) {
            m_text[m_size++] = *text;
        }
        return *this;
    }

    // As printf's %d, or %02d with two digits.
    LineText& Number(long long value, int digits = 1)
    {
        wchar_t reversed[24];
        int count = 0;
        unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
        do {
            reversed[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0 || count < digits);
        if (value < 0) {
            reversed[count++] = L'-';
        }
        while (count > 0 && m_size < kRoom) {
            m_text[m_size++] = reversed[--count];
        }
        return *this;
    }

    // The date and time of day, as "%d<sep>%02d<sep>%02d<between>%02d:%02d:%02d".
    LineText& Stamp(const SYSTEMTIME& time, const wchar_t* dateSeparator, const wchar_t* beforeTime)
    {
        Number(time.wYear) << dateSeparator;
        Number(time.wMonth, 2) << dateSeparator;
        Number(time.wDay, 2) << beforeTime;
        Number(time.wHour, 2) << L":";
        Number(time.wMinute, 2) << L":";
        return Number(time.wSecond, 2);
    }

    // The caller's text, cut to the body's limit.
    LineText& Body(const wchar_t* format, va_list args)
    {
        if (format == nullptr) {
            return *this;
        }
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnwprintf(m_text + m_size, kBodyLimit, format, copy);
        va_end(copy);
        if (written >= 0) {
            m_size += static_cast<size_t>(written);
        } else { // longer than the limit: the runtime leaves no sure length, so format it whole
            *this << FormatBody(format, args).c_str();
        }
        return *this;
    }

    std::wstring_view View() const { return {m_text, m_size}; }

private:
    static const size_t kRoom = 128 + kBodyLimit + 2;
    wchar_t m_text[kRoom];
    size_t m_size = 0;
};

// Marks the span in which a thread holds the log's lock.
class BusyMark {
public:
    explicit BusyMark(std::atomic<bool>& busy) : m_busy(busy) { m_busy = true; }
    ~BusyMark() { m_busy = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    std::atomic<bool>& m_busy;
};

// The process's run log: the main file, one file per module number and files named by path, all
// open for the life of the process and flushed after every write.
class KXRunLog {
public:
    KXRunLog();
    virtual ~KXRunLog();
    KXRunLog(const KXRunLog&) = delete;
    KXRunLog& operator=(const KXRunLog&) = delete;

    int Level() const { return m_nLevel; }
    long WriteMain(std::wstring_view text);
    long WriteModule(int module, std::wstring_view text);
    long WritePath(const std::wstring& path, std::wstring_view text);

    // At process exit, with the other threads gone: true when no thread was cut off while holding
    // the lock (and perhaps a stream's own lock), so the streams may be closed.
    bool IsIdle() const { return !m_bBusy.load(); }

private:
    FILE* OpenFile(const std::wstring& path, bool create) const;
    // Writes under the lock, already held by the caller: 1, or -1 without a stream.
    long WriteLocked(FILE* stream, std::wstring_view text);

    int m_nFlag;
    std::wstring m_strPath;
    FILE* m_pFile;
    std::map<int, FILE*> m_mapModuleFile;
    std::map<std::wstring, FILE*> m_mapPathFile;
    KXCriticalSection m_lock;
    int m_nLevel;
    std::atomic<bool> m_bBusy{false};
};

KXRunLog::KXRunLog() : m_nFlag(0), m_pFile(nullptr), m_nLevel(2)
{
    const std::wstring directory = ExecutableDirectory();
    SYSTEMTIME today{};
    GetSystemTime(&today);
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    const std::wstring config = KxFormat(L"%s\\sys_config.ini", directory.c_str());

    const int range = static_cast<int>(CKxProfile::GetPrivateProfileIntW(kSection, L"Range", 3, config.c_str()));
    PurgeOldLogs(directory, today, range);

    const bool create = CKxProfile::GetPrivateProfileIntW(kSection, L"Run", 1, config.c_str()) != 0;
    m_nFlag = static_cast<int>(CKxProfile::GetPrivateProfileIntW(kSection, L"Flag", 0, config.c_str()));
    m_nLevel = static_cast<int>(CKxProfile::GetPrivateProfileIntW(kSection, L"Level", 2, config.c_str()));
    wchar_t name[kNameLimit + 1] = {};
    CKxProfile::GetPrivateProfileStringW(kSection, L"Name", L"", name, kNameLimit + 1, config.c_str());

    if (name[0] != 0) {
        m_strPath = KxFormat(L"%s\\%s.log", directory.c_str(), WithoutExtension(name).c_str());
    } else {
        m_strPath = KxFormat(L"%s\\%d-%d-%d.log", directory.c_str(), today.wYear, today.wMonth, today.wDay);
    }
    m_pFile = OpenFile(m_strPath, create);
}

KXRunLog::~KXRunLog()
{
    if (m_pFile != nullptr) {
        fclose(m_pFile);
    }
    for (const auto& entry : m_mapModuleFile) {
        if (entry.second != nullptr) {
            fclose(entry.second);
        }
    }
    for (const auto& entry : m_mapPathFile) {
        if (entry.second != nullptr) {
            fclose(entry.second);
        }
    }
}

FILE* KXRunLog::OpenFile(const std::wstring& path, bool create) const
{
    if (!create && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return nullptr;
    }
    FILE* stream = _wfopen(path.c_str(), (m_nFlag == 1 || m_nFlag == 2) ? L"wb" : L"ab");
    if (stream == nullptr) {
        return nullptr;
    }
    fseek(stream, 0, SEEK_END);
    if (ftell(stream) <= 0) {
        const unsigned char mark[2] = {0xFF, 0xFE};
        fwrite(mark, 1, sizeof(mark), stream);
        fflush(stream);
    }
    return stream;
}

long KXRunLog::WriteLocked(FILE* stream, std::wstring_view text)
{
    if (stream == nullptr) {
        return -1;
    }
    fwrite(text.data(), sizeof(wchar_t), text.size(), stream);
    fflush(stream);
    return 1;
}

long KXRunLog::WriteMain(std::wstring_view text)
{
    KXLocalSection guard(&m_lock);
    const BusyMark busy(m_bBusy);
    if (m_pFile == nullptr && m_nFlag == 2) {
        m_pFile = OpenFile(m_strPath, false);
    }
    return WriteLocked(m_pFile, text);
}

long KXRunLog::WriteModule(int module, std::wstring_view text)
{
    KXLocalSection guard(&m_lock);
    const BusyMark busy(m_bBusy);
    FILE*& stream = m_mapModuleFile[module];
    if (stream == nullptr) {
        stream = OpenFile(KxFormat(L"%s_%d.log", WithoutExtension(m_strPath).c_str(), module), true);
    }
    return WriteLocked(stream, text);
}

long KXRunLog::WritePath(const std::wstring& path, std::wstring_view text)
{
    KXLocalSection guard(&m_lock);
    const BusyMark busy(m_bBusy);
    FILE*& stream = m_mapPathFile[path];
    if (stream == nullptr) {
        stream = OpenFile(path, true);
    }
    return WriteLocked(stream, text);
}

// The single instance. A line written while it is being made by the same thread (a settings read
// that logs) or after it was destroyed at exit finds none and is dropped; other threads wait for
// the creation to finish.
enum InstanceState { instanceAbsent, instanceCreating, instanceReady, instanceDestroyed };
std::atomic<int> g_state{instanceAbsent};
std::atomic<DWORD> g_creator{0};
KXRunLog* g_log = nullptr;
SRWLOCK g_creation = SRWLOCK_INIT;

void DestroyRunLog()
{
    g_state = instanceDestroyed;
    // A thread killed in the middle of a write still holds the lock and a stream: leave those to the
    // system rather than wait on them forever.
    if (g_log != nullptr && g_log->IsIdle()) {
        delete g_log;
    }
    g_log = nullptr;
}

KXRunLog* RunLog()
{
    const int state = g_state.load();
    if (state == instanceReady) {
        return g_log;
    }
    if (state == instanceDestroyed || (state == instanceCreating && g_creator.load() == GetCurrentThreadId())) {
        return nullptr;
    }
    AcquireSRWLockExclusive(&g_creation);
    if (g_state.load() == instanceAbsent) {
        g_creator = GetCurrentThreadId();
        g_state = instanceCreating;
        g_log = new KXRunLog();
        g_state = instanceReady;
        atexit(DestroyRunLog);
    }
    ReleaseSRWLockExclusive(&g_creation);
    return g_state.load() == instanceReady ? g_log : nullptr;
}

long WriteMainLine(unsigned char level, unsigned long module, const wchar_t* format, va_list args)
{
    KXRunLog* log = RunLog();
    if (log == nullptr) {
        return -1;
    }
    if (static_cast<int>(level) < log->Level()) {
        return 1;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LineText line;
    line << L"[Level:";
    line.Number(level) << L"][";
    line.Stamp(now, L"-", L" ") << L"][ModuleID:";
    line.Number(static_cast<int>(module)) << L"]: ";
    line.Body(format, args) << L"\r\n";
    return log->WriteMain(line.View());
}

// Files and threads of the runtime layer write their lines here from the moment the library loads.
struct RelayConnection {
    RelayConnection() { ConnectRunLog(WriteMainLine); }
} const g_relayConnection;

} // namespace

int KXGetLogLevel()
{
    const KXRunLog* log = RunLog();
    return log != nullptr ? log->Level() : 2;
}

long KxWriteLog(unsigned char level, unsigned long module, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const long result = WriteMainLine(level, module, format, args);
    va_end(args);
    return result;
}

long KxWriteLogEx(const wchar_t* path, unsigned char level, unsigned long module, const wchar_t* format, ...)
{
    KXRunLog* log = RunLog();
    if (log == nullptr || path == nullptr) {
        return -1;
    }
    if (static_cast<int>(level) < log->Level()) {
        return 1;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LineText line;
    line << L"[ModuleID:";
    line.Number(static_cast<int>(module)) << L",Level:";
    line.Number(level) << L",-";
    line.Stamp(now, L"/", L"-") << L"<";
    line.Number(static_cast<int>(GetTickCount())) << L">]: ";
    va_list args;
    va_start(args, format);
    line.Body(format, args) << L"\r\n";
    va_end(args);
    return log->WritePath(path, line.View());
}

long KxWriteLog(const CString& text)
{
    KXRunLog* log = RunLog();
    return log != nullptr ? log->WriteMain(text.str()) : -1;
}

long KxWriteLog(int module, const CString& text)
{
    KXRunLog* log = RunLog();
    return log != nullptr ? log->WriteModule(module, text.str()) : -1;
}

long KxWriteLog(const CString& path, const CString& text)
{
    KXRunLog* log = RunLog();
    return log != nullptr ? log->WritePath(path.str(), text.str()) : -1;
}
