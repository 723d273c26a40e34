#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encoding/zip_names.h"
#include "encoding/zip_storage.h"

namespace encoding {

class EntryContent;

// Writes an archive entry by entry: local header, deflated data, and at the end the central
// directory. Sizes and CRC go back into the local header where the output can be rewritten, and into a
// data descriptor where it cannot (a pipe).
class ZipWriter {
public:
    explicit ZipWriter(std::unique_ptr<ArchiveSink> sink);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    ZRESULT AddFolder(const std::wstring& name);
    ZRESULT AddFile(const std::wstring& name, const std::wstring& path);
    // length bytes of the handle, or everything up to its end when length is 0.
    ZRESULT AddHandle(const std::wstring& name, HANDLE file, uint64_t length);
    ZRESULT AddMemory(const std::wstring& name, const void* data, size_t size);
    // An entry its caller deflated already: deflatedSize bytes of raw deflate data that inflate to
    // size bytes whose CRC-32 is crc.
    ZRESULT AddDeflated(const std::wstring& name, const void* data, size_t deflatedSize, uint32_t crc, uint64_t size);
    // The deflate level (-1, the default, or 0 to 9) of the entries added from now on.
    ZRESULT SetLevel(int level);
    // Writes the central directory; later additions answer ZIPRES_ENDED.
    ZRESULT End();
    bool IsMemory() { return m_sink->Memory() != nullptr; }
    // Ends a memory archive and hands back its block and the bytes used.
    ZRESULT GetMemory(void** block, unsigned long* used);

private:
    struct EntryInfo {
        zipnames::StoredName name;
        FILETIME modified{};
        DWORD attributes = 0;
    };
    struct CentralRecord {
        EntryInfo info;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint32_t compressedSize = 0;
        uint32_t size = 0;
        uint32_t localOffset = 0;
    };

    // Writes an entry's data after its local header, filling in CRC and sizes.
    using DataWriter = std::function<ZRESULT(CentralRecord& record)>;

    ZRESULT CheckOpen() const;
    ZRESULT PrepareName(const std::wstring& name, bool folder, EntryInfo& info) const;
    ZRESULT StartEntry(const std::wstring& name, bool folder, EntryInfo& info) const;
    ZRESULT WriteContent(const EntryInfo& info, EntryContent& content);
    ZRESULT WriteEntry(const EntryInfo& info, bool packed, const DataWriter& writeData);
    ZRESULT DeflateContent(EntryContent& content, CentralRecord& record);
    static void AppendSharedFields(std::string& header, const CentralRecord& record, size_t extraSize);
    std::string LocalHeader(const CentralRecord& record) const;
    std::string CentralHeader(const CentralRecord& record) const;
    // Marks the archive unusable after a failure that left part of an entry behind.
    ZRESULT Fail(ZRESULT result);

    std::unique_ptr<ArchiveSink> m_sink;
    std::vector<CentralRecord> m_records;
    std::vector<unsigned char> m_input;  // content read for deflating
    std::vector<unsigned char> m_buffer; // deflated output
    bool m_ended = false;
    bool m_failed = false;
    int m_level = -1;
    struct DeflateState;
    std::unique_ptr<DeflateState> m_deflate;
};

} // namespace encoding
