#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include <set>

#include "lists/list_fixture.h"

using liststest::kName;
using liststest::kQuantity;

namespace {

// A caller that speaks to the list in raw messages, in their wide or narrow form.
struct RawForm {
    const char* name;
    UINT setItem;
    UINT getItem;
    UINT findItem;
    LRESULT(WINAPI* send)(HWND, UINT, WPARAM, LPARAM);
};

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr LPARAM kNoAnswer = 0x5A5A;

class RawItemData : public liststest::ListTest<CKXBaseListCtrl>, public ::testing::WithParamInterface<RawForm> {
protected:
    // The wide and narrow records share their layout; no text goes through them here.
    LRESULT Send(UINT message, WPARAM wParam, const void* record)
    {
        return GetParam().send(list.m_hWnd, message, wParam, reinterpret_cast<LPARAM>(record));
    }
    BOOL SetData(int item, LPARAM data, bool select)
    {
        LVITEMW info{};
        info.mask = LVIF_PARAM | (select ? LVIF_STATE : 0);
        info.iItem = item;
        info.lParam = data;
        info.state = info.stateMask = LVIS_SELECTED;
        return static_cast<BOOL>(Send(GetParam().setItem, 0, &info));
    }
    LPARAM GetData(int item)
    {
        LVITEMW info{};
        info.mask = LVIF_PARAM;
        info.iItem = item;
        info.lParam = kNoAnswer;
        EXPECT_TRUE(Send(GetParam().getItem, 0, &info)) << item;
        return info.lParam;
    }
    int Find(int start, LPARAM data, UINT flags)
    {
        LVFINDINFOW info{};
        info.flags = LVFI_PARAM | flags;
        info.lParam = data;
        return static_cast<int>(Send(GetParam().findItem, static_cast<WPARAM>(start), &info));
    }
    std::vector<LPARAM> AllData()
    {
        std::vector<LPARAM> data;
        for (int item = 0; item < list.GetItemCount(); ++item) {
            data.push_back(GetData(item));
        }
        return data;
    }
};

// Orders by the caller's data, largest first, and notes every value it was given.
int CALLBACK ByDataDescending(LPARAM first, LPARAM second, LPARAM seen)
{
    reinterpret_cast<std::set<LPARAM>*>(seen)->insert({first, second});
    return (first < second) - (first > second);
}

TEST_P(RawItemData, RoundTripsTheCallersDataAndKeepsEachRowsRecord)
{
    AddRows({{L"c", L"3"}, {L"a", L"1"}, {L"b", L"2"}});
    list.SetItemTextColor(0, kRed);
    EXPECT_TRUE(SetData(0, 0xD0, false));
    EXPECT_TRUE(SetData(1, 0xD1, true)); // the other fields of the message still apply
    EXPECT_TRUE(SetData(2, 0xD2, false));
    EXPECT_FALSE(SetData(3, 0xD3, false));
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(AllData(), (std::vector<LPARAM>{0xD0, 0xD1, 0xD2}));
    EXPECT_EQ(list.GetItemData(2), 0xD2u);
    EXPECT_EQ(list.GetItemTextColor(0), kRed);

    struct FindCase {
        int start;
        LPARAM data;
        UINT flags;
        int expected;
    };
    const FindCase finds[] = {
        {-1, 0xD2, 0, 2}, {0, 0xD1, 0, 1}, {1, 0xD1, 0, -1}, {2, 0xD0, 0, -1}, {2, 0xD0, LVFI_WRAP, 0},
        {-1, 0x99, LVFI_WRAP, -1}, {7, 0xD0, LVFI_WRAP, 0},
    };
    for (const FindCase& find : finds) {
        EXPECT_EQ(Find(find.start, find.data, find.flags), find.expected) << find.start << " " << find.data;
    }

    // The library's sort moves records, and so data and colours, with their rows.
    list.Sort(kQuantity, KXHDR_SORT_UP);
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(AllData(), (std::vector<LPARAM>{0xD1, 0xD2, 0xD0}));
    EXPECT_EQ(list.GetItemTextColor(2), kRed);
    EXPECT_EQ(Find(-1, 0xD0, 0), 2);

    // A caller's own comparison sees its own data.
    std::set<LPARAM> seen;
    EXPECT_TRUE(list.SortItems(&ByDataDescending, reinterpret_cast<DWORD_PTR>(&seen)));
    EXPECT_EQ(seen, (std::set<LPARAM>{0xD0, 0xD1, 0xD2}));
    EXPECT_EQ(Column(kName), (std::vector<std::wstring>{L"b", L"a", L"c"}));
    EXPECT_EQ(list.GetItemTextColor(2), kRed);

    // A raw deletion takes the row's record; the others keep theirs.
    EXPECT_TRUE(Send(LVM_DELETEITEM, 1, nullptr));
    EXPECT_EQ(AllData(), (std::vector<LPARAM>{0xD2, 0xD0}));
    EXPECT_EQ(list.GetItemTextColor(1), kRed);
    list.Sort(kQuantity, KXHDR_SORT_DOWN);
    EXPECT_EQ(AllData(), (std::vector<LPARAM>{0xD0, 0xD2}));
    EXPECT_TRUE(Send(LVM_DELETEALLITEMS, 0, nullptr));
    EXPECT_EQ(list.GetItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, RawItemData,
                         ::testing::Values(RawForm{"Wide", LVM_SETITEMW, LVM_GETITEMW, LVM_FINDITEMW, &::SendMessageW},
                                           RawForm{"Narrow", LVM_SETITEMA, LVM_GETITEMA, LVM_FINDITEMA, &::SendMessageA}),
                         [](const ::testing::TestParamInfo<RawForm>& info) { return info.param.name; });

} // namespace
