#include <util/module.h>
#include <util/wnd.h>

#include <map>
#include <mutex>

#include "framework/temporary_map.h"
#include "framework/window_creation.h"

// The members of these names are defined under their literal names (see <util/win32_names.h>).
#undef DefWindowProc
#undef GetWindowText
#undef GetWindowTextLength
#undef PostMessage
#undef SendMessage
#undef SetWindowText
#undef SubclassWindow

namespace {

// ---- handle maps ----

class PermanentMap {
public:
    bool Insert(HWND handle, CWnd* wnd)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_windows.emplace(handle, wnd).second;
    }
    void Remove(HWND handle, const CWnd* wnd)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_windows.find(handle);
        if (found != m_windows.end() && found->second == wnd) {
            m_windows.erase(found);
        }
    }
    CWnd* Lookup(HWND handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_windows.find(handle);
        return found == m_windows.end() ? nullptr : found->second;
    }

private:
    std::mutex m_mutex;
    std::map<HWND, CWnd*> m_windows;
};

PermanentMap& PermanentWindows()
{
    static PermanentMap map;
    return map;
}

struct WndTraits {
    static bool IsAlive(HWND handle) { return ::IsWindow(handle) != FALSE; }
    static void Adopt(CWnd& wrapper, HWND handle) { wrapper.m_hWnd = handle; }
    static void Disown(CWnd& wrapper) { wrapper.m_hWnd = nullptr; }
};

TemporaryMap<HWND, CWnd, WndTraits>& TemporaryWindows()
{
    static TemporaryMap<HWND, CWnd, WndTraits> map;
    return map;
}

// ---- the message being handled on this thread ----

// One per message on the window procedure's stack; the innermost is the thread's current message.
struct MessageInFlight {
    MSG msg{};
    MessageInFlight* outer = nullptr;
    // Set when a handler passed the message on (Default) or a child answered it: the answer a
    // handler without a result of its own gives.
    bool answered = false;
    LRESULT answer = 0;
};

thread_local MessageInFlight* t_message = nullptr;

class MessageScope {
public:
    MessageScope(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
    {
        m_flight.msg.hwnd = handle;
        m_flight.msg.message = message;
        m_flight.msg.wParam = wParam;
        m_flight.msg.lParam = lParam;
        m_flight.outer = t_message;
        t_message = &m_flight;
    }
    ~MessageScope() { t_message = m_flight.outer; }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;

    MessageInFlight& flight() { return m_flight; }

private:
    MessageInFlight m_flight;
};

void AnswerCurrentMessage(LRESULT answer)
{
    if (t_message) {
        t_message->answered = true;
        t_message->answer = answer;
    }
}

// The answer of a handler that has no result of its own.
LRESULT AnswerOfVoidHandler(LRESULT whenNotPassedOn = 0)
{
    return t_message && t_message->answered ? t_message->answer : whenNotPassedOn;
}

HWND HandleOf(const CWnd* wnd)
{
    return wnd ? wnd->m_hWnd : nullptr;
}

// Library classes live in the library's module; any other class is looked up in the program's.
HINSTANCE ModuleOfClass(const wchar_t* className)
{
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    if (className && ::GetClassInfoExW(AfxGetInstanceHandle(), className, &info)) {
        return AfxGetInstanceHandle();
    }
    return ::GetModuleHandleW(nullptr);
}

} // namespace

LRESULT CALLBACK CWnd::FrameworkWndProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandlePermanent(handle);
    if (wnd == nullptr) {
        return ::DefWindowProcW(handle, message, wParam, lParam);
    }
    MessageScope scope(handle, message, wParam, lParam);
    LRESULT result = 0;
    // An exception must not unwind through the platform's message dispatch: it ends here, and a
    // window whose creation threw is not created.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = message == WM_CREATE ? -1 : 0;
    }
    // The window's last message: whatever the handlers did, the object lets go of the handle.
    if (message == WM_NCDESTROY && FromHandlePermanent(handle) == wnd) {
        if (!scope.flight().answered) {
            wnd->Default();
        }
        wnd->UnsubclassWindow();
        wnd->PostNcDestroy();
    }
    return result;
}

// ---- class registration ----

void AfxThrowResourceException()
{
    throw CResourceException();
}

BOOL AfxRegisterClass(WNDCLASSW* wndClass)
{
    // Class names are atoms of at most 255 characters; longer ones are refused before the
    // platform sees them.
    constexpr size_t kMaxClassName = 255;
    if (wndClass == nullptr || wndClass->lpszClassName == nullptr || *wndClass->lpszClassName == 0 ||
        wcsnlen(wndClass->lpszClassName, kMaxClassName + 1) > kMaxClassName) {
        return FALSE;
    }
    WNDCLASSW existing{};
    if (::GetClassInfoW(wndClass->hInstance, wndClass->lpszClassName, &existing)) {
        return TRUE;
    }
    return ::RegisterClassW(wndClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void KxRegisterWndClass(const wchar_t* className, HCURSOR cursor)
{
    WNDCLASSW wndClass{};
    wndClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wndClass.lpfnWndProc = ::DefWindowProcW;
    wndClass.hInstance = AfxGetInstanceHandle();
    wndClass.hCursor = cursor;
    wndClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wndClass.lpszClassName = className;
    if (!AfxRegisterClass(&wndClass)) {
        AfxThrowResourceException();
    }
}

// ---- attaching ----

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        DestroyWindow();
    }
}

CWnd* CWnd::FromHandle(HWND handle)
{
    CWnd* permanent = FromHandlePermanent(handle);
    return permanent ? permanent : TemporaryWindows().Get<CWnd>(handle);
}

CWnd* CWnd::FromHandlePermanent(HWND handle)
{
    return handle ? PermanentWindows().Lookup(handle) : nullptr;
}

BOOL CWnd::Attach(HWND handle)
{
    if (m_hWnd != nullptr || handle == nullptr || !PermanentWindows().Insert(handle, this)) {
        return FALSE;
    }
    m_hWnd = handle;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND handle = m_hWnd;
    if (handle) {
        PermanentWindows().Remove(handle, this);
        m_hWnd = nullptr;
    }
    return handle;
}

BOOL CWnd::SubclassWindow(HWND handle)
{
    if (!::IsWindow(handle) || !Attach(handle)) {
        return FALSE;
    }
    PreSubclassWindow();
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWndProc)));
    if (previous == nullptr) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND item = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
    return item && SubclassWindow(item);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd == nullptr) {
        return nullptr;
    }
    // Only a procedure still in place is put back: one installed over ours must stay in its chain.
    if (m_pfnSuper && ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FrameworkWndProc)) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

// ---- creation and destruction ----

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

BOOL CWnd::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, CCreateContext* context)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, HandleOf(parent), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                    param);
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd != nullptr || className == nullptr) {
        return FALSE;
    }
    CREATESTRUCTW cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    cs.hInstance = ModuleOfClass(cs.lpszClass);
    HWND created = nullptr;
    {
        WindowCreationWatch watch(this);
        created = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                    cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    return created != nullptr && m_hWnd == created;
}

BOOL CWnd::DestroyWindow()
{
    HWND handle = m_hWnd;
    if (handle == nullptr) {
        return FALSE;
    }
    const bool permanent = FromHandlePermanent(handle) == this;
    const BOOL destroyed = ::DestroyWindow(handle);
    // A window whose messages went through this object was let go on WM_NCDESTROY, and the object
    // may have deleted itself there. A window that was only attached is let go here.
    if (permanent ? FromHandlePermanent(handle) == this : m_hWnd == handle) {
        if (destroyed || !::IsWindow(handle)) {
            Detach();
        }
    }
    return destroyed;
}

// ---- messages ----

const MSG* CWnd::GetCurrentMessage()
{
    return t_message ? &t_message->msg : nullptr;
}

LRESULT CWnd::Default()
{
    if (t_message == nullptr) {
        return 0;
    }
    const MSG& msg = t_message->msg;
    const LRESULT answer = DefWindowProc(msg.message, msg.wParam, msg.lParam);
    AnswerCurrentMessage(answer);
    return answer;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) {
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::SendChildNotify(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* childWnd = FromHandlePermanent(child);
    if (childWnd == nullptr || childWnd == this) {
        return FALSE;
    }
    LRESULT answer = 0;
    if (!childWnd->OnChildNotify(message, wParam, lParam, &answer)) {
        return FALSE;
    }
    if (result) {
        *result = answer;
    }
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT ignored = 0;
    HWND control = reinterpret_cast<HWND>(lParam);
    return control != nullptr && SendChildNotify(control, WM_COMMAND, wParam, lParam, &ignored);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return header != nullptr && SendChildNotify(header->hwndFrom, WM_NOTIFY, wParam, lParam, result);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const CPoint point(lParam);
    const UINT low = LOWORD(lParam);
    const UINT high = HIWORD(lParam);
    const UINT flags = static_cast<UINT>(wParam);
    switch (message) {
    case WM_COMMAND:
        *result = 0;
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
        *result = 0;
        return OnNotify(wParam, lParam, result);
    case WM_NCCREATE:
        *result = OnNcCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        return TRUE;
    case WM_CREATE:
        *result = OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_NCDESTROY:
        OnNcDestroy();
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_ERASEBKGND:
        *result = OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
        return TRUE;
    case WM_SIZE:
        OnSize(flags, static_cast<int>(low), static_cast<int>(high));
        break;
    case WM_MOVE:
        OnMove(point.x, point.y);
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        break;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam));
        break;
    case WM_SETFOCUS:
        OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam)));
        break;
    case WM_KILLFOCUS:
        OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam)));
        break;
    case WM_ENABLE:
        OnEnable(static_cast<BOOL>(wParam));
        break;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        break;
    case WM_SYSCOMMAND:
        OnSysCommand(flags, lParam);
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(FromHandle(reinterpret_cast<HWND>(wParam)), point);
        break;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lParam)));
        break;
    case WM_CANCELMODE:
        OnCancelMode();
        break;
    case WM_GETDLGCODE:
        *result = OnGetDlgCode();
        return TRUE;
    case WM_SETCURSOR:
        *result = OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), low, high);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(flags, point);
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(flags, point);
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(flags, point);
        break;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(flags, point);
        break;
    case WM_RBUTTONDOWN:
        OnRButtonDown(flags, point);
        break;
    case WM_RBUTTONUP:
        OnRButtonUp(flags, point);
        break;
    case WM_RBUTTONDBLCLK:
        OnRButtonDblClk(flags, point);
        break;
    case WM_MBUTTONDOWN:
        OnMButtonDown(flags, point);
        break;
    case WM_MBUTTONUP:
        OnMButtonUp(flags, point);
        break;
    case WM_MOUSEWHEEL:
        *result = OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), point);
        return TRUE;
    case WM_MOUSEHOVER:
        OnMouseHover(flags, point);
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_KEYDOWN:
        OnKeyDown(flags, low, high);
        break;
    case WM_KEYUP:
        OnKeyUp(flags, low, high);
        break;
    case WM_SYSKEYDOWN:
        OnSysKeyDown(flags, low, high);
        break;
    case WM_SYSKEYUP:
        OnSysKeyUp(flags, low, high);
        break;
    case WM_CHAR:
        OnChar(flags, low, high);
        break;
    case WM_SYSCHAR:
        OnSysChar(flags, low, high);
        break;
    case WM_NCPAINT:
        OnNcPaint();
        break;
    case WM_NCACTIVATE:
        *result = OnNcActivate(static_cast<BOOL>(wParam));
        return TRUE;
    case WM_NCCALCSIZE:
        OnNcCalcSize(static_cast<BOOL>(wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
        break;
    case WM_NCHITTEST:
        *result = OnNcHitTest(point);
        return TRUE;
    case WM_NCMOUSEMOVE:
        OnNcMouseMove(flags, point);
        break;
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(flags, point);
        break;
    case WM_NCLBUTTONUP:
        OnNcLButtonUp(flags, point);
        break;
    case WM_NCLBUTTONDBLCLK:
        OnNcLButtonDblClk(flags, point);
        break;
    case WM_NCMOUSELEAVE:
        OnNcMouseLeave();
        break;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
        break;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
        break;
    case WM_DRAWITEM:
        OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *result = AnswerOfVoidHandler(TRUE);
        return TRUE;
    case WM_MEASUREITEM:
        OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        *result = AnswerOfVoidHandler(TRUE);
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        *result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                                                       FromHandle(reinterpret_cast<HWND>(lParam)),
                                                       message - WM_CTLCOLORMSGBOX));
        return TRUE;
    default:
        return FALSE;
    }
    *result = AnswerOfVoidHandler();
    return TRUE;
}

// ---- typed handlers: the framework's own behaviour ----

BOOL CWnd::OnNcCreate(CREATESTRUCTW*)
{
    return static_cast<BOOL>(Default());
}

int CWnd::OnCreate(CREATESTRUCTW*)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnNcDestroy()
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnPaint()
{
    Default();
}

BOOL CWnd::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

void CWnd::OnMove(int, int)
{
    Default();
}

void CWnd::OnWindowPosChanging(WINDOWPOS*)
{
    Default();
}

void CWnd::OnWindowPosChanged(WINDOWPOS*)
{
    Default();
}

void CWnd::OnGetMinMaxInfo(MINMAXINFO*)
{
    Default();
}

void CWnd::OnShowWindow(BOOL, UINT)
{
    Default();
}

void CWnd::OnActivate(UINT, CWnd*, BOOL)
{
    Default();
}

void CWnd::OnSetFocus(CWnd*)
{
    Default();
}

void CWnd::OnKillFocus(CWnd*)
{
    Default();
}

void CWnd::OnEnable(BOOL)
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}

void CWnd::OnContextMenu(CWnd*, CPoint)
{
    Default();
}

void CWnd::OnCaptureChanged(CWnd*)
{
    Default();
}

void CWnd::OnCancelMode()
{
    Default();
}

UINT CWnd::OnGetDlgCode()
{
    return static_cast<UINT>(Default());
}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}

void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnRButtonUp(UINT, CPoint)
{
    Default();
}

void CWnd::OnRButtonDblClk(UINT, CPoint)
{
    Default();
}

void CWnd::OnMButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnMButtonUp(UINT, CPoint)
{
    Default();
}

BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnMouseHover(UINT, CPoint)
{
    Default();
}

void CWnd::OnMouseLeave()
{
    Default();
}

void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnKeyUp(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnSysKeyDown(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnSysKeyUp(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnSysChar(UINT, UINT, UINT)
{
    Default();
}

void CWnd::OnNcPaint()
{
    Default();
}

BOOL CWnd::OnNcActivate(BOOL)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*)
{
    Default();
}

LRESULT CWnd::OnNcHitTest(CPoint)
{
    return Default();
}

void CWnd::OnNcMouseMove(UINT, CPoint)
{
    Default();
}

void CWnd::OnNcLButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnNcLButtonUp(UINT, CPoint)
{
    Default();
}

void CWnd::OnNcLButtonDblClk(UINT, CPoint)
{
    Default();
}

void CWnd::OnNcMouseLeave()
{
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CWnd* scrollBar)
{
    LRESULT answer = 0;
    const MSG* msg = GetCurrentMessage();
    if (scrollBar && msg && SendChildNotify(scrollBar->m_hWnd, WM_HSCROLL, msg->wParam, msg->lParam, &answer)) {
        AnswerCurrentMessage(answer);
        return;
    }
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CWnd* scrollBar)
{
    LRESULT answer = 0;
    const MSG* msg = GetCurrentMessage();
    if (scrollBar && msg && SendChildNotify(scrollBar->m_hWnd, WM_VSCROLL, msg->wParam, msg->lParam, &answer)) {
        AnswerCurrentMessage(answer);
        return;
    }
    Default();
}

void CWnd::OnDrawItem(int id, DRAWITEMSTRUCT* item)
{
    LRESULT answer = 0;
    if (item && item->CtlType != ODT_MENU &&
        SendChildNotify(item->hwndItem, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(item),
                        &answer)) {
        AnswerCurrentMessage(answer);
        return;
    }
    Default();
}

void CWnd::OnMeasureItem(int id, MEASUREITEMSTRUCT* item)
{
    LRESULT answer = 0;
    // The record names the control only by its identifier.
    if (item && item->CtlType != ODT_MENU &&
        SendChildNotify(::GetDlgItem(m_hWnd, static_cast<int>(item->CtlID)), WM_MEASUREITEM, static_cast<WPARAM>(id),
                        reinterpret_cast<LPARAM>(item), &answer)) {
        AnswerCurrentMessage(answer);
        return;
    }
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType)
{
    LRESULT answer = 0;
    if (dc && wnd &&
        SendChildNotify(wnd->m_hWnd, WM_CTLCOLORMSGBOX + ctlType, reinterpret_cast<WPARAM>(dc->m_hDC),
                        reinterpret_cast<LPARAM>(wnd->m_hWnd), &answer)) {
        return reinterpret_cast<HBRUSH>(answer);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

// ---- window operations ----

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
}

namespace {
BOOL ModifyWindowLong(HWND handle, int index, DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(handle, index));
    const DWORD changed = (style & ~remove) | add;
    if (handle == nullptr || changed == style) {
        return FALSE;
    }
    ::SetWindowLongW(handle, index, static_cast<LONG>(changed));
    if (swpFlags != 0) {
        ::SetWindowPos(handle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

void CWnd::GetWindowRect(RECT* rect) const
{
    if (rect && !::GetWindowRect(m_hWnd, rect)) {
        ::SetRectEmpty(rect);
    }
}

void CWnd::GetClientRect(RECT* rect) const
{
    if (rect && !::GetClientRect(m_hWnd, rect)) {
        ::SetRectEmpty(rect);
    }
}

void CWnd::ClientToScreen(POINT* point) const
{
    ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(RECT* rect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ScreenToClient(POINT* point) const
{
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(RECT* rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, RECT* rect) const
{
    ::MapWindowPoints(m_hWnd, HandleOf(to), reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, POINT* points, UINT count) const
{
    ::MapWindowPoints(m_hWnd, HandleOf(to), points, count);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    if (rect) {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
}

BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::IsZoomed() const
{
    return ::IsZoomed(m_hWnd);
}

void CWnd::SetWindowText(const wchar_t* text)
{
    ::SetWindowTextW(m_hWnd, text);
}

int CWnd::GetWindowText(wchar_t* buffer, int capacity) const
{
    return buffer && capacity > 0 ? ::GetWindowTextW(m_hWnd, buffer, capacity) : 0;
}

void CWnd::GetWindowText(CString& text) const
{
    const int length = GetWindowTextLength();
    const int copied = ::GetWindowTextW(m_hWnd, text.GetBufferSetLength(length + 1), length + 1);
    text.ReleaseBuffer(copied);
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthW(m_hWnd);
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    return FromHandle(::SetParent(m_hWnd, HandleOf(newParent)));
}

CWnd* CWnd::GetDlgItem(int id) const
{
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

int CWnd::SetDlgCtrlID(int id)
{
    return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, id));
}

CWnd* CWnd::GetWindow(UINT command) const
{
    return FromHandle(::GetWindow(m_hWnd, command));
}

CWnd* CWnd::GetTopLevelParent() const
{
    return FromHandle(::GetAncestor(m_hWnd, GA_ROOT));
}

BOOL CWnd::IsChild(const CWnd* wnd) const
{
    return wnd && ::IsChild(m_hWnd, wnd->m_hWnd);
}

CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback)
{
    return ::SetTimer(m_hWnd, id, elapse, callback);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase)
{
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::InvalidateRgn(CRgn* region, BOOL erase)
{
    ::InvalidateRgn(m_hWnd, region ? static_cast<HRGN>(*region) : nullptr, erase);
}

void CWnd::ValidateRect(const RECT* rect)
{
    ::ValidateRect(m_hWnd, rect);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(const RECT* rect, CRgn* region, UINT flags)
{
    return ::RedrawWindow(m_hWnd, rect, region ? static_cast<HRGN>(*region) : nullptr, flags);
}

void CWnd::SetRedraw(BOOL redraw)
{
    SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw));
}

CDC* CWnd::GetDC()
{
    return CDC::FromHandle(::GetDC(m_hWnd));
}

CDC* CWnd::GetWindowDC()
{
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* dc)
{
    return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

// ---- message pump ----

BOOL AfxPreTranslateMessage(MSG* msg)
{
    if (msg == nullptr) {
        return FALSE;
    }
    for (HWND handle = msg->hwnd; handle != nullptr; handle = ::GetParent(handle)) {
        CWnd* wnd = CWnd::FromHandlePermanent(handle);
        if (wnd && wnd->PreTranslateMessage(msg)) {
            return TRUE;
        }
        if ((::GetWindowLongW(handle, GWL_STYLE) & WS_CHILD) == 0) {
            break; // the top-level window ends the walk; its owner is not an ancestor
        }
    }
    return FALSE;
}

void AfxProcessMessage(MSG* msg)
{
    if (msg && !AfxPreTranslateMessage(msg)) {
        ::TranslateMessage(msg);
        ::DispatchMessageW(msg);
    }
}

BOOL AfxPumpMessage()
{
    MSG msg{};
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        return FALSE;
    }
    AfxProcessMessage(&msg);
    return TRUE;
}

int AfxRunMessageLoop()
{
    MSG msg{};
    BOOL status = FALSE;
    while ((status = ::GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        AfxProcessMessage(&msg);
    }
    return status == 0 ? static_cast<int>(msg.wParam) : -1;
}
