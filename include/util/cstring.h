#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <string>

#include <util/format.h>

// The framework's wide string: a value type over std::wstring with the familiar members.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_text(text ? std::wstring(text, length > 0 ? length : 0) : L"") {}
    CString(const std::wstring& text) : m_text(text) {}
    CString(wchar_t ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}
    // 8-bit text is in the process's ANSI code page.
    CString(const char* text) { AssignAnsi(text); }

    CString& operator=(const wchar_t* text)
    {
        m_text = text ? text : L"";
        return *this;
    }
    CString& operator=(const char* text)
    {
        AssignAnsi(text);
        return *this;
    }
    CString& operator=(wchar_t ch)
    {
        m_text.assign(1, ch);
        return *this;
    }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }

    wchar_t GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }
    wchar_t operator[](int index) const { return GetAt(index); }
    void SetAt(int index, wchar_t ch) { m_text.at(static_cast<size_t>(index)) = ch; }

    // At least minLength characters of writable room; ReleaseBuffer fixes the length afterwards.
    wchar_t* GetBuffer(int minLength = 0)
    {
        if (minLength > GetLength()) {
            m_text.resize(static_cast<size_t>(minLength));
        }
        return &m_text[0];
    }
    wchar_t* GetBufferSetLength(int length)
    {
        m_text.resize(static_cast<size_t>(std::max(length, 0)));
        return &m_text[0];
    }
    void ReleaseBuffer(int newLength = -1)
    {
        if (newLength < 0) {
            newLength = static_cast<int>(wcsnlen(m_text.c_str(), m_text.size()));
        }
        m_text.resize(static_cast<size_t>(std::min(newLength, GetLength())));
    }

    void Format(const wchar_t* format, ...)
    {
        va_list args;
        va_start(args, format);
        m_text = KxFormatV(format, args);
        va_end(args);
    }
    void AppendFormat(const wchar_t* format, ...)
    {
        va_list args;
        va_start(args, format);
        m_text += KxFormatV(format, args);
        va_end(args);
    }
    void FormatV(const wchar_t* format, va_list args) { m_text = KxFormatV(format, args); }

    CString& operator+=(const CString& other)
    {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(const wchar_t* text)
    {
        if (text) {
            m_text += text;
        }
        return *this;
    }
    CString& operator+=(wchar_t ch)
    {
        m_text += ch;
        return *this;
    }
    void Append(const wchar_t* text, int length) { m_text.append(text, static_cast<size_t>(std::max(length, 0))); }
    void AppendChar(wchar_t ch) { m_text += ch; }

    int Compare(const wchar_t* other) const { return wcscmp(m_text.c_str(), other ? other : L""); }
    int CompareNoCase(const wchar_t* other) const { return _wcsicmp(m_text.c_str(), other ? other : L""); }

    CString Left(int count) const { return Mid(0, count); }
    CString Right(int count) const
    {
        count = std::clamp(count, 0, GetLength());
        return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
    }
    CString Mid(int first) const { return Mid(first, GetLength()); }
    CString Mid(int first, int count) const
    {
        first = std::clamp(first, 0, GetLength());
        count = std::clamp(count, 0, GetLength() - first);
        return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
    }

    int Find(wchar_t ch, int start = 0) const
    {
        return ToIndex(start < 0 ? npos() : m_text.find(ch, static_cast<size_t>(start)));
    }
    int Find(const wchar_t* sub, int start = 0) const
    {
        return ToIndex(sub == nullptr || start < 0 ? npos() : m_text.find(sub, static_cast<size_t>(start)));
    }
    int ReverseFind(wchar_t ch) const { return ToIndex(m_text.rfind(ch)); }
    int FindOneOf(const wchar_t* set) const { return ToIndex(set ? m_text.find_first_of(set) : npos()); }

    CString& MakeUpper()
    {
        for (wchar_t& ch : m_text) {
            ch = static_cast<wchar_t>(towupper(ch));
        }
        return *this;
    }
    CString& MakeLower()
    {
        for (wchar_t& ch : m_text) {
            ch = static_cast<wchar_t>(towlower(ch));
        }
        return *this;
    }
    CString& MakeReverse()
    {
        std::reverse(m_text.begin(), m_text.end());
        return *this;
    }

    CString& TrimLeft(const wchar_t* set = L" \t\r\n\f\v")
    {
        m_text.erase(0, std::min(m_text.find_first_not_of(set), m_text.size()));
        return *this;
    }
    CString& TrimRight(const wchar_t* set = L" \t\r\n\f\v")
    {
        const size_t last = m_text.find_last_not_of(set);
        m_text.erase(last == std::wstring::npos ? 0 : last + 1);
        return *this;
    }
    CString& Trim(const wchar_t* set = L" \t\r\n\f\v") { return TrimRight(set).TrimLeft(set); }
    CString& TrimLeft(wchar_t ch) { return TrimLeft(std::wstring(1, ch).c_str()); }
    CString& TrimRight(wchar_t ch) { return TrimRight(std::wstring(1, ch).c_str()); }
    CString& Trim(wchar_t ch) { return Trim(std::wstring(1, ch).c_str()); }

    int Replace(const wchar_t* from, const wchar_t* to)
    {
        if (from == nullptr || *from == 0) {
            return 0;
        }
        const std::wstring target(from), replacement(to ? to : L"");
        int count = 0;
        for (size_t at = m_text.find(target); at != std::wstring::npos;
             at = m_text.find(target, at + replacement.size())) {
            m_text.replace(at, target.size(), replacement);
            ++count;
        }
        return count;
    }
    int Replace(wchar_t from, wchar_t to)
    {
        const int count = static_cast<int>(std::count(m_text.begin(), m_text.end(), from));
        std::replace(m_text.begin(), m_text.end(), from, to);
        return count;
    }
    int Remove(wchar_t ch)
    {
        const size_t before = m_text.size();
        m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
        return static_cast<int>(before - m_text.size());
    }
    int Insert(int index, const wchar_t* text)
    {
        m_text.insert(static_cast<size_t>(std::clamp(index, 0, GetLength())), text ? text : L"");
        return GetLength();
    }
    int Insert(int index, wchar_t ch) { return Insert(index, std::wstring(1, ch).c_str()); }
    int Delete(int index, int count = 1)
    {
        if (index >= 0 && index < GetLength() && count > 0) {
            m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
        }
        return GetLength();
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
    friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_text + (b ? b : L"")); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.m_text); }
    friend CString operator+(const CString& a, wchar_t b) { return CString(a.m_text + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

private:
    static constexpr size_t npos() { return std::wstring::npos; }
    static int ToIndex(size_t at) { return at == std::wstring::npos ? -1 : static_cast<int>(at); }

    void AssignAnsi(const char* text)
    {
        m_text.clear();
        if (text == nullptr || *text == 0) {
            return;
        }
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (length > 1) {
            m_text.resize(static_cast<size_t>(length - 1));
            MultiByteToWideChar(CP_ACP, 0, text, -1, &m_text[0], length);
        }
    }

    std::wstring m_text;
};
