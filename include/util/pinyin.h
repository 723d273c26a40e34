#pragma once

#include <util/export.h>

// Matching Chinese names by the initial letters of their pinyin readings, with fuzzy sounds, and
// sorting Chinese text by pinyin. The data comes from "PinYin.py", "MoHuYin.ini" and "hanzi.sort"
// beside util.dll and is loaded once per process by the first call; a missing or unreadable data file
// is reported once in the run log (level 3), and then matching finds nothing.
// Keys are upper-case letters A-Z, as the initials are stored: a lower-case key matches nothing, so a
// client upper-cases what the user types.
class UTIL_API CKXMatchCH {
public:
    CKXMatchCH() = default;
    CKXMatchCH(const CKXMatchCH&) = default;
    CKXMatchCH& operator=(const CKXMatchCH&) = default;
    virtual ~CKXMatchCH() = default;

    // 1 when the data is (or was already) loaded; 0 when the first attempt found no sort file.
    static int InitStaticData();
    // Whether key is an initial of ch, directly or through a fuzzy pair.
    static bool MatchPinYin(wchar_t ch, wchar_t key);
    // Whether keys match the initials of the first characters of text (spaces in text ignored).
    static bool MatchPinYin(const wchar_t* text, const wchar_t* keys);
    // -1, 0 or 1 by the collation weights, a shorter text before its longer continuation.
    static int wcsCmpPY(const wchar_t* a, const wchar_t* b);

protected:
    static bool MatchPinYin2(wchar_t ch, wchar_t key);
    static bool ReadSortFile();
};

UTIL_API bool MatchPinYin(wchar_t ch, wchar_t key);
UTIL_API bool MatchPinYin(const wchar_t* text, const wchar_t* keys);
UTIL_API int wcsCmpPY(const wchar_t* a, const wchar_t* b);
