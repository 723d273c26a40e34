#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "encoding/zip_storage.h"

namespace encoding {

struct ZipItem {
    std::wstring name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0; // from the start of the source
    DWORD attributes = 0;
    FILETIME accessed{}, created{}, modified{};

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

class ItemInflater;
class InflateWorkspace;

// Reads an archive through its central directory. Every offset and length taken from the archive is
// checked against the archive's size before it is used.
class ZipReader {
public:
    static ZRESULT Open(std::unique_ptr<ArchiveSource> source, const std::wstring& baseFolder,
                        std::unique_ptr<ZipReader>& reader);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    int Count() const { return static_cast<int>(m_items.size()); }
    const ZipItem& Item(int index) const { return m_items[static_cast<size_t>(index)]; }
    bool Find(const std::wstring& name, bool ignoreCase, int& index) const;
    const std::wstring& BaseFolder() const { return m_base; }

    // Fills the block; ZIPRES_MORE_DATA while more remains, and the next call for the same item goes on.
    ZRESULT UnzipToMemory(int index, void* block, size_t size);
    ZRESULT UnzipToHandle(int index, HANDLE file);
    // fullPath is where the item goes, already checked by the caller.
    ZRESULT UnzipToFile(int index, const std::wstring& fullPath);
    ZRESULT UnzipToFolder(const std::wstring& folder);

private:
    explicit ZipReader(std::unique_ptr<ArchiveSource> source, const std::wstring& baseFolder);
    ZRESULT ReadDirectory();
    ZRESULT StartItem(int index, std::unique_ptr<ItemInflater>& inflater);
    ZRESULT RefusePartial(int index);
    ZRESULT CopyItem(int index, HANDLE file);

    std::unique_ptr<ArchiveSource> m_source;
    std::wstring m_base;
    std::vector<ZipItem> m_items;
    // The first item of each name key, exact and ignoring case, built at the first look-up of its kind
    // so that look-ups do not grow with the archive.
    mutable std::unordered_map<std::wstring, int> m_firstOfName[2];
    std::unique_ptr<InflateWorkspace> m_workspace; // shared by the items, one at a time
    std::unique_ptr<ItemInflater> m_partial;       // an item being unpacked into memory piece by piece
    int m_partialIndex = -1;
};

} // namespace encoding
