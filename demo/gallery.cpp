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

GalleryRegistration::GalleryRegistration(GalleryPageFactory factory)
{
    Factories().push_back(std::move(factory));
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

std::vector<std::unique_ptr<GalleryPage>> CreatePages()
{
    std::vector<std::unique_ptr<GalleryPage>> pages;
    for (const GalleryPageFactory& factory : Factories()) {
        pages.push_back(factory());
    }
    std::sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a->Name() < b->Name(); });
    CPoint topLeft(0, 0);
    for (const auto& page : pages) {
        if (!page->CreatePage(topLeft)) {
            std::fwprintf(stderr, L"cannot create the gallery page %ls\n", page->Name().c_str());
        }
        topLeft.Offset(24, 24);
    }
    return pages;
}

int SaveShots(const std::vector<std::unique_ptr<GalleryPage>>& pages, const std::wstring& folder)
{
    ::CreateDirectoryW(folder.c_str(), nullptr);
    int failures = 0;
    for (const auto& page : pages) {
        const std::wstring path = folder + L"\\" + page->Name() + L".png";
        // Each window is brought to the front, so that no other page covers what is captured.
        page->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        testsupport::PumpFor(50);
        if (page->IsWindow() && testsupport::SaveWindowToPng(page->m_hWnd, path)) {
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
    std::vector<std::unique_ptr<GalleryPage>> pages = CreatePages();
    if (shotsFolder) {
        testsupport::PumpFor(100);
        return SaveShots(pages, shotsFolder);
    }
    return g_openPages > 0 ? AfxRunMessageLoop() : 1;
}
