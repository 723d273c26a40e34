#include <util/drawfun.h>
#include <util/format.h>
#include <util/kxstatic.h>

#include "controls/offscreen.h"

namespace {

const wchar_t kTimerClass[] = L"KXTimerEx";
const wchar_t kSizingText[] = L"hh:mm:ss";
const UINT kTickMilliseconds = 1000;
// Tenths of a point; negative asks for the character height.
const int kDefaultPointSize = -90;
const int kDisplayMargin = 4;

} // namespace

CKXTimer::CKXTimer()
{
    KxRegisterWndClass(kTimerClass, ::LoadCursorW(nullptr, IDC_ARROW));
}

CKXTimer::~CKXTimer() = default;

BOOL CKXTimer::Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kTimerClass, text, style, rect, parent, id);
}

void CKXTimer::Show()
{
    if (IsWindow()) {
        SetTimer(KXTIMER_ID, kTickMilliseconds);
    }
}

void CKXTimer::SetFont(CFont* font, BOOL redraw)
{
    m_hFont = font ? static_cast<HFONT>(font->GetSafeHandle()) : nullptr;
    if (IsWindow()) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), redraw);
    }
}

CSize CKXTimer::GetDispSize()
{
    if (!IsWindow()) {
        return CSize(0, 0);
    }
    CClientDC dc(this);
    SIZE size{};
    KXDRAWFUN::GetTextExtentW(dc, kSizingText, -1, m_hFont, &size, 0);
    return CSize(size.cx + kDisplayMargin, size.cy + kDisplayMargin);
}

void CKXTimer::OnTimer(UINT_PTR)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::wstring display = KxFormat(L"%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
    ::lstrcpynW(m_szDisplay, display.c_str(), _countof(m_szDisplay));
    Invalidate(TRUE);
    Default();
}

void CKXTimer::OnPaint()
{
    CPaintDC paint(this);
    if (m_hFont == nullptr) {
        m_fontDefault.DeleteObject();
        m_fontDefault.CreatePointFont(kDefaultPointSize, L"MS Sans Serif");
        SetFont(&m_fontDefault, FALSE);
    }
    kxcontrols::PaintOffscreen(*this, m_dcMem, paint, [this](CDC& dc, const CRect& client) {
        dc.SetBkMode(TRANSPARENT);
        kxcontrols::PaintBackground(*this, dc, client, m_crBk);
        HGDIOBJ oldFont = dc.SelectObject(m_hFont);
        dc.SetTextColor(m_crText);
        CRect area = client;
        dc.DrawText(m_szDisplay, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(oldFont);
    });
}
