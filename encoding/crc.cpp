#include <util/hash.h>

#include <cstdint>
#include <cstring>

namespace {

// Eight derived tables let the CRC-32 loop take eight bytes a step: table k gives the effect of a
// byte followed by k zero bytes. Table 0 is the public one.
struct Crc32Slices {
    uint32_t table[8][256];

    Crc32Slices()
    {
        for (int i = 0; i < 256; ++i) {
            table[0][i] = static_cast<uint32_t>(MCRC32::lcrctable[i]);
        }
        for (int k = 1; k < 8; ++k) {
            for (int i = 0; i < 256; ++i) {
                const uint32_t previous = table[k - 1][i];
                table[k][i] = (previous >> 8) ^ table[0][previous & 0xFF];
            }
        }
    }
};

const Crc32Slices g_crc32Slices;

inline uint32_t LoadLittle32(const unsigned char* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof(value)); // the target is little-endian
    return value;
}

} // namespace

unsigned short MCRC16::CheckCode(const char* data, unsigned long len, unsigned short crc)
{
    if (!data) {
        return crc;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    unsigned int reg = crc;
    for (unsigned long i = 0; i < len; ++i) {
        reg = (scrctable[(bytes[i] ^ (reg >> 8)) & 0xFF] ^ (reg << 8)) & 0xFFFF;
    }
    return static_cast<unsigned short>(reg);
}

unsigned long MCRC32::CheckCode(const char* data, unsigned long len, unsigned long crc)
{
    if (!data) {
        return crc;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    const auto& t = g_crc32Slices.table;
    uint32_t reg = static_cast<uint32_t>(crc);
    for (; len >= 8; p += 8, len -= 8) {
        const uint32_t low = LoadLittle32(p) ^ reg;
        const uint32_t high = LoadLittle32(p + 4);
        reg = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; len > 0; ++p, --len) {
        reg = (reg >> 8) ^ t[0][(*p ^ reg) & 0xFF];
    }
    return reg;
}

unsigned short MConCheckCode::CheckCode(char* data, unsigned long len)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    uint64_t sum = 0; // 64 bits so that no carry is lost on long inputs before folding
    unsigned long i = 0;
    if (bytes) {
        for (; i + 1 < len; i += 2) {
            sum += static_cast<uint32_t>(bytes[i] | bytes[i + 1] << 8);
        }
        if (i < len) {
            sum += bytes[i];
        }
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<unsigned short>(~sum & 0xFFFF);
}
