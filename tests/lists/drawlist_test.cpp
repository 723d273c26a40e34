#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include "lists/list_fixture.h"

namespace {

// Exposes the colour table.
class ProbeDrawList : public CDrawListCtrl {
public:
    using CDrawListCtrl::GetColorRef;
    using CDrawListCtrl::GetFullCellRect;
};

class DrawListTest : public liststest::ListTest<ProbeDrawList> {
protected:
    DWORD ListStyle() const override { return LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS; }
    void SetUp() override
    {
        liststest::ListTest<ProbeDrawList>::SetUp();
        parent.ExpectRecord<tagKXDrawListNotify>(KXDLN_DRAWCELL);
        parent.ExpectRecord<tagKXDrawListNotify>(KXDLN_LBUTTONDOWN);
        parent.ExpectRecord<tagKXDrawListNotify>(KXDLN_LBUTTONUP);
        AddRows({{L"\u6D66\u53D1", L"100"}, {L"\u62DB\u5546", L"200"}});
    }
};

TEST_F(DrawListTest, TheParentDrawsEveryCellOfARow)
{
    ASSERT_EQ(list.GetColumnCount(), 4);
    parent.clear();
    testsupport::DibSurface surface(480, 360);
    PaintInto(surface);
    const auto cells = parent.Notifications(KXDLN_DRAWCELL);
    ASSERT_EQ(cells.size(), 8u);
    for (size_t i = 0; i < cells.size(); ++i) {
        const auto record = cells[i].As<tagKXDrawListNotify>();
        const int item = static_cast<int>(i / 4);
        const int column = static_cast<int>(i % 4);
        EXPECT_EQ(record.hdr.hwndFrom, list.m_hWnd);
        EXPECT_EQ(record.hdr.idFrom, 7u);
        EXPECT_EQ(record.nItem, item);
        EXPECT_EQ(record.nSubItem, column);
        EXPECT_EQ(record.hDC, surface.dc());
        EXPECT_EQ(CRect(record.rcCell), list.GetCellRect(item, column, 0));
        EXPECT_FALSE(cells[i].takenByChild);
    }
}

TEST_F(DrawListTest, CellRectanglesFollowTheColumnWidths)
{
    CRect row;
    list.GetItemRect(1, &row, LVIR_BOUNDS);
    EXPECT_EQ(list.GetCellRect(1, 0, 1), CRect(row.left, row.top, row.left + 110, row.bottom));
    EXPECT_EQ(list.GetCellRect(1, 2, 1), CRect(row.left + 220, row.top, row.left + 330, row.bottom));
    EXPECT_EQ(list.GetCellRect(1, 2, 0), CRect(row.left + 221, row.top + 1, row.left + 329, row.bottom - 1));
    EXPECT_EQ(list.GetFullCellRect(1, 0), CRect(row.left + 1, row.top + 1, row.right - 1, row.bottom - 1));
}

TEST_F(DrawListTest, SelectedRowsAreFilledWithTheHighlight)
{
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    testsupport::DibSurface surface(480, 360);
    PaintInto(surface);
    CRect selected = list.GetFullCellRect(1, 0);
    CRect plain = list.GetFullCellRect(0, 0);
    // The platform may start the row a few pixels in; well inside it the fill shows.
    EXPECT_EQ(surface.pixel(selected.left + 8, selected.top + 1), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(surface.pixel(selected.right - 3, selected.bottom - 1), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(surface.pixel(plain.left + 8, plain.top + 1), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(DrawListTest, ClicksAreReportedWithTheirCell)
{
    CRect row;
    list.GetItemRect(1, &row, LVIR_BOUNDS);
    const CPoint at(row.left + 150, row.top + 2);
    parent.clear();
    ::PostMessageW(list.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    testsupport::PumpPending();
    for (UINT code : {KXDLN_LBUTTONDOWN, KXDLN_LBUTTONUP}) {
        const auto received = parent.Notifications(static_cast<int>(code));
        ASSERT_EQ(received.size(), 1u) << code;
        const auto record = received[0].As<tagKXDrawListNotify>();
        EXPECT_EQ(record.nItem, 1);
        EXPECT_EQ(record.nSubItem, 0);
        EXPECT_EQ(CRect(record.rcCell), list.GetCellRect(1, 0, 0));
        EXPECT_EQ(CPoint(record.pt), at);
    }
}

struct ColourCase {
    int index;
    COLORREF expected;
};

TEST(DrawListColours, TheTableOfColourIndexes)
{
    const ColourCase cases[] = {
        {0, ::GetSysColor(COLOR_WINDOW)},    {1, ::GetSysColor(COLOR_WINDOWTEXT)}, {2, ::GetSysColor(COLOR_HIGHLIGHT)},
        {3, ::GetSysColor(COLOR_HIGHLIGHTTEXT)}, {4, ::GetSysColor(COLOR_3DLIGHT)},
        {5, ::GetSysColor(COLOR_INACTIVECAPTIONTEXT)},
        {6, 0x000000}, {7, 0xFF0000}, {13, 0xFFFFFF}, {14, 0x800000}, {15, 0x008000}, {16, 0x808000},
        {20, 0x808080}, {24, 0xA4A0A0}, {25, 0x008000}, {-1, 0x008000}};
    for (const ColourCase& colour : cases) {
        EXPECT_EQ(ProbeDrawList::GetColorRef(colour.index), colour.expected) << colour.index;
    }
}

} // namespace
