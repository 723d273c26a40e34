#include <util/drawfun.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/gdi_count.h"
#include "surface.h"

namespace {

// Everything a drawing operation may touch on a device context and must give back.
struct DcState {
    HGDIOBJ pen, brush, font, bitmap;
    COLORREF textColour, bkColour;
    int bkMode, rop2, stretchMode, mapMode;
    UINT textAlign;
    POINT position;

    static DcState Of(HDC dc)
    {
        DcState s{};
        s.pen = GetCurrentObject(dc, OBJ_PEN);
        s.brush = GetCurrentObject(dc, OBJ_BRUSH);
        s.font = GetCurrentObject(dc, OBJ_FONT);
        s.bitmap = GetCurrentObject(dc, OBJ_BITMAP);
        s.textColour = GetTextColor(dc);
        s.bkColour = GetBkColor(dc);
        s.bkMode = GetBkMode(dc);
        s.rop2 = GetROP2(dc);
        s.stretchMode = GetStretchBltMode(dc);
        s.mapMode = GetMapMode(dc);
        s.textAlign = GetTextAlign(dc);
        GetCurrentPositionEx(dc, &s.position);
        return s;
    }
};

struct Operation {
    std::string name;
    std::function<void(HDC)> run;
};

// Owns the objects the operations draw with.
class Material {
public:
    Material()
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        for (HBITMAP& b : bitmaps) {
            b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        }
        font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        secondFont = CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"SimSun");
        ICONINFO iconInfo{TRUE, 0, 0, bitmaps[1], bitmaps[0]};
        icon = CreateIconIndirect(&iconInfo);
    }
    ~Material()
    {
        DestroyIcon(icon);
        DeleteObject(font);
        DeleteObject(secondFont);
        for (HBITMAP b : bitmaps) {
            DeleteObject(b);
        }
    }
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    HBITMAP bitmaps[3] = {};
    HFONT font = nullptr;
    HFONT secondFont = nullptr;
    HICON icon = nullptr;
};

// One call of every drawing operation, with arguments that make each one draw.
std::vector<Operation> EveryOperation(const Material& m)
{
    static const RECT r = {2, 2, 60, 30};
    static const POINT points[] = {{1, 1}, {20, 5}, {30, 25}};
    const std::wstring longText(300, L'x');
    return {
        {"DrawLine", [](HDC dc) { KXDRAWFUN::DrawLine(dc, 0, 0, 30, 20, PS_DOT, 1, RGB(1, 2, 3), R2_XORPEN); }},
        {"DrawPolyLine",
         [](HDC dc) { KXDRAWFUN::DrawPolyLine(dc, points, 3, PS_SOLID, 2, RGB(1, 2, 3), R2_NOTCOPYPEN); }},
        {"DrawRect", [](HDC dc) { KXDRAWFUN::DrawRect(dc, &r, PS_SOLID, 1, RGB(9, 9, 9), R2_MERGEPEN); }},
        {"FillEllipse", [](HDC dc) { KXDRAWFUN::FillEllipse(dc, &r, RGB(9, 9, 9), TRUE); }},
        {"FillEllipseOutline", [](HDC dc) { KXDRAWFUN::FillEllipse(dc, &r, RGB(9, 9, 9), FALSE); }},
        {"FloodFill", [](HDC dc) { KXDRAWFUN::FloodFill(dc, 10, 10, RGB(1, 1, 1), RGB(5, 5, 5)); }},
        {"Draw3DBorder", [](HDC dc) { KXDRAWFUN::Draw3DBorder(dc, &r, TRUE); }},
        {"DrawFilledTriangle",
         [](HDC dc) {
             KXDRAWFUN::DrawFilledTriangle(dc, RGB(1, 1, 1), RGB(2, 2, 2), &r, KXDRAWFUN::KXTD_LEFT, 11, FALSE, 1);
         }},
        {"DrawGradientRect", [](HDC dc) { KXDRAWFUN::DrawGradientRect(dc, &r, RGB(0, 0, 0), RGB(9, 9, 9), TRUE); }},
        {"DrawGradientRectByLines",
         [](HDC dc) {
             const auto saved = KXDRAWFUN::sm_GradientFill;
             KXDRAWFUN::sm_GradientFill = nullptr;
             KXDRAWFUN::DrawGradientRect(dc, &r, RGB(0, 0, 0), RGB(9, 9, 9), FALSE);
             KXDRAWFUN::sm_GradientFill = saved;
         }},
        {"SetPixel",
         [](HDC dc) {
             KXDRAWFUN::SetPixel(dc, POINT{3, 3}, RGB(7, 7, 7));
         }},
        {"TranslucentBitBlt", [](HDC dc) { KXDRAWFUN::TranslucentBitBlt(dc, 0, 0, 20, 10, dc, 5, 5, 0.4); }},
        {"DrawBmp",
         [&m](HDC dc) {
             KXDRAWFUN::DrawBmp(dc, &r, m.bitmaps[0], POINT{1, 1}, SRCCOPY);
         }},
        {"DrawBmpIntoBitmap",
         [&m](HDC) {
             KXDRAWFUN::DrawBmp(m.bitmaps[2], &r, m.bitmaps[0], POINT{1, 1}, SRCCOPY);
         }},
        {"TransparentDrawBmp",
         [&m](HDC dc) {
             KXDRAWFUN::TransparentDrawBmp(dc, &r, m.bitmaps[0], POINT{0, 0});
         }},
        {"StretchDrawBmp",
         [&m](HDC dc) { KXDRAWFUN::StretchDrawBmp(dc, &r, m.bitmaps[0], m.bitmaps[1], m.bitmaps[0], 0, SRCCOPY); }},
        {"DrawIcon", [&m](HDC dc) { KXDRAWFUN::DrawIcon(dc, m.icon, &r, 0); }},
        {"GetIconSize",
         [&m](HDC) {
             SIZE s{};
             KXDRAWFUN::GetIconSize(m.icon, &s);
         }},
        {"GetTextExtentVertical",
         [&m](HDC dc) {
             SIZE s{};
             KXDRAWFUN::GetTextExtentW(dc, L"ab", 2, m.font, &s, 1);
         }},
        {"GetTextExtentExW",
         [&m](HDC dc) {
             SIZE s{};
             KXDRAWFUN::tagDrawTextUnit units[4];
             KXDRAWFUN::GetTextExtentExW(dc, L"ab\u4e2d", 3, m.font, m.secondFont, &s, units, 4, 0);
         }},
        {"DrawTextW", [&m](HDC dc) { KXDRAWFUN::DrawTextW(dc, L"abc", 3, &r, DT_CENTER, m.font, RGB(1, 1, 1), 0); }},
        {"DrawTextWVertical",
         [&m](HDC dc) { KXDRAWFUN::DrawTextW(dc, L"abc", 3, &r, DT_VCENTER, m.font, RGB(1, 1, 1), 1); }},
        {"DrawTextA", [&m](HDC dc) { KXDRAWFUN::DrawTextA(dc, "abc", 3, &r, 0, m.font, RGB(1, 1, 1), 0); }},
        {"DrawTextExW",
         [&m](HDC dc) {
             KXDRAWFUN::DrawTextExW(dc, L"ab\u4e2d", 3, &r, DT_CENTER, m.font, m.secondFont, RGB(1, 1, 1), RGB(2, 2, 2),
                                    0);
         }},
        {"DrawTextExWVertical",
         [&m](HDC dc) {
             KXDRAWFUN::DrawTextExW(dc, L"ab\u4e2d", 3, &r, DT_CENTER, m.font, m.secondFont, RGB(1, 1, 1), RGB(2, 2, 2),
                                    1);
         }},
        {"DrawTextExWLong",
         [&m, longText](HDC dc) {
             KXDRAWFUN::DrawTextExW(dc, longText.c_str(), 300, &r, 0, m.font, m.secondFont, RGB(1, 1, 1), RGB(2, 2, 2),
                                    0);
         }},
        {"DrawTextExA",
         [&m](HDC dc) {
             KXDRAWFUN::DrawTextExA(dc, "ab\xd6\xd0", 4, &r, 0, m.font, m.secondFont, RGB(1, 1, 1), RGB(2, 2, 2), 0);
         }},
        {"DrawTextExWDash", [&m](HDC dc) { KXDRAWFUN::DrawTextExW(dc, L"----", 4, &r, 0, m.font, nullptr, 0, 0, 0); }},
        {"PutKxString", [](HDC dc) { KXDRAWFUN::PutKxString(dc, &r, L"Quote", 0, 0, 0); }},
        {"PutKxStringDash", [](HDC dc) { KXDRAWFUN::PutKxString(dc, &r, L"-----", 2, 2, 0); }},
        {"FormatStringWithFixedWidth",
         [&m](HDC dc) {
             wchar_t text[] = L"a rather long text";
             KXDRAWFUN::FormatStringWithFixedWidth(dc, m.font, text, 18, 30, TRUE);
         }},
        {"DrawKxRptRadSign", [](HDC dc) { KXDRAWFUN::DrawKxRptRadSign(dc, &r, RGB(1, 1, 1), 5); }},
        {"drawKxSign", [](HDC dc) { KXDRAWFUN::drawKxSign(dc, 12, &r, RGB(1, 1, 1), 0, 0, 0); }},
        {"drawKxSign2", [](HDC dc) { KXDRAWFUN::drawKxSign2(dc, 14, &r, 0, 1, 0); }},
        {"DrawSwitchRightPanelSign",
         [](HDC dc) { KXDRAWFUN::DrawSwitchRightPanelSign(dc, 1, 1, RGB(1, 1, 1), RGB(2, 2, 2), 1); }},
    };
}

// Gives the device context a state of its own, unlike the defaults, so a restore to defaults shows.
void SetDistinctState(HDC dc, HPEN pen, HBRUSH brush, HFONT font)
{
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(11, 22, 33));
    SetBkColor(dc, RGB(44, 55, 66));
    SetBkMode(dc, OPAQUE);
    SetROP2(dc, R2_NOT);
    SetStretchBltMode(dc, HALFTONE);
    MoveToEx(dc, 17, 19, nullptr);
}

void ExpectSameState(const DcState& a, const DcState& b, const std::string& name, bool keepsBackground)
{
    EXPECT_EQ(a.pen, b.pen) << name;
    EXPECT_EQ(a.brush, b.brush) << name;
    EXPECT_EQ(a.font, b.font) << name;
    EXPECT_EQ(a.bitmap, b.bitmap) << name;
    EXPECT_EQ(a.textColour, b.textColour) << name;
    if (keepsBackground) {
        EXPECT_EQ(a.bkColour, b.bkColour) << name;
    }
    EXPECT_EQ(a.bkMode, b.bkMode) << name;
    EXPECT_EQ(a.rop2, b.rop2) << name;
    EXPECT_EQ(a.stretchMode, b.stretchMode) << name;
    EXPECT_EQ(a.mapMode, b.mapMode) << name;
    EXPECT_EQ(a.textAlign, b.textAlign) << name;
    EXPECT_EQ(a.position.x, b.position.x) << name;
    EXPECT_EQ(a.position.y, b.position.y) << name;
}

} // namespace

TEST(DcState, EveryOperationGivesTheDeviceContextBack)
{
    const Material material;
    DibSurface canvas(80, 40);
    const HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    const HBRUSH brush = CreateSolidBrush(RGB(3, 2, 1));
    const HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SetDistinctState(canvas.dc(), pen, brush, font);
    for (const Operation& op : EveryOperation(material)) {
        const DcState before = DcState::Of(canvas.dc());
        op.run(canvas.dc());
        ExpectSameState(before, DcState::Of(canvas.dc()), op.name, true);
    }
    // FillSolidRect alone leaves its colour as the background colour.
    const DcState before = DcState::Of(canvas.dc());
    const RECT r = {0, 0, 5, 5};
    KXDRAWFUN::FillSolidRect(canvas.dc(), &r, RGB(77, 88, 99));
    ExpectSameState(before, DcState::Of(canvas.dc()), "FillSolidRect", false);
    EXPECT_EQ(GetBkColor(canvas.dc()), RGB(77, 88, 99));
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
    SelectObject(canvas.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
}

TEST(DcState, NoGdiObjectLeaksOverTenThousandCalls)
{
    const Material material;
    DibSurface canvas(80, 40);
    const std::vector<Operation> operations = EveryOperation(material);
    for (const Operation& op : operations) {
        op.run(canvas.dc()); // first use: cached colours and the like
    }
    // 10,000 calls shared out over the operations, each operation checked on its own.
    const int callsEach = 10000 / static_cast<int>(operations.size()) + 1;
    const int before = testsupport::GdiObjectCount();
    ASSERT_GT(before, 0);
    for (const Operation& op : operations) {
        const int start = testsupport::GdiObjectCount();
        for (int i = 0; i < callsEach; ++i) {
            op.run(canvas.dc());
        }
        EXPECT_EQ(testsupport::GdiObjectCount(), start) << op.name;
    }
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}

TEST(DcState, TheLeakCheckSeesObjects)
{
    const int before = testsupport::GdiObjectCount();
    const HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(testsupport::GdiObjectCount(), before + 1);
    DeleteObject(pen);
    EXPECT_EQ(testsupport::GdiObjectCount(), before);
}
