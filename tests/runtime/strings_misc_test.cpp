#include <util/strutil.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct Split {
    std::wstring program;
    std::wstring parameters;
};

Split SplitW(const wchar_t* commandLine, const wchar_t* parameters = nullptr)
{
    Split result{L"stale", L"stale"};
    TranscatExecCmdlineW(commandLine, parameters, result.program, result.parameters);
    return result;
}

MacroItem Item(const char* name, const char* value)
{
    MacroItem item{};
    strncpy(item.name, name, sizeof(item.name) - 1);
    strncpy(item.value, value, sizeof(item.value) - 1);
    return item;
}

// Expands into a buffer of the given capacity prefilled with '#'; returns the written bytes, or
// "<false>" when the expansion failed.
std::string Expand(const std::string& text, const std::vector<MacroItem>& items, unsigned short capacity = 1024)
{
    std::string buffer(capacity + 1u, '#');
    unsigned short length = capacity;
    if (!TransferMacroA(&buffer[0], length, text.c_str(), items.data(), static_cast<unsigned short>(items.size()))) {
        return "<false>";
    }
    EXPECT_EQ(buffer[length], '#') << "no terminator is written";
    return buffer.substr(0, length);
}

const std::vector<MacroItem> kItems = {Item("ACCOUNT", "12345"), Item("Name", "\xd5\xc5\xc8\xfd" /* 张三 */),
                                       Item("ACC2", "other")};

} // namespace

TEST(StrCommandLine, GivenParametersAreTakenAsTheyStand)
{
    const Split both = SplitW(L"prog \"x\"", L"-p");
    EXPECT_EQ(both.program, L"prog \"x\"");
    EXPECT_EQ(both.parameters, L"-p");
    const Split none = SplitW(nullptr);
    EXPECT_EQ(none.program, L"");
    EXPECT_EQ(none.parameters, L"");
    const Split onlyParameters = SplitW(nullptr, L"-q");
    EXPECT_EQ(onlyParameters.program, L"");
    EXPECT_EQ(onlyParameters.parameters, L"-q");
}

TEST(StrCommandLine, QuotedProgram)
{
    Split s = SplitW(L"\"C:\\p q\\a.exe\"  -x");
    EXPECT_EQ(s.program, L"C:\\p q\\a.exe");
    EXPECT_EQ(s.parameters, L"-x");
    s = SplitW(L"\"C:\\p q\\a.exe\" \"x y\"");
    EXPECT_EQ(s.program, L"C:\\p q\\a.exe");
    EXPECT_EQ(s.parameters, L"x y");
    s = SplitW(L"\"a.exe\" \"x\" y");
    EXPECT_EQ(s.parameters, L"\"x\" y");
    s = SplitW(L"\"a.exe\"   ");
    EXPECT_EQ(s.program, L"a.exe");
    EXPECT_EQ(s.parameters, L"");
    s = SplitW(L"\"a.exe\" \"");
    EXPECT_EQ(s.parameters, L"\"") << "a lone quote is no quoted parameter";
    s = SplitW(L"\"no closing quote a b");
    EXPECT_EQ(s.program, L"\"no closing quote a b");
    EXPECT_EQ(s.parameters, L"");
}

TEST(StrCommandLine, ProgramWithBlanksBeforeAQuotedParameter)
{
    Split s = SplitW(L"C:\\p q\\a.exe \"x y\"");
    EXPECT_EQ(s.program, L"C:\\p q\\a.exe");
    EXPECT_EQ(s.parameters, L"x y");
    s = SplitW(L"C:\\p q\\a.exe \"x\" -v");
    EXPECT_EQ(s.program, L"C:\\p q\\a.exe");
    EXPECT_EQ(s.parameters, L"\"x\" -v");
    s = SplitW(L"a \"");
    EXPECT_EQ(s.program, L"a");
    EXPECT_EQ(s.parameters, L"\"");
}

TEST(StrCommandLine, FirstBlankSeparates)
{
    Split s = SplitW(L"notepad.exe file.txt more");
    EXPECT_EQ(s.program, L"notepad.exe");
    EXPECT_EQ(s.parameters, L"file.txt more");
    s = SplitW(L"notepad.exe");
    EXPECT_EQ(s.program, L"notepad.exe");
    EXPECT_EQ(s.parameters, L"");
    s = SplitW(L"");
    EXPECT_EQ(s.program, L"");
    EXPECT_EQ(s.parameters, L"");
}

TEST(StrCommandLine, AnsiFormAndLongLines)
{
    const std::string line = "\"" + T2C(L"C:\\程序 目录\\工具.exe") + "\" " + T2C(L"参数");
    std::string program, parameters;
    TranscatExecCmdlineA(line.c_str(), nullptr, program, parameters);
    EXPECT_EQ(C2T(program.c_str()), L"C:\\程序 目录\\工具.exe");
    EXPECT_EQ(C2T(parameters.c_str()), L"参数");

    const std::wstring longProgram(2000, L'p');
    const Split s = SplitW((longProgram + L" " + std::wstring(3000, L'q')).c_str());
    EXPECT_EQ(s.program, longProgram);
    EXPECT_EQ(s.parameters.size(), 3000u);
}

TEST(StrMacro, ExpandsByPrefixWithoutRegardToCase)
{
    EXPECT_EQ(Expand("id=[M:acc];", kItems), "id=12345;");
    EXPECT_EQ(Expand("[m:NAME]!", kItems), "\xd5\xc5\xc8\xfd!");
    EXPECT_EQ(Expand("[M:ACC]", kItems), "12345") << "the first item that begins with the name wins";
    EXPECT_EQ(Expand("[M:acc2]", kItems), "other");
    EXPECT_EQ(Expand("[M:xyz] and [m:xyz]", kItems), "[M:xyz] and [M:xyz]");
    EXPECT_EQ(Expand("[M:accountx]", kItems), "[M:accountx]");
    EXPECT_EQ(Expand("no macros", kItems), "no macros");
    EXPECT_EQ(Expand("tail [M:acc", kItems), "tail 12345") << "the end of the text ends the name";
}

TEST(StrMacro, StrayBracketsAreDropped)
{
    EXPECT_EQ(Expand("a[b", kItems), "ab");
    EXPECT_EQ(Expand("a[Mx", kItems), "ax");
    EXPECT_EQ(Expand("a[m", kItems), "a");
    EXPECT_EQ(Expand("a[", kItems), "a");
    EXPECT_EQ(Expand("[[M:acc]]", kItems), "12345]");
    EXPECT_EQ(Expand("[M:]", kItems), "[M:]") << "an empty name names no macro";
}

TEST(StrMacro, GbkTextWithBracketLikeBytesIsCopiedWhole)
{
    // 礫 is B5 5B: its second byte is '['.
    EXPECT_EQ(Expand("\xb5\x5b[M:acc]\xb5\x5b", kItems), "\xb5\x5b"
                                                         "12345\xb5\x5b");
}

TEST(StrMacro, CapacityIsHonoured)
{
    EXPECT_EQ(Expand("ab[M:acc]", kItems, 7), "ab12345");
    EXPECT_EQ(Expand("ab[M:acc]", kItems, 6), "<false>");
    EXPECT_EQ(Expand("[M:unknown]", kItems, 11), "[M:unknown]");
    EXPECT_EQ(Expand("[M:unknown]", kItems, 10), "<false>");

    char buffer[8];
    memset(buffer, '#', sizeof(buffer));
    unsigned short length = 4;
    EXPECT_FALSE(TransferMacroA(buffer, length, "abc[M:acc]", kItems.data(), 3));
    EXPECT_EQ(std::string(buffer, 8), "abc1####") << "what fitted stays, nothing past the capacity";
    EXPECT_EQ(length, 4);
}

TEST(StrMacro, BadArguments)
{
    char buffer[16];
    unsigned short length = 16;
    EXPECT_FALSE(TransferMacroA(nullptr, length, "x", kItems.data(), 3));
    EXPECT_FALSE(TransferMacroA(buffer, length, nullptr, kItems.data(), 3));
    EXPECT_FALSE(TransferMacroA(buffer, length, "x", nullptr, 3));
    EXPECT_FALSE(TransferMacroA(buffer, length, "x", kItems.data(), 0));
    length = 0;
    EXPECT_FALSE(TransferMacroA(buffer, length, "x", kItems.data(), 3));
    length = 16;
    EXPECT_TRUE(TransferMacroA(buffer, length, "", kItems.data(), 3));
    EXPECT_EQ(length, 0);
}

TEST(StrMacro, NameAndValueLimits)
{
    const std::string longest(99, 'N');
    std::vector<MacroItem> items = {Item(longest.c_str(), "V")};
    EXPECT_EQ(Expand("[M:" + longest + "]", items), "V");
    // A name is at most 99 characters: the 100th and the ']' are text again.
    EXPECT_EQ(Expand("[M:" + longest + "X]", items), "VX]");

    // Fields filled to the last byte without a terminator are read within their record.
    MacroItem full;
    memset(full.name, 'K', sizeof(full.name));
    memset(full.value, 'v', sizeof(full.value));
    items = {full};
    EXPECT_EQ(Expand("[M:kk]", items), std::string(512, 'v'));
}

TEST(StrHsl, PrimaryAndGreyColours)
{
    double h = -1, s = -1, l = -1;
    RGB2HSL(RGB(255, 0, 0), h, s, l);
    EXPECT_DOUBLE_EQ(h, 0);
    EXPECT_DOUBLE_EQ(s, 1);
    EXPECT_DOUBLE_EQ(l, 0.5);
    RGB2HSL(RGB(0, 255, 0), h, s, l);
    EXPECT_NEAR(h, 1.0 / 3, 1e-12);
    RGB2HSL(RGB(0, 0, 255), h, s, l);
    EXPECT_NEAR(h, 2.0 / 3, 1e-12);
    RGB2HSL(RGB(255, 0, 255), h, s, l);
    EXPECT_NEAR(h, 5.0 / 6, 1e-12);
    RGB2HSL(RGB(128, 128, 128), h, s, l);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    EXPECT_NEAR(l, 128 / 255.0, 1e-12);
    RGB2HSL(RGB(64, 32, 16), h, s, l);
    EXPECT_NEAR(h, 20.0 / 360, 1e-12);
    EXPECT_NEAR(s, 0.6, 1e-12);
    EXPECT_NEAR(l, 40 / 255.0, 1e-12);

    EXPECT_EQ(HSL2RGB(0.0, 1.0, 0.5), RGB(255, 0, 0));
    EXPECT_EQ(HSL2RGB(1.0 / 3, 1.0, 0.5), RGB(0, 255, 0));
    EXPECT_EQ(HSL2RGB(2.0 / 3, 1.0, 0.25), RGB(0, 0, 128));
    EXPECT_EQ(HSL2RGB(0.7, 0.0, 1.0), RGB(255, 255, 255));
    EXPECT_EQ(HSL2RGB(0.0, 0.0, 0.0), RGB(0, 0, 0));
}

TEST(StrHsl, EveryColourSurvivesARoundTrip)
{
    std::vector<int> levels = {1, 127, 128, 254, 255};
    for (int v = 0; v < 256; v += 5) {
        levels.push_back(v);
    }
    int failures = 0;
    for (const int r : levels) {
        for (const int g : levels) {
            for (const int b : levels) {
                const COLORREF colour = RGB(r, g, b);
                double h, s, l;
                RGB2HSL(colour, h, s, l);
                ASSERT_TRUE(h >= 0 && h <= 1 && s >= 0 && s <= 1 && l >= 0 && l <= 1) << std::hex << colour;
                if (HSL2RGB(h, s, l) != colour && ++failures < 5) {
                    ADD_FAILURE() << "colour " << r << "," << g << "," << b << " came back as " << std::hex
                                  << HSL2RGB(h, s, l);
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(StrHsl, IntegerScaleOf240)
{
    int h = -1, s = -1, l = -1;
    RGB2HSL(RGB(255, 0, 0), h, s, l);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 240);
    EXPECT_EQ(l, 120);
    RGB2HSL(RGB(0, 0, 255), h, s, l);
    EXPECT_EQ(h, 160);
    RGB2HSL(RGB(255, 255, 255), h, s, l);
    EXPECT_EQ(l, 240);
    RGB2HSL(RGB(200, 60, 120), h, s, l);
    EXPECT_EQ(h, 222); // 222.86 truncated
    EXPECT_EQ(s, 134); // 134.4
    EXPECT_EQ(l, 122); // 122.35

    EXPECT_EQ(HSL2RGB(0, 240, 120), RGB(255, 0, 0));
    EXPECT_EQ(HSL2RGB(80, 240, 120), RGB(0, 255, 0));
    EXPECT_EQ(HSL2RGB(160, 240, 120), RGB(0, 0, 255));
    EXPECT_EQ(HSL2RGB(0, 0, 240), RGB(255, 255, 255));
}

TEST(StrHsl, HueToComponent)
{
    EXPECT_NEAR(Hue2RGB(0, 1, 0.1), 0.6, 1e-12);
    EXPECT_DOUBLE_EQ(Hue2RGB(0, 1, 0.3), 1);
    EXPECT_NEAR(Hue2RGB(0, 1, 0.6), 0.4, 1e-12);
    EXPECT_DOUBLE_EQ(Hue2RGB(0.2, 1, 0.8), 0.2);
    EXPECT_NEAR(Hue2RGB(0, 1, -0.9), Hue2RGB(0, 1, 0.1), 1e-12) << "hue wraps into [0, 1]";
    EXPECT_NEAR(Hue2RGB(0, 1, 1.6), Hue2RGB(0, 1, 0.6), 1e-12);
}

TEST(StrHsl, OutOfRangeInputSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(HSL2RGB(0.0, 0.0, 1.5), RGB(255, 255, 255));
    EXPECT_EQ(HSL2RGB(0.0, 0.0, -0.5), RGB(0, 0, 0));
    EXPECT_EQ(HSL2RGB(0, 0, 480), RGB(255, 255, 255));
}

TEST(StrPaths, ExtractFilePath)
{
    wchar_t out[MAX_PATH] = L"stale";
    ExtractFilePath(out, L"C:\\a\\b.txt");
    EXPECT_STREQ(out, L"C:\\a\\");
    ExtractFilePath(out, L"C:\\文件夹\\子\\文件.txt");
    EXPECT_STREQ(out, L"C:\\文件夹\\子\\");
    ExtractFilePath(out, L"\\\\server\\share\\f.txt");
    EXPECT_STREQ(out, L"\\\\server\\share\\");
    ExtractFilePath(out, L"dir/f.txt");
    EXPECT_STREQ(out, L"dir/");
    ExtractFilePath(out, L"C:b.txt");
    EXPECT_STREQ(out, L"C:");
    ExtractFilePath(out, L"C:\\");
    EXPECT_STREQ(out, L"C:\\");
    ExtractFilePath(out, L"b.txt");
    EXPECT_STREQ(out, L"");
    wcscpy(out, L"stale");
    ExtractFilePath(out, nullptr);
    EXPECT_STREQ(out, L"");
    ExtractFilePath(nullptr, L"C:\\a\\b");
}

TEST(StrPaths, ExtractFilePathNeverWritesPastMaxPath)
{
    wchar_t out[MAX_PATH + 8];
    wmemset(out, L'#', MAX_PATH + 8);
    const std::wstring longDirectory = L"C:\\" + std::wstring(MAX_PATH, L'd') + L"\\f.txt";
    ExtractFilePath(out, longDirectory.c_str());
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(out[MAX_PATH], L'#');
    const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 5, L'd') + L"\\f";
    ExtractFilePath(out, fits.c_str());
    EXPECT_EQ(wcslen(out), static_cast<size_t>(MAX_PATH - 1));
}

TEST(StrResources, LoadsStringsOfAnyLength)
{
    const HINSTANCE module = GetModuleHandleW(nullptr);
    std::wstring text;
    EXPECT_EQ(KxLoadString(text, module, 41201), 9);
    EXPECT_EQ(text, L"短文本 short");
    for (const auto& [id, length] : {std::pair<UINT, size_t>{41202, 253}, {41203, 254}, {41204, 600}}) {
        EXPECT_EQ(KxLoadString(text, module, id), static_cast<int>(length));
        ASSERT_EQ(text.size(), length) << id;
        EXPECT_EQ(text[length - 1], static_cast<wchar_t>(L'a' + (length - 1) % 26)) << id;
    }
    CString framework;
    EXPECT_EQ(KxLoadString(framework, module, 41204), 600);
    EXPECT_EQ(framework.GetLength(), 600);
    EXPECT_STREQ(framework.Right(3).GetString(), L"zab");
    EXPECT_EQ(KxLoadString(text, module, 41299), 0);
    EXPECT_EQ(text, L"");
}

TEST(StrResources, FixedBufferForm)
{
    wchar_t buffer[5];
    EXPECT_EQ(KxLoadString(buffer, 5, GetModuleHandleW(nullptr), 41201), 4);
    EXPECT_STREQ(buffer, L"短文本 ");
}

TEST(StrMenus, FindItemByCommandId)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 100, L"一");
    AppendMenuW(menu, MF_STRING, 200, L"二");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 300, L"三");
    AppendMenuW(menu, MF_STRING, 200, L"again");
    EXPECT_EQ(KxFindMenuItem(menu, 100), 0);
    EXPECT_EQ(KxFindMenuItem(menu, 200), 1);
    EXPECT_EQ(KxFindMenuItem(menu, 300), 3);
    EXPECT_EQ(KxFindMenuItem(menu, 999), -1);
    EXPECT_EQ(KxFindMenuItem(nullptr, 100), -1);

    wchar_t text[16] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_ID;
    info.dwTypeData = text;
    info.cch = 16;
    EXPECT_TRUE(KxGetMenuItemInfo(menu, 3, TRUE, &info));
    EXPECT_STREQ(text, L"三");
    EXPECT_EQ(info.wID, 300u);
    DestroyMenu(menu);
}

TEST(StrIcons, SizeOfColourAndMonochromeIcons)
{
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 24, 16);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(24, 16, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    ASSERT_NE(icon, nullptr);

    const SIZE size = GetIconSize(icon);
    EXPECT_EQ(size.cx, 24);
    EXPECT_EQ(size.cy, 16);
    DestroyIcon(icon);

    const BYTE andBits[32 * 32 / 8] = {};
    const BYTE xorBits[32 * 32 / 8] = {};
    HICON mono = CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits);
    ASSERT_NE(mono, nullptr);
    const SIZE monoSize = GetIconSize(mono);
    EXPECT_EQ(monoSize.cx, 32);
    EXPECT_EQ(monoSize.cy, 32);
    DestroyIcon(mono);

    const SIZE none = GetIconSize(nullptr);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(none.cy, 0);
}
