#pragma once

#include <windows.h>

#include <memory>

#include <util/export.h>

// The library's font description: a plain record that callers zero, then fill in (character set 1, at
// most 30 characters of face name, a point size).
struct tagYFontDes {
    float fPointSize;  // character height in points
    LONG lWidth;       // average character width, 0 = default
    LONG lEscapement;  // tenths of a degree
    LONG lOrientation; // tenths of a degree
    LONG lWeight;      // 400 normal, 700 bold
    LONG lItalic;      // the low byte of this and the following fields is used
    LONG lUnderline;
    LONG lStrikeOut;
    LONG lCharSet;
    LONG lOutPrecision;
    LONG lClipPrecision;
    LONG lQuality;
    LONG lPitchAndFamily;
    wchar_t szFaceName[32]; // zero-terminated
};
static_assert(sizeof(tagYFontDes) == 116, "tagYFontDes is a 116-byte record");

// Stateless drawing operations on a device context. Each operation that selects a pen, brush or font
// selects the previous object back and deletes what it made; each that changes the mix mode,
// background mode, text colour or current position restores it, unless its comment says otherwise.
// One instance lives as long as the library; it loads the gradient routine of the imaging library.
class UTIL_API KXDRAWFUN {
public:
    // One run of text laid out by the two-font operations.
    struct tagDrawTextUnit {
        BYTE bSingleByte; // 1: characters below 255, drawn in the second font and colour
        int nStart;       // index of the run's first character (byte for the 8-bit forms)
        int nCount;       // characters (bytes for the 8-bit forms) in the run
        int cx;
        int cy;
    };

    // Where the tip of a DrawFilledTriangle points.
    enum KXTRIANGLEDIR { KXTD_UP = 0, KXTD_DOWN = 1, KXTD_LEFT = 2, KXTD_RIGHT = 3 };

    typedef BOOL(WINAPI* PFNGRADIENTFILL)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

    enum { TEXT_UNIT_BUFFER_SIZE = 255 };

    static HMODULE sm_hDGILib;                                    // the imaging library, null if it could not be loaded
    static PFNGRADIENTFILL sm_GradientFill;                       // its "GradientFill", null if missing
    static tagDrawTextUnit sm_TextUnitBuf[TEXT_UNIT_BUFFER_SIZE]; // scratch layout of short texts

    KXDRAWFUN();
    KXDRAWFUN(const KXDRAWFUN& other);
    KXDRAWFUN& operator=(const KXDRAWFUN& other);
    virtual ~KXDRAWFUN();

    // Geometry and measuring.
    static BOOL PointInBox(int x, int y, const RECT* rect);
    static int CalcRectWidth(const RECT* rect);
    static int CalcRectHeight(const RECT* rect);
    static BOOL DeflateRect(RECT* rect, int dl, int dt, int dr, int db);
    static BOOL InflateRect(RECT* rect, int dl, int dt, int dr, int db);
    static int GetTextWidth(HDC dc, const wchar_t* text);
    static int GetTextHeight(HDC dc, const wchar_t* text);
    // Vertical: the characters one under another (summed height, largest width).
    static BOOL GetTextExtentW(HDC dc, const wchar_t* text, int length, HFONT font, SIZE* size, int vertical);
    static BOOL GetTextExtent(HDC dc, const wchar_t* text, int length, HFONT font, SIZE* size, int vertical);
    static BOOL GetTextExtentA(HDC dc, const char* text, int length, HFONT font, SIZE* size, int vertical);
    // Two-font layout: runs of characters below 255 measured in the second font, the others in the
    // first. Writes at most capacity units and returns how many there are.
    static int GetTextExtentExW(HDC dc, const wchar_t* text, int length, HFONT font, HFONT singleByteFont, SIZE* total,
                                tagDrawTextUnit* units, int capacity, int vertical);
    static int GetTextExtentExA(HDC dc, const char* text, int length, HFONT font, HFONT singleByteFont, SIZE* total,
                                tagDrawTextUnit* units, int capacity, int vertical);
    static void GetBmpSize(HBITMAP bitmap, SIZE* size);
    static void GetIconSize(HICON icon, SIZE* size);

    // Lines, frames and shapes. Lines leave out their end point.
    static void DrawLine(HDC dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth, COLORREF colour,
                         int mixMode);
    static void DrawPolyLine(HDC dc, const POINT* points, int count, int penStyle, int penWidth, COLORREF colour,
                             int mixMode);
    static void DrawRect(HDC dc, const RECT* rect, int penStyle, int penWidth, COLORREF colour, int mixMode);
    // Leaves the background colour set to the colour.
    static void FillSolidRect(HDC dc, const RECT* rect, COLORREF colour);
    static void FillEllipse(HDC dc, const RECT* rect, COLORREF colour, BOOL fill);
    static void FloodFill(HDC dc, int x, int y, COLORREF border, COLORREF fill);
    static void Draw3DBorder(HDC dc, const RECT* rect, BOOL sunken);
    static void DrawFilledTriangle(HDC dc, COLORREF penColour, COLORREF bkColour, const RECT* rect,
                                   KXTRIANGLEDIR direction, int base, BOOL noBackground, int step);
    static void DrawGradientRect(HDC dc, const RECT* rect, COLORREF start, COLORREF end, BOOL vertical);
    static COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
    static COLORREF SetPixel(HDC dc, POINT point, COLORREF colour);
    // Per pixel (1 - factor) x source + factor x destination.
    static void TranslucentBitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                                  double factor);

    // Bitmaps and icons.
    static void DrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source, DWORD rop);
    static void DrawBmp(HBITMAP dest, const RECT* rect, HBITMAP bitmap, POINT source, DWORD rop);
    // The transparent colour is the bitmap's top-left pixel.
    static void TransparentDrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source);
    static void TransparentDrawBmp(HDC dc, const RECT* rect, HBITMAP bitmap, POINT source, COLORREF transparent);
    // Head and tail keep their shape, the middle is stretched; direction 0 horizontal, 1 vertical.
    static void StretchDrawBmp(HDC dc, const RECT* rect, HBITMAP head, HBITMAP middle, HBITMAP tail, int direction,
                               DWORD rop);
    // Scaled down to fit, keeping its aspect ratio, and centred.
    static void DrawIcon(HDC dc, HICON icon, const RECT* rect, int unused);

    // Text.
    static void DrawTextW(HDC dc, const wchar_t* text, int length, const RECT* rect, UINT format, HFONT font,
                          COLORREF colour, int vertical);
    static void DrawTextA(HDC dc, const char* text, int length, const RECT* rect, UINT format, HFONT font,
                          COLORREF colour, int vertical);
    static void DrawTextExW(HDC dc, const wchar_t* text, int length, const RECT* rect, UINT format, HFONT font,
                            HFONT singleByteFont, COLORREF colour, COLORREF singleByteColour, int vertical);
    static void DrawTextExA(HDC dc, const char* text, int length, const RECT* rect, UINT format, HFONT font,
                            HFONT singleByteFont, COLORREF colour, COLORREF singleByteColour, int vertical);
    // Alignments: 0 centre, 2 right (bottom), anything else left (top). Uses the current font and colours.
    static void PutKxString(HDC dc, const RECT* rect, const wchar_t* text, int hAlign, int vAlign, int unused);
    // Cuts text in place so that it is at most width wide, with "…" at the end when ellipsis is set.
    static void FormatStringWithFixedWidth(HDC dc, HFONT font, wchar_t* text, int length, int width, BOOL ellipsis);

    // Glyphs.
    static void DrawKxRptRadSign(HDC dc, const RECT* rect, COLORREF colour, UINT align);
    static void drawKxSign(HDC dc, int type, const RECT* rect, COLORREF colour, int, int, int);
    static void drawKxSign2(HDC dc, int type, const RECT* rect, COLORREF colour, int sizeClass, int);
    static void DrawSwitchRightPanelSign(HDC dc, int x, int y, COLORREF foreground, COLORREF background, int which);
};

// A set of shared fonts: one platform font per logical font record (compared byte by byte), with a use
// count. Fonts stay valid until the cache is destroyed, which deletes them all. The library keeps one
// for the whole process behind Y_CreateFont and Y_DeleteFont.
class UTIL_API CKxFontCache {
public:
    CKxFontCache();
    ~CKxFontCache();
    CKxFontCache(const CKxFontCache&) = delete;
    CKxFontCache& operator=(const CKxFontCache&) = delete;

    HFONT Acquire(const LOGFONTW& logFont);
    void Release(HFONT font);
    // Uses handed out and not given back; -1 for a font the cache does not hold.
    int GetUseCount(HFONT font) const;
    int GetFontCount() const;

private:
    struct Maps;
    std::unique_ptr<Maps> m_maps;
};

// The shared font for a description; its point size becomes a character height at the screen's
// pixels per inch.
UTIL_API HFONT Y_CreateFont(const tagYFontDes* description);
UTIL_API HFONT Y_CreateFont(const LOGFONTW* logFont);
// Gives back one use; the font itself lives until the library unloads.
UTIL_API BOOL Y_DeleteFont(HFONT font);
