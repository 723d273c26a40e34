#include <util/shelllink.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/dib.h"
#include "support/process.h"
#include "support/recording_parent.h"

using testsupport::RecordingParent;

namespace {

const HINSTANCE kOpened = reinterpret_cast<HINSTANCE>(42);
const HINSTANCE kNotFound = reinterpret_cast<HINSTANCE>(2);

// Records what the library asks of the shell; targets in `opens` open, the rest are not found.
struct ShellRecorder {
    static ShellRecorder* current;

    ShellRecorder()
    {
        current = this;
        const KxShellCalls calls{&NotifyIcon, &Execute};
        previous = KxSetShellCalls(&calls);
    }
    ~ShellRecorder()
    {
        KxSetShellCalls(&previous);
        current = nullptr;
    }

    static BOOL WINAPI NotifyIcon(DWORD message, NOTIFYICONDATAW* data)
    {
        current->notices.push_back({message, *data});
        return TRUE;
    }
    static HINSTANCE WINAPI Execute(HWND, const wchar_t* operation, const wchar_t* file, const wchar_t*,
                                    const wchar_t*, int show)
    {
        current->executed.push_back(file);
        current->operations.push_back(std::wstring(operation) + L"/" + std::to_wstring(show));
        return current->opens.count(file) ? kOpened : kNotFound;
    }

    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> notices;
    std::vector<std::wstring> executed;
    std::vector<std::wstring> operations;
    std::map<std::wstring, bool> opens;
    KxShellCalls previous{};
};
ShellRecorder* ShellRecorder::current = nullptr;

class TestLink : public CStaticLink {
public:
    using CStaticLink::CStaticLink;
    using CStaticLink::m_bHover;
    using CStaticLink::m_color;
    using CStaticLink::m_dcMem;
};

HICON MakeIcon()
{
    BYTE andMask[32 * 4] = {};
    BYTE xorMask[32 * 4] = {};
    return CreateIcon(nullptr, 32, 32, 1, 1, andMask, xorMask);
}

TEST(TrayIcon, AddModifyAndDeleteRecords)
{
    ShellRecorder shell;
    RecordingParent owner;
    owner.SetWindowText(L"证券交易客户端");
    HICON icon = MakeIcon();
    {
        CTrayIcon tray;
        tray.SetInfoText(L"委托成交", L"600000 买入 100 股");
        EXPECT_TRUE(tray.SetCTray(NIM_ADD, owner, icon, nullptr));
        tray.SetCTray(NIM_MODIFY, nullptr, nullptr, L"新消息");
        tray.SetCTray(NIM_DELETE, nullptr, nullptr, nullptr);
        EXPECT_STREQ(L"", tray.GetTooltip().GetString());
        EXPECT_EQ(icon, tray.GetIcon());
    }
    ASSERT_EQ(4u, shell.notices.size()); // the destructor deletes once more
    const DWORD expected[] = {NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_DELETE};
    for (size_t i = 0; i < shell.notices.size(); ++i) {
        const auto& [message, data] = shell.notices[i];
        EXPECT_EQ(expected[i], message);
        EXPECT_EQ(100u, data.uID);
        EXPECT_EQ(owner.m_hWnd, data.hWnd);
        if (message != NIM_DELETE) {
            EXPECT_EQ(0x17u, data.uFlags);
            EXPECT_EQ(0x14ACu, data.uCallbackMessage);
            EXPECT_EQ(icon, data.hIcon);
            EXPECT_EQ(500u, data.uTimeout);
            EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), data.dwInfoFlags);
            EXPECT_STREQ(L"委托成交", data.szInfoTitle);
            EXPECT_STREQ(L"600000 买入 100 股", data.szInfo);
        }
    }
    EXPECT_STREQ(L"证券交易客户端", shell.notices[0].second.szTip);
    EXPECT_STREQ(L"新消息", shell.notices[1].second.szTip);
    DestroyIcon(icon);
}

TEST(TrayIcon, LongTextsAreCutToTheRecordsFields)
{
    ShellRecorder shell;
    RecordingParent owner;
    CTrayIcon tray;
    tray.SetInfoText(std::wstring(100, L'题').c_str(), std::wstring(400, L'文').c_str());
    tray.SetCTray(NIM_ADD, owner, nullptr, std::wstring(300, L'提').c_str());
    ASSERT_EQ(1u, shell.notices.size());
    const NOTIFYICONDATAW& data = shell.notices[0].second;
    EXPECT_EQ(std::wstring(127, L'提'), data.szTip);
    EXPECT_EQ(std::wstring(63, L'题'), data.szInfoTitle);
    EXPECT_EQ(std::wstring(255, L'文'), data.szInfo);
}

TEST(TrayIcon, DeletingWithANewIconDestroysTheOldOne)
{
    ShellRecorder shell;
    RecordingParent owner;
    HICON first = MakeIcon();
    HICON second = MakeIcon();
    CTrayIcon tray;
    tray.SetCTray(NIM_ADD, owner, first, L"tip");
    tray.SetCTray(NIM_MODIFY, nullptr, second, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(first, &info)); // a modify keeps the old icon
    DeleteObject(info.hbmMask);
    tray.SetCTray(NIM_DELETE, nullptr, first, nullptr);
    EXPECT_FALSE(GetIconInfo(second, &info));
    EXPECT_EQ(first, tray.GetIcon());
    DestroyIcon(first);
}

TEST(Hyperlink, OpensNonEmptyTargetsOnly)
{
    ShellRecorder shell;
    shell.opens[L"https://quote.example/600000"] = true;
    EXPECT_EQ(nullptr, CHyperlink().Navigate());
    EXPECT_EQ(nullptr, CHyperlink(L"").Navigate());
    EXPECT_TRUE(shell.executed.empty());
    CHyperlink link;
    link = L"https://quote.example/600000";
    EXPECT_STREQ(L"https://quote.example/600000", static_cast<const wchar_t*>(link));
    EXPECT_EQ(kOpened, link.Navigate());
    EXPECT_EQ(std::vector<std::wstring>{L"open/" + std::to_wstring(SW_SHOWNORMAL)}, shell.operations);
}

struct FallbackCase {
    const char* name;
    const wchar_t* target;
    std::vector<std::wstring> opens;
    std::vector<std::wstring> tried;
    bool visited;
};

class LinkFallback : public testing::TestWithParam<FallbackCase> {};

TEST_P(LinkFallback, TriesTargetThenTextThenStringResource)
{
    const FallbackCase& c = GetParam();
    ShellRecorder shell;
    for (const auto& target : c.opens) {
        shell.opens[target] = true;
    }
    RecordingParent parent;
    TestLink link(c.target);
    ASSERT_TRUE(link.Create(L"www.broker.example", WS_VISIBLE | SS_LEFT, RECT{10, 10, 200, 30}, &parent, 2003));
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(c.tried, shell.executed);
    EXPECT_EQ(c.visited ? RGB(128, 0, 128) : RGB(0, 0, 255), link.m_color);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, LinkFallback,
    testing::Values(FallbackCase{"Target", L"https://a.example", {L"https://a.example"}, {L"https://a.example"}, true},
                    FallbackCase{"Text",
                                 L"https://a.example",
                                 {L"www.broker.example"},
                                 {L"https://a.example", L"www.broker.example"},
                                 true},
                    FallbackCase{"NoTargetText", L"", {L"www.broker.example"}, {L"www.broker.example"}, true},
                    FallbackCase{"Resource",
                                 L"https://a.example",
                                 {L"help:fallback"},
                                 {L"https://a.example", L"www.broker.example", L"help:fallback"},
                                 true},
                    FallbackCase{"Nothing", L"", {}, {L"www.broker.example", L"help:fallback"}, false}),
    [](const testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST(StaticLink, NoLinkOpensNothing)
{
    ShellRecorder shell;
    shell.opens[L"https://a.example"] = true;
    RecordingParent parent;
    TestLink link(L"https://a.example");
    ASSERT_TRUE(link.Create(L"说明", WS_VISIBLE, RECT{10, 10, 100, 30}, &parent, 7));
    link.SetNoLink(TRUE);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_TRUE(shell.executed.empty());
    EXPECT_EQ(RGB(0, 0, 255), link.m_color);
    EXPECT_EQ(HTCLIENT, link.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(15, 15)));
}

TEST(StaticLink, UnderlinedWhileHoveredInItsColour)
{
    ShellRecorder shell;
    RecordingParent parent;
    TestLink link(L"https://a.example");
    ASSERT_TRUE(link.Create(L"开户指南", WS_VISIBLE | SS_LEFT, RECT{10, 10, 150, 34}, &parent, 7));
    link.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)));
    link.SetTextColor(RGB(0, 0, 200), RGB(120, 0, 120));
    const auto inked = [&] {
        InvalidateRect(link, nullptr, TRUE);
        UpdateWindow(link);
        testsupport::DibSurface surface(140, 24);
        BitBlt(surface.dc(), 0, 0, 140, 24, link.m_dcMem, 0, 0, SRCCOPY);
        return surface.count(RGB(0, 0, 200));
    };
    const int plain = inked();
    EXPECT_GT(plain, 0);
    link.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    const int underlined = inked();
    EXPECT_GT(underlined, plain + 10);
    link.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(plain, inked());
    link.SetNoLink(TRUE);
    link.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(plain, inked());
}

TEST(StaticLink, ADestroyedLinkLeavesTheSharedCursor)
{
    // The cursor comes from the system help program; where the system has none, this program (which
    // carries a cursor of that number) stands in for it, in a process that has not looked for it yet.
    wchar_t help[MAX_PATH] = {};
    GetWindowsDirectoryW(help, MAX_PATH);
    lstrcatW(help, L"\\winhlp32.exe");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const bool placed = GetFileAttributesW(help) == INVALID_FILE_ATTRIBUTES && CopyFileW(self, help, TRUE);
    testsupport::TempDir dir;
    const auto child = testsupport::RunTestInFreshProcess("StaticLinkChild.SharedCursorOutlivesALink", dir.path());
    if (placed) {
        DeleteFileW(help);
    }
    EXPECT_EQ(0u, child.exitCode) << child.output;
}

TEST(StaticLinkChild, SharedCursorOutlivesALink)
{
    if (!testsupport::IsFreshProcess()) {
        GTEST_SKIP() << "runs inside StaticLink.ADestroyedLinkLeavesTheSharedCursor";
    }
    RecordingParent parent;
    TestLink first(L"a"), second(L"b");
    ASSERT_TRUE(first.Create(L"一", WS_VISIBLE, RECT{0, 0, 50, 20}, &parent, 1));
    ASSERT_TRUE(second.Create(L"二", WS_VISIBLE, RECT{60, 0, 110, 20}, &parent, 2));
    const auto cursorOver = [](CWnd& link) {
        link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR shared = cursorOver(second);
    ASSERT_NE(LoadCursorW(nullptr, IDC_ARROW), shared);
    EXPECT_EQ(shared, cursorOver(first));
    first.DestroyWindow();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shared, &info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_EQ(shared, cursorOver(second));
}

TEST(StaticLink, AutoDeleteObjectGoesWithItsWindow)
{
    RecordingParent parent;
    auto* link = new CStaticLink(L"https://a.example", TRUE);
    ASSERT_TRUE(link->Create(L"临时", WS_VISIBLE, RECT{0, 0, 50, 20}, &parent, 1));
    HWND window = link->m_hWnd;
    DestroyWindow(window); // the heap checker reports a leak or a double delete
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
}

TEST(ShellCalls, ThePlatformsOwnCallsDoNotFail)
{
    RecordingParent owner;
    HICON icon = MakeIcon();
    {
        CTrayIcon tray;
        tray.SetInfoText(L"提示", L"已最小化到通知区域");
        tray.SetCTray(NIM_ADD, owner, icon, L"交易客户端");
        tray.SetCTray(NIM_MODIFY, nullptr, nullptr, L"交易客户端 - 已连接");
    }
    EXPECT_LE(reinterpret_cast<INT_PTR>(CHyperlink(L"C:\\no such folder\\no such file.txt").Navigate()), 32);
    DestroyIcon(icon);
}

} // namespace
