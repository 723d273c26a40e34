#include "skin/skinelement.h"

#include <gdiplus.h>

#include <cwchar>
#include <string>

namespace flat = Gdiplus::DllExports;

namespace skin {

namespace {

// The document's own integer reading takes no sign, but font heights are often negative.
int ReadSignedInt(const CMarkupSTL& xml, const wchar_t* name, int fallback)
{
    const std::wstring text = xml.GetAttrib(name);
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    return end == text.c_str() ? fallback : static_cast<int>(value);
}

} // namespace

RECT ReadRect(const CMarkupSTL& xml)
{
    LONG edges[4] = {};
    const std::wstring text = xml.GetAttrib(L"rect");
    const wchar_t* at = text.c_str();
    for (LONG& edge : edges) {
        wchar_t* end = nullptr;
        const long value = std::wcstol(at, &end, 10);
        if (end == at) {
            break;
        }
        edge = value;
        if (*end != L',') {
            break;
        }
        at = end + 1;
    }
    return RECT{edges[0], edges[1], edges[2], edges[3]};
}

DWORD ReadStyle(const CMarkupSTL& xml, DWORD alwaysAdded)
{
    const auto added = static_cast<DWORD>(xml.GetAttribInt(L"addstyle", 0));
    const auto removed = static_cast<DWORD>(xml.GetAttribInt(L"delstyle", 0));
    return (added | alwaysAdded) & ~removed;
}

LOGFONTW ReadFont(const CMarkupSTL& xml, const CWnd* dialog)
{
    LOGFONTW font{};
    const HFONT dialogFont =
        dialog && dialog->IsWindow() ? reinterpret_cast<HFONT>(::SendMessageW(*dialog, WM_GETFONT, 0, 0)) : nullptr;
    if (dialogFont == nullptr || ::GetObjectW(dialogFont, sizeof(font), &font) != sizeof(font)) {
        font = LOGFONTW{};
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfHeight = 12;
        ::wcscpy(font.lfFaceName, L"宋体");
    }
    font.lfHeight = ReadSignedInt(xml, L"fontsize", font.lfHeight);
    font.lfWeight = xml.GetAttribInt(L"bold", 100);
    font.lfUnderline = static_cast<BYTE>(xml.GetAttribInt(L"underline", 0) != 0);
    const std::wstring face = xml.GetAttrib(L"fontname");
    if (!face.empty()) {
        ::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    }
    return font;
}

bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t* out)
{
    out[0] = L'\0';
    if (folder == nullptr || name == nullptr || *name == L'\0') {
        return false;
    }
    const size_t folderLength = std::wcslen(folder);
    const size_t nameLength = std::wcslen(name);
    if (folderLength + 1 + nameLength >= MAX_PATH) {
        return false;
    }
    std::wmemcpy(out, folder, folderLength);
    out[folderLength] = L'\\';
    std::wmemcpy(out + folderLength + 1, name, nameLength + 1);
    return true;
}

Gdiplus::GpBitmap* LoadBitmap(const wchar_t* path)
{
    if (path == nullptr || *path == L'\0') {
        return nullptr;
    }
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return nullptr;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (flat::GdipCreateBitmapFromFile(path, &bitmap) != Gdiplus::Ok) {
        return nullptr;
    }
    return bitmap;
}

void DeleteBitmap(Gdiplus::GpBitmap* bitmap)
{
    if (bitmap) {
        flat::GdipDisposeImage(bitmap);
    }
}

SIZE BitmapSize(Gdiplus::GpBitmap* bitmap)
{
    UINT width = 0;
    UINT height = 0;
    if (bitmap == nullptr || flat::GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok ||
        flat::GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok) {
        return SIZE{0, 0};
    }
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

bool DrawBitmap(HDC dc, Gdiplus::GpBitmap* bitmap, const RECT& destination)
{
    const SIZE size = BitmapSize(bitmap);
    return DrawBitmap(dc, bitmap, destination,
                      BitmapPart{0, 0, static_cast<float>(size.cx), static_cast<float>(size.cy)});
}

bool DrawBitmap(HDC dc, Gdiplus::GpBitmap* bitmap, const RECT& destination, const BitmapPart& part)
{
    Gdiplus::GpGraphics* graphics = nullptr;
    if (bitmap == nullptr || dc == nullptr || flat::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) {
        return false;
    }
    flat::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    // Mirrored edges: a stretched image does not fade into transparency at its border.
    Gdiplus::GpImageAttributes* attributes = nullptr;
    if (flat::GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        flat::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
    }
    const Gdiplus::GpStatus status = flat::GdipDrawImageRectRect(
        graphics, bitmap, static_cast<float>(destination.left), static_cast<float>(destination.top),
        static_cast<float>(destination.right - destination.left),
        static_cast<float>(destination.bottom - destination.top), part.x, part.y, part.width, part.height,
        Gdiplus::UnitPixel, attributes, nullptr, nullptr);
    if (attributes) {
        flat::GdipDisposeImageAttributes(attributes);
    }
    flat::GdipDeleteGraphics(graphics);
    return status == Gdiplus::Ok;
}

} // namespace skin
