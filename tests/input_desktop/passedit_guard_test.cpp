// Nothing reads the password through the window, the clipboard or a hook.
#include <util/passedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "input/passedit_fixture.h"
#include "support/process.h"
#include "support/pump.h"

namespace {

const wchar_t kSecret[] = L"Secret7";
const wchar_t kHandleVariable[] = L"UTIL_TEST_PASSEDIT_WINDOW";

// Runs work on another thread while this one pumps, as a client's thread would.
void OnOtherThread(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread other([&] {
        work();
        done = true;
    });
    testsupport::PumpUntil([&] { return done.load(); }, 20000);
    other.join();
}

void PutOnClipboard(HWND owner, const std::wstring& text)
{
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (::OpenClipboard(nullptr)) {
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(::GlobalLock(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
    }
    return text;
}

// Wine 8 answers EM_GETLINE from another process with a reply whose length it reads from memory it
// never filled in the receiving process (0x5555 characters under the tests' heap checking); the
// server refuses the oversized reply and ends the receiving thread. Any edit control, the
// platform's own included, is hit, so a child under Wine leaves EM_GETLINE to the thread test.
bool IsWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// What a snooping program tries: each message, then whatever text it can get back.
std::vector<std::wstring> Snoop(HWND edit, bool askForTheLine)
{
    std::vector<std::wstring> seen;
    wchar_t buffer[64] = {};
    ::SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
    seen.push_back(buffer);
    if (askForTheLine) {
        *reinterpret_cast<WORD*>(buffer) = 63;
        const LRESULT count = ::SendMessageW(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer));
        seen.emplace_back(buffer, static_cast<size_t>(std::max<LRESULT>(count, 0)));
    }
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const UINT message : {WM_COPY, WM_CUT}) {
        ::SendMessageW(edit, message, 0, 0);
        seen.push_back(ClipboardText());
    }
    for (const UINT message : {EM_UNDO, WM_UNDO}) {
        ::SendMessageW(edit, message, 0, 0);
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"replaced"));
    ::SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(L"inserted"));
    ::SendMessageW(edit, WM_CHAR, L'z', 0);
    return seen;
}

class PassEditGuardTest : public PassEditFixture {
protected:
    void SetUp() override
    {
        PassEditFixture::SetUp();
        m_edit->SetSafeText(kSecret, 1);
        PutOnClipboard(*m_parent, L"before");
    }
    void ExpectUntouched(const std::vector<std::wstring>& seen)
    {
        for (const std::wstring& text : seen) {
            EXPECT_EQ(text.find(L"Secret"), std::wstring::npos) << "seen: " << testing::PrintToString(text);
            EXPECT_EQ(text.find(L"S"), std::wstring::npos);
        }
        EXPECT_EQ(SafeText(), kSecret);
        EXPECT_EQ(WindowLine(*m_edit), std::wstring(7, L' '));
        EXPECT_EQ(ClipboardText(), L"before");
    }
};

TEST_F(PassEditGuardTest, AnotherThreadGetsNothing)
{
    std::vector<std::wstring> seen;
    HWND edit = *m_edit;
    OnOtherThread([&] { seen = Snoop(edit, true); });
    ExpectUntouched(seen);
}

TEST_F(PassEditGuardTest, AnotherProcessGetsNothing)
{
    ::SetEnvironmentVariableW(kHandleVariable, std::to_wstring(reinterpret_cast<UINT_PTR>(m_edit->GetSafeHwnd())).c_str());
    testsupport::TempDir folder;
    testsupport::ChildResult child;
    OnOtherThread([&] { child = testsupport::RunTestInFreshProcess("PassEditSnoop.*", folder.path()); });
    ::SetEnvironmentVariableW(kHandleVariable, nullptr);
    EXPECT_EQ(child.exitCode, 0u) << child.output;
    EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
    ExpectUntouched({});
}

// The other program's side of the test above.
TEST(PassEditSnoop, FromAnotherProcess)
{
    wchar_t handle[32] = {};
    if (!testsupport::IsFreshProcess() || !::GetEnvironmentVariableW(kHandleVariable, handle, 32)) {
        GTEST_SKIP() << "runs as the child of AnotherProcessGetsNothing";
    }
    HWND edit = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoull(handle)));
    ASSERT_TRUE(::IsWindow(edit));
    for (const std::wstring& text : Snoop(edit, !IsWine())) {
        EXPECT_EQ(text.find(L"S"), std::wstring::npos) << testing::PrintToString(text);
    }
}

TEST_F(PassEditGuardTest, PasteReplacesTheSelectionWithWhatTheFilterTakes)
{
    PutOnClipboard(*m_parent, L"a1-b");
    m_edit->SetSel(1, 4);
    m_edit->SetStyle(0, 0, 1);
    m_edit->SendMessage(WM_PASTE);
    EXPECT_EQ(SafeText(), L"S1et7");
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
    m_edit->SetStyle(0, 0, 0);
    m_edit->SetSel(0, 1);
    Key('V', KBDEVENT_FLAG_CTRL);
    testsupport::PumpPending();
    EXPECT_EQ(SafeText(), L"a1-b1et7");
    m_edit->SetSel(0, 4);
    m_edit->SendMessage(WM_COMMAND, 0xE120); // delete
    EXPECT_EQ(SafeText(), L"1et7");
    m_edit->SendMessage(WM_COMMAND, 0xE121); // clear all
    EXPECT_EQ(SafeText(), L"");
    EXPECT_EQ(ClipboardText(), L"a1-b") << "nothing empties the clipboard";
}

// Counts the hooks installed, and fails the kinds a test names.
struct HookRecorder {
    static inline std::vector<int> installed;
    static inline std::vector<int> refused;
    static HHOOK WINAPI SetHook(int kind, HOOKPROC procedure, HINSTANCE module, DWORD thread)
    {
        if (std::find(refused.begin(), refused.end(), kind) != refused.end()) {
            return nullptr;
        }
        installed.push_back(kind);
        return ::SetWindowsHookExW(kind, procedure, module, thread);
    }
};

// A keyboard hook of another program part, installed before any password edit.
struct EarlierKeyboardHook {
    static inline std::vector<WPARAM> threadKeys;
    static inline std::vector<WPARAM> lowLevelKeys;
    EarlierKeyboardHook()
    {
        threadKeys.clear();
        lowLevelKeys.clear();
        m_thread = ::SetWindowsHookExW(WH_KEYBOARD, &Thread, nullptr, ::GetCurrentThreadId());
        m_lowLevel = ::SetWindowsHookExW(WH_KEYBOARD_LL, &LowLevel, ::GetModuleHandleW(nullptr), 0);
    }
    ~EarlierKeyboardHook()
    {
        ::UnhookWindowsHookEx(m_thread);
        ::UnhookWindowsHookEx(m_lowLevel);
    }
    static LRESULT CALLBACK Thread(int code, WPARAM wParam, LPARAM lParam)
    {
        threadKeys.push_back(wParam);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK LowLevel(int code, WPARAM wParam, LPARAM lParam)
    {
        lowLevelKeys.push_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static bool ThreadHookSaw(WPARAM key)
    {
        return std::find(threadKeys.begin(), threadKeys.end(), key) != threadKeys.end();
    }
    bool Saw(WPARAM key) const
    {
        return ThreadHookSaw(key) || std::find(lowLevelKeys.begin(), lowLevelKeys.end(), key) != lowLevelKeys.end();
    }
    HHOOK m_thread;
    HHOOK m_lowLevel;
};

void SendKeys(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
        if (key != VK_SHIFT) {
            input.ki.dwFlags = KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
    }
    INPUT shiftUp{};
    shiftUp.type = INPUT_KEYBOARD;
    shiftUp.ki.wVk = VK_SHIFT;
    shiftUp.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(shiftUp);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class PassEditHookTest : public PassEditFixture {
protected:
    void SetUp() override
    {
        HookRecorder::installed.clear();
        HookRecorder::refused.clear();
        m_earlier = std::make_unique<EarlierKeyboardHook>();
        PassEditFixture::SetUp();
    }
    void TearDown() override
    {
        PassEditFixture::TearDown();
        m_earlier.reset();
    }
    KxInputPlatform Platform() const override { return {&HookRecorder::SetHook, nullptr, &CountBeep, nullptr}; }

    // Types through the system's input; true when the edit got the whole text.
    bool TypeThroughSystem(CKXPassEdit& edit, const std::vector<WORD>& keys, const std::wstring& expected)
    {
        ::SetForegroundWindow(*m_parent);
        edit.SetFocus();
        SendKeys(keys);
        return testsupport::PumpUntil(
            [&] {
                wchar_t text[64] = {};
                edit.GetSafeText(text, 64);
                return expected == text;
            },
            5000);
    }

    std::unique_ptr<EarlierKeyboardHook> m_earlier;
};

TEST_F(PassEditHookTest, KeysFromTheSystemReachOnlyTheEdit)
{
    EXPECT_TRUE(TypeThroughSystem(*m_edit, {'K', '1', VK_SHIFT, '2'}, L"k1@"));
    testsupport::PumpFor(50);
    EXPECT_FALSE(m_earlier->Saw('K') || m_earlier->Saw('1') || m_earlier->Saw('2'));
    EXPECT_EQ(WindowLine(*m_edit), L"   ");
}

TEST_F(PassEditHookTest, KeysWithAltTakeTheNormalPath)
{
    std::vector<INPUT> inputs(4);
    const WORD keys[] = {VK_MENU, 'X', 'X', VK_MENU};
    for (size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return m_earlier->Saw('X'); }, 5000));
    EXPECT_EQ(SafeText(), L"");
}

TEST_F(PassEditHookTest, TwoEditsShareOneHookSetUntilTheLastGoes)
{
    CKXPassEdit second;
    ASSERT_TRUE(second.CEdit::Create(WS_VISIBLE | ES_PASSWORD, CRect(10, 50, 250, 74), m_parent.get(), 101));
    EXPECT_EQ(std::count(HookRecorder::installed.begin(), HookRecorder::installed.end(), WH_KEYBOARD_LL), 1);
    EXPECT_EQ(std::count(HookRecorder::installed.begin(), HookRecorder::installed.end(), WH_JOURNALRECORD), 0);

    m_edit.reset();
    EXPECT_TRUE(TypeThroughSystem(second, {'A', 'B'}, L"ab"));
    EXPECT_FALSE(m_earlier->Saw('A') || m_earlier->Saw('B'));

    second.DestroyWindow();
    CEdit plain;
    ASSERT_TRUE(plain.Create(WS_VISIBLE, CRect(10, 80, 250, 104), m_parent.get(), 102));
    plain.SetFocus();
    SendKeys({'C'});
    EXPECT_TRUE(testsupport::PumpUntil([&] { return m_earlier->Saw('C'); }, 5000)) << "the hooks are gone";
}

class NotSafeRecorder : public CKXPassEdit {
public:
    void OnSystemNotSafe() override { ++calls; }
    int calls = 0;
};

TEST_F(PassEditHookTest, MissingHooksAreFatalOnlyWhenNoKeyboardHookIsLeft)
{
    m_edit.reset();
    struct Case {
        std::vector<int> refused;
        int notSafeCalls;
    };
    for (const Case& test : {Case{{WH_CBT, WH_SHELL}, 0}, Case{{WH_KEYBOARD_LL}, 0},
                             Case{{WH_KEYBOARD_LL, WH_KEYBOARD}, 1}}) {
        HookRecorder::refused = test.refused;
        NotSafeRecorder edit;
        ASSERT_TRUE(edit.CEdit::Create(ES_PASSWORD, CRect(0, 0, 100, 20), m_parent.get(), 103));
        EXPECT_EQ(edit.calls, test.notSafeCalls) << "refused " << test.refused.size() << " kinds";
    }
}

TEST_F(PassEditHookTest, ThreadHookTakesTheKeysWithoutTheLowLevelOne)
{
    m_edit.reset();
    HookRecorder::refused = {WH_KEYBOARD_LL};
    CKXPassEdit edit;
    ASSERT_TRUE(edit.CEdit::Create(WS_VISIBLE | ES_PASSWORD, CRect(10, 10, 250, 34), m_parent.get(), 104));
    EXPECT_TRUE(TypeThroughSystem(edit, {'Q', '9'}, L"q9"));
    EXPECT_FALSE(m_earlier->ThreadHookSaw('Q') || m_earlier->ThreadHookSaw('9'));
}

} // namespace

namespace {

// Reads the context menu's items as the menu opens, then closes it.
class MenuProbe : public CKXPassEdit {
public:
    std::vector<bool> enabled;
    std::vector<std::wstring> texts;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_INITMENUPOPUP) {
            const auto menu = reinterpret_cast<HMENU>(wParam);
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                wchar_t text[32] = {};
                ::GetMenuStringW(menu, static_cast<UINT>(i), text, 32, MF_BYPOSITION);
                texts.push_back(text);
                enabled.push_back((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) == 0);
            }
            ::EndMenu();
        }
        return CKXPassEdit::WindowProc(message, wParam, lParam);
    }
};

TEST(PassEditMenuTest, ItemsFollowTheClipboardTheSelectionAndThePassword)
{
    struct Case {
        const wchar_t* password;
        int selEnd;
        bool clipboardText;
        std::vector<bool> enabled; // paste, delete, separator (never enabled), clear all, select all
    };
    testsupport::RecordingParent parent;
    for (const Case& test : {Case{L"", 0, false, {false, false, false, false, false}},
                             Case{L"abc", 0, true, {true, false, false, true, true}},
                             Case{L"abc", 2, false, {false, true, false, true, true}}}) {
        test.clipboardText ? PutOnClipboard(parent, L"x") : (void)(::OpenClipboard(parent) && ::EmptyClipboard() && ::CloseClipboard());
        MenuProbe edit;
        ASSERT_TRUE(edit.CEdit::Create(WS_VISIBLE | ES_PASSWORD, CRect(10, 10, 200, 34), &parent, 1));
        edit.SetSafeText(test.password, 1);
        edit.SetSel(0, test.selEnd);
        edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.GetSafeHwnd()), MAKELPARAM(-1, -1));
        EXPECT_EQ(edit.enabled, test.enabled) << testing::PrintToString(test.password);
        ASSERT_EQ(edit.texts.size(), 5u);
        EXPECT_EQ(edit.texts[0], L"粘贴(&V)\tCtrl+V");
        EXPECT_EQ(edit.texts[4], L"全选(&A)\tCtrl+A");
    }
}

} // namespace
