#pragma once

#include <string>

// Entry names: their bytes in the archive, and where they may land on disk.
namespace encoding::zipnames {

constexpr size_t kMaxStoredNameBytes = 518;
constexpr unsigned kLegacyCodePage = 936; // names without the UTF-8 flag

struct StoredName {
    std::string bytes;
    bool utf8 = false; // the language-encoding flag
};

// Forward slashes as separators; plain ASCII as it is, anything else as UTF-8. False for text that
// is not valid UTF-16 or longer than kMaxStoredNameBytes.
bool EncodeEntryName(const std::wstring& name, StoredName& stored);
std::wstring DecodeEntryName(const std::string& bytes, bool utf8);
bool IsUtf8(const std::string& bytes);

// Equality with "/" and "\" taken as the same separator, optionally ignoring case.
bool SameEntryName(const std::wstring& left, const std::wstring& right, bool ignoreCase);
// What names equal under SameEntryName have in common, for an index of names: "\\" as the separator,
// and the invariant upper case when case is ignored.
std::wstring EntryNameKey(const std::wstring& name, bool ignoreCase);

// A name that stays below the folder it is joined to: not empty, no root, no drive, no ":" and no ".."
// component.
bool IsContainedRelativeName(const std::wstring& name);
// A path with a drive and root ("C:\...") or a network path ("\\server\...").
bool IsFullyQualifiedPath(const std::wstring& path);

// folder + "\" + name with "/" turned into "\"; the result's full path must lie inside folder's,
// otherwise false.
bool JoinInside(const std::wstring& folder, const std::wstring& name, std::wstring& joined);

// The full path of path (relative ones taken from base).
std::wstring FullPath(const std::wstring& base, const std::wstring& path);

// Creates every missing folder of path (path itself included).
bool CreateFolders(const std::wstring& path);
// The folder part of a file path; empty when there is none.
std::wstring ParentFolder(const std::wstring& path);

std::wstring Widen(const std::string& text, unsigned codePage);
std::string Narrow(const std::wstring& text, unsigned codePage);

} // namespace encoding::zipnames
