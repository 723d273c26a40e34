#include <util/gzip.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/host_tools.h"
#include "support/process.h"

namespace {

std::string Text(const std::vector<char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Compressible but not trivial: words from a small vocabulary with random bytes between.
std::string SampleData(std::mt19937& random, size_t size)
{
    static const char* words[] = {"alpha ", "beta ", "gamma ", "delta ", "\xD6\xD0\xCE\xC4 "};
    std::string data;
    while (data.size() < size) {
        data += (random() % 8) ? words[random() % 5] : std::string(1, static_cast<char>(random()));
    }
    data.resize(size);
    return data;
}

std::string Compressed(const std::string& data)
{
    std::vector<char> out;
    EXPECT_EQ(1, GZCompress(const_cast<char*>(data.data()), static_cast<int>(data.size()), out));
    return Text(out);
}

} // namespace

TEST(GZBuffer, RoundTripsAndWritesAZlibHeader)
{
    std::mt19937 random(1950);
    for (size_t size : {0u, 1u, 100u, 65536u, 1000003u}) {
        const std::string data = SampleData(random, size);
        const std::string packed = Compressed(data);
        ASSERT_GE(packed.size(), 2u);
        EXPECT_EQ('\x78', packed[0]);
        std::vector<char> back{'x'};
        if (size == 0) {
            continue; // nothing to restore from an empty source
        }
        ASSERT_EQ(1, GZUncompress(const_cast<char*>(packed.data()), static_cast<int>(packed.size()), back));
        EXPECT_TRUE(data == Text(back)) << size;
    }
}

TEST(GZBuffer, HighlyCompressibleDataStillRestores)
{
    const std::string zeros(20 << 20, '\0'); // about 1000 to 1, near deflate's limit
    const std::string packed = Compressed(zeros);
    std::vector<char> back;
    ASSERT_EQ(1, GZUncompress(const_cast<char*>(packed.data()), static_cast<int>(packed.size()), back));
    EXPECT_EQ(zeros.size(), back.size());
}

TEST(GZBuffer, TruncatedOrCorruptInputEndsWithMinusOne)
{
    std::mt19937 random(3);
    const std::string data = SampleData(random, 50000);
    std::string packed = Compressed(data);
    std::vector<char> out;
    for (size_t cut : {size_t(1), size_t(2), packed.size() / 2, packed.size() - 1}) {
        std::string truncated = packed.substr(0, cut);
        EXPECT_EQ(-1, GZUncompress(&truncated[0], static_cast<int>(truncated.size()), out)) << cut;
    }
    packed[packed.size() - 2] ^= 0x55; // the Adler-32 check fails
    EXPECT_EQ(-1, GZUncompress(&packed[0], static_cast<int>(packed.size()), out));
    EXPECT_EQ(-1, GZUncompress(nullptr, 10, out));
    EXPECT_EQ(-1, GZCompress(nullptr, 10, out));
    EXPECT_EQ(-1, GZCompress(&packed[0], -1, out));
}

TEST(GZBuffer, AgreesWithPythonsZlibBothWays)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    std::mt19937 random(11);
    const std::string data = SampleData(random, 300000);
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"ours.z"), Compressed(data)));
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"data.bin"), data));
    const hosttools::Result result =
        hosttools::Python(work, R"(
import zlib
data = open(A[1], "rb").read()
out(zlib.decompress(open(A[0], "rb").read()) == data)
open(A[2], "wb").write(zlib.compress(data, 1))
)",
                          {hosttools::UnixPath(work.file(L"ours.z")), hosttools::UnixPath(work.file(L"data.bin")),
                           hosttools::UnixPath(work.file(L"theirs.z"))});
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ("True", result.output);
    std::string theirs = hosttools::ReadFileBytes(work.file(L"theirs.z"));
    std::vector<char> back;
    ASSERT_EQ(1, GZUncompress(&theirs[0], static_cast<int>(theirs.size()), back));
    EXPECT_TRUE(data == Text(back));
}

TEST(GZip, StringWrittenAndReadBack)
{
    testsupport::TempDir work;
    const std::wstring path = work.file(L"\u6587\u672C.gz");
    CGZip writer;
    ASSERT_TRUE(writer.Open(path.c_str(), ZIPPER_MODE_WRITE));
    EXPECT_TRUE(writer.IsWriting());
    EXPECT_FALSE(writer.Open(path.c_str(), ZIPPER_MODE_WRITE)) << "already open";
    EXPECT_TRUE(writer.WriteString(L"\u4E2Da"));
    EXPECT_EQ(-1, writer.ReadBufferSize(nullptr, 0)) << "reading a writer";
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());

    CGZip reader;
    ASSERT_TRUE(reader.Open(path.c_str(), ZIPPER_MODE_READ));
    EXPECT_FALSE(reader.WriteBuffer(const_cast<char*>("x"), 1)) << "writing a reader";
    wchar_t* text = nullptr;
    ASSERT_NE(0, reader.ReadString(&text));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(std::wstring(L"\u4E2Da"), std::wstring(text));
    EXPECT_EQ(0, text[2]);
    delete[] text;
    EXPECT_TRUE(reader.IsEOF());
    EXPECT_EQ(0, reader.ReadString(&text)) << "nothing left";
}

TEST(GZip, BuffersInPiecesAndWholeWithLevelsAndFlush)
{
    testsupport::TempDir work;
    std::mt19937 random(5);
    const std::string data = SampleData(random, 700001);
    const std::wstring path = work.file(L"data.gz");
    CGZip writer;
    writer.SetCompression(1);
    ASSERT_TRUE(writer.Open(path.c_str(), ZIPPER_MODE_WRITE));
    writer.SetCompression(9);
    writer.SetStrategy(1);
    EXPECT_EQ(9, writer.GetCompression());
    EXPECT_EQ(1, writer.GetStrategy());
    EXPECT_TRUE(writer.WriteBuffer(const_cast<char*>(data.data()), 300000));
    EXPECT_TRUE(writer.Flush(2));
    EXPECT_TRUE(writer.WriteBuffer(const_cast<char*>(data.data()) + 300000, 400001));
    EXPECT_TRUE(writer.Close());

    CGZip pieces;
    ASSERT_TRUE(pieces.Open(path.c_str(), ZIPPER_MODE_READ));
    std::string read(1000, '\0');
    ASSERT_EQ(1000, pieces.ReadBufferSize(&read[0], 1000));
    EXPECT_EQ(data.substr(0, 1000), read);
    void* rest = nullptr;
    unsigned length = 0;
    ASSERT_NE(0, pieces.ReadBuffer(&rest, length));
    EXPECT_EQ(data.size() - 1000, length);
    EXPECT_TRUE(data.substr(1000) == std::string(static_cast<char*>(rest), length));
    delete[] static_cast<char*>(rest);
    EXPECT_EQ(0, pieces.ReadBufferSize(&read[0], 1000));

    EXPECT_STREQ("1.1.4", CZipper::GetVersion());
    CGZip missing;
    EXPECT_FALSE(missing.Open(work.file(L"missing.gz").c_str(), ZIPPER_MODE_READ));
    EXPECT_FALSE(missing.Open(path.c_str(), 3));
    EXPECT_FALSE(missing.Open(ZIPPER_MODE_READ)) << "a stream needs a file";
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(missing.IsEOF());
    EXPECT_FALSE(missing.Close());
}

TEST(GZip, ATruncatedFileGivesNothing)
{
    testsupport::TempDir work;
    std::mt19937 random(8);
    const std::string data = SampleData(random, 200000);
    const std::wstring path = work.file(L"cut.gz");
    {
        CGZip writer;
        ASSERT_TRUE(writer.Open(path.c_str(), ZIPPER_MODE_WRITE));
        ASSERT_TRUE(writer.WriteBuffer(const_cast<char*>(data.data()), static_cast<unsigned>(data.size())));
    }
    const std::string whole = hosttools::ReadFileBytes(path);
    ASSERT_TRUE(hosttools::WriteFileBytes(path, whole.substr(0, whole.size() / 2)));
    CGZip reader;
    ASSERT_TRUE(reader.Open(path.c_str(), ZIPPER_MODE_READ));
    void* content = reinterpret_cast<void*>(1);
    unsigned length = 77;
    EXPECT_EQ(0, reader.ReadBuffer(&content, length));
    EXPECT_EQ(nullptr, content);
    EXPECT_EQ(0u, length);
}

TEST(GZip, MemoryStreamsAcceptMembersAndRefuseDamage)
{
    testsupport::TempDir work;
    std::mt19937 random(21);
    const std::string first = SampleData(random, 30000), second = SampleData(random, 5000);
    std::string stream;
    for (const std::string* part : {&first, &second}) {
        const std::wstring path = work.file(L"part.gz");
        CGZip writer;
        ASSERT_TRUE(writer.Open(path.c_str(), ZIPPER_MODE_WRITE));
        ASSERT_TRUE(writer.WriteBuffer(const_cast<char*>(part->data()), static_cast<unsigned>(part->size())));
        ASSERT_TRUE(writer.Close());
        stream += hosttools::ReadFileBytes(path);
    }
    CGZip gzip;
    std::vector<char> out{'x'};
    ASSERT_EQ(35000, gzip.UnCompress_Stream(stream.data(), static_cast<unsigned>(stream.size()), out));
    EXPECT_TRUE(first + second == Text(out));
    EXPECT_EQ(0, gzip.UnCompress_Stream(nullptr, 5, out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(-1, gzip.UnCompress_Stream(stream.data(), static_cast<unsigned>(stream.size() / 3), out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(5, gzip.UnCompress_Stream("plain", 5, out)) << "data without the signature is taken as it is";
}

TEST(GZip, FilesAgreeWithGzipAndPythonBothWays)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's tools";
    }
    testsupport::TempDir work;
    std::mt19937 random(1952);
    const std::string data = SampleData(random, 400000);
    {
        CGZip writer;
        ASSERT_TRUE(writer.Open(work.file(L"ours.gz").c_str(), ZIPPER_MODE_WRITE));
        ASSERT_TRUE(writer.WriteBuffer(const_cast<char*>(data.data()), static_cast<unsigned>(data.size())));
        ASSERT_TRUE(writer.Close());
    }
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"data.bin"), data));
    const hosttools::Result result =
        hosttools::Python(work, R"(
import gzip, shutil
code, text = run("gzip", "-t", A[0])
out("gzip -t %d %s" % (code, text.strip()))
data = open(A[1], "rb").read()
out(gzip.decompress(open(A[0], "rb").read()) == data)
shutil.copy(A[1], A[2])
code, text = run("gzip", "-f", "-9", A[2])
out("gzip %d" % code)
)",
                          {hosttools::UnixPath(work.file(L"ours.gz")), hosttools::UnixPath(work.file(L"data.bin")),
                           hosttools::UnixPath(work.file(L"theirs"))});
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ("gzip -t 0 \nTrue\ngzip 0", result.output);

    CGZip reader;
    ASSERT_TRUE(reader.Open(work.file(L"theirs.gz").c_str(), ZIPPER_MODE_READ));
    void* content = nullptr;
    unsigned length = 0;
    ASSERT_NE(0, reader.ReadBuffer(&content, length));
    EXPECT_TRUE(data == std::string(static_cast<char*>(content), length));
    delete[] static_cast<char*>(content);

    const std::string theirs = hosttools::ReadFileBytes(work.file(L"theirs.gz"));
    std::vector<char> out;
    EXPECT_EQ(static_cast<int>(data.size()),
              CGZip().UnCompress_Stream(theirs.data(), static_cast<unsigned>(theirs.size()), out));
    EXPECT_TRUE(data == Text(out));
}
