#include <util/strutil.h>

#include <cwchar>

namespace {

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    ~FindHandle()
    {
        if (IsOpen()) {
            FindClose(m_handle);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool IsDotEntry(const wchar_t* name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

bool IsDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A link to a directory elsewhere: descending into it would list or delete what lies outside.
bool IsDirectoryLink(DWORD attributes)
{
    return IsDirectory(attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring JoinPath(const std::wstring& directory, const wchar_t* name)
{
    const bool hasSeparator = !directory.empty() && (directory.back() == L'\\' || directory.back() == L'/');
    return hasSeparator ? directory + name : directory + L'\\' + name;
}

// Calls visit(fullPath, attributes) for every entry of the directory but "." and "..".
template <typename Visitor>
void ForEachEntry(const std::wstring& directory, Visitor visit)
{
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileW(JoinPath(directory, L"*").c_str(), &entry));
    if (!find.IsOpen()) {
        return;
    }
    do {
        if (!IsDotEntry(entry.cFileName)) {
            visit(JoinPath(directory, entry.cFileName), entry.dwFileAttributes);
        }
    } while (FindNextFileW(find.Get(), &entry));
}

void CollectFiles(const std::wstring& directory, std::vector<std::wstring>& files)
{
    std::vector<std::wstring> subdirectories;
    ForEachEntry(directory, [&](std::wstring path, DWORD attributes) {
        if (!IsDirectory(attributes)) {
            files.push_back(std::move(path));
        } else if (!IsDirectoryLink(attributes)) {
            subdirectories.push_back(std::move(path));
        }
    });
    for (const std::wstring& subdirectory : subdirectories) {
        CollectFiles(subdirectory, files);
    }
}

void DeleteTree(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && IsDirectory(attributes) && !IsDirectoryLink(attributes)) {
        ForEachEntry(path, [](const std::wstring& child, DWORD childAttributes) {
            if (IsDirectory(childAttributes)) {
                DeleteTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        });
    }
    // Whatever the path names (a file, an emptied directory, a link) goes; errors are ignored.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.c_str());
}

} // namespace

void ExtractFilePath(wchar_t* out, const wchar_t* fullPath)
{
    if (out == nullptr) {
        return;
    }
    out[0] = 0;
    if (fullPath == nullptr) {
        return;
    }
    // Everything up to the last separator, or the drive alone ("C:name").
    const std::wstring path(fullPath);
    const size_t separator = path.find_last_of(L"\\/");
    size_t length = separator == std::wstring::npos ? 0 : separator + 1;
    if (length == 0 && path.size() >= 2 && path[1] == L':') {
        length = 2;
    }
    if (length < MAX_PATH) {
        wmemcpy(out, path.c_str(), length);
        out[length] = 0;
    }
}

int EnumAllFilesW(const wchar_t* directory, std::vector<std::wstring>& files)
{
    files.clear();
    if (directory != nullptr && *directory != 0) {
        CollectFiles(directory, files);
    }
    return static_cast<int>(files.size());
}

int EnumAllFilesA(const char* directory, std::vector<std::string>& files)
{
    files.clear();
    std::vector<std::wstring> wideFiles;
    EnumAllFilesW(C2T(directory).c_str(), wideFiles);
    files.reserve(wideFiles.size());
    for (const std::wstring& file : wideFiles) {
        files.push_back(T2C(file.c_str()));
    }
    return static_cast<int>(files.size());
}

int KxDelFileW(const wchar_t* directory)
{
    // An empty path would name the root of the current drive.
    if (directory != nullptr && *directory != 0) {
        DeleteTree(directory);
    }
    return 0;
}

int KxDelFileA(const char* directory)
{
    return KxDelFileW(C2T(directory).c_str());
}
