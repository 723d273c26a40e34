#pragma once

#include <cstddef>
#include <cstdint>

namespace encoding {

// Streaming MD5: feed any number of pieces, then take the digest once.
class Md5Engine {
public:
    static constexpr size_t kDigestSize = 16;

    Md5Engine();
    void Update(const void* data, size_t size);
    void Final(unsigned char (&digest)[kDigestSize]);

private:
    void Transform(const unsigned char* block);

    uint32_t m_state[4];
    uint64_t m_length = 0; // bytes so far; the bit length wraps at 2^64 as the algorithm demands
    unsigned char m_block[64];
    size_t m_blockUsed = 0;
};

} // namespace encoding
