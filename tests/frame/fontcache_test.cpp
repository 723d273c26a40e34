#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "support/gdi_count.h"

namespace {

tagYFontDes Description(const wchar_t* face, float points, LONG weight = FW_NORMAL)
{
    tagYFontDes d;
    std::memset(&d, 0, sizeof(d));
    d.lCharSet = 1;
    wcsncpy(d.szFaceName, face, 30);
    d.fPointSize = points;
    d.lWeight = weight;
    return d;
}

LOGFONTW LogFontOf(HFONT font)
{
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

LOGFONTW Plain(const wchar_t* face, LONG height)
{
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = height;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, face);
    return lf;
}

int ScreenPixelsPerInch()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

TEST(FontDescription, IsAPlainRecordOf116Bytes)
{
    EXPECT_EQ(sizeof(tagYFontDes), 116u);
    EXPECT_EQ(offsetof(tagYFontDes, lWeight), 16u);
    EXPECT_EQ(offsetof(tagYFontDes, szFaceName), 52u);
}

TEST(SharedFonts, OneHandlePerDescriptionStillValidAfterDeletes)
{
    const tagYFontDes d = Description(L"Tahoma", 8.0f);
    const HFONT first = Y_CreateFont(&d);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Y_CreateFont(&d), first);
    EXPECT_TRUE(Y_DeleteFont(first));
    EXPECT_TRUE(Y_DeleteFont(first));
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(Y_CreateFont(&d), first);

    const tagYFontDes bold = Description(L"Tahoma", 8.0f, FW_BOLD);
    const HFONT other = Y_CreateFont(&bold);
    EXPECT_NE(other, first);
    EXPECT_EQ(LogFontOf(other).lfWeight, FW_BOLD);
    EXPECT_TRUE(Y_DeleteFont(nullptr));
    EXPECT_TRUE(Y_DeleteFont(reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT))));
}

TEST(SharedFonts, PointSizeBecomesHeightAtTheScreensPixelsPerInch)
{
    const tagYFontDes d = Description(L"Tahoma", 8.0f);
    const LOGFONTW lf = LogFontOf(Y_CreateFont(&d));
    EXPECT_EQ(lf.lfHeight, -std::lround(8.0 * ScreenPixelsPerInch() / 72.0));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfCharSet, 1);

    tagYFontDes styled = Description(L"SimSun", 10.5f);
    styled.lItalic = 0x101; // only the low byte counts
    styled.lUnderline = 1;
    styled.lQuality = 0x203;
    const LOGFONTW s = LogFontOf(Y_CreateFont(&styled));
    EXPECT_EQ(s.lfItalic, 1);
    EXPECT_EQ(s.lfUnderline, 1);
    EXPECT_EQ(s.lfQuality, 3);
    EXPECT_EQ(s.lfHeight, -std::lround(10.5 * ScreenPixelsPerInch() / 72.0));
}

TEST(SharedFonts, BytesAfterTheFaceNameMakeAnotherFont)
{
    LOGFONTW a = Plain(L"Tahoma", -13);
    LOGFONTW b = a;
    b.lfFaceName[20] = L'x'; // after the terminator
    const HFONT fa = Y_CreateFont(&a);
    const HFONT fb = Y_CreateFont(&b);
    EXPECT_NE(fa, fb);
    EXPECT_EQ(Y_CreateFont(&a), fa);
    EXPECT_EQ(Y_CreateFont(&b), fb);
    EXPECT_EQ(Y_CreateFont(static_cast<const LOGFONTW*>(nullptr)), nullptr);
    EXPECT_EQ(Y_CreateFont(static_cast<const tagYFontDes*>(nullptr)), nullptr);
}

TEST(FontCache, CountsUsesAndDeletesItsFontsWhenDestroyed)
{
    HFONT font = nullptr, other = nullptr;
    {
        CKxFontCache cache;
        const LOGFONTW lf = Plain(L"Tahoma", -11);
        font = cache.Acquire(lf);
        EXPECT_EQ(cache.GetUseCount(font), 1);
        EXPECT_EQ(cache.Acquire(lf), font);
        EXPECT_EQ(cache.Acquire(lf), font);
        EXPECT_EQ(cache.GetUseCount(font), 3);
        cache.Release(font);
        EXPECT_EQ(cache.GetUseCount(font), 2);
        cache.Release(font);
        cache.Release(font);
        cache.Release(font); // one too many: the count stays at zero
        EXPECT_EQ(cache.GetUseCount(font), 0);
        EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(cache.Acquire(lf), font);
        EXPECT_EQ(cache.GetUseCount(font), 1);

        other = cache.Acquire(Plain(L"Tahoma", -12));
        EXPECT_NE(other, font);
        EXPECT_EQ(cache.GetFontCount(), 2);
        EXPECT_EQ(cache.GetUseCount(reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT))), -1);
    }
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(other), 0u);
}

TEST(FontCache, RepeatedUseCreatesNoNewFonts)
{
    CKxFontCache cache;
    const LOGFONTW lf = Plain(L"Tahoma", -15);
    cache.Release(cache.Acquire(lf));
    const int before = testsupport::GdiObjectCount();
    for (int i = 0; i < 10000; ++i) {
        cache.Release(cache.Acquire(lf));
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
    EXPECT_EQ(cache.GetFontCount(), 1);
}

TEST(SharedFonts, UnloadingTheLibraryDeletesItsFonts)
{
    // A second copy of the library under another name is a module of its own that can be unloaded.
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"util.dll"), own, MAX_PATH);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring copy = std::wstring(folder) + L"util_unload_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    ASSERT_TRUE(CopyFileW(own, copy.c_str(), FALSE));
    const HMODULE library = LoadLibraryW(copy.c_str());
    ASSERT_NE(library, nullptr);
    using CreateFromLogFont = HFONT (*)(const LOGFONTW*);
    const auto create = reinterpret_cast<CreateFromLogFont>(
        reinterpret_cast<void*>(GetProcAddress(library, "_Z12Y_CreateFontPK11tagLOGFONTW")));
    ASSERT_NE(create, nullptr);
    const LOGFONTW lf = Plain(L"Tahoma", -17);
    const HFONT font = create(&lf);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    EXPECT_NE(font, Y_CreateFont(&lf)); // each module has its own cache
    FreeLibrary(library);
    EXPECT_EQ(GetObjectType(font), 0u);
    DeleteFileW(copy.c_str());
}
