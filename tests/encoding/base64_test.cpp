#include <util/base64.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/guarded_buffer.h"
#include "support/host_tools.h"
#include "support/process.h"

namespace {

std::string Encode(const std::string& data, unsigned long flags)
{
    int room = Base64EncodeGetRequiredLength(static_cast<int>(data.size()), flags);
    std::string text(static_cast<size_t>(room), '\0');
    EXPECT_EQ(1, Base64Encode(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()),
                              &text[0], &room, flags));
    text.resize(static_cast<size_t>(room));
    return text;
}

std::string Decode(const std::string& text)
{
    int room = Base64DecodeGetRequiredLength(static_cast<int>(text.size()));
    std::string data(static_cast<size_t>(room), '\0');
    EXPECT_EQ(
        1, Base64Decode(text.data(), static_cast<int>(text.size()), reinterpret_cast<unsigned char*>(&data[0]), &room));
    data.resize(static_cast<size_t>(room));
    return data;
}

} // namespace

TEST(Base64, ReferenceVectorsInBothEncoders)
{
    const char* vectors[][2] = {{"", ""},
                                {"f", "Zg=="},
                                {"fo", "Zm8="},
                                {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="},
                                {"fooba", "Zm9vYmE="},
                                {"foobar", "Zm9vYmFy"}};
    CBase64Coding coding;
    for (const auto& vector : vectors) {
        EXPECT_EQ(vector[1], coding.Base64Encode(vector[0]));
        EXPECT_EQ(vector[1], Encode(vector[0], BASE64_FLAG_NOCRLF));
        EXPECT_EQ(vector[0], Decode(vector[1]));
    }
    EXPECT_EQ("TWFu", coding.Base64Encode("Man"));
    EXPECT_EQ("TQ==", coding.Base64Encode("M"));
}

TEST(Base64, UrlVariantEscapesOnlyPlus)
{
    CBase64Coding coding;
    const std::string bytes("\xFB\xEF", 2);
    EXPECT_EQ("++8=", coding.Base64Encode(bytes));
    EXPECT_EQ("%2B%2B8=", coding.Base64UrlEncode(bytes));
    const std::string slashes("\xFF\xFF\xFF", 3);
    EXPECT_EQ("////", coding.Base64UrlEncode(slashes));
}

TEST(Base64, LinesOf76AndRequiredLengths)
{
    const std::string data(57, 'x');
    EXPECT_EQ(80, Base64EncodeGetRequiredLength(57, 0));
    const std::string lines = Encode(data, 0);
    ASSERT_EQ(78u, lines.size());
    EXPECT_EQ("\r\n", lines.substr(76));
    EXPECT_EQ(76, Base64EncodeGetRequiredLength(57, BASE64_FLAG_NOCRLF));
    EXPECT_EQ(76u, Encode(data, BASE64_FLAG_NOCRLF).size());
    EXPECT_EQ("TQ", Encode("M", BASE64_FLAG_NOPAD));
    const std::string twoLines = Encode(std::string(58, 'x'), 0);
    EXPECT_EQ("\r\neA==", twoLines.substr(76));

    int room = Base64EncodeGetRequiredLength(57, 0) - 1;
    char buffer[80];
    EXPECT_EQ(0, Base64Encode(reinterpret_cast<const unsigned char*>(data.data()), 57, buffer, &room, 0));
    EXPECT_EQ(0, Base64Encode(nullptr, 57, buffer, &room, 0));
    EXPECT_EQ(-1, Base64EncodeGetRequiredLength(-1, 0));
    EXPECT_EQ(-1, Base64EncodeGetRequiredLength(0x7FFFFFFF, 0)) << "the room would not fit in an int";
}

TEST(Base64, DecodingSkipsForeignCharactersAndReportsTheFullLength)
{
    EXPECT_EQ("Man", Decode("TW Fu"));
    EXPECT_EQ("Man", Decode("T\r\nW=F u"));
    int room = 3;
    EXPECT_EQ(0, Base64Decode("TWFu", 4, nullptr, &room));
    EXPECT_EQ(3, room);
    unsigned char small[4] = {0, 0, 0, 0xAA};
    room = 2;
    EXPECT_EQ(0, Base64Decode("TWFuTWFu", 8, small, &room));
    EXPECT_EQ(6, room);
    EXPECT_EQ(0xAA, small[3]);
    EXPECT_EQ(0, Base64Decode(nullptr, 4, small, &room));
    EXPECT_EQ(0, Base64Decode("TWFu", 4, small, nullptr));
    EXPECT_EQ("Ma", Decode(std::string("TWE\0u", 5))) << "a zero character ends the text";
    EXPECT_EQ(-1, DecodeBase64Char('='));
    EXPECT_EQ(62, DecodeBase64Char('+'));
    EXPECT_EQ(63, DecodeBase64Char('/'));
    EXPECT_EQ(-1, DecodeBase64Char(0x100 + 'A'));
}

TEST(Base64, DecodingStopsExactlyAtTheCallersRoom)
{
    const std::string text = Encode(std::string(300, '\x5A'), 0);
    GuardedBuffer exact(225); // fewer than the 300 bytes: storing must stop at the page edge
    int room = 225;
    EXPECT_EQ(0, Base64Decode(text.data(), static_cast<int>(text.size()), exact.bytes(), &room));
    EXPECT_EQ(300, room);
    EXPECT_EQ(std::string(225, '\x5A'), std::string(exact.data(), 225));
}

TEST(Base64, EveryFlagAndSizeUpTo200AgreesWithPython)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    std::mt19937 random(4648);
    std::string inputs, outputs;
    for (int size = 0; size <= 200; ++size) {
        std::string data(static_cast<size_t>(size), '\0');
        for (char& ch : data) {
            ch = static_cast<char>(random());
        }
        inputs += data;
        for (unsigned long flags = 0; flags < 4; ++flags) {
            const std::string text = Encode(data, flags);
            outputs += std::to_string(text.size()) + ":" + text;
            EXPECT_EQ(data, Decode(text)) << "size " << size << " flags " << flags;
        }
    }
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"inputs.bin"), inputs));
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"outputs.txt"), outputs));
    const hosttools::Result result = hosttools::Python(
        work, R"(
import base64
inputs = open(A[0], "rb").read()
outputs = open(A[1], "rb").read()
at = 0
bad = 0
for size in range(201):
    data, inputs = inputs[:size], inputs[size:]
    for flags in range(4):
        colon = outputs.index(b":", at)
        length = int(outputs[at:colon])
        ours = outputs[colon + 1:colon + 1 + length]
        at = colon + 1 + length
        plain = base64.b64encode(data)
        if flags & 1:
            plain = plain.rstrip(b"=")
        if not flags & 2:
            groups = size // 3
            whole, tail = plain[:groups * 4], plain[groups * 4:]
            lines = [whole[i:i + 76] for i in range(0, len(whole), 76)]
            ending = b"\r\n" if groups and groups % 19 == 0 else b""
            plain = b"\r\n".join(lines) + ending + tail
        if plain != ours:
            bad += 1
            out("size %d flags %d: %r != %r" % (size, flags, ours, plain))
        if base64.b64decode(ours.replace(b"\r\n", b"") + b"=" * (-len(ours.replace(b"\r\n", b"")) % 4)) != data:
            out("size %d flags %d does not decode" % (size, flags))
out("bad %d" % bad)
)",
        {hosttools::UnixPath(work.file(L"inputs.bin")), hosttools::UnixPath(work.file(L"outputs.txt"))});
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ("bad 0", result.output);
}

TEST(Base64, DecodesWhatPythonWrites)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    // Each piece: its data and its text with 76-character lines ended by LF, then a stray space.
    const hosttools::Result result = hosttools::Python(work, R"(
import base64, random
random.seed(7)
with open(A[0], "wb") as pieces:
    for size in range(0, 300, 7):
        chunk = bytes(random.randrange(256) for _ in range(size))
        text = base64.encodebytes(chunk) + b" "
        pieces.write(b"%d:%d:" % (size, len(text)) + chunk + text)
)",
                                                       {hosttools::UnixPath(work.file(L"pieces.bin"))});
    ASSERT_TRUE(result.ok) << result.output;
    const std::string pieces = hosttools::ReadFileBytes(work.file(L"pieces.bin"));
    size_t at = 0;
    int checked = 0;
    while (at < pieces.size()) {
        const size_t first = pieces.find(':', at);
        const size_t second = pieces.find(':', first + 1);
        ASSERT_NE(std::string::npos, second);
        const size_t size = std::stoul(pieces.substr(at, first - at));
        const size_t length = std::stoul(pieces.substr(first + 1, second - first - 1));
        const std::string data = pieces.substr(second + 1, size);
        const std::string text = pieces.substr(second + 1 + size, length);
        EXPECT_TRUE(data == Decode(text)) << "piece of " << size << " bytes";
        at = second + 1 + size + length;
        ++checked;
    }
    EXPECT_EQ(43, checked);
}

namespace {

// Base64 bit by bit: six bits at a time, padding as the flags say, a line break after every line of
// 76 characters made of 57 whole bytes.
std::string ReferenceEncode(const unsigned char* data, size_t size, unsigned long flags)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string chars;
    chars.reserve(size * 4 / 3 + 4); // the checked heap makes every reallocation costly
    for (size_t bit = 0; bit < size * 8; bit += 6) {
        int value = 0;
        for (size_t b = bit; b < bit + 6; ++b) {
            value = value << 1 | (b < size * 8 ? (data[b / 8] >> (7 - b % 8)) & 1 : 0);
        }
        chars += alphabet[value];
    }
    if (!(flags & BASE64_FLAG_NOPAD)) {
        chars.append((4 - chars.size() % 4) % 4, '=');
    }
    if (flags & BASE64_FLAG_NOCRLF) {
        return chars;
    }
    std::string lines;
    lines.reserve(chars.size() + chars.size() / 76 * 2 + 2);
    for (size_t at = 0; at < chars.size(); at += 76) {
        lines.append(chars, at, 76).append((at / 76 + 1) * 57 <= size ? "\r\n" : "");
    }
    return lines;
}

} // namespace

// Every encoder the processor has (AVX2, SSSE3, table) gives the reference's characters at every
// length and alignment, reading nothing past the input and writing nothing past the required room.
TEST(Base64, EveryLengthAndAlignmentMatchesTheReference)
{
    std::mt19937 random(21);
    std::string bytes(1000 + 15, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    GuardedBuffer input(bytes.size());
    GuardedBuffer output(static_cast<size_t>(Base64EncodeGetRequiredLength(1000, 0)));
    for (unsigned long flags : {0ul, 1ul, 2ul, 3ul}) {
        for (size_t size = 0; size <= 1000; ++size) {
            const std::string expected =
                ReferenceEncode(reinterpret_cast<const unsigned char*>(bytes.data()), size, flags);
            for (const Base64Code code : {BASE64_CODE_AVX2, BASE64_CODE_SSSE3, BASE64_CODE_TABLE}) {
                Base64LimitCode(code);
                // Alignment matters to the vector encoders only.
                for (size_t slack = 0; slack < (code == BASE64_CODE_TABLE ? 1u : 16u); ++slack) {
                    char* at = input.Tail(size + slack);
                    std::memcpy(at, bytes.data(), size);
                    int room = Base64EncodeGetRequiredLength(static_cast<int>(size), flags);
                    char* text = output.Tail(static_cast<size_t>(room));
                    ASSERT_EQ(1, Base64Encode(reinterpret_cast<const unsigned char*>(at), static_cast<int>(size), text,
                                              &room, flags));
                    ASSERT_EQ(expected, std::string_view(text, static_cast<size_t>(room)))
                        << size << " bytes, " << slack << " after, flags " << flags << ", code " << code;
                }
            }
            Base64LimitCode(BASE64_CODE_AVX2);
        }
    }
}

namespace {

// One decoding of a text by one of the two decoders into a room at the end of a guarded block, so that
// a byte stored past the room crashes the test.
struct Decoding {
    int result = 0;
    int length = 0;
    std::vector<unsigned char> room; // the room's bytes afterwards, stored or not

    void Run(bool tableOnly, const char* text, int n, GuardedBuffer& output, int roomSize, bool nullRoom)
    {
        unsigned char* dst = nullptr;
        if (!nullRoom && roomSize >= 0) {
            dst = reinterpret_cast<unsigned char*>(output.Tail(static_cast<size_t>(roomSize)));
            std::memset(dst, 0xA5, static_cast<size_t>(roomSize));
        } else if (!nullRoom) {
            dst = reinterpret_cast<unsigned char*>(output.Tail(0));
        }
        Base64LimitCode(tableOnly ? BASE64_CODE_TABLE : BASE64_CODE_AVX2);
        length = roomSize;
        result = Base64Decode(text, n, dst, &length);
        Base64LimitCode(BASE64_CODE_AVX2);
        const size_t kept = dst && roomSize > 0 ? static_cast<size_t>(roomSize) : 0;
        room.assign(dst, dst + kept); // within the capacity reserved up front: no allocation
    }
};

// The text of size random bytes in lines, then made harder as the case says. Answers its length.
enum class TextCase { Lines, Foreign, ZeroInside, ZeroEndedWithGenerousLength, Count };

size_t MakeText(std::mt19937& random, size_t size, TextCase textCase, std::vector<char>& bytes,
                std::vector<char>& lines, std::vector<char>& text)
{
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(random());
    }
    int length = static_cast<int>(lines.size());
    Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(size), lines.data(), &length,
                 textCase == TextCase::Foreign ? static_cast<unsigned long>(BASE64_FLAG_NOCRLF) : 0ul);
    size_t at = 0;
    static const char kForeign[] = " =\x80\xFF\t-.*@[`{\r\n";
    for (int i = 0; i < length; ++i) {
        if (textCase == TextCase::Foreign && random() % 9 == 0) {
            text[at++] = kForeign[random() % (sizeof(kForeign) - 1)];
        }
        text[at++] = lines[static_cast<size_t>(i)];
    }
    if (textCase == TextCase::ZeroInside && at > 0) {
        text[random() % at] = '\0';
    }
    if (textCase == TextCase::ZeroEndedWithGenerousLength) {
        text[at++] = '\0';
    }
    return at;
}

} // namespace

// The vector decoder and the table decoder agree on every result, reported length and stored byte, for
// texts of every length at every alignment: in lines, strewn with foreign characters, cut by a zero,
// and ended by a zero at the edge of readable memory with a length that goes past it. Rooms: enough,
// too small, negative, and none (a size query).
TEST(Base64, BothDecodersAgreeAtEveryLengthAndAlignment)
{
    std::mt19937 random(64);
    const size_t kMaxBytes = 1000;
    const int kMaxText = Base64EncodeGetRequiredLength(kMaxBytes, 0);
    std::vector<char> bytes(kMaxBytes), lines(static_cast<size_t>(kMaxText)), text(2 * static_cast<size_t>(kMaxText));
    GuardedBuffer input(text.size() + 16), output(static_cast<size_t>(kMaxText));
    Decoding table, vector;
    table.room.reserve(static_cast<size_t>(kMaxText));
    vector.room.reserve(static_cast<size_t>(kMaxText));
    for (size_t size = 0; size <= kMaxBytes; ++size) {
        for (int textCase = 0; textCase < static_cast<int>(TextCase::Count); ++textCase) {
            const size_t length = MakeText(random, size, static_cast<TextCase>(textCase), bytes, lines, text);
            const bool generous = static_cast<TextCase>(textCase) == TextCase::ZeroEndedWithGenerousLength;
            const int n = static_cast<int>(length) + (generous ? 64 : 0);
            // With a generous length the zero is the last readable byte: one placement only.
            const size_t placements = generous ? 1 : 16;
            for (size_t slack = 0; slack < placements; ++slack) {
                char* at = input.Tail(length + slack);
                std::memcpy(at, text.data(), length);
                const int rooms[] = {static_cast<int>(size), static_cast<int>(size * 2 / 3), -1, 0};
                for (size_t r = 0; r < 4; ++r) {
                    const bool nullRoom = r == 3;
                    table.Run(true, at, n, output, rooms[r], nullRoom);
                    vector.Run(false, at, n, output, rooms[r], nullRoom);
                    ASSERT_TRUE(table.result == vector.result && table.length == vector.length &&
                                table.room == vector.room)
                        << size << " bytes, case " << textCase << ", slack " << slack << ", room " << rooms[r]
                        << (nullRoom ? " (null)" : "") << ": results " << table.result << "/" << vector.result
                        << ", lengths " << table.length << "/" << vector.length;
                }
            }
        }
    }
}
