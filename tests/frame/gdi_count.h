#pragma once

// Live GDI objects of this process, for leak checks.
#include <windows.h>

inline DWORD GdiObjects()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted > 0) {
        return counted;
    }
    // Wine keeps no count. Its handles index a table of 65536 entries by their low word, and a handle
    // whose high word is zero matches an entry of any generation, so probing every index counts them.
    DWORD live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return live;
}
