// Keys reach the password through the queue, as the hooks deliver them.
#include <util/kxmsg.h>
#include <util/passedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "input/passedit_fixture.h"
#include "support/pump.h"

namespace {

constexpr BYTE kShift = KBDEVENT_FLAG_SHIFT;
constexpr BYTE kCaps = KBDEVENT_FLAG_CAPSLOCK;
constexpr BYTE kNumLock = KBDEVENT_FLAG_NUMLOCK;
constexpr BYTE kCtrl = KBDEVENT_FLAG_CTRL;

struct KeyCase {
    const char* name;
    DWORD key;
    BYTE flags;
    int filter;
    const wchar_t* text; // what the key gives
    int beeps;
};

class PassEditKeyTest : public PassEditFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(PassEditKeyTest, GivesItsCharacter)
{
    const KeyCase& key = GetParam();
    m_edit->SetStyle(0, 0, key.filter);
    Key(key.key, key.flags);
    Key(key.key, key.flags, true);
    testsupport::PumpPending();
    EXPECT_EQ(SafeText(), key.text);
    EXPECT_EQ(WindowLine(*m_edit), std::wstring(wcslen(key.text), L' '));
    EXPECT_EQ(s_beeps, key.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PassEditKeyTest,
    ::testing::Values(KeyCase{"letter", 'A', 0, 0, L"a", 0}, KeyCase{"shifted", 'A', kShift, 0, L"A", 0},
                      KeyCase{"capsLock", 'A', kCaps, 0, L"A", 0},
                      KeyCase{"capsLockAndShift", 'A', kCaps | kShift, 0, L"a", 0},
                      KeyCase{"digit", '2', 0, 0, L"2", 0}, KeyCase{"shiftedDigit", '2', kShift, 0, L"@", 0},
                      KeyCase{"shiftedZero", '0', kShift, 0, L")", 0},
                      KeyCase{"semicolon", VK_OEM_1, 0, 0, L";", 0},
                      KeyCase{"colon", VK_OEM_1, kShift, 0, L":", 0},
                      KeyCase{"quote", VK_OEM_7, kShift, 0, L"\"", 0}, KeyCase{"space", VK_SPACE, 0, 0, L" ", 0},
                      KeyCase{"keypadDigit", VK_NUMPAD7, kNumLock, 0, L"7", 0},
                      KeyCase{"keypadWithoutNumLock", VK_NUMPAD7, 0, 0, L"", 0},
                      KeyCase{"keypadFive", VK_NUMPAD5, 0, 0, L"", 0},
                      KeyCase{"keypadTimes", VK_MULTIPLY, 0, 0, L"*", 0},
                      KeyCase{"keypadPoint", VK_DECIMAL, kNumLock, 0, L".", 0},
                      KeyCase{"lettersFilteredOut", 'A', 0, 1, L"", 1},
                      KeyCase{"digitPassesDigitFilter", '5', 0, 1, L"5", 0},
                      KeyCase{"digitsFilteredOut", '5', 0, 2, L"", 1},
                      KeyCase{"punctuationNeedsNoFilter", VK_OEM_2, 0, 2, L"", 1},
                      KeyCase{"noCharacter", VK_APPS, 0, 0, L"", 1},
                      KeyCase{"key5FDown", 'A', KBDEVENT_FLAG_KEY5F, 0, L"", 0},
                      KeyCase{"ctrlChordIsNoCharacter", 'C', kCtrl, 0, L"", 0},
                      KeyCase{"navigationKey", VK_HOME, 0, 0, L"", 0}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST_F(PassEditKeyTest, ThreeKeysGiveThreeSpacesAndTheText)
{
    Type("K1Z");
    EXPECT_EQ(SafeText(), L"k1z");
    EXPECT_EQ(m_edit->GetSafeTextLength(), 3);
    EXPECT_EQ(WindowLine(*m_edit), L"   ");
    wchar_t outside[16] = L"untouched";
    EXPECT_EQ(::SendMessageW(*m_edit, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(outside)), 0);
    EXPECT_STREQ(outside, L"untouched");
}

struct EditCase {
    const char* name;
    const wchar_t* before;
    int selStart, selEnd;
    DWORD key;
    const wchar_t* after;
    int caret;
};

class PassEditDeleteTest : public PassEditFixture, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PassEditDeleteTest, DeletesWholeCharacters)
{
    const EditCase& edit = GetParam();
    m_edit->SetSafeText(edit.before, 1);
    m_edit->SetSel(edit.selStart, edit.selEnd);
    Key(edit.key);
    testsupport::PumpPending();
    EXPECT_EQ(SafeText(), edit.after);
    EXPECT_EQ(Selection(), std::make_pair(edit.caret, edit.caret));
    EXPECT_EQ(static_cast<int>(WindowLine(*m_edit).size()), m_edit->GetSafeTextLength());
}

// "密码" is four bytes in code page 936: positions 1 and 3 lie inside its characters.
INSTANTIATE_TEST_SUITE_P(
    Table, PassEditDeleteTest,
    ::testing::Values(EditCase{"backspaceSelection", L"abcdef", 1, 4, VK_BACK, L"aef", 1},
                      EditCase{"backspaceAtCaret", L"abcdef", 3, 3, VK_BACK, L"abdef", 2},
                      EditCase{"backspaceAtStart", L"abc", 0, 0, VK_BACK, L"abc", 0},
                      EditCase{"deleteSelection", L"abcdef", 2, 6, VK_DELETE, L"ab", 2},
                      EditCase{"deleteAtCaret", L"abcdef", 0, 0, VK_DELETE, L"bcdef", 0},
                      EditCase{"deleteAtEnd", L"abc", 3, 3, VK_DELETE, L"abc", 3},
                      EditCase{"backspaceDoubleByte", L"a密码", 5, 5, VK_BACK, L"a密", 3},
                      EditCase{"selectionInsideCharacters", L"密码ab", 1, 3, VK_DELETE, L"ab", 0},
                      EditCase{"keypadPointIsDelete", L"abc", 1, 1, VK_DECIMAL, L"ac", 1}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return info.param.name; });

TEST_F(PassEditKeyTest, TypedCharactersReplaceTheSelectionWithinTheLimit)
{
    m_edit->SetStyle(0, 4, 0);
    m_edit->SetSafeText(L"abcd", 1);
    m_edit->SetSel(1, 3);
    Type("XYZ", kShift);
    EXPECT_EQ(SafeText(), L"aXYd"); // the third key passes the limit and is dropped silently
    EXPECT_EQ(s_beeps, 0);
    m_edit->SetSel(0, 0);
    m_edit->PostCharKey(L'中'); // two bytes more than the limit allows
    m_edit->PostCharKey(L'\b');
    EXPECT_EQ(SafeText(), L"aXYd");
    m_edit->SetSel(4, 4);
    m_edit->PostCharKey(L'\b');
    m_edit->PostCharKey(L'中');
    EXPECT_EQ(SafeText(), L"aXY");
    m_edit->SetStyle(0, 0, 0);
    m_edit->PostCharKey(L'中');
    EXPECT_EQ(SafeText(), L"aXY中");
    EXPECT_EQ(m_edit->GetSafeTextLength(), 5);
}

TEST_F(PassEditKeyTest, KeysAfterANavigationKeyApplyInTypingOrder)
{
    m_edit->SetSafeText(L"ab", 1);
    Key(VK_HOME);
    Key(VK_HOME, 0, true);
    Key('X', kShift);
    testsupport::PumpPending();
    EXPECT_EQ(SafeText(), L"Xab");
}

TEST_F(PassEditKeyTest, ReadOnlyEditTakesNothing)
{
    m_edit->SetSafeText(L"ab", 1);
    m_edit->SendMessage(EM_SETREADONLY, TRUE);
    Type("C");
    m_edit->PostCharKey(L'\b');
    EXPECT_EQ(SafeText(), L"ab");
}

TEST_F(PassEditKeyTest, CtrlAThenTypingReplacesEverything)
{
    m_edit->SetSafeText(L"secret", 1);
    Key('A', kCtrl);
    Type("Q");
    EXPECT_EQ(SafeText(), L"q");
}

} // namespace

namespace {

TEST(PassEditEventTest, KeyMessageParametersBecomeAnEvent)
{
    struct Case {
        LPARAM param;
        WORD repeat;
        BYTE scan;
        BYTE flagBits; // extended and Alt
        BYTE state;
    };
    for (const Case& test : {Case{0x001E0001, 1, 0x1E, 0, 0},
                             Case{0x214B0003, 3, 0x4B, KBDEVENT_FLAG_EXTENDED | KBDEVENT_FLAG_ALT, 0},
                             Case{static_cast<LPARAM>(0xC0100001u), 1, 0x10, 0,
                                  KBDEVENT_STATE_DOWN_OR_PREVIOUS | KBDEVENT_STATE_RELEASED}}) {
        tagKBDEVENT event{};
        CKXPassEdit::KbdProcParamToKbdEvent('K', test.param, &event);
        EXPECT_EQ(event.key, static_cast<DWORD>('K'));
        EXPECT_EQ(event.repeat, test.repeat);
        EXPECT_EQ(event.scan, test.scan);
        EXPECT_EQ(event.flags & (KBDEVENT_FLAG_EXTENDED | KBDEVENT_FLAG_ALT), test.flagBits);
        EXPECT_EQ(event.state, test.state);
    }
    CKXPassEdit::KbdProcParamToKbdEvent('K', 0, nullptr);
}

TEST_F(PassEditKeyTest, LetterAndDigitKeyMessagesAreDroppedBeforeTranslation)
{
    struct Case {
        UINT message;
        WPARAM key;
        BOOL dropped;
    };
    for (const Case& test : {Case{WM_KEYDOWN, 'Q', TRUE}, Case{WM_KEYUP, '7', TRUE}, Case{WM_SYSKEYDOWN, 'F', TRUE},
                             Case{WM_KEYDOWN, VK_LEFT, FALSE}, Case{WM_KEYDOWN, VK_TAB, FALSE},
                             Case{WM_LBUTTONDOWN, 'Q', FALSE}}) {
        MSG msg{*m_edit, test.message, test.key, 0, 0, {}};
        EXPECT_EQ(m_edit->PreTranslateMessage(&msg), test.dropped) << test.message << " " << test.key;
    }
}

} // namespace

namespace {

struct BurstCase {
    const char* name;
    const wchar_t* before;
    int selStart, selEnd;
    std::vector<std::pair<DWORD, BYTE>> keys; // key and flags, queued before the edit drains them
    const wchar_t* after;
    std::pair<int, int> selection;
    int changes = 1; // EN_CHANGE: one a drain, and one before a key the window handles itself
};

class PassEditBurstTest : public PassEditFixture, public ::testing::WithParamInterface<BurstCase> {};

// Keys queued together are drained together: the window ends with the right spaces, caret and
// selection, and the parent hears of the change once.
TEST_P(PassEditBurstTest, WindowFollowsTheWholeBurst)
{
    const BurstCase& burst = GetParam();
    m_edit->SetSafeText(burst.before, 1);
    m_edit->SetSel(burst.selStart, burst.selEnd);
    m_parent->clear();
    for (const auto& [key, flags] : burst.keys) {
        Key(key, flags);
    }
    testsupport::PumpPending();
    EXPECT_EQ(SafeText(), burst.after);
    EXPECT_EQ(WindowLine(*m_edit), std::wstring(static_cast<size_t>(m_edit->GetSafeTextLength()), L' '));
    EXPECT_EQ(Selection(), burst.selection);
    const auto commands = m_parent->Messages(WM_COMMAND);
    EXPECT_EQ(
        std::count_if(commands.begin(), commands.end(), [](const auto& command) { return command.code == EN_CHANGE; }),
        burst.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PassEditBurstTest,
    ::testing::Values(
        BurstCase{"typedAtTheEnd", L"ab", 2, 2, {{'C', 0}, {'D', kShift}, {'E', 0}}, L"abcDe", {5, 5}},
        BurstCase{"typedInTheMiddle", L"abcd", 1, 1, {{'X', 0}, {'Y', 0}}, L"axybcd", {3, 3}},
        BurstCase{"overASelectionThenBackspace", L"abcdef", 1, 4, {{'X', 0}, {VK_BACK, 0}}, L"aef", {1, 1}},
        BurstCase{"sameLengthOtherText", L"abc", 3, 3, {{VK_BACK, 0}, {'Z', 0}}, L"abz", {3, 3}},
        BurstCase{"typedAndTakenBack", L"abc", 1, 1, {{'X', 0}, {VK_BACK, 0}}, L"abc", {1, 1}},
        BurstCase{"deletesThenTyping", L"abcd", 0, 0, {{VK_DELETE, 0}, {VK_DELETE, 0}, {'Q', 0}}, L"qcd", {1, 1}},
        BurstCase{"selectAllInTheBurst", L"secret", 6, 6, {{'X', 0}, {'A', kCtrl}, {'Q', 0}}, L"q", {1, 1}, 2},
        BurstCase{"doubleByteBackspaces", L"a密码", 5, 5, {{VK_BACK, 0}, {VK_BACK, 0}}, L"a", {1, 1}}),
    [](const ::testing::TestParamInfo<BurstCase>& info) { return info.param.name; });

// A hook of this thread on the text and selection messages sent to one window.
struct SentMessageSpy {
    static inline HWND watched = nullptr;
    static inline std::vector<UINT> seen;
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const bool textOrSelection = message->message == WM_SETTEXT || message->message == WM_GETTEXTLENGTH ||
                                     (message->message >= EM_GETSEL && message->message <= EM_GETIMESTATUS);
        if (code == HC_ACTION && message->hwnd == watched && textOrSelection) {
            seen.push_back(message->message);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST_F(PassEditKeyTest, OtherHooksDoNotSeeTheWindowFollowTheKeys)
{
    SentMessageSpy::watched = *m_edit;
    SentMessageSpy::seen.clear();
    HHOOK spy = ::SetWindowsHookExW(WH_CALLWNDPROC, &SentMessageSpy::Record, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(spy, nullptr);
    Type("AB");
    Key(VK_BACK);
    Type("C");
    ::UnhookWindowsHookEx(spy);
    EXPECT_EQ(SafeText(), L"ac");
    EXPECT_EQ(WindowLine(*m_edit), L"  ");
    EXPECT_EQ(SentMessageSpy::seen, std::vector<UINT>{}) << "the keys' timing shows in the edit's own messages";
}

TEST_F(PassEditKeyTest, KeysArriveAfterAMessageLoopDropsTheDrain)
{
    Key('A');
    MSG dropped{};
    ASSERT_TRUE(::PeekMessageW(&dropped, *m_edit, WM_KX_KBDEVENT, WM_KX_KBDEVENT, PM_REMOVE));
    ::Sleep(150);
    Type("B");
    EXPECT_EQ(SafeText(), L"ab");
    EXPECT_EQ(WindowLine(*m_edit), L"  ");
}

} // namespace

namespace {

class PassEditWidthTest : public PassEditFixture, public ::testing::WithParamInterface<DWORD> {};

// An edit that cannot scroll refuses keys past its width; the password refuses them too, one key a
// drain and a whole burst alike, so that the window shows every byte the password holds.
TEST_P(PassEditWidthTest, PasswordHoldsWhatTheWindowShows)
{
    const DWORD scroll = GetParam();
    m_edit = std::make_unique<CKXPassEdit>();
    ASSERT_TRUE(m_edit->CEdit::Create(WS_VISIBLE | ES_PASSWORD | scroll, CRect(10, 10, 70, 34), m_parent.get(), 100));
    for (int key = 0; key < 30; ++key) {
        Type("A");
    }
    Type("BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB");
    const int length = m_edit->GetSafeTextLength();
    EXPECT_EQ(WindowLine(*m_edit), std::wstring(static_cast<size_t>(length), L' '));
    if (scroll) {
        EXPECT_EQ(length, 60);
    } else {
        EXPECT_GT(length, 0);
        EXPECT_LT(length, 30) << "a 60-pixel edit holds fewer than 30 password characters";
        EXPECT_EQ(SafeText(), std::wstring(static_cast<size_t>(length), L'a'));
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, PassEditWidthTest, ::testing::Values(DWORD{0}, DWORD{ES_AUTOHSCROLL}));

} // namespace
