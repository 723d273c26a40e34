// Off-screen device contexts and the children-free clipping region.
#include <util/drawdc.h>
#include <util/wnd.h>

#include <cstdlib>

namespace {

// Drawing passes larger than this (or inverted) go off the surface rather than into a huge bitmap.
const int kLargestDrawing = 3000;
const RECT kOffSurface = {-10, -10, -5, -5};

// A width or a height of 0 becomes the span 0 to 1.
void WidenEmptySpans(CRect& rect)
{
    if (rect.Width() == 0) {
        rect.left = 0, rect.right = 1;
    }
    if (rect.Height() == 0) {
        rect.top = 0, rect.bottom = 1;
    }
}

} // namespace

CKxDrawDC::CKxDrawDC() : m_rcBmp(0, 0, 0, 0), m_rcDraw(0, 0, 0, 0), m_hOldBmp(nullptr) {}

CKxDrawDC::~CKxDrawDC()
{
    ReleaseBitmap();
}

bool CKxDrawDC::BitmapTooSmall() const
{
    return m_rcBmp.Width() < m_rcDraw.Width() || m_rcBmp.Height() < m_rcDraw.Height();
}

void CKxDrawDC::ReleaseBitmap()
{
    if (m_hOldBmp) {
        SelectObject(m_hOldBmp);
        m_hOldBmp = nullptr;
    }
    m_bitmap.DeleteObject();
    m_rcBmp.SetRectEmpty();
}

void CKxDrawDC::SetDrawRect(const RECT& rect, CDC* dc)
{
    if (dc == nullptr || dc->GetSafeHdc() == nullptr) {
        return;
    }
    const CRect wanted(rect);
    const bool unreasonable = wanted.Width() > kLargestDrawing || wanted.Height() > kLargestDrawing ||
                              wanted.right < wanted.left || wanted.bottom < wanted.top;
    m_rcDraw = unreasonable ? CRect(kOffSurface) : wanted;
    WidenEmptySpans(m_rcDraw);
    if (BitmapTooSmall()) {
        DeleteDC();
        CreateCompatibleDC(dc);
        // The size is remembered only for a bitmap that was made, so a failure is retried next time.
        if (m_hDC && m_bitmap.CreateCompatibleBitmap(dc, m_rcDraw.Width(), m_rcDraw.Height())) {
            m_hOldBmp = CDC::SelectObject(m_bitmap.GetSafeHandle());
            m_rcBmp = m_rcDraw;
        }
    }
    SetWindowOrg(m_rcDraw.left, m_rcDraw.top);
}

void CKxDrawDC::SetDrawRect(const RECT& rect, HDC dc)
{
    if (dc == nullptr) {
        return;
    }
    m_rcDraw = rect;
    WidenEmptySpans(m_rcDraw);
    if (BitmapTooSmall()) {
        SetDrawRect(rect, CDC::FromHandle(dc));
        return;
    }
    SetWindowOrg(m_rcDraw.left, m_rcDraw.top);
}

BOOL CKxDrawDC::DeleteDC()
{
    ReleaseBitmap();
    return CDC::DeleteDC();
}

CKXMemDC::CKXMemDC(BOOL autoDelete, BOOL blitOnDestroy)
    : m_hDC(nullptr), m_hMemDC(nullptr), m_hBitmap(nullptr), m_hOldBitmap(nullptr), m_rect(0, 0, 0, 0), m_bValid(TRUE),
      m_bAutoDelete(autoDelete), m_bBlitOnDestroy(blitOnDestroy)
{
}

CKXMemDC::CKXMemDC(HDC dc, BOOL autoDelete, BOOL blitOnDestroy) : CKXMemDC(autoDelete, blitOnDestroy)
{
    Construct(dc, RECT{0, 0, 0, 0}, FALSE);
}

CKXMemDC::CKXMemDC(HDC dc, const RECT& rect, BOOL copy, BOOL autoDelete, BOOL blitOnDestroy)
    : CKXMemDC(autoDelete, blitOnDestroy)
{
    Construct(dc, rect, copy);
}

CKXMemDC::~CKXMemDC()
{
    if (m_bValid && m_hMemDC && m_bBlitOnDestroy) {
        ::BitBlt(m_hDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hMemDC, m_rect.left, m_rect.top,
                 SRCCOPY);
        ::SelectObject(m_hMemDC, m_hOldBitmap);
    }
    Release();
}

void CKXMemDC::Release()
{
    if (m_bAutoDelete) {
        if (m_hMemDC) {
            ::DeleteDC(m_hMemDC);
        }
        if (m_hBitmap) {
            ::DeleteObject(m_hBitmap);
        }
    }
    m_hMemDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
}

void CKXMemDC::Construct(HDC dc, RECT rect, BOOL copy)
{
    Release(); // a second Construct must not leak the first buffer
    m_hDC = dc;
    if (dc == nullptr) {
        return;
    }
    m_bValid = GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER;
    if (!m_bValid) {
        return; // drawing goes to the printer directly
    }
    m_hMemDC = CreateCompatibleDC(dc);
    m_rect = rect;
    if (m_rect.IsRectNull()) {
        GetClipBox(dc, &m_rect);
    }
    LPtoDP(dc, reinterpret_cast<POINT*>(&m_rect), 2);
    m_hBitmap = CreateCompatibleBitmap(dc, std::abs(m_rect.Width()), std::abs(m_rect.Height()));
    m_hOldBitmap = ::SelectObject(m_hMemDC, m_hBitmap);

    // Both contexts share one logical coordinate system.
    SetMapMode(m_hMemDC, GetMapMode(dc));
    SIZE extent{};
    GetWindowExtEx(dc, &extent);
    SetWindowExtEx(m_hMemDC, extent.cx, extent.cy, nullptr);
    GetViewportExtEx(dc, &extent);
    SetViewportExtEx(m_hMemDC, extent.cx, extent.cy, nullptr);
    DPtoLP(dc, reinterpret_cast<POINT*>(&m_rect), 2);
    SetWindowOrgEx(m_hMemDC, m_rect.left, m_rect.top, nullptr);

    if (copy) {
        ::BitBlt(m_hMemDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), dc, m_rect.left, m_rect.top,
                 SRCCOPY);
    }
}

void CKXMemDC::BitBlt(HDC dc, const RECT& rect, DWORD rop)
{
    if (m_bValid && m_hMemDC) {
        ::BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_hMemDC, m_rect.left,
                 m_rect.top, rop);
    }
}

namespace {

struct ChildRegion {
    HWND parent;
    HRGN region;
};

} // namespace

CKXClientDCClip::CKXClientDCClip(HDC dc, HWND wnd)
{
    if (dc == nullptr || CWnd::FromHandle(wnd) == nullptr) {
        return;
    }
    ChildRegion children = {wnd, CreateRectRgn(0, 0, 0, 0)};
    EnumChildWindows(wnd, OnChildWindow, reinterpret_cast<LPARAM>(&children));
    RECT box{};
    GetClipBox(dc, &box);
    const HRGN clip = CreateRectRgnIndirect(&box);
    CombineRgn(children.region, children.region, clip, RGN_AND);
    CombineRgn(clip, clip, children.region, RGN_XOR);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    DeleteObject(children.region);
}

CKXClientDCClip::~CKXClientDCClip() = default;

BOOL CALLBACK CKXClientDCClip::OnChildWindow(HWND child, LPARAM param)
{
    const ChildRegion& children = *reinterpret_cast<const ChildRegion*>(param);
    if (!IsWindowVisible(child) || GetParent(child) != children.parent) {
        return TRUE; // hidden windows and grandchildren do not cover the parent
    }
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, children.parent, reinterpret_cast<POINT*>(&rect), 2);
    const HRGN area = CreateRectRgnIndirect(&rect);
    CombineRgn(children.region, children.region, area, RGN_OR);
    DeleteObject(area);
    return TRUE;
}
