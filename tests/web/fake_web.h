#pragma once

// Test doubles of the browser control and its documents (no browser engine runs under Wine here).
// A FakeWeb installs itself as the web window's browser factory; the browser and documents it makes
// record what the window asks of them, and count their live objects so leaks show.
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <map>
#include <string>
#include <vector>

namespace webtest {

// One global script function of a fake document and how calling it ends.
struct ScriptFunction {
    std::wstring name;
    HRESULT result = S_OK;
    VARTYPE answerType = VT_BSTR; // VT_BSTR: answer; anything else: a number
    std::wstring answer;
};

struct ScriptCall {
    int document;
    std::wstring function;
    std::vector<std::wstring> arguments; // in the order of the script function's parameters
    LCID locale;
};

struct FakeDocumentSpec {
    std::vector<ScriptFunction> functions;
    std::vector<int> frames; // documents shown by the frames of this one
};

class FakeWeb {
public:
    FakeWeb();
    ~FakeWeb();
    FakeWeb(const FakeWeb&) = delete;
    FakeWeb& operator=(const FakeWeb&) = delete;

    // COM objects of the fakes alive now.
    static int LiveObjects();

    // ---- behaviour, set before or after creation ----
    HRESULT createResult = S_OK;        // the factory's answer
    bool offersWebBrowser2 = true;      // the control answers IWebBrowser2
    bool offersEvents = true;           // the control has the DWebBrowserEvents2 connection point
    std::wstring locationURL;           // get_LocationURL
    std::map<int, DWORD> commandStatus; // QueryStatusWB answers by command
    HRESULT acceleratorAnswer = S_FALSE;
    // Documents: AddDocument's first one is the page's; without any the browser has no document.
    int AddDocument(FakeDocumentSpec spec);
    void AddFrame(int document, int frameDocument) { m_documents[document].frames.push_back(frameDocument); }

    // ---- what happened ----
    std::vector<std::wstring> calls; // browser, element and command-target calls, e.g. L"GoBack"
    std::vector<ScriptCall> scriptCalls;
    RECT objectRect{};              // the last SetObjectRects
    IOleClientSite* site = nullptr; // the client site the control holds
    IDispatch* sink = nullptr;      // the advised event sink
    HWND controlWindow = nullptr;   // the control's window, with the page window inside
    HWND pageWindow = nullptr;

    // Calls the sink with the event's arguments given in their declared order.
    HRESULT Fire(DISPID id, std::vector<VARIANT> arguments) const;
    // The external object the control gets from the host UI handler, or null.
    IDispatch* AskExternal() const;

    // Used by the fake objects.
    static FakeWeb* Current();
    const FakeDocumentSpec* Document(int index) const;

private:
    std::vector<FakeDocumentSpec> m_documents;
};

// VARIANT helpers for firing events: Fire clears the values it is given (references are not owned).
VARIANT Text(const wchar_t* text);
VARIANT Number(long value);
VARIANT Flag(bool value);
VARIANT ByRef(VARIANT* value);
VARIANT CancelRef(VARIANT_BOOL* cancel);
VARIANT DispatchRef(IDispatch** dispatch);
// Takes over one reference of the object.
VARIANT Dispatch(IDispatch* dispatch);

} // namespace webtest
