#include <util/hash.h>
#include <util/cstring.h>
#include <util/strutil.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/guarded_buffer.h"
#include "support/host_tools.h"
#include "support/process.h"

namespace {

std::string Md5Hex(const std::string& data)
{
    char digest[16];
    char hex[33];
    EXPECT_EQ(1, MMD5().MD5(data.data(), static_cast<int>(data.size()), digest));
    EXPECT_EQ(1, MMD5::ConvertMD5ToStr(digest, hex, sizeof(hex)));
    return hex;
}

std::string RandomBytes(std::mt19937& random, size_t size)
{
    std::string bytes(size, '\0');
    for (char& ch : bytes) {
        ch = static_cast<char>(random());
    }
    return bytes;
}

// The CRC-32 register update one byte at a time, straight from the public table.
unsigned long Crc32ByteWise(const std::string& data, unsigned long crc)
{
    for (const char ch : data) {
        crc = (crc >> 8) ^ MCRC32::lcrctable[(static_cast<unsigned char>(ch) ^ crc) & 0xFF];
    }
    return crc;
}

} // namespace

TEST(Md5, MatchesTheReferenceVectors)
{
    EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Md5Hex("a"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Hex("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Hex("message digest"));
    EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Md5Hex("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
              Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
              Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"));
}

TEST(Md5, EmptyOrNullInputGivesAZeroDigestOrMinusOne)
{
    char digest[16];
    std::memset(digest, 0x55, sizeof(digest));
    EXPECT_EQ(1, MMD5().MD5("abc", 0, digest));
    EXPECT_EQ(std::string(16, '\0'), std::string(digest, 16));
    EXPECT_EQ(-1, MMD5().MD5(nullptr, 3, digest));
}

TEST(Md5, PaddingBoundariesAgreeWithPython)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    std::mt19937 random(1321);
    std::string joined, ours;
    // Lengths around the 55/56/64-byte padding edges and a few large ones.
    for (size_t size : {1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 121u, 127u, 128u, 9000u, 9001u, 100000u}) {
        const std::string data = RandomBytes(random, size);
        joined += std::to_string(size) + ":" + data;
        ours += Md5Hex(data) + "\n";
    }
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"pieces.bin"), joined));
    const hosttools::Result result = hosttools::Python(work, R"(
import hashlib
data = open(A[0], "rb").read()
while data:
    colon = data.index(b":")
    size = int(data[:colon])
    out(hashlib.md5(data[colon + 1:colon + 1 + size]).hexdigest())
    data = data[colon + 1 + size:]
)",
                                                       {hosttools::UnixPath(work.file(L"pieces.bin"))});
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ(ours, result.output + "\n");
}

TEST(Md5, InputsOf512MiBAndMoreUseTheFull64BitLength)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    const size_t size = (size_t(512) << 20) + 3; // 2^32 bits and more: a 32-bit length would wrap
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>(i & 0xFF);
    }
    const std::string ours = Md5Hex(data);
    data.clear();
    data.shrink_to_fit();
    testsupport::TempDir work;
    const hosttools::Result result = hosttools::Python(work, R"(
import hashlib
out(hashlib.md5(bytes(range(256)) * (2 ** 21) + bytes([0, 1, 2])).hexdigest())
)",
                                                       {});
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ(result.output, ours);
}

TEST(Md5, TextConversionChecksBufferSizesAndDigits)
{
    char digest[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    char hex[33];
    EXPECT_EQ(-1, MMD5::ConvertMD5ToStr(digest, hex, 32));
    EXPECT_EQ(-1, MMD5::ConvertMD5ToStr(nullptr, hex, 33));
    ASSERT_EQ(1, MMD5::ConvertMD5ToStr(digest, hex, 33));
    EXPECT_STREQ("000102030405060708090a0b0c0d0e0f", hex);

    char back[16] = {};
    EXPECT_EQ(-1, MMD5::ConvertStrToMD5(hex, back, 15));
    ASSERT_EQ(1, MMD5::ConvertStrToMD5("000102030405060708090A0B0C0D0E0F", back, 16));
    EXPECT_EQ(0, std::memcmp(digest, back, 16));
    EXPECT_EQ(-1, MMD5::ConvertStrToMD5("00010203040506070809xx0b0c0d0e0f", back, 16));
}

TEST(Md5, AShortHexTextIsRefusedWithoutReadingPastIt)
{
    // The text with its terminator ends at an inaccessible page.
    GuardedBuffer text(std::string("0123456789abcdef", 17));
    char digest[16];
    std::memset(digest, 0x77, sizeof(digest));
    EXPECT_EQ(-1, MMD5::ConvertStrToMD5(text.data(), digest, 16));
    EXPECT_EQ(std::string(16, '\x77'), std::string(digest, 16)) << "a refused text leaves the digest alone";
}

TEST(Md5, StringDigestsInBothWidths)
{
    char narrow[33];
    wchar_t wide[33];
    ASSERT_TRUE(CKxMd5().Md5StrA("abc", 3, narrow, 33));
    EXPECT_STREQ("900150983cd24fb0d6963f7d28e17f72", narrow);
    ASSERT_TRUE(CKxMd5().Md5StrW("abc", 3, wide, 33));
    EXPECT_STREQ(L"900150983cd24fb0d6963f7d28e17f72", wide);
    EXPECT_FALSE(CKxMd5().Md5StrA("abc", 3, narrow, 32));
    EXPECT_FALSE(CKxMd5().Md5StrA("abc", 0, narrow, 33));
    EXPECT_FALSE(CKxMd5().Md5StrA(nullptr, 3, narrow, 33));
    EXPECT_FALSE(CKxMd5().Md5StrW("abc", 3, wide, 32));
}

TEST(Md5, FileDigestsMatchPythonAndDirectoriesHashTheirFileDigests)
{
    testsupport::TempDir work;
    std::mt19937 random(77);
    const std::wstring folder = work.file(L"tree");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    const std::string big = RandomBytes(random, (3 << 20) + 13); // several read chunks
    ASSERT_TRUE(hosttools::WriteFileBytes(folder + L"\\big.bin", big));
    ASSERT_TRUE(hosttools::WriteFileBytes(folder + L"\\sub\\small.txt", "hello"));
    ASSERT_TRUE(hosttools::WriteFileBytes(folder + L"\\\u6587\u4EF6.txt", "chinese name"));

    const std::string bigPath = T2C((folder + L"\\big.bin").c_str());
    char hex[40];
    ASSERT_TRUE(CKxMd5().Md5FileA(bigPath.c_str(), hex, sizeof(hex)));
    EXPECT_EQ(Md5Hex(big), hex);

    std::vector<std::string> files;
    ASSERT_EQ(3, EnumAllFilesA(T2C(folder.c_str()).c_str(), files));
    std::string digests;
    for (const std::string& file : files) {
        ASSERT_TRUE(CKxMd5().Md5FileA(file.c_str(), hex, sizeof(hex))) << file;
        digests += hex;
    }
    char tree[33];
    ASSERT_TRUE(CKxMd5().Md5FileA(T2C(folder.c_str()).c_str(), tree, sizeof(tree)));
    EXPECT_EQ(Md5Hex(digests), tree);

    wchar_t wide[33];
    ASSERT_TRUE(CKxMd5().Md5FileW((folder + L"\\\u6587\u4EF6.txt").c_str(), wide, 33));
    EXPECT_EQ(CString(Md5Hex("chinese name").c_str()), CString(wide));

    if (hosttools::Available()) {
        const hosttools::Result result =
            hosttools::Python(work, "import hashlib\nout(hashlib.md5(open(A[0], 'rb').read()).hexdigest())",
                              {hosttools::UnixPath(folder + L"\\big.bin")});
        ASSERT_TRUE(result.ok) << result.output;
        EXPECT_EQ(result.output, Md5Hex(big));
    }
}

TEST(Md5, FileDigestFailuresClearTheOutput)
{
    testsupport::TempDir work;
    char out[40];
    std::memset(out, 'x', sizeof(out));
    EXPECT_FALSE(CKxMd5().Md5FileA(T2C(work.file(L"missing").c_str()).c_str(), out, sizeof(out)));
    EXPECT_EQ(std::string(40, '\0'), std::string(out, 40));
    EXPECT_FALSE(CKxMd5().Md5FileA(T2C(work.path().c_str()).c_str(), out, sizeof(out))) << "an empty folder";
    EXPECT_FALSE(CKxMd5().Md5FileA(nullptr, out, sizeof(out)));
    EXPECT_FALSE(CKxMd5().Md5FileA(T2C(work.path().c_str()).c_str(), out, 32));
    wchar_t wide[33];
    EXPECT_FALSE(CKxMd5().Md5FileW(work.file(L"missing").c_str(), wide, 33));
    EXPECT_FALSE(CKxMd5().Md5FileW(std::wstring(300, L'a').c_str(), wide, 33)) << "longer than 260 bytes";
}

TEST(Crc16, CcittCheckValuesAndContinuation)
{
    MCRC16 crc;
    EXPECT_EQ(0x1021, MCRC16::scrctable[1]);
    EXPECT_EQ(0x1EF0, MCRC16::scrctable[255]);
    EXPECT_EQ(0x29B1, crc.CheckCode("123456789", 9, 0xFFFF));
    EXPECT_EQ(0x31C3, crc.CheckCode("123456789", 9, 0));
    const unsigned short first = crc.CheckCode("1234", 4, 0xFFFF);
    EXPECT_EQ(0x29B1, crc.CheckCode("56789", 5, first));
    EXPECT_EQ(0xFFFF, crc.CheckCode("", 0, 0xFFFF));
}

TEST(Crc32, CheckValueWithTheCallersInversion)
{
    MCRC32 crc;
    EXPECT_EQ(0x77073096ul, MCRC32::lcrctable[1]);
    EXPECT_EQ(0x340BC6D9ul, crc.CheckCode("123456789", 9, 0xFFFFFFFF));
    EXPECT_EQ(0xCBF43926ul, ~crc.CheckCode("123456789", 9, 0xFFFFFFFF) & 0xFFFFFFFF);
}

TEST(Crc32, WideStepsAgreeWithTheTableAtEveryLengthAndAlignment)
{
    MCRC32 crc;
    std::mt19937 random(32);
    const std::string data = RandomBytes(random, 4096);
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length = 0; length <= 400; ++length) {
            const std::string piece = data.substr(offset, length);
            const unsigned long start = random();
            EXPECT_EQ(Crc32ByteWise(piece, start), crc.CheckCode(data.data() + offset, length, start))
                << "offset " << offset << " length " << length;
        }
    }
    // Continuing over a split gives the same register as one call.
    const unsigned long whole = crc.CheckCode(data.data(), 4096, 0xFFFFFFFF);
    EXPECT_EQ(whole, crc.CheckCode(data.data() + 1001, 3095, crc.CheckCode(data.data(), 1001, 0xFFFFFFFF)));
}

TEST(Crc32, AgreesWithPythonsZlib)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    std::mt19937 random(99);
    const std::string data = RandomBytes(random, 1000003);
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"data.bin"), data));
    const hosttools::Result result =
        hosttools::Python(work, "import zlib\nout('%08x' % zlib.crc32(open(A[0], 'rb').read()))",
                          {hosttools::UnixPath(work.file(L"data.bin"))});
    ASSERT_TRUE(result.ok) << result.output;
    char ours[9];
    const unsigned long value = ~MCRC32().CheckCode(data.data(), data.size(), 0xFFFFFFFF) & 0xFFFFFFFF;
    snprintf(ours, sizeof(ours), "%08lx", value);
    EXPECT_EQ(result.output, ours);
}

TEST(ConCheckCode, OnesComplementSumOfLittleEndianWords)
{
    MConCheckCode check;
    EXPECT_EQ(0xFFFF, check.CheckCode(nullptr, 0));
    char words[] = {0x00, 0x01, char(0xF2), 0x03, char(0xF4), char(0xF5), char(0xF6), char(0xF7)};
    EXPECT_EQ(0x0D22, check.CheckCode(words, 8)); // the classic example, in little-endian words
    char odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(static_cast<unsigned short>(~(0x0201 + 0x03)), check.CheckCode(odd, 3));
    // A buffer with its checksum appended sums to zero.
    char framed[10];
    std::memcpy(framed, words, 8);
    const unsigned short sum = check.CheckCode(words, 8);
    framed[8] = static_cast<char>(sum & 0xFF);
    framed[9] = static_cast<char>(sum >> 8);
    EXPECT_EQ(0, check.CheckCode(framed, 10));
}

TEST(ConCheckCode, LongInputsKeepEveryCarry)
{
    // 65538 words of 0xFFFF overflow a 32-bit sum; the ones'-complement sum is still 0xFFFF.
    std::vector<char> data(65538 * 2, char(0xFF));
    EXPECT_EQ(0, MConCheckCode().CheckCode(data.data(), static_cast<unsigned long>(data.size())));
    data[0] = 0x00; // one less
    EXPECT_EQ(0x00FF, MConCheckCode().CheckCode(data.data(), static_cast<unsigned long>(data.size())));
}

TEST(KXCode, KeepsFifteenBytesAndComparesUnsigned)
{
    const KXCode longCode("ABCDEFGHIJKLMNOPQRST");
    EXPECT_STREQ("ABCDEFGHIJKLMNO", longCode.c_str());
    EXPECT_EQ(15, longCode.Length());

    KXCode shortCode("AB");
    char six[6];
    std::memset(six, 'x', sizeof(six));
    shortCode.ToChar6(six);
    EXPECT_EQ(std::string("AB\0\0\0\0", 6), std::string(six, 6));

    EXPECT_EQ(0, KXCode().Length());
    EXPECT_TRUE(KXCode("600000") == KXCode("600000"));
    EXPECT_FALSE(KXCode("600000") == KXCode("600001"));
    EXPECT_TRUE(KXCode("600000") < KXCode("600001"));
    EXPECT_TRUE(KXCode("AB") < KXCode("ABC"));
    EXPECT_TRUE(KXCode("Z") < KXCode("\xB0\xA1")) << "bytes compare as unsigned";
    EXPECT_FALSE(KXCode("\xB0\xA1") < KXCode("Z"));

    KXCode copy(longCode);
    EXPECT_TRUE(copy == longCode);
    copy = shortCode;
    EXPECT_STREQ("AB", copy.c_str());
    EXPECT_EQ(0, std::memcmp(copy.c_str() + 2, "\0\0\0\0\0\0\0\0\0\0\0\0\0", 14)) << "assignment copies all 16 bytes";
}
