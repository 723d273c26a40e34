// The web window: a news page under the navigation strip, with the client's context menu open. No
// browser engine runs here, so the window hosts the tests' fake browser and the page is drawn in its
// place; the picture joins the frame and the open menu, captured while the menu is tracked.
#include <util/basewnd.h>
#include <util/drawfun.h>
#include <util/webctrl.h>

#include <exdispid.h>
#include <mshtmhst.h>

#include <memory>
#include <string>

#include "gallery.h"
#include "support/pump.h"
#include "web/fake_web.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 420;

// The fake page's content, drawn where the browser would show the document.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    if (message != WM_PAINT) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    KXDRAWFUN::FillSolidRect(dc, &client, RGB(255, 255, 255));
    tagYFontDes font{};
    font.fPointSize = 12;
    font.lWeight = FW_BOLD;
    font.lCharSet = GB2312_CHARSET;
    wcscpy(font.szFaceName, L"微软雅黑");
    HFONT heading = Y_CreateFont(&font);
    font.fPointSize = 10;
    font.lWeight = FW_NORMAL;
    HFONT body = Y_CreateFont(&font);
    RECT band{0, 0, client.right, 34};
    KXDRAWFUN::FillSolidRect(dc, &band, RGB(0xB7, 0x1C, 0x1C));
    RECT title{16, 0, client.right, 34};
    KXDRAWFUN::DrawTextW(dc, L"今日要闻 · 资讯中心", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE, heading,
                         RGB(255, 255, 255), 0);
    const wchar_t* news[] = {L"沪深两市早盘震荡走高，半导体板块领涨",
                             L"央行开展逆回购操作，市场流动性保持合理充裕",
                             L"多家券商发布年度策略报告，看好消费复苏",
                             L"新能源汽车产业链持续活跃，锂电池概念股走强",
                             L"北向资金净流入超过五十亿元",
                             L"上市公司三季报披露完毕，业绩整体稳中有升"};
    int top = 46;
    for (const wchar_t* line : news) {
        RECT dot{18, top + 8, 22, top + 12};
        KXDRAWFUN::FillSolidRect(dc, &dot, RGB(0xB7, 0x1C, 0x1C));
        RECT text{30, top, client.right - 90, top + 20};
        KXDRAWFUN::DrawTextW(dc, line, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, body,
                             RGB(0x1A, 0x3C, 0x78), 0);
        RECT date{client.right - 86, top, client.right - 12, top + 20};
        KXDRAWFUN::DrawTextW(dc, L"12-07 09:30", -1, &date, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, body,
                             RGB(0x80, 0x80, 0x80), 0);
        KXDRAWFUN::DrawLine(dc, 16, top + 24, client.right - 12, top + 24, PS_SOLID, 1, RGB(0xE2, 0xE2, 0xE2),
                            R2_COPYPEN);
        top += 30;
    }
    Y_DeleteFont(heading);
    Y_DeleteFont(body);
    ::EndPaint(window, &paint);
    return 0;
}

// A frame window around the web window.
class NewsFrame : public CKxBaseWnd {
public:
    void OnSize(UINT type, int cx, int cy) override
    {
        CKxBaseWnd::OnSize(type, cx, cy);
        if (m_web.IsWindow()) {
            m_web.MoveWindow(0, 0, cx, cy);
        }
    }
    CWebCtrlWnd m_web;
};

// A still picture of what was captured.
class Picture : public CWnd {
public:
    ~Picture() override
    {
        DestroyWindow();
        ::DeleteObject(m_bitmap);
    }
    BOOL Open(HBITMAP bitmap, const CRect& place)
    {
        m_bitmap = bitmap;
        KxRegisterWndClass(L"UtilGalleryPicture", ::LoadCursorW(nullptr, IDC_ARROW));
        return CreateEx(0, L"UtilGalleryPicture", L"web", WS_POPUP | WS_VISIBLE, place, nullptr, 0);
    }

protected:
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnPaint() override
    {
        CPaintDC paint(this);
        HDC source = ::CreateCompatibleDC(paint.m_hDC);
        HGDIOBJ old = ::SelectObject(source, m_bitmap);
        CRect client;
        GetClientRect(&client);
        ::BitBlt(paint.m_hDC, 0, 0, client.Width(), client.Height(), source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
    }

private:
    HBITMAP m_bitmap = nullptr;
};

// Copies a window as the screen shows it into dc at the given place.
void CopyWindow(HWND window, HDC dc, POINT at)
{
    CRect bounds;
    ::GetWindowRect(window, &bounds);
    HDC source = ::GetWindowDC(window);
    ::BitBlt(dc, at.x, at.y, bounds.Width(), bounds.Height(), source, 0, 0, SRCCOPY);
    ::ReleaseDC(window, source);
}

class WebShowcase : public GalleryShowcase {
public:
    WebShowcase() { ::OleInitialize(nullptr); }
    ~WebShowcase() override
    {
        m_picture.reset();
        m_frame.reset();
        m_fake.reset();
        ::OleUninitialize();
    }

    std::wstring Name() const override { return L"web_window"; }

    HWND Show(CPoint topLeft) override
    {
        m_fake = std::make_unique<webtest::FakeWeb>();
        m_fake->AddDocument({});
        m_fake->commandStatus[OLECMDID_COPY] = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
        m_frame = std::make_unique<NewsFrame>();
        const CRect place(topLeft, CSize(kWidth, kHeight));
        if (!m_frame->Create(L"资讯中心", WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN, place, nullptr, 0)) {
            return nullptr;
        }
        CWebCtrlWnd& web = m_frame->m_web;
        CRect client;
        m_frame->GetClientRect(&client);
        if (!web.Create(nullptr, L"news", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, client, m_frame.get(), 100)) {
            return nullptr;
        }
        ::SetWindowLongPtrW(m_fake->pageWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageProc));
        web.SetKxToolBarVisable(TRUE);
        web.Navigate(L"http://news.example/today");
        m_fake->Fire(DISPID_COMMANDSTATECHANGE, {webtest::Number(CSC_NAVIGATEFORWARD), webtest::Flag(false)});
        m_address = ::CreateWindowExW(0, L"STATIC", L" http://news.example/today", WS_CHILD | SS_CENTERIMAGE, 0, 0, 0,
                                      0, web, nullptr, nullptr, nullptr);
        ::SendMessageW(m_address, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
        web.InsertExToolBar(0, m_address, 260);

        m_menu.CreatePopupMenu();
        m_menu.AppendMenu(MF_STRING, ID_EDIT_COPY, L"复制");
        m_menu.AppendMenu(MF_STRING, ID_EDIT_SELECT_ALL, L"全选");
        m_menu.AppendMenu(MF_SEPARATOR);
        m_menu.AppendMenu(MF_STRING, ID_FILE_PRINT, L"打印...");
        web.SetMenu(m_menu);
        m_frame->UpdateWindow();
        testsupport::PumpFor(100);
        return CaptureWithMenu(web, topLeft) ? m_picture->GetSafeHwnd() : nullptr;
    }

private:
    // The page asks for its context menu as a browser does; while the menu is open, the frame and
    // the menu are copied into one picture.
    bool CaptureWithMenu(CWebCtrlWnd& web, CPoint topLeft)
    {
        s_current = this;
        ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            s_current->TakePicture();
            ::EndMenu();
        });
        IDocHostUIHandler* handler = nullptr;
        if (m_fake->site == nullptr ||
            FAILED(m_fake->site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)))) {
            return false;
        }
        CPoint at(300, 150);
        web.ClientToScreen(&at);
        handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr);
        handler->Release();
        testsupport::PumpUntil([this] { return m_bitmap != nullptr; }, 3000);
        m_frame->DestroyWindow();
        m_picture = std::make_unique<Picture>();
        return m_bitmap != nullptr && m_picture->Open(m_bitmap, CRect(topLeft, CSize(kWidth, kHeight)));
    }

    void TakePicture()
    {
        CRect frame;
        m_frame->GetWindowRect(&frame);
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, frame.Width(), frame.Height());
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        CopyWindow(m_frame->GetSafeHwnd(), dc, CPoint(0, 0));
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (menu != nullptr && ::IsWindowVisible(menu)) {
            CRect placed;
            ::GetWindowRect(menu, &placed);
            CopyWindow(menu, dc, CPoint(placed.left - frame.left, placed.top - frame.top));
        }
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        m_bitmap = bitmap;
    }

    static WebShowcase* s_current;
    std::unique_ptr<webtest::FakeWeb> m_fake;
    std::unique_ptr<NewsFrame> m_frame;
    std::unique_ptr<Picture> m_picture;
    CMenu m_menu;
    HWND m_address = nullptr;
    HBITMAP m_bitmap = nullptr;
};

WebShowcase* WebShowcase::s_current = nullptr;

GalleryShowcaseRegistration registration([] { return std::make_unique<WebShowcase>(); });

} // namespace
