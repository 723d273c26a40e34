#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include <util/zip.h>

// Where archives are read from and written to: memory blocks and files.
namespace encoding {

// Owns a file handle.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = nullptr);
    HANDLE Release()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
};

// A copy of the caller's handle that the archive may keep; ZIPRES_DUPLICATE_HANDLE on failure.
ZRESULT DuplicateFileHandle(HANDLE handle, UniqueHandle& copy);
bool IsDiskFile(HANDLE handle);

// Random access to the bytes of an archive.
class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; false when they are not all there.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

std::unique_ptr<ArchiveSource> MakeMemorySource(const void* data, size_t size);
// The archive starts at the handle's current position.
ZRESULT MakeFileSource(UniqueHandle file, std::unique_ptr<ArchiveSource>& source);

// Sequential output of an archive; seekable ones let earlier bytes be rewritten.
class ArchiveSink {
public:
    virtual ~ArchiveSink() = default;
    virtual ZRESULT Write(const void* data, size_t size) = 0;
    virtual uint64_t Position() const = 0;
    virtual bool CanRewrite() const = 0;
    virtual ZRESULT Rewrite(uint64_t offset, const void* data, size_t size) = 0;
    virtual ZRESULT Finish() = 0;
    // The block of a memory archive; null for the others.
    virtual void* Memory() = 0;
};

// The caller's block when block is not null, else a block of its own.
ZRESULT MakeMemorySink(void* block, size_t capacity, std::unique_ptr<ArchiveSink>& sink);
std::unique_ptr<ArchiveSink> MakeFileSink(UniqueHandle file);

// Reads a file handle sequentially (whole reads, ZIPRES_READ on failure).
ZRESULT ReadFully(HANDLE file, void* buffer, size_t size, size_t& got);
ZRESULT WriteFully(HANDLE file, const void* data, size_t size);

} // namespace encoding
