// Page script calling the client: window.external.kxC.r / .c and the registry of host functions.
#include "web/scriptbridge.h"

#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

constexpr wchar_t kAllName[] = L"ALL";

struct Entry {
    long context;
    HWND window;
    JSCallBack function;

    bool operator<(const Entry& other) const
    {
        return std::make_tuple(context, window, function) <
               std::make_tuple(other.context, other.window, other.function);
    }
};

using Registry = std::map<std::wstring, std::set<Entry>>;

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

std::wstring UpperName(const wchar_t* name)
{
    std::wstring upper = name != nullptr ? name : L"";
    if (!upper.empty()) {
        ::CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    }
    return upper;
}

void CollectEntries(const std::wstring& name, HWND window, std::vector<Entry>* entries)
{
    const Registry& registry = TheRegistry();
    const auto found = registry.find(name);
    if (found == registry.end()) {
        return;
    }
    for (const Entry& entry : found->second) {
        if (entry.window == window) {
            entries->push_back(entry);
        }
    }
}

HRESULT RefuseTypeInfo(UINT* count)
{
    if (count != nullptr) {
        *count = 0;
    }
    return E_NOTIMPL;
}

// One argument of a script call as text: null when missing or not convertible to a string.
class ScriptArgument {
public:
    ScriptArgument(const DISPPARAMS& params, UINT index)
    {
        ::VariantInit(&m_text);
        if (index >= params.cArgs) {
            return;
        }
        const VARIANT& given = params.rgvarg[params.cArgs - 1 - index];
        if (given.vt == VT_EMPTY || given.vt == VT_NULL ||
            FAILED(::VariantChangeType(&m_text, const_cast<VARIANT*>(&given), 0, VT_BSTR)) || m_text.vt != VT_BSTR) {
            ::VariantClear(&m_text);
            return;
        }
        m_present = true;
    }
    ~ScriptArgument() { ::VariantClear(&m_text); }
    ScriptArgument(const ScriptArgument&) = delete;
    ScriptArgument& operator=(const ScriptArgument&) = delete;

    const wchar_t* get() const { return m_present ? (m_text.bstrVal != nullptr ? m_text.bstrVal : L"") : nullptr; }

private:
    VARIANT m_text;
    bool m_present = false;
};

} // namespace

// ---- registry ----

void CKxJSCallBackRegistry::Add(const wchar_t* name, HWND window, JSCallBack function, long context)
{
    TheRegistry()[UpperName(name)].insert(Entry{context, window, function});
}

void CKxJSCallBackRegistry::Delete(const wchar_t* name, HWND window, JSCallBack function, long context)
{
    Registry& registry = TheRegistry();
    const auto found = registry.find(UpperName(name));
    if (found == registry.end()) {
        return;
    }
    std::set<Entry>& entries = found->second;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->window == window && (function == nullptr || it->function == function) &&
            (context == 0 || it->context == context)) {
            entries.erase(it);
            break;
        }
    }
    if (entries.empty()) {
        registry.erase(found);
    }
}

void CKxJSCallBackRegistry::DeleteWindow(HWND window)
{
    Registry& registry = TheRegistry();
    for (auto name = registry.begin(); name != registry.end();) {
        std::set<Entry>& entries = name->second;
        for (auto it = entries.begin(); it != entries.end();) {
            it = it->window == window ? entries.erase(it) : std::next(it);
        }
        name = entries.empty() ? registry.erase(name) : std::next(name);
    }
}

CString CKxJSCallBackRegistry::Call(HWND window, const wchar_t* name, const wchar_t* argument1,
                                    const wchar_t* argument2, const wchar_t* argument3)
{
    std::vector<Entry> entries;
    CollectEntries(UpperName(name), window, &entries);
    CollectEntries(kAllName, window, &entries);
    CString result;
    for (const Entry& entry : entries) {
        result.Empty();
        entry.function(entry.context, name, argument1, argument2, argument3, result);
    }
    return result;
}

// ---- bridge object ----

const CLSID CKXCallCppFunc::s_clsid = {0x11170450, 0x1E53, 0x45AE, {0xAF, 0x91, 0x69, 0x43, 0xFC, 0xD1, 0x61, 0xB8}};
const IID CKXCallCppFunc::s_dispatchIID = {
    0x4B5FD00E, 0xDB19, 0x4FF6, {0xA4, 0x13, 0x96, 0x1D, 0x58, 0x86, 0x5F, 0x92}};
const wchar_t CKXCallCppFunc::s_progID[] = L"KX.KXCallCppFuncObj";

CKXCallCppFunc* CKXCallCppFunc::Create(HWND webWindow)
{
    return new CKXCallCppFunc(webWindow);
}

HRESULT CKXCallCppFunc::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != s_dispatchIID) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}
ULONG CKXCallCppFunc::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}
ULONG CKXCallCppFunc::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_nRefs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}
HRESULT CKXCallCppFunc::GetTypeInfoCount(UINT* count)
{
    return RefuseTypeInfo(count);
}
HRESULT CKXCallCppFunc::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT CKXCallCppFunc::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    HRESULT answer = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0] != nullptr && _wcsicmp(names[0], L"r") == 0) {
            ids[0] = DISPID_R;
        } else if (i == 0 && names[0] != nullptr && _wcsicmp(names[0], L"c") == 0) {
            ids[0] = DISPID_C;
        } else {
            answer = DISP_E_UNKNOWNNAME; // neither method has named parameters
        }
    }
    return answer;
}

HRESULT CKXCallCppFunc::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                               UINT*)
{
    if (id != DISPID_R && id != DISPID_C) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if ((flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none{};
    const DISPPARAMS& given = params != nullptr ? *params : none;
    const ScriptArgument name(given, 0);
    const ScriptArgument first(given, 1);
    const ScriptArgument second(given, 2);
    const ScriptArgument third(given, 3);
    const wchar_t* calledName = name.get() != nullptr ? name.get() : L"";
    const CString answer =
        id == DISPID_R ? CKxJSCallBackRegistry::Call(m_hWebWnd, calledName, first.get(), nullptr, nullptr)
                       : CKxJSCallBackRegistry::Call(m_hWebWnd, calledName, first.get(), second.get(), third.get());
    if (result != nullptr) {
        ::VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocStringLen(answer.GetString(), static_cast<UINT>(answer.GetLength()));
        if (result->bstrVal == nullptr) {
            result->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

// ---- external object ----

CKxExternalDispatch* CKxExternalDispatch::Create(HWND webWindow)
{
    return new CKxExternalDispatch(webWindow);
}

CKxExternalDispatch::~CKxExternalDispatch()
{
    if (m_pCallCppFunc != nullptr) {
        m_pCallCppFunc->Release();
    }
}

HRESULT CKxExternalDispatch::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid != IID_IDispatch && iid != IID_IUnknown) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}
ULONG CKxExternalDispatch::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}
ULONG CKxExternalDispatch::Release()
{
    const LONG refs = ::InterlockedDecrement(&m_nRefs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}
HRESULT CKxExternalDispatch::GetTypeInfoCount(UINT* count)
{
    return RefuseTypeInfo(count);
}
HRESULT CKxExternalDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT CKxExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    HRESULT answer = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const bool known = i == 0 && names[0] != nullptr && wcscmp(names[0], L"kxC") == 0;
        ids[i] = known ? DISPID_KXC : DISPID_UNKNOWN;
        if (!known) {
            answer = DISP_E_UNKNOWNNAME;
        }
    }
    return answer;
}

HRESULT CKxExternalDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (result == nullptr) {
        return S_OK;
    }
    ::VariantInit(result);
    if (id != DISPID_KXC) {
        return S_OK;
    }
    if (m_pCallCppFunc == nullptr) {
        m_pCallCppFunc = CKXCallCppFunc::Create(m_hWebWnd);
    }
    m_pCallCppFunc->SetWindow(m_hWebWnd);
    m_pCallCppFunc->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = m_pCallCppFunc;
    return S_OK;
}
