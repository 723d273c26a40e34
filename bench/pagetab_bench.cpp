// Page tab: layout and paint of a strip with arrows, and scrolling to its last tab, for 20 and 200
// tabs measured side by side; both should grow linearly with the tabs.
#include <util/pagetab.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "paint_timing.h"

namespace {

using paint_timing::MicrosecondsPerCall;

constexpr double kTargetRatio = 12.0; // 200 tabs against 20: within 12 times

// A strip of caption tabs in a hidden pop-up, painted into a memory bitmap.
class Strip {
public:
    explicit Strip(int tabs)
    {
        m_host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 40, nullptr, nullptr, nullptr, nullptr);
        m_tab.Create(KXPTS_CAPTION, RECT{0, 0, 600, 24}, CWnd::FromHandle(m_host), 1, KXPTO_TOP);
        m_tab.KXSetRedraw(false);
        for (int i = 0; i < tabs; ++i) {
            m_tab.InsertItem(-1, (L"\u6caa\u6df1 " + std::to_wstring(i)).c_str(), nullptr);
        }
        m_screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(m_screen);
        m_bitmap = CreateCompatibleBitmap(m_screen, 600, 24);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Strip()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
        ReleaseDC(nullptr, m_screen);
        m_tab.DestroyWindow();
        DestroyWindow(m_host);
    }
    Strip(const Strip&) = delete;
    Strip& operator=(const Strip&) = delete;

    void LayoutAndPaint()
    {
        m_tab.RecalcLayout();
        m_tab.PaintPageTab(m_dc, 1);
    }
    void ScrollToEnd()
    {
        m_tab.SetFirstVisbleIdx(0);
        m_tab.RecalcLayout();
        m_tab.EnsureVisible(m_tab.GetItemCount() - 1);
    }

private:
    HWND m_host = nullptr;
    CKxPageTab m_tab;
    HDC m_screen = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

void Compare(const char* what, const std::function<void(Strip&)>& operation)
{
    Strip few(20), many(200);
    const double small = MicrosecondsPerCall(20, [&](int) { operation(few); });
    const double large = MicrosecondsPerCall(20, [&](int) { operation(many); });
    std::printf("%-28s 20 tabs %9.1f us   200 tabs %9.1f us   ratio %5.2f (target <= %.0f)\n", what, small, large,
                large / small, kTargetRatio);
}

} // namespace

int main()
{
    std::printf("page tab, time per call\n");
    Compare("layout and paint", [](Strip& strip) { strip.LayoutAndPaint(); });
    Compare("EnsureVisible(last)", [](Strip& strip) { strip.ScrollToEnd(); });
    return 0;
}
