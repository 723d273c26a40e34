#pragma once

#include <windows.h>
#include <oaidl.h>

#include <util/cstring.h>
#include <util/export.h>

struct IHTMLDocument2;

// A host function that page script reaches through window.external.kxC. The bridge ignores the return
// value; what the function writes into result becomes the script's answer. Arguments the script did
// not pass are null.
typedef long (*JSCallBack)(long context, const wchar_t* name, const wchar_t* argument1, const wchar_t* argument2,
                           const wchar_t* argument3, CString& result);

// The automation object that page script gets as window.external.kxC: its methods r(name, argument)
// and c(name, argument1, argument2, argument3) call the host functions of its web window and return
// their result as a string. Arguments of other types are converted to strings, missing or
// unconvertible ones are null; names are matched ignoring case, as automation names are.
class UTIL_API CKXCallCppFunc : public IDispatch {
public:
    enum { DISPID_R = 1, DISPID_C = 2 };

    // util.dll's DllGetClassObject serves the class object of this class id (objects bound to no window).
    static const CLSID s_clsid;      // {11170450-1E53-45AE-AF91-6943FCD161B8}
    static const IID s_dispatchIID;  // {4B5FD00E-DB19-4FF6-A413-961D58865F92}
    static const wchar_t s_progID[]; // "KX.KXCallCppFuncObj"

    // A new object with one reference, bound to a web window (which may be null until SetWindow).
    static CKXCallCppFunc* Create(HWND webWindow);
    void SetWindow(HWND webWindow) { m_hWebWnd = webWindow; }
    HWND GetWindow() const { return m_hWebWnd; }

    // IUnknown: IID_IUnknown, IID_IDispatch and the dispatch interface id.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    explicit CKXCallCppFunc(HWND webWindow) : m_hWebWnd(webWindow) {}
    virtual ~CKXCallCppFunc() = default;

    LONG m_nRefs = 1;
    HWND m_hWebWnd;
};

// ---- document helpers, for any window ----

// True for an enabled window of class "Edit" (any letter case) without ES_READONLY.
UTIL_API bool IsEditWritable(HWND window);
// True for an enabled browser window ("Internet Explorer..." class) whose browser has paste enabled.
// Puts the text "A" on a clipboard that has no text, so that paste can be enabled at all.
UTIL_API bool IsWebWritable(HWND window);
// The document a browser window shows, or null. The pointer carries no reference of its own: it is
// valid while the browser holds the document; a caller that keeps it adds one.
UTIL_API IHTMLDocument2* GetDocInterface(HWND window);
