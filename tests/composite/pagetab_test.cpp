#include <util/kxmsg.h>
#include <util/pagetab.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tabtip_helpers.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/recording_parent.h"

using compositetest::At;
using compositetest::Centre;
using compositetest::SameRect;
using compositetest::SolidIcon;
using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

constexpr UINT kId = 77;
constexpr COLORREF kStrip = RGB(10, 20, 30);
constexpr COLORREF kBack = RGB(40, 50, 60);
constexpr COLORREF kSelBack = RGB(200, 210, 220);
constexpr COLORREF kHoverBack = RGB(90, 160, 90);

// A page tab whose layout state the tests read.
class TabUnderTest : public CKxPageTab {
public:
    using CKxPageTab::m_bAtEnd;
    using CKxPageTab::m_bSpinShow;
    using CKxPageTab::m_nLastVisible;
    using CKxPageTab::m_rcFirstArrow;
    using CKxPageTab::m_rcSecondArrow;
};

// A parent that paints the background its children ask for when given a colour.
class BackgroundParent : public RecordingParent {
public:
    BackgroundParent() : RecordingParent(400, 300) {}

    COLORREF background = CLR_INVALID;
    RECT asked = {};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KX_PAINTBK && background != CLR_INVALID) {
            asked = *reinterpret_cast<const RECT*>(lParam);
            const RECT area = {0, 0, asked.right - asked.left, asked.bottom - asked.top};
            HBRUSH brush = CreateSolidBrush(background);
            FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
            DeleteObject(brush);
            return 1;
        }
        return RecordingParent::WindowProc(message, wParam, lParam);
    }
};

// A strip of fixed-width caption tabs (50 pixels, neighbours sharing a border line) in a recording parent.
struct Strip {
    explicit Strip(DWORD style = KXPTS_CAPTION | KXPTS_FIXWIDTH, RECT rect = {0, 0, 300, 24},
                   DWORD orientation = KXPTO_TOP, int tabs = 0)
    {
        parent.ExpectRecord<tagTabNotify>(KXPTN_ICONCLICK);
        parent.ExpectRecord<tagTabNotify>(KXPTN_RCLICK);
        parent.ExpectRecord<tagTabNotify>(KXPTN_SELCHANGE);
        tab.Create(style, rect, &parent, kId, orientation);
        tab.SetFixItemWidth(50);
        Add(tabs);
    }
    void Add(int count)
    {
        for (int i = 0; i < count; ++i) {
            tab.InsertItem(-1, (L"tab " + std::to_wstring(tab.GetItemCount())).c_str(), nullptr);
        }
    }
    std::vector<tagTabNotify> Sent(UINT code) const
    {
        std::vector<tagTabNotify> records;
        for (const auto& message : parent.Notifications(static_cast<int>(code))) {
            records.push_back(message.As<tagTabNotify>());
        }
        return records;
    }
    void Press(POINT point) { tab.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(point)); }
    void Click(POINT point)
    {
        Press(point);
        tab.SendMessage(WM_LBUTTONUP, 0, At(point));
    }
    void Paint(DibSurface& surface) { tab.PaintPageTab(surface.dc(), 1); }

    BackgroundParent parent;
    TabUnderTest tab;
};

} // namespace

// ---- layout ----

struct LayoutCase {
    const char* name;
    DWORD style;
    DWORD orientation;
    RECT client;
    std::function<void(CKxPageTab&)> setUp;
    int tabs;
    int lastVisible;
    RECT first;
    RECT last;
};

class PageTabLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(PageTabLayout, PlacesTheFirstAndLastVisibleTab)
{
    const LayoutCase& c = GetParam();
    Strip strip(c.style, c.client, c.orientation);
    if (c.setUp) {
        c.setUp(strip.tab);
    }
    SolidIcon icon(16, RGB(200, 0, 0));
    for (int i = 0; i < c.tabs; ++i) {
        strip.tab.InsertItem(-1, L"quote", icon);
    }
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 0);
    EXPECT_EQ(strip.tab.m_nLastVisible, c.lastVisible);
    EXPECT_PRED2(SameRect, strip.tab.GetItemRect(0), c.first);
    EXPECT_PRED2(SameRect, strip.tab.GetItemRect(c.lastVisible), c.last);
    // Tabs beyond the last visible one have no place.
    EXPECT_TRUE(strip.tab.GetItemRect(c.lastVisible + 1).IsRectEmpty());
}

const LayoutCase kLayouts[] = {
    // Arrows at both ends take 4 + 11 from each end: 270 pixels hold five tabs of 50 less a shared line.
    {"ArrowsAtBothEnds",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     nullptr,
     8,
     4,
     {15, 0, 65, 24},
     {211, 0, 261, 24}},
    {"TopHugging",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) { t.SetItemHeight(20); },
     8,
     4,
     {15, 0, 65, 20},
     {211, 0, 261, 20}},
    {"BottomHugging",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     0,
     {0, 0, 300, 24},
     [](CKxPageTab& t) { t.SetItemHeight(20); },
     8,
     4,
     {15, 4, 65, 24},
     {211, 4, 261, 24}},
    // Arrows at the end take 2 x 4 + 18 from the right.
    {"ArrowsAtTheEnd",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) { t.SetSpinStyle(2); },
     8,
     4,
     {0, 0, 50, 24},
     {196, 0, 246, 24}},
    // Inactive arrows take no room; the last tab is cut back to the first arrow.
    {"InactiveArrowsCutTheLastTab",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) { t.SetSpinStyle(1); },
     8,
     5,
     {0, 0, 50, 24},
     {245, 0, 280, 24}},
    {"NoArrows",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) { t.SetSpinShow(false); },
     8,
     5,
     {0, 0, 50, 24},
     {245, 0, 295, 24}},
    {"LeftDepartAndGap",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) {
         t.SetSpinShow(false);
         t.SetLeftDepart(10);
         t.SetDepart(2);
     },
     8,
     4,
     {10, 0, 60, 24},
     {218, 0, 268, 24}},
    {"Vertical",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_VERT,
     {0, 0, 60, 300},
     nullptr,
     8,
     4,
     {0, 15, 60, 65},
     {0, 211, 60, 261}},
    // Icon-and-caption tabs stacked on the left edge, as thick as the item height.
    {"VerticalOnTheLeft",
     KXPTS_ICONCAPTION | KXPTS_FIXWIDTH,
     KXPTO_VERT | KXPTO_LEFT,
     {0, 0, 60, 300},
     [](CKxPageTab& t) { t.SetItemHeight(40); },
     8,
     4,
     {0, 15, 40, 65},
     {0, 211, 40, 261}},
    // Icons: as wide as the icon plus 2, as high as the icon, 2 pixels above the strip's bottom.
    {"Icons", KXPTS_ICON, KXPTO_TOP, {0, 0, 100, 24}, nullptr, 8, 3, {15, 6, 33, 22}, {66, 6, 84, 22}},
    // Equal width: the widest caption plus the addition width; a fixed count divides the strip.
    {"FixedCount",
     KXPTS_CAPTION | KXPTS_FIXCOUNT,
     KXPTO_TOP,
     {0, 0, 300, 24},
     [](CKxPageTab& t) {
         t.SetSpinShow(false);
         t.SetFixItemWidth(100);
         t.SetFixCount(4);
     },
     8,
     3,
     {1, 0, 75, 24},
     {220, 0, 294, 24}},
    // Page client mode: the strip is the top band of the page item height.
    {"PageClient",
     KXPTS_CAPTION | KXPTS_FIXWIDTH,
     KXPTO_TOP,
     {0, 0, 300, 200},
     [](CKxPageTab& t) { t.SetPageTabClient(1); },
     8,
     4,
     {15, 0, 65, 22},
     {211, 0, 261, 22}},
};

INSTANTIATE_TEST_SUITE_P(Styles, PageTabLayout, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(PageTab, ArrowStyleThreeShowsArrowsExactlyWhileTabsAreHidden)
{
    Strip strip;
    strip.tab.SetSpinStyle(3);
    // Without arrows 300 pixels hold six tabs; with them (26 pixels less) five, so six tabs keep the
    // arrows they needed at seven.
    const struct {
        int count;
        bool arrows;
        int visible;
    } steps[] = {{5, false, 5}, {6, false, 6}, {7, true, 5}, {12, true, 5}, {6, true, 5}, {5, false, 5}, {1, false, 1}};
    for (const auto& step : steps) {
        while (strip.tab.GetItemCount() < step.count) {
            strip.Add(1);
        }
        while (strip.tab.GetItemCount() > step.count) {
            strip.tab.DeleteItem(strip.tab.GetItemCount() - 1, false);
        }
        EXPECT_EQ(strip.tab.m_bSpinShow, step.arrows) << step.count << " tabs";
        EXPECT_EQ(strip.tab.GetVisibleItemCount(), step.visible) << step.count << " tabs";
    }
    // Scrolled to the end, then given room: the strip scrolls back to the first tab.
    strip.Add(11);
    strip.tab.EnsureVisible(11);
    EXPECT_GT(strip.tab.GetFisrtVisbleIdx(), 0);
    strip.tab.MoveWindow(0, 0, 700, 24);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 0);
    EXPECT_FALSE(strip.tab.m_bSpinShow);
}

TEST(PageTab, EnsureVisibleScrollsEitherWayAndAllItemWidthCountsTheArrows)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 30);
    EXPECT_EQ(strip.tab.GetAllItemWidth(), 30 * 50 + 2 * 4 + 24);
    EXPECT_EQ(strip.tab.GetSpinSize(), CSize(4, 24));
    strip.tab.EnsureVisible(29);
    EXPECT_EQ(strip.tab.m_nLastVisible, 29);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 25);
    EXPECT_TRUE(strip.tab.m_bAtEnd);
    strip.tab.EnsureVisible(3);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 3);
    strip.tab.EnsureVisible(99); // ignored
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 3);
}

// ---- tabs, selection and notifications ----

struct NotifyCase {
    const char* name;
    std::function<void(CKxPageTab&)> action;
    int selection;
    int oldSelection;
    std::vector<int> notified; // items of code 4, in order
};

class PageTabSelection : public testing::TestWithParam<NotifyCase> {};

TEST_P(PageTabSelection, MovesTheSelectionAndNotifies)
{
    const NotifyCase& c = GetParam();
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 3);
    strip.tab.SetCurSel(1, false);
    strip.parent.clear();
    c.action(strip.tab);
    EXPECT_EQ(strip.tab.GetCurSel(), c.selection);
    EXPECT_EQ(strip.tab.GetOldSel(), c.oldSelection);
    std::vector<int> items;
    for (const tagTabNotify& record : strip.Sent(KXPTN_SELCHANGE)) {
        EXPECT_EQ(record.hdr.hwndFrom, strip.tab.GetSafeHwnd());
        EXPECT_EQ(record.hdr.idFrom, kId);
        EXPECT_EQ(record.nPart, KXPTP_NONE);
        EXPECT_EQ(record.pt.x, 0);
        items.push_back(record.nItem);
    }
    EXPECT_EQ(items, c.notified);
}

const NotifyCase kSelections[] = {
    {"InsertBeforeSelection", [](CKxPageTab& t) { t.InsertItem(0, L"new", nullptr); }, 2, 1, {2}},
    {"InsertAtSelection", [](CKxPageTab& t) { t.InsertItem(1, L"new", nullptr); }, 2, 1, {2}},
    {"InsertAfterSelection", [](CKxPageTab& t) { t.InsertItem(2, L"new", nullptr); }, 1, -1, {}},
    {"DeleteBeforeSelection", [](CKxPageTab& t) { t.DeleteItem(0, true); }, 0, 1, {0}},
    {"DeleteSelectedInTheMiddle", [](CKxPageTab& t) { t.DeleteItem(1, true); }, 1, 1, {1}},
    {"DeleteAfterSelection", [](CKxPageTab& t) { t.DeleteItem(2, true); }, 1, -1, {}},
    {"DeleteQuietly", [](CKxPageTab& t) { t.DeleteItem(0, false); }, 0, 1, {}},
    {"DeleteSelectedLast",
     [](CKxPageTab& t) {
         t.SetCurSel(2, false);
         t.DeleteItem(2, true);
     },
     1,
     2,
     {1}},
    {"DeleteEveryTab",
     [](CKxPageTab& t) {
         t.DeleteItem(0, true);
         t.DeleteItem(0, true);
         t.DeleteItem(0, true);
     },
     -1,
     0,
     {0, 0}},
    {"SetCurSel", [](CKxPageTab& t) { EXPECT_EQ(t.SetCurSel(2, true), 0); }, 2, 1, {2}},
    {"SetCurSelOutOfRange", [](CKxPageTab& t) { EXPECT_EQ(t.SetCurSel(3, true), -1); }, 1, -1, {}},
    {"HideSelection", [](CKxPageTab& t) { t.SetItemShowSel(false); }, -1, 1, {}},
    {"DeleteAll", [](CKxPageTab& t) { t.DeleteAllItems(); }, -1, -1, {}},
    {"BadIndexes",
     [](CKxPageTab& t) {
         EXPECT_EQ(t.DeleteItem(-1, true), -1);
         EXPECT_EQ(t.DeleteItem(3, true), -1);
         EXPECT_EQ(t.SetItemData(5, 1), -1);
         EXPECT_EQ(t.GetItemData(5), 0u);
         EXPECT_EQ(t.SetItemTooltipText(-2, L"x"), -1);
         std::wstring text = L"left over";
         EXPECT_EQ(t.GetItemText(9, text), 0);
         EXPECT_TRUE(text.empty());
     },
     1,
     -1,
     {}},
};

INSTANTIATE_TEST_SUITE_P(Changes, PageTabSelection, testing::ValuesIn(kSelections),
                         [](const testing::TestParamInfo<NotifyCase>& info) { return info.param.name; });

TEST(PageTab, ResetItemsKeepsTheLastSelectedEntryAndCutsLongTexts)
{
    Strip strip;
    const std::wstring longCaption(40, L'股');
    tagTabItems items[] = {{0, L"自选股", nullptr, true, 11, false, L"my list"},
                           {0, longCaption.c_str(), nullptr, true, 22, true, nullptr},
                           {0, nullptr, nullptr, false, 33, false, nullptr}};
    EXPECT_EQ(strip.tab.ReSetItems(items, 3), 3);
    EXPECT_EQ(strip.tab.GetCurSel(), 1);
    EXPECT_EQ(strip.tab.GetOldSel(), -1);
    EXPECT_EQ(strip.tab.GetItemData(2), 33u);
    std::wstring caption;
    EXPECT_EQ(strip.tab.GetItemText(1, caption), 1);
    EXPECT_EQ(caption, longCaption.substr(0, 31));
    EXPECT_TRUE(strip.Sent(KXPTN_SELCHANGE).empty());
    EXPECT_EQ(strip.tab.ReSetItems(nullptr, 3), 0);
    EXPECT_EQ(strip.tab.GetItemCount(), 0);
    EXPECT_EQ(strip.tab.GetCurSel(), -1);
}

// ---- mouse ----

TEST(PageTab, ClicksSelectTabsWithCaptionsOnly)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 3);
    strip.tab.SetItemText(2, L"");
    const POINT onTab1 = Centre(strip.tab.GetItemRect(1));
    strip.Click(onTab1);
    strip.Click(onTab1); // already selected: nothing more
    strip.Click(Centre(strip.tab.GetItemRect(2)));
    ASSERT_EQ(strip.Sent(KXPTN_SELCHANGE).size(), 1u);
    const tagTabNotify record = strip.Sent(KXPTN_SELCHANGE)[0];
    EXPECT_EQ(record.nItem, 1);
    EXPECT_EQ(record.nPart, KXPTP_CAPTION);
    EXPECT_EQ(record.pt.x, onTab1.x);
    EXPECT_EQ(strip.tab.GetCurSel(), 1);

    strip.tab.SendMessage(WM_RBUTTONUP, 0, At(onTab1));
    ASSERT_EQ(strip.Sent(KXPTN_RCLICK).size(), 1u);
    EXPECT_EQ(strip.Sent(KXPTN_RCLICK)[0].nPart, KXPTP_CAPTION);
}

TEST(PageTab, IconTabsWithoutCaptionsAreClickable)
{
    SolidIcon icon(16, RGB(0, 0, 200));
    Strip strip(KXPTS_ICON, {0, 0, 300, 24});
    strip.tab.InsertItem(-1, nullptr, icon);
    strip.tab.InsertItem(-1, nullptr, icon);
    strip.Click(Centre(strip.tab.GetItemRect(1)));
    EXPECT_EQ(strip.tab.GetCurSel(), 1);
    ASSERT_EQ(strip.Sent(KXPTN_SELCHANGE).size(), 1u);
    EXPECT_EQ(strip.Sent(KXPTN_SELCHANGE)[0].nPart, KXPTP_ICON);
}

TEST(PageTab, IconAndCaptionTabsSplitIntoIconGapAndCaption)
{
    SolidIcon icon(16, RGB(0, 0, 200));
    Strip strip(KXPTS_ICONCAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24});
    strip.tab.SetFixItemWidth(60);
    strip.tab.InsertItem(-1, L"委托", icon);
    strip.tab.InsertItem(-1, L"成交", icon);
    strip.tab.InsertItem(-1, L"持仓", icon);
    strip.tab.SetItemIconShow(2, 1);
    const CRect tab1 = strip.tab.GetItemRect(1), tab2 = strip.tab.GetItemRect(2);
    // Icon part: 17 pixels from the left; then a 4-pixel gap.
    strip.Press({tab1.left + 18, 12}); // gap
    EXPECT_EQ(strip.tab.GetCurSel(), -1);
    strip.Press({tab2.left + 5, 12}); // icon of a tab whose icon is a button
    EXPECT_EQ(strip.tab.GetCurSel(), -1);
    strip.Press({tab1.left + 5, 12});  // icon of a plain tab: selects
    strip.Press({tab2.left + 30, 12}); // caption
    ASSERT_EQ(strip.Sent(KXPTN_ICONCLICK).size(), 1u);
    EXPECT_EQ(strip.Sent(KXPTN_ICONCLICK)[0].nItem, 2);
    EXPECT_EQ(strip.Sent(KXPTN_ICONCLICK)[0].nPart, KXPTP_ICON);
    const auto changes = strip.Sent(KXPTN_SELCHANGE);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].nItem, 1);
    EXPECT_EQ(changes[0].nPart, KXPTP_ICON);
    EXPECT_EQ(changes[0].pt.x, tab1.right - 1); // where a menu drops
    EXPECT_EQ(changes[1].nItem, 2);
    EXPECT_EQ(changes[1].nPart, KXPTP_CAPTION);
}

TEST(PageTab, HoldingAnArrowScrollsOnceThenRepeatsUntilThePointerLeaves)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 10);
    const POINT first = Centre(strip.tab.m_rcFirstArrow), second = Centre(strip.tab.m_rcSecondArrow);
    strip.Press(first); // nothing before the first tab
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 0);
    compositetest::CursorTo(strip.tab, second);
    strip.Press(second);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 1);
    strip.tab.SendMessage(WM_TIMER, 1001);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 1); // the pause only starts the repeat
    strip.tab.SendMessage(WM_TIMER, 1002);
    strip.tab.SendMessage(WM_TIMER, 1002);
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 3);
    compositetest::CursorTo(strip.tab, Centre(strip.tab.GetItemRect(4)));
    strip.tab.SendMessage(WM_TIMER, 1002);
    compositetest::CursorTo(strip.tab, second);
    strip.tab.SendMessage(WM_TIMER, 1002); // stopped when the pointer left
    EXPECT_EQ(strip.tab.GetFisrtVisbleIdx(), 3);
    strip.tab.SendMessage(WM_LBUTTONUP, 0, At(second));
    // Scrolling past the end: the second arrow goes inactive.
    for (int i = 0; i < 10; ++i) {
        strip.Click(second);
    }
    EXPECT_TRUE(strip.tab.m_bAtEnd);
    EXPECT_EQ(strip.tab.m_nLastVisible, 9);
    EXPECT_TRUE(strip.Sent(KXPTN_SELCHANGE).empty());
}

TEST(PageTab, SelectionStyleOneFollowsScrollingWithoutNotifying)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 10);
    strip.tab.SetSelStyle(1);
    strip.tab.SetCurSel(0, false);
    strip.tab.SetFirstVisbleIdx(3);
    EXPECT_EQ(strip.tab.GetCurSel(), 3);
    EXPECT_EQ(strip.tab.GetOldSel(), 0);
    EXPECT_TRUE(strip.Sent(KXPTN_SELCHANGE).empty());
}

TEST(PageTab, TooltipShowsTheHoveredTabsTextCut)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 2);
    strip.tab.ShowToolTip(true);
    const std::wstring longTip(70, L'价');
    strip.tab.SetItemTooltipText(0, longTip.c_str());
    strip.tab.SendMessage(WM_MOUSEMOVE, 0, At(Centre(strip.tab.GetItemRect(0))));
    HWND owned = nullptr;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = strip.tab;
    tool.uId = 1;
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w && !owned;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
        owned = SendMessageW(w, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) ? w : nullptr;
    }
    ASSERT_NE(owned, nullptr);
    wchar_t text[100] = {};
    tool.lpszText = text;
    SendMessageW(owned, TTM_GETTEXTW, 100, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), longTip.substr(0, 63));
    EXPECT_EQ(SendMessageW(owned, TTM_GETMAXTIPWIDTH, 0, 0), 400);
    EXPECT_EQ(SendMessageW(owned, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 3000);
    // A tab without a tooltip takes the window away.
    strip.tab.SendMessage(WM_MOUSEMOVE, 0, At(Centre(strip.tab.GetItemRect(1))));
    EXPECT_FALSE(IsWindow(owned));
}

// ---- fonts ----

TEST(PageTab, BothFontFormsTakeAPixelHeightAsTheSameFont)
{
    LOGFONTW big{};
    big.lfHeight = -32;
    big.lfCharSet = DEFAULT_CHARSET;
    wcscpy(big.lfFaceName, L"SimSun");
    const wchar_t caption[] = L"行情";
    HFONT reference = CreateFontIndirectW(&big);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, reference);
    SIZE expected{};
    GetTextExtentPoint32W(screen, caption, 2, &expected);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    for (int form = 0; form < 2; ++form) {
        Strip strip(KXPTS_CAPTION, {0, 0, 400, 40});
        strip.tab.SetSpinShow(false);
        strip.tab.InsertItem(-1, caption, nullptr);
        if (form == 0) {
            strip.tab.SetTextFont(big);
        } else {
            strip.tab.SetTextFont(reference, nullptr);
        }
        EXPECT_EQ(strip.tab.GetItemRect(0).Width(), expected.cx + 20) << "form " << form;
    }
    DeleteObject(reference);
}

// ---- painting ----

namespace {

void Colour(CKxPageTab& tab)
{
    tab.SetPageTabColor(kStrip);
    tab.SetBackColor(kBack);
    tab.SetSelBkColor(kSelBack);
    tab.SetHoverBkColor(kHoverBack);
    tab.ShowItemBorder(false);
}

} // namespace

TEST(PageTab, PaintsStripSelectionHoverAndArrows)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 8);
    Colour(strip.tab);
    strip.tab.SetSpinNorColor(RGB(1, 1, 1));
    strip.tab.SetSpinActColor(RGB(255, 0, 255));
    strip.tab.SetCurSel(1, false);
    strip.tab.SendMessage(WM_MOUSEMOVE, 0, At(Centre(strip.tab.GetItemRect(3))));
    DibSurface surface(300, 24, RGB(255, 255, 255));
    strip.Paint(surface);
    EXPECT_EQ(surface.pixel(5, 2), kStrip);
    EXPECT_EQ(surface.pixel(20, 2), kBack);
    EXPECT_EQ(surface.pixel(Centre(strip.tab.GetItemRect(1)).x, 2), kSelBack);
    EXPECT_EQ(surface.pixel(Centre(strip.tab.GetItemRect(3)).x, 2), kHoverBack);
    // No scrolling back yet; forward it can.
    EXPECT_GT(surface.count(RGB(1, 1, 1), strip.tab.m_rcFirstArrow), 5);
    EXPECT_GT(surface.count(RGB(255, 0, 255), strip.tab.m_rcSecondArrow), 5);

    strip.tab.SendMessage(WM_MOUSELEAVE);
    strip.Paint(surface);
    EXPECT_EQ(surface.pixel(Centre(strip.tab.GetItemRect(3)).x, 2), kBack);
}

TEST(PageTab, TheParentMayPaintTheBackground)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 24}, KXPTO_TOP, 2);
    Colour(strip.tab);
    strip.parent.background = RGB(7, 8, 9);
    DibSurface surface(300, 24, RGB(255, 255, 255));
    strip.Paint(surface);
    EXPECT_EQ(surface.pixel(5, 2), RGB(7, 8, 9));
    EXPECT_EQ(surface.count(kStrip), 0);
    CRect window;
    strip.tab.GetWindowRect(&window);
    EXPECT_PRED2(SameRect, strip.parent.asked, window);

    strip.parent.background = CLR_INVALID;
    strip.Paint(surface);
    EXPECT_EQ(surface.pixel(5, 2), kStrip);
}

TEST(PageTab, PageClientModeFillsThePageArea)
{
    Strip strip(KXPTS_CAPTION | KXPTS_FIXWIDTH, {0, 0, 300, 120}, KXPTO_TOP, 2);
    Colour(strip.tab);
    strip.tab.SetPageTabClient(1);
    strip.tab.Invalidate();
    strip.tab.UpdateWindow();
    DibSurface surface(300, 120);
    HDC window = GetDC(strip.tab);
    BitBlt(surface.dc(), 0, 0, 300, 120, window, 0, 0, SRCCOPY);
    ReleaseDC(strip.tab, window);
    EXPECT_EQ(surface.count(RGB(0xF2, 0xF2, 0xF2), RECT{0, 22, 300, 120}), 300 * 98);
    EXPECT_EQ(surface.pixel(20, 10), kBack);
}

TEST(PageTab, PaintingAndRecreatingLeaksNoGdiObjects)
{
    SolidIcon icon(16, RGB(0, 120, 0));
    // Drawing is slow under the heap checks: most paints are of a short strip of icon tabs.
    auto cycle = [&](DWORD style, int paints) {
        Strip strip(style, {0, 0, style == KXPTS_ICON ? 80 : 300, 24});
        for (int i = 0; i < 12; ++i) {
            strip.tab.InsertItem(-1, L"Acct", icon);
        }
        strip.tab.SetGradientBk(RGB(255, 255, 255), RGB(0, 0, 128));
        strip.tab.SetUnderLineStyle(true);
        strip.tab.SetCurSel(2, false);
        strip.tab.KXSetRedraw(false); // only the paints below
        DibSurface surface(300, 24);
        for (int i = 0; i < paints; ++i) {
            strip.tab.SetBorderStyle(static_cast<DWORD>(i % 4));
            strip.Paint(surface);
        }
    };
    cycle(KXPTS_ICONCAPTION, 1);
    const int before = testsupport::GdiObjectCount();
    cycle(KXPTS_ICON, 1000);
    cycle(KXPTS_ICONCAPTION, 40);
    for (int i = 0; i < 20; ++i) {
        cycle(KXPTS_ICONCAPTION, 1);
    }
    EXPECT_LE(testsupport::GdiObjectCount(), before);
}
