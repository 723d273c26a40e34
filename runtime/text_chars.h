#pragma once

#include <windows.h>

#include <cctype>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

// Character stepping shared by the 8-bit and wide forms of the text helpers. 8-bit text is in the
// process's ANSI code page, where a double-byte character's second byte may look like an ASCII
// letter, bracket or separator: stepping by characters keeps those bytes out of reach.
namespace textchars {

// Code units of the character that starts at text (a lead byte before the terminator counts alone).
inline size_t Units(const char* text)
{
    return IsDBCSLeadByte(static_cast<BYTE>(*text)) && text[1] != 0 ? 2 : 1;
}

inline size_t Units(const wchar_t*)
{
    return 1;
}

template <typename Char>
size_t Length(const Char* text)
{
    return std::char_traits<Char>::length(text);
}

// True when the character of `units` code units at text is one of the characters of set.
template <typename Char>
bool InSet(const Char* text, size_t units, const Char* set)
{
    for (const Char* member = set; *member != 0; member += Units(member)) {
        if (Units(member) == units && std::char_traits<Char>::compare(member, text, units) == 0) {
            return true;
        }
    }
    return false;
}

inline char ToUpper(char ch)
{
    return static_cast<char>(toupper(static_cast<unsigned char>(ch)));
}
inline char ToLower(char ch)
{
    return static_cast<char>(tolower(static_cast<unsigned char>(ch)));
}
inline wchar_t ToUpper(wchar_t ch)
{
    return static_cast<wchar_t>(towupper(ch));
}
inline wchar_t ToLower(wchar_t ch)
{
    return static_cast<wchar_t>(towlower(ch));
}

// Applies convert to every single-unit character of text, in place.
template <typename Char, typename Convert>
Char* ConvertCase(Char* text, Convert convert)
{
    if (text == nullptr) {
        return nullptr;
    }
    for (Char* at = text; *at != 0;) {
        const size_t units = Units(at);
        if (units == 1) {
            *at = convert(*at);
        }
        at += units;
    }
    return text;
}

} // namespace textchars
