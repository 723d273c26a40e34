#include <util/edit.h>

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(L"EDIT", nullptr, style, rect, parent, id);
}

void CEdit::GetSel(int& start, int& end) const
{
    DWORD first = 0;
    DWORD last = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    if (!noScroll) {
        SendMessage(EM_SCROLLCARET);
    }
}

void CEdit::ReplaceSel(const wchar_t* text, BOOL canUndo)
{
    SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text ? text : L""));
}

void CEdit::SetLimitText(UINT maxChars)
{
    SendMessage(EM_LIMITTEXT, maxChars);
}

UINT CEdit::GetLimitText() const
{
    return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT));
}

void CEdit::Clear()
{
    SendMessage(WM_CLEAR);
}

void CEdit::Paste()
{
    SendMessage(WM_PASTE);
}

BOOL CEdit::OnChangeReflect()
{
    return FALSE;
}

BOOL CEdit::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && OnChangeReflect()) {
        *result = 0;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}

BOOL CRichEditCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // The library registers the class; it stays loaded for the life of the process.
    static const HMODULE library = ::LoadLibraryW(L"riched20.dll");
    return library != nullptr && CWnd::Create(L"RichEdit20W", nullptr, style, rect, parent, id);
}
