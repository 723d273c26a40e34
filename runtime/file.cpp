#include <util/file.h>

#include "runtime/runlog_relay.h"

#include "framework/scoped_handle.h"

#include <cwchar>
#include <string>

namespace {

const unsigned long kFileModule = 0x1011000;

bool IsSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

bool CreateIfMissing(const std::wstring& directory)
{
    return KXFile::IsExist(directory.c_str()) || ::CreateDirectoryW(directory.c_str(), nullptr) != FALSE;
}

bool IsDotEntry(const wchar_t* name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

} // namespace

KXFile::KXFile() : m_szPath{}, m_hFile(INVALID_HANDLE_VALUE), m_bOpen(false) {}

KXFile::~KXFile()
{
    Close();
}

int KXFile::Open(const wchar_t* path, int flags)
{
    Close();
    if (path == nullptr) {
        return -1;
    }
    wcsncpy(m_szPath, path, MAX_PATH - 1);
    m_szPath[MAX_PATH - 1] = 0;
    const DWORD access = ((flags & modeRead) ? GENERIC_READ : 0) | ((flags & modeWrite) ? GENERIC_WRITE : 0);
    const DWORD share = ((flags & shareRead) ? FILE_SHARE_READ : 0) | ((flags & shareWrite) ? FILE_SHARE_WRITE : 0);
    m_hFile = CreateFileW(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_bOpen = m_hFile != INVALID_HANDLE_VALUE;
    return m_bOpen ? 1 : -1;
}

int KXFile::Create(const wchar_t* path)
{
    Close();
    if (path == nullptr) {
        return -1;
    }
    wcsncpy(m_szPath, path, MAX_PATH - 1);
    m_szPath[MAX_PATH - 1] = 0;
    m_hFile = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    m_bOpen = m_hFile != INVALID_HANDLE_VALUE;
    return m_bOpen ? 1 : -1;
}

void KXFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    m_bOpen = false;
}

bool KXFile::IsOpen() const
{
    return m_bOpen;
}

int KXFile::Seek(long distance, int method)
{
    SetLastError(NO_ERROR);
    const DWORD position = SetFilePointer(m_hFile, distance, nullptr, static_cast<DWORD>(method));
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        LogError(L"KXFile::Seek Error From %s");
        return -1;
    }
    return static_cast<int>(position);
}

int KXFile::SetFileLength(unsigned long length)
{
    SetLastError(NO_ERROR);
    const DWORD position = SetFilePointer(m_hFile, static_cast<LONG>(length), nullptr, FILE_BEGIN);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return static_cast<int>(GetLastError());
    }
    return SetFileLength();
}

int KXFile::SetFileLength()
{
    if (!SetEndOfFile(m_hFile)) {
        LogError(L"KXFile::SetFileLength Error From %s");
        return -1;
    }
    return 1;
}

unsigned long KXFile::GetFileLength() const
{
    LARGE_INTEGER size{};
    if (!m_bOpen || !GetFileSizeEx(m_hFile, &size)) {
        return 0;
    }
    return static_cast<unsigned long>(size.QuadPart);
}

int KXFile::Read(void* buffer, int count)
{
    DWORD done = 0;
    if (buffer == nullptr || count < 0 || !ReadFile(m_hFile, buffer, static_cast<DWORD>(count), &done, nullptr)) {
        LogError(L"KXFile::Read Error From %s");
        return -1;
    }
    return static_cast<int>(done);
}

int KXFile::Write(const void* buffer, int count)
{
    DWORD done = 0;
    if (buffer == nullptr || count < 0 || !WriteFile(m_hFile, buffer, static_cast<DWORD>(count), &done, nullptr)) {
        LogError(L"KXFile::Write Error From %s");
        return -1;
    }
    return static_cast<int>(done);
}

int KXFile::DeleteFileW(const wchar_t* path)
{
    return path != nullptr && ::DeleteFileW(path) ? 1 : -1;
}

bool KXFile::IsExist(const wchar_t* path)
{
    return path != nullptr && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

long KXFile::CreateDirectoryW(const wchar_t* path)
{
    if (path == nullptr || *path == 0) {
        return -1;
    }
    if (IsExist(path)) {
        return 1;
    }
    // Each parent in turn; separators right after a drive, a dot or another separator end no
    // directory name of their own.
    const std::wstring full(path);
    for (size_t at = 1; at < full.size(); ++at) {
        const wchar_t before = full[at - 1];
        if (IsSeparator(full[at]) && before != L'.' && before != L':' && !IsSeparator(before)) {
            CreateIfMissing(full.substr(0, at));
        }
    }
    return CreateIfMissing(full) ? 1 : -1;
}

bool KXFile::CopyDir(const wchar_t* source, const wchar_t* target)
{
    if (source == nullptr || target == nullptr || CreateDirectoryW(target) != 1) {
        return false;
    }
    const std::wstring from(source), to(target);
    WIN32_FIND_DATAW entry{};
    const ScopedFindHandle find(FindFirstFileW((from + L"\\*").c_str(), &entry));
    if (!find.IsValid()) {
        return false;
    }
    bool complete = true;
    do {
        if (IsDotEntry(entry.cFileName)) {
            continue;
        }
        const std::wstring sourceEntry = from + L"\\" + entry.cFileName;
        const std::wstring targetEntry = to + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            complete = CopyDir(sourceEntry.c_str(), targetEntry.c_str()) && complete;
        } else if (CopyFileW(sourceEntry.c_str(), targetEntry.c_str(), FALSE)) {
            SetFileAttributesW(targetEntry.c_str(), FILE_ATTRIBUTE_NORMAL);
        } else {
            complete = false;
        }
    } while (FindNextFileW(find.Get(), &entry));
    return complete;
}

bool KXFile::MoveFileW(const wchar_t* oldPath, const wchar_t* newPath)
{
    return oldPath != nullptr && newPath != nullptr && ::MoveFileW(oldPath, newPath) != FALSE;
}

void KXFile::LogError(const wchar_t* format) const
{
    RelayToRunLog(3, kFileModule, format, m_szPath);
}
