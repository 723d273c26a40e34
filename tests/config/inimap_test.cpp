#include <util/inimap.h>
#include <util/file.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/process.h"

namespace {

using testsupport::TempDir;

void PutBytes(const std::wstring& path, const std::string& bytes)
{
    KXFile::DeleteFileW(path.c_str());
    KXFile file;
    ASSERT_EQ(file.Create(path.c_str()), 1);
    ASSERT_EQ(file.Write(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
}

std::string GetBytes(const std::wstring& path)
{
    KXFile file;
    if (file.Open(path.c_str(), KXFile::modeRead | KXFile::shareRead | KXFile::shareWrite) != 1) {
        return {};
    }
    std::string bytes(file.GetFileLength(), '\0');
    file.Read(&bytes[0], static_cast<int>(bytes.size()));
    return bytes;
}

std::string Utf16File(const std::wstring& text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string GbkFile(const std::wstring& text)
{
    const int size =
        WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::wstring Value(YIniMapMemory& ini, const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[256];
    int length = -1;
    const int found = ini.GetStringW(section, key, buffer, 256, &length);
    if (found != YIniMapMemory::valueFound) {
        return L"<" + std::to_wstring(found) + L">";
    }
    EXPECT_EQ(length, static_cast<int>(wcslen(buffer)));
    return buffer;
}

// Exercises every rule of the accepted text; lines end with \n here, replaced per test.
const std::wstring kRules = L"orphan=before any section\n"
                            L"[  交易 设置  ]  trailing text\n"
                            L"  账号 =  张三  \n"
                            L"=empty key\n"
                            L"nothing=   \n"
                            L"no equals sign here\n"
                            L"url=http://x/?a=1&b=2\n"
                            L";comment=still a key\n"
                            L"账号=second value loses\n"
                            L"[ ]\n"
                            L"dropped=after an empty name\n"
                            L"[Open\n"
                            L"k=v\n"
                            L"[交易 设置]\n"
                            L"ACCOUNT=ignored, same key in another case? no: other key\n"
                            L"\t\x01key2\t=\tv2\x1f\n";

void ExpectRules(YIniMapMemory& ini)
{
    EXPECT_TRUE(ini.ExistSectionW(L"交易 设置"));
    EXPECT_EQ(Value(ini, L"交易 设置", L"账号"), L"张三");
    EXPECT_EQ(Value(ini, L"交易 设置", L""), L"empty key");
    EXPECT_EQ(Value(ini, L"交易 设置", L"nothing"), L"<0>");
    EXPECT_EQ(Value(ini, L"交易 设置", L"url"), L"http://x/?a=1&b=2");
    EXPECT_EQ(Value(ini, L"交易 设置", L";comment"), L"still a key");
    EXPECT_EQ(Value(ini, L"交易 设置", L"account"), L"ignored, same key in another case? no: other key");
    EXPECT_EQ(Value(ini, L"交易 设置", L"KEY2"), L"v2");
    EXPECT_EQ(Value(ini, L"open", L"k"), L"v");
    EXPECT_FALSE(ini.ExistSectionW(L""));
    EXPECT_FALSE(ini.ExistSectionW(L" "));
    EXPECT_EQ(Value(ini, L"交易 设置", L"orphan"), L"<0>");
    EXPECT_EQ(Value(ini, L"交易 设置", L"dropped"), L"<0>");
}

std::wstring WithLineEnds(std::wstring text, const std::wstring& end)
{
    std::wstring result;
    for (const wchar_t ch : text) {
        if (ch == L'\n') {
            result += end;
        } else {
            result += ch;
        }
    }
    return result;
}

} // namespace

TEST(YIniMapMemory, BothEncodingsAndLineEndsGiveTheSameKeys)
{
    TempDir dir;
    const std::wstring unicode = dir.file(L"unicode.ini"), gbk = dir.file(L"gbk.ini"), cr = dir.file(L"cr.ini");
    PutBytes(unicode, Utf16File(WithLineEnds(kRules, L"\r\n")));
    PutBytes(gbk, GbkFile(kRules));
    PutBytes(cr, GbkFile(WithLineEnds(kRules, L"\r")));
    for (const std::wstring& path : {unicode, gbk, cr}) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(path.begin(), path.end()));
        YIniMapMemory ini;
        ini.LoadFromFile(path.c_str());
        ExpectRules(ini);
    }
}

TEST(YIniMapMemory, ReadsCutToTheBufferAndReportNullKeys)
{
    TempDir dir;
    const std::wstring path = dir.file(L"cut.ini");
    PutBytes(path, Utf16File(L"[s]\r\nsix=abcdef\r\nnum=-42x\r\nhex=0x10\r\n"));
    YIniMapMemory ini;
    ini.LoadFromFile(path.c_str());

    wchar_t buffer[8];
    int length = -1;
    EXPECT_EQ(ini.GetStringW(L"s", L"six", buffer, 4, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(length, 3);
    // Capacity 0: nothing is written.
    buffer[0] = L'#';
    EXPECT_EQ(ini.GetStringW(L"s", L"six", buffer, 0, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(buffer[0], L'#');
    // A missing section empties the buffer, a missing key leaves it.
    EXPECT_EQ(ini.GetStringW(L"none", L"six", buffer, 8, &length), YIniMapMemory::valueMissing);
    EXPECT_EQ(buffer[0], 0);
    buffer[0] = L'#';
    EXPECT_EQ(ini.GetStringW(L"s", L"none", buffer, 8, &length), YIniMapMemory::valueMissing);
    EXPECT_EQ(buffer[0], L'#');

    int number = 0;
    EXPECT_EQ(ini.GetIntW(L"S", L"NUM", &number), YIniMapMemory::valueFound);
    EXPECT_EQ(number, -42);
    EXPECT_EQ(ini.GetIntW(L"s", L"hex", &number), YIniMapMemory::valueFound);
    EXPECT_EQ(number, 0);

    EXPECT_TRUE(ini.WriteNullW(L"s", L"six"));
    EXPECT_EQ(ini.GetStringW(L"s", L"six", buffer, 8, &length), YIniMapMemory::valueNull);
    EXPECT_EQ(ini.GetIntW(L"s", L"six", &number), YIniMapMemory::valueNull);
    EXPECT_TRUE(ini.WriteNullW(L"new", L"key")); // makes the section only
    EXPECT_TRUE(ini.ExistSectionW(L"new"));
    EXPECT_EQ(ini.GetStringW(L"new", L"key", buffer, 8, &length), YIniMapMemory::valueMissing);
    // The file was not touched by the null marks.
    YIniMapMemory second;
    second.LoadFromFile(path.c_str());
    EXPECT_EQ(Value(second, L"s", L"six"), L"abcdef");
}

TEST(YIniMapMemory, MissesBeforeAnyLoadMarkTheKeyNull)
{
    YIniMapMemory ini;
    wchar_t buffer[8];
    int length = 0;
    EXPECT_EQ(ini.GetStringW(L"s", L"k", buffer, 8, &length), YIniMapMemory::valueMissing);
    EXPECT_TRUE(ini.ExistSectionW(L"s"));
    ini.LoadFromFile(nullptr);
    EXPECT_FALSE(ini.ExistSectionW(L"s"));
    EXPECT_EQ(ini.GetStringW(L"s", L"k", buffer, 8, &length), YIniMapMemory::valueMissing);
    EXPECT_FALSE(ini.ExistSectionW(L"s")); // loaded now: a miss is only a miss
}

TEST(YIniMapMemory, WritesGoThroughToTheFileInItsEncoding)
{
    TempDir dir;
    const std::wstring unicode = dir.file(L"u.ini"), gbk = dir.file(L"g.ini"), fresh = dir.file(L"sub.ini");
    PutBytes(unicode, Utf16File(L"[s]\r\nold=1\r\n"));
    PutBytes(gbk, GbkFile(L"[s]\r\nold=1\r\n"));
    for (const std::wstring& path : {unicode, gbk, fresh}) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(path.begin(), path.end()));
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        YIniMapMemory ini;
        ini.LoadFromFile(path.c_str());
        EXPECT_TRUE(ini.WriteStringW(L"s", L"名字", L"李四"));
        EXPECT_TRUE(ini.WriteIntW(L"数字", L"n", -7));
        EXPECT_TRUE(ini.WriteStringW(L"s", L"old", L"2"));
        EXPECT_EQ(Value(ini, L"s", L"名字"), L"李四");
        EXPECT_EQ(Value(ini, L"s", L"old"), L"2");

        YIniMapMemory second;
        second.LoadFromFile(path.c_str());
        EXPECT_EQ(Value(second, L"s", L"名字"), L"李四");
        EXPECT_EQ(Value(second, L"s", L"old"), L"2");
        EXPECT_EQ(Value(second, L"数字", L"n"), L"-7");
    }
    // A file made by a write is UTF-16; a GBK file stays GBK.
    EXPECT_EQ(GetBytes(fresh).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(GetBytes(unicode).substr(0, 2), "\xFF\xFE");
    EXPECT_NE(GetBytes(gbk).find(GbkFile(L"名字=李四")), std::string::npos);
}

TEST(YIniMapMemory, SectionsAreClearedRewrittenAndReplaced)
{
    TempDir dir;
    const std::wstring path = dir.file(L"s.ini");
    PutBytes(path, Utf16File(L"[a]\r\nx=1\r\n[b]\r\ny=2\r\n"));
    YIniMapMemory ini;
    ini.LoadFromFile(path.c_str());
    ini.ClearSectionW(L"a");
    EXPECT_FALSE(ini.ExistSectionW(L"a"));
    YIniMapMemory reader;
    reader.LoadFromFile(path.c_str());
    EXPECT_FALSE(reader.ExistSectionW(L"a"));
    EXPECT_EQ(Value(reader, L"b", L"y"), L"2");

    // Clearing a missing section leaves the file alone.
    const std::string before = GetBytes(path);
    ini.ClearSectionW(L"missing");
    EXPECT_EQ(GetBytes(path), before);

    ini.WriteSectionW(L"b", L"p=3\0q=4\0");
    EXPECT_EQ(Value(ini, L"b", L"p"), L"3");
    EXPECT_EQ(Value(ini, L"b", L"q"), L"4");
    EXPECT_EQ(Value(ini, L"b", L"y"), L"<0>");

    EXPECT_TRUE(ini.WriteAllStringW(L"[n]\r\nz=9\r\n"));
    EXPECT_EQ(Value(ini, L"n", L"z"), L"9");
    EXPECT_FALSE(ini.ExistSectionW(L"b"));
    EXPECT_EQ(GetBytes(path), Utf16File(L"[n]\r\nz=9\r\n"));
    EXPECT_FALSE(ini.WriteAllStringW(nullptr));

    // Without a file the section rewrite leaves nothing.
    YIniMapMemory memoryOnly;
    memoryOnly.WriteStringW(L"m", L"k", L"v");
    memoryOnly.WriteSectionW(L"m", L"k=w\0");
    EXPECT_FALSE(memoryOnly.ExistSectionW(L"m"));
}

TEST(YIniMapMemory, CopiesAreDeep)
{
    YIniMapMemory original;
    original.WriteStringW(L"s", L"k", L"one");
    YIniMapMemory copy(original);
    copy.WriteStringW(L"s", L"k", L"two");
    EXPECT_EQ(Value(original, L"s", L"k"), L"one");
    original = copy;
    EXPECT_EQ(Value(original, L"s", L"k"), L"two");
}

TEST(YIniMapMemory, EightBitFormsCutAtCharacterBoundaries)
{
    TempDir dir;
    const std::wstring path = dir.file(L"a.ini");
    YIniMapMemory ini;
    ini.LoadFromFile(path.c_str());
    EXPECT_TRUE(ini.WriteStringA("\xbd\xbb\xd2\xd7", "k",
                                 "\xd6\xd0\xce\xc4"
                                 "abc")); // 交易, 中文abc
    EXPECT_EQ(Value(ini, L"交易", L"k"), L"中文abc");

    char buffer[16];
    int length = -1;
    EXPECT_EQ(ini.GetStringA("\xbd\xbb\xd2\xd7", "k", buffer, 16, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(std::string(buffer), "\xd6\xd0\xce\xc4"
                                   "abc");
    EXPECT_EQ(length, 7);
    // Room for three bytes: the second character does not fit whole.
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(ini.GetStringA("\xbd\xbb\xd2\xd7", "k", buffer, 4, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(std::string(buffer), "\xd6\xd0");
    EXPECT_EQ(length, 2);
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(ini.GetStringA("\xbd\xbb\xd2\xd7", "k", buffer, 2, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(length, 0);
    buffer[0] = '#';
    EXPECT_EQ(ini.GetStringA("\xbd\xbb\xd2\xd7", "k", buffer, 0, &length), YIniMapMemory::valueFound);
    EXPECT_EQ(buffer[0], '#');

    int number = 0;
    EXPECT_TRUE(ini.WriteIntA("n", "i", 12345));
    EXPECT_EQ(ini.GetIntA("n", "i", &number), YIniMapMemory::valueFound);
    EXPECT_EQ(number, 12345);
    EXPECT_TRUE(ini.ExistSectionA("N"));
    EXPECT_TRUE(ini.WriteNullA("n", "i"));
    EXPECT_EQ(ini.GetIntA("n", "i", &number), YIniMapMemory::valueNull);
    ini.ClearSectionA("n");
    EXPECT_FALSE(ini.ExistSectionA("n"));

    ini.WriteSectionA("\xbd\xbb\xd2\xd7", "a=\xd6\xd0\0b=2\0");
    EXPECT_EQ(Value(ini, L"交易", L"a"), L"中");
    EXPECT_EQ(Value(ini, L"交易", L"b"), L"2");
    EXPECT_TRUE(ini.WriteAllStringA("[x]\r\ny=\xce\xc4\r\n"));
    EXPECT_EQ(Value(ini, L"x", L"y"), L"文");
}

TEST(YIniMapMemory, EightBitTextsOfAnyLengthArriveWhole)
{
    TempDir dir;
    YIniMapMemory ini;
    ini.LoadFromFile(dir.file(L"long.ini").c_str());
    for (const size_t size : {511u, 512u, 513u, 3000u}) {
        const std::string key(size, 'k');
        const std::string value = std::string(size - 1, 'v') + "!";
        ASSERT_TRUE(ini.WriteStringA("long", key.c_str(), value.c_str()));
        std::vector<char> buffer(size + 1);
        int length = 0;
        ASSERT_EQ(ini.GetStringA("long", key.c_str(), buffer.data(), static_cast<int>(buffer.size()), &length),
                  YIniMapMemory::valueFound)
            << size;
        EXPECT_EQ(std::string(buffer.data()), value) << size;
        EXPECT_EQ(length, static_cast<int>(size));
    }
}

TEST(YIniMapMemory, BadTextNeverCrashes)
{
    TempDir dir;
    const std::wstring path = dir.file(L"bad.ini");
    std::mt19937 random(1234);
    std::vector<std::string> inputs;
    inputs.push_back(std::string(1 << 20, 'x'));                  // a huge line
    inputs.push_back("[" + std::string(100000, 's'));             // a section without ']'
    inputs.push_back("[s]\n" + std::string(100000, '=') + "\n");  // only '='
    inputs.push_back(std::string("[s]\0k=v\0\0\nz\0=\0y\n", 17)); // embedded zeros
    inputs.push_back("\xFF\xFE" + std::string(1, 'a'));           // half a character
    inputs.push_back("\xFF");                                     // half a mark
    for (int i = 0; i < 40; ++i) {
        std::string bytes(static_cast<size_t>(random() % 4096), '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>("[]=\r\n ab\x81\xfe\x00\xd6"[random() % 12]);
        }
        if (i % 2 == 0) {
            bytes = "\xFF\xFE" + bytes;
        }
        inputs.push_back(bytes);
    }
    for (const std::string& input : inputs) {
        PutBytes(path, input);
        YIniMapMemory ini;
        ini.LoadFromFile(path.c_str());
        wchar_t buffer[16];
        int length = 0;
        const int found = ini.GetStringW(L"s", L"k", buffer, 16, &length);
        EXPECT_TRUE(found == YIniMapMemory::valueFound || found == YIniMapMemory::valueMissing);
    }
    // Zeros count as blanks inside a line.
    PutBytes(path, std::string("[s]\0\nk\0=\0v\0\n", 13));
    YIniMapMemory zeros;
    zeros.LoadFromFile(path.c_str());
    EXPECT_EQ(Value(zeros, L"s", L"k"), L"v");
}

// Names are ordered as the runtime's case-blind comparison orders them, whatever mix of ASCII and
// other characters they hold.
TEST(IniMapNames, OrderAsTheRuntimeComparisonDoes)
{
    const wchar_t* const names[] = {L"",        L"a",      L"A",       L"ab",      L"aB",        L"Ab_",     L"[",
                                    L"_",       L"Z",      L"z1",      L"key13",   L"KEY13",     L"key130",  L"交易",
                                    L"交易设置", L"a交易", L"A交易x", L"ÄB",       L"äb",         L"äc",      L"É",
                                    L"é",       L"a\x7f", L"a\x80",  L"section7", L"Section7a", L"~",       L"\xffff"};
    for (const wchar_t* a : names) {
        for (const wchar_t* b : names) {
            EXPECT_EQ(YIniMapMemory::NameLess()(std::wstring(a), b), _wcsicmp(a, b) < 0)
                << testing::PrintToString(std::wstring(a)) << " against " << testing::PrintToString(std::wstring(b));
        }
    }
}
