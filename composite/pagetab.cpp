// The page tab: its tabs, selection, settings and notifications. Layout is in pagetab_layout.cpp,
// drawing in pagetab_paint.cpp, mouse and tooltip in pagetab_input.cpp.
#include <util/drawfun.h>
#include <util/pagetab.h>

#include <cwchar>

#include "composite/pagetab_internal.h"

namespace {

constexpr wchar_t kClassName[] = L"CKxPageTab";

tagYFontDes DefaultFont()
{
    tagYFontDes font{};
    font.fPointSize = 8.0f;
    font.lWeight = FW_NORMAL;
    font.lCharSet = DEFAULT_CHARSET;
    wcscpy(font.szFaceName, L"Tahoma");
    return font;
}

// The shared font of a logical font: its character height in points at the screen's pixels per inch.
HFONT FontLike(const LOGFONTW& logFont)
{
    tagYFontDes font{};
    const int height = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
    font.fPointSize = static_cast<float>(height) * 72.0f / static_cast<float>(pagetab::ScreenPixelsPerInch());
    font.lWidth = logFont.lfWidth;
    font.lEscapement = logFont.lfEscapement;
    font.lOrientation = logFont.lfOrientation;
    font.lWeight = logFont.lfWeight;
    font.lItalic = logFont.lfItalic;
    font.lUnderline = logFont.lfUnderline;
    font.lStrikeOut = logFont.lfStrikeOut;
    font.lCharSet = logFont.lfCharSet;
    font.lOutPrecision = logFont.lfOutPrecision;
    font.lClipPrecision = logFont.lfClipPrecision;
    font.lQuality = logFont.lfQuality;
    font.lPitchAndFamily = logFont.lfPitchAndFamily;
    wcsncpy(font.szFaceName, logFont.lfFaceName, 30);
    font.szFaceName[30] = L'\0';
    return Y_CreateFont(&font);
}

void ReplaceFont(HFONT& font, HFONT replacement)
{
    if (replacement == nullptr) {
        return;
    }
    Y_DeleteFont(font);
    font = replacement;
}

} // namespace

namespace pagetab {

int ScreenPixelsPerInch()
{
    HDC screen = ::GetDC(nullptr);
    const int pixels = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) {
        ::ReleaseDC(nullptr, screen);
    }
    return pixels > 0 ? pixels : 96;
}

} // namespace pagetab

CKxPageTab::CKxPageTab() : m_crHoverBk(::GetSysColor(COLOR_BTNHIGHLIGHT))
{
    const tagYFontDes font = DefaultFont();
    m_hTextFont = Y_CreateFont(&font);
    m_hSecondFont = Y_CreateFont(&font);
}

CKxPageTab::~CKxPageTab()
{
    // While the members that the last messages use still live.
    DestroyWindow();
    DeleteAllItems();
    ReleaseImage();
    Y_DeleteFont(m_hTextFont);
    Y_DeleteFont(m_hSecondFont);
}

void CKxPageTab::RegisterWindowClass()
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
}

BOOL CKxPageTab::Create(DWORD pageTabStyle, const RECT& rect, CWnd* parent, UINT id, DWORD orientation)
{
    m_dwStyle = pageTabStyle;
    m_dwOrientation = orientation;
    m_pParent = parent;
    RegisterWindowClass();
    if (IsVertical()) {
        m_nItemAdditionWidth = 28;
    }
    return CWnd::CreateEx(0, kClassName, L"", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

void CKxPageTab::PreSubclassWindow()
{
    ModifyStyle(0, WS_CLIPCHILDREN);
    CKxBaseWnd::PreSubclassWindow();
}

// ---- tabs ----

int CKxPageTab::TabKind() const
{
    for (DWORD kind : {KXPTS_CAPTION, KXPTS_ICON, KXPTS_ICONCAPTION}) {
        if (m_dwStyle & kind) {
            return static_cast<int>(kind);
        }
    }
    return 0;
}

bool CKxPageTab::HasCaptions() const
{
    return (m_dwStyle & (KXPTS_CAPTION | KXPTS_ICONCAPTION)) != 0;
}

bool CKxPageTab::HasIcons() const
{
    return (m_dwStyle & (KXPTS_ICON | KXPTS_ICONCAPTION)) != 0;
}

tagPageTabItem* CKxPageTab::NewItem(const wchar_t* caption, HICON icon)
{
    auto* item = new tagPageTabItem{};
    if (HasCaptions()) {
        pagetab::CopyCut(item->szCaption, caption);
    }
    if (HasIcons() && icon != nullptr) {
        item->hIcon = ::CopyIcon(icon);
        if (item->hIcon != nullptr) {
            m_iconCopies.push_back(item->hIcon);
        }
    }
    return item;
}

int CKxPageTab::InsertItem(int index, const wchar_t* caption, HICON icon)
{
    const int position = IsValidIndex(index) ? index : GetItemCount();
    m_items.insert(m_items.begin() + position, NewItem(caption, icon));
    if (position == m_nFirstVisible && m_nFirstVisible > 0) {
        --m_nFirstVisible;
    }
    const bool selectionMoves = m_nCurSel >= 0 && position <= m_nCurSel;
    if (selectionMoves) {
        m_nOldSel = m_nCurSel;
        ++m_nCurSel;
    }
    OnTabsChanged();
    if (selectionMoves) {
        NotifyParent(KXPTN_SELCHANGE, m_nCurSel, CPoint(0, 0), KXPTP_NONE);
    }
    return position;
}

int CKxPageTab::DeleteItem(int index, bool notify)
{
    if (!IsValidIndex(index)) {
        return -1;
    }
    const bool wasLast = index == GetItemCount() - 1;
    delete m_items[index];
    m_items.erase(m_items.begin() + index);
    if (wasLast && m_nFirstVisible > 0) {
        --m_nFirstVisible;
    }
    m_nHover = -1;
    bool selectionChanged = false;
    if (m_nCurSel >= 0 && index <= m_nCurSel) {
        // A deleted selection passes to the tab that follows it, or to the one before it at the end.
        m_nOldSel = m_nCurSel;
        if (index < m_nCurSel || wasLast) {
            --m_nCurSel;
        }
        selectionChanged = true;
    }
    OnTabsChanged();
    if (selectionChanged && notify) {
        NotifyParent(KXPTN_SELCHANGE, m_nCurSel, CPoint(0, 0), KXPTP_NONE);
    }
    return 0;
}

void CKxPageTab::DeleteAllItems()
{
    for (tagPageTabItem* item : m_items) {
        delete item;
    }
    m_items.clear();
    for (HICON icon : m_iconCopies) {
        ::DestroyIcon(icon);
    }
    m_iconCopies.clear();
    m_extents.clear();
    m_bMeasured = false;
    m_nCurSel = m_nOldSel = -1;
    m_nFirstVisible = m_nLastVisible = -1;
    m_nHover = -1;
    OnLookChanged();
}

int CKxPageTab::ReSetItems(const tagTabItems* items, int count)
{
    DeleteAllItems();
    if (items == nullptr || count <= 0) {
        return 0;
    }
    m_items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        tagPageTabItem* item = NewItem(items[i].pszCaption, items[i].hIcon);
        item->dwData = items[i].dwData;
        item->nIconShow = items[i].bIconShow ? 1 : 0;
        pagetab::CopyCut(item->szTooltip, items[i].pszTooltip);
        m_items.push_back(item);
        if (items[i].bSelected) {
            m_nCurSel = i;
        }
    }
    OnTabsChanged();
    return count;
}

void CKxPageTab::SetItemText(int index, const wchar_t* caption)
{
    if (IsValidIndex(index) && HasCaptions()) {
        pagetab::CopyCut(m_items[index]->szCaption, caption);
        OnTabsChanged();
    }
}

int CKxPageTab::GetItemText(int index, std::wstring& caption) const
{
    if (!IsValidIndex(index)) {
        caption.clear();
        return 0;
    }
    caption = m_items[index]->szCaption;
    return 1;
}

int CKxPageTab::SetItemTooltipText(int index, const wchar_t* tooltip)
{
    if (!IsValidIndex(index)) {
        return -1;
    }
    pagetab::CopyCut(m_items[index]->szTooltip, tooltip);
    return 0;
}

DWORD CKxPageTab::GetItemData(int index) const
{
    return IsValidIndex(index) ? m_items[index]->dwData : 0;
}

int CKxPageTab::SetItemData(int index, DWORD data)
{
    if (!IsValidIndex(index)) {
        return -1;
    }
    m_items[index]->dwData = data;
    return 0;
}

void CKxPageTab::SetItemIconShow(int index, int show)
{
    if (IsValidIndex(index)) {
        m_items[index]->nIconShow = show;
        OnLookChanged();
    }
}

void CKxPageTab::SetAllIconShow(int show)
{
    for (tagPageTabItem* item : m_items) {
        item->nIconShow = show;
    }
    OnLookChanged();
}

int CKxPageTab::GetItemCount() const
{
    return static_cast<int>(m_items.size());
}

CRect CKxPageTab::GetItemRect(int index) const
{
    return IsValidIndex(index) ? CRect(m_items[index]->rect) : CRect();
}

// ---- selection ----

int CKxPageTab::GetCurSel() const
{
    return m_nCurSel;
}

int CKxPageTab::GetOldSel() const
{
    return m_nOldSel;
}

int CKxPageTab::SetCurSel(int index, bool notify)
{
    if (!IsValidIndex(index)) {
        return -1;
    }
    m_nOldSel = m_nCurSel;
    m_nCurSel = index;
    OnLookChanged();
    if (notify) {
        NotifyParent(KXPTN_SELCHANGE, index, CPoint(0, 0), KXPTP_NONE);
    }
    return 0;
}

void CKxPageTab::SetItemShowSel(bool show)
{
    m_bShowSel = show;
    if (!show) {
        m_nOldSel = m_nCurSel;
        m_nCurSel = -1;
    }
    OnLookChanged();
}

int CKxPageTab::NotifyParent(UINT code, int index, CPoint point, int part)
{
    if (!IsWindow() || index < 0) {
        return 0;
    }
    tagTabNotify record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = code;
    record.nItem = index;
    record.nPart = part;
    record.pt = point;
    const HWND parent = m_pParent && m_pParent->IsWindow() ? m_pParent->m_hWnd : ::GetParent(m_hWnd);
    return static_cast<int>(::SendMessageW(parent, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record)));
}

// ---- settings ----

template <typename Field, typename Value>
void CKxPageTab::SetLook(Field& field, Value value)
{
    field = value;
    OnLookChanged();
}

template <typename Field, typename Value>
void CKxPageTab::SetGeometry(Field& field, Value value)
{
    field = value;
    OnGeometryChanged();
}

void CKxPageTab::OnGeometryChanged()
{
    if (IsWindow() && m_bRedraw) {
        RecalcLayout();
        Repaint();
    }
}

void CKxPageTab::OnTabsChanged()
{
    m_bMeasured = false;
    OnGeometryChanged();
}

void CKxPageTab::OnLookChanged()
{
    if (IsWindow() && m_bRedraw) {
        Repaint();
    }
}

void CKxPageTab::SetPageTabColor(COLORREF color)
{
    SetLook(m_crPageTab, color);
}
void CKxPageTab::SetBackColor(COLORREF color)
{
    SetLook(m_crBack, color);
}
void CKxPageTab::SetSelBkColor(COLORREF color)
{
    SetLook(m_crSelBk, color);
}
void CKxPageTab::SetHoverBkColor(COLORREF color)
{
    SetLook(m_crHoverBk, color);
}
void CKxPageTab::SetBorderColor(COLORREF color)
{
    SetLook(m_crBorder, color);
}
void CKxPageTab::SetTextColor(COLORREF color)
{
    SetLook(m_crText, color);
}
void CKxPageTab::SetSelTextColor(COLORREF color)
{
    SetLook(m_crSelText, color);
}
void CKxPageTab::SetHoverTextColor(COLORREF color)
{
    SetLook(m_crHoverText, color);
}
void CKxPageTab::SetSpinNorColor(COLORREF color)
{
    SetLook(m_crSpinNor, color);
}
void CKxPageTab::SetSpinActColor(COLORREF color)
{
    SetLook(m_crSpinAct, color);
}
void CKxPageTab::SetObjBordColor(COLORREF color)
{
    SetLook(m_crObjBorder, color);
}

void CKxPageTab::SetGradientBk(COLORREF color1, COLORREF color2)
{
    m_bGradientBk = true;
    m_crGradient1 = color1;
    m_crGradient2 = color2;
    OnLookChanged();
}

void CKxPageTab::ShowItemBorder(bool show)
{
    SetLook(m_bItemBorder, show);
}
void CKxPageTab::SetTranslucentSel(bool translucent)
{
    SetLook(m_bTranslucentSel, translucent);
}
void CKxPageTab::SetBorderStyle(DWORD style)
{
    SetLook(m_dwBorderStyle, style);
}
void CKxPageTab::SetSelStyle(DWORD style)
{
    SetLook(m_dwSelStyle, style);
}
void CKxPageTab::SetIconStyle(int side)
{
    SetLook(m_nIconSide, side);
}
void CKxPageTab::SetUnderLineStyle(bool underline)
{
    SetLook(m_bUnderLine, underline);
}
void CKxPageTab::SetAllUnderLineStyle(bool underline)
{
    SetLook(m_bAllUnderLine, underline);
}

void CKxPageTab::SetDepart(int depart)
{
    SetGeometry(m_nDepart, depart);
}
void CKxPageTab::SetSpinShow(bool show)
{
    SetGeometry(m_bSpinShow, show);
}
void CKxPageTab::SetSpinStyle(DWORD style)
{
    SetGeometry(m_dwSpinStyle, style);
}
void CKxPageTab::SetItemAdditionWidth(int width)
{
    SetGeometry(m_nItemAdditionWidth, width);
}
void CKxPageTab::SetFixItemWidth(int width)
{
    SetGeometry(m_nFixItemWidth, width);
}
void CKxPageTab::SetPageTabStyle(DWORD style)
{
    m_dwStyle = style;
    OnTabsChanged();
}
void CKxPageTab::SetPageTabClient(int pageClient)
{
    SetGeometry(m_nPageClient, pageClient);
}
void CKxPageTab::SetFixCount(int count)
{
    SetGeometry(m_nFixCount, count);
}
void CKxPageTab::SetPageItemHeight(int height)
{
    SetGeometry(m_nPageItemHeight, height);
}
void CKxPageTab::SetSpinWidth(int width)
{
    SetGeometry(m_nSpinWidth, width);
}
void CKxPageTab::SetLeftDepart(int depart)
{
    SetGeometry(m_nLeftDepart, depart);
}
void CKxPageTab::SetFirstVisbleIdx(int index)
{
    SetGeometry(m_nFirstVisible, index);
}

int CKxPageTab::GetItemAdditionWidth() const
{
    return m_nItemAdditionWidth;
}

void CKxPageTab::SetItemHeight(int height)
{
    m_bItemHeightFixed = true;
    SetGeometry(m_nItemHeight, height);
}

void CKxPageTab::SetOwnDrawIcon(bool ownDraw, int value)
{
    m_nOwnDrawValue = value;
    SetGeometry(m_bOwnDrawIcon, ownDraw);
}

void CKxPageTab::SetTextFont(const LOGFONTW& logFont)
{
    ReplaceFont(m_hTextFont, FontLike(logFont));
    OnTabsChanged();
}

void CKxPageTab::SetTextFont(HFONT font, HFONT secondFont)
{
    for (auto [handle, field] : {std::pair<HFONT, HFONT*>{font, &m_hTextFont}, {secondFont, &m_hSecondFont}}) {
        LOGFONTW logFont{};
        if (handle != nullptr && ::GetObjectW(handle, sizeof(logFont), &logFont) == sizeof(logFont)) {
            ReplaceFont(*field, FontLike(logFont));
        }
    }
    OnTabsChanged();
}

void CKxPageTab::ShowToolTip(bool show)
{
    m_bShowToolTip = show;
    if (!show) {
        HideTooltip();
    }
}

void CKxPageTab::KXSetRedraw(bool redraw)
{
    m_bRedraw = redraw;
}

void CKxPageTab::ReDraw()
{
    if (IsWindow()) {
        RecalcLayout();
        Repaint();
    }
}

void CKxPageTab::RedrawAll(bool force)
{
    if (m_bRedraw || force) {
        ReDraw();
    }
}
