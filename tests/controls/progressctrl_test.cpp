#include <util/progressctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "support/dib.h"
#include "support/recording_parent.h"

using testsupport::DibSurface;
using testsupport::RecordingParent;

namespace {

const COLORREF kOuter = RGB(0, 0, 0);
const COLORREF kInner = RGB(42, 122, 203);
const COLORREF kFilledText = RGB(255, 0, 255);
const COLORREF kEmptyText = RGB(0, 255, 0);

class TestProgress : public CKXProgressCtrl {
public:
    int paints = 0;

    void PaintInto(DibSurface& surface)
    {
        const CRect client(0, 0, surface.width(), surface.height());
        CDC* dc = CDC::FromHandle(surface.dc());
        if (m_nStyle == KXPROGRESS_GRADIENT) {
            PaintGradient(*dc, client);
        } else {
            PaintTiles(*dc, client);
        }
    }

protected:
    void OnPaint() override
    {
        ++paints;
        CKXProgressCtrl::OnPaint();
    }
};

struct ProgressFixture {
    explicit ProgressFixture(int width = 200, int height = 21) : parent(400, 100)
    {
        bar.Create(L"", WS_VISIBLE, RECT{0, 0, width, height}, &parent, 3);
        bar.UpdateWindow();
    }
    RecordingParent parent;
    TestProgress bar;
};

int CountWhere(const DibSurface& surface, const RECT& area, const std::function<bool(COLORREF)>& match)
{
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            count += match(surface.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool Bluish(COLORREF c)
{
    return GetBValue(c) > GetRValue(c) + 60;
}

} // namespace

TEST(ProgressCtrl, SetPosReturnsThePreviousPositionAndRepaintsOnlyWholePixels)
{
    TestProgress unmade;
    EXPECT_EQ(unmade.SetPos(5), -1);

    ProgressFixture f; // 200 pixels wide
    f.bar.SetRange(0, 1000);
    struct Step {
        int position, previous, paints;
    };
    // 5 units make one pixel.
    const Step steps[] = {{100, 0, 1}, {102, 100, 0}, {104, 102, 0}, {105, 104, 1}, {-5, 105, 1}, {-9, -5, 0}};
    for (const Step& step : steps) {
        f.bar.paints = 0;
        EXPECT_EQ(f.bar.SetPos(step.position), step.previous);
        EXPECT_EQ(f.bar.paints, step.paints) << step.position;
    }
    f.bar.SetRange(0, 100); // no repaint of its own; the next position uses it
    f.bar.paints = 0;
    f.bar.SetPos(0);
    f.bar.SetStep(10);
    EXPECT_EQ(f.bar.StepIt(), 0);
    EXPECT_EQ(f.bar.OffsetPos(5), 10);
    EXPECT_EQ(f.bar.SetPos(0), 15);
    EXPECT_EQ(f.bar.paints, 4);
}

TEST(ProgressCtrl, GradientStyleDrawsFramesFilledAndEmptyParts)
{
    struct Case {
        int lower, upper, position;
        int filledRight; // last column of the inner frame, -1 without a filled part
    };
    const Case cases[] = {
        {0, 100, 37, 73}, {0, 100, 100, 198}, {0, 100, -10, -1}, {5, 5, 5, -1}, {9, 3, 4, -1},
    };
    for (const Case& c : cases) {
        ProgressFixture f;
        f.bar.SetRange(c.lower, c.upper);
        f.bar.SetPos(c.position);
        DibSurface surface(200, 21, RGB(1, 2, 3));
        f.bar.PaintInto(surface);
        EXPECT_EQ(surface.count(RGB(255, 255, 255), RECT{0, 20, 200, 21}), 200); // the last row
        EXPECT_EQ(surface.pixel(0, 0), kOuter);
        EXPECT_EQ(surface.pixel(199, 19), kOuter);
        EXPECT_EQ(surface.count(RGB(1, 2, 3)), 0);
        if (c.filledRight < 0) {
            EXPECT_EQ(surface.count(kInner), 0) << c.position;
            EXPECT_TRUE(Bluish(surface.pixel(100, 10)) == false);
            continue;
        }
        EXPECT_EQ(surface.pixel(1, 10), kInner);
        EXPECT_EQ(surface.pixel(c.filledRight, 10), kInner) << c.position;
        EXPECT_EQ(surface.pixel(c.filledRight + 1, 10), c.filledRight == 198 ? kOuter : RGB(0, 0, 0));
        EXPECT_TRUE(Bluish(surface.pixel(c.filledRight / 2, 10)));
        if (c.filledRight < 190) {
            EXPECT_FALSE(Bluish(surface.pixel(c.filledRight + 10, 10)));
        }
    }
}

TEST(ProgressCtrl, TextTakesOneColourOverEachPart)
{
    ProgressFixture f(200, 24);
    f.bar.SetTextBkColour(kFilledText);
    f.bar.SetTextForeColour(kEmptyText);
    EXPECT_EQ(f.bar.GetTextBkColour(), kFilledText);
    EXPECT_EQ(f.bar.GetTextForeColour(), kEmptyText);
    f.bar.SetShowText(TRUE);
    for (const wchar_t* caption : {L"", L"正在加载行情"}) {
        f.bar.SetWindowText(caption);
        f.bar.SetPos(50); // the bar ends under the middle of the text
        DibSurface surface(200, 24);
        f.bar.PaintInto(surface);
        const RECT filledSide = {0, 0, 100, 24}, emptySide = {100, 0, 200, 24};
        EXPECT_GT(surface.count(kFilledText, filledSide), 0);
        EXPECT_EQ(surface.count(kFilledText, emptySide), 0);
        EXPECT_GT(surface.count(kEmptyText, emptySide), 0);
        EXPECT_EQ(surface.count(kEmptyText, filledSide), 0);
    }
    f.bar.SetShowText(FALSE);
    DibSurface plain(200, 24);
    f.bar.PaintInto(plain);
    EXPECT_EQ(plain.count(kFilledText) + plain.count(kEmptyText), 0);
}

TEST(ProgressCtrl, TileStyleLaysTilesOnePixelApartOverTheBackground)
{
    ProgressFixture f(200, 12);
    EXPECT_EQ(f.bar.SetProgressStyle(KXPROGRESS_TILE), 0);
    f.bar.SetPos(37); // 74 pixels: 9 tiles of 7 with their gaps
    DibSurface surface(200, 12);
    f.bar.PaintInto(surface);
    for (int tile = 0; tile < 9; ++tile) {
        EXPECT_TRUE(Bluish(surface.pixel(tile * 8 + 3, 5))) << tile;
        EXPECT_FALSE(Bluish(surface.pixel(tile * 8 + 7, 5))) << tile;
    }
    EXPECT_EQ(CountWhere(surface, RECT{72, 0, 200, 12}, Bluish), 0);
}

TEST(ProgressCtrl, WindowTextIsTheCaptionCutToTheBuffer)
{
    ProgressFixture f;
    RecordingParent parent;
    for (const bool subclassed : {false, true}) {
        TestProgress created, item;
        created.Create(L"登录中", WS_VISIBLE, RECT{0, 0, 100, 20}, &parent, 1);
        item.SubclassWindow(CreateWindowExW(0, L"Static", L"登录中", WS_CHILD, 0, 30, 100, 20, parent, nullptr,
                                            nullptr, nullptr));
        CKXProgressCtrl& bar = subclassed ? item : created;
        wchar_t text[8] = {};
        EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 8, reinterpret_cast<LPARAM>(text)), 3);
        EXPECT_STREQ(text, L"登录中");
    }
    f.bar.SetWindowText(L"下载中");
    struct Case {
        WPARAM capacity;
        LRESULT copied;
        const wchar_t* text;
    };
    const Case cases[] = {{10, 3, L"下载中"}, {3, 2, L"下载"}, {1, 0, L""}, {0, 0, L"xx"}};
    for (const Case& c : cases) {
        wchar_t buffer[8] = {L'x', L'x', 0};
        EXPECT_EQ(f.bar.SendMessage(WM_GETTEXT, c.capacity, reinterpret_cast<LPARAM>(buffer)), c.copied);
        EXPECT_STREQ(buffer, c.text) << c.capacity;
    }
    // The same text again does not repaint; another one does.
    f.bar.ValidateRect(nullptr);
    f.bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"下载中"));
    EXPECT_FALSE(GetUpdateRect(f.bar, nullptr, FALSE));
    f.bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"完成"));
    EXPECT_TRUE(GetUpdateRect(f.bar, nullptr, FALSE));
}
