#include <util/kxtreectrl.h>

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "composite/tree_window.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/pump.h"
#include "support/recording_parent.h"

using testsupport::RecordingParent;

namespace {

// One selection notification the parent's handlers saw: the code, the item and whether it was in the
// new-item part (becoming selected).
struct SelectionEvent {
    UINT code;
    HTREEITEM item;
    bool asNew;
    bool operator==(const SelectionEvent& other) const
    {
        return code == other.code && item == other.item && asNew == other.asNew;
    }
};

// Holds a modifier key down in this thread's keyboard state while it lives.
class HeldKey {
public:
    explicit HeldKey(int key) : m_key(key) { Set(0x80); }
    ~HeldKey() { Set(0); }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

private:
    void Set(BYTE state) const
    {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[m_key] = state;
        ::SetKeyboardState(keys);
    }
    int m_key;
};

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS,
                                CRect(0, 0, 320, 380), &parent, 5));
        EXPECT_FALSE(tree.EnableMultiSelect(TRUE));
        parent.ExpectRecord<NMTREEVIEWW>(TVN_SELCHANGINGW);
        parent.ExpectRecord<NMTREEVIEWW>(TVN_SELCHANGEDW);
        parent.ExpectRecord<NMTREEVIEWW>(TVN_BEGINDRAGW);
        const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> branches = {
            {L"\u4E0A\u6D77", {L"\u6D66\u53D1\u94F6\u884C", L"\u62DB\u5546\u94F6\u884C", L"\u5DE5\u5546\u94F6\u884C"}},
            {L"\u6DF1\u5733", {L"\u5E73\u5B89\u94F6\u884C", L"\u4E07\u79D1A"}},
            {L"Code", {L"Bank", L"Banking", L"my_bank", L"bank-A"}},
        };
        for (const auto& branch : branches) {
            const HTREEITEM root = tree.InsertItem(branch.first);
            item[branch.first] = root;
            for (const wchar_t* child : branch.second) {
                item[child] = tree.InsertItem(child, root);
            }
            tree.Expand(root, TVE_EXPAND);
        }
        parent.clear();
    }

    HTREEITEM operator[](const wchar_t* name) { return item.at(name); }
    CPoint LabelCentre(HTREEITEM at) const
    {
        CRect label;
        tree.GetItemRect(at, &label, TRUE);
        return label.CenterPoint();
    }
    // A click as the user makes it: the release is waiting when the press arrives.
    void Click(HTREEITEM at, UINT keys = 0)
    {
        const CPoint point = LabelCentre(at);
        ::PostMessageW(tree.m_hWnd, WM_LBUTTONUP, keys, MAKELPARAM(point.x, point.y));
        tree.SendMessage(WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(point.x, point.y));
        testsupport::PumpPending();
    }
    // A press at from, moves to each point, and the release at the last one.
    void Drag(CPoint from, const std::vector<CPoint>& path, UINT keys = 0)
    {
        for (const CPoint& point : path) {
            ::PostMessageW(tree.m_hWnd, WM_MOUSEMOVE, keys | MK_LBUTTON, MAKELPARAM(point.x, point.y));
        }
        ::PostMessageW(tree.m_hWnd, WM_LBUTTONUP, keys, MAKELPARAM(path.back().x, path.back().y));
        tree.SendMessage(WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(from.x, from.y));
        testsupport::PumpPending();
    }
    void Key(UINT key)
    {
        tree.SendMessage(WM_KEYDOWN, key, 1);
        testsupport::PumpPending();
    }
    std::set<HTREEITEM> Selected() const
    {
        std::vector<HTREEITEM> list;
        tree.GetSelectedList(list);
        return std::set<HTREEITEM>(list.begin(), list.end());
    }
    std::vector<SelectionEvent> SelectionEvents() const
    {
        std::vector<SelectionEvent> events;
        for (const auto& received : parent.received()) {
            const auto code = static_cast<UINT>(received.code);
            if (received.message != WM_NOTIFY || received.takenByChild ||
                (code != TVN_SELCHANGINGW && code != TVN_SELCHANGEDW)) {
                continue;
            }
            const auto record = received.As<NMTREEVIEWW>();
            const bool asNew = record.itemNew.hItem != nullptr;
            events.push_back({static_cast<UINT>(received.code), asNew ? record.itemNew.hItem : record.itemOld.hItem, asNew});
        }
        return events;
    }

    RecordingParent parent{400, 400};
    TreeWindow tree;
    std::map<std::wstring, HTREEITEM> item;
};

const wchar_t kShanghai[] = L"\u4E0A\u6D77";
const wchar_t kShenzhen[] = L"\u6DF1\u5733";
const wchar_t kSpdb[] = L"\u6D66\u53D1\u94F6\u884C";
const wchar_t kCmb[] = L"\u62DB\u5546\u94F6\u884C";
const wchar_t kIcbc[] = L"\u5DE5\u5546\u94F6\u884C";
const wchar_t kPingan[] = L"\u5E73\u5B89\u94F6\u884C";
const wchar_t kVanke[] = L"\u4E07\u79D1A";

// ---- clicks ----

TEST_F(TreeTest, APlainClickMakesTheOnlySelectionWithOneNotificationPairPerChange)
{
    Click((*this)[kSpdb]);
    parent.clear();
    Click((*this)[kCmb]);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kCmb]}));
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kCmb]);
    const std::vector<SelectionEvent> expected = {
        {TVN_SELCHANGINGW, (*this)[kSpdb], false}, {TVN_SELCHANGEDW, (*this)[kSpdb], false},
        {TVN_SELCHANGINGW, (*this)[kCmb], true},   {TVN_SELCHANGEDW, (*this)[kCmb], true}};
    EXPECT_EQ(SelectionEvents(), expected);
    EXPECT_EQ(parent.Notifications(NM_CLICK).size(), 1u);
}

TEST_F(TreeTest, CtrlClickTogglesOnlyThatItemAndFocusesIt)
{
    Click((*this)[kSpdb]);
    Click((*this)[kCmb], MK_CONTROL);
    Click((*this)[kIcbc], MK_CONTROL);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kSpdb], (*this)[kCmb], (*this)[kIcbc]}));
    parent.clear();
    Click((*this)[kCmb], MK_CONTROL);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kSpdb], (*this)[kIcbc]}));
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kCmb]);
    EXPECT_EQ(tree.GetItemState((*this)[kCmb], TVIS_FOCUSED | TVIS_SELECTED), static_cast<UINT>(TVIS_FOCUSED));
    const std::vector<SelectionEvent> expected = {{TVN_SELCHANGINGW, (*this)[kCmb], false},
                                                  {TVN_SELCHANGEDW, (*this)[kCmb], false}};
    EXPECT_EQ(SelectionEvents(), expected);
}

TEST_F(TreeTest, ShiftClickSelectsTheVisibleRangeAcrossBranches)
{
    Click((*this)[kCmb]);
    Click((*this)[kPingan], MK_SHIFT);
    EXPECT_EQ(Selected(),
              (std::set<HTREEITEM>{(*this)[kCmb], (*this)[kIcbc], (*this)[kShenzhen], (*this)[kPingan]}));
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kPingan]);
    // From the same anchor, upwards.
    Click((*this)[kShanghai], MK_SHIFT);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kShanghai], (*this)[kSpdb], (*this)[kCmb]}));
}

TEST_F(TreeTest, AVetoedChangeLeavesTheItemAsItWas)
{
    parent.SetNotifyAnswer(TVN_SELCHANGINGW, 1);
    Click((*this)[kSpdb]);
    EXPECT_TRUE(Selected().empty());
    // Asked (twice: on the press and on the click), never changed.
    const std::vector<SelectionEvent> expected = {{TVN_SELCHANGINGW, (*this)[kSpdb], true},
                                                  {TVN_SELCHANGINGW, (*this)[kSpdb], true}};
    EXPECT_EQ(SelectionEvents(), expected);
}

TEST_F(TreeTest, DraggingAnItemStartsADragWithThePressPoint)
{
    const CPoint from = LabelCentre((*this)[kVanke]);
    Drag(from, {CPoint(from.x + 30, from.y + 40)});
    const auto drags = parent.Notifications(TVN_BEGINDRAGW);
    ASSERT_EQ(drags.size(), 1u);
    const auto record = drags[0].As<NMTREEVIEWW>();
    EXPECT_EQ(record.itemNew.hItem, (*this)[kVanke]);
    EXPECT_EQ(CPoint(record.ptDrag), from);
    EXPECT_TRUE(tree.IsSelected((*this)[kVanke]));
}

TEST_F(TreeTest, ARightClickOnAnUnselectedItemMakesItTheOnlySelection)
{
    Click((*this)[kSpdb]);
    Click((*this)[kCmb], MK_CONTROL);
    const CPoint point = LabelCentre((*this)[kVanke]);
    ::PostMessageW(tree.m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    tree.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    testsupport::PumpPending();
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kVanke]}));
}

// ---- the rubber band ----

struct BandCase {
    const char* name;
    UINT keys;
    std::vector<const wchar_t*> before;
    std::vector<const wchar_t*> after;
};

// Test names in the runner show the case's name, not its bytes.
void PrintTo(const BandCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class TreeBand : public TreeTest, public ::testing::WithParamInterface<BandCase> {};

TEST_P(TreeBand, SelectsTheLabelsItCrosses)
{
    const BandCase& band = GetParam();
    for (const wchar_t* name : band.before) {
        Click((*this)[name], MK_CONTROL);
    }
    // From empty space right of the first label, up-left over three labels.
    CRect first;
    CRect last;
    tree.GetItemRect((*this)[kSpdb], &first, TRUE);
    tree.GetItemRect((*this)[kIcbc], &last, TRUE);
    const CPoint from(300, last.CenterPoint().y);
    UINT hit = 0;
    tree.HitTest(from, &hit);
    ASSERT_EQ(hit & (TVHT_ONITEMICON | TVHT_ONITEMLABEL), 0u);
    Drag(from, {CPoint(from.x - 20, from.y - 2), CPoint(first.left + 4, first.CenterPoint().y)}, band.keys);
    std::set<HTREEITEM> expected;
    for (const wchar_t* name : band.after) {
        expected.insert((*this)[name]);
    }
    EXPECT_EQ(Selected(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TreeBand,
    ::testing::Values(BandCase{"Plain", 0, {kVanke}, {kSpdb, kCmb, kIcbc}},
                      BandCase{"CtrlToggles", MK_CONTROL, {kCmb, kVanke}, {kSpdb, kIcbc, kVanke}},
                      BandCase{"ShiftAdds", MK_SHIFT, {kCmb, kVanke}, {kSpdb, kCmb, kIcbc, kVanke}}),
    [](const ::testing::TestParamInfo<BandCase>& info) { return info.param.name; });

TEST_F(TreeTest, RowsTheBandLeavesAgainAreDeselected)
{
    CRect first;
    CRect last;
    tree.GetItemRect((*this)[kSpdb], &first, TRUE);
    tree.GetItemRect((*this)[kIcbc], &last, TRUE);
    const CPoint from(300, last.CenterPoint().y);
    // Up over three labels, then back down to the last one alone.
    Drag(from, {CPoint(from.x - 20, from.y - 2), CPoint(first.left + 4, first.CenterPoint().y),
                CPoint(first.left + 4, last.CenterPoint().y + 3)});
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kIcbc]}));
}

TEST_F(TreeTest, APressOnEmptySpaceWithoutMovingClearsTheSelection)
{
    Click((*this)[kSpdb]);
    Drag(CPoint(300, LabelCentre((*this)[kSpdb]).y), {CPoint(300, LabelCentre((*this)[kSpdb]).y)});
    EXPECT_TRUE(Selected().empty());
}

TEST_F(TreeTest, EscapeEndsTheBandWithNothingSelected)
{
    Click((*this)[kVanke]);
    const CPoint from(300, LabelCentre((*this)[kIcbc]).y);
    ::PostMessageW(tree.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, LabelCentre((*this)[kSpdb]).y));
    ::PostMessageW(tree.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    testsupport::PumpPending();
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(::GetCapture(), nullptr);
}

// ---- keys ----

TEST_F(TreeTest, ShiftArrowsExtendFromTheAnchorAndPlainArrowsMoveTheSelection)
{
    Click((*this)[kSpdb]);
    {
        HeldKey shift(VK_SHIFT);
        Key(VK_DOWN);
        Key(VK_DOWN);
    }
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kSpdb], (*this)[kCmb], (*this)[kIcbc]}));
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kIcbc]);
    {
        HeldKey shift(VK_SHIFT);
        Key(VK_UP);
    }
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kSpdb], (*this)[kCmb]}));
    parent.clear();
    Key(VK_DOWN);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kIcbc]}));
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kIcbc]);
    // Every change reached the parent once: two items left the selection, one joined it.
    const auto events = SelectionEvents();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const SelectionEvent& event) { return event.code == TVN_SELCHANGEDW; }),
              3);
}

TEST_F(TreeTest, CollapsingAParentWhoseChildHasTheFocusMovesTheFocusUp)
{
    Click((*this)[kCmb]);
    Click((*this)[kPingan], MK_CONTROL);
    // The expand button left of the branch's label.
    const CPoint label = LabelCentre((*this)[kShanghai]);
    CPoint button;
    UINT hit = 0;
    for (button = CPoint(label.x, label.y); button.x > 0; --button.x) {
        tree.HitTest(button, &hit);
        if (hit & TVHT_ONITEMBUTTON) {
            break;
        }
    }
    ASSERT_NE(hit & TVHT_ONITEMBUTTON, 0u);
    Click((*this)[kIcbc], MK_CONTROL); // focus inside the branch, three selected
    ::PostMessageW(tree.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
    testsupport::PumpPending();
    EXPECT_EQ(tree.GetFocusedItem(), (*this)[kShanghai]);
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kPingan]}));
}

TEST_F(TreeTest, SwitchingMultiSelectOffKeepsOnlyTheFocusItem)
{
    Click((*this)[kSpdb]);
    Click((*this)[kCmb], MK_CONTROL);
    EXPECT_TRUE(tree.EnableMultiSelect(FALSE));
    EXPECT_EQ(Selected(), (std::set<HTREEITEM>{(*this)[kCmb]}));
    EXPECT_FALSE(tree.IsMultiSelect());
}

TEST_F(TreeTest, SelectAllNotifiesOnlyTheItemsThatChange)
{
    Click((*this)[kSpdb]);
    parent.clear();
    tree.SelectAll(TRUE);
    EXPECT_EQ(tree.GetSelectedCount(), tree.GetCount());
    EXPECT_EQ(parent.Notifications(TVN_SELCHANGEDW).size(), tree.GetCount() - 1);
    EXPECT_TRUE(tree.SelectChildren((*this)[kShenzhen], FALSE, TRUE) == FALSE);
    EXPECT_FALSE(tree.IsSelected((*this)[kVanke]));
    EXPECT_EQ(tree.GetPrevSelectedItem((*this)[kVanke]), (*this)[kShenzhen]);
}

// ---- finding ----

struct FindCase {
    const char* name;
    const wchar_t* text;
    BOOL caseSensitive;
    BOOL downward;
    BOOL wholeWord;
    const wchar_t* start; // null: from the focus item or the root
    const wchar_t* expected;
};

void PrintTo(const FindCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class TreeFind : public TreeTest, public ::testing::WithParamInterface<FindCase> {};

TEST_P(TreeFind, FindsTheNextMatchWrappingAround)
{
    const FindCase& find = GetParam();
    const HTREEITEM found = tree.FindItem(find.text, find.caseSensitive, find.downward, find.wholeWord,
                                          find.start ? (*this)[find.start] : nullptr);
    EXPECT_EQ(found, find.expected ? (*this)[find.expected] : nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TreeFind,
    ::testing::Values(FindCase{"NextAfterStart", L"\u94F6\u884C", FALSE, TRUE, FALSE, kSpdb, kCmb},
                      FindCase{"IntoTheNextBranch", L"\u94F6\u884C", FALSE, TRUE, FALSE, kIcbc, kPingan},
                      FindCase{"WrapsToTheTop", L"\u4E0A\u6D77", FALSE, TRUE, FALSE, L"Code", kShanghai},
                      FindCase{"UpwardWrapsToTheEnd", L"bank-", FALSE, FALSE, FALSE, kShanghai, L"bank-A"},
                      FindCase{"UpwardInOrder", L"\u94F6\u884C", FALSE, FALSE, FALSE, kPingan, kIcbc},
                      FindCase{"FromTheRootIncluded", L"\u4E0A", FALSE, TRUE, FALSE, nullptr, kShanghai},
                      FindCase{"StartItselfLast", L"\u4E07\u79D1", FALSE, TRUE, FALSE, kVanke, kVanke},
                      FindCase{"WholeWord", L"bank", FALSE, TRUE, TRUE, L"Bank", L"bank-A"},
                      FindCase{"WholeWordFromRoot", L"BANK", FALSE, TRUE, TRUE, nullptr, L"Bank"},
                      FindCase{"CaseSensitive", L"bank", TRUE, TRUE, FALSE, L"Code", L"my_bank"},
                      FindCase{"Nothing", L"\u5317\u4EAC", FALSE, TRUE, FALSE, kSpdb, nullptr},
                      FindCase{"EmptyText", L"", FALSE, TRUE, FALSE, kSpdb, nullptr}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return info.param.name; });

TEST_F(TreeTest, FindInBranchSearchesOnlyTheBranchDepthFirst)
{
    EXPECT_EQ(tree.FindItemInBranch(L"\u94F6\u884C", FALSE, FALSE, (*this)[kShenzhen]), (*this)[kPingan]);
    EXPECT_EQ(tree.FindItemInBranch(L"\u6DF1", FALSE, FALSE, (*this)[kShenzhen]), nullptr);
    EXPECT_EQ(tree.FindItemInBranch(L"\u4E07", FALSE, FALSE, nullptr), nullptr);
}

TEST_F(TreeTest, WalkingCoversTheWholeTreeInDisplayOrder)
{
    tree.Expand((*this)[kShenzhen], TVE_COLLAPSE);
    EXPECT_EQ(tree.GetNextItem((*this)[kShenzhen]), (*this)[kPingan]);
    EXPECT_EQ(tree.GetNextItem((*this)[kVanke]), (*this)[L"Code"]);
    EXPECT_EQ(tree.GetPrevItem((*this)[L"Code"]), (*this)[kVanke]);
    EXPECT_EQ(tree.GetPrevItem((*this)[kSpdb]), (*this)[kShanghai]);
    EXPECT_EQ(tree.GetLastItem(nullptr), (*this)[L"bank-A"]);
    EXPECT_EQ(tree.GetNextItem((*this)[L"bank-A"]), nullptr);
    EXPECT_EQ(tree.GetPrevItem(nullptr), nullptr);
}

// ---- attributes and painting ----

TEST_F(TreeTest, AttributesKeepEachOtherAndGoWithTheirItem)
{
    const HTREEITEM spdb = (*this)[kSpdb];
    EXPECT_EQ(tree.GetItemColor(spdb), CLR_INVALID);
    EXPECT_EQ(tree.GetItemBackColor(spdb), CLR_INVALID);
    EXPECT_FALSE(tree.GetItemFont(spdb, nullptr));
    tree.SetItemColor(spdb, RGB(200, 0, 0));
    tree.SetItemBackColor(spdb, RGB(255, 255, 0));
    LOGFONTW font{};
    font.lfHeight = -16;
    wcscpy(font.lfFaceName, L"SimSun");
    tree.SetItemFont(spdb, font);
    EXPECT_EQ(tree.GetItemColor(spdb), RGB(200, 0, 0));
    EXPECT_EQ(tree.GetItemBackColor(spdb), RGB(255, 255, 0));
    LOGFONTW back{};
    EXPECT_TRUE(tree.GetItemFont(spdb, &back));
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_TRUE(tree.SetItemBold(spdb, TRUE));
    EXPECT_TRUE(tree.GetItemBold(spdb));
    EXPECT_FALSE(tree.SetItemColor(nullptr, 0));
    tree.DeleteItem(spdb);
    EXPECT_EQ(tree.GetItemColor(spdb), CLR_INVALID);
}

class TreePaint : public TreeTest {
protected:
    void Paint(testsupport::DibSurface& surface)
    {
        CDC dc;
        dc.Attach(surface.dc());
        tree.DoPaint(dc, TRUE);
        dc.Detach();
    }
    CRect Label(const wchar_t* name)
    {
        CRect label;
        tree.GetItemRect((*this)[name], &label, TRUE);
        return label;
    }
};

TEST_F(TreePaint, ItemColoursShowUnlessTheItemIsSelected)
{
    const COLORREF yellow = RGB(255, 255, 0);
    tree.SetItemBackColor((*this)[kSpdb], yellow);
    tree.SetItemBackColor((*this)[kCmb], yellow);
    tree.SetItemColor((*this)[kCmb], RGB(200, 0, 0));
    tree.SetItemState((*this)[kCmb], TVIS_SELECTED, TVIS_SELECTED);
    testsupport::DibSurface surface(320, 380);
    Paint(surface);
    const CRect spdb = Label(kSpdb);
    const CRect cmb = Label(kCmb);
    EXPECT_GT(surface.count(yellow, spdb), spdb.Width() * spdb.Height() / 3);
    EXPECT_EQ(surface.count(yellow, cmb), 0);
    // Selected without the focus, in a tree that shows its selection always.
    const bool focused = ::GetFocus() == tree.m_hWnd;
    const COLORREF selected = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    EXPECT_GT(surface.count(selected, cmb), cmb.Width() * cmb.Height() / 3);
    EXPECT_EQ(surface.count(RGB(200, 0, 0), cmb), 0);
}

TEST_F(TreePaint, RowsRightOfTheLabelsHaveTheTreeBackground)
{
    tree.SetBkColor(RGB(230, 240, 250));
    testsupport::DibSurface surface(320, 380);
    Paint(surface);
    const CRect spdb = Label(kSpdb);
    EXPECT_EQ(surface.pixel(310, spdb.CenterPoint().y), RGB(230, 240, 250));
}

TEST_F(TreePaint, PaintingLeaksNoGdiObjects)
{
    // Latin labels only: a thousand paints of Chinese text take long under the font fallback.
    tree.DeleteItem((*this)[kShanghai]);
    tree.DeleteItem((*this)[kShenzhen]);
    tree.SetItemColor((*this)[L"Bank"], RGB(200, 0, 0));
    tree.SetItemBackColor((*this)[L"Bank"], RGB(255, 255, 0));
    LOGFONTW font{};
    font.lfHeight = -14;
    font.lfWeight = FW_BOLD;
    wcscpy(font.lfFaceName, L"Tahoma");
    tree.SetItemFont((*this)[L"Banking"], font);
    tree.SetItemBold((*this)[L"my_bank"], TRUE);
    Click((*this)[L"bank-A"]);
    testsupport::DibSurface surface(320, 380);
    Paint(surface);
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        Paint(surface);
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

} // namespace
