// Building, reading and copying step messages.
#include <util/step.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "codec/step_reader.h"

namespace {

// The two-record example: 1=abc 2=5 / 1=x.
std::string BuildExample(CKxStep& step)
{
    CKxStepSec* first = step.AppendSec();
    first->AddValue(1, "abc", 3);
    first->AddValue(2, 5);
    step.AppendSec()->AddValue(1, "x", 1);
    std::string stream;
    const int length = step.GetStepStream(stream);
    EXPECT_EQ(length, static_cast<int>(stream.size()));
    return stream;
}

} // namespace

TEST(StepBuild, ExampleMessageHasExactBytesAndParsesBack)
{
    CKxStep built;
    const std::string stream = BuildExample(built);
    EXPECT_EQ(stream, Wire("1=abc|2=5|#1=x|#"));

    // The built sections count their fields' 0x01 bytes, not the 0x02 after them.
    EXPECT_EQ(built.GetCec(0)->GetStartPos(), 0);
    EXPECT_EQ(built.GetCec(0)->GetLenth(), 10);
    EXPECT_EQ(built.GetCec(1)->GetStartPos(), 11);
    EXPECT_EQ(built.GetCec(1)->GetLenth(), 4);

    CKxStep parsed;
    ASSERT_EQ(Parse(parsed, stream), 2);
    EXPECT_EQ(ReadRecords(parsed), (StepRecords{{{1, "abc"}, {2, "5"}}, {{1, "x"}}}));
    const CKxStepSec* first = parsed.GetCec(0);
    int tag = 0;
    char value[8] = {};
    EXPECT_EQ(first->GetValue(1, tag, value, sizeof(value)), 1);
    EXPECT_EQ(tag, 2);
    EXPECT_EQ(value[0], '5');
    EXPECT_EQ(first->GetSubStepPos(1), 6);
    EXPECT_EQ(first->GetValuePos(1), 8);
    // Parsed sections include their 0x02.
    EXPECT_EQ(first->GetLenth(), 11);
    EXPECT_EQ(parsed.GetCec(1)->GetStartPos(), 11);
    EXPECT_EQ(parsed.GetCec(1)->GetLenth(), 5);
}

TEST(StepBuild, StreamIsEndedOnlyOnceAndBuildingGoesOn)
{
    CKxStep step;
    step.AppendSec()->AddValue(1, "a", 1);
    std::string stream;
    step.GetStepStream(stream);
    EXPECT_EQ(step.GetStepStream(stream), 5);
    EXPECT_EQ(stream, Wire("1=a|#"));

    step.AppendSec()->AddValue(2, "b", 1);
    step.GetStepStream(stream);
    // AppendSec ends the previous section again: an empty section, which parsing skips.
    EXPECT_EQ(stream, Wire("1=a|##2=b|#"));
    CKxStep parsed;
    EXPECT_EQ(Parse(parsed, stream), 2);
    EXPECT_EQ(ReadRecords(parsed), (StepRecords{{{1, "a"}}, {{2, "b"}}}));
}

TEST(StepBuild, EmptyAndOneByteBuffers)
{
    CKxStep empty;
    std::string stream = "stale";
    EXPECT_EQ(empty.GetStepStream(stream), 0);
    EXPECT_EQ(stream, "");

    CKxStep oneByte;
    oneByte.AppendSec();
    oneByte.AppendSec(); // the buffer is now the single 0x02 between two empty sections
    EXPECT_EQ(oneByte.GetStepStream(stream), 1);
    EXPECT_EQ(stream, Wire("#"));
}

TEST(StepBuild, ValuesKeepEveryByteAndIntegersUseDecimal)
{
    CKxStep step;
    CKxStepSec* section = step.AppendSec();
    section->AddValue(10, INT_MIN);
    section->AddValue(7, 0);
    section->AddValue(2147483647, "a=\0z", 4);
    section->AddValue(5, nullptr, 3);    // no bytes: an empty value
    section->AddValue(6, "ignored", -4); // a negative length is no length
    section->AddValue(-3, "neg", 3);     // written as given; such a tag does not parse back
    std::string stream;
    step.GetStepStream(stream);
    EXPECT_EQ(stream, Wire("10=-2147483648|7=0|2147483647=a=") + std::string(1, '\0') + Wire("z|5=|6=|-3=neg|#"));
    EXPECT_EQ(section->GetCount(), 6);
    EXPECT_EQ(section->GetID(5), -3);
    EXPECT_EQ(ValueOf(*section, 2), std::string("a=\0z", 4));
    EXPECT_EQ(ValueOf(*section, 4), "");
}

TEST(StepBuild, FieldsAddedToAnEarlierSectionStayItsOwn)
{
    CKxStep step;
    CKxStepSec* first = step.AppendSec();
    first->AddValue(1, "a", 1);
    CKxStepSec* second = step.AppendSec();
    second->AddValue(2, "b", 1);
    CKxStepSec* third = step.AppendSec();
    first->AddValue(3, "c", 1); // out of order: the bytes go to the end, the field to the first section
    third->AddValue(4, "d", 1);

    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}, {3, "c"}}, {{2, "b"}}, {{4, "d"}}}));
    EXPECT_EQ(first->GetValuePos(1), 12);
    EXPECT_EQ(first->GetLenth(), 14); // from its start to the end of the buffer at that time
    std::string stream;
    step.GetStepStream(stream);
    EXPECT_EQ(stream, Wire("1=a|#2=b|#3=c|4=d|#"));
}

TEST(StepRead, ValueCopyHonoursTheCapacity)
{
    CKxStep step;
    Parse(step, Wire("3=hello|12=xy|#"));
    const CKxStepSec* section = step.GetCec(0);
    ASSERT_NE(section, nullptr);

    char buffer[8];
    memset(buffer, '*', sizeof(buffer));
    int tag = 0;
    EXPECT_EQ(section->GetValue(0, tag, buffer, 2), 2);
    EXPECT_EQ(tag, 3);
    EXPECT_EQ(std::string(buffer, 3), "he*");

    tag = 99;
    EXPECT_EQ(section->GetValue(0, tag, nullptr, 8), 5);
    EXPECT_EQ(section->GetValue(0, tag, buffer, 0), 5);
    EXPECT_EQ(section->GetValue(0, tag, buffer, -1), 5);
    EXPECT_EQ(section->GetValue(0, tag, buffer, INT_MIN), 5);
    EXPECT_EQ(tag, 99);
    EXPECT_EQ(std::string(buffer, 3), "he*");

    EXPECT_EQ(section->GetValue(0, tag, buffer, 100), 5);
    EXPECT_EQ(std::string(buffer, 6), "hello*");
}

TEST(StepRead, SubStepIsTagEqualsAndValue)
{
    CKxStep step;
    Parse(step, Wire("3=hello|12=xy|#"));
    const CKxStepSec* section = step.GetCec(0);
    char buffer[8] = {};
    int tag = 0;
    EXPECT_EQ(section->GetSubStep(1, tag, buffer, sizeof(buffer)), 5);
    EXPECT_EQ(tag, 12);
    EXPECT_EQ(std::string(buffer, 5), "12=xy");
    EXPECT_EQ(section->GetSubStep(1, tag, nullptr, 0), 5);
    EXPECT_EQ(section->GetSubStep(1, tag, buffer, -7), 5);
    EXPECT_EQ(section->GetSubStep(1, tag, buffer, 3), 3);
}

TEST(StepRead, IndexesOutOfRange)
{
    CKxStep step;
    Parse(step, Wire("1=a|#"));
    EXPECT_EQ(step.GetCec(-1), nullptr);
    EXPECT_EQ(step.GetCec(1), nullptr);
    const CKxStepSec* section = step.GetCec(0);
    ASSERT_NE(section, nullptr);
    char buffer[4] = {};
    int tag = 42;
    for (int index : {-1, 1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(section->GetID(index), -1);
        EXPECT_EQ(section->GetValuePos(index), -1);
        EXPECT_EQ(section->GetSubStepPos(index), -1);
        EXPECT_EQ(section->GetValue(index, tag, buffer, sizeof(buffer)), 0);
        EXPECT_EQ(section->GetValue(index, tag, nullptr, 0), 0);
        EXPECT_EQ(section->GetSubStep(index, tag, buffer, sizeof(buffer)), 0);
    }
    EXPECT_EQ(tag, 42);
}

TEST(StepParse, NestingSetKeepsSectionEndsInsideValues)
{
    const std::string stream = Wire("9=a#b|#");
    CKxStep nested;
    ASSERT_EQ(Parse(nested, stream, {9}), 1);
    EXPECT_EQ(ReadRecords(nested), (StepRecords{{{9, Wire("a#b")}}}));
    EXPECT_EQ(nested.GetCec(0)->GetLenth(), 7);

    // Without tag 9 the 0x02 ends the value and the section; what follows has no field.
    CKxStep flat;
    ASSERT_EQ(Parse(flat, stream), 1);
    EXPECT_EQ(ReadRecords(flat), (StepRecords{{{9, "a"}}}));
    EXPECT_EQ(flat.GetCec(0)->GetLenth(), 4);
}

TEST(StepParse, ConstructorSetDoesNotOutliveParser)
{
    CKxStep step(std::set<int>{9});
    ASSERT_EQ(Parse(step, Wire("9=a#b|#")), 1); // the Parser's own (empty) set applies
    EXPECT_EQ(ValueOf(*step.GetCec(0), 0), "a");
}

TEST(StepParse, LastSectionNeedsNoFinalSectionEnd)
{
    CKxStep step;
    ASSERT_EQ(Parse(step, Wire("1=a|#2=b|3=c|")), 2);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}, {{2, "b"}, {3, "c"}}}));
    EXPECT_EQ(step.GetCec(1)->GetStartPos(), 5);
    EXPECT_EQ(step.GetCec(1)->GetLenth(), 8);
}

TEST(StepParse, SectionsWithoutFieldsAreSkipped)
{
    CKxStep step;
    ASSERT_EQ(Parse(step, Wire("##1=a|###2=b|#")), 2);
    EXPECT_EQ(step.GetCec(0)->GetStartPos(), 2);
    EXPECT_EQ(step.GetCec(0)->GetLenth(), 5);
    EXPECT_EQ(step.GetCec(1)->GetStartPos(), 9);
    EXPECT_EQ(step.GetCec(1)->GetLenth(), 5);
}

TEST(StepParse, ParserReplacesEverythingBefore)
{
    CKxStep step;
    ASSERT_EQ(Parse(step, Wire("9=a#b|#1=c|#"), {9}), 2);
    const std::string again = Wire("9=a#b|#");
    EXPECT_EQ(Parse(step, again), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{9, "a"}}}));

    EXPECT_EQ(step.Parser(nullptr, 5, {}), 0);
    EXPECT_EQ(step.GetCec(0), nullptr);
    Parse(step, again, {9});
    EXPECT_EQ(step.Parser(again.data(), 0, {9}), 0);
    EXPECT_EQ(step.GetCec(0), nullptr);
    Parse(step, again);
    EXPECT_EQ(step.Parser(again.data(), -1, {}), 0);
    EXPECT_EQ(step.GetCec(0), nullptr);

    // Clear also forgets the buffer: building starts from nothing.
    Parse(step, again);
    step.Clear();
    step.AppendSec()->AddValue(4, "d", 1);
    std::string stream;
    step.GetStepStream(stream);
    EXPECT_EQ(stream, Wire("4=d|#"));
}

TEST(StepCopy, CopyOwnsItsSectionsAndBuffer)
{
    auto original = std::make_unique<CKxStep>();
    const std::string stream = Wire("1=abc|2=5|#1=x|#");
    Parse(*original, stream);
    const StepRecords expected = ReadRecords(*original);

    CKxStep copy(*original);
    EXPECT_NE(copy.GetCec(0), original->GetCec(0));
    original.reset(); // freed memory is poisoned by the heap checks: the copy must not read it
    EXPECT_EQ(ReadRecords(copy), expected);
    EXPECT_EQ(copy.GetCec(1)->GetStartPos(), 11);
    EXPECT_EQ(copy.GetCec(1)->GetLenth(), 5);
}

TEST(StepCopy, CopiesGrowIndependently)
{
    CKxStep original;
    CKxStepSec* section = original.AppendSec();
    section->AddValue(1, "a", 1);

    CKxStep copy(original);
    section->AddValue(2, "b", 1);
    copy.AppendSec()->AddValue(3, "c", 1);

    std::string originalStream, copyStream;
    original.GetStepStream(originalStream);
    copy.GetStepStream(copyStream);
    EXPECT_EQ(originalStream, Wire("1=a|2=b|#"));
    EXPECT_EQ(copyStream, Wire("1=a|#3=c|#"));
    EXPECT_EQ(copy.GetCec(0)->GetCount(), 1);
    EXPECT_EQ(ReadRecords(copy), (StepRecords{{{1, "a"}}, {{3, "c"}}}));
}

TEST(StepCopy, AssignmentReplacesAndSelfAssignmentKeeps)
{
    CKxStep source;
    Parse(source, Wire("9=a#b|#"), {9});
    CKxStep target;
    Parse(target, Wire("1=x|#2=y|#3=z|#"));
    target = source;
    EXPECT_EQ(ReadRecords(target), (StepRecords{{{9, Wire("a#b")}}}));
    source.Clear();
    EXPECT_EQ(ReadRecords(target), (StepRecords{{{9, Wire("a#b")}}}));

    CKxStep& alias = target;
    target = alias;
    EXPECT_EQ(ReadRecords(target), (StepRecords{{{9, Wire("a#b")}}}));

    target = CKxStep();
    EXPECT_EQ(target.GetCec(0), nullptr);
    std::string stream;
    EXPECT_EQ(target.GetStepStream(stream), 0);
}
