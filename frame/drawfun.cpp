// KXDRAWFUN's life and its geometry helpers.
#include <util/drawfun.h>

#include <cstring>

HMODULE KXDRAWFUN::sm_hDGILib = nullptr;
KXDRAWFUN::PFNGRADIENTFILL KXDRAWFUN::sm_GradientFill = nullptr;
KXDRAWFUN::tagDrawTextUnit KXDRAWFUN::sm_TextUnitBuf[KXDRAWFUN::TEXT_UNIT_BUFFER_SIZE];

namespace {

// Every instance holds the imaging library; the last one to go frees it, so that a copy destroyed
// early does not take the gradient routine away from the library's own instance.
int g_instances = 0;

void AttachInstance()
{
    std::memset(KXDRAWFUN::sm_TextUnitBuf, 0, sizeof(KXDRAWFUN::sm_TextUnitBuf));
    if (g_instances++ > 0) {
        return;
    }
    KXDRAWFUN::sm_hDGILib = LoadLibraryW(L"msimg32.dll");
    if (KXDRAWFUN::sm_hDGILib) {
        KXDRAWFUN::sm_GradientFill = reinterpret_cast<KXDRAWFUN::PFNGRADIENTFILL>(
            reinterpret_cast<void*>(GetProcAddress(KXDRAWFUN::sm_hDGILib, "GradientFill")));
    }
}

void DetachInstance()
{
    if (--g_instances > 0 || KXDRAWFUN::sm_hDGILib == nullptr) {
        return;
    }
    KXDRAWFUN::sm_GradientFill = nullptr;
    FreeLibrary(KXDRAWFUN::sm_hDGILib);
    KXDRAWFUN::sm_hDGILib = nullptr;
}

// The library's instance: constructed before the DLL's entry point sees the process attach and
// destroyed after it sees the detach.
KXDRAWFUN g_drawFunctions;

} // namespace

KXDRAWFUN::KXDRAWFUN()
{
    AttachInstance();
}

KXDRAWFUN::KXDRAWFUN(const KXDRAWFUN&)
{
    AttachInstance();
}

KXDRAWFUN& KXDRAWFUN::operator=(const KXDRAWFUN&)
{
    return *this;
}

KXDRAWFUN::~KXDRAWFUN()
{
    DetachInstance();
}

BOOL KXDRAWFUN::PointInBox(int x, int y, const RECT* rect)
{
    return rect && rect->left <= x && x < rect->right && rect->top <= y && y < rect->bottom;
}

int KXDRAWFUN::CalcRectWidth(const RECT* rect)
{
    return rect ? rect->right - rect->left : 0;
}

int KXDRAWFUN::CalcRectHeight(const RECT* rect)
{
    return rect ? rect->bottom - rect->top : 0;
}

BOOL KXDRAWFUN::DeflateRect(RECT* rect, int dl, int dt, int dr, int db)
{
    if (rect == nullptr) {
        return FALSE;
    }
    rect->left += dl;
    rect->top += dt;
    rect->right -= dr;
    rect->bottom -= db;
    return TRUE;
}

BOOL KXDRAWFUN::InflateRect(RECT* rect, int dl, int dt, int dr, int db)
{
    return DeflateRect(rect, -dl, -dt, -dr, -db);
}
