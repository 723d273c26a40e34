#include <util/strutil.h>

#include <cctype>

#include "runtime/text_chars.h"

using namespace textchars;

namespace {

template <typename Char>
const Char* Blanks();
template <>
const char* Blanks<char>()
{
    return " \t";
}
template <>
const wchar_t* Blanks<wchar_t>()
{
    return L" \t";
}

template <typename Char>
Char* TrimLeftOf(Char* text, const Char* set)
{
    if (text == nullptr || set == nullptr) {
        return text;
    }
    Char* rest = text;
    while (*rest != 0 && InSet(rest, Units(rest), set)) {
        rest += Units(rest);
    }
    if (rest != text) {
        std::char_traits<Char>::move(text, rest, Length(rest) + 1);
    }
    return text;
}

template <typename Char>
Char* TrimRightOf(Char* text, const Char* set)
{
    if (text == nullptr || set == nullptr) {
        return text;
    }
    // Walk forward: only there do character boundaries show in double-byte text.
    Char* keptEnd = text;
    Char* at = text;
    while (*at != 0) {
        const size_t units = Units(at);
        at += units;
        if (!InSet(at - units, units, set)) {
            keptEnd = at;
        }
    }
    std::char_traits<Char>::assign(keptEnd, static_cast<size_t>(at - keptEnd), Char(0));
    return text;
}

} // namespace

char* KX_TrimLeftA(char* text)
{
    return TrimLeftOf(text, Blanks<char>());
}
wchar_t* KX_TrimLeftW(wchar_t* text)
{
    return TrimLeftOf(text, Blanks<wchar_t>());
}
char* KX_TrimRightA(char* text)
{
    return TrimRightOf(text, Blanks<char>());
}
wchar_t* KX_TrimRightW(wchar_t* text)
{
    return TrimRightOf(text, Blanks<wchar_t>());
}
char* KX_TrimLeftMA(char* text, const char* set)
{
    return TrimLeftOf(text, set);
}
wchar_t* KX_TrimLeftMW(wchar_t* text, const wchar_t* set)
{
    return TrimLeftOf(text, set);
}
char* KX_TrimRightMA(char* text, const char* set)
{
    return TrimRightOf(text, set);
}
wchar_t* KX_TrimRightMW(wchar_t* text, const wchar_t* set)
{
    return TrimRightOf(text, set);
}

char* KX_UppercaseStrA(char* text)
{
    return ConvertCase(text, [](char ch) { return ToUpper(ch); });
}
char* KX_LowercaseStrA(char* text)
{
    return ConvertCase(text, [](char ch) { return ToLower(ch); });
}
wchar_t* KX_UppercaseStrW(wchar_t* text)
{
    return ConvertCase(text, [](wchar_t ch) { return ToUpper(ch); });
}
wchar_t* KX_LowercaseStrW(wchar_t* text)
{
    return ConvertCase(text, [](wchar_t ch) { return ToLower(ch); });
}

int TrimString(char* buffer, int length)
{
    if (buffer == nullptr || length <= 0) {
        return -1;
    }
    // The last of the length bytes is the terminator's place; compacting never writes ahead of reading.
    int kept = 0;
    for (int read = 0; read < length - 1; ++read) {
        const unsigned char byte = static_cast<unsigned char>(buffer[read]);
        if (isprint(byte) && byte != ' ') {
            buffer[kept++] = static_cast<char>(byte);
        }
    }
    buffer[kept] = 0;
    return kept;
}
