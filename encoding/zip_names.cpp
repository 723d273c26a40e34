#include "encoding/zip_names.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace encoding::zipnames {
namespace {

bool IsSeparator(wchar_t ch)
{
    return ch == L'/' || ch == L'\\';
}

std::wstring WithBackslashes(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring FullPathOf(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::wstring();
    }
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    full.resize(written < needed ? written : 0);
    return full;
}

} // namespace

bool EncodeEntryName(const std::wstring& name, StoredName& stored)
{
    const std::wstring slashed = [&] {
        std::wstring text = name;
        std::replace(text.begin(), text.end(), L'\\', L'/');
        return text;
    }();
    const bool ascii = std::all_of(slashed.begin(), slashed.end(), [](wchar_t ch) { return ch < 0x80; });
    if (ascii) {
        stored.bytes.assign(slashed.begin(), slashed.end());
        stored.utf8 = false;
    } else {
        const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, slashed.data(),
                                               static_cast<int>(slashed.size()), nullptr, 0, nullptr, nullptr);
        if (needed <= 0) {
            return false;
        }
        stored.bytes.assign(static_cast<size_t>(needed), '\0');
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, slashed.data(), static_cast<int>(slashed.size()),
                            &stored.bytes[0], needed, nullptr, nullptr);
        stored.utf8 = true;
    }
    return !stored.bytes.empty() && stored.bytes.size() <= kMaxStoredNameBytes;
}

std::wstring DecodeEntryName(const std::string& bytes, bool utf8)
{
    return Widen(bytes, utf8 ? CP_UTF8 : kLegacyCodePage);
}

bool IsUtf8(const std::string& bytes)
{
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

bool SameEntryName(const std::wstring& left, const std::wstring& right, bool ignoreCase)
{
    const std::wstring a = WithBackslashes(left);
    const std::wstring b = WithBackslashes(right);
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                ignoreCase ? TRUE : FALSE) == CSTR_EQUAL;
}

std::wstring EntryNameKey(const std::wstring& name, bool ignoreCase)
{
    std::wstring key = WithBackslashes(name);
    if (ignoreCase && !key.empty()) {
        // The ordinal comparison ignores case as the invariant upper case does, one unit for one.
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), &key[0],
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    }
    return key;
}

bool IsContainedRelativeName(const std::wstring& name)
{
    if (name.empty() || IsSeparator(name[0]) || name.find(L':') != std::wstring::npos) {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) {
            ++end;
        }
        if (name.compare(start, end - start, L"..") == 0) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsFullyQualifiedPath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2]);
    const bool network = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    return drive || network;
}

bool JoinInside(const std::wstring& folder, const std::wstring& name, std::wstring& joined)
{
    std::wstring root = FullPathOf(WithBackslashes(folder));
    if (root.empty()) {
        return false;
    }
    if (root.back() != L'\\') {
        root += L'\\';
    }
    joined = FullPathOf(root + WithBackslashes(name));
    // The platform trims dots and spaces while resolving; the result must still be below the folder.
    return joined.size() > root.size() &&
           CompareStringOrdinal(joined.data(), static_cast<int>(root.size()), root.data(),
                                static_cast<int>(root.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FullPath(const std::wstring& base, const std::wstring& path)
{
    const std::wstring slashed = WithBackslashes(path);
    if (IsFullyQualifiedPath(slashed) || base.empty()) {
        return FullPathOf(slashed);
    }
    return FullPathOf(base + L"\\" + slashed);
}

bool CreateFolders(const std::wstring& path)
{
    const std::wstring full = FullPathOf(WithBackslashes(path));
    if (full.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    const std::wstring parent = ParentFolder(full);
    if (!parent.empty() && parent != full && !CreateFolders(parent)) {
        return false;
    }
    return CreateDirectoryW(full.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring ParentFolder(const std::wstring& path)
{
    std::wstring trimmed = path;
    while (!trimmed.empty() && IsSeparator(trimmed.back())) {
        trimmed.pop_back();
    }
    const size_t slash = trimmed.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    // Keep the root of "C:\x" whole.
    return trimmed.substr(0, (slash == 2 && trimmed[1] == L':') ? 3 : slash);
}

std::wstring Widen(const std::string& text, unsigned codePage)
{
    if (text.empty()) {
        return std::wstring();
    }
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (needed <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], needed);
    return wide;
}

std::string Narrow(const std::wstring& text, unsigned codePage)
{
    if (text.empty()) {
        return std::string();
    }
    const int needed =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0], needed, nullptr, nullptr);
    return narrow;
}

} // namespace encoding::zipnames
