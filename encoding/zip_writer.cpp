#include "encoding/zip_writer.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <zlib.h>

#include "encoding/zip_format.h"

namespace encoding {

using namespace zipformat;

namespace {

const size_t kChunk = 1 << 16;
const size_t kMaxEntries = 0xFFFF;
const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

FILETIME Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

std::string TimestampExtra(const FILETIME& modified)
{
    std::string extra;
    Append16(extra, kExtendedTimestampTag);
    Append16(extra, 5);
    extra += '\x01'; // the modification time follows
    Append32(extra, FileTimeToUnix(modified));
    return extra;
}

} // namespace

// The bytes of one entry, read once from start to end.
class EntryContent {
public:
    virtual ~EntryContent() = default;
    virtual ZRESULT Read(unsigned char* buffer, size_t room, size_t& got) = 0;
    // The size when it is known before reading; ZipWriter checks that the content keeps to it.
    virtual bool KnownSize(uint64_t& size) const = 0;
};

namespace {

class MemoryContent : public EntryContent {
public:
    MemoryContent(const void* data, size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    ZRESULT Read(unsigned char* buffer, size_t room, size_t& got) override
    {
        got = std::min(room, m_size - m_at);
        std::memcpy(buffer, m_data + m_at, got);
        m_at += got;
        return ZIPRES_OK;
    }
    bool KnownSize(uint64_t& size) const override
    {
        size = m_size;
        return true;
    }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// length 0 with an unknown size reads to the end of the handle.
class HandleContent : public EntryContent {
public:
    HandleContent(HANDLE file, uint64_t length, bool lengthKnown)
        : m_file(file), m_remaining(length), m_known(lengthKnown)
    {
    }
    ZRESULT Read(unsigned char* buffer, size_t room, size_t& got) override
    {
        if (m_known) {
            room = static_cast<size_t>(std::min<uint64_t>(room, m_remaining));
        }
        const ZRESULT result = ReadFully(m_file, buffer, room, got);
        if (result == ZIPRES_OK && m_known) {
            if (got < room) {
                return ZIPRES_SIZE_CHANGED; // the content ended before its announced size
            }
            m_remaining -= got;
        }
        return result;
    }
    bool KnownSize(uint64_t& size) const override
    {
        size = m_remaining;
        return m_known;
    }

private:
    HANDLE m_file;
    uint64_t m_remaining;
    bool m_known;
};

} // namespace

struct ZipWriter::DeflateState {
    z_stream stream{};
    bool ready = false;
    int level = Z_DEFAULT_COMPRESSION;
    ~DeflateState()
    {
        if (ready) {
            deflateEnd(&stream);
        }
    }
};

ZipWriter::ZipWriter(std::unique_ptr<ArchiveSink> sink)
    : m_sink(std::move(sink)), m_input(kChunk), m_buffer(kChunk), m_deflate(std::make_unique<DeflateState>())
{
}

ZipWriter::~ZipWriter() = default;

ZRESULT ZipWriter::CheckOpen() const
{
    if (m_ended) {
        return ZIPRES_ENDED;
    }
    if (m_failed) {
        return ZIPRES_PREVIOUS_ERROR;
    }
    return m_records.size() >= kMaxEntries ? ZIPRES_ARGUMENTS : ZIPRES_OK;
}

ZRESULT ZipWriter::Fail(ZRESULT result)
{
    m_failed = true;
    return result;
}

ZRESULT ZipWriter::PrepareName(const std::wstring& name, bool folder, EntryInfo& info) const
{
    std::wstring text = name;
    if (folder && !text.empty() && text.back() != L'/' && text.back() != L'\\') {
        text += L'/';
    }
    return zipnames::EncodeEntryName(text, info.name) ? ZIPRES_OK : ZIPRES_ARGUMENTS;
}

ZRESULT ZipWriter::StartEntry(const std::wstring& name, bool folder, EntryInfo& info) const
{
    const ZRESULT result = CheckOpen();
    return result == ZIPRES_OK ? PrepareName(name, folder, info) : result;
}

ZRESULT ZipWriter::AddFolder(const std::wstring& name)
{
    EntryInfo info;
    const ZRESULT result = StartEntry(name, true, info);
    if (result != ZIPRES_OK) {
        return result;
    }
    info.modified = Now();
    info.attributes = FILE_ATTRIBUTE_DIRECTORY;
    return WriteEntry(info, false, nullptr);
}

ZRESULT ZipWriter::AddFile(const std::wstring& name, const std::wstring& path)
{
    EntryInfo info;
    const ZRESULT result = StartEntry(name, false, info);
    if (result != ZIPRES_OK) {
        return result;
    }
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Not GetFileInformationByHandle: it also asks for the volume, which costs milliseconds a file on
    // some systems, and a folder of files pays it for each.
    FILE_BASIC_INFO basic;
    if (!file.valid() || !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof(basic))) {
        return ZIPRES_OPEN_FILE;
    }
    if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return ZIPRES_ARGUMENTS;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        return ZIPRES_OPEN_FILE;
    }
    info.modified.dwLowDateTime = basic.LastWriteTime.LowPart;
    info.modified.dwHighDateTime = static_cast<DWORD>(basic.LastWriteTime.HighPart);
    info.attributes = (basic.FileAttributes & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    HandleContent content(file.get(), static_cast<uint64_t>(size.QuadPart), true);
    return WriteContent(info, content);
}

ZRESULT ZipWriter::AddHandle(const std::wstring& name, HANDLE file, uint64_t length)
{
    EntryInfo info;
    const ZRESULT result = StartEntry(name, false, info);
    if (result != ZIPRES_OK) {
        return result;
    }
    if (!file || file == INVALID_HANDLE_VALUE) {
        return ZIPRES_ARGUMENTS;
    }
    FILETIME created, accessed;
    if (!IsDiskFile(file) || !GetFileTime(file, &created, &accessed, &info.modified)) {
        info.modified = Now();
    }
    info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    HandleContent content(file, length, length > 0);
    return WriteContent(info, content);
}

ZRESULT ZipWriter::AddMemory(const std::wstring& name, const void* data, size_t size)
{
    EntryInfo info;
    const ZRESULT result = StartEntry(name, false, info);
    if (result != ZIPRES_OK) {
        return result;
    }
    if (!data && size > 0) {
        return ZIPRES_ARGUMENTS;
    }
    info.modified = Now();
    info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    MemoryContent content(data, size);
    return WriteContent(info, content);
}

ZRESULT ZipWriter::AddDeflated(const std::wstring& name, const void* data, size_t deflatedSize, uint32_t crc,
                               uint64_t size)
{
    EntryInfo info;
    const ZRESULT result = StartEntry(name, false, info);
    if (result != ZIPRES_OK) {
        return result;
    }
    if ((!data && deflatedSize > 0) || deflatedSize > 0xFFFFFFFFull || size > 0xFFFFFFFFull) {
        return ZIPRES_ARGUMENTS;
    }
    info.modified = Now();
    info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    return WriteEntry(info, true, [&](CentralRecord& record) {
        record.crc = crc;
        record.size = static_cast<uint32_t>(size);
        record.compressedSize = static_cast<uint32_t>(deflatedSize);
        return m_sink->Write(data, deflatedSize);
    });
}

// The fields that the local and the central header of an entry share, from "version needed" to the
// length of the extra field.
void ZipWriter::AppendSharedFields(std::string& header, const CentralRecord& record, size_t extraSize)
{
    const uint32_t dos = FileTimeToDos(record.info.modified);
    Append16(header, kVersionNeeded);
    Append16(header, record.flags);
    Append16(header, record.method);
    Append16(header, dos & 0xFFFF);
    Append16(header, dos >> 16);
    Append32(header, record.crc);
    Append32(header, record.compressedSize);
    Append32(header, record.size);
    Append16(header, static_cast<uint32_t>(record.info.name.bytes.size()));
    Append16(header, static_cast<uint32_t>(extraSize));
}

std::string ZipWriter::LocalHeader(const CentralRecord& record) const
{
    std::string header;
    const std::string extra = TimestampExtra(record.info.modified);
    Append32(header, kLocalSignature);
    AppendSharedFields(header, record, extra.size());
    return header + record.info.name.bytes + extra;
}

std::string ZipWriter::CentralHeader(const CentralRecord& record) const
{
    std::string header;
    const std::string extra = TimestampExtra(record.info.modified);
    Append32(header, kCentralSignature);
    Append16(header, kHostDos << 8 | kVersionMadeBy);
    AppendSharedFields(header, record, extra.size());
    Append16(header, 0); // comment
    Append16(header, 0); // disk
    Append16(header, 0); // internal attributes
    Append32(header, record.info.attributes);
    Append32(header, record.localOffset);
    return header + record.info.name.bytes + extra;
}

ZRESULT ZipWriter::WriteContent(const EntryInfo& info, EntryContent& content)
{
    uint64_t knownSize = 0;
    const bool empty = content.KnownSize(knownSize) && knownSize == 0;
    return WriteEntry(info, !empty, [&](CentralRecord& record) { return DeflateContent(content, record); });
}

ZRESULT ZipWriter::WriteEntry(const EntryInfo& info, bool packed, const DataWriter& writeData)
{
    const uint64_t offset = m_sink->Position();
    if (offset > 0xFFFFFFFFull) {
        return ZIPRES_ARGUMENTS; // beyond what the format's 32-bit offsets reach
    }
    CentralRecord record;
    record.info = info;
    record.localOffset = static_cast<uint32_t>(offset);
    if (info.name.utf8) {
        record.flags |= kFlagUtf8;
    }
    if (packed) {
        record.method = kMethodDeflated;
        if (!m_sink->CanRewrite()) {
            record.flags |= kFlagDescriptor;
        }
    }
    const std::string header = LocalHeader(record);
    ZRESULT result = m_sink->Write(header.data(), header.size());
    if (result == ZIPRES_OK && packed) {
        result = writeData(record);
    }
    if (result == ZIPRES_OK && packed) {
        if (record.flags & kFlagDescriptor) {
            std::string descriptor;
            Append32(descriptor, kDescriptorSignature);
            Append32(descriptor, record.crc);
            Append32(descriptor, record.compressedSize);
            Append32(descriptor, record.size);
            result = m_sink->Write(descriptor.data(), descriptor.size());
        } else {
            const std::string finalHeader = LocalHeader(record);
            result = m_sink->Rewrite(offset, finalHeader.data(), finalHeader.size());
        }
    }
    if (result != ZIPRES_OK) {
        return Fail(result);
    }
    m_records.push_back(record);
    return ZIPRES_OK;
}

ZRESULT ZipWriter::DeflateContent(EntryContent& content, CentralRecord& record)
{
    z_stream& stream = m_deflate->stream;
    if (!m_deflate->ready) {
        if (deflateInit2(&stream, m_level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            return ZIPRES_NO_MEMORY;
        }
        m_deflate->ready = true;
        m_deflate->level = m_level;
    } else if (deflateReset(&stream) != Z_OK) {
        return ZIPRES_FLATION;
    }
    // A reset stream has taken no input yet, so its level changes without flushing anything.
    if (m_deflate->level != m_level) {
        if (deflateParams(&stream, m_level, Z_DEFAULT_STRATEGY) != Z_OK) {
            return ZIPRES_FLATION;
        }
        m_deflate->level = m_level;
    }
    std::vector<unsigned char>& input = m_input;
    uint64_t size = 0, compressedSize = 0;
    uLong crc = crc32(0, nullptr, 0);
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        size_t got = 0;
        const ZRESULT read = content.Read(input.data(), input.size(), got);
        if (read != ZIPRES_OK) {
            return read;
        }
        uint64_t expected = 0;
        flush = (got < input.size() || (content.KnownSize(expected) && expected == 0)) ? Z_FINISH : Z_NO_FLUSH;
        crc = crc32(crc, input.data(), static_cast<uInt>(got));
        size += got;
        stream.next_in = input.data();
        stream.avail_in = static_cast<uInt>(got);
        do {
            stream.next_out = m_buffer.data();
            stream.avail_out = static_cast<uInt>(m_buffer.size());
            const int status = deflate(&stream, flush);
            if (status == Z_STREAM_ERROR) {
                return ZIPRES_FLATION;
            }
            const size_t produced = m_buffer.size() - stream.avail_out;
            compressedSize += produced;
            const ZRESULT written = m_sink->Write(m_buffer.data(), produced);
            if (written != ZIPRES_OK) {
                return written;
            }
        } while (stream.avail_out == 0);
    }
    if (size > 0xFFFFFFFFull || compressedSize > 0xFFFFFFFFull) {
        return ZIPRES_ARGUMENTS;
    }
    record.crc = static_cast<uint32_t>(crc);
    record.size = static_cast<uint32_t>(size);
    record.compressedSize = static_cast<uint32_t>(compressedSize);
    return ZIPRES_OK;
}

ZRESULT ZipWriter::SetLevel(int level)
{
    if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION) {
        return ZIPRES_ARGUMENTS;
    }
    m_level = level;
    return ZIPRES_OK;
}

ZRESULT ZipWriter::End()
{
    if (m_ended) {
        return ZIPRES_OK;
    }
    if (m_failed) {
        return ZIPRES_PREVIOUS_ERROR;
    }
    const uint64_t start = m_sink->Position();
    std::string directory;
    for (const CentralRecord& record : m_records) {
        directory += CentralHeader(record);
    }
    if (start > 0xFFFFFFFFull || directory.size() > 0xFFFFFFFFull) {
        return Fail(ZIPRES_ARGUMENTS);
    }
    const size_t directorySize = directory.size();
    Append32(directory, kEndSignature);
    Append16(directory, 0);
    Append16(directory, 0);
    Append16(directory, static_cast<uint32_t>(m_records.size()));
    Append16(directory, static_cast<uint32_t>(m_records.size()));
    Append32(directory, static_cast<uint32_t>(directorySize));
    Append32(directory, static_cast<uint32_t>(start));
    Append16(directory, 0);
    ZRESULT result = m_sink->Write(directory.data(), directory.size());
    if (result == ZIPRES_OK) {
        result = m_sink->Finish();
    }
    if (result != ZIPRES_OK) {
        return Fail(result);
    }
    m_ended = true;
    return ZIPRES_OK;
}

ZRESULT ZipWriter::GetMemory(void** block, unsigned long* used)
{
    if (!IsMemory()) {
        return ZIPRES_NOT_MEMORY_ZIP;
    }
    const ZRESULT result = End();
    if (result != ZIPRES_OK) {
        return result;
    }
    *block = m_sink->Memory();
    *used = static_cast<unsigned long>(m_sink->Position());
    return ZIPRES_OK;
}

} // namespace encoding
