#include <util/iconbutton.h>
#include <util/kxmsg.h>
#include <util/module.h>

namespace {

const COLORREF kGradientTop = RGB(0xFD, 0xFD, 0xFD);
const COLORREF kGradientBottom = RGB(0xF2, 0xF2, 0xF2);
const COLORREF kDefaultInactiveFg = RGB(0x80, 0x80, 0x80);
const int kIconGap = 3;
const int kFocusInset = 3;
const int kMaxTipWidth = 400;
const UINT_PTR kToolId = 1;

HICON LoadIconResource(UINT id, int width, int height)
{
    return id ? static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, width,
                                                height, 0))
              : nullptr;
}

HFONT DefaultButtonFont()
{
    LOGFONTW font{};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    return Y_CreateFont(&font);
}

} // namespace

// ---- CButtonBase ----

CButtonBase::CButtonBase() = default;

CButtonBase::~CButtonBase() = default;

void CButtonBase::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    SetButtonStyle((GetStyle() & 0xFFF0) | BS_OWNERDRAW, TRUE);
}

// ---- CButtonSTEX ----

CButtonSTEX::CButtonSTEX()
    : m_crInactiveBg(::GetSysColor(COLOR_BTNFACE)), m_crInactiveFg(kDefaultInactiveFg),
      m_crActiveBg(::GetSysColor(COLOR_BTNFACE)), m_crActiveFg(::GetSysColor(COLOR_BTNTEXT)),
      m_hFont(DefaultButtonFont())
{
}

CButtonSTEX::~CButtonSTEX()
{
    // The tooltip refers to this window; it goes first.
    m_ToolTip.DestroyWindow();
    DestroyWindow();
    ReleaseLoadedIcons();
    if (m_hCursor) {
        ::DestroyCursor(m_hCursor);
    }
    Y_DeleteFont(m_hFont);
}

void CButtonSTEX::ReleaseLoadedIcons()
{
    for (HICON& icon : m_hLoadedIcons) {
        if (icon) {
            ::DestroyIcon(icon);
            icon = nullptr;
        }
    }
}

void CButtonSTEX::Repaint(BOOL erase)
{
    if (IsWindow()) {
        Invalidate(erase);
    }
}

void CButtonSTEX::SetIcon(UINT normalIconId, UINT hoverIconId, int width, int height)
{
    HICON loaded[2] = {LoadIconResource(normalIconId, width, height), LoadIconResource(hoverIconId, width, height)};
    ReleaseLoadedIcons();
    m_hLoadedIcons[0] = loaded[0];
    m_hLoadedIcons[1] = loaded[1];
    SetIcon(loaded[0], loaded[1], width, height);
}

void CButtonSTEX::SetIcon(HICON normalIcon, HICON hoverIcon, int width, int height)
{
    m_hIconNormal = normalIcon;
    m_hIconHover = hoverIcon ? hoverIcon : normalIcon;
    m_cxIcon = static_cast<BYTE>(width);
    m_cyIcon = static_cast<BYTE>(height);
    if (IsWindow()) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CButtonSTEX::SetIconEx(HICON icon, int width, int height)
{
    m_hIconFace = icon;
    m_sizeIconEx = CSize(width, height);
    if (IsWindow()) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CButtonSTEX::SetDisableIcon(HICON icon, int width, int height)
{
    m_hIconDisabled = icon;
    m_sizeIconEx = CSize(width, height);
    if (IsWindow()) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

BOOL CButtonSTEX::SetBtnCursor(int cursorId)
{
    if (m_hCursor) {
        ::DestroyCursor(m_hCursor);
        m_hCursor = nullptr;
    }
    if (cursorId == -1) {
        return TRUE;
    }
    m_hCursor = static_cast<HCURSOR>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0,
                                                  0, LR_DEFAULTSIZE));
    return m_hCursor != nullptr;
}

void CButtonSTEX::SetFlat(BOOL flat)
{
    m_bIsFlat = flat;
    Repaint();
}

void CButtonSTEX::SetAlign(int align)
{
    if (align == ST_ALIGN_HORIZ || align == ST_ALIGN_VERT) {
        m_nAlign = align;
    }
    Repaint();
}

void CButtonSTEX::SetShowText(BOOL show)
{
    m_bShowText = show;
    Repaint();
}

void CButtonSTEX::SetFlatFocus(BOOL drawFlatFocus, BOOL repaint)
{
    m_bDrawFlatFocus = drawFlatFocus;
    if (repaint) {
        Repaint();
    }
}

void CButtonSTEX::DrawBorder(BOOL enable)
{
    m_bDrawBorder = enable;
}

void CButtonSTEX::SetBtnStyle(int style)
{
    m_nStyle = style;
}

void CButtonSTEX::SetSelected(BOOL selected)
{
    if (m_bSelected != selected) {
        m_bSelected = selected;
        Repaint();
    }
}

void CButtonSTEX::SetColour(COLORREF& field, COLORREF color, BOOL repaint)
{
    field = color;
    if (repaint) {
        Repaint();
    }
}

void CButtonSTEX::SetInactiveBgColor(COLORREF color, BOOL repaint)
{
    SetColour(m_crInactiveBg, color, repaint);
}

void CButtonSTEX::SetInactiveFgColor(COLORREF color, BOOL repaint)
{
    SetColour(m_crInactiveFg, color, repaint);
}

void CButtonSTEX::SetActiveBgColor(COLORREF color, BOOL repaint)
{
    SetColour(m_crActiveBg, color, repaint);
}

void CButtonSTEX::SetActiveFgColor(COLORREF color, BOOL repaint)
{
    SetColour(m_crActiveFg, color, repaint);
}

void CButtonSTEX::SetDefaultInactiveBgColor(BOOL repaint)
{
    SetInactiveBgColor(::GetSysColor(COLOR_BTNFACE), repaint);
}

void CButtonSTEX::SetDefaultInactiveFgColor(BOOL repaint)
{
    SetInactiveFgColor(kDefaultInactiveFg, repaint);
}

void CButtonSTEX::SetDefaultActiveBgColor(BOOL repaint)
{
    SetActiveBgColor(::GetSysColor(COLOR_BTNFACE), repaint);
}

void CButtonSTEX::SetDefaultActiveFgColor(BOOL repaint)
{
    SetActiveFgColor(::GetSysColor(COLOR_BTNTEXT), repaint);
}

void CButtonSTEX::InitToolTip()
{
    if (m_ToolTip.m_hWnd == nullptr && IsWindow() && m_ToolTip.Create(this)) {
        m_ToolTip.Activate(TRUE);
        m_ToolTip.SetMaxTipWidth(kMaxTipWidth);
    }
}

void CButtonSTEX::SetTooltipText(const wchar_t* text, BOOL activate)
{
    if (text == nullptr) {
        return;
    }
    InitToolTip();
    if (m_ToolTip.m_hWnd == nullptr) {
        return;
    }
    if (m_ToolTip.GetToolCount() == 0) {
        CRect client;
        GetClientRect(&client);
        m_ToolTip.AddTool(this, text, &client, kToolId);
    }
    m_ToolTip.UpdateTipText(text, this, kToolId);
    m_ToolTip.Activate(activate);
}

void CButtonSTEX::SetTextFont(const tagYFontDes* description)
{
    if (description == nullptr) {
        return;
    }
    HFONT font = Y_CreateFont(description);
    if (font) {
        Y_DeleteFont(m_hFont);
        m_hFont = font;
        m_sentFont.DeleteObject();
        Repaint();
    }
}

void CButtonSTEX::SetSentFont(HFONT font, bool redraw)
{
    // A copy of its own: the sender may delete its font while the button lives, and fonts of the
    // shared cache live as long as the library. No font means the button's own again.
    LOGFONTW description{};
    m_sentFont.DeleteObject();
    if (font && ::GetObjectW(font, sizeof(description), &description) == sizeof(description)) {
        m_sentFont.CreateFontIndirect(&description);
    }
    if (redraw) {
        Repaint();
    }
}

HFONT CButtonSTEX::TextFont() const
{
    return m_sentFont.GetSafeHandle() ? static_cast<HFONT>(m_sentFont.GetSafeHandle()) : m_hFont;
}

BOOL CButtonSTEX::PreTranslateMessage(MSG* msg)
{
    InitToolTip();
    if (m_ToolTip.m_hWnd) {
        m_ToolTip.RelayEvent(msg);
    }
    return CButtonBase::PreTranslateMessage(msg);
}

LRESULT CButtonSTEX::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KX_PRETRANSLATE:
        return PreTranslateMessage(reinterpret_cast<MSG*>(wParam));
    case WM_SETFONT:
        SetSentFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(TextFont());
    default:
        return CButtonBase::WindowProc(message, wParam, lParam);
    }
}

// ---- hover and click ----

void CButtonSTEX::CancelHover()
{
    if (m_nHover) {
        m_nHover = 0;
        Repaint();
    }
}

void CButtonSTEX::OnCaptureChanged(CWnd* wnd)
{
    CancelHover();
    CButtonBase::OnCaptureChanged(wnd);
}

void CButtonSTEX::OnKillFocus(CWnd* newWnd)
{
    CButtonBase::OnKillFocus(newWnd);
    CancelHover();
}

BOOL CButtonSTEX::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CButtonBase::OnSetCursor(wnd, hitTest, message);
}

void CButtonSTEX::OnMouseMove(UINT flags, CPoint point)
{
    CButtonBase::OnMouseMove(flags, point);
    // Entering with the button held down is not hovering.
    if (((flags & MK_LBUTTON) && !m_nHover) || !m_bIsFlat) {
        return;
    }
    CRect client;
    GetClientRect(&client);
    const bool inside = client.PtInRect(point) != FALSE;
    if (GetCapture() != this) {
        if (inside && ::GetParent(m_hWnd)) {
            m_nHover = 1;
            SetCapture();
            Repaint();
        }
    } else if (!inside) {
        m_nHover = 0;
        Repaint();
        if (!(flags & MK_LBUTTON)) {
            ::ReleaseCapture();
        }
    }
}

void CButtonSTEX::OnLButtonUp(UINT flags, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    const bool inside = client.PtInRect(point) != FALSE;
    const bool toggle = m_pfnLButtonUp ? inside : inside && GetCapture() == this;
    if (toggle) {
        (IsImageStyle() ? m_bToggledFocus : m_bSelected) ^= TRUE;
        Repaint();
    }
    if (m_pfnLButtonUp) {
        // Only a framework parent has the member function; a temporary wrapper would not.
        CWnd* parent = CWnd::FromHandlePermanent(::GetParent(m_hWnd));
        if (parent) {
            (parent->*m_pfnLButtonUp)(static_cast<UINT>(GetDlgCtrlID()));
        }
    }
    CButtonBase::OnLButtonUp(flags, point);
}

// ---- painting ----

void CButtonSTEX::DrawItem(DRAWITEMSTRUCT* item)
{
    CDC* dc = CDC::FromHandle(item->hDC);
    m_bDisabled = (item->itemState & ODS_DISABLED) != 0;
    const bool pressed = m_bSelected || (item->itemState & ODS_SELECTED);
    const bool focused = m_bToggledFocus || (item->itemState & ODS_FOCUS);
    const bool hasFace = IsImageStyle() && m_hIconFace;
    CRect face = item->rcItem;

    if (!IsImageStyle() && !m_bIsFlat && focused) {
        CBrush black(RGB(0, 0, 0));
        dc->FrameRect(&face, &black);
        face.DeflateRect(1, 1);
    }
    const COLORREF background = (m_nHover || pressed) ? m_crActiveBg : m_crInactiveBg;
    const bool parentPainted = KxPaintParentBackground(m_hWnd, *dc);
    if (IsImageStyle()) {
        HICON icon = (m_bDisabled && m_hIconDisabled) ? m_hIconDisabled : m_hIconFace;
        if (icon) {
            ::DrawIconEx(*dc, 0, 0, icon, m_sizeIconEx.cx, m_sizeIconEx.cy, 0, nullptr, DI_NORMAL);
        } else {
            KXDRAWFUN::DrawGradientRect(*dc, &face, kGradientTop, kGradientBottom, TRUE);
        }
    } else if (!parentPainted) {
        dc->FillSolidRect(&face, background);
    }
    dc->SetBkMode(parentPainted || IsImageStyle() ? TRANSPARENT : OPAQUE);
    if (!hasFace) {
        DrawBorders(*dc, face, pressed);
    }

    CString text;
    if (m_bShowText) {
        GetWindowText(text);
    }
    HGDIOBJ oldFont = dc->SelectObject(TextFont());
    if (hasFace) {
        dc->SetTextColor(m_bDisabled ? m_crInactiveFg : m_crActiveFg);
        CRect caption = face;
        caption.OffsetRect(0, -1);
        dc->DrawText(text, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        CRect caption = face;
        if (m_hIconNormal) {
            DrawClassicIcon(*dc, !text.IsEmpty(), face, caption, pressed, m_bDisabled);
        }
        dc->SetTextColor((m_nHover || pressed) ? m_crActiveFg : m_crInactiveFg);
        dc->SetBkColor(background);
        DrawClassicText(*dc, text, caption, pressed, m_bDisabled);
        if (focused && (!m_bIsFlat || m_bDrawFlatFocus)) {
            CRect focus = face;
            focus.DeflateRect(kFocusInset, kFocusInset);
            dc->DrawFocusRect(&focus);
        }
    }
    dc->SelectObject(oldFont);
}

void CButtonSTEX::DrawBorders(CDC& dc, const CRect& face, bool pressed)
{
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHILIGHT);
    if (pressed) {
        if (!m_bIsFlat) {
            CBrush frame(shadow);
            dc.FrameRect(&face, &frame);
        } else if (m_bDrawBorder) {
            dc.Draw3dRect(&face, shadow, highlight);
        }
        return;
    }
    if (!m_bIsFlat) {
        CRect inner = face;
        dc.Draw3dRect(&inner, highlight, ::GetSysColor(COLOR_3DDKSHADOW));
        inner.DeflateRect(1, 1);
        dc.Draw3dRect(&inner, ::GetSysColor(COLOR_3DLIGHT), shadow);
    } else if (m_bDrawBorder && (m_nHover || IsImageStyle())) {
        dc.Draw3dRect(&face, highlight, shadow);
    }
}

void CButtonSTEX::DrawClassicIcon(HDC dc, bool hasText, const CRect& face, CRect& caption, bool pressed,
                                  bool disabled)
{
    int x = face.left + (face.Width() - m_cxIcon) / 2;
    int y = face.top + (face.Height() - m_cyIcon) / 2;
    if (m_nAlign == ST_ALIGN_HORIZ && hasText) {
        x = face.left + kIconGap;
        caption.left = x + m_cxIcon + kIconGap;
    } else if (m_nAlign == ST_ALIGN_VERT && hasText) {
        y = face.top;
        caption.top += m_cyIcon;
    }
    if (pressed) {
        ++x;
        ++y;
    }
    HICON icon = pressed ? m_hIconNormal : m_hIconHover;
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, m_cxIcon, m_cyIcon,
                 DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
}

void CButtonSTEX::DrawClassicText(HDC dc, const CString& text, CRect caption, bool pressed, bool disabled)
{
    if (text.IsEmpty()) {
        return;
    }
    if (pressed) {
        caption.OffsetRect(1, 1);
    }
    CRect measured = caption;
    ::DrawTextW(dc, text, text.GetLength(), &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    measured.OffsetRect((caption.Width() - measured.Width()) / 2, (caption.Height() - measured.Height()) / 2);
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.GetString()), text.GetLength(), measured.left,
                 measured.top, measured.Width(), measured.Height(), DST_TEXT | (disabled ? DSS_DISABLED : DSS_NORMAL));
}
