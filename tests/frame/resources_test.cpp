#include <util/drawfun.h>

#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

HMODULE Library()
{
    return GetModuleHandleW(L"util.dll");
}

// The bytes of a resource of type "Image" in the library.
std::pair<const BYTE*, DWORD> ImageBytes(int id)
{
    const HRSRC found = FindResourceW(Library(), MAKEINTRESOURCEW(id), L"Image");
    if (found == nullptr) {
        return {nullptr, 0};
    }
    return {static_cast<const BYTE*>(LockResource(LoadResource(Library(), found))), SizeofResource(Library(), found)};
}

// Decodes an "Image" resource with GDI+ (started by the test program, as a client would).
std::unique_ptr<Gdiplus::Bitmap> DecodeImage(int id)
{
    const auto bytes = ImageBytes(id);
    if (bytes.first == nullptr) {
        return nullptr;
    }
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.second);
    std::memcpy(GlobalLock(memory), bytes.first, bytes.second);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return nullptr;
    }
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) {
        return nullptr;
    }
    return bitmap;
}

int OpaquePixels(Gdiplus::Bitmap& bitmap)
{
    int count = 0;
    for (UINT y = 0; y < bitmap.GetHeight(); ++y) {
        for (UINT x = 0; x < bitmap.GetWidth(); ++x) {
            Gdiplus::Color c;
            bitmap.GetPixel(x, y, &c);
            count += c.GetA() > 128 ? 1 : 0;
        }
    }
    return count;
}

SIZE BitmapSize(int id)
{
    const HBITMAP bitmap = LoadBitmapW(Library(), MAKEINTRESOURCEW(id));
    SIZE size = {0, 0};
    KXDRAWFUN::GetBmpSize(bitmap, &size);
    DeleteObject(bitmap);
    return size;
}

} // namespace

TEST(LibraryResources, TitleButtonImagesArePngsOfOneSize)
{
    for (int id : {121, 122, 123, 135, 136, 137, 138, 139, 140, 141, 142, 143}) {
        const auto bytes = ImageBytes(id);
        ASSERT_NE(bytes.first, nullptr) << id;
        ASSERT_GT(bytes.second, 8u);
        EXPECT_EQ(std::memcmp(bytes.first, "\x89PNG\r\n\x1a\n", 8), 0) << id;
        const auto image = DecodeImage(id);
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->GetWidth(), 26u) << id;
        EXPECT_EQ(image->GetHeight(), 18u) << id;
        EXPECT_GT(OpaquePixels(*image), 10) << id; // a glyph at least
    }
    // Hover and pressed states put a plate behind the glyph.
    EXPECT_GT(OpaquePixels(*DecodeImage(123)), OpaquePixels(*DecodeImage(122)));
    EXPECT_EQ(ImageBytes(124).first, nullptr);
}

TEST(LibraryResources, CheckBoxImages)
{
    for (int id : {144, 145, 146, 147}) {
        const auto image = DecodeImage(id);
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->GetWidth(), 13u);
        EXPECT_EQ(image->GetHeight(), 13u);
    }
    // The checked images differ from the unchecked ones in the middle.
    Gdiplus::Color on, off;
    DecodeImage(144)->GetPixel(5, 8, &on);
    DecodeImage(145)->GetPixel(5, 8, &off);
    EXPECT_NE(on.GetValue(), off.GetValue());
}

TEST(LibraryResources, BitmapsHaveTheirSizes)
{
    EXPECT_EQ(BitmapSize(149).cx, 125); // five 25-pixel buttons
    EXPECT_EQ(BitmapSize(149).cy, 75);  // three states
    EXPECT_GT(BitmapSize(134).cy, 0);
    EXPECT_GT(BitmapSize(125).cx, BitmapSize(126).cx);
    EXPECT_GT(BitmapSize(126).cx, 0);
}

TEST(LibraryResources, ButtonFaceIconsLoadAtTheirSizes)
{
    for (int id : {223, 225, 227, 229, 224, 226, 228, 230}) {
        const int width = id % 2 ? 66 : 98;
        const HICON icon =
            static_cast<HICON>(LoadImageW(Library(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, 20, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << id;
        SIZE size = {0, 0};
        KXDRAWFUN::GetIconSize(icon, &size);
        EXPECT_EQ(size.cx, width) << id;
        EXPECT_EQ(size.cy, 20) << id;
        DestroyIcon(icon);
    }
}

TEST(LibraryResources, CursorsWithTheirHotSpots)
{
    struct Case {
        int id;
        DWORD x, y;
    } cases[] = {{101, 1, 1}, {102, 16, 16}, {103, 16, 16}, {30980, 16, 16}, {30981, 16, 16}};
    for (const Case& c : cases) {
        const HCURSOR cursor = LoadCursorW(Library(), MAKEINTRESOURCEW(c.id));
        ASSERT_NE(cursor, nullptr) << c.id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.x) << c.id;
        EXPECT_EQ(info.yHotspot, c.y) << c.id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}
