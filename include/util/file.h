#pragma once

#include <windows.h>

#include <util/export.h>

// A file handle with the platform's file functions. Failures of seek, length, read and write are
// reported by the result and by an error line in the run log.
class UTIL_API KXFile {
public:
    // Flags of Open: access and sharing.
    enum {
        modeRead = 1,
        modeWrite = 2,
        shareRead = 4,
        shareWrite = 8,
        modeReadWriteShared = 15,
    };

    KXFile();
    virtual ~KXFile();
    KXFile(const KXFile&) = delete;
    KXFile& operator=(const KXFile&) = delete;

    // Opens an existing file: 1, or -1.
    int Open(const wchar_t* path, int flags);
    // Opens for reading and writing, shared, creating the file if needed (an existing one is kept
    // as it is): 1, or -1.
    int Create(const wchar_t* path);
    void Close();
    bool IsOpen() const;

    // The new position, or -1. Method: FILE_BEGIN, FILE_CURRENT or FILE_END.
    int Seek(long distance, int method);
    // Ends the file at length: 1; the platform's error code when the seek fails; -1 when ending fails.
    int SetFileLength(unsigned long length);
    // Ends the file at the current position: 1 or -1.
    int SetFileLength();
    // Size in bytes, 0 on failure.
    unsigned long GetFileLength() const;
    // Bytes read or written, or -1.
    int Read(void* buffer, int count);
    int Write(const void* buffer, int count);

    // 1 deleted, -1 failed.
    static int DeleteFileW(const wchar_t* path);
    // The path exists, as a file or a directory.
    static bool IsExist(const wchar_t* path);
    // 1 when the directory exists or was made with all missing parents, -1 otherwise.
    static long CreateDirectoryW(const wchar_t* path);
    // Copies a directory tree into target (files overwritten).
    static bool CopyDir(const wchar_t* source, const wchar_t* target);
    static bool MoveFileW(const wchar_t* oldPath, const wchar_t* newPath);

private:
    void LogError(const wchar_t* format) const;

    wchar_t m_szPath[MAX_PATH];
    HANDLE m_hFile;
    bool m_bOpen;
};
