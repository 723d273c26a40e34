// CWebCtrlWnd: creation, navigation, browser events, documents and the script bridge.
#include <util/webctrl.h>

#include <exdispid.h>
#include <mshtml.h>
#include <shlobj.h>

#include <iterator>

#include <util/drawfun.h>
#include <util/module.h>

#include "resources/resource.h"
#include "web/browserhost.h"
#include "web/clipboardtext.h"
#include "web/comvalue.h"
#include "web/scriptbridge.h"

namespace {

constexpr LCID kScriptLocale = LOCALE_SYSTEM_DEFAULT; // 0x800
constexpr wchar_t kBlankPage[] = L"about:blank";

template <typename Interface>
void ReleaseAndClear(Interface*& pointer)
{
    if (pointer != nullptr) {
        pointer->Release();
        pointer = nullptr;
    }
}

// The arguments of a browser event in their declared order (DISPPARAMS holds them last first).
class EventArguments {
public:
    explicit EventArguments(const DISPPARAMS& params) : m_params(params) {}

    UINT Count() const { return m_params.cArgs; }
    // The argument itself, through one VT_BYREF | VT_VARIANT; null when missing.
    VARIANT* At(UINT index) const
    {
        if (index >= m_params.cArgs || m_params.rgvarg == nullptr) {
            return nullptr;
        }
        VARIANT* argument = &m_params.rgvarg[m_params.cArgs - 1 - index];
        if (argument->vt == (VT_BYREF | VT_VARIANT) && argument->pvarVal != nullptr) {
            argument = argument->pvarVal;
        }
        return argument;
    }
    CString Text(UINT index) const
    {
        VARIANT* argument = At(index);
        CKxVariant text;
        if (argument == nullptr || FAILED(::VariantChangeType(text.get(), argument, 0, VT_BSTR))) {
            return CString();
        }
        return CString(text.value().bstrVal);
    }
    long Number(UINT index) const
    {
        VARIANT* argument = At(index);
        CKxVariant number;
        if (argument == nullptr || FAILED(::VariantChangeType(number.get(), argument, 0, VT_I4))) {
            return 0;
        }
        return number.value().lVal;
    }
    BOOL Flag(UINT index) const
    {
        VARIANT* argument = At(index);
        CKxVariant flag;
        if (argument == nullptr || FAILED(::VariantChangeType(flag.get(), argument, 0, VT_BOOL))) {
            return FALSE;
        }
        return flag.value().boolVal != VARIANT_FALSE;
    }
    VARIANT_BOOL* CancelFlag(UINT index) const
    {
        VARIANT* argument = At(index);
        return argument != nullptr && argument->vt == (VT_BYREF | VT_BOOL) ? argument->pboolVal : nullptr;
    }
    IDispatch** DispatchOut(UINT index) const
    {
        VARIANT* argument = At(index);
        return argument != nullptr && argument->vt == (VT_BYREF | VT_DISPATCH) ? argument->ppdispVal : nullptr;
    }
    IDispatch* Dispatch(UINT index) const
    {
        VARIANT* argument = At(index);
        return argument != nullptr && argument->vt == VT_DISPATCH ? argument->pdispVal : nullptr;
    }

private:
    const DISPPARAMS& m_params;
};

// A browser's VARIANT_BOOL cancel flag seen as a BOOL for the length of a handler.
class CancelFlag {
public:
    explicit CancelFlag(VARIANT_BOOL* flag) : m_flag(flag), m_value(flag != nullptr && *flag != VARIANT_FALSE) {}
    ~CancelFlag()
    {
        if (m_flag != nullptr) {
            *m_flag = m_value ? VARIANT_TRUE : VARIANT_FALSE;
        }
    }
    CancelFlag(const CancelFlag&) = delete;
    CancelFlag& operator=(const CancelFlag&) = delete;
    BOOL* get() { return &m_value; }

private:
    VARIANT_BOOL* m_flag;
    BOOL m_value;
};

// Post data as the browser gives it: a byte array, possibly by reference.
void CopyPostData(const VARIANT* data, CByteArray* bytes)
{
    if (data == nullptr) {
        return;
    }
    SAFEARRAY* array = nullptr;
    if (data->vt == (VT_ARRAY | VT_UI1)) {
        array = data->parray;
    } else if (data->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && data->pparray != nullptr) {
        array = *data->pparray;
    }
    LONG lower = 0;
    LONG upper = -1;
    void* raw = nullptr;
    if (array == nullptr || FAILED(::SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(::SafeArrayGetUBound(array, 1, &upper)) || upper < lower || FAILED(::SafeArrayAccessData(array, &raw))) {
        return;
    }
    bytes->SetSize(upper - lower + 1);
    memcpy(bytes->GetData(), raw, static_cast<size_t>(bytes->GetSize()));
    ::SafeArrayUnaccessData(array);
}

bool IsSameObject(IUnknown* first, IUnknown* second)
{
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    const bool same = SUCCEEDED(first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a))) &&
                      SUCCEEDED(second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b))) && a == b;
    ReleaseAndClear(a);
    ReleaseAndClear(b);
    return same;
}

// The documents of a page: the top one, then level by level those of every frame, each once. Holds a
// reference to each.
class PageDocuments {
public:
    explicit PageDocuments(IHTMLDocument2* top)
    {
        Add(top);
        for (size_t next = 0; next < m_documents.size(); ++next) {
            AddFrames(m_documents[next]);
        }
    }
    ~PageDocuments()
    {
        for (IHTMLDocument2* document : m_documents) {
            document->Release();
        }
    }
    PageDocuments(const PageDocuments&) = delete;
    PageDocuments& operator=(const PageDocuments&) = delete;

    const std::vector<IHTMLDocument2*>& get() const { return m_documents; }

private:
    void Add(IHTMLDocument2* document)
    {
        for (IHTMLDocument2* known : m_documents) {
            if (IsSameObject(known, document)) {
                return;
            }
        }
        document->AddRef();
        m_documents.push_back(document);
    }

    void AddFrames(IHTMLDocument2* document)
    {
        IHTMLFramesCollection2* frames = nullptr;
        long count = 0;
        if (FAILED(document->get_frames(&frames)) || frames == nullptr || FAILED(frames->get_length(&count))) {
            ReleaseAndClear(frames);
            return;
        }
        for (long index = 0; index < count; ++index) {
            CKxVariant position;
            CKxVariant::Number(position, index);
            CKxVariant frame;
            if (FAILED(frames->item(position.get(), frame.get())) || frame.value().vt != VT_DISPATCH ||
                frame.value().pdispVal == nullptr) {
                continue;
            }
            IHTMLWindow2* window = nullptr;
            IHTMLDocument2* inner = nullptr;
            if (SUCCEEDED(
                    frame.value().pdispVal->QueryInterface(IID_IHTMLWindow2, reinterpret_cast<void**>(&window))) &&
                window != nullptr && SUCCEEDED(window->get_document(&inner)) && inner != nullptr) {
                Add(inner);
            }
            ReleaseAndClear(inner);
            ReleaseAndClear(window);
        }
        frames->Release();
    }

    std::vector<IHTMLDocument2*> m_documents;
};

// Finds a global script function by name in one of the documents: its script object (with a
// reference) and dispatch id.
IDispatch* FindScriptFunction(const PageDocuments& documents, const wchar_t* name, DISPID* id)
{
    CKxBstr functionName(name);
    LPOLESTR names[] = {functionName};
    for (IHTMLDocument2* document : documents.get()) {
        IDispatch* script = nullptr;
        if (FAILED(document->get_Script(&script)) || script == nullptr) {
            continue;
        }
        if (SUCCEEDED(script->GetIDsOfNames(IID_NULL, names, 1, kScriptLocale, id))) {
            return script;
        }
        script->Release();
    }
    return nullptr;
}

void ClearException(EXCEPINFO* exception)
{
    ::SysFreeString(exception->bstrSource);
    ::SysFreeString(exception->bstrDescription);
    ::SysFreeString(exception->bstrHelpFile);
}

} // namespace

// ---- life ----

CWebCtrlWnd::CWebCtrlWnd() = default;

CWebCtrlWnd::~CWebCtrlWnd()
{
    // While the members that the last messages use still live.
    DestroyWindow();
    ReleaseAndClear(m_pBrowserApp);
}

CWebCtrlWnd* CWebCtrlWnd::CreateObject()
{
    return new CWebCtrlWnd;
}

BOOL CWebCtrlWnd::Create(const wchar_t*, const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent,
                         UINT id, CCreateContext* context)
{
    if (!CKxBaseWnd::Create(windowName, style, rect, parent, id, context)) {
        return FALSE;
    }
    m_pHost = std::make_unique<CKxBrowserHost>();
    if (m_pHost->Open(this, GetBrowserRect(), BROWSER_ID)) {
        m_pBrowserApp = m_pHost->QueryBrowser();
    }
    if (m_pBrowserApp == nullptr) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void CWebCtrlWnd::OnDestroy()
{
    ReleaseAndClear(m_pBrowserApp);
    if (m_pHost) {
        m_pHost->Close();
    }
    CKxJSCallBackRegistry::DeleteWindow(m_hWnd);
    CKxBaseWnd::OnDestroy();
}

LRESULT CWebCtrlWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KX_WEB_OPENPENDING) {
        Navigate(m_strPendingURL);
        return 0;
    }
    if (message == WM_PRINTCLIENT && m_bToolBarVisible) {
        const CRect strip = GetToolBarRect();
        KXDRAWFUN::FillSolidRect(reinterpret_cast<HDC>(wParam), &strip, m_crTBBk);
        PaintButtons(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return CKxBaseWnd::WindowProc(message, wParam, lParam);
}

BOOL CWebCtrlWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0) {
        switch (LOWORD(wParam)) {
        case ID_EDIT_COPY:
            OnEditCopy();
            return TRUE;
        case ID_EDIT_SELECT_ALL:
            OnEditSelectAll();
            return TRUE;
        case ID_FILE_PRINT:
            OnFilePrint();
            return TRUE;
        default:
            break;
        }
    }
    return CKxBaseWnd::OnCommand(wParam, lParam);
}

// ---- navigation ----

void CWebCtrlWnd::RememberHome(const wchar_t* url)
{
    if (m_strHomeURL.IsEmpty() && url != nullptr) {
        m_strHomeURL = url;
    }
}

// The optional arguments of a navigation, as the browser takes them.
class CWebCtrlWnd::NavigateArguments {
public:
    NavigateArguments(DWORD flags, const wchar_t* targetFrame, const wchar_t* headers, const void* postData,
                      DWORD postDataLength)
    {
        CKxVariant::Number(m_flags, static_cast<long>(flags));
        CKxVariant::Text(m_target, targetFrame);
        CKxVariant::Text(m_headers, headers);
        CKxVariant::Bytes(m_postData, postData, postDataLength);
    }

    CKxVariant m_flags;
    CKxVariant m_target;
    CKxVariant m_headers;
    CKxVariant m_postData;
};

void CWebCtrlWnd::Navigate(const wchar_t* url, DWORD flags, const wchar_t* targetFrame, const wchar_t* headers,
                           const void* postData, DWORD postDataLength)
{
    if (url == nullptr) {
        return;
    }
    RememberHome(url);
    if (m_pBrowserApp != nullptr) {
        NavigateArguments more(flags, targetFrame, headers, postData, postDataLength);
        m_pBrowserApp->Navigate(CKxBstr(url), more.m_flags.get(), more.m_target.get(), more.m_postData.get(),
                                more.m_headers.get());
    }
}

void CWebCtrlWnd::Navigate2(const wchar_t* url, DWORD flags, const wchar_t* targetFrame, const wchar_t* headers,
                            const void* postData, DWORD postDataLength)
{
    if (url == nullptr) {
        return;
    }
    RememberHome(url);
    CKxVariant target;
    CKxVariant::Text(target, url);
    NavigateArguments more(flags, targetFrame, headers, postData, postDataLength);
    Navigate2To(target, more);
}

void CWebCtrlWnd::Navigate2(const wchar_t* url, DWORD flags, const CByteArray& postData, const wchar_t* targetFrame,
                            const wchar_t* headers)
{
    Navigate2(url, flags, targetFrame, headers, postData.GetData(), static_cast<DWORD>(postData.GetSize()));
}

void CWebCtrlWnd::Navigate2(LPCITEMIDLIST itemIdList, DWORD flags, const wchar_t* targetFrame)
{
    if (itemIdList == nullptr) {
        return;
    }
    CKxVariant target;
    CKxVariant::Bytes(target, itemIdList, ::ILGetSize(itemIdList));
    NavigateArguments more(flags, targetFrame, nullptr, nullptr, 0);
    Navigate2To(target, more);
}

void CWebCtrlWnd::Navigate2To(CKxVariant& target, NavigateArguments& more)
{
    if (m_pBrowserApp != nullptr && target.value().vt != VT_EMPTY) {
        m_pBrowserApp->Navigate2(target.get(), more.m_flags.get(), more.m_target.get(), more.m_postData.get(),
                                 more.m_headers.get());
    }
}

BOOL CWebCtrlWnd::LoadFromResource(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(AfxGetResourceHandle(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return FALSE; // a cut path would name another file
    }
    CString url;
    url.Format(L"res://%s/%s", path, name != nullptr ? name : L"");
    Navigate(url);
    return TRUE;
}

BOOL CWebCtrlWnd::LoadFromResource(UINT id)
{
    CString name;
    name.Format(L"%d", id);
    return LoadFromResource(name);
}

// ---- documents ----

IHTMLDocument2* CWebCtrlWnd::QueryDocument() const
{
    IDispatch* dispatch = GetHtmlDocument();
    IHTMLDocument2* document = nullptr;
    if (dispatch != nullptr) {
        if (FAILED(dispatch->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&document)))) {
            document = nullptr;
        }
        dispatch->Release();
    }
    return document;
}

void CWebCtrlWnd::SetHtml(const wchar_t* html)
{
    if (html == nullptr) {
        return;
    }
    IHTMLDocument2* document = QueryDocument();
    if (document == nullptr) {
        return;
    }
    IHTMLElement* body = nullptr;
    if (SUCCEEDED(document->get_body(&body)) && body != nullptr) {
        body->put_innerHTML(CKxBstr(html));
        body->Release();
    }
    document->Release();
}

void CWebCtrlWnd::ExecCommand(OLECMDID command) const
{
    if (m_pBrowserApp != nullptr) {
        m_pBrowserApp->ExecWB(command, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr);
    }
}

BOOL CWebCtrlWnd::IsCommandEnabled(OLECMDID command) const
{
    return (QueryStatusWB(command) & OLECMDF_ENABLED) != 0 ? TRUE : FALSE;
}

void CWebCtrlWnd::OnEditCut()
{
    ExecCommand(OLECMDID_CUT);
}
void CWebCtrlWnd::OnEditCopy()
{
    ExecCommand(OLECMDID_COPY);
}
void CWebCtrlWnd::OnEditPaste()
{
    ExecCommand(OLECMDID_PASTE);
}
void CWebCtrlWnd::OnEditSelectAll()
{
    ExecCommand(OLECMDID_SELECTALL);
}
BOOL CWebCtrlWnd::IsCutEnabled() const
{
    return IsCommandEnabled(OLECMDID_CUT);
}
BOOL CWebCtrlWnd::IsCopyEnabled() const
{
    return IsCommandEnabled(OLECMDID_COPY);
}
BOOL CWebCtrlWnd::IsPasteEnabled() const
{
    return IsCommandEnabled(OLECMDID_PASTE);
}

void CWebCtrlWnd::PrintDocument(DWORD command)
{
    IDispatch* document = GetHtmlDocument();
    if (document == nullptr) {
        return;
    }
    IOleCommandTarget* target = nullptr;
    if (SUCCEEDED(document->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target))) &&
        target != nullptr) {
        target->Exec(nullptr, command, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
        target->Release();
    }
    document->Release();
}

void CWebCtrlWnd::OnFilePrint()
{
    PrintDocument(OLECMDID_PRINT);
}
void CWebCtrlWnd::OnFilePrintPreview()
{
    PrintDocument(OLECMDID_PRINTPREVIEW);
}

int CWebCtrlWnd::IsEditMessage()
{
    KxEnsureClipboardText(m_hWnd);
    return IsPasteEnabled();
}

// ---- script bridge ----

int CWebCtrlWnd::AddJSCallBackFunc(const CString& name, JSCallBack function, long context)
{
    if (!IsWindow()) {
        return 0;
    }
    CKxJSCallBackRegistry::Add(name, m_hWnd, function, context);
    return 1;
}

void CWebCtrlWnd::DeleteJSCallBackFunc(const CString& name, JSCallBack function, long context)
{
    if (IsWindow()) {
        CKxJSCallBackRegistry::Delete(name, m_hWnd, function, context);
    }
}

int CWebCtrlWnd::CallJScript(const CString& functionName, const CStringArray& arguments, CString& result)
{
    IHTMLDocument2* top = QueryDocument();
    if (top == nullptr) {
        return 0;
    }
    const PageDocuments documents(top);
    top->Release();
    DISPID id = DISPID_UNKNOWN;
    IDispatch* script = FindScriptFunction(documents, functionName, &id);
    if (script == nullptr) {
        return 0;
    }
    const INT_PTR count = arguments.GetSize();
    std::vector<VARIANT> values(static_cast<size_t>(count));
    for (INT_PTR i = 0; i < count; ++i) {
        VARIANT& value = values[static_cast<size_t>(count - 1 - i)]; // the last argument first
        ::VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(arguments[i]);
    }
    DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(count), 0};
    CKxVariant answer;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT called =
        script->Invoke(id, IID_NULL, kScriptLocale, DISPATCH_METHOD, &params, answer.get(), &exception, &badArgument);
    script->Release();
    for (VARIANT& value : values) {
        ::VariantClear(&value);
    }
    ClearException(&exception);
    if (FAILED(called)) {
        return 0;
    }
    if (answer.value().vt == VT_BSTR) {
        result = answer.value().bstrVal;
    } else {
        result.Empty();
    }
    return 1;
}

// ---- browser events ----

HRESULT CWebCtrlWnd::OnBrowserEvent(DISPID id, DISPPARAMS* params)
{
    const EventArguments args(*params);
    switch (id) {
    case DISPID_STATUSTEXTCHANGE:
        OnStatusTextChange(args.Text(0));
        break;
    case DISPID_PROGRESSCHANGE:
        OnProgressChange(args.Number(0), args.Number(1));
        break;
    case DISPID_COMMANDSTATECHANGE:
        OnCommandStateChange(args.Number(0), args.Flag(1));
        break;
    case DISPID_DOWNLOADBEGIN:
        OnDownloadBegin();
        break;
    case DISPID_DOWNLOADCOMPLETE:
        OnDownloadComplete();
        break;
    case DISPID_TITLECHANGE:
        OnTitleChange(args.Text(0));
        break;
    case DISPID_PROPERTYCHANGE:
        OnPropertyChange(args.Text(0));
        break;
    case DISPID_NAVIGATECOMPLETE2:
        OnNavigateComplete2(args.Text(1));
        break;
    case DISPID_BEFORENAVIGATE2:
        BeforeNavigate(params);
        break;
    case DISPID_NEWWINDOW2: {
        CancelFlag cancel(args.CancelFlag(1));
        OnNewWindow2(args.DispatchOut(0), cancel.get());
        break;
    }
    case DISPID_DOCUMENTCOMPLETE:
        OnDocumentComplete(args.Text(1));
        break;
    case DISPID_ONQUIT:
        OnQuit();
        break;
    case DISPID_ONVISIBLE:
        OnVisible(args.Flag(0));
        break;
    case DISPID_ONTOOLBAR:
        OnToolBar(args.Flag(0));
        break;
    case DISPID_ONMENUBAR:
        OnMenuBar(args.Flag(0));
        break;
    case DISPID_ONSTATUSBAR:
        OnStatusBar(args.Flag(0));
        break;
    case DISPID_ONFULLSCREEN:
        OnFullScreen(args.Flag(0));
        break;
    case DISPID_ONTHEATERMODE:
        OnTheaterMode(args.Flag(0));
        break;
    case DISPID_NEWWINDOW3: {
        CancelFlag cancel(args.CancelFlag(1));
        OnNewWindow(args.DispatchOut(0), cancel.get(), static_cast<DWORD>(args.Number(2)), args.Text(3), args.Text(4));
        break;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

void CWebCtrlWnd::BeforeNavigate(DISPPARAMS* params)
{
    const EventArguments args(*params);
    if (args.Count() != 7) {
        return;
    }
    tagBeforeNavigateArgs raw{args.Dispatch(0),   &params->rgvarg[5], &params->rgvarg[4], &params->rgvarg[3],
                              &params->rgvarg[2], &params->rgvarg[1], args.CancelFlag(6)};
    for (VARIANT** field : {&raw.pvURL, &raw.pvFlags, &raw.pvTargetFrameName, &raw.pvPostData, &raw.pvHeaders}) {
        if ((*field)->vt == (VT_BYREF | VT_VARIANT)) {
            *field = (*field)->pvarVal;
        }
    }
    CWnd* parent = GetParent();
    if (parent != nullptr && parent->SendMessage(WM_KX_WEB_BEFORENAVIGATE, reinterpret_cast<WPARAM>(m_hWnd),
                                                 reinterpret_cast<LPARAM>(&raw)) != 0) {
        // The parent took the navigation over: the browser must not go on with it.
        if (raw.pbCancel != nullptr) {
            *raw.pbCancel = VARIANT_TRUE;
        }
        return;
    }
    CByteArray postData;
    CopyPostData(args.At(4), &postData);
    CancelFlag cancel(raw.pbCancel);
    OnBeforeNavigate2(args.Text(1), static_cast<DWORD>(args.Number(2)), args.Text(3), postData, args.Text(5),
                      cancel.get());
}

void CWebCtrlWnd::NotifyParent(DWORD event, void* const* args)
{
    CWnd* parent = GetParent();
    if (parent == nullptr) {
        return;
    }
    tagWebNotify notify{};
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    notify.hdr.code = KXWN_BROWSEREVENT;
    notify.dwEvent = event;
    notify.args = args;
    parent->SendMessage(WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
}

const wchar_t* CWebCtrlWnd::PostedTexts::Keep(const wchar_t* text)
{
    CString& slot = m_texts[m_next];
    m_next = (m_next + 1) % static_cast<int>(std::size(m_texts));
    slot = text;
    return slot;
}

void CWebCtrlWnd::PostToParent(UINT message, LPARAM lParam)
{
    CWnd* parent = GetParent();
    if (parent != nullptr) {
        parent->PostMessage(message, reinterpret_cast<WPARAM>(m_hWnd), lParam);
    }
}

void CWebCtrlWnd::OnStatusTextChange(const wchar_t* text)
{
    void* const args[] = {const_cast<wchar_t*>(text)};
    NotifyParent(DISPID_STATUSTEXTCHANGE, args);
}

void CWebCtrlWnd::OnProgressChange(long progress, long progressMax)
{
    void* const args[] = {&progress, &progressMax};
    NotifyParent(DISPID_PROGRESSCHANGE, args);
}

void CWebCtrlWnd::OnDownloadBegin()
{
    NotifyParent(DISPID_DOWNLOADBEGIN);
}

void CWebCtrlWnd::OnDownloadComplete()
{
    PostToParent(WM_KX_WEB_COMPLETE, 0);
    NotifyParent(DISPID_DOWNLOADCOMPLETE);
}

void CWebCtrlWnd::OnTitleChange(const wchar_t* title)
{
    void* const args[] = {const_cast<wchar_t*>(title)};
    NotifyParent(DISPID_TITLECHANGE, args);
}

void CWebCtrlWnd::OnPropertyChange(const wchar_t* property)
{
    void* const args[] = {const_cast<wchar_t*>(property)};
    NotifyParent(DISPID_PROPERTYCHANGE, args);
}

void CWebCtrlWnd::OnNavigateComplete2(const wchar_t* url)
{
    // Frames complete too; only the page's own address counts.
    const CString location = GetLocationURL();
    if (location.IsEmpty() || location.CompareNoCase(kBlankPage) == 0 || location.CompareNoCase(url) != 0) {
        return;
    }
    PostToParent(WM_KX_WEB_NAVIGATED, reinterpret_cast<LPARAM>(m_navigatedURLs.Keep(url)));
    void* const args[] = {const_cast<wchar_t*>(url)};
    NotifyParent(DISPID_NAVIGATECOMPLETE2, args);
}

void CWebCtrlWnd::OnBeforeNavigate2(const wchar_t* url, DWORD flags, const wchar_t* targetFrame,
                                    const CByteArray& postData, const wchar_t* headers, BOOL* cancel)
{
    *cancel = FALSE;
    void* const args[] = {const_cast<wchar_t*>(url),         &flags,
                          const_cast<wchar_t*>(targetFrame), const_cast<CByteArray*>(&postData),
                          const_cast<wchar_t*>(headers),     cancel};
    NotifyParent(DISPID_BEFORENAVIGATE2, args);
}

void CWebCtrlWnd::OnNewWindow2(LPDISPATCH* dispatch, BOOL* cancel)
{
    void* const args[] = {dispatch, cancel};
    NotifyParent(DISPID_NEWWINDOW2, args);
}

void CWebCtrlWnd::OnDocumentComplete(const wchar_t* url)
{
    if (::GetFocus() == m_hWnd) {
        FocusPage();
    }
    PostToParent(WM_KX_WEB_COMPLETE, reinterpret_cast<LPARAM>(m_completedURLs.Keep(url)));
    void* const args[] = {const_cast<wchar_t*>(url)};
    NotifyParent(DISPID_DOCUMENTCOMPLETE, args);
}

void CWebCtrlWnd::OnQuit()
{
    NotifyParent(DISPID_ONQUIT);
}

#define KX_FLAG_EVENT(Operation, Event)                                                                                \
    void CWebCtrlWnd::Operation(BOOL flag)                                                                             \
    {                                                                                                                  \
        void* const args[] = {&flag};                                                                                  \
        NotifyParent(Event, args);                                                                                     \
    }
KX_FLAG_EVENT(OnVisible, DISPID_ONVISIBLE)
KX_FLAG_EVENT(OnToolBar, DISPID_ONTOOLBAR)
KX_FLAG_EVENT(OnMenuBar, DISPID_ONMENUBAR)
KX_FLAG_EVENT(OnStatusBar, DISPID_ONSTATUSBAR)
KX_FLAG_EVENT(OnFullScreen, DISPID_ONFULLSCREEN)
KX_FLAG_EVENT(OnTheaterMode, DISPID_ONTHEATERMODE)
#undef KX_FLAG_EVENT

void CWebCtrlWnd::OnNewWindow(LPDISPATCH*, BOOL* cancel, DWORD, const wchar_t*, const wchar_t* url)
{
    if (!m_bToolBarVisible) {
        return;
    }
    *cancel = TRUE;
    m_strPendingURL = url;
    PostMessage(WM_KX_WEB_OPENPENDING, reinterpret_cast<WPARAM>(m_hWnd));
}
