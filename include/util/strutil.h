#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <util/cstring.h>
#include <util/export.h>

// String, number, path and file helpers. Functions on text come in pairs: A for 8-bit text in the
// process's ANSI code page (GBK here), W for UTF-16. Functions that edit a string do so in place and
// return their first argument.

// ---- Trimming and case ----------------------------------------------------------------------
// 8-bit forms treat a double-byte character of the code page as one character: its second byte is
// never taken for a blank, a set member or a letter.

// Remove leading or trailing spaces and tabs.
UTIL_API char* KX_TrimLeftA(char* text);
UTIL_API wchar_t* KX_TrimLeftW(wchar_t* text);
UTIL_API char* KX_TrimRightA(char* text);
UTIL_API wchar_t* KX_TrimRightW(wchar_t* text);
// Remove leading or trailing characters that occur in the zero-terminated set; a null text or set
// leaves the text unchanged.
UTIL_API char* KX_TrimLeftMA(char* text, const char* set);
UTIL_API wchar_t* KX_TrimLeftMW(wchar_t* text, const wchar_t* set);
UTIL_API char* KX_TrimRightMA(char* text, const char* set);
UTIL_API wchar_t* KX_TrimRightMW(wchar_t* text, const wchar_t* set);
UTIL_API char* KX_UppercaseStrA(char* text);
UTIL_API char* KX_LowercaseStrA(char* text);
UTIL_API wchar_t* KX_UppercaseStrW(wchar_t* text);
UTIL_API wchar_t* KX_LowercaseStrW(wchar_t* text);

// Keeps, compacted to the front of buffer, the printable bytes of its first length - 1 bytes other
// than blanks (spaces inside the text go too), terminates them and returns their count; -1 for a null
// buffer or a length of 0 or less.
UTIL_API int TrimString(char* buffer, int length);

// ---- Parsing and validation -------------------------------------------------------------------

// Skips leading blanks; then "0x..." is hexadecimal, digits are decimal; anything else (signs too) is 0.
UTIL_API long KX_atol(const char* text);
UTIL_API long KX_wtol(const wchar_t* text);
// True when text is exactly the canonical decimal form of an int ("-7", not "007", "+7" or " 7").
// *value receives atoi of the text whenever value is not null.
UTIL_API bool IsIntStrA(const char* text, int* value);
UTIL_API bool IsIntStrW(const wchar_t* text, int* value);
// Digits with at most one point and an optional leading sign; false for an empty text.
UTIL_API bool DataIsFloat(const wchar_t* text);
UTIL_API bool _is_alpha(char ch);         // ASCII letters only
UTIL_API bool IsSmallFloat(double value); // |value| < 1e-10
UTIL_API bool IsErrorData(double value);  // |value| > 1e15 or not a number
UTIL_API signed char Sign(unsigned long a, unsigned long b);
// -1, 0 or 1 comparing a and b rounded half up at decimals (0 to 4) decimals; other decimals compare
// with a tolerance of 1e-10.
UTIL_API int DoulbeCompare(double a, double b, int decimals);

// ---- Splitting --------------------------------------------------------------------------------
// Pieces between separators: "a,,b" gives a, "", b; a trailing separator gives no empty last piece;
// an empty or null text gives no piece. The target vector is emptied first.

UTIL_API void splitStringExA(const char* text, std::vector<std::string>& pieces, char separator);
UTIL_API void splitStringExW(const wchar_t* text, std::vector<std::wstring>& pieces, wchar_t separator);
UTIL_API void splitStringToLongExA(const char* text, std::vector<long>& values, char separator);
UTIL_API void splitStringToLongExW(const wchar_t* text, std::vector<long>& values, wchar_t separator);

// ---- Amounts and volumes in Chinese units -----------------------------------------------------
// Up to 1,000,000 in magnitude: a whole number; from 100,000,000: hundred-millions with two decimals
// and "亿"; in between: ten-thousands with two decimals and "万". Negative values keep their sign.

// The buffer must hold the text (at most 320 characters for any finite value).
UTIL_API void TransAmount(double value, wchar_t* buffer);
UTIL_API void TransVolume(double value, wchar_t* buffer);
// Bounded forms: false, and an empty buffer, when the text does not fit in capacity characters.
UTIL_API bool TransAmount(double value, wchar_t* buffer, int capacity);
UTIL_API bool TransVolume(double value, wchar_t* buffer, int capacity);

// ---- Character conversion and reverse search --------------------------------------------------

// Full-width ASCII forms and the ideographic space become their half-width forms, in place.
UTIL_API wchar_t* Full2Half(wchar_t* text);
// Removes every '/', '*' and '?', in place.
UTIL_API wchar_t* ValidatetFileString(wchar_t* text);

// Last occurrence of pattern in text (the position in text), or null; an empty pattern gives the
// end of text. The I forms ignore case.
UTIL_API const char* strrstr(const char* text, const char* pattern);
UTIL_API const wchar_t* wcsrstr(const wchar_t* text, const wchar_t* pattern);
UTIL_API const char* strirstr(const char* text, const char* pattern);
UTIL_API const wchar_t* wcsirstr(const wchar_t* text, const wchar_t* pattern);

// ---- Ordering of strings ----------------------------------------------------------------------

// Case-insensitive less-than on wide strings: the order of every map keyed by names or paths.
struct UTIL_API StringCmp {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// The same on 8-bit strings.
struct UTIL_API StringCmpA {
    bool operator()(const std::string& a, const std::string& b) const;
};

UTIL_API int stringCmp(const std::string& a, const std::string& b); // -1, 0, 1 by unsigned bytes
UTIL_API int stringCmpNoCase(const std::string& a, const std::string& b);
UTIL_API bool stringLessThan(const std::string& a, const std::string& b);
UTIL_API bool stringLessThanNoCase(const std::string& a, const std::string& b);
UTIL_API bool stringGreatThan(const std::string& a, const std::string& b);
UTIL_API bool stringGreatThanNoCase(const std::string& a, const std::string& b);
UTIL_API int wstringCmp(const std::wstring& a, const std::wstring& b);
UTIL_API int wstringCmpNoCase(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringLessThan(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringLessThanNoCase(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringGreatThan(const std::wstring& a, const std::wstring& b);
UTIL_API bool wstringGreatThanNoCase(const std::wstring& a, const std::wstring& b);

// ---- Code-page conversion ---------------------------------------------------------------------

// Converts text and its terminating zero into buffer (bufferSize bytes). False, buffer untouched,
// when the converted text does not fit or the arguments are unusable.
UTIL_API bool T2C(const wchar_t* text, char* buffer, int bufferSize, UINT codePage = CP_ACP);
// Converts text and its terminating zero into buffer (bufferSize characters). The buffer starts
// empty; false when the converted text does not fit or the arguments are unusable.
UTIL_API bool C2T(const char* text, wchar_t* buffer, int bufferSize, UINT codePage = CP_ACP);
// The same into a string of any length; a null text gives the empty string.
UTIL_API std::string T2C(const wchar_t* text, UINT codePage = CP_ACP);
UTIL_API std::wstring C2T(const char* text, UINT codePage = CP_ACP);

// ---- Files and paths --------------------------------------------------------------------------

// Drive and directory of fullPath with their final separator ("C:\\a\\b.txt" gives "C:\\a\\"); out holds at
// least MAX_PATH characters. The empty string when there is none or it would not fit.
UTIL_API void ExtractFilePath(wchar_t* out, const wchar_t* fullPath);

// Empties files, then lists the full path of every file below directory: the files directly inside
// it first, in the platform's order, then those of each subdirectory in turn. Directory links are
// not followed. Returns the number of paths listed.
UTIL_API int EnumAllFilesA(const char* directory, std::vector<std::string>& files);
UTIL_API int EnumAllFilesW(const wchar_t* directory, std::vector<std::wstring>& files);

// Deletes the directory with everything in it (links to other directories are removed, not
// followed); a path naming a file deletes that file. Errors are ignored; always returns 0.
UTIL_API int KxDelFileA(const char* directory);
UTIL_API int KxDelFileW(const wchar_t* directory);

// Splits a command line into program and parameters. When parameters is given, or commandLine is
// null, they are taken as they stand. Otherwise a quoted program ("C:\\p q\\a.exe" -x), a program
// followed by a quoted parameter (C:\\p q\\a.exe "x y"), or the first blank, separate the two.
UTIL_API void TranscatExecCmdlineA(const char* commandLine, const char* parameters, std::string& programOut,
                                   std::string& parametersOut);
UTIL_API void TranscatExecCmdlineW(const wchar_t* commandLine, const wchar_t* parameters, std::wstring& programOut,
                                   std::wstring& parametersOut);

// ---- Macro expansion --------------------------------------------------------------------------

// One macro of TransferMacroA.
struct MacroItem {
    char name[100];  // zero-terminated, compared without regard to case
    char value[512]; // zero-terminated replacement
};
static_assert(sizeof(MacroItem) == 612, "MacroItem is a fixed 612-byte record");

// Copies templateText to out, replacing each "[M:name]" (or "[m:name]") by the value of the first item
// whose name begins with name, without regard to case; unknown names stay as "[M:name]". length holds
// out's capacity in bytes and receives the number of bytes written; no terminator is written. False on
// null or empty arguments, or when out is too small (what fitted stays in out).
UTIL_API bool TransferMacroA(char* out, unsigned short& length, const char* templateText, const MacroItem* items,
                             unsigned short itemCount);

// ---- Resources and user-interface wrappers ----------------------------------------------------

// The string resource id of module, of any length; returns its length.
UTIL_API int KxLoadString(CString& out, HINSTANCE module, UINT id);
UTIL_API int KxLoadString(std::wstring& out, HINSTANCE module, UINT id);
// LoadStringW into buffer.
UTIL_API int KxLoadString(wchar_t* buffer, int capacity, HINSTANCE module, UINT id);
UTIL_API int KxMessageBox(HWND window, const wchar_t* text, const wchar_t* caption, UINT type);
UTIL_API BOOL KxGetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info);
// Position of the first item of menu with command id, or -1.
UTIL_API int KxFindMenuItem(HMENU menu, WORD id);
// Width and height of the icon's image; 0, 0 for no icon.
UTIL_API SIZE GetIconSize(HICON icon);

// ---- HSL colours ------------------------------------------------------------------------------
// Hue, saturation and lightness of a 0x00BBGGRR colour value, in [0, 1] or, in the int forms, scaled
// to 0..240.

UTIL_API void RGB2HSL(COLORREF color, double& hue, double& saturation, double& lightness);
UTIL_API COLORREF HSL2RGB(double hue, double saturation, double lightness);
UTIL_API double Hue2RGB(double p, double q, double hue);
UTIL_API void RGB2HSL(COLORREF color, int& hue, int& saturation, int& lightness);
UTIL_API COLORREF HSL2RGB(int hue, int saturation, int lightness);
