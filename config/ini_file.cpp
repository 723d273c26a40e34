#include "config/ini_file.h"

#include <util/file.h>

#include "framework/scoped_handle.h"

bool CreateUnicodeIniFile(const wchar_t* path)
{
    if (path == nullptr || *path == 0) {
        return false;
    }
    if (KXFile::IsExist(path)) {
        return true;
    }
    ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        // Another writer may have made it in the meantime.
        return KXFile::IsExist(path);
    }
    const unsigned char mark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    const bool done = WriteFile(file.Get(), mark, sizeof(mark), &written, nullptr) && written == sizeof(mark);
    return file.Close() && done;
}
