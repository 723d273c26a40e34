#pragma once

#include <vector>

#include <util/export.h>

// zlib-format buffer compression and gzip files.

// Compresses len bytes at level 9 into out (zlib format); 1 on success, -1 on failure.
UTIL_API long GZCompress(char* src, int len, std::vector<char>& out);
// Restores GZCompress output into out; 1 on success, -1 for corrupt or truncated input.
UTIL_API long GZUncompress(char* src, int len, std::vector<char>& out);

// Modes of an archive-like object.
enum : int {
    ZIPPER_MODE_CLOSED = 0,
    ZIPPER_MODE_WRITE = 1,
    ZIPPER_MODE_READ = 2,
};

// Base of archive-like objects: mode, compression level and strategy.
class UTIL_API CZipper {
public:
    CZipper() = default;
    CZipper(const CZipper&) = delete;
    CZipper& operator=(const CZipper&) = delete;
    virtual ~CZipper() = default;

    // Records the mode.
    virtual bool Open(int mode);
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool WriteBuffer(void* p, unsigned len) = 0;
    virtual bool WriteString(const wchar_t* s) = 0;
    virtual int ReadBufferSize(void* p, unsigned len) = 0;
    virtual int ReadBuffer(void** out, unsigned& len) = 0;

    void SetCompression(int level);
    int GetCompression() const { return m_iCompressionLevel; }
    void SetStrategy(int strategy);
    int GetStrategy() const { return m_eStrategy; }
    bool IsWriting() const { return m_eArchiveMode == ZIPPER_MODE_WRITE; }
    bool IsReading() const { return m_eArchiveMode == ZIPPER_MODE_READ; }
    static const char* GetVersion();

protected:
    // Applies level and strategy to an open writer.
    virtual void UpdateParams() = 0;

    int m_eArchiveMode = ZIPPER_MODE_CLOSED;
    int m_iCompressionLevel = -1; // zlib's default level
    int m_eStrategy = 0;          // zlib's default strategy
};

// A gzip file, written or read; also decompresses gzip data held in memory.
class UTIL_API CGZip : public CZipper {
public:
    CGZip() = default;
    ~CGZip() override;

    // A gzip stream needs a file: refuses.
    bool Open(int mode) override;
    // Mode 1 creates or truncates path for writing, mode 2 opens an existing file for reading.
    bool Open(const wchar_t* path, int mode);
    bool Close() override;
    bool IsOpen() const override;
    // True at the end of the input, and when nothing is open.
    bool IsEOF() const;

    bool WriteBuffer(void* p, unsigned len) override;
    // The string's 16-bit units as little-endian bytes, without a terminator.
    bool WriteString(const wchar_t* s) override;
    bool Flush(int flush);

    // Up to len decompressed bytes; the count, 0 at the end, -1 on error.
    int ReadBufferSize(void* p, unsigned len) override;
    // The whole remaining content in one block allocated with new char[] (release it with delete[]),
    // and its size. Non-zero when at least one byte was read.
    int ReadBuffer(void** out, unsigned& len) override;
    // The remaining content as 16-bit text with a terminator, allocated with new wchar_t[] (release it
    // with delete[]). Non-zero when at least one byte was read.
    int ReadString(wchar_t** out);

    // Decompresses gzip data held in memory into out; the size of out, 0 for no input, -1 for corrupt
    // or truncated data (out is then empty).
    int UnCompress_Stream(const char* data, unsigned len, std::vector<char>& out);

protected:
    void UpdateParams() override;

private:
    bool ReadAll(std::vector<char>& content);

    void* m_gzFile = nullptr; // the zlib stream, kept opaque to clients
    unsigned long m_lReadChunk = 0;
};
