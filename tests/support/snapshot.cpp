#include "support/snapshot.h"

#include <gdiplus.h>

#include <vector>

namespace testsupport {
namespace {

namespace flat = Gdiplus::DllExports;

bool FindPngEncoder(CLSID* encoder)
{
    UINT count = 0, bytes = 0;
    if (flat::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) {
        return false;
    }
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (flat::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && lstrcmpiW(codecs[i].MimeType, L"image/png") == 0) {
            *encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

bool SaveDCToPng(HDC dc, const RECT& area, const std::wstring& path)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (dc == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    // A copy in a plain bitmap first: the source may be a window whose device context GDI+ cannot read.
    HDC copyDC = ::CreateCompatibleDC(dc);
    HBITMAP copy = ::CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = ::SelectObject(copyDC, copy);
    ::BitBlt(copyDC, 0, 0, width, height, dc, area.left, area.top, SRCCOPY);
    ::SelectObject(copyDC, old);
    ::DeleteDC(copyDC);

    bool saved = false;
    CLSID encoder{};
    Gdiplus::GpBitmap* image = nullptr;
    if (FindPngEncoder(&encoder) && flat::GdipCreateBitmapFromHBITMAP(copy, nullptr, &image) == Gdiplus::Ok) {
        saved = flat::GdipSaveImageToFile(image, path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
        flat::GdipDisposeImage(image);
    }
    ::DeleteObject(copy);
    return saved;
}

bool SaveWindowToPng(HWND window, const std::wstring& path)
{
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds)) {
        return false;
    }
    ::UpdateWindow(window);
    HDC dc = ::GetWindowDC(window);
    const RECT area{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    const bool saved = SaveDCToPng(dc, area, path);
    ::ReleaseDC(window, dc);
    return saved;
}

} // namespace testsupport
