#include <util/static.h>

CStatic::~CStatic() = default;

BOOL CStatic::Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(L"STATIC", text, style, rect, parent, id);
}

HBRUSH CStatic::CtlColor(CDC*, UINT)
{
    return nullptr;
}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC) {
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
    HBRUSH brush = CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), message - WM_CTLCOLORMSGBOX);
    if (brush == nullptr) {
        return FALSE;
    }
    *result = reinterpret_cast<LRESULT>(brush);
    return TRUE;
}
