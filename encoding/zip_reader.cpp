#include "encoding/zip_reader.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

#include "encoding/zip_format.h"
#include "encoding/zip_names.h"

namespace encoding {

using namespace zipformat;

namespace {

const size_t kInputChunk = 1 << 14;

struct EndRecord {
    uint64_t position = 0; // of the record in the source
    uint32_t entries = 0;
    uint64_t directorySize = 0;
    uint64_t directoryOffset = 0;
};

// The last end record whose directory fits in front of it.
bool FindEndRecord(ArchiveSource& source, EndRecord& record)
{
    const uint64_t size = source.Size();
    if (size < kEndRecordSize) {
        return false;
    }
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kMaxCommentSize));
    std::vector<unsigned char> tail(tailSize);
    const uint64_t tailStart = size - tailSize;
    if (!source.ReadAt(tailStart, tail.data(), tailSize)) {
        return false;
    }
    for (size_t i = tailSize - kEndRecordSize + 1; i-- > 0;) {
        const unsigned char* p = tail.data() + i;
        if (Read32(p) != kEndSignature) {
            continue;
        }
        const uint16_t disk = Read16(p + 4);
        const uint16_t directoryDisk = Read16(p + 6);
        const uint16_t entriesHere = Read16(p + 8);
        const uint16_t entries = Read16(p + 10);
        const uint32_t directorySize = Read32(p + 12);
        const uint32_t directoryOffset = Read32(p + 16);
        const uint64_t position = tailStart + i;
        if (disk != 0 || directoryDisk != 0 || entriesHere != entries || directorySize > position) {
            continue;
        }
        record = {position, entries, directorySize, directoryOffset};
        return true;
    }
    return false;
}

DWORD AttributesOf(uint16_t madeBy, uint32_t external, const std::wstring& name)
{
    DWORD attributes = 0;
    const uint16_t host = madeBy >> 8;
    if (host == kHostUnix) {
        const uint32_t mode = external >> 16;
        if ((mode & 0170000) == 0040000) {
            attributes |= FILE_ATTRIBUTE_DIRECTORY;
        }
        if (mode != 0 && !(mode & 0200)) {
            attributes |= FILE_ATTRIBUTE_READONLY;
        }
    } else if (host == kHostDos || host == kHostNtfs || host == kHostVfat) {
        attributes = external & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    }
    if (!name.empty() && (name.back() == L'/' || name.back() == L'\\')) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    }
    return attributes;
}

// The data of the extra field with this tag, when the extra data holds one.
bool FindExtraField(const unsigned char* extra, size_t size, uint16_t wanted, const unsigned char*& data,
                    size_t& length)
{
    size_t at = 0;
    while (at + 4 <= size) {
        const uint16_t tag = Read16(extra + at);
        const size_t fieldSize = Read16(extra + at + 2);
        at += 4;
        if (fieldSize > size - at) {
            return false;
        }
        if (tag == wanted) {
            data = extra + at;
            length = fieldSize;
            return true;
        }
        at += fieldSize;
    }
    return false;
}

// The modification time of an extended-timestamp field.
bool ExtendedModificationTime(const unsigned char* extra, size_t size, FILETIME& time)
{
    const unsigned char* field = nullptr;
    size_t length = 0;
    if (!FindExtraField(extra, size, kExtendedTimestampTag, field, length) || length < 5 || !(field[0] & 1)) {
        return false;
    }
    time = UnixToFileTime(Read32(field + 1));
    return true;
}

// Tools that write UTF-8 names without the flag add them in a Unicode-path field, valid while its CRC
// matches the name it stands for.
bool UnicodePathName(const unsigned char* extra, size_t size, const std::string& nameBytes, std::wstring& name)
{
    const unsigned char* field = nullptr;
    size_t length = 0;
    if (!FindExtraField(extra, size, kUnicodePathTag, field, length) || length < 6 || field[0] != 1) {
        return false;
    }
    const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(nameBytes.data()),
                            static_cast<uInt>(nameBytes.size()));
    if (Read32(field + 1) != crc) {
        return false;
    }
    name = zipnames::DecodeEntryName(std::string(reinterpret_cast<const char*>(field + 5), length - 5), true);
    return !name.empty();
}

} // namespace

// The inflate state and input buffer of a reader, made once and reset for every item.
class InflateWorkspace {
public:
    InflateWorkspace() = default;
    ~InflateWorkspace()
    {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    InflateWorkspace(const InflateWorkspace&) = delete;
    InflateWorkspace& operator=(const InflateWorkspace&) = delete;

    // A stream ready for a new item, or null when zlib has no memory for it.
    z_stream* Fresh()
    {
        // Input left over from an abandoned item must not be taken for the new one's.
        m_stream.next_in = nullptr;
        m_stream.avail_in = 0;
        if (!m_ready) {
            m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
            return m_ready ? &m_stream : nullptr;
        }
        return inflateReset(&m_stream) == Z_OK ? &m_stream : nullptr;
    }
    unsigned char* input() { return m_input; }

private:
    z_stream m_stream{};
    bool m_ready = false;
    unsigned char m_input[kInputChunk];
};

// Streams the content of one item out of the archive, checking its size and CRC at the end.
class ItemInflater {
public:
    ItemInflater(ArchiveSource& source, InflateWorkspace& workspace, uint64_t dataStart, const ZipItem& item)
        : m_source(source), m_workspace(workspace), m_next(dataStart), m_remainingIn(item.compressedSize),
          m_expected(item.size), m_expectedCrc(item.crc), m_deflated(item.method == kMethodDeflated)
    {
    }
    ItemInflater(const ItemInflater&) = delete;
    ItemInflater& operator=(const ItemInflater&) = delete;

    ZRESULT Init()
    {
        if (!m_deflated) {
            return m_remainingIn == m_expected ? ZIPRES_OK : ZIPRES_CORRUPT;
        }
        m_stream = m_workspace.Fresh();
        return m_stream ? ZIPRES_OK : ZIPRES_NO_MEMORY;
    }

    // Fills up to room bytes; finished once the whole content is out and checked.
    ZRESULT Read(unsigned char* out, size_t room, size_t& got, bool& finished)
    {
        got = 0;
        finished = false;
        const ZRESULT result = m_deflated ? Inflate(out, room, got) : Copy(out, room, got);
        if (result != ZIPRES_OK) {
            return result;
        }
        m_crc = crc32(m_crc, out, static_cast<uInt>(got));
        m_produced += got;
        if (m_produced > m_expected) {
            return ZIPRES_CORRUPT;
        }
        if (m_produced == m_expected && !m_ended) {
            const ZRESULT ending = m_deflated ? ConfirmEnd() : ZIPRES_OK;
            if (ending != ZIPRES_OK) {
                return ending;
            }
            m_ended = true;
        }
        if (m_ended) {
            if (m_produced != m_expected || m_crc != m_expectedCrc) {
                return ZIPRES_CORRUPT;
            }
            finished = true;
        }
        return ZIPRES_OK;
    }

private:
    ZRESULT Copy(unsigned char* out, size_t room, size_t& got)
    {
        got = static_cast<size_t>(std::min<uint64_t>(room, m_remainingIn));
        if (got > 0 && !m_source.ReadAt(m_next, out, got)) {
            return ZIPRES_CORRUPT;
        }
        m_next += got;
        m_remainingIn -= got;
        m_ended = m_remainingIn == 0;
        return ZIPRES_OK;
    }

    bool Refill()
    {
        if (m_stream->avail_in > 0 || m_remainingIn == 0) {
            return true;
        }
        const size_t take = static_cast<size_t>(std::min<uint64_t>(kInputChunk, m_remainingIn));
        if (!m_source.ReadAt(m_next, m_workspace.input(), take)) {
            return false;
        }
        m_next += take;
        m_remainingIn -= take;
        m_stream->next_in = m_workspace.input();
        m_stream->avail_in = static_cast<uInt>(take);
        return true;
    }

    ZRESULT Inflate(unsigned char* out, size_t room, size_t& got)
    {
        while (got < room && !m_ended) {
            if (!Refill()) {
                return ZIPRES_CORRUPT;
            }
            m_stream->next_out = out + got;
            m_stream->avail_out = static_cast<uInt>(std::min<size_t>(room - got, UINT_MAX));
            const uInt before = m_stream->avail_out;
            const int status = inflate(m_stream, Z_NO_FLUSH);
            got += before - m_stream->avail_out;
            if (status == Z_STREAM_END) {
                m_ended = true;
            } else if (status != Z_OK || (m_stream->avail_in == 0 && m_remainingIn == 0 && m_stream->avail_out > 0)) {
                return ZIPRES_CORRUPT; // bad data, or the data ends inside the stream
            }
        }
        return ZIPRES_OK;
    }

    // All expected bytes are out: the stream must end without giving any more.
    ZRESULT ConfirmEnd()
    {
        unsigned char extra = 0;
        size_t got = 0;
        const ZRESULT result = Inflate(&extra, 1, got);
        return (result != ZIPRES_OK || got > 0 || !m_ended) ? ZIPRES_CORRUPT : ZIPRES_OK;
    }

    ArchiveSource& m_source;
    InflateWorkspace& m_workspace;
    z_stream* m_stream = nullptr;
    uint64_t m_next;
    uint64_t m_remainingIn;
    uint64_t m_expected;
    uint64_t m_produced = 0;
    uint32_t m_expectedCrc;
    uint32_t m_crc = 0;
    bool m_deflated;
    bool m_ended = false;
};

ZipReader::ZipReader(std::unique_ptr<ArchiveSource> source, const std::wstring& baseFolder)
    : m_source(std::move(source)), m_base(baseFolder)
{
}

ZipReader::~ZipReader() = default;

ZRESULT ZipReader::Open(std::unique_ptr<ArchiveSource> source, const std::wstring& baseFolder,
                        std::unique_ptr<ZipReader>& reader)
{
    std::unique_ptr<ZipReader> opened(new ZipReader(std::move(source), baseFolder));
    const ZRESULT result = opened->ReadDirectory();
    if (result == ZIPRES_OK) {
        reader = std::move(opened);
    }
    return result;
}

ZRESULT ZipReader::ReadDirectory()
{
    EndRecord end;
    if (!FindEndRecord(*m_source, end)) {
        return ZIPRES_CORRUPT;
    }
    // Bytes in front of the archive (a program it was appended to) shift every offset.
    const uint64_t directoryStart = end.position - end.directorySize;
    if (end.directoryOffset > directoryStart) {
        return ZIPRES_CORRUPT;
    }
    const uint64_t shift = directoryStart - end.directoryOffset;
    if (uint64_t(end.entries) * kCentralHeaderSize > end.directorySize) {
        return ZIPRES_CORRUPT;
    }
    std::vector<unsigned char> directory(static_cast<size_t>(end.directorySize));
    if (!m_source->ReadAt(directoryStart, directory.data(), directory.size())) {
        return ZIPRES_CORRUPT;
    }
    m_items.reserve(end.entries);
    size_t at = 0;
    for (uint32_t i = 0; i < end.entries; ++i) {
        if (directory.size() - at < kCentralHeaderSize) {
            return ZIPRES_CORRUPT;
        }
        const unsigned char* p = directory.data() + at;
        const size_t nameSize = Read16(p + 28);
        const size_t extraSize = Read16(p + 30);
        const size_t commentSize = Read16(p + 32);
        const size_t recordSize = kCentralHeaderSize + nameSize + extraSize + commentSize;
        if (Read32(p) != kCentralSignature || recordSize > directory.size() - at) {
            return ZIPRES_CORRUPT;
        }
        ZipItem item;
        item.flags = Read16(p + 8);
        item.method = Read16(p + 10);
        item.crc = Read32(p + 16);
        item.compressedSize = Read32(p + 20);
        item.size = Read32(p + 24);
        item.localOffset = Read32(p + 42) + shift;
        const std::string nameBytes(reinterpret_cast<const char*>(p + kCentralHeaderSize), nameSize);
        const unsigned char* extra = p + kCentralHeaderSize + nameSize;
        if (!UnicodePathName(extra, extraSize, nameBytes, item.name)) {
            // Unix tools write UTF-8 names without the flag; elsewhere unflagged names are code page 936.
            const bool unixUtf8 = (Read16(p + 4) >> 8) == kHostUnix && zipnames::IsUtf8(nameBytes);
            item.name = zipnames::DecodeEntryName(nameBytes, (item.flags & kFlagUtf8) != 0 || unixUtf8);
        }
        if (item.name.empty() || item.localOffset + kLocalHeaderSize > directoryStart ||
            item.compressedSize > directoryStart - item.localOffset) {
            return ZIPRES_CORRUPT;
        }
        item.attributes = AttributesOf(Read16(p + 4), Read32(p + 38), item.name);
        item.modified = DosToFileTime(uint32_t(Read16(p + 14)) << 16 | Read16(p + 12));
        ExtendedModificationTime(extra, extraSize, item.modified);
        item.accessed = item.created = item.modified;
        m_items.push_back(std::move(item));
        at += recordSize;
    }
    return ZIPRES_OK;
}

bool ZipReader::Find(const std::wstring& name, bool ignoreCase, int& index) const
{
    std::unordered_map<std::wstring, int>& firstOfName = m_firstOfName[ignoreCase ? 1 : 0];
    if (firstOfName.empty()) {
        firstOfName.reserve(m_items.size());
        for (size_t i = 0; i < m_items.size(); ++i) {
            firstOfName.emplace(zipnames::EntryNameKey(m_items[i].name, ignoreCase), static_cast<int>(i));
        }
    }
    const auto found = firstOfName.find(zipnames::EntryNameKey(name, ignoreCase));
    // The comparison itself has the last word.
    if (found == firstOfName.end() || !zipnames::SameEntryName(m_items[found->second].name, name, ignoreCase)) {
        return false;
    }
    index = found->second;
    return true;
}

ZRESULT ZipReader::StartItem(int index, std::unique_ptr<ItemInflater>& inflater)
{
    const ZipItem& item = Item(index);
    if ((item.flags & kFlagEncrypted) || (item.method != kMethodStored && item.method != kMethodDeflated)) {
        return ZIPRES_CORRUPT; // encrypted or packed in a way this reader does not know
    }
    unsigned char header[kLocalHeaderSize];
    if (!m_source->ReadAt(item.localOffset, header, sizeof(header)) || Read32(header) != kLocalSignature) {
        return ZIPRES_CORRUPT;
    }
    const uint64_t dataStart = item.localOffset + kLocalHeaderSize + Read16(header + 26) + Read16(header + 28);
    if (dataStart > m_source->Size() || item.compressedSize > m_source->Size() - dataStart) {
        return ZIPRES_CORRUPT;
    }
    if (!m_workspace) {
        m_workspace = std::make_unique<InflateWorkspace>();
    }
    inflater = std::make_unique<ItemInflater>(*m_source, *m_workspace, dataStart, item);
    return inflater->Init();
}

ZRESULT ZipReader::RefusePartial(int index)
{
    if (m_partial && m_partialIndex == index) {
        return ZIPRES_PARTIALLY_UNZIPPED;
    }
    m_partial.reset();
    m_partialIndex = -1;
    return ZIPRES_OK;
}

ZRESULT ZipReader::UnzipToMemory(int index, void* block, size_t size)
{
    if (Item(index).IsFolder()) {
        return ZIPRES_OK;
    }
    if (!m_partial || m_partialIndex != index) {
        m_partial.reset();
        const ZRESULT started = StartItem(index, m_partial);
        if (started != ZIPRES_OK) {
            m_partial.reset();
            return started;
        }
        m_partialIndex = index;
    }
    size_t got = 0;
    bool finished = false;
    const ZRESULT result = m_partial->Read(static_cast<unsigned char*>(block), size, got, finished);
    if (result != ZIPRES_OK || finished) {
        m_partial.reset();
        m_partialIndex = -1;
        return result;
    }
    return ZIPRES_MORE_DATA;
}

ZRESULT ZipReader::CopyItem(int index, HANDLE file)
{
    std::unique_ptr<ItemInflater> inflater;
    ZRESULT result = StartItem(index, inflater);
    std::vector<unsigned char> buffer(kInputChunk);
    for (bool finished = false; result == ZIPRES_OK && !finished;) {
        size_t got = 0;
        result = inflater->Read(buffer.data(), buffer.size(), got, finished);
        if (result == ZIPRES_OK && got > 0) {
            result = WriteFully(file, buffer.data(), got);
        }
    }
    return result;
}

ZRESULT ZipReader::UnzipToHandle(int index, HANDLE file)
{
    const ZRESULT refused = RefusePartial(index);
    if (refused != ZIPRES_OK) {
        return refused;
    }
    return Item(index).IsFolder() ? ZIPRES_OK : CopyItem(index, file);
}

ZRESULT ZipReader::UnzipToFile(int index, const std::wstring& fullPath)
{
    const ZRESULT refused = RefusePartial(index);
    if (refused != ZIPRES_OK) {
        return refused;
    }
    const ZipItem& item = Item(index);
    if (item.IsFolder()) {
        return zipnames::CreateFolders(fullPath) ? ZIPRES_OK : ZIPRES_OPEN_FILE;
    }
    const std::wstring parent = zipnames::ParentFolder(fullPath);
    if (!parent.empty() && !zipnames::CreateFolders(parent)) {
        return ZIPRES_OPEN_FILE;
    }
    UniqueHandle file(
        CreateFileW(fullPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return ZIPRES_OPEN_FILE;
    }
    const ZRESULT result = CopyItem(index, file.get());
    if (result != ZIPRES_OK) {
        file.Reset();
        DeleteFileW(fullPath.c_str()); // no half-written file is left behind
        return result;
    }
    SetFileTime(file.get(), &item.created, &item.accessed, &item.modified);
    return ZIPRES_OK;
}

ZRESULT ZipReader::UnzipToFolder(const std::wstring& folder)
{
    const std::wstring root = zipnames::FullPath(m_base, folder);
    if (root.empty() || !zipnames::CreateFolders(root)) {
        return ZIPRES_OPEN_FILE;
    }
    for (int i = 0; i < Count(); ++i) {
        std::wstring target;
        if (!zipnames::IsContainedRelativeName(Item(i).name) || !zipnames::JoinInside(root, Item(i).name, target)) {
            return ZIPRES_CORRUPT;
        }
        const ZRESULT result = UnzipToFile(i, target);
        if (result != ZIPRES_OK) {
            return result;
        }
    }
    return ZIPRES_OK;
}

} // namespace encoding
