// The enciphered store, the content record and compatibility mode.
#include <util/blowfish.h>
#include <util/markup.h>
#include <util/passedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/guarded_buffer.h"
#include "input/passedit_fixture.h"
#include "support/gdi_count.h"

namespace {

std::string Gbk(const std::wstring& text)
{
    std::string bytes(text.size() * 2, '\0');
    bytes.resize(static_cast<size_t>(::WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()),
                                                           &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

TEST(PassEditStoreTest, EveryLengthRoundTrips)
{
    CKXPassEdit edit;
    std::vector<BYTE> stored(2048);
    std::vector<char> out(1024);
    for (int length = 0; length <= 1023; ++length) {
        const std::string text(static_cast<size_t>(length), static_cast<char>('!' + length % 90));
        const int size = edit.DoEncryptBuffer(text.c_str(), nullptr);
        ASSERT_EQ(size, (length + 11) / 8 * 8);
        ASSERT_EQ(edit.DoEncryptBuffer(text.c_str(), stored.data()), size);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(stored.data()) + 4, static_cast<size_t>(length)).find(text),
                  length ? std::string::npos : 0u)
            << "the store holds the text in the clear";
        ASSERT_EQ(edit.DoDecryptBuffer(stored.data(), static_cast<DWORD>(size), out.data()), length);
        ASSERT_EQ(std::string(out.data()), text);
    }
}

TEST(PassEditStoreTest, MalformedBuffersGiveAnEmptyTextWithoutReadingOutside)
{
    CKXPassEdit edit;
    std::vector<BYTE> valid(2048);
    const int validSize = edit.DoEncryptBuffer(std::string(200, 'x').c_str(), valid.data());
    GuardedBuffer guarded(2048);
    std::mt19937 random(16);
    char out[1024];
    for (DWORD size = 0; size <= 64; ++size) {
        // Random bytes, and the head of a real buffer whose length field claims more than is there.
        for (const bool truncated : {false, true}) {
            BYTE* data = reinterpret_cast<BYTE*>(guarded.Tail(size));
            for (DWORD i = 0; i < size; ++i) {
                data[i] = truncated ? valid[i] : static_cast<BYTE>(random());
            }
            std::memset(out, '?', sizeof(out));
            const int length = edit.DoDecryptBuffer(data, size, out);
            EXPECT_EQ(length, 0) << "size " << size << (truncated ? " truncated" : " random");
            EXPECT_EQ(out[0], 0);
        }
    }
    EXPECT_EQ(edit.DoDecryptBuffer(valid.data(), static_cast<DWORD>(validSize) - 1, out), 0);
    EXPECT_EQ(edit.DoDecryptBuffer(nullptr, 16, out), 0);
}

TEST(PassEditStoreTest, SafeTextIsCutAtAWholeCharacterAndCopiedOutBounded)
{
    CKXPassEdit edit;
    edit.SetSafeText((std::wstring(1022, L'a') + L"密").c_str(), 0);
    EXPECT_EQ(edit.GetSafeTextLength(), 1022) << "the double-byte character would pass 1023 bytes";
    edit.SetSafeText(L"密码12", 0);
    EXPECT_EQ(edit.GetSafeText(nullptr, 0), 6);
    wchar_t small[3] = {L'?', L'?', L'?'};
    EXPECT_EQ(edit.GetSafeText(small, 3), 6);
    EXPECT_STREQ(small, L"密码");
    CString text;
    EXPECT_EQ(edit.GetSafeText(text), 4);
    EXPECT_STREQ(text, L"密码12");
    edit.ResetContent();
    EXPECT_EQ(edit.GetSafeText(nullptr, 0), 0);
}

class PassEditContentTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(PassEditContentTest, RecordHoldsTheEncipheredBytesAndChecks)
{
    CKXPassEdit edit;
    edit.SetStyle(1, 0, 0);
    edit.SetSafeText(GetParam(), 0);
    const std::string bytes = Gbk(GetParam());
    _KXEncrypt_stru record{};
    edit.GetContent(&record);
    ASSERT_EQ(record.length, bytes.size());
    const size_t padded = (bytes.size() + 7) / 8 * 8;
    std::vector<BYTE> plain(record.text, record.text + padded);
    const KXBlowfish cipher("~MRV@TD", 7);
    ASSERT_TRUE(cipher.DecryptEcb(plain.data(), plain.size()));
    EXPECT_EQ(std::string(plain.begin(), plain.end()), bytes + std::string(padded - bytes.size(), '\0'));
    EXPECT_TRUE(std::all_of(record.text + padded, record.text + 256, [](BYTE b) { return b == 0; }));

    EXPECT_EQ(edit.CheckContent(&record), 1);
    EXPECT_EQ(edit.CheckContent(bytes.c_str()), 1);
    edit.SetSafeText((std::wstring(GetParam()) + L"x").c_str(), 0);
    EXPECT_EQ(edit.CheckContent(&record), 0);
    EXPECT_EQ(edit.CheckContent(bytes.c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Passwords, PassEditContentTest,
                         ::testing::Values(L"", L"a", L"abcdefg", L"abcdefgh", L"abcdefghi", L"交易密码2026",
                                           L"\u00b7\u00b7\u00b7"));

TEST(PassEditContentLimitsTest, OnlyInContentModeAndBelow256Bytes)
{
    CKXPassEdit edit;
    edit.SetSafeText(L"pw", 0);
    _KXEncrypt_stru record{};
    record.length = 77;
    edit.GetContent(&record);
    EXPECT_EQ(record.length, 77u) << "not in content mode";
    EXPECT_EQ(edit.CheckContent("pw"), 0);

    edit.SetStyle(1, 0, 0);
    edit.GetContent(nullptr);
    EXPECT_EQ(edit.CheckContent(static_cast<_KXEncrypt_stru*>(nullptr)), 0);
    edit.SetSafeText(std::wstring(256, L'z').c_str(), 0);
    edit.GetContent(&record);
    EXPECT_EQ(record.length, 0u);
    EXPECT_EQ(edit.CheckContent(&record), 0);
    record.length = 300; // a record that lies
    EXPECT_EQ(edit.CheckContent(&record), 0);
}

TEST(PassEditCreateTest, GeometryAndStyleComeFromTheElement)
{
    CMarkupSTL skin;
    ASSERT_TRUE(skin.SetDoc(L"<edit rect=\"12,8,212,32\" addstyle=\"268435456\" delstyle=\"128\"/>"));
    ASSERT_TRUE(skin.FindElem());
    testsupport::RecordingParent parent;
    CKXPassEdit edit;
    ASSERT_TRUE(edit.Create(skin, 7, &parent));
    CRect rect;
    edit.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    EXPECT_EQ(rect, CRect(12, 8, 212, 32));
    EXPECT_EQ(edit.GetDlgCtrlID(), 7);
    const DWORD style = edit.GetStyle();
    EXPECT_EQ(style & (WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL),
              static_cast<DWORD>(WS_VISIBLE | WS_TABSTOP | ES_PASSWORD));
}

DWORD WINAPI OldKernelVersion()
{
    return 0x80000A04;
}

class PassEditCompatibleTest : public PassEditFixture {
protected:
    KxInputPlatform Platform() const override { return {nullptr, &OldKernelVersion, &CountBeep, nullptr}; }
};

TEST_F(PassEditCompatibleTest, WindowTextIsThePasswordAndFillsTheStore)
{
    m_edit->SetSafeText(L"abc", 1);
    wchar_t text[16] = {};
    ::GetWindowTextW(*m_edit, text, 16);
    EXPECT_STREQ(text, L"abc");
    ::SetWindowTextW(*m_edit, L"密码x");
    EXPECT_EQ(SafeText(), L"密码x");
    EXPECT_EQ(m_edit->GetSafeTextLength(), 5);
    m_edit->SetSel(0, 0);
    m_edit->PostCharKey(L'Q');
    ::GetWindowTextW(*m_edit, text, 16);
    EXPECT_STREQ(text, L"Q密码x");
    EXPECT_EQ(SafeText(), L"Q密码x");
}

} // namespace

namespace {

TEST(PassEditLeakTest, CreateTypeDestroyCyclesLeaveNoGdiObjects)
{
    testsupport::RecordingParent parent;
    const auto cycle = [&parent] {
        CKXPassEdit edit;
        edit.CEdit::Create(WS_VISIBLE | ES_PASSWORD, CRect(0, 0, 120, 24), &parent, 1);
        edit.PostCharKey(L'a');
        edit.SendMessage(WM_PAINT);
    };
    cycle();
    const int gdi = testsupport::GdiObjectCount();
    for (int i = 0; i < 200; ++i) {
        cycle();
    }
    EXPECT_LE(testsupport::GdiObjectCount(), gdi + 2);
}

} // namespace
