#include "gallery.h"

#include <algorithm>
#include <cstdio>

#include "support/pump.h"
#include "support/snapshot.h"

namespace {

const wchar_t kPageClass[] = L"UtilGalleryPage";
constexpr DWORD kPageStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::vector<GalleryPageFactory>& Factories()
{
    static std::vector<GalleryPageFactory> factories;
    return factories;
}

// Pages on screen; the interactive gallery ends with the last one.
int g_openPages = 0;

} // namespace

namespace {
std::vector<GalleryShowcaseFactory>& ShowcaseFactories()
{
    static std::vector<GalleryShowcaseFactory> factories;
    return factories;
}
} // namespace

GalleryRegistration::GalleryRegistration(GalleryPageFactory factory)
{
    Factories().push_back(std::move(factory));
}

GalleryShowcaseRegistration::GalleryShowcaseRegistration(GalleryShowcaseFactory factory)
{
    ShowcaseFactories().push_back(std::move(factory));
}

GalleryDialogShowcase::~GalleryDialogShowcase()
{
    if (::IsWindow(m_window)) {
        ::DestroyWindow(m_window);
    }
}

HWND GalleryDialogShowcase::ShowDialog(CDialog* dialog, const CDialogTemplate& form, CPoint topLeft)
{
    if (!dialog->CreateIndirect(form.Get())) {
        delete dialog;
        return nullptr;
    }
    m_window = dialog->m_hWnd;
    dialog->SetWindowPos(nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    dialog->ShowWindow(SW_SHOW);
    return m_window;
}

GalleryPage::GalleryPage(std::wstring name, CSize clientSize) : m_name(std::move(name)), m_clientSize(clientSize)
{
    KxRegisterWndClass(kPageClass, ::LoadCursorW(nullptr, IDC_ARROW));
}

GalleryPage::~GalleryPage()
{
    DestroyWindow();
}

BOOL GalleryPage::CreatePage(CPoint topLeft)
{
    CRect frame(topLeft, m_clientSize);
    ::AdjustWindowRectEx(&frame, kPageStyle, FALSE, 0);
    frame.OffsetRect(topLeft.x - frame.left, topLeft.y - frame.top);
    const std::wstring title = L"util gallery: " + m_name;
    if (!CreateEx(0, kPageClass, title.c_str(), kPageStyle | WS_VISIBLE | WS_CLIPCHILDREN, frame, nullptr, 0)) {
        return FALSE;
    }
    ++g_openPages;
    return TRUE;
}

void GalleryPage::OnDestroy()
{
    if (--g_openPages == 0) {
        ::PostQuitMessage(0);
    }
    CWnd::OnDestroy();
}

BOOL GalleryPage::OnEraseBkgnd(CDC*)
{
    return TRUE; // Paint covers the whole client area
}

void GalleryPage::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CDC buffer;
    CBitmap bitmap;
    if (!buffer.CreateCompatibleDC(&paint) || !bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height())) {
        return;
    }
    CBitmap* old = buffer.SelectObject(&bitmap);
    buffer.FillSolidRect(&client, ::GetSysColor(COLOR_WINDOW));
    Paint(buffer, client);
    paint.BitBlt(0, 0, client.Width(), client.Height(), &buffer, 0, 0, SRCCOPY);
    buffer.SelectObject(old);
}

CRect GalleryPage::DrawHeading(CDC& dc, const CRect& area, const wchar_t* text)
{
    CFont font;
    font.CreatePointFont(100, L"Tahoma");
    LOGFONTW logFont{};
    font.GetLogFont(&logFont);
    logFont.lfWeight = FW_BOLD;
    CFont bold;
    bold.CreateFontIndirect(&logFont);
    CFont* old = dc.SelectObject(&bold);
    const int mode = dc.SetBkMode(TRANSPARENT);
    const COLORREF color = dc.SetTextColor(RGB(0x20, 0x40, 0x80));
    CRect line(area.left, area.top, area.right, area.top + 20);
    dc.DrawText(text, -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc.FillSolidRect(area.left, line.bottom - 1, area.Width(), 1, RGB(0xB0, 0xC0, 0xD8));
    dc.SetTextColor(color);
    dc.SetBkMode(mode);
    dc.SelectObject(old);
    return CRect(area.left, line.bottom + 6, area.right, area.bottom);
}

namespace {

// A window to save, by the name of its picture.
struct Shot {
    std::wstring name;
    HWND window;
};

std::vector<std::unique_ptr<GalleryPage>> CreatePages(CPoint& topLeft, std::vector<Shot>& shots)
{
    std::vector<std::unique_ptr<GalleryPage>> pages;
    for (const GalleryPageFactory& factory : Factories()) {
        pages.push_back(factory());
    }
    std::sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a->Name() < b->Name(); });
    for (const auto& page : pages) {
        if (page->CreatePage(topLeft)) {
            shots.push_back({page->Name(), page->m_hWnd});
        } else {
            std::fwprintf(stderr, L"cannot create the gallery page %ls\n", page->Name().c_str());
        }
        topLeft.Offset(24, 24);
    }
    return pages;
}

std::vector<std::unique_ptr<GalleryShowcase>> CreateShowcases(CPoint& topLeft, std::vector<Shot>& shots)
{
    std::vector<std::unique_ptr<GalleryShowcase>> showcases;
    for (const GalleryShowcaseFactory& factory : ShowcaseFactories()) {
        showcases.push_back(factory());
        HWND window = showcases.back()->Show(topLeft);
        if (window) {
            shots.push_back({showcases.back()->Name(), window});
        } else {
            std::fwprintf(stderr, L"cannot show the gallery window %ls\n", showcases.back()->Name().c_str());
        }
        topLeft.Offset(24, 24);
    }
    return showcases;
}

int SaveShots(const std::vector<Shot>& shots, const std::wstring& folder)
{
    ::CreateDirectoryW(folder.c_str(), nullptr);
    int failures = 0;
    for (const Shot& shot : shots) {
        const std::wstring path = folder + L"\\" + shot.name + L".png";
        // Each window is brought to the front, so that no other page covers what is captured.
        ::SetWindowPos(shot.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::RedrawWindow(shot.window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        testsupport::PumpFor(50);
        if (::IsWindow(shot.window) && testsupport::SaveWindowToPng(shot.window, path)) {
            std::wprintf(L"%ls\n", path.c_str());
        } else {
            std::fwprintf(stderr, L"cannot save %ls\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int RunGallery(const wchar_t* shotsFolder)
{
    std::vector<Shot> shots;
    CPoint topLeft(0, 0);
    std::vector<std::unique_ptr<GalleryPage>> pages = CreatePages(topLeft, shots);
    std::vector<std::unique_ptr<GalleryShowcase>> showcases = CreateShowcases(topLeft, shots);
    if (shotsFolder) {
        testsupport::PumpFor(100);
        return SaveShots(shots, shotsFolder);
    }
    return g_openPages > 0 ? AfxRunMessageLoop() : 1;
}
