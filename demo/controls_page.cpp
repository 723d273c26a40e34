// Simple skinned controls: a splitter between two panes, progress bars of both styles, spin buttons.
#include <util/kxspinbutton.h>
#include <util/progressctrl.h>
#include <util/splitter.h>

#include <memory>
#include <vector>

#include "gallery.h"

namespace {

const wchar_t kPaneClass[] = L"UtilGalleryTextPane";

// A pane of a few lines of text on a dark background.
class TextPane : public CWnd {
public:
    TextPane(CWnd* parent, const CRect& rect, std::vector<const wchar_t*> lines) : m_lines(std::move(lines))
    {
        KxRegisterWndClass(kPaneClass, ::LoadCursorW(nullptr, IDC_ARROW));
        CreateEx(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE, rect, parent, 0);
    }

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(0x10, 0x14, 0x1C));
        CFont font;
        font.CreatePointFont(90, L"宋体");
        CFont* old = dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
        for (size_t i = 0; i < m_lines.size(); ++i) {
            dc.SetTextColor(i == 0 ? RGB(0xF0, 0xC0, 0x30) : RGB(0xE0, 0xE0, 0xE0));
            CRect line(8, 6 + static_cast<int>(i) * 20, client.right - 4, 24 + static_cast<int>(i) * 20);
            dc.DrawText(m_lines[i], -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        dc.SelectObject(old);
    }

private:
    std::vector<const wchar_t*> m_lines;
};

class ControlsPage : public GalleryPage {
public:
    ControlsPage() : GalleryPage(L"controls", CSize(560, 380)) {}

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int answer = GalleryPage::OnCreate(cs);
        CreateSplitPanes();
        CreateProgressBars();
        CreateSpinButtons();
        return answer;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        const int right = client.right - 12;
        DrawHeading(dc, CRect(12, 8, right, 30), L"分隔条：左右两栏，各有最小宽度");
        DrawHeading(dc, CRect(12, 184, right, 206), L"进度条：渐变与平铺，37%");
        DrawHeading(dc, CRect(12, 290, right, 312), L"微调按钮：纵向、横向、禁用、立体边框");
    }

private:
    void CreateSplitPanes()
    {
        m_left = std::make_unique<TextPane>(this, CRect(12, 34, 200, 174),
                                            std::vector<const wchar_t*>{L"自选股", L"600036 招商银行", L"601318 中国平安",
                                                                        L"600519 贵州茅台", L"000001 平安银行"});
        m_right = std::make_unique<TextPane>(
            this, CRect(204, 34, 548, 174),
            std::vector<const wchar_t*>{L"委托明细", L"09:31:05 买入 招商银行 1000 股 @ 35.20",
                                        L"09:45:12 卖出 中国平安 500 股 @ 48.66", L"10:02:40 买入 贵州茅台 100 股 @ 1688.00"});
        m_splitter.Create(WS_VISIBLE, CRect(200, 34, 204, 174), this, 10, KXSPLITTER_VERT);
        m_splitter.SetSplitterWidth(4);
        m_splitter.SetSplitterColor(RGB(0x50, 0x70, 0xA0));
        m_splitter.BindWnd(m_left.get(), KXSPLITTER_LEFT, 100);
        m_splitter.BindWnd(m_right.get(), KXSPLITTER_RIGHT, 150);
    }

    void CreateProgressBars()
    {
        struct Bar {
            CRect rect;
            int style;
            const wchar_t* caption;
        };
        const Bar bars[] = {{CRect(12, 212, 270, 233), KXPROGRESS_GRADIENT, L""},
                            {CRect(290, 212, 548, 233), KXPROGRESS_GRADIENT, L"正在下载行情数据"},
                            {CRect(12, 248, 270, 260), KXPROGRESS_TILE, L""}};
        for (const Bar& bar : bars) {
            auto progress = std::make_unique<CKXProgressCtrl>();
            progress->Create(bar.caption, WS_VISIBLE, bar.rect, this);
            progress->SetProgressStyle(bar.style);
            progress->SetShowText(TRUE);
            progress->SetPos(37);
            m_progress.push_back(std::move(progress));
        }
    }

    void CreateSpinButtons()
    {
        m_edit.CreateEx(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_NUMBER, CRect(12, 318, 92, 340),
                        this, 20);
        struct Spin {
            CRect rect;
            DWORD style;
            bool disabled;
            KXSPINSTYLE border;
        };
        const Spin spins[] = {{CRect(92, 318, 108, 340), UDS_SETBUDDYINT | UDS_NOTHOUSANDS, false, KXSPIN_FLAT},
                              {CRect(140, 318, 180, 334), UDS_HORZ, false, KXSPIN_FLAT},
                              {CRect(210, 318, 226, 350), 0, true, KXSPIN_FLAT},
                              {CRect(260, 318, 276, 350), 0, false, KXSPIN_3D}};
        for (const Spin& shown : spins) {
            auto spin = std::make_unique<CKXSpinButtonCtrl>();
            spin->Create(WS_VISIBLE | shown.style, shown.rect, this, 21);
            spin->SetSpinStyle(shown.border);
            if (shown.disabled) {
                spin->EnableWindow(FALSE);
                spin->InitSpinCtrl();
            }
            m_spins.push_back(std::move(spin));
        }
        m_spins.front()->SetBuddy(&m_edit);
        m_spins.front()->SetRange32(0, 9999);
        m_spins.front()->SetPos32(100);
    }

    std::unique_ptr<TextPane> m_left;
    std::unique_ptr<TextPane> m_right;
    CKXSplitter m_splitter;
    std::vector<std::unique_ptr<CKXProgressCtrl>> m_progress;
    CWnd m_edit;
    std::vector<std::unique_ptr<CKXSpinButtonCtrl>> m_spins;
};

GalleryRegistration registration([] { return std::make_unique<ControlsPage>(); });

} // namespace
