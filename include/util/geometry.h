#pragma once

#include <windows.h>

#include <utility>

// The framework's point, size and rectangle: the platform records with the usual members. They are
// layout-identical to POINT, SIZE and RECT, so a pointer to one can be passed where the platform
// wants the other.

class CSize;
class CRect;

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int x0, int y0) : POINT{x0, y0} {}
    CPoint(POINT pt) : POINT(pt) {}
    CPoint(SIZE size) : POINT{size.cx, size.cy} {}
    // A point packed in a message's long parameter (signed 16-bit coordinates).
    explicit CPoint(LPARAM packed)
        : POINT{static_cast<short>(LOWORD(static_cast<DWORD_PTR>(packed))),
                static_cast<short>(HIWORD(static_cast<DWORD_PTR>(packed)))}
    {
    }

    void Offset(int dx, int dy)
    {
        x += dx;
        y += dy;
    }
    void Offset(POINT pt) { Offset(pt.x, pt.y); }
    void Offset(SIZE size) { Offset(size.cx, size.cy); }
    void SetPoint(int x0, int y0)
    {
        x = x0;
        y = y0;
    }

    bool operator==(POINT pt) const { return x == pt.x && y == pt.y; }
    bool operator!=(POINT pt) const { return !(*this == pt); }
    CPoint& operator+=(SIZE size)
    {
        Offset(size);
        return *this;
    }
    CPoint& operator-=(SIZE size)
    {
        Offset(-size.cx, -size.cy);
        return *this;
    }
    CPoint& operator+=(POINT pt)
    {
        Offset(pt);
        return *this;
    }
    CPoint& operator-=(POINT pt)
    {
        Offset(-pt.x, -pt.y);
        return *this;
    }
    CPoint operator+(SIZE size) const { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const { return CPoint(x - size.cx, y - size.cy); }
    CPoint operator+(POINT pt) const { return CPoint(x + pt.x, y + pt.y); }
    inline CSize operator-(POINT pt) const;
    CPoint operator-() const { return CPoint(-x, -y); }
    inline CRect operator+(const RECT& rect) const;
    inline CRect operator-(const RECT& rect) const;
};

class CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
    CSize(SIZE size) : SIZE(size) {}
    CSize(POINT pt) : SIZE{pt.x, pt.y} {}

    void SetSize(int cx0, int cy0)
    {
        cx = cx0;
        cy = cy0;
    }

    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
    CSize& operator+=(SIZE size)
    {
        cx += size.cx;
        cy += size.cy;
        return *this;
    }
    CSize& operator-=(SIZE size)
    {
        cx -= size.cx;
        cy -= size.cy;
        return *this;
    }
    CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
    CPoint operator+(POINT pt) const { return CPoint(cx + pt.x, cy + pt.y); }
    CPoint operator-(POINT pt) const { return CPoint(cx - pt.x, cy - pt.y); }
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& rect) : RECT(rect) {}
    CRect(const RECT* rect) : RECT(rect ? *rect : RECT{0, 0, 0, 0}) {}
    CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    operator RECT*() { return this; }
    operator const RECT*() const { return this; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    // Empty: no area (width or height not positive). Null: all four values zero.
    bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Left and top edges belong to the rectangle, right and bottom do not.
    bool PtInRect(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    bool EqualRect(const RECT* rect) const { return rect != nullptr && *this == *rect; }

    void SetRect(int l, int t, int r, int b) { *static_cast<RECT*>(this) = RECT{l, t, r, b}; }
    void SetRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(const RECT* rect) { *this = CRect(rect); }

    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(SIZE size) { InflateRect(size.cx, size.cy); }
    void InflateRect(const RECT* by) { InflateRect(by->left, by->top, by->right, by->bottom); }
    void InflateRect(int l, int t, int r, int b)
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE size) { InflateRect(-size.cx, -size.cy); }
    void DeflateRect(const RECT* by) { InflateRect(-by->left, -by->top, -by->right, -by->bottom); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }

    void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void OffsetRect(POINT pt) { OffsetRect(pt.x, pt.y); }
    void OffsetRect(SIZE size) { OffsetRect(size.cx, size.cy); }
    void MoveToX(int x) { OffsetRect(x - left, 0); }
    void MoveToY(int y) { OffsetRect(0, y - top); }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void MoveToXY(POINT pt) { MoveToXY(pt.x, pt.y); }

    // Swaps edges so that left <= right and top <= bottom.
    void NormalizeRect()
    {
        if (left > right) {
            std::swap(left, right);
        }
        if (top > bottom) {
            std::swap(top, bottom);
        }
    }

    // The platform's set operations: an empty result is all zero and the call returns false.
    bool IntersectRect(const RECT* a, const RECT* b) { return ::IntersectRect(this, a, b) != FALSE; }
    bool UnionRect(const RECT* a, const RECT* b) { return ::UnionRect(this, a, b) != FALSE; }
    bool SubtractRect(const RECT* from, const RECT* cut) { return ::SubtractRect(this, from, cut) != FALSE; }

    bool operator==(const RECT& rect) const
    {
        return left == rect.left && top == rect.top && right == rect.right && bottom == rect.bottom;
    }
    bool operator!=(const RECT& rect) const { return !(*this == rect); }
    CRect& operator+=(POINT pt)
    {
        OffsetRect(pt);
        return *this;
    }
    CRect& operator+=(SIZE size)
    {
        OffsetRect(size);
        return *this;
    }
    CRect& operator+=(const RECT* by)
    {
        InflateRect(by);
        return *this;
    }
    CRect& operator-=(POINT pt)
    {
        OffsetRect(-pt.x, -pt.y);
        return *this;
    }
    CRect& operator-=(SIZE size)
    {
        OffsetRect(-size.cx, -size.cy);
        return *this;
    }
    CRect& operator-=(const RECT* by)
    {
        DeflateRect(by);
        return *this;
    }
    CRect& operator&=(const RECT& rect)
    {
        const CRect a(*this);
        IntersectRect(&a, &rect);
        return *this;
    }
    CRect& operator|=(const RECT& rect)
    {
        const CRect a(*this);
        UnionRect(&a, &rect);
        return *this;
    }
    CRect operator+(POINT pt) const { return CRect(*this) += pt; }
    CRect operator-(POINT pt) const { return CRect(*this) -= pt; }
    CRect operator+(SIZE size) const { return CRect(*this) += size; }
    CRect operator-(SIZE size) const { return CRect(*this) -= size; }
    CRect operator+(const RECT* by) const { return CRect(*this) += by; }
    CRect operator-(const RECT* by) const { return CRect(*this) -= by; }
    CRect operator&(const RECT& rect) const { return CRect(*this) &= rect; }
    CRect operator|(const RECT& rect) const { return CRect(*this) |= rect; }
};

inline CSize CPoint::operator-(POINT pt) const
{
    return CSize(x - pt.x, y - pt.y);
}
inline CRect CPoint::operator+(const RECT& rect) const
{
    return CRect(rect) + *this;
}
inline CRect CPoint::operator-(const RECT& rect) const
{
    return CRect(rect) - *this;
}
