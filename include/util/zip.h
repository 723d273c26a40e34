#pragma once

#include <windows.h>

#include <util/export.h>

// Zip archives: reading (unzip handles) and creating (zip handles). Every call answers a result code;
// each side keeps its most recent one for the message functions.

DECLARE_HANDLE(HZIP);
typedef unsigned long ZRESULT;

// Result codes.
enum : ZRESULT {
    ZIPRES_OK = 0,
    ZIPRES_DUPLICATE_HANDLE = 0x100,
    ZIPRES_OPEN_FILE = 0x200,
    ZIPRES_NO_MEMORY = 0x300,
    ZIPRES_WRITE = 0x400,
    ZIPRES_NOT_FOUND = 0x500,
    ZIPRES_MORE_DATA = 0x600,
    ZIPRES_CORRUPT = 0x700,
    ZIPRES_READ = 0x800,
    ZIPRES_ARGUMENTS = 0x10000,
    ZIPRES_NOT_MEMORY_ZIP = 0x20000,
    ZIPRES_MEMORY_FULL = 0x30000,
    ZIPRES_PREVIOUS_ERROR = 0x40000,
    ZIPRES_ENDED = 0x50000,
    ZIPRES_SIZE_CHANGED = 0x60000,
    ZIPRES_PARTIALLY_UNZIPPED = 0x70000,
    ZIPRES_WRONG_HANDLE_KIND = 0x80000,
    ZIPRES_NOT_INITIALISED = 0x1000000,
    ZIPRES_UNSEEKABLE = 0x2000000,
    ZIPRES_NO_CHANGE = 0x4000000,
    ZIPRES_FLATION = 0x5000000,
    // Passed to a message function: the most recent result of that side.
    ZIPRES_RECENT = 1,
};

// Kinds of sources and destinations.
enum : unsigned long {
    ZIPKIND_HANDLE = 1,   // an open file handle
    ZIPKIND_FILENAME = 2, // a file name (wide text)
    ZIPKIND_MEMORY = 3,   // a memory block
    ZIPKIND_FOLDER = 4,   // a folder entry (adding only)
};

// An archive item. For the query of item -1, index holds the number of items.
struct ZIPENTRY {
    int index;
    char name[MAX_PATH];
    DWORD attr; // FILE_ATTRIBUTE_DIRECTORY for folders
    FILETIME atime, ctime, mtime;
    long comp_size;
    long unc_size;
};

struct ZIPENTRYW {
    int index;
    wchar_t name[MAX_PATH];
    DWORD attr;
    FILETIME atime, ctime, mtime;
    long comp_size;
    long unc_size;
};

// Reading. z is a file handle (kind 1, a disk file; the archive starts at its current position), a
// file name (kind 2) or a memory block of len bytes (kind 3). Relative destination names are taken
// from the current directory at opening time.
UTIL_API HZIP OpenZipU(void* z, unsigned int len, unsigned long kind);
UTIL_API ZRESULT GetZipItemA(HZIP hz, int index, ZIPENTRY* ze);
UTIL_API ZRESULT GetZipItemW(HZIP hz, int index, ZIPENTRYW* ze);
UTIL_API ZRESULT FindZipItemA(HZIP hz, const char* name, bool ic, int* index, ZIPENTRY* ze);
UTIL_API ZRESULT FindZipItemW(HZIP hz, const wchar_t* name, bool ic, int* index, ZIPENTRYW* ze);
// Unpacks an item to a file name (kind 2), a file handle (kind 1) or a memory block of len bytes
// (kind 3; ZIPRES_MORE_DATA while more remains, and the next call with the same index goes on).
// Names that would leave the destination folder answer ZIPRES_CORRUPT.
UTIL_API ZRESULT UnzipItem(HZIP hz, int index, void* dst, unsigned int len, unsigned long kind);
// Unpacks every item below folder, in index order; stops at the first error.
UTIL_API ZRESULT UnzipToFolder(HZIP hz, const wchar_t* folder);
UTIL_API ZRESULT CloseZipU(HZIP hz);
UTIL_API bool IsZipHandleU(HZIP hz);
// With a null buffer or len 0 only the text length is returned; otherwise at most len - 1
// characters are copied and terminated, and the full text length is returned.
UTIL_API unsigned int FormatZipMessageU(ZRESULT code, char* buf, unsigned int len);

// Creating. z is a file name (kind 2), a file handle (kind 1) or a memory block of at most len bytes
// (kind 3; a null z makes the archive allocate the block itself).
UTIL_API HZIP CreateZipZ(void* z, unsigned int len, unsigned long kind);
// Adds a file (kind 2: src is a file name), a handle's content (1; len bytes, or up to its end when
// len is 0), a memory block of len bytes (3) or a folder entry (4). Entry names that are not plain
// ASCII are stored as UTF-8.
UTIL_API ZRESULT ZipAdd(HZIP hz, const wchar_t* name, void* src, unsigned int len, unsigned long kind);
// The deflate level of the items added from now on: 0 (stored in deflate blocks) to 9 (smallest),
// or -1 for the default balance (6). Anything else answers ZIPRES_ARGUMENTS.
UTIL_API ZRESULT ZipSetLevel(HZIP hz, int level);
// For a memory archive: ends it and hands back the block and the bytes used.
UTIL_API ZRESULT ZipGetMemory(HZIP hz, void** buf, unsigned long* len);
UTIL_API ZRESULT CloseZipZ(HZIP hz);
UTIL_API bool IsZipHandleZ(HZIP hz);
UTIL_API unsigned int FormatZipMessageZ(ZRESULT code, char* buf, unsigned int len);
// Adds the folder entry for folder (when not null), then everything in base\folder, recursively.
// 1 when the listing ended normally, 0 on any failure.
UTIL_API int AddFolderContent(HZIP hz, const wchar_t* base, const wchar_t* folder);
