#include <util/pictureex.h>

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "media/gif_writer.h"
#include "support/dib.h"
#include "support/gdi_count.h"
#include "support/process.h"
#include "support/pump.h"

using testsupport::DibSurface;

namespace {

const COLORREF kRed = kGifPalette[0];
const COLORREF kGreen = kGifPalette[1];
const COLORREF kBlue = kGifPalette[2];
const COLORREF kYellow = kGifPalette[3];
// The long runs go in processes without heap validation (see RunTestWithoutHeapChecks); the mutants
// in shards short enough for one test entry each, 10,000 in all.
const int kGrowthCycles = 1000;
const int kMutationShards = 2;
const int kMutantsPerShard = 5000;

// A movable memory block holding the bytes, as a client hands them over.
class GlobalBytes {
public:
    explicit GlobalBytes(const std::vector<uint8_t>& bytes) : m_size(static_cast<DWORD>(bytes.size()))
    {
        m_block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
        void* data = GlobalLock(m_block);
        std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(data));
        GlobalUnlock(m_block);
    }
    ~GlobalBytes() { GlobalFree(m_block); }
    GlobalBytes(const GlobalBytes&) = delete;
    GlobalBytes& operator=(const GlobalBytes&) = delete;

    HGLOBAL block() const { return m_block; }
    DWORD size() const { return m_size; }

private:
    HGLOBAL m_block;
    DWORD m_size;
};

BOOL LoadBytes(CPictureEx& picture, const std::vector<uint8_t>& bytes)
{
    GlobalBytes block(bytes);
    return picture.Load(block.block(), block.size());
}

// A hidden window the picture paints into; tests read it through WM_PRINTCLIENT.
class PictureWindow {
public:
    PictureWindow()
        : m_window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~PictureWindow()
    {
        if (IsWindow(m_window)) {
            DestroyWindow(m_window);
        }
    }
    PictureWindow(const PictureWindow&) = delete;
    PictureWindow& operator=(const PictureWindow&) = delete;

    HWND hwnd() const { return m_window; }

    COLORREF PixelAt(int x, int y) const
    {
        DibSurface surface(64, 64, RGB(1, 2, 3));
        SendMessageW(m_window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
        return surface.pixel(x, y);
    }

    // Polls: the hidden window gets no WM_PAINT that would wake a wait for messages.
    bool WaitForPixel(int x, int y, COLORREF colour, DWORD timeout) const
    {
        const DWORD start = GetTickCount();
        while (PixelAt(x, y) != colour) {
            if (GetTickCount() - start > timeout) {
                return false;
            }
            testsupport::PumpFor(5);
        }
        return true;
    }

private:
    HWND m_window;
};

int ThreadCount()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

// Three 8 x 6 frames: red over everything, then green and blue squares.
std::vector<uint8_t> ThreeFrames(int delay = 10, int backgroundIndex = 3)
{
    return GifWriter(8, 6, backgroundIndex)
        .Frame({0, 0, 8, 6, 0, delay})
        .Frame({0, 0, 4, 4, 1, delay})
        .Frame({4, 2, 4, 4, 2, delay})
        .Finish();
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> EndlessComments()
{
    GifWriter writer(8, 6, 0);
    for (int i = 0; i < 2000; ++i) {
        writer.Comment("no image follows");
    }
    return writer.Bytes();
}

std::vector<uint8_t> CommentPastTheEnd()
{
    std::vector<uint8_t> bytes = Truncated(ThreeFrames(), 13 + 12);
    const uint8_t comment[] = {0x21, 0xFE, 200, 'x', 'y'};
    bytes.insert(bytes.end(), comment, comment + sizeof(comment));
    return bytes;
}

// Where the third frame starts in ThreeFrames().
size_t ThirdFrameStart()
{
    return GifWriter(8, 6, 3).Frame({0, 0, 8, 6, 0, 10}).Frame({0, 0, 4, 4, 1, 10}).Bytes().size();
}

struct LoadCase {
    const char* name;
    std::vector<uint8_t> bytes;
    BOOL loads;
    BOOL isGif;
    int frames;
    COLORREF background;
};

} // namespace

TEST(PictureEx, GifHeadersFramesAndDamage)
{
    const std::vector<uint8_t> three = ThreeFrames();
    const LoadCase cases[] = {
        {"three frames", three, TRUE, TRUE, 3, kYellow},
        {"one frame is no animation", GifWriter(8, 6, 1).Frame({0, 0, 8, 6, 2}).Finish(), TRUE, TRUE, 0, kGreen},
        {"background index past the table", ThreeFrames(10, 200), TRUE, TRUE, 3, 0xFFFFFF},
        {"comments between frames",
         GifWriter(8, 6, 0).Comment("a").Frame({0, 0, 8, 6, 0, 5}).Comment("b").Frame({0, 0, 8, 6, 1, 5}).Finish(),
         TRUE, TRUE, 2, kRed},
        {"cut inside the third frame", Truncated(three, ThirdFrameStart() + 14), TRUE, TRUE, 2, kYellow},
        {"cut inside the header", Truncated(three, 10), FALSE, FALSE, 0, 0xFFFFFF},
        {"cut inside the colour table", Truncated(three, 20), FALSE, FALSE, 0, 0xFFFFFF},
        {"no image at all", Truncated(three, 25), FALSE, FALSE, 0, 0xFFFFFF},
        {"endless extension blocks", EndlessComments(), FALSE, FALSE, 0, 0xFFFFFF},
        {"sub-block past the end", CommentPastTheEnd(), FALSE, FALSE, 0, 0xFFFFFF},
        {"not a picture", std::vector<uint8_t>(100, 0x5A), FALSE, FALSE, 0, 0xFFFFFF},
    };
    for (const LoadCase& test : cases) {
        SCOPED_TRACE(test.name);
        CPictureEx picture;
        EXPECT_EQ(test.loads, picture.Load(GlobalBytes(test.bytes).block(), static_cast<DWORD>(test.bytes.size())));
        EXPECT_EQ(test.isGif, picture.IsGIF());
        EXPECT_EQ(test.frames, picture.GetFrameCount());
        EXPECT_EQ(test.frames > 1, picture.IsAnimatedGIF() != FALSE);
        EXPECT_EQ(test.background, picture.GetBkColor());
        EXPECT_EQ(test.loads ? CSize(8, 6) : CSize(0, 0), picture.GetSize());
    }
}

TEST(PictureEx, RejectsSizesPastTheBlockAndLoadsFromFiles)
{
    CPictureEx picture;
    const std::vector<uint8_t> bytes = ThreeFrames();
    GlobalBytes block(bytes);
    EXPECT_FALSE(picture.Load(block.block(), static_cast<DWORD>(GlobalSize(block.block()) + 1)));

    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"gif", 0, path);
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(picture.Load(path));
    EXPECT_EQ(3, picture.GetFrameCount());
    DeleteFileW(path);
    EXPECT_FALSE(picture.Load(path));
    EXPECT_FALSE(picture.IsGIF());
}

TEST(PictureEx, LoadsFromTheResourcesOfAModule)
{
    const HMODULE program = GetModuleHandleW(nullptr);
    const struct {
        const wchar_t* name;
        const wchar_t* type;
        BOOL loads;
    } cases[] = {
        {L"INDICATOR", L"GIF", TRUE}, {L"MISSING", L"GIF", FALSE}, {L"INDICATOR", MAKEINTRESOURCEW(10), FALSE}};
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(IS_INTRESOURCE(test.type) ? L"#10" : test.type)));
        PictureWindow window;
        CPictureEx picture(window.hwnd());
        ASSERT_TRUE(LoadBytes(picture, GifWriter(8, 6, 0).Frame({0, 0, 8, 6, 1}).Finish())) << "replaced by the load";
        EXPECT_EQ(test.loads, picture.Load(program, test.name, test.type));
        EXPECT_EQ(test.loads ? 3 : 0, picture.GetFrameCount());
        EXPECT_EQ(test.loads ? CSize(4, 4) : CSize(0, 0), picture.GetSize());
        if (test.loads) {
            EXPECT_EQ(kYellow, picture.GetBkColor());
            picture.Draw();
            EXPECT_TRUE(window.WaitForPixel(3, 3, kBlue, 3000));
            EXPECT_EQ(kGreen, window.PixelAt(0, 0));
            picture.Stop();
        }
    }
}

TEST(PictureEx, LoadsPicturesTheImagingLibraryEncodes)
{
    // {557CF400-...} and {557CF406-...}: the imaging library's BMP and PNG encoders.
    const CLSID bmp = {0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    for (const CLSID& encoder : {bmp, png}) {
        Gdiplus::Bitmap source(5, 3, PixelFormat24bppRGB);
        Gdiplus::Graphics(&source).Clear(Gdiplus::Color(0, 0, 255));
        IStream* stream = nullptr;
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
        ASSERT_EQ(Gdiplus::Ok, source.Save(stream, &encoder, nullptr));
        HGLOBAL block = nullptr;
        GetHGlobalFromStream(stream, &block);
        STATSTG stat = {};
        stream->Stat(&stat, STATFLAG_NONAME);

        PictureWindow window;
        CPictureEx picture(window.hwnd());
        ASSERT_TRUE(picture.Load(block, static_cast<DWORD>(stat.cbSize.QuadPart)));
        EXPECT_FALSE(picture.IsGIF());
        EXPECT_EQ(CSize(5, 3), picture.GetSize());
        EXPECT_EQ(RGB(255, 255, 255), window.PixelAt(2, 1)) << "nothing drawn before Draw";
        picture.Draw();
        EXPECT_FALSE(picture.IsPlaying());
        EXPECT_EQ(kBlue, window.PixelAt(2, 1));
        EXPECT_EQ(RGB(1, 2, 3), window.PixelAt(6, 1)) << "outside the paint rectangle";
        stream->Release();
    }
}

TEST(PictureEx, OnlyAnAnimationStartsOneThread)
{
    PictureWindow window;
    CPictureEx picture(window.hwnd());
    const int before = ThreadCount();
    picture.Draw(); // nothing loaded
    EXPECT_FALSE(picture.IsPlaying());

    ASSERT_TRUE(LoadBytes(picture, GifWriter(8, 6, 0).Frame({0, 0, 8, 6, 2, 10}).Finish()));
    picture.Draw();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(kBlue, window.PixelAt(3, 3));
    EXPECT_EQ(before, ThreadCount());

    ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
    picture.Draw();
    picture.Draw();
    EXPECT_TRUE(picture.IsPlaying());
    EXPECT_EQ(before + 1, ThreadCount());
    picture.Stop();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(before, ThreadCount());
}

// The time between frames with the given delay, from watching the picture change for a while.
double MillisecondsPerFrame(int delay)
{
    PictureWindow window;
    CPictureEx picture(window.hwnd());
    // Each frame covers the whole image in its own colour.
    EXPECT_TRUE(LoadBytes(picture, GifWriter(4, 4, 0)
                                       .Frame({0, 0, 4, 4, 0, delay})
                                       .Frame({0, 0, 4, 4, 1, delay})
                                       .Frame({0, 0, 4, 4, 2, delay})
                                       .Finish()));
    picture.Draw();
    EXPECT_TRUE(window.WaitForPixel(1, 1, kRed, 2000));
    const DWORD start = GetTickCount();
    int changes = 0;
    COLORREF last = kRed;
    while (GetTickCount() - start < 1200) {
        const COLORREF now = window.PixelAt(1, 1);
        changes += now != last ? 1 : 0;
        last = now;
        Sleep(5);
    }
    picture.Stop();
    return changes > 0 ? 1200.0 / changes : 1e9;
}

TEST(PictureEx, FrameDelays)
{
    const struct {
        int delay;
        double expected;
    } cases[] = {{0, 100}, {5, 50}, {20, 200}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.delay);
        const double measured = MillisecondsPerFrame(test.delay);
        EXPECT_GT(measured, test.expected * 0.7);
        EXPECT_LT(measured, test.expected * 1.5);
    }
}

TEST(PictureEx, DisposalMethods)
{
    // Red everywhere, then green at the top left disposed of by the method under test, then a blue
    // corner that stays long enough to look at what the green frame left behind.
    const struct {
        int disposal;
        COLORREF afterGreen;
    } cases[] = {{1, kGreen}, {2, kYellow}, {3, kRed}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.disposal);
        PictureWindow window;
        CPictureEx picture(window.hwnd());
        ASSERT_TRUE(LoadBytes(picture, GifWriter(4, 4, 3)
                                           .Frame({0, 0, 4, 4, 0, 5, 1})
                                           .Frame({0, 0, 2, 2, 1, 5, test.disposal})
                                           .Frame({3, 3, 1, 1, 2, 300, 1})
                                           .Finish()));
        picture.Draw();
        ASSERT_TRUE(window.WaitForPixel(3, 3, kBlue, 3000));
        EXPECT_EQ(test.afterGreen, window.PixelAt(0, 0));
        EXPECT_EQ(kRed, window.PixelAt(2, 2));
        picture.Stop();
    }
}

TEST(PictureEx, TransparentPixelsLeaveWhatLiesBelow)
{
    PictureWindow window;
    CPictureEx picture(window.hwnd());
    // Red, a green corner, then blue everywhere but transparent, then a yellow pixel to wait for.
    ASSERT_TRUE(LoadBytes(picture, GifWriter(4, 4, 0)
                                       .Frame({0, 0, 4, 4, 0, 5, 1})
                                       .Frame({0, 0, 2, 2, 1, 5, 1})
                                       .Frame({0, 0, 4, 4, 2, 5, 1, 2})
                                       .Frame({3, 0, 1, 1, 3, 300, 1})
                                       .Finish()));
    picture.Draw();
    ASSERT_TRUE(window.WaitForPixel(3, 0, kYellow, 3000));
    EXPECT_EQ(kGreen, window.PixelAt(0, 0));
    EXPECT_EQ(kRed, window.PixelAt(3, 3));
    picture.Stop();
}

TEST(PictureEx, StretchesIntoThePaintRectangle)
{
    PictureWindow window;
    CPictureEx picture(window.hwnd());
    ASSERT_TRUE(LoadBytes(picture, GifWriter(8, 6, 0).Frame({0, 0, 8, 6, 1, 10}).Finish()));
    const RECT target = {10, 10, 42, 34};
    picture.SetPaintRect(&target);
    RECT stored = {};
    picture.GetPaintRect(&stored);
    EXPECT_TRUE(EqualRect(&target, &stored));
    picture.Draw();
    EXPECT_EQ(kGreen, window.PixelAt(40, 32));
    EXPECT_EQ(RGB(1, 2, 3), window.PixelAt(5, 5));
}

// The cheapest animation to load: two 1 x 1 frames.
std::vector<uint8_t> TinyAnimation()
{
    return GifWriter(1, 1, 3).Frame({0, 0, 1, 1, 0, 1}).Frame({0, 0, 1, 1, 1, 1}).Finish();
}

TEST(PictureEx, DestroyingTheWindowWhilePlayingStopsTheAnimation)
{
    const std::vector<uint8_t> bytes = ThreeFrames(1);
    const int threads = ThreadCount();
    for (int i = 0; i < 20; ++i) {
        CPictureEx picture;
        PictureWindow window;
        picture.SetPaintHwnd(window.hwnd());
        ASSERT_TRUE(LoadBytes(picture, bytes));
        picture.Draw();
        testsupport::PumpFor(i % 5);
        DestroyWindow(window.hwnd());
        EXPECT_FALSE(picture.IsPlaying());
        EXPECT_FALSE(picture.IsGIF()) << "the picture unloads with its window";
    }
    EXPECT_EQ(threads, ThreadCount());
}

namespace {

void RunWithoutHeapChecks(const std::string& test)
{
    const auto child = testsupport::RunTestWithoutHeapChecks(test);
    EXPECT_TRUE(testsupport::RanOneTestAndPassed(child)) << child.output;
}

TEST(PictureEx, NoGrowthOverLoadPlayStopCycles)
{
    RunWithoutHeapChecks("PictureExSoakChild.LoadPlayStopCycles");
}

class PictureExMutants : public ::testing::TestWithParam<int> {};

TEST_P(PictureExMutants, LoadOrFailCleanly)
{
    RunWithoutHeapChecks("Shards/PictureExMutantsChild.LoadOrFailCleanly/" + std::to_string(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Shards, PictureExMutants, ::testing::Range(0, kMutationShards));

// Skipped in the suite's own process; they run inside the tests above.
class PictureExSoakChild : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::IsFreshProcess()) {
            GTEST_SKIP() << "runs in a child process";
        }
    }
};

TEST_F(PictureExSoakChild, LoadPlayStopCycles)
{
    const std::vector<uint8_t> bytes = TinyAnimation();
    auto cycle = [&] {
        PictureWindow window;
        CPictureEx picture(window.hwnd());
        LoadBytes(picture, bytes);
        picture.Draw();
        window.PixelAt(0, 0);
        picture.Stop();
    };
    cycle();
    const int gdi = testsupport::GdiObjectCount();
    const int threads = ThreadCount();
    for (int i = 0; i < kGrowthCycles; ++i) {
        cycle();
    }
    EXPECT_EQ(gdi, testsupport::GdiObjectCount());
    EXPECT_EQ(threads, ThreadCount());
}

class PictureExMutantsChild : public PictureExSoakChild, public ::testing::WithParamInterface<int> {};

TEST_P(PictureExMutantsChild, LoadOrFailCleanly)
{
    const std::vector<uint8_t> original = TinyAnimation();
    std::mt19937 random(20261207 + GetParam());
    PictureWindow window;
    CPictureEx picture(window.hwnd());
    int loaded = 0;
    for (int i = 0; i < kMutantsPerShard; ++i) {
        std::vector<uint8_t> bytes = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int edit = 0; edit < edits; ++edit) {
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        }
        if (i % 4 == 0) {
            bytes.resize(random() % bytes.size());
        }
        if (LoadBytes(picture, bytes)) {
            ++loaded;
            EXPECT_LE(picture.GetFrameCount(), 2);
            picture.Draw();
            window.PixelAt(0, 0);
            picture.Stop();
        }
    }
    picture.UnLoad();
    EXPECT_GT(loaded, 0);
}

INSTANTIATE_TEST_SUITE_P(Shards, PictureExMutantsChild, ::testing::Range(0, kMutationShards));

} // namespace
