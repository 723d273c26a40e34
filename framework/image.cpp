#include <util/image.h>
#include <util/module.h>

#include <gdiplus.h>

#include <cstring>
#include <utility>
#include <vector>

namespace flat = Gdiplus::DllExports;

namespace {

// A stream over a private copy of the bytes, released with the stream.
IStream* StreamOverCopy(const void* data, size_t size)
{
    if (data == nullptr || size == 0) {
        return nullptr;
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return nullptr;
    }
    void* target = ::GlobalLock(memory);
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    bool read = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30);
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
    }
    ::CloseHandle(file);
    return read;
}

// Runs draw with a GDI+ surface over the device context.
template <typename Draw>
BOOL WithGraphics(HDC dc, Draw draw)
{
    Gdiplus::GpGraphics* graphics = nullptr;
    if (dc == nullptr || flat::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) {
        return FALSE;
    }
    const Gdiplus::GpStatus status = draw(graphics);
    flat::GdipDeleteGraphics(graphics);
    return status == Gdiplus::Ok;
}

} // namespace

CKxImage::~CKxImage()
{
    Destroy();
}

CKxImage::CKxImage(CKxImage&& other) noexcept
    : m_image(std::exchange(other.m_image, nullptr)), m_stream(std::exchange(other.m_stream, nullptr))
{
}

CKxImage& CKxImage::operator=(CKxImage&& other) noexcept
{
    if (this != &other) {
        Destroy();
        m_image = std::exchange(other.m_image, nullptr);
        m_stream = std::exchange(other.m_stream, nullptr);
    }
    return *this;
}

void CKxImage::Destroy()
{
    if (m_image) {
        flat::GdipDisposeImage(m_image);
        m_image = nullptr;
    }
    if (m_stream) {
        m_stream->Release();
        m_stream = nullptr;
    }
}

BOOL CKxImage::LoadFromMemory(const void* data, size_t size)
{
    Destroy();
    IStream* stream = StreamOverCopy(data, size);
    if (stream == nullptr) {
        return FALSE;
    }
    Gdiplus::GpImage* image = nullptr;
    if (flat::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok || image == nullptr) {
        stream->Release();
        return FALSE;
    }
    m_image = image;
    m_stream = stream;
    return TRUE;
}

BOOL CKxImage::LoadFromFile(const wchar_t* path)
{
    std::vector<BYTE> bytes;
    if (path == nullptr || !ReadWholeFile(path, bytes)) {
        Destroy();
        return FALSE;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

BOOL CKxImage::LoadFromStream(IStream* stream)
{
    std::vector<BYTE> bytes;
    if (stream) {
        BYTE chunk[16384];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(chunk, sizeof(chunk), &got)) && got > 0) {
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

BOOL CKxImage::LoadFromResource(UINT id, const wchar_t* type, HMODULE module)
{
    if (module == nullptr) {
        module = AfxGetResourceHandle();
    }
    HRSRC resource = type ? ::FindResourceW(module, MAKEINTRESOURCEW(id), type) : nullptr;
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        Destroy();
        return FALSE;
    }
    return LoadFromMemory(data, ::SizeofResource(module, resource));
}

int CKxImage::GetWidth() const
{
    UINT width = 0;
    return m_image && flat::GdipGetImageWidth(m_image, &width) == Gdiplus::Ok ? static_cast<int>(width) : 0;
}

int CKxImage::GetHeight() const
{
    UINT height = 0;
    return m_image && flat::GdipGetImageHeight(m_image, &height) == Gdiplus::Ok ? static_cast<int>(height) : 0;
}

BOOL CKxImage::Draw(HDC dc, int x, int y) const
{
    return Draw(dc, RECT{x, y, x + GetWidth(), y + GetHeight()});
}

BOOL CKxImage::Draw(HDC dc, const RECT& destination) const
{
    return Draw(dc, destination, RECT{0, 0, GetWidth(), GetHeight()});
}

BOOL CKxImage::Draw(HDC dc, const RECT& destination, const RECT& source) const
{
    if (m_image == nullptr) {
        return FALSE;
    }
    return WithGraphics(dc, [&](Gdiplus::GpGraphics* graphics) {
        // Mirrored edges: a stretched picture does not fade into transparency at its border.
        Gdiplus::GpImageAttributes* attributes = nullptr;
        if (flat::GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
            flat::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
        }
        const Gdiplus::GpStatus status = flat::GdipDrawImageRectRectI(
            graphics, m_image, destination.left, destination.top, destination.right - destination.left,
            destination.bottom - destination.top, source.left, source.top, source.right - source.left,
            source.bottom - source.top, Gdiplus::UnitPixel, attributes, nullptr, nullptr);
        if (attributes) {
            flat::GdipDisposeImageAttributes(attributes);
        }
        return status;
    });
}
