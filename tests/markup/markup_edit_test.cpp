#include <util/markup.h>

#include <gtest/gtest.h>

#include "markup_check.h"

using markup_test::IndexIsTrue;

namespace {

// Tag names of the children of the current element, each followed by a comma; the cursor must have
// no current child.
std::wstring ChildNames(CMarkupSTL doc)
{
    std::wstring names;
    doc.IntoElem();
    while (doc.FindElem()) {
        names += doc.GetTagName() + L",";
    }
    return names;
}

TEST(MarkupBuild, ADocumentBuiltFromNothingHasTheExpectedText)
{
    CMarkupSTL doc;
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_FALSE(doc.AddChildElem(L"child")) << "no current element";
    ASSERT_TRUE(doc.AddElem(L"root"));
    EXPECT_TRUE(doc.GetError().empty());
    EXPECT_FALSE(doc.AddElem(L"second")) << "one root only";
    EXPECT_FALSE(doc.InsertElem(L"second"));
    ASSERT_TRUE(doc.AddChildElem(L"item", L"a<b"));
    ASSERT_TRUE(doc.AddChildElem(L"item", L"2"));
    ASSERT_TRUE(doc.InsertChildElem(L"first"));
    EXPECT_EQ(doc.GetDoc(), L"<root>\r\n<item>a&lt;b</item>\r\n<first/>\r\n<item>2</item>\r\n</root>\r\n");
    EXPECT_TRUE(IndexIsTrue(doc));

    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetTagName(), L"first");
    ASSERT_TRUE(doc.AddChildElem(L"leaf", L"x"));
    ASSERT_TRUE(doc.SetAttrib(L"n", 5));
    ASSERT_TRUE(doc.InsertElem(L"zero"));
    ASSERT_TRUE(doc.FindElem(L"item"));
    ASSERT_TRUE(doc.SetData(L"", 0));
    EXPECT_EQ(doc.GetDoc(),
              L"<root>\r\n<item>a&lt;b</item>\r\n<zero/>\r\n<first n=\"5\">\r\n<leaf>x</leaf>\r\n</first>\r\n"
              L"<item></item>\r\n</root>\r\n");
    EXPECT_TRUE(IndexIsTrue(doc));
}

TEST(MarkupBuild, ElementsGoBeforeOrAfterTheCurrentOne)
{
    CMarkupSTL doc(L"<r><b/></r>");
    doc.FindElem();
    doc.IntoElem();
    ASSERT_TRUE(doc.InsertElem(L"a")) << "no current element: at the beginning";
    ASSERT_TRUE(doc.FindElem(L"b"));
    ASSERT_TRUE(doc.AddElem(L"d"));
    ASSERT_TRUE(doc.InsertElem(L"c"));
    doc.ResetPos();
    doc.FindElem();
    EXPECT_EQ(ChildNames(doc), L"a,b,c,d,");
    ASSERT_TRUE(doc.AddChildElem(L"e")) << "no current child: at the end";
    ASSERT_TRUE(doc.InsertChildElem(L"z")) << "before the current child";
    doc.ResetPos();
    doc.FindElem();
    ASSERT_TRUE(doc.InsertChildElem(L"start")) << "no current child: at the beginning";
    doc.ResetPos();
    doc.FindElem();
    EXPECT_EQ(ChildNames(doc), L"start,a,b,c,d,z,e,");
    EXPECT_TRUE(IndexIsTrue(doc));
}

TEST(MarkupBuild, RefusedAdditionsLeaveTheTextAlone)
{
    CMarkupSTL doc(L"<r/>");
    doc.FindElem();
    for (const wchar_t* name : {L"", L"a b", L"a>b", L"a\"", L"a/", L"<a", L"a=b", L"a&b"}) {
        EXPECT_FALSE(doc.AddChildElem(name)) << "name [" << std::string(name, name + wcslen(name)) << "]";
        EXPECT_FALSE(doc.SetAttrib(name, L"v"));
    }
    EXPECT_FALSE(doc.AddChildElem(nullptr));
    EXPECT_FALSE(doc.SetAttrib(nullptr, L"v"));
    EXPECT_EQ(doc.GetDoc(), L"<r/>");

    // A text that is broken stays broken: no root is added behind the damage.
    CMarkupSTL broken(L"<a><b></a>");
    EXPECT_FALSE(broken.AddElem(L"root"));
    EXPECT_FALSE(broken.AddSubDoc(L"<root/>"));
    EXPECT_EQ(broken.GetDoc(), L"<a><b></a>");
    EXPECT_EQ(broken.GetError(), L"End tag does not correspond to b");
    CMarkupSTL stray(L"</x>");
    EXPECT_FALSE(stray.AddElem(L"root"));
    EXPECT_EQ(stray.GetDoc(), L"</x>");

    // A text with only a declaration takes its root behind it.
    CMarkupSTL declared(L"<?xml version=\"1.0\"?>\r\n");
    EXPECT_FALSE(declared.IsWellFormed());
    ASSERT_TRUE(declared.AddElem(L"root", L"1"));
    EXPECT_EQ(declared.GetDoc(), L"<?xml version=\"1.0\"?>\r\n<root>1</root>\r\n");
    EXPECT_TRUE(declared.GetError().empty());
    EXPECT_TRUE(IndexIsTrue(declared));
}

TEST(MarkupBuild, DepthStaysBoundedWhenAddingChildren)
{
    CMarkupSTL doc;
    ASSERT_TRUE(doc.AddElem(L"e"));
    int nDepth = 1;
    while (doc.AddChildElem(L"e") && doc.IntoElem()) {
        ++nDepth;
    }
    EXPECT_EQ(nDepth, 1024);
    EXPECT_FALSE(doc.AddChildSubDoc(L"<e/>"));
    const CMarkupSTL reparsed(doc.GetDoc().c_str());
    EXPECT_TRUE(reparsed.IsWellFormed()) << "what was built can be read again";
}

TEST(MarkupAttrib, ValuesAreEscapedAndReplacedInPlace)
{
    CMarkupSTL doc(L"<r a='1' b=plain c d=\"x\"e/>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.SetAttrib(L"q", L"say \"hi\" & 'bye' <now>"));
    EXPECT_EQ(doc.GetDoc(),
              L"<r a='1' b=plain c d=\"x\"e q=\"say &quot;hi&quot; &amp; &apos;bye&apos; &lt;now&gt;\"/>");
    EXPECT_EQ(doc.GetAttrib(L"q"), L"say \"hi\" & 'bye' <now>");
    ASSERT_TRUE(doc.SetAttrib(L"A", L"one"));
    ASSERT_TRUE(doc.SetAttrib(L"b", L"two"));
    ASSERT_TRUE(doc.SetAttrib(L"c", 3));
    ASSERT_TRUE(doc.SetAttrib(L"e", -4));
    EXPECT_EQ(doc.GetDoc(),
              L"<r a='one' b=\"two\" c=\"3\" d=\"x\"e=\"-4\" q=\"say &quot;hi&quot; &amp; &apos;bye&apos; "
              L"&lt;now&gt;\"/>");
    EXPECT_EQ(doc.GetAttrib(L"e"), L"-4");
    EXPECT_TRUE(IndexIsTrue(doc));
    EXPECT_FALSE(doc.SetChildAttrib(L"x", L"y")) << "no current child";

    // A dangling "=" does not swallow the next attribute.
    CMarkupSTL dangling(L"<r><a x= /><b y=></b></r>");
    ASSERT_TRUE(dangling.FindElem());
    ASSERT_TRUE(dangling.FindChildElem(L"a"));
    ASSERT_TRUE(dangling.SetChildAttrib(L"n", L"1"));
    ASSERT_TRUE(dangling.FindChildElem(L"b"));
    ASSERT_TRUE(dangling.SetChildAttrib(L"n", L"2"));
    EXPECT_EQ(dangling.GetChildAttrib(L"n"), L"2");
    EXPECT_EQ(dangling.GetDoc(), L"<r><a x= \"\" n=\"1\"/><b y=\"\" n=\"2\"></b></r>");
    EXPECT_TRUE(IndexIsTrue(dangling));

    // A value-less name glued to a quoted value keeps the two apart.
    CMarkupSTL glued(L"<r x\"y\" z=1'w'/>");
    ASSERT_TRUE(glued.FindElem());
    ASSERT_TRUE(glued.SetAttrib(L"x", L"v"));
    ASSERT_TRUE(glued.SetAttrib(L"z", L"2"));
    EXPECT_EQ(glued.GetAttrib(L"x"), L"v");
    EXPECT_EQ(glued.GetAttrib(L"z"), L"2");
    EXPECT_TRUE(IndexIsTrue(glued));
}

TEST(MarkupData, CdataEscapingAndEmptyElements)
{
    CMarkupSTL doc(L"<r><a/><b x='1' /><c>old</c><p><k/></p></r>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.FindChildElem(L"a"));
    ASSERT_TRUE(doc.SetChildData(L"if a<b && c>d", 1));
    ASSERT_TRUE(doc.FindChildElem(L"b"));
    ASSERT_TRUE(doc.SetChildData(L"end ]]> inside", 1));
    ASSERT_TRUE(doc.FindChildElem(L"c"));
    ASSERT_TRUE(doc.SetChildData(L"new & <more>", 0));
    ASSERT_TRUE(doc.FindChildElem(L"p"));
    EXPECT_FALSE(doc.SetChildData(L"no", 0)) << "an element with children keeps them";
    EXPECT_EQ(doc.GetDoc(), L"<r><a><![CDATA[if a<b && c>d]]></a><b x='1' >end ]]&gt; inside</b>"
                            L"<c>new &amp; &lt;more&gt;</c><p><k/></p></r>");
    doc.ResetPos();
    doc.FindElem();
    doc.FindChildElem();
    EXPECT_EQ(doc.GetChildData(), L"if a<b && c>d");
    doc.FindChildElem();
    EXPECT_EQ(doc.GetChildData(), L"end ]]> inside");
    EXPECT_EQ(doc.GetChildAttrib(L"x"), L"1");
    doc.FindChildElem();
    EXPECT_EQ(doc.GetChildData(), L"new & <more>");
    EXPECT_TRUE(IndexIsTrue(doc));
}

TEST(MarkupData, AnEmptyElementWithAStraySlashOpensForGood)
{
    CMarkupSTL doc(L"<r><a//><b x='1'//></r>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.FindChildElem(L"a"));
    ASSERT_TRUE(doc.SetChildData(L"text"));
    ASSERT_TRUE(doc.FindChildElem(L"b"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.AddChildElem(L"c"));
    EXPECT_EQ(doc.GetDoc(), L"<r><a/ >text</a><b x='1'/ >\r\n<c/>\r\n</b></r>");
    EXPECT_TRUE(IndexIsTrue(doc));
}

TEST(MarkupRemove, CursorMovesBackAndSavedPositionsInsideAreForgotten)
{
    CMarkupSTL doc(L"<r>\r\n  <a/>\r\n  <b><x/></b>\r\n  <c/>\r\n</r>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.FindChildElem(L"b"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindChildElem(L"x"));
    ASSERT_TRUE(doc.SavePos(L"inside"));
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_EQ(doc.GetTagName(), L"a") << "the previous sibling becomes current";
    EXPECT_EQ(doc.GetDoc(), L"<r>\r\n  <a/>\r\n  <c/>\r\n</r>");
    EXPECT_FALSE(doc.RestorePos(L"inside"));
    EXPECT_EQ(doc.GetTagName(), L"a");
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_EQ(doc.GetTagName(), L"") << "no previous sibling";
    EXPECT_FALSE(doc.RemoveElem());
    ASSERT_TRUE(doc.OutOfElem());
    ASSERT_TRUE(doc.FindChildElem(L"c"));
    ASSERT_TRUE(doc.RemoveChildElem());
    EXPECT_FALSE(doc.RemoveChildElem());
    EXPECT_EQ(doc.GetDoc(), L"<r>\r\n  </r>") << "white space before the next tag goes with the element";
    EXPECT_TRUE(IndexIsTrue(doc));
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_EQ(doc.GetDoc(), L"");
    ASSERT_TRUE(doc.AddElem(L"again"));
    EXPECT_TRUE(IndexIsTrue(doc));
}

TEST(MarkupSubDoc, InsertedMarkupIsParsedIntoTheIndex)
{
    CMarkupSTL doc(L"<r><a/></r>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.AddChildSubDoc(L"<!-- added --><s k='1'><t>deep &amp; more</t></s><u/>"));
    EXPECT_EQ(doc.GetChildAttribInt(L"k", 0), 1) << "the first element becomes the current child";
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindChildElem(L"t"));
    EXPECT_EQ(doc.GetChildData(), L"deep & more");
    ASSERT_TRUE(doc.FindElem(L"u"));
    ASSERT_TRUE(doc.InsertSubDoc(L"<before/>"));
    EXPECT_EQ(doc.GetTagName(), L"before");
    doc.ResetPos();
    doc.FindElem();
    EXPECT_EQ(ChildNames(doc), L"a,s,before,u,");
    EXPECT_TRUE(IndexIsTrue(doc));

    const std::wstring before = doc.GetDoc();
    doc.IntoElem();
    doc.FindElem(L"a");
    for (const wchar_t* bad : {L"<x><y></x>", L"<x/></r>", L"plain text", L"", L"<x a='>"}) {
        EXPECT_FALSE(doc.AddSubDoc(bad)) << std::string(bad, bad + wcslen(bad));
        EXPECT_FALSE(doc.GetError().empty());
    }
    EXPECT_FALSE(doc.AddSubDoc(nullptr));
    EXPECT_EQ(doc.GetDoc(), before);
    EXPECT_EQ(doc.GetTagName(), L"a");
}

TEST(MarkupRoundTrip, RandomEditsKeepTheIndexTrue)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 30; ++round) {
        CMarkupSTL doc(L"<?xml version=\"1.0\"?>\r\n<Kelvora>\r\n<menu type=\"16\" name=\"File\">\r\n"
                       L"<menu cmdid=\"1\" name=\"Open\"/>\r\n<menu type=\"2048\"/>\r\n</menu>\r\n"
                       L"<skin clsname=\"Dialog\"><btn id='1'>OK</btn><![CDATA[<x>]]></skin>\r\n</Kelvora>\r\n");
        ASSERT_TRUE(doc.IsWellFormed());
        std::string steps;
        for (int step = 1; step <= 50; ++step) {
            steps += markup_test::RandomStep(doc, rng) + " ";
            // Reading everything twice is slow under the checking heap: the raw index every step, the
            // comparison with a fresh parse every few.
            const std::string problem = markup_test::IndexProbe(doc).Check();
            ASSERT_EQ(problem, "") << "after " << steps;
            if (step % 5 == 0) {
                ASSERT_TRUE(IndexIsTrue(doc)) << "after " << steps;
            }
        }
        // Saving and loading again gives the same document.
        const CMarkupSTL reloaded(doc.GetDoc().c_str());
        EXPECT_EQ(markup_test::Dump(reloaded), markup_test::Dump(doc));
    }
}

} // namespace
