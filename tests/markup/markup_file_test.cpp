#include <util/markup.h>

#include <gtest/gtest.h>

#include <string>

#include "markup_check.h"
#include "support/process.h"

namespace {

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::wstring LoadedText(const std::wstring& path)
{
    CMarkupSTL doc;
    EXPECT_TRUE(doc.Load(path.c_str())) << std::string(doc.GetError().begin(), doc.GetError().end());
    return doc.GetDoc();
}

TEST(MarkupFile, SaveWritesAByteOrderMarkAndLoadReadsItBack)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.file(L"保存.xml");
    CMarkupSTL doc;
    ASSERT_TRUE(doc.AddElem(L"root"));
    ASSERT_TRUE(doc.SetAttrib(L"title", L"行情 & \"报价\""));
    ASSERT_TRUE(doc.AddChildElem(L"item", L"成交量"));
    ASSERT_TRUE(doc.Save(path.c_str()));
    EXPECT_EQ(ReadBytes(path), "\xFF\xFE" + Utf16Bytes(doc.GetDoc()));

    CMarkupSTL loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_EQ(loaded.GetDoc(), doc.GetDoc());
    EXPECT_EQ(markup_test::Dump(loaded), markup_test::Dump(doc));

    const CMarkupSTL empty(L"");
    ASSERT_TRUE(empty.Save(path.c_str()));
    EXPECT_EQ(ReadBytes(path), "\xFF\xFE");
    EXPECT_FALSE(doc.Save(dir.file(L"missing\\folder.xml").c_str()));
    EXPECT_FALSE(doc.Save(nullptr));
}

TEST(MarkupFile, EncodingsAreRecognised)
{
    testsupport::TempDir dir;
    struct Case {
        const wchar_t* name;
        std::string bytes;
    };
    const std::wstring text = L"<r a=\"中文\">数据</r>";
    const Case cases[] = {
        {L"utf16.xml", "\xFF\xFE" + Utf16Bytes(text)},
        // A stray last byte of 16-bit text is ignored.
        {L"utf16odd.xml", "\xFF\xFE" + Utf16Bytes(text) + "\x41"},
        {L"utf8decl.xml", "<?xml version=\"1.0\" ENCODING=\"UTF-8\"?><r a=\"\xE4\xB8\xAD\xE6\x96\x87\">"
                          "\xE6\x95\xB0\xE6\x8D\xAE</r>"},
        {L"utf8bom.xml", "\xEF\xBB\xBF<r a=\"\xE4\xB8\xAD\xE6\x96\x87\">\xE6\x95\xB0\xE6\x8D\xAE</r>"},
        {L"gbk.xml", "<r a=\"\xD6\xD0\xCE\xC4\">\xCA\xFD\xBE\xDD</r>"},
        {L"gbkdecl.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?><r a=\"\xD6\xD0\xCE\xC4\">\xCA\xFD\xBE\xDD</r>"},
    };
    for (const Case& c : cases) {
        const std::wstring path = dir.file(c.name);
        WriteBytes(path, c.bytes);
        CMarkupSTL doc;
        ASSERT_TRUE(doc.Load(path.c_str())) << c.name;
        ASSERT_TRUE(doc.FindElem(L"r"));
        EXPECT_EQ(doc.GetAttrib(L"a"), L"中文") << c.bytes;
        EXPECT_EQ(doc.GetData(), L"数据") << c.bytes;
    }
}

TEST(MarkupFile, OnlyADeclarationAtTheStartDecidesAndNothingIsLowerCased)
{
    testsupport::TempDir dir;
    // GBK text whose body mentions UTF-8 in a processing instruction: still GBK.
    const std::wstring gbk = dir.file(L"gbk.xml");
    WriteBytes(gbk, "<r>\xD6\xD0\xCE\xC4<?PI Encoding=\"UTF-8\"?></r>");
    EXPECT_EQ(LoadedText(gbk), L"<r>中文<?PI Encoding=\"UTF-8\"?></r>");
    // "<?" without "?>": nothing of the document changes case.
    const std::wstring open = dir.file(L"open.xml");
    WriteBytes(open, "<Root Name='<?UPPER Case'>DATA</Root>");
    EXPECT_EQ(LoadedText(open), L"<Root Name='<?UPPER Case'>DATA</Root>");
    // The declaration itself is kept as written.
    const std::wstring declared = dir.file(L"declared.xml");
    WriteBytes(declared, "<?XML Version='1.0' Encoding='utf-8'?><R/>");
    EXPECT_EQ(LoadedText(declared), L"<?XML Version='1.0' Encoding='utf-8'?><R/>");
    // "utf-8" must come after the word encoding.
    const std::wstring before = dir.file(L"before.xml");
    WriteBytes(before, "<?xml utf-8 encoding='x'?><r>\xD6\xD0</r>");
    EXPECT_EQ(LoadedText(before), L"<?xml utf-8 encoding='x'?><r>中</r>");
}

TEST(MarkupFile, FailuresEmptyTheDocumentAndSayWhy)
{
    testsupport::TempDir dir;
    CMarkupSTL doc(L"<old/>");
    EXPECT_FALSE(doc.Load(dir.file(L"missing.xml").c_str()));
    EXPECT_EQ(doc.GetDoc(), L"");
    EXPECT_FALSE(doc.GetError().empty());
    EXPECT_FALSE(doc.FindElem());

    const std::wstring bad = dir.file(L"bad.xml");
    WriteBytes(bad, "<a><b></a>");
    doc.SetDoc(L"<old/>");
    EXPECT_FALSE(doc.Load(bad.c_str()));
    EXPECT_EQ(doc.GetDoc(), L"");
    EXPECT_EQ(doc.GetError(), L"End tag does not correspond to b");
    EXPECT_FALSE(doc.Load(nullptr));

    // Text after a zero byte is not part of the document.
    const std::wstring zero = dir.file(L"zero.xml");
    WriteBytes(zero, std::string("<r/>\0<x>", 8));
    EXPECT_EQ(LoadedText(zero), L"<r/>");
}

TEST(MarkupResource, ReadsOnlyTheResourcesOwnBytes)
{
    HMODULE module = GetModuleHandleW(nullptr);
    CMarkupSTL doc;
    ASSERT_TRUE(doc.LoadFromRes(module, MAKEINTRESOURCEW(101), L"XMLDOC"));
    EXPECT_EQ(doc.GetDoc(), L"<skin><button id=\"7\">确定</button></skin>") << "the byte-order mark is skipped";
    ASSERT_TRUE(doc.FindElem(L"skin"));
    ASSERT_TRUE(doc.FindChildElem(L"button"));
    EXPECT_EQ(doc.GetChildAttribInt(L"id", 0), 7);

    // The resource is directly followed by more text, so reading on to a zero would take that in too.
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(102), L"XMLDOC");
    ASSERT_NE(info, nullptr);
    const auto* data = static_cast<const wchar_t*>(LockResource(LoadResource(module, info)));
    const size_t nChars = SizeofResource(module, info) / sizeof(wchar_t);
    ASSERT_NE(data[nChars], L'\0') << "the layout this test relies on";
    ASSERT_TRUE(doc.LoadFromRes(module, MAKEINTRESOURCEW(102), L"XMLDOC"));
    EXPECT_EQ(doc.GetDoc(), L"<menu name=\"无零结尾1\"/>");
    EXPECT_EQ(doc.GetAttrib(L"name"), L"");
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttrib(L"name"), L"无零结尾1");

    EXPECT_FALSE(doc.LoadFromRes(module, MAKEINTRESOURCEW(999), L"XMLDOC"));
    EXPECT_FALSE(doc.LoadFromRes(module, MAKEINTRESOURCEW(101), L"NOTYPE"));
    doc.FreeRes();
}

} // namespace
