#include <util/strutil.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::wstring Amount(double value)
{
    wchar_t buffer[400];
    TransAmount(value, buffer);
    return buffer;
}

std::wstring Volume(double value)
{
    wchar_t buffer[400];
    TransVolume(value, buffer);
    return buffer;
}

} // namespace

TEST(StrParse, AtolSkipsBlanksAndReadsDecimalOrHex)
{
    EXPECT_EQ(KX_atol("  42abc"), 42);
    EXPECT_EQ(KX_atol("\t\r\n 7"), 7);
    EXPECT_EQ(KX_atol("0x1F"), 31);
    EXPECT_EQ(KX_atol("0X10"), 16);
    EXPECT_EQ(KX_atol("0xff"), 255);
    EXPECT_EQ(KX_atol("0xFFFFFFFF"), -1);
    EXPECT_EQ(KX_atol("0x1fz9"), 31);
    EXPECT_EQ(KX_atol("0x"), 0);
    EXPECT_EQ(KX_atol("0xg"), 0);
    EXPECT_EQ(KX_atol("-5"), 0);
    EXPECT_EQ(KX_atol("+5"), 0);
    EXPECT_EQ(KX_atol("   "), 0);
    EXPECT_EQ(KX_atol(""), 0);
    EXPECT_EQ(KX_atol(nullptr), 0);
    EXPECT_EQ(KX_atol("2147483647"), 2147483647L);
    EXPECT_EQ(KX_atol("0755"), 755) << "a leading zero is not octal";
}

TEST(StrParse, WtolMatchesAtol)
{
    EXPECT_EQ(KX_wtol(L"  42abc"), 42);
    EXPECT_EQ(KX_wtol(L"0X10"), 16);
    EXPECT_EQ(KX_wtol(L"0x"), 0);
    EXPECT_EQ(KX_wtol(L"-5"), 0);
    EXPECT_EQ(KX_wtol(L"\u3000"
                      L"5"),
              0)
        << "only ASCII blanks are skipped";
    EXPECT_EQ(KX_wtol(L"１２"), 0) << "full-width digits are not digits";
    EXPECT_EQ(KX_wtol(nullptr), 0);
}

TEST(StrParse, IsIntStrAcceptsOnlyCanonicalForms)
{
    int value = -1;
    EXPECT_TRUE(IsIntStrA("-7", &value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(IsIntStrA("0", &value));
    EXPECT_TRUE(IsIntStrA("-2147483648", &value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    EXPECT_FALSE(IsIntStrA("007", &value));
    EXPECT_EQ(value, 7) << "the value is set even when the text is not canonical";
    EXPECT_FALSE(IsIntStrA("+7", &value));
    EXPECT_FALSE(IsIntStrA(" 7", &value));
    EXPECT_FALSE(IsIntStrA("7 ", &value));
    EXPECT_FALSE(IsIntStrA("-0", &value));
    EXPECT_FALSE(IsIntStrA("abc", &value));
    EXPECT_EQ(value, 0);
    value = 5;
    EXPECT_FALSE(IsIntStrA("", &value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(IsIntStrA(nullptr, &value));
    EXPECT_FALSE(IsIntStrA("7", nullptr));

    EXPECT_TRUE(IsIntStrW(L"123", &value));
    EXPECT_EQ(value, 123);
    EXPECT_TRUE(IsIntStrW(L"2147483647", &value));
    EXPECT_FALSE(IsIntStrW(L"2147483648", &value));
    EXPECT_FALSE(IsIntStrW(L"1e3", &value));
    EXPECT_FALSE(IsIntStrW(L"12", nullptr));
}

TEST(StrParse, DataIsFloat)
{
    EXPECT_TRUE(DataIsFloat(L"1.5"));
    EXPECT_TRUE(DataIsFloat(L"+1.5"));
    EXPECT_TRUE(DataIsFloat(L"-.5"));
    EXPECT_TRUE(DataIsFloat(L"12"));
    EXPECT_TRUE(DataIsFloat(L"3."));
    EXPECT_FALSE(DataIsFloat(L"1.5.2"));
    EXPECT_FALSE(DataIsFloat(L"1-2"));
    EXPECT_FALSE(DataIsFloat(L"--1"));
    EXPECT_FALSE(DataIsFloat(L"1e5"));
    EXPECT_FALSE(DataIsFloat(L" 1"));
    EXPECT_FALSE(DataIsFloat(L""));
    EXPECT_FALSE(DataIsFloat(nullptr));
}

TEST(StrParse, SmallPredicates)
{
    EXPECT_TRUE(_is_alpha('a'));
    EXPECT_TRUE(_is_alpha('Z'));
    EXPECT_FALSE(_is_alpha('@'));
    EXPECT_FALSE(_is_alpha('['));
    EXPECT_FALSE(_is_alpha('`'));
    EXPECT_FALSE(_is_alpha('{'));
    EXPECT_FALSE(_is_alpha('\xc1'));

    EXPECT_TRUE(IsSmallFloat(0.0));
    EXPECT_TRUE(IsSmallFloat(9.9e-11));
    EXPECT_TRUE(IsSmallFloat(-9.9e-11));
    EXPECT_FALSE(IsSmallFloat(1e-10));
    EXPECT_FALSE(IsSmallFloat(-1e-10));

    EXPECT_TRUE(IsErrorData(1.0000001e15));
    EXPECT_TRUE(IsErrorData(-2e15));
    EXPECT_TRUE(IsErrorData(std::nan("")));
    EXPECT_FALSE(IsErrorData(1e15));
    EXPECT_FALSE(IsErrorData(-1e15));
    EXPECT_FALSE(IsErrorData(0.0));

    EXPECT_EQ(Sign(5, 3), 1);
    EXPECT_EQ(Sign(3, 3), 0);
    EXPECT_EQ(Sign(3, 5), -1);
    EXPECT_EQ(Sign(0xFFFFFFFFul, 1), 1) << "unsigned comparison";
}

TEST(StrDoubleCompare, RoundsHalfUpAtTheGivenDecimals)
{
    EXPECT_EQ(DoulbeCompare(10.004, 10.000, 2), 0);
    EXPECT_EQ(DoulbeCompare(10.006, 10.000, 2), 1);
    EXPECT_EQ(DoulbeCompare(10.000, 10.006, 2), -1);
    EXPECT_EQ(DoulbeCompare(1.4, 1.0, 0), 0);
    EXPECT_EQ(DoulbeCompare(1.5, 1.0, 0), 1);
    EXPECT_EQ(DoulbeCompare(3.14159, 3.14161, 4), 0);
    EXPECT_EQ(DoulbeCompare(3.14154, 3.14156, 4), -1);
    EXPECT_EQ(DoulbeCompare(2.04, 2.06, 1), -1);
    EXPECT_EQ(DoulbeCompare(2.01, 2.04, 1), 0);
}

TEST(StrDoubleCompare, OtherDecimalsUseATolerance)
{
    EXPECT_EQ(DoulbeCompare(1.0, 1.00000000005, 7), 0);
    EXPECT_EQ(DoulbeCompare(1.0, 1.001, 7), -1);
    EXPECT_EQ(DoulbeCompare(1.001, 1.0, -1), 1);
    EXPECT_EQ(DoulbeCompare(1.0, 1.0000001, 5), -1);
}

TEST(StrDoubleCompare, NegativeValuesRoundLikePositiveOnes)
{
    EXPECT_EQ(DoulbeCompare(-10.004, -10.000, 2), 0);
    EXPECT_EQ(DoulbeCompare(-10.006, -10.000, 2), -1);
    // -0.008 is -0.01 at two decimals, 0.004 is 0.00: not equal.
    EXPECT_EQ(DoulbeCompare(-0.008, 0.004, 2), -1);
    EXPECT_EQ(DoulbeCompare(0.004, -0.008, 2), 1);
    EXPECT_EQ(DoulbeCompare(-0.004, 0.004, 2), 0);
    EXPECT_EQ(DoulbeCompare(-0.6, 0.4, 0), -1);
}

TEST(StrDoubleCompare, HugeValuesDoNotOverflow)
{
    EXPECT_EQ(DoulbeCompare(1e300, 1e299, 4), 1);
    EXPECT_EQ(DoulbeCompare(-1e300, 1e300, 3), -1);
    EXPECT_EQ(DoulbeCompare(1e300, 1e300, 2), 0);
}

TEST(StrChineseUnits, BoundariesOfWanAndYi)
{
    EXPECT_EQ(Amount(0), L"0");
    EXPECT_EQ(Amount(999999.4), L"999999");
    EXPECT_EQ(Amount(1000000), L"1000000");
    EXPECT_EQ(Amount(1000001), L"100.00万");
    EXPECT_EQ(Amount(1000000.01), L"100.00万");
    EXPECT_EQ(Amount(12345678), L"1234.57万");
    EXPECT_EQ(Amount(99999999), L"10000.00万");
    EXPECT_EQ(Amount(99999999.99), L"10000.00万");
    EXPECT_EQ(Amount(100000000), L"1.00亿");
    EXPECT_EQ(Amount(123456789), L"1.23亿");
    EXPECT_EQ(Amount(1e12), L"10000.00亿");
}

TEST(StrChineseUnits, NegativeValuesKeepTheirSign)
{
    EXPECT_EQ(Amount(-123456789), L"-1.23亿");
    EXPECT_EQ(Amount(-1000000), L"-1000000");
    EXPECT_EQ(Amount(-1000001), L"-100.00万");
    EXPECT_EQ(Amount(-99999999), L"-10000.00万");
    EXPECT_EQ(Amount(-100000000), L"-1.00亿");
    EXPECT_EQ(Amount(-42.6), L"-43");
    EXPECT_EQ(Amount(-0.3), L"0") << "no sign on an amount that rounds to zero";
}

TEST(StrChineseUnits, RoundingEdges)
{
    EXPECT_EQ(Amount(2.5), L"3");
    EXPECT_EQ(Amount(1234.49), L"1234");
    EXPECT_EQ(Amount(1004999), L"100.50万");
    EXPECT_EQ(Amount(1004949), L"100.49万");
    EXPECT_EQ(Amount(1234499999), L"12.34亿");
    EXPECT_EQ(Amount(1234500001), L"12.35亿");
}

TEST(StrChineseUnits, VolumeFormatsAlike)
{
    for (const double value : {0.0, 17.0, 1000000.0, 1000001.0, 55555555.0, 100000000.0, -250000000.0}) {
        EXPECT_EQ(Volume(value), Amount(value)) << value;
    }
    EXPECT_EQ(Volume(2000000), L"200.00万");
}

TEST(StrChineseUnits, BoundedFormsRefuseShortBuffers)
{
    wchar_t buffer[8];
    EXPECT_TRUE(TransAmount(1.5e8, buffer, 8));
    EXPECT_STREQ(buffer, L"1.50亿");
    EXPECT_TRUE(TransAmount(1.5e8, buffer, 6)) << "5 characters and the terminator";
    EXPECT_FALSE(TransAmount(1.5e8, buffer, 5));
    EXPECT_STREQ(buffer, L"");
    EXPECT_FALSE(TransVolume(123456789012.0, buffer, 8));
    EXPECT_STREQ(buffer, L"");
    EXPECT_TRUE(TransVolume(-7, buffer, 3));
    EXPECT_STREQ(buffer, L"-7");
    EXPECT_FALSE(TransVolume(1, nullptr, 8));
    EXPECT_FALSE(TransAmount(1, buffer, 0));
}

TEST(StrChineseUnits, LargestValueFitsTheDocumentedBuffer)
{
    wchar_t buffer[320];
    EXPECT_TRUE(TransAmount(-1.7976931348623157e308, buffer, 320));
    EXPECT_TRUE(TransAmount(1e6, buffer, 320));
    EXPECT_STREQ(buffer, L"1000000");
}
