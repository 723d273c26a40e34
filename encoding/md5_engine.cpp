#include "encoding/md5_engine.h"

#include <algorithm>
#include <cstring>

namespace encoding {
namespace {

inline uint32_t RotateLeft(uint32_t value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadLittle32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreLittle32(unsigned char* p, uint32_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

// The four steps. Each adds what does not depend on b (the previous step's result) first, so that
// only the fewest operations wait for it: the step costs its round function's operations on b, one add,
// the rotate and the final add.
inline void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, uint32_t constant, int shift)
{
    a += word + constant;
    a += d ^ (b & (c ^ d));
    a = b + RotateLeft(a, shift);
}
inline void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, uint32_t constant, int shift)
{
    a += word + constant + (c & ~d);
    a += b & d;
    a = b + RotateLeft(a, shift);
}
inline void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, uint32_t constant, int shift)
{
    a += word + constant;
    a += b ^ (c ^ d);
    a = b + RotateLeft(a, shift);
}
inline void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, uint32_t constant, int shift)
{
    a += word + constant;
    a += c ^ (b | ~d);
    a = b + RotateLeft(a, shift);
}

} // namespace

Md5Engine::Md5Engine() : m_state{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u}, m_block{} {}

void Md5Engine::Update(const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    m_length += size;
    if (m_blockUsed > 0) {
        const size_t take = std::min(size, sizeof(m_block) - m_blockUsed);
        std::memcpy(m_block + m_blockUsed, bytes, take);
        m_blockUsed += take;
        bytes += take;
        size -= take;
        if (m_blockUsed < sizeof(m_block)) {
            return;
        }
        Transform(m_block);
        m_blockUsed = 0;
    }
    for (; size >= sizeof(m_block); bytes += sizeof(m_block), size -= sizeof(m_block)) {
        Transform(bytes);
    }
    std::memcpy(m_block, bytes, size);
    m_blockUsed = size;
}

void Md5Engine::Final(unsigned char (&digest)[kDigestSize])
{
    const uint64_t bitLength = m_length * 8;
    static const unsigned char kPadding[64] = {0x80};
    const size_t padding = (m_blockUsed < 56) ? 56 - m_blockUsed : 120 - m_blockUsed;
    Update(kPadding, padding);
    unsigned char lengthBytes[8];
    StoreLittle32(lengthBytes, static_cast<uint32_t>(bitLength));
    StoreLittle32(lengthBytes + 4, static_cast<uint32_t>(bitLength >> 32));
    Update(lengthBytes, sizeof(lengthBytes));
    for (int i = 0; i < 4; ++i) {
        StoreLittle32(digest + 4 * i, m_state[i]);
    }
}

void Md5Engine::Transform(const unsigned char* block)
{
    // The words are read where they are, not copied first.
    const auto x = [block](int i) { return LoadLittle32(block + 4 * i); };
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];

    StepF(a, b, c, d, x(0), 0xd76aa478, 7);
    StepF(d, a, b, c, x(1), 0xe8c7b756, 12);
    StepF(c, d, a, b, x(2), 0x242070db, 17);
    StepF(b, c, d, a, x(3), 0xc1bdceee, 22);
    StepF(a, b, c, d, x(4), 0xf57c0faf, 7);
    StepF(d, a, b, c, x(5), 0x4787c62a, 12);
    StepF(c, d, a, b, x(6), 0xa8304613, 17);
    StepF(b, c, d, a, x(7), 0xfd469501, 22);
    StepF(a, b, c, d, x(8), 0x698098d8, 7);
    StepF(d, a, b, c, x(9), 0x8b44f7af, 12);
    StepF(c, d, a, b, x(10), 0xffff5bb1, 17);
    StepF(b, c, d, a, x(11), 0x895cd7be, 22);
    StepF(a, b, c, d, x(12), 0x6b901122, 7);
    StepF(d, a, b, c, x(13), 0xfd987193, 12);
    StepF(c, d, a, b, x(14), 0xa679438e, 17);
    StepF(b, c, d, a, x(15), 0x49b40821, 22);

    StepG(a, b, c, d, x(1), 0xf61e2562, 5);
    StepG(d, a, b, c, x(6), 0xc040b340, 9);
    StepG(c, d, a, b, x(11), 0x265e5a51, 14);
    StepG(b, c, d, a, x(0), 0xe9b6c7aa, 20);
    StepG(a, b, c, d, x(5), 0xd62f105d, 5);
    StepG(d, a, b, c, x(10), 0x02441453, 9);
    StepG(c, d, a, b, x(15), 0xd8a1e681, 14);
    StepG(b, c, d, a, x(4), 0xe7d3fbc8, 20);
    StepG(a, b, c, d, x(9), 0x21e1cde6, 5);
    StepG(d, a, b, c, x(14), 0xc33707d6, 9);
    StepG(c, d, a, b, x(3), 0xf4d50d87, 14);
    StepG(b, c, d, a, x(8), 0x455a14ed, 20);
    StepG(a, b, c, d, x(13), 0xa9e3e905, 5);
    StepG(d, a, b, c, x(2), 0xfcefa3f8, 9);
    StepG(c, d, a, b, x(7), 0x676f02d9, 14);
    StepG(b, c, d, a, x(12), 0x8d2a4c8a, 20);

    StepH(a, b, c, d, x(5), 0xfffa3942, 4);
    StepH(d, a, b, c, x(8), 0x8771f681, 11);
    StepH(c, d, a, b, x(11), 0x6d9d6122, 16);
    StepH(b, c, d, a, x(14), 0xfde5380c, 23);
    StepH(a, b, c, d, x(1), 0xa4beea44, 4);
    StepH(d, a, b, c, x(4), 0x4bdecfa9, 11);
    StepH(c, d, a, b, x(7), 0xf6bb4b60, 16);
    StepH(b, c, d, a, x(10), 0xbebfbc70, 23);
    StepH(a, b, c, d, x(13), 0x289b7ec6, 4);
    StepH(d, a, b, c, x(0), 0xeaa127fa, 11);
    StepH(c, d, a, b, x(3), 0xd4ef3085, 16);
    StepH(b, c, d, a, x(6), 0x04881d05, 23);
    StepH(a, b, c, d, x(9), 0xd9d4d039, 4);
    StepH(d, a, b, c, x(12), 0xe6db99e5, 11);
    StepH(c, d, a, b, x(15), 0x1fa27cf8, 16);
    StepH(b, c, d, a, x(2), 0xc4ac5665, 23);

    StepI(a, b, c, d, x(0), 0xf4292244, 6);
    StepI(d, a, b, c, x(7), 0x432aff97, 10);
    StepI(c, d, a, b, x(14), 0xab9423a7, 15);
    StepI(b, c, d, a, x(5), 0xfc93a039, 21);
    StepI(a, b, c, d, x(12), 0x655b59c3, 6);
    StepI(d, a, b, c, x(3), 0x8f0ccc92, 10);
    StepI(c, d, a, b, x(10), 0xffeff47d, 15);
    StepI(b, c, d, a, x(1), 0x85845dd1, 21);
    StepI(a, b, c, d, x(8), 0x6fa87e4f, 6);
    StepI(d, a, b, c, x(15), 0xfe2ce6e0, 10);
    StepI(c, d, a, b, x(6), 0xa3014314, 15);
    StepI(b, c, d, a, x(13), 0x4e0811a1, 21);
    StepI(a, b, c, d, x(4), 0xf7537e82, 6);
    StepI(d, a, b, c, x(11), 0xbd3af235, 10);
    StepI(c, d, a, b, x(2), 0x2ad7d2bb, 15);
    StepI(b, c, d, a, x(9), 0xeb86d391, 21);

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

} // namespace encoding
