#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include <util/basewnd.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/tooltipctrl.h>

// Page tab style bits: what a tab shows (exactly one of the first three) and how wide it is.
constexpr DWORD KXPTS_CAPTION = 0x01;
constexpr DWORD KXPTS_ICON = 0x02;
constexpr DWORD KXPTS_ICONCAPTION = 0x04;
constexpr DWORD KXPTS_EQUALWIDTH = 0x08; // every tab as wide as the widest
constexpr DWORD KXPTS_FIXWIDTH = 0x10;   // every tab the fixed item width
constexpr DWORD KXPTS_FIXCOUNT = 0x20;   // the strip divided into the fixed count of tabs

// Orientation word bits.
constexpr DWORD KXPTO_VERT = 0x01; // tabs stacked top to bottom
constexpr DWORD KXPTO_LEFT = 0x10; // vertical icon-and-caption tabs hug the left edge
constexpr DWORD KXPTO_TOP = 0x20;  // horizontal caption tabs hug the top edge

// Notification codes of tagTabNotify.
constexpr UINT KXPTN_ICONCLICK = 1; // left press on the icon part of a tab with its iconShow flag
constexpr UINT KXPTN_RCLICK = 3;    // right button released over a tab
constexpr UINT KXPTN_SELCHANGE = 4; // the selection changed

// Parts of a tab.
constexpr int KXPTP_NONE = 0;
constexpr int KXPTP_CAPTION = 1;
constexpr int KXPTP_ICON = 2;

// One tab, owned by the control.
struct tagPageTabItem {
    RECT rect;   // client coordinates, written by the layout
    HICON hIcon; // the control's own copy, or null
    wchar_t szCaption[32];
    wchar_t szTooltip[64];
    DWORD dwData;
    int nIconShow; // the icon part acts as a button of its own
};

// One entry of ReSetItems.
struct tagTabItems {
    DWORD dwReserved; // for the client; the page tab does not read it
    const wchar_t* pszCaption;
    HICON hIcon;    // copied only when the style shows icons
    bool bSelected; // the last entry with the flag becomes the selection
    DWORD dwData;
    bool bIconShow;
    const wchar_t* pszTooltip;
};

// The record of WM_NOTIFY (wParam: the control id).
struct tagTabNotify {
    NMHDR hdr;
    int nItem;
    int nReserved;
    int nPart; // KXPTP_*
    POINT pt;  // client coordinates
};

// A self-drawn strip of tabs, horizontal or vertical, showing captions, icons or both. It lays the
// tabs out itself, scrolls them with two arrows when they do not fit, follows the mouse, shows a
// tooltip per tab and reports to its parent with WM_NOTIFY. The parent owns the pages and switches
// them on KXPTN_SELCHANGE; in page client mode the window also covers the page area under the strip.
class UTIL_API CKxPageTab : public CKxBaseWnd {
public:
    CKxPageTab();
    ~CKxPageTab() override;

    // A visible child window of class "CKxPageTab".
    using CKxBaseWnd::Create;
    BOOL Create(DWORD pageTabStyle, const RECT& rect, CWnd* parent, UINT id, DWORD orientation);

    // The visible tab under info->pt, or -1; HitTest records the pressed part, MoveText the hovered one.
    virtual int HitTest(TCHITTESTINFO* info);
    virtual int MoveText(TCHITTESTINFO* info);
    virtual int GetCurSel() const;
    virtual int GetOldSel() const;
    // -1 for a bad index; the previous selection is remembered, KXPTN_SELCHANGE sent when asked.
    virtual int SetCurSel(int index, bool notify);
    // Hiding the selection clears it.
    virtual void SetItemShowSel(bool show);
    virtual DWORD GetItemData(int index) const;
    virtual int SetItemData(int index, DWORD data);
    virtual void SetItemText(int index, const wchar_t* caption);
    virtual int SetItemTooltipText(int index, const wchar_t* tooltip);
    // Inserts at index, or appends for an index out of range; returns the position. An insertion at
    // or before the selection moves it on and notifies.
    virtual int InsertItem(int index, const wchar_t* caption, HICON icon);
    // -1 for a bad index, else 0. A deleted selection passes to the next tab (the previous one at the end).
    virtual int DeleteItem(int index, bool notify);
    virtual void DeleteAllItems();
    virtual int GetItemText(int index, std::wstring& caption) const;
    virtual int GetItemHeight() const;
    virtual int GetItemCount() const;
    // The tabs' lengths along the strip, plus the room of arrows at both ends when they are shown.
    virtual int GetAllItemWidth() const;
    virtual CRect GetItemRect(int index) const;
    virtual CSize GetSpinSize() const;
    virtual int GetVisibleItemCount() const;
    virtual int GetFisrtVisbleIdx() const;
    virtual void SetFirstVisbleIdx(int index);
    // Scrolls the strip until the tab is visible.
    virtual void EnsureVisible(int index);
    virtual void SetPageTabColor(COLORREF color);
    virtual void SetBackColor(COLORREF color);
    virtual void SetSelBkColor(COLORREF color);
    virtual void SetHoverBkColor(COLORREF color);
    virtual void SetBorderColor(COLORREF color);
    virtual void SetTextColor(COLORREF color);
    virtual void SetSelTextColor(COLORREF color);
    virtual void SetHoverTextColor(COLORREF color);
    virtual void SetSpinNorColor(COLORREF color);
    virtual void SetSpinActColor(COLORREF color);
    virtual void SetItemHeight(int height);
    virtual void SetDepart(int depart);
    virtual void SetSpinShow(bool show);
    virtual void SetIconStyle(int side);
    virtual void SetItemIconShow(int index, int show);
    virtual void SetAllIconShow(int show);
    virtual void ShowItemBorder(bool show);
    virtual void SetGradientBk(COLORREF color1, COLORREF color2);
    virtual void SetTranslucentSel(bool translucent);
    virtual void SetSpinStyle(DWORD style);
    virtual void SetBorderStyle(DWORD style);
    // Fonts are rebuilt as shared fonts of the same character height; the second font draws the
    // characters below 255.
    virtual void SetTextFont(const LOGFONTW& logFont);
    virtual void SetTextFont(HFONT font, HFONT secondFont);
    virtual int GetItemAdditionWidth() const;
    virtual void SetItemAdditionWidth(int width);
    virtual void SetFixItemWidth(int width);
    virtual void SetOwnDrawIcon(bool ownDraw, int value);
    virtual void SetPageTabStyle(DWORD style);
    virtual void SetSelStyle(DWORD style);
    virtual void SetUnderLineStyle(bool underline);
    virtual void SetPageTabClient(int pageClient);
    virtual void ReDraw();
    virtual void SetFixCount(int count);
    virtual void SetPageItemHeight(int height);
    virtual void SetSpinWidth(int width);
    virtual void SetLeftDepart(int depart);
    virtual void SetAllUnderLineStyle(bool underline);
    virtual void ShowToolTip(bool show);
    virtual void SetObjBordColor(COLORREF color);
    // Renders the off-screen image; with copy, copies it to dc (the window when null).
    virtual void PaintPageTab(HDC dc, int copy);
    // Replaces every tab; returns count (0 for no entries, which deletes all).
    virtual int ReSetItems(const tagTabItems* items, int count);
    // Off: setters only store, until RedrawAll(true) or ReDraw.
    virtual void KXSetRedraw(bool redraw);
    virtual void RedrawAll(bool force);
    virtual void RegisterWindowClass();
    // Sends tagTabNotify to the parent; nothing (0) without a window or for index < 0.
    virtual int NotifyParent(UINT code, int index, CPoint point, int part);
    virtual void RecalcLayout();
    virtual void DrawSpin(CDC& dc, DWORD spinStyle);
    // The drop-down mark of a tab's icon part; nothing drawn when the last argument is non-zero.
    virtual void DrawOwnIcon(CDC& dc, const RECT& rect, int index, int nothing);
    // state: STATE_NORMAL, STATE_SELECTED or STATE_HOVER.
    virtual void DrawItem(int index, int state, CDC& dc);
    virtual void DrawBkGround(CDC& dc);
    // Nothing here; for derived strips that draw in front of the first tab.
    virtual void DrawLeftDepart(CDC& dc);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnMouseHover(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

    // Drawing states of DrawItem.
    enum { STATE_NORMAL = 0, STATE_SELECTED = 1, STATE_HOVER = 2 };
    // Pressed parts beyond the tab parts.
    enum { PRESS_FIRST_ARROW = 3, PRESS_SECOND_ARROW = 4, PRESS_OVER_TAB = 5 };

    // What a tab measures and how far it reaches along the strip.
    struct TabExtent {
        int text = 0;       // caption length along the strip
        SIZE icon = {0, 0}; // the icon's size
        int span = 0;       // the tab's length in the last layout
    };
    struct TabStep {
        int advance; // what the tab adds to the running total
        int span;    // its rectangle's length
    };

    bool IsVertical() const { return (m_dwOrientation & KXPTO_VERT) != 0; }
    // KXPTS_CAPTION, KXPTS_ICON or KXPTS_ICONCAPTION, tested in that order; 0 for none.
    int TabKind() const;
    bool HasCaptions() const;
    bool HasIcons() const;
    bool IsValidIndex(int index) const { return index >= 0 && index < GetItemCount(); }
    tagPageTabItem* NewItem(const wchar_t* caption, HICON icon);

    // Setters: store, then relayout and repaint (geometry) or only repaint (look).
    template <typename Field, typename Value>
    void SetLook(Field& field, Value value);
    template <typename Field, typename Value>
    void SetGeometry(Field& field, Value value);
    void OnGeometryChanged();
    // Tabs, captions, fonts or the style changed: the tabs are measured again.
    void OnTabsChanged();
    void OnLookChanged();
    void Repaint();

    // Layout.
    // The client rectangle, or in page client mode with a horizontal strip its top band.
    CRect StripArea() const;
    // Where the tabs go: the strip less the left depart and the arrows.
    CRect StripRect();
    // Measures captions and icons unless nothing changed since the last time.
    void MeasureTabs();
    int CommonWidth(int stripLength) const;
    TabStep StepOf(const TabExtent& extent, int commonWidth) const;
    bool Overflows(int total, int stripLength) const;
    CRect PlaceTab(const TabExtent& extent, int along, int span, const CRect& strip) const;
    // One walk over the tabs; true when it changed the first visible tab or the arrows and must run again.
    bool LayoutPass();
    void LayoutSpin();
    void ArrowRects(DWORD spinStyle, CRect& first, CRect& second) const;
    // The icon and caption parts of a tab (empty where the style has none).
    void SplitTab(int index, RECT* icon, RECT* caption) const;

    // Drawing.
    bool PrepareImage(CSize size);
    void ReleaseImage();
    void DrawTabs(const CRect& area);

    // Input.
    // The tab and its part under the point, over the visible tabs; -1 and part 0 for none.
    int FindTab(POINT point, int* part) const;
    void ClickTab(int index, CPoint point);
    void PressArrow(CPoint point);
    // One tab in the direction of the pressed arrow; true when the strip moved.
    bool ScrollOneTab();
    bool CursorOnPressedArrow() const;
    void TrackHover(CPoint point);
    void ShowTabTooltip(int index);
    void HideTooltip();

    std::vector<tagPageTabItem*> m_items;
    std::vector<HICON> m_iconCopies;
    std::vector<TabExtent> m_extents;

    DWORD m_dwStyle = KXPTS_CAPTION;
    DWORD m_dwOrientation = KXPTO_TOP;
    DWORD m_dwSpinStyle = 0;
    DWORD m_dwBorderStyle = 0;
    DWORD m_dwSelStyle = 0;
    int m_nPageClient = 0;
    int m_nIconSide = 0;
    int m_nOldSel = -1;
    int m_nCurSel = -1;
    int m_nFirstVisible = -1;
    int m_nLastVisible = -1;
    int m_nHover = -1;
    int m_nItemHeight = -1;
    bool m_bItemHeightFixed = false;
    int m_nDepart = -1;
    int m_nPressPart = 0;
    int m_nHoverPart = 0;
    int m_nItemAdditionWidth = 28;
    int m_nFixItemWidth = 20;
    bool m_bOwnDrawIcon = false;
    int m_nOwnDrawValue = 0; // handed to DrawOwnIcon: non-zero draws no mark
    int m_nFixCount = 0;
    int m_nSpinWidth = 4;
    int m_nLeftDepart = 0;
    bool m_bRedraw = true;
    bool m_bSpinShow = true;
    bool m_bAtEnd = false;
    bool m_bShowSel = true;
    bool m_bItemBorder = true;
    bool m_bGradientBk = false;
    COLORREF m_crGradient1 = RGB(0xFF, 0xFF, 0xFF);
    COLORREF m_crGradient2 = RGB(0x7F, 0x7F, 0x7F);
    bool m_bTranslucentSel = false;
    bool m_bUnderLine = false;
    bool m_bAllUnderLine = false;
    bool m_bShowToolTip = false;
    bool m_bLeft = false; // the mouse left the window since the last hover
    bool m_bLaidOut = false;
    bool m_bMeasured = false; // m_extents holds the current tabs' measures
    COLORREF m_crPageTab = RGB(0, 0, 0);
    COLORREF m_crBack = RGB(0, 0, 0);
    COLORREF m_crSelBk = RGB(0x7F, 0x7F, 0x7F);
    COLORREF m_crHoverBk;
    COLORREF m_crBorder = RGB(0x7F, 0x7F, 0x7F);
    COLORREF m_crText = RGB(0xFF, 0xFF, 0xFF);
    COLORREF m_crSelText = RGB(0xFF, 0xFF, 0x00);
    COLORREF m_crHoverText = RGB(0xFF, 0, 0);
    COLORREF m_crSpinNor = RGB(0, 0, 0);
    COLORREF m_crSpinAct = RGB(0xFF, 0, 0);
    COLORREF m_crObjBorder = RGB(0xA8, 0, 0);
    int m_nPageItemHeight = 22;
    CRect m_rcFirstArrow;
    CRect m_rcSecondArrow;
    CWnd* m_pParent = nullptr;

    HFONT m_hTextFont = nullptr;
    HFONT m_hSecondFont = nullptr;
    CDC m_memDC;
    CBitmap m_memBitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    CSize m_memSize;
    CToolTipCtrl m_toolTip;
};
