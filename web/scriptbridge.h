#pragma once

// The script bridge's own pieces: the registry of host functions and the page's external object.
#include <util/jsbridge.h>

// The registry of host functions, one for the process, shared by every web window. Names are kept
// upper-cased; entries under "ALL" receive every call made from their window, after the entries of
// the called name.
class CKxJSCallBackRegistry {
public:
    // Stores {context, window, function} under the upper-cased name once.
    static void Add(const wchar_t* name, HWND window, JSCallBack function, long context);
    // Removes under the upper-cased name the first entry of the window whose function and context
    // match; a null function or a zero context matches any.
    static void Delete(const wchar_t* name, HWND window, JSCallBack function, long context);
    // Removes every entry of the window, under any name.
    static void DeleteWindow(HWND window);
    // Calls the window's entries of the name, then its "ALL" entries, each with an emptied result,
    // and gives the last call's result (empty when no entry was called). Callbacks may change the
    // registry while they run: the entries are collected first.
    static CString Call(HWND window, const wchar_t* name, const wchar_t* argument1, const wchar_t* argument2,
                        const wchar_t* argument3);
};

// The external object of a web page (window.external): its one property "kxC" (matched exactly,
// with dispatch id 21) yields the window's CKXCallCppFunc, made on first use.
class CKxExternalDispatch : public IDispatch {
public:
    enum { DISPID_KXC = 21 };

    // A new object with one reference, bound to the window that contains the browser.
    static CKxExternalDispatch* Create(HWND webWindow);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    explicit CKxExternalDispatch(HWND webWindow) : m_hWebWnd(webWindow) {}
    virtual ~CKxExternalDispatch();

    LONG m_nRefs = 1;
    HWND m_hWebWnd;
    CKXCallCppFunc* m_pCallCppFunc = nullptr;
};
