// Every 8-bit copy into a caller's buffer stays inside the capacity it was given: each buffer ends at a
// no-access page, so a byte written at or past buffer + capacity ends the test at once.
#include <util/inimap.h>
#include <util/profile.h>
#include <util/strutil.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/guarded_buffer.h"
#include "support/process.h"

namespace {

const wchar_t kLongDefault[] = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGH"; // 44 characters

// The whole characters of text whose code-page-936 form fits in capacity - 1 bytes.
std::string ExpectedCut(const std::wstring& text, int capacity)
{
    std::string fitting;
    for (size_t count = 1; count <= text.size(); ++count) {
        const std::string prefix = T2C(text.substr(0, count).c_str(), 936);
        if (static_cast<int>(prefix.size()) > capacity - 1) {
            break;
        }
        fitting = prefix;
    }
    return fitting;
}

// A read of one key into (buffer, capacity); answers the length it reports.
using AnsiRead = std::function<int(const char* key, const char* defaultValue, char* buffer, int capacity)>;

struct Case {
    const char* key;
    const wchar_t* expected; // the stored value, or the default the read falls back to
};

class AnsiReads : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_file = m_folder.file(L"bounds.ini");
        ASSERT_TRUE(CKxProfile::WritePrivateProfileStringW(L"s", L"plain", L"abcdefghijkl", m_file.c_str()));
        ASSERT_TRUE(CKxProfile::WritePrivateProfileStringW(L"s", L"wide", L"中文ab字", m_file.c_str()));
        ASSERT_TRUE(CKxProfile::WritePrivateProfileStringW(L"s", L"three", L"abc", m_file.c_str()));
        m_fileA = T2C(m_file.c_str(), 936);
    }

    // Every case at capacities 0 to 4, each into a buffer that ends at the guard page.
    void CheckEveryCapacity(const AnsiRead& read, bool defaultsApply)
    {
        static const Case cases[] = {
            {"plain", L"abcdefghijkl"}, {"wide", L"中文ab字"}, {"three", L"abc"},
            {"missing", L"ab"},         {"absent", kLongDefault},
        };
        GuardedBuffer guard(16);
        for (const Case& c : cases) {
            const bool missing = std::string(c.key) == "missing" || std::string(c.key) == "absent";
            if (missing && !defaultsApply) {
                continue;
            }
            const std::string defaultValue = T2C(c.expected, 936);
            for (int capacity = 0; capacity <= 4; ++capacity) {
                SCOPED_TRACE(std::string(c.key) + " capacity " + std::to_string(capacity));
                char* buffer = guard.Tail(static_cast<size_t>(capacity));
                memset(buffer, 'x', static_cast<size_t>(capacity));
                const int length = read(c.key, missing ? defaultValue.c_str() : "dflt", buffer, capacity);
                if (capacity == 0) {
                    EXPECT_EQ(length, 0);
                    continue;
                }
                const std::string expected = ExpectedCut(c.expected, capacity);
                EXPECT_EQ(std::string(buffer), expected);
                EXPECT_EQ(length, static_cast<int>(expected.size()));
            }
        }
    }

    testsupport::TempDir m_folder;
    std::wstring m_file;
    std::string m_fileA;
};

TEST_F(AnsiReads, MapReadsStayInsideTheBuffer)
{
    YIniMapMemory ini;
    ini.LoadFromFile(m_file.c_str());
    CheckEveryCapacity(
        [&](const char* key, const char*, char* buffer, int capacity) {
            int length = 0;
            EXPECT_EQ(ini.GetStringA("s", key, buffer, capacity, &length), YIniMapMemory::valueFound);
            return length;
        },
        false);
}

TEST_F(AnsiReads, ProfileReadsStayInsideTheBuffer)
{
    CheckEveryCapacity(
        [&](const char* key, const char* defaultValue, char* buffer, int capacity) {
            return static_cast<int>(CKxProfile::GetPrivateProfileStringA("s", key, defaultValue, buffer,
                                                                         static_cast<DWORD>(capacity), m_fileA.c_str()));
        },
        true);
}

TEST_F(AnsiReads, SharedProfileReadsStayInsideTheBuffer)
{
    CKxPrivateProfile_s profile;
    ASSERT_EQ(profile.OpenA(m_fileA.c_str()), 1);
    CheckEveryCapacity(
        [&](const char* key, const char* defaultValue, char* buffer, int capacity) {
            return static_cast<int>(
                profile.GetPrivateProfileStringA("s", key, defaultValue, buffer, static_cast<DWORD>(capacity)));
        },
        true);
}

// The buffer form of the code-page conversion is all or nothing: it converts only into a buffer that
// holds the whole text and its terminator.
TEST(AnsiConversion, BufferFormNeverWritesPastItsSize)
{
    GuardedBuffer guard(16);
    const std::wstring text = L"中文ab";
    const int needed = static_cast<int>(T2C(text.c_str(), 936).size()) + 1;
    for (int size = 0; size <= needed; ++size) {
        SCOPED_TRACE(size);
        char* buffer = guard.Tail(static_cast<size_t>(size));
        const bool converted = T2C(text.c_str(), buffer, size, 936);
        EXPECT_EQ(converted, size == needed);
        if (converted) {
            EXPECT_EQ(std::string(buffer), T2C(text.c_str(), 936));
        }
    }
}

} // namespace
