#include <util/uilanguage.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/dib.h"
#include "support/process.h"

namespace {

// A white surface with a CJK font selected, to draw text into and compare.
class TextCanvas {
public:
    TextCanvas()
        : m_font(CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                             L"SimSun")),
          m_oldFont(SelectObject(m_surface.dc(), m_font))
    {
    }
    ~TextCanvas()
    {
        SelectObject(m_surface.dc(), m_oldFont);
        DeleteObject(m_font);
    }
    TextCanvas(const TextCanvas&) = delete;
    TextCanvas& operator=(const TextCanvas&) = delete;

    HDC dc() const { return m_surface.dc(); }
    std::vector<COLORREF> Pixels() const
    {
        GdiFlush();
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pixels.push_back(m_surface.pixel(x, y));
            }
        }
        return pixels;
    }
    bool HasInk() const { return m_surface.count(RGB(255, 255, 255)) != kWidth * kHeight; }

    static constexpr int kWidth = 200;
    static constexpr int kHeight = 40;

private:
    testsupport::DibSurface m_surface{kWidth, kHeight};
    HFONT m_font;
    HGDIOBJ m_oldFont;
};

enum class Route { ExtTextOut, TextOut, DrawText, StaticControl };

std::vector<COLORREF> Draw(const wchar_t* text, Route route)
{
    TextCanvas canvas;
    const int length = static_cast<int>(wcslen(text));
    RECT box{0, 0, TextCanvas::kWidth, TextCanvas::kHeight};
    switch (route) {
    case Route::ExtTextOut:
        ExtTextOutW(canvas.dc(), 2, 2, 0, nullptr, text, static_cast<UINT>(length), nullptr);
        break;
    case Route::TextOut:
        TextOutW(canvas.dc(), 2, 2, text, length);
        break;
    case Route::DrawText:
        DrawTextW(canvas.dc(), text, length, &box, DT_LEFT | DT_TOP | DT_SINGLELINE);
        break;
    case Route::StaticControl: {
        // The platform's own control draws its text inside user32.
        HWND control = CreateWindowExW(0, L"STATIC", text, WS_POPUP, 0, 0, TextCanvas::kWidth, TextCanvas::kHeight,
                                       nullptr, nullptr, nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetCurrentObject(canvas.dc(), OBJ_FONT)), FALSE);
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_ERASEBKGND);
        DestroyWindow(control);
        break;
    }
    }
    return canvas.Pixels();
}

const wchar_t kSimplifiedText[] = L"长门发国";
const wchar_t kTraditionalText[] = L"長門發國";

class UILanguage : public testing::TestWithParam<Route> {
protected:
    void TearDown() override { SetUILanguage(2052); }
};

} // namespace

TEST_P(UILanguage, TraditionalModeDrawsTheTraditionalText)
{
    const std::vector<COLORREF> simplified = Draw(kSimplifiedText, GetParam());
    const std::vector<COLORREF> traditional = Draw(kTraditionalText, GetParam());
    ASSERT_NE(simplified, traditional) << "the font must draw both forms, or the comparison proves nothing";

    ASSERT_EQ(SetUILanguage(1028), 1028);
    EXPECT_EQ(Draw(kSimplifiedText, GetParam()), traditional);

    ASSERT_EQ(SetUILanguage(2052), 2052);
    EXPECT_EQ(Draw(kSimplifiedText, GetParam()), simplified);
}

std::string RouteName(const testing::TestParamInfo<Route>& info)
{
    const char* const names[] = {"ExtTextOut", "TextOut", "DrawText", "StaticControl"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryRoute, UILanguage,
                         testing::Values(Route::ExtTextOut, Route::TextOut, Route::DrawText, Route::StaticControl),
                         RouteName);

TEST(UILanguageState, SwitchingReportsTheLanguageInForce)
{
    EXPECT_EQ(SetUILanguage(0), 2052);
    EXPECT_EQ(SetUILanguage(2052), 2052);
    EXPECT_EQ(SetUILanguage(1028), 1028);
    EXPECT_EQ(SetUILanguage(1028), 1028);
    EXPECT_EQ(SetUILanguage(7), 2052);
    EXPECT_EQ(SetUILanguage(7), 2052);
}

TEST(UILanguageState, CallersTextIsLeftAsItWas)
{
    TextCanvas canvas;
    wchar_t text[] = L"长门";
    ASSERT_EQ(SetUILanguage(1028), 1028);
    ExtTextOutW(canvas.dc(), 0, 0, 0, nullptr, text, 2, nullptr);
    SetUILanguage(2052);
    EXPECT_STREQ(text, L"长门");
    EXPECT_TRUE(canvas.HasInk());
}

// Scenarios with their own table beside a copy of the library, each in a fresh process.
namespace {

void WriteTable(const std::wstring& path, const std::vector<wchar_t>& entries)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, entries.data(), static_cast<DWORD>(entries.size() * 2), &written, nullptr);
    CloseHandle(file);
}

void ExpectChildPasses(const testsupport::TempDir& dir, const char* test)
{
    const std::wstring program = testsupport::CopyProgramTo(dir.path());
    const testsupport::ChildResult child = testsupport::RunTestOfProgram(program, test, dir.path());
    EXPECT_EQ(child.exitCode, 0u) << child.output;
    EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
}

} // namespace

TEST(UILanguageFiles, MissingTableKeepsSimplified)
{
    testsupport::TempDir dir;
    ExpectChildPasses(dir, "UILanguageChild.NoTable");
}

TEST(UILanguageChild, NoTable)
{
    if (!testsupport::IsFreshProcess()) {
        GTEST_SKIP() << "runs inside UILanguageFiles";
    }
    EXPECT_EQ(SetUILanguage(1028), 2052);
    EXPECT_EQ(Draw(kSimplifiedText, Route::ExtTextOut), Draw(kSimplifiedText, Route::ExtTextOut));
}

TEST(UILanguageFiles, ShortTableLeavesTheRestAlone)
{
    testsupport::TempDir dir;
    std::vector<wchar_t> entries;
    for (wchar_t c = 0; c < L'c'; ++c) {
        entries.push_back(c == L'a' ? L'b' : c);
    }
    WriteTable(dir.file(L"s2t.tbl"), entries);
    ExpectChildPasses(dir, "UILanguageChild.ShortTable");
}

TEST(UILanguageChild, ShortTable)
{
    if (!testsupport::IsFreshProcess()) {
        GTEST_SKIP() << "runs inside UILanguageFiles";
    }
    const std::vector<COLORREF> expected = Draw(L"bbx长", Route::ExtTextOut);
    ASSERT_NE(Draw(L"abx长", Route::ExtTextOut), expected);

    // Glyph indexes are no characters: the table must not touch them.
    TextCanvas glyphs;
    const WORD indexes[] = {0x61, 0x62, 0x61};
    ExtTextOutW(glyphs.dc(), 2, 2, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(indexes), 3, nullptr);
    const std::vector<COLORREF> glyphPixels = glyphs.Pixels();

    ASSERT_EQ(SetUILanguage(1028), 1028);
    EXPECT_EQ(Draw(L"abx长", Route::ExtTextOut), expected);
    TextCanvas glyphsAgain;
    ExtTextOutW(glyphsAgain.dc(), 2, 2, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(indexes), 3, nullptr);
    EXPECT_EQ(glyphsAgain.Pixels(), glyphPixels);
    SetUILanguage(2052);
}
