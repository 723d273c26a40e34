#include <util/blowfish.h>

#include <cstring>

#include "blowfish_pi_tables.h"

namespace {

uint32_t ReadLittleEndian(const BYTE* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void WriteLittleEndian(uint32_t value, BYTE* bytes)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<BYTE>(value >> (8 * i));
    }
}

} // namespace

KXBlowfish::KXBlowfish(const void* key, size_t keyLength)
{
    static_assert(sizeof(m_subkeys) == sizeof(kPiSubkeys) && sizeof(m_boxes) == sizeof(kPiBoxes),
                  "the generated tables have the cipher's sizes");
    std::memcpy(m_subkeys, kPiSubkeys, sizeof(m_subkeys));
    std::memcpy(m_boxes, kPiBoxes, sizeof(m_boxes));

    const auto* keyBytes = static_cast<const BYTE*>(key);
    if (keyBytes != nullptr && keyLength > 0) {
        size_t next = 0;
        for (uint32_t& subkey : m_subkeys) {
            uint32_t word = 0;
            for (int i = 0; i < 4; ++i) {
                word = word << 8 | keyBytes[next];
                next = (next + 1) % keyLength;
            }
            subkey ^= word;
        }
    }
    uint32_t left = 0;
    uint32_t right = 0;
    for (size_t i = 0; i < kRounds + 2; i += 2) {
        EncryptBlock(left, right);
        m_subkeys[i] = left;
        m_subkeys[i + 1] = right;
    }
    for (auto& box : m_boxes) {
        for (size_t i = 0; i < 256; i += 2) {
            EncryptBlock(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

KXBlowfish::~KXBlowfish()
{
    ::SecureZeroMemory(m_subkeys, sizeof(m_subkeys));
    ::SecureZeroMemory(m_boxes, sizeof(m_boxes));
}

uint32_t KXBlowfish::Round(uint32_t half) const
{
    return ((m_boxes[0][half >> 24] + m_boxes[1][(half >> 16) & 0xFF]) ^ m_boxes[2][(half >> 8) & 0xFF]) +
           m_boxes[3][half & 0xFF];
}

void KXBlowfish::EncryptBlock(uint32_t& left, uint32_t& right) const
{
    uint32_t l = left;
    uint32_t r = right;
    for (int i = 0; i < kRounds; i += 2) {
        l ^= m_subkeys[i];
        r ^= Round(l);
        r ^= m_subkeys[i + 1];
        l ^= Round(r);
    }
    left = r ^ m_subkeys[kRounds + 1];
    right = l ^ m_subkeys[kRounds];
}

void KXBlowfish::DecryptBlock(uint32_t& left, uint32_t& right) const
{
    uint32_t l = left;
    uint32_t r = right;
    for (int i = kRounds + 1; i > 1; i -= 2) {
        l ^= m_subkeys[i];
        r ^= Round(l);
        r ^= m_subkeys[i - 1];
        l ^= Round(r);
    }
    left = r ^ m_subkeys[0];
    right = l ^ m_subkeys[1];
}

template <typename BlockOperation>
bool KXBlowfish::ForEachBlock(BYTE* data, size_t size, BlockOperation operation) const
{
    if (size % kBlockSize != 0 || (data == nullptr && size != 0)) {
        return false;
    }
    for (size_t offset = 0; offset < size; offset += kBlockSize) {
        uint32_t left = ReadLittleEndian(data + offset);
        uint32_t right = ReadLittleEndian(data + offset + 4);
        (this->*operation)(left, right);
        WriteLittleEndian(left, data + offset);
        WriteLittleEndian(right, data + offset + 4);
    }
    return true;
}

bool KXBlowfish::EncryptEcb(BYTE* data, size_t size) const
{
    return ForEachBlock(data, size, &KXBlowfish::EncryptBlock);
}

bool KXBlowfish::DecryptEcb(BYTE* data, size_t size) const
{
    return ForEachBlock(data, size, &KXBlowfish::DecryptBlock);
}
