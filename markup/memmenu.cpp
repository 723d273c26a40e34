// The in-memory menu tree and the platform pop-up menus built from it.
#include <util/memmenu.h>

#include <memory>

#include <util/markup.h>

namespace {

constexpr WORD kDefaultCmdType = 100;
// Commands above this identifier get this command type unless the description names one.
constexpr WORD kHighCmdLimit = 100;
constexpr WORD kHighCmdType = 99;

// A pop-up menu under construction: destroyed unless handed over.
class PopupMenu {
public:
    PopupMenu() : m_hMenu(CreatePopupMenu()) {}
    ~PopupMenu()
    {
        if (m_hMenu) {
            DestroyMenu(m_hMenu);
        }
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    HMENU Get() const { return m_hMenu; }
    HMENU Detach()
    {
        HMENU hMenu = m_hMenu;
        m_hMenu = nullptr;
        return hMenu;
    }

private:
    HMENU m_hMenu;
};

HMENU BuildMenu(const CKxMemMenu& node)
{
    if (node.GetSubMenuCount() == 0) {
        return nullptr;
    }
    PopupMenu menu;
    if (!menu.Get()) {
        return nullptr;
    }
    int nAppended = 0;
    for (int i = 0; i < node.GetSubMenuCount(); ++i) {
        const CKxMemMenu& child = *node.GetSubMenu(i);
        if (!child.IsVisible()) {
            continue;
        }
        switch (child.GetType()) {
        case CKxMemMenu::kTypeSeparator:
            nAppended += AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr) ? 1 : 0;
            break;
        case CKxMemMenu::kTypeCommand:
        case CKxMemMenu::kTypeBarBreak:
        case CKxMemMenu::kTypeBreak:
            nAppended +=
                AppendMenuW(menu.Get(), MF_STRING | child.GetType(), child.GetCmdID(), child.GetName().c_str()) ? 1 : 0;
            break;
        case CKxMemMenu::kTypeSubMenu:
            if (HMENU hSub = BuildMenu(child)) {
                if (AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), child.GetName().c_str())) {
                    ++nAppended;
                } else {
                    DestroyMenu(hSub);
                }
            }
            break;
        default:
            break;
        }
    }
    return nAppended > 0 ? menu.Detach() : nullptr;
}

} // namespace

CKxMemMenu::CKxMemMenu() = default;

CKxMemMenu::CKxMemMenu(UINT nType, WORD wCmdType, WORD wCmdID, const wchar_t* szName, COLORREF crText, COLORREF crBk,
                       const wchar_t* szImgPath, const wchar_t* szCmdLine, bool bVisible)
    : m_strName(szName ? szName : L""), m_crText(crText), m_crBk(crBk), m_strImgPath(szImgPath ? szImgPath : L""),
      m_strCmdLine(szCmdLine ? szCmdLine : L""), m_wCmdID(wCmdID), m_nType(nType), m_wCmdType(wCmdType),
      m_bVisible(bVisible)
{
}

CKxMemMenu::CKxMemMenu(const CKxMemMenu& other)
    : m_strName(other.m_strName), m_crText(other.m_crText), m_crBk(other.m_crBk), m_strImgPath(other.m_strImgPath),
      m_strIconPath(other.m_strIconPath), m_strCmdLine(other.m_strCmdLine), m_wCmdID(other.m_wCmdID),
      m_nType(other.m_nType), m_wCmdType(other.m_wCmdType), m_bVisible(other.m_bVisible), m_dwExData(other.m_dwExData)
{
    m_arSubMenu.reserve(other.m_arSubMenu.size());
    for (const CKxMemMenu* pChild : other.m_arSubMenu) {
        m_arSubMenu.push_back(new CKxMemMenu(*pChild));
    }
}

CKxMemMenu& CKxMemMenu::operator=(const CKxMemMenu& other)
{
    CopyMenu(&other);
    return *this;
}

// Resetting the fields of an object about to vanish would change nothing: only the children go.
CKxMemMenu::~CKxMemMenu()
{
    DeleteChildren();
}

void CKxMemMenu::DeleteChildren()
{
    for (CKxMemMenu* pChild : m_arSubMenu) {
        delete pChild;
    }
    m_arSubMenu.clear();
}

void CKxMemMenu::Swap(CKxMemMenu& other)
{
    std::swap(m_strName, other.m_strName);
    std::swap(m_crText, other.m_crText);
    std::swap(m_crBk, other.m_crBk);
    std::swap(m_strImgPath, other.m_strImgPath);
    std::swap(m_strIconPath, other.m_strIconPath);
    std::swap(m_strCmdLine, other.m_strCmdLine);
    std::swap(m_wCmdID, other.m_wCmdID);
    std::swap(m_nType, other.m_nType);
    std::swap(m_wCmdType, other.m_wCmdType);
    std::swap(m_bVisible, other.m_bVisible);
    std::swap(m_dwExData, other.m_dwExData);
    std::swap(m_arSubMenu, other.m_arSubMenu);
}

bool CKxMemMenu::CopyMenu(const CKxMemMenu* pSource)
{
    if (pSource == this) {
        return true;
    }
    if (pSource == nullptr) {
        Release();
        return false;
    }
    // The source may be one of our own descendants: copy it whole before anything is released.
    CKxMemMenu copy(*pSource);
    Release();
    Swap(copy);
    return true;
}

bool CKxMemMenu::Load(const wchar_t* szFilePath)
{
    Release();
    if (szFilePath == nullptr) {
        return false;
    }
    CMarkupSTL doc;
    if (!doc.Load(szFilePath) || !doc.FindElem(L"Kelvora")) {
        return false;
    }
    FindMenu(doc);
    return true;
}

void CKxMemMenu::FindMenu(CMarkupSTL& doc)
{
    doc.IntoElem();
    while (doc.FindElem(L"menu")) {
        auto pNode = std::make_unique<CKxMemMenu>();
        pNode->m_nType = static_cast<UINT>(doc.GetAttribInt(L"type", 0));
        pNode->m_wCmdID = static_cast<WORD>(doc.GetAttribInt(L"cmdid", 0));
        const WORD wDefaultCmdType = pNode->m_wCmdID > kHighCmdLimit ? kHighCmdType : pNode->m_wCmdID;
        pNode->m_wCmdType = static_cast<WORD>(doc.GetAttribInt(L"cmdtype", wDefaultCmdType));
        pNode->m_strName = doc.GetAttrib(L"name");
        pNode->m_crText = doc.GetAttribColor(L"crText", 0);
        pNode->m_crBk = doc.GetAttribColor(L"crBk", 0xFFFFFFFF);
        pNode->m_strCmdLine = doc.GetAttrib(L"cmdline");
        pNode->m_strImgPath = doc.GetAttrib(L"imgBk");
        pNode->m_strIconPath = doc.GetAttrib(L"icon");
        pNode->m_bVisible = doc.GetAttribInt(L"visible", 1) != 0;
        if (pNode->m_nType == kTypeSubMenu) {
            pNode->FindMenu(doc);
            if (pNode->m_arSubMenu.empty()) {
                continue;
            }
        }
        m_arSubMenu.push_back(pNode.release());
    }
    doc.OutOfElem();
}

CKxMemMenu* CKxMemMenu::GetSubMenu(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetSubMenuCount()) {
        return nullptr;
    }
    return m_arSubMenu[static_cast<size_t>(nIndex)];
}

bool CKxMemMenu::Contains(const CKxMemMenu* pNode) const
{
    for (const CKxMemMenu* pChild : m_arSubMenu) {
        if (pChild == pNode || pChild->Contains(pNode)) {
            return true;
        }
    }
    return false;
}

bool CKxMemMenu::IsAcceptableChild(const CKxMemMenu* pChild) const
{
    // A node owned twice would be deleted twice; a node holding its own parent would never end.
    return pChild != nullptr && pChild != this && !Contains(pChild) && !pChild->Contains(this);
}

int CKxMemMenu::InsertSubMenu(int nIndex, CKxMemMenu* pChild)
{
    if (nIndex < 0 || !IsAcceptableChild(pChild)) {
        return -1;
    }
    if (nIndex >= GetSubMenuCount()) {
        m_arSubMenu.push_back(pChild);
        return GetSubMenuCount();
    }
    m_arSubMenu.insert(m_arSubMenu.begin() + nIndex, pChild);
    return nIndex;
}

int CKxMemMenu::AppendSubMenu(CKxMemMenu* pChild)
{
    if (!IsAcceptableChild(pChild)) {
        return -1;
    }
    m_arSubMenu.push_back(pChild);
    return GetSubMenuCount();
}

void CKxMemMenu::DeleteSubMenu(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetSubMenuCount()) {
        return;
    }
    delete m_arSubMenu[static_cast<size_t>(nIndex)];
    m_arSubMenu.erase(m_arSubMenu.begin() + nIndex);
}

void CKxMemMenu::Release()
{
    DeleteChildren();
    CKxMemMenu fresh;
    Swap(fresh);
}

void CKxMemMenu::Release2()
{
    m_arSubMenu.clear();
}

void CKxMemMenu::Trim()
{
    size_t i = 0;
    while (i < m_arSubMenu.size()) {
        CKxMemMenu& child = *m_arSubMenu[i];
        bool bDelete = !child.m_bVisible;
        if (!bDelete && child.m_nType == kTypeSubMenu) {
            child.Trim();
            bDelete = child.m_arSubMenu.empty();
        } else if (!bDelete && child.m_nType != kTypeSeparator) {
            bDelete = child.m_strName.empty();
        } else if (!bDelete) {
            // A separator first, last or after another separator separates nothing.
            bDelete = i == 0 || i + 1 == m_arSubMenu.size() || m_arSubMenu[i - 1]->m_nType == kTypeSeparator;
        }
        if (bDelete) {
            DeleteSubMenu(static_cast<int>(i));
        } else {
            ++i;
        }
    }
    if (!m_arSubMenu.empty() && m_arSubMenu.back()->m_nType == kTypeSeparator) {
        DeleteSubMenu(GetSubMenuCount() - 1);
    }
}

HMENU CKxMemMenu::GetMenu()
{
    Trim();
    return BuildMenu(*this);
}

int CKxMemMenu::SetMenu(HMENU)
{
    return 0;
}
