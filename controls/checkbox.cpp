#include <util/checkbox.h>
#include <util/kxmsg.h>

#include <algorithm>

#include "controls/offscreen.h"
#include "resources/resource.h"

namespace {

const wchar_t kCheckBoxClass[] = L"KxCheckBox";
// Visible, clip children, left-aligned text, owner-drawn.
const DWORD kSubclassedStyle = 0x1200010B;
// The text starts this far from the client's left edge, right of the box.
const int kTextIndent = 20;

// A one-pixel frame of alternate dots.
void DrawDottedFrame(CDC& dc, const CRect& frame, COLORREF color)
{
    int step = 0;
    const auto dot = [&](int x, int y) {
        if ((step++ & 1) == 0) {
            dc.SetPixel(x, y, color);
        }
    };
    for (int x = frame.left; x < frame.right - 1; ++x) {
        dot(x, frame.top);
    }
    for (int y = frame.top; y < frame.bottom - 1; ++y) {
        dot(frame.right - 1, y);
    }
    for (int x = frame.right - 1; x > frame.left; --x) {
        dot(x, frame.bottom - 1);
    }
    for (int y = frame.bottom - 1; y > frame.top; --y) {
        dot(frame.left, y);
    }
}

} // namespace

CKxCheckBox::CKxCheckBox() : m_crText(::GetSysColor(COLOR_BTNTEXT)), m_crBk(::GetSysColor(COLOR_BTNFACE))
{
    CreateDefaultFont();
}

void CKxCheckBox::CreateDefaultFont()
{
    m_font.CreateFont(12, 0, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
}

void CKxCheckBox::SetSentFont(HFONT font, bool redraw)
{
    if (font != m_font.GetSafeHandle()) {
        // A copy: the sender may delete its font while the check box lives. No font means the
        // check box's own default, as the platform's controls fall back to theirs.
        LOGFONTW description{};
        const bool described = font && ::GetObjectW(font, sizeof(description), &description) == sizeof(description);
        m_font.DeleteObject();
        if (!described || !m_font.CreateFontIndirect(&description)) {
            CreateDefaultFont();
        }
    }
    if (redraw) {
        Invalidate(TRUE);
    }
}

CKxCheckBox::~CKxCheckBox() = default;

BOOL CKxCheckBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    KxRegisterWndClass(kCheckBoxClass, ::LoadCursorW(nullptr, IDC_ARROW));
    return CWnd::Create(kCheckBoxClass, nullptr, style, rect, parent, id);
}

void CKxCheckBox::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), 0);
    ModifyStyle(0, kSubclassedStyle);
}

int CKxCheckBox::GetCheck() const
{
    return IsWindow() ? static_cast<int>(SendMessage(BM_GETCHECK)) : 0;
}

void CKxCheckBox::SetCheck(int check)
{
    if (IsWindow()) {
        SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
    }
}

void CKxCheckBox::SetColor(COLORREF color)
{
    m_crText = color;
    if (IsWindow() && IsWindowVisible()) {
        Invalidate(TRUE);
    }
}

void CKxCheckBox::SetCheckBoxBK(COLORREF color)
{
    m_crBk = color;
}

LRESULT CKxCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BM_SETCHECK:
        m_nCheck = static_cast<int>(wParam);
        RepaintNow();
        return 0;
    case BM_GETCHECK:
        return m_nCheck;
    case WM_SETFONT:
        SetSentFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font.GetSafeHandle());
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CKxCheckBox::RepaintNow()
{
    Invalidate(FALSE);
    UpdateWindow();
}

const CKxImage& CKxCheckBox::BoxImage()
{
    const int index = (IsWindowEnabled() ? 0 : 2) + (m_nCheck == 1 ? 0 : 1);
    CKxImage& image = m_images[index];
    if (!image.IsValid()) {
        image.LoadFromResource(IDR_KX_CHECK_ON + index);
    }
    return image;
}

void CKxCheckBox::OnPaint()
{
    CPaintDC paint(this);
    kxcontrols::PaintOffscreen(*this, m_dcMem, paint, [this](CDC& dc, const CRect& client) { Draw(dc, client); });
}

void CKxCheckBox::Draw(CDC& dc, const CRect& client)
{
    kxcontrols::PaintBackground(*this, dc, client, m_crBk);
    GetWindowText(m_strText);
    CFont* oldFont = dc.SelectObject(&m_font);
    const CSize text = dc.GetTextExtent(m_strText);
    const CKxImage& box = BoxImage();
    const int tallest = std::max<int>(text.cy, box.GetHeight());
    m_rcBox.SetRect(client.left, client.top + (tallest - box.GetHeight()) / 2, client.left + box.GetWidth(),
                    client.top + (tallest - box.GetHeight()) / 2 + box.GetHeight());
    box.Draw(dc, m_rcBox.left, m_rcBox.top);

    CRect textRect(client.left + kTextIndent, client.top + (tallest - text.cy) / 2,
                   client.left + kTextIndent + text.cx + 1, client.top + (tallest - text.cy) / 2 + text.cy);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(IsWindowEnabled() ? m_crText : ::GetSysColor(COLOR_GRAYTEXT));
    dc.DrawText(m_strText, &textRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    if (::GetFocus() == m_hWnd) {
        textRect.InflateRect(1, 1);
        DrawDottedFrame(dc, textRect, RGB(0, 0, 0));
    }
    dc.SelectObject(oldFont);
}

void CKxCheckBox::OnLButtonDown(UINT, CPoint)
{
    SetCapture();
    m_bPressed = TRUE;
}

void CKxCheckBox::OnLButtonDblClk(UINT flags, CPoint point)
{
    OnLButtonDown(flags, point);
    Default();
}

void CKxCheckBox::OnLButtonUp(UINT, CPoint point)
{
    if (GetCapture() == this) {
        ::ReleaseCapture();
    }
    if (!m_bPressed) {
        return;
    }
    m_bPressed = FALSE;
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point)) {
        return;
    }
    m_nCheck = m_nCheck == 1 ? 0 : 1;
    ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), reinterpret_cast<LPARAM>(m_hWnd));
    RepaintNow();
}

void CKxCheckBox::OnEnable(BOOL)
{
    RepaintNow();
}

void CKxCheckBox::OnSetFocus(CWnd*)
{
    RepaintNow();
}

void CKxCheckBox::OnKillFocus(CWnd*)
{
    RepaintNow();
}
