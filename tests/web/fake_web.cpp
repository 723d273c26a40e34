// The fake browser and documents. This file sees the interfaces as C vtables, so that each fake
// fills in only the methods the web window uses; every other method answers E_NOTIMPL.
#define CINTERFACE
#define COBJMACROS
#include "fake_web.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ole2.h>

#include <util/webhost.h>

namespace webtest {
namespace {

FakeWeb* g_current = nullptr;
int g_live = 0;

HRESULT STDMETHODCALLTYPE NotImplemented()
{
    return E_NOTIMPL;
}

// A vtable whose every method answers E_NOTIMPL until a fake sets it.
template <typename Vtbl>
Vtbl StubbedVtbl()
{
    Vtbl vtbl;
    void** slots = reinterpret_cast<void**>(&vtbl);
    for (size_t i = 0; i < sizeof(Vtbl) / sizeof(void*); ++i) {
        slots[i] = reinterpret_cast<void*>(&NotImplemented);
    }
    return vtbl;
}

class FakeObject;

// One interface of a fake object: the vtable pointer, then the object.
struct Face {
    const void* lpVtbl;
    FakeObject* owner;
};

class FakeObject {
public:
    FakeObject() { ++g_live; }
    virtual ~FakeObject() { --g_live; }

    ULONG AddRef() { return ++m_refs; }
    ULONG Release()
    {
        const ULONG refs = --m_refs;
        if (refs == 0) {
            delete this;
        }
        return refs;
    }
    HRESULT QueryInterface(REFIID iid, void** object)
    {
        *object = FaceOf(iid);
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

protected:
    virtual void* FaceOf(REFIID iid) = 0;

private:
    ULONG m_refs = 1;
};

template <typename Owner>
Owner* OwnerOf(const void* self)
{
    return static_cast<Owner*>(static_cast<const Face*>(self)->owner);
}

template <typename Interface>
HRESULT STDMETHODCALLTYPE FaceQueryInterface(Interface* self, REFIID iid, void** object)
{
    return static_cast<const Face*>(static_cast<void*>(self))->owner->QueryInterface(iid, object);
}
template <typename Interface>
ULONG STDMETHODCALLTYPE FaceAddRef(Interface* self)
{
    return static_cast<const Face*>(static_cast<void*>(self))->owner->AddRef();
}
template <typename Interface>
ULONG STDMETHODCALLTYPE FaceRelease(Interface* self)
{
    return static_cast<const Face*>(static_cast<void*>(self))->owner->Release();
}

template <typename Interface, typename Vtbl>
Vtbl UnknownVtbl()
{
    Vtbl vtbl = StubbedVtbl<Vtbl>();
    vtbl.QueryInterface = &FaceQueryInterface<Interface>;
    vtbl.AddRef = &FaceAddRef<Interface>;
    vtbl.Release = &FaceRelease<Interface>;
    return vtbl;
}

std::wstring TextOf(const VARIANT* value)
{
    if (value == nullptr) {
        return L"-";
    }
    if (value->vt == (VT_BYREF | VT_VARIANT)) {
        return TextOf(value->pvarVal);
    }
    if (value->vt == VT_EMPTY) {
        return L"-";
    }
    if (value->vt == (VT_ARRAY | VT_UI1)) {
        return L"bytes:" + std::to_wstring(value->parray->rgsabound[0].cElements);
    }
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(value), 0, VT_BSTR))) {
        return L"?";
    }
    std::wstring result = text.bstrVal != nullptr ? text.bstrVal : L"";
    VariantClear(&text);
    return result;
}

HRESULT AnswerText(BSTR* out, const std::wstring& text)
{
    *out = SysAllocString(text.c_str());
    return S_OK;
}

// ---- documents ----

class FakeDocument;

class FakeScript : public FakeObject {
public:
    explicit FakeScript(int document) : m_document(document) { m_face = {&Vtbl(), this}; }
    IDispatch* get() { return reinterpret_cast<IDispatch*>(&m_face); }

protected:
    void* FaceOf(REFIID iid) override { return iid == IID_IUnknown || iid == IID_IDispatch ? &m_face : nullptr; }

private:
    static const IDispatchVtbl& Vtbl()
    {
        static const IDispatchVtbl vtbl = [] {
            IDispatchVtbl v = UnknownVtbl<IDispatch, IDispatchVtbl>();
            v.GetIDsOfNames = &GetIDsOfNames;
            v.Invoke = &Invoke;
            return v;
        }();
        return vtbl;
    }
    const ScriptFunction* Function(DISPID id) const
    {
        const FakeDocumentSpec* spec = FakeWeb::Current()->Document(m_document);
        return spec != nullptr && id >= 1 && id <= static_cast<DISPID>(spec->functions.size())
                   ? &spec->functions[static_cast<size_t>(id - 1)]
                   : nullptr;
    }
    static HRESULT STDMETHODCALLTYPE GetIDsOfNames(IDispatch* self, REFIID, LPOLESTR* names, UINT count, LCID locale,
                                                   DISPID* ids)
    {
        FakeScript* script = OwnerOf<FakeScript>(self);
        script->m_locale = locale;
        const FakeDocumentSpec* spec = FakeWeb::Current()->Document(script->m_document);
        for (size_t i = 0; count == 1 && spec != nullptr && i < spec->functions.size(); ++i) {
            if (spec->functions[i].name == names[0]) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    static HRESULT STDMETHODCALLTYPE Invoke(IDispatch* self, DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                            VARIANT* result, EXCEPINFO* exception, UINT*)
    {
        FakeScript* script = OwnerOf<FakeScript>(self);
        const ScriptFunction* function = script->Function(id);
        if (function == nullptr || flags != DISPATCH_METHOD) {
            return DISP_E_MEMBERNOTFOUND;
        }
        ScriptCall call{script->m_document, function->name, {}, script->m_locale};
        for (UINT i = params->cArgs; i > 0; --i) {
            const VARIANT& argument = params->rgvarg[i - 1];
            call.arguments.push_back(argument.vt == VT_BSTR ? std::wstring(argument.bstrVal) : L"<not text>");
        }
        FakeWeb::Current()->scriptCalls.push_back(call);
        if (FAILED(function->result)) {
            exception->bstrDescription = SysAllocString(L"script error");
            return function->result;
        }
        if (result != nullptr) {
            VariantInit(result);
            if (function->answerType == VT_BSTR) {
                result->vt = VT_BSTR;
                result->bstrVal = SysAllocString(function->answer.c_str());
            } else {
                result->vt = VT_I4;
                result->lVal = 7;
            }
        }
        return S_OK;
    }

    Face m_face;
    int m_document;
    LCID m_locale = 0;
};

class FakeElement : public FakeObject {
public:
    FakeElement() { m_face = {&Vtbl(), this}; }
    IHTMLElement* get() { return reinterpret_cast<IHTMLElement*>(&m_face); }

protected:
    void* FaceOf(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLElement ? &m_face : nullptr;
    }

private:
    static const IHTMLElementVtbl& Vtbl()
    {
        static const IHTMLElementVtbl vtbl = [] {
            IHTMLElementVtbl v = UnknownVtbl<IHTMLElement, IHTMLElementVtbl>();
            v.put_innerHTML = [](IHTMLElement*, BSTR html) -> HRESULT {
                FakeWeb::Current()->calls.push_back(std::wstring(L"put_innerHTML ") + html);
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    Face m_face;
};

// A frame's window: frames collections hand these out.
class FakeFrameWindow : public FakeObject {
public:
    explicit FakeFrameWindow(int document) : m_document(document) { m_face = {&Vtbl(), this}; }
    IDispatch* get() { return reinterpret_cast<IDispatch*>(&m_face); }

protected:
    void* FaceOf(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLWindow2 ||
                       iid == IID_IHTMLFramesCollection2
                   ? &m_face
                   : nullptr;
    }

private:
    static const IHTMLWindow2Vtbl& Vtbl();
    Face m_face;
    int m_document;
};

class FakeFrames : public FakeObject {
public:
    explicit FakeFrames(int document) : m_document(document) { m_face = {&Vtbl(), this}; }
    IHTMLFramesCollection2* get() { return reinterpret_cast<IHTMLFramesCollection2*>(&m_face); }

protected:
    void* FaceOf(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLFramesCollection2 ? &m_face : nullptr;
    }

private:
    const std::vector<int>& Frames() const { return FakeWeb::Current()->Document(m_document)->frames; }
    static const IHTMLFramesCollection2Vtbl& Vtbl()
    {
        static const IHTMLFramesCollection2Vtbl vtbl = [] {
            IHTMLFramesCollection2Vtbl v = UnknownVtbl<IHTMLFramesCollection2, IHTMLFramesCollection2Vtbl>();
            v.get_length = [](IHTMLFramesCollection2* self, LONG* length) -> HRESULT {
                *length = static_cast<LONG>(OwnerOf<FakeFrames>(self)->Frames().size());
                return S_OK;
            };
            v.item = [](IHTMLFramesCollection2* self, VARIANT* index, VARIANT* result) -> HRESULT {
                const std::vector<int>& frames = OwnerOf<FakeFrames>(self)->Frames();
                if (index->vt != VT_I4 || index->lVal < 0 || index->lVal >= static_cast<LONG>(frames.size())) {
                    return E_INVALIDARG;
                }
                result->vt = VT_DISPATCH;
                result->pdispVal = (new FakeFrameWindow(frames[static_cast<size_t>(index->lVal)]))->get();
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    Face m_face;
    int m_document;
};

// Documents keep their identity while anything holds them, as a browser's do.
std::map<int, FakeDocument*> g_documents;

class FakeDocument : public FakeObject {
public:
    static IHTMLDocument2* Get(int document)
    {
        auto found = g_documents.find(document);
        if (found != g_documents.end()) {
            found->second->AddRef();
            return found->second->get();
        }
        return (new FakeDocument(document))->get();
    }
    IHTMLDocument2* get() { return reinterpret_cast<IHTMLDocument2*>(&m_document); }

protected:
    void* FaceOf(REFIID iid) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2) {
            return &m_document;
        }
        return iid == IID_IOleCommandTarget ? &m_commands : nullptr;
    }

private:
    explicit FakeDocument(int index) : m_index(index)
    {
        m_document = {&DocumentVtbl(), this};
        m_commands = {&CommandsVtbl(), this};
        g_documents[index] = this;
    }
    ~FakeDocument() override { g_documents.erase(m_index); }

    static const IHTMLDocument2Vtbl& DocumentVtbl()
    {
        static const IHTMLDocument2Vtbl vtbl = [] {
            IHTMLDocument2Vtbl v = UnknownVtbl<IHTMLDocument2, IHTMLDocument2Vtbl>();
            v.get_Script = [](IHTMLDocument2* self, IDispatch** script) -> HRESULT {
                *script = (new FakeScript(OwnerOf<FakeDocument>(self)->m_index))->get();
                return S_OK;
            };
            v.get_body = [](IHTMLDocument2*, IHTMLElement** body) -> HRESULT {
                *body = (new FakeElement)->get();
                return S_OK;
            };
            v.get_frames = [](IHTMLDocument2* self, IHTMLFramesCollection2** frames) -> HRESULT {
                *frames = (new FakeFrames(OwnerOf<FakeDocument>(self)->m_index))->get();
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    static const IOleCommandTargetVtbl& CommandsVtbl()
    {
        static const IOleCommandTargetVtbl vtbl = [] {
            IOleCommandTargetVtbl v = UnknownVtbl<IOleCommandTarget, IOleCommandTargetVtbl>();
            v.Exec = [](IOleCommandTarget*, const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT*) -> HRESULT {
                FakeWeb::Current()->calls.push_back(L"document Exec " + std::to_wstring(command) +
                                                    (group == nullptr ? L"" : L" group"));
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }

    Face m_document;
    Face m_commands;
    int m_index;
};

const IHTMLWindow2Vtbl& FakeFrameWindow::Vtbl()
{
    static const IHTMLWindow2Vtbl vtbl = [] {
        IHTMLWindow2Vtbl v = UnknownVtbl<IHTMLWindow2, IHTMLWindow2Vtbl>();
        v.get_document = [](IHTMLWindow2* self, IHTMLDocument2** document) -> HRESULT {
            *document = FakeDocument::Get(OwnerOf<FakeFrameWindow>(self)->m_document);
            return S_OK;
        };
        return v;
    }();
    return vtbl;
}

// ---- browser control ----

constexpr wchar_t kControlClass[] = L"FakeBrowserControl";
constexpr wchar_t kPageClass[] = L"Internet Explorer_Server";

void RegisterWindowClasses()
{
    static const bool registered = [] {
        for (const wchar_t* name : {kControlClass, kPageClass}) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = name;
            RegisterClassW(&windowClass);
        }
        return true;
    }();
    (void)registered;
}

class FakeBrowser : public FakeObject {
public:
    FakeBrowser()
    {
        m_object = {&ObjectVtbl(), this};
        m_inPlace = {&InPlaceVtbl(), this};
        m_active = {&ActiveVtbl(), this};
        m_browser = {&BrowserVtbl(), this};
        m_points = {&PointsVtbl(), this};
        m_point = {&PointVtbl(), this};
    }
    ~FakeBrowser() override
    {
        FakeWeb* web = FakeWeb::Current();
        SetSite(nullptr);
        DropSink();
        if (web->controlWindow != nullptr) {
            DestroyWindow(web->controlWindow);
            web->controlWindow = web->pageWindow = nullptr;
        }
    }
    IUnknown* get() { return reinterpret_cast<IUnknown*>(&m_object); }

protected:
    void* FaceOf(REFIID iid) override
    {
        const FakeWeb* web = FakeWeb::Current();
        if (iid == IID_IUnknown || iid == IID_IOleObject) {
            return &m_object;
        }
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
            return &m_inPlace;
        }
        if (iid == IID_IOleInPlaceActiveObject) {
            return &m_active;
        }
        if (web->offersWebBrowser2 &&
            (iid == IID_IDispatch || iid == IID_IWebBrowser2 || iid == IID_IWebBrowserApp || iid == IID_IWebBrowser)) {
            return &m_browser;
        }
        if (web->offersEvents && iid == IID_IConnectionPointContainer) {
            return &m_points;
        }
        return nullptr;
    }

private:
    static void Record(const std::wstring& call) { FakeWeb::Current()->calls.push_back(call); }

    static void SetSite(IOleClientSite* site)
    {
        FakeWeb* web = FakeWeb::Current();
        if (site != nullptr) {
            IOleClientSite_AddRef(site);
        }
        if (web->site != nullptr) {
            IOleClientSite_Release(web->site);
        }
        web->site = site;
    }
    static void DropSink()
    {
        FakeWeb* web = FakeWeb::Current();
        if (web->sink != nullptr) {
            IDispatch_Release(web->sink);
            web->sink = nullptr;
        }
    }

    static const IOleObjectVtbl& ObjectVtbl()
    {
        static const IOleObjectVtbl vtbl = [] {
            IOleObjectVtbl v = UnknownVtbl<IOleObject, IOleObjectVtbl>();
            v.SetClientSite = [](IOleObject*, IOleClientSite* site) -> HRESULT {
                Record(site != nullptr ? L"SetClientSite" : L"SetClientSite null");
                SetSite(site);
                return S_OK;
            };
            v.DoVerb = [](IOleObject*, LONG verb, MSG*, IOleClientSite* site, LONG, HWND parent,
                          LPCRECT rect) -> HRESULT {
                Record(L"DoVerb " + std::to_wstring(verb));
                FakeWeb* web = FakeWeb::Current();
                // As a control does: the in-place site gives the frame and the place.
                IOleInPlaceSite* inPlace = nullptr;
                if (FAILED(
                        IOleClientSite_QueryInterface(site, IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
                    return E_UNEXPECTED;
                }
                IOleInPlaceFrame* frame = nullptr;
                IOleInPlaceUIWindow* document = nullptr;
                RECT position{};
                RECT clip{};
                OLEINPLACEFRAMEINFO info{};
                info.cb = sizeof(info);
                const HRESULT context =
                    IOleInPlaceSite_GetWindowContext(inPlace, &frame, &document, &position, &clip, &info);
                IOleInPlaceSite_Release(inPlace);
                if (FAILED(context) || !EqualRect(&position, rect) || info.hwndFrame != parent) {
                    return E_UNEXPECTED;
                }
                IOleInPlaceFrame_Release(frame);
                RegisterWindowClasses();
                web->controlWindow = CreateWindowExW(0, kControlClass, L"", WS_CHILD | WS_VISIBLE, rect->left,
                                                     rect->top, rect->right - rect->left, rect->bottom - rect->top,
                                                     parent, nullptr, GetModuleHandleW(nullptr), nullptr);
                web->pageWindow = CreateWindowExW(0, kPageClass, L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                                  rect->right - rect->left, rect->bottom - rect->top,
                                                  web->controlWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
                web->objectRect = *rect;
                return S_OK;
            };
            v.Close = [](IOleObject*, DWORD) -> HRESULT {
                Record(L"Close");
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    static const IOleInPlaceObjectVtbl& InPlaceVtbl()
    {
        static const IOleInPlaceObjectVtbl vtbl = [] {
            IOleInPlaceObjectVtbl v = UnknownVtbl<IOleInPlaceObject, IOleInPlaceObjectVtbl>();
            v.GetWindow = [](IOleInPlaceObject*, HWND* window) -> HRESULT {
                *window = FakeWeb::Current()->controlWindow;
                return S_OK;
            };
            v.InPlaceDeactivate = [](IOleInPlaceObject*) -> HRESULT {
                Record(L"InPlaceDeactivate");
                return S_OK;
            };
            v.SetObjectRects = [](IOleInPlaceObject*, LPCRECT position, LPCRECT) -> HRESULT {
                FakeWeb* web = FakeWeb::Current();
                web->objectRect = *position;
                const int width = position->right - position->left;
                const int height = position->bottom - position->top;
                MoveWindow(web->controlWindow, position->left, position->top, width, height, TRUE);
                MoveWindow(web->pageWindow, 0, 0, width, height, TRUE);
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    static const IOleInPlaceActiveObjectVtbl& ActiveVtbl()
    {
        static const IOleInPlaceActiveObjectVtbl vtbl = [] {
            IOleInPlaceActiveObjectVtbl v = UnknownVtbl<IOleInPlaceActiveObject, IOleInPlaceActiveObjectVtbl>();
            v.TranslateAccelerator = [](IOleInPlaceActiveObject*, MSG* msg) -> HRESULT {
                Record(L"TranslateAccelerator " + std::to_wstring(msg->message));
                return FakeWeb::Current()->acceleratorAnswer;
            };
            return v;
        }();
        return vtbl;
    }
    static const IConnectionPointContainerVtbl& PointsVtbl()
    {
        static const IConnectionPointContainerVtbl vtbl = [] {
            IConnectionPointContainerVtbl v = UnknownVtbl<IConnectionPointContainer, IConnectionPointContainerVtbl>();
            v.FindConnectionPoint = [](IConnectionPointContainer* self, REFIID iid,
                                       IConnectionPoint** point) -> HRESULT {
                *point = nullptr;
                if (iid != DIID_DWebBrowserEvents2) {
                    return CONNECT_E_NOCONNECTION;
                }
                FakeBrowser* browser = OwnerOf<FakeBrowser>(self);
                browser->AddRef();
                *point = reinterpret_cast<IConnectionPoint*>(&browser->m_point);
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    static const IConnectionPointVtbl& PointVtbl()
    {
        static const IConnectionPointVtbl vtbl = [] {
            IConnectionPointVtbl v = UnknownVtbl<IConnectionPoint, IConnectionPointVtbl>();
            v.Advise = [](IConnectionPoint*, IUnknown* sink, DWORD* cookie) -> HRESULT {
                DropSink();
                IUnknown_QueryInterface(sink, IID_IDispatch, reinterpret_cast<void**>(&FakeWeb::Current()->sink));
                *cookie = 7;
                return S_OK;
            };
            v.Unadvise = [](IConnectionPoint*, DWORD cookie) -> HRESULT {
                Record(L"Unadvise " + std::to_wstring(cookie));
                DropSink();
                return S_OK;
            };
            return v;
        }();
        return vtbl;
    }
    static const IWebBrowser2Vtbl& BrowserVtbl();

    Face m_object;
    Face m_inPlace;
    Face m_active;
    Face m_browser;
    Face m_points;
    Face m_point;
};

#define RECORDED(method, text)                                                                                         \
    v.method = [](IWebBrowser2*) -> HRESULT {                                                                          \
        Record(text);                                                                                                  \
        return S_OK;                                                                                                   \
    }
#define ANSWERS(method, type, value)                                                                                   \
    v.method = [](IWebBrowser2*, type* out) -> HRESULT {                                                               \
        *out = value;                                                                                                  \
        return S_OK;                                                                                                   \
    }
#define STORES(method, type)                                                                                           \
    v.method = [](IWebBrowser2*, type value) -> HRESULT {                                                              \
        Record(std::wstring(L## #method L" ") + std::to_wstring(value));                                               \
        return S_OK;                                                                                                   \
    }

const IWebBrowser2Vtbl& FakeBrowser::BrowserVtbl()
{
    static const IWebBrowser2Vtbl vtbl = [] {
        IWebBrowser2Vtbl v = UnknownVtbl<IWebBrowser2, IWebBrowser2Vtbl>();
        RECORDED(GoBack, L"GoBack");
        RECORDED(GoForward, L"GoForward");
        RECORDED(GoHome, L"GoHome");
        RECORDED(GoSearch, L"GoSearch");
        RECORDED(Refresh, L"Refresh");
        RECORDED(Stop, L"Stop");
        ANSWERS(get_Left, LONG, 11);
        ANSWERS(get_Top, LONG, 22);
        ANSWERS(get_Height, LONG, 33);
        ANSWERS(get_Busy, VARIANT_BOOL, VARIANT_TRUE);
        ANSWERS(get_Offline, VARIANT_BOOL, VARIANT_FALSE);
        ANSWERS(get_ToolBar, int, 1);
        ANSWERS(get_ReadyState, READYSTATE, READYSTATE_INTERACTIVE);
        STORES(put_Visible, VARIANT_BOOL);
        STORES(put_Silent, VARIANT_BOOL);
        STORES(put_Height, LONG);
        STORES(put_ToolBar, int);
        v.get_LocationName = [](IWebBrowser2*, BSTR* name) { return AnswerText(name, L"行情首页"); };
        v.get_LocationURL = [](IWebBrowser2*, BSTR* url) { return AnswerText(url, FakeWeb::Current()->locationURL); };
        v.get_Document = [](IWebBrowser2*, IDispatch** document) -> HRESULT {
            *document = nullptr;
            if (FakeWeb::Current()->Document(0) == nullptr) {
                return S_FALSE;
            }
            *document = reinterpret_cast<IDispatch*>(FakeDocument::Get(0));
            return S_OK;
        };
        v.Navigate = [](IWebBrowser2*, BSTR url, VARIANT* flags, VARIANT* target, VARIANT* post,
                        VARIANT* headers) -> HRESULT {
            Record(std::wstring(L"Navigate ") + url + L" " + TextOf(flags) + L" " + TextOf(target) + L" " +
                   TextOf(post) + L" " + TextOf(headers));
            return S_OK;
        };
        v.Navigate2 = [](IWebBrowser2*, VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* post,
                         VARIANT* headers) -> HRESULT {
            Record(L"Navigate2 " + TextOf(url) + L" " + TextOf(flags) + L" " + TextOf(target) + L" " + TextOf(post) +
                   L" " + TextOf(headers));
            return S_OK;
        };
        v.Refresh2 = [](IWebBrowser2*, VARIANT* level) -> HRESULT {
            Record(L"Refresh2 " + TextOf(level));
            return S_OK;
        };
        v.QueryStatusWB = [](IWebBrowser2*, OLECMDID command, OLECMDF* status) -> HRESULT {
            const auto& answers = FakeWeb::Current()->commandStatus;
            const auto found = answers.find(command);
            *status = static_cast<OLECMDF>(found != answers.end() ? found->second : DWORD(OLECMDF_SUPPORTED));
            return S_OK;
        };
        v.ExecWB = [](IWebBrowser2*, OLECMDID command, OLECMDEXECOPT option, VARIANT*, VARIANT*) -> HRESULT {
            Record(L"ExecWB " + std::to_wstring(command) + L" " + std::to_wstring(option));
            return S_OK;
        };
        v.PutProperty = [](IWebBrowser2*, BSTR name, VARIANT value) -> HRESULT {
            Record(std::wstring(L"PutProperty ") + name + L" " + TextOf(&value));
            return S_OK;
        };
        v.GetProperty = [](IWebBrowser2*, BSTR name, VARIANT* value) -> HRESULT {
            if (std::wstring(name) != L"known") {
                return E_FAIL;
            }
            value->vt = VT_I4;
            value->lVal = 42;
            return S_OK;
        };
        return v;
    }();
    return vtbl;
}

#undef RECORDED
#undef ANSWERS
#undef STORES

HRESULT CreateFakeBrowser(IUnknown** control)
{
    const HRESULT result = FakeWeb::Current()->createResult;
    *control = SUCCEEDED(result) ? (new FakeBrowser)->get() : nullptr;
    return result;
}

} // namespace

FakeWeb::FakeWeb()
{
    g_current = this;
    KxSetBrowserFactory(&CreateFakeBrowser);
    KxEnableControlContainer();
}

FakeWeb::~FakeWeb()
{
    KxSetBrowserFactory(nullptr);
    g_current = nullptr;
}

int FakeWeb::LiveObjects()
{
    return g_live;
}

FakeWeb* FakeWeb::Current()
{
    return g_current;
}

int FakeWeb::AddDocument(FakeDocumentSpec spec)
{
    m_documents.push_back(std::move(spec));
    return static_cast<int>(m_documents.size() - 1);
}

const FakeDocumentSpec* FakeWeb::Document(int index) const
{
    return index >= 0 && index < static_cast<int>(m_documents.size()) ? &m_documents[static_cast<size_t>(index)]
                                                                      : nullptr;
}

HRESULT FakeWeb::Fire(DISPID id, std::vector<VARIANT> arguments) const
{
    if (sink == nullptr) {
        return E_UNEXPECTED;
    }
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const HRESULT result = IDispatch_Invoke(sink, id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (VARIANT& argument : arguments) {
        VariantClear(&argument);
    }
    return result;
}

IDispatch* FakeWeb::AskExternal() const
{
    IDocHostUIHandler* handler = nullptr;
    if (site == nullptr ||
        FAILED(IOleClientSite_QueryInterface(site, IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)))) {
        return nullptr;
    }
    IDispatch* external = nullptr;
    const HRESULT asked = IDocHostUIHandler_GetExternal(handler, &external);
    IDocHostUIHandler_Release(handler);
    return SUCCEEDED(asked) ? external : nullptr;
}

VARIANT Text(const wchar_t* text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    return value;
}
VARIANT Number(long number)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}
VARIANT Flag(bool flag)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}
VARIANT ByRef(VARIANT* target)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BYREF | VT_VARIANT;
    value.pvarVal = target;
    return value;
}
VARIANT CancelRef(VARIANT_BOOL* cancel)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BYREF | VT_BOOL;
    value.pboolVal = cancel;
    return value;
}
VARIANT DispatchRef(IDispatch** dispatch)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BYREF | VT_DISPATCH;
    value.ppdispVal = dispatch;
    return value;
}
VARIANT Dispatch(IDispatch* dispatch)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DISPATCH;
    value.pdispVal = dispatch;
    return value;
}

} // namespace webtest
