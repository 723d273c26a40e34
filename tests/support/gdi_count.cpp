#include "support/gdi_count.h"

#include <windows.h>

#include <winternl.h>

namespace testsupport {
namespace {

// One entry of the process's GDI handle table (the table that PEB.GdiSharedHandleTable points to).
// The upper half of `unique` holds the object's type; deleting the object clears it.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    ULONG unique;
    UINT64 user;
};
constexpr int kGdiHandleEntries = 0x10000;

// Wine's GetGuiResources is a stub that answers 0; its GDI handle table is the process's own.
int CountHandleTableEntries()
{
    const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + 0xF8);
    if (table == nullptr) {
        return -1;
    }
    int count = 0;
    for (int i = 0; i < kGdiHandleEntries; ++i) {
        count += (table[i].unique >> 16) != 0 ? 1 : 0;
    }
    return count;
}

} // namespace

int GdiObjectCount()
{
    ::SetLastError(0);
    const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0 || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        return static_cast<int>(count);
    }
    return CountHandleTableEntries();
}

} // namespace testsupport
