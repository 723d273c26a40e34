#include <util/zip.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "encoding/zip_names.h"
#include "encoding/zip_reader.h"
#include "encoding/zip_writer.h"

using encoding::UniqueHandle;
using encoding::ZipReader;
using encoding::ZipWriter;

namespace {

// What an HZIP points at: a reader or a writer.
struct ZipHandleObject {
    std::unique_ptr<ZipReader> reader;
    std::unique_ptr<ZipWriter> writer;
};

// Handles in use, so that a stale or foreign value is recognised instead of followed.
class HandleRegistry {
public:
    HZIP Add(std::unique_ptr<ZipHandleObject> object)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ZipHandleObject* raw = object.release();
        m_live.insert(raw);
        return reinterpret_cast<HZIP>(raw);
    }
    ZipHandleObject* Find(HZIP handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto* object = reinterpret_cast<ZipHandleObject*>(handle);
        return m_live.count(object) ? object : nullptr;
    }
    std::unique_ptr<ZipHandleObject> Remove(HZIP handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto* object = reinterpret_cast<ZipHandleObject*>(handle);
        return std::unique_ptr<ZipHandleObject>(m_live.erase(object) ? object : nullptr);
    }

private:
    std::mutex m_mutex;
    std::set<ZipHandleObject*> m_live;
};

HandleRegistry& Registry()
{
    static HandleRegistry registry;
    return registry;
}

std::atomic<ZRESULT> g_lastUnzipResult{ZIPRES_OK};
std::atomic<ZRESULT> g_lastZipResult{ZIPRES_OK};

ZRESULT Unzipped(ZRESULT result)
{
    g_lastUnzipResult = result;
    return result;
}

ZRESULT Zipped(ZRESULT result)
{
    g_lastZipResult = result;
    return result;
}

// The reader of an unzip handle, with the code when there is none.
ZipReader* ReaderOf(HZIP handle, ZRESULT& result)
{
    ZipHandleObject* object = Registry().Find(handle);
    result = !object ? ZIPRES_ARGUMENTS : (object->reader ? ZIPRES_OK : ZIPRES_WRONG_HANDLE_KIND);
    return result == ZIPRES_OK ? object->reader.get() : nullptr;
}

ZipWriter* WriterOf(HZIP handle, ZRESULT& result)
{
    ZipHandleObject* object = Registry().Find(handle);
    result = !object ? ZIPRES_ARGUMENTS : (object->writer ? ZIPRES_OK : ZIPRES_WRONG_HANDLE_KIND);
    return result == ZIPRES_OK ? object->writer.get() : nullptr;
}

std::wstring CurrentFolder()
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(needed, L'\0');
    const DWORD written = GetCurrentDirectoryW(needed, &folder[0]);
    folder.resize(written < needed ? written : 0);
    return folder;
}

const char* MessageText(ZRESULT code)
{
    switch (code) {
    case ZIPRES_OK:
        return "Success";
    case ZIPRES_DUPLICATE_HANDLE:
        return "Culdn't duplicate handle";
    case ZIPRES_OPEN_FILE:
        return "Couldn't create/open file";
    case ZIPRES_NO_MEMORY:
        return "Failed to allocate memory";
    case ZIPRES_WRITE:
        return "Error writing to file";
    case ZIPRES_NOT_FOUND:
        return "File not found in the zipfile";
    case ZIPRES_MORE_DATA:
        return "Still more data to unzip";
    case ZIPRES_CORRUPT:
        return "Zipfile is corrupt or not a zipfile";
    case ZIPRES_READ:
        return "Error reading file";
    case ZIPRES_ARGUMENTS:
        return "Caller: faulty arguments";
    case ZIPRES_NOT_MEMORY_ZIP:
        return "Caller: can only get memory of a memory zipfile";
    case ZIPRES_MEMORY_FULL:
        return "Caller: not enough space allocated for memory zipfile";
    case ZIPRES_PREVIOUS_ERROR:
        return "Caller: there was a previous error";
    case ZIPRES_ENDED:
        return "Caller: additions to the zip have already been ended";
    case ZIPRES_SIZE_CHANGED:
        return "Zip-bug: the anticipated size turned out wrong";
    case ZIPRES_PARTIALLY_UNZIPPED:
        return "Caller: the file had already been partially unzipped";
    case ZIPRES_WRONG_HANDLE_KIND:
        return "Caller: mixing creation and opening of zip";
    case ZIPRES_NOT_INITIALISED:
        return "Zip-bug: internal initialisation not completed";
    case ZIPRES_UNSEEKABLE:
        return "Zip-bug: trying to seek the unseekable";
    case ZIPRES_NO_CHANGE:
        return "Zip-bug: tried to change mind, but not allowed";
    case ZIPRES_FLATION:
        return "Zip-bug: an internal error during flation";
    default:
        return "unknown zip result code";
    }
}

unsigned int FormatMessageOf(ZRESULT code, ZRESULT recent, char* buf, unsigned int len)
{
    const char* text = MessageText(code == ZIPRES_RECENT ? recent : code);
    const unsigned int length = static_cast<unsigned int>(std::strlen(text));
    if (buf && len > 0) {
        const unsigned int copied = std::min(length, len - 1);
        std::memcpy(buf, text, copied);
        buf[copied] = '\0';
    }
    return length;
}

template <typename Entry>
void FillCommon(const encoding::ZipItem& item, int index, Entry& entry)
{
    entry.index = index;
    entry.attr = item.attributes;
    entry.atime = item.accessed;
    entry.ctime = item.created;
    entry.mtime = item.modified;
    entry.comp_size = static_cast<long>(item.compressedSize);
    entry.unc_size = static_cast<long>(item.size);
}

void FillEntry(const ZipReader& reader, int index, ZIPENTRYW& entry)
{
    std::memset(&entry, 0, sizeof(entry));
    const encoding::ZipItem& item = reader.Item(index);
    FillCommon(item, index, entry);
    wcsncpy(entry.name, item.name.c_str(), MAX_PATH - 1);
}

void FillEntry(const ZipReader& reader, int index, ZIPENTRY& entry)
{
    std::memset(&entry, 0, sizeof(entry));
    const encoding::ZipItem& item = reader.Item(index);
    FillCommon(item, index, entry);
    const std::string name = encoding::zipnames::Narrow(item.name, CP_ACP);
    strncpy(entry.name, name.c_str(), MAX_PATH - 1);
}

template <typename Entry>
ZRESULT GetItem(HZIP hz, int index, Entry* entry)
{
    ZRESULT result;
    ZipReader* reader = ReaderOf(hz, result);
    if (!reader) {
        return Unzipped(result);
    }
    if (!entry || index < -1 || index >= reader->Count()) {
        return Unzipped(ZIPRES_ARGUMENTS);
    }
    if (index == -1) {
        std::memset(entry, 0, sizeof(*entry));
        entry->index = reader->Count();
    } else {
        FillEntry(*reader, index, *entry);
    }
    return Unzipped(ZIPRES_OK);
}

template <typename Entry>
ZRESULT FindItem(HZIP hz, const std::wstring& name, bool ic, int* index, Entry* entry)
{
    ZRESULT result;
    ZipReader* reader = ReaderOf(hz, result);
    if (!reader) {
        return Unzipped(result);
    }
    int found = -1;
    if (!reader->Find(name, ic, found)) {
        if (index) {
            *index = -1;
        }
        if (entry) {
            std::memset(entry, 0, sizeof(*entry));
            entry->index = -1;
        }
        return Unzipped(ZIPRES_NOT_FOUND);
    }
    if (index) {
        *index = found;
    }
    if (entry) {
        FillEntry(*reader, found, *entry);
    }
    return Unzipped(ZIPRES_OK);
}

// Where UnzipItem writes a file: a full path of the caller's choosing, or a name below the folder
// the archive was opened in. An item's own name is always held to the second rule.
ZRESULT ResolveDestination(const ZipReader& reader, int index, const std::wstring& destination, std::wstring& path)
{
    namespace names = encoding::zipnames;
    const bool ownName = names::SameEntryName(destination, reader.Item(index).name, false);
    if (names::IsFullyQualifiedPath(destination) && !ownName) {
        path = names::FullPath(std::wstring(), destination);
        return path.empty() ? ZIPRES_ARGUMENTS : ZIPRES_OK;
    }
    if (!names::IsContainedRelativeName(destination) || !names::JoinInside(reader.BaseFolder(), destination, path)) {
        return ZIPRES_CORRUPT;
    }
    return ZIPRES_OK;
}

} // namespace

HZIP OpenZipU(void* z, unsigned int len, unsigned long kind)
{
    std::unique_ptr<encoding::ArchiveSource> source;
    ZRESULT result = ZIPRES_ARGUMENTS;
    if (z && kind == ZIPKIND_HANDLE) {
        UniqueHandle copy;
        result = encoding::DuplicateFileHandle(static_cast<HANDLE>(z), copy);
        if (result == ZIPRES_OK) {
            result = encoding::MakeFileSource(std::move(copy), source);
        }
    } else if (z && kind == ZIPKIND_FILENAME) {
        UniqueHandle file(CreateFileW(static_cast<const wchar_t*>(z), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        result = file.valid() ? encoding::MakeFileSource(std::move(file), source) : ZIPRES_OPEN_FILE;
    } else if (z && kind == ZIPKIND_MEMORY && len > 0) {
        source = encoding::MakeMemorySource(z, len);
        result = ZIPRES_OK;
    }
    std::unique_ptr<ZipReader> reader;
    if (result == ZIPRES_OK) {
        result = ZipReader::Open(std::move(source), CurrentFolder(), reader);
    }
    if (result != ZIPRES_OK) {
        Unzipped(result);
        return nullptr;
    }
    auto object = std::make_unique<ZipHandleObject>();
    object->reader = std::move(reader);
    Unzipped(ZIPRES_OK);
    return Registry().Add(std::move(object));
}

ZRESULT GetZipItemA(HZIP hz, int index, ZIPENTRY* ze)
{
    return GetItem(hz, index, ze);
}

ZRESULT GetZipItemW(HZIP hz, int index, ZIPENTRYW* ze)
{
    return GetItem(hz, index, ze);
}

ZRESULT FindZipItemA(HZIP hz, const char* name, bool ic, int* index, ZIPENTRY* ze)
{
    if (!name) {
        return Unzipped(ZIPRES_ARGUMENTS);
    }
    return FindItem(hz, encoding::zipnames::Widen(name, CP_ACP), ic, index, ze);
}

ZRESULT FindZipItemW(HZIP hz, const wchar_t* name, bool ic, int* index, ZIPENTRYW* ze)
{
    if (!name) {
        return Unzipped(ZIPRES_ARGUMENTS);
    }
    return FindItem(hz, name, ic, index, ze);
}

ZRESULT UnzipItem(HZIP hz, int index, void* dst, unsigned int len, unsigned long kind)
{
    ZRESULT result;
    ZipReader* reader = ReaderOf(hz, result);
    if (!reader) {
        return Unzipped(result);
    }
    if (index < 0 || index >= reader->Count() || !dst) {
        return Unzipped(ZIPRES_ARGUMENTS);
    }
    switch (kind) {
    case ZIPKIND_MEMORY:
        return Unzipped(reader->UnzipToMemory(index, dst, len));
    case ZIPKIND_HANDLE:
        return Unzipped(reader->UnzipToHandle(index, static_cast<HANDLE>(dst)));
    case ZIPKIND_FILENAME: {
        std::wstring path;
        result = ResolveDestination(*reader, index, static_cast<const wchar_t*>(dst), path);
        return Unzipped(result == ZIPRES_OK ? reader->UnzipToFile(index, path) : result);
    }
    default:
        return Unzipped(ZIPRES_ARGUMENTS);
    }
}

ZRESULT UnzipToFolder(HZIP hz, const wchar_t* folder)
{
    ZRESULT result;
    ZipReader* reader = ReaderOf(hz, result);
    if (!reader) {
        return Unzipped(result);
    }
    if (!folder) {
        return Unzipped(ZIPRES_ARGUMENTS);
    }
    return Unzipped(reader->UnzipToFolder(folder));
}

ZRESULT CloseZipU(HZIP hz)
{
    ZRESULT result;
    if (!ReaderOf(hz, result)) {
        return Unzipped(result);
    }
    Registry().Remove(hz);
    return Unzipped(ZIPRES_OK);
}

bool IsZipHandleU(HZIP hz)
{
    ZRESULT result;
    return ReaderOf(hz, result) != nullptr;
}

unsigned int FormatZipMessageU(ZRESULT code, char* buf, unsigned int len)
{
    return FormatMessageOf(code, g_lastUnzipResult, buf, len);
}

HZIP CreateZipZ(void* z, unsigned int len, unsigned long kind)
{
    std::unique_ptr<encoding::ArchiveSink> sink;
    ZRESULT result = ZIPRES_ARGUMENTS;
    if (z && kind == ZIPKIND_HANDLE) {
        UniqueHandle copy;
        result = encoding::DuplicateFileHandle(static_cast<HANDLE>(z), copy);
        if (result == ZIPRES_OK) {
            sink = encoding::MakeFileSink(std::move(copy));
        }
    } else if (z && kind == ZIPKIND_FILENAME) {
        UniqueHandle file(CreateFileW(static_cast<const wchar_t*>(z), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) {
            sink = encoding::MakeFileSink(std::move(file));
            result = ZIPRES_OK;
        } else {
            result = ZIPRES_OPEN_FILE;
        }
    } else if (kind == ZIPKIND_MEMORY) {
        result = encoding::MakeMemorySink(z, len, sink);
    }
    if (result != ZIPRES_OK) {
        Zipped(result);
        return nullptr;
    }
    auto object = std::make_unique<ZipHandleObject>();
    object->writer = std::make_unique<ZipWriter>(std::move(sink));
    Zipped(ZIPRES_OK);
    return Registry().Add(std::move(object));
}

ZRESULT ZipAdd(HZIP hz, const wchar_t* name, void* src, unsigned int len, unsigned long kind)
{
    ZRESULT result;
    ZipWriter* writer = WriterOf(hz, result);
    if (!writer) {
        return Zipped(result);
    }
    if (!name || !*name) {
        return Zipped(ZIPRES_ARGUMENTS);
    }
    switch (kind) {
    case ZIPKIND_FOLDER:
        return Zipped(writer->AddFolder(name));
    case ZIPKIND_FILENAME:
        return Zipped(src ? writer->AddFile(name, static_cast<const wchar_t*>(src)) : ZIPRES_ARGUMENTS);
    case ZIPKIND_HANDLE:
        return Zipped(writer->AddHandle(name, static_cast<HANDLE>(src), len));
    case ZIPKIND_MEMORY:
        return Zipped(writer->AddMemory(name, src, len));
    default:
        return Zipped(ZIPRES_ARGUMENTS);
    }
}

ZRESULT ZipSetLevel(HZIP hz, int level)
{
    ZRESULT result;
    ZipWriter* writer = WriterOf(hz, result);
    return Zipped(writer ? writer->SetLevel(level) : result);
}

ZRESULT ZipGetMemory(HZIP hz, void** buf, unsigned long* len)
{
    if (!hz) {
        if (buf) {
            *buf = nullptr;
        }
        if (len) {
            *len = 0;
        }
        return Zipped(ZIPRES_ARGUMENTS);
    }
    ZRESULT result;
    ZipWriter* writer = WriterOf(hz, result);
    if (!writer) {
        return Zipped(result);
    }
    if (!buf || !len) {
        return Zipped(ZIPRES_ARGUMENTS);
    }
    return Zipped(writer->GetMemory(buf, len));
}

ZRESULT CloseZipZ(HZIP hz)
{
    ZRESULT result;
    ZipWriter* writer = WriterOf(hz, result);
    if (!writer) {
        return Zipped(result);
    }
    result = writer->End();
    Registry().Remove(hz);
    return Zipped(result);
}

bool IsZipHandleZ(HZIP hz)
{
    ZRESULT result;
    return WriterOf(hz, result) != nullptr;
}

unsigned int FormatZipMessageZ(ZRESULT code, char* buf, unsigned int len)
{
    return FormatMessageOf(code, g_lastZipResult, buf, len);
}

int AddFolderContent(HZIP hz, const wchar_t* base, const wchar_t* folder)
{
    if (!base) {
        Zipped(ZIPRES_ARGUMENTS);
        return 0;
    }
    const bool named = folder && *folder;
    const std::wstring prefix = named ? std::wstring(folder) + L"\\" : std::wstring();
    const std::wstring directory = std::wstring(base) + (named ? L"\\" + std::wstring(folder) : L"");
    // A folder that is not there gets no entry either.
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Zipped(ZIPRES_OPEN_FILE);
        return 0;
    }
    if (named && ZipAdd(hz, folder, nullptr, 0, ZIPKIND_FOLDER) != ZIPRES_OK) {
        return 0;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        Zipped(ZIPRES_OPEN_FILE);
        return 0;
    }
    bool ok = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring entry = prefix + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = AddFolderContent(hz, base, entry.c_str()) == 1;
        } else {
            const std::wstring source = std::wstring(base) + L"\\" + entry;
            ok = ZipAdd(hz, entry.c_str(), const_cast<wchar_t*>(source.c_str()), 0, ZIPKIND_FILENAME) == ZIPRES_OK;
        }
    } while (ok && FindNextFileW(search, &found));
    const bool listedAll = ok && GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return listedAll ? 1 : 0;
}
