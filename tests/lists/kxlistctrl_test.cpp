#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include "lists/list_fixture.h"

namespace {

// A list with the column table that derived lists fill.
class TableList : public CKXListCtrl {
public:
    void SetTable(std::vector<tagKXColumnWidthID> table) { m_arrColumns = std::move(table); }
};

using ListCtrlTest = liststest::ListTest<TableList>;

TEST_F(ListCtrlTest, WithoutATableColumnIdsAndWidthsAreUnknown)
{
    EXPECT_EQ(list.GetColumnID(0), -1);
    EXPECT_EQ(list.GetAllColWidth(), 0);
    list.SetTable({{110, 501}, {110, 502}, {0, 503}, {-5, 504}});
    EXPECT_EQ(list.GetColumnID(1), 502);
    EXPECT_EQ(list.GetColumnID(4), -1);
    EXPECT_EQ(list.GetColumnID(-1), -1);
    list.SetColumnWidth(3, 0);
    EXPECT_EQ(list.GetAllColWidth(), 330);
}

TEST_F(ListCtrlTest, TheLastColumnFitsItsWidestText)
{
    AddRows({{L"", L"", L"1"}, {L"", L"", L"\u4E0A\u6D77\u6D66\u4E1C\u53D1\u5C55\u94F6\u884C\u80A1\u4EFD\u6709\u9650"
                                              L"\u516C\u53F8"}});
    CClientDC dc(&list);
    CFont* old = dc.SelectObject(list.GetFont());
    const int spaces = dc.GetTextExtent(L"   ", 3).cx;
    const int widest = dc.GetTextExtent(list.GetItemText(1, 3)).cx;
    const int title = dc.GetTextExtent(L"\u65E5\u671F", 2).cx;
    dc.SelectObject(old);
    list.AdjustListColumnWidth();
    EXPECT_EQ(list.GetColumnWidth(3), widest + 2 * spaces);

    list.DeleteAllItems();
    list.AdjustListColumnWidth();
    EXPECT_EQ(list.GetColumnWidth(3), title + spaces);

    list.SetTable({{0, 1}, {0, 2}, {0, 3}, {50, 4}}); // a positive table width keeps the column
    list.SetColumnWidth(3, 77);
    list.AdjustListColumnWidth();
    EXPECT_EQ(list.GetColumnWidth(3), 77);
}

TEST_F(ListCtrlTest, CheckBoxesComeAndGo)
{
    list.ShowCheckBox(TRUE);
    EXPECT_NE(list.GetExtendedStyle() & LVS_EX_CHECKBOXES, 0u);
    list.ShowCheckBox(FALSE);
    EXPECT_EQ(list.GetExtendedStyle() & LVS_EX_CHECKBOXES, 0u);
}

} // namespace
