#pragma once

#include <windows.h>

#include <util/export.h>

// The platform's INI interface with a process-wide cache: string and integer reads of an INI file
// are answered from one in-memory copy of the file per path, and string writes update the copy and
// go through to the file. Every other operation goes to the platform. Reading a missing INI file
// creates it empty (UTF-16 byte-order mark only). Results are those of the platform's functions.
// A file name is resolved as the platform's profile functions resolve it, once for the cache and every
// call: a bare name ("client.ini") is a file of the Windows directory, a name with a folder in it
// (".\\client.ini", "cfg\\client.ini") is taken from the current directory. So every call and every
// process sees one file.
class UTIL_API CKxProfile {
public:
    CKxProfile() = delete;

    static DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD capacity,
                                          LPCSTR file);
    static DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                                          DWORD capacity, LPCWSTR file);
    static UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR file);
    static UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file);
    static BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
    static BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);
    // The platform replaces the section, then the cached copy is read again.
    static BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR data, LPCSTR file);
    static BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data, LPCWSTR file);

    static DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity, LPCSTR file);
    static DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity, LPCWSTR file);
    static DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD capacity, LPCSTR file);
    static DWORD GetPrivateProfileSectionNamesW(LPWSTR buffer, DWORD capacity, LPCWSTR file);
    static BOOL GetPrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID buffer, UINT size, LPCSTR file);
    static BOOL GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID buffer, UINT size, LPCWSTR file);
    // These two drop the cached copy first.
    static BOOL WritePrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID data, UINT size, LPCSTR file);
    static BOOL WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR file);
    // Replaces the whole file with the bytes (through a temporary file): 1, or 0 when not written.
    static BOOL WritePrivateProfileDataA(LPVOID data, UINT length, LPCSTR file);
    static BOOL WritePrivateProfileDataW(LPVOID data, UINT length, LPCWSTR file);

    // The per-user profile of the platform, not cached.
    static UINT GetProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue);
    static UINT GetProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue);
    static DWORD GetProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity);
    static DWORD GetProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity);
    static DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD capacity);
    static DWORD GetProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD capacity);
    static BOOL WriteProfileSectionA(LPCSTR section, LPCSTR data);
    static BOOL WriteProfileSectionW(LPCWSTR section, LPCWSTR data);
    static BOOL WriteProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value);
    static BOOL WriteProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value);

    // Drops the cached copy of the file; the next read loads it again. (The spelling is the
    // interface's own: keep it.)
    static void RealseMemFileA(LPCSTR file);
    static void RealseMemFileW(LPCWSTR file);

private:
    // Makes a missing file, empty but for the UTF-16 byte-order mark; the 8-bit forms use it too.
    static void CreateIniFileW(LPCWSTR file);
};

// One INI file shared by several processes: every operation holds a mutex named after the file
// (its full path, resolved as above, in lower case) while it runs the CKxProfile operation of the
// same name. A closed object
// returns 0 (the default for the integer reads).
class UTIL_API CKxPrivateProfile_s {
public:
    CKxPrivateProfile_s();
    virtual ~CKxPrivateProfile_s();
    CKxPrivateProfile_s(const CKxPrivateProfile_s&) = delete;
    CKxPrivateProfile_s& operator=(const CKxPrivateProfile_s&) = delete;

    // 1, or -1 for a null path or when the mutex cannot be had.
    int Open(LPCWSTR file);
    int OpenW(LPCWSTR file);
    int OpenA(LPCSTR file);
    void Close();

    DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD capacity);
    DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD capacity);
    UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue);
    UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue);
    DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD capacity);
    DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD capacity);
    DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD capacity);
    DWORD GetPrivateProfileSectionNamesW(LPWSTR buffer, DWORD capacity);
    BOOL GetPrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID buffer, UINT size);
    BOOL GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID buffer, UINT size);
    BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR data);
    BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data);
    BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value);
    BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value);
    BOOL WritePrivateProfileStructA(LPCSTR section, LPCSTR key, LPVOID data, UINT size);
    BOOL WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size);
    BOOL WritePrivateProfileDataA(LPVOID data, UINT length);
    BOOL WritePrivateProfileDataW(LPVOID data, UINT length);

    static void RealseMemFileA(LPCSTR file);
    static void RealseMemFileW(LPCWSTR file);

private:
    // Runs an operation while holding the file's mutex; closed: the fallback.
    template <typename Result, typename Operation>
    Result Locked(Result fallback, Operation operation);

    HANDLE m_hMutex;
    wchar_t m_szPathW[MAX_PATH];
    char m_szPathA[MAX_PATH];
};
