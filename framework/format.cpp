#include <util/format.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// The C runtime's _vsn*printf return -1 when the buffer is too small; grow until the text fits.
template <typename Char, typename Printer>
std::basic_string<Char> FormatWith(Printer print, const Char* format, va_list args)
{
    if (format == nullptr) {
        return {};
    }
    std::vector<Char> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = print(buffer.data(), buffer.size() - 1, format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            return std::basic_string<Char>(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= (64u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::wstring KxFormatV(const wchar_t* format, va_list args)
{
    return FormatWith(_vsnwprintf, format, args);
}

std::string KxFormatVA(const char* format, va_list args)
{
    return FormatWith(_vsnprintf, format, args);
}

std::wstring KxFormat(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = KxFormatV(format, args);
    va_end(args);
    return text;
}

std::string KxFormatA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = KxFormatVA(format, args);
    va_end(args);
    return text;
}
