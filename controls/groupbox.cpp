#include <util/kxstatic.h>

#include "controls/offscreen.h"

namespace {

const wchar_t kGroupBoxClass[] = L"KXGroupBox";
// The title starts this far right of the frame's left edge.
const int kTitleIndent = 8;

} // namespace

CKXGroupBox::CKXGroupBox() : m_crBk(::GetSysColor(COLOR_BTNFACE)), m_font(kxcontrols::MakeTahomaFont()) {}

CKXGroupBox::~CKXGroupBox() = default;

BOOL CKXGroupBox::Create(const wchar_t* title, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    KxRegisterWndClass(kGroupBoxClass, ::LoadCursorW(nullptr, IDC_ARROW));
    return CWnd::Create(kGroupBoxClass, title, style | WS_CLIPSIBLINGS, rect, parent, id);
}

void CKXGroupBox::SetTextColor(COLORREF color)
{
    m_crText = color;
    RepaintIfVisible();
}

void CKXGroupBox::SetBgColor(COLORREF color)
{
    m_crBk = color;
    RepaintIfVisible();
}

void CKXGroupBox::SetBorderColor(COLORREF color)
{
    m_crBorder = color;
    RepaintIfVisible();
}

void CKXGroupBox::SetTextFont(CFont* font)
{
    kxcontrols::AdoptFont(m_font, font);
    RepaintIfVisible();
}

void CKXGroupBox::RepaintIfVisible()
{
    if (IsWindow() && IsWindowVisible()) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void CKXGroupBox::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0) {
        RepaintIfVisible();
    }
}

BOOL CKXGroupBox::OnEraseBkgnd(CDC*)
{
    // The paint covers the whole client area.
    return TRUE;
}

void CKXGroupBox::OnPaint()
{
    CPaintDC paint(this);
    kxcontrols::PaintOffscreen(*this, m_dcMem, paint, [this](CDC& dc, const CRect& client) { Draw(dc, client); });
}

void CKXGroupBox::Draw(CDC& dc, const CRect& client)
{
    kxcontrols::PaintBackground(*this, dc, client, m_crBk);
    dc.SetBkMode(TRANSPARENT);
    const CString title = kxcontrols::WindowText(*this);
    CFont* oldFont = dc.SelectObject(m_font.get());
    TEXTMETRICW metrics{};
    dc.GetTextMetrics(&metrics);
    const CSize titleSize = title.IsEmpty() ? CSize(0, metrics.tmHeight) : dc.GetTextExtent(title);
    const int y0 = client.top + titleSize.cy / 2;
    const int gapLeft = client.left + kTitleIndent;

    CPen pen(PS_SOLID, 1, m_crBorder);
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(client.left, y0);
    dc.LineTo(gapLeft, y0);
    dc.MoveTo(gapLeft + titleSize.cx, y0);
    dc.LineTo(client.right, y0);
    dc.MoveTo(client.left, y0);
    dc.LineTo(client.left, client.bottom);
    dc.MoveTo(client.right - 1, y0);
    dc.LineTo(client.right - 1, client.bottom);
    dc.MoveTo(client.left, client.bottom - 1);
    dc.LineTo(client.right, client.bottom - 1);
    dc.SelectObject(oldPen);

    CRect titleRect(gapLeft, client.top, client.right, client.bottom);
    dc.SetTextColor(m_crText);
    dc.DrawText(title, &titleRect, DT_LEFT | DT_SINGLELINE);
    dc.SelectObject(oldFont);
}
