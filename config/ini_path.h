#pragma once

#include <string>

// The file that a profile name stands for, resolved once the way the platform's profile functions
// resolve it: a bare name lies in the Windows directory, a name with a folder in it is taken from the
// current directory. The cache, the library's own file operations and the platform's calls then all
// see one file, whatever the current directory of the process.
class IniPath {
public:
    explicit IniPath(const wchar_t* file);
    // GBK text, as the 8-bit profile forms take it.
    explicit IniPath(const char* file);

    // Null for a null name (which the platform's calls read as its own "win.ini"), else the full path.
    const wchar_t* c_str() const { return m_null ? nullptr : m_wide.c_str(); }
    // The same path as GBK text, for the platform's 8-bit calls.
    const char* ansi() const { return m_null ? nullptr : m_ansi.c_str(); }

private:
    void Resolve(const wchar_t* file);

    bool m_null = false;
    std::wstring m_wide;
    std::string m_ansi;
};
