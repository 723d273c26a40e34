#include <util/strutil.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

namespace {
const char kGbkChinese[] = "\xd6\xd0\xce\xc4\xb2\xe2\xca\xd4"; // 中文测试
}

TEST(StrCodePage, GbkRoundTripOfChineseText)
{
    ASSERT_EQ(GetACP(), 936u);
    wchar_t wide[16];
    ASSERT_TRUE(C2T(kGbkChinese, wide, 16, 936));
    EXPECT_STREQ(wide, L"中文测试");
    char back[16];
    ASSERT_TRUE(T2C(wide, back, 16, 936));
    EXPECT_STREQ(back, kGbkChinese);
    // The default code page is the process's, 936 here.
    EXPECT_EQ(C2T(kGbkChinese), L"中文测试");
    EXPECT_EQ(T2C(L"中文测试"), kGbkChinese);
}

TEST(StrCodePage, Utf8AndMixedText)
{
    EXPECT_EQ(T2C(L"A中B", CP_UTF8), "A\xe4\xb8\xad"
                                     "B");
    EXPECT_EQ(C2T("A\xe4\xb8\xad"
                  "B",
                  CP_UTF8),
              L"A中B");
    EXPECT_EQ(C2T(nullptr), L"");
    EXPECT_EQ(T2C(nullptr), "");
}

TEST(StrCodePage, BufferMustHoldTheTerminator)
{
    char exact[9];
    EXPECT_TRUE(T2C(L"中文测试", exact, 9, 936)); // 8 bytes + zero
    char small[8];
    memset(small, '#', sizeof(small));
    EXPECT_FALSE(T2C(L"中文测试", small, 8, 936));
    EXPECT_EQ(std::string(small, 8), std::string(8, '#')) << "a failed conversion leaves the buffer alone";

    wchar_t wide[4];
    wmemset(wide, L'#', 4);
    EXPECT_FALSE(C2T(kGbkChinese, wide, 4, 936)); // 4 characters + zero
    EXPECT_EQ(wide[0], L'\0') << "the buffer starts empty";
    wchar_t fits[5];
    EXPECT_TRUE(C2T(kGbkChinese, fits, 5, 936));
    EXPECT_STREQ(fits, L"中文测试");
}

TEST(StrCodePage, UnusableArgumentsFail)
{
    char buffer[8] = "keep";
    EXPECT_FALSE(T2C(nullptr, buffer, 8));
    EXPECT_FALSE(T2C(L"a", nullptr, 8));
    EXPECT_FALSE(T2C(L"a", buffer, 0));
    EXPECT_FALSE(T2C(L"a", buffer, -3));
    EXPECT_STREQ(buffer, "keep");
    wchar_t wide[8] = L"keep";
    EXPECT_FALSE(C2T(nullptr, wide, 8));
    EXPECT_FALSE(C2T("a", nullptr, 8));
    EXPECT_FALSE(C2T("a", wide, 0));
    EXPECT_STREQ(wide, L"");
}

TEST(StrCompare, StringCmpOrdersWithoutRegardToCase)
{
    std::map<std::wstring, int, StringCmp> byName;
    byName[L"Section"] = 1;
    byName[L"SECTION"] = 2;
    byName[L"alpha"] = 3;
    ASSERT_EQ(byName.size(), 2u);
    EXPECT_EQ(byName.at(L"section"), 2);
    EXPECT_EQ(byName.begin()->first, L"alpha");
    EXPECT_TRUE(StringCmp()(L"abc", L"ABD"));
    EXPECT_FALSE(StringCmp()(L"ABD", L"abc"));
    EXPECT_FALSE(StringCmp()(L"x", L"X"));
    EXPECT_TRUE(StringCmp()(L"", L"a"));

    std::set<std::string, StringCmpA> names{"Key", "KEY", "b"};
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(names.count("key"), 1u);
}

TEST(StrCompare, ByteComparisonsAreUnsigned)
{
    const std::string high = "\xb0";
    const std::string low = "a";
    EXPECT_EQ(stringCmp(high, low), 1);
    EXPECT_EQ(stringCmp(low, high), -1);
    EXPECT_EQ(stringCmp("same", "same"), 0);
    EXPECT_TRUE(stringGreatThan(high, low));
    EXPECT_TRUE(stringLessThan(low, high));
    EXPECT_FALSE(stringLessThan("a", "a"));
    EXPECT_EQ(stringCmp("", "a"), -1);
}

TEST(StrCompare, NoCaseForms)
{
    EXPECT_EQ(stringCmpNoCase("ABC", "abc"), 0);
    EXPECT_LT(stringCmpNoCase("abc", "ABD"), 0);
    EXPECT_TRUE(stringLessThanNoCase("Apple", "banana"));
    EXPECT_FALSE(stringLessThan("banana", "Apple")) << "'b' > 'A' by bytes";
    EXPECT_TRUE(stringGreatThanNoCase("b", "A"));
    EXPECT_FALSE(stringGreatThanNoCase("a", "A"));
    EXPECT_LT(wstringCmp(L"A", L"a"), 0);
    EXPECT_EQ(wstringCmpNoCase(L"Ab", L"aB"), 0);
    EXPECT_TRUE(wstringLessThan(L"A", L"a"));
    EXPECT_FALSE(wstringLessThanNoCase(L"A", L"a"));
    EXPECT_TRUE(wstringGreatThan(L"b", L"a"));
    EXPECT_TRUE(wstringGreatThanNoCase(L"B", L"a"));
    EXPECT_FALSE(wstringGreatThanNoCase(L"a", L"B"));
}
