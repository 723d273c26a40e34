// Seeded random and mutated inputs for every parser of the family: archives, gzip and zlib streams,
// Base64 texts. Each input sits right before an inaccessible page, so a read past its end crashes the
// test; outputs go into blocks of exactly the announced size, guarded the same way.
#include <util/base64.h>
#include <util/gzip.h>
#include <util/zip.h>

#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/guarded_buffer.h"
#include "support/host_tools.h"
#include "support/process.h"
#include "zip_test_support.h"

namespace {

// Each family gets kShards tests of kRounds inputs: 10,000 in all, in processes short enough for the
// per-test time limit under Wine's heap checking.
const int kShards = 10;
const int kRounds = 1000;

// The test process checks the whole heap on every allocation, so the loops below reuse their
// strings instead of making new ones each round.
void FillRandom(std::mt19937& random, std::string& bytes, size_t size)
{
    bytes.resize(size);
    for (char& ch : bytes) {
        ch = static_cast<char>(random());
    }
}

std::string RandomBytes(std::mt19937& random, size_t size)
{
    std::string bytes;
    FillRandom(random, bytes, size);
    return bytes;
}

// Flips, overwrites, cuts, inserts and duplicates pieces of a valid input.
void Mutate(std::mt19937& random, const std::string& source, std::string& data)
{
    data.reserve(source.size() + 512);
    data.assign(source);
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !data.empty(); ++e) {
        const size_t at = random() % data.size();
        switch (random() % 6) {
        case 0:
            data[at] = static_cast<char>(data[at] ^ (1 << (random() % 8)));
            break;
        case 1:
            data[at] = static_cast<char>(random());
            break;
        case 2:
            data.resize(at);
            break;
        case 3: {
            const size_t count = 1 + random() % 16;
            data.insert(at, count, '\0');
            for (size_t i = 0; i < count; ++i) {
                data[at + i] = static_cast<char>(random());
            }
            break;
        }
        case 4: { // a length or offset field made huge or small
            const char values[] = {'\xFF', '\x7F', '\0', '\x80'};
            for (size_t i = at; i < std::min(data.size(), at + 4); ++i) {
                data[i] = values[random() % 4];
            }
            break;
        }
        default: {
            const size_t from = random() % data.size();
            const size_t count = std::min<size_t>(random() % 64, data.size() - from);
            data.insert(at, count, '\0');
            std::memmove(&data[at], &data[from < at ? from : from + count], count);
        }
        }
    }
}

size_t PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}

const size_t kMemoryBound = 768u << 20;

std::string MemoryArchive(std::mt19937& random, bool withFolders)
{
    HZIP archive = CreateZipZ(nullptr, 1 << 20, ZIPKIND_MEMORY);
    const std::string text(3000, 'a'), noise = RandomBytes(random, 700);
    ZipAdd(archive, L"text.txt", const_cast<char*>(text.data()), 3000, ZIPKIND_MEMORY);
    ZipAdd(archive, L"empty", const_cast<char*>(""), 0, ZIPKIND_MEMORY);
    if (withFolders) {
        ZipAdd(archive, L"dir", nullptr, 0, ZIPKIND_FOLDER);
    }
    ZipAdd(archive, L"dir/\u540D.bin", const_cast<char*>(noise.data()), 700, ZIPKIND_MEMORY);
    void* block = nullptr;
    unsigned long used = 0;
    ZipGetMemory(archive, &block, &used);
    std::string bytes(static_cast<char*>(block), used);
    CloseZipZ(archive);
    return bytes;
}

bool KnownZipResult(ZRESULT result)
{
    static const std::set<ZRESULT> known = {
        ZIPRES_OK,        ZIPRES_DUPLICATE_HANDLE, ZIPRES_OPEN_FILE,         ZIPRES_NO_MEMORY, ZIPRES_WRITE,
        ZIPRES_NOT_FOUND, ZIPRES_MORE_DATA,        ZIPRES_CORRUPT,           ZIPRES_READ,      ZIPRES_ARGUMENTS,
        ZIPRES_FLATION,   ZIPRES_SIZE_CHANGED,     ZIPRES_PARTIALLY_UNZIPPED};
    return known.count(result) > 0;
}

} // namespace

class FuzzZip : public ::testing::TestWithParam<int> {};
class FuzzGzip : public ::testing::TestWithParam<int> {};
class FuzzBase64 : public ::testing::TestWithParam<int> {};

TEST_P(FuzzZip, MutatedAndRandomArchivesGiveCodesAndStayInTheirFolder)
{
    std::mt19937 random(20240607 + GetParam());
    const std::string corpus[] = {MemoryArchive(random, true), MemoryArchive(random, false)};
    testsupport::TempDir work;
    const std::wstring target = work.file(L"target");
    int opened = 0;
    GuardedBuffer archiveBytes(1 << 16), out(4096);
    std::string input;
    for (int round = 0; round < kRounds; ++round) {
        if (round % 10 == 9) { // random bytes that end like an archive
            FillRandom(random, input, 22 + random() % 300);
            std::memcpy(&input[input.size() - 22], "PK\x05\x06", 4);
        } else {
            Mutate(random, corpus[round % 2], input);
        }
        if (input.empty()) {
            continue;
        }
        HZIP reader = OpenZipU(archiveBytes.Put(input), static_cast<unsigned>(input.size()), ZIPKIND_MEMORY);
        char message[8];
        const unsigned length = FormatZipMessageU(ZIPRES_RECENT, message, sizeof(message));
        ASSERT_GT(length, 0u);
        if (!reader) {
            continue;
        }
        ++opened;
        ZIPENTRYW count;
        ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, -1, &count));
        for (int i = 0; i < std::min(count.index, 16); ++i) {
            ZIPENTRY entry;
            ASSERT_EQ(ZIPRES_OK, GetZipItemA(reader, i, &entry));
            const size_t room = 1 + random() % 4096;
            out.Tail(room);
            ZRESULT result = ZIPRES_MORE_DATA;
            for (int piece = 0; piece < 8 && result == ZIPRES_MORE_DATA; ++piece) {
                result = UnzipItem(reader, i, out.data(), static_cast<unsigned>(room), ZIPKIND_MEMORY);
                ASSERT_TRUE(KnownZipResult(result)) << std::hex << result;
            }
        }
        if (round % 10 == 0) {
            const ZRESULT result = UnzipToFolder(reader, target.c_str());
            ASSERT_TRUE(KnownZipResult(result)) << std::hex << result;
        }
        ASSERT_EQ(ZIPRES_OK, CloseZipU(reader));
    }
    EXPECT_GT(opened, kRounds / 4) << "the mutations keep enough archives readable to reach the items";
    for (const auto& file : ziptest::FilesBelow(work.path())) {
        ASSERT_EQ(0u, file.first.find(L"target/")) << "written outside the folder";
    }
    EXPECT_LT(PeakMemory(), kMemoryBound);
}

TEST_P(FuzzGzip, MutatedAndRandomStreamsGiveCodes)
{
    std::mt19937 random(1952 + GetParam());
    std::string plain;
    for (int i = 0; i < 400; ++i) {
        plain += "line " + std::to_string(i * i) + " of the sample\n";
    }
    std::vector<char> packed;
    ASSERT_EQ(1, GZCompress(&plain[0], static_cast<int>(plain.size()), packed));
    const std::string zlibStream(packed.begin(), packed.end());
    testsupport::TempDir work;
    const std::wstring gzPath = work.file(L"sample.gz");
    {
        CGZip writer;
        ASSERT_TRUE(writer.Open(gzPath.c_str(), ZIPPER_MODE_WRITE));
        ASSERT_TRUE(writer.WriteBuffer(&plain[0], static_cast<unsigned>(plain.size())));
    }
    const std::string gzipStream = hosttools::ReadFileBytes(gzPath);
    GuardedBuffer bytes(1 << 16);
    std::string input;
    std::vector<char> out;
    out.reserve(1 << 16);
    for (int round = 0; round < kRounds; ++round) {
        const bool gzip = round % 2 == 1;
        if (round % 10 == 8) {
            FillRandom(random, input, random() % 200);
        } else {
            Mutate(random, gzip ? gzipStream : zlibStream, input);
        }
        if (input.empty()) {
            continue;
        }
        bytes.Put(input);
        if (gzip) {
            const int size = CGZip().UnCompress_Stream(bytes.data(), static_cast<unsigned>(input.size()), out);
            ASSERT_TRUE(size == -1 || size == static_cast<int>(out.size())) << size;
            ASSERT_TRUE(size != -1 || out.empty());
        } else {
            const long result = GZUncompress(bytes.data(), static_cast<int>(input.size()), out);
            ASSERT_TRUE(result == 1 || result == -1);
            ASSERT_TRUE(result == 1 || out.empty()) << "a refused stream leaves nothing behind";
            ASSERT_LE(out.size(), input.size() * 1032 + 1024);
        }
    }
    // Damaged gzip files through the file reader too.
    for (int round = 0; round < 20; ++round) {
        Mutate(random, gzipStream, input);
        ASSERT_TRUE(hosttools::WriteFileBytes(gzPath, input));
        CGZip reader;
        if (!reader.Open(gzPath.c_str(), ZIPPER_MODE_READ)) {
            continue;
        }
        void* content = nullptr;
        unsigned length = 0;
        if (reader.ReadBuffer(&content, length)) {
            ASSERT_NE(nullptr, content);
            delete[] static_cast<char*>(content);
        } else {
            ASSERT_EQ(nullptr, content);
            ASSERT_EQ(0u, length);
        }
    }
    EXPECT_LT(PeakMemory(), kMemoryBound);
}

TEST_P(FuzzBase64, RandomTextsDecodeWithinTheirBuffers)
{
    std::mt19937 random(4648 + GetParam());
    GuardedBuffer source(512), out(512), encoded(512), input(512);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/= \r\n";
    std::string text, expected, data;
    std::vector<int> values;
    text.reserve(300);
    expected.reserve(300);
    data.reserve(200);
    values.reserve(300);
    for (int round = 0; round < kRounds; ++round) {
        text.resize(random() % 300);
        for (char& ch : text) {
            ch = (random() % 8) ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        }
        source.Put(text);
        // The values of the characters the decoder takes, up to n or a zero character.
        values.clear();
        for (const char ch : text) {
            if (ch == '\0') {
                break;
            }
            const int value = DecodeBase64Char(static_cast<unsigned char>(ch));
            if (value >= 0) {
                values.push_back(value);
            }
        }
        expected.clear();
        for (size_t at = 0; at < values.size(); at += 4) {
            const size_t taken = std::min<size_t>(4, values.size() - at);
            unsigned bits = 0;
            for (size_t i = 0; i < 4; ++i) {
                bits = bits << 6 | (i < taken ? static_cast<unsigned>(values[at + i]) : 0u);
            }
            for (size_t b = 0; b < taken * 6 / 8; ++b) {
                expected += static_cast<char>(bits >> (16 - 8 * b));
            }
        }
        const int room = static_cast<int>(random() % (text.size() + 2));
        out.Tail(static_cast<size_t>(room));
        int length = room;
        const int result = Base64Decode(source.data(), static_cast<int>(text.size()), out.bytes(), &length);
        ASSERT_EQ(static_cast<int>(expected.size()), length);
        ASSERT_EQ(expected.size() <= static_cast<size_t>(room) ? 1 : 0, result);
        if (result == 1) {
            ASSERT_EQ(0, std::memcmp(expected.data(), out.data(), expected.size()));
        }

        // And encoding random bytes into exactly the required room.
        FillRandom(random, data, random() % 200);
        const unsigned long flags = random() % 4;
        const int required = Base64EncodeGetRequiredLength(static_cast<int>(data.size()), flags);
        encoded.Tail(static_cast<size_t>(required));
        int written = required;
        input.Put(data);
        ASSERT_EQ(1, Base64Encode(input.bytes(), static_cast<int>(data.size()), encoded.data(), &written, flags));
        ASSERT_LE(written, required);
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, FuzzZip, ::testing::Range(0, kShards));
INSTANTIATE_TEST_SUITE_P(Shards, FuzzGzip, ::testing::Range(0, kShards));
INSTANTIATE_TEST_SUITE_P(Shards, FuzzBase64, ::testing::Range(0, kShards));
