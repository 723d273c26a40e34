// Streams that break the rules: each is indexed as far as it goes, the rest is dropped.
#include <util/step.h>

#include <gtest/gtest.h>

#include "codec/step_reader.h"

TEST(StepMalformed, TagZeroStopsEveryLaterField)
{
    CKxStep step;
    // The open field of tag 0 is never closed; the section before it still ends at its 0x02.
    ASSERT_EQ(Parse(step, Wire("1=a|0=b|2=c|#3=d|#")), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}}));
    EXPECT_EQ(step.GetCec(0)->GetLenth(), 13);

    // Tag text without digits reads as 0 too.
    EXPECT_EQ(Parse(step, Wire("x=a|1=b|#2=c|")), 0);

    // With 0 in the nesting set not even a 0x02 ends it: the section runs to the end.
    const std::string stream = Wire("1=a|0=b#|2=c|#");
    ASSERT_EQ(Parse(step, stream, {0}), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}}));
    EXPECT_EQ(step.GetCec(0)->GetLenth(), static_cast<int>(stream.size()));
}

TEST(StepMalformed, NegativeTagOpensNoField)
{
    CKxStep step;
    // After "-5=" the search goes on, and the next tag is read from the text after that '='.
    ASSERT_EQ(Parse(step, Wire("-5=12=b|3=c|#")), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{12, "b"}, {3, "c"}}}));
    EXPECT_EQ(step.GetCec(0)->GetSubStepPos(0), 3);
    char text[8] = {};
    int tag = 0;
    EXPECT_EQ(step.GetCec(0)->GetSubStep(0, tag, text, sizeof(text)), 4);
    EXPECT_EQ(std::string(text), "12=b");

    // Here that text is "x|2", which reads as 0: nothing after it is recognised.
    EXPECT_EQ(Parse(step, Wire("-5=x|2=y|#")), 0);
}

TEST(StepMalformed, TagTextIsReadLikeAtoi)
{
    CKxStep step;
    ASSERT_EQ(Parse(step, Wire(" \t+7=a|  42abc=b|2147483648=c|#")), 1);
    const CKxStepSec* section = step.GetCec(0);
    ASSERT_EQ(section->GetCount(), 3);
    EXPECT_EQ(section->GetID(0), 7);
    EXPECT_EQ(section->GetID(1), 42);
    EXPECT_EQ(section->GetID(2), 2147483647); // too large: stops at the limit
}

TEST(StepMalformed, EmptyValueIsNotEndedBySectionEnd)
{
    CKxStep step;
    // Field 1 stays open over the 0x02 and takes everything up to the next 0x01.
    ASSERT_EQ(Parse(step, Wire("1=#2=x|")), 1);
    const CKxStepSec* section = step.GetCec(0);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, Wire("#2=x")}}}));
    EXPECT_EQ(section->GetStartPos(), 3);
    EXPECT_EQ(section->GetLenth(), 4);
    EXPECT_EQ(section->GetSubStepPos(0), 0);
    EXPECT_EQ(section->GetValuePos(0), 2);

    // The 0x02 still ends a section that has fields; the open field lands in the next one.
    ASSERT_EQ(Parse(step, Wire("1=a|2=#3=b|#")), 2);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}, {{2, Wire("#3=b")}}}));
    EXPECT_EQ(step.GetCec(0)->GetLenth(), 7);
    EXPECT_EQ(step.GetCec(1)->GetStartPos(), 7);
    EXPECT_EQ(step.GetCec(1)->GetValuePos(0), 6);
}

TEST(StepMalformed, SectionEndInsideNestedValues)
{
    CKxStep step;
    // An empty nested value followed by 0x02 is simply a value starting with 0x02.
    ASSERT_EQ(Parse(step, Wire("9=#a|1=b|#"), {9}), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{9, Wire("#a")}, {1, "b"}}}));

    // A nested value cut off before its 0x01 is dropped; the fields before it stay.
    const std::string cut = Wire("1=a|9=b#c#");
    ASSERT_EQ(Parse(step, cut, {9}), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}}));
    EXPECT_EQ(step.GetCec(0)->GetLenth(), static_cast<int>(cut.size()));

    // Nested data made of whole sub-records, then the next top-level record.
    ASSERT_EQ(Parse(step, Wire("9=1=x#2=y#|5=z|#6=w|#"), {9}), 2);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{9, Wire("1=x#2=y#")}, {5, "z"}}, {{6, "w"}}}));

    // -1 in the set: with no field open, 0x02 is tag text ("\x02" "2" reads as 0).
    const std::string joined = Wire("1=a|#2=b|");
    ASSERT_EQ(Parse(step, joined, {-1}), 1);
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, "a"}}}));
    EXPECT_EQ(step.GetCec(0)->GetLenth(), static_cast<int>(joined.size()));
}

TEST(StepMalformed, EveryTruncationKeepsTheFieldsThatEnded)
{
    CKxStep built;
    const StepRecords records = {{{1, "600000"}, {2, "12.34"}, {3, ""}}, {{1, "000001"}}, {{4, "x"}, {5, "yz"}}};
    for (const auto& record : records) {
        CKxStepSec* section = built.AppendSec();
        for (const auto& field : record) {
            section->AddValue(field.first, field.second.data(), static_cast<int>(field.second.size()));
        }
    }
    std::string stream;
    built.GetStepStream(stream);

    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        // A field survives when its 0x01 lies inside the cut; sections left without fields vanish.
        StepRecords expected;
        for (int s = 0; const CKxStepSec* section = built.GetCec(s); ++s) {
            std::vector<StepField> fields;
            for (int f = 0; f < section->GetCount(); ++f) {
                int tag = 0;
                const int end = section->GetValuePos(f) + section->GetValue(f, tag, nullptr, 0);
                if (static_cast<size_t>(end) < cut) {
                    fields.push_back(records[s][f]);
                }
            }
            if (!fields.empty()) {
                expected.push_back(fields);
            }
        }
        CKxStep parsed;
        EXPECT_EQ(Parse(parsed, stream.substr(0, cut)), static_cast<int>(expected.size())) << "cut at " << cut;
        EXPECT_EQ(ReadRecords(parsed), expected) << "cut at " << cut;
    }
}

TEST(StepMalformed, NulBytesAreOrdinaryBytes)
{
    CKxStep step;
    const std::string stream = std::string("1=\0\0|", 5) + Wire("#") +
                               std::string("\0"
                                           "2=b|",
                                           5);
    ASSERT_EQ(Parse(step, Wire(stream)), 1);
    // "\0" "2" reads as 0 (atoi stops at the NUL), so only the first record is found.
    EXPECT_EQ(ReadRecords(step), (StepRecords{{{1, std::string(2, '\0')}}}));
}
