#include <util/skindlg.h>

#include <util/checkbox.h>
#include <util/iconbutton.h>
#include <util/kxmsg.h>
#include <util/kxstatic.h>
#include <util/passedit.h>
#include <util/shelllink.h>
#include <util/skinbutton.h>
#include <util/verifycode.h>

#include <gdiplus.h>

#include <cwchar>
#include <string>

#include "skin/skinelement.h"

namespace flat = Gdiplus::DllExports;

namespace {

constexpr DWORD kLinkStyle = SS_NOTIFY;
constexpr DWORD kCheckBoxStyle = WS_TABSTOP | BS_AUTO3STATE;
constexpr DWORD kRadioStyle = 0x0100;

bool SameName(const std::wstring& a, const wchar_t* b)
{
    return ::_wcsicmp(a.c_str(), b) == 0;
}

// Copies text into a MAX_PATH buffer; false (buffer unchanged) when it does not fit.
bool CopyPath(const wchar_t* text, wchar_t (&out)[MAX_PATH])
{
    if (text == nullptr || std::wcslen(text) >= MAX_PATH) {
        return false;
    }
    std::wcscpy(out, text);
    return true;
}

// The creator of a library class, given the caller's object only when it is of that class.
template <class Control>
BOOL CreateTyped(CSkinDlg* dialog, Control* (CSkinDlg::*creator)(CMarkupSTL&, UINT, Control*), CMarkupSTL& xml,
                 UINT id, CWnd* wnd)
{
    Control* typed = nullptr;
    if (wnd != nullptr && (typed = dynamic_cast<Control*>(wnd)) == nullptr) {
        return FALSE;
    }
    return (dialog->*creator)(xml, id, typed) != nullptr;
}

// Statics and radio buttons own the font they are given and take a text colour.
template <class Control>
void GiveElementFontAndColor(Control& control, const CMarkupSTL& xml, const CWnd* dialog)
{
    const LOGFONTW description = skin::ReadFont(xml, dialog);
    auto font = std::make_unique<CFont>();
    if (font->CreateFontIndirect(&description)) {
        control.SetTextFont(font.release());
    }
    control.SetTextColor(xml.GetAttribColor(L"color", RGB(0, 0, 0)));
}

} // namespace

CSkinDlg::CSkinDlg(CWnd* parent) : CBaseDlg(static_cast<const wchar_t*>(nullptr), parent) {}
CSkinDlg::CSkinDlg(UINT templateId, CWnd* parent) : CBaseDlg(templateId, parent) {}
CSkinDlg::CSkinDlg(const wchar_t* templateName, CWnd* parent) : CBaseDlg(templateName, parent) {}

CSkinDlg::~CSkinDlg()
{
    skin::DeleteBitmap(m_pBkBitmap);
}

BOOL CSkinDlg::SetXmlFile(const wchar_t* xmlFile, const wchar_t* dialogName)
{
    wchar_t folder[MAX_PATH];
    if (!CopyPath(xmlFile, m_szXmlFile) || !CopyPath(xmlFile, folder)) {
        return FALSE;
    }
    wchar_t* lastSeparator = std::wcsrchr(folder, L'\\');
    wchar_t* lastSlash = std::wcsrchr(folder, L'/');
    if (lastSlash > lastSeparator) {
        lastSeparator = lastSlash;
    }
    if (lastSeparator) {
        *lastSeparator = L'\0';
    } else {
        folder[0] = L'\0';
    }
    std::wcscpy(m_szSkinPath, folder);
    m_strDlgName = dialogName ? dialogName : L"";
    return TRUE;
}

BOOL CSkinDlg::SetSkinPath(const wchar_t* skinPath)
{
    return CopyPath(skinPath, m_szSkinPath);
}

BOOL CSkinDlg::MakeSkinFilePath(const wchar_t* fileName, wchar_t (&out)[MAX_PATH]) const
{
    return skin::JoinPath(m_szSkinPath, fileName, out);
}

void CSkinDlg::SetBitmap(Gdiplus::GpBitmap* bitmap)
{
    if (bitmap != m_pBkBitmap) {
        skin::DeleteBitmap(m_pBkBitmap);
        m_pBkBitmap = bitmap;
    }
    if (m_pBkBitmap && IsWindow()) {
        const CSize size = skin::BitmapSize(m_pBkBitmap);
        SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CSkinDlg::SetBitmap(const wchar_t* path)
{
    SetBitmap(skin::LoadBitmap(path));
}

void CSkinDlg::SetWindowZOrder(HWND insertAfter)
{
    SetWindowPos(insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL CSkinDlg::OnInitDialog()
{
    CMarkupSTL xml;
    const DWORD attributes = ::GetFileAttributesW(m_szXmlFile);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        xml.Load(m_szXmlFile)) {
        ApplySkin(xml);
    }
    CBaseDlg::OnInitDialog();
    return TRUE;
}

BOOL CSkinDlg::ApplySkin(CMarkupSTL& xml)
{
    if (!xml.IsWellFormed()) {
        return FALSE;
    }
    bool found = false;
    xml.ResetPos();
    while (!found && xml.FindElem()) {
        found = SameName(xml.GetTagName(), m_strDlgName);
    }
    // Only the first element of the dialog's name counts, and only as a dialog.
    if (!found || !SameName(xml.GetAttrib(L"clsname"), L"Dialog")) {
        return FALSE;
    }
    ModifyStyle(static_cast<DWORD>(xml.GetAttribInt(L"delstyle", 0)),
                static_cast<DWORD>(xml.GetAttribInt(L"addstyle", 0)));
    const std::wstring caption = xml.GetAttrib(L"text");
    if (!caption.empty()) {
        SetWindowText(caption.c_str());
    }
    wchar_t background[MAX_PATH];
    if (MakeSkinFilePath(xml.GetAttrib(L"bgfile").c_str(), background)) {
        SetBitmap(background);
    }
    m_bEnableMove = xml.GetAttribInt(L"enablemove", 0) != 0;
    xml.IntoElem();
    DoXMLDataExchange(xml);
    xml.OutOfElem();
    return TRUE;
}

void CSkinDlg::DoXMLDataExchange(CMarkupSTL& xml)
{
    while (xml.FindElem()) {
        const std::wstring className = xml.GetAttrib(L"clsname");
        if (!className.empty()) {
            CreateSkinCtrl(xml, static_cast<UINT>(xml.GetAttribInt(L"id", 0)), className.c_str(), nullptr);
        }
    }
}

BOOL CSkinDlg::CreateSkinCtrl(CMarkupSTL& xml, UINT id, const wchar_t* className, CWnd* wnd)
{
    if (className == nullptr || *className == L'\0') {
        return FALSE;
    }
    const std::wstring name = className;
    if (SameName(name, L"KxStatic")) {
        return CreateTyped(this, &CSkinDlg::CreateKXStatic, xml, id, wnd);
    }
    if (SameName(name, L"HyperLink")) {
        return CreateTyped(this, &CSkinDlg::CreateStaticLink, xml, id, wnd);
    }
    if (SameName(name, L"KxButton")) {
        return CreateTyped(this, &CSkinDlg::CreateKXButton, xml, id, wnd);
    }
    if (SameName(name, L"KXCheckBox")) {
        return CreateTyped(this, &CSkinDlg::CreateKXCheckBox, xml, id, wnd);
    }
    if (SameName(name, L"SkinButton")) {
        return CreateTyped(this, &CSkinDlg::CreateKXSkinButton, xml, id, wnd);
    }
    if (SameName(name, L"passEdit")) {
        return CreateTyped(this, &CSkinDlg::CreatePassEdit, xml, id, wnd);
    }
    if (SameName(name, L"VerifyCode")) {
        return CreateTyped(this, &CSkinDlg::CreateVerifyCode, xml, id, wnd);
    }
    return CreatePlatformCtrl(xml, id, className, wnd);
}

template <class Control, class Creator>
Control* CSkinDlg::Adopt(Control* given, Creator create)
{
    std::unique_ptr<Control> owned;
    Control* control = given;
    if (control == nullptr) {
        owned = std::make_unique<Control>();
        control = owned.get();
    }
    if (!create(*control)) {
        return nullptr;
    }
    if (owned) {
        m_arCtrls.push_back(std::move(owned));
    }
    return control;
}

HFONT CSkinDlg::KeepElementFont(const CMarkupSTL& xml)
{
    const LOGFONTW description = skin::ReadFont(xml, this);
    auto font = std::make_unique<CFont>();
    if (!font->CreateFontIndirect(&description)) {
        return nullptr;
    }
    m_fonts.push_back(std::move(font));
    return *m_fonts.back();
}

CKXStatic* CSkinDlg::CreateKXStatic(CMarkupSTL& xml, UINT id, CKXStatic* wnd)
{
    return Adopt(wnd, [&](CKXStatic& control) {
        if (!control.Create(xml.GetAttrib(L"text").c_str(), skin::ReadStyle(xml), skin::ReadRect(xml), this, id)) {
            return false;
        }
        GiveElementFontAndColor(control, xml, this);
        return true;
    });
}

CStaticLink* CSkinDlg::CreateStaticLink(CMarkupSTL& xml, UINT id, CStaticLink* wnd)
{
    return Adopt(wnd, [&](CStaticLink& control) {
        if (!control.Create(xml.GetAttrib(L"text").c_str(), skin::ReadStyle(xml, kLinkStyle), skin::ReadRect(xml), this,
                            id)) {
            return false;
        }
        control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(KeepElementFont(xml)), TRUE);
        control.SetTextColor(xml.GetAttribColor(L"color", ::GetSysColor(COLOR_HIGHLIGHT)),
                             xml.GetAttribColor(L"selcolor", RGB(128, 0, 128)));
        const std::wstring link = xml.GetAttrib(L"link");
        if (!link.empty()) {
            control.SetLinkText(link.c_str());
        }
        return true;
    });
}

CKXButton* CSkinDlg::CreateKXButton(CMarkupSTL& xml, UINT id, CKXButton* wnd)
{
    return Adopt(wnd, [&](CKXButton& control) {
        if (!control.Create(xml.GetAttrib(L"text").c_str(), skin::ReadStyle(xml), skin::ReadRect(xml), this, id)) {
            return false;
        }
        control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(KeepElementFont(xml)), TRUE);
        return true;
    });
}

CKXRadioButton* CSkinDlg::CreateKXRadioButton(CMarkupSTL& xml, UINT id, CKXRadioButton* wnd)
{
    return Adopt(wnd, [&](CKXRadioButton& control) {
        if (!control.Create(xml.GetAttrib(L"text").c_str(), skin::ReadStyle(xml, kRadioStyle), skin::ReadRect(xml),
                            this, id)) {
            return false;
        }
        GiveElementFontAndColor(control, xml, this);
        return true;
    });
}

CKxCheckBox* CSkinDlg::CreateKXCheckBox(CMarkupSTL& xml, UINT id, CKxCheckBox* wnd)
{
    return Adopt(wnd, [&](CKxCheckBox& control) {
        if (!control.Create(skin::ReadStyle(xml, kCheckBoxStyle), skin::ReadRect(xml), this, id)) {
            return false;
        }
        control.SetColor(xml.GetAttribColor(L"color", RGB(0, 0, 0)));
        control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(KeepElementFont(xml)), TRUE);
        control.SetWindowText(xml.GetAttrib(L"text").c_str());
        return true;
    });
}

CSkinButton* CSkinDlg::CreateKXSkinButton(CMarkupSTL& xml, UINT id, CSkinButton* wnd)
{
    return Adopt(wnd, [&](CSkinButton& control) { return control.Create(xml, id, this) != FALSE; });
}

CKXPassEdit* CSkinDlg::CreatePassEdit(CMarkupSTL& xml, UINT id, CKXPassEdit* wnd)
{
    return Adopt(wnd, [&](CKXPassEdit& control) { return control.Create(xml, id, this) != 0; });
}

CVerifyCodeCtrl* CSkinDlg::CreateVerifyCode(CMarkupSTL& xml, UINT id, CVerifyCodeCtrl* wnd)
{
    return Adopt(wnd, [&](CVerifyCodeCtrl& control) {
        if (!control.Create(xml, id, this)) {
            return false;
        }
        control.Init();
        return true;
    });
}

BOOL CSkinDlg::CreatePlatformCtrl(CMarkupSTL& xml, UINT id, const wchar_t* className, CWnd* wnd)
{
    const std::wstring text = xml.GetAttrib(L"text");
    const DWORD style = skin::ReadStyle(xml) | WS_CHILD;
    const RECT rect = skin::ReadRect(xml);
    HWND control = nullptr;
    if (wnd) {
        if (!wnd->CreateEx(0, className, text.c_str(), style, rect, this, id)) {
            return FALSE;
        }
        control = *wnd;
    } else {
        const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE));
        control = ::CreateWindowExW(0, className, text.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    instance, nullptr);
        if (control == nullptr) {
            return FALSE;
        }
    }
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(KeepElementFont(xml)), TRUE);
    if (::_wcsicmp(className, L"ComboBox") == 0) {
        const std::wstring items = xml.GetAttrib(L"data");
        size_t start = 0;
        while (!items.empty() && start <= items.size()) {
            const size_t comma = std::min(items.find(L',', start), items.size());
            const std::wstring item = items.substr(start, comma - start);
            ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            start = comma + 1;
        }
    }
    return TRUE;
}

bool CSkinDlg::PaintBackground(HDC dc, const RECT& screenRect)
{
    CRect client;
    GetClientRect(&client);
    if (m_pBkBitmap == nullptr || dc == nullptr || client.IsRectEmpty()) {
        return false;
    }
    CRect area(screenRect);
    ScreenToClient(&area);
    // The background is stretched over the client area; a child gets the matching part of the image.
    const CSize image = skin::BitmapSize(m_pBkBitmap);
    const double scaleX = static_cast<double>(image.cx) / client.Width();
    const double scaleY = static_cast<double>(image.cy) / client.Height();
    const skin::BitmapPart part{static_cast<float>(area.left * scaleX), static_cast<float>(area.top * scaleY),
                                static_cast<float>(area.Width() * scaleX), static_cast<float>(area.Height() * scaleY)};
    return skin::DrawBitmap(dc, m_pBkBitmap, CRect(0, 0, area.Width(), area.Height()), part);
}

LRESULT CSkinDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KX_PAINTBK && lParam != 0 &&
        PaintBackground(reinterpret_cast<HDC>(wParam), *reinterpret_cast<const RECT*>(lParam))) {
        return 1;
    }
    return CBaseDlg::WindowProc(message, wParam, lParam);
}

BOOL CSkinDlg::OnEraseBkgnd(CDC* dc)
{
    if (m_pBkBitmap == nullptr) {
        return CBaseDlg::OnEraseBkgnd(dc);
    }
    CRect screen;
    GetClientRect(&screen);
    ClientToScreen(&screen);
    return PaintBackground(*dc, screen) ? TRUE : CBaseDlg::OnEraseBkgnd(dc);
}

void CSkinDlg::OnLButtonDown(UINT flags, CPoint point)
{
    if (m_bEnableMove) {
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
        CPoint screen = point;
        ClientToScreen(&screen);
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    }
    CBaseDlg::OnLButtonDown(flags, point);
}

void CSkinDlg::OnDestroy()
{
    CBaseDlg::OnDestroy();
    ReleaseSkinControls();
}

void CSkinDlg::ReleaseSkinControls()
{
    m_arCtrls.clear();
    m_fonts.clear();
}

BOOL CSkinDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->idFrom <= 0xFFFF) {
        if (header->code == KXSKIN_NM_PAINTSELF) {
            *result = 0;
            return TRUE;
        }
        if (header->code == KXSKIN_NM_PAINTBK) {
            const auto* request = reinterpret_cast<const tagKXSKINBKNOTIFY*>(lParam);
            *result = request->pScreenRect != nullptr && PaintBackground(request->hdc, *request->pScreenRect);
            return TRUE;
        }
    }
    return CBaseDlg::OnNotify(wParam, lParam, result);
}
