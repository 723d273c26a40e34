// Drawing functions against the plain GDI calls they wrap, measured side by side in one run.
#include <util/drawfun.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "paint_timing.h"

namespace {

using paint_timing::MicrosecondsPerCall;

// target 0: no target, the ratio is for information.
void Report(const char* what, double measured, const char* baselineName, double baseline, double target = 0)
{
    std::printf("%-34s %9.2f us   %-22s %9.2f us   ratio %6.2f", what, measured, baselineName, baseline,
                measured / baseline);
    if (target > 0) {
        std::printf(" (target <= %.1f)", target);
    }
    std::printf("\n");
}

// A 32-bit DIB section in a memory device context.
class Surface {
public:
    Surface(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        PatBlt(m_dc, 0, 0, width, height, WHITENESS);
    }
    ~Surface()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

LOGFONTW Face(const wchar_t* face, LONG height)
{
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = height;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, face);
    return lf;
}

void TranslucentBlit()
{
    Surface source(100, 22), dest(100, 22);
    const double blend = MicrosecondsPerCall(
        2000, [&](int) { KXDRAWFUN::TranslucentBitBlt(dest.dc(), 0, 0, 100, 22, source.dc(), 0, 0, 0.3); });
    const BLENDFUNCTION constantAlpha = {AC_SRC_OVER, 0, static_cast<BYTE>(255 * 0.7), 0};
    const double alphaBlend = MicrosecondsPerCall(2000, [&](int) {
        GdiAlphaBlend(dest.dc(), 0, 0, 100, 22, source.dc(), 0, 0, 100, 22, constantAlpha);
    });
    Report("TranslucentBitBlt 100x22", blend, "AlphaBlend 100x22", alphaBlend, 1.5);
}

// Runs of letters and Chinese characters, as in a quote line.
std::wstring MixedText(size_t length)
{
    const std::wstring pattern = L"SH600000 \u6d66\u53d1\u94f6\u884c 12.35 ";
    std::wstring text;
    while (text.size() < length) {
        text += pattern;
    }
    text.resize(length);
    return text;
}

void TwoFontText()
{
    Surface surface(4000, 30);
    const LOGFONTW wideFace = Face(L"SimSun", -14), narrowFace = Face(L"Tahoma", -12);
    const HFONT wide = CreateFontIndirectW(&wideFace), narrow = CreateFontIndirectW(&narrowFace);
    const RECT rect = {0, 0, 4000, 30};
    for (size_t length : {255u, 256u}) {
        const std::wstring text = MixedText(length);
        const int count = static_cast<int>(length);
        const double twoFonts = MicrosecondsPerCall(40, [&](int) {
            KXDRAWFUN::DrawTextExW(surface.dc(), text.c_str(), count, &rect, DT_LEFT | DT_SINGLELINE, wide, narrow,
                                   RGB(0, 0, 255), RGB(255, 0, 0), 0);
        });
        const HGDIOBJ old = SelectObject(surface.dc(), wide);
        const double plain = MicrosecondsPerCall(
            40, [&](int) { ExtTextOutW(surface.dc(), 0, 0, 0, nullptr, text.c_str(), count, nullptr); });
        SelectObject(surface.dc(), old);
        const std::string what = "DrawTextExW two fonts, " + std::to_string(length) + " chars";
        Report(what.c_str(), twoFonts, "ExtTextOutW", plain);
    }
    DeleteObject(wide);
    DeleteObject(narrow);
}

// A description no call has used before: every miss adds a font to the cache for good.
LOGFONTW FreshDescription()
{
    static LONG serial = 0;
    LOGFONTW lf = Face(L"Tahoma", -13);
    ++serial;
    lf.lfWidth = 1 + serial % 40;
    lf.lfFaceName[LF_FACESIZE - 1] = static_cast<wchar_t>(1 + serial / 40); // after the terminator
    return lf;
}

void SharedFonts()
{
    const LOGFONTW known = Face(L"Tahoma", -13);
    Y_DeleteFont(Y_CreateFont(&known));
    const double hit = MicrosecondsPerCall(20000, [&](int) { Y_DeleteFont(Y_CreateFont(&known)); });
    const double create = MicrosecondsPerCall(20000, [&](int) { DeleteObject(CreateFontIndirectW(&known)); });
    Report("Y_CreateFont hit", hit, "CreateFontIndirectW", create);

    const double miss = MicrosecondsPerCall(400, [&](int) {
        const LOGFONTW fresh = FreshDescription();
        Y_DeleteFont(Y_CreateFont(&fresh));
    });
    const double createFresh = MicrosecondsPerCall(400, [&](int) {
        const LOGFONTW fresh = FreshDescription();
        DeleteObject(CreateFontIndirectW(&fresh));
    });
    Report("Y_CreateFont miss", miss, "CreateFontIndirectW", createFresh);
}

// Wine's heap checking (the test prefix turns it on) makes every allocation walk the heap.
void WarnAboutHeapChecking()
{
    using GetFlags = ULONG(WINAPI*)();
    const auto flags = reinterpret_cast<GetFlags>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetNtGlobalFlags")));
    if (flags && (flags() & 0xF0)) {
        std::printf("note: heap checking is on (GlobalFlag 0x%lx); figures of calls that allocate are inflated\n",
                    flags());
    }
}

} // namespace

int main()
{
    std::printf("drawing functions, time per call (ratio = drawing function / plain GDI call)\n");
    WarnAboutHeapChecking();
    TranslucentBlit();
    TwoFontText();
    SharedFonts();
    return 0;
}
