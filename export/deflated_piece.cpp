#include "export/deflated_piece.h"

#include <algorithm>
#include <climits>

namespace {

const size_t kOutputStep = 1 << 16;

} // namespace

DeflatedPiece::~DeflatedPiece()
{
    if (m_ready) {
        deflateEnd(&m_stream);
    }
}

bool DeflatedPiece::Add(const char* data, size_t size)
{
    m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(data), size);
    m_size += size;
    return Deflate(data, size, Z_NO_FLUSH);
}

// A sync flush ends the piece on a byte boundary with an empty stored block that is not the last.
bool DeflatedPiece::End()
{
    return Deflate(nullptr, 0, Z_SYNC_FLUSH);
}

bool DeflatedPiece::Deflate(const char* data, size_t size, int flush)
{
    if (!m_ready) {
        if (deflateInit2(&m_stream, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            return false;
        }
        // One candidate per match search instead of the level's four: on sheet XML about a tenth
        // faster, and no larger.
        deflateTune(&m_stream, 4, 4, 8, 1);
        m_ready = true;
    }
    m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    do {
        const uInt taken = static_cast<uInt>(std::min<size_t>(size, UINT_MAX));
        m_stream.avail_in = taken;
        size -= taken;
        do {
            const size_t used = m_bytes.size();
            m_bytes.resize(used + kOutputStep);
            m_stream.next_out = reinterpret_cast<Bytef*>(&m_bytes[used]);
            m_stream.avail_out = static_cast<uInt>(kOutputStep);
            const int status = deflate(&m_stream, flush);
            m_bytes.resize(used + kOutputStep - m_stream.avail_out);
            if (status == Z_STREAM_ERROR) {
                return false;
            }
        } while (m_stream.avail_out == 0);
    } while (size > 0);
    return true;
}

bool JoinPieces(const std::vector<DeflatedPiece>& pieces, DeflatedEntry& entry)
{
    size_t total = 2;
    for (const DeflatedPiece& piece : pieces) {
        if (piece.Size() > LONG_MAX) {
            return false; // past what the platform's zlib combines checksums over
        }
        total += piece.Bytes().size();
    }
    entry.bytes.reserve(total);
    uLong crc = crc32(0, nullptr, 0);
    for (const DeflatedPiece& piece : pieces) {
        entry.bytes += piece.Bytes();
        crc = crc32_combine(crc, piece.Crc(), static_cast<z_off_t>(piece.Size()));
        entry.size += piece.Size();
    }
    entry.crc = static_cast<uint32_t>(crc);
    entry.bytes.append("\x03\x00", 2); // an empty last block with the fixed codes
    return true;
}
