#include "encoding/zip_storage.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace encoding {
namespace {

const size_t kFileBufferSize = 1 << 16;

bool Seek(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

class MemorySource : public ArchiveSource {
public:
    MemorySource(const void* data, size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override
    {
        if (offset > m_size || size > m_size - offset) {
            return false;
        }
        std::memcpy(buffer, m_data + offset, size);
        return true;
    }

private:
    const unsigned char* m_data;
    size_t m_size;
};

class FileSource : public ArchiveSource {
public:
    FileSource(UniqueHandle file, uint64_t start, uint64_t size) : m_file(std::move(file)), m_start(start), m_size(size)
    {
    }
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override
    {
        if (offset > m_size || size > m_size - offset || !Seek(m_file.get(), m_start + offset)) {
            return false;
        }
        size_t got = 0;
        return ReadFully(m_file.get(), buffer, size, got) == ZIPRES_OK && got == size;
    }

private:
    UniqueHandle m_file;
    uint64_t m_start;
    uint64_t m_size;
};

// Releases a block of its own; the caller's block stays the caller's.
class MemorySink : public ArchiveSink {
public:
    MemorySink(unsigned char* block, size_t capacity, bool owned) : m_block(block), m_capacity(capacity), m_owned(owned)
    {
    }
    ~MemorySink() override
    {
        if (m_owned) {
            VirtualFree(m_block, 0, MEM_RELEASE);
        }
    }
    MemorySink(const MemorySink&) = delete;
    MemorySink& operator=(const MemorySink&) = delete;

    ZRESULT Write(const void* data, size_t size) override
    {
        if (size > m_capacity - m_used) {
            return ZIPRES_MEMORY_FULL;
        }
        std::memcpy(m_block + m_used, data, size);
        m_used += size;
        return ZIPRES_OK;
    }
    uint64_t Position() const override { return m_used; }
    bool CanRewrite() const override { return true; }
    ZRESULT Rewrite(uint64_t offset, const void* data, size_t size) override
    {
        if (offset > m_used || size > m_used - offset) {
            return ZIPRES_NOT_INITIALISED;
        }
        std::memcpy(m_block + offset, data, size);
        return ZIPRES_OK;
    }
    ZRESULT Finish() override { return ZIPRES_OK; }
    void* Memory() override { return m_block; }

private:
    unsigned char* m_block;
    size_t m_capacity;
    size_t m_used = 0;
    bool m_owned;
};

// Buffers writes; files and disk handles can be rewritten, pipes cannot.
class FileSink : public ArchiveSink {
public:
    explicit FileSink(UniqueHandle file) : m_file(std::move(file)), m_seekable(IsDiskFile(m_file.get()))
    {
        m_buffer.reserve(kFileBufferSize);
        if (m_seekable) {
            LARGE_INTEGER here{};
            LARGE_INTEGER zero{};
            SetFilePointerEx(m_file.get(), zero, &here, FILE_CURRENT);
            m_start = static_cast<uint64_t>(here.QuadPart);
        }
    }

    ZRESULT Write(const void* data, size_t size) override
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        if (m_buffer.size() + size > kFileBufferSize) {
            const ZRESULT flushed = Flush();
            if (flushed != ZIPRES_OK) {
                return flushed;
            }
            if (size >= kFileBufferSize) {
                m_written += size;
                return WriteFully(m_file.get(), bytes, size);
            }
        }
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
        return ZIPRES_OK;
    }
    uint64_t Position() const override { return m_written + m_buffer.size(); }
    bool CanRewrite() const override { return m_seekable; }
    ZRESULT Rewrite(uint64_t offset, const void* data, size_t size) override
    {
        if (!m_seekable) {
            return ZIPRES_UNSEEKABLE;
        }
        if (offset >= m_written) { // still in the buffer
            const size_t at = static_cast<size_t>(offset - m_written);
            if (at + size > m_buffer.size()) {
                return ZIPRES_NOT_INITIALISED;
            }
            std::memcpy(m_buffer.data() + at, data, size);
            return ZIPRES_OK;
        }
        if (offset + size > m_written) {
            const ZRESULT flushed = Flush();
            if (flushed != ZIPRES_OK) {
                return flushed;
            }
        }
        if (!Seek(m_file.get(), m_start + offset)) {
            return ZIPRES_UNSEEKABLE;
        }
        const ZRESULT written = WriteFully(m_file.get(), data, size);
        if (!Seek(m_file.get(), m_start + m_written)) {
            return ZIPRES_UNSEEKABLE;
        }
        return written;
    }
    ZRESULT Finish() override
    {
        const ZRESULT flushed = Flush();
        if (flushed == ZIPRES_OK && m_seekable) {
            SetEndOfFile(m_file.get()); // an older, longer file of the same name must not trail behind
        }
        return flushed;
    }
    void* Memory() override { return nullptr; }

private:
    ZRESULT Flush()
    {
        const ZRESULT result = WriteFully(m_file.get(), m_buffer.data(), m_buffer.size());
        m_written += m_buffer.size();
        m_buffer.clear();
        return result;
    }

    UniqueHandle m_file;
    bool m_seekable;
    uint64_t m_start = 0;
    uint64_t m_written = 0;
    std::vector<unsigned char> m_buffer;
};

} // namespace

void UniqueHandle::Reset(HANDLE handle)
{
    if (valid()) {
        CloseHandle(m_handle);
    }
    m_handle = handle;
}

ZRESULT DuplicateFileHandle(HANDLE handle, UniqueHandle& copy)
{
    HANDLE duplicate = nullptr;
    if (!handle || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &duplicate, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return ZIPRES_DUPLICATE_HANDLE;
    }
    copy.Reset(duplicate);
    return ZIPRES_OK;
}

bool IsDiskFile(HANDLE handle)
{
    return GetFileType(handle) == FILE_TYPE_DISK;
}

std::unique_ptr<ArchiveSource> MakeMemorySource(const void* data, size_t size)
{
    return std::make_unique<MemorySource>(data, size);
}

ZRESULT MakeFileSource(UniqueHandle file, std::unique_ptr<ArchiveSource>& source)
{
    if (!IsDiskFile(file.get())) {
        return ZIPRES_UNSEEKABLE;
    }
    LARGE_INTEGER zero{}, here{}, size{};
    if (!SetFilePointerEx(file.get(), zero, &here, FILE_CURRENT) || !GetFileSizeEx(file.get(), &size)) {
        return ZIPRES_READ;
    }
    const uint64_t start = static_cast<uint64_t>(here.QuadPart);
    const uint64_t end = static_cast<uint64_t>(size.QuadPart);
    source = std::make_unique<FileSource>(std::move(file), start, end > start ? end - start : 0);
    return ZIPRES_OK;
}

ZRESULT MakeMemorySink(void* block, size_t capacity, std::unique_ptr<ArchiveSink>& sink)
{
    if (capacity == 0) {
        return ZIPRES_ARGUMENTS;
    }
    bool owned = false;
    if (!block) {
        block = VirtualAlloc(nullptr, capacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!block) {
            return ZIPRES_NO_MEMORY;
        }
        owned = true;
    }
    sink = std::make_unique<MemorySink>(static_cast<unsigned char*>(block), capacity, owned);
    return ZIPRES_OK;
}

std::unique_ptr<ArchiveSink> MakeFileSink(UniqueHandle file)
{
    return std::make_unique<FileSink>(std::move(file));
}

ZRESULT ReadFully(HANDLE file, void* buffer, size_t size, size_t& got)
{
    got = 0;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    while (got < size) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size - got, 1u << 30));
        if (!ReadFile(file, bytes + got, wanted, &read, nullptr)) {
            return GetLastError() == ERROR_BROKEN_PIPE ? ZIPRES_OK : ZIPRES_READ; // a closed pipe is its end
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    return ZIPRES_OK;
}

ZRESULT WriteFully(HANDLE file, const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
            return ZIPRES_WRITE;
        }
        bytes += written;
        size -= written;
    }
    return ZIPRES_OK;
}

} // namespace encoding
