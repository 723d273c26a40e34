// The sign-in form's password field after six typed keys: the window shows its password character
// over spaces, the password itself stays in the enciphered store.
#include <util/passedit.h>

#include "gallery.h"

namespace {

class PassEditPage : public GalleryPage {
public:
    PassEditPage() : GalleryPage(L"passedit", CSize(380, 190)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int result = GalleryPage::OnCreate(cs);
        m_font.CreatePointFont(100, L"宋体");
        SetFont(&m_font, FALSE); // the password edit takes its parent's font
        m_account.Create(WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(120, 52, 340, 76), this, 1);
        m_account.SetFont(&m_font);
        ::SetWindowTextW(m_account, L"3100 2588 0166");
        m_password.CEdit::Create(WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD,
                                 CRect(120, 92, 340, 116), this, 2);
        m_password.SetStyle(1, 16, 0);
        m_password.SetFocus();
        for (const DWORD key : {'T', 'R', 'A', 'D', 'E', '8'}) {
            tagKBDEVENT event{key, 1, 0, 0, KBDEVENT_STATE_HOOKED | KBDEVENT_STATE_DOWN_OR_PREVIOUS};
            m_password.PostKbdEvent(&event);
        }
        return result;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        CRect area = client;
        area.DeflateRect(16, 10);
        const CRect body = DrawHeading(dc, area, L"交易登录");
        CFont* old = dc.SelectObject(&m_font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0x30, 0x30, 0x30));
        const wchar_t* labels[] = {L"资金账号", L"交易密码"};
        for (int i = 0; i < 2; ++i) {
            CRect line(body.left, 52 + 40 * i, 112, 76 + 40 * i);
            dc.DrawText(labels[i], -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        CRect note(body.left, 132, body.right, 176);
        dc.SetTextColor(RGB(0x70, 0x70, 0x70));
        dc.DrawText(L"键盘输入由控件直接接收，内存中仅保存加密后的密码。", -1, &note, DT_LEFT | DT_WORDBREAK);
        dc.SelectObject(old);
    }

private:
    CFont m_font;
    CEdit m_account;
    CKXPassEdit m_password;
};

GalleryRegistration registration([] { return std::make_unique<PassEditPage>(); });

} // namespace
