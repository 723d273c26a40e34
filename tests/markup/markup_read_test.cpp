#include <util/markup.h>

#include <gtest/gtest.h>

#include <random>

#include "markup_check.h"

namespace {

// A login dialog description as the skinned dialogs read it.
const wchar_t kLoginSkin[] = LR"(<?xml version="1.0" encoding="utf-16"?>
<!-- login dialog of the trading client -->
<Login clsname="Dialog" caption="登录" rect="0,0,420,300" bkimage="skin\login.png" crText="255,255,255">
  <title clsname="Static" id="1001" rect="20,10,200,30" crText="0,0,128">交易系统 &amp; 行情</title>
  <account_label clsname="Static" id="1002" rect="20,60,90,80">账号:</account_label>
  <account clsname="Edit" id="1003" rect="100,60,300,82" addstyle="0x80" delstyle="0"/>
  <password_label clsname="Static" id="1004" rect="20,95,90,115">密码:</password_label>
  <password clsname="PasswordEdit" id="1005" rect="100,95,300,117" maxlen=" 16 "/>
  <code_label clsname="Static" id="1006" rect="20,130,90,150">验证码:</code_label>
  <code clsname="Edit" id="1007" rect="100,130,200,152"/>
  <code_picture clsname="VerifyCode" id="1008" rect="210,130,300,152"/>
  <remember clsname="CheckBox" id="1009" rect="100,165,200,185" checked="1">记住账号</remember>
  <link clsname="Link" id="1010" rect="210,165,300,185" url="http://example.invalid/reset"><![CDATA[忘记密码 <重置>]]></link>
  <ok clsname="Button" id="1" rect="100,220,180,250" crBk="-1" default='yes'>登录</ok>
  <cancel clsname="Button" id="2" rect="200,220,280,250" crBk="">取消</cancel>
</Login>
)";

TEST(MarkupNavigation, WalksALoginDialogDescription)
{
    CMarkupSTL doc(kLoginSkin);
    ASSERT_TRUE(doc.IsWellFormed()) << std::string(doc.GetError().begin(), doc.GetError().end());
    EXPECT_TRUE(doc.GetError().empty());
    ASSERT_TRUE(doc.FindElem(L"login"));
    EXPECT_EQ(doc.GetTagName(), L"Login");
    EXPECT_EQ(doc.GetAttrib(L"caption"), L"登录");
    EXPECT_EQ(doc.GetAttribColor(L"crText", 7), RGB(255, 255, 255));

    std::vector<std::wstring> classes;
    std::vector<int> ids;
    ASSERT_TRUE(doc.IntoElem());
    while (doc.FindElem()) {
        classes.push_back(doc.GetAttrib(L"clsname"));
        ids.push_back(doc.GetAttribInt(L"id", -1));
    }
    EXPECT_EQ(classes.size(), 12u);
    EXPECT_EQ(ids.front(), 1001);
    EXPECT_EQ(ids.back(), 2);
    EXPECT_EQ(classes[4], L"PasswordEdit");

    doc.ResetPos();
    doc.FindElem();
    ASSERT_TRUE(doc.FindChildElem(L"password"));
    EXPECT_EQ(doc.GetChildAttribInt(L"maxlen", 0), 16);
    EXPECT_EQ(doc.GetChildAttrib(L"rect"), L"100,95,300,117");
    ASSERT_TRUE(doc.FindChildElem(L"remember"));
    EXPECT_EQ(doc.GetChildData(), L"记住账号");
    ASSERT_TRUE(doc.FindChildElem(L"link"));
    EXPECT_EQ(doc.GetChildData(), L"忘记密码 <重置>");
    ASSERT_TRUE(doc.FindChildElem(L"ok"));
    EXPECT_EQ(doc.GetChildAttribColor(L"crBk", 0x123456), 0x123456u);
    EXPECT_EQ(doc.GetChildAttrib(L"default"), L"yes");
    ASSERT_TRUE(doc.FindChildElem());
    EXPECT_EQ(doc.GetChildAttribColor(L"crBk", 0x654321), 0x654321u);
    EXPECT_FALSE(doc.FindChildElem());

    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetTagName(), L"cancel");
    EXPECT_EQ(doc.GetDataString(), L"取消");
    EXPECT_FALSE(doc.IntoElem() && doc.FindElem()) << "a leaf has no children";
}

TEST(MarkupNavigation, CursorRulesAndFailuresLeaveItInPlace)
{
    CMarkupSTL doc(L"<r><a><x/><y/></a><b/><c/></r>");
    EXPECT_FALSE(doc.IntoElem()) << "no current element yet";
    EXPECT_FALSE(doc.OutOfElem()) << "already at document level";
    ASSERT_TRUE(doc.FindChildElem(L"a")) << "the first element becomes current first";
    EXPECT_EQ(doc.GetTagName(), L"r");
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetTagName(), L"a");
    EXPECT_FALSE(doc.FindElem(L"missing"));
    EXPECT_EQ(doc.GetTagName(), L"a");
    ASSERT_TRUE(doc.FindChildElem(L"y"));
    EXPECT_FALSE(doc.FindChildElem(L"x")) << "search continues after the current child";
    ASSERT_TRUE(doc.SavePos(L"at-y"));
    ASSERT_TRUE(doc.FindElem(L"c")) << "later siblings are searched, skipping b";
    EXPECT_FALSE(doc.FindElem(L"b"));
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_EQ(doc.GetTagName(), L"r");
    EXPECT_FALSE(doc.SavePos(nullptr));
    EXPECT_FALSE(doc.RestorePos(L"never-saved"));
    ASSERT_TRUE(doc.RestorePos(L"AT-Y")) << "position names are compared without regard to case";
    EXPECT_EQ(doc.GetTagName(), L"a");
    EXPECT_EQ(doc.GetChildAttribString(L"none", L" fallback "), L"fallback");
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetTagName(), L"y");
}

TEST(MarkupNames, MatchingIgnoresCaseButNotLength)
{
    CMarkupSTL doc(L"<root><Dialog/><dia/><dial x='1' xy='2'/></root>");
    doc.FindElem();
    doc.IntoElem();
    ASSERT_TRUE(doc.FindElem(L"dialog"));
    EXPECT_EQ(doc.GetTagName(), L"Dialog");
    doc.ResetPos();
    doc.FindElem();
    doc.IntoElem();
    ASSERT_TRUE(doc.FindElem(L"dia"));
    EXPECT_EQ(doc.GetTagName(), L"dia") << "three letters do not match the four-letter Dial(og)";
    ASSERT_TRUE(doc.FindElem(L"dial"));
    EXPECT_EQ(doc.GetTagName(), L"dial");
    EXPECT_EQ(doc.GetAttrib(L"X"), L"1");
    EXPECT_EQ(doc.GetAttrib(L"xy"), L"2");
    EXPECT_EQ(doc.GetAttrib(L"x=anything"), L"1") << "a wanted name may end with =";
    EXPECT_EQ(doc.GetAttrib(L"xyz"), L"");
    EXPECT_EQ(doc.GetAttribName(0), L"x");
    EXPECT_EQ(doc.GetAttribName(1), L"xy");
    EXPECT_EQ(doc.GetAttribName(2), L"");
    EXPECT_EQ(doc.GetAttribName(-1), L"");
}

TEST(MarkupText, EntitiesAndCharacterReferences)
{
    CMarkupSTL doc(LR"(<r a="&amp;amp;" b="&#65;&#x41;&#X61;" c="&unknown; &amp &#;&#x;&#12a;" d="&LT;&Gt;&quot;&apos;"
                        e="&#20013;&#x6587;" f="&#99999;" g="&#0;" h="&#1234567;">&lt;tag&gt; &amp; 'q' "dq"</r>)");
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttrib(L"a"), L"&amp;") << "one level only";
    EXPECT_EQ(doc.GetAttrib(L"b"), L"AAa");
    EXPECT_EQ(doc.GetAttrib(L"c"), L"&unknown; &amp &#;&#x;&#12a;");
    EXPECT_EQ(doc.GetAttrib(L"d"), L"<>\"'");
    EXPECT_EQ(doc.GetAttrib(L"e"), L"中文");
    EXPECT_EQ(doc.GetAttrib(L"f"), L"\xD821\xDE9F") << "beyond 16 bits as a surrogate pair";
    EXPECT_EQ(doc.GetAttrib(L"g"), L"&#0;");
    EXPECT_EQ(doc.GetAttrib(L"h"), L"&#1234567;") << "the semicolon is too far";
    EXPECT_EQ(doc.GetData(), L"<tag> & 'q' \"dq\"");
}

TEST(MarkupText, EntitiesCutShortAtTheEndOfTheValue)
{
    // Each value ends in the middle of an entity: nothing is read past the closing quote.
    CMarkupSTL doc(LR"(<r a="&am" b="&#6" c="&#x4" d="&" e="x&quo"/>)");
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttrib(L"a"), L"&am");
    EXPECT_EQ(doc.GetAttrib(L"b"), L"&#6");
    EXPECT_EQ(doc.GetAttrib(L"c"), L"&#x4");
    EXPECT_EQ(doc.GetAttrib(L"d"), L"&");
    EXPECT_EQ(doc.GetAttrib(L"e"), L"x&quo");
}

TEST(MarkupText, DataOfParentsEmptiesAndCdata)
{
    CMarkupSTL doc(L"<r><p>  <c>1</c> </p><e/><s>  <![cdata[a &amp; <b>]]> tail</s></r>");
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.FindChildElem(L"p"));
    EXPECT_EQ(doc.GetChildData(), L"  <c>1</c> ") << "raw markup of an element with children";
    ASSERT_TRUE(doc.FindChildElem(L"e"));
    EXPECT_EQ(doc.GetChildData(), L"");
    EXPECT_EQ(doc.GetChildDataInt(-5), -5);
    ASSERT_TRUE(doc.FindChildElem(L"s"));
    EXPECT_EQ(doc.GetChildData(), L"a &amp; <b>") << "CDATA content comes back unchanged";
}

TEST(MarkupText, NumbersColoursAndTrimming)
{
    CMarkupSTL doc(L"<r n=' 12 ' h='0x1F' bad='abc' red='255,0,0' mix=' 1, 2,3' part='300,7' neg='-1' "
                   L"blank='' big='256,511,-1'> \t42\r\n</r>");
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttribInt(L"n", 0), 12);
    EXPECT_EQ(doc.GetAttribInt(L"h", 0), 31);
    EXPECT_EQ(doc.GetAttribInt(L"bad", 9), 0);
    EXPECT_EQ(doc.GetAttribInt(L"missing", 9), 9);
    EXPECT_EQ(doc.GetAttribColor(L"red", 1), 0x0000FFu);
    EXPECT_EQ(doc.GetAttribColor(L"mix", 1), RGB(1, 2, 3));
    EXPECT_EQ(doc.GetAttribColor(L"part", 1), RGB(300 & 0xFF, 7, 0)) << "a missing number counts as 0";
    EXPECT_EQ(doc.GetAttribColor(L"neg", 1), 1u);
    EXPECT_EQ(doc.GetAttribColor(L"blank", 2), 2u);
    EXPECT_EQ(doc.GetAttribColor(L"missing", 3), 3u);
    EXPECT_EQ(doc.GetAttribColor(L"big", 3), RGB(0, 0xFF, 0xFF));
    EXPECT_EQ(doc.GetDataInt(0), 42);
    EXPECT_EQ(doc.GetDataString(L"x"), L"42");
    EXPECT_EQ(doc.GetAttribString(L"blank", L"\tdef\n"), L"def");

    std::wstring text = L"\r\n\t  inner  text \t\r\n";
    CMarkupSTL::TrimString(text);
    EXPECT_EQ(text, L"inner  text");
    text = L" \t\r\n";
    CMarkupSTL::TrimString(text);
    EXPECT_EQ(text, L"");
}

struct BadDocument {
    const wchar_t* text;
    const wchar_t* error;
};

class MarkupErrors : public ::testing::TestWithParam<BadDocument> {};

TEST_P(MarkupErrors, EachFailureSaysWhyAndBlocksNavigation)
{
    CMarkupSTL doc(GetParam().text);
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_EQ(doc.GetError(), GetParam().error);
    EXPECT_EQ(doc.GetDoc(), GetParam().text) << "the text stays";
    EXPECT_FALSE(doc.FindElem());
    EXPECT_FALSE(doc.FindChildElem());
    EXPECT_FALSE(doc.IntoElem());
    EXPECT_FALSE(doc.OutOfElem());
    EXPECT_FALSE(doc.SetAttrib(L"a", L"b"));
    EXPECT_FALSE(doc.AddChildElem(L"a"));
    EXPECT_EQ(doc.GetTagName(), L"");
}

INSTANTIATE_TEST_SUITE_P(AllMessages, MarkupErrors,
                         ::testing::Values(BadDocument{L"", L"Element tag not found"},
                                           BadDocument{L"just text", L"Element tag not found"},
                                           BadDocument{L"<r>< x/></r>", L"Element tag not found"},
                                           BadDocument{L"<r><a x='1", L"Abrupt end within tag"},
                                           BadDocument{L"<r/><", L"Abrupt end within tag"},
                                           BadDocument{L"<r><'a'/></r>", L"Tag starts with quote"},
                                           BadDocument{L"<r><!-- never closed </r>", L"Invalid node"},
                                           BadDocument{L"<?xml version='1.0'", L"Invalid node"},
                                           BadDocument{L"<r><a <b/></a></r>", L"End of tag not found"},
                                           BadDocument{L"<r><a>text", L"End tag of a element not found"},
                                           BadDocument{L"<r><a></ ></a></r>", L"Expecting end tag of element a"},
                                           BadDocument{L"<a><b></a>", L"End tag does not correspond to b"},
                                           BadDocument{L"<r><a></a x></r>", L"End tag not completed for element a"},
                                           BadDocument{L"<r><a></a", L"End tag not completed for element a"}));

TEST(MarkupErrors, LongTagNamesKeepTheMessageBounded)
{
    const std::wstring name(100000, L'n');
    const std::wstring text = L"<" + name + L">";
    CMarkupSTL doc(text.c_str());
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_LE(doc.GetError().size(), 300u);
    EXPECT_EQ(doc.GetError().rfind(L"End tag of nnnn", 0), 0u);
}

TEST(MarkupErrors, DeepNestingFailsWithoutExhaustingTheStack)
{
    const int nDepth = 100000;
    std::wstring text;
    for (int i = 0; i < nDepth; ++i) {
        text += L"<e>";
    }
    for (int i = 0; i < nDepth; ++i) {
        text += L"</e>";
    }
    CMarkupSTL doc(text.c_str());
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_EQ(doc.GetError(), L"Element e nested too deeply");
    EXPECT_FALSE(doc.FindElem());

    // A depth that real descriptions reach is fine.
    std::wstring shallow;
    for (int i = 0; i < 200; ++i) {
        shallow = L"<e>" + shallow + L"</e>";
    }
    EXPECT_TRUE(CMarkupSTL(shallow.c_str()).IsWellFormed());
}

TEST(MarkupParse, NodesThatAreNotElementsAreSkipped)
{
    CMarkupSTL doc(LR"(<?xml version="1.0"?>
<!DOCTYPE r [ <!ENTITY e "x>y"> ]>
<!-- <fake/> -->
<r><![CDATA[ <fake2/> ]]><?pi <fake3/> ?><a attr="1>2" b='<'/></r>
</trailing>)");
    ASSERT_TRUE(doc.IsWellFormed()) << std::string(doc.GetError().begin(), doc.GetError().end());
    ASSERT_TRUE(doc.FindElem(L"r"));
    ASSERT_TRUE(doc.FindChildElem());
    EXPECT_EQ(doc.GetChildAttrib(L"attr"), L"1>2");
    EXPECT_EQ(doc.GetChildAttrib(L"b"), L"<");
    EXPECT_FALSE(doc.FindChildElem());
    EXPECT_FALSE(doc.FindElem()) << "a stray end tag ends the document level";
    EXPECT_TRUE(markup_test::IndexIsTrue(doc));
}

// Where a start tag ends, found the plain way: quoted values are skipped, the first other ">" ends it.
size_t ExpectedTagEnd(const std::wstring& text, size_t pos)
{
    for (; pos < text.size(); ++pos) {
        if (text[pos] == L'>') {
            return pos;
        }
        if (text[pos] == L'"' || text[pos] == L'\'') {
            pos = text.find(text[pos], pos + 1);
            if (pos == std::wstring::npos) {
                break;
            }
        }
    }
    return std::wstring::npos;
}

TEST(MarkupParse, StartTagsEndAtTheFirstGreaterThanOutsideQuotes)
{
    // Quotes and ">" land at every offset of the blocks the parser reads at once.
    std::mt19937 rng(7);
    const wchar_t kAlphabet[] = L"a =\"'>/";
    for (int round = 0; round < 3000; ++round) {
        std::wstring text = L"<r ";
        for (int n = static_cast<int>(rng() % 48); n > 0; --n) {
            text += kAlphabet[rng() % (sizeof kAlphabet / sizeof *kAlphabet - 1)];
        }
        text += L">data</r>";
        const size_t end = ExpectedTagEnd(text, 3);
        CMarkupSTL doc(text.c_str());
        if (end == std::wstring::npos) {
            EXPECT_EQ(doc.GetError(), L"Abrupt end within tag") << round;
            continue;
        }
        ASSERT_TRUE(doc.FindElem()) << round;
        const std::wstring expected = text[end - 1] == L'/' ? L"" : text.substr(end + 1, text.size() - 4 - (end + 1));
        EXPECT_EQ(doc.GetData(), expected) << round;
    }
}

TEST(MarkupParse, EndTagsMatchWithoutRegardToCaseAndMaySpaceOut)
{
    CMarkupSTL doc(L"<Root><Item>1</ITEM  ><item/></root\r\n>");
    ASSERT_TRUE(doc.IsWellFormed());
    doc.FindElem();
    doc.FindChildElem();
    EXPECT_EQ(doc.GetChildDataInt(0), 1);
    EXPECT_TRUE(doc.FindChildElem(L"item"));
}

TEST(MarkupCopy, CopiesKeepTheirOwnIndexAndCursor)
{
    CMarkupSTL doc(L"<r><a/><b/></r>");
    doc.FindElem();
    doc.FindChildElem(L"b");
    doc.SavePos(L"b");
    CMarkupSTL copy(doc);
    EXPECT_EQ(copy.GetTagName(), L"r");
    ASSERT_TRUE(copy.IntoElem());
    EXPECT_EQ(copy.GetTagName(), L"b");
    copy.SetAttrib(L"changed", 1);
    EXPECT_EQ(doc.GetDoc(), L"<r><a/><b/></r>");
    CMarkupSTL assigned;
    assigned = copy;
    ASSERT_TRUE(assigned.RestorePos(L"b"));
    ASSERT_TRUE(assigned.IntoElem());
    EXPECT_EQ(assigned.GetAttribInt(L"changed", 0), 1);
    assigned = assigned;
    EXPECT_EQ(assigned.GetTagName(), L"b");
}

} // namespace
