#include <util/iconbutton.h>
#include <util/module.h>

#include "resources/resource.h"

namespace {

const int kNarrowWidth = 66;
const int kWideWidth = 98;
const int kFaceHeight = 20;
// Captions longer than this many bytes in the system's 8-bit code page (four Chinese characters,
// eight Latin letters) need the wide face.
const int kNarrowCaptionBytes = 8;

// Icon resources by state, narrow then wide.
const UINT kFaceIcons[4][2] = {
    {IDI_KX_BUTTON_NORMAL, IDI_KX_BUTTON_WIDE_NORMAL},
    {IDI_KX_BUTTON_HOVER, IDI_KX_BUTTON_WIDE_HOVER},
    {IDI_KX_BUTTON_PRESSED, IDI_KX_BUTTON_WIDE_PRESSED},
    {IDI_KX_BUTTON_DISABLED, IDI_KX_BUTTON_WIDE_DISABLED},
};

int AnsiLength(const CString& text)
{
    return ::WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
}

} // namespace

CKXButton::CKXButton()
{
    m_bDrawBorder = FALSE;
    m_nStyle = ST_STYLE_IMAGE;
    for (int state = 0; state < 4; ++state) {
        for (int wide = 0; wide < 2; ++wide) {
            m_hKxIcons[state][wide] =
                static_cast<HICON>(::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(kFaceIcons[state][wide]),
                                                IMAGE_ICON, wide ? kWideWidth : kNarrowWidth, kFaceHeight, 0));
        }
    }
}

CKXButton::~CKXButton()
{
    // The faces are drawn until the window is gone.
    DestroyWindow();
    for (auto& pair : m_hKxIcons) {
        for (HICON icon : pair) {
            if (icon) {
                ::DestroyIcon(icon);
            }
        }
    }
    for (HICON icon : m_hOwnIcons) {
        if (icon) {
            ::DestroyIcon(icon);
        }
    }
}

void CKXButton::SetKxBtnStyle(int ownIcons)
{
    m_nKxBtnStyle = ownIcons;
}

void CKXButton::SetKxOwnIcon(HICON normal, HICON hover, HICON pressed, HICON disabled)
{
    const HICON given[4] = {normal, hover, pressed, disabled};
    for (int state = 0; state < 4; ++state) {
        if (given[state] == nullptr) {
            continue;
        }
        if (m_hOwnIcons[state]) {
            ::DestroyIcon(m_hOwnIcons[state]);
        }
        m_hOwnIcons[state] = ::CopyIcon(given[state]);
    }
}

HICON CKXButton::StateIcon(int state) const
{
    return m_nKxBtnStyle == 1 ? m_hOwnIcons[state] : m_hKxIcons[state][m_nWide];
}

CSize CKXButton::FaceSize() const
{
    return m_nKxBtnStyle == 1 ? m_sizeOwnIcon : CSize(m_nWide ? kWideWidth : kNarrowWidth, kFaceHeight);
}

void CKXButton::ShowFace(int state)
{
    const CSize size = FaceSize();
    HICON icon = StateIcon(state);
    if (icon != m_hIconFace || size != m_sizeIconEx) {
        SetIconEx(icon, size.cx, size.cy);
    }
}

void CKXButton::FitToCaption()
{
    if (m_nKxBtnStyle != 1) {
        CString caption;
        GetWindowText(caption);
        m_nWide = AnsiLength(caption) > kNarrowCaptionBytes ? 1 : 0;
    }
    const CSize size = FaceSize();
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowFace(KXBTN_NORMAL);
    if (m_nKxBtnStyle != 1) {
        SetDisableIcon(StateIcon(KXBTN_DISABLED), size.cx, size.cy);
    }
}

void CKXButton::PreSubclassWindow()
{
    CButtonSTEX::PreSubclassWindow();
    FitToCaption();
}

int CKXButton::OnCreate(CREATESTRUCTW* cs)
{
    const int result = CButtonSTEX::OnCreate(cs);
    // A button being created has no caption yet when it is taken over.
    FitToCaption();
    return result;
}

void CKXButton::OnLButtonDown(UINT flags, CPoint point)
{
    m_bPressed = TRUE;
    SetCapture();
    ShowFace(KXBTN_PRESSED);
    CButtonSTEX::OnLButtonDown(flags, point);
}

void CKXButton::OnMouseMove(UINT flags, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    if (GetCapture() == this && !client.PtInRect(point)) {
        ::ReleaseCapture();
        ShowFace(KXBTN_NORMAL);
        m_bPressed = FALSE;
    } else if (!m_bPressed) {
        ShowFace(KXBTN_HOVER);
    }
    CButtonSTEX::OnMouseMove(flags, point);
}

void CKXButton::OnLButtonUp(UINT flags, CPoint point)
{
    const bool heldCapture = GetCapture() == this;
    CButtonSTEX::OnLButtonUp(flags, point);
    m_bPressed = FALSE;
    if (heldCapture) {
        if (GetCapture() == this) {
            ::ReleaseCapture();
        }
        CRect client;
        GetClientRect(&client);
        ShowFace(client.PtInRect(point) ? KXBTN_HOVER : KXBTN_NORMAL);
    }
}
