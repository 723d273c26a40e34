// Composite controls: page tabs (a scrolling market strip, a vertical side strip, order pages in page
// client mode), a rich tooltip with a quote table and the Caps Lock balloon under a password field.
#include <util/balloon.h>
#include <util/pagetab.h>
#include <util/tooltip.h>

#include <array>
#include <vector>

#include "gallery.h"

namespace {

const COLORREF kRise = RGB(0xE0, 0x30, 0x30);
const COLORREF kFall = RGB(0x20, 0xA0, 0x40);

// A round 16 x 16 icon of one colour, destroyed with the object.
class DotIcon {
public:
    explicit DotIcon(COLORREF colour)
    {
        std::array<DWORD, 16 * 16> pixels{};
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int dx = 2 * x - 15, dy = 2 * y - 15;
                if (dx * dx + dy * dy <= 14 * 14) {
                    pixels[y * 16 + x] =
                        0xFF000000 | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
                }
            }
        }
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = ::CreateBitmap(16, 16, 1, 32, pixels.data());
        info.hbmMask = ::CreateBitmap(16, 16, 1, 1, nullptr);
        m_icon = ::CreateIconIndirect(&info);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
    ~DotIcon() { ::DestroyIcon(m_icon); }
    DotIcon(const DotIcon&) = delete;
    DotIcon& operator=(const DotIcon&) = delete;
    operator HICON() const { return m_icon; }

private:
    HICON m_icon = nullptr;
};

CYToolTipCell Text(const wchar_t* text, COLORREF colour, UINT format = DT_RIGHT | DT_VCENTER | DT_SINGLELINE)
{
    CYToolTipCell cell;
    cell.m_strText = text;
    cell.m_crText = colour;
    cell.m_nExtraWidth = 14;
    cell.m_nFormat = format;
    return cell;
}

// The colours of a strip: strip, tab, selected tab, text, selected text, borders.
struct StripColours {
    COLORREF strip, tab, selected, text, selectedText, border;

    void ApplyTo(CKxPageTab& tabs) const
    {
        tabs.SetPageTabColor(strip);
        tabs.SetBackColor(tab);
        tabs.SetSelBkColor(selected);
        tabs.SetTextColor(text);
        tabs.SetSelTextColor(selectedText);
        tabs.SetBorderColor(border);
    }
};

class CompositePage : public GalleryPage {
public:
    CompositePage()
        : GalleryPage(L"composite", CSize(640, 420)), m_red(kRise), m_green(kFall), m_blue(RGB(0x30, 0x70, 0xE0))
    {
    }

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int result = GalleryPage::OnCreate(cs);
        CreateMarketStrip();
        CreateSideStrip();
        CreateOrderPages();
        CreateQuoteTip();
        CreatePasswordField();
        return result;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        dc.FillSolidRect(&client, ::GetSysColor(COLOR_WINDOW));
        DrawHeading(dc, CRect(12, 4, 628, 30), L"Page tab: icons and captions, arrows at the end");
        DrawHeading(dc, CRect(12, 74, 330, 100), L"Vertical strip; page client mode");
        DrawHeading(dc, CRect(350, 74, 628, 100), L"Rich tooltip");
        DrawHeading(dc, CRect(350, 250, 628, 276), L"Caps Lock balloon");
        // The pop-ups float above the page; the picture shows them where they are (the balloon as it
        // looks while Caps Lock is on in the field).
        PrintPopup(dc, m_tip);
        PrintPopup(dc, m_balloon);
    }

private:
    void CreateMarketStrip()
    {
        m_market.Create(KXPTS_ICONCAPTION, CRect(12, 36, 628, 62), this, 1, KXPTO_TOP);
        StripColours{RGB(0x1E, 0x24, 0x30), RGB(0x2A, 0x32, 0x42), RGB(0x2F, 0x62, 0xB8),
                     RGB(0xD8, 0xDE, 0xE8), RGB(0xFF, 0xD8, 0x40), RGB(0x50, 0x5A, 0x6E)}
            .ApplyTo(m_market);
        m_market.SetSpinNorColor(RGB(0x60, 0x68, 0x78));
        m_market.SetSpinActColor(RGB(0xFF, 0xFF, 0xFF));
        m_market.SetBorderStyle(3);
        m_market.SetSpinStyle(2);
        m_market.SetSpinWidth(5);
        const wchar_t* markets[] = {L"自选股", L"沪深A股", L"港股通", L"创业板", L"科创板",
                                    L"北交所", L"基金",    L"债券",   L"期权",   L"期货"};
        const HICON icons[] = {m_red, m_green, m_blue};
        for (int i = 0; i < 10; ++i) {
            m_market.InsertItem(-1, markets[i], icons[i % 3]);
        }
        m_market.SetCurSel(1, false);
    }

    void CreateSideStrip()
    {
        m_side.Create(KXPTS_CAPTION, CRect(12, 106, 40, 330), this, 2, KXPTO_VERT);
        StripColours{RGB(0xE4, 0xE8, 0xEE), RGB(0xF6, 0xF7, 0xF9), RGB(0xFF, 0xFF, 0xFF),
                     RGB(0x40, 0x48, 0x58), RGB(0xC0, 0x20, 0x20), RGB(0xB4, 0xBE, 0xCC)}
            .ApplyTo(m_side);
        m_side.SetSpinShow(false);
        m_side.SetDepart(2);
        for (const wchar_t* caption : {L"行情", L"交易", L"资讯", L"自选"}) {
            m_side.InsertItem(-1, caption, nullptr);
        }
        m_side.SetCurSel(1, false);
    }

    void CreateOrderPages()
    {
        m_orders.Create(KXPTS_CAPTION | KXPTS_EQUALWIDTH, CRect(56, 106, 330, 330), this, 3, KXPTO_TOP);
        m_orders.SetPageTabClient(1);
        m_orders.SetPageItemHeight(24);
        m_orders.SetSpinShow(false);
        m_orders.SetItemAdditionWidth(24);
        StripColours{RGB(0xDD, 0xE3, 0xEC), RGB(0xEE, 0xF1, 0xF5), RGB(0xF2, 0xF2, 0xF2),
                     RGB(0x30, 0x38, 0x48), RGB(0x10, 0x50, 0xB0), RGB(0xA8, 0xB4, 0xC4)}
            .ApplyTo(m_orders);
        m_orders.SetUnderLineStyle(true);
        for (const wchar_t* caption : {L"委托", L"成交", L"持仓", L"资金"}) {
            m_orders.InsertItem(-1, caption, nullptr);
        }
        m_orders.SetCurSel(2, false);
    }

    void CreateQuoteTip()
    {
        CYToolTipInfo info;
        info.m_crBk = RGB(0xFF, 0xFD, 0xE8);
        info.m_crSel = RGB(0xD6, 0xE6, 0xFA);
        CYToolTipRow header;
        header.m_crBk = RGB(0xEF, 0xEB, 0xD0);
        CYToolTipCell blank;
        blank.m_nExtraWidth = 20;
        header.m_vecCells = {blank, Text(L"名称", RGB(0x50, 0x50, 0x50), DT_LEFT | DT_VCENTER | DT_SINGLELINE),
                             Text(L"最新", RGB(0x50, 0x50, 0x50)), Text(L"涨跌幅", RGB(0x50, 0x50, 0x50))};
        info.m_vecRows.push_back(header);
        const struct {
            HICON icon;
            const wchar_t* name;
            const wchar_t* price;
            const wchar_t* change;
            COLORREF colour;
        } quotes[] = {{m_red, L"浦发银行", L"8.52", L"+1.20%", kRise},
                      {m_green, L"平安银行", L"11.37", L"-0.44%", kFall},
                      {m_red, L"贵州茅台", L"1688.00", L"+0.86%", kRise},
                      {m_green, L"中国平安", L"45.10", L"-1.05%", kFall}};
        for (const auto& quote : quotes) {
            CYToolTipRow row;
            CYToolTipCell icon;
            icon.m_hIcon = quote.icon;
            icon.m_nExtraWidth = 20;
            row.m_vecCells = {icon, Text(quote.name, RGB(0x20, 0x20, 0x20), DT_LEFT | DT_VCENTER | DT_SINGLELINE),
                              Text(quote.price, quote.colour), Text(quote.change, quote.colour)};
            info.m_vecRows.push_back(row);
        }
        m_tip.Create(this);
        m_tip.SetToolTip(&info);
        m_tip.SetOutterPaint(true);
        m_tip.SetFixSel(2);
        CPoint at(350, 106);
        ClientToScreen(&at);
        m_tip.Show(at, 0, 0);
        m_tip.SendMessage(WM_TIMER, 1); // at once, for the picture
    }

    void CreatePasswordField()
    {
        m_password.CreateEx(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_PASSWORD,
                            CRect(350, 282, 590, 306), this, 4);
        m_balloon.Initialize(&m_password, TRUE);
        CRect field;
        m_password.GetWindowRect(&field);
        m_balloon.SetWindowPos(nullptr, field.left, field.bottom + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void PrintPopup(CDC& dc, CWnd& popup)
    {
        if (!popup.IsWindow()) {
            return;
        }
        CRect window;
        popup.GetWindowRect(&window);
        ScreenToClient(&window);
        HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
        if (::GetWindowRgn(popup, shape) == ERROR) {
            ::SetRectRgn(shape, 0, 0, window.Width(), window.Height());
        }
        ::OffsetRgn(shape, window.left, window.top);
        const int saved = dc.SaveDC();
        ::ExtSelectClipRgn(dc, shape, RGN_AND);
        dc.SetViewportOrg(window.left, window.top);
        popup.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), PRF_CLIENT);
        dc.RestoreDC(saved);
        ::DeleteObject(shape);
    }

    DotIcon m_red;
    DotIcon m_green;
    DotIcon m_blue;
    CKxPageTab m_market;
    CKxPageTab m_side;
    CKxPageTab m_orders;
    CYToolTip m_tip;
    CWnd m_password;
    CKWBalloonCtrl m_balloon;
};

GalleryRegistration registration([] { return std::make_unique<CompositePage>(); });

} // namespace
