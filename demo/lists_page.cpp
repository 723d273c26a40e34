// The header, list and tree controls in use: an order list with coloured rows, a sort mark and its
// filter drop-down open, a watch list in two colours, and a tree of markets with coloured, bold and
// multi-selected items.
#include <util/kxlistctrl.h>
#include <util/kxtreectrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "composite/tree_window.h"
#include "gallery.h"

namespace {

constexpr COLORREF kBuy = RGB(0xD0, 0x10, 0x10);
constexpr COLORREF kSell = RGB(0x00, 0x80, 0x30);

struct Order {
    const wchar_t* code;
    const wchar_t* name;
    const wchar_t* side;
    const wchar_t* price;
    const wchar_t* quantity;
    const wchar_t* date;
};

const Order kOrders[] = {
    {L"600000", L"\u6D66\u53D1\u94F6\u884C", L"\u4E70\u5165", L"7.52", L"1000", L"06/12/2026"},
    {L"600036", L"\u62DB\u5546\u94F6\u884C", L"\u5356\u51FA", L"35.10", L"200", L"07/12/2026"},
    {L"601398", L"\u5DE5\u5546\u94F6\u884C", L"\u4E70\u5165", L"5.86", L"5000", L"07/12/2026"},
    {L"000001", L"\u5E73\u5B89\u94F6\u884C", L"\u4E70\u5165", L"11.02", L"900", L"04/12/2026"},
    {L"000002", L"\u4E07\u79D1A", L"\u5356\u51FA", L"8.75", L"1500", L"30/11/2026"},
    {L"600519", L"\u8D35\u5DDE\u8305\u53F0", L"\u4E70\u5165", L"1520.00", L"10", L"07/12/2026"},
    {L"601318", L"\u4E2D\u56FD\u5E73\u5B89", L"\u5356\u51FA", L"48.66", L"300", L"05/12/2026"},
    {L"300750", L"\u5B81\u5FB7\u65F6\u4EE3", L"\u4E70\u5165", L"210.30", L"100", L"07/12/2026"},
    {L"002594", L"\u6BD4\u4E9A\u8FEA", L"\u5356\u51FA", L"260.18", L"100", L"03/12/2026"},
    {L"600028", L"\u4E2D\u56FD\u77F3\u5316", L"\u4E70\u5165", L"6.12", L"3000", L"07/12/2026"},
};

constexpr int kSideColumn = 3;
constexpr int kPriceColumn = 4;

class ListsPage : public GalleryPage {
public:
    ListsPage() : GalleryPage(L"lists", CSize(900, 560)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int created = GalleryPage::OnCreate(cs);
        CreateOrderList();
        CreateDealList();
        CreateWatchList();
        CreateMarketTree();
        return created;
    }

    // The order list's sell rows get their colour from here; buy rows carry their own.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KX_GETITEMTEXTCOLOR) {
            *reinterpret_cast<COLORREF*>(lParam) = kSell;
            return 1;
        }
        return GalleryPage::WindowProc(message, wParam, lParam);
    }

    // The deal list's cells: the parent paints them.
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == m_deals.m_hWnd && header->code == KXDLN_DRAWCELL) {
            PaintDealCell(*reinterpret_cast<const tagKXDrawListNotify*>(lParam));
            return TRUE;
        }
        return GalleryPage::OnNotify(wParam, lParam, result);
    }

    // Each time the page comes to the front it shows the side filter open and the tree with the focus
    // (its selection in the highlight colours). The drop-down closes when it loses the focus: for the
    // picture it is shown again once the tree has it.
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override
    {
        GalleryPage::OnActivate(state, other, minimized);
        if (state != WA_INACTIVE && !minimized && m_orders.m_hWnd) {
            m_orders.Filter(kSideColumn, nullptr);
            m_tree.SetFocus();
            ::ShowWindow(::GetDlgItem(m_orders.m_hWnd, KXLIST_FILTER_LIST_ID), SW_SHOWNOACTIVATE);
        }
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        DrawHeading(dc, CRect(12, 8, 600, 30), L"\u59D4\u6258\u5217\u8868 (order list: colours, sort, filter)");
        DrawHeading(dc, CRect(620, 8, client.right - 12, 30), L"\u81EA\u9009\u80A1 (two-colour list box)");
        DrawHeading(dc, CRect(620, 250, client.right - 12, 272), L"\u5E02\u573A (tree: multi-selection)");
        DrawHeading(dc, CRect(12, 330, 600, 352), L"\u6210\u4EA4\u660E\u7EC6 (parent-painted cells)");
    }

private:
    void CreateOrderList()
    {
        m_orders.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(12, 36, 600, 320),
                        this, 1);
        m_orders.SetStyle(1);
        m_orders.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const struct {
            const wchar_t* title;
            int width;
            int format;
        } columns[] = {{L"\u5E8F\u53F7", 44, LVCFMT_LEFT},      {L"\u8BC1\u5238\u4EE3\u7801", 76, LVCFMT_LEFT},
                       {L"\u8BC1\u5238\u540D\u79F0", 90, LVCFMT_LEFT}, {L"\u4E70\u5356", 64, LVCFMT_CENTER},
                       {L"\u59D4\u6258\u4EF7\u683C", 84, LVCFMT_RIGHT}, {L"\u59D4\u6258\u6570\u91CF", 80, LVCFMT_RIGHT},
                       {L"\u59D4\u6258\u65E5\u671F", 100, LVCFMT_LEFT}};
        int column = 0;
        for (const auto& info : columns) {
            m_orders.InsertColumn(column, info.title, info.format, info.width);
            m_orders.SetSortState(column, column == 0 ? KXHDR_SORT_NONE : KXHDR_SORTABLE);
            m_orders.SetFilterState(column, KXHDR_NOFILTER);
            ++column;
        }
        for (const Order& order : kOrders) {
            const int item = m_orders.InsertItem(m_orders.GetItemCount(), L"");
            const wchar_t* texts[] = {order.code, order.name, order.side, order.price, order.quantity, order.date};
            for (int text = 0; text < 6; ++text) {
                m_orders.SetItemText(item, text + 1, texts[text]);
            }
            if (order.side[0] == L'\u4E70') {
                m_orders.SetItemTextColor(item, kBuy);
            }
        }
        m_orders.Sort(kPriceColumn, KXHDR_SORT_UP);
        m_orders.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        m_orders.SetHeaderColor(RGB(0x20, 0x20, 0x20), RGB(0xE4, 0xEA, 0xF4), RGB(0xFF, 0xE8, 0xA8));
    }

    struct Deal {
        const wchar_t* time;
        const wchar_t* name;
        const wchar_t* price;
        int volume; // lots; negative for a sell
    };
    static constexpr Deal kDeals[] = {{L"09:30:02", L"\u6D66\u53D1\u94F6\u884C", L"7.52", 120},
                                      {L"09:31:47", L"\u62DB\u5546\u94F6\u884C", L"35.10", -40},
                                      {L"09:35:10", L"\u8D35\u5DDE\u8305\u53F0", L"1520.00", 3},
                                      {L"10:02:33", L"\u4E07\u79D1A", L"8.75", -75},
                                      {L"10:15:08", L"\u5B81\u5FB7\u65F6\u4EE3", L"210.30", 16}};

    void CreateDealList()
    {
        m_deals.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS,
                       CRect(12, 358, 600, 548), this, 4);
        const wchar_t* titles[] = {L"\u6210\u4EA4\u65F6\u95F4", L"\u8BC1\u5238\u540D\u79F0",
                                   L"\u6210\u4EA4\u4EF7", L"\u6210\u4EA4\u91CF"};
        const int widths[] = {110, 130, 110, 230};
        for (int column = 0; column < 4; ++column) {
            m_deals.InsertColumn(column, titles[column], LVCFMT_LEFT, widths[column]);
        }
        for (int row = 0; row < 5; ++row) {
            m_deals.InsertItem(row, L"");
        }
        m_deals.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    }

    void PaintDealCell(const tagKXDrawListNotify& cell) const
    {
        const Deal& deal = kDeals[cell.nItem % 5];
        CDC* dc = CDC::FromHandle(cell.hDC);
        CRect area(cell.rcCell);
        const bool selected = (m_deals.GetItemState(cell.nItem, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        const COLORREF side = deal.volume > 0 ? kBuy : kSell;
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0x20, 0x20, 0x20));
        CFont* old = dc->SelectObject(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
        area.left += 4;
        switch (cell.nSubItem) {
        case 0:
            dc->DrawText(deal.time, -1, &area, DT_SINGLELINE | DT_VCENTER);
            break;
        case 1:
            dc->DrawText(deal.name, -1, &area, DT_SINGLELINE | DT_VCENTER);
            break;
        case 2:
            if (!selected) {
                dc->SetTextColor(side);
            }
            dc->DrawText(deal.price, -1, &area, DT_SINGLELINE | DT_VCENTER);
            break;
        default: {
            // A bar as long as the volume, in the colour of its side.
            const int length = std::min(area.Width() - 50, std::abs(deal.volume) * 2 + 4);
            dc->FillSolidRect(CRect(area.left, area.top + 3, area.left + length, area.bottom - 3), side);
            const std::wstring lots = std::to_wstring(std::abs(deal.volume));
            CRect label(area.left + length + 6, area.top, area.right, area.bottom);
            dc->DrawText(lots.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER);
            break;
        }
        }
        dc->SelectObject(old);
    }

    void CreateWatchList()
    {
        m_watch.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                           LBS_NOTIFY,
                       CRect(620, 36, 888, 236), this, 2);
        m_font.CreatePointFont(90, L"SimSun");
        m_watch.SetFontEx(&m_font);
        const struct {
            const wchar_t* text;
            COLORREF colour;
        } stocks[] = {{L"600000  \u6D66\u53D1\u94F6\u884C +1.21%", kBuy},
                      {L"600036  \u62DB\u5546\u94F6\u884C -0.35%", kSell},
                      {L"601398  \u5DE5\u5546\u94F6\u884C +0.17%", kBuy},
                      {L"000001  \u5E73\u5B89\u94F6\u884C -1.02%", kSell},
                      {L"600519  \u8D35\u5DDE\u8305\u53F0 +2.48%", kBuy},
                      {L"300750  \u5B81\u5FB7\u65F6\u4EE3 0.00%", RGB(0x60, 0x60, 0x60)}};
        for (const auto& stock : stocks) {
            m_watch.AddString(stock.text, stock.colour);
        }
        m_watch.SetCurSel(1);
    }

    void CreateMarketTree()
    {
        m_tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                          TVS_SHOWSELALWAYS,
                      CRect(620, 278, 888, 548), this, 3);
        m_tree.EnableMultiSelect(TRUE);
        const HTREEITEM shanghai = m_tree.InsertItem(L"\u6CAA\u5E02 A \u80A1");
        const HTREEITEM banks = m_tree.InsertItem(L"\u94F6\u884C", shanghai);
        const HTREEITEM spdb = m_tree.InsertItem(L"600000 \u6D66\u53D1\u94F6\u884C", banks);
        const HTREEITEM cmb = m_tree.InsertItem(L"600036 \u62DB\u5546\u94F6\u884C", banks);
        const HTREEITEM icbc = m_tree.InsertItem(L"601398 \u5DE5\u5546\u94F6\u884C", banks);
        const HTREEITEM liquor = m_tree.InsertItem(L"\u767D\u9152", shanghai);
        const HTREEITEM moutai = m_tree.InsertItem(L"600519 \u8D35\u5DDE\u8305\u53F0", liquor);
        const HTREEITEM shenzhen = m_tree.InsertItem(L"\u6DF1\u5E02 A \u80A1");
        const HTREEITEM pingan = m_tree.InsertItem(L"000001 \u5E73\u5B89\u94F6\u884C", shenzhen);
        const HTREEITEM vanke = m_tree.InsertItem(L"000002 \u4E07\u79D1A", shenzhen);
        m_tree.InsertItem(L"300750 \u5B81\u5FB7\u65F6\u4EE3", shenzhen);
        for (HTREEITEM branch : {shanghai, banks, liquor, shenzhen}) {
            m_tree.Expand(branch, TVE_EXPAND);
        }
        m_tree.SetItemBold(shanghai, TRUE);
        m_tree.SetItemBold(shenzhen, TRUE);
        m_tree.SetItemColor(spdb, kBuy);
        m_tree.SetItemColor(vanke, kSell);
        m_tree.SetItemColor(moutai, RGB(0x90, 0x30, 0xA0));
        m_tree.SetItemBackColor(moutai, RGB(0xFF, 0xF4, 0xC8));
        LOGFONTW italic{};
        italic.lfHeight = -13;
        italic.lfItalic = TRUE;
        wcscpy(italic.lfFaceName, L"SimSun");
        m_tree.SetItemFont(pingan, italic);
        m_tree.SelectItem(cmb);
        m_tree.SetItemState(icbc, TVIS_SELECTED, TVIS_SELECTED);
        m_tree.SetItemState(pingan, TVIS_SELECTED, TVIS_SELECTED);
    }

    CKXBaseListCtrl m_orders;
    CDrawListCtrl m_deals;
    CKXSmartListBox m_watch;
    CFont m_font;
    TreeWindow m_tree;
};

GalleryRegistration registration([] { return std::make_unique<ListsPage>(); });

} // namespace
