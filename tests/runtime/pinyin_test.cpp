#include <util/pinyin.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/process.h"

// With the real data files that the build puts beside util.dll.
TEST(PinyinMatch, StockNamesByTheirInitials)
{
    EXPECT_TRUE(MatchPinYin(L"中国平安", L"ZGPA"));
    EXPECT_TRUE(MatchPinYin(L"招商银行", L"ZSYH"));
    EXPECT_TRUE(MatchPinYin(L"贵州茅台", L"GZMT"));
    EXPECT_TRUE(MatchPinYin(L"万科A", L"WK"));
    EXPECT_FALSE(MatchPinYin(L"中国平安", L"ZGPB"));
    EXPECT_FALSE(MatchPinYin(L"中国平安", L"zgpa")) << "the stored initials are upper case";
}

TEST(PinyinMatch, PolyphonesMatchEveryReading)
{
    EXPECT_TRUE(MatchPinYin(L"招商银行", L"ZSYX"));
    EXPECT_TRUE(MatchPinYin(L"长城汽车", L"CCQC"));
    EXPECT_TRUE(MatchPinYin(L"长城汽车", L"ZCQC"));
    EXPECT_TRUE(MatchPinYin(L'重', L'C'));
    EXPECT_TRUE(MatchPinYin(L'重', L'Z'));
}

TEST(PinyinMatch, OnlyAPrefixOfTheNameWithSpacesIgnored)
{
    EXPECT_TRUE(MatchPinYin(L"中国平安", L"ZG"));
    EXPECT_FALSE(MatchPinYin(L"中国平安", L"GP"));
    EXPECT_TRUE(MatchPinYin(L"中 国  平安", L"ZGPA"));
    EXPECT_FALSE(MatchPinYin(L"中国", L"ZGP"));
    EXPECT_FALSE(MatchPinYin(L"中国", L""));
    EXPECT_FALSE(MatchPinYin(nullptr, L"Z"));
    EXPECT_FALSE(MatchPinYin(L"中国", nullptr));
    EXPECT_FALSE(MatchPinYin(L'A', L'A')) << "Latin letters lie below the table";
}

TEST(PinyinMatch, FuzzySoundsOfTheShippedFile)
{
    EXPECT_TRUE(MatchPinYin(L'南', L'L'));
    EXPECT_TRUE(MatchPinYin(L'蓝', L'N'));
    EXPECT_TRUE(MatchPinYin(L'湖', L'F'));
    EXPECT_TRUE(MatchPinYin(L'人', L'L'));
    EXPECT_FALSE(MatchPinYin(L'湖', L'N'));
}

TEST(PinyinSort, NamesComeInPinyinOrder)
{
    std::vector<std::wstring> names = {L"中国平安", L"万科A",  L"比亚迪", L"阿里巴巴",
                                       L"招商银行", L"600036", L"ABC",    L"中国"};
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return wcsCmpPY(a.c_str(), b.c_str()) < 0; });
    const std::vector<std::wstring> expected = {L"600036", L"ABC",      L"阿里巴巴", L"比亚迪",
                                                L"万科A",  L"招商银行", L"中国",     L"中国平安"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(wcsCmpPY(L"中国", L"中国"), 0);
    EXPECT_EQ(wcsCmpPY(L"中国平安", L"中国"), 1);
    EXPECT_EQ(wcsCmpPY(L"中国", L"中国平安"), -1);
}

// Scenarios with their own data folder, each in a fresh process.
namespace {

std::wstring LibraryFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"util.dll"), path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// A folder with a copy of the test program and util.dll plus the chosen data files.
class DataFolder {
public:
    explicit DataFolder(const std::vector<const wchar_t*>& shippedFiles)
    {
        m_program = testsupport::CopyProgramTo(m_dir.path());
        for (const wchar_t* name : shippedFiles) {
            CopyFileW((LibraryFolder() + L"\\" + name).c_str(), m_dir.file(name).c_str(), FALSE);
        }
    }
    std::wstring file(const wchar_t* name) const { return m_dir.file(name); }
    // How many lines of the run logs the child left beside its program name the file.
    int LogLinesNaming(const wchar_t* name) const
    {
        int lines = 0;
        WIN32_FIND_DATAW entry{};
        const HANDLE find = FindFirstFileW(m_dir.file(L"*.log").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) {
            return 0;
        }
        do {
            std::wstring text;
            const HANDLE log = CreateFileW(m_dir.file(entry.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
            wchar_t chunk[4096];
            DWORD read = 0;
            while (ReadFile(log, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
                text.append(chunk, read / sizeof(wchar_t));
            }
            CloseHandle(log);
            for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + 1)) {
                ++lines;
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
        return lines;
    }
    void ExpectChildPasses(const char* test) const
    {
        const testsupport::ChildResult child = testsupport::RunTestOfProgram(m_program, test, m_dir.path());
        EXPECT_EQ(child.exitCode, 0u) << child.output;
        EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
    }

private:
    testsupport::TempDir m_dir;
    std::wstring m_program;
};

bool InChild()
{
    return testsupport::IsFreshProcess();
}

} // namespace

TEST(PinyinFiles, MissingSortFile)
{
    const DataFolder folder(std::vector<const wchar_t*>{L"PinYin.py", L"MoHuYin.ini"});
    folder.ExpectChildPasses("PinyinChild.NoSortFile");
    EXPECT_EQ(folder.LogLinesNaming(L"hanzi.sort"), 1) << "said once in the run log";
    EXPECT_EQ(folder.LogLinesNaming(L"PinYin.py"), 0);
}

TEST(PinyinChild, NoSortFile)
{
    if (!InChild()) {
        GTEST_SKIP() << "runs inside PinyinFiles";
    }
    EXPECT_FALSE(MatchPinYin(L'中', L'Z')) << "the first call reports the failed load";
    EXPECT_EQ(CKXMatchCH::InitStaticData(), 1) << "and is not retried";
    EXPECT_TRUE(MatchPinYin(L'中', L'Z'));
    EXPECT_EQ(wcsCmpPY(L"阿", L"中"), 0) << "all weights are 0";
    EXPECT_EQ(wcsCmpPY(L"阿阿", L"中"), 1);
}

TEST(PinyinFiles, MissingInitialsFile)
{
    const DataFolder folder(std::vector<const wchar_t*>{L"hanzi.sort", L"MoHuYin.ini"});
    folder.ExpectChildPasses("PinyinChild.NoInitials");
    EXPECT_EQ(folder.LogLinesNaming(L"PinYin.py"), 1) << "said once in the run log";
    EXPECT_EQ(folder.LogLinesNaming(L"hanzi.sort"), 0);
}

TEST(PinyinChild, NoInitials)
{
    if (!InChild()) {
        GTEST_SKIP() << "runs inside PinyinFiles";
    }
    EXPECT_EQ(CKXMatchCH::InitStaticData(), 1);
    EXPECT_FALSE(MatchPinYin(L'中', L'Z'));
    EXPECT_FALSE(MatchPinYin(L"中国", L"ZG"));
    EXPECT_EQ(wcsCmpPY(L"阿", L"中"), -1);
}

TEST(PinyinFiles, OneWayFuzzyPairAndEmptyEntries)
{
    DataFolder folder({L"hanzi.sort"});
    // Five characters from U+4E00, two initials each; U+4E01 has an empty entry.
    std::string initials("\0\x02\x00\x4E\x05\x4E", 6);
    initials += std::string("JX\0\0ZAN\0L\0", 10);
    WriteBytes(folder.file(L"PinYin.py"), initials);
    const std::wstring fuzzy = L"\xFEFF[MOHUYIN]\r\nz=J\r\nLONG=NAME\r\n";
    WriteBytes(folder.file(L"MoHuYin.ini"), std::string(reinterpret_cast<const char*>(fuzzy.data()), fuzzy.size() * 2));
    folder.ExpectChildPasses("PinyinChild.OwnData");
}

TEST(PinyinChild, OwnData)
{
    if (!InChild()) {
        GTEST_SKIP() << "runs inside PinyinFiles";
    }
    EXPECT_TRUE(MatchPinYin(L'\x4E00', L'J'));
    EXPECT_TRUE(MatchPinYin(L'\x4E00', L'X'));
    EXPECT_TRUE(MatchPinYin(L'\x4E00', L'Z')) << "z=J: key Z also matches initial J";
    EXPECT_FALSE(MatchPinYin(L'\x4E02', L'J')) << "but not the other way round";
    EXPECT_FALSE(MatchPinYin(L'\x4E01', L'\0'));
    EXPECT_FALSE(MatchPinYin(L'\x4E01', L'J'));
    EXPECT_TRUE(MatchPinYin(L'\x4E04', L'L'));
    EXPECT_TRUE(MatchPinYin(L'\x4E03', L'G')) << "LONG=NAME pairs only the letters next to '=': G and N";
    EXPECT_FALSE(MatchPinYin(L'\x4E03', L'L'));
}
