#pragma once

// Report lists under test: a parent that answers the item-colour question, a list with the header
// features on, and pictures of what the controls paint.
#include <util/kxlistctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/dib.h"
#include "support/pump.h"
#include "support/recording_parent.h"

namespace liststest {

// A parent that answers WM_KX_GETITEMTEXTCOLOR with the colours it was given per item.
class ColourParent : public testsupport::RecordingParent {
public:
    ColourParent() : RecordingParent(500, 400) {}
    std::map<int, COLORREF> colours;
    int asked = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KX_GETITEMTEXTCOLOR) {
            ++asked;
            const auto found = colours.find(static_cast<int>(wParam));
            if (found == colours.end()) {
                return 0;
            }
            *reinterpret_cast<COLORREF*>(lParam) = found->second;
            return 1;
        }
        return RecordingParent::WindowProc(message, wParam, lParam);
    }
};

// Columns of the order list every test uses: serial number, name, quantity, date.
constexpr int kSerial = 0;
constexpr int kName = 1;
constexpr int kQuantity = 2;
constexpr int kDate = 3;

using Row = std::vector<std::wstring>; // name, quantity, date

template <typename List>
class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | ListStyle(), CRect(0, 0, 480, 360), &parent, 7));
        list.SetStyle(1);
        const wchar_t* titles[] = {L"\u5E8F\u53F7", L"\u540D\u79F0", L"\u6570\u91CF", L"\u65E5\u671F"};
        for (int column = 0; column < 4; ++column) {
            ASSERT_EQ(list.InsertColumn(column, titles[column], LVCFMT_LEFT, 110), column);
            list.SetSortState(column, KXHDR_SORTABLE);
            list.SetFilterState(column, KXHDR_NOFILTER);
        }
    }
    virtual DWORD ListStyle() const { return 0; }

    void AddRows(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            const int item = list.InsertItem(list.GetItemCount(), L"");
            for (size_t column = 0; column < row.size(); ++column) {
                list.SetItemText(item, static_cast<int>(column) + 1, row[column].c_str());
            }
        }
    }
    std::vector<std::wstring> Column(int column) const
    {
        std::vector<std::wstring> texts;
        for (int item = 0; item < list.GetItemCount(); ++item) {
            texts.emplace_back(static_cast<const wchar_t*>(list.GetItemText(item, column)));
        }
        return texts;
    }
    // What the list paints, custom draw included.
    void PaintInto(testsupport::DibSurface& surface)
    {
        surface.fill(RGB(1, 2, 3));
        list.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT | PRF_ERASEBKGND);
    }

    ColourParent parent;
    List list;
};

// The serial numbers 1..count as the first column shows them.
inline std::vector<std::wstring> Serials(int count)
{
    std::vector<std::wstring> serials;
    for (int i = 1; i <= count; ++i) {
        serials.push_back(std::to_wstring(i));
    }
    return serials;
}

} // namespace liststest
