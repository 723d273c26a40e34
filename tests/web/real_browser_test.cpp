// The platform's own browser control, as the library creates it by default.
#include <util/webctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "support/pump.h"
#include "support/recording_parent.h"

TEST(RealBrowser, IsCreatedAndDestroyedCleanlyOrRefusedCleanly)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    KxEnableControlContainer();
    {
        testsupport::RecordingParent parent;
        for (int cycle = 0; cycle < 2; ++cycle) {
            CWebCtrlWnd web;
            const BOOL created = web.Create(nullptr, L"web", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, &parent, 9);
            EXPECT_EQ(web.IsWindow(), created);
            if (cycle == 0) {
                std::printf("the platform's browser control was %s\n", created ? "created" : "refused");
            }
            if (created) {
                web.Navigate(L"about:blank");
                testsupport::PumpFor(100);
                EXPECT_NE(::GetDlgItem(web, 0xE900), nullptr);
            }
            web.DestroyWindow();
            EXPECT_FALSE(web.IsWindow());
            EXPECT_EQ(::GetWindow(parent, GW_CHILD), nullptr);
        }
    }
    OleUninitialize();
}
