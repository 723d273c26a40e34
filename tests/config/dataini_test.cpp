#include <util/dataini.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

const wchar_t kUntouched = 0xFFFF;
const size_t kGuard = 8;

// A caller's buffer of a given capacity followed by guard characters that must stay untouched.
class GuardedBuffer {
public:
    explicit GuardedBuffer(unsigned long capacity) : m_capacity(capacity), m_chars(capacity + kGuard, kUntouched) {}

    wchar_t* data() { return m_chars.data(); }
    unsigned long capacity() const { return m_capacity; }
    // The first count characters, zeros included.
    std::wstring first(size_t count) const { return std::wstring(m_chars.data(), count); }
    std::wstring text() const { return std::wstring(m_chars.data()); }
    bool guardIntact() const
    {
        for (size_t i = m_capacity; i < m_chars.size(); ++i) {
            if (m_chars[i] != kUntouched) {
                return false;
            }
        }
        return true;
    }
    bool untouched() const { return m_chars[0] == kUntouched && guardIntact(); }

private:
    unsigned long m_capacity;
    std::vector<wchar_t> m_chars;
};

CDataIni MakeIni(const std::wstring& text)
{
    return CDataIni(text.c_str(), static_cast<int>(text.size()));
}

std::wstring ReadString(const CDataIni& ini, const wchar_t* section, const wchar_t* key, const wchar_t* def = L"-")
{
    GuardedBuffer buffer(256);
    ini.GetPrivateProfileStringW(section, key, def, buffer.data(), buffer.capacity());
    EXPECT_TRUE(buffer.guardIntact());
    return buffer.text();
}

const std::wstring kSample = L"orphan=before any section\r\n"
                             L"[ Trade ]\n"
                             L"  abc = 1 \n"
                             L"ab=2\r"
                             L"Name=\t 中文 值 \r\n"
                             L"empty=\r\n"
                             L"bare line  \r\n"
                             L"\r\n"
                             L"[Trade2]\r\n"
                             L"price=99\r\n"
                             L"[Other]\r\n"
                             L"price=7";

} // namespace

TEST(DataIniValues, KeysAreFoundInTheirSectionAndTrimmed)
{
    const CDataIni ini = MakeIni(kSample);
    EXPECT_EQ(ReadString(ini, L"Other", L"price"), L"7");
    EXPECT_EQ(ReadString(ini, L"TRADE2", L"Price"), L"99");
    EXPECT_EQ(ReadString(ini, L"trade", L"name"), L"中文 值");
    EXPECT_EQ(ReadString(ini, L"Trade", L"abc"), L"1");
    EXPECT_EQ(ReadString(ini, L"Trade", L"empty", L"default"), L"");
    // The requested name is taken as it stands, blanks included.
    EXPECT_EQ(ReadString(ini, L"trade ", L"name"), L"-");
    // Keys belong to their own section only; lines before the first header belong to none.
    EXPECT_EQ(ReadString(ini, L"Trade", L"price"), L"-");
    EXPECT_EQ(ReadString(ini, L"Trade2", L"name"), L"-");
    EXPECT_EQ(ReadString(ini, L"Other", L"orphan"), L"-");
    EXPECT_EQ(ReadString(ini, L"Trade", L"orphan"), L"-");
}

TEST(DataIniValues, NamesMatchByPrefixAndTheFirstMatchWins)
{
    const CDataIni ini = MakeIni(L"[Trade2]\r\nprice=99\r\n[Trade]\r\nabc=1\r\nab=2\r\nprice=5\r\n");
    // "Trade" matches the header "Trade2" first, whose section has no key "ab".
    EXPECT_EQ(ReadString(ini, L"Trade", L"ab"), L"-");
    EXPECT_EQ(ReadString(ini, L"trade", L"price"), L"99");
    EXPECT_EQ(ReadString(ini, L"Trade2x", L"price"), L"-");

    const CDataIni keys = MakeIni(L"[Trade]\r\nabc=1\r\nab=2\r\n");
    EXPECT_EQ(ReadString(keys, L"Trade", L"ab"), L"1");
    EXPECT_EQ(ReadString(keys, L"trade", L"AB"), L"1");
    EXPECT_EQ(ReadString(keys, L"Trade", L"abcd"), L"-");
}

TEST(DataIniValues, LineEndsOfEveryKindAndNoFinalLineEnd)
{
    const std::wstring withEnd = L"[s]\rk1=a\nk2=b\r\nk3=c\r\n";
    const std::wstring withoutEnd = L"[s]\rk1=a\nk2=b\r\nk3=c";
    for (const std::wstring& text : {withEnd, withoutEnd}) {
        const CDataIni ini = MakeIni(text);
        EXPECT_EQ(ReadString(ini, L"s", L"k1"), L"a");
        EXPECT_EQ(ReadString(ini, L"s", L"k2"), L"b");
        EXPECT_EQ(ReadString(ini, L"s", L"k3"), L"c");
    }
}

TEST(DataIniValues, MissingKeysGiveTheDefaultWithoutTrailingSpaces)
{
    const CDataIni ini = MakeIni(kSample);
    EXPECT_EQ(ReadString(ini, L"Nowhere", L"price", L"fallback   "), L"fallback");
    EXPECT_EQ(ReadString(ini, L"Other", L"nothing", L"  lead"), L"  lead");
    EXPECT_EQ(ReadString(ini, L"Other", L"nothing", nullptr), L"");
    // A null key is not supported: the default comes back.
    EXPECT_EQ(ReadString(ini, L"Other", nullptr, L"def"), L"def");

    const CDataIni empty(L"", 0);
    EXPECT_EQ(ReadString(empty, L"a", L"b", L"d"), L"d");
    const CDataIni none(nullptr, 10);
    EXPECT_EQ(ReadString(none, L"a", L"b", L"d"), L"d");
}

TEST(DataIniValues, NegativeLengthReadsToTheZero)
{
    const CDataIni ini(L"[a]\r\nk=v\r\n", -1);
    EXPECT_EQ(ReadString(ini, L"a", L"k"), L"v");
}

TEST(DataIniValues, CutValuesReportTheCapacity)
{
    const CDataIni ini = MakeIni(L"[s]\r\nk=12345678\r\nfive=abcde\r\n");
    GuardedBuffer five(5);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"s", L"k", L"", five.data(), 5), 5ul);
    EXPECT_EQ(five.first(5), L"1234\0"s);
    EXPECT_TRUE(five.guardIntact());

    GuardedBuffer exact(5);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"s", L"five", L"", exact.data(), 5), 5ul);
    EXPECT_EQ(exact.first(5), L"abcd\0"s);

    GuardedBuffer room(6);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"s", L"five", L"", room.data(), 6), 5ul);
    EXPECT_EQ(room.first(6), L"abcde\0"s);

    GuardedBuffer defaultCut(3);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"s", L"none", L"xyz", defaultCut.data(), 3), 3ul);
    EXPECT_EQ(defaultCut.first(3), L"xy\0"s);
    EXPECT_TRUE(defaultCut.guardIntact());
}

TEST(DataIniValues, CapacityZeroAndNullBuffersWriteNothing)
{
    const CDataIni ini = MakeIni(kSample);
    GuardedBuffer zero(0);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"Other", L"price", L"", zero.data(), 0), 0ul);
    EXPECT_TRUE(zero.untouched());
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, L"", zero.data(), 0), 0ul);
    EXPECT_TRUE(zero.untouched());
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"Other", zero.data(), 0), 0ul);
    EXPECT_TRUE(zero.untouched());
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"Other", L"price", L"", nullptr, 100), 0ul);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, L"", nullptr, 100), 0ul);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"Other", nullptr, 100), 0ul);
}

TEST(DataIniSectionNames, ListInTextOrderEndsWithTwoZeros)
{
    const CDataIni ini = MakeIni(L"[One]\r\na=1\r\n[ Two ]\r\n[Three\r\nb=2\r\n[]\r\nc=3\r\n");
    GuardedBuffer buffer(64);
    const unsigned long length = ini.GetPrivateProfileStringW(nullptr, L"ignored", L"", buffer.data(), 64);
    EXPECT_EQ(length, 14ul);
    EXPECT_EQ(buffer.first(15), L"One\0Two\0Three\0\0"s);

    const CDataIni empty(L"  \r\n ", 5);
    GuardedBuffer none(4);
    EXPECT_EQ(empty.GetPrivateProfileStringW(nullptr, nullptr, nullptr, none.data(), 4), 0ul);
    EXPECT_EQ(none.first(2), L"\0\0"s);
}

TEST(DataIniSectionNames, CutListsStayDoubleZeroTerminatedInsideTheBuffer)
{
    const CDataIni ini = MakeIni(L"[abc]\r\n[def]\r\n");
    // The whole list "abc\0def\0" plus its final zero needs 9.
    GuardedBuffer fits(9);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, fits.data(), 9), 8ul);
    EXPECT_EQ(fits.first(9), L"abc\0def\0\0"s);
    EXPECT_TRUE(fits.guardIntact());

    GuardedBuffer full(8);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, full.data(), 8), 6ul);
    EXPECT_EQ(full.first(8), L"abc\0de\0\0"s);
    EXPECT_TRUE(full.guardIntact());

    GuardedBuffer shorter(7);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, shorter.data(), 7), 5ul);
    EXPECT_EQ(shorter.first(7), L"abc\0d\0\0"s);
    EXPECT_TRUE(shorter.guardIntact());

    GuardedBuffer small(2);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, small.data(), 2), 0ul);
    EXPECT_EQ(small.first(2), L"\0\0"s);
    EXPECT_TRUE(small.guardIntact());

    GuardedBuffer one(1);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, one.data(), 1), 0ul);
    EXPECT_EQ(one.first(1), L"\0"s);
    EXPECT_TRUE(one.guardIntact());
}

TEST(DataIniSection, LinesOfTheSectionAsAZeroList)
{
    const CDataIni ini = MakeIni(kSample);
    GuardedBuffer buffer(128);
    const std::wstring expected = L"abc=1\0ab=2\0Name=中文 值\0empty=\0bare line\0\0"s;
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"TRADE", buffer.data(), 128), expected.size() - 1);
    EXPECT_EQ(buffer.first(expected.size()), expected);
    EXPECT_TRUE(buffer.guardIntact());

    GuardedBuffer other(128);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"Trade2", other.data(), 128), 9ul);
    EXPECT_EQ(other.first(10), L"price=99\0\0"s);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L" Trade", other.data(), 128), 0ul);
}

TEST(DataIniSection, MissingEmptyAndCutSections)
{
    const CDataIni ini = MakeIni(L"[a]\r\n[b]\r\nkey=value\r\nx=y\r\n");
    GuardedBuffer missing(8);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"zzz", missing.data(), 8), 0ul);
    EXPECT_EQ(missing.first(2), L"\0\0"s);

    GuardedBuffer empty(8);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"a", empty.data(), 8), 0ul);
    EXPECT_EQ(empty.first(2), L"\0\0"s);

    GuardedBuffer cut(12);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"b", cut.data(), 12), 10ul);
    EXPECT_EQ(cut.first(12), L"key=value\0\0\0"s);
    EXPECT_TRUE(cut.guardIntact());

    GuardedBuffer one(1);
    EXPECT_EQ(ini.GetPrivateProfileSectionW(L"b", one.data(), 1), 0ul);
    EXPECT_EQ(one.first(1), L"\0"s);
    EXPECT_TRUE(one.guardIntact());
}

TEST(DataIniInt, DecimalValuesDefaultsAndNullNames)
{
    const CDataIni ini = MakeIni(L"[n]\r\nplain=42\r\nneg= -17 \r\nlow=-2147483648\r\n"
                                 L"zeros=000000000012\r\nhex=0x1F\r\nword=abc\r\nnone=\r\n");
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"plain", 5), 42);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"neg", 5), -17);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"low", 5), -2147483647 - 1);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"zeros", 5), 12);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"hex", 5), 0);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"word", 5), 0);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"none", 5), 0);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", L"missing", 5), 5);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"other", L"plain", -3), -3);
    EXPECT_EQ(ini.GetPrivateProfileIntW(nullptr, L"plain", 5), 0);
    EXPECT_EQ(ini.GetPrivateProfileIntW(L"n", nullptr, 5), 0);
}

TEST(DataIniBadInput, RandomAndMutatedTextNeverWritesOutsideTheBuffer)
{
    std::mt19937 random(20240611u);
    const std::wstring alphabet = std::wstring(L"[]= \t\r\nabAB中") + std::wstring(1, L'\0');
    for (int round = 0; round < 300; ++round) {
        std::wstring text;
        const size_t length = random() % 400;
        for (size_t i = 0; i < length; ++i) {
            text +=
                (random() % 4 == 0) ? static_cast<wchar_t>(random() % 0x10000) : alphabet[random() % alphabet.size()];
        }
        const CDataIni ini = MakeIni(text);
        const unsigned long capacity = random() % 24;
        for (const wchar_t* section : {static_cast<const wchar_t*>(nullptr), L"a", L"", L"A b"}) {
            GuardedBuffer first(capacity);
            GuardedBuffer second(capacity);
            const unsigned long got = ini.GetPrivateProfileStringW(section, L"a", L"d", first.data(), capacity);
            EXPECT_EQ(got, ini.GetPrivateProfileStringW(section, L"a", L"d", second.data(), capacity));
            EXPECT_LE(got, capacity);
            EXPECT_TRUE(first.guardIntact());
            EXPECT_EQ(first.first(capacity), second.first(capacity));

            GuardedBuffer lines(capacity);
            EXPECT_LE(ini.GetPrivateProfileSectionW(section, lines.data(), capacity), capacity);
            EXPECT_TRUE(lines.guardIntact());
            if (capacity >= 2 && section == nullptr) {
                // A list always ends at a zero and has its two final zeros inside the buffer.
                EXPECT_EQ(first.data()[got], L'\0');
                EXPECT_NE(first.first(capacity).find(L"\0\0"s), std::wstring::npos);
            }
            if (capacity >= 2) {
                EXPECT_NE(lines.first(capacity).find(L"\0\0"s), std::wstring::npos);
            }
        }
        ini.GetPrivateProfileIntW(L"a", L"a", 0);
    }
}

TEST(DataIniBadInput, HugeLinesAndEmbeddedZeros)
{
    std::wstring text = L"[big]\r\nkey=" + std::wstring(200000, L'v') + L"\r\n";
    text += L"[z\0ero]\r\nk\0=1\r\n"s;
    text += L"[tail]\r\nk=" + std::wstring(100000, L'[') + L"\r\n";
    const CDataIni ini = MakeIni(text);
    GuardedBuffer buffer(16);
    EXPECT_EQ(ini.GetPrivateProfileStringW(L"big", L"key", L"", buffer.data(), 16), 16ul);
    EXPECT_EQ(buffer.text(), std::wstring(15, L'v'));
    EXPECT_TRUE(buffer.guardIntact());
    EXPECT_EQ(ReadString(ini, L"tail", L"k").size(), 255u);
    EXPECT_EQ(ReadString(ini, L"z", L"k"), L"1");

    GuardedBuffer names(64);
    EXPECT_EQ(ini.GetPrivateProfileStringW(nullptr, nullptr, nullptr, names.data(), 64), 15ul);
    EXPECT_EQ(names.first(16), L"big\0z\0ero\0tail\0\0"s);
}
