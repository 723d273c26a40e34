#include <util/verifycode.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>

namespace {

const wchar_t kDefaultCodeSet[] = L"0123856789";
const COLORREF kPalette[8] = {0x0000C8, 0x6D02DB, 0x000000, 0xCE00CE, 0x400040, 0xDC0000, 0x000080, 0xC80080};
// Tenths of a point, before display scaling.
const float kFontPointTenths = 220.0f;

float EffectiveScale(float scale)
{
    return scale == 0.0f ? 1.0f : scale;
}

// "left,top,right,bottom"; missing numbers stay 0.
RECT ParseRect(const std::wstring& text)
{
    LONG values[4] = {};
    const wchar_t* at = text.c_str();
    for (LONG& value : values) {
        wchar_t* end = nullptr;
        value = std::wcstol(at, &end, 10);
        if (end == at || *end != L',') {
            break;
        }
        at = end + 1;
    }
    return RECT{values[0], values[1], values[2], values[3]};
}

} // namespace

CVerifyCodeCtrl::CVerifyCodeCtrl() : m_strCodeSet(kDefaultCodeSet) {}

CVerifyCodeCtrl::~CVerifyCodeCtrl()
{
    FreeResources();
}

int CVerifyCodeCtrl::Create(CMarkupSTL& element, UINT id, CWnd* parent)
{
    const DWORD add = static_cast<DWORD>(element.GetAttribInt(L"addstyle", 0));
    const DWORD remove = static_cast<DWORD>(element.GetAttribInt(L"delstyle", 0));
    const RECT rect = ParseRect(element.GetAttrib(L"rect"));
    return CStatic::Create(L"", (add | WS_VISIBLE) & ~remove, rect, parent, id);
}

void CVerifyCodeCtrl::PreSubclassWindow()
{
    CKXStatic::PreSubclassWindow();
    ModifyStyle(0, SS_NOTIFY);
}

void CVerifyCodeCtrl::SetDPIData(float scaleX, float scaleY)
{
    m_fScaleX = scaleX;
    m_fScaleY = scaleY;
}

int CVerifyCodeCtrl::Init()
{
    if (m_bInitialized) {
        return TRUE;
    }
    if (!IsWindow()) {
        return FALSE;
    }
    const CSize size = PictureSize();
    CClientDC screen(nullptr);
    if (!m_fontCode.CreatePointFont(static_cast<int>(kFontPointTenths / EffectiveScale(m_fScaleX)), L"Arial") ||
        !m_dcPicture.CreateCompatibleDC(&screen) || !m_bmpPicture.CreateCompatibleBitmap(&screen, size.cx, size.cy) ||
        !m_brBackground.CreateSolidBrush(m_crBackground)) {
        FreeResources();
        return FALSE;
    }
    m_hOldBitmap = m_dcPicture.SelectObject(m_bmpPicture.GetSafeHandle());
    m_hOldFont = m_dcPicture.SelectObject(m_fontCode.GetSafeHandle());
    m_dcPicture.SetTextColor(m_crText);
    m_dcPicture.SetBkMode(TRANSPARENT);
    m_bInitialized = TRUE;
    RebuildCode();
    return TRUE;
}

void CVerifyCodeCtrl::FreeResources()
{
    if (m_hOldBitmap) {
        m_dcPicture.SelectObject(m_hOldBitmap);
        m_dcPicture.SelectObject(m_hOldFont);
        m_hOldBitmap = m_hOldFont = nullptr;
    }
    m_dcPicture.DeleteDC();
    m_bmpPicture.DeleteObject();
    m_fontCode.DeleteObject();
    m_brBackground.DeleteObject();
    m_bInitialized = FALSE;
}

void CVerifyCodeCtrl::SetCodeSet(const CString& codeSet)
{
    if (codeSet.IsEmpty()) {
        return;
    }
    m_strCodeSet = codeSet;
    RebuildCode();
}

void CVerifyCodeCtrl::SetCodeLength(int length)
{
    if (!m_bInitialized || length <= 0 || length == m_nCodeLength) {
        return;
    }
    FreeResources();
    m_nCodeLength = length;
    Init();
}

void CVerifyCodeCtrl::RebuildCode()
{
    if (!m_bInitialized || m_strCodeSet.IsEmpty()) {
        return;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    std::wstring code;
    for (int i = 0; i < m_nCodeLength; ++i) {
        code += m_strCodeSet[std::rand() % m_strCodeSet.GetLength()];
    }
    m_strCode = code.c_str();
    ReDrawCode();
}

void CVerifyCodeCtrl::SetColor(const COLORREF& text, const COLORREF& background)
{
    if (!m_bInitialized) {
        return;
    }
    if (background != m_crBackground) {
        CBrush brush;
        if (brush.CreateSolidBrush(background)) {
            m_brBackground.DeleteObject();
            m_brBackground.Attach(brush.Detach());
            m_crBackground = background;
        }
    }
    if (text != m_crText) {
        m_crText = text;
        m_dcPicture.SetTextColor(text);
    }
    ReDrawCode();
}

void CVerifyCodeCtrl::ReDrawCode()
{
    const CSize size = PictureSize();
    const CRect whole(0, 0, size.cx, size.cy);
    m_dcPicture.FillRect(&whole, &m_brBackground);
    const int slot = size.cx / m_nCodeLength;
    for (int i = 0; i < m_nCodeLength && i < m_strCode.GetLength(); ++i) {
        const int k = std::rand() % 8;
        const int dx = std::rand() % 4;
        const int dy = std::rand() % 4;
        m_dcPicture.SetTextColor(kPalette[k] + static_cast<COLORREF>(dy * 256 + dx));
        const wchar_t ch = m_strCode[i];
        m_dcPicture.TextOut(slot * i + dx, dy, &ch, 1);
    }
    m_dcPicture.SetTextColor(m_crText);
    const int dots = (m_nCodeLength + 3) / 4;
    for (int i = 0; i < dots; ++i) {
        const int x = std::rand() % (size.cx - 4) + 2;
        const int y = std::rand() % (size.cy - 4) + 2;
        m_dcPicture.SetPixel(x, y, RGB(255, 255, 255) - m_crText);
        m_dcPicture.SetPixel(x + 1, y, RGB(255, 255, 255) - m_crText);
        m_dcPicture.SetPixel(x, y + 1, RGB(255, 255, 255));
        m_dcPicture.SetPixel(x + 1, y + 1, RGB(255, 255, 255));
    }
    if (IsWindow()) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void CVerifyCodeCtrl::OnPaint()
{
    CPaintDC paint(this);
    if (!m_bInitialized) {
        return;
    }
    CRect client;
    GetClientRect(&client);
    const CSize size = PictureSize();
    paint.SetStretchBltMode(COLORONCOLOR);
    paint.StretchBlt(0, 0, client.Width(), client.Height(), &m_dcPicture, 0, 0, size.cx, size.cy, SRCCOPY);
}

void CVerifyCodeCtrl::OnLButtonDown(UINT, CPoint)
{
    RebuildCode();
}

void CVerifyCodeCtrl::OnMouseMove(UINT, CPoint)
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
}

void CVerifyCodeCtrl::OnDestroy()
{
    FreeResources();
    CKXStatic::OnDestroy();
}
