#include <util/hash.h>

#include <cpuid.h>
#include <immintrin.h>

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

// Eight bytes a step through the derived tables, then byte by byte.
uint32_t Crc32Sliced(const unsigned char* p, size_t len, uint32_t reg)
{
    const auto& t = g_crc32Slices.table;
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

bool CpuHasCarrylessMultiply()
{
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_PCLMUL) != 0;
}

const bool g_hasCarrylessMultiply = CpuHasCarrylessMultiply();

constexpr size_t kFoldBlock = 64; // four 128-bit lanes

// Folds four 128-bit lanes forward by 512 bits a step with carry-less multiplies; the constants are
// x^544 and x^480 modulo the polynomial, bit-reflected and shifted by one. The lanes left at the end
// form a 64-byte message with the same remainder as everything folded, so the tables finish it with
// a zero register. Needs len >= 2 * kFoldBlock.
__attribute__((target("pclmul,sse2"))) uint32_t Crc32Folded(const unsigned char* p, size_t len, uint32_t reg)
{
    const __m128i constants = _mm_set_epi64x(0x1C6E41596LL, 0x154442BD4LL);
    const __m128i* block = reinterpret_cast<const __m128i*>(p);
    __m128i lanes[4];
    for (int i = 0; i < 4; ++i) {
        lanes[i] = _mm_loadu_si128(block + i);
    }
    lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(reg)));
    for (block += 4, len -= kFoldBlock; len >= kFoldBlock; block += 4, len -= kFoldBlock) {
        for (int i = 0; i < 4; ++i) {
            const __m128i low = _mm_clmulepi64_si128(lanes[i], constants, 0x00);
            const __m128i high = _mm_clmulepi64_si128(lanes[i], constants, 0x11);
            lanes[i] = _mm_xor_si128(_mm_xor_si128(low, high), _mm_loadu_si128(block + i));
        }
    }
    alignas(16) unsigned char folded[kFoldBlock];
    for (int i = 0; i < 4; ++i) {
        _mm_store_si128(reinterpret_cast<__m128i*>(folded) + i, lanes[i]);
    }
    return Crc32Sliced(reinterpret_cast<const unsigned char*>(block), len, Crc32Sliced(folded, kFoldBlock, 0));
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
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    const uint32_t reg = static_cast<uint32_t>(crc);
    if (g_hasCarrylessMultiply && len >= 2 * kFoldBlock) {
        return Crc32Folded(bytes, len, reg);
    }
    return Crc32Sliced(bytes, len, reg);
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
