#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

// Part of an archive entry deflated on its own, so that several threads can deflate one entry: raw
// deflate data that ends byte-aligned and not final. Pieces joined in order are one deflate stream.
class DeflatedPiece {
public:
    // The large, repetitive parts of a workbook: the fastest level packs them nearly as small as the
    // default, several times faster.
    static constexpr int kLevel = 1;

    DeflatedPiece() = default;
    DeflatedPiece(const DeflatedPiece&) = delete;
    DeflatedPiece& operator=(const DeflatedPiece&) = delete;
    ~DeflatedPiece();

    bool Add(const char* data, size_t size);
    bool End();

    const std::string& Bytes() const { return m_bytes; }
    uint32_t Crc() const { return static_cast<uint32_t>(m_crc); }
    uint64_t Size() const { return m_size; }

private:
    bool Deflate(const char* data, size_t size, int flush);

    z_stream m_stream{};
    bool m_ready = false;
    std::string m_bytes;
    uLong m_crc = crc32(0, nullptr, 0);
    uint64_t m_size = 0;
};

// Pieces joined in order and finished: one deflate stream with its CRC and size.
struct DeflatedEntry {
    std::string bytes;
    uint32_t crc = 0;
    uint64_t size = 0;
};
bool JoinPieces(const std::vector<DeflatedPiece>& pieces, DeflatedEntry& entry);
