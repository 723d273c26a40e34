#include <util/menu.h>
#include <util/module.h>
#include <util/wnd.h>

#include "framework/temporary_map.h"

// The members of these names are defined under their literal names (see <util/win32_names.h>).
#undef AppendMenu
#undef GetMenuItemInfo
#undef GetMenuString
#undef InsertMenu
#undef LoadMenu
#undef LoadMenuIndirect
#undef ModifyMenu
#undef SetMenuItemInfo

namespace {

struct MenuTraits {
    static bool IsAlive(HMENU handle) { return ::IsMenu(handle) != FALSE; }
    static void Adopt(CMenu& wrapper, HMENU handle) { wrapper.m_hMenu = handle; }
    static void Disown(CMenu& wrapper) { wrapper.m_hMenu = nullptr; }
};

TemporaryMap<HMENU, CMenu, MenuTraits>& TemporaryMenus()
{
    static TemporaryMap<HMENU, CMenu, MenuTraits> map;
    return map;
}

// Library menus first, then the program's.
HMENU LoadMenuResource(const wchar_t* name)
{
    HMENU menu = ::LoadMenuW(AfxGetResourceHandle(), name);
    return menu ? menu : ::LoadMenuW(::GetModuleHandleW(nullptr), name);
}

} // namespace

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU handle)
{
    return TemporaryMenus().Get<CMenu>(handle);
}

BOOL CMenu::Attach(HMENU handle)
{
    if (m_hMenu != nullptr || handle == nullptr) {
        return FALSE;
    }
    m_hMenu = handle;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU handle = m_hMenu;
    m_hMenu = nullptr;
    return handle;
}

BOOL CMenu::CreateMenu()
{
    return m_hMenu == nullptr && Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu()
{
    return m_hMenu == nullptr && Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(UINT resourceId)
{
    return LoadMenu(MAKEINTRESOURCEW(resourceId));
}

BOOL CMenu::LoadMenu(const wchar_t* resourceName)
{
    return m_hMenu == nullptr && Attach(LoadMenuResource(resourceName));
}

BOOL CMenu::LoadMenuIndirect(const void* menuTemplate)
{
    return m_hMenu == nullptr && menuTemplate != nullptr && Attach(::LoadMenuIndirectW(menuTemplate));
}

BOOL CMenu::DestroyMenu()
{
    HMENU handle = Detach();
    return handle != nullptr && ::DestroyMenu(handle);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const wchar_t* newItem)
{
    return ::AppendMenuW(m_hMenu, flags, idNewItem, newItem);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem, const wchar_t* newItem)
{
    return ::InsertMenuW(m_hMenu, position, flags, idNewItem, newItem);
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem, const wchar_t* newItem)
{
    return ::ModifyMenuW(m_hMenu, position, flags, idNewItem, newItem);
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags)
{
    return ::RemoveMenu(m_hMenu, position, flags);
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    return ::DeleteMenu(m_hMenu, position, flags);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable)
{
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable));
}

UINT CMenu::CheckMenuItem(UINT item, UINT check)
{
    return ::CheckMenuItem(m_hMenu, item, check);
}

int CMenu::GetMenuItemCount() const
{
    return m_hMenu ? ::GetMenuItemCount(m_hMenu) : -1;
}

UINT CMenu::GetMenuItemID(int position) const
{
    return ::GetMenuItemID(m_hMenu, position);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const
{
    return ::GetMenuState(m_hMenu, item, flags);
}

int CMenu::GetMenuString(UINT item, wchar_t* text, int capacity, UINT flags) const
{
    if (text == nullptr || capacity <= 0) {
        return 0;
    }
    return ::GetMenuStringW(m_hMenu, item, text, capacity, flags);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    const int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    if (length <= 0) {
        text.Empty();
        return 0;
    }
    const int copied = ::GetMenuStringW(m_hMenu, item, text.GetBufferSetLength(length + 1), length + 1, flags);
    text.ReleaseBuffer(copied);
    return copied;
}

CMenu* CMenu::GetSubMenu(int position) const
{
    return FromHandle(::GetSubMenu(m_hMenu, position));
}

BOOL CMenu::GetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition) const
{
    return info && ::GetMenuItemInfoW(m_hMenu, item, byPosition, info);
}

BOOL CMenu::SetMenuItemInfo(UINT item, const MENUITEMINFOW* info, BOOL byPosition)
{
    return info && ::SetMenuItemInfoW(m_hMenu, item, byPosition, info);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, const RECT*)
{
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd ? wnd->m_hWnd : nullptr, nullptr);
}
