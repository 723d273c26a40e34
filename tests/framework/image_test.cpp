#include <util/image.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/process.h"

using testsupport::DibSurface;

namespace {

namespace flat = Gdiplus::DllExports;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);

// An opaque 3 x 2 picture (red green blue / white red red) in the format of the given MIME type,
// made with the imaging library's own encoders.
std::vector<BYTE> EncodedPicture(const wchar_t* mimeType)
{
    Gdiplus::GpBitmap* bitmap = nullptr;
    flat::GdipCreateBitmapFromScan0(3, 2, 0, PixelFormat32bppARGB, nullptr, &bitmap);
    const Gdiplus::ARGB pixels[2][3] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFFFFFFFF, 0xFFFF0000, 0xFFFF0000}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            flat::GdipBitmapSetPixel(bitmap, x, y, pixels[y][x]);
        }
    }
    UINT count = 0, bytes = 0;
    flat::GdipGetImageEncodersSize(&count, &bytes);
    std::vector<BYTE> codecBuffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(codecBuffer.data());
    flat::GdipGetImageEncoders(count, bytes, codecs);
    std::vector<BYTE> encoded;
    for (UINT i = 0; i < count; ++i) {
        if (lstrcmpiW(codecs[i].MimeType, mimeType) != 0) {
            continue;
        }
        IStream* stream = nullptr;
        ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        if (flat::GdipSaveImageToStream(bitmap, stream, &codecs[i].Clsid, nullptr) == Gdiplus::Ok) {
            HGLOBAL memory = nullptr;
            ::GetHGlobalFromStream(stream, &memory);
            STATSTG stat{};
            stream->Stat(&stat, STATFLAG_NONAME);
            const auto* data = static_cast<const BYTE*>(::GlobalLock(memory));
            encoded.assign(data, data + stat.cbSize.QuadPart);
            ::GlobalUnlock(memory);
        }
        stream->Release();
    }
    flat::GdipDisposeImage(bitmap);
    return encoded;
}

void ExpectThreeByTwoAt(const DibSurface& surface, int x, int y)
{
    EXPECT_EQ(surface.pixel(x, y), kRed);
    EXPECT_EQ(surface.pixel(x + 1, y), kGreen);
    EXPECT_EQ(surface.pixel(x + 2, y), kBlue);
    EXPECT_EQ(surface.pixel(x, y + 1), kWhite);
    EXPECT_EQ(surface.pixel(x + 1, y + 1), kRed);
    EXPECT_EQ(surface.pixel(x + 3, y), RGB(0, 0, 0)); // nothing drawn beside the picture
    EXPECT_EQ(surface.pixel(x, y + 2), RGB(0, 0, 0));
}

// The same picture as a GIF (the imaging library here has no GIF encoder): palette red, green,
// blue, white.
const BYTE kGifThreeByTwo[] = {0x47, 0x49, 0x46, 0x38, 0x37, 0x61, 0x03, 0x00, 0x02, 0x00, 0x81, 0x00,
                               0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                               0xFF, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00, 0x00, 0x08,
                               0x09, 0x00, 0x01, 0x04, 0x10, 0x30, 0x00, 0x00, 0x80, 0x80, 0x00, 0x3B};

// A stream holding `skipped` bytes of something else, then the picture; positioned at the picture.
IStream* StreamOver(const std::vector<BYTE>& bytes, ULONG skipped = 0)
{
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    const std::vector<BYTE> before(skipped, 0xEE);
    ULONG written = 0;
    stream->Write(before.data(), skipped, &written);
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER position{};
    position.QuadPart = skipped;
    stream->Seek(position, STREAM_SEEK_SET, nullptr);
    return stream;
}

} // namespace

TEST(Image, PngBmpAndGifDrawPixelForPixel)
{
    const std::vector<std::vector<BYTE>> pictures = {
        EncodedPicture(L"image/png"), EncodedPicture(L"image/bmp"),
        std::vector<BYTE>(std::begin(kGifThreeByTwo), std::end(kGifThreeByTwo))};
    for (const std::vector<BYTE>& bytes : pictures) {
        SCOPED_TRACE(testing::Message() << "picture starting with " << bytes.at(0));
        CKxImage image;
        ASSERT_TRUE(image.LoadFromMemory(bytes.data(), bytes.size()));
        EXPECT_EQ(image.GetSize(), CSize(3, 2));
        DibSurface surface(10, 10, RGB(0, 0, 0));
        ASSERT_TRUE(image.Draw(surface.dc(), 4, 5));
        ExpectThreeByTwoAt(surface, 4, 5);
    }
}

TEST(Image, StreamsAreCopiedAndMayBeReleasedAtOnce)
{
    const std::vector<BYTE> bytes = EncodedPicture(L"image/png");
    CKxImage image;
    // Read from the current position: a stream that holds something before the picture works.
    IStream* stream = StreamOver(bytes, 5);
    ASSERT_TRUE(image.LoadFromStream(stream));
    EXPECT_EQ(stream->Release(), 0u);
    DibSurface surface(6, 4, RGB(0, 0, 0));
    ASSERT_TRUE(image.Draw(surface.dc(), 0, 0));
    ExpectThreeByTwoAt(surface, 0, 0);

    IStream* empty = StreamOver({});
    EXPECT_FALSE(image.LoadFromStream(empty));
    empty->Release();
    EXPECT_FALSE(image.IsValid());
    EXPECT_FALSE(image.LoadFromStream(nullptr));
}

TEST(Image, FilesAreReadAndNotKeptOpen)
{
    testsupport::TempDir folder;
    const std::wstring path = folder.file(L"图片.png");
    const std::vector<BYTE> bytes = EncodedPicture(L"image/png");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);

    CKxImage image;
    ASSERT_TRUE(image.LoadFromFile(path.c_str()));
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
    DibSurface surface(6, 4, RGB(0, 0, 0));
    ASSERT_TRUE(image.Draw(surface.dc(), 1, 1));
    ExpectThreeByTwoAt(surface, 1, 1);

    EXPECT_FALSE(image.LoadFromFile(path.c_str())); // gone now
    EXPECT_FALSE(image.IsValid());
    EXPECT_FALSE(image.LoadFromFile(nullptr));
}

TEST(Image, UndecodableDataLeavesNoPicture)
{
    std::vector<BYTE> bytes = EncodedPicture(L"image/png");
    CKxImage image;
    ASSERT_TRUE(image.LoadFromMemory(bytes.data(), bytes.size()));
    const std::vector<BYTE> garbage(200, 0x5A);
    EXPECT_FALSE(image.LoadFromMemory(garbage.data(), garbage.size()));
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 0);
    DibSurface surface(4, 4, RGB(0, 0, 0));
    EXPECT_FALSE(image.Draw(surface.dc(), 0, 0));
    EXPECT_EQ(surface.count(RGB(0, 0, 0)), 16);
    EXPECT_FALSE(image.LoadFromMemory(nullptr, 10));
    bytes.resize(bytes.size() / 2); // a truncated file
    CKxImage truncated;
    if (truncated.LoadFromMemory(bytes.data(), bytes.size())) {
        EXPECT_FALSE(truncated.Draw(surface.dc(), 0, 0) && surface.pixel(1, 0) == kGreen);
    }
}

TEST(Image, ResourcesOfTypeImage)
{
    CKxImage image;
    ASSERT_TRUE(image.LoadFromResource(1, L"Image", ::GetModuleHandleW(nullptr)));
    EXPECT_EQ(image.GetSize(), CSize(4, 3));
    DibSurface surface(4, 3, kWhite);
    ASSERT_TRUE(image.Draw(surface.dc(), 0, 0));
    EXPECT_EQ(surface.pixel(0, 0), kRed);
    EXPECT_EQ(surface.pixel(1, 0), kGreen);
    EXPECT_EQ(surface.pixel(3, 0), kWhite); // fully transparent
    // Half-transparent black over white blends to grey.
    const COLORREF blended = surface.pixel(0, 2);
    EXPECT_NEAR(GetRValue(blended), 127, 2);
    EXPECT_EQ(GetRValue(blended), GetBValue(blended));

    EXPECT_FALSE(image.LoadFromResource(1, L"Other", ::GetModuleHandleW(nullptr)));
    EXPECT_FALSE(image.LoadFromResource(65000)); // the library has no such picture
    EXPECT_FALSE(image.IsValid());
}

TEST(Image, StretchingAndParts)
{
    const std::vector<BYTE> bytes = EncodedPicture(L"image/png");
    CKxImage image;
    ASSERT_TRUE(image.LoadFromMemory(bytes.data(), bytes.size()));
    DibSurface surface(20, 20, RGB(0, 0, 0));
    // The bottom-right 2 x 1 part is plain red: stretched, it fills the whole target, edges included.
    ASSERT_TRUE(image.Draw(surface.dc(), RECT{2, 3, 12, 9}, RECT{1, 1, 3, 2}));
    EXPECT_EQ(surface.count(kRed, RECT{2, 3, 12, 9}), 60);
    EXPECT_EQ(surface.count(RGB(0, 0, 0)), 400 - 60);

    surface.fill(RGB(0, 0, 0));
    ASSERT_TRUE(image.Draw(surface.dc(), RECT{0, 0, 6, 4}));
    EXPECT_EQ(surface.pixel(0, 0), kRed);
    EXPECT_EQ(surface.pixel(5, 0), kBlue);
    EXPECT_EQ(surface.pixel(0, 3), kWhite);
    EXPECT_EQ(surface.pixel(6, 0), RGB(0, 0, 0));
}

TEST(Image, MovingHandsThePictureOverAndNothingLeaks)
{
    const std::vector<BYTE> bytes = EncodedPicture(L"image/png");
    auto cycle = [&] {
        CKxImage first;
        first.LoadFromMemory(bytes.data(), bytes.size());
        CKxImage second(std::move(first));
        CKxImage third;
        third = std::move(second);
        DibSurface surface(4, 4);
        third.Draw(surface.dc(), 0, 0);
        return !first.IsValid() && !second.IsValid() && third.IsValid();
    };
    EXPECT_TRUE(cycle());
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        cycle();
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}
