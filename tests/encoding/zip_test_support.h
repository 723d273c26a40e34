#pragma once

#include <util/zip.h>

#include <map>
#include <string>

// Small helpers shared by the zip tests.
namespace ziptest {

// The content of one item, unpacked into memory.
std::string ItemContent(HZIP archive, int index);
// Every item's name and content (folders with an empty content and a trailing "/").
std::map<std::wstring, std::string> AllItems(HZIP archive);
// Every file below folder, by its path relative to folder with "/" separators.
std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder);
std::string Utf8(const std::wstring& text);
// Empty when both hold the same names and contents; otherwise the names that differ, briefly.
std::string Difference(const std::map<std::wstring, std::string>& expected,
                       const std::map<std::wstring, std::string>& actual);

} // namespace ziptest
