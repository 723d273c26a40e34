#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstddef>

#include <util/export.h>
#include <util/geometry.h>

namespace Gdiplus {
class GpImage;
}

// A PNG, BMP, GIF (first frame) or other picture the imaging library decodes, drawn on a device
// context. The client must have started GDI+; without it nothing loads. The picture's bytes are
// copied on load: files are not kept open and streams may be released at once.
class UTIL_API CKxImage {
public:
    CKxImage() = default;
    ~CKxImage();
    CKxImage(const CKxImage&) = delete;
    CKxImage& operator=(const CKxImage&) = delete;
    CKxImage(CKxImage&& other) noexcept;
    CKxImage& operator=(CKxImage&& other) noexcept;

    // Each load replaces the current picture; false (and no picture) when the data cannot be decoded.
    BOOL LoadFromFile(const wchar_t* path);
    // Reads the stream from its current position to its end.
    BOOL LoadFromStream(IStream* stream);
    BOOL LoadFromMemory(const void* data, size_t size);
    // A resource of the given type ("Image" by default) of a module (the library's when null).
    BOOL LoadFromResource(UINT id, const wchar_t* type = L"Image", HMODULE module = nullptr);
    void Destroy();

    bool IsValid() const { return m_image != nullptr; }
    // Size in pixels; 0 without a picture.
    int GetWidth() const;
    int GetHeight() const;
    CSize GetSize() const { return CSize(GetWidth(), GetHeight()); }

    // At its own size in pixels, top-left corner at (x, y).
    BOOL Draw(HDC dc, int x, int y) const;
    // Stretched to the destination rectangle.
    BOOL Draw(HDC dc, const RECT& destination) const;
    // The source part of the picture stretched to the destination rectangle.
    BOOL Draw(HDC dc, const RECT& destination, const RECT& source) const;

private:
    Gdiplus::GpImage* m_image = nullptr;
    // GDI+ may decode lazily from the stream it loaded from; the stream lives as long as the picture.
    IStream* m_stream = nullptr;
};
