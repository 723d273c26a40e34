#include <util/file.h>
#include <util/runlog.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/child_program.h"
#include "support/process.h"

namespace {

using testsupport::TempDir;

void WriteText(const std::wstring& path, const std::string& bytes)
{
    KXFile file;
    ASSERT_EQ(file.Create(path.c_str()), 1);
    ASSERT_EQ(file.Write(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
}

std::string ReadAll(KXFile& file)
{
    std::string bytes(file.GetFileLength(), '\0');
    EXPECT_EQ(file.Seek(0, FILE_BEGIN), 0);
    EXPECT_EQ(file.Read(&bytes[0], static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
    return bytes;
}

// Failures of the file wrapper are logged; the log lives beside the program, so these run in a
// copy of it in a folder of its own.
int LogFileErrors()
{
    KXFile file;
    CHILD_CHECK(file.Create(L"data.bin") == 1);
    CHILD_CHECK(file.Write("abc", 3) == 3);
    file.Close();
    CHILD_CHECK(file.Open(L"data.bin", KXFile::modeRead | KXFile::shareRead) == 1);
    CHILD_CHECK(file.Write("x", 1) == -1);
    CHILD_CHECK(file.SetFileLength() == -1);
    file.Close();
    CHILD_CHECK(file.Open(L"data.bin", KXFile::modeWrite) == 1);
    char buffer[4];
    CHILD_CHECK(file.Read(buffer, 3) == -1);
    CHILD_CHECK(file.Seek(-10, FILE_BEGIN) == -1);
    return 0;
}

const bool g_scenarios = childprogram::AddScenarios({{L"file-errors", LogFileErrors}});

} // namespace

TEST(KXFile, OpenCreateReadWriteAndLength)
{
    TempDir dir;
    const std::wstring path = dir.file(L"a.bin");
    KXFile file;
    EXPECT_EQ(file.Open(path.c_str(), KXFile::modeReadWriteShared), -1);
    EXPECT_FALSE(file.IsOpen());

    ASSERT_EQ(file.Create(path.c_str()), 1);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.GetFileLength(), 11ul);
    EXPECT_EQ(file.Seek(-5, FILE_END), 6);
    char five[5];
    EXPECT_EQ(file.Read(five, 5), 5);
    EXPECT_EQ(std::string(five, 5), "world");
    EXPECT_EQ(file.Read(five, 5), 0); // at the end
    EXPECT_EQ(file.SetFileLength(5ul), 1);
    EXPECT_EQ(ReadAll(file), "hello");
    EXPECT_EQ(file.Seek(2, FILE_BEGIN), 2);
    EXPECT_EQ(file.Seek(1, FILE_CURRENT), 3);
    EXPECT_EQ(file.SetFileLength(), 1);
    EXPECT_EQ(ReadAll(file), "hel");
    file.Close();
    EXPECT_FALSE(file.IsOpen());

    // Create keeps what an existing file holds.
    ASSERT_EQ(file.Create(path.c_str()), 1);
    EXPECT_EQ(ReadAll(file), "hel");
}

TEST(KXFile, SharingFlagsDecideConcurrentOpens)
{
    TempDir dir;
    const std::wstring path = dir.file(L"shared.bin");
    WriteText(path, "x");
    KXFile exclusive, second;
    ASSERT_EQ(exclusive.Open(path.c_str(), KXFile::modeRead), 1);
    EXPECT_EQ(second.Open(path.c_str(), KXFile::modeRead | KXFile::shareRead), -1);
    exclusive.Close();

    KXFile reader, writer;
    ASSERT_EQ(reader.Open(path.c_str(), KXFile::modeRead | KXFile::shareRead | KXFile::shareWrite), 1);
    ASSERT_EQ(writer.Open(path.c_str(), KXFile::modeReadWriteShared), 1);
    EXPECT_EQ(writer.Seek(0, FILE_END), 1);
    EXPECT_EQ(writer.Write("yz", 2), 2);
    EXPECT_EQ(ReadAll(reader), "xyz");
}

TEST(KXFile, StaticHelpers)
{
    TempDir dir;
    const std::wstring deep = dir.file(L"one\\two/three");
    EXPECT_FALSE(KXFile::IsExist(deep.c_str()));
    EXPECT_EQ(KXFile::CreateDirectoryW(deep.c_str()), 1);
    EXPECT_TRUE(KXFile::IsExist(dir.file(L"one\\two").c_str()));
    EXPECT_TRUE(KXFile::IsExist(deep.c_str()));
    EXPECT_EQ(KXFile::CreateDirectoryW(deep.c_str()), 1); // already there

    // A file where a directory should go: the last step fails.
    const std::wstring blocker = dir.file(L"blocker");
    WriteText(blocker, "x");
    EXPECT_EQ(KXFile::CreateDirectoryW((blocker + L"\\sub").c_str()), -1);
    EXPECT_EQ(KXFile::CreateDirectoryW(nullptr), -1);

    const std::wstring moved = dir.file(L"moved");
    EXPECT_TRUE(KXFile::MoveFileW(blocker.c_str(), moved.c_str()));
    EXPECT_FALSE(KXFile::IsExist(blocker.c_str()));
    EXPECT_FALSE(KXFile::MoveFileW(blocker.c_str(), moved.c_str()));
    EXPECT_EQ(KXFile::DeleteFileW(moved.c_str()), 1);
    EXPECT_EQ(KXFile::DeleteFileW(moved.c_str()), -1);
}

TEST(KXFile, CopyDirCopiesTheWholeTree)
{
    TempDir dir;
    const std::wstring source = dir.file(L"src");
    ASSERT_EQ(KXFile::CreateDirectoryW((source + L"\\inner\\deeper").c_str()), 1);
    WriteText(source + L"\\a.txt", "top");
    WriteText(source + L"\\inner\\b.txt", "middle");
    WriteText(source + L"\\inner\\deeper\\c.txt", "bottom");
    SetFileAttributesW((source + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    const std::wstring target = dir.file(L"dst\\copy");
    ASSERT_TRUE(KXFile::CopyDir(source.c_str(), target.c_str()));
    for (const auto& entry : {std::make_pair(L"\\a.txt", "top"), std::make_pair(L"\\inner\\b.txt", "middle"),
                              std::make_pair(L"\\inner\\deeper\\c.txt", "bottom")}) {
        KXFile copy;
        ASSERT_EQ(copy.Open((target + entry.first).c_str(), KXFile::modeRead | KXFile::shareRead), 1) << entry.second;
        EXPECT_EQ(ReadAll(copy), entry.second);
    }
    EXPECT_EQ(GetFileAttributesW((target + L"\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW((source + L"\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(KXFile::CopyDir(dir.file(L"missing").c_str(), dir.file(L"other").c_str()));
}

TEST(KXFile, FailuresAreLoggedWithThePath)
{
    childprogram::ChildFolder folder(L"util_file_child.exe");
    ASSERT_EQ(folder.Run(L"file-errors"), 0ul);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::string bytes =
        childprogram::ReadBytes(folder.file(KxFormat(L"%d-%d-%d.log", now.wYear, now.wMonth, now.wDay)));
    ASSERT_GT(bytes.size(), 2u);
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    for (const wchar_t* operation : {L"Write", L"SetFileLength", L"Read", L"Seek"}) {
        const std::wstring line =
            std::wstring(L"][ModuleID:16846848]: KXFile::") + operation + L" Error From data.bin\r\n";
        EXPECT_NE(text.find(line), std::wstring::npos) << "no line for " << operation;
    }
    EXPECT_EQ(text.find(L"[Level:3]"), 0u);
}
