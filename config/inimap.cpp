#include <util/inimap.h>

#include <util/file.h>
#include <util/format.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "config/ansi_text.h"
#include "config/ini_file.h"
#include "framework/scoped_handle.h"

namespace {

bool IsBlank(wchar_t ch)
{
    return ch <= 32;
}

// [begin, end) without blanks at its end.
const wchar_t* TrimEnd(const wchar_t* begin, const wchar_t* end)
{
    while (end > begin && IsBlank(end[-1])) {
        --end;
    }
    return end;
}

const wchar_t* SkipBlanks(const wchar_t* begin, const wchar_t* end)
{
    while (begin < end && IsBlank(*begin)) {
        ++begin;
    }
    return begin;
}

const wchar_t* FindChar(const wchar_t* begin, const wchar_t* end, wchar_t ch)
{
    while (begin < end && *begin != ch) {
        ++begin;
    }
    return begin;
}

bool WriteAll(HANDLE file, const void* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

} // namespace

YIniMapMemory::YIniMapMemory() : m_bLoaded(false) {}

YIniMapMemory::~YIniMapMemory()
{
    Clear();
}

void YIniMapMemory::Clear()
{
    m_mapSections.clear();
}

void YIniMapMemory::LoadFromFile(const wchar_t* path)
{
    m_bLoaded = true;
    Clear();
    if (path == nullptr) {
        return;
    }
    if (path != m_strPath.c_str()) {
        m_strPath = path;
    }
    if (m_strPath.size() < 4) {
        return;
    }
    KXFile file;
    if (file.Open(m_strPath.c_str(), KXFile::modeRead | KXFile::shareRead | KXFile::shareWrite) != 1) {
        return;
    }
    const unsigned long size = file.GetFileLength();
    if (size == 0 || size > static_cast<unsigned long>(INT_MAX / 2)) {
        return;
    }
    std::vector<char> content(size + 4, 0);
    const int read = file.Read(content.data(), static_cast<int>(size));
    if (read <= 0) {
        return;
    }
    if (read >= 2 && static_cast<unsigned char>(content[0]) == 0xFF && static_cast<unsigned char>(content[1]) == 0xFE) {
        std::wstring text(static_cast<size_t>(read - 2) / 2, L'\0');
        memcpy(&text[0], content.data() + 2, text.size() * sizeof(wchar_t));
        ParseText(text.data(), static_cast<int>(text.size()));
        return;
    }
    const int count = MultiByteToWideChar(ansi_text::kCodePage, 0, content.data(), read, nullptr, 0);
    std::wstring text(static_cast<size_t>(count > 0 ? count : 0), L'\0');
    MultiByteToWideChar(ansi_text::kCodePage, 0, content.data(), read, &text[0], count);
    ParseText(text.data(), static_cast<int>(text.size()));
}

void YIniMapMemory::ParseText(const wchar_t* text, int count)
{
    if (text == nullptr || count <= 0) {
        return;
    }
    KeyMap* section = nullptr;
    const wchar_t* const textEnd = text + count;
    for (const wchar_t* line = text; line < textEnd;) {
        const wchar_t* lineEnd = line;
        while (lineEnd < textEnd && *lineEnd != L'\r' && *lineEnd != L'\n') {
            ++lineEnd;
        }
        const wchar_t* const first = SkipBlanks(line, lineEnd);
        if (first < lineEnd && *first == L'[') {
            const wchar_t* const nameBegin = SkipBlanks(first + 1, lineEnd);
            const wchar_t* const nameEnd = TrimEnd(nameBegin, FindChar(nameBegin, lineEnd, L']'));
            section = nameBegin < nameEnd ? &m_mapSections[std::wstring(nameBegin, nameEnd)] : nullptr;
        } else if (first < lineEnd) {
            const wchar_t* const equals = FindChar(first, lineEnd, L'=');
            const wchar_t* const valueBegin = equals < lineEnd ? SkipBlanks(equals + 1, lineEnd) : lineEnd;
            const wchar_t* const valueEnd = TrimEnd(valueBegin, lineEnd);
            if (section != nullptr && valueBegin < valueEnd) {
                tagYIniKeyValue record;
                record.nPos = static_cast<int>(section->size());
                record.strValue.assign(valueBegin, valueEnd);
                section->emplace(std::wstring(first, TrimEnd(first, equals)), std::move(record));
            }
        }
        line = lineEnd < textEnd ? lineEnd + 1 : textEnd;
    }
}

int YIniMapMemory::Find(const wchar_t* section, const wchar_t* key, const tagYIniKeyValue** record, bool* sectionFound)
{
    *record = nullptr;
    *sectionFound = false;
    if (section == nullptr || key == nullptr) {
        return valueMissing;
    }
    const auto found = m_mapSections.find(section);
    *sectionFound = found != m_mapSections.end();
    if (*sectionFound) {
        const auto entry = found->second.find(key);
        if (entry != found->second.end()) {
            *record = &entry->second;
            return entry->second.bNull ? valueNull : valueFound;
        }
    }
    if (!m_bLoaded) {
        WriteNullW(section, key);
    }
    return valueMissing;
}

int YIniMapMemory::GetStringW(const wchar_t* section, const wchar_t* key, wchar_t* buffer, int capacity, int* length)
{
    if (buffer == nullptr) {
        capacity = 0;
    }
    const tagYIniKeyValue* record = nullptr;
    bool sectionFound = false;
    const int result = Find(section, key, &record, &sectionFound);
    if (capacity > 0 && !sectionFound) {
        buffer[0] = 0;
    }
    if (result == valueFound && capacity > 0) {
        const size_t copied = std::min(record->strValue.size(), static_cast<size_t>(capacity - 1));
        wmemcpy(buffer, record->strValue.c_str(), copied);
        buffer[copied] = 0;
        if (length != nullptr) {
            *length = static_cast<int>(copied);
        }
    } else if (result == valueFound && length != nullptr) {
        *length = 0;
    }
    return result;
}

int YIniMapMemory::GetIntW(const wchar_t* section, const wchar_t* key, int* value)
{
    const tagYIniKeyValue* record = nullptr;
    bool sectionFound = false;
    const int result = Find(section, key, &record, &sectionFound);
    if (result == valueFound && value != nullptr) {
        *value = _wtoi(record->strValue.c_str());
    }
    return result;
}

bool YIniMapMemory::HasPath() const
{
    return !m_strPath.empty();
}

bool YIniMapMemory::WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    if (section == nullptr) {
        return false;
    }
    // As the platform's writer: no key removes the section, no value removes the key.
    if (key == nullptr) {
        ClearSectionW(section);
        return true;
    }
    if (value == nullptr) {
        RemoveKey(section, key);
        return true;
    }
    tagYIniKeyValue& record = m_mapSections[section][key];
    record.nPos = -1;
    record.strValue = value;
    record.bNull = false;
    if (HasPath()) {
        CreateUnicodeIniFile(m_strPath.c_str());
        SetFileAttributesW(m_strPath.c_str(), FILE_ATTRIBUTE_ARCHIVE);
        ::WritePrivateProfileStringW(section, key, value, m_strPath.c_str());
    }
    return true;
}

void YIniMapMemory::RemoveKey(const wchar_t* section, const wchar_t* key)
{
    const auto found = m_mapSections.find(section);
    if (found != m_mapSections.end()) {
        found->second.erase(key);
    }
    if (HasPath() && KXFile::IsExist(m_strPath.c_str())) {
        ::WritePrivateProfileStringW(section, key, nullptr, m_strPath.c_str());
    }
}

bool YIniMapMemory::WriteIntW(const wchar_t* section, const wchar_t* key, int value)
{
    return WriteStringW(section, key, KxFormat(L"%d", value).c_str());
}

bool YIniMapMemory::WriteNullW(const wchar_t* section, const wchar_t* key)
{
    if (section == nullptr) {
        return true;
    }
    const auto found = m_mapSections.find(section);
    if (found == m_mapSections.end()) {
        m_mapSections[section];
        return true;
    }
    if (key != nullptr) {
        const auto entry = found->second.find(key);
        if (entry != found->second.end()) {
            entry->second.nPos = -1;
            entry->second.bNull = true;
        }
    }
    return true;
}

void YIniMapMemory::ClearSectionW(const wchar_t* section)
{
    if (section == nullptr) {
        return;
    }
    const auto found = m_mapSections.find(section);
    if (found == m_mapSections.end()) {
        return;
    }
    m_mapSections.erase(found);
    if (HasPath()) {
        CreateUnicodeIniFile(m_strPath.c_str());
        ::WritePrivateProfileStringW(section, nullptr, nullptr, m_strPath.c_str());
    }
}

bool YIniMapMemory::ExistSectionW(const wchar_t* section) const
{
    return section != nullptr && m_mapSections.count(section) != 0;
}

void YIniMapMemory::WriteSectionW(const wchar_t* section, const wchar_t* data)
{
    if (section == nullptr) {
        return;
    }
    if (HasPath()) {
        CreateUnicodeIniFile(m_strPath.c_str());
        ::WritePrivateProfileSectionW(section, data, m_strPath.c_str());
    }
    LoadFromFile(m_strPath.c_str());
}

bool YIniMapMemory::WriteAllStringW(const wchar_t* text)
{
    if (text == nullptr) {
        return false;
    }
    Clear();
    const int count = static_cast<int>(wcslen(text));
    ParseText(text, count);
    if (!HasPath()) {
        return false;
    }
    if (KXFile::IsExist(m_strPath.c_str())) {
        KXFile::DeleteFileW(m_strPath.c_str());
    }
    const HANDLE file = CreateFileW(m_strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const unsigned char mark[2] = {0xFF, 0xFE};
    const bool written = WriteAll(file, mark, sizeof(mark)) &&
                         WriteAll(file, text, static_cast<DWORD>(count) * static_cast<DWORD>(sizeof(wchar_t)));
    CloseHandle(file);
    return written;
}

int YIniMapMemory::GetStringA(const char* section, const char* key, char* buffer, int capacity, int* length)
{
    const ansi_text::WideText wideSection(section), wideKey(key);
    if (buffer == nullptr) {
        capacity = 0;
    }
    const tagYIniKeyValue* record = nullptr;
    bool sectionFound = false;
    const int result = Find(wideSection.c_str(), wideKey.c_str(), &record, &sectionFound);
    if (capacity > 0 && !sectionFound) {
        buffer[0] = 0;
    }
    if (result == valueFound) {
        const int copied = ansi_text::CopyAsAnsi(record->strValue.c_str(), static_cast<int>(record->strValue.size()),
                                                 buffer, capacity);
        if (length != nullptr) {
            *length = copied;
        }
    }
    return result;
}

int YIniMapMemory::GetIntA(const char* section, const char* key, int* value)
{
    const ansi_text::WideText wideSection(section), wideKey(key);
    return GetIntW(wideSection.c_str(), wideKey.c_str(), value);
}

bool YIniMapMemory::WriteStringA(const char* section, const char* key, const char* value)
{
    const ansi_text::WideText wideSection(section), wideKey(key), wideValue(value);
    return WriteStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str());
}

bool YIniMapMemory::WriteIntA(const char* section, const char* key, int value)
{
    const ansi_text::WideText wideSection(section), wideKey(key);
    return WriteIntW(wideSection.c_str(), wideKey.c_str(), value);
}

bool YIniMapMemory::WriteNullA(const char* section, const char* key)
{
    const ansi_text::WideText wideSection(section), wideKey(key);
    return WriteNullW(wideSection.c_str(), wideKey.c_str());
}

void YIniMapMemory::ClearSectionA(const char* section)
{
    const ansi_text::WideText wideSection(section);
    ClearSectionW(wideSection.c_str());
}

bool YIniMapMemory::ExistSectionA(const char* section) const
{
    const ansi_text::WideText wideSection(section);
    return ExistSectionW(wideSection.c_str());
}

void YIniMapMemory::WriteSectionA(const char* section, const char* data)
{
    const ansi_text::WideText wideSection(section), wideData(data, ansi_text::ListLength(data));
    WriteSectionW(wideSection.c_str(), wideData.c_str());
}

bool YIniMapMemory::WriteAllStringA(const char* text)
{
    const ansi_text::WideText wideText(text);
    return WriteAllStringW(wideText.c_str());
}
