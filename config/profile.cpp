#include <util/profile.h>

#include <util/format.h>

#include <algorithm>
#include <cwchar>

#include "config/ansi_text.h"
#include "config/ini_file.h"
#include "config/profile_cache.h"
#include "framework/scoped_handle.h"

namespace {

using ansi_text::WideText;

// A platform buffer size as the INI map's int capacity.
int Room(DWORD capacity)
{
    return static_cast<int>(std::min<DWORD>(capacity, 0x7FFFFFFF));
}

// The default of a read that found nothing, cut to the buffer: its length.
DWORD CopyDefault(LPCWSTR defaultValue, LPWSTR buffer, DWORD capacity)
{
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    const size_t length = defaultValue ? std::min<size_t>(wcslen(defaultValue), capacity - 1) : 0;
    if (length > 0) {
        wmemcpy(buffer, defaultValue, length);
    }
    buffer[length] = 0;
    return static_cast<DWORD>(length);
}

DWORD CopyDefault(LPCSTR defaultValue, LPSTR buffer, DWORD capacity)
{
    const WideText wideDefault(defaultValue ? defaultValue : "");
    return static_cast<DWORD>(ansi_text::CopyAsAnsi(wideDefault.c_str(), -1, buffer, Room(capacity)));
}

// Writes the bytes as the whole file: first into a temporary file beside it, then moved over it, so
// that a failed write leaves the old file as it was.
bool ReplaceFileContent(LPCWSTR file, const void* data, DWORD length)
{
    const std::wstring temporary = KxFormat(L"%s.%lu-%lu.tmp", file, GetCurrentProcessId(), GetCurrentThreadId());
    ScopedFileHandle handle(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid()) {
        return false;
    }
    DWORD written = 0;
    const bool complete =
        length == 0 || (WriteFile(handle.Get(), data, length, &written, nullptr) && written == length);
    const bool closed = handle.Close();
    if (complete && closed &&
        MoveFileExW(temporary.c_str(), file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

} // namespace

void CKxProfile::CreateIniFileW(LPCWSTR file)
{
    CreateUnicodeIniFile(file);
}

void CKxProfile::CreateIniFileA(LPCSTR file)
{
    const WideText wideFile(file);
    CreateUnicodeIniFile(wideFile.c_str());
}

DWORD CKxProfile::GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                                           DWORD capacity, LPCWSTR file)
{
    if (section == nullptr || key == nullptr) {
        // Lists of names: the platform answers them from the file, which writes keep up to date.
        CreateIniFileW(file);
        return ::GetPrivateProfileStringW(section, key, defaultValue, buffer, capacity, file);
    }
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(file);
    int length = 0;
    if (entry && entry->GetStringW(section, key, buffer, Room(capacity), &length) == YIniMapMemory::valueFound) {
        return static_cast<DWORD>(length);
    }
    return CopyDefault(defaultValue, buffer, capacity);
}

DWORD CKxProfile::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                           DWORD capacity, LPCSTR file)
{
    if (section == nullptr || key == nullptr) {
        CreateIniFileA(file);
        return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, capacity, file);
    }
    const WideText wideFile(file);
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(wideFile.c_str());
    int length = 0;
    if (entry && entry->GetStringA(section, key, buffer, Room(capacity), &length) == YIniMapMemory::valueFound) {
        return static_cast<DWORD>(length);
    }
    return CopyDefault(defaultValue, buffer, capacity);
}

UINT CKxProfile::GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file)
{
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(file);
    int value = 0;
    if (entry && entry->GetIntW(section, key, &value) == YIniMapMemory::valueFound) {
        return static_cast<UINT>(value);
    }
    return static_cast<UINT>(defaultValue);
}

UINT CKxProfile::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR file)
{
    const WideText wideSection(section), wideKey(key), wideFile(file);
    return GetPrivateProfileIntW(wideSection.c_str(), wideKey.c_str(), defaultValue, wideFile.c_str());
}

BOOL CKxProfile::WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file)
{
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(file);
    return entry && entry->WriteStringW(section, key, value) ? TRUE : FALSE;
}

BOOL CKxProfile::WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    const WideText wideFile(file);
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(wideFile.c_str());
    return entry && entry->WriteStringA(section, key, value) ? TRUE : FALSE;
}

BOOL CKxProfile::WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data, LPCWSTR file)
{
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(file);
    if (!entry) {
        return FALSE;
    }
    entry->WriteSectionW(section, data);
    return TRUE;
}

BOOL CKxProfile::WritePrivateProfileSectionA(LPCSTR section, LPCSTR data, LPCSTR file)
{
    const WideText wideFile(file);
    const ProfileCache::Use entry = ProfileCache::Instance().Acquire(wideFile.c_str());
    if (!entry) {
        return FALSE;
    }
    entry->WriteSectionA(section, data);
    return TRUE;
}

DWORD CKxProfile::GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity, LPCSTR file)
{
    CreateIniFileA(file);
    return ::GetPrivateProfileSectionA(section, buffer, capacity, file);
}

DWORD CKxProfile::GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity, LPCWSTR file)
{
    CreateIniFileW(file);
    return ::GetPrivateProfileSectionW(section, buffer, capacity, file);
}

DWORD CKxProfile::GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD capacity, LPCSTR file)
{
    CreateIniFileA(file);
    return ::GetPrivateProfileSectionNamesA(buffer, capacity, file);
}

DWORD CKxProfile::GetPrivateProfileSectionNamesW(LPWSTR buffer, DWORD capacity, LPCWSTR file)
{
    CreateIniFileW(file);
    return ::GetPrivateProfileSectionNamesW(buffer, capacity, file);
}

BOOL CKxProfile::GetPrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID buffer, UINT size, LPCSTR file)
{
    CreateIniFileA(file);
    return ::GetPrivateProfileStructA(section, key, buffer, size, file);
}

BOOL CKxProfile::GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID buffer, UINT size, LPCWSTR file)
{
    CreateIniFileW(file);
    return ::GetPrivateProfileStructW(section, key, buffer, size, file);
}

BOOL CKxProfile::WritePrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID data, UINT size, LPCSTR file)
{
    CreateIniFileA(file);
    RealseMemFileA(file);
    return ::WritePrivateProfileStructA(section, key, data, size, file);
}

BOOL CKxProfile::WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR file)
{
    CreateIniFileW(file);
    RealseMemFileW(file);
    return ::WritePrivateProfileStructW(section, key, data, size, file);
}

BOOL CKxProfile::WritePrivateProfileDataW(LPVOID data, UINT length, LPCWSTR file)
{
    if (file == nullptr || *file == 0 || (data == nullptr && length > 0)) {
        return FALSE;
    }
    RealseMemFileW(file);
    return ReplaceFileContent(file, data, length) ? TRUE : FALSE;
}

BOOL CKxProfile::WritePrivateProfileDataA(LPVOID data, UINT length, LPCSTR file)
{
    const WideText wideFile(file);
    return WritePrivateProfileDataW(data, length, wideFile.c_str());
}

UINT CKxProfile::GetProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue)
{
    return ::GetProfileIntA(section, key, defaultValue);
}

UINT CKxProfile::GetProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue)
{
    return ::GetProfileIntW(section, key, defaultValue);
}

DWORD CKxProfile::GetProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity)
{
    return ::GetProfileSectionA(section, buffer, capacity);
}

DWORD CKxProfile::GetProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity)
{
    return ::GetProfileSectionW(section, buffer, capacity);
}

DWORD CKxProfile::GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD capacity)
{
    return ::GetProfileStringA(section, key, defaultValue, buffer, capacity);
}

DWORD CKxProfile::GetProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD capacity)
{
    return ::GetProfileStringW(section, key, defaultValue, buffer, capacity);
}

BOOL CKxProfile::WriteProfileSectionA(LPCSTR section, LPCSTR data)
{
    return ::WriteProfileSectionA(section, data);
}

BOOL CKxProfile::WriteProfileSectionW(LPCWSTR section, LPCWSTR data)
{
    return ::WriteProfileSectionW(section, data);
}

BOOL CKxProfile::WriteProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value)
{
    return ::WriteProfileStringA(section, key, value);
}

BOOL CKxProfile::WriteProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    return ::WriteProfileStringW(section, key, value);
}

void CKxProfile::RealseMemFileW(LPCWSTR file)
{
    ProfileCache::Instance().Release(file);
}

void CKxProfile::RealseMemFileA(LPCSTR file)
{
    const WideText wideFile(file);
    ProfileCache::Instance().Release(wideFile.c_str());
}
