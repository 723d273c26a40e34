#include <util/static.h>

BOOL CStatic::Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(L"Static", text, style, rect, parent, id);
}
