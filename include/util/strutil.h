#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <util/export.h>

// String, number, path and file helpers. Functions on text come in pairs: A for 8-bit text in the
// process's ANSI code page (GBK here), W for UTF-16. Functions that edit a string do so in place and
// return their first argument.

// ---- Ordering of strings ----------------------------------------------------------------------

// Case-insensitive less-than on wide strings: the order of every map keyed by names or paths.
struct UTIL_API StringCmp {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// The same on 8-bit strings.
struct UTIL_API StringCmpA {
    bool operator()(const std::string& a, const std::string& b) const;
};

UTIL_API int stringCmp(const std::string& a, const std::string& b); // -1, 0, 1 by unsigned bytes
UTIL_API int stringCmpNoCase(const std::string& a, const std::string& b);
UTIL_API bool stringLessThan(const std::string& a, const std::string& b);
UTIL_API bool stringLessThanNoCase(const std::string& a, const std::string& b);
UTIL_API bool stringGreatThan(const std::string& a, const std::string& b);
UTIL_API bool stringGreatThanNoCase(const std::string& a, const std::string& b);
UTIL_API int wstringCmp(const std::wstring& a, const std::wstring& b);
UTIL_API int wstringCmpNoCase(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringLessThan(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringLessThanNoCase(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringGreatThan(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringGreatThanNoCase(const std::wstring& a, const std::wstring& b);

// ---- Code-page conversion ---------------------------------------------------------------------

// Converts text and its terminating zero into buffer (bufferSize bytes). False, buffer untouched,
// when the converted text does not fit or the arguments are unusable.
UTIL_API bool T2C(const wchar_t* text, char* buffer, int bufferSize, UINT codePage = CP_ACP);
// Converts text and its terminating zero into buffer (bufferSize characters). The buffer starts
// empty; false when the converted text does not fit or the arguments are unusable.
UTIL_API bool C2T(const char* text, wchar_t* buffer, int bufferSize, UINT codePage = CP_ACP);
// The same into a string of any length; a null text gives the empty string.
UTIL_API std::string T2C(const wchar_t* text, UINT codePage = CP_ACP);
UTIL_API std::wstring C2T(const char* text, UINT codePage = CP_ACP);

// ---- Files and paths --------------------------------------------------------------------------

// Empties files, then lists the full path of every file below directory: the files directly inside
// it first, in the platform's order, then those of each subdirectory in turn. Directory links are
// not followed. Returns the number of paths listed.
UTIL_API int EnumAllFilesA(const char* directory, std::vector<std::string>& files);
UTIL_API int EnumAllFilesW(const wchar_t* directory, std::vector<std::wstring>& files);

// Deletes the directory with everything in it (links to other directories are removed, not
// followed); a path naming a file deletes that file. Errors are ignored; always returns 0.
UTIL_API int KxDelFileA(const char* directory);
UTIL_API int KxDelFileW(const wchar_t* directory);
