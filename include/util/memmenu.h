#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <util/export.h>

class CMarkupSTL;

// A menu tree held in memory: loaded from an XML menu description, edited, trimmed and turned into a
// platform pop-up menu. Each node is one entry (command, separator, column break or sub-menu) with
// the extra fields the host uses to act on a command and to draw the entry itself.
//
// The description Load reads: a root element "Kelvora" holding "menu" elements; a "menu" of type 16
// holds the "menu" elements of its sub-menu (one left empty is dropped). Attributes, all optional:
//   type     the entry type, a platform menu flag: 0 command (MF_STRING), 16 sub-menu (MF_POPUP),
//            32 column break with a bar (MF_MENUBARBREAK), 64 column break (MF_MENUBREAK),
//            2048 separator (MF_SEPARATOR); default 0
//   cmdid    the command identifier (default 0)
//   cmdtype  the host's kind of command (default: cmdid, or 99 when cmdid is above 100)
//   name     the text shown
//   crText, crBk   colours as "r,g,b" (default black text, no background colour)
//   imgBk, icon    paths of a background image and an icon
//   cmdline  what the host runs for the command
//   visible  0 hides the entry (default 1)
// For example:
//   <Kelvora>
//     <menu type="0" cmdid="1001" name="买入" crText="200,0,0"/>
//     <menu type="2048"/>
//     <menu type="16" name="行情"><menu cmdid="1002" name="沪深"/></menu>
//   </Kelvora>
class UTIL_API CKxMemMenu {
public:
    // Entry types: the platform's menu flags.
    enum : UINT {
        kTypeCommand = MF_STRING,
        kTypeSubMenu = MF_POPUP,
        kTypeBarBreak = MF_MENUBARBREAK,
        kTypeBreak = MF_MENUBREAK,
        kTypeSeparator = MF_SEPARATOR,
    };

    CKxMemMenu();
    CKxMemMenu(UINT nType, WORD wCmdType, WORD wCmdID, const wchar_t* szName, COLORREF crText, COLORREF crBk,
               const wchar_t* szImgPath, const wchar_t* szCmdLine, bool bVisible);
    CKxMemMenu(const CKxMemMenu& other);
    CKxMemMenu& operator=(const CKxMemMenu& other);
    ~CKxMemMenu();

    bool Load(const wchar_t* szFilePath);

    UINT GetType() const { return m_nType; }
    WORD GetCmdID() const { return m_wCmdID; }
    WORD GetCmdType() const { return m_wCmdType; }
    COLORREF GetTextColor() const { return m_crText; }
    COLORREF GetBkColor() const { return m_crBk; }
    DWORD GetExData() const { return m_dwExData; }
    bool IsVisible() const { return m_bVisible; }
    const std::wstring& GetName() const { return m_strName; }
    const std::wstring& GetImgPath() const { return m_strImgPath; }
    const std::wstring& GetIconPath() const { return m_strIconPath; }
    const std::wstring& GetCmdLine() const { return m_strCmdLine; }
    int GetSubMenuCount() const { return static_cast<int>(m_arSubMenu.size()); }
    CKxMemMenu* GetSubMenu(int nIndex) const;

    void SetType(UINT nType) { m_nType = nType; }
    void SetCmdID(WORD wCmdID) { m_wCmdID = wCmdID; }
    void SetCmdType(WORD wCmdType) { m_wCmdType = wCmdType; }
    void SetTextColor(COLORREF crText) { m_crText = crText; }
    void SetBkColor(COLORREF crBk) { m_crBk = crBk; }
    void SetName(const wchar_t* szName) { m_strName = szName ? szName : L""; }
    void SetImgPath(const wchar_t* szPath) { m_strImgPath = szPath ? szPath : L""; }
    void SetIconPath(const wchar_t* szPath) { m_strIconPath = szPath ? szPath : L""; }
    void SetCmdLine(const wchar_t* szCmdLine) { m_strCmdLine = szCmdLine ? szCmdLine : L""; }
    void SetExData(DWORD dwExData) { m_dwExData = dwExData; }
    void SetVisible(bool bVisible) { m_bVisible = bVisible; }

    // The tree takes ownership of the child. -1 for a null child, a negative index, or a child that
    // is already part of this tree or holds it.
    int InsertSubMenu(int nIndex, CKxMemMenu* pChild);
    int AppendSubMenu(CKxMemMenu* pChild);
    void DeleteSubMenu(int nIndex);
    void Release();
    void Release2();
    bool CopyMenu(const CKxMemMenu* pSource);
    void Trim();
    // A new platform pop-up menu of the trimmed tree, or null when nothing is left; the caller owns it.
    HMENU GetMenu();
    int SetMenu(HMENU hMenu);

private:
    void FindMenu(CMarkupSTL& doc);
    void DeleteChildren();
    void Swap(CKxMemMenu& other);
    bool Contains(const CKxMemMenu* pNode) const;
    bool IsAcceptableChild(const CKxMemMenu* pChild) const;

    std::wstring m_strName;
    COLORREF m_crText = 0;
    COLORREF m_crBk = 0xFFFFFFFF;
    std::wstring m_strImgPath;
    std::wstring m_strIconPath;
    std::wstring m_strCmdLine;
    WORD m_wCmdID = 0;
    UINT m_nType = 0;
    WORD m_wCmdType = 100;
    bool m_bVisible = true;
    DWORD m_dwExData = 0;
    std::vector<CKxMemMenu*> m_arSubMenu;
};
