// Finding and testing browser documents and edit fields in any window.
#include <util/jsbridge.h>

#include <exdisp.h>
#include <mshtml.h>
#include <oleacc.h>
#include <servprov.h>

#include <iterator>

#include "web/clipboardtext.h"

namespace {

constexpr int kEditClassChars = 20;
constexpr wchar_t kBrowserClassPrefix[] = L"Internet Explorer";
constexpr int kBrowserClassPrefixChars = 17;
constexpr UINT kAskTimeout = 1000;

bool IsEnabledWindow(HWND window)
{
    return window != nullptr && ::IsWindow(window) && ::IsWindowEnabled(window);
}

bool IsBrowserWindow(HWND window)
{
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
    return _wcsnicmp(className, kBrowserClassPrefix, kBrowserClassPrefixChars) == 0;
}

// The accessibility library, loaded for one question and unloaded again.
class AccessibilityLibrary {
public:
    AccessibilityLibrary() : m_module(::LoadLibraryW(L"OLEACC.DLL")) {}
    ~AccessibilityLibrary()
    {
        if (m_module != nullptr) {
            ::FreeLibrary(m_module);
        }
    }
    AccessibilityLibrary(const AccessibilityLibrary&) = delete;
    AccessibilityLibrary& operator=(const AccessibilityLibrary&) = delete;

    bool Loaded() const { return m_module != nullptr; }

    // The interface of the document behind a browser window, with one reference; null on failure.
    void* AskDocument(HWND window, REFIID iid) const
    {
        using ObjectFromLresultProc = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
        const auto fromResult = reinterpret_cast<ObjectFromLresultProc>(
            reinterpret_cast<void*>(::GetProcAddress(m_module, "ObjectFromLresult")));
        const UINT message = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
        DWORD_PTR reply = 0;
        if (fromResult == nullptr || message == 0 ||
            !::SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, kAskTimeout, &reply) || reply == 0) {
            return nullptr;
        }
        void* object = nullptr;
        if (FAILED(fromResult(static_cast<LRESULT>(reply), iid, 0, &object))) {
            return nullptr;
        }
        return object;
    }

private:
    HMODULE m_module;
};

bool BrowserPasteEnabled(IServiceProvider* services)
{
    IWebBrowser2* browser = nullptr;
    if (FAILED(services->QueryService(IID_IWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) ||
        browser == nullptr) {
        return false;
    }
    OLECMDF status = OLECMDF(0);
    const HRESULT asked = browser->QueryStatusWB(OLECMDID_PASTE, &status);
    browser->Release();
    return SUCCEEDED(asked) && (status & OLECMDF_ENABLED) != 0;
}

} // namespace

void KxEnsureClipboardText(HWND owner)
{
    if (!::OpenClipboard(owner)) {
        return;
    }
    if (!::IsClipboardFormatAvailable(CF_TEXT) && !::IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 2);
        if (text != nullptr) {
            char* bytes = static_cast<char*>(::GlobalLock(text));
            if (bytes != nullptr) {
                bytes[0] = 'A';
                bytes[1] = '\0';
                ::GlobalUnlock(text);
            }
            if (bytes == nullptr || ::SetClipboardData(CF_TEXT, text) == nullptr) {
                ::GlobalFree(text);
            }
        }
    }
    ::CloseClipboard();
}

bool IsEditWritable(HWND window)
{
    if (!IsEnabledWindow(window)) {
        return false;
    }
    wchar_t className[kEditClassChars + 1] = {};
    ::GetClassNameW(window, className, kEditClassChars + 1);
    return _wcsicmp(className, L"Edit") == 0 && (::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) == 0;
}

bool IsWebWritable(HWND window)
{
    if (!IsEnabledWindow(window) || !IsBrowserWindow(window)) {
        return false;
    }
    try {
        KxEnsureClipboardText(window);
        const AccessibilityLibrary library;
        if (!library.Loaded()) {
            return false;
        }
        auto* services = static_cast<IServiceProvider*>(library.AskDocument(window, IID_IServiceProvider));
        if (services == nullptr) {
            return false;
        }
        const bool enabled = BrowserPasteEnabled(services);
        services->Release();
        return enabled;
    } catch (...) {
        return false;
    }
}

IHTMLDocument2* GetDocInterface(HWND window)
{
    const AccessibilityLibrary library;
    if (!library.Loaded()) {
        ::MessageBoxW(nullptr, L"请您安装Microsoft Active Accessibility", nullptr, MB_OK);
        return nullptr;
    }
    auto* document = static_cast<IHTMLDocument2*>(library.AskDocument(window, IID_IHTMLDocument2));
    if (document != nullptr) {
        // The caller gets no reference of its own: the browser's keeps the document alive.
        document->Release();
    }
    return document;
}
