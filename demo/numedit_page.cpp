// An order form: price and volume in numeric edits, the order's remarks in a rich edit.
#include <util/numedit.h>

#include "gallery.h"

namespace {

class NumEditPage : public GalleryPage {
public:
    NumEditPage() : GalleryPage(L"numedit", CSize(380, 220)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int result = GalleryPage::OnCreate(cs);
        m_font.CreatePointFont(100, L"宋体");
        m_price.Create(WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(110, 44, 250, 68), this, 1);
        m_price.SetType(2);
        m_price.SetMinMax(0, 9999.99);
        m_volume.Create(WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(110, 80, 250, 104), this, 2);
        m_volume.SetType(1);
        m_remarks.Create(WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, CRect(110, 116, 360, 206),
                         this, 3);
        for (CWnd* edit : {static_cast<CWnd*>(&m_price), static_cast<CWnd*>(&m_volume), static_cast<CWnd*>(&m_remarks)}) {
            edit->SetFont(&m_font);
        }
        // Typed as a user would, through the filters.
        for (const wchar_t ch : std::wstring(L"12.35")) {
            m_price.SendMessage(WM_CHAR, ch, 1);
        }
        for (const wchar_t ch : std::wstring(L"1500")) {
            m_volume.SendMessage(WM_CHAR, ch, 1);
        }
        ::SetWindowTextW(m_remarks, L"限价买入 600036 招商银行\r\n委托有效期：当日\r\n备注：分两笔成交亦可\r\n"
                                    L"止损价：11.80\r\n止盈价：13.20\r\n下单渠道：电脑客户端");
        return result;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        CRect area = client;
        area.DeflateRect(16, 10);
        DrawHeading(dc, area, L"委托下单");
        CFont* old = dc.SelectObject(&m_font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0x30, 0x30, 0x30));
        const wchar_t* labels[] = {L"委托价格", L"委托数量", L"备注"};
        for (int i = 0; i < 3; ++i) {
            CRect line(area.left, 44 + 36 * i, 104, 68 + 36 * i);
            dc.DrawText(labels[i], -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        dc.SelectObject(old);
    }

private:
    CFont m_font;
    CKxNumEdit m_price;
    CKxNumEdit m_volume;
    CKxRichEdit m_remarks;
};

GalleryRegistration registration([] { return std::make_unique<NumEditPage>(); });

} // namespace
