#pragma once

// A web window over the fake browser, inside a parent that records what the window reports.
#include <util/webctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_web.h"
#include "support/pump.h"
#include "support/recording_parent.h"

namespace webtest {

// A parent that also reads each browser notification's arguments while they are valid.
class WebParent : public testsupport::RecordingParent {
public:
    struct Event {
        DWORD id;
        std::wstring text; // the first text argument, or the first number or flag as text
    };
    std::vector<Event> events;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* notify = reinterpret_cast<const tagWebNotify*>(lParam);
        if (notify->hdr.code == KXWN_BROWSEREVENT) {
            events.push_back({notify->dwEvent, Describe(*notify)});
        }
        return RecordingParent::OnNotify(wParam, lParam, result);
    }

private:
    static std::wstring Describe(const tagWebNotify& notify)
    {
        switch (notify.dwEvent) {
        case 102:
        case 112:
        case 113:
        case 250:
        case 252:
        case 259:
            return static_cast<const wchar_t*>(notify.args[0]);
        case 105:
        case 108:
            return std::to_wstring(*static_cast<const long*>(notify.args[0]));
        case 254:
        case 255:
        case 256:
        case 257:
        case 258:
        case 260:
            return std::to_wstring(*static_cast<const BOOL*>(notify.args[0]));
        default:
            return notify.args == nullptr ? L"" : L"?";
        }
    }
};

class WebTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override
    {
        web.DestroyWindow();
        EXPECT_EQ(FakeWeb::LiveObjects(), 0);
        OleUninitialize();
    }

    BOOL CreateWeb() { return web.Create(nullptr, L"web", WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, &parent, 1234); }
    bool Called(const std::wstring& call) const
    {
        for (const std::wstring& made : fake.calls) {
            if (made == call) {
                return true;
            }
        }
        return false;
    }

    FakeWeb fake;
    WebParent parent;
    CWebCtrlWnd web;
};

} // namespace webtest
