#include <util/balloon.h>
#include <util/kxtooltipctrl.h>
#include <util/tooltip.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tabtip_helpers.h"
#include "support/dib.h"
#include "support/recording_parent.h"

using compositetest::At;
using compositetest::SameRect;
using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

// A rich tooltip whose table the tests read.
class TipUnderTest : public CYToolTip {
public:
    using CYToolTip::m_nHighlight;
    using CYToolTip::m_nRowHeight;
    using CYToolTip::m_widths;
    using CYToolTip::RecalcLayout;
};

// Rows of empty cells as wide as their extra widths.
CYToolTipInfo Table(const std::vector<std::pair<int, std::vector<int>>>& rows)
{
    CYToolTipInfo info;
    info.m_crBk = RGB(250, 250, 240);
    info.m_crSel = RGB(0, 90, 200);
    for (const auto& [group, widths] : rows) {
        CYToolTipRow row;
        row.m_nGroup = group;
        row.m_dwData = static_cast<DWORD>(100 + info.m_vecRows.size());
        for (int width : widths) {
            CYToolTipCell cell;
            cell.m_nExtraWidth = width;
            cell.m_dwData = static_cast<DWORD>(row.m_vecCells.size() + 1);
            row.m_vecCells.push_back(cell);
        }
        info.m_vecRows.push_back(row);
    }
    return info;
}

struct Tip {
    explicit Tip(const CYToolTipInfo& info)
    {
        tip.Create(&owner);
        tip.SetToolTip(&info);
    }
    // Shows at the screen point at once (the delay timer sent by hand).
    void ShowAt(POINT point, int dx = 10, int dy = 12)
    {
        tip.Show(point, dx, dy);
        tip.SendMessage(WM_TIMER, 1);
    }
    CRect Window() const
    {
        CRect rect;
        tip.GetWindowRect(&rect);
        return rect;
    }
    void CursorOver() const { SetCursorPos(Window().CenterPoint().x, Window().CenterPoint().y); }

    RecordingParent owner{200, 100};
    TipUnderTest tip;
};

POINT ScreenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace

// ---- layout ----

struct ColumnCase {
    const char* name;
    std::vector<std::pair<int, std::vector<int>>> rows;
    std::vector<std::vector<int>> columns;
    int contentWidth;
};

class TooltipColumns : public testing::TestWithParam<ColumnCase> {};

TEST_P(TooltipColumns, RowsOfAGroupShareTheWidestColumnsFromTheTop)
{
    const ColumnCase& c = GetParam();
    Tip t(Table(c.rows));
    t.tip.SetOutterPaint(true);
    ASSERT_TRUE(t.tip.RecalcLayout());
    for (size_t r = 0; r < c.columns.size(); ++r) {
        for (size_t col = 0; col < c.columns[r].size(); ++col) {
            EXPECT_EQ(t.tip.m_widths[r][col], c.columns[r][col]) << "row " << r << " column " << col;
        }
    }
    EXPECT_EQ(t.Window().Width(), c.contentWidth + 2);
    EXPECT_EQ(t.Window().Height(), static_cast<int>(c.rows.size()) * t.tip.m_nRowHeight);
    EXPECT_GE(t.tip.m_nRowHeight, 18);
}

const ColumnCase kColumns[] = {
    {"OneGroup", {{0, {30, 50}}, {0, {40, 20}}}, {{40, 50}, {40, 50}}, 90},
    {"LaterGroupSeesEarlierRows", {{0, {10}}, {1, {60}}, {1, {5}}}, {{10}, {60}, {60}}, 60},
    {"EarlierGroupIgnoresLaterRows", {{0, {60, 5}}, {1, {10, 30}}}, {{60, 5}, {60, 30}}, 90},
    {"GroupsRepeat", {{0, {20}}, {1, {30}}, {0, {10}}}, {{20}, {30}, {30}}, 30},
};

INSTANTIATE_TEST_SUITE_P(Groups, TooltipColumns, testing::ValuesIn(kColumns),
                         [](const testing::TestParamInfo<ColumnCase>& info) { return info.param.name; });

TEST(Tooltip, TextCellsMeasureInTheirOwnFont)
{
    CYToolTipInfo info = Table({{0, {7}}});
    LOGFONTW logFont{};
    logFont.lfHeight = -40;
    wcscpy(logFont.lfFaceName, L"SimSun");
    HFONT font = CreateFontIndirectW(&logFont);
    info.m_vecRows[0].m_vecCells[0].m_strText = L"浦发银行";
    info.m_vecRows[0].m_vecCells[0].m_hFont = font;
    Tip t(info);
    t.tip.SetOutterPaint(true);
    ASSERT_TRUE(t.tip.RecalcLayout());
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, L"浦发银行", 4, &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(t.tip.m_widths[0][0], size.cx + 7);
    EXPECT_EQ(t.tip.m_nRowHeight, size.cy + 6);
    t.tip.DestroyWindow();
    DeleteObject(font);
}

TEST(Tooltip, OpensBesideThePointAndFlipsAtTheScreenEdges)
{
    Tip t(Table({{0, {100}}, {0, {100}}}));
    t.tip.SetOutterPaint(true);
    const POINT screen = ScreenSize();
    const struct {
        POINT at;
        bool right;
        bool below;
    } cases[] = {{{100, 100}, true, true},
                 {{screen.x - 20, 100}, false, true},
                 {{100, screen.y - 10}, true, false},
                 {{screen.x - 5, screen.y - 5}, false, false}};
    for (const auto& c : cases) {
        t.ShowAt(c.at, 10, 12);
        ASSERT_TRUE(t.tip.IsVisible());
        const CRect window = t.Window();
        const int w = window.Width(), h = window.Height();
        EXPECT_EQ(window.left, c.right ? c.at.x + 10 : c.at.x - 10 - w) << c.at.x << "," << c.at.y;
        EXPECT_EQ(window.top, c.below ? c.at.y + 12 : c.at.y - 12 - h) << c.at.x << "," << c.at.y;
        t.tip.Hide();
        EXPECT_FALSE(t.tip.IsVisible());
    }
}

TEST(Tooltip, AMouseThatMovedBeforeTheDelayKeepsItHiddenUnlessOuterPaintIsOn)
{
    Tip t(Table({{0, {50}}}));
    const struct {
        int cursorOffset;
        bool outer;
        bool shown;
    } cases[] = {{0, false, true}, {5, false, false}, {5, true, true}};
    for (const auto& c : cases) {
        t.tip.Hide();
        t.tip.SetOutterPaint(c.outer);
        SetCursorPos(300 + c.cursorOffset, 300);
        t.ShowAt({300, 300});
        EXPECT_EQ(t.tip.IsVisible() != FALSE, c.shown) << c.cursorOffset << " " << c.outer;
    }
}

// ---- mouse ----

namespace {

struct Clicks {
    static void Record(void* context, tagYHintLButtonDownParam* param)
    {
        static_cast<Clicks*>(context)->seen.push_back(*param);
    }
    std::vector<tagYHintLButtonDownParam> seen;
};

} // namespace

TEST(Tooltip, ClicksReportTheRowAndCellUnderThePointer)
{
    const std::vector<int> many(150, 1);
    Tip t(Table({{0, many}, {1, {30, 50}}, {1, {40, 20}}}));
    t.tip.SetOutterPaint(true);
    Clicks clicks;
    t.tip.SetOnLButtonDownFun(&clicks, &Clicks::Record);
    t.ShowAt({50, 50});
    const int h = t.tip.m_nRowHeight;
    // Row 0: a hundred cells of one pixel from x = 2, the rest not there. Rows 1 and 2: columns 40 and 50.
    const POINT points[] = {{2 + 99, 1}, {2 + 120, 1},    {2, h + 2},     {41, h + 2},
                            {42, h + 2}, {91, 2 * h + 2}, {95, 2 * h + 2}};
    for (POINT point : points) {
        t.tip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(point));
        t.tip.SendMessage(WM_LBUTTONUP, 0, At(point));
    }
    const std::vector<std::pair<DWORD, DWORD>> expected = {{100, 100}, {100, 0}, {101, 1}, {101, 1},
                                                           {101, 2},   {102, 2}, {102, 0}};
    ASSERT_EQ(clicks.seen.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(clicks.seen[i].dwRowData, expected[i].first) << i;
        EXPECT_EQ(clicks.seen[i].dwCellData, expected[i].second) << i;
    }
    EXPECT_EQ(t.tip.m_nHighlight, -1); // a release on the pressed row clears the highlight
}

TEST(Tooltip, TheHighlightFollowsTheMouseUnlessFixed)
{
    Tip t(Table({{0, {60}}, {0, {60}}, {0, {60}}}));
    t.tip.SetOutterPaint(true);
    t.ShowAt({50, 50});
    EXPECT_EQ(t.tip.m_nHighlight, 0);
    const int h = t.tip.m_nRowHeight;
    t.tip.SendMessage(WM_MOUSEMOVE, 0, At({10, 2 * h + 1}));
    EXPECT_EQ(t.tip.m_nHighlight, 2);
    t.tip.SetFixSel(1);
    t.tip.SendMessage(WM_MOUSEMOVE, 0, At({10, 2}));
    EXPECT_EQ(t.tip.m_nHighlight, 1);
    t.tip.SetUnFixSel();
    t.tip.SendMessage(WM_MOUSEMOVE, 0, At({10, 2}));
    EXPECT_EQ(t.tip.m_nHighlight, 0);
    EXPECT_EQ(t.tip.SendMessage(WM_MOUSEACTIVATE), MA_NOACTIVATE);
}

TEST(Tooltip, AutoCancelWaitsForTheMouseToLeave)
{
    enum Event { CancelOver, CancelAway, Leave };
    const struct {
        const char* name;
        std::vector<Event> events;
        std::vector<bool> visibleAfter;
    } cases[] = {
        {"under the mouse, then left", {CancelOver, Leave}, {true, false}},
        {"left first", {Leave, CancelOver}, {true, false}},
        {"never under the mouse", {CancelAway}, {false}},
    };
    for (const auto& c : cases) {
        Tip t(Table({{0, {80}}, {0, {80}}}));
        t.tip.SetOutterPaint(true);
        t.ShowAt({200, 200});
        t.tip.SetAutoCancel(5000);
        for (size_t i = 0; i < c.events.size(); ++i) {
            if (c.events[i] == Leave) {
                t.tip.SendMessage(WM_MOUSELEAVE);
            } else {
                if (c.events[i] == CancelOver) {
                    t.CursorOver();
                } else {
                    SetCursorPos(5, 5);
                }
                t.tip.SendMessage(WM_TIMER, 8888);
            }
            EXPECT_EQ(t.tip.IsVisible() != FALSE, c.visibleAfter[i]) << c.name << ", event " << i;
        }
    }
}

// ---- painting ----

TEST(Tooltip, PaintsRowColoursTheHighlightAndCellBackgrounds)
{
    CYToolTipInfo info = Table({{0, {60, 60}}, {0, {60, 60}}, {0, {60, 60}}});
    info.m_vecRows[1].m_crBk = RGB(200, 0, 0);
    info.m_vecRows[1].m_vecCells[1].m_crBk = RGB(0, 200, 0);
    info.m_vecRows[2].m_vecCells[1].m_crBk = RGB(0, 200, 0);
    Tip t(info);
    t.tip.SetOutterPaint(true);
    t.tip.SetFixSel(2);
    t.ShowAt({600, 400});
    const int h = t.tip.m_nRowHeight;
    const CRect window = t.Window();
    DibSurface surface(window.Width(), window.Height());
    HDC dc = GetWindowDC(t.tip);
    BitBlt(surface.dc(), 0, 0, window.Width(), window.Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(t.tip, dc);
    EXPECT_EQ(surface.pixel(30, h / 2), RGB(250, 250, 240));        // no row colour: the background
    EXPECT_EQ(surface.pixel(30, h + h / 2), RGB(200, 0, 0));        // the row's colour
    EXPECT_EQ(surface.pixel(90, h + h / 2), RGB(0, 200, 0));        // a cell's own background
    EXPECT_EQ(surface.pixel(30, 2 * h + h / 2), RGB(0, 90, 200));   // the highlighted row
    EXPECT_EQ(surface.pixel(90, 2 * h + h / 2), RGB(0, 90, 200));   // cell colours give way to it
    EXPECT_EQ(surface.pixel(0, 2 * h + h / 2), RGB(250, 250, 240)); // one pixel in from the sides
}

// ---- balloon ----

namespace {

struct EditForm {
    EditForm()
    {
        edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 30, 160, 22, parent, nullptr,
                               nullptr, nullptr);
        other = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 70, 160, 22, parent, nullptr,
                                nullptr, nullptr);
        target.SubclassWindow(edit);
        SetForegroundWindow(parent);
        SetFocus(edit);
    }
    ~EditForm() { target.UnsubclassWindow(); }

    static void CapsLock(bool on)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CAPITAL] = on ? 1 : 0;
        SetKeyboardState(keys);
    }

    RecordingParent parent{300, 200};
    HWND edit = nullptr;
    HWND other = nullptr;
    CWnd target;
};

} // namespace

TEST(Balloon, ShowsUnderTheFocusedEditWhileCapsLockIsOn)
{
    EditForm form;
    CKWBalloonCtrl balloon;
    balloon.Initialize(&form.target, TRUE);
    ASSERT_TRUE(balloon.IsWindow());
    const struct {
        bool caps;
        HWND focus;
        bool shown;
    } steps[] = {{true, form.edit, true},
                 {false, form.edit, false},
                 {true, form.edit, true},
                 {true, form.other, false},
                 {true, form.edit, true}};
    for (const auto& step : steps) {
        EditForm::CapsLock(step.caps);
        SetFocus(step.focus);
        balloon.SendMessage(WM_TIMER, 1);
        EXPECT_EQ(balloon.IsWindowVisible() != FALSE, step.shown) << step.caps;
        EXPECT_EQ(GetFocus(), step.focus); // the balloon hands the focus back
    }
    CRect edit, window;
    GetWindowRect(form.edit, &edit);
    balloon.GetWindowRect(&window);
    EXPECT_PRED2(SameRect, window,
                 CRect(edit.left, edit.bottom + 1, edit.left + CKWBalloonCtrl::BALLOON_WIDTH,
                       edit.bottom + 1 + CKWBalloonCtrl::BALLOON_HEIGHT));
    EditForm::CapsLock(false);
}

TEST(Balloon, ItsRegionIsTheBoxAndThePointer)
{
    EditForm form;
    CKWBalloonCtrl balloon;
    balloon.Initialize(&form.target, FALSE);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(balloon, region), ERROR);
    const struct {
        POINT point;
        bool inside;
    } points[] = {{{32, 15}, true},  {{45, 10}, false}, {{29, 15}, false},  {{5, 5}, false},
                  {{135, 55}, true}, {{0, 30}, false},  {{2, 36}, true},    {{269, 79}, false},
                  {{265, 75}, true}, {{0, 79}, false},  {{269, 31}, false}, {{135, 29}, false}};
    for (const auto& p : points) {
        EXPECT_EQ(PtInRegion(region, p.point.x, p.point.y) != FALSE, p.inside) << p.point.x << "," << p.point.y;
    }
    DeleteObject(region);
}

TEST(KxToolTipCtrl, DestroyingTheObjectDestroysItsWindow)
{
    RecordingParent owner(100, 100);
    auto control = std::make_unique<CKxToolTipCtrl>();
    ASSERT_TRUE(control->Create(&owner));
    const HWND window = control->GetSafeHwnd();
    EXPECT_TRUE(IsWindow(window));
    control.reset();
    EXPECT_FALSE(IsWindow(window));
}
