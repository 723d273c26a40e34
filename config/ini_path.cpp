#include "config/ini_path.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "config/ansi_text.h"

namespace {

std::wstring WindowsDirectory()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    return std::wstring(buffer.data(), length < buffer.size() ? length : 0);
}

std::wstring FullPath(const wchar_t* file)
{
    DWORD length = GetFullPathNameW(file, 0, nullptr, nullptr);
    if (length == 0) {
        return file;
    }
    std::vector<wchar_t> buffer(length);
    length = GetFullPathNameW(file, length, buffer.data(), nullptr);
    return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring(file);
}

std::string AsAnsi(const std::wstring& text)
{
    const int size = WideCharToMultiByte(ansi_text::kCodePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(ansi_text::kCodePage, 0, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size - 1));
    return ansi;
}

} // namespace

IniPath::IniPath(const wchar_t* file)
{
    Resolve(file);
}

IniPath::IniPath(const char* file)
{
    const ansi_text::WideText wide(file);
    Resolve(wide.c_str());
}

void IniPath::Resolve(const wchar_t* file)
{
    m_null = file == nullptr;
    if (m_null || *file == 0) {
        return;
    }
    const bool bareName = wcschr(file, L'\\') == nullptr && wcschr(file, L'/') == nullptr;
    m_wide = bareName ? WindowsDirectory() + L"\\" + file : FullPath(file);
    m_ansi = AsAnsi(m_wide);
}
