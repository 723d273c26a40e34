#include <util/hash.h>
#include <util/zip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/host_tools.h"
#include "support/process.h"
#include "zip_test_support.h"

using ziptest::AllItems;
using ziptest::FilesBelow;
using ziptest::ItemContent;

namespace {

typedef std::map<std::wstring, std::string> Files;

const std::wstring kChineseName = L"\u4E2D\u6587\u540D.txt";

std::string RandomText(std::mt19937& random, size_t size)
{
    std::string text(size, '\0');
    for (char& ch : text) {
        ch = (random() % 4) ? static_cast<char>('a' + random() % 6) : static_cast<char>(random());
    }
    return text;
}

// A folder with files of several sizes, a subfolder and a non-ASCII name.
Files MakeTree(const std::wstring& root, std::mt19937& random)
{
    Files files = {{L"empty.txt", ""},
                   {L"small.txt", "hello zip"},
                   {L"big.bin", RandomText(random, 300000)},
                   {L"sub/inner.txt", RandomText(random, 5000)},
                   {kChineseName, "\xD6\xD0\xCE\xC4"}};
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    for (const auto& file : files) {
        std::wstring path = root + L"\\" + file.first;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        hosttools::WriteFileBytes(path, file.second);
    }
    files[L"sub/"] = "";
    return files;
}

std::string Md5Hex(const std::string& data)
{
    char digest[16], hex[33];
    MMD5().MD5(data.data(), static_cast<int>(data.size()), digest);
    if (data.empty()) { // the engine leaves an empty input's digest zero; the host hashes it properly
        return "d41d8cd98f00b204e9800998ecf8427e";
    }
    MMD5::ConvertMD5ToStr(digest, hex, sizeof(hex));
    return hex;
}

// Checks an archive with the host's unzip and python's zipfile: the test results, then one line per
// item with its name, its UTF-8 flag and the MD5 of its content, sorted by name.
hosttools::Result CheckWithHostTools(const testsupport::TempDir& work, const std::wstring& archive)
{
    return hosttools::Python(work, R"(
import hashlib, zipfile
code, text = run("unzip", "-t", A[0])
out("unzip -t %d" % code)
with zipfile.ZipFile(A[0]) as z:
    out("testzip %s" % z.testzip())
    for info in sorted(z.infolist(), key=lambda i: i.filename.encode("utf-8")):
        out("%s|%d|%s" % (info.filename, bool(info.flag_bits & 0x800), hashlib.md5(z.read(info)).hexdigest()))
)",
                             {hosttools::UnixPath(archive)});
}

std::string ExpectedCheck(const Files& files)
{
    std::map<std::string, std::string> lines; // sorted by UTF-8 bytes as the snippet sorts
    for (const auto& file : files) {
        const std::string name = ziptest::Utf8(file.first);
        const bool ascii = std::all_of(file.first.begin(), file.first.end(), [](wchar_t ch) { return ch < 0x80; });
        lines[name] = name + "|" + (ascii ? "0" : "1") + "|" + Md5Hex(file.second);
    }
    std::string text = "unzip -t 0\ntestzip None";
    for (const auto& line : lines) {
        text += "\n" + line.second;
    }
    return text;
}

// Adds the tree's entries with every source kind: files by name, by handle and from memory.
void AddTree(HZIP archive, const std::wstring& root, const Files& files)
{
    int turn = 0;
    for (const auto& file : files) {
        std::wstring path = root + L"\\" + file.first;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        if (file.first.back() == L'/') {
            ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, file.first.c_str(), nullptr, 0, ZIPKIND_FOLDER));
            continue;
        }
        switch (turn++ % 3) {
        case 0:
            ASSERT_EQ(ZIPRES_OK,
                      ZipAdd(archive, file.first.c_str(), const_cast<wchar_t*>(path.c_str()), 0, ZIPKIND_FILENAME));
            break;
        case 1: {
            HANDLE handle =
                CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, handle);
            ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, file.first.c_str(), handle, static_cast<unsigned>(file.second.size()),
                                        ZIPKIND_HANDLE));
            CloseHandle(handle);
            break;
        }
        default:
            ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, file.first.c_str(), const_cast<char*>(file.second.data()),
                                        static_cast<unsigned>(file.second.size()), ZIPKIND_MEMORY));
        }
    }
}

Files OnlyFiles(Files files)
{
    for (auto it = files.begin(); it != files.end();) {
        it = it->first.back() == L'/' ? files.erase(it) : std::next(it);
    }
    return files;
}

} // namespace

TEST(ZipCreate, EverySourceKindMakesAStandardArchive)
{
    testsupport::TempDir work;
    std::mt19937 random(1);
    const Files files = MakeTree(work.file(L"tree"), random);
    const std::wstring archivePath = work.file(L"out.zip");
    HZIP archive = CreateZipZ(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    ASSERT_NE(nullptr, archive);
    EXPECT_TRUE(IsZipHandleZ(archive));
    EXPECT_FALSE(IsZipHandleU(archive));
    AddTree(archive, work.file(L"tree"), files);
    EXPECT_EQ(ZIPRES_OK, CloseZipZ(archive));
    EXPECT_FALSE(IsZipHandleZ(archive)) << "a closed handle is no longer recognised";

    HZIP reader = OpenZipU(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ("", ziptest::Difference(files, AllItems(reader)));
    EXPECT_EQ(ZIPRES_OK, CloseZipU(reader));

    if (hosttools::Available()) {
        const hosttools::Result result = CheckWithHostTools(work, archivePath);
        ASSERT_TRUE(result.ok) << result.output;
        EXPECT_EQ(ExpectedCheck(files), result.output);
    }
}

TEST(ZipCreate, MemoryArchivesEndOnRequestAndReadBackFromMemory)
{
    HZIP archive = CreateZipZ(nullptr, 1 << 20, ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, archive);
    const std::string one = "first item", two(70000, 'z');
    ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, L"one.txt", const_cast<char*>(one.data()), 10, ZIPKIND_MEMORY));
    ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, L"dir\\two.bin", const_cast<char*>(two.data()), 70000, ZIPKIND_MEMORY));
    ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, L"dir", nullptr, 0, ZIPKIND_FOLDER));
    void* block = nullptr;
    unsigned long used = 0;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
    ASSERT_NE(nullptr, block);
    EXPECT_LT(used, 2000ul) << "the repeated bytes are deflated";
    EXPECT_EQ(ZIPRES_ENDED, ZipAdd(archive, L"late.txt", const_cast<char*>("x"), 1, ZIPKIND_MEMORY));

    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, reader);
    ZIPENTRYW entry;
    ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, -1, &entry));
    EXPECT_EQ(3, entry.index);
    const Files expected = {{L"one.txt", one}, {L"dir/two.bin", two}, {L"dir/", ""}};
    EXPECT_EQ("", ziptest::Difference(expected, AllItems(reader)));
    ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, 2, &entry));
    EXPECT_TRUE(entry.attr & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ZIPRES_WRONG_HANDLE_KIND, ZipAdd(reader, L"x", nullptr, 0, ZIPKIND_FOLDER));
    EXPECT_EQ(ZIPRES_WRONG_HANDLE_KIND, GetZipItemW(archive, 0, &entry));
    EXPECT_EQ(ZIPRES_OK, CloseZipU(reader));
    EXPECT_EQ(ZIPRES_OK, CloseZipZ(archive));
}

TEST(ZipCreate, HandleAndPipeDestinations)
{
    testsupport::TempDir work;
    const std::string content(100000, 'q');
    // A disk file: the sizes go back into the local headers.
    const std::wstring path = work.file(L"handle.zip");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    HZIP archive = CreateZipZ(file, 0, ZIPKIND_HANDLE);
    ASSERT_NE(nullptr, archive);
    CloseHandle(file); // the archive keeps its own copy
    ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, L"q.txt", const_cast<char*>(content.data()), 100000, ZIPKIND_MEMORY));
    void* block = nullptr;
    unsigned long used = 0;
    EXPECT_EQ(ZIPRES_NOT_MEMORY_ZIP, ZipGetMemory(archive, &block, &used));
    ASSERT_EQ(ZIPRES_OK, CloseZipZ(archive));

    // A pipe cannot be rewritten: the sizes follow the data in descriptors.
    HANDLE readEnd, writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    std::string piped;
    std::thread drain([&] {
        char chunk[4096];
        DWORD read = 0;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
            piped.append(chunk, read);
        }
    });
    archive = CreateZipZ(writeEnd, 0, ZIPKIND_HANDLE);
    ASSERT_NE(nullptr, archive);
    CloseHandle(writeEnd);
    EXPECT_EQ(ZIPRES_OK, ZipAdd(archive, L"q.txt", const_cast<char*>(content.data()), 100000, ZIPKIND_MEMORY));
    EXPECT_EQ(ZIPRES_OK, ZipAdd(archive, kChineseName.c_str(), const_cast<char*>("abc"), 3, ZIPKIND_MEMORY));
    EXPECT_EQ(ZIPRES_OK, CloseZipZ(archive));
    drain.join();
    CloseHandle(readEnd);
    ASSERT_TRUE(hosttools::WriteFileBytes(work.file(L"pipe.zip"), piped));

    for (const std::wstring& name : {path, work.file(L"pipe.zip")}) {
        HZIP reader = OpenZipU(const_cast<wchar_t*>(name.c_str()), 0, ZIPKIND_FILENAME);
        ASSERT_NE(nullptr, reader);
        EXPECT_EQ(content, ItemContent(reader, 0));
        CloseZipU(reader);
    }
    if (hosttools::Available()) {
        const hosttools::Result result = CheckWithHostTools(work, work.file(L"pipe.zip"));
        ASSERT_TRUE(result.ok) << result.output;
        EXPECT_EQ(ExpectedCheck({{L"q.txt", content}, {kChineseName, "abc"}}), result.output);
    }
}

TEST(ZipCreate, FaultsAnswerTheirCodes)
{
    testsupport::TempDir work;
    std::vector<char> small(300);
    HZIP archive = CreateZipZ(small.data(), 300, ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, archive);
    const std::string noise = [] {
        std::mt19937 random(9);
        return RandomText(random, 5000);
    }();
    EXPECT_EQ(ZIPRES_MEMORY_FULL, ZipAdd(archive, L"n.bin", const_cast<char*>(noise.data()), 5000, ZIPKIND_MEMORY));
    EXPECT_EQ(ZIPRES_PREVIOUS_ERROR, ZipAdd(archive, L"m.txt", const_cast<char*>("m"), 1, ZIPKIND_MEMORY));
    char buffer[80];
    EXPECT_EQ(std::strlen("Caller: there was a previous error"), FormatZipMessageZ(ZIPRES_RECENT, buffer, 80));
    EXPECT_STREQ("Caller: there was a previous error", buffer);
    CloseZipZ(archive);

    archive = CreateZipZ(nullptr, 4096, ZIPKIND_MEMORY);
    EXPECT_EQ(ZIPRES_OPEN_FILE,
              ZipAdd(archive, L"x", const_cast<wchar_t*>(work.file(L"missing").c_str()), 0, ZIPKIND_FILENAME));
    EXPECT_EQ(ZIPRES_ARGUMENTS, ZipAdd(archive, L"bad\xD800name", const_cast<char*>("x"), 1, ZIPKIND_MEMORY))
        << "not valid UTF-16";
    EXPECT_EQ(ZIPRES_ARGUMENTS,
              ZipAdd(archive, std::wstring(600, L'n').c_str(), const_cast<char*>("x"), 1, ZIPKIND_MEMORY))
        << "a name longer than 518 bytes";
    EXPECT_EQ(ZIPRES_ARGUMENTS, ZipAdd(archive, L"x", const_cast<char*>("x"), 1, 9));
    EXPECT_EQ(ZIPRES_OK, ZipAdd(archive, L"still.txt", const_cast<char*>("fine"), 4, ZIPKIND_MEMORY))
        << "refused arguments leave the archive usable";
    CloseZipZ(archive);

    void* block = reinterpret_cast<void*>(1);
    unsigned long used = 5;
    ZipGetMemory(nullptr, &block, &used);
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(0ul, used);
    EXPECT_EQ(nullptr, CreateZipZ(const_cast<wchar_t*>(L"Z:\\no\\such\\folder\\x.zip"), 0, ZIPKIND_FILENAME));
    char recent[64];
    FormatZipMessageZ(ZIPRES_RECENT, recent, sizeof(recent));
    EXPECT_STREQ("Couldn't create/open file", recent);
    EXPECT_FALSE(IsZipHandleZ(reinterpret_cast<HZIP>(&used))) << "a foreign pointer is not followed";
}

TEST(ZipMessages, TextsAndTruncation)
{
    char buffer[10];
    EXPECT_EQ(29u, FormatZipMessageU(ZIPRES_NOT_FOUND, buffer, 10));
    EXPECT_STREQ("File not ", buffer);
    EXPECT_EQ(7u, FormatZipMessageU(ZIPRES_OK, nullptr, 0));
    char wide[80];
    FormatZipMessageU(0x12345, wide, sizeof(wide));
    EXPECT_STREQ("unknown zip result code", wide);
    FormatZipMessageZ(ZIPRES_DUPLICATE_HANDLE, wide, sizeof(wide));
    EXPECT_STREQ("Culdn't duplicate handle", wide);
    FormatZipMessageU(ZIPRES_FLATION, wide, sizeof(wide));
    EXPECT_STREQ("Zip-bug: an internal error during flation", wide);

    // Each side keeps its own most recent result.
    EXPECT_EQ(nullptr, OpenZipU(const_cast<char*>("not a zip at all, just text"), 27, ZIPKIND_MEMORY));
    HZIP archive = CreateZipZ(nullptr, 1000, ZIPKIND_MEMORY);
    FormatZipMessageU(ZIPRES_RECENT, wide, sizeof(wide));
    EXPECT_STREQ("Zipfile is corrupt or not a zipfile", wide);
    FormatZipMessageZ(ZIPRES_RECENT, wide, sizeof(wide));
    EXPECT_STREQ("Success", wide);
    CloseZipZ(archive);
}

TEST(ZipRead, ArchivesOfInfoZipAndPythonReadBack)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's tools";
    }
    testsupport::TempDir work;
    std::mt19937 random(2);
    const Files files = MakeTree(work.file(L"tree"), random);
    // Deflated with folders; stored; streamed to a pipe (data descriptors); python's stored, deflated
    // and streamed entries; a name in code page 936 without the UTF-8 flag.
    const hosttools::Result result = hosttools::Python(work, R"(
import os, subprocess, zipfile
os.chdir(A[0])
run("zip", "-r", "-q", "../deflated.zip", ".")
run("zip", "-r", "-q", "-0", "../stored.zip", ".")
with open("../streamed.zip", "wb") as f:
    subprocess.run("zip -r -q - . | cat", shell=True, stdout=f)
class Unseekable:
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
with open("../python.zip", "wb") as raw:
    with zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as z:
        for folder, dirs, names in os.walk("."):
            for d in dirs:
                z.write(os.path.join(folder, d), os.path.join(folder, d)[2:] + "/")
            for n in names:
                path = os.path.join(folder, n)[2:]
                kind = zipfile.ZIP_STORED if n.startswith("s") else zipfile.ZIP_DEFLATED
                with z.open(zipfile.ZipInfo(path), "w") as target:
                    target.write(open(path, "rb").read())
with zipfile.ZipFile("../gbk.zip", "w") as z:
    info = zipfile.ZipInfo("x")
    info.filename = "\u4e2d\u6587.txt"
    z.writestr(info, b"gbk name")
# Rewrite the name bytes as code page 936 and clear the UTF-8 flag, as old tools write them.
data = bytearray(open("../gbk.zip", "rb").read())
utf8, gbk = "\u4e2d\u6587.txt".encode("utf-8"), "\u4e2d\u6587.txt".encode("gbk")
data = data.replace(utf8, gbk + b"\0" * (len(utf8) - len(gbk)))
open("../gbk-raw.zip", "wb").write(data)
out("made")
)",
                                                       {hosttools::UnixPath(work.file(L"tree"))});
    ASSERT_TRUE(result.ok) << result.output;

    const Files expectedFiles = OnlyFiles(files);
    for (const wchar_t* name : {L"deflated.zip", L"stored.zip", L"streamed.zip", L"python.zip"}) {
        HZIP reader = OpenZipU(const_cast<wchar_t*>(work.file(name).c_str()), 0, ZIPKIND_FILENAME);
        ASSERT_NE(nullptr, reader) << name;
        EXPECT_EQ("", ziptest::Difference(expectedFiles, OnlyFiles(AllItems(reader)))) << name;
        const std::wstring target = work.file(std::wstring(L"out-") + name);
        EXPECT_EQ(ZIPRES_OK, UnzipToFolder(reader, target.c_str())) << name;
        EXPECT_EQ("", ziptest::Difference(files, FilesBelow(target))) << name;
        CloseZipU(reader);
    }
}

TEST(ZipRead, NamesInCodePage936AndUtf8ReadBack)
{
    // Written here byte by byte: one entry named in code page 936 without the flag, one in UTF-8 with it.
    HZIP archive = CreateZipZ(nullptr, 4096, ZIPKIND_MEMORY);
    ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, L"\u4E2D\u6587.txt", const_cast<char*>("u"), 1, ZIPKIND_MEMORY));
    void* block = nullptr;
    unsigned long used = 0;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
    std::string bytes(static_cast<char*>(block), used);
    CloseZipZ(archive);
    // Local and central headers both carry flag and name; rewrite them as an old tool would.
    const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87.txt", gbk = "\xD6\xD0\xCE\xC4.txt";
    std::string legacy = bytes;
    size_t at = 0;
    int names = 0;
    while ((at = legacy.find(utf8, at)) != std::string::npos) {
        legacy.replace(at, utf8.size(), gbk + std::string(2, '_'));
        ++names;
    }
    ASSERT_EQ(2, names);
    for (size_t flag : {size_t(7), legacy.find("PK\x01\x02") + 9}) {
        ASSERT_EQ(0x08, legacy[flag]) << "the UTF-8 flag byte";
        legacy[flag] = 0;
    }
    for (const std::string* archiveBytes : {&bytes, &legacy}) {
        HZIP reader = OpenZipU(const_cast<char*>(archiveBytes->data()), static_cast<unsigned>(archiveBytes->size()),
                               ZIPKIND_MEMORY);
        ASSERT_NE(nullptr, reader);
        ZIPENTRYW entry;
        ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, 0, &entry));
        EXPECT_EQ(archiveBytes == &bytes ? std::wstring(L"\u4E2D\u6587.txt") : std::wstring(L"\u4E2D\u6587.txt__"),
                  entry.name);
        ZIPENTRY narrow;
        ASSERT_EQ(ZIPRES_OK, GetZipItemA(reader, 0, &narrow));
        EXPECT_EQ(0, std::strncmp(narrow.name, "\xD6\xD0\xCE\xC4.txt", 8)) << "8-bit names in the system code page";
        CloseZipU(reader);
    }
}

TEST(ZipRead, FindAndQueryItems)
{
    HZIP archive = CreateZipZ(nullptr, 8192, ZIPKIND_MEMORY);
    ZipAdd(archive, L"Docs", nullptr, 0, ZIPKIND_FOLDER);
    ZipAdd(archive, L"Docs\\ReadMe.TXT", const_cast<char*>("read me"), 7, ZIPKIND_MEMORY);
    ZipAdd(archive, L"\u4E2D.txt", const_cast<char*>("zh"), 2, ZIPKIND_MEMORY);
    void* block;
    unsigned long used;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, reader);
    int index = -5;
    ZIPENTRYW entry;
    EXPECT_EQ(ZIPRES_NOT_FOUND, FindZipItemW(reader, L"docs/readme.txt", false, &index, &entry));
    EXPECT_EQ(-1, index);
    ASSERT_EQ(ZIPRES_OK, FindZipItemW(reader, L"docs\\readme.txt", true, &index, &entry));
    EXPECT_EQ(1, index);
    EXPECT_EQ(7, entry.unc_size);
    EXPECT_STREQ(L"Docs/ReadMe.TXT", entry.name);
    ZIPENTRY narrow;
    ASSERT_EQ(ZIPRES_OK, FindZipItemA(reader, "\xD6\xD0.txt", false, &index, &narrow));
    EXPECT_EQ(2, index);
    EXPECT_EQ(ZIPRES_ARGUMENTS, GetZipItemW(reader, 3, &entry));
    EXPECT_EQ(ZIPRES_ARGUMENTS, GetZipItemW(reader, -2, &entry));
    ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, 0, &entry));
    EXPECT_TRUE(entry.attr & FILE_ATTRIBUTE_DIRECTORY);
    // Times come back from the archive within the two seconds its DOS time keeps.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    EXPECT_LT(std::llabs(ticks(now) - ticks(entry.mtime)), 30LL * 10000000);
    CloseZipU(reader);
    CloseZipZ(archive);
}

// Look-ups by name find the first of equal names, whichever separator and case (accented and Greek
// letters too) the caller writes, and a name that differs in one character is not found.
TEST(ZipRead, FindTakesTheFirstOfEqualNamesInAnyCase)
{
    HZIP archive = CreateZipZ(nullptr, 1 << 16, ZIPKIND_MEMORY);
    const wchar_t* names[] = {L"a/\u00C9t\u00E9.txt", L"A\\\u00C9T\u00C9.TXT", L"a/\u00E9t\u00E9.txt", L"\u03A3\u03C3.txt",
                              L"dup.txt", L"dup.txt"};
    for (const wchar_t* name : names) {
        ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, name, const_cast<char*>("x"), 1, ZIPKIND_MEMORY));
    }
    void* block;
    unsigned long used;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, reader);
    const struct {
        const wchar_t* name;
        bool ignoreCase;
        int index; // -1: not found
    } cases[] = {
        {L"A\\\u00C9T\u00C9.TXT", false, 1}, {L"a\\\u00E9t\u00E9.txt", false, 2}, {L"a\\\u00E9t\u00E9.txt", true, 0},
        {L"A/\u00C9T\u00C9.TXT", true, 0},     {L"\u03C3\u03A3.TXT", true, 3},         {L"\u03C3\u03A3.txt", false, -1},
        {L"DUP.txt", true, 4},               {L"dup.txt", false, 4},                 {L"a/ete.txt", true, -1},
        {L"dup.tx", true, -1},
    };
    for (const auto& c : cases) {
        int index = -5;
        ZIPENTRYW entry;
        const ZRESULT result = FindZipItemW(reader, c.name, c.ignoreCase, &index, &entry);
        EXPECT_EQ(c.index < 0 ? ZIPRES_NOT_FOUND : ZIPRES_OK, result) << c.index;
        EXPECT_EQ(c.index, index) << "case " << (&c - cases);
    }
    CloseZipU(reader);
    CloseZipZ(archive);
}

TEST(ZipRead, MemoryDestinationsInPieces)
{
    std::string content(100000, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 / 13);
    }
    HZIP archive = CreateZipZ(nullptr, 1 << 20, ZIPKIND_MEMORY);
    ZipAdd(archive, L"a.bin", &content[0], 100000, ZIPKIND_MEMORY);
    ZipAdd(archive, L"b.txt", const_cast<char*>("bee"), 3, ZIPKIND_MEMORY);
    void* block;
    unsigned long used;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    std::string gathered, piece(30000, '\0');
    ZRESULT result;
    while ((result = UnzipItem(reader, 0, &piece[0], 30000, ZIPKIND_MEMORY)) == ZIPRES_MORE_DATA) {
        gathered += piece;
    }
    EXPECT_EQ(ZIPRES_OK, result);
    gathered += piece.substr(0, 10000);
    EXPECT_TRUE(content == gathered);

    EXPECT_EQ(ZIPRES_MORE_DATA, UnzipItem(reader, 0, &piece[0], 30000, ZIPKIND_MEMORY));
    testsupport::TempDir work;
    const std::wstring target = work.file(L"a.bin");
    EXPECT_EQ(ZIPRES_PARTIALLY_UNZIPPED,
              UnzipItem(reader, 0, const_cast<wchar_t*>(target.c_str()), 0, ZIPKIND_FILENAME));
    EXPECT_EQ("bee", ItemContent(reader, 1)) << "another item abandons the partial one";
    EXPECT_EQ(ZIPRES_OK, UnzipItem(reader, 0, const_cast<wchar_t*>(target.c_str()), 0, ZIPKIND_FILENAME));
    EXPECT_TRUE(content == hosttools::ReadFileBytes(target));
    CloseZipU(reader);
    CloseZipZ(archive);
}

TEST(ZipRead, EverySourceKindUnzipsToAFolder)
{
    testsupport::TempDir work;
    std::mt19937 random(3);
    const Files files = MakeTree(work.file(L"tree"), random);
    const std::wstring archivePath = work.file(L"tree.zip");
    HZIP archive = CreateZipZ(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    AddTree(archive, work.file(L"tree"), files);
    ASSERT_EQ(ZIPRES_OK, CloseZipZ(archive));
    const std::string bytes = hosttools::ReadFileBytes(archivePath);

    // The archive sits behind other bytes in the file; reading from a handle starts where it points.
    const std::wstring prefixed = work.file(L"prefixed.bin");
    ASSERT_TRUE(hosttools::WriteFileBytes(prefixed, "some leading bytes" + bytes));
    HANDLE file = CreateFileW(prefixed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFilePointer(file, 18, nullptr, FILE_BEGIN);
    HZIP fromHandle = OpenZipU(file, 0, ZIPKIND_HANDLE);
    CloseHandle(file);
    HZIP fromName = OpenZipU(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    HZIP fromMemory = OpenZipU(const_cast<char*>(bytes.data()), static_cast<unsigned>(bytes.size()), ZIPKIND_MEMORY);
    int round = 0;
    for (HZIP reader : {fromHandle, fromName, fromMemory}) {
        ASSERT_NE(nullptr, reader) << round;
        const std::wstring target = work.file(L"out" + std::to_wstring(round++));
        EXPECT_EQ(ZIPRES_OK, UnzipToFolder(reader, target.c_str()));
        EXPECT_EQ("", ziptest::Difference(files, FilesBelow(target)));
        // And item by item into open files.
        const std::wstring single = target + L"-small.txt";
        int index = -1;
        ASSERT_EQ(ZIPRES_OK, FindZipItemW(reader, L"small.txt", false, &index, nullptr));
        HANDLE out = CreateFileW(single.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_EQ(ZIPRES_OK, UnzipItem(reader, index, out, 0, ZIPKIND_HANDLE));
        CloseHandle(out);
        EXPECT_EQ("hello zip", hosttools::ReadFileBytes(single));
        CloseZipU(reader);
    }
    HANDLE pipeRead, pipeWrite;
    ASSERT_TRUE(CreatePipe(&pipeRead, &pipeWrite, nullptr, 0));
    EXPECT_EQ(nullptr, OpenZipU(pipeRead, 0, ZIPKIND_HANDLE));
    char message[64];
    FormatZipMessageU(ZIPRES_RECENT, message, sizeof(message));
    EXPECT_STREQ("Zip-bug: trying to seek the unseekable", message);
    CloseHandle(pipeRead);
    CloseHandle(pipeWrite);
}

TEST(ZipRead, NamesLeavingTheFolderAreRefused)
{
    testsupport::TempDir work;
    const std::wstring inside = work.file(L"target");
    for (const wchar_t* bad :
         {L"../evil.txt", L"/abs.txt", L"\\abs2.txt", L"C:/drive.txt", L"C:rel.txt", L"a/../../up.txt",
          L"sub\\..\\..\\up2.txt", L"ok.txt:stream", L"..", L"\\\\server\\share\\x.txt"}) {
        HZIP archive = CreateZipZ(nullptr, 4096, ZIPKIND_MEMORY);
        ZipAdd(archive, L"fine.txt", const_cast<char*>("fine"), 4, ZIPKIND_MEMORY);
        ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, bad, const_cast<char*>("evil"), 4, ZIPKIND_MEMORY)) << bad;
        void* block;
        unsigned long used;
        ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));
        HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
        ASSERT_NE(nullptr, reader);
        EXPECT_EQ(ZIPRES_CORRUPT, UnzipToFolder(reader, inside.c_str())) << bad;
        EXPECT_EQ("fine", hosttools::ReadFileBytes(inside + L"\\fine.txt")) << "items before it are unpacked";
        // The item's own name as the destination is held to the same rule.
        ZIPENTRYW entry;
        ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, 1, &entry));
        EXPECT_EQ(ZIPRES_CORRUPT, UnzipItem(reader, 1, entry.name, 0, ZIPKIND_FILENAME)) << bad;
        CloseZipU(reader);
        CloseZipZ(archive);
    }
    // Nothing but the target folder appeared anywhere around it.
    const Files around = FilesBelow(work.path());
    for (const auto& file : around) {
        EXPECT_EQ(0u, file.first.find(L"target/")) << file.first.c_str();
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\drive.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\abs.txt"));

    // A full path of the caller's own choosing is fine.
    HZIP archive = CreateZipZ(nullptr, 4096, ZIPKIND_MEMORY);
    ZipAdd(archive, L"plain.txt", const_cast<char*>("plain"), 5, ZIPKIND_MEMORY);
    void* block;
    unsigned long used;
    ZipGetMemory(archive, &block, &used);
    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    const std::wstring chosen = work.file(L"chosen\\deep\\copy.txt");
    EXPECT_EQ(ZIPRES_OK, UnzipItem(reader, 0, const_cast<wchar_t*>(chosen.c_str()), 0, ZIPKIND_FILENAME));
    EXPECT_EQ("plain", hosttools::ReadFileBytes(chosen));
    CloseZipU(reader);
    CloseZipZ(archive);
}

TEST(ZipFolder, AddFolderContentTakesTheWholeTree)
{
    testsupport::TempDir work;
    std::mt19937 random(4);
    const Files files = MakeTree(work.file(L"tree"), random);
    const std::wstring archivePath = work.file(L"folder.zip");
    HZIP archive = CreateZipZ(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    EXPECT_EQ(1, AddFolderContent(archive, work.path().c_str(), L"tree"));
    EXPECT_EQ(0, AddFolderContent(archive, work.path().c_str(), L"missing"));
    ASSERT_EQ(ZIPRES_OK, CloseZipZ(archive));
    Files expected = {{L"tree/", ""}};
    for (const auto& file : files) {
        expected[L"tree/" + file.first] = file.second;
    }
    HZIP reader = OpenZipU(const_cast<wchar_t*>(archivePath.c_str()), 0, ZIPKIND_FILENAME);
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ("", ziptest::Difference(expected, AllItems(reader)));
    CloseZipU(reader);
    if (hosttools::Available()) {
        const hosttools::Result result = CheckWithHostTools(work, archivePath);
        ASSERT_TRUE(result.ok) << result.output;
        EXPECT_EQ(ExpectedCheck(expected), result.output);
    }
}

TEST(ZipRead, UnicodePathFieldsNameItemsWhileTheirCrcMatches)
{
    if (!hosttools::Available()) {
        GTEST_SKIP() << "needs the host's python3";
    }
    testsupport::TempDir work;
    const hosttools::Result result = hosttools::Python(work, R"(
import struct, zipfile, zlib
def unicode_path(stored, name, crc=None):
    utf8 = name.encode("utf-8")
    crc = zlib.crc32(stored) if crc is None else crc
    return struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, crc) + utf8
with zipfile.ZipFile(A[0], "w") as z:
    good = zipfile.ZipInfo("plain.txt")
    good.extra = unicode_path(b"plain.txt", "\u4e2d\u6587.txt")
    z.writestr(good, b"good")
    stale = zipfile.ZipInfo("other.txt")
    stale.extra = unicode_path(b"other.txt", "\u65e7.txt", crc=1)
    z.writestr(stale, b"stale")
out("made")
)",
                                                       {hosttools::UnixPath(work.file(L"unicode.zip"))});
    ASSERT_TRUE(result.ok) << result.output;
    const std::wstring path = work.file(L"unicode.zip");
    HZIP reader = OpenZipU(const_cast<wchar_t*>(path.c_str()), 0, ZIPKIND_FILENAME);
    ASSERT_NE(nullptr, reader);
    const Files expected = {{L"\u4E2D\u6587.txt", "good"}, {L"other.txt", "stale"}};
    EXPECT_EQ("", ziptest::Difference(expected, AllItems(reader))) << "a stale field is ignored";
    CloseZipU(reader);
}
