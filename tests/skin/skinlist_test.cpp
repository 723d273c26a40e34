#include <util/skinlist.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "support/dib.h"
#include "support/pump.h"
#include "support/recording_parent.h"

namespace {

constexpr COLORREF kSelBk = RGB(49, 106, 196);
constexpr COLORREF kDepart = RGB(221, 221, 221);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kOwnText = RGB(200, 0, 0);
constexpr COLORREF kOwnBk = RGB(255, 240, 160);
constexpr int kRows = 8;

class SkinListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 300, 220), &parent,
                                40));
        list.InsertColumn(0, L"证券", LVCFMT_LEFT, 200);
        for (int row = 0; row < kRows; ++row) {
            list.InsertItemEx(row, L"浦发");
        }
        parent.clear();
    }

    // The list as it paints itself on screen, at the start of a row's label.
    COLORREF RowBackground(int row)
    {
        ::InvalidateRect(list, nullptr, TRUE);
        ::UpdateWindow(list);
        RECT bounds{};
        list.GetItemRect(row, &bounds, LVIR_LABEL);
        RECT client{};
        ::GetClientRect(list, &client);
        testsupport::DibSurface dib(client.right, client.bottom);
        const HDC screen = ::GetDC(list);
        ::BitBlt(dib.dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        ::ReleaseDC(list, screen);
        // Selected rows are filled behind their text only: the label's start is painted in every case.
        return dib.pixel(bounds.left + 2, (bounds.top + bounds.bottom) / 2);
    }

    void Click(int row, UINT keys)
    {
        RECT label{};
        list.GetItemRect(row, &label, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(label.left + 4, (label.top + label.bottom) / 2);
        // The list's own press handling waits for the release.
        ::PostMessageW(list, WM_LBUTTONUP, keys, at);
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        testsupport::PumpPending();
    }

    testsupport::RecordingParent parent{400, 300};
    CSkinListCtrl list;
};

TEST_F(SkinListTest, RowsTakeShadingOwnColoursAndSelectionColours)
{
    struct Case {
        const wchar_t* name;
        bool depart;
        int row;
        bool ownColors;
        bool selected;
        COLORREF expected;
    };
    const Case cases[] = {
        {L"even row", true, 0, false, false, kWhite},
        {L"odd row shaded", true, 1, false, false, kDepart},
        {L"odd row unshaded", false, 1, false, false, kWhite},
        {L"own colours", false, 2, true, false, kOwnBk},
        {L"shading wins over own background", true, 3, true, false, kDepart},
        {L"selected", true, 4, false, true, kSelBk},
        {L"selected with own colours", false, 6, true, true, kOwnBk},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        list.SetDepartBk(each.depart);
        if (each.ownColors) {
            list.SetItemColor(each.row, kOwnText, kOwnBk);
        }
        CSkinListCtrl::EnableHighlighting(list, each.row, each.selected);
        parent.clear();
        EXPECT_EQ(RowBackground(each.row), each.expected);
        // Painting leaves the selection as it was and notifies nothing.
        EXPECT_EQ(CSkinListCtrl::IsRowSelected(list, each.row), each.selected ? TRUE : FALSE);
        EXPECT_TRUE(parent.Notifications(LVN_ITEMCHANGED).empty());
        CSkinListCtrl::EnableHighlighting(list, each.row, FALSE);
    }
}

TEST_F(SkinListTest, ClicksMarkRowsByKeysInListStyleOne)
{
    struct Step {
        int row;
        UINT keys;
    };
    struct Case {
        const wchar_t* name;
        std::vector<Step> clicks;
        std::vector<int> marked;
    };
    const Case cases[] = {
        {L"plain click", {{2, 0}}, {2}},
        {L"plain click replaces", {{2, 0}, {5, 0}}, {5}},
        {L"control adds", {{2, 0}, {5, MK_CONTROL}}, {2, 5}},
        {L"shift marks down from the anchor", {{0, 0}, {3, MK_SHIFT}}, {0, 1, 2, 3}},
        {L"shift marks up to the anchor", {{6, 0}, {4, MK_SHIFT}}, {4, 5, 6}},
    };
    list.SetListStyle(1);
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        list.DeleteAllItemsEx();
        for (int row = 0; row < kRows; ++row) {
            list.InsertItemEx(row, L"招商");
        }
        for (const Step& step : each.clicks) {
            Click(step.row, step.keys);
        }
        std::vector<int> marked;
        for (int row = 0; row < kRows; ++row) {
            if (list.IsRowMarked(row)) {
                marked.push_back(row);
            }
        }
        EXPECT_EQ(marked, each.marked);
    }
    EXPECT_EQ(RowBackground(4), kSelBk);
    EXPECT_NE(RowBackground(2), kSelBk);
}

} // namespace
