#include <util/format.h>
#include <util/strutil.h>

#include <cmath>
#include <cstdlib>

#include "runtime/text_chars.h"

namespace {

template <typename Char>
bool IsDigit(Char ch)
{
    return ch >= '0' && ch <= '9';
}

template <typename Char>
int HexDigitValue(Char ch)
{
    if (IsDigit(ch)) {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

// Hexadecimal digits up to the first other character, kept to 32 bits like the C scanner's "%x".
template <typename Char>
long ParseHex(const Char* digits)
{
    unsigned long value = 0;
    for (int digit; (digit = HexDigitValue(*digits)) >= 0; ++digits) {
        value = (value << 4) | static_cast<unsigned long>(digit);
    }
    return static_cast<long>(value);
}

long ParseDecimal(const char* digits)
{
    return strtol(digits, nullptr, 10);
}

long ParseDecimal(const wchar_t* digits)
{
    return wcstol(digits, nullptr, 10);
}

template <typename Char>
long ParseLong(const Char* text)
{
    if (text == nullptr) {
        return 0;
    }
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r') {
        ++text;
    }
    if (!IsDigit(*text)) {
        return 0;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && text[2] != 0) {
        return ParseHex(text + 2);
    }
    return ParseDecimal(text);
}

template <typename Char, typename ToInt, typename FormatInt>
bool IsCanonicalInt(const Char* text, int* value, ToInt toInt, FormatInt formatInt)
{
    if (value == nullptr) {
        return false;
    }
    *value = 0;
    if (text == nullptr || *text == 0) {
        return false;
    }
    *value = toInt(text);
    return formatInt(*value) == text;
}

// Scale and half unit of 0 to 4 decimals.
constexpr double kScales[] = {1, 10, 100, 1000, 10000};
constexpr double kHalfUnits[] = {0.5, 0.05, 0.005, 0.0005, 0.00005};

int CompareOrdered(double a, double b)
{
    if (a == b) {
        return 0;
    }
    return a < b ? -1 : 1;
}

} // namespace

long KX_atol(const char* text)
{
    return ParseLong(text);
}

long KX_wtol(const wchar_t* text)
{
    return ParseLong(text);
}

bool IsIntStrA(const char* text, int* value)
{
    return IsCanonicalInt(
        text, value, [](const char* t) { return atoi(t); }, [](int v) { return KxFormatA("%d", v); });
}

bool IsIntStrW(const wchar_t* text, int* value)
{
    return IsCanonicalInt(
        text, value, [](const wchar_t* t) { return _wtoi(t); }, [](int v) { return KxFormat(L"%d", v); });
}

bool DataIsFloat(const wchar_t* text)
{
    if (text == nullptr || *text == 0) {
        return false;
    }
    if (*text == L'+' || *text == L'-') {
        ++text;
    }
    int points = 0;
    for (; *text != 0; ++text) {
        if (*text == L'.') {
            ++points;
        } else if (!IsDigit(*text)) {
            return false;
        }
    }
    return points <= 1;
}

bool _is_alpha(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

bool IsSmallFloat(double value)
{
    return value > -1e-10 && value < 1e-10;
}

bool IsErrorData(double value)
{
    return std::isnan(value) || value < -1e15 || value > 1e15;
}

signed char Sign(unsigned long a, unsigned long b)
{
    return static_cast<signed char>((a > b) - (a < b));
}

int DoulbeCompare(double a, double b, int decimals)
{
    if (decimals < 0 || decimals > 4) {
        if (IsSmallFloat(a - b)) {
            return 0;
        }
        return a < b ? -1 : 1;
    }
    // Floor, not truncation: values just below zero must not round up to the same unit as those above.
    const auto units = [decimals](double value) {
        return std::floor((value + kHalfUnits[decimals]) * kScales[decimals]);
    };
    return CompareOrdered(units(a), units(b));
}
