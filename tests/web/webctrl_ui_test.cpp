#include <util/webctrl.h>

#include <exdispid.h>
#include <mshtmhst.h>

#include <gtest/gtest.h>

#include "support/dib.h"
#include "support/gdi_count.h"
#include "web_fixture.h"

using namespace webtest;

namespace {

constexpr COLORREF kStrip = RGB(0, 0, 255);

CRect WindowRectIn(HWND window, HWND parent)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The toolbar bitmap as the library holds it, to compare painted cells with.
class ToolbarBitmap {
public:
    ToolbarBitmap()
        : m_bitmap(static_cast<HBITMAP>(
              ::LoadImageW(::GetModuleHandleW(L"util.dll"), MAKEINTRESOURCEW(149), IMAGE_BITMAP, 0, 0, 0))),
          m_dc(::CreateCompatibleDC(nullptr)), m_old(::SelectObject(m_dc, m_bitmap))
    {
    }
    ~ToolbarBitmap()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    COLORREF Cell(int button, int row, int x, int y) const { return ::GetPixel(m_dc, button * 25 + x, row * 25 + y); }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
};

// How many pixels of the button's painted cell differ from the bitmap's cell (row, shifted by offset).
int CellDifferences(const testsupport::DibSurface& surface, const ToolbarBitmap& bitmap, int button, int row,
                    int offset)
{
    int differences = 0;
    for (int y = offset; y < 25; ++y) {
        for (int x = offset; x < 25; ++x) {
            differences += surface.pixel(button * 25 + x, y) != bitmap.Cell(button, row, x - offset, y - offset);
        }
    }
    return differences;
}

MSG Message(HWND window, UINT message, WPARAM wParam)
{
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    return msg;
}

LPARAM AtButton(int button)
{
    return MAKELPARAM(button * 25 + 12, 12);
}

// Closes the menu being tracked once the pump runs.
void CloseMenuSoon()
{
    ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
}

} // namespace

TEST_F(WebTest, TheStripPaintsEachButtonFromItsStateRow)
{
    ASSERT_TRUE(CreateWeb());
    web.SetTBBkColor(kStrip);
    web.SetKxToolBarVisable(TRUE);
    EXPECT_EQ(fake.objectRect.top, 25); // the page moved below the strip
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_NAVIGATEFORWARD), Flag(false)});
    web.SendMessage(WM_MOUSEMOVE, 0, AtButton(2));            // stop: hot
    web.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, AtButton(2)); // stop: hot and pressed

    testsupport::DibSurface surface(400, 30, RGB(1, 2, 3));
    web.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    const ToolbarBitmap bitmap;
    EXPECT_EQ(CellDifferences(surface, bitmap, 0, 0, 0), 0); // back: normal
    EXPECT_EQ(CellDifferences(surface, bitmap, 1, 2, 0), 0); // forward: disabled
    EXPECT_EQ(CellDifferences(surface, bitmap, 2, 1, 1), 0); // stop: hot row, one pixel right and down
    EXPECT_EQ(surface.pixel(2 * 25, 10), kStrip);            // the strip shows where the pressed cell moved from
    EXPECT_EQ(CellDifferences(surface, bitmap, 4, 0, 0), 0);
    EXPECT_EQ(surface.count(kStrip, RECT{125, 0, 400, 25}), 275 * 25); // the rest of the strip
    web.SendMessage(WM_LBUTTONUP, 0, AtButton(2));

    web.SetKxToolBarVisable(FALSE);
    EXPECT_EQ(fake.objectRect.top, 0);
}

TEST_F(WebTest, ButtonsFollowTheMouse)
{
    ASSERT_TRUE(CreateWeb());
    web.SetKxToolBarVisable(TRUE);
    fake.calls.clear();
    web.SendMessage(WM_MOUSEMOVE, 0, AtButton(3));
    EXPECT_EQ(web.GetButtonState(3), CWebCtrlWnd::BTN_HOT);
    web.SendMessage(WM_MOUSEMOVE, 0, AtButton(1));
    EXPECT_EQ(web.GetButtonState(3), CWebCtrlWnd::BTN_NORMAL);
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_HOT);

    // Pressed, dragged off and back, released over it: the command runs once.
    web.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, AtButton(1));
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_HOT | CWebCtrlWnd::BTN_PRESSED);
    EXPECT_EQ(::GetCapture(), web.GetSafeHwnd());
    web.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 100));
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_HOT);
    web.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, AtButton(1));
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_HOT | CWebCtrlWnd::BTN_PRESSED);
    web.SendMessage(WM_LBUTTONUP, 0, AtButton(1));
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_HOT);
    EXPECT_EQ(::GetCapture(), nullptr);

    // Released elsewhere: no command.
    web.SendMessage(WM_MOUSEMOVE, 0, AtButton(2));
    web.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, AtButton(2));
    web.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(300, 100));
    EXPECT_EQ(web.GetButtonState(2), CWebCtrlWnd::BTN_NORMAL);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"GoForward"}));

    web.SendMessage(WM_MOUSEMOVE, 0, AtButton(0));
    web.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(web.GetButtonState(0), CWebCtrlWnd::BTN_NORMAL);
}

TEST_F(WebTest, ExtraToolbarsLineUpAfterTheButtons)
{
    ASSERT_TRUE(CreateWeb());
    HWND bars[3];
    for (HWND& bar : bars) {
        bar = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(web.InsertExToolBar(0, bars[0], 60), -1); // the strip is hidden
    web.SetKxToolBarVisable(TRUE);
    EXPECT_EQ(web.InsertExToolBar(0, nullptr, 60), -1);
    EXPECT_EQ(web.InsertExToolBar(-5, bars[0], 60), 0);
    EXPECT_EQ(web.InsertExToolBar(9, bars[1], 30), 1);
    EXPECT_EQ(web.InsertExToolBar(1, bars[2], 20), 1);
    EXPECT_EQ(web.InsertExToolBar(7, bars[0], 60), 2); // listed already: moves to the end
    EXPECT_EQ(::GetParent(bars[0]), web.GetSafeHwnd());
    EXPECT_TRUE(::IsWindowVisible(bars[0]));
    EXPECT_EQ(WindowRectIn(bars[2], web), CRect(125, 0, 145, 25));
    EXPECT_EQ(WindowRectIn(bars[1], web), CRect(145, 0, 175, 25));
    EXPECT_EQ(WindowRectIn(bars[0], web), CRect(175, 0, 235, 25));

    web.DeleteExToolBar(bars[2]);
    EXPECT_FALSE(::IsWindowVisible(bars[2]));
    EXPECT_EQ(WindowRectIn(bars[1], web), CRect(125, 0, 155, 25));
    for (HWND bar : bars) {
        ::DestroyWindow(bar);
    }
}

TEST_F(WebTest, TheClientMenuGetsOneRefreshItemAndRunsIt)
{
    ASSERT_TRUE(CreateWeb());
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, ID_EDIT_COPY, L"复制");
    web.SetMenu(menu);
    fake.commandStatus[OLECMDID_COPY] = OLECMDF_SUPPORTED;

    // The page asks for its menu through the host UI handler: the window gets WM_CONTEXTMENU.
    IDocHostUIHandler* handler = nullptr;
    ASSERT_EQ(fake.site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)), S_OK);
    POINT where{30, 40};
    for (int shown = 0; shown < 2; ++shown) {
        EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &where, nullptr, nullptr), S_OK);
        MSG msg{};
        ASSERT_TRUE(::PeekMessageW(&msg, web, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_NOREMOVE));
        EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(web.GetSafeHwnd()));
        EXPECT_EQ(msg.lParam, MAKELPARAM(30, 40));
        CloseMenuSoon();
        testsupport::PumpPending();
    }
    handler->Release();
    ASSERT_EQ(::GetMenuItemCount(menu), 2);
    wchar_t text[16] = {};
    ::GetMenuStringW(menu, 1, text, 16, MF_BYPOSITION);
    EXPECT_STREQ(text, L"刷新");
    EXPECT_EQ(::GetMenuItemID(menu, 1), 500u);
    EXPECT_EQ(::GetMenuState(menu, ID_EDIT_COPY, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));

    // A menu that has its own refresh entry keeps it alone.
    HMENU own = ::CreatePopupMenu();
    ::AppendMenuW(own, MF_STRING, 77, L"刷新");
    web.SetMenu(own);
    web.PostMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(web.GetSafeHwnd()), MAKELPARAM(30, 40));
    CloseMenuSoon();
    testsupport::PumpPending();
    EXPECT_EQ(::GetMenuItemCount(own), 1);
    ::DestroyMenu(menu);
    ::DestroyMenu(own);
}

TEST_F(WebTest, TheHostUiHandlerAnswersAsAHostWithoutChrome)
{
    ASSERT_TRUE(CreateWeb());
    IDocHostUIHandler* handler = nullptr;
    ASSERT_EQ(fake.site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)), S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    info.dwDoubleClick = 99;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(info.dwDoubleClick, 0u);
    MSG msg{};
    EXPECT_EQ(handler->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);
    EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler->HideUI(), S_OK);
    EXPECT_EQ(handler->UpdateUI(), S_OK);
    EXPECT_EQ(handler->OnDocWindowActivate(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler->ResizeBorder(nullptr, nullptr, FALSE), E_NOTIMPL);
    LPWSTR translated = nullptr;
    EXPECT_EQ(handler->TranslateUrl(0, const_cast<LPWSTR>(L"u"), &translated), E_NOTIMPL);
    handler->Release();
}

struct KeyCase {
    const char* name;
    UINT message;
    WPARAM key;
    const wchar_t* scriptAnswer; // null: the page has no "OnCltKeyPress"
    HRESULT accelerator;
    DWORD pasteStatus;
    LRESULT expected;
    bool scriptAsked;
};

void PrintTo(const KeyCase& given, std::ostream* out)
{
    *out << given.name;
}

class WebKeys : public WebTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(WebKeys, AreRoutedBetweenClientPageAndBrowser)
{
    const KeyCase& key = GetParam();
    FakeDocumentSpec page;
    if (key.scriptAnswer != nullptr) {
        page.functions.push_back({L"OnCltKeyPress", S_OK, VT_BSTR, key.scriptAnswer});
    }
    fake.AddDocument(page);
    fake.acceleratorAnswer = key.accelerator;
    fake.commandStatus[OLECMDID_PASTE] = key.pasteStatus;
    ASSERT_TRUE(CreateWeb());
    MSG msg = Message(fake.pageWindow, key.message, key.key);
    EXPECT_EQ(web.SendMessage(WM_KX_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg)), key.expected);
    ASSERT_EQ(fake.scriptCalls.size(), key.scriptAsked ? 1u : 0u);
    if (key.scriptAsked) {
        EXPECT_EQ(fake.scriptCalls[0].arguments, std::vector<std::wstring>{std::to_wstring(key.key)});
    }
}

constexpr DWORD kPasteOn = OLECMDF_SUPPORTED | OLECMDF_ENABLED;

INSTANTIATE_TEST_SUITE_P(Web, WebKeys,
                         ::testing::Values(KeyCase{"PageUp", WM_KEYDOWN, VK_PRIOR, L"1", S_OK, 0, 2, false},
                                           KeyCase{"PageDown", WM_SYSKEYDOWN, VK_NEXT, L"1", S_OK, 0, 2, false},
                                           KeyCase{"F5", WM_KEYDOWN, VK_F5, L"1", S_OK, 0, 2, false},
                                           KeyCase{"PageTakesKey", WM_KEYDOWN, 'A', L"1", S_FALSE, 0, 1, true},
                                           KeyCase{"PageLeavesKey", WM_KEYDOWN, 'A', L"0", S_FALSE, 0, 0, true},
                                           KeyCase{"CtrlCToBrowser", WM_KEYDOWN, 'C', L"0", S_OK, 0, 1, true},
                                           KeyCase{"NoKeyFunction", WM_KEYDOWN, 'A', nullptr, S_FALSE, 0, 0, false},
                                           KeyCase{"CharInEditField", WM_CHAR, 'a', L"1", S_FALSE, kPasteOn, 2, false},
                                           KeyCase{"CharElsewhere", WM_CHAR, 'a', L"1", S_FALSE, 0, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebTest, F5GoesToTheParentNotToThePage)
{
    ASSERT_TRUE(CreateWeb());
    MSG msg = Message(fake.pageWindow, WM_KEYDOWN, VK_F5);
    EXPECT_TRUE(web.PreTranslateMessage(&msg));
    MSG posted{};
    ASSERT_TRUE(::PeekMessageW(&posted, parent, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(VK_F5));
    EXPECT_FALSE(Called(L"Refresh"));
    MSG other = Message(fake.pageWindow, WM_KEYDOWN, VK_F6);
    EXPECT_FALSE(web.PreTranslateMessage(&other));
}

TEST_F(WebTest, EditDetectionKeepsTheUsersClipboard)
{
    ASSERT_TRUE(CreateWeb());
    const UINT custom = ::RegisterClipboardFormatW(L"KxTestQuote");
    ASSERT_TRUE(::OpenClipboard(parent));
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, 4);
    ::SetClipboardData(custom, data);
    ::CloseClipboard();
    fake.commandStatus[OLECMDID_PASTE] = kPasteOn;

    EXPECT_EQ(web.IsEditMessage(), TRUE);
    ASSERT_TRUE(::OpenClipboard(parent)); // closed again
    EXPECT_TRUE(::IsClipboardFormatAvailable(custom));
    HANDLE text = ::GetClipboardData(CF_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(static_cast<const char*>(::GlobalLock(text)), "A");
    ::GlobalUnlock(text);
    ::EmptyClipboard();
    ::CloseClipboard();

    // Text already there stays as it is.
    ASSERT_TRUE(::OpenClipboard(parent));
    HGLOBAL words = ::GlobalAlloc(GMEM_MOVEABLE, 8);
    memcpy(::GlobalLock(words), L"行情", 6);
    ::GlobalUnlock(words);
    ::SetClipboardData(CF_UNICODETEXT, words);
    ::CloseClipboard();
    fake.commandStatus[OLECMDID_PASTE] = OLECMDF_SUPPORTED;
    EXPECT_EQ(web.IsEditMessage(), FALSE);
    ASSERT_TRUE(::OpenClipboard(parent));
    HANDLE kept = ::GetClipboardData(CF_UNICODETEXT);
    EXPECT_STREQ(static_cast<const wchar_t*>(::GlobalLock(kept)), L"行情");
    ::GlobalUnlock(kept);
    ::CloseClipboard();
}

TEST_F(WebTest, DocumentsTakeHtmlAndPrintCommands)
{
    ASSERT_TRUE(CreateWeb());
    fake.calls.clear();
    web.SetHtml(L"<b>无文档</b>"); // no document yet
    web.OnFilePrint();
    EXPECT_TRUE(fake.calls.empty());
    fake.AddDocument({});
    fake.calls.clear();
    web.SetHtml(L"<b>行情</b>");
    web.SetHtml(nullptr);
    web.OnFilePrint();
    web.OnFilePrintPreview();
    web.OnEditCopy();
    web.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"put_innerHTML <b>行情</b>", L"document Exec 6",
                                                     L"document Exec 7", L"ExecWB 12 2", L"ExecWB 17 2"}));
}

TEST_F(WebTest, CreateAndDestroyCyclesLeakNoHandles)
{
    const auto cycle = [this] {
        CWebCtrlWnd cycled;
        ASSERT_TRUE(cycled.Create(nullptr, L"web", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, &parent, 3));
        cycled.SetKxToolBarVisable(TRUE);
        testsupport::DibSurface surface(300, 30);
        cycled.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
        cycled.DestroyWindow();
    };
    cycle(); // the platform makes some objects on first use
    const int gdi = testsupport::GdiObjectCount();
    const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    for (int i = 0; i < 20; ++i) {
        cycle();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), gdi);
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), user);
    EXPECT_EQ(FakeWeb::LiveObjects(), 0);
}
