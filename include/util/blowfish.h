#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include <util/export.h>

// The Blowfish block cipher: the standard initial tables (the digits of pi) and key schedule, which
// cycles through the key bytes four at a time, the first byte most significant; only the first 72
// key bytes take part. The buffer operations work in ECB mode and read each 8-byte block as two
// 32-bit words in little-endian order. The expanded key is wiped when the object goes.
class UTIL_API KXBlowfish {
public:
    // A key of no bytes leaves the initial tables unmixed with any key.
    KXBlowfish(const void* key, size_t keyLength);
    ~KXBlowfish();
    KXBlowfish(const KXBlowfish&) = delete;
    KXBlowfish& operator=(const KXBlowfish&) = delete;

    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;
    // In place; false (data untouched) when size is not a multiple of 8.
    bool EncryptEcb(BYTE* data, size_t size) const;
    bool DecryptEcb(BYTE* data, size_t size) const;

    static constexpr size_t kBlockSize = 8;
    static constexpr size_t kMaxKeyBytes = 72;

private:
    static constexpr int kRounds = 16;

    uint32_t Round(uint32_t half) const;
    template <typename BlockOperation>
    bool ForEachBlock(BYTE* data, size_t size, BlockOperation operation) const;

    uint32_t m_subkeys[kRounds + 2];
    uint32_t m_boxes[4][256];
};
