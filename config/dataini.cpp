#include <util/dataini.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string_view>

namespace {

// Every code unit up to the space counts as blank, control characters and zeros included.
bool IsBlank(wchar_t ch)
{
    return ch <= L' ';
}

std::wstring_view TrimLeft(std::wstring_view text)
{
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    return text.substr(first);
}

std::wstring_view TrimRight(std::wstring_view text)
{
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

struct IniLine {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    std::wstring_view name; // section name, key, or the whole line of any other kind
    std::wstring_view value;
};

// Walks the text line by line; lines end at CR, LF or both, and blank lines are skipped.
class IniLineReader {
public:
    explicit IniLineReader(std::wstring_view text) : m_text(text) {}

    bool Next(IniLine& line)
    {
        while (m_position < m_text.size()) {
            const size_t end = std::min(m_text.find_first_of(L"\r\n", m_position), m_text.size());
            const std::wstring_view content = TrimLeft(m_text.substr(m_position, end - m_position));
            m_position = end + 1;
            if (!content.empty()) {
                line = Classify(content);
                return true;
            }
        }
        return false;
    }

private:
    static IniLine Classify(std::wstring_view content)
    {
        IniLine line;
        if (content.front() == L'[') {
            const std::wstring_view inside = content.substr(1);
            line.kind = IniLine::Section;
            line.name = TrimRight(TrimLeft(inside.substr(0, inside.find(L']'))));
            return line;
        }
        const size_t equals = content.find(L'=');
        if (equals == std::wstring_view::npos) {
            line.name = TrimRight(content);
            return line;
        }
        line.kind = IniLine::Key;
        line.name = TrimRight(content.substr(0, equals));
        line.value = TrimRight(TrimLeft(content.substr(equals + 1)));
        return line;
    }

    std::wstring_view m_text;
    size_t m_position = 0;
};

// A stored name matches when it begins with the requested name, without regard to case.
bool NameMatches(std::wstring_view stored, const wchar_t* requested)
{
    const size_t length = wcslen(requested);
    return stored.size() >= length && _wcsnicmp(stored.data(), requested, length) == 0;
}

// Moves the reader past the first header that matches the section; false when there is none.
bool SeekSection(IniLineReader& reader, const wchar_t* section)
{
    IniLine line;
    while (reader.Next(line)) {
        if (line.kind == IniLine::Section && NameMatches(line.name, section)) {
            return true;
        }
    }
    return false;
}

std::optional<std::wstring_view> FindValue(std::wstring_view text, const wchar_t* section, const wchar_t* key)
{
    IniLineReader reader(text);
    if (!SeekSection(reader, section)) {
        return std::nullopt;
    }
    IniLine line;
    while (reader.Next(line) && line.kind != IniLine::Section) {
        if (line.kind == IniLine::Key && NameMatches(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

// Copies a single value, cut to the capacity. The result is the length copied, or the capacity when
// the value was cut (the last character then gives way to the terminating zero).
unsigned long CopyValue(std::wstring_view value, wchar_t* buffer, unsigned long capacity)
{
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    const size_t copied = std::min<size_t>(value.size(), capacity);
    std::copy_n(value.data(), copied, buffer);
    if (copied < capacity) {
        buffer[copied] = L'\0';
        return static_cast<unsigned long>(copied);
    }
    buffer[capacity - 1] = L'\0';
    return capacity;
}

// Builds a list of zero-terminated items in the caller's buffer. Whatever happens, the list ends with
// two zeros inside the buffer (one when the buffer holds a single character), never beyond it.
class ZeroListWriter {
public:
    ZeroListWriter(wchar_t* buffer, unsigned long capacity) : m_buffer(buffer), m_capacity(buffer ? capacity : 0) {}

    void Append(std::wstring_view text)
    {
        for (const wchar_t ch : text) {
            Put(ch);
        }
    }
    void EndItem() { Put(L'\0'); }

    // The number of characters of the list before its final zero; capacity - 2 when it was cut.
    unsigned long Finish()
    {
        if (m_length < m_capacity) {
            m_buffer[m_length] = L'\0';
            if (m_length == 0 && m_capacity >= 2) {
                m_buffer[1] = L'\0';
            }
            return static_cast<unsigned long>(m_length);
        }
        if (m_capacity < 2) {
            if (m_capacity == 1) {
                m_buffer[0] = L'\0';
            }
            return 0;
        }
        m_buffer[m_capacity - 2] = L'\0';
        m_buffer[m_capacity - 1] = L'\0';
        return m_capacity - 2;
    }

private:
    void Put(wchar_t ch)
    {
        if (m_length < m_capacity) {
            m_buffer[m_length] = ch;
        }
        ++m_length;
    }

    wchar_t* const m_buffer;
    const unsigned long m_capacity;
    size_t m_length = 0;
};

unsigned long ListSectionNames(std::wstring_view text, wchar_t* buffer, unsigned long capacity)
{
    ZeroListWriter list(buffer, capacity);
    IniLineReader reader(text);
    IniLine line;
    while (reader.Next(line)) {
        // An empty name would end the list early for every reader of it.
        if (line.kind == IniLine::Section && !line.name.empty()) {
            list.Append(line.name);
            list.EndItem();
        }
    }
    return list.Finish();
}

std::wstring_view WithoutTrailingSpaces(const wchar_t* text)
{
    std::wstring_view view(text ? text : L"");
    while (!view.empty() && view.back() == L' ') {
        view.remove_suffix(1);
    }
    return view;
}

} // namespace

CDataIni::CDataIni(const wchar_t* text, int length)
{
    if (text != nullptr) {
        const size_t count = length < 0 ? wcslen(text) : static_cast<size_t>(length);
        m_text = TrimRight(std::wstring_view(text, count));
    }
}

CDataIni::~CDataIni() = default;

unsigned long CDataIni::GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                                                 const wchar_t* defaultValue, wchar_t* buffer,
                                                 unsigned long capacity) const
{
    if (section == nullptr) {
        return ListSectionNames(m_text, buffer, capacity);
    }
    const std::optional<std::wstring_view> value =
        key != nullptr ? FindValue(m_text, section, key) : std::optional<std::wstring_view>();
    return CopyValue(value ? *value : WithoutTrailingSpaces(defaultValue), buffer, capacity);
}

int CDataIni::GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    if (section == nullptr || key == nullptr) {
        return 0;
    }
    const std::optional<std::wstring_view> value = FindValue(m_text, section, key);
    return value ? _wtoi(std::wstring(*value).c_str()) : defaultValue;
}

unsigned long CDataIni::GetPrivateProfileSectionW(const wchar_t* section, wchar_t* buffer, unsigned long capacity) const
{
    ZeroListWriter list(buffer, capacity);
    IniLineReader reader(m_text);
    if (section == nullptr || !SeekSection(reader, section)) {
        return list.Finish();
    }
    IniLine line;
    while (reader.Next(line) && line.kind != IniLine::Section) {
        list.Append(line.name);
        if (line.kind == IniLine::Key) {
            list.Append(L"=");
            list.Append(line.value);
        }
        list.EndItem();
    }
    return list.Finish();
}
