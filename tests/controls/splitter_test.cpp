#include <util/module.h>
#include <util/splitter.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "support/dib.h"
#include "support/recording_parent.h"

using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

class TestSplitter : public CKXSplitter {
public:
    using CKXSplitter::DrawBar;
    using CKXSplitter::m_bindings;
};

// A plain child window standing for a pane beside the bar.
class Pane : public CWnd {
public:
    Pane(CWnd* parent, const RECT& rect) { CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, rect, parent, 0); }
    CRect InParent() const
    {
        CRect rect;
        GetWindowRect(&rect);
        GetParent()->ScreenToClient(&rect);
        return rect;
    }
};

// Two panes with a gap on each side of a vertical or horizontal bar at 100 of a 400 x 300 parent; the
// first pane needs 50 pixels, the second 80.
struct SplitFixture {
    SplitFixture(int orientation, int width) : parent(400, 300)
    {
        vertical = orientation == KXSPLITTER_VERT;
        const int start = 100 - width / 2;
        first = std::make_unique<Pane>(&parent, vertical ? RECT{0, 0, 90, 300} : RECT{0, 0, 400, 90});
        second = std::make_unique<Pane>(&parent, vertical ? RECT{110, 0, 400, 300} : RECT{0, 110, 400, 300});
        const RECT bar = vertical ? RECT{start, 0, start + width, 300} : RECT{0, start, 400, start + width};
        splitter.Create(WS_VISIBLE, bar, &parent, 5, orientation);
        splitter.SetSplitterWidth(width);
        splitter.BindWnd(first.get(), vertical ? KXSPLITTER_LEFT : KXSPLITTER_TOP, 50);
        splitter.BindWnd(second.get(), vertical ? KXSPLITTER_RIGHT : KXSPLITTER_BOTTOM, 80);
    }
    // A point along the split axis, in the parent's client coordinates, as the bar's mouse message.
    LPARAM At(int along) const
    {
        POINT p = vertical ? POINT{along, 150} : POINT{200, along};
        ::MapWindowPoints(parent, splitter, &p, 1);
        return MAKELPARAM(p.x, p.y);
    }
    void Drag(int from, int to)
    {
        splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
        splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At((from + to) / 2));
        splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
        splitter.SendMessage(WM_LBUTTONUP, 0, At(to));
    }
    CRect Bar() const
    {
        CRect rect;
        splitter.GetWindowRect(&rect);
        parent.ScreenToClient(&rect);
        return rect;
    }
    // The bar's and the panes' spans along the axis.
    int Start(const CRect& r) const { return vertical ? r.left : r.top; }
    int End(const CRect& r) const { return vertical ? r.right : r.bottom; }

    bool vertical;
    RecordingParent parent;
    std::unique_ptr<Pane> first, second;
    TestSplitter splitter;
};

} // namespace

TEST(Splitter, DragMovesTheBarWithinTheMinimumsAndTheBoundPanesFollow)
{
    struct Case {
        int orientation, width, dropAt;
        int barStart;
    };
    const Case cases[] = {
        {KXSPLITTER_VERT, 4, 200, 198},
        {KXSPLITTER_VERT, 4, 10, 50},   // the first pane keeps 50
        {KXSPLITTER_VERT, 4, 390, 316}, // the second pane keeps 80
        {KXSPLITTER_VERT, 1, 10, 50},
        {KXSPLITTER_VERT, 1, 395, 319},
        {KXSPLITTER_HORZ, 4, 150, 148},
        {KXSPLITTER_HORZ, 4, 299, 216},
        {KXSPLITTER_HORZ, 3, 0, 50},
    };
    for (const Case& c : cases) {
        SplitFixture f(c.orientation, c.width);
        f.Drag(100, c.dropAt);
        const CRect bar = f.Bar();
        EXPECT_EQ(f.Start(bar), c.barStart) << c.orientation << " " << c.width << " " << c.dropAt;
        EXPECT_EQ(f.End(bar) - f.Start(bar), c.width);
        EXPECT_EQ(f.End(f.first->InParent()), f.Start(bar));
        EXPECT_EQ(f.Start(f.second->InParent()), f.End(bar));
        EXPECT_GE(f.End(f.first->InParent()), 50);
        EXPECT_GE(f.vertical ? 400 - f.second->InParent().left : 300 - f.second->InParent().top, 80);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
    }
}

TEST(Splitter, ReleasingWhereThePressStartedMovesNothing)
{
    SplitFixture f(KXSPLITTER_VERT, 4);
    const CRect before = f.Bar();
    f.Drag(100, 100);
    EXPECT_EQ(f.Bar(), before);
    EXPECT_EQ(f.first->InParent(), CRect(0, 0, 90, 300)); // no layout: the gaps stay
    EXPECT_EQ(f.second->InParent(), CRect(110, 0, 400, 300));
}

TEST(Splitter, NoBindingsOrAnotherCaptureMeansNoDrag)
{
    SplitFixture f(KXSPLITTER_VERT, 4);
    f.splitter.UnbindAllWnds(0);
    f.splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, f.At(100));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    f.Drag(100, 200);
    EXPECT_EQ(f.Start(f.Bar()), 98);

    SplitFixture g(KXSPLITTER_VERT, 4);
    g.first->SetCapture();
    g.splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, g.At(100));
    EXPECT_EQ(CWnd::GetCapture(), g.first.get());
    ReleaseCapture();
}

TEST(Splitter, BindingsAreRemovedAndLimitedAsAsked)
{
    RecordingParent parent;
    Pane a(&parent, {0, 0, 10, 10}), b(&parent, {0, 0, 10, 10}), c(&parent, {0, 0, 10, 10});
    TestSplitter splitter;
    splitter.Create(WS_VISIBLE, {100, 0, 101, 300}, &parent, 1, KXSPLITTER_VERT);
    auto bindings = [&] {
        std::vector<std::pair<HWND, int>> all;
        for (const auto& binding : splitter.m_bindings) {
            all.emplace_back(binding.hWnd, binding.nMinimum);
        }
        return all;
    };
    auto reset = [&] {
        splitter.UnbindAllWnds(0);
        splitter.BindWnd(&a, KXSPLITTER_LEFT, 10);
        splitter.BindWnd(&b, KXSPLITTER_LEFT, 20);
        splitter.BindWnd(&c, KXSPLITTER_RIGHT, 30);
        splitter.BindWnd(&a, KXSPLITTER_RIGHT, 40);
    };
    reset();
    splitter.UnbindAllWnds(KXSPLITTER_LEFT);
    EXPECT_EQ(bindings(), (std::vector<std::pair<HWND, int>>{{c, 30}, {a, 40}}));
    reset();
    splitter.UnbindWnd(&a); // the first binding of a only
    EXPECT_EQ(bindings(), (std::vector<std::pair<HWND, int>>{{b, 20}, {c, 30}, {a, 40}}));
    reset();
    splitter.SetMinLimit(&a, 0); // ignored
    splitter.SetMinLimit(&a, 15);
    EXPECT_EQ(bindings(), (std::vector<std::pair<HWND, int>>{{a, 15}, {b, 20}, {c, 30}, {a, 40}}));
    // Creating again starts without bindings.
    splitter.DestroyWindow();
    splitter.Create(WS_VISIBLE, {100, 0, 101, 300}, &parent, 1, KXSPLITTER_VERT);
    EXPECT_TRUE(splitter.m_bindings.empty());
    EXPECT_FALSE(splitter.Create(WS_VISIBLE, {0, 0, 1, 1}, nullptr, 1, KXSPLITTER_VERT));
}

TEST(Splitter, ShowsItsSplitCursorAndPaintsItsLines)
{
    for (int orientation : {KXSPLITTER_VERT, KXSPLITTER_HORZ}) {
        SplitFixture f(orientation, 4);
        EXPECT_EQ(f.splitter.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(f.splitter.m_hWnd),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        const WORD cursor = orientation == KXSPLITTER_VERT ? 30980 : 30981;
        EXPECT_EQ(GetCursor(), LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(cursor)));

        f.splitter.SetSplitterColor(RGB(255, 0, 0));
        f.splitter.SetSplitterWidth(2);
        const bool vertical = orientation == KXSPLITTER_VERT;
        DibSurface surface(vertical ? 4 : 400, vertical ? 300 : 4, RGB(0, 0, 0));
        f.splitter.DrawBar(*CDC::FromHandle(surface.dc()));
        const RECT lines = vertical ? RECT{0, 0, 2, 300} : RECT{0, 0, 400, 2};
        EXPECT_EQ(surface.count(RGB(255, 0, 0)), 2 * (vertical ? 300 : 400));
        EXPECT_EQ(surface.count(RGB(255, 0, 0), lines), 2 * (vertical ? 300 : 400));
    }
}
