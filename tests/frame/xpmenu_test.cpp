#include <util/wnd.h>
#include <util/xpmenu.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "support/dib.h"
#include "support/gdi_count.h"

using testsupport::DibSurface;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 24;
const COLORREF kBlack = RGB(0, 0, 0);

// File: Open<tab>Ctrl+O (100), a separator, Grey (101, grayed), Ticked (102, checked), More >
// (Deep > Leaf (300)).
struct SampleMenu {
    CMenu menu;
    HMENU more = nullptr;
    HMENU deep = nullptr;

    SampleMenu()
    {
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 100, L"Open\tCtrl+O");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING | MF_GRAYED, 101, L"Grey");
        menu.AppendMenu(MF_STRING | MF_CHECKED, 102, L"Ticked");
        more = CreatePopupMenu();
        deep = CreatePopupMenu();
        AppendMenuW(deep, MF_STRING, 300, L"Leaf");
        AppendMenuW(more, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(deep), L"Deep");
        menu.AppendMenu(MF_POPUP | MF_STRING | MF_MENUBREAK, reinterpret_cast<UINT_PTR>(more), L"More");
    }
};

MENUITEMINFOW Entry(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info;
}

const tagKxMenuItem* RecordOf(HMENU menu, UINT position)
{
    return CKXXPMenuEx::RecordFromItemData(Entry(menu, position).dwItemData);
}

DRAWITEMSTRUCT DrawRecord(HMENU menu, UINT position, HDC dc, UINT state, int width = kWidth)
{
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = GetMenuItemID(menu, static_cast<int>(position));
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hDC = dc;
    draw.rcItem = {0, 0, width, kHeight};
    draw.itemData = Entry(menu, position).dwItemData;
    return draw;
}

// The menu font's size of a text, as the platform measures it on the screen.
SIZE MenuTextExtent(const wchar_t* text)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size;
}

// The right-most column holding a pixel that is neither of the two background colours.
int RightmostInk(const DibSurface& surface, const RECT& area)
{
    for (LONG x = area.right - 1; x >= area.left; --x) {
        for (LONG y = area.top; y < area.bottom; ++y) {
            const COLORREF c = surface.pixel(x, y);
            if (c != KXMENU_CLR_TEXTAREA && c != KXMENU_CLR_ICONCOLUMN) {
                return x;
            }
        }
    }
    return -1;
}

HBITMAP SolidBitmap(int width, int height, COLORREF fill, COLORREF corner)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SetPixel(dc, 0, 0, corner);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

} // namespace

// ---- remapping ----

TEST(XPMenu, RemappingMakesEveryEntryOwnerDrawnWithARecord)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    EXPECT_EQ(xp.GetItemCount(), 5 + 1 + 1);
    for (UINT position = 0; position < 5; ++position) {
        EXPECT_TRUE(Entry(sample.menu, position).fType & MFT_OWNERDRAW) << position;
        ASSERT_NE(RecordOf(sample.menu, position), nullptr);
        EXPECT_EQ(RecordOf(sample.menu, position)->pOwner, &xp);
    }
    EXPECT_EQ(RecordOf(sample.menu, 0)->nCmdID, 100);
    EXPECT_STREQ(RecordOf(sample.menu, 0)->szText, L"Open\tCtrl+O");
    EXPECT_EQ(RecordOf(sample.menu, 1)->nCmdID, 0);
    EXPECT_EQ(RecordOf(sample.menu, 2)->nState, 0x3u);
    EXPECT_EQ(RecordOf(sample.menu, 3)->nState, 0x8u);
    // The sub-menu entry: command -1, a column break, still holding its sub-menu, which is remapped too.
    EXPECT_EQ(RecordOf(sample.menu, 4)->nCmdID, -1);
    EXPECT_EQ(RecordOf(sample.menu, 4)->nState, 0x40u);
    EXPECT_EQ(Entry(sample.menu, 4).hSubMenu, sample.more);
    EXPECT_STREQ(RecordOf(sample.more, 0)->szText, L"Deep");
    EXPECT_STREQ(RecordOf(sample.deep, 0)->szText, L"Leaf");
    // The entries keep their identifiers and states.
    EXPECT_EQ(GetMenuItemID(sample.menu, 0), 100u);
    EXPECT_TRUE(Entry(sample.menu, 2).fState & MFS_GRAYED);
    EXPECT_TRUE(Entry(sample.menu, 3).fState & MFS_CHECKED);
}

TEST(XPMenu, RemappingAgainKeepsTheTextsAndFreesTheOldRecords)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    const ULONG_PTR firstRecord = Entry(sample.menu, 0).dwItemData;
    const ULONG_PTR deepRecord = Entry(sample.deep, 0).dwItemData;
    xp.RemapMenu(&sample.menu);
    EXPECT_EQ(xp.GetItemCount(), 7);
    EXPECT_STREQ(RecordOf(sample.menu, 0)->szText, L"Open\tCtrl+O");
    EXPECT_STREQ(RecordOf(sample.more, 0)->szText, L"Deep");
    EXPECT_STREQ(RecordOf(sample.deep, 0)->szText, L"Leaf");
    EXPECT_EQ(CKXXPMenuEx::RecordFromItemData(firstRecord), nullptr);
    EXPECT_EQ(CKXXPMenuEx::RecordFromItemData(deepRecord), nullptr);

    // Records of another object are read too; they stay that object's.
    CKXXPMenuEx other;
    other.RemapMenu(&sample.menu);
    EXPECT_STREQ(RecordOf(sample.menu, 3)->szText, L"Ticked");
    EXPECT_EQ(RecordOf(sample.menu, 3)->pOwner, &other);
    EXPECT_EQ(xp.GetItemCount(), 7);
    xp.FreeData();
    EXPECT_EQ(xp.GetItemCount(), 0);
    xp.RemapMenu(nullptr);
    EXPECT_EQ(xp.GetItemCount(), 0);
}

TEST(XPMenu, LongTextsAreCutTo127Characters)
{
    CMenu menu;
    menu.CreatePopupMenu();
    const std::wstring longText(300, L'x');
    menu.AppendMenu(MF_STRING, 1, longText.c_str());
    CKXXPMenuEx xp;
    xp.RemapMenu(&menu);
    EXPECT_EQ(wcslen(RecordOf(menu, 0)->szText), 127u);
}

// ---- measuring ----

TEST(XPMenu, EntriesMeasureByTheirTextAndSeparatorsAreSixHigh)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, 100, 0, 0, Entry(sample.menu, 0).dwItemData};
    xp.MeasureItem(&measure);
    const SIZE text = MenuTextExtent(L"Open\tCtrl+O");
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(GetSystemMetrics(SM_CXMENUCHECK) + text.cx + 28));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(text.cy + 6));

    MEASUREITEMSTRUCT separator{ODT_MENU, 0, 0, 0, 0, Entry(sample.menu, 1).dwItemData};
    xp.MeasureItem(&separator);
    EXPECT_EQ(separator.itemHeight, 6u);

    // Foreign item data and other controls are left alone.
    MEASUREITEMSTRUCT foreign{ODT_MENU, 0, 7, 123, 45, reinterpret_cast<ULONG_PTR>(&measure)};
    xp.MeasureItem(&foreign);
    EXPECT_EQ(foreign.itemWidth, 123u);
    MEASUREITEMSTRUCT listBox{ODT_LISTBOX, 0, 0, 9, 9, Entry(sample.menu, 0).dwItemData};
    xp.MeasureItem(&listBox);
    EXPECT_EQ(listBox.itemHeight, 9u);
}

// ---- drawing ----

TEST(XPMenu, ANormalEntryHasTheIconColumnAndTheTextArea)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 0, surface.dc(), 0);
    xp.DrawItem(&draw);
    EXPECT_EQ(surface.count(KXMENU_CLR_ICONCOLUMN, RECT{0, 0, 22, kHeight}), 22 * kHeight);
    EXPECT_EQ(surface.pixel(22, 0), KXMENU_CLR_TEXTAREA);
    EXPECT_EQ(surface.pixel(kWidth - 1, kHeight - 1), KXMENU_CLR_TEXTAREA);
    // Text, black, from 8 pixels into the text area; none of it grey.
    EXPECT_GT(surface.count(kBlack, RECT{30, 0, kWidth, kHeight}), 0);
    EXPECT_EQ(surface.count(kBlack, RECT{0, 0, 30, kHeight}), 0);
    EXPECT_EQ(surface.count(KXMENU_CLR_GREY), 0);
}

TEST(XPMenu, TheAcceleratorIsRightAlignedShortOfTheCheckMarkWidth)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 0, surface.dc(), 0);
    xp.DrawItem(&draw);
    const int limit = kWidth - GetSystemMetrics(SM_CXMENUCHECK);
    const int rightmost = RightmostInk(surface, RECT{0, 0, kWidth, kHeight});
    EXPECT_LT(rightmost, limit);
    EXPECT_GE(rightmost, limit - 4); // right-aligned there, not after the word
    const SIZE word = MenuTextExtent(L"Open");
    // Between the word and the accelerator the text area is empty.
    const int gapFrom = 30 + word.cx + 2;
    const int gapTo = limit - MenuTextExtent(L"Ctrl+O").cx - 2;
    ASSERT_LT(gapFrom, gapTo);
    EXPECT_EQ(surface.count(KXMENU_CLR_TEXTAREA, RECT{gapFrom, 0, gapTo, kHeight}), (gapTo - gapFrom) * kHeight);
}

TEST(XPMenu, TheHotEntryIsFramedAndFilled)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, kHeight, RGB(255, 255, 255));
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 3, surface.dc(), ODS_SELECTED);
    xp.DrawItem(&draw);
    EXPECT_EQ(surface.count(kBlack, RECT{0, 0, kWidth, 1}), kWidth);
    EXPECT_EQ(surface.count(kBlack, RECT{0, kHeight - 1, kWidth, kHeight}), kWidth);
    EXPECT_EQ(surface.count(kBlack, RECT{0, 0, 1, kHeight}), kHeight);
    EXPECT_EQ(surface.count(kBlack, RECT{kWidth - 1, 0, kWidth, kHeight}), kHeight);
    EXPECT_EQ(surface.pixel(1, 1), KXMENU_CLR_HOTFILL);
    EXPECT_EQ(surface.pixel(kWidth - 2, kHeight - 2), KXMENU_CLR_HOTFILL);
    EXPECT_EQ(surface.count(KXMENU_CLR_ICONCOLUMN), 0);
}

TEST(XPMenu, ASeparatorIsAGreyLineAndNeverHot)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, 6, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 1, surface.dc(), ODS_SELECTED);
    draw.rcItem.bottom = 6;
    xp.DrawItem(&draw);
    EXPECT_EQ(surface.count(KXMENU_CLR_GREY, RECT{25, 3, kWidth - 3, 4}), kWidth - 3 - 25);
    EXPECT_EQ(surface.count(KXMENU_CLR_GREY), kWidth - 3 - 25);
    EXPECT_EQ(surface.count(KXMENU_CLR_HOTFILL), 0);
    EXPECT_EQ(surface.pixel(5, 0), KXMENU_CLR_ICONCOLUMN);
}

TEST(XPMenu, AGrayedEntryHasGreyText)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 2, surface.dc(), ODS_GRAYED | ODS_DISABLED);
    xp.DrawItem(&draw);
    EXPECT_GT(surface.count(KXMENU_CLR_GREY, RECT{30, 0, kWidth, kHeight}), 0);
    EXPECT_EQ(surface.count(kBlack, RECT{30, 0, kWidth, kHeight}), 0);
}

TEST(XPMenu, ACheckedEntryShowsTheMarkUnlessItHasAnImage)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 3, surface.dc(), ODS_CHECKED);
    xp.DrawItem(&draw);
    const RECT column{0, 0, 22, kHeight};
    EXPECT_GT(surface.count(KXMENU_CLR_CHECKMARK, column), 0);
    EXPECT_EQ(surface.count(KXMENU_CLR_CHECKMARK, RECT{22, 0, kWidth, kHeight}), 0);
    // Unchecked: no mark.
    draw.itemState = 0;
    xp.DrawItem(&draw);
    EXPECT_EQ(surface.count(KXMENU_CLR_CHECKMARK), 0);

    // With a bitmap image: only the image, its top-left colour transparent, from the column's corner.
    HBITMAP image = SolidBitmap(16, 16, RGB(0, 200, 0), RGB(255, 0, 255));
    EXPECT_TRUE(xp.SetMenuItemImage(102, reinterpret_cast<UINT_PTR>(image), KXMI_BITMAP));
    EXPECT_FALSE(xp.SetMenuItemImage(102, 0, 7));
    draw.itemState = ODS_CHECKED;
    xp.DrawItem(&draw);
    EXPECT_EQ(surface.count(KXMENU_CLR_CHECKMARK), 0);
    EXPECT_EQ(surface.count(RGB(0, 200, 0), RECT{0, 0, 16, 16}), 16 * 16 - 1);
    EXPECT_EQ(surface.pixel(0, 0), KXMENU_CLR_ICONCOLUMN);
    EXPECT_EQ(surface.pixel(16, 5), KXMENU_CLR_ICONCOLUMN);
    DeleteObject(image);
}

TEST(XPMenu, StripCellsAreCentredInTheColumn)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    // Two 10 x 10 cells: the second blue with a magenta corner.
    HBITMAP strip = SolidBitmap(20, 10, RGB(0, 200, 0), RGB(0, 200, 0));
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, strip);
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 220));
        RECT second{10, 0, 20, 10};
        FillRect(dc, &second, blue);
        DeleteObject(blue);
        SetPixel(dc, 10, 0, RGB(255, 0, 255));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    xp.SetImageList(strip, 10, 10);
    xp.SetMenuItemImage(100, 1, KXMI_STRIP_INDEX);
    xp.SetMenuItemImage(101, 5, KXMI_STRIP_INDEX); // beyond the strip: nothing
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 0, surface.dc(), 0);
    xp.DrawItem(&draw);
    // (22 - 10) / 2 = 6 from the left, (24 - 10) / 2 = 7 from the top.
    EXPECT_EQ(surface.count(RGB(0, 0, 220), RECT{6, 7, 16, 17}), 99);
    EXPECT_EQ(surface.count(RGB(0, 0, 220)), 99);
    EXPECT_EQ(surface.pixel(6, 7), KXMENU_CLR_ICONCOLUMN);
    EXPECT_EQ(surface.count(RGB(0, 200, 0)), 0);

    DRAWITEMSTRUCT beyond = DrawRecord(sample.menu, 2, surface.dc(), 0);
    surface.fill(kBlack);
    xp.DrawItem(&beyond);
    EXPECT_EQ(surface.count(KXMENU_CLR_ICONCOLUMN, RECT{0, 0, 22, kHeight}), 22 * kHeight);
    DeleteObject(strip);
}

TEST(XPMenu, IconsAreScaledIntoTheColumn)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    HBITMAP colour = SolidBitmap(32, 32, RGB(200, 0, 0), RGB(200, 0, 0));
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, mask);
        PatBlt(dc, 0, 0, 32, 32, BLACKNESS); // all opaque
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    xp.SetMenuItemImage(100, reinterpret_cast<UINT_PTR>(icon), KXMI_ICON);
    DibSurface surface(kWidth, kHeight, kBlack);
    DRAWITEMSTRUCT draw = DrawRecord(sample.menu, 0, surface.dc(), 0);
    xp.DrawItem(&draw);
    // Scaled to the column's 22 pixels, centred: within (0, 1)-(22, 23).
    const int red = surface.count(RGB(200, 0, 0));
    EXPECT_EQ(surface.count(RGB(200, 0, 0), RECT{0, 1, 22, 23}), red);
    EXPECT_GE(red, 20 * 20);
    DestroyIcon(icon);
}

TEST(XPMenu, DrawingLeaksNoGdiObjects)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    HBITMAP image = SolidBitmap(16, 16, RGB(0, 200, 0), RGB(255, 0, 255));
    xp.SetMenuItemImage(100, reinterpret_cast<UINT_PTR>(image), KXMI_BITMAP);
    xp.SetImageList(image, 8, 8);
    xp.SetMenuItemImage(101, 1, KXMI_STRIP_INDEX);
    DibSurface surface(kWidth, kHeight);
    auto drawAll = [&] {
        for (UINT position = 0; position < 5; ++position) {
            DRAWITEMSTRUCT draw = DrawRecord(sample.menu, position, surface.dc(), ODS_CHECKED | ODS_SELECTED);
            xp.DrawItem(&draw);
            MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0, 0, 0, draw.itemData};
            xp.MeasureItem(&measure);
        }
    };
    drawAll();
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        drawAll();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
    DeleteObject(image);
}

// ---- static helpers ----

TEST(XPMenu, GetItemByCmdSearchesSubMenusBreadthFirst)
{
    SampleMenu sample;
    CMenu* found = nullptr;
    int position = -1;
    EXPECT_TRUE(CKXXPMenuEx::GetItemByCmd(&sample.menu, 300, &found, &position));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_hMenu, sample.deep);
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(CKXXPMenuEx::GetItemByCmd(&sample.menu, 102, &found, &position));
    EXPECT_EQ(found->m_hMenu, sample.menu.m_hMenu);
    EXPECT_EQ(position, 3);
    for (UINT missing : {0u, static_cast<UINT>(-1), 999u}) {
        EXPECT_FALSE(CKXXPMenuEx::GetItemByCmd(&sample.menu, missing, &found, &position));
        EXPECT_EQ(found, nullptr);
        EXPECT_EQ(position, 0);
    }
    EXPECT_FALSE(CKXXPMenuEx::GetItemByCmd(nullptr, 100, &found, &position));
}

TEST(XPMenu, CopyMenuKeepsEntriesStatesAndSubMenus)
{
    CMenu source;
    source.CreatePopupMenu();
    source.AppendMenu(MF_STRING, 1, L"one");
    source.AppendMenu(MF_STRING | MF_CHECKED | MF_GRAYED, 2, L"two");
    source.AppendMenu(MF_SEPARATOR);
    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 3, L"three");
    source.AppendMenu(MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(sub), L"sub");
    CKXXPMenuEx xp;
    xp.RemapMenu(&source); // owner-drawn entries give their texts from the records

    std::unique_ptr<CMenu> copy(CKXXPMenuEx::CopyMenu(&source));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->GetMenuItemCount(), 4);
    CString text;
    copy->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_STREQ(text, L"two");
    const UINT state = copy->GetMenuState(1, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_CHECKED);
    EXPECT_TRUE(state & MF_GRAYED);
    EXPECT_FALSE(copy->GetMenuState(0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED));
    EXPECT_TRUE(copy->GetMenuState(2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_FALSE(Entry(*copy, 0).fType & MFT_OWNERDRAW);
    CMenu* copiedSub = copy->GetSubMenu(3);
    ASSERT_NE(copiedSub, nullptr);
    EXPECT_NE(copiedSub->m_hMenu, sub);
    EXPECT_TRUE(copy->GetMenuState(3, MF_BYPOSITION) & MF_GRAYED);
    copiedSub->GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_STREQ(text, L"three");

    CMenu empty;
    empty.CreatePopupMenu();
    EXPECT_EQ(CKXXPMenuEx::CopyMenu(&empty), nullptr);
    EXPECT_EQ(CKXXPMenuEx::CopyMenu(nullptr), nullptr);
}

namespace {
class UpdatingWindow : public CWnd {
public:
    std::vector<UINT> asked;
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO*) override
    {
        if (code != CN_UPDATE_COMMAND_UI) {
            return FALSE;
        }
        asked.push_back(id);
        auto* state = static_cast<CCmdUI*>(extra);
        if (id == 100) {
            state->Enable(FALSE);
        } else if (id == 300) {
            state->SetText(L"Renamed leaf");
        } else if (id == 101) {
            state->SetCheck(1);
        }
        return TRUE;
    }
};
} // namespace

TEST(XPMenu, EnableMenuItemsRunsTheUpdateHandlersLastToFirst)
{
    SampleMenu sample;
    CKXXPMenuEx xp;
    xp.RemapMenu(&sample.menu);
    UpdatingWindow window;
    CKXXPMenuEx::EnableMenuItems(&sample.menu, &window);
    EXPECT_EQ(window.asked, (std::vector<UINT>{300, 102, 101, 100}));
    EXPECT_TRUE(sample.menu.GetMenuState(100, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(sample.menu.GetMenuState(101, MF_BYCOMMAND) & MF_CHECKED);
    // A remapped entry gets its new text in its record and stays owner-drawn.
    EXPECT_STREQ(RecordOf(sample.deep, 0)->szText, L"Renamed leaf");
    EXPECT_TRUE(Entry(sample.deep, 0).fType & MFT_OWNERDRAW);

    // On a plain menu the entry's own text changes.
    SampleMenu plain;
    CKXXPMenuEx::EnableMenuItems(&plain.menu, &window);
    wchar_t text[32] = {};
    GetMenuStringW(plain.deep, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Renamed leaf");
    CKXXPMenuEx::EnableMenuItems(nullptr, &window);
    CKXXPMenuEx::EnableMenuItems(&plain.menu, nullptr);
}
