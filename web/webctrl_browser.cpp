// CWebCtrlWnd: the browser's properties and commands, forwarded to its IWebBrowser2.
#include <util/webctrl.h>

#include "web/comvalue.h"

namespace {

// A property read through a getter of the browser, or the fallback when there is no browser or the
// getter fails.
template <typename Value, typename Interface>
Value Ask(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*getter)(Value*), Value fallback)
{
    Value value = fallback;
    if (browser == nullptr || FAILED((browser->*getter)(&value))) {
        return fallback;
    }
    return value;
}

template <typename Interface>
BOOL AskFlag(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*getter)(VARIANT_BOOL*))
{
    return Ask<VARIANT_BOOL>(browser, getter, VARIANT_FALSE) != VARIANT_FALSE;
}

template <typename Interface>
CString AskText(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*getter)(BSTR*))
{
    BSTR text = Ask<BSTR>(browser, getter, nullptr);
    CString value(text);
    ::SysFreeString(text);
    return value;
}

template <typename Value, typename Interface>
void Put(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*setter)(Value), Value value)
{
    if (browser != nullptr) {
        (browser->*setter)(value);
    }
}

template <typename Interface>
void PutFlag(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*setter)(VARIANT_BOOL), BOOL value)
{
    Put<VARIANT_BOOL>(browser, setter, value ? VARIANT_TRUE : VARIANT_FALSE);
}

template <typename Interface>
void Run(IWebBrowser2* browser, HRESULT (STDMETHODCALLTYPE Interface::*command)())
{
    if (browser != nullptr) {
        (browser->*command)();
    }
}

} // namespace

CString CWebCtrlWnd::GetType() const
{
    return AskText(m_pBrowserApp, &IWebBrowser2::get_Type);
}
long CWebCtrlWnd::GetLeft() const
{
    return Ask<long>(m_pBrowserApp, &IWebBrowser2::get_Left, 0);
}
long CWebCtrlWnd::GetTop() const
{
    return Ask<long>(m_pBrowserApp, &IWebBrowser2::get_Top, 0);
}
long CWebCtrlWnd::GetHeight() const
{
    return Ask<long>(m_pBrowserApp, &IWebBrowser2::get_Height, 0);
}
int CWebCtrlWnd::GetToolBar() const
{
    return Ask<int>(m_pBrowserApp, &IWebBrowser2::get_ToolBar, 0);
}
BOOL CWebCtrlWnd::GetVisible() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_Visible);
}
CString CWebCtrlWnd::GetLocationName() const
{
    return AskText(m_pBrowserApp, &IWebBrowser2::get_LocationName);
}
CString CWebCtrlWnd::GetLocationURL() const
{
    return AskText(m_pBrowserApp, &IWebBrowser2::get_LocationURL);
}
BOOL CWebCtrlWnd::GetBusy() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_Busy);
}
READYSTATE CWebCtrlWnd::GetReadyState() const
{
    return Ask<READYSTATE>(m_pBrowserApp, &IWebBrowser2::get_ReadyState, READYSTATE_UNINITIALIZED);
}
BOOL CWebCtrlWnd::GetOffline() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_Offline);
}
BOOL CWebCtrlWnd::GetSilent() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_Silent);
}
LPDISPATCH CWebCtrlWnd::GetApplication() const
{
    return Ask<IDispatch*>(m_pBrowserApp, &IWebBrowser2::get_Application, nullptr);
}
LPDISPATCH CWebCtrlWnd::GetParentBrowser() const
{
    return Ask<IDispatch*>(m_pBrowserApp, &IWebBrowser2::get_Parent, nullptr);
}
LPDISPATCH CWebCtrlWnd::GetContainer() const
{
    return Ask<IDispatch*>(m_pBrowserApp, &IWebBrowser2::get_Container, nullptr);
}
LPDISPATCH CWebCtrlWnd::GetHtmlDocument() const
{
    return Ask<IDispatch*>(m_pBrowserApp, &IWebBrowser2::get_Document, nullptr);
}
BOOL CWebCtrlWnd::GetTopLevelContainer() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_TopLevelContainer);
}
BOOL CWebCtrlWnd::GetMenuBar() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_MenuBar);
}
BOOL CWebCtrlWnd::GetFullScreen() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_FullScreen);
}
BOOL CWebCtrlWnd::GetStatusBar() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_StatusBar);
}
BOOL CWebCtrlWnd::GetRegisterAsBrowser() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_RegisterAsBrowser);
}
BOOL CWebCtrlWnd::GetRegisterAsDropTarget() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_RegisterAsDropTarget);
}
BOOL CWebCtrlWnd::GetTheaterMode() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_TheaterMode);
}
BOOL CWebCtrlWnd::GetAddressBar() const
{
    return AskFlag(m_pBrowserApp, &IWebBrowser2::get_AddressBar);
}
CString CWebCtrlWnd::GetFullName() const
{
    return AskText(m_pBrowserApp, &IWebBrowser2::get_FullName);
}

OLECMDF CWebCtrlWnd::QueryStatusWB(OLECMDID command) const
{
    OLECMDF status = OLECMDF(0);
    if (m_pBrowserApp == nullptr || FAILED(m_pBrowserApp->QueryStatusWB(command, &status))) {
        return OLECMDF(0);
    }
    return status;
}

void CWebCtrlWnd::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out)
{
    if (m_pBrowserApp != nullptr) {
        m_pBrowserApp->ExecWB(command, option, in, out);
    }
}

void CWebCtrlWnd::PutProperty(const wchar_t* name, const VARIANT& value)
{
    if (m_pBrowserApp != nullptr) {
        m_pBrowserApp->PutProperty(CKxBstr(name), value);
    }
}
void CWebCtrlWnd::PutProperty(const wchar_t* name, long value)
{
    VARIANT variant;
    variant.vt = VT_I4;
    variant.lVal = value;
    PutProperty(name, variant);
}
void CWebCtrlWnd::PutProperty(const wchar_t* name, short value)
{
    VARIANT variant;
    variant.vt = VT_I2;
    variant.iVal = value;
    PutProperty(name, variant);
}
void CWebCtrlWnd::PutProperty(const wchar_t* name, const wchar_t* value)
{
    VARIANT variant;
    variant.vt = VT_BSTR;
    variant.bstrVal = ::SysAllocString(value != nullptr ? value : L"");
    PutProperty(name, variant);
    ::VariantClear(&variant);
}
void CWebCtrlWnd::PutProperty(const wchar_t* name, double value)
{
    VARIANT variant;
    variant.vt = VT_R8;
    variant.dblVal = value;
    PutProperty(name, variant);
}

VARIANT CWebCtrlWnd::GetProperty(const wchar_t* name)
{
    VARIANT value;
    ::VariantInit(&value);
    if (m_pBrowserApp != nullptr && FAILED(m_pBrowserApp->GetProperty(CKxBstr(name), &value))) {
        ::VariantClear(&value);
    }
    return value;
}

BOOL CWebCtrlWnd::GetProperty(const wchar_t* name, CString& value)
{
    VARIANT property = GetProperty(name);
    const bool found = property.vt != VT_EMPTY && SUCCEEDED(::VariantChangeType(&property, &property, 0, VT_BSTR));
    if (found) {
        value = property.bstrVal;
    }
    ::VariantClear(&property);
    return found ? TRUE : FALSE;
}

void CWebCtrlWnd::SetRegisterAsBrowser(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_RegisterAsBrowser, value);
}
void CWebCtrlWnd::SetRegisterAsDropTarget(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_RegisterAsDropTarget, value);
}
void CWebCtrlWnd::SetTheaterMode(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_TheaterMode, value);
}
void CWebCtrlWnd::SetVisible(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_Visible, value);
}
void CWebCtrlWnd::SetMenuBar(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_MenuBar, value);
}
void CWebCtrlWnd::SetToolBar(int value)
{
    Put<int>(m_pBrowserApp, &IWebBrowser2::put_ToolBar, value);
}
void CWebCtrlWnd::SetOffline(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_Offline, value);
}
void CWebCtrlWnd::SetSilent(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_Silent, value);
}
void CWebCtrlWnd::SetFullScreen(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_FullScreen, value);
}
void CWebCtrlWnd::SetAddressBar(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_AddressBar, value);
}
void CWebCtrlWnd::SetHeight(long value)
{
    Put<long>(m_pBrowserApp, &IWebBrowser2::put_Height, value);
}
void CWebCtrlWnd::SetTop(long value)
{
    Put<long>(m_pBrowserApp, &IWebBrowser2::put_Top, value);
}
void CWebCtrlWnd::SetLeft(long value)
{
    Put<long>(m_pBrowserApp, &IWebBrowser2::put_Left, value);
}
void CWebCtrlWnd::SetStatusBar(BOOL value)
{
    PutFlag(m_pBrowserApp, &IWebBrowser2::put_StatusBar, value);
}

void CWebCtrlWnd::GoBack()
{
    Run(m_pBrowserApp, &IWebBrowser2::GoBack);
}
void CWebCtrlWnd::GoForward()
{
    Run(m_pBrowserApp, &IWebBrowser2::GoForward);
}
void CWebCtrlWnd::GoHome()
{
    Run(m_pBrowserApp, &IWebBrowser2::GoHome);
}
void CWebCtrlWnd::GoSearch()
{
    Run(m_pBrowserApp, &IWebBrowser2::GoSearch);
}
void CWebCtrlWnd::Refresh()
{
    Run(m_pBrowserApp, &IWebBrowser2::Refresh);
}
void CWebCtrlWnd::Stop()
{
    Run(m_pBrowserApp, &IWebBrowser2::Stop);
}
void CWebCtrlWnd::Refresh2(int level)
{
    if (m_pBrowserApp != nullptr) {
        VARIANT value;
        value.vt = VT_I4;
        value.lVal = level;
        m_pBrowserApp->Refresh2(&value);
    }
}
