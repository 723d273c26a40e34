// Random and mutated documents: the parser must neither crash nor step outside the text, and every
// document it refuses must say why and refuse to be walked.
#include <util/markup.h>

#include <gtest/gtest.h>

#include <random>

#include "markup_check.h"

namespace {

const wchar_t* const kTagNames[] = {L"a", L"B", L"menu", L"Menu", L"item", L"x1", L"中", L"long_name_of_a_tag"};
const wchar_t* const kAttribNames[] = {L"id", L"name", L"cmdid", L"crText", L"x"};
const wchar_t* const kTexts[] = {L"text",  L" ",    L"\r\n", L"&amp;", L"&lt;", L"&#65;", L"&#x4e2d;",
                                 L"&bad;", L"数据", L"a>b",  L"'",     L"\"",   L"&",     L"]]"};
const wchar_t* const kNodes[] = {L"<!-- c -->", L"<![CDATA[ <x> ]]>", L"<?pi x?>", L"<!DOCTYPE d [ <!x> ]>"};
// What mutations insert: the characters that steer the parser, and some whole pieces.
const wchar_t* const kNoise[] = {L"<",    L">",   L"/",         L"\"",  L"'",  L"=",  L"!",  L"?",    L"-",
                                 L"[",    L"]",   L"&",         L";",   L"#",  L"x",  L" ",  L"</a>", L"<a>",
                                 L"<!--", L"-->", L"<![CDATA[", L"]]>", L"<?", L"?>", L"/>", L"\0"};

template <typename T, size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N])
{
    return items[rng() % N];
}

int Below(std::mt19937& rng, int n)
{
    return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
}

void AppendElement(std::wstring& out, std::mt19937& rng, int nDepth)
{
    const wchar_t* name = Pick(rng, kTagNames);
    out += L'<';
    out += name;
    for (int n = Below(rng, 4); n > 0; --n) {
        const wchar_t quote = rng() % 2 ? L'"' : L'\'';
        out += L' ';
        out += Pick(rng, kAttribNames);
        out += L'=';
        out += quote;
        for (int k = Below(rng, 3); k > 0; --k) {
            const wchar_t* text = Pick(rng, kTexts);
            if (*text != quote) {
                out += text;
            }
        }
        out += quote;
    }
    if (nDepth > 5 || rng() % 4 == 0) {
        out += L"/>";
        return;
    }
    out += L'>';
    for (int n = Below(rng, 4); n > 0; --n) {
        switch (rng() % 4) {
        case 0:
            out += Pick(rng, kTexts);
            break;
        case 1:
            out += Pick(rng, kNodes);
            break;
        default:
            AppendElement(out, rng, nDepth + 1);
        }
    }
    out += L"</";
    out += name;
    out += L'>';
}

void GenerateDoc(std::wstring& out, std::mt19937& rng)
{
    out.clear();
    if (rng() % 2) {
        out += L"<?xml version=\"1.0\"?>\r\n";
    }
    if (rng() % 3 == 0) {
        out += Pick(rng, kNodes);
    }
    AppendElement(out, rng, 0);
}

void Mutate(std::wstring& doc, std::mt19937& rng)
{
    for (int n = 1 + Below(rng, 4); n > 0; --n) {
        const size_t at = static_cast<size_t>(Below(rng, static_cast<int>(doc.size()) + 1));
        switch (rng() % 5) {
        case 0:
            doc.erase(at, static_cast<size_t>(1 + Below(rng, 8)));
            break;
        case 1: {
            const wchar_t* noise = Pick(rng, kNoise);
            doc.insert(at, *noise ? noise : L"");
            break;
        }
        case 2:
            if (at < doc.size()) {
                doc[at] = *Pick(rng, kNoise);
            }
            break;
        case 3:
            doc.resize(at);
            break;
        default: {
            const size_t from = static_cast<size_t>(Below(rng, static_cast<int>(doc.size()) + 1));
            doc.insert(at, doc.substr(from, static_cast<size_t>(1 + Below(rng, 12))));
        }
        }
    }
}

void RandomSoup(std::wstring& doc, std::mt19937& rng)
{
    doc.clear();
    for (int n = Below(rng, 40); n > 0; --n) {
        doc += rng() % 3 ? Pick(rng, kNoise) : Pick(rng, kTagNames);
    }
}

// Walks the whole tree depth first; returns how many elements there were. Reading allocates, which
// the checking heap makes slow, so only some walks read.
int WalkTree(CMarkupSTL& doc, bool bRead)
{
    int nCount = 0;
    doc.ResetPos();
    for (;;) {
        if (doc.FindElem()) {
            ++nCount;
            if (bRead) {
                doc.GetAttrib(L"id");
                doc.GetAttribName(1);
                doc.GetData();
                doc.GetAttribColor(L"crText", 0);
                doc.FindChildElem(L"item");
                doc.GetChildData();
            }
            doc.IntoElem();
            continue;
        }
        if (!doc.OutOfElem()) {
            return nCount;
        }
    }
}

void FuzzRange(unsigned firstSeed, int nDocs)
{
    markup_test::IndexProbe doc{CMarkupSTL()};
    std::wstring text;
    text.reserve(4096);
    int nAccepted = 0;
    int nRefused = 0;
    for (int i = 0; i < nDocs; ++i) {
        const unsigned seed = firstSeed + static_cast<unsigned>(i);
        std::mt19937 rng(seed);
        const int kind = static_cast<int>(rng() % 8);
        if (kind == 0) {
            RandomSoup(text, rng);
        } else {
            GenerateDoc(text, rng);
            if (kind > 1) {
                Mutate(text, rng);
            }
        }
        // The document keeps its own copy, sized to the text: a step outside it touches the heap's guard.
        if (!doc.SetDoc(text.c_str())) {
            ++nRefused;
            ASSERT_FALSE(doc.GetError().empty()) << "seed " << seed;
            ASSERT_FALSE(doc.IsWellFormed()) << "seed " << seed;
            ASSERT_FALSE(doc.FindElem()) << "seed " << seed;
            ASSERT_FALSE(doc.FindChildElem()) << "seed " << seed;
            ASSERT_FALSE(doc.IntoElem()) << "seed " << seed;
            ASSERT_FALSE(doc.OutOfElem()) << "seed " << seed;
            ASSERT_FALSE(doc.RemoveElem()) << "seed " << seed;
            ASSERT_FALSE(doc.SetData(L"x")) << "seed " << seed;
            continue;
        }
        ++nAccepted;
        ASSERT_TRUE(doc.GetError().empty()) << "seed " << seed;
        ASSERT_EQ(doc.Check(), "") << "seed " << seed;
        ASSERT_GT(WalkTree(doc, i % 8 == 0), 0) << "seed " << seed;
        if (i % 32 == 1) {
            // Edits on what the parser accepted must keep the index true.
            SCOPED_TRACE("seed " + std::to_string(seed));
            for (int step = 0; step < 8; ++step) {
                markup_test::RandomStep(doc, rng);
            }
            ASSERT_TRUE(markup_test::IndexIsTrue(doc)) << "seed " << seed;
        }
    }
    // Both outcomes must be common, or the documents test too little.
    EXPECT_GT(nAccepted, nDocs / 8);
    EXPECT_GT(nRefused, nDocs / 8);
}

// 100,000 documents in all, split so that each process stays short.
constexpr int kDocsPerTest = 6250;

TEST(MarkupFuzz, Seeds0)
{
    FuzzRange(0 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds1)
{
    FuzzRange(1 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds2)
{
    FuzzRange(2 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds3)
{
    FuzzRange(3 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds4)
{
    FuzzRange(4 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds5)
{
    FuzzRange(5 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds6)
{
    FuzzRange(6 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds7)
{
    FuzzRange(7 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds8)
{
    FuzzRange(8 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds9)
{
    FuzzRange(9 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds10)
{
    FuzzRange(10 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds11)
{
    FuzzRange(11 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds12)
{
    FuzzRange(12 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds13)
{
    FuzzRange(13 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds14)
{
    FuzzRange(14 * kDocsPerTest, kDocsPerTest);
}
TEST(MarkupFuzz, Seeds15)
{
    FuzzRange(15 * kDocsPerTest, kDocsPerTest);
}

} // namespace
