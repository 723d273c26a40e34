#include <util/memmenu.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/process.h"

namespace {

// A menu of three levels, in UTF-8 with a declaration, as the client ships them.
const char kMenuFile[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Kelvora>
  <menu type="0" cmdid="150" name="买入" crText="255,0,0" crBk="0,0,255" icon="buy.ico" imgBk="bk.png" cmdline="trade buy"/>
  <menu type="0" cmdid="7" name="卖出"/>
  <menu type="2048"/>
  <menu type="2048"/>
  <menu type="16" name="行情">
    <menu cmdid="201" name="分时" cmdtype="5"/>
    <menu type="32" cmdid="202" name="K线"/>
    <menu type="16" name="指标">
      <menu cmdid="301" name="MACD"/>
      <menu cmdid="302" name="KDJ" visible="0"/>
      <menu type="64" cmdid="303" name="RSI"/>
    </menu>
    <menu type="16" name="空">
      <menu cmdid="401" name="隐藏" visible="0"/>
    </menu>
  </menu>
  <menu type="16" name="无子项"/>
  <MENU cmdid="8"/>
  <other cmdid="9" name="ignored"/>
  <menu type="2048"/>
</Kelvora>
)";

class MenuFile {
public:
    explicit MenuFile(const std::string& content) : m_path(m_dir.file(L"菜单.xml"))
    {
        HANDLE file =
            CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    const wchar_t* path() const { return m_path.c_str(); }

private:
    testsupport::TempDir m_dir;
    std::wstring m_path;
};

struct MenuItem {
    UINT type;
    UINT id;
    std::wstring text;
    HMENU sub;
};

MenuItem ItemOf(HMENU menu, int index)
{
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 63;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info));
    return MenuItem{info.fType, info.wID, text, info.hSubMenu};
}

// A tree of one command per name.
std::unique_ptr<CKxMemMenu> Commands(std::initializer_list<const wchar_t*> names)
{
    auto root = std::make_unique<CKxMemMenu>();
    WORD id = 1;
    for (const wchar_t* name : names) {
        const UINT type = name ? CKxMemMenu::kTypeCommand : CKxMemMenu::kTypeSeparator;
        root->AppendSubMenu(new CKxMemMenu(type, 100, id++, name, 0, 0xFFFFFFFF, nullptr, nullptr, true));
    }
    return root;
}

TEST(MemMenu, LoadsEveryFieldOfAThreeLevelDescription)
{
    MenuFile file(kMenuFile);
    CKxMemMenu menu;
    ASSERT_TRUE(menu.Load(file.path()));
    ASSERT_EQ(menu.GetSubMenuCount(), 7) << "the sub-menu without entries and other tags are left out";

    const CKxMemMenu& buy = *menu.GetSubMenu(0);
    EXPECT_EQ(buy.GetName(), L"买入");
    EXPECT_EQ(buy.GetCmdID(), 150);
    EXPECT_EQ(buy.GetCmdType(), 99) << "commands above 100 default to 99";
    EXPECT_EQ(buy.GetTextColor(), 0x0000FFu);
    EXPECT_EQ(buy.GetBkColor(), 0xFF0000u);
    EXPECT_EQ(buy.GetIconPath(), L"buy.ico");
    EXPECT_EQ(buy.GetImgPath(), L"bk.png");
    EXPECT_EQ(buy.GetCmdLine(), L"trade buy");
    EXPECT_TRUE(buy.IsVisible());

    const CKxMemMenu& sell = *menu.GetSubMenu(1);
    EXPECT_EQ(sell.GetCmdType(), 7) << "the command identifier otherwise";
    EXPECT_EQ(sell.GetBkColor(), 0xFFFFFFFFu);
    EXPECT_EQ(sell.GetTextColor(), 0u);
    EXPECT_EQ(menu.GetSubMenu(2)->GetType(), CKxMemMenu::kTypeSeparator);

    const CKxMemMenu& quotes = *menu.GetSubMenu(4);
    EXPECT_EQ(quotes.GetType(), CKxMemMenu::kTypeSubMenu);
    ASSERT_EQ(quotes.GetSubMenuCount(), 4);
    EXPECT_EQ(quotes.GetSubMenu(0)->GetCmdType(), 5);
    EXPECT_EQ(quotes.GetSubMenu(1)->GetType(), CKxMemMenu::kTypeBarBreak);
    const CKxMemMenu& indicators = *quotes.GetSubMenu(2);
    ASSERT_EQ(indicators.GetSubMenuCount(), 3);
    EXPECT_FALSE(indicators.GetSubMenu(1)->IsVisible());
    EXPECT_EQ(indicators.GetSubMenu(3), nullptr);
    EXPECT_EQ(indicators.GetSubMenu(-1), nullptr);
    EXPECT_EQ(menu.GetSubMenu(5)->GetName(), L"") << "tag names match without regard to case";
}

TEST(MemMenu, BuildsATrimmedPlatformMenu)
{
    MenuFile file(kMenuFile);
    CKxMemMenu menu;
    ASSERT_TRUE(menu.Load(file.path()));
    HMENU popup = menu.GetMenu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menu.GetSubMenuCount(), 4) << "the tree itself is trimmed";

    ASSERT_EQ(GetMenuItemCount(popup), 4);
    const MenuItem buy = ItemOf(popup, 0);
    EXPECT_EQ(buy.id, 150u);
    EXPECT_EQ(buy.text, L"买入");
    EXPECT_EQ(buy.type, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(ItemOf(popup, 1).id, 7u);
    EXPECT_EQ(ItemOf(popup, 2).type, static_cast<UINT>(MFT_SEPARATOR)) << "two separators in a row became one";
    const MenuItem quotes = ItemOf(popup, 3);
    EXPECT_EQ(quotes.text, L"行情");
    ASSERT_NE(quotes.sub, nullptr);

    ASSERT_EQ(GetMenuItemCount(quotes.sub), 3) << "the sub-menu of invisible entries is gone";
    EXPECT_EQ(ItemOf(quotes.sub, 0).id, 201u);
    const MenuItem kline = ItemOf(quotes.sub, 1);
    EXPECT_EQ(kline.id, 202u);
    EXPECT_TRUE(kline.type & MFT_MENUBARBREAK);
    const MenuItem indicators = ItemOf(quotes.sub, 2);
    EXPECT_EQ(indicators.text, L"指标");
    ASSERT_NE(indicators.sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(indicators.sub), 2);
    EXPECT_EQ(ItemOf(indicators.sub, 0).text, L"MACD");
    const MenuItem rsi = ItemOf(indicators.sub, 1);
    EXPECT_EQ(rsi.id, 303u);
    EXPECT_TRUE(rsi.type & MFT_MENUBREAK);

    EXPECT_TRUE(DestroyMenu(popup));
    EXPECT_FALSE(IsMenu(quotes.sub)) << "sub-menus go with their parent";

    HMENU again = menu.GetMenu();
    ASSERT_NE(again, nullptr) << "every call builds a new menu";
    EXPECT_NE(again, popup);
    EXPECT_EQ(GetMenuItemCount(again), 4);
    DestroyMenu(again);
}

TEST(MemMenu, TrimRemovesWhatSeparatesOrShowsNothing)
{
    auto menu = Commands({nullptr, L"a", nullptr, nullptr, L"", L"b", nullptr, nullptr});
    menu->Trim();
    ASSERT_EQ(menu->GetSubMenuCount(), 3);
    EXPECT_EQ(menu->GetSubMenu(0)->GetName(), L"a");
    EXPECT_EQ(menu->GetSubMenu(1)->GetType(), CKxMemMenu::kTypeSeparator);
    EXPECT_EQ(menu->GetSubMenu(2)->GetName(), L"b");

    // A separator left last once the entries behind it are gone.
    auto tail = Commands({L"a", nullptr, L"hidden"});
    tail->GetSubMenu(2)->SetVisible(false);
    tail->Trim();
    EXPECT_EQ(tail->GetSubMenuCount(), 1);

    auto hidden = Commands({L"a", L"b"});
    hidden->GetSubMenu(0)->SetVisible(false);
    hidden->GetSubMenu(1)->SetVisible(false);
    EXPECT_EQ(hidden->GetMenu(), nullptr);
    CKxMemMenu empty;
    EXPECT_EQ(empty.GetMenu(), nullptr);
    EXPECT_EQ(empty.SetMenu(nullptr), 0);

    // Entry types the platform menu does not take are left out of it.
    auto odd = Commands({L"a"});
    odd->AppendSubMenu(new CKxMemMenu(0x4000, 100, 9, L"odd", 0, 0, nullptr, nullptr, true));
    HMENU popup = odd->GetMenu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemCount(popup), 1);
    DestroyMenu(popup);
}

TEST(MemMenu, ChildrenAreOwnedOnceAndIndexesChecked)
{
    CKxMemMenu root;
    EXPECT_EQ(root.AppendSubMenu(nullptr), -1);
    EXPECT_EQ(root.InsertSubMenu(0, nullptr), -1);
    auto* first = new CKxMemMenu(0, 100, 1, L"first", 0, 0, nullptr, nullptr, true);
    EXPECT_EQ(root.InsertSubMenu(5, first), 1) << "past the end: appended, the new count";
    auto* zero = new CKxMemMenu(0, 100, 2, L"zero", 0, 0, nullptr, nullptr, true);
    EXPECT_EQ(root.InsertSubMenu(0, zero), 0);
    auto* last = new CKxMemMenu();
    EXPECT_EQ(root.AppendSubMenu(last), 3);
    EXPECT_EQ(root.InsertSubMenu(-1, last), -1);
    EXPECT_EQ(root.AppendSubMenu(last), -1) << "already in the tree";
    EXPECT_EQ(root.AppendSubMenu(&root), -1) << "a menu cannot hold itself";
    EXPECT_EQ(last->AppendSubMenu(&root), -1) << "nor one of its ancestors";
    EXPECT_EQ(root.GetSubMenu(0), zero);
    EXPECT_EQ(root.GetSubMenu(1), first);

    root.DeleteSubMenu(3);
    root.DeleteSubMenu(-1);
    EXPECT_EQ(root.GetSubMenuCount(), 3);
    root.DeleteSubMenu(0);
    EXPECT_EQ(root.GetSubMenu(0), first);

    // Release2 hands the children over without deleting them.
    std::unique_ptr<CKxMemMenu> taken0(root.GetSubMenu(0));
    std::unique_ptr<CKxMemMenu> taken1(root.GetSubMenu(1));
    root.Release2();
    EXPECT_EQ(root.GetSubMenuCount(), 0);
    EXPECT_EQ(taken0->GetName(), L"first");
}

TEST(MemMenu, ReleaseRestoresTheDefaults)
{
    CKxMemMenu menu(CKxMemMenu::kTypeSubMenu, 5, 6, L"name", 1, 2, L"img", L"cmd", false);
    EXPECT_EQ(menu.GetImgPath(), L"img");
    menu.SetIconPath(L"icon");
    menu.SetExData(42);
    menu.AppendSubMenu(new CKxMemMenu());
    menu.Release();
    EXPECT_EQ(menu.GetType(), 0u);
    EXPECT_EQ(menu.GetCmdType(), 100);
    EXPECT_EQ(menu.GetCmdID(), 0);
    EXPECT_EQ(menu.GetName(), L"");
    EXPECT_EQ(menu.GetTextColor(), 0u);
    EXPECT_EQ(menu.GetBkColor(), 0xFFFFFFFFu);
    EXPECT_EQ(menu.GetIconPath(), L"");
    EXPECT_EQ(menu.GetImgPath(), L"");
    EXPECT_EQ(menu.GetCmdLine(), L"");
    EXPECT_EQ(menu.GetExData(), 0u);
    EXPECT_TRUE(menu.IsVisible());
    EXPECT_EQ(menu.GetSubMenuCount(), 0);

    const CKxMemMenu blank(0, 1, 2, L"x", 0, 0, nullptr, nullptr, true);
    EXPECT_EQ(blank.GetImgPath(), L"");
    EXPECT_EQ(blank.GetCmdLine(), L"");
}

TEST(MemMenu, CopiesAreDeepEvenFromOwnDescendants)
{
    MenuFile file(kMenuFile);
    CKxMemMenu menu;
    ASSERT_TRUE(menu.Load(file.path()));
    menu.SetExData(77);

    CKxMemMenu copy(menu);
    copy.GetSubMenu(4)->GetSubMenu(2)->SetName(L"changed");
    EXPECT_EQ(menu.GetSubMenu(4)->GetSubMenu(2)->GetName(), L"指标");
    EXPECT_EQ(copy.GetExData(), 77u);
    CKxMemMenu assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetSubMenu(4)->GetSubMenu(2)->GetName(), L"changed");

    // Copying a node of its own tree onto the root: the node must be copied before the tree goes.
    ASSERT_TRUE(menu.CopyMenu(menu.GetSubMenu(4)->GetSubMenu(2)));
    EXPECT_EQ(menu.GetName(), L"指标");
    EXPECT_EQ(menu.GetType(), CKxMemMenu::kTypeSubMenu);
    EXPECT_EQ(menu.GetExData(), 0u);
    ASSERT_EQ(menu.GetSubMenuCount(), 3);
    EXPECT_EQ(menu.GetSubMenu(0)->GetName(), L"MACD");
    EXPECT_EQ(menu.GetSubMenu(2)->GetCmdID(), 303);

    EXPECT_TRUE(menu.CopyMenu(&menu));
    EXPECT_EQ(menu.GetSubMenuCount(), 3);
    EXPECT_FALSE(menu.CopyMenu(nullptr));
    EXPECT_EQ(menu.GetSubMenuCount(), 0);
    EXPECT_EQ(menu.GetName(), L"");
}

TEST(MemMenu, LoadFailuresLeaveAnEmptyTree)
{
    CKxMemMenu menu(0, 1, 2, L"kept?", 0, 0, nullptr, nullptr, true);
    menu.AppendSubMenu(new CKxMemMenu());
    EXPECT_FALSE(menu.Load(nullptr));
    EXPECT_EQ(menu.GetSubMenuCount(), 0);
    EXPECT_EQ(menu.GetName(), L"");

    testsupport::TempDir dir;
    EXPECT_FALSE(menu.Load(dir.file(L"missing.xml").c_str()));
    MenuFile wrongRoot("<Other><menu cmdid='1' name='a'/></Other>");
    EXPECT_FALSE(menu.Load(wrongRoot.path()));
    EXPECT_EQ(menu.GetSubMenuCount(), 0);
    MenuFile broken("<Kelvora><menu name='a'></Kelvora>");
    EXPECT_FALSE(menu.Load(broken.path()));
    MenuFile emptyRoot("<Kelvora/>");
    EXPECT_TRUE(menu.Load(emptyRoot.path()));
    EXPECT_EQ(menu.GetSubMenuCount(), 0);
}

} // namespace
