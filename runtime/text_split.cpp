#include <util/strutil.h>

#include "runtime/text_chars.h"

using namespace textchars;

namespace {

template <typename Char>
void SplitAt(const Char* text, std::vector<std::basic_string<Char>>& pieces, Char separator)
{
    pieces.clear();
    if (text == nullptr) {
        return;
    }
    const Char* pieceStart = text;
    for (const Char* at = text; *at != 0;) {
        const size_t units = Units(at);
        if (units == 1 && *at == separator) {
            pieces.emplace_back(pieceStart, at);
            pieceStart = at + 1;
        }
        at += units;
    }
    if (*pieceStart != 0) {
        pieces.emplace_back(pieceStart);
    }
}

template <typename Char, typename ToLong>
void SplitToLongs(const Char* text, std::vector<long>& values, Char separator, ToLong toLong)
{
    std::vector<std::basic_string<Char>> pieces;
    SplitAt(text, pieces, separator);
    values.clear();
    values.reserve(pieces.size());
    for (const auto& piece : pieces) {
        values.push_back(toLong(piece.c_str()));
    }
}

} // namespace

void splitStringExA(const char* text, std::vector<std::string>& pieces, char separator)
{
    SplitAt(text, pieces, separator);
}

void splitStringExW(const wchar_t* text, std::vector<std::wstring>& pieces, wchar_t separator)
{
    SplitAt(text, pieces, separator);
}

void splitStringToLongExA(const char* text, std::vector<long>& values, char separator)
{
    SplitToLongs(text, values, separator, KX_atol);
}

void splitStringToLongExW(const wchar_t* text, std::vector<long>& values, wchar_t separator)
{
    SplitToLongs(text, values, separator, KX_wtol);
}
