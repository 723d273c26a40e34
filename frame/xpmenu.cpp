// The owner-drawn menu: remapping, measuring and drawing entries, and the static menu helpers.
#include <util/drawfun.h>
#include <util/module.h>
#include <util/wnd.h>
#include <util/xpmenu.h>

#include <cstddef>
#include <deque>
#include <set>
#include <string>

namespace {

constexpr size_t kTextCapacity = 128;
constexpr int kSeparatorHeight = 6;
constexpr int kTextIndent = 8;
constexpr int kSeparatorInset = 3;
constexpr UINT kRecordGrayed = 0x3;
constexpr UINT kRecordChecked = 0x8;
constexpr UINT kRecordColumnBreak = 0x40;

// Every live record of every menu object: item data is only read through it, so that a foreign or
// freed pointer is never taken for a record.
std::set<const tagKxMenuItem*>& LiveRecords()
{
    static std::set<const tagKxMenuItem*> records;
    return records;
}

MENUITEMINFOW QueryEntry(HMENU menu, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
        info.fMask = 0;
    }
    return info;
}

bool IsGrayed(const MENUITEMINFOW& info)
{
    return (info.fState & (MFS_GRAYED | MFS_DISABLED)) != 0;
}

bool IsSeparator(const MENUITEMINFOW& info)
{
    return info.hSubMenu == nullptr && ((info.fType & MFT_SEPARATOR) != 0 || info.wID == 0);
}

// The entry's text: the record's for an entry that a remap made owner-drawn, else the menu's own.
std::wstring EntryText(HMENU menu, int position, const MENUITEMINFOW& info)
{
    if (info.fType & MFT_OWNERDRAW) {
        const tagKxMenuItem* record = CKXXPMenuEx::RecordFromItemData(info.dwItemData);
        return record ? std::wstring(record->szText) : std::wstring();
    }
    wchar_t text[kTextCapacity] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, static_cast<int>(kTextCapacity), MF_BYPOSITION);
    return text;
}

// MF_ flags that carry an entry's state over a ModifyMenu.
UINT StateFlags(const MENUITEMINFOW& info)
{
    UINT flags = info.fState & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    flags |= info.fType & (MF_MENUBARBREAK | MF_MENUBREAK);
    return flags;
}

// A command-update element that, for an entry a remap made owner-drawn, changes the record's text
// and keeps the entry owner-drawn.
class RemappedEntryCmdUI : public CCmdUI {
public:
    void SetText(const wchar_t* text) override
    {
        const MENUITEMINFOW info = QueryEntry(m_pMenu->m_hMenu, static_cast<int>(m_nIndex));
        tagKxMenuItem* record =
            (info.fType & MFT_OWNERDRAW) ? CKXXPMenuEx::RecordFromItemData(info.dwItemData) : nullptr;
        if (record == nullptr) {
            CCmdUI::SetText(text);
        } else if (text) {
            lstrcpynW(record->szText, text, static_cast<int>(kTextCapacity));
        }
    }
};

// A DIB-compatible pixel of a bitmap that is not selected anywhere.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const COLORREF pixel = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return pixel;
}

} // namespace

// ---- records ----

CKXXPMenuEx::CKXXPMenuEx()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth); // the 500-byte record every version knows
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        m_fontMenu.CreateFontIndirect(&metrics.lfMenuFont);
    }
}

CKXXPMenuEx::~CKXXPMenuEx()
{
    FreeData();
    m_mapImages.clear();
}

tagKxMenuItem* CKXXPMenuEx::RecordFromItemData(ULONG_PTR itemData)
{
    auto* record = reinterpret_cast<tagKxMenuItem*>(itemData);
    return record && LiveRecords().count(record) != 0 ? record : nullptr;
}

tagKxMenuItem* CKXXPMenuEx::NewRecord(int cmdId, UINT state, const wchar_t* text)
{
    auto record = std::make_unique<tagKxMenuItem>();
    record->nCmdID = cmdId;
    record->nState = state;
    lstrcpynW(record->szText, text ? text : L"", static_cast<int>(kTextCapacity));
    record->pOwner = this;
    LiveRecords().insert(record.get());
    m_arItems.push_back(std::move(record));
    return m_arItems.back().get();
}

void CKXXPMenuEx::FreeData()
{
    for (const auto& record : m_arItems) {
        LiveRecords().erase(record.get());
    }
    m_arItems.clear();
}

void CKXXPMenuEx::RemapMenu(CMenu* menu)
{
    if (menu == nullptr || menu->m_hMenu == nullptr) {
        return;
    }
    // The earlier records hold the texts of entries they made owner-drawn: they go only afterwards.
    std::vector<std::unique_ptr<tagKxMenuItem>> earlier;
    earlier.swap(m_arItems);

    std::deque<HMENU> pending{menu->m_hMenu};
    while (!pending.empty()) {
        HMENU current = pending.front();
        pending.pop_front();
        const int count = ::GetMenuItemCount(current);
        for (int position = 0; position < count; ++position) {
            const MENUITEMINFOW info = QueryEntry(current, position);
            if (info.fMask == 0) {
                continue;
            }
            const std::wstring text = EntryText(current, position, info);
            const UINT pos = static_cast<UINT>(position);
            if (info.hSubMenu) {
                UINT state = (info.fType & (MF_MENUBARBREAK | MF_MENUBREAK)) ? kRecordColumnBreak : 0;
                state |= IsGrayed(info) ? kRecordGrayed : 0;
                tagKxMenuItem* record = NewRecord(-1, state, text.c_str());
                ::ModifyMenuW(current, pos, MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP | StateFlags(info),
                              reinterpret_cast<UINT_PTR>(info.hSubMenu), reinterpret_cast<const wchar_t*>(record));
                pending.push_back(info.hSubMenu);
            } else if (IsSeparator(info)) {
                tagKxMenuItem* record = NewRecord(0, 0, L"");
                ::ModifyMenuW(current, pos, MF_BYPOSITION | MF_OWNERDRAW | MF_SEPARATOR, 0,
                              reinterpret_cast<const wchar_t*>(record));
            } else {
                UINT state = IsGrayed(info) ? kRecordGrayed : 0;
                state |= (info.fState & MFS_CHECKED) ? kRecordChecked : 0;
                tagKxMenuItem* record = NewRecord(static_cast<int>(info.wID), state, text.c_str());
                ::ModifyMenuW(current, pos, MF_BYPOSITION | MF_OWNERDRAW | StateFlags(info), info.wID,
                              reinterpret_cast<const wchar_t*>(record));
            }
        }
    }
    for (const auto& record : earlier) {
        LiveRecords().erase(record.get());
    }
}

// ---- images ----

void CKXXPMenuEx::SetImageList(HBITMAP strip, int imageWidth, int imageHeight)
{
    m_hImageList = strip;
    m_cxImage = imageWidth;
    m_cyImage = imageHeight;
}

BOOL CKXXPMenuEx::SetMenuItemImage(UINT cmdId, UINT_PTR value, int kind)
{
    if (kind != KXMI_STRIP_INDEX && kind != KXMI_ICON && kind != KXMI_BITMAP) {
        return FALSE;
    }
    m_mapImages[static_cast<WORD>(cmdId)] = {kind, value};
    return TRUE;
}

// ---- measuring and drawing ----

void CKXXPMenuEx::MeasureItem(MEASUREITEMSTRUCT* item)
{
    const tagKxMenuItem* record = item && item->CtlType == ODT_MENU ? RecordFromItemData(item->itemData) : nullptr;
    if (record == nullptr) {
        return;
    }
    if (record->nCmdID == 0) {
        item->itemHeight = kSeparatorHeight;
        return;
    }
    HWND window = AfxGetMainWnd();
    HDC dc = ::GetDC(window);
    HGDIOBJ oldFont = m_fontMenu.m_hObject ? ::SelectObject(dc, m_fontMenu.m_hObject) : nullptr;
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, record->szText, lstrlenW(record->szText), &extent);
    if (record->szText[0] == 0) {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        extent.cy = metrics.tmHeight;
    }
    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
    ::ReleaseDC(window, dc);
    item->itemWidth = static_cast<UINT>(::GetSystemMetrics(SM_CXMENUCHECK) + extent.cx + 28);
    item->itemHeight = static_cast<UINT>(extent.cy + 6);
}

void CKXXPMenuEx::DrawItem(DRAWITEMSTRUCT* item)
{
    const tagKxMenuItem* record = item && item->CtlType == ODT_MENU ? RecordFromItemData(item->itemData) : nullptr;
    if (record == nullptr || item->hDC == nullptr) {
        return;
    }
    HDC dc = item->hDC;
    const int saved = ::SaveDC(dc);
    ::SetBkMode(dc, TRANSPARENT);
    const RECT& rect = item->rcItem;
    const bool separator = record->nCmdID == 0;
    const bool hot = (item->itemState & ODS_SELECTED) != 0 && !separator;
    DrawBgClr(dc, rect, hot);

    const RECT column{rect.left, rect.top, rect.left + KXMENU_ICONCOLUMN_WIDTH, rect.bottom};
    if (record->nCmdID > 0 && m_mapImages.count(static_cast<WORD>(record->nCmdID)) != 0) {
        DrawImage(dc, column, static_cast<UINT>(record->nCmdID));
    } else if ((item->itemState & ODS_CHECKED) && !separator) {
        DrawCheckMark(dc, column);
    }
    if (separator) {
        const int middle = (rect.top + rect.bottom) / 2;
        const RECT line{column.right + kSeparatorInset, middle, rect.right - kSeparatorInset, middle + 1};
        KXDRAWFUN::FillSolidRect(dc, &line, KXMENU_CLR_GREY);
    } else {
        const RECT textArea{column.right + kTextIndent, rect.top, rect.right, rect.bottom};
        const bool enabled = (item->itemState & (ODS_GRAYED | ODS_DISABLED)) == 0;
        DrawTextW(dc, record->szText, textArea, enabled ? RGB(0, 0, 0) : KXMENU_CLR_GREY);
    }
    ::RestoreDC(dc, saved);
}

void CKXXPMenuEx::DrawBgClr(HDC dc, const RECT& rect, bool hot) const
{
    if (hot) {
        HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
        HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
        ::SelectObject(dc, oldBrush);
        ::SelectObject(dc, oldPen);
        const RECT inside{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
        KXDRAWFUN::FillSolidRect(dc, &inside, KXMENU_CLR_HOTFILL);
        return;
    }
    const RECT column{rect.left, rect.top, rect.left + KXMENU_ICONCOLUMN_WIDTH, rect.bottom};
    const RECT text{column.right, rect.top, rect.right, rect.bottom};
    KXDRAWFUN::FillSolidRect(dc, &column, KXMENU_CLR_ICONCOLUMN);
    KXDRAWFUN::FillSolidRect(dc, &text, KXMENU_CLR_TEXTAREA);
}

void CKXXPMenuEx::DrawImage(HDC dc, const RECT& column, UINT cmdId) const
{
    const auto found = m_mapImages.find(static_cast<WORD>(cmdId));
    if (found == m_mapImages.end()) {
        return;
    }
    const int kind = found->second.first;
    const UINT_PTR value = found->second.second;
    const int columnWidth = column.right - column.left;
    const int columnHeight = column.bottom - column.top;
    if (kind == KXMI_ICON) {
        KXDRAWFUN::DrawIcon(dc, reinterpret_cast<HICON>(value), &column, 0);
    } else if (kind == KXMI_BITMAP) {
        SIZE size{};
        KXDRAWFUN::GetBmpSize(reinterpret_cast<HBITMAP>(value), &size);
        const RECT place{column.left, column.top, column.left + std::min<LONG>(size.cx, columnWidth),
                         column.top + std::min<LONG>(size.cy, columnHeight)};
        KXDRAWFUN::TransparentDrawBmp(dc, &place, reinterpret_cast<HBITMAP>(value), POINT{0, 0});
    } else if (m_hImageList && m_cxImage > 0 && m_cyImage > 0) {
        const int index = static_cast<int>(value);
        SIZE strip{};
        KXDRAWFUN::GetBmpSize(m_hImageList, &strip);
        if (index < 0 || (index + 1) * m_cxImage > strip.cx) {
            return; // no such cell in the strip
        }
        const int width = std::min(m_cxImage, columnWidth);
        const int height = std::min(m_cyImage, columnHeight);
        const int x = column.left + (columnWidth - width) / 2;
        const int y = column.top + (columnHeight - height) / 2;
        const RECT place{x, y, x + width, y + height};
        const POINT cell{index * m_cxImage, 0};
        KXDRAWFUN::TransparentDrawBmp(dc, &place, m_hImageList, cell, BitmapPixel(m_hImageList, cell.x, cell.y));
    }
}

void CKXXPMenuEx::DrawCheckMark(HDC dc, const RECT& column) const
{
    CFont marlett;
    const int tenths = ::MulDiv(120, 96, ::GetDeviceCaps(dc, LOGPIXELSX));
    if (!marlett.CreatePointFont(tenths, L"Marlett", CDC::FromHandle(dc))) {
        return;
    }
    KXDRAWFUN::DrawTextW(dc, L"a", 1, &column, DT_CENTER | DT_VCENTER | DT_SINGLELINE, marlett, KXMENU_CLR_CHECKMARK,
                         0);
}

void CKXXPMenuEx::DrawTextW(HDC dc, const wchar_t* text, const RECT& rect, COLORREF color) const
{
    const HFONT font = static_cast<HFONT>(m_fontMenu.m_hObject);
    const wchar_t* tab = wcschr(text, L'\t');
    if (tab == nullptr) {
        KXDRAWFUN::DrawTextW(dc, text, lstrlenW(text), &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE, font, color, 0);
        return;
    }
    KXDRAWFUN::DrawTextW(dc, text, static_cast<int>(tab - text), &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE, font,
                         color, 0);
    RECT accelerator = rect;
    accelerator.right -= ::GetSystemMetrics(SM_CXMENUCHECK);
    KXDRAWFUN::DrawTextW(dc, tab + 1, lstrlenW(tab + 1), &accelerator, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, font,
                         color, 0);
}

// ---- static helpers ----

BOOL CKXXPMenuEx::GetItemByCmd(CMenu* menu, UINT cmdId, CMenu** foundMenu, int* position)
{
    if (foundMenu) {
        *foundMenu = nullptr;
    }
    if (position) {
        *position = 0;
    }
    if (menu == nullptr || menu->m_hMenu == nullptr || cmdId == 0 || cmdId == static_cast<UINT>(-1)) {
        return FALSE;
    }
    std::deque<HMENU> pending{menu->m_hMenu};
    while (!pending.empty()) {
        HMENU current = pending.front();
        pending.pop_front();
        const int count = ::GetMenuItemCount(current);
        for (int index = 0; index < count; ++index) {
            if (HMENU sub = ::GetSubMenu(current, index)) {
                pending.push_back(sub);
            } else if (::GetMenuItemID(current, index) == cmdId) {
                if (foundMenu) {
                    *foundMenu = CMenu::FromHandle(current);
                }
                if (position) {
                    *position = index;
                }
                return TRUE;
            }
        }
    }
    return FALSE;
}

void CKXXPMenuEx::EnableMenuItems(CMenu* menu, CWnd* wnd)
{
    if (menu == nullptr || menu->m_hMenu == nullptr || wnd == nullptr) {
        return;
    }
    const int count = menu->GetMenuItemCount();
    for (int index = count - 1; index >= 0; --index) {
        if (CMenu* sub = menu->GetSubMenu(index)) {
            EnableMenuItems(sub, wnd);
            continue;
        }
        const UINT id = menu->GetMenuItemID(index);
        if (id == 0 || id == static_cast<UINT>(-1)) {
            continue;
        }
        RemappedEntryCmdUI state;
        state.m_pMenu = menu;
        state.m_nIndex = static_cast<UINT>(index);
        state.m_nIndexMax = static_cast<UINT>(count);
        state.m_nID = id;
        state.DoUpdate(wnd, FALSE);
    }
}

CMenu* CKXXPMenuEx::CopyMenu(CMenu* menu)
{
    const int count = menu && menu->m_hMenu ? menu->GetMenuItemCount() : 0;
    if (count <= 0) {
        return nullptr;
    }
    auto copy = std::make_unique<CMenu>();
    if (!copy->CreatePopupMenu()) {
        return nullptr;
    }
    for (int index = 0; index < count; ++index) {
        const MENUITEMINFOW info = QueryEntry(menu->m_hMenu, index);
        if (info.fMask == 0) {
            continue;
        }
        const std::wstring text = EntryText(menu->m_hMenu, index, info);
        const UINT grayed = IsGrayed(info) ? MF_GRAYED : 0;
        if (info.hSubMenu) {
            std::unique_ptr<CMenu> sub(CopyMenu(CMenu::FromHandle(info.hSubMenu)));
            HMENU subHandle = sub ? sub->Detach() : ::CreatePopupMenu();
            copy->AppendMenu(MF_POPUP | MF_STRING | grayed, reinterpret_cast<UINT_PTR>(subHandle), text.c_str());
        } else if (static_cast<int>(info.wID) <= 0 || (info.fType & MFT_SEPARATOR)) {
            copy->AppendMenu(MF_SEPARATOR);
        } else {
            const UINT checked = (info.fState & MFS_CHECKED) ? MF_CHECKED : 0;
            copy->AppendMenu(MF_STRING | grayed | checked, info.wID, text.c_str());
        }
    }
    return copy.release();
}
