#include <util/jsbridge.h>
#include <util/webctrl.h>

#include <gtest/gtest.h>

#include "web_fixture.h"

using namespace webtest;

namespace {

// What the host functions saw, in call order.
std::vector<std::wstring> g_seen;

std::wstring Shown(const wchar_t* text)
{
    return text != nullptr ? text : L"(null)";
}

long Record(long context, const wchar_t* name, const wchar_t* a, const wchar_t* b, const wchar_t* c, CString& result)
{
    g_seen.push_back(std::to_wstring(context) + L":" + name + L"(" + Shown(a) + L"," + Shown(b) + L"," + Shown(c) +
                     L")");
    result.Format(L"answer %ld", context);
    return 0;
}

long Other(long, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, CString& result)
{
    g_seen.push_back(L"other");
    result = L"other";
    return 0;
}

// Page script's view: window.external.kxC, then calls of its methods.
class Script {
public:
    explicit Script(IDispatch* external)
    {
        LPOLESTR name = const_cast<LPOLESTR>(L"kxC");
        DISPID id = 0;
        VARIANT bridge;
        VariantInit(&bridge);
        DISPPARAMS none{};
        if (external != nullptr && SUCCEEDED(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) &&
            SUCCEEDED(external->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &bridge, nullptr, nullptr))) {
            m_bridge = bridge.pdispVal;
        }
    }
    ~Script()
    {
        if (m_bridge != nullptr) {
            m_bridge->Release();
        }
    }
    bool Ready() const { return m_bridge != nullptr; }
    IDispatch* bridge() const { return m_bridge; }

    // Calls method "r" or "c" with the arguments in script order; the answer, or "<failed>".
    std::wstring Call(const wchar_t* method, std::vector<VARIANT> arguments) const
    {
        LPOLESTR name = const_cast<LPOLESTR>(method);
        DISPID id = 0;
        if (FAILED(m_bridge->GetIDsOfNames(IID_NULL, &name, 1, 0, &id))) {
            return L"<unknown>";
        }
        std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT answer;
        VariantInit(&answer);
        const HRESULT called = m_bridge->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                                                &answer, nullptr, nullptr);
        for (VARIANT& argument : arguments) {
            VariantClear(&argument);
        }
        std::wstring text = SUCCEEDED(called) && answer.vt == VT_BSTR ? answer.bstrVal : L"<failed>";
        VariantClear(&answer);
        return text;
    }

private:
    IDispatch* m_bridge = nullptr;
};

class BridgeTest : public WebTest {
protected:
    void SetUp() override
    {
        WebTest::SetUp();
        g_seen.clear();
        ASSERT_TRUE(CreateWeb());
        m_external = fake.AskExternal();
        ASSERT_NE(m_external, nullptr);
    }
    void TearDown() override
    {
        m_external->Release();
        WebTest::TearDown();
    }

    IDispatch* m_external = nullptr;
};

} // namespace

TEST_F(BridgeTest, TheExternalObjectKnowsOnlyKxC)
{
    struct NameCase {
        const wchar_t* name;
        HRESULT result;
        DISPID id;
    };
    for (const NameCase& given : {NameCase{L"kxC", S_OK, 21}, NameCase{L"kxc", DISP_E_UNKNOWNNAME, -1},
                                  NameCase{L"KXC", DISP_E_UNKNOWNNAME, -1}, NameCase{L"r", DISP_E_UNKNOWNNAME, -1}}) {
        LPOLESTR name = const_cast<LPOLESTR>(given.name);
        DISPID id = 0;
        EXPECT_EQ(m_external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), given.result) << given.name;
        EXPECT_EQ(id, given.id) << given.name;
    }
    IUnknown* other = nullptr;
    EXPECT_EQ(m_external->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&other)), E_NOINTERFACE);
    EXPECT_EQ(m_external->Invoke(21, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr), S_OK);
    VARIANT nothing;
    VariantInit(&nothing);
    EXPECT_EQ(m_external->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &nothing, nullptr, nullptr), S_OK);
    EXPECT_EQ(nothing.vt, VT_EMPTY);

    // One bridge object per external object, asked as often as script likes.
    const Script first(m_external);
    const Script second(m_external);
    ASSERT_TRUE(first.Ready());
    EXPECT_EQ(first.bridge(), second.bridge());
    IUnknown* typed = nullptr;
    ASSERT_EQ(first.bridge()->QueryInterface(CKXCallCppFunc::s_dispatchIID, reinterpret_cast<void**>(&typed)), S_OK);
    typed->Release();
    EXPECT_EQ(first.Call(L"R", {}), L""); // automation names ignore case
    EXPECT_EQ(first.Call(L"x", {}), L"<unknown>");
}

TEST_F(BridgeTest, ScriptCallsReachTheWindowsHostFunctions)
{
    ASSERT_EQ(web.AddJSCallBackFunc(L"GetQuote", &Record, 1), 1);
    ASSERT_EQ(web.AddJSCallBackFunc(L"getquote", &Record, 1), 1); // the same entry again
    ASSERT_EQ(web.AddJSCallBackFunc(L"All", &Record, 9), 1);
    const Script script(m_external);
    ASSERT_TRUE(script.Ready());

    // Named first, "ALL" last, and the script gets the last answer; the name as the script wrote it.
    EXPECT_EQ(script.Call(L"r", {Text(L"GETQUOTE"), Text(L"600000")}), L"answer 9");
    EXPECT_EQ(g_seen,
              (std::vector<std::wstring>{L"1:GETQUOTE(600000,(null),(null))", L"9:GETQUOTE(600000,(null),(null))"}));

    // Arguments of other types become text, missing ones null.
    g_seen.clear();
    VARIANT none;
    VariantInit(&none);
    none.vt = VT_NULL;
    EXPECT_EQ(script.Call(L"c", {Text(L"getQuote"), Number(5), none}), L"answer 9");
    EXPECT_EQ(g_seen.front(), L"1:getQuote(5,(null),(null))");

    // Only "ALL" for unknown names; with nothing registered an empty answer.
    g_seen.clear();
    EXPECT_EQ(script.Call(L"r", {Text(L"Nobody"), Text(L"x")}), L"answer 9");
    web.DeleteJSCallBackFunc(L"all", nullptr, 0);
    EXPECT_EQ(script.Call(L"r", {Text(L"Nobody"), Text(L"x")}), L"");
    EXPECT_EQ(g_seen.size(), 1u);
}

TEST_F(BridgeTest, DeletingMatchesFunctionAndContextWithWildcards)
{
    web.AddJSCallBackFunc(L"Trade", &Record, 1);
    web.AddJSCallBackFunc(L"Trade", &Record, 2);
    web.AddJSCallBackFunc(L"Trade", &Other, 3);
    web.DeleteJSCallBackFunc(L"TRADE", &Record, 0); // one of the two Record entries
    web.DeleteJSCallBackFunc(L"trade", nullptr, 3);
    const Script script(m_external);
    script.Call(L"r", {Text(L"trade"), Text(L"1")});
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_TRUE(g_seen[0] == L"1:trade(1,(null),(null))" || g_seen[0] == L"2:trade(1,(null),(null))");
}

TEST_F(BridgeTest, HostFunctionsBelongToOneWindowAndGoWithIt)
{
    CWebCtrlWnd second;
    ASSERT_TRUE(second.Create(nullptr, L"second", WS_CHILD, RECT{0, 0, 100, 100}, &parent, 2));
    IDispatch* secondExternal = fake.AskExternal(); // the latest control's site
    ASSERT_NE(secondExternal, nullptr);
    ASSERT_EQ(second.AddJSCallBackFunc(L"Quote", &Other, 1), 1);
    ASSERT_EQ(web.AddJSCallBackFunc(L"Quote", &Record, 7), 1);

    const Script mine(m_external);
    const Script theirs(secondExternal);
    EXPECT_EQ(mine.Call(L"r", {Text(L"Quote"), Text(L"a")}), L"answer 7");
    EXPECT_EQ(theirs.Call(L"r", {Text(L"Quote"), Text(L"a")}), L"other");

    // The bridge outlives the window; its host functions do not.
    second.DestroyWindow();
    g_seen.clear();
    EXPECT_EQ(theirs.Call(L"r", {Text(L"Quote"), Text(L"a")}), L"");
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(second.AddJSCallBackFunc(L"Quote", &Other, 1), 0);
    secondExternal->Release();
}

class ScriptCallTest : public WebTest {
protected:
    // A page with a function in the top document and one only in an inner frame, whose frame lists
    // the page again.
    void SetUp() override
    {
        WebTest::SetUp();
        const int top = fake.AddDocument({{{L"topFunc", S_OK, VT_BSTR, L"top answer"},
                                           {L"number", S_OK, VT_I4, L""},
                                           {L"broken", DISP_E_EXCEPTION, VT_BSTR, L""}},
                                          {}});
        const int outer = fake.AddDocument({});
        const int inner = fake.AddDocument({{{L"innerFunc", S_OK, VT_BSTR, L"inner answer"}}, {}});
        fake.AddFrame(top, outer);
        fake.AddFrame(outer, inner);
        fake.AddFrame(inner, top);
        ASSERT_TRUE(CreateWeb());
    }

    static CStringArray Arguments(std::initializer_list<const wchar_t*> texts)
    {
        CStringArray arguments;
        for (const wchar_t* text : texts) {
            arguments.Add(text);
        }
        return arguments;
    }
};

TEST_F(ScriptCallTest, CallsPageFunctionsWithTheirArgumentsInOrder)
{
    CString result = L"old";
    ASSERT_EQ(web.CallJScript(L"topFunc", Arguments({L"a", L"b"}), result), 1);
    EXPECT_EQ(result, CString(L"top answer"));
    ASSERT_EQ(fake.scriptCalls.size(), 1u);
    EXPECT_EQ(fake.scriptCalls[0].arguments, (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(fake.scriptCalls[0].locale, static_cast<LCID>(0x800));

    ASSERT_EQ(web.CallJScript(L"innerFunc", Arguments({L"行情"}), result), 1);
    EXPECT_EQ(result, CString(L"inner answer"));
    EXPECT_EQ(fake.scriptCalls[1].document, 2);

    ASSERT_EQ(web.CallJScript(L"number", Arguments({}), result), 1);
    EXPECT_EQ(result, CString(L""));
}

TEST_F(ScriptCallTest, FailuresLeaveTheResultAlone)
{
    CString result = L"kept";
    EXPECT_EQ(web.CallJScript(L"broken", Arguments({L"x"}), result), 0);
    EXPECT_EQ(web.CallJScript(L"missing", Arguments({L"x"}), result), 0);
    EXPECT_EQ(web.CallJScript(L"TOPFUNC", Arguments({}), result), 0); // script names keep their case
    EXPECT_EQ(result, CString(L"kept"));
}

TEST_F(WebTest, WithoutADocumentNothingIsCalled)
{
    ASSERT_TRUE(CreateWeb());
    CString result = L"kept";
    EXPECT_EQ(web.CallJScript(L"f", CStringArray(), result), 0);
    EXPECT_EQ(result, CString(L"kept"));
}

TEST(CallCppFuncClass, IsServedByTheLibrarysClassObject)
{
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"util.dll"), "DllGetClassObject")));
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClassObject(CKXCallCppFunc::s_clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IDispatch* bridge = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, CKXCallCppFunc::s_dispatchIID, reinterpret_cast<void**>(&bridge)), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"c");
    DISPID id = 0;
    EXPECT_EQ(bridge->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, CKXCallCppFunc::DISPID_C);
    EXPECT_EQ(bridge->Release(), 0u);
    factory->Release();
}

TEST(DocumentHelpers, TellWritableEditsFromOthers)
{
    struct EditCase {
        const wchar_t* className;
        DWORD style;
        bool enabled;
        bool writable;
    };
    for (const EditCase& given : {EditCase{L"Edit", 0, true, true}, EditCase{L"EDIT", 0, true, true},
                                  EditCase{L"Edit", ES_READONLY, true, false}, EditCase{L"Edit", 0, false, false},
                                  EditCase{L"Static", 0, true, false}}) {
        HWND window = ::CreateWindowExW(0, given.className, L"", WS_POPUP | given.style, 0, 0, 50, 20, nullptr, nullptr,
                                        nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ::EnableWindow(window, given.enabled);
        EXPECT_EQ(IsEditWritable(window), given.writable) << given.className << " " << given.style;
        EXPECT_FALSE(IsWebWritable(window));
        EXPECT_EQ(GetDocInterface(window), nullptr);
        ::DestroyWindow(window);
    }
    EXPECT_FALSE(IsEditWritable(nullptr));
    EXPECT_FALSE(IsWebWritable(nullptr));
}

TEST(DocumentHelpers, ABrowserWindowWithoutADocumentIsNotWritable)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"Internet Explorer_Server";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWebWritable(window));
    EXPECT_EQ(GetDocInterface(window), nullptr);
    ::DestroyWindow(window);
}
