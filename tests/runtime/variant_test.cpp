#include <util/variant.h>

#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

// Exposes the protected plain-value helpers so that codes outside the operators can be tried.
class ProbeVariable : public YVariable {
public:
    using YVariable::Compare;
    using YVariable::Operator;
};

} // namespace

TEST(VariantKinds, ConstructorsAndAssignmentSetTheKind)
{
    YVariable empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_TRUE(YVariable(true).IsBool());
    EXPECT_TRUE(YVariable(5).IsInt());
    EXPECT_TRUE(YVariable(2.5).IsDouble());
    EXPECT_TRUE(YVariable(5ul).IsDword());
    int target = 0;
    EXPECT_TRUE(YVariable(static_cast<void*>(&target)).IsPoint());

    YVariable v(7);
    v = 1.5;
    EXPECT_TRUE(v.IsDouble());
    EXPECT_EQ(v.ToDouble(), 1.5);
    v = false;
    EXPECT_TRUE(v.IsBool());
    v.Clear();
    EXPECT_FALSE(v.IsValid());
    EXPECT_EQ(v.ToInt(), 0);
    EXPECT_EQ(v.ToPvoid(), nullptr);

    const YVariable copy = YVariable(3ul);
    v = copy;
    EXPECT_TRUE(v.IsDword());
    EXPECT_EQ(v.ToDword(), 3ul);
}

TEST(VariantConversions, AcrossKinds)
{
    EXPECT_EQ(YVariable(true).ToInt(), 1);
    EXPECT_EQ(YVariable(2.9).ToInt(), 2);
    EXPECT_EQ(YVariable(-2.9).ToInt(), -2);
    EXPECT_EQ(YVariable(0xFFFFFFFFul).ToInt(), -1);
    EXPECT_EQ(YVariable(-1).ToDword(), 0xFFFFFFFFul);
    EXPECT_EQ(YVariable(3.99).ToDword(), 3ul);

    EXPECT_TRUE(YVariable(-1).ToBool());
    EXPECT_FALSE(YVariable(0ul).ToBool());
    EXPECT_TRUE(YVariable(0.001).ToBool());
    EXPECT_FALSE(YVariable(0.0).ToBool());
    int target = 0;
    EXPECT_FALSE(YVariable(static_cast<void*>(&target)).ToBool());
    EXPECT_FALSE(YVariable().ToBool());

    EXPECT_EQ(YVariable(-3).ToDouble(), -3.0);
    EXPECT_EQ(YVariable(0xFFFFFFFFul).ToDouble(), 4294967295.0);
    EXPECT_EQ(YVariable(true).ToDouble(), 1.0);
    EXPECT_EQ(YVariable(static_cast<void*>(&target)).ToDouble(), 0.0);
}

TEST(VariantConversions, OutOfRangeDoublesSaturateInsteadOfUndefinedResults)
{
    EXPECT_EQ(YVariable(1e20).ToInt(), INT_MAX);
    EXPECT_EQ(YVariable(-1e20).ToInt(), INT_MIN);
    EXPECT_EQ(YVariable(-2147483648.7).ToInt(), INT_MIN);
    EXPECT_EQ(YVariable(4294967295.0).ToDword(), 0xFFFFFFFFul);
    EXPECT_EQ(YVariable(-1.0).ToDword(), 0xFFFFFFFFul);
}

TEST(VariantConversions, PointerKindKeepsAllItsBits)
{
    void* const high = reinterpret_cast<void*>(static_cast<uintptr_t>(0x123456789ABCDEF0ull));
    const YVariable v(high);
    EXPECT_EQ(v.ToPvoid(), high);
    EXPECT_EQ(v.ToInt(), static_cast<int>(0x9ABCDEF0u));
    EXPECT_EQ(v.ToDword(), 0x9ABCDEF0ul);
    EXPECT_EQ(YVariable(0x1234ul).ToPvoid(), reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234)));
    EXPECT_EQ(YVariable(-1).ToPvoid(), reinterpret_cast<void*>(static_cast<uintptr_t>(0xFFFFFFFFu)));
    EXPECT_EQ(YVariable(5.0).ToPvoid(), nullptr);
    EXPECT_EQ(YVariable(true).ToPvoid(), nullptr);
}

TEST(VariantArithmetic, ResultKindsFollowTheOperands)
{
    const YVariable half = YVariable(7) / YVariable(2);
    ASSERT_TRUE(half.IsDouble());
    EXPECT_EQ(half.ToDouble(), 3.5);

    const YVariable whole = YVariable(7) / YVariable(true);
    ASSERT_TRUE(whole.IsInt());
    EXPECT_EQ(whole.ToInt(), 7);

    const YVariable sum = YVariable(7) + YVariable(2);
    ASSERT_TRUE(sum.IsInt());
    EXPECT_EQ(sum.ToInt(), 9);

    const YVariable difference = YVariable(1) - YVariable(2ul);
    ASSERT_TRUE(difference.IsDword());
    EXPECT_EQ(difference.ToDword(), 0xFFFFFFFFul);

    const YVariable dwordQuotient = YVariable(9ul) / YVariable(2ul);
    ASSERT_TRUE(dwordQuotient.IsDouble());
    EXPECT_EQ(dwordQuotient.ToDouble(), 4.5);

    const YVariable mixed = YVariable(3) * YVariable(0.5);
    ASSERT_TRUE(mixed.IsDouble());
    EXPECT_EQ(mixed.ToDouble(), 1.5);

    const YVariable leftDouble = YVariable(2.5) - YVariable(true);
    ASSERT_TRUE(leftDouble.IsDouble());
    EXPECT_EQ(leftDouble.ToDouble(), 1.5);

    const YVariable doubleByDword = YVariable(1.0) + YVariable(0xFFFFFFFFul);
    ASSERT_TRUE(doubleByDword.IsDouble());
    EXPECT_EQ(doubleByDword.ToDouble(), 4294967296.0);

    const YVariable bools = YVariable(true) + YVariable(true);
    ASSERT_TRUE(bools.IsInt());
    EXPECT_EQ(bools.ToInt(), 2);

    const YVariable truncated = YVariable(-7) / YVariable(true);
    EXPECT_EQ(truncated.ToInt(), -7);
    EXPECT_EQ((YVariable(-7ul) / YVariable(true)).ToInt(), -7);
}

TEST(VariantArithmetic, IntegersWrap)
{
    const YVariable wrapped = YVariable(INT_MAX) + YVariable(1);
    ASSERT_TRUE(wrapped.IsInt());
    EXPECT_EQ(wrapped.ToInt(), INT_MIN);
    EXPECT_EQ((YVariable(INT_MIN) * YVariable(-1)).ToInt(), INT_MIN);
    EXPECT_EQ((YVariable(0xFFFFFFFFul) + YVariable(2ul)).ToDword(), 1ul);
}

TEST(VariantArithmetic, DivisionByZeroAndUnsupportedKindsAreInvalid)
{
    EXPECT_FALSE((YVariable(5) / YVariable(0)).IsValid());
    EXPECT_FALSE((YVariable(5) / YVariable(false)).IsValid());
    EXPECT_FALSE((YVariable(5.0) / YVariable(0.0)).IsValid());
    EXPECT_FALSE((YVariable(5.0) / YVariable(-0.0)).IsValid());
    EXPECT_FALSE((YVariable(5ul) / YVariable(0ul)).IsValid());
    EXPECT_FALSE((YVariable(1.5) / YVariable(0)).IsValid());

    int target = 0;
    const YVariable pointer(static_cast<void*>(&target));
    EXPECT_FALSE((YVariable(1) + pointer).IsValid());
    EXPECT_FALSE((pointer + YVariable(1)).IsValid());
    EXPECT_FALSE((YVariable() + YVariable(1)).IsValid());
    EXPECT_FALSE((YVariable(1.0) * YVariable()).IsValid());
}

TEST(VariantArithmetic, PlainValueHelpersNeverTrap)
{
    const YVariable quotient = ProbeVariable::Operator(INT_MIN, -1, 3);
    ASSERT_TRUE(quotient.IsInt());
    EXPECT_EQ(quotient.ToInt(), INT_MIN);
    EXPECT_FALSE(ProbeVariable::Operator(1, 2, 7).IsValid());
    EXPECT_FALSE(ProbeVariable::Operator(1.0, 2.0, -1).IsValid());
    EXPECT_FALSE(ProbeVariable::Operator(1, 2ul, 4).IsValid());
    EXPECT_EQ(ProbeVariable::Operator(7, 2ul, 3).ToDword(), 3ul);
    EXPECT_FALSE(ProbeVariable::Compare(1, 1, 9));
}

TEST(VariantCompare, DoublesUseTheTolerance)
{
    EXPECT_TRUE(YVariable(1.0) == YVariable(1.000005));
    EXPECT_FALSE(YVariable(1.0) != YVariable(1.000005));
    EXPECT_TRUE(YVariable(1.0) != YVariable(1.00002));
    EXPECT_FALSE(YVariable(1.0) == YVariable(1.00002));
    EXPECT_FALSE(YVariable(1.000005) > YVariable(1.0));
    EXPECT_TRUE(YVariable(1.00002) > YVariable(1.0));
    EXPECT_TRUE(YVariable(1.0) < YVariable(1.00002));
    EXPECT_TRUE(YVariable(1.000005) <= YVariable(1.0));
    EXPECT_TRUE(YVariable(1.0) >= YVariable(1.000005));
    EXPECT_FALSE(YVariable(1.0) >= YVariable(1.00002));
    EXPECT_TRUE(YVariable(2) == YVariable(2.000001));
    EXPECT_TRUE(YVariable(2.000001) == YVariable(2ul));
}

TEST(VariantCompare, DifferenceOfExactlyTheToleranceIsNeitherEqualNorUnequal)
{
    const double left = 0.00001;
    const double right = 0.0;
    EXPECT_FALSE(YVariable(left) == YVariable(right));
    EXPECT_FALSE(YVariable(left) != YVariable(right));
    EXPECT_TRUE(YVariable(left) >= YVariable(right));
    EXPECT_FALSE(YVariable(left) <= YVariable(right));
    EXPECT_TRUE(YVariable(right) <= YVariable(left));
    EXPECT_FALSE(YVariable(right) >= YVariable(left));
    EXPECT_FALSE(YVariable(left) > YVariable(right));
}

TEST(VariantCompare, IntegersCompareExactly)
{
    EXPECT_TRUE(YVariable(3) > YVariable(2));
    EXPECT_TRUE(YVariable(2) == YVariable(2));
    EXPECT_TRUE(YVariable(2) <= YVariable(2));
    EXPECT_TRUE(YVariable(2) != YVariable(3));
    // An int against a dword takes the dword as signed.
    EXPECT_TRUE(YVariable(-1) == YVariable(0xFFFFFFFFul));
    EXPECT_TRUE(YVariable(0xFFFFFFFFul) < YVariable(0));
    // Two dwords compare unsigned.
    EXPECT_TRUE(YVariable(0xFFFFFFFFul) > YVariable(1ul));
    // A dword against a double takes the unsigned value.
    EXPECT_TRUE(YVariable(0xFFFFFFFFul) > YVariable(1.0));
}

TEST(VariantCompare, BoolPointerAndInvalidNeverCompare)
{
    int target = 0;
    const YVariable pointer(static_cast<void*>(&target));
    const YVariable samples[] = {YVariable(true), pointer, YVariable()};
    for (const YVariable& odd : samples) {
        for (const YVariable& other : {YVariable(true), YVariable(1), pointer, YVariable()}) {
            EXPECT_FALSE(odd == other);
            EXPECT_FALSE(odd != other);
            EXPECT_FALSE(odd < other);
            EXPECT_FALSE(odd > other);
            EXPECT_FALSE(other <= odd);
            EXPECT_FALSE(other >= odd);
        }
    }
}
