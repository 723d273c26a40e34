#include <util/cstring.h>
#include <util/format.h>
#include <util/module.h>

#include <gtest/gtest.h>

#include "support/process.h"

TEST(Format, WideFormatTakesWideStrings)
{
    EXPECT_EQ(KxFormat(L"[%s|%d|%5.2f]", L"中文abc", -42, 3.14159), L"[中文abc|-42| 3.14]");
    EXPECT_EQ(KxFormat(L"%S", "ansi"), L"ansi");
}

TEST(Format, NarrowFormatTakesNarrowStrings)
{
    EXPECT_EQ(KxFormatA("%s=%d", "key", 7), "key=7");
    EXPECT_EQ(KxFormatA("%S", L"wide"), "wide");
}

TEST(Format, LongResultsGrowTheBuffer)
{
    const std::wstring longText(10000, L'x');
    EXPECT_EQ(KxFormat(L"<%s>", longText.c_str()), L"<" + longText + L">");
    EXPECT_EQ(KxFormat(nullptr), L"");
}

TEST(CStringBasics, FormatAndEditing)
{
    CString s;
    s.Format(L"%s-%04d", L"编号", 12);
    EXPECT_EQ(s, L"编号-0012");
    s.AppendFormat(L"%c", L'!');
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_EQ(s.Mid(3, 4), L"0012");
    EXPECT_EQ(s.Find(L"00"), 3);
    EXPECT_EQ(s.Replace(L"0", L"zero"), 2);
    EXPECT_EQ(s, L"编号-zerozero12!");
    CString t(L"  pad\t");
    EXPECT_EQ(t.Trim(), L"pad");
}

TEST(CStringBasics, AnsiTextIsCodePage936)
{
    ASSERT_EQ(GetACP(), 936u);
    const CString s("\xd6\xd0\xce\xc4"); // "中文" in GBK
    EXPECT_EQ(s, L"中文");
}

TEST(CStringBasics, BufferRoundTrip)
{
    CString s(L"abc");
    wchar_t* buffer = s.GetBuffer(10);
    wcscpy(buffer, L"longer");
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"longer");
}

TEST(Module, StateHoldsTheLibraryModule)
{
    const HMODULE library = GetModuleHandleW(L"util.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(AfxGetInstanceHandle(), library);
    EXPECT_EQ(AfxGetResourceHandle(), library);
}
