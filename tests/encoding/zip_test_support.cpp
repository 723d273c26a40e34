#include "zip_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/host_tools.h"

namespace ziptest {
namespace {

void CollectFiles(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::string>& files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[prefix + name + L"/"] = "";
            CollectFiles(folder + L"\\" + name, prefix + name + L"/", files);
        } else {
            files[prefix + name] = hosttools::ReadFileBytes(folder + L"\\" + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

std::string ItemContent(HZIP archive, int index)
{
    ZIPENTRYW entry;
    EXPECT_EQ(ZIPRES_OK, GetZipItemW(archive, index, &entry));
    std::string content(static_cast<size_t>(entry.unc_size), '\0');
    if (entry.attr & FILE_ATTRIBUTE_DIRECTORY) {
        return content;
    }
    char spare = 0;
    EXPECT_EQ(ZIPRES_OK, UnzipItem(archive, index, content.empty() ? &spare : &content[0],
                                   static_cast<unsigned>(content.size()), ZIPKIND_MEMORY))
        << "item " << index;
    return content;
}

std::map<std::wstring, std::string> AllItems(HZIP archive)
{
    std::map<std::wstring, std::string> items;
    ZIPENTRYW count;
    EXPECT_EQ(ZIPRES_OK, GetZipItemW(archive, -1, &count));
    for (int i = 0; i < count.index; ++i) {
        ZIPENTRYW entry;
        EXPECT_EQ(ZIPRES_OK, GetZipItemW(archive, i, &entry));
        items[entry.name] = ItemContent(archive, i);
    }
    return items;
}

std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder)
{
    std::map<std::wstring, std::string> files;
    CollectFiles(folder, L"", files);
    return files;
}

std::string Utf8(const std::wstring& text)
{
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], needed, nullptr, nullptr);
    return utf8;
}

std::string Difference(const std::map<std::wstring, std::string>& expected,
                       const std::map<std::wstring, std::string>& actual)
{
    std::string text;
    for (const auto& item : expected) {
        const auto found = actual.find(item.first);
        if (found == actual.end()) {
            text += "missing " + Utf8(item.first) + "; ";
        } else if (found->second != item.second) {
            text += "content of " + Utf8(item.first) + " (" + std::to_string(found->second.size()) + " bytes, not " +
                    std::to_string(item.second.size()) + "); ";
        }
    }
    for (const auto& item : actual) {
        if (!expected.count(item.first)) {
            text += "extra " + Utf8(item.first) + "; ";
        }
    }
    return text;
}

} // namespace ziptest
