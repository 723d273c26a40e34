// The small fixed glyphs of quote grids and panels.
#include <util/drawfun.h>

#include <vector>

#include "framework/gdi_scope.h"

using namespace kxdraw;

namespace {

const COLORREF kRed = RGB(252, 84, 84);
const COLORREF kGreen = RGB(84, 252, 84);
const COLORREF kWhite = RGB(252, 252, 252);
const COLORREF kCyan = RGB(84, 252, 252);

// Rows of a pixel pattern, one string per row: '#' set, anything else clear.
using Pattern = std::vector<const char*>;

const Pattern kDiamond = {
    "....#....", //
    "...###...", //
    "..#####..", //
    ".##...##.", //
    "###.#.###", //
    ".##...##.", //
    "..#####..", //
    "...###...", //
    "....#....",
};

const Pattern kSwitchPanelLeft = {
    "#############", //
    "#........#..#", //
    "#........#..#", //
    "#.....#..#..#", //
    "#....##..#..#", //
    "#...###..#..#", //
    "#..####..#..#", //
    "#...###..#..#", //
    "#....##..#..#", //
    "#.....#..#..#", //
    "#........#..#", //
    "#........#..#", //
    "#############",
};

const Pattern kSwitchPanelRight = {
    "#############", //
    "#........#..#", //
    "#........#..#", //
    "#..#.....#..#", //
    "#..##....#..#", //
    "#..###...#..#", //
    "#..####..#..#", //
    "#..###...#..#", //
    "#..##....#..#", //
    "#..#.....#..#", //
    "#........#..#", //
    "#........#..#", //
    "#############",
};

// Writes the set pixels, and the clear ones too when a background is given.
void PaintPattern(HDC dc, int x, int y, const Pattern& pattern, COLORREF colour, const COLORREF* background)
{
    for (size_t row = 0; row < pattern.size(); ++row) {
        for (int column = 0; pattern[row][column]; ++column) {
            const bool set = pattern[row][column] == '#';
            if (set || background) {
                ::SetPixel(dc, x + column, y + static_cast<int>(row), set ? colour : *background);
            }
        }
    }
}

void FillPolygon(HDC dc, int x, int y, const std::vector<POINT>& shape, COLORREF colour)
{
    std::vector<POINT> points(shape);
    for (POINT& p : points) {
        p.x += x;
        p.y += y;
    }
    SolidPen pen(dc, colour);
    SolidBrush brush(dc, colour);
    Polygon(dc, points.data(), static_cast<int>(points.size()));
}

// Half of the room left around a glyph, as an unsigned shift of the 32-bit difference.
int HalfRoomUnsigned(int room, int glyph)
{
    return static_cast<int>((static_cast<unsigned>(room) - static_cast<unsigned>(glyph)) >> 1);
}

struct Sign {
    int type;
    std::vector<std::vector<POINT>> polygons;
    COLORREF fixedColour;  // CLR_INVALID: the caller's colour
    COLORREF colourIfZero; // replaces a caller's colour of 0; CLR_INVALID: 0 stays
    enum Placement { RightEdge, Centred } placement;
    SIZE glyph; // for the corner position
};

const std::vector<Sign>& Signs()
{
    static const std::vector<Sign> signs = {
        {1, {{{3, 0}, {0, 7}, {7, 7}, {4, 0}, {3, 0}}}, kRed, CLR_INVALID, Sign::RightEdge, {6, 8}},
        {2, {{{0, 0}, {3, 7}, {4, 7}, {7, 0}, {0, 0}}}, kGreen, CLR_INVALID, Sign::RightEdge, {6, 8}},
        {3,
         {{{3, 0}, {0, 3}, {2, 3}, {2, 11}, {4, 11}, {4, 3}, {6, 3}, {3, 0}}},
         CLR_INVALID,
         kRed,
         Sign::Centred,
         {7, 12}},
        {4,
         {{{2, 0}, {2, 8}, {0, 8}, {3, 11}, {6, 8}, {4, 8}, {4, 0}, {2, 0}}},
         CLR_INVALID,
         kGreen,
         Sign::Centred,
         {7, 12}},
        {5, {{{3, 0}, {0, 3}, {3, 6}, {6, 3}, {3, 0}}}, kWhite, CLR_INVALID, Sign::Centred, {7, 7}},
        {6, {{{0, 7}, {11, 7}, {11, 8}, {0, 8}, {0, 7}}}, kCyan, CLR_INVALID, Sign::Centred, {12, 14}},
        {7, {{{0, 0}, {11, 11}, {11, 13}, {0, 2}, {0, 0}}}, kCyan, CLR_INVALID, Sign::Centred, {12, 14}},
        {8, {{{6, 0}, {6, 13}, {7, 13}, {7, 0}, {6, 0}}}, kCyan, CLR_INVALID, Sign::Centred, {12, 14}},
        {9, {{{11, 0}, {0, 11}, {0, 13}, {11, 2}, {11, 0}}}, kCyan, CLR_INVALID, Sign::Centred, {12, 14}},
        {10,
         {{{3, 0}, {0, 3}, {2, 3}, {2, 7}, {4, 7}, {4, 3}, {6, 3}, {3, 0}}},
         CLR_INVALID,
         CLR_INVALID,
         Sign::Centred,
         {7, 8}},
        {11,
         {{{2, 0}, {2, 4}, {0, 4}, {3, 7}, {6, 4}, {4, 4}, {4, 0}, {2, 0}}},
         CLR_INVALID,
         CLR_INVALID,
         Sign::Centred,
         {7, 8}},
        {12,
         {{{0, 0}, {0, 1}, {8, 1}, {8, 0}, {0, 0}}, {{0, 4}, {0, 5}, {8, 5}, {8, 4}, {0, 4}}},
         CLR_INVALID,
         CLR_INVALID,
         Sign::Centred,
         {9, 6}},
    };
    return signs;
}

// The sized signs: one point list per size class.
struct SizedSign {
    int type;
    COLORREF defaultColour;
    bool centred; // else at the right edge, centred vertically
    SIZE glyph[3];
    std::vector<POINT> points[3];
};

const std::vector<SizedSign>& SizedSigns()
{
    static const std::vector<SizedSign> signs = {
        {1,
         kRed,
         false,
         {{9, 5}, {7, 4}, {5, 3}},
         {{{4, 0}, {0, 4}, {9, 4}, {5, 0}, {4, 0}},
          {{3, 0}, {0, 3}, {7, 3}, {4, 0}, {3, 0}},
          {{2, 0}, {0, 2}, {5, 2}, {3, 0}, {2, 0}}}},
        {2,
         kGreen,
         false,
         {{9, 5}, {7, 4}, {5, 3}},
         {{{0, 0}, {4, 4}, {5, 4}, {9, 0}, {0, 0}},
          {{0, 0}, {3, 3}, {4, 3}, {7, 0}, {0, 0}},
          {{0, 0}, {2, 2}, {3, 2}, {5, 0}, {0, 0}}}},
        {5,
         kWhite,
         true,
         {{9, 9}, {7, 7}, {5, 5}},
         {{{4, 0}, {0, 4}, {4, 8}, {8, 4}, {4, 0}},
          {{3, 0}, {0, 3}, {3, 6}, {6, 3}, {3, 0}},
          {{2, 0}, {0, 2}, {2, 4}, {4, 2}, {2, 0}}}},
        {14,
         kRed,
         false,
         {{9, 10}, {7, 8}, {5, 6}},
         {{{4, 0}, {0, 4}, {4, 4}, {4, 5}, {0, 9}, {9, 9}, {5, 5}, {5, 4}, {9, 4}, {5, 0}, {4, 0}},
          {{3, 0}, {0, 3}, {3, 3}, {3, 4}, {0, 7}, {7, 7}, {4, 4}, {4, 3}, {7, 3}, {4, 0}, {3, 0}},
          {{2, 0}, {0, 2}, {2, 2}, {2, 3}, {0, 5}, {5, 5}, {3, 3}, {3, 2}, {5, 2}, {3, 0}, {2, 0}}}},
        {15,
         kGreen,
         false,
         {{9, 10}, {7, 8}, {5, 6}},
         {{{0, 0}, {4, 4}, {4, 5}, {0, 5}, {4, 9}, {5, 9}, {9, 5}, {5, 5}, {5, 4}, {9, 0}, {0, 0}},
          {{0, 0}, {3, 3}, {3, 4}, {0, 4}, {3, 7}, {4, 7}, {7, 4}, {4, 4}, {4, 3}, {7, 0}, {0, 0}},
          {{0, 0}, {2, 2}, {2, 3}, {0, 3}, {2, 5}, {3, 5}, {5, 3}, {3, 3}, {3, 2}, {5, 0}, {0, 0}}}},
    };
    return signs;
}

} // namespace

void KXDRAWFUN::DrawKxRptRadSign(HDC dc, const RECT* rect, COLORREF colour, UINT align)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    const int size = static_cast<int>(kDiamond.size());
    int x = rect->left, y = rect->top;
    if (align & 0x1) {
        x += (Width(*rect) - size) / 2;
    } else if (align & 0x2) {
        x = rect->right - size;
    }
    if (align & 0x4) {
        y += (Height(*rect) - size) / 2;
    } else if (align & 0x2) {
        y = rect->bottom - size;
    }
    PaintPattern(dc, x, y, kDiamond, colour, nullptr);
}

void KXDRAWFUN::drawKxSign(HDC dc, int type, const RECT* rect, COLORREF colour, int, int, int)
{
    if (dc == nullptr || rect == nullptr) {
        return;
    }
    if (type == 16) {
        PaintPattern(dc, rect->left, rect->top, kDiamond, colour, nullptr);
        return;
    }
    for (const Sign& sign : Signs()) {
        if (sign.type != type) {
            continue;
        }
        const int x = sign.placement == Sign::RightEdge ? rect->right - sign.glyph.cx
                                                        : rect->left + HalfRoomUnsigned(Width(*rect), sign.glyph.cx);
        const int y = rect->top + HalfRoomUnsigned(Height(*rect), sign.glyph.cy);
        COLORREF paint = sign.fixedColour;
        if (paint == CLR_INVALID) {
            paint = colour == 0 && sign.colourIfZero != CLR_INVALID ? sign.colourIfZero : colour;
        }
        for (const std::vector<POINT>& polygon : sign.polygons) {
            FillPolygon(dc, x, y, polygon, paint);
        }
        return;
    }
}

void KXDRAWFUN::drawKxSign2(HDC dc, int type, const RECT* rect, COLORREF colour, int sizeClass, int)
{
    if (dc == nullptr || rect == nullptr || sizeClass < 0 || sizeClass > 2) {
        return;
    }
    for (const SizedSign& sign : SizedSigns()) {
        if (sign.type != type) {
            continue;
        }
        const SIZE glyph = sign.glyph[sizeClass];
        int x = rect->left + (Width(*rect) - glyph.cx) / 2;
        if (!sign.centred) {
            x = sizeClass == 2 ? rect->right - 4 : rect->right - glyph.cx + 2;
        }
        const int y = rect->top + (Height(*rect) - glyph.cy) / 2;
        FillPolygon(dc, x, y, sign.points[sizeClass], colour ? colour : sign.defaultColour);
        return;
    }
}

void KXDRAWFUN::DrawSwitchRightPanelSign(HDC dc, int x, int y, COLORREF foreground, COLORREF background, int which)
{
    if (dc == nullptr) {
        return;
    }
    PaintPattern(dc, x, y, which == 1 ? kSwitchPanelRight : kSwitchPanelLeft, foreground, &background);
}
