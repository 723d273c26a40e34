#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <util/export.h>
#include <util/gdi.h>
#include <util/menu.h>

class CKXXPMenuEx;
class CWnd;

// One entry of a remapped menu, given to the platform as the entry's item data.
struct tagKxMenuItem {
    int nCmdID;          // 0 separator, -1 sub-menu entry, else the command identifier
    UINT nState;         // 0x3 grayed or disabled, 0x8 checked, 0x40 column break
    wchar_t szText[128]; // zero-terminated, at most 127 characters
    CKXXPMenuEx* pOwner; // the object that made the record
};

// The look of the owner-drawn menu.
constexpr int KXMENU_ICONCOLUMN_WIDTH = 22;
constexpr COLORREF KXMENU_CLR_HOTFILL = RGB(177, 185, 207); // inside the hot entry's black frame
constexpr COLORREF KXMENU_CLR_ICONCOLUMN = RGB(219, 216, 209);
constexpr COLORREF KXMENU_CLR_TEXTAREA = RGB(249, 248, 247);
constexpr COLORREF KXMENU_CLR_GREY = RGB(128, 128, 128); // separators and disabled text
constexpr COLORREF KXMENU_CLR_CHECKMARK = RGB(0, 128, 255);

// Image kinds of SetMenuItemImage.
enum : int { KXMI_STRIP_INDEX = 0, KXMI_ICON = 1, KXMI_BITMAP = 2 };

// Turns a platform menu into an owner-drawn menu with a flat look: a light icon column with images
// or check marks, a near-white text area, a framed highlight, grey separators and right-aligned
// accelerators. RemapMenu before the menu is shown; the owner window's WM_MEASUREITEM and WM_DRAWITEM
// of menu entries go to MeasureItem and DrawItem.
class UTIL_API CKXXPMenuEx {
public:
    CKXXPMenuEx();
    virtual ~CKXXPMenuEx();
    CKXXPMenuEx(const CKXXPMenuEx&) = delete;
    CKXXPMenuEx& operator=(const CKXXPMenuEx&) = delete;

    // Makes every entry of the menu and its sub-menus owner-drawn with a new record. Entries that an
    // earlier remap made owner-drawn keep their texts; the earlier records are freed.
    void RemapMenu(CMenu* menu);
    void MeasureItem(MEASUREITEMSTRUCT* item);
    void DrawItem(DRAWITEMSTRUCT* item);
    // The strip of kind-0 images (not owned) and the size of one image in it.
    void SetImageList(HBITMAP strip, int imageWidth, int imageHeight);
    // Enters or replaces the image of a command; false for an unknown kind.
    BOOL SetMenuItemImage(UINT cmdId, UINT_PTR value, int kind);
    void FreeData();
    // The records of the last remap.
    int GetItemCount() const { return static_cast<int>(m_arItems.size()); }

    // Breadth-first search for the first entry with the command; the menu holding it and its position.
    static BOOL GetItemByCmd(CMenu* menu, UINT cmdId, CMenu** foundMenu, int* position);
    // Runs the window's command-update handlers over the menu's command entries, last to first.
    static void EnableMenuItems(CMenu* menu, CWnd* wnd);
    // A new pop-up menu with the same entries (texts, grayed and checked states); the caller deletes it.
    static CMenu* CopyMenu(CMenu* menu);

    // The record an entry's item data names, if it is a live record of any menu object; else null.
    static tagKxMenuItem* RecordFromItemData(ULONG_PTR itemData);

protected:
    void DrawBgClr(HDC dc, const RECT& rect, bool hot) const;
    void DrawImage(HDC dc, const RECT& column, UINT cmdId) const;
    void DrawCheckMark(HDC dc, const RECT& column) const;
    // The text, split at a tab into a left-aligned part and a right-aligned accelerator.
    void DrawTextW(HDC dc, const wchar_t* text, const RECT& rect, COLORREF color) const;

    CFont m_fontMenu;
    std::vector<std::unique_ptr<tagKxMenuItem>> m_arItems;
    std::map<WORD, std::pair<int, UINT_PTR>> m_mapImages;
    HBITMAP m_hImageList = nullptr;
    int m_cxImage = 0;
    int m_cyImage = 0;

private:
    tagKxMenuItem* NewRecord(int cmdId, UINT state, const wchar_t* text);
};
