#include <util/strutil.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// 8-bit text in a writable buffer, with guard bytes after its terminator.
struct AnsiBuffer {
    explicit AnsiBuffer(const std::string& text) : bytes(text)
    {
        bytes.push_back('\0');
        bytes.append(8, '#');
    }
    char* get() { return &bytes[0]; }
    std::string text() const { return bytes.c_str(); }
    std::string bytes;
};

// GBK characters whose second byte is an ASCII letter or punctuation: 碼 B4 61 ('a'), 禱 B6 5C ('\'),
// 礫 B5 5B ('['), 皘 B0 7C ('|').
const std::string kCodeChar = "\xb4\x61";
const std::string kPrayChar = "\xb6\x5c";
const std::string kGravelChar = "\xb5\x5b";
const std::string kBarChar = "\xb0\x7c";

} // namespace

TEST(StrTrim, DefaultSetIsSpaceAndTab)
{
    wchar_t wide[] = L" \t\tword \n\t ";
    EXPECT_EQ(KX_TrimLeftW(wide), wide);
    EXPECT_STREQ(wide, L"word \n\t ");
    EXPECT_EQ(KX_TrimRightW(wide), wide);
    EXPECT_STREQ(wide, L"word \n") << "a line feed is not in the default set";

    AnsiBuffer ansi("\t a b \t");
    EXPECT_EQ(KX_TrimRightA(KX_TrimLeftA(ansi.get())), ansi.get());
    EXPECT_EQ(ansi.text(), "a b");
    EXPECT_EQ(KX_TrimLeftA(nullptr), nullptr);
    EXPECT_EQ(KX_TrimRightW(nullptr), nullptr);
}

TEST(StrTrim, ExplicitSets)
{
    wchar_t wide[] = L"--==value=-";
    KX_TrimLeftMW(wide, L"=-");
    EXPECT_STREQ(wide, L"value=-");
    KX_TrimRightMW(wide, L"=-");
    EXPECT_STREQ(wide, L"value");

    wchar_t onlySet[] = L"xyxxy";
    KX_TrimRightMW(onlySet, L"xy");
    EXPECT_STREQ(onlySet, L"");
    wchar_t leftOnly[] = L"xyxxy";
    KX_TrimLeftMW(leftOnly, L"xy");
    EXPECT_STREQ(leftOnly, L"");

    wchar_t untouched[] = L" keep ";
    KX_TrimLeftMW(untouched, nullptr);
    KX_TrimRightMW(untouched, nullptr);
    EXPECT_STREQ(untouched, L" keep ");
    EXPECT_EQ(KX_TrimLeftMA(nullptr, ","), nullptr);
}

TEST(StrTrim, RightTrimZeroesEveryTrimmedByte)
{
    char text[] = "ab;;;";
    KX_TrimRightMA(text, ";");
    EXPECT_EQ(std::string(text, sizeof(text)), std::string("ab\0\0\0\0", 6));
}

TEST(StrTrim, DoubleByteCharactersStayWhole)
{
    // A path ending in a character whose second byte is '\' keeps that character.
    AnsiBuffer path("C:\\dir\\" + kPrayChar);
    KX_TrimRightMA(path.get(), "\\");
    EXPECT_EQ(path.text(), "C:\\dir\\" + kPrayChar);
    AnsiBuffer withSeparators("C:\\" + kPrayChar + "\\\\");
    KX_TrimRightMA(withSeparators.get(), "\\");
    EXPECT_EQ(withSeparators.text(), "C:\\" + kPrayChar);
    // A set may hold double-byte characters too: full-width comma is A3 AC.
    AnsiBuffer commas("\xa3\xac,\xa3\xac"
                      "data,\xa3\xac");
    KX_TrimLeftMA(commas.get(), "\xa3\xac,");
    KX_TrimRightMA(commas.get(), "\xa3\xac,");
    EXPECT_EQ(commas.text(), "data");
    // The first byte of a double-byte character is no set member on its own.
    AnsiBuffer lead(kCodeChar + "x");
    KX_TrimLeftMA(lead.get(), "\xb4");
    EXPECT_EQ(lead.text(), kCodeChar + "x");
}

TEST(StrCase, ConvertsLettersOnly)
{
    AnsiBuffer ansi("Mixed Case 123 !");
    EXPECT_EQ(KX_UppercaseStrA(ansi.get()), ansi.get());
    EXPECT_EQ(ansi.text(), "MIXED CASE 123 !");
    KX_LowercaseStrA(ansi.get());
    EXPECT_EQ(ansi.text(), "mixed case 123 !");

    wchar_t wide[] = L"Ab中z";
    EXPECT_EQ(KX_UppercaseStrW(wide), wide);
    EXPECT_STREQ(wide, L"AB中Z");
    KX_LowercaseStrW(wide);
    EXPECT_STREQ(wide, L"ab中z");
    EXPECT_EQ(KX_UppercaseStrA(nullptr), nullptr);
}

TEST(StrCase, GbkTextSurvivesCaseConversion)
{
    // Upper-casing byte by byte would turn 碼 (B4 61) into B4 41, another character.
    AnsiBuffer text("a" + kCodeChar + "b");
    KX_UppercaseStrA(text.get());
    EXPECT_EQ(text.text(), "A" + kCodeChar + "B");
    EXPECT_EQ(C2T(text.text().c_str()), L"A碼B");
    AnsiBuffer upper("\xb0\x41Z"); // 癆 (B0 41) has an upper-case second byte
    KX_LowercaseStrA(upper.get());
    EXPECT_EQ(upper.text(), "\xb0\x41z");
}

TEST(StrTrimString, RemovesBlanksAndUnprintablesEverywhere)
{
    char buffer[] = " a b\tc\r\nd\x01"
                    "e!X"; // the last byte is the terminator's place
    const int length = static_cast<int>(strlen(buffer));
    EXPECT_EQ(TrimString(buffer, length), 6);
    EXPECT_STREQ(buffer, "abcde!");
}

TEST(StrTrimString, HighBytesAreNotPrintableAndDoNotCrash)
{
    char buffer[] = "x\xd6\xd0y\xff\x80z.";
    EXPECT_EQ(TrimString(buffer, static_cast<int>(sizeof(buffer))), 4);
    EXPECT_STREQ(buffer, "xyz.");
}

TEST(StrTrimString, BytesAfterAnEmbeddedZeroAreKept)
{
    char buffer[] = {'a', 0, 'b', ' ', 'c', 'Z'};
    EXPECT_EQ(TrimString(buffer, 6), 3);
    EXPECT_STREQ(buffer, "abc");
}

TEST(StrTrimString, BadArguments)
{
    char buffer[] = "abc";
    EXPECT_EQ(TrimString(nullptr, 4), -1);
    EXPECT_EQ(TrimString(buffer, 0), -1);
    EXPECT_EQ(TrimString(buffer, -5), -1);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(TrimString(buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(StrSplit, PiecesBetweenSeparators)
{
    std::vector<std::string> pieces{"stale"};
    splitStringExA("a,,b", pieces, ',');
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b"}));
    splitStringExA("a,b,", pieces, ',');
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b"}));
    splitStringExA(",a", pieces, ',');
    EXPECT_EQ(pieces, (std::vector<std::string>{"", "a"}));
    splitStringExA(",", pieces, ',');
    EXPECT_EQ(pieces, (std::vector<std::string>{""}));
    splitStringExA("", pieces, ',');
    EXPECT_TRUE(pieces.empty());
    pieces = {"stale"};
    splitStringExA(nullptr, pieces, ',');
    EXPECT_TRUE(pieces.empty());

    std::vector<std::wstring> wide;
    splitStringExW(L"甲|乙||丙", wide, L'|');
    EXPECT_EQ(wide, (std::vector<std::wstring>{L"甲", L"乙", L"", L"丙"}));
}

TEST(StrSplit, SeparatorInsideAGbkCharacterDoesNotSplit)
{
    // 皘 is B0 7C: its second byte is '|'.
    std::vector<std::string> pieces;
    splitStringExA(("x" + kBarChar + "|y").c_str(), pieces, '|');
    EXPECT_EQ(pieces, (std::vector<std::string>{"x" + kBarChar, "y"}));
}

TEST(StrSplit, ToLongs)
{
    std::vector<long> values{99};
    splitStringToLongExA("1,,3", values, ',');
    EXPECT_EQ(values, (std::vector<long>{1, 0, 3}));
    splitStringToLongExA(" 7;0x10;-2;x", values, ';');
    EXPECT_EQ(values, (std::vector<long>{7, 16, 0, 0}));
    splitStringToLongExW(L"10 20 0X1f", values, L' ');
    EXPECT_EQ(values, (std::vector<long>{10, 20, 31}));
    splitStringToLongExW(L"", values, L' ');
    EXPECT_TRUE(values.empty());
}

TEST(StrConvert, FullWidthToHalfWidth)
{
    wchar_t text[] = L"\uFF21\uFF22\u3000\uFF11\uFF01\uFF5E\uFF5F\uFF00中";
    EXPECT_EQ(Full2Half(text), text);
    EXPECT_STREQ(text, L"AB 1!~\uFF5F\uFF00中") << "only U+FF01 to U+FF5E and U+3000 change";
    EXPECT_EQ(Full2Half(nullptr), nullptr);
}

TEST(StrConvert, ValidateFileStringRemovesOnlyThreeCharacters)
{
    wchar_t text[] = L"a/b*c?d\\e:f|g\"<>文";
    EXPECT_EQ(ValidatetFileString(text), text);
    EXPECT_STREQ(text, L"abcd\\e:f|g\"<>文");
    wchar_t all[] = L"/*?";
    ValidatetFileString(all);
    EXPECT_STREQ(all, L"");
}

TEST(StrReverseSearch, FindsTheLastOccurrence)
{
    const char* text = "abcabc";
    EXPECT_EQ(strrstr(text, "bc"), text + 4);
    EXPECT_EQ(strrstr(text, "abc"), text + 3);
    EXPECT_EQ(strrstr(text, "x"), nullptr);
    EXPECT_EQ(strrstr(text, "abcabcd"), nullptr);
    EXPECT_EQ(strrstr(text, ""), text + 6);
    EXPECT_EQ(strrstr(nullptr, "a"), nullptr);
    EXPECT_EQ(strrstr(text, nullptr), nullptr);
    const wchar_t* wide = L"路径\\目录\\文件";
    EXPECT_EQ(wcsrstr(wide, L"\\"), wide + 5);
    EXPECT_EQ(wcsrstr(wide, L"目录"), wide + 3);
    EXPECT_EQ(wcsrstr(L"", L"a"), nullptr);
}

TEST(StrReverseSearch, OverlappingOccurrencesAreFound)
{
    const char* text = "aaa";
    EXPECT_EQ(strrstr(text, "aa"), text + 1);
    const wchar_t* wide = L"baab";
    EXPECT_EQ(wcsrstr(wide, L"aa"), wide + 1);
    const wchar_t* repeated = L"xyxyx";
    EXPECT_EQ(wcsrstr(repeated, L"xyx"), repeated + 2);
}

TEST(StrReverseSearch, IgnoringCase)
{
    const char* text = "Path\\To\\FILE.txt";
    EXPECT_EQ(strirstr(text, "file"), text + 8);
    EXPECT_EQ(strirstr(text, "T"), text + 15);
    EXPECT_EQ(strrstr(text, "file"), nullptr);
    const wchar_t* wide = L"Alpha beta ALPHA";
    EXPECT_EQ(wcsirstr(wide, L"alpha"), wide + 11);
    EXPECT_EQ(wcsirstr(wide, L"gamma"), nullptr);
    EXPECT_EQ(wcsirstr(nullptr, L"a"), nullptr);
}

TEST(StrReverseSearch, MatchesStartOnCharacterBoundaries)
{
    // The last '\' byte of "C:\禱" is the second byte of 禱, not a separator.
    const std::string path = "C:\\" + kPrayChar;
    EXPECT_EQ(strrstr(path.c_str(), "\\"), path.c_str() + 2);
    const std::string withGravel = "[x]" + kGravelChar;
    EXPECT_EQ(strrstr(withGravel.c_str(), "["), withGravel.c_str());
    // Case-insensitive search must not fold the 'a' byte of 碼.
    const std::string code = kCodeChar + "A";
    EXPECT_EQ(strirstr(code.c_str(), "a"), code.c_str() + 2);
}
