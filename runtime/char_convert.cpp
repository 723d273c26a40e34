#include <util/strutil.h>

#include <algorithm>
#include <cwchar>

namespace {

constexpr wchar_t kIdeographicSpace = 0x3000;
constexpr wchar_t kFirstFullWidth = 0xFF01; // full-width '!'
constexpr wchar_t kLastFullWidth = 0xFF5E;  // full-width '~'
constexpr wchar_t kFullWidthOffset = 0xFEE0;

} // namespace

wchar_t* Full2Half(wchar_t* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    for (wchar_t* at = text; *at != 0; ++at) {
        if (*at == kIdeographicSpace) {
            *at = L' ';
        } else if (*at >= kFirstFullWidth && *at <= kLastFullWidth) {
            *at = static_cast<wchar_t>(*at - kFullWidthOffset);
        }
    }
    return text;
}

wchar_t* ValidatetFileString(wchar_t* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    wchar_t* const end = text + wcslen(text);
    wchar_t* const kept = std::remove_if(text, end, [](wchar_t ch) { return ch == L'/' || ch == L'*' || ch == L'?'; });
    *kept = 0;
    return text;
}
