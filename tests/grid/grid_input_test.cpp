// The grid's input: notification sequences of the mouse and the keys, resizing and dragging, the wheel
// and scroll messages.
#include <util/grid.h>
#include <util/kxmsg.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "grid_fixture.h"
#include "support/pump.h"

using gridtest::At;
using gridtest::CellCentre;
using gridtest::GridParent;
using gridtest::MakeGrid;
using gridtest::Note;
using gridtest::TestGrid;

namespace {

// A press and release at a point, with the modifier keys of the press.
void Click(HWND window, POINT point, WPARAM keys = 0, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP)
{
    SendMessageW(window, down, keys, At(point.x, point.y));
    SendMessageW(window, up, 0, At(point.x, point.y));
}

void Drag(HWND window, POINT from, POINT to)
{
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(from.x, from.y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(to.x, to.y));
    SendMessageW(window, WM_LBUTTONUP, 0, At(to.x, to.y));
}

// Keys as a client's loop sees them: the modifiers in the thread's key state.
void PressKey(HWND window, UINT key, bool shift = false)
{
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

std::vector<std::wstring> Titles(const CKxGrid& grid)
{
    std::vector<std::wstring> titles;
    for (int i = 0; i < grid.GetColCount(); ++i) {
        _KXGRIDCOLUMN column{};
        grid.GetColumn(i, &column);
        titles.push_back(column.szText);
    }
    return titles;
}

// A stand-in for the library's scroll bar: keeps the range it is given, reports the position it is told.
struct Buddy {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_KX_SETSCROLLINFO) {
            last = *reinterpret_cast<SCROLLINFO*>(lParam);
            return 1;
        }
        if (message == WM_KX_GETSCROLLINFO) {
            auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
            *info = last;
            info->nPos = position;
            return 1;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static SCROLLINFO last;
    static int position;
};
SCROLLINFO Buddy::last{};
int Buddy::position = 0;

class GridInput : public ::testing::Test {
protected:
    void Make(DWORD style, std::vector<int> widths, int rows, int visibleRows)
    {
        MakeGrid(grid, parent, RECT{0, 0, 400, 22 + 22 * visibleRows}, style, widths, rows);
        parent.Reset();
    }
    POINT Cell(int row, int column) { return CellCentre(grid, row, column); }

    GridParent parent;
    TestGrid grid;
};

} // namespace

TEST_F(GridInput, ClicksSelectAndTellTheParent)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, WPARAM>> before; // rows clicked first, with their keys
        int row;
        WPARAM keys;
        std::vector<Note> expected;
    };
    const Case cases[] = {
        {"plain", {}, 2, 0, {{14, 2, 0, 1}, {20, 2, 0, 1}, {9, 2, 1, 0}}},
        {"another row", {{2, 0}}, 5, 0, {{14, 2, 0, 0}, {14, 5, 0, 1}, {20, 2, 0, 0}, {20, 5, 0, 1}, {9, 5, 1, 0}}},
        {"control on a selected row", {{2, 0}}, 2, MK_CONTROL, {{14, 2, 0, 0}, {9, 2, 1, 0}}},
        {"control adds", {{2, 0}}, 4, MK_CONTROL, {{14, 4, 0, 1}, {20, 2, 0, 0}, {20, 4, 0, 1}, {9, 4, 1, 0}}},
        {"shift range", {{2, 0}}, 4, MK_SHIFT, {{14, 3, 0, 1}, {14, 4, 0, 1}, {20, 2, 0, 0}, {20, 4, 0, 1}, {9, 4, 1, 0}}},
        {"shift shrinks", {{2, 0}, {6, MK_SHIFT}}, 3, MK_SHIFT, {{14, 4, 0, 0}, {14, 5, 0, 0}, {14, 6, 0, 0},
                                                                  {20, 6, 0, 0}, {20, 3, 0, 1}, {9, 3, 1, 0}}},
        {"control shift without anchor", {}, 2, MK_CONTROL | MK_SHIFT,
         {{14, 0, 0, 1}, {14, 1, 0, 1}, {14, 2, 0, 1}, {20, 2, 0, 1}, {9, 2, 1, 0}}},
    };
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 400, 22 + 22 * 10}, 0, {60, 60, 60}, 10);
        for (const auto& press : c.before) {
            Click(fresh, CellCentre(fresh, press.first, 1), press.second);
        }
        parent.Reset();
        Click(fresh, CellCentre(fresh, c.row, 1), c.keys);
        EXPECT_EQ(parent.Notes(), c.expected) << c.name;
    }
}

TEST_F(GridInput, APressAndAReleaseOnDifferentCellsAreNoClick)
{
    Make(0, {60, 60, 60}, 10, 10);
    const POINT from = Cell(2, 1), to = Cell(2, 2);
    SendMessageW(grid, WM_LBUTTONDOWN, 0, At(from.x, from.y));
    SendMessageW(grid, WM_LBUTTONUP, 0, At(to.x, to.y));
    EXPECT_TRUE(parent.Notes(GN_CELLCLICK).empty());
    EXPECT_EQ(parent.Notes(GN_SELCHANGED).size(), 1u);
}

TEST_F(GridInput, DoubleAndRightClicks)
{
    Make(0, {60, 60, 60}, 10, 12);
    grid.InsertHeaderItem(-1, L"head");
    struct Case {
        const char* name;
        POINT point;
        UINT down;
        UINT up;
        std::vector<Note> expected;
    };
    const Case cases[] = {
        {"double click on a row", Cell(3, 2), WM_LBUTTONDBLCLK, WM_LBUTTONUP, {{10, 3, 0, 1}}},
        {"double click on the header strip", {90, 10}, WM_LBUTTONDBLCLK, WM_LBUTTONUP, {{6, -1, 0, 1}}},
        {"double click on the header row", {90, 30}, WM_LBUTTONDBLCLK, WM_LBUTTONUP, {{6, 0, 0, 1}}},
        {"right click on a row", Cell(4, 1), WM_RBUTTONDOWN, WM_RBUTTONUP, {{11, 4, 1, 0}}},
        {"right click below the rows", {90, 22 + 22 + 22 * 10 + 5}, WM_RBUTTONDOWN, WM_RBUTTONUP, {{11, -1, -1, 0}}},
        {"right click on the header row", {90, 30}, WM_RBUTTONDOWN, WM_RBUTTONUP, {{7, 0, 1, 0}}},
        {"click on the header row", {90, 30}, WM_LBUTTONDOWN, WM_LBUTTONUP, {{5, 0, 1, 0}}},
        {"click on the header strip", {90, 10}, WM_LBUTTONDOWN, WM_LBUTTONUP, {{1, 0, 1, 0}}},
    };
    for (const Case& c : cases) {
        parent.Reset();
        Click(grid, c.point, 0, c.down, c.up);
        EXPECT_EQ(parent.Notes(), c.expected) << c.name;
    }
    // A right press on an unselected row selects it alone, without notifications.
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    EXPECT_EQ(grid.GetFocusItem(), 4);

    parent.Reset();
    Click(grid, POINT{90, 10}, 0, WM_RBUTTONDOWN, WM_RBUTTONUP);
    const auto header = parent.Notifications(GN_HEADERRCLICK);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0].As<GRIDNOTIFY>().x, 90);
    EXPECT_EQ(header[0].As<GRIDNOTIFY>().y, 10);
}

TEST_F(GridInput, KeysMoveTheFocusWithTheirWrapRules)
{
    struct Case {
        const char* name;
        int focus; // -1: none
        int top;
        UINT key;
        bool shift;
        int expectFocus;
        int expectTop;
        std::vector<int> expectSelection;
    };
    const Case cases[] = {
        {"up wraps", 0, 0, VK_UP, false, 9, 6, {9}},
        {"down wraps", 9, 6, VK_DOWN, false, 0, 0, {0}},
        {"down", 2, 0, VK_DOWN, false, 3, 0, {3}},
        {"down scrolls", 3, 0, VK_DOWN, false, 4, 1, {4}},
        {"page down keeps the place", 1, 0, VK_NEXT, false, 5, 4, {5}},
        {"page down at the end wraps", 9, 6, VK_NEXT, false, 0, 0, {0}},
        {"page down at the end", 7, 6, VK_NEXT, false, 9, 6, {9}},
        {"page up at the top", 3, 0, VK_PRIOR, false, 0, 0, {0}},
        {"page up at the top wraps", 0, 0, VK_PRIOR, false, 9, 6, {9}},
        {"page up", 9, 6, VK_PRIOR, false, 5, 2, {5}},
        {"end", 1, 0, VK_END, false, 9, 6, {9}},
        {"home", 8, 6, VK_HOME, false, 0, 0, {0}},
        {"shift down", 2, 0, VK_DOWN, true, 3, 0, {2, 3}},
        {"shift up from the first row stays", 0, 0, VK_UP, true, 0, 0, {0}},
    };
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 300, 22 + 4 * 22}, 0, {60, 60}, 10);
        ASSERT_EQ(fresh.GetCountPerPage(), 4);
        fresh.SetSimplSel(c.focus, FALSE);
        fresh.SetTopIndex(c.top);
        parent.Reset();
        PressKey(fresh, c.key, c.shift);
        EXPECT_EQ(fresh.GetFocusItem(), c.expectFocus) << c.name;
        EXPECT_EQ(fresh.GetTopIndex(), c.expectTop) << c.name;
        std::vector<int> selection(static_cast<size_t>(fresh.GetSelectedCount()));
        fresh.GetSelectedItems(selection.data(), static_cast<int>(selection.size() * sizeof(int)));
        EXPECT_EQ(selection, c.expectSelection) << c.name;
        // The focus notifications end with the release of the key.
        const auto changed = parent.Notes(GN_FOCUSCHANGED);
        if (c.key != VK_END && c.key != VK_HOME && c.expectFocus != c.focus) {
            ASSERT_FALSE(changed.empty()) << c.name;
            EXPECT_EQ(changed.back(), (Note{20, c.expectFocus, 0, 1})) << c.name;
        }
    }
}

TEST_F(GridInput, AFocusMoveByKeyIsNotifiedInOrder)
{
    Make(0, {60, 60}, 10, 4);
    grid.SetSimplSel(2, FALSE);
    PressKey(grid, VK_DOWN);
    EXPECT_EQ(parent.Notes(), (std::vector<Note>{{14, 2, 0, 0}, {14, 3, 0, 1}, {19, 2, 0, 0}, {19, 3, 0, 1},
                                                 {20, 3, 0, 1}}));
    EXPECT_EQ(grid.KxPreTranslateMsg(nullptr), 0);
    MSG key{grid, WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    EXPECT_EQ(grid.KxPreTranslateMsg(&key), 2);
    key.wParam = 'A';
    EXPECT_EQ(grid.KxPreTranslateMsg(&key), 0);
}

TEST_F(GridInput, AltWithAnArrowMovesTheFocusRow)
{
    Make(0, {60, 60}, 10, 10);
    grid.EnableRowDrag(TRUE);
    grid.SetSimplSel(4, FALSE);
    // Alt arrives as a system key, with the context bit set.
    SendMessageW(grid, WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
    EXPECT_EQ(parent.Notes(), (std::vector<Note>{{13, 4, 6, 0}}));
    EXPECT_EQ(grid.GetFocusItem(), 5);
    EXPECT_EQ(std::wstring(grid.GetItemText(5, 0)), L"4");
    EXPECT_EQ(std::wstring(grid.GetItemText(4, 0)), L"5");

    parent.Reset();
    SendMessageW(grid, WM_SYSKEYDOWN, VK_UP, 0x20000001);
    EXPECT_EQ(parent.Notes(), (std::vector<Note>{{13, 5, 4, 0}}));
    EXPECT_EQ(std::wstring(grid.GetItemText(4, 0)), L"4");

    // Without row dragging Alt moves the focus like a plain arrow.
    grid.EnableRowDrag(FALSE);
    SendMessageW(grid, WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
    EXPECT_EQ(grid.GetFocusItem(), 5);
    EXPECT_EQ(std::wstring(grid.GetItemText(5, 0)), L"5");
}

TEST_F(GridInput, ColumnResizeByTheDivider)
{
    struct Case {
        int releaseX;
        int expectWidth;
        size_t notes;
    };
    const Case cases[] = {{150, 10, 1}, {141, 60, 0}, {230, 90, 1}};
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 400, 120}, 0, {140, 60, 60}, 3);
        parent.Reset();
        Drag(fresh, POINT{200, 10}, POINT{c.releaseX, 10});
        EXPECT_EQ(fresh.GetColumnWidth(1), c.expectWidth) << c.releaseX;
        const auto notes = parent.Notes(GN_COLUMNRESIZED);
        ASSERT_EQ(notes.size(), c.notes) << c.releaseX;
        if (!notes.empty()) {
            EXPECT_EQ(notes[0], (Note{4, 0, 1, 0}));
        }
        EXPECT_TRUE(parent.Notes(GN_HEADERCLICK).empty());
    }
    // A fixed-width column cannot be resized: the press is a header click.
    TestGrid fixed;
    MakeGrid(fixed, parent, RECT{0, 0, 400, 120}, 0, {140, 60, 60}, 3);
    _KXGRIDCOLUMN column{};
    fixed.GetColumn(1, &column);
    column.nFormat |= GF_FIXEDWIDTH;
    fixed.SetColumn(1, &column);
    parent.Reset();
    Drag(fixed, POINT{200, 10}, POINT{150, 10});
    EXPECT_EQ(fixed.GetColumnWidth(1), 60);
    EXPECT_TRUE(parent.Notes(GN_COLUMNRESIZED).empty());
}

TEST_F(GridInput, ColumnDragMovesTheColumnAndItsHeaderCells)
{
    struct Case {
        int releaseX;
        int expectDrop; // -1: not moved
        int expectIndex;
    };
    // Columns of 40 pixels; column 3 is pressed at its centre, x 140.
    const Case cases[] = {{150, -1, 3}, {230, 6, 5}, {90, 2, 2}, {15, 1, 1}};
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 400, 120}, 0, {40, 40, 40, 40, 40, 40, 40, 40}, 3);
        fresh.SetFixedColCount(1);
        fresh.InsertHeaderItem(-1, L"");
        fresh.SetHeaderItemText(0, 3, L"cell3");
        fresh.SetItemText(0, 3, L"stays");
        parent.Reset();
        Drag(fresh, POINT{140, 10}, POINT{c.releaseX, 10});
        const auto notes = parent.Notes(GN_COLUMNMOVED);
        const auto titles = Titles(fresh);
        if (c.expectDrop < 0) {
            EXPECT_TRUE(notes.empty()) << c.releaseX;
        } else {
            ASSERT_EQ(notes.size(), 1u) << c.releaseX;
            EXPECT_EQ(notes[0], (Note{12, 3, c.expectDrop, 0}));
        }
        EXPECT_EQ(titles[c.expectIndex], L"col3") << c.releaseX;
        EXPECT_EQ(std::wstring(fresh.GetItemText(0, 3)), L"stays") << "stored cells stay";
        RECT cell{};
        ASSERT_TRUE(fresh.GetHeaderSubItemRect(0, c.expectIndex, 0, &cell));
    }
}

TEST_F(GridInput, RowDragReportsTheInsertionPosition)
{
    Make(0, {60, 60}, 10, 10);
    grid.EnableRowDrag(TRUE);
    RECT target{};
    grid.GetItemRect(5, &target);
    Drag(grid, Cell(2, 1), POINT{90, int(target.bottom) - 2});
    EXPECT_EQ(parent.Notes(GN_ROWMOVED), (std::vector<Note>{{13, 2, 6, 0}}));
    EXPECT_TRUE(parent.Notes(GN_CELLCLICK).empty());
    // The grid leaves the rows where they are; the parent moves them.
    EXPECT_EQ(std::wstring(grid.GetItemText(2, 0)), L"2");

    parent.Reset();
    grid.EnableRowDrag(FALSE);
    Drag(grid, Cell(2, 1), POINT{90, int(target.bottom) - 2});
    EXPECT_TRUE(parent.Notes(GN_ROWMOVED).empty());
}

TEST_F(GridInput, TheWheelScrollsOnlyAGridWithItsOwnVerticalBar)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    struct Case {
        DWORD style;
        short delta;
        int expectTop;
    };
    const Case cases[] = {{GS_OWNVSCROLL, -120, int(lines)}, {GS_OWNVSCROLL, 240, 0}, {GS_OWNVSCROLL, -240, 0},
                          {0, -120, 0}};
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 300, 22 + 4 * 22}, c.style, {60}, 100);
        SendMessageW(fresh, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), At(10, 40));
        EXPECT_EQ(fresh.GetTopIndex(), c.expectTop) << c.style << " " << c.delta;
    }
}

TEST_F(GridInput, OwnScrollBarArrowsAndPages)
{
    Make(GS_OWNVSCROLL | GS_OWNHSCROLL, {100, 100, 100, 100, 100}, 100, 6);
    const CRect down = grid.m_vsi.rcArrow2;
    Click(grid, down.CenterPoint());
    EXPECT_EQ(grid.GetTopIndex(), 1);
    const CRect pageAfter = grid.m_vsi.rcPage2;
    Click(grid, pageAfter.CenterPoint());
    EXPECT_EQ(grid.GetTopIndex(), 1 + grid.GetCountPerPage());
    Click(grid, grid.m_hsi.rcArrow2.CenterPoint());
    EXPECT_EQ(grid.m_nLeftCol, 1);
    EXPECT_TRUE(parent.Notes().empty());
}

TEST_F(GridInput, HoldingAnOwnBarArrowOrTrackRepeatsUntilReleased)
{
    struct Case {
        const char* name;
        CRect CGridScrollInfo::*part;
        bool byPage;
    };
    const Case cases[] = {{"arrow", &CGridScrollInfo::rcArrow2, false}, {"track", &CGridScrollInfo::rcPage2, true}};
    for (const Case& c : cases) {
        TestGrid fresh;
        MakeGrid(fresh, parent, RECT{0, 0, 300, 22 + 22 * 6}, GS_OWNVSCROLL, {60}, 400);
        const int step = c.byPage ? fresh.GetCountPerPage() : 1;
        // The far end of the part, which the thumb reaches last. The repeat follows the real pointer, as
        // a held button does, so the pointer is put there too.
        const CRect part = fresh.m_vsi.*c.part;
        const POINT press{part.CenterPoint().x, part.bottom - 2};
        POINT screen = press;
        ClientToScreen(fresh, &screen);
        SetCursorPos(screen.x, screen.y);

        SendMessageW(fresh, WM_LBUTTONDOWN, MK_LBUTTON, At(press.x, press.y));
        EXPECT_EQ(fresh.GetTopIndex(), step) << c.name;
        // The first repeat waits, the next ones follow quickly (some ten in the time pumped).
        EXPECT_TRUE(testsupport::PumpUntil([&] { return fresh.GetTopIndex() >= 2 * step; }, 3000)) << c.name;
        const int firstRepeat = fresh.GetTopIndex();
        testsupport::PumpFor(600);
        EXPECT_GE(fresh.GetTopIndex() - firstRepeat, 3 * step) << c.name;
        EXPECT_EQ(fresh.GetTopIndex() % step, 0) << c.name;
        SendMessageW(fresh, WM_LBUTTONUP, 0, At(press.x, press.y));
        const int released = fresh.GetTopIndex();
        testsupport::PumpFor(200);
        EXPECT_EQ(fresh.GetTopIndex(), released) << c.name;
    }
}

TEST_F(GridInput, BuddyBarsGetTheRangeAndFullThumbPositions)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Buddy::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KXScrollBar";
    RegisterClassW(&windowClass);
    HWND bar = CreateWindowExW(0, L"KXScrollBar", L"", WS_CHILD, 0, 0, 16, 100, parent, nullptr,
                               windowClass.hInstance, nullptr);
    ASSERT_NE(bar, nullptr);

    Make(GS_CELLCALLBACK, {60}, 100000, 4);
    SendMessageW(grid, WM_KX_SCROLLBUDDY, 0, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(Buddy::last.nMax, 99999);
    EXPECT_EQ(Buddy::last.nPage, 4u);

    Buddy::position = 70000;
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 70000 & 0xFFFF), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(grid.GetTopIndex(), 70000);
    EXPECT_EQ(Buddy::last.nPos, 70000);
    SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(grid.GetTopIndex(), 70001);
    DestroyWindow(bar);
}


TEST_F(GridInput, HoverIsReportedOverDataCellsOnly)
{
    Make(0, {60, 60}, 3, 6);
    const POINT cell = Cell(1, 1);
    SendMessageW(grid, WM_MOUSEMOVE, 0, At(cell.x, cell.y));
    SendMessageW(grid, WM_MOUSEMOVE, 0, At(cell.x, 10));
    SendMessageW(grid, WM_MOUSEMOVE, 0, At(cell.x, 22 + 22 * 5));
    EXPECT_EQ(parent.Notes(), (std::vector<Note>{{18, 1, 1, 0}}));
}
