#include <util/strutil.h>

namespace {

// Characters (or bytes) the converted text needs with its terminating zero; 0 when it cannot be converted.
int WideSizeOf(const char* text, UINT codePage)
{
    return MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
}

int AnsiSizeOf(const wchar_t* text, UINT codePage)
{
    return WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
}

} // namespace

bool T2C(const wchar_t* text, char* buffer, int bufferSize, UINT codePage)
{
    if (text == nullptr || buffer == nullptr || bufferSize <= 0) {
        return false;
    }
    const int needed = AnsiSizeOf(text, codePage);
    if (needed <= 0 || needed > bufferSize) {
        return false;
    }
    return WideCharToMultiByte(codePage, 0, text, -1, buffer, bufferSize, nullptr, nullptr) > 0;
}

bool C2T(const char* text, wchar_t* buffer, int bufferSize, UINT codePage)
{
    if (buffer == nullptr || bufferSize <= 0) {
        return false;
    }
    buffer[0] = 0;
    if (text == nullptr) {
        return false;
    }
    const int needed = WideSizeOf(text, codePage);
    if (needed <= 0 || needed > bufferSize) {
        return false;
    }
    return MultiByteToWideChar(codePage, 0, text, -1, buffer, bufferSize) > 0;
}

std::string T2C(const wchar_t* text, UINT codePage)
{
    const int needed = text ? AnsiSizeOf(text, codePage) : 0;
    if (needed <= 1) {
        return {};
    }
    std::string result(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &result[0], needed, nullptr, nullptr);
    result.resize(static_cast<size_t>(needed - 1));
    return result;
}

std::wstring C2T(const char* text, UINT codePage)
{
    const int needed = text ? WideSizeOf(text, codePage) : 0;
    if (needed <= 1) {
        return {};
    }
    std::wstring result(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &result[0], needed);
    result.resize(static_cast<size_t>(needed - 1));
    return result;
}
