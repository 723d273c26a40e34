#include <util/kxmsg.h>
#include <util/module.h>
#include <util/shelllink.h>

namespace {

// Above this the shell's answer means the target was opened.
const INT_PTR kShellSuccess = 32;
const UINT kHandCursorId = 106;
const DWORD kHoverMilliseconds = 1;

// The hand cursor of the system help program, copied once per process and kept until the library
// unloads: every link shares it.
class LinkCursor {
public:
    ~LinkCursor()
    {
        if (m_cursor) {
            ::DestroyCursor(m_cursor);
        }
    }
    // Null when it cannot be had; then it is not tried again.
    HCURSOR Get()
    {
        if (!m_tried) {
            m_tried = true;
            m_cursor = Load();
        }
        return m_cursor;
    }

private:
    static HCURSOR Load()
    {
        wchar_t path[MAX_PATH] = {};
        const UINT length = ::GetWindowsDirectoryW(path, MAX_PATH);
        if (length == 0 || length + 14 >= MAX_PATH) {
            return nullptr;
        }
        ::lstrcatW(path, L"\\winhlp32.exe");
        HMODULE help = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (help == nullptr) {
            return nullptr;
        }
        HCURSOR cursor = ::LoadCursorW(help, MAKEINTRESOURCEW(kHandCursorId));
        HCURSOR copy = cursor ? static_cast<HCURSOR>(::CopyImage(cursor, IMAGE_CURSOR, 0, 0, 0)) : nullptr;
        ::FreeLibrary(help);
        return copy;
    }

    HCURSOR m_cursor = nullptr;
    bool m_tried = false;
};

LinkCursor& SharedLinkCursor()
{
    static LinkCursor cursor;
    return cursor;
}

bool Opened(HINSTANCE answer)
{
    return reinterpret_cast<INT_PTR>(answer) > kShellSuccess;
}

// A string resource of the library's resource module, else of the program.
CString StringResource(UINT id)
{
    for (HMODULE module : {static_cast<HMODULE>(AfxGetResourceHandle()), ::GetModuleHandleW(nullptr)}) {
        const wchar_t* text = nullptr;
        const int length = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
        if (length > 0 && text) {
            return CString(std::wstring(text, static_cast<size_t>(length)).c_str());
        }
    }
    return CString();
}

} // namespace

CStaticLink::CStaticLink(const wchar_t* link, BOOL autoDelete)
    : m_link(link), m_color(RGB(0, 0, 255)), m_bAutoDelete(autoDelete)
{
}

CStaticLink::~CStaticLink()
{
    ReleaseBackground();
}

BOOL CStaticLink::SubclassDlgItem(UINT id, CWnd* parent, const wchar_t* link)
{
    if (link) {
        m_link = link;
    }
    return CStatic::SubclassDlgItem(id, parent);
}

void CStaticLink::SetTextColor(COLORREF unvisited, COLORREF visited)
{
    m_colorUnvisited = unvisited;
    m_colorVisited = visited;
    m_color = unvisited;
    if (IsWindow()) {
        Invalidate(FALSE);
    }
}

HBRUSH CStaticLink::CtlColor(CDC*, UINT)
{
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CStaticLink::OnNcHitTest(CPoint)
{
    return HTCLIENT;
}

bool CStaticLink::OpenLink()
{
    const wchar_t* target = m_link;
    if (target[0] != L'\0' && Opened(m_link.Navigate())) {
        return true;
    }
    const CString text = [this] {
        CString windowText;
        GetWindowText(windowText);
        return windowText;
    }();
    if (!text.IsEmpty()) {
        m_link = text;
        if (Opened(m_link.Navigate())) {
            return true;
        }
    }
    const CString resource = StringResource(static_cast<UINT>(GetDlgCtrlID()));
    return !resource.IsEmpty() && Opened(CHyperlink(resource).Navigate());
}

void CStaticLink::OnLButtonDown(UINT flags, CPoint point)
{
    if (!m_bNoLink && OpenLink()) {
        m_color = m_colorVisited;
        Invalidate(FALSE);
        return;
    }
    CStatic::OnLButtonDown(flags, point);
}

BOOL CStaticLink::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    HCURSOR cursor = m_bNoLink ? nullptr : SharedLinkCursor().Get();
    if (cursor) {
        ::SetCursor(cursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(wnd, hitTest, message);
}

void CStaticLink::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bTracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, kHoverMilliseconds};
        m_bTracking = ::TrackMouseEvent(&track);
    }
    CStatic::OnMouseMove(flags, point);
}

void CStaticLink::OnMouseHover(UINT, CPoint)
{
    m_bHover = TRUE;
    Invalidate(FALSE);
}

void CStaticLink::OnMouseLeave()
{
    m_bHover = FALSE;
    m_bTracking = FALSE;
    Invalidate(FALSE);
}

void CStaticLink::CaptureBackground()
{
    CRect client;
    GetClientRect(&client);
    CClientDC screen(this);
    if (!m_dcBk.CreateCompatibleDC(&screen) ||
        !m_bmpBk.CreateCompatibleBitmap(&screen, client.Width(), client.Height())) {
        ReleaseBackground();
        return;
    }
    m_hOldBmpBk = m_dcBk.SelectObject(m_bmpBk.GetSafeHandle());
    if (!KxPaintParentBackground(m_hWnd, m_dcBk)) {
        HWND parent = ::GetParent(m_hWnd);
        CRect area = client;
        MapWindowPoints(CWnd::FromHandle(parent), &area);
        HDC parentDC = ::GetDC(parent);
        ::BitBlt(m_dcBk, 0, 0, client.Width(), client.Height(), parentDC, area.left, area.top, SRCCOPY);
        ::ReleaseDC(parent, parentDC);
    }
    m_bBkCaptured = TRUE;
}

void CStaticLink::ReleaseBackground()
{
    if (m_hOldBmpBk) {
        m_dcBk.SelectObject(m_hOldBmpBk);
        m_hOldBmpBk = nullptr;
    }
    m_bmpBk.DeleteObject();
    m_dcBk.DeleteDC();
    m_bBkCaptured = FALSE;
}

BOOL CStaticLink::OnEraseBkgnd(CDC*)
{
    if (!m_bBkCaptured) {
        CaptureBackground();
    }
    return TRUE;
}

bool CStaticLink::ShowsUnderline() const
{
    const DWORD type = GetStyle() & SS_TYPEMASK;
    return m_bHover && !m_bNoLink && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
}

void CStaticLink::OnPaint()
{
    CPaintDC paint(this);
    if (!m_bBkCaptured) {
        CaptureBackground();
    }
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) {
        return;
    }
    m_dcMem.SetDrawRect(client, &paint);
    if (m_dcMem.GetSafeHdc() == nullptr) {
        return;
    }
    if (m_bBkCaptured) {
        m_dcMem.BitBlt(0, 0, client.Width(), client.Height(), &m_dcBk, 0, 0, SRCCOPY);
    }

    HFONT windowFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW logFont{};
    ::GetObjectW(windowFont ? windowFont : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfUnderline = ShowsUnderline() ? TRUE : FALSE;
    CFont font;
    font.CreateFontIndirect(&logFont);
    CFont* oldFont = m_dcMem.SelectObject(&font);

    const DWORD type = GetStyle() & SS_TYPEMASK;
    UINT format = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    format |= m_bMultiline ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    m_dcMem.SetBkMode(TRANSPARENT);
    m_dcMem.SetTextColor(m_color);
    CString text;
    GetWindowText(text);
    CRect area = client;
    m_dcMem.DrawText(text, &area, format);
    m_dcMem.SelectObject(oldFont);
    paint.BitBlt(0, 0, client.Width(), client.Height(), &m_dcMem, 0, 0, SRCCOPY);
}

void CStaticLink::OnDestroy()
{
    ReleaseBackground();
    CStatic::OnDestroy();
}

void CStaticLink::PostNcDestroy()
{
    CStatic::PostNcDestroy();
    if (m_bAutoDelete) {
        delete this;
    }
}
