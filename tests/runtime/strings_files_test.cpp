#include <util/strutil.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/process.h"

namespace {

void MakeFile(const std::wstring& path, const char* content = "x")
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

template <typename Strings>
Strings Sorted(Strings strings)
{
    std::sort(strings.begin(), strings.end());
    return strings;
}

// a.txt, 中文.txt, sub\b.txt, sub\deeper\c.txt, empty\ under the folder.
void MakeTree(const testsupport::TempDir& dir)
{
    MakeFile(dir.file(L"a.txt"));
    MakeFile(dir.file(L"中文.txt"));
    ASSERT_TRUE(CreateDirectoryW(dir.file(L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.file(L"sub\\deeper").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.file(L"empty").c_str(), nullptr));
    MakeFile(dir.file(L"sub\\b.txt"));
    MakeFile(dir.file(L"sub\\deeper\\c.txt"));
}

} // namespace

TEST(StrFileTree, EnumListsFilesOfTheFolderFirstThenOfItsSubfolders)
{
    testsupport::TempDir dir;
    MakeTree(dir);
    std::vector<std::wstring> files{L"stale entry"};
    ASSERT_EQ(EnumAllFilesW(dir.path().c_str(), files), 4);
    ASSERT_EQ(files.size(), 4u);
    const std::vector<std::wstring> direct(files.begin(), files.begin() + 2);
    EXPECT_EQ(Sorted(direct), Sorted(std::vector<std::wstring>{dir.file(L"a.txt"), dir.file(L"中文.txt")}));
    EXPECT_EQ(files[2], dir.file(L"sub\\b.txt"));
    EXPECT_EQ(files[3], dir.file(L"sub\\deeper\\c.txt"));
}

TEST(StrFileTree, EnumAnsiGivesGbkPaths)
{
    testsupport::TempDir dir;
    MakeTree(dir);
    const std::string root = T2C(dir.path().c_str());
    std::vector<std::string> files;
    ASSERT_EQ(EnumAllFilesA(root.c_str(), files), 4);
    EXPECT_NE(std::find(files.begin(), files.end(), root + "\\\xd6\xd0\xce\xc4.txt"), files.end());
    // A trailing separator is not doubled.
    ASSERT_EQ(EnumAllFilesA((root + "\\sub\\").c_str(), files), 2);
    EXPECT_EQ(files[0], root + "\\sub\\b.txt");
}

TEST(StrFileTree, EnumOfMissingOrEmptyFolderGivesNothing)
{
    testsupport::TempDir dir;
    std::vector<std::wstring> files{L"old"};
    EXPECT_EQ(EnumAllFilesW(dir.path().c_str(), files), 0);
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(EnumAllFilesW(dir.file(L"missing").c_str(), files), 0);
    EXPECT_EQ(EnumAllFilesW(nullptr, files), 0);
    std::vector<std::string> ansi{"old"};
    EXPECT_EQ(EnumAllFilesA("", ansi), 0);
    EXPECT_TRUE(ansi.empty());
}

TEST(StrFileTree, DeleteRemovesTheWholeTreeIncludingReadOnlyFiles)
{
    testsupport::TempDir dir;
    const std::wstring root = dir.file(L"victim");
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    MakeFile(root + L"\\top.txt");
    ASSERT_TRUE(CreateDirectoryW((root + L"\\子目录").c_str(), nullptr));
    MakeFile(root + L"\\子目录\\locked.txt");
    ASSERT_TRUE(SetFileAttributesW((root + L"\\子目录\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    MakeFile(dir.file(L"sibling.txt"));

    EXPECT_EQ(KxDelFileW(root.c_str()), 0);
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(dir.file(L"sibling.txt"))) << "only the named folder goes";
}

TEST(StrFileTree, DeleteAnsiPathAndSingleFile)
{
    testsupport::TempDir dir;
    const std::wstring root = dir.file(L"目录");
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    MakeFile(root + L"\\f.txt");
    EXPECT_EQ(KxDelFileA(T2C(root.c_str()).c_str()), 0);
    EXPECT_FALSE(Exists(root));

    MakeFile(dir.file(L"lonely.txt"));
    KxDelFileW(dir.file(L"lonely.txt").c_str());
    EXPECT_FALSE(Exists(dir.file(L"lonely.txt")));
}
