#pragma once

#include <map>
#include <string>

#include <util/export.h>
#include <util/strutil.h>

// One key of an INI section held in memory.
struct tagYIniKeyValue {
    int nPos = -1;         // order in the file when read from it; -1 once written or marked null
    std::wstring strValue; // blanks at both ends removed
    bool bNull = false;    // known to have no value
};

// One INI file held in memory: reads are answered from memory, writes update memory and go through
// to the file at once. A file starting with FF FE is UTF-16LE, any other is GBK text.
// Not locked: one thread at a time.
class UTIL_API YIniMapMemory {
public:
    // Names of sections and keys compare without regard to case.
    // Transparent, so that a look-up by a caller's name makes no string of its own.
    struct NameLess {
        using is_transparent = void;
        static const wchar_t* Text(const std::wstring& name) { return name.c_str(); }
        static const wchar_t* Text(const wchar_t* name) { return name; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const
        {
            return Less(Text(a), Text(b));
        }
        // As _wcsicmp orders, with the common ASCII prefix compared here rather than in the runtime.
        static bool Less(const wchar_t* a, const wchar_t* b)
        {
            for (; *a < 0x80 && *b < 0x80; ++a, ++b) {
                const wchar_t left = FoldAscii(*a), right = FoldAscii(*b);
                if (left != right || left == 0) {
                    return left < right;
                }
            }
            return _wcsicmp(a, b) < 0;
        }
        static wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; }
    };
    using KeyMap = std::map<std::wstring, tagYIniKeyValue, NameLess>;
    using SectionMap = std::map<std::wstring, KeyMap, NameLess>;

    // Results of GetString / GetInt.
    enum { valueMissing = 0, valueFound = 1, valueNull = 2 };

    YIniMapMemory();
    virtual ~YIniMapMemory();
    YIniMapMemory(const YIniMapMemory&) = default;
    YIniMapMemory& operator=(const YIniMapMemory&) = default;

    void LoadFromFile(const wchar_t* path);

    // Copies the value cut to capacity - 1 characters and stores the copied length.
    int GetStringW(const wchar_t* section, const wchar_t* key, wchar_t* buffer, int capacity, int* length);
    int GetIntW(const wchar_t* section, const wchar_t* key, int* value);
    bool WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value);
    bool WriteIntW(const wchar_t* section, const wchar_t* key, int value);
    // Marks a key as having no value, in memory only.
    bool WriteNullW(const wchar_t* section, const wchar_t* key);
    void ClearSectionW(const wchar_t* section);
    bool ExistSectionW(const wchar_t* section) const;
    // Replaces the section in the file (data: "key=value" strings, each zero-terminated, then an
    // empty one) and reloads the file.
    void WriteSectionW(const wchar_t* section, const wchar_t* data);
    // Replaces memory and file with the text.
    bool WriteAllStringW(const wchar_t* text);

    // The same with GBK text; GetStringA cuts a value that does not fit at a character boundary, and
    // stores the copied length in bytes.
    int GetStringA(const char* section, const char* key, char* buffer, int capacity, int* length);
    int GetIntA(const char* section, const char* key, int* value);
    bool WriteStringA(const char* section, const char* key, const char* value);
    bool WriteIntA(const char* section, const char* key, int value);
    bool WriteNullA(const char* section, const char* key);
    void ClearSectionA(const char* section);
    bool ExistSectionA(const char* section) const;
    void WriteSectionA(const char* section, const char* data);
    bool WriteAllStringA(const char* text);

protected:
    void Clear();
    void ParseText(const wchar_t* text, int count);

private:
    // Finds the key; a miss before any load marks it null, as the file was never consulted.
    int Find(const wchar_t* section, const wchar_t* key, const tagYIniKeyValue** record, bool* sectionFound);
    bool HasPath() const;
    void RemoveKey(const wchar_t* section, const wchar_t* key);

    SectionMap m_mapSections;
    bool m_bLoaded;
    std::wstring m_strPath;
};
