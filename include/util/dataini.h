#pragma once

#include <string>

#include <util/export.h>

// Reads INI text that is already in memory with the calls of the platform's INI reader. It never
// touches a file and cannot write; every call scans the text from the beginning.
//
// Section and key names match by prefix without regard to case: a request for "Trade" also finds a
// section named "Trade2"; the first match in the text wins. Results follow the platform's
// conventions: lists are zero-separated and end with two zeros inside the caller's buffer, and a cut
// value is reported by a result equal to the capacity.
class UTIL_API CDataIni {
public:
    // Copies length characters of text; a negative length reads up to the terminating zero.
    CDataIni(const wchar_t* text, int length);
    virtual ~CDataIni();

    // Section and key: the key's value (default when missing). Section null: the list of section
    // names. Key null: not supported, the default is returned.
    unsigned long GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                           wchar_t* buffer, unsigned long capacity) const;
    // The key's value as a decimal number; a missing key gives the default, a null section or key 0.
    int GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    // The lines of a section as a zero-separated list ("key=value" or the bare line); 0 when missing.
    unsigned long GetPrivateProfileSectionW(const wchar_t* section, wchar_t* buffer, unsigned long capacity) const;

private:
    std::wstring m_text;
};
