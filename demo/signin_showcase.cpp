// A sign-in dialog made of the simple skinned controls: labels, a verification code, a link, a
// group box of radio buttons, check boxes in every state, the standard buttons and a clock, all
// drawn over the dialog's own painted background.
#include <util/basedlg.h>
#include <util/checkbox.h>
#include <util/drawfun.h>
#include <util/iconbutton.h>
#include <util/kxmsg.h>
#include <util/kxstatic.h>
#include <util/shelllink.h>
#include <util/verifycode.h>

#include <memory>
#include <string>

#include "gallery.h"

namespace {

const CSize kClientSize(420, 300);
const int kBannerHeight = 54;
const COLORREF kBannerTop = RGB(0x1E, 0x4E, 0x8C);
const COLORREF kBannerBottom = RGB(0x3A, 0x78, 0xC0);
const COLORREF kPanelTop = RGB(0xF7, 0xFA, 0xFE);
const COLORREF kPanelBottom = RGB(0xE2, 0xEA, 0xF4);

// The dialog's skin: a banner over a light panel, kept in a bitmap that also answers the
// controls' background requests.
class SignInDialog : public CKXBaseDlg {
public:
    ~SignInDialog() override
    {
        if (m_oldSkinBitmap) {
            m_skin.SelectObject(m_oldSkinBitmap);
        }
    }

protected:
    BOOL OnInitDialog() override
    {
        CKXBaseDlg::OnInitDialog();
        SetTitleText(L"用户登录");
        CRect frame;
        GetWindowRect(&frame);
        CRect client;
        GetClientRect(&client);
        SetWindowPos(nullptr, 0, 0, frame.Width() + kClientSize.cx - client.Width(),
                     frame.Height() + kClientSize.cy - client.Height(), SWP_NOMOVE | SWP_NOZORDER);
        PaintSkin();
        CreateControls();
        return TRUE;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KX_PAINTBK && lParam) {
            CRect area(*reinterpret_cast<const RECT*>(lParam));
            ScreenToClient(&area);
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, area.Width(), area.Height(), m_skin, area.left, area.top,
                     SRCCOPY);
            return 1;
        }
        return CKXBaseDlg::WindowProc(message, wParam, lParam);
    }

    BOOL OnEraseBkgnd(CDC* dc) override
    {
        dc->BitBlt(0, 0, kClientSize.cx, kClientSize.cy, &m_skin, 0, 0, SRCCOPY);
        return TRUE;
    }

private:
    void PaintSkin()
    {
        CClientDC screen(this);
        m_skin.CreateCompatibleDC(&screen);
        m_skinBitmap.CreateCompatibleBitmap(&screen, kClientSize.cx, kClientSize.cy);
        m_oldSkinBitmap = m_skin.SelectObject(m_skinBitmap.GetSafeHandle());
        const RECT banner{0, 0, kClientSize.cx, kBannerHeight};
        const RECT panel{0, kBannerHeight, kClientSize.cx, kClientSize.cy};
        KXDRAWFUN::DrawGradientRect(m_skin, &banner, kBannerTop, kBannerBottom, TRUE);
        KXDRAWFUN::DrawGradientRect(m_skin, &panel, kPanelTop, kPanelBottom, TRUE);
        m_titleFont.CreatePointFont(140, L"微软雅黑");
        const RECT title{20, 0, 300, kBannerHeight};
        KXDRAWFUN::DrawTextW(m_skin, L"证券交易客户端", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE, m_titleFont,
                             RGB(255, 255, 255), 0);
    }

    void Label(CKXStatic& label, const wchar_t* text, int x, int y)
    {
        label.Create(text, WS_VISIBLE, CRect(x, y, x + 56, y + 16), this);
    }

    HWND Edit(const wchar_t* text, DWORD style, const RECT& rect)
    {
        HWND edit = ::CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | style,
                                      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                                      nullptr, nullptr, nullptr);
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont.GetSafeHandle()), FALSE);
        return edit;
    }

    void CreateControls()
    {
        m_uiFont.CreatePointFont(90, L"宋体");
        m_clock.Create(L"", WS_VISIBLE, CRect(330, 18, 404, 38), this);
        m_clock.SetTextColor(RGB(255, 255, 255));
        m_clock.Show();
        m_clock.SendMessage(WM_TIMER, CKXTimer::KXTIMER_ID);

        Label(m_account, L"账  号", 24, 74);
        Edit(L"8800 1234 5678", 0, CRect(84, 70, 260, 92));
        Label(m_password, L"密  码", 24, 104);
        Edit(L"secret", ES_PASSWORD, CRect(84, 100, 260, 122));
        Label(m_codeLabel, L"验证码", 24, 134);
        Edit(L"0328", 0, CRect(84, 130, 168, 152));
        m_code.Create(L"", WS_VISIBLE, CRect(176, 128, 244, 154), this, 1100);
        m_code.Init();

        m_forgotten.Create(L"忘记密码?", WS_VISIBLE | SS_LEFT, CRect(270, 104, 350, 120), this, 1101);
        m_forgotten.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont.GetSafeHandle()));
        m_help.Create(L"看不清? 换一张", WS_VISIBLE | SS_LEFT, CRect(252, 134, 360, 150), this, 1102);
        m_help.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_uiFont.GetSafeHandle()));
        m_help.SendMessage(WM_MOUSEHOVER);

        const wchar_t* methods[] = {L"交易密码", L"通讯密码", L"动态口令"};
        for (int i = 0; i < 3; ++i) {
            m_methods[i].Create(methods[i], WS_VISIBLE, CRect(40 + i * 120, 184, 130 + i * 120, 200), this, 1110 + i);
            m_methods[i].SetCheck(i == 0);
        }

        const wchar_t* options[] = {L"记住账号", L"自动登录", L"保护模式", L"隐藏行情"};
        for (int i = 0; i < 4; ++i) {
            m_options[i].Create(WS_VISIBLE, CRect(24 + i * 96, 222, 112 + i * 96, 238), this, 1120 + i);
            m_options[i].SetWindowText(options[i]);
            m_options[i].SetCheck(i % 2 == 0);
            m_options[i].EnableWindow(i < 2);
        }

        const wchar_t* captions[] = {L"登录", L"取消", L"注册新账户", L"代理设置"};
        int x = 24;
        for (int i = 0; i < 4; ++i) {
            m_buttons[i].Create(captions[i], WS_VISIBLE, CRect(x, 260, x + 66, 280), this, 1130 + i);
            CRect placed;
            m_buttons[i].GetWindowRect(&placed);
            x += placed.Width() + 8;
        }
        m_buttons[0].SetTooltipText(L"登录交易系统");
        m_buttons[0].SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        m_buttons[3].EnableWindow(FALSE);

        m_settings.Create(L"设置", WS_VISIBLE, CRect(352, 256, 412, 284), this, 1140);
        m_settings.SetBtnStyle(CButtonSTEX::ST_STYLE_CLASSIC);
        m_settings.SetFlat(FALSE);
        m_settingsIcon = static_cast<HICON>(::LoadImageW(nullptr, IDI_INFORMATION, IMAGE_ICON, 16, 16, LR_SHARED));
        m_settings.SetIcon(m_settingsIcon, nullptr, 16, 16);

        // Last, so that it lies under the radio buttons it frames.
        m_group.Create(L"登录方式", WS_VISIBLE, CRect(24, 164, 396, 210), this);
    }

    CDC m_skin;
    CBitmap m_skinBitmap;
    HGDIOBJ m_oldSkinBitmap = nullptr;
    CFont m_titleFont;
    CFont m_uiFont;
    CKXTimer m_clock;
    CKXStatic m_account, m_password, m_codeLabel;
    CVerifyCodeCtrl m_code;
    CStaticLink m_forgotten{L"https://broker.example/reset"};
    CStaticLink m_help;
    CKXRadioButton m_methods[3];
    CKxCheckBox m_options[4];
    CKXButton m_buttons[4];
    CButtonSTEX m_settings;
    HICON m_settingsIcon = nullptr;
    CKXGroupBox m_group;
};

class SignInShowcase : public GalleryDialogShowcase {
public:
    std::wstring Name() const override { return L"signin"; }
    HWND Show(CPoint topLeft) override
    {
        CDialogTemplate form(L"", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 240, 160,
                             L"Tahoma", 9);
        return ShowDialog(new SignInDialog, form, topLeft);
    }
};

GalleryShowcaseRegistration g_signIn([] { return std::make_unique<SignInShowcase>(); });

} // namespace
