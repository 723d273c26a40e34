// The grid: a quote board of 100,000 rows supplied row by row, and a stored order list with the
// library's scroll bars.
#include <util/grid.h>
#include <util/scrollbar.h>
#include <util/strutil.h>

#include <array>
#include <cmath>
#include <cwchar>
#include <memory>

#include "gallery.h"

namespace {

constexpr COLORREF kRise = RGB(255, 60, 60);
constexpr COLORREF kFall = RGB(0, 220, 0);
constexpr COLORREF kFlat = RGB(230, 230, 230);
constexpr COLORREF kCode = RGB(240, 230, 140);

// Fonts of a page: Chinese text in one face, digits and Latin letters in another.
struct PageFonts {
    PageFonts()
        : wide(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimSun")),
          narrow(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial")),
          header(CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimHei"))
    {
    }
    ~PageFonts()
    {
        for (HFONT font : {wide, narrow, header}) {
            DeleteObject(font);
        }
    }
    PageFonts(const PageFonts&) = delete;
    PageFonts& operator=(const PageFonts&) = delete;

    HFONT wide;
    HFONT narrow;
    HFONT header;
};

void Apply(CKxGrid& grid, const PageFonts& fonts)
{
    grid.SetHeaderFont(fonts.header, fonts.narrow, 0);
    grid.SetFont(fonts.wide, fonts.narrow, 0);
    grid.SetHeaderBkColor(RGB(16, 16, 24));
    grid.SetSelectBkColor(RGB(40, 40, 120));
}

// ---- the quote board ----

struct QuoteColumn {
    const wchar_t* title;
    int width;
    UINT format;
};

constexpr std::array<QuoteColumn, 20> kQuoteColumns{{
    {L"代码", 62, GF_LEFT},       {L"名称", 78, GF_LEFT},       {L"最新", 58, GF_RIGHT},
    {L"涨跌", 56, GF_RIGHT},      {L"涨幅%", 58, GF_RIGHT},     {L"成交量", 74, GF_RIGHT},
    {L"成交额", 78, GF_RIGHT},    {L"今开", 56, GF_RIGHT},      {L"最高", 56, GF_RIGHT},
    {L"最低", 56, GF_RIGHT},      {L"昨收", 56, GF_RIGHT},      {L"买入价", 58, GF_RIGHT},
    {L"卖出价", 58, GF_RIGHT},    {L"现手", 52, GF_RIGHT},      {L"换手率%", 62, GF_RIGHT},
    {L"量比", 48, GF_RIGHT},      {L"振幅%", 54, GF_RIGHT},     {L"市盈率", 58, GF_RIGHT},
    {L"总市值", 74, GF_RIGHT},    {L"所属行业", 72, GF_CENTER},
}};

constexpr std::array<const wchar_t*, 16> kNames{{L"浦发银行", L"白云机场", L"东风汽车", L"中国国贸", L"首创股份",
                                                 L"上海机场", L"包钢股份", L"华能国际", L"皖通高速", L"华夏银行",
                                                 L"民生银行", L"日照港", L"上港集团", L"宝钢股份", L"中原高速",
                                                 L"招商银行"}};
constexpr std::array<const wchar_t*, 6> kIndustries{{L"银行", L"交通运输", L"汽车", L"公用事业", L"钢铁", L"港口"}};

// A made-up but steady quote of one row.
struct Quote {
    explicit Quote(int row)
    {
        close = 3.0 + (row * 37 % 2400) / 100.0;
        percent = ((row * 7919) % 2001 - 1000) / 100.0;
        last = std::round(close * (1 + percent / 100) * 100) / 100;
        volume = 1000.0 + std::fmod(row * 104729.0, 90000000.0);
    }
    double close;
    double percent;
    double last;
    double volume;
};

class QuotePage : public GalleryPage {
public:
    QuotePage() : GalleryPage(L"grid_quotes", CSize(1000, 470)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int answer = GalleryPage::OnCreate(cs);
        m_grid.Create(WS_CHILD | WS_VISIBLE, CRect(12, 34, 988, 458), this, 1,
                      GS_ROWCALLBACK | GS_GRIDLINES | GS_OWNHSCROLL | GS_OWNVSCROLL);
        m_grid.SetGridLineColor(RGB(60, 20, 20));
        m_grid.SetBorderColor(RGB(120, 30, 30));
        Apply(m_grid, m_fonts);
        for (const QuoteColumn& column : kQuoteColumns) {
            m_grid.InsertColumn(-1, column.title, column.format, column.width, FALSE);
        }
        m_grid.SetFixedColCount(2);
        m_grid.InsertHeaderItem(-1, L"上证指数");
        const wchar_t* index[] = {L"", L"3288.41", L"+12.37", L"+0.38", L"4521亿", L"", L"", L"深证成指", L"",
                                  L"10871.26", L"-23.85", L"-0.22"};
        for (int i = 1; i < static_cast<int>(std::size(index)); ++i) {
            m_grid.SetHeaderItemText(0, i, index[i]);
        }
        m_grid.SetSortColumn(4, -1);
        m_grid.SetItemCount(100000);
        m_grid.ReCalcLayout();
        m_grid.SetSimplSel(5, FALSE);
        const int selection[] = {3, 4, 5, 9};
        m_grid.SetMultiSel(selection, static_cast<int>(std::size(selection)), FALSE);
        m_grid.ReDrawAll(TRUE);
        return answer;
    }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == m_grid.m_hWnd && header->code == GN_ROWREQUEST) {
            FillRow(*reinterpret_cast<GRIDROWREQUEST*>(lParam));
            *result = 0;
            return TRUE;
        }
        return GalleryPage::OnNotify(wParam, lParam, result);
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        DrawHeading(dc, CRect(12, 8, client.right - 12, 30),
                    L"沪深A股行情：100,000 行逐行回调，两列固定，按涨幅降序，多行选中");
    }

private:
    static void FillRow(GRIDROWREQUEST& request)
    {
        const Quote quote(request.nRow);
        const double change = quote.last - quote.close;
        const COLORREF trend = change > 0 ? kRise : change < 0 ? kFall : kFlat;
        for (int i = 0; i < request.nCount; ++i) {
            GRIDCELLDRAW& cell = request.pCells[i];
            wchar_t* text = cell.szText;
            const int capacity = GRID_TEXT_CAPACITY;
            COLORREF colour = trend;
            switch (cell.nColumn) {
            case 0:
                swprintf(text, capacity, L"%06d", 600000 + request.nRow % 400000);
                colour = kCode;
                break;
            case 1:
                swprintf(text, capacity, L"%ls", kNames[request.nRow % kNames.size()]);
                colour = kCode;
                break;
            case 2:
                swprintf(text, capacity, L"%.2f", quote.last);
                break;
            case 3:
                swprintf(text, capacity, L"%+.2f", change);
                break;
            case 4:
                swprintf(text, capacity, L"%+.2f", quote.percent);
                break;
            case 5:
                TransVolume(quote.volume, text, capacity);
                colour = kCode;
                break;
            case 6:
                TransVolume(quote.volume * quote.last * 100, text, capacity);
                colour = kFlat;
                break;
            case 10:
                swprintf(text, capacity, L"%.2f", quote.close);
                colour = kFlat;
                break;
            case 19:
                swprintf(text, capacity, L"%ls", kIndustries[request.nRow % kIndustries.size()]);
                colour = kFlat;
                break;
            default:
                swprintf(text, capacity, L"%.2f", quote.close * (1 + cell.nColumn % 7 / 100.0));
                colour = cell.nColumn % 2 ? trend : kFlat;
                break;
            }
            cell.dwValue = colour;
            cell.crText2 = colour;
            cell.bUseFont2 = 1;
        }
    }

    PageFonts m_fonts;
    CKxGrid m_grid;
};

// ---- the order list ----

struct Order {
    const wchar_t* time;
    const wchar_t* code;
    const wchar_t* name;
    bool buy;
    const wchar_t* price;
    const wchar_t* amount;
    const wchar_t* done;
    const wchar_t* state;
};

constexpr std::array<Order, 14> kOrders{{
    {L"09:30:12", L"600000", L"浦发银行", true, L"7.42", L"10000", L"10000", L"已成"},
    {L"09:31:40", L"600004", L"白云机场", false, L"10.85", L"3000", L"0", L"已报"},
    {L"09:35:02", L"600036", L"招商银行", true, L"33.16", L"500", L"300", L"部成"},
    {L"09:41:27", L"600019", L"宝钢股份", true, L"6.21", L"20000", L"20000", L"已成"},
    {L"09:52:09", L"600018", L"上港集团", false, L"5.37", L"8000", L"0", L"已撤"},
    {L"10:03:55", L"600016", L"民生银行", true, L"3.88", L"15000", L"15000", L"已成"},
    {L"10:15:31", L"600009", L"上海机场", false, L"35.02", L"200", L"200", L"已成"},
    {L"10:28:44", L"600011", L"华能国际", true, L"7.06", L"5000", L"0", L"已报"},
    {L"10:40:18", L"600015", L"华夏银行", true, L"6.45", L"6000", L"2000", L"部成"},
    {L"10:55:03", L"600012", L"皖通高速", false, L"11.34", L"1200", L"1200", L"已成"},
    {L"11:02:47", L"600010", L"包钢股份", true, L"1.86", L"50000", L"50000", L"已成"},
    {L"13:05:21", L"600020", L"中原高速", false, L"3.97", L"9000", L"0", L"废单"},
    {L"13:21:36", L"600007", L"中国国贸", true, L"19.58", L"700", L"700", L"已成"},
    {L"13:47:10", L"600008", L"首创股份", false, L"3.02", L"12000", L"4000", L"部成"},
}};

class OrderPage : public GalleryPage {
public:
    OrderPage() : GalleryPage(L"grid_orders", CSize(560, 300)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int answer = GalleryPage::OnCreate(cs);
        const CRect area(12, 34, 548, 288);
        m_grid.Create(WS_CHILD | WS_VISIBLE, CRect(area.left, area.top, area.right - 17, area.bottom - 17), this, 1,
                      GS_GRIDLINES);
        m_grid.SetGridLineColor(RGB(70, 24, 24));
        Apply(m_grid, m_fonts);
        const struct {
            const wchar_t* title;
            int width;
            UINT format;
        } columns[] = {{L"委托时间", 72, GF_CENTER}, {L"证券代码", 68, GF_CENTER}, {L"证券名称", 76, GF_LEFT},
                       {L"买卖", 44, GF_CENTER},     {L"委托价格", 70, GF_RIGHT},  {L"委托数量", 72, GF_RIGHT},
                       {L"成交数量", 72, GF_RIGHT},  {L"状态", 56, GF_CENTER}};
        for (const auto& column : columns) {
            m_grid.InsertColumn(-1, column.title, column.format, column.width, FALSE);
        }
        m_grid.SetFixedColCount(1);
        for (int row = 0; row < static_cast<int>(kOrders.size()); ++row) {
            const Order& order = kOrders[row];
            m_grid.InsertItem(-1, order.time);
            const wchar_t* texts[] = {order.time,  order.code, order.name, order.buy ? L"买入" : L"卖出",
                                      order.price, order.amount, order.done, order.state};
            for (int column = 1; column < static_cast<int>(std::size(texts)); ++column) {
                m_grid.SetItemText(row, column, texts[column]);
            }
            m_grid.SetItemColor(row, order.buy ? kRise : kFall, RGB(0, 0, 0));
            m_grid.SetSubItemColor(row, 0, kFlat, RGB(0, 0, 0));
            m_grid.SetSubItemColor(row, 2, kCode, RGB(0, 0, 0));
        }
        m_vertical.Create(KXSB_VERT, CRect(area.right - 17, area.top, area.right, area.bottom - 17), this, 2);
        m_horizontal.Create(KXSB_HORZ, CRect(area.left, area.bottom - 17, area.right - 17, area.bottom), this, 3);
        for (CKxScrollBar* bar : {&m_vertical, &m_horizontal}) {
            bar->SetScorllBarBorderColor(RGB(192, 0, 0));
            bar->SetTriangleBorderColor(RGB(192, 0, 0));
            bar->SetBuddy(&m_grid);
        }
        m_grid.ReCalcLayout();
        m_grid.SetSimplSel(2, FALSE);
        m_grid.Scroll(2, CKxGrid::SCROLL_ROWS);
        m_grid.ReDrawAll(TRUE);
        return answer;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        DrawHeading(dc, CRect(12, 8, client.right - 12, 30), L"当日委托：保存的行，外接滚动条");
    }

private:
    PageFonts m_fonts;
    CKxGrid m_grid;
    CKxScrollBar m_vertical;
    CKxScrollBar m_horizontal;
};

GalleryRegistration quotes([] { return std::make_unique<QuotePage>(); });
GalleryRegistration orders([] { return std::make_unique<OrderPage>(); });

} // namespace
