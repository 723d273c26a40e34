#include "markup/markup_detail.h"

#include <cwctype>

#include <string_view>

namespace markup_detail {

namespace {

wchar_t Fold(wchar_t ch)
{
    if (ch < 0x80) {
        return ch >= L'A' && ch <= L'Z' ? static_cast<wchar_t>(ch + (L'a' - L'A')) : ch;
    }
    return static_cast<wchar_t>(towlower(ch));
}

// The text at `pos` starts with `word` (lower case), compared case-insensitively, all within `end`.
bool StartsWithFolded(const wchar_t* text, int pos, int end, const wchar_t* word)
{
    for (; *word; ++word, ++pos) {
        if (pos >= end || Fold(text[pos]) != *word) {
            return false;
        }
    }
    return true;
}

int DigitValue(wchar_t ch, int base)
{
    int value = -1;
    if (ch >= L'0' && ch <= L'9') {
        value = ch - L'0';
    } else if (ch >= L'a' && ch <= L'f') {
        value = ch - L'a' + 10;
    } else if (ch >= L'A' && ch <= L'F') {
        value = ch - L'A' + 10;
    }
    return value < base ? value : -1;
}

// Character reference "&#65;" or "&#x41;" at `amp`: its code (0 if there is none) and its last index.
unsigned ReadCharRef(const wchar_t* text, int amp, int end, int& last)
{
    // The semicolon must come within the seven characters after the ampersand.
    const int limit = std::min(amp + 7, end - 1);
    int semi = amp + 2;
    while (semi <= limit && text[semi] != L';') {
        ++semi;
    }
    if (semi > limit) {
        return 0;
    }
    int digit = amp + 2;
    int base = 10;
    if (text[digit] == L'x' || text[digit] == L'X') {
        base = 16;
        ++digit;
    }
    if (digit == semi) {
        return 0;
    }
    unsigned code = 0;
    for (; digit < semi; ++digit) {
        const int value = DigitValue(text[digit], base);
        if (value < 0) {
            return 0;
        }
        code = code * static_cast<unsigned>(base) + static_cast<unsigned>(value);
    }
    last = semi;
    return code <= 0x10FFFF ? code : 0;
}

void AppendCode(std::wstring& out, unsigned code)
{
    if (code > 0xFFFF) {
        code -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (code >> 10));
        out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<wchar_t>(code);
    }
}

struct NamedEntity {
    const wchar_t* name; // after the ampersand, with its semicolon
    int length;
    wchar_t ch;
};

constexpr NamedEntity kEntities[] = {
    {L"lt;", 3, L'<'}, {L"amp;", 4, L'&'}, {L"gt;", 3, L'>'}, {L"apos;", 5, L'\''}, {L"quot;", 5, L'"'},
};

} // namespace

bool NameMatches(const wchar_t* text, int length, const wchar_t* wanted)
{
    for (int i = 0; i < length; ++i) {
        if (wanted[i] == 0 || Fold(wanted[i]) != Fold(text[i])) {
            return false;
        }
    }
    const wchar_t next = wanted[length];
    return next == 0 || next == L' ' || next == L'=' || next == L'/' || next == L'[';
}

bool SameName(const wchar_t* a, int lengthA, const wchar_t* b, int lengthB)
{
    if (lengthA != lengthB) {
        return false;
    }
    for (int i = 0; i < lengthA; ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsValidName(const wchar_t* name)
{
    if (name == nullptr || *name == 0) {
        return false;
    }
    for (; *name; ++name) {
        if (EndsToken(*name) || *name == L'&') {
            return false;
        }
    }
    return true;
}

std::wstring TextToDoc(const wchar_t* text, bool bAttrib)
{
    std::wstring out;
    if (text == nullptr) {
        return out;
    }
    const size_t length = wcslen(text);
    out.reserve(length + length / 10);
    for (const wchar_t* p = text; *p; ++p) {
        switch (*p) {
        case L'<':
            out += L"&lt;";
            break;
        case L'&':
            out += L"&amp;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'\'':
            out += bAttrib ? L"&apos;" : L"'";
            break;
        case L'"':
            out += bAttrib ? L"&quot;" : L"\"";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

std::wstring TextFromDoc(const wchar_t* text, int start, int end)
{
    std::wstring out;
    if (end <= start) {
        return out;
    }
    out.reserve(static_cast<size_t>(end - start));
    for (int p = start; p < end; ++p) {
        const wchar_t ch = text[p];
        if (ch != L'&') {
            out += ch;
            continue;
        }
        if (p + 2 < end && text[p + 1] == L'#') {
            int last = p;
            const unsigned code = ReadCharRef(text, p, end, last);
            if (code != 0) {
                AppendCode(out, code);
                p = last;
                continue;
            }
        } else {
            const NamedEntity* found = nullptr;
            for (const NamedEntity& entity : kEntities) {
                if (end - (p + 1) >= entity.length && StartsWithFolded(text, p + 1, end, entity.name)) {
                    found = &entity;
                    break;
                }
            }
            if (found) {
                out += found->ch;
                p += found->length;
                continue;
            }
        }
        out += ch;
    }
    return out;
}

std::wstring ErrorText(const wchar_t* format, const wchar_t* name, int nameLength)
{
    // The name gets the room that the message itself leaves.
    const std::wstring_view message(format);
    const size_t at = message.find(L"%s");
    if (at == std::wstring_view::npos) {
        return std::wstring(message);
    }
    const size_t room = kMaxErrorLength - (message.size() - 2);
    const size_t shown = std::min(static_cast<size_t>(std::max(nameLength, 0)), room);
    std::wstring text;
    text.reserve(message.size() - 2 + shown);
    text.append(message.substr(0, at)).append(name, shown).append(message.substr(at + 2));
    return text;
}

TagScanner::TagScanner(const wchar_t* text, int start, int end) : m_text(text), m_end(end)
{
    m_pos = NameEnd(text, start + 1, end);
}

bool TagScanner::Next(AttribSpan& attrib)
{
    while (m_pos < m_end) {
        const wchar_t ch = m_text[m_pos];
        if (ch == L'"' || ch == L'\'') {
            // A quoted value without a name before it is skipped.
            m_pos = std::min(FindChar(m_text, m_pos + 1, m_end, ch) + 1, m_end);
            continue;
        }
        if (EndsToken(ch)) {
            ++m_pos;
            continue;
        }
        attrib = AttribSpan{m_pos, NameEnd(m_text, m_pos, m_end), 0, 0, false, false};
        int p = attrib.nameEnd;
        m_pos = p;
        while (p < m_end && IsSpace(m_text[p])) {
            ++p;
        }
        if (p < m_end && m_text[p] == L'=') {
            ++p;
            while (p < m_end && IsSpace(m_text[p])) {
                ++p;
            }
            if (p < m_end && (m_text[p] == L'"' || m_text[p] == L'\'')) {
                const int close = FindChar(m_text, p + 1, m_end, m_text[p]);
                attrib.valueStart = p + 1;
                attrib.valueEnd = close;
                attrib.quoted = true;
                attrib.hasValue = true;
                m_pos = std::min(close + 1, m_end);
            } else {
                attrib.valueStart = p;
                attrib.valueEnd = NameEnd(m_text, p, m_end);
                attrib.hasValue = true;
                m_pos = attrib.valueEnd;
            }
        }
        return true;
    }
    return false;
}

int ElemIndex::Take()
{
    if (static_cast<size_t>(m_iFree) >= m_entries.size()) {
        // Grow by half; reserve first so that the vector does not double on its own.
        const size_t size = m_entries.size();
        const size_t grown = size + std::max<size_t>(size / 2, 8);
        m_entries.reserve(grown);
        m_entries.resize(grown);
    }
    ElemPos& entry = m_entries[static_cast<size_t>(m_iFree)];
    entry = ElemPos{};
    return m_iFree++;
}

} // namespace markup_detail
