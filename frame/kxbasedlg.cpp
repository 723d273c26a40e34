// The self-drawn library dialog: title bar, caption buttons and the shared client background.
#include <util/basedlg.h>
#include <util/drawfun.h>
#include <util/module.h>

#include "frame/ncpaint.h"

namespace {
constexpr int kTitleTextLeft = 10;
constexpr int kTitleTextTop = 2;
constexpr int kTitleTextGap = 5;
constexpr POINT kTitleIconAt = {8, 4};
constexpr UINT_PTR kHostTimer = 1000;

bool IsKeyMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_CHAR || message == WM_SYSKEYDOWN || message == WM_SYSCHAR;
}

// Sets the resource module for a scope.
class ResourceModuleScope {
public:
    explicit ResourceModuleScope(HINSTANCE instance) : m_old(AfxGetModuleState()->m_hCurrentResourceHandle)
    {
        if (instance) {
            AfxGetModuleState()->m_hCurrentResourceHandle = instance;
        }
    }
    ~ResourceModuleScope() { AfxGetModuleState()->m_hCurrentResourceHandle = m_old; }
    ResourceModuleScope(const ResourceModuleScope&) = delete;
    ResourceModuleScope& operator=(const ResourceModuleScope&) = delete;

private:
    HMODULE m_old;
};
} // namespace

CKXBaseDlg::CKXBaseDlg()
{
    m_brBk.CreateSolidBrush(m_crBk);
}

CKXBaseDlg::CKXBaseDlg(UINT templateId, CWnd* parent) : CBaseDlg(templateId, parent)
{
    m_brBk.CreateSolidBrush(m_crBk);
}

CKXBaseDlg::~CKXBaseDlg()
{
    // Destroyed here, while the members its last messages use live; the object is being deleted
    // already, so it must not delete itself on the way.
    m_bInitDialogSeen = FALSE;
    DestroyWindow();
    if (m_hTitleIcon) {
        ::DestroyIcon(m_hTitleIcon);
    }
}

INT_PTR CKXBaseDlg::DoModal(HINSTANCE resourceInstance)
{
    const ResourceModuleScope scope(resourceInstance);
    return DoModal();
}

// ---- settings ----

void CKXBaseDlg::SetTitleText(const wchar_t* text, COLORREF color)
{
    if (text == nullptr) {
        return;
    }
    m_strTitle = text;
    m_crTitleText = color;
    if (IsWindow()) {
        RepaintNc();
    }
}

void CKXBaseDlg::SetTitleIcon(HICON icon)
{
    if (icon == nullptr) {
        return;
    }
    HICON copy = ::CopyIcon(icon);
    if (copy == nullptr) {
        return;
    }
    if (m_hTitleIcon) {
        ::DestroyIcon(m_hTitleIcon);
    }
    m_hTitleIcon = copy;
    if (IsWindow()) {
        ReLayoutNc();
        RepaintNc();
    }
}

void CKXBaseDlg::DrawButton(int glyph, CDC* dc, POINT topLeft)
{
    if (dc) {
        CKxTitleBar::DrawGlyph(dc->m_hDC, glyph, topLeft);
    }
}

int CKXBaseDlg::OnNetDataArrive(void*)
{
    return 1;
}

void CKXBaseDlg::OnNcPaintEx(CDC*) {}

LRESULT CKXBaseDlg::KxPreTranslateMsg(MSG* msg)
{
    return PreTranslateMessage(msg) ? 1 : 0;
}

// ---- creation and behaviour ----

void CKXBaseDlg::PreSubclassWindow()
{
    InitTitleStyle();
    CBaseDlg::PreSubclassWindow();
}

int CKXBaseDlg::OnCreate(CREATESTRUCTW* cs)
{
    if (CBaseDlg::OnCreate(cs) == -1) {
        return -1;
    }
    ModifyStyle(WS_SYSMENU, 0);
    ReLayoutNc();
    return 0;
}

BOOL CKXBaseDlg::OnInitDialog()
{
    CBaseDlg::OnInitDialog();
    ModifyStyle(WS_SYSMENU, 0);
    return TRUE;
}

void CKXBaseDlg::OnOK()
{
    if (!(GetStyle() & WS_CHILD)) {
        CBaseDlg::OnOK();
    }
}

void CKXBaseDlg::OnCancel()
{
    if (!(GetStyle() & WS_CHILD)) {
        CBaseDlg::OnCancel();
    }
}

BOOL CKXBaseDlg::PreTranslateMessage(MSG* msg)
{
    if (msg && IsKeyMessage(msg->message) && msg->wParam != VK_TAB && msg->wParam != VK_RETURN &&
        msg->wParam != VK_ESCAPE) {
        return FALSE; // the focused control takes it, not the dialog's mnemonics
    }
    return CBaseDlg::PreTranslateMessage(msg);
}

void CKXBaseDlg::OnDestroy()
{
    KillTimer(kHostTimer);
    CBaseDlg::OnDestroy();
}

void CKXBaseDlg::OnNcDestroy()
{
    m_buttons.ReleaseImages();
    CBaseDlg::OnNcDestroy();
}

void CKXBaseDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    HWND handle = m_hWnd;
    CBaseDlg::OnSysCommand(id, lParam);
    if (!::IsWindow(handle) || FromHandlePermanent(handle) != this) {
        return;
    }
    switch (id & 0xFFF0) {
    case SC_MINIMIZE:
        ReLayoutNc();
        RepaintNc();
        break;
    case SC_RESTORE:
        ReLayoutNc();
        RepaintNc();
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        break;
    case SC_CLOSE:
        if (!m_bDoModal) {
            DestroyWindow(); // a modeless dialog may delete itself here: nothing may follow
        }
        break;
    default:
        break;
    }
}

HBRUSH CKXBaseDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType)
{
    if (ctlType == CTLCOLOR_EDIT || ctlType == CTLCOLOR_LISTBOX || ctlType == CTLCOLOR_STATIC) {
        return CBaseDlg::OnCtlColor(dc, wnd, ctlType);
    }
    // A child that colours itself (a skinned button, say) keeps its colours; the rest, and the dialog
    // itself, get the background.
    HBRUSH brush = nullptr;
    return SendChildCtlColor(dc, wnd, ctlType, &brush) ? brush : static_cast<HBRUSH>(m_brBk);
}

void CKXBaseDlg::OnMouseMove(UINT, CPoint) {}

LRESULT CKXBaseDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST: {
        // The platform must never act on caption buttons of its own.
        const LRESULT hit = CBaseDlg::WindowProc(message, wParam, lParam);
        return (hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE) ? HTCAPTION : hit;
    }
    case WM_SETTEXT: {
        m_strTitle = reinterpret_cast<const wchar_t*>(lParam);
        const LRESULT result = CBaseDlg::WindowProc(message, wParam, lParam);
        if (HasTitleBar()) {
            RepaintNc(); // the platform painted its own caption with the text
        }
        return result;
    }
    case WM_KX_PRETRANSLATE:
        return KxPreTranslateMsg(reinterpret_cast<MSG*>(wParam));
    case WM_KX_PAINTBK:
        return OnPaintBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<const RECT*>(lParam));
    default:
        return CBaseDlg::WindowProc(message, wParam, lParam);
    }
}

// ---- client background ----

bool CKXBaseDlg::MakeClientBitmap()
{
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) {
        return false;
    }
    if (m_bmpClient.m_hObject == nullptr || m_sizeClient != client.Size()) {
        m_bmpClient.DeleteObject();
        HDC screen = ::GetDC(nullptr);
        m_bmpClient.Attach(::CreateCompatibleBitmap(screen, client.Width(), client.Height()));
        ::ReleaseDC(nullptr, screen);
        m_sizeClient = client.Size();
    }
    if (m_bmpClient.m_hObject == nullptr) {
        return false;
    }
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, m_bmpClient.m_hObject);
    KXDRAWFUN::FillSolidRect(memory, &client, m_crBk);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return true;
}

void CKXBaseDlg::CopyBackground(HDC dc, int x, int y, const RECT& client)
{
    if (m_bmpClient.m_hObject == nullptr && !MakeClientBitmap()) {
        return;
    }
    CRect clientArea;
    GetClientRect(&clientArea);
    // The bitmap lies along the client area's bottom edge.
    const int offset = clientArea.Height() - m_sizeClient.cy;
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, m_bmpClient.m_hObject);
    ::BitBlt(dc, x, y, client.right - client.left, client.bottom - client.top, memory, client.left, client.top - offset,
             SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

BOOL CKXBaseDlg::OnEraseBkgnd(CDC* dc)
{
    if (dc == nullptr || (m_bmpClient.m_hObject == nullptr && !MakeClientBitmap())) {
        return CBaseDlg::OnEraseBkgnd(dc);
    }
    CRect client;
    GetClientRect(&client);
    CopyBackground(dc->m_hDC, 0, 0, client);
    return TRUE;
}

LRESULT CKXBaseDlg::OnPaintBackground(HDC dc, const RECT* screenRect)
{
    if (screenRect == nullptr) {
        return 0;
    }
    CRect area(*screenRect);
    ScreenToClient(&area);
    if (dc) {
        CopyBackground(dc, 0, 0, area);
    } else {
        HDC own = ::GetDC(m_hWnd);
        CopyBackground(own, area.left, area.top, area);
        ::ReleaseDC(m_hWnd, own);
    }
    return 1;
}

void CKXBaseDlg::OnSize(UINT type, int cx, int cy)
{
    CBaseDlg::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0) {
        ReLayoutNc();
        RepaintNc();
        MakeClientBitmap();
    }
}

// ---- title bar ----

bool CKXBaseDlg::HasTitleBar() const
{
    return m_hWnd != nullptr &&
           (CKxTitleBar::HasTitleBar(GetStyle(), GetExStyle()) || (GetExStyle() & WS_EX_DLGMODALFRAME) != 0);
}

void CKXBaseDlg::InitTitleStyle()
{
    if (!HasTitleBar()) {
        return;
    }
    m_buttons.InitFromStyle(GetStyle(), true);
    m_nTitleHeight = CKxTitleBar::CaptionHeight(GetExStyle());
}

void CKXBaseDlg::ReLayoutNc()
{
    if (!IsWindow()) {
        return;
    }
    CRect frame;
    GetWindowRect(&frame);
    // Square corners whatever the platform's theme; made again only when the size changed.
    if (!frame.IsRectEmpty() && m_sizeRegion != frame.Size()) {
        m_sizeRegion = frame.Size();
        const POINT corners[] = {{0, 0}, {frame.Width(), 0}, {frame.Width(), frame.Height()}, {0, frame.Height()}};
        HRGN region = ::CreatePolygonRgn(corners, 4, WINDING);
        if (region && !::SetWindowRgn(m_hWnd, region, FALSE)) {
            ::DeleteObject(region);
        }
    }
    if (!HasTitleBar()) {
        return;
    }
    const int leftmost = m_buttons.Layout(m_hWnd, frame.Width(), true);
    m_nTitleHeight = CKxTitleBar::CaptionHeight(GetExStyle());
    int textLeft = kTitleTextLeft;
    if (m_hTitleIcon) {
        SIZE icon{};
        KXDRAWFUN::GetIconSize(m_hTitleIcon, &icon);
        textLeft = std::max<int>(textLeft, kTitleIconAt.x + icon.cx + 4);
    }
    m_rcTitleText.SetRect(textLeft, kTitleTextTop, leftmost - kTitleTextGap, m_nTitleHeight);
}

void CKXBaseDlg::RepaintNc()
{
    SendMessage(WM_NCPAINT, 1);
}

BOOL CKXBaseDlg::OnNcActivate(BOOL active)
{
    m_bNcActive = active;
    RepaintNc();
    return TRUE;
}

void CKXBaseDlg::OnNcPaint()
{
    const DWORD style = GetStyle();
    const bool child = (style & WS_CHILD) && !(style & WS_POPUP);
    if ((child && !(GetExStyle() & WS_EX_TOOLWINDOW)) || !HasTitleBar()) {
        CBaseDlg::OnNcPaint();
        return;
    }
    NcPaintBuffer buffer(m_hWnd);
    if (!buffer.ok()) {
        return;
    }
    HDC dc = buffer.dc();
    const int width = buffer.width();
    const int height = buffer.height();
    CKxTitleBar::DrawFrameAndBand(dc, m_hWnd, width, height, m_nTitleHeight, m_crFrame, 1);
    for (UINT button : {KXTB_CLOSE, KXTB_MIN, KXTB_RESTORE, KXTB_MAX}) {
        m_buttons.Draw(dc, button);
    }
    DrawTitle(dc);
    OnNcPaintEx(CDC::FromHandle(dc));
    const RECT outline{0, 0, width, height};
    KXDRAWFUN::DrawRect(dc, &outline, PS_SOLID, 1, KXDLG_CLR_OUTLINE, R2_COPYPEN);
}

void CKXBaseDlg::DrawTitle(HDC dc)
{
    if (m_hTitleIcon) {
        ::DrawIconEx(dc, kTitleIconAt.x, kTitleIconAt.y, m_hTitleIcon, 0, 0, 0, nullptr, DI_NORMAL);
    }
    CString title = m_strTitle;
    if (title.IsEmpty()) {
        GetWindowText(title);
    }
    CKxTitleBar::DrawTitle(dc, m_rcTitleText, title, m_bNcActive ? m_crTitleText : KXTITLE_CLR_INACTIVE);
}

// ---- caption buttons ----

void CKXBaseDlg::OnNcMouseMove(UINT hitTest, CPoint screenPoint)
{
    if (CaptionMouseEnabled()) {
        bool repaint = false;
        m_buttons.TrackMove(m_hWnd, screenPoint, &repaint);
        if (repaint) {
            RepaintNc();
        }
    }
    CBaseDlg::OnNcMouseMove(hitTest, screenPoint);
}

void CKXBaseDlg::OnNcLButtonDown(UINT hitTest, CPoint screenPoint)
{
    if (CaptionMouseEnabled()) {
        bool repaint = false;
        const bool onButton = m_buttons.TrackPress(m_hWnd, screenPoint, &repaint);
        if (!onButton) {
            repaint = m_buttons.Reset();
        }
        if (repaint) {
            RepaintNc();
        }
        if (onButton) {
            return; // the platform would start moving the window
        }
    }
    CBaseDlg::OnNcLButtonDown(hitTest, screenPoint);
}

void CKXBaseDlg::OnNcLButtonUp(UINT hitTest, CPoint screenPoint)
{
    if (CaptionMouseEnabled()) {
        FinishPress(CKxTitleBar::ScreenToWindow(m_hWnd, screenPoint));
    }
    CBaseDlg::OnNcLButtonUp(hitTest, screenPoint);
}

void CKXBaseDlg::OnLButtonUp(UINT flags, CPoint point)
{
    if (CaptionMouseEnabled()) {
        const CRect client = CKxTitleBar::ClientInWindow(m_hWnd);
        FinishPress(CPoint(point.x + client.left, point.y + client.top));
    }
    CBaseDlg::OnLButtonUp(flags, point);
}

void CKXBaseDlg::OnNcMouseLeave()
{
    bool repaint = false;
    m_buttons.TrackLeave(&repaint);
    if (repaint) {
        RepaintNc();
    }
}

void CKXBaseDlg::OnNcLButtonDblClk(UINT hitTest, CPoint screenPoint)
{
    if (!m_bDblClkOff) {
        CBaseDlg::OnNcLButtonDblClk(hitTest, screenPoint);
    }
}

void CKXBaseDlg::FinishPress(POINT windowPoint)
{
    bool repaint = false;
    const UINT button = m_buttons.TrackRelease(m_hWnd, windowPoint, &repaint);
    if (repaint) {
        RepaintNc();
    }
    const LPARAM where = MAKELPARAM(windowPoint.x, windowPoint.y);
    switch (button) {
    case KXTB_CLOSE:
        PostMessage(WM_SYSCOMMAND, SC_CLOSE);
        break;
    case KXTB_MIN:
        PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, where);
        break;
    case KXTB_RESTORE:
    case KXTB_MAX:
        PostMessage(WM_SYSCOMMAND, (IsZoomed() || IsIconic()) ? SC_RESTORE : SC_MAXIMIZE, where);
        break;
    default:
        break;
    }
}
