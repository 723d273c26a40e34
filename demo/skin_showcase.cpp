// A sign-in dialog made from a skin file alone (background, fields, verification code, check box,
// skin buttons, a link), and a skin list of the day's orders.
#include <util/skindlg.h>
#include <util/skinlist.h>

#include <windows.h>

#include <iterator>
#include <memory>
#include <string>

#include "gallery.h"
#include "skin/skin_fixture.h"

namespace {

const int kWidth = 380;
const int kHeight = 270;
const int kBanner = 72;

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps)
{
    auto mix = [&](int a, int b) { return a + (b - a) * step / (steps > 1 ? steps - 1 : 1); };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

// The skin's images: a banner over a light panel, and a vertical gradient per button state.
bool WriteImages(const std::wstring& folder)
{
    const bool background = skintest::WriteBmp(folder + L"\\login_bk.bmp", kWidth, kHeight, [](int x, int y) {
        if (x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1) {
            return RGB(0x1A, 0x3F, 0x73);
        }
        return y < kBanner ? Blend(RGB(0x1E, 0x4E, 0x8C), RGB(0x3A, 0x78, 0xC0), y, kBanner)
                           : Blend(RGB(0xF7, 0xFA, 0xFE), RGB(0xDD, 0xE6, 0xF2), y - kBanner, kHeight - kBanner);
    });
    const struct {
        const wchar_t* name;
        COLORREF top;
        COLORREF bottom;
    } buttons[] = {{L"btn_n.bmp", RGB(0x4A, 0x8C, 0xD8), RGB(0x2A, 0x64, 0xB0)},
                   {L"btn_s.bmp", RGB(0x22, 0x55, 0x98), RGB(0x1A, 0x44, 0x80)},
                   {L"btn_h.bmp", RGB(0x66, 0xA6, 0xEC), RGB(0x3A, 0x7C, 0xCA)},
                   {L"btn_d.bmp", RGB(0xC8, 0xCC, 0xD2), RGB(0xB0, 0xB4, 0xBA)},
                   {L"gray_n.bmp", RGB(0xF4, 0xF6, 0xF8), RGB(0xD8, 0xDC, 0xE2)}};
    bool ok = background;
    for (const auto& button : buttons) {
        ok = ok && skintest::WriteBmp(folder + L"\\" + button.name, 90, 30, [&](int x, int y) {
                 if (x == 0 || y == 0 || x == 89 || y == 29) {
                     return RGB(0x80, 0x8C, 0x9C);
                 }
                 return Blend(button.top, button.bottom, y, 30);
             });
    }
    return ok;
}

const wchar_t kSkin[] =
    L"<LoginDlg clsname=\"Dialog\" text=\"用户登录\" bgfile=\"login_bk.bmp\" enablemove=\"1\">"
    L"<title clsname=\"KxStatic\" id=\"1000\" addstyle=\"268435456\" rect=\"24,18,300,44\" text=\"证券交易客户端\" "
    L"fontsize=\"-20\" bold=\"700\" fontname=\"微软雅黑\" color=\"255,255,255\"/>"
    L"<subtitle clsname=\"KxStatic\" id=\"1001\" addstyle=\"268435456\" rect=\"24,46,300,64\" "
    L"text=\"安全登录 · 网上交易\" color=\"210,226,246\"/>"
    L"<l1 clsname=\"KxStatic\" id=\"1002\" addstyle=\"268435456\" rect=\"36,92,100,110\" text=\"资金账号\" color=\"40,50,70\"/>"
    L"<account clsname=\"Edit\" id=\"1003\" addstyle=\"276889728\" rect=\"104,88,300,110\" text=\"310012345678\" fontsize=\"-13\"/>"
    L"<l2 clsname=\"KxStatic\" id=\"1004\" addstyle=\"268435456\" rect=\"36,124,100,142\" text=\"交易密码\" color=\"40,50,70\"/>"
    L"<password clsname=\"passEdit\" id=\"1005\" addstyle=\"276824064\" rect=\"104,120,300,142\"/>"
    L"<l3 clsname=\"KxStatic\" id=\"1006\" addstyle=\"268435456\" rect=\"36,160,100,178\" text=\"验证码\" color=\"40,50,70\"/>"
    L"<code clsname=\"Edit\" id=\"1007\" addstyle=\"276889728\" rect=\"104,156,190,178\" fontsize=\"-13\"/>"
    L"<picture clsname=\"VerifyCode\" id=\"1008\" rect=\"200,152,268,188\"/>"
    L"<remember clsname=\"KXCheckBox\" id=\"1009\" addstyle=\"268435456\" rect=\"104,194,200,212\" text=\"记住账号\" color=\"40,50,70\"/>"
    L"<link clsname=\"HyperLink\" id=\"1010\" addstyle=\"268435456\" rect=\"240,194,330,212\" text=\"忘记密码？\" link=\"about:blank\"/>"
    L"<ok clsname=\"SkinButton\" id=\"1\" addstyle=\"268435456\" rect=\"104,222,194,252\" text=\"登 录\" "
    L"norfile=\"btn_n.bmp\" selfile=\"btn_s.bmp\" hovfile=\"btn_h.bmp\" disfile=\"btn_d.bmp\" "
    L"color=\"255,255,255\" selcolor=\"230,238,250\" hovcolor=\"255,255,255\" fontsize=\"-14\" bold=\"700\"/>"
    L"<cancel clsname=\"SkinButton\" id=\"2\" addstyle=\"268435456\" rect=\"210,222,300,252\" text=\"取 消\" "
    L"norfile=\"gray_n.bmp\" color=\"40,50,70\" fontsize=\"-14\"/>"
    // Without images the close button is its caption over the banner.
    L"<close clsname=\"SkinButton\" id=\"1011\" addstyle=\"268435456\" rect=\"346,2,378,30\" text=\"×\" "
    L"color=\"230,238,250\" hovcolor=\"255,255,255\" selcolor=\"180,200,230\" fontsize=\"-18\" fontname=\"Arial\"/>"
    L"</LoginDlg>";

class SkinSignInShowcase : public GalleryDialogShowcase {
public:
    std::wstring Name() const override { return L"skin_signin"; }
    HWND Show(CPoint topLeft) override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        const std::wstring folder = std::wstring(temp) + L"util_skin_gallery";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring skinFile = folder + L"\\login.xml";
        if (!WriteImages(folder) || !skintest::WriteSkin(skinFile, kSkin)) {
            return nullptr;
        }
        auto* dialog = new CSkinDlg(static_cast<CWnd*>(nullptr));
        dialog->SetXmlFile(skinFile.c_str(), L"LoginDlg");
        CDialogTemplate form(L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 200, 140, L"宋体", 9);
        const HWND window = ShowDialog(dialog, form, topLeft);
        // The account is remembered: the password is what the user types next.
        if (window) {
            ::SetFocus(::GetDlgItem(window, 1005));
        }
        return window;
    }
};

GalleryShowcaseRegistration g_skinSignIn([] { return std::make_unique<SkinSignInShowcase>(); });

// The day's orders: buys in red, sells in green, cancelled ones grey, the one the user clicked marked.
class SkinListPage : public GalleryPage {
public:
    SkinListPage() : GalleryPage(L"skin_list", CSize(620, 300)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        if (GalleryPage::OnCreate(cs) == -1) {
            return -1;
        }
        m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(16, 44, 604, 284),
                      this, 100);
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        m_list.SetListStyle(1);
        m_list.SetHeadStyle(DT_CENTER);
        const struct {
            const wchar_t* title;
            int width;
        } columns[] = {{L"委托时间", 80}, {L"证券代码", 76}, {L"证券名称", 84}, {L"买卖", 52},
                       {L"委托价格", 80}, {L"委托数量", 80}, {L"状态", 120}};
        for (int i = 0; i < 7; ++i) {
            m_list.InsertColumn(i, columns[i].title, i >= 4 && i <= 5 ? LVCFMT_RIGHT : LVCFMT_LEFT, columns[i].width);
        }
        const wchar_t* const rows[][7] = {
            {L"09:31:05", L"600000", L"浦发银行", L"买入", L"7.52", L"10000", L"已成交"},
            {L"09:35:47", L"000001", L"平安银行", L"卖出", L"11.08", L"5000", L"已成交"},
            {L"10:02:13", L"600036", L"招商银行", L"买入", L"32.15", L"2000", L"部分成交"},
            {L"10:15:29", L"601318", L"中国平安", L"卖出", L"45.60", L"1500", L"已报"},
            {L"10:48:02", L"000858", L"五 粮 液", L"买入", L"138.20", L"300", L"已撤单"},
            {L"11:02:44", L"600519", L"贵州茅台", L"买入", L"1688.00", L"100", L"已报"},
            {L"13:12:36", L"300750", L"宁德时代", L"卖出", L"182.45", L"400", L"已成交"},
            {L"13:40:51", L"601012", L"隆基绿能", L"买入", L"18.36", L"3000", L"废单"},
            {L"13:58:19", L"002594", L"比亚迪", L"买入", L"236.80", L"200", L"已成交"},
            {L"14:05:33", L"600030", L"中信证券", L"卖出", L"21.74", L"4000", L"部分成交"},
            {L"14:21:08", L"000333", L"美的集团", L"买入", L"58.92", L"800", L"已报"},
            {L"14:36:47", L"601398", L"工商银行", L"卖出", L"5.03", L"20000", L"已撤单"},
            {L"14:52:10", L"688981", L"中芯国际", L"买入", L"49.15", L"600", L"已报"},
        };
        const int rowCount = static_cast<int>(std::size(rows));
        for (int row = 0; row < rowCount; ++row) {
            m_list.InsertItemEx(row, rows[row][0]);
            for (int column = 1; column < 7; ++column) {
                m_list.SetItemText(row, column, rows[row][column]);
            }
            const bool buy = rows[row][3][0] == L'买';
            const bool dead = rows[row][6][0] == L'已' && rows[row][6][1] == L'撤';
            m_list.SetItemColor(row, dead ? RGB(128, 128, 128) : buy ? RGB(200, 0, 0) : RGB(0, 128, 0),
                                RGB(255, 255, 255));
        }
        ClickRow(3);
        return 0;
    }

    void Paint(CDC& dc, const CRect& client) override { DrawHeading(dc, client, L"当日委托"); }

private:
    // As the user would: the list marks the row it is clicked on.
    void ClickRow(int row)
    {
        CRect label;
        m_list.GetItemRect(row, &label, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(label.left + 4, label.CenterPoint().y);
        // The list's own press handling waits for the release.
        m_list.PostMessage(WM_LBUTTONUP, 0, at);
        m_list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    }

    CSkinListCtrl m_list;
};

GalleryRegistration g_skinList([] { return std::make_unique<SkinListPage>(); });

} // namespace
