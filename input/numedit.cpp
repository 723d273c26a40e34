#include <util/numedit.h>

#include <util/inputplatform.h>
#include <util/kxmsg.h>

#include <cwchar>

namespace {

constexpr int kReadChars = 99;
constexpr UINT kDefaultBeep = 0xFFFFFFFF;

bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

} // namespace

void CKxNumEdit::SetType(int type)
{
    m_nType = type;
}

void CKxNumEdit::SetMinMax(double minimum, double maximum)
{
    m_dMin = minimum;
    m_dMax = maximum;
}

void CKxNumEdit::OnChar(UINT ch, UINT repeatCount, UINT flags)
{
    const auto typed = static_cast<wchar_t>(ch);
    const bool numeric = typed == L'\b' || typed == L'-' || IsDigit(typed);
    bool accepted = true;
    if (m_nType == 1) {
        accepted = numeric;
        if (!accepted) {
            KxGetInputPlatform().messageBeep(kDefaultBeep);
        }
    } else if (m_nType == 2) {
        if (numeric || typed == L'.') {
            accepted = AcceptsDecimal(typed);
        } else {
            accepted = false;
            KxGetInputPlatform().messageBox(m_hWnd, L"请填入一个有效数字！", L"提示", MB_OK | MB_ICONWARNING);
        }
    }
    if (accepted) {
        CEdit::OnChar(ch, repeatCount, flags);
    }
}

bool CKxNumEdit::AcceptsDecimal(wchar_t ch) const
{
    wchar_t candidate[kReadChars + 2] = {};
    const int length = ::GetWindowTextW(m_hWnd, candidate, kReadChars + 1);
    if ((ch == L'.' && std::wcschr(candidate, L'.')) || (ch == L'-' && std::wcschr(candidate, L'-'))) {
        KxGetInputPlatform().messageBeep(kDefaultBeep);
        return false;
    }
    candidate[length] = ch;
    candidate[length + 1] = 0;
    wchar_t* end = nullptr;
    const double value = std::wcstod(candidate, &end);
    // Refused silently when out of range; a text that is not a number yet has no range to leave.
    return end == candidate || (value >= m_dMin && value <= m_dMax);
}

void CKxRichEdit::OnVScroll(UINT code, UINT position, CWnd* scrollBar)
{
    CRichEditCtrl::OnVScroll(code, position, scrollBar);
    const MSG* message = GetCurrentMessage();
    if (message && ::GetParent(m_hWnd)) {
        ::PostMessageW(::GetParent(m_hWnd), WM_KX_RICHEDIT_VSCROLLED, message->wParam, message->lParam);
    }
}
