#include <util/strutil.h>

#include "runtime/text_chars.h"

using namespace textchars;

namespace {

// Position of the last occurrence that starts on a character boundary, or null.
template <typename Char>
const Char* LastOccurrence(const Char* text, const Char* pattern)
{
    const size_t patternLength = Length(pattern);
    const Char* const end = text + Length(text);
    const Char* found = nullptr;
    for (const Char* at = text; static_cast<size_t>(end - at) >= patternLength; at += Units(at)) {
        if (std::char_traits<Char>::compare(at, pattern, patternLength) == 0) {
            found = at;
        }
        if (at == end) {
            break;
        }
    }
    return found;
}

template <typename Char>
const Char* ReverseSearch(const Char* text, const Char* pattern)
{
    if (text == nullptr || pattern == nullptr) {
        return nullptr;
    }
    return LastOccurrence(text, pattern);
}

template <typename Char, typename Uppercase>
const Char* ReverseSearchNoCase(const Char* text, const Char* pattern, Uppercase uppercase)
{
    if (text == nullptr || pattern == nullptr) {
        return nullptr;
    }
    std::basic_string<Char> upperText(text), upperPattern(pattern);
    uppercase(&upperText[0]);
    uppercase(&upperPattern[0]);
    const Char* found = LastOccurrence(upperText.c_str(), upperPattern.c_str());
    return found ? text + (found - upperText.c_str()) : nullptr;
}

} // namespace

const char* strrstr(const char* text, const char* pattern)
{
    return ReverseSearch(text, pattern);
}

const wchar_t* wcsrstr(const wchar_t* text, const wchar_t* pattern)
{
    return ReverseSearch(text, pattern);
}

const char* strirstr(const char* text, const char* pattern)
{
    return ReverseSearchNoCase(text, pattern, KX_UppercaseStrA);
}

const wchar_t* wcsirstr(const wchar_t* text, const wchar_t* pattern)
{
    return ReverseSearchNoCase(text, pattern, KX_UppercaseStrW);
}
