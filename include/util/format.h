#pragma once

#include <cstdarg>
#include <string>

#include <util/export.h>

// printf-style formatting with the platform C runtime's conventions: in a wide format "%s" takes a
// wide string and "%S" an 8-bit one; in an 8-bit format the other way round. Every formatted text of
// the library goes through these, never through swprintf.
UTIL_API std::wstring KxFormatV(const wchar_t* format, va_list args);
UTIL_API std::string KxFormatVA(const char* format, va_list args);
UTIL_API std::wstring KxFormat(const wchar_t* format, ...);
UTIL_API std::string KxFormatA(const char* format, ...);
