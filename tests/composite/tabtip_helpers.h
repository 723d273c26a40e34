#pragma once

// Helpers of the composite control tests: icons, mouse messages and the cursor.
#include <windows.h>

#include <vector>

namespace compositetest {

// A square icon of one colour, destroyed with the object.
class SolidIcon {
public:
    SolidIcon(int size, COLORREF colour)
    {
        std::vector<DWORD> pixels(static_cast<size_t>(size) * size, 0xFF000000 | (GetRValue(colour) << 16) |
                                                                        (GetGValue(colour) << 8) | GetBValue(colour));
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = CreateBitmap(size, size, 1, 32, pixels.data());
        info.hbmMask = CreateBitmap(size, size, 1, 1, nullptr);
        m_icon = CreateIconIndirect(&info);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    ~SolidIcon() { DestroyIcon(m_icon); }
    SolidIcon(const SolidIcon&) = delete;
    SolidIcon& operator=(const SolidIcon&) = delete;
    operator HICON() const { return m_icon; }

private:
    HICON m_icon = nullptr;
};

inline LPARAM At(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

inline POINT Centre(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Puts the cursor on a client point of the window.
inline void CursorTo(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

} // namespace compositetest
