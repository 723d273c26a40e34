// The cipher against the published test vectors (blocks as big-endian words, as published).
#include <util/blowfish.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(uint64_t value, size_t count = 8)
{
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<BYTE>(value >> (8 * (count - 1 - i)));
    }
    return bytes;
}

struct Vector {
    uint64_t key;
    uint64_t plain;
    uint64_t cipher;
};

class BlowfishVectorTest : public ::testing::TestWithParam<Vector> {};

TEST_P(BlowfishVectorTest, EncryptsAndDecryptsTheBlock)
{
    const std::vector<BYTE> key = Bytes(GetParam().key);
    const KXBlowfish cipher(key.data(), key.size());
    uint32_t left = static_cast<uint32_t>(GetParam().plain >> 32);
    uint32_t right = static_cast<uint32_t>(GetParam().plain);
    cipher.EncryptBlock(left, right);
    EXPECT_EQ((uint64_t{left} << 32 | right), GetParam().cipher);
    cipher.DecryptBlock(left, right);
    EXPECT_EQ((uint64_t{left} << 32 | right), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Published, BlowfishVectorTest,
                         ::testing::Values(Vector{0x0000000000000000, 0x0000000000000000, 0x4EF997456198DD78},
                                           Vector{0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
                                           Vector{0x3000000000000000, 0x1000000000000001, 0x7D856F9A613063F2},
                                           Vector{0x1111111111111111, 0x1111111111111111, 0x2466DD878B963C9D},
                                           Vector{0x0123456789ABCDEF, 0x1111111111111111, 0x61F9C3802281B096},
                                           Vector{0xFEDCBA9876543210, 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
                                           Vector{0x7CA110454A1A6E57, 0x01A1D6D039776742, 0x59C68245EB05282B}));

// Keys of 1 to 4 bytes: the schedule cycles through short keys.
TEST(BlowfishTest, ShortKeysCycle)
{
    const std::vector<BYTE> key = Bytes(0xF0E1D2C3B4A59687);
    const uint64_t expected[] = {0xF9AD597C49DB005E, 0xE91D21C1D961A6D6, 0xE9C2B70A1BC65CF3, 0xBE1E639408640F05};
    for (size_t length = 1; length <= 4; ++length) {
        const KXBlowfish cipher(key.data(), length);
        uint32_t left = 0xFEDCBA98;
        uint32_t right = 0x76543210;
        cipher.EncryptBlock(left, right);
        EXPECT_EQ((uint64_t{left} << 32 | right), expected[length - 1]) << "key of " << length << " bytes";
    }
}

TEST(BlowfishTest, BuffersAreBlocksOfLittleEndianWords)
{
    const std::vector<BYTE> key = Bytes(0x0123456789ABCDEF);
    const KXBlowfish cipher(key.data(), key.size());
    // 0x1111111111111111 under this key is 61F9C3802281B096; the buffer holds each word low byte first.
    std::vector<BYTE> buffer(16, 0x11);
    ASSERT_TRUE(cipher.EncryptEcb(buffer.data(), buffer.size()));
    const std::vector<BYTE> block = {0x80, 0xC3, 0xF9, 0x61, 0x96, 0xB0, 0x81, 0x22};
    EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + 8), block);
    EXPECT_EQ(std::vector<BYTE>(buffer.begin() + 8, buffer.end()), block);
    ASSERT_TRUE(cipher.DecryptEcb(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer, std::vector<BYTE>(16, 0x11));

    std::vector<BYTE> partial(12, 0x22);
    EXPECT_FALSE(cipher.EncryptEcb(partial.data(), partial.size()));
    EXPECT_EQ(partial, std::vector<BYTE>(12, 0x22));
}

} // namespace
