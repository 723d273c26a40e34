// The library's container for the browser control.
#include "web/browserhost.h"

#include <exdispid.h>
#include <olectl.h>

#include <util/webctrl.h>

#include "web/scriptbridge.h"

namespace {

HRESULT CreateWebBrowser(IUnknown** control)
{
    return ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(control));
}

KXBROWSERFACTORY g_browserFactory = &CreateWebBrowser;
bool g_containerEnabled = false;

template <typename Interface>
void ReleaseAndClear(Interface*& pointer)
{
    if (pointer != nullptr) {
        pointer->Release();
        pointer = nullptr;
    }
}

} // namespace

void KxEnableControlContainer()
{
    g_containerEnabled = true;
}

KXBROWSERFACTORY KxSetBrowserFactory(KXBROWSERFACTORY factory)
{
    const KXBROWSERFACTORY previous = g_browserFactory;
    g_browserFactory = factory != nullptr ? factory : &CreateWebBrowser;
    return previous;
}

// ---- control site ----

CKxControlSite::CKxControlSite(HWND container, const RECT& rect) : m_hContainer(container), m_rect(rect) {}

CKxControlSite::~CKxControlSite()
{
    ReleaseAndClear(m_pExternal);
}

HRESULT CKxControlSite::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IOleControlSite) {
        *object = static_cast<IOleControlSite*>(this);
    } else if (iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IDocHostUIHandler) {
        *object = static_cast<IDocHostUIHandler*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CKxControlSite::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}

ULONG CKxControlSite::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_nRefs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

HRESULT CKxControlSite::SaveObject()
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetContainer(IOleContainer** container)
{
    if (container) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}
HRESULT CKxControlSite::ShowObject()
{
    return S_OK;
}
HRESULT CKxControlSite::OnShowWindow(BOOL)
{
    return S_OK;
}
HRESULT CKxControlSite::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

HRESULT CKxControlSite::GetWindow(HWND* window)
{
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_hContainer;
    return m_hContainer != nullptr ? S_OK : E_FAIL;
}
HRESULT CKxControlSite::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CKxControlSite::CanInPlaceActivate()
{
    return m_hContainer != nullptr ? S_OK : S_FALSE;
}
HRESULT CKxControlSite::OnInPlaceActivate()
{
    return S_OK;
}
HRESULT CKxControlSite::OnUIActivate()
{
    return S_OK;
}
HRESULT CKxControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                         RECT* clip, OLEINPLACEFRAMEINFO* info)
{
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr) {
        return E_POINTER;
    }
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    *position = m_rect;
    *clip = m_rect;
    info->fMDIApp = FALSE;
    info->hwndFrame = m_hContainer;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}
HRESULT CKxControlSite::Scroll(SIZE)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::OnUIDeactivate(BOOL)
{
    return S_OK;
}
HRESULT CKxControlSite::OnInPlaceDeactivate()
{
    return S_OK;
}
HRESULT CKxControlSite::DiscardUndoState()
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::DeactivateAndUndo()
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::OnPosRectChange(const RECT*)
{
    return S_OK;
}

HRESULT CKxControlSite::GetBorder(RECT*)
{
    return INPLACE_E_NOTOOLSPACE;
}
HRESULT CKxControlSite::RequestBorderSpace(const BORDERWIDTHS*)
{
    return INPLACE_E_NOTOOLSPACE;
}
HRESULT CKxControlSite::SetBorderSpace(const BORDERWIDTHS*)
{
    return S_OK;
}
HRESULT CKxControlSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR)
{
    return S_OK;
}
HRESULT CKxControlSite::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}
HRESULT CKxControlSite::RemoveMenus(HMENU)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::SetStatusText(LPCOLESTR)
{
    return S_OK;
}
HRESULT CKxControlSite::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::TranslateAccelerator(MSG*, WORD)
{
    return S_FALSE;
}

HRESULT CKxControlSite::OnControlInfoChanged()
{
    return S_OK;
}
HRESULT CKxControlSite::LockInPlaceActive(BOOL)
{
    return S_OK;
}
HRESULT CKxControlSite::GetExtendedControl(IDispatch** control)
{
    if (control) {
        *control = nullptr;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::TransformCoords(POINTL*, POINTF*, DWORD)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::TranslateAccelerator(MSG*, DWORD)
{
    return S_FALSE;
}
HRESULT CKxControlSite::OnFocus(BOOL)
{
    return S_OK;
}
HRESULT CKxControlSite::ShowPropertyFrame()
{
    return E_NOTIMPL;
}

HRESULT CKxControlSite::GetTypeInfoCount(UINT* count)
{
    if (count) {
        *count = 0;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}
// The control runs in user mode; every other ambient property takes the control's default.
HRESULT CKxControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id != DISPID_AMBIENT_USERMODE || (flags & DISPATCH_PROPERTYGET) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result != nullptr) {
        ::VariantInit(result);
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

HRESULT CKxControlSite::ShowContextMenu(DWORD, POINT* point, IUnknown*, IDispatch*)
{
    POINT where{};
    if (point != nullptr) {
        where = *point;
    } else {
        ::GetCursorPos(&where);
    }
    if (m_hContainer != nullptr) {
        ::PostMessageW(m_hContainer, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hContainer),
                       MAKELPARAM(where.x, where.y));
    }
    return S_OK; // the browser shows no menu of its own
}
HRESULT CKxControlSite::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (info == nullptr) {
        return E_POINTER;
    }
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}
HRESULT CKxControlSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                               IOleInPlaceUIWindow*)
{
    return S_OK;
}
HRESULT CKxControlSite::HideUI()
{
    return S_OK;
}
HRESULT CKxControlSite::UpdateUI()
{
    return S_OK;
}
HRESULT CKxControlSite::OnDocWindowActivate(BOOL)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::OnFrameWindowActivate(BOOL)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return E_NOTIMPL;
}
HRESULT CKxControlSite::TranslateAccelerator(LPMSG, const GUID*, DWORD)
{
    return S_FALSE; // keys go their normal way
}
HRESULT CKxControlSite::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key) {
        *key = nullptr;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetDropTarget(IDropTarget*, IDropTarget** replacement)
{
    if (replacement) {
        *replacement = nullptr;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::GetExternal(IDispatch** external)
{
    if (external == nullptr) {
        return E_POINTER;
    }
    if (m_pExternal == nullptr) {
        m_pExternal = CKxExternalDispatch::Create(m_hContainer);
    }
    m_pExternal->AddRef();
    *external = m_pExternal;
    return S_OK;
}
HRESULT CKxControlSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated)
{
    if (translated) {
        *translated = nullptr;
    }
    return E_NOTIMPL;
}
HRESULT CKxControlSite::FilterDataObject(IDataObject*, IDataObject** replacement)
{
    if (replacement) {
        *replacement = nullptr;
    }
    return E_NOTIMPL;
}

// ---- event sink ----

HRESULT CKxBrowserEventSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID_DWebBrowserEvents2) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}
ULONG CKxBrowserEventSink::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}
ULONG CKxBrowserEventSink::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_nRefs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}
HRESULT CKxBrowserEventSink::GetTypeInfoCount(UINT* count)
{
    if (count) {
        *count = 0;
    }
    return E_NOTIMPL;
}
HRESULT CKxBrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}
HRESULT CKxBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}
HRESULT CKxBrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (m_pTarget == nullptr) {
        return S_OK;
    }
    // The window may close the browser, and with it this sink, while it handles the event.
    AddRef();
    DISPPARAMS none{};
    const HRESULT handled = m_pTarget->OnBrowserEvent(id, params != nullptr ? params : &none);
    Release();
    return handled;
}

// ---- host ----

bool CKxBrowserHost::Open(CWebCtrlWnd* webWindow, const RECT& rect, UINT id)
{
    Close();
    if (!g_containerEnabled) {
        return false;
    }
    IUnknown* control = nullptr;
    if (FAILED(g_browserFactory(&control)) || control == nullptr) {
        return false;
    }
    const HRESULT asked = control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pObject));
    control->Release();
    if (FAILED(asked) || m_pObject == nullptr || !Activate(webWindow->GetSafeHwnd(), rect, id) || !Advise(webWindow)) {
        Close();
        return false;
    }
    return true;
}

bool CKxBrowserHost::Activate(HWND container, const RECT& rect, UINT id)
{
    m_pSite = new CKxControlSite(container, rect);
    auto* clientSite = static_cast<IOleClientSite*>(m_pSite);
    if (FAILED(m_pObject->SetClientSite(clientSite))) {
        return false;
    }
    RECT position = rect;
    if (FAILED(m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, container, &position))) {
        return false;
    }
    if (FAILED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_pInPlace))) ||
        m_pInPlace == nullptr) {
        return false;
    }
    if (SUCCEEDED(m_pInPlace->GetWindow(&m_hControl)) && m_hControl != nullptr) {
        ::SetWindowLongPtrW(m_hControl, GWLP_ID, static_cast<LONG_PTR>(id));
    }
    return true;
}

bool CKxBrowserHost::Advise(CWebCtrlWnd* webWindow)
{
    IConnectionPointContainer* points = nullptr;
    if (FAILED(m_pObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points))) ||
        points == nullptr) {
        return false;
    }
    const HRESULT found = points->FindConnectionPoint(DIID_DWebBrowserEvents2, &m_pConnection);
    points->Release();
    if (FAILED(found) || m_pConnection == nullptr) {
        m_pConnection = nullptr;
        return false;
    }
    m_pSink = new CKxBrowserEventSink(webWindow);
    if (FAILED(m_pConnection->Advise(static_cast<IDispatch*>(m_pSink), &m_dwCookie))) {
        m_dwCookie = 0;
        return false;
    }
    return true;
}

void CKxBrowserHost::Close()
{
    if (m_pSink != nullptr) {
        m_pSink->Detach();
    }
    if (m_pConnection != nullptr && m_dwCookie != 0) {
        m_pConnection->Unadvise(m_dwCookie);
    }
    m_dwCookie = 0;
    ReleaseAndClear(m_pConnection);
    ReleaseAndClear(m_pSink);
    if (m_pInPlace != nullptr) {
        m_pInPlace->InPlaceDeactivate();
    }
    ReleaseAndClear(m_pInPlace);
    if (m_pObject != nullptr) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
    }
    ReleaseAndClear(m_pObject);
    if (m_pSite != nullptr) {
        m_pSite->Detach();
    }
    ReleaseAndClear(m_pSite);
    m_hControl = nullptr;
}

IWebBrowser2* CKxBrowserHost::QueryBrowser() const
{
    IWebBrowser2* browser = nullptr;
    if (m_pObject == nullptr ||
        FAILED(m_pObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
        return nullptr;
    }
    return browser;
}

void CKxBrowserHost::Move(const RECT& rect)
{
    if (m_pSite != nullptr) {
        m_pSite->SetRect(rect);
    }
    if (m_pInPlace != nullptr) {
        m_pInPlace->SetObjectRects(&rect, &rect);
    }
}

HRESULT CKxBrowserHost::TranslateAccelerator(MSG* msg) const
{
    if (m_pObject == nullptr || msg == nullptr) {
        return S_FALSE;
    }
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(m_pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) ||
        active == nullptr) {
        return S_FALSE;
    }
    const HRESULT answer = active->TranslateAccelerator(msg);
    active->Release();
    return answer;
}
