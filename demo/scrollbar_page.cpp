// The buddy scroll bar: an order list scrolled by a vertical and a horizontal bar, in two colour schemes.
#include <util/format.h>
#include <util/scrollbar.h>

#include <algorithm>
#include <memory>

#include "gallery.h"

namespace {

const wchar_t kListClass[] = L"UtilGalleryOrderList";
constexpr int kRowHeight = 18;
constexpr int kRows = 200;
constexpr int kColumnWidth = 90;
const wchar_t* const kColumns[] = {L"委托时间", L"证券代码", L"证券名称", L"买卖", L"委托价", L"数量", L"状态"};
const wchar_t* const kNames[] = {L"招商银行", L"中国平安", L"贵州茅台", L"平安银行", L"万科Ａ", L"中信证券"};

// An order list that draws the rows and columns its two bars point at.
class OrderList : public CWnd {
public:
    OrderList(CWnd* parent, const CRect& rect, COLORREF back, COLORREF ink)
        : m_back(back), m_ink(ink)
    {
        KxRegisterWndClass(kListClass, ::LoadCursorW(nullptr, IDC_ARROW));
        CreateEx(0, kListClass, L"", WS_CHILD | WS_VISIBLE, rect, parent, 0);
    }

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, m_back);
        CFont font;
        font.CreatePointFont(90, L"宋体");
        CFont* old = dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
        const int columns = static_cast<int>(std::size(kColumns));
        for (int line = 0; line * kRowHeight < client.Height(); ++line) {
            const int row = line == 0 ? -1 : m_top + line - 1;
            if (row >= kRows) {
                break;
            }
            dc.SetTextColor(row < 0 ? RGB(0xF0, 0xC0, 0x30) : m_ink);
            for (int column = m_left; column < columns; ++column) {
                CRect cell((column - m_left) * kColumnWidth + 6, line * kRowHeight, (column - m_left + 1) * kColumnWidth,
                           (line + 1) * kRowHeight);
                const std::wstring text = row < 0 ? kColumns[column] : Cell(row, column);
                dc.DrawText(text.c_str(), -1, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            }
        }
        dc.SelectObject(old);
    }

    // The bars say where to go: their whole position is read back from them.
    void OnVScroll(UINT, UINT, CWnd* bar) override { m_top = PositionOf(bar, m_top); }
    void OnHScroll(UINT, UINT, CWnd* bar) override { m_left = PositionOf(bar, m_left); }

private:
    int PositionOf(CWnd* bar, int current)
    {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        if (bar == nullptr || bar->SendMessage(WM_KX_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)) == 0) {
            return current;
        }
        Invalidate(FALSE);
        return info.nPos;
    }

    static std::wstring Cell(int row, int column)
    {
        switch (column) {
        case 0:
            return KxFormat(L"09:%02d:%02d", 30 + row / 60 % 30, row % 60);
        case 1:
            return KxFormat(L"60%04d", (row * 37) % 10000);
        case 2:
            return kNames[row % std::size(kNames)];
        case 3:
            return row % 3 == 0 ? L"卖出" : L"买入";
        case 4:
            return KxFormat(L"%d.%02d", 10 + row % 40, (row * 7) % 100);
        case 5:
            return KxFormat(L"%d", (row % 9 + 1) * 100);
        default:
            return row % 4 == 0 ? L"部分成交" : L"已成交";
        }
    }

    COLORREF m_back;
    COLORREF m_ink;
    int m_top = 0;
    int m_left = 0;
};

// One order list with its two bars, scrolled to a given place.
struct ScrolledList {
    ScrolledList(CWnd* parent, const CRect& area, COLORREF back, COLORREF ink, COLORREF lines, int top, int left)
        : list(parent, CRect(area.left, area.top, area.right - 17, area.bottom - 17), back, ink)
    {
        vertical.Create(KXSB_VERT, CRect(area.right - 17, area.top, area.right, area.bottom - 17), parent, 1);
        horizontal.Create(KXSB_HORZ, CRect(area.left, area.bottom - 17, area.right - 17, area.bottom), parent, 2);
        const int visibleRows = (area.Height() - 17) / kRowHeight - 1;
        const int visibleColumns = (area.Width() - 17) / kColumnWidth;
        for (CKxScrollBar* bar : {&vertical, &horizontal}) {
            bar->SetScorllBarBkColor(back);
            bar->SetScorllBarBorderColor(lines);
            bar->SetTriangleBorderColor(lines);
            bar->SetBuddy(&list);
        }
        SCROLLINFO rows{sizeof(SCROLLINFO), SIF_ALL, 0, kRows - 1, static_cast<UINT>(visibleRows), top, 0};
        vertical.SetScrollInfo(&rows, TRUE);
        const int columns = static_cast<int>(std::size(kColumns));
        SCROLLINFO across{sizeof(SCROLLINFO), SIF_ALL, 0, columns - 1, static_cast<UINT>(visibleColumns), left, 0};
        horizontal.SetScrollInfo(&across, TRUE);
        // Tell the list where the bars start, as a user's scroll would.
        list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, top), reinterpret_cast<LPARAM>(vertical.m_hWnd));
        list.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, left), reinterpret_cast<LPARAM>(horizontal.m_hWnd));
    }

    OrderList list;
    CKxScrollBar vertical;
    CKxScrollBar horizontal;
};

class ScrollBarPage : public GalleryPage {
public:
    ScrollBarPage() : GalleryPage(L"scrollbar", CSize(720, 300)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int answer = GalleryPage::OnCreate(cs);
        m_dark = std::make_unique<ScrolledList>(this, CRect(12, 34, 352, 288), RGB(0, 0, 0), RGB(0xE0, 0xE0, 0xE0),
                                                RGB(192, 0, 0), 40, 0);
        m_blue = std::make_unique<ScrolledList>(this, CRect(368, 34, 708, 288), RGB(0x10, 0x20, 0x38),
                                                RGB(0xD0, 0xE0, 0xF0), RGB(0x70, 0x90, 0xB8), 0, 3);
        return answer;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        DrawHeading(dc, CRect(12, 8, client.Width() / 2 - 8, 30), L"当日委托：默认配色，滚动到第 40 行");
        DrawHeading(dc, CRect(368, 8, client.right - 12, 30), L"深蓝配色，横向滚动到第 4 列");
    }

private:
    std::unique_ptr<ScrolledList> m_dark;
    std::unique_ptr<ScrolledList> m_blue;
};

GalleryRegistration registration([] { return std::make_unique<ScrollBarPage>(); });

} // namespace
