#include <util/module.h>
#include <util/webctrl.h>

#include <exdispid.h>
#include <mshtmhst.h>

#include <gtest/gtest.h>

#include "support/dib.h"
#include "web_fixture.h"

using namespace webtest;

TEST_F(WebTest, TheBrowserIsHostedInPlaceAndEveryReferenceGoesBackOnDestroy)
{
    ASSERT_TRUE(CreateWeb());
    ASSERT_NE(fake.controlWindow, nullptr);
    EXPECT_EQ(::GetParent(fake.controlWindow), web.GetSafeHwnd());
    EXPECT_EQ(::GetDlgCtrlID(fake.controlWindow), 0xE900);
    EXPECT_EQ(CRect(fake.objectRect), CRect(0, 0, 400, 300));
    EXPECT_NE(fake.site, nullptr);
    EXPECT_NE(fake.sink, nullptr);

    web.DestroyWindow();
    EXPECT_EQ(FakeWeb::LiveObjects(), 0);
    EXPECT_EQ(fake.site, nullptr);
    EXPECT_EQ(fake.sink, nullptr);
    const std::vector<std::wstring> teardown(fake.calls.end() - 4, fake.calls.end());
    EXPECT_EQ(teardown,
              (std::vector<std::wstring>{L"Unadvise 7", L"InPlaceDeactivate", L"Close", L"SetClientSite null"}));
}

struct CreationFailure {
    const char* name;
    HRESULT factory;
    bool webBrowser2;
    bool events;
};

void PrintTo(const CreationFailure& given, std::ostream* out)
{
    *out << given.name;
}

class WebCreationFailure : public WebTest, public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(WebCreationFailure, DestroysTheWindowAndHoldsNothing)
{
    fake.createResult = GetParam().factory;
    fake.offersWebBrowser2 = GetParam().webBrowser2;
    fake.offersEvents = GetParam().events;
    EXPECT_FALSE(CreateWeb());
    EXPECT_FALSE(web.IsWindow());
    EXPECT_EQ(FakeWeb::LiveObjects(), 0);
    EXPECT_EQ(fake.site, nullptr);
    EXPECT_EQ(web.GetLocationURL(), CString());
}

INSTANTIATE_TEST_SUITE_P(Web, WebCreationFailure,
                         ::testing::Values(CreationFailure{"NoControl", REGDB_E_CLASSNOTREG, true, true},
                                           CreationFailure{"NoWebBrowser2", S_OK, false, true},
                                           CreationFailure{"NoEvents", S_OK, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebTest, WrappersForwardToTheBrowserAndConvert)
{
    EXPECT_EQ(web.GetLeft(), 0); // no browser yet
    ASSERT_TRUE(CreateWeb());
    EXPECT_EQ(web.GetLeft(), 11);
    EXPECT_EQ(web.GetTop(), 22);
    EXPECT_EQ(web.GetHeight(), 33);
    EXPECT_EQ(web.GetToolBar(), 1);
    EXPECT_TRUE(web.GetBusy());
    EXPECT_FALSE(web.GetOffline());
    EXPECT_EQ(web.GetReadyState(), READYSTATE_INTERACTIVE);
    EXPECT_EQ(web.GetLocationName(), CString(L"行情首页"));
    EXPECT_FALSE(web.GetSilent()); // the browser fails: the fallback
    CString value;
    EXPECT_TRUE(web.GetProperty(L"known", value));
    EXPECT_EQ(value, CString(L"42"));
    value = L"untouched";
    EXPECT_FALSE(web.GetProperty(L"missing", value));
    EXPECT_EQ(value, CString(L"untouched"));

    fake.calls.clear();
    web.SetVisible(TRUE);
    web.SetSilent(FALSE);
    web.SetHeight(120);
    web.SetToolBar(0);
    web.PutProperty(L"k", 5L);
    web.PutProperty(L"s", L"值");
    web.GoBack();
    web.GoForward();
    web.GoHome();
    web.Stop();
    web.Refresh2(3);
    const std::vector<std::wstring> expected{L"put_Visible -1", L"put_Silent 0",    L"put_Height 120",
                                             L"put_ToolBar 0",  L"PutProperty k 5", L"PutProperty s 值",
                                             L"GoBack",         L"GoForward",       L"GoHome",
                                             L"Stop",           L"Refresh2 3"};
    EXPECT_EQ(fake.calls, expected);
}

TEST_F(WebTest, TheFirstNavigationSetsTheHomeUrl)
{
    ASSERT_TRUE(CreateWeb());
    fake.calls.clear();
    const char post[] = {'a', '=', '1'};
    web.Navigate(L"http://hq.example/a", 2, L"main", L"X-A: 1", post, 3);
    web.Navigate2(L"http://hq.example/b");
    EXPECT_EQ(web.GetHomeURL(), CString(L"http://hq.example/a"));
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"Navigate http://hq.example/a 2 main bytes:3 X-A: 1",
                                                     L"Navigate2 http://hq.example/b 0 - - -"}));

    fake.calls.clear();
    ASSERT_TRUE(web.LoadFromResource(L"news.htm"));
    ASSERT_TRUE(web.LoadFromResource(200u));
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(AfxGetResourceHandle(), path, MAX_PATH);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{std::wstring(L"Navigate res://") + path + L"/news.htm 0 - - -",
                                                     std::wstring(L"Navigate res://") + path + L"/200 0 - - -"}));
}

TEST_F(WebTest, TheHomeButtonGoesBackToTheFirstPage)
{
    ASSERT_TRUE(CreateWeb());
    web.SetKxToolBarVisable(TRUE);
    web.Navigate(L"http://hq.example/home");
    web.Navigate(L"http://hq.example/other");
    fake.calls.clear();
    const LPARAM home = MAKELPARAM(4 * 25 + 12, 12);
    web.SendMessage(WM_MOUSEMOVE, 0, home);
    web.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, home);
    web.SendMessage(WM_LBUTTONUP, 0, home);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"Navigate http://hq.example/home 0 - - -"}));
}

struct EventCase {
    const char* name;
    DISPID id;
    std::vector<VARIANT> (*arguments)();
    DWORD notified;
    const wchar_t* text;
};

void PrintTo(const EventCase& given, std::ostream* out)
{
    *out << given.name;
}

class WebEvents : public WebTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(WebEvents, ReachTheParentAsNotifications)
{
    ASSERT_TRUE(CreateWeb());
    fake.locationURL = L"http://hq.example/";
    ASSERT_EQ(fake.Fire(GetParam().id, GetParam().arguments()), S_OK);
    ASSERT_EQ(parent.events.size(), 1u);
    EXPECT_EQ(parent.events[0].id, GetParam().notified);
    EXPECT_EQ(parent.events[0].text, GetParam().text);
    const auto notifications = parent.Notifications(KXWN_BROWSEREVENT);
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].id, 1234u);
    EXPECT_EQ(notifications[0].from, web.GetSafeHwnd());
}

VARIANT g_url;

INSTANTIATE_TEST_SUITE_P(
    Web, WebEvents,
    ::testing::Values(
        EventCase{"StatusText", DISPID_STATUSTEXTCHANGE, [] { return std::vector<VARIANT>{Text(L"完成")}; }, 102,
                  L"完成"},
        EventCase{"Progress", DISPID_PROGRESSCHANGE,
                  [] {
                      return std::vector<VARIANT>{Number(30), Number(100)};
                  },
                  108, L"30"},
        EventCase{"CommandState", DISPID_COMMANDSTATECHANGE,
                  [] {
                      return std::vector<VARIANT>{Number(2), Flag(true)};
                  },
                  105, L"2"},
        EventCase{"DownloadBegin", DISPID_DOWNLOADBEGIN, [] { return std::vector<VARIANT>{}; }, 106, L""},
        EventCase{"DownloadComplete", DISPID_DOWNLOADCOMPLETE, [] { return std::vector<VARIANT>{}; }, 104, L""},
        EventCase{"Title", DISPID_TITLECHANGE, [] { return std::vector<VARIANT>{Text(L"资讯")}; }, 113, L"资讯"},
        EventCase{"Property", DISPID_PROPERTYCHANGE, [] { return std::vector<VARIANT>{Text(L"p")}; }, 112, L"p"},
        EventCase{"NavigateComplete", DISPID_NAVIGATECOMPLETE2,
                  [] {
                      g_url = Text(L"HTTP://hq.example/");
                      return std::vector<VARIANT>{Dispatch(nullptr), ByRef(&g_url)};
                  },
                  252, L"HTTP://hq.example/"},
        EventCase{"DocumentComplete", DISPID_DOCUMENTCOMPLETE,
                  [] {
                      g_url = Text(L"http://hq.example/f");
                      return std::vector<VARIANT>{Dispatch(nullptr), ByRef(&g_url)};
                  },
                  259, L"http://hq.example/f"},
        EventCase{"NewWindow2", DISPID_NEWWINDOW2,
                  [] {
                      static IDispatch* created = nullptr;
                      static VARIANT_BOOL cancel = VARIANT_FALSE;
                      return std::vector<VARIANT>{DispatchRef(&created), CancelRef(&cancel)};
                  },
                  251, L"?"},
        EventCase{"Quit", DISPID_ONQUIT, [] { return std::vector<VARIANT>{}; }, 253, L""},
        EventCase{"Visible", DISPID_ONVISIBLE, [] { return std::vector<VARIANT>{Flag(true)}; }, 254, L"1"},
        EventCase{"ToolBar", DISPID_ONTOOLBAR, [] { return std::vector<VARIANT>{Flag(false)}; }, 255, L"0"},
        EventCase{"MenuBar", DISPID_ONMENUBAR, [] { return std::vector<VARIANT>{Flag(true)}; }, 256, L"1"},
        EventCase{"StatusBar", DISPID_ONSTATUSBAR, [] { return std::vector<VARIANT>{Flag(true)}; }, 257, L"1"},
        EventCase{"FullScreen", DISPID_ONFULLSCREEN, [] { return std::vector<VARIANT>{Flag(true)}; }, 258, L"1"},
        EventCase{"TheaterMode", DISPID_ONTHEATERMODE, [] { return std::vector<VARIANT>{Flag(true)}; }, 260, L"1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebTest, PostedUrlsStayReadableAfterLaterEvents)
{
    ASSERT_TRUE(CreateWeb());
    fake.locationURL = L"http://hq.example/top";
    VARIANT top = Text(L"http://hq.example/top");
    VARIANT frame = Text(L"http://ads.example/frame");
    VARIANT blank = Text(L"about:blank");
    fake.Fire(DISPID_NAVIGATECOMPLETE2, {Dispatch(nullptr), ByRef(&frame)});
    fake.Fire(DISPID_NAVIGATECOMPLETE2, {Dispatch(nullptr), ByRef(&top)});
    fake.locationURL = L"about:blank";
    fake.Fire(DISPID_NAVIGATECOMPLETE2, {Dispatch(nullptr), ByRef(&blank)});
    fake.Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(nullptr), ByRef(&frame)});
    fake.Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(nullptr), ByRef(&top)});
    fake.Fire(DISPID_DOWNLOADCOMPLETE, {});
    testsupport::PumpPending();

    // Only the page's own address counts as navigated; every document completes.
    const auto navigated = parent.Messages(WM_KX_WEB_NAVIGATED);
    ASSERT_EQ(navigated.size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(navigated[0].lParam), L"http://hq.example/top");
    EXPECT_EQ(navigated[0].wParam, reinterpret_cast<WPARAM>(web.GetSafeHwnd()));
    const auto completed = parent.Messages(WM_KX_WEB_COMPLETE);
    ASSERT_EQ(completed.size(), 3u);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(completed[0].lParam), L"http://ads.example/frame");
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(completed[1].lParam), L"http://hq.example/top");
    EXPECT_EQ(completed[2].lParam, 0);
    VariantClear(&top);
    VariantClear(&frame);
    VariantClear(&blank);
}

TEST_F(WebTest, TheParentDecidesBeforeNavigation)
{
    ASSERT_TRUE(CreateWeb());
    VARIANT url = Text(L"http://hq.example/order");
    VARIANT flags = Number(0);
    VARIANT target;
    VariantInit(&target);
    VARIANT headers;
    VariantInit(&headers);
    const BYTE bytes[] = {1, 2, 3, 4};
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    memcpy(data, bytes, 4);
    SafeArrayUnaccessData(array);
    VARIANT post;
    post.vt = VT_ARRAY | VT_UI1;
    post.parray = array;
    const auto fire = [&](VARIANT_BOOL* cancel) {
        fake.Fire(DISPID_BEFORENAVIGATE2, {Dispatch(nullptr), ByRef(&url), ByRef(&flags), ByRef(&target), ByRef(&post),
                                           ByRef(&headers), CancelRef(cancel)});
    };

    VARIANT_BOOL cancel = VARIANT_TRUE;
    fire(&cancel);
    EXPECT_EQ(cancel, VARIANT_FALSE);
    ASSERT_EQ(parent.events.size(), 1u);
    EXPECT_EQ(parent.events[0].id, 250u);
    EXPECT_EQ(parent.events[0].text, L"http://hq.example/order");
    ASSERT_EQ(parent.Messages(WM_KX_WEB_BEFORENAVIGATE).size(), 1u);

    // A parent that takes the navigation over stops the browser's.
    parent.SetAnswer(WM_KX_WEB_BEFORENAVIGATE, 1);
    cancel = VARIANT_FALSE;
    fire(&cancel);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(parent.events.size(), 1u);
    VariantClear(&url);
    VariantClear(&post);
}

TEST_F(WebTest, PostDataReachesTheHandler)
{
    struct PostWeb : CWebCtrlWnd {
        void OnBeforeNavigate2(const wchar_t*, DWORD flags, const wchar_t* target, const CByteArray& postData,
                               const wchar_t* headers, BOOL* cancel) override
        {
            seen = std::to_wstring(flags) + L"|" + target + L"|" + std::to_wstring(postData.GetSize()) + L"|" + headers;
            *cancel = TRUE;
        }
        std::wstring seen;
    } posting;
    ASSERT_TRUE(posting.Create(nullptr, L"web", WS_CHILD, RECT{0, 0, 100, 100}, &parent, 5));
    VARIANT url = Text(L"u");
    VARIANT flags = Number(64);
    VARIANT target = Text(L"_self");
    VARIANT headers = Text(L"H: 1");
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 6);
    VARIANT post;
    post.vt = VT_BYREF | VT_ARRAY | VT_UI1;
    post.pparray = &array;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    fake.Fire(DISPID_BEFORENAVIGATE2, {Dispatch(nullptr), ByRef(&url), ByRef(&flags), ByRef(&target), ByRef(&post),
                                       ByRef(&headers), CancelRef(&cancel)});
    EXPECT_EQ(posting.seen, L"64|_self|6|H: 1");
    EXPECT_EQ(cancel, VARIANT_TRUE);
    posting.DestroyWindow();
    SafeArrayDestroy(array);
    for (VARIANT* value : {&url, &target, &headers}) {
        VariantClear(value);
    }
}

TEST_F(WebTest, NewWindowsOpenInThisWindowOnlyWithTheToolbar)
{
    ASSERT_TRUE(CreateWeb());
    for (const bool toolbar : {false, true}) {
        web.SetKxToolBarVisable(toolbar);
        fake.calls.clear();
        IDispatch* created = nullptr;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        fake.Fire(DISPID_NEWWINDOW3, {DispatchRef(&created), CancelRef(&cancel), Number(0), Text(L"http://hq.example/"),
                                      Text(L"http://hq.example/popup")});
        testsupport::PumpPending();
        EXPECT_EQ(cancel, toolbar ? VARIANT_TRUE : VARIANT_FALSE);
        EXPECT_EQ(Called(L"Navigate http://hq.example/popup 0 - - -"), toolbar);
    }
    EXPECT_TRUE(parent.events.empty());
}

TEST_F(WebTest, CommandStateEnablesBackAndForwardWhileTheToolbarShows)
{
    ASSERT_TRUE(CreateWeb());
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_NAVIGATEBACK), Flag(false)});
    EXPECT_EQ(web.GetButtonState(0), CWebCtrlWnd::BTN_NORMAL);
    web.SetKxToolBarVisable(TRUE);
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_NAVIGATEBACK), Flag(false)});
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_NAVIGATEFORWARD), Flag(false)});
    EXPECT_EQ(web.GetButtonState(0), CWebCtrlWnd::BTN_DISABLED);
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_DISABLED);
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_NAVIGATEFORWARD), Flag(true)});
    fake.Fire(DISPID_COMMANDSTATECHANGE, {Number(CSC_UPDATECOMMANDS), Flag(true)});
    EXPECT_EQ(web.GetButtonState(0), CWebCtrlWnd::BTN_DISABLED);
    EXPECT_EQ(web.GetButtonState(1), CWebCtrlWnd::BTN_NORMAL);
    // A disabled button ignores the mouse.
    web.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
    web.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    EXPECT_EQ(web.GetButtonState(0), CWebCtrlWnd::BTN_DISABLED);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WebTest, FocusGoesToThePageEvenBehindStripWindows)
{
    ASSERT_TRUE(CreateWeb());
    web.SetKxToolBarVisable(TRUE);
    HWND strip = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
    ASSERT_EQ(web.InsertExToolBar(0, strip, 40), 0); // now in front of the browser among the children
    ASSERT_EQ(::GetWindow(web, GW_CHILD), strip);
    ::SetForegroundWindow(parent);
    ::SetFocus(web);
    EXPECT_EQ(::GetFocus(), fake.pageWindow);
    ::DestroyWindow(strip);
}
