#include <util/gzip.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <climits>
#include <cwchar>

#include <zlib.h>

#include "encoding/inflate_stream.h"

namespace {

const unsigned char kGzipMagic[2] = {0x1F, 0x8B};
const unsigned kMaxReadChunk = 1u << 20;

gzFile Stream(void* handle)
{
    return static_cast<gzFile>(handle);
}

// gzread reports a file that ends inside the stream only through the error state, as the end.
int ReadChecked(gzFile file, void* buffer, unsigned size)
{
    const int read = gzread(file, buffer, size);
    int error = Z_OK;
    if (read == 0) {
        gzerror(file, &error);
    }
    return error == Z_OK ? read : -1;
}

bool StartsGzipMember(const unsigned char* data, size_t size)
{
    return size >= 2 && data[0] == kGzipMagic[0] && data[1] == kGzipMagic[1];
}

} // namespace

bool CZipper::Open(int mode)
{
    m_eArchiveMode = mode;
    return true;
}

void CZipper::SetCompression(int level)
{
    m_iCompressionLevel = level;
    UpdateParams();
}

void CZipper::SetStrategy(int strategy)
{
    m_eStrategy = strategy;
    UpdateParams();
}

const char* CZipper::GetVersion()
{
    return "1.1.4";
}

CGZip::~CGZip()
{
    Close();
}

bool CGZip::Open(int)
{
    return false;
}

bool CGZip::Open(const wchar_t* path, int mode)
{
    if (IsOpen() || !path) {
        return false;
    }
    if (mode == ZIPPER_MODE_WRITE) {
        m_gzFile = gzopen_w(path, "wb");
        if (m_gzFile) {
            m_eArchiveMode = mode;
            UpdateParams();
        }
    } else if (mode == ZIPPER_MODE_READ) {
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (!GetFileAttributesExW(path, GetFileExInfoStandard, &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return false;
        }
        m_gzFile = gzopen_w(path, "rb");
        if (m_gzFile) {
            m_eArchiveMode = mode;
            m_lReadChunk = info.nFileSizeHigh ? ULONG_MAX : info.nFileSizeLow;
        }
    }
    return m_gzFile != nullptr;
}

bool CGZip::Close()
{
    if (!m_gzFile) {
        return false;
    }
    const bool clean = gzclose(Stream(m_gzFile)) == Z_OK;
    m_gzFile = nullptr;
    m_eArchiveMode = ZIPPER_MODE_CLOSED;
    m_lReadChunk = 0;
    return clean;
}

bool CGZip::IsOpen() const
{
    return m_gzFile != nullptr;
}

bool CGZip::IsEOF() const
{
    return !m_gzFile || gzeof(Stream(m_gzFile));
}

bool CGZip::WriteBuffer(void* p, unsigned len)
{
    if (!IsWriting() || !m_gzFile || (!p && len > 0)) {
        return false;
    }
    return len == 0 || gzwrite(Stream(m_gzFile), p, len) == static_cast<int>(len);
}

bool CGZip::WriteString(const wchar_t* s)
{
    if (!s) {
        return false;
    }
    const size_t bytes = std::wcslen(s) * sizeof(wchar_t);
    return bytes <= INT_MAX && WriteBuffer(const_cast<wchar_t*>(s), static_cast<unsigned>(bytes));
}

bool CGZip::Flush(int flush)
{
    return IsWriting() && m_gzFile && gzflush(Stream(m_gzFile), flush) == Z_OK;
}

int CGZip::ReadBufferSize(void* p, unsigned len)
{
    if (!IsReading() || !m_gzFile || !p || len > INT_MAX) {
        return -1;
    }
    return ReadChecked(Stream(m_gzFile), p, len);
}

bool CGZip::ReadAll(std::vector<char>& content)
{
    content.clear();
    if (!IsReading() || !m_gzFile || m_lReadChunk == 0) {
        return false;
    }
    // A valid file cannot inflate to more than this; a larger result means a corrupt file.
    const uint64_t limit = encoding::MaxInflatedSize(m_lReadChunk);
    const unsigned chunk = static_cast<unsigned>(std::min<unsigned long>(m_lReadChunk, kMaxReadChunk));
    for (;;) {
        const size_t used = content.size();
        content.resize(used + chunk);
        const int read = ReadChecked(Stream(m_gzFile), content.data() + used, chunk);
        if (read < 0 || used + static_cast<size_t>(read) > limit) {
            content.clear();
            return false;
        }
        content.resize(used + static_cast<size_t>(read));
        if (read == 0) {
            return !content.empty();
        }
    }
}

int CGZip::ReadBuffer(void** out, unsigned& len)
{
    if (!out) {
        return 0;
    }
    *out = nullptr;
    len = 0;
    std::vector<char> content;
    if (!ReadAll(content) || content.size() > UINT_MAX) {
        return 0;
    }
    char* block = new char[content.size()];
    std::memcpy(block, content.data(), content.size());
    *out = block;
    len = static_cast<unsigned>(content.size());
    return 1;
}

int CGZip::ReadString(wchar_t** out)
{
    if (!out) {
        return 0;
    }
    *out = nullptr;
    std::vector<char> content;
    if (!ReadAll(content)) {
        return 0;
    }
    const size_t characters = content.size() / sizeof(wchar_t);
    wchar_t* text = new wchar_t[characters + 1];
    std::memcpy(text, content.data(), characters * sizeof(wchar_t));
    text[characters] = L'\0';
    *out = text;
    return 1;
}

int CGZip::UnCompress_Stream(const char* data, unsigned len, std::vector<char>& out)
{
    out.clear();
    if (!data || len == 0) {
        return 0;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t offset = 0;
    if (!StartsGzipMember(bytes, len)) {
        // As when reading a gzip file, data without the gzip signature is taken as it stands.
        out.assign(data, data + len);
    }
    // Members follow one another; anything after the last one that is not a member is ignored.
    while (offset < len && StartsGzipMember(bytes + offset, len - offset)) {
        const encoding::InflateOutcome outcome =
            encoding::InflateAppend(bytes + offset, len - offset, 16 + MAX_WBITS, out, uint64_t(len) * 3);
        if (!outcome.complete) {
            out.clear();
            return -1;
        }
        offset += outcome.consumed;
    }
    if (out.size() > INT_MAX) {
        out.clear();
        return -1;
    }
    return static_cast<int>(out.size());
}

void CGZip::UpdateParams()
{
    if (IsWriting() && m_gzFile) {
        gzsetparams(Stream(m_gzFile), m_iCompressionLevel, m_eStrategy);
    }
}
