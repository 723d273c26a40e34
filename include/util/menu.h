#pragma once

#include <windows.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/win32_names.h>

// Win32 names of members, set aside here (see <util/win32_names.h>).
#pragma push_macro("AppendMenu")
#pragma push_macro("GetMenuItemInfo")
#pragma push_macro("GetMenuString")
#pragma push_macro("InsertMenu")
#pragma push_macro("LoadMenu")
#pragma push_macro("LoadMenuIndirect")
#pragma push_macro("ModifyMenu")
#pragma push_macro("SetMenuItemInfo")
#undef AppendMenu
#undef GetMenuItemInfo
#undef GetMenuString
#undef InsertMenu
#undef LoadMenu
#undef LoadMenuIndirect
#undef ModifyMenu
#undef SetMenuItemInfo

class CWnd;

// A platform menu. A CMenu made by CreateMenu, CreatePopupMenu or LoadMenu (or given with Attach)
// destroys its menu when it is destroyed; FromHandle gives a wrapper that never destroys the menu
// (for sub-menus and menus owned by a window) and lives while the menu does.
class UTIL_API CMenu {
public:
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    static CMenu* FromHandle(HMENU handle);

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    // Takes ownership; fails if this object holds a menu already.
    BOOL Attach(HMENU handle);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // A menu resource of the library's module, else of the program.
    BOOL LoadMenu(UINT resourceId);
    BOOL LoadMenu(const wchar_t* resourceName);
    BOOL LoadMenuIndirect(const void* menuTemplate);
    UTIL_WIN32_ALIASES(LoadMenu)
    UTIL_WIN32_ALIASES(LoadMenuIndirect)
    BOOL DestroyMenu();

    // position is a command identifier, or an index with MF_BYPOSITION in flags.
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const wchar_t* newItem = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, const wchar_t* newItem = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, const wchar_t* newItem = nullptr);
    UTIL_WIN32_ALIASES(AppendMenu)
    UTIL_WIN32_ALIASES(InsertMenu)
    UTIL_WIN32_ALIASES(ModifyMenu)
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL DeleteMenu(UINT position, UINT flags);
    // The previous state, or (UINT)-1 when the item does not exist.
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);

    int GetMenuItemCount() const;
    // The command identifier of an entry: 0 for a separator, (UINT)-1 for a sub-menu or a bad index.
    UINT GetMenuItemID(int position) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, wchar_t* text, int capacity, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;
    BOOL GetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition = FALSE) const;
    BOOL SetMenuItemInfo(UINT item, const MENUITEMINFOW* info, BOOL byPosition = FALSE);
    UTIL_WIN32_ALIASES(GetMenuString)
    UTIL_WIN32_ALIASES(GetMenuItemInfo)
    UTIL_WIN32_ALIASES(SetMenuItemInfo)

    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, const RECT* unused = nullptr);

    HMENU m_hMenu = nullptr;
};

// The route of command updates: CWnd::OnCmdMsg is asked with CN_UPDATE_COMMAND_UI and a CCmdUI
// whose operations the handler calls, or with CN_COMMAND whether a command has a handler at all.
enum : int { CN_COMMAND = 0, CN_UPDATE_COMMAND_UI = -1 };

// Filled in by a handler asked with CN_COMMAND and this record: the object that would handle it.
struct AFX_CMDHANDLERINFO {
    void* pTarget = nullptr;
};

// One user-interface element of a command (a menu entry or a control) whose state the command's
// update handler sets.
class UTIL_API CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1); // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(const wchar_t* text);
    // The handler asks that the update goes on to the next target.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks target's update handler for m_nID. Without one, disableIfNoHandler disables elements of
    // commands that nothing handles. True when a handler ran.
    BOOL DoUpdate(CWnd* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;    // the menu holding the entry, or null
    CMenu* m_pSubMenu = nullptr; // the sub-menu of a pop-up entry, or null
    CWnd* m_pOther = nullptr;    // a control, when the element is not a menu entry
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
    UINT m_nIndexMax = 0;
};

#pragma pop_macro("AppendMenu")
#pragma pop_macro("GetMenuItemInfo")
#pragma pop_macro("GetMenuString")
#pragma pop_macro("InsertMenu")
#pragma pop_macro("LoadMenu")
#pragma pop_macro("LoadMenuIndirect")
#pragma pop_macro("ModifyMenu")
#pragma pop_macro("SetMenuItemInfo")
