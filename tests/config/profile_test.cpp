#include <util/file.h>
#include <util/inimap.h>
#include <util/profile.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "runtime/child_program.h"
#include "support/process.h"

namespace {

using testsupport::TempDir;

std::string GetBytes(const std::wstring& path)
{
    return childprogram::ReadBytes(path);
}

std::wstring Slashed(std::wstring path)
{
    for (wchar_t& ch : path) {
        ch = ch == L'\\' ? L'/' : static_cast<wchar_t>(towlower(ch));
    }
    return path;
}

std::wstring Read(const wchar_t* section, const wchar_t* key, const std::wstring& file)
{
    wchar_t buffer[128];
    const DWORD length = CKxProfile::GetPrivateProfileStringW(section, key, L"<none>", buffer, 128, file.c_str());
    EXPECT_EQ(length, wcslen(buffer));
    return buffer;
}

std::wstring ReadFromDisk(const wchar_t* section, const wchar_t* key, const std::wstring& file)
{
    YIniMapMemory ini;
    ini.LoadFromFile(file.c_str());
    wchar_t buffer[128];
    int length = 0;
    return ini.GetStringW(section, key, buffer, 128, &length) == YIniMapMemory::valueFound ? buffer : L"<none>";
}

const int kKeysPerWriter = 100;

// Writes its keys into the INI file of its folder while the parent writes its own into the same file.
int WriteSharedFile()
{
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    CKxPrivateProfile_s profile;
    CHILD_CHECK(profile.OpenW(Slashed(std::wstring(folder) + L"\\shared.ini").c_str()) == 1);
    for (int i = 0; i < kKeysPerWriter; ++i) {
        const std::wstring key = L"child" + std::to_wstring(i);
        CHILD_CHECK(profile.WritePrivateProfileStringW(L"keys", key.c_str(), std::to_wstring(i * 3).c_str()) == TRUE);
    }
    return 0;
}

// Threads read and write one cached file while another keeps dropping it from the cache.
int ShareOneEntryBetweenThreads()
{
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"\\threads.ini";
    const std::wstring otherSpelling = Slashed(path);
    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const std::wstring section = L"thread" + std::to_wstring(t);
            for (int i = 0; i < 100; ++i) {
                const std::wstring key = L"k" + std::to_wstring(i), value = std::to_wstring(i * t);
                const std::wstring& file = i % 2 ? path : otherSpelling;
                if (!CKxProfile::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                                            file.c_str())) {
                    ++failures;
                }
                wchar_t buffer[32];
                CKxProfile::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 32, file.c_str());
                if (value != buffer) {
                    ++failures;
                }
            }
        });
    }
    std::thread releaser([&] {
        while (writing) {
            CKxProfile::RealseMemFileW(otherSpelling.c_str());
            Sleep(1);
        }
    });
    for (auto& thread : threads) {
        thread.join();
    }
    writing = false;
    releaser.join();
    CHILD_CHECK(failures.load() == 0);
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 100; ++i) {
            const std::wstring section = L"thread" + std::to_wstring(t), key = L"k" + std::to_wstring(i);
            CHILD_CHECK(ReadFromDisk(section.c_str(), key.c_str(), path) == std::to_wstring(i * t));
        }
    }
    return 0;
}

// A bare name shared with the parent, and a name with a folder that stays in this process's folder.
const wchar_t kBareName[] = L"util_profile_bare_name.ini";
const char kBareNameA[] = "util_profile_bare_name.ini";

std::wstring InWindowsDirectory(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// Reads what the parent wrote under the bare name and writes back under it, in both forms.
int ShareABareName()
{
    wchar_t value[16] = {};
    CKxProfile::GetPrivateProfileStringW(L"s", L"parent", L"", value, 16, kBareName);
    CHILD_CHECK(std::wstring(value) == L"1");
    CHILD_CHECK(CKxProfile::WritePrivateProfileStringW(L"s", L"child", L"2", kBareName) == TRUE);
    CHILD_CHECK(CKxProfile::WritePrivateProfileStringA("s", "childA", "3", kBareNameA) == TRUE);
    CHILD_CHECK(CKxProfile::WritePrivateProfileStringW(L"s", L"child", L"4", L".\\here.ini") == TRUE);
    return 0;
}

const bool g_scenarios = childprogram::AddScenarios({
    {L"profile-writer", WriteSharedFile},
    {L"profile-threads", ShareOneEntryBetweenThreads},
    {L"profile-bare-name", ShareABareName},
});

// Makes a folder the current directory for a scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& folder)
    {
        GetCurrentDirectoryW(MAX_PATH, m_previous);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(m_previous); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    wchar_t m_previous[MAX_PATH] = {};
};

} // namespace

TEST(CKxProfile, ReadingAMissingFileCreatesItEmpty)
{
    TempDir dir;
    const std::wstring path = dir.file(L"new.ini");
    EXPECT_EQ(CKxProfile::GetPrivateProfileIntW(L"s", L"k", 17, path.c_str()), 17u);
    EXPECT_EQ(GetBytes(path), "\xFF\xFE");
    const std::wstring eight = dir.file(L"eight.ini");
    const std::string eightPath(eight.begin(), eight.end());
    EXPECT_EQ(CKxProfile::GetPrivateProfileIntA("s", "k", -3, eightPath.c_str()), static_cast<UINT>(-3));
    EXPECT_EQ(GetBytes(eight), "\xFF\xFE");
}

TEST(CKxProfile, WritesAreReadFromMemoryAndReachTheFile)
{
    TempDir dir;
    const std::wstring path = dir.file(L"w.ini");
    EXPECT_EQ(CKxProfile::WritePrivateProfileStringW(L"交易", L"账号", L"12345", path.c_str()), TRUE);
    EXPECT_EQ(Read(L"交易", L"账号", path), L"12345");
    EXPECT_EQ(CKxProfile::GetPrivateProfileIntW(L"交易", L"账号", 0, path.c_str()), 12345u);
    wchar_t platform[32];
    ::GetPrivateProfileStringW(L"交易", L"账号", L"", platform, 32, path.c_str());
    EXPECT_EQ(std::wstring(platform), L"12345");
    EXPECT_EQ(GetBytes(path).substr(0, 2), "\xFF\xFE");

    EXPECT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"hex", L"0x10", path.c_str()), TRUE);
    EXPECT_EQ(CKxProfile::GetPrivateProfileIntW(L"s", L"hex", 5, path.c_str()), 0u);

    // Without a key name the platform lists the keys.
    CKxProfile::WritePrivateProfileStringW(L"s", L"second", L"2", path.c_str());
    wchar_t names[64];
    const DWORD length = CKxProfile::GetPrivateProfileStringW(L"s", nullptr, L"", names, 64, path.c_str());
    EXPECT_EQ(std::wstring(names, length), std::wstring(L"hex\0second\0", 11));

    // A key written away, then a section replaced.
    EXPECT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"hex", nullptr, path.c_str()), TRUE);
    EXPECT_EQ(Read(L"s", L"hex", path), L"<none>");
    EXPECT_EQ(ReadFromDisk(L"s", L"hex", path), L"<none>");
    EXPECT_EQ(CKxProfile::WritePrivateProfileSectionW(L"s", L"a=1\0b=2\0", path.c_str()), TRUE);
    EXPECT_EQ(Read(L"s", L"b", path), L"2");
    EXPECT_EQ(Read(L"s", L"second", path), L"<none>");
    wchar_t section[64];
    const DWORD sectionLength = CKxProfile::GetPrivateProfileSectionW(L"s", section, 64, path.c_str());
    EXPECT_EQ(std::wstring(section, sectionLength), std::wstring(L"a=1\0b=2\0", 8));
}

TEST(CKxProfile, SpellingsOfOnePathShareOneCachedCopy)
{
    TempDir dir;
    ASSERT_EQ(KXFile::CreateDirectoryW(dir.file(L"Cfg").c_str()), 1);
    const std::wstring path = dir.file(L"Cfg\\App.INI");
    const std::wstring other = Slashed(path);
    ASSERT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"k", L"1", path.c_str()), TRUE);
    // Changed behind the cache's back: the cached copy still answers, under either spelling.
    ASSERT_TRUE(::WritePrivateProfileStringW(L"s", L"k", L"2", path.c_str()));
    EXPECT_EQ(Read(L"s", L"k", other), L"1");
    // Released under the other spelling: the next read loads the file again.
    CKxProfile::RealseMemFileW(other.c_str());
    EXPECT_EQ(Read(L"s", L"k", path), L"2");

    ASSERT_TRUE(::WritePrivateProfileStringW(L"s", L"k", L"3", path.c_str()));
    const std::string otherA(other.begin(), other.end());
    CKxProfile::RealseMemFileA(otherA.c_str());
    EXPECT_EQ(Read(L"s", L"k", path), L"3");
}

// Each name is one file for the cached calls, the calls passed to the platform and both text forms.
TEST(CKxProfile, RelativeNamesResolveOnceAsThePlatformDoes)
{
    TempDir dir;
    ASSERT_EQ(KXFile::CreateDirectoryW(dir.file(L"cfg").c_str()), 1);
    const CurrentDirectory inDir(dir.path());
    struct Case {
        const wchar_t* name;
        std::wstring file; // where it must land
    };
    const Case cases[] = {
        {L"util_profile_bare_1.ini", InWindowsDirectory(L"util_profile_bare_1.ini")},
        {L".\\dot.ini", dir.file(L"dot.ini")},
        {L"cfg\\sub.ini", dir.file(L"cfg\\sub.ini")},
        {L"cfg/../up.ini", dir.file(L"up.ini")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "name " << std::string(c.name, c.name + wcslen(c.name)));
        DeleteFileW(c.file.c_str());
        const std::string nameA(c.name, c.name + wcslen(c.name));
        ASSERT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"wide", L"1", c.name), TRUE);
        ASSERT_EQ(CKxProfile::WritePrivateProfileStringA("s", "narrow", "2", nameA.c_str()), TRUE);
        char blob[] = "ab";
        ASSERT_EQ(CKxProfile::WritePrivateProfileStructW(L"s", L"blob", blob, 2, c.name), TRUE);
        EXPECT_EQ(ReadFromDisk(L"s", L"wide", c.file), L"1");
        EXPECT_EQ(ReadFromDisk(L"s", L"narrow", c.file), L"2");
        EXPECT_EQ(Read(L"s", L"wide", c.name), L"1") << "the cache reloaded the same file after the struct write";
        wchar_t platform[8] = {};
        ::GetPrivateProfileStringW(L"s", L"narrow", L"", platform, 8, c.name);
        EXPECT_EQ(std::wstring(platform), L"2") << "the platform reads the same file";
        CKxProfile::RealseMemFileW(c.name);
        DeleteFileW(c.file.c_str());
    }
    EXPECT_FALSE(KXFile::IsExist(dir.file(L"util_profile_bare_1.ini").c_str())) << "no second copy here";
}

TEST(CKxProfile, ABareNameIsOneFileForEveryProcess)
{
    const std::wstring file = InWindowsDirectory(kBareName);
    DeleteFileW(file.c_str());
    childprogram::ChildFolder folder(L"util_profile_child.exe");
    ASSERT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"parent", L"1", kBareName), TRUE);
    EXPECT_EQ(folder.Run(L"profile-bare-name"), 0ul);
    CKxProfile::RealseMemFileW(kBareName);
    EXPECT_EQ(Read(L"s", L"child", kBareName), L"2");
    EXPECT_EQ(Read(L"s", L"childA", kBareName), L"3");
    EXPECT_EQ(ReadFromDisk(L"s", L"child", folder.file(L"here.ini")), L"4") << "a name with a folder stays local";
    EXPECT_FALSE(KXFile::IsExist(folder.file(kBareName).c_str()));
    CKxProfile::RealseMemFileW(kBareName);
    DeleteFileW(file.c_str());
}

TEST(CKxProfile, StructWritesDropTheCachedCopy)
{
    TempDir dir;
    const std::wstring path = dir.file(L"struct.ini");
    ASSERT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"k", L"1", path.c_str()), TRUE);
    ASSERT_TRUE(::WritePrivateProfileStringW(L"s", L"k", L"2", path.c_str()));
    EXPECT_EQ(Read(L"s", L"k", path), L"1");
    unsigned char data[3] = {1, 2, 0xAB};
    ASSERT_EQ(CKxProfile::WritePrivateProfileStructW(L"s", L"blob", data, 3, path.c_str()), TRUE);
    EXPECT_EQ(Read(L"s", L"k", path), L"2");
    unsigned char back[3] = {};
    EXPECT_EQ(CKxProfile::GetPrivateProfileStructW(L"s", L"blob", back, 3, path.c_str()), TRUE);
    EXPECT_EQ(back[2], 0xAB);
}

TEST(CKxProfile, DefaultsAreCutToTheBuffer)
{
    TempDir dir;
    const std::wstring path = dir.file(L"d.ini");
    wchar_t buffer[8];
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringW(L"s", L"k", L"abcdef", buffer, 4, path.c_str()), 3u);
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringW(L"s", L"k", nullptr, buffer, 4, path.c_str()), 0u);
    EXPECT_EQ(buffer[0], 0);
    buffer[0] = L'#';
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringW(L"s", L"k", L"abc", buffer, 0, path.c_str()), 0u);
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringW(L"s", L"k", L"x", nullptr, 4, path.c_str()), 0u);

    const std::string pathA(path.begin(), path.end());
    char bytes[8];
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringA("s", "k", "\xd6\xd0\xce\xc4", bytes, 4, pathA.c_str()), 2u);
    EXPECT_EQ(std::string(bytes), "\xd6\xd0");
    ASSERT_EQ(CKxProfile::WritePrivateProfileStringA("s", "k", "\xbd\xbb\xd2\xd7xy", pathA.c_str()), TRUE);
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringA("s", "k", "", bytes, 8, pathA.c_str()), 6u);
    EXPECT_EQ(std::string(bytes), "\xbd\xbb\xd2\xd7xy");
    EXPECT_EQ(CKxProfile::GetPrivateProfileStringA("s", "k", "", bytes, 4, pathA.c_str()), 2u);
    EXPECT_EQ(std::string(bytes), "\xbd\xbb");
    EXPECT_EQ(Read(L"s", L"k", path), L"交易xy");
    EXPECT_EQ(GetBytes(path).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(CKxProfile::WritePrivateProfileSectionA("t", "a=\xd6\xd0\0b=2\0", pathA.c_str()), TRUE);
    EXPECT_EQ(Read(L"t", L"a", path), L"中");
}

TEST(CKxProfile, DataWritesReplaceTheWholeFileOrReportFailure)
{
    TempDir dir;
    const std::wstring path = dir.file(L"data.ini");
    ASSERT_EQ(CKxProfile::WritePrivateProfileStringW(L"s", L"k", L"cached", path.c_str()), TRUE);
    std::string text = "[s]\r\nk=from data\r\n";
    ASSERT_EQ(CKxProfile::WritePrivateProfileDataW(&text[0], static_cast<UINT>(text.size()), path.c_str()), TRUE);
    EXPECT_EQ(GetBytes(path), text);
    EXPECT_EQ(Read(L"s", L"k", path), L"from data");

    // Failures leave the old file and no temporary file behind.
    const std::wstring folder = dir.file(L"folder");
    ASSERT_EQ(KXFile::CreateDirectoryW(folder.c_str()), 1);
    EXPECT_EQ(CKxProfile::WritePrivateProfileDataW(&text[0], 4, folder.c_str()), FALSE);
    EXPECT_EQ(CKxProfile::WritePrivateProfileDataW(&text[0], 4, dir.file(L"no\\such\\x.ini").c_str()), FALSE);
    EXPECT_EQ(CKxProfile::WritePrivateProfileDataW(nullptr, 4, path.c_str()), FALSE);
    EXPECT_EQ(GetBytes(path), text);
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileW(dir.file(L"*.tmp").c_str(), &entry);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    const std::string pathA(path.begin(), path.end());
    std::string empty;
    ASSERT_EQ(CKxProfile::WritePrivateProfileDataA(nullptr, 0, pathA.c_str()), TRUE);
    EXPECT_EQ(GetBytes(path), "");
}

TEST(CKxProfile, ThreadsNeverShareAnEntryAtOnce)
{
    childprogram::ChildFolder folder(L"util_profile_child.exe");
    EXPECT_EQ(folder.Run(L"profile-threads"), 0ul);
}

TEST(CKxPrivateProfile_s, ClosedObjectsAnswerWithDefaults)
{
    CKxPrivateProfile_s profile;
    wchar_t buffer[8] = L"#";
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"s", L"k", L"def", buffer, 8), 0u);
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_EQ(profile.GetPrivateProfileIntW(L"s", L"k", 9), 9u);
    EXPECT_EQ(profile.GetPrivateProfileIntA("s", "k", 8), 8u);
    EXPECT_EQ(profile.WritePrivateProfileStringW(L"s", L"k", L"v"), FALSE);
    EXPECT_EQ(profile.OpenW(nullptr), -1);
    EXPECT_EQ(profile.OpenW(std::wstring(MAX_PATH, L'a').c_str()), -1);
    EXPECT_EQ(profile.OpenA(nullptr), -1);
}

TEST(CKxPrivateProfile_s, OperatesOnItsFileInBothForms)
{
    TempDir dir;
    const std::wstring path = dir.file(L"Bound.ini");
    CKxPrivateProfile_s profile;
    ASSERT_EQ(profile.Open(path.c_str()), 1);
    EXPECT_EQ(profile.WritePrivateProfileStringW(L"s", L"k", L"值"), TRUE);
    wchar_t buffer[8];
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"s", L"k", L"", buffer, 8), 1u);
    EXPECT_EQ(std::wstring(buffer), L"值");
    char bytes[8];
    EXPECT_EQ(profile.GetPrivateProfileStringA("s", "k", "", bytes, 8), 2u);
    EXPECT_EQ(profile.WritePrivateProfileStringA("s", "n", "41"), TRUE);
    EXPECT_EQ(profile.GetPrivateProfileIntW(L"s", L"n", 0), 41u);
    EXPECT_EQ(ReadFromDisk(L"s", L"k", path), L"值");
    EXPECT_EQ(profile.WritePrivateProfileDataW(nullptr, 3), FALSE);
    char data[] = "[x]\r\ny=1\r\n";
    EXPECT_EQ(profile.WritePrivateProfileDataW(data, 0), FALSE);
    EXPECT_EQ(profile.WritePrivateProfileDataA(data, 10), TRUE);
    EXPECT_EQ(profile.GetPrivateProfileIntA("x", "y", 0), 1u);
    profile.Close();
    EXPECT_EQ(profile.GetPrivateProfileIntA("x", "y", 0), 0u);

    const std::string pathA(path.begin(), path.end());
    ASSERT_EQ(profile.OpenA(pathA.c_str()), 1);
    EXPECT_EQ(profile.GetPrivateProfileIntW(L"x", L"y", 0), 1u);
}

TEST(CKxPrivateProfile_s, TwoProcessesWritingOneFileLoseNothing)
{
    childprogram::ChildFolder folder(L"util_profile_child.exe");
    // Another spelling of the same path names the same lock.
    const std::wstring path = folder.file(L"SHARED.INI");
    std::thread child([&] { EXPECT_EQ(folder.Run(L"profile-writer"), 0ul); });
    // Start writing once the child has begun.
    for (int wait = 0; wait < 2000; ++wait) {
        wchar_t first[8] = {};
        ::GetPrivateProfileStringW(L"keys", L"child0", L"", first, 8, path.c_str());
        if (first[0] != 0) {
            break;
        }
        Sleep(5);
    }
    CKxPrivateProfile_s profile;
    ASSERT_EQ(profile.OpenW(path.c_str()), 1);
    for (int i = 0; i < kKeysPerWriter; ++i) {
        const std::wstring key = L"parent" + std::to_wstring(i);
        ASSERT_EQ(profile.WritePrivateProfileStringW(L"keys", key.c_str(), std::to_wstring(i * 5).c_str()), TRUE);
    }
    child.join();

    YIniMapMemory written;
    written.LoadFromFile(path.c_str());
    int missing = 0;
    for (int i = 0; i < kKeysPerWriter; ++i) {
        wchar_t value[16];
        int length = 0;
        if (written.GetStringW(L"keys", (L"child" + std::to_wstring(i)).c_str(), value, 16, &length) != 1 ||
            value != std::to_wstring(i * 3)) {
            ++missing;
        }
        if (written.GetStringW(L"keys", (L"parent" + std::to_wstring(i)).c_str(), value, 16, &length) != 1 ||
            value != std::to_wstring(i * 5)) {
            ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
}
