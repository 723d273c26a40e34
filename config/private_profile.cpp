#include <util/profile.h>

#include <cwchar>
#include <cwctype>

#include "config/ansi_text.h"
#include "config/ini_path.h"

namespace {

// Ownership of a mutex for one scope; an abandoned mutex is owned as well.
class MutexOwnership {
public:
    explicit MutexOwnership(HANDLE mutex) : m_mutex(mutex) { WaitForSingleObject(m_mutex, INFINITE); }
    ~MutexOwnership() { ReleaseMutex(m_mutex); }
    MutexOwnership(const MutexOwnership&) = delete;
    MutexOwnership& operator=(const MutexOwnership&) = delete;

private:
    HANDLE m_mutex;
};

} // namespace

CKxPrivateProfile_s::CKxPrivateProfile_s() : m_hMutex(nullptr), m_szPathW{}, m_szPathA{} {}

CKxPrivateProfile_s::~CKxPrivateProfile_s()
{
    Close();
}

int CKxPrivateProfile_s::Open(LPCWSTR file)
{
    return OpenW(file);
}

// A longer path would name another file once cut, so it is refused rather than shortened.
int CKxPrivateProfile_s::OpenW(LPCWSTR file)
{
    Close();
    if (file == nullptr) {
        return -1;
    }
    // Resolved first, so that every process and every spelling of the file meet at one mutex.
    const IniPath path(file);
    const wchar_t* resolved = path.c_str();
    if (*resolved == 0 || wcslen(resolved) >= MAX_PATH) {
        return -1;
    }
    // Mutex names cannot hold '\'; the lower case makes every spelling of the path one name.
    size_t at = 0;
    for (; resolved[at] != 0; ++at) {
        const wchar_t ch = resolved[at] == L'\\' ? L'/' : resolved[at];
        m_szPathW[at] = static_cast<wchar_t>(towlower(ch));
    }
    m_szPathW[at] = 0;
    m_hMutex = CreateMutexW(nullptr, FALSE, m_szPathW);
    if (m_hMutex == nullptr ||
        WideCharToMultiByte(ansi_text::kCodePage, 0, m_szPathW, -1, m_szPathA, MAX_PATH, nullptr, nullptr) == 0) {
        Close();
        return -1;
    }
    return 1;
}

int CKxPrivateProfile_s::OpenA(LPCSTR file)
{
    if (file == nullptr) {
        Close();
        return -1;
    }
    const ansi_text::WideText wideFile(file);
    return OpenW(wideFile.c_str());
}

void CKxPrivateProfile_s::Close()
{
    if (m_hMutex != nullptr) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    m_szPathW[0] = 0;
    m_szPathA[0] = 0;
}

template <typename Result, typename Operation>
Result CKxPrivateProfile_s::Locked(Result fallback, Operation operation)
{
    if (m_hMutex == nullptr) {
        return fallback;
    }
    const MutexOwnership ownership(m_hMutex);
    return operation();
}

DWORD CKxPrivateProfile_s::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                                    DWORD capacity)
{
    return Locked<DWORD>(0, [&] {
        return CKxProfile::GetPrivateProfileStringA(section, key, defaultValue, buffer, capacity, m_szPathA);
    });
}

DWORD CKxPrivateProfile_s::GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                                                    DWORD capacity)
{
    return Locked<DWORD>(0, [&] {
        return CKxProfile::GetPrivateProfileStringW(section, key, defaultValue, buffer, capacity, m_szPathW);
    });
}

UINT CKxPrivateProfile_s::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue)
{
    return Locked<UINT>(static_cast<UINT>(defaultValue),
                        [&] { return CKxProfile::GetPrivateProfileIntA(section, key, defaultValue, m_szPathA); });
}

UINT CKxPrivateProfile_s::GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue)
{
    return Locked<UINT>(static_cast<UINT>(defaultValue),
                        [&] { return CKxProfile::GetPrivateProfileIntW(section, key, defaultValue, m_szPathW); });
}

DWORD CKxPrivateProfile_s::GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity)
{
    return Locked<DWORD>(0,
                         [&] { return CKxProfile::GetPrivateProfileSectionA(section, buffer, capacity, m_szPathA); });
}

DWORD CKxPrivateProfile_s::GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity)
{
    return Locked<DWORD>(0,
                         [&] { return CKxProfile::GetPrivateProfileSectionW(section, buffer, capacity, m_szPathW); });
}

DWORD CKxPrivateProfile_s::GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD capacity)
{
    return Locked<DWORD>(0, [&] { return CKxProfile::GetPrivateProfileSectionNamesA(buffer, capacity, m_szPathA); });
}

DWORD CKxPrivateProfile_s::GetPrivateProfileSectionNamesW(LPWSTR buffer, DWORD capacity)
{
    return Locked<DWORD>(0, [&] { return CKxProfile::GetPrivateProfileSectionNamesW(buffer, capacity, m_szPathW); });
}

BOOL CKxPrivateProfile_s::GetPrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID buffer, UINT size)
{
    return Locked<BOOL>(FALSE,
                        [&] { return CKxProfile::GetPrivateProfileStructA(section, key, buffer, size, m_szPathA); });
}

BOOL CKxPrivateProfile_s::GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID buffer, UINT size)
{
    return Locked<BOOL>(FALSE,
                        [&] { return CKxProfile::GetPrivateProfileStructW(section, key, buffer, size, m_szPathW); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileSectionA(LPCSTR section, LPCSTR data)
{
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileSectionA(section, data, m_szPathA); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data)
{
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileSectionW(section, data, m_szPathW); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value)
{
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileStringA(section, key, value, m_szPathA); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileStringW(section, key, value, m_szPathW); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID data, UINT size)
{
    return Locked<BOOL>(FALSE,
                        [&] { return CKxProfile::WritePrivateProfileStructA(section, key, data, size, m_szPathA); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size)
{
    return Locked<BOOL>(FALSE,
                        [&] { return CKxProfile::WritePrivateProfileStructW(section, key, data, size, m_szPathW); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileDataA(LPVOID data, UINT length)
{
    if (data == nullptr || length == 0) {
        return FALSE;
    }
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileDataA(data, length, m_szPathA); });
}

BOOL CKxPrivateProfile_s::WritePrivateProfileDataW(LPVOID data, UINT length)
{
    if (data == nullptr || length == 0) {
        return FALSE;
    }
    return Locked<BOOL>(FALSE, [&] { return CKxProfile::WritePrivateProfileDataW(data, length, m_szPathW); });
}

void CKxPrivateProfile_s::RealseMemFileA(LPCSTR file)
{
    CKxProfile::RealseMemFileA(file);
}

void CKxPrivateProfile_s::RealseMemFileW(LPCWSTR file)
{
    CKxProfile::RealseMemFileW(file);
}
