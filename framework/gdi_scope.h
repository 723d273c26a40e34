#pragma once

// Scope guards for drawing: every object they select and every mode they change goes back to what
// the caller had when the scope ends. What they create is owned by the framework's GDI classes.
#include <windows.h>

#include <util/gdi.h>

namespace kxdraw {

// Selects an object and selects the previous one back; a null object selects nothing.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard()
    {
        if (m_old && m_old != HGDI_ERROR) {
            SelectObject(m_dc, m_old);
        }
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    // False when the object could not be selected (a bitmap already selected elsewhere, say).
    bool selected() const { return m_old != nullptr && m_old != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Sets one attribute of a device context for the guard's life.
template <typename Value, Value(WINAPI* Setter)(HDC, Value)>
class AttributeGuard {
public:
    AttributeGuard(HDC dc, Value value) : m_dc(dc), m_old(Setter(dc, value)) {}
    ~AttributeGuard() { Setter(m_dc, m_old); }
    AttributeGuard(const AttributeGuard&) = delete;
    AttributeGuard& operator=(const AttributeGuard&) = delete;

private:
    HDC m_dc;
    Value m_old;
};

using MixModeGuard = AttributeGuard<int, ::SetROP2>;
using BkModeGuard = AttributeGuard<int, ::SetBkMode>;
using TextColourGuard = AttributeGuard<COLORREF, ::SetTextColor>;
using BkColourGuard = AttributeGuard<COLORREF, ::SetBkColor>;

// Keeps the current position, which line drawing moves.
class PositionGuard {
public:
    explicit PositionGuard(HDC dc) : m_dc(dc) { GetCurrentPositionEx(dc, &m_old); }
    ~PositionGuard() { MoveToEx(m_dc, m_old.x, m_old.y, nullptr); }
    PositionGuard(const PositionGuard&) = delete;
    PositionGuard& operator=(const PositionGuard&) = delete;

private:
    HDC m_dc;
    POINT m_old{};
};

// A memory device context compatible with another one (the screen's for null).
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) { m_dc.Attach(::CreateCompatibleDC(compatible)); }

    HDC get() const { return m_dc.m_hDC; }
    explicit operator bool() const { return m_dc.m_hDC != nullptr; }

private:
    CDC m_dc;
};

// A bitmap selected into a memory device context of its own, for copying from or into it.
class SelectedBitmap {
public:
    SelectedBitmap(HDC compatible, HBITMAP bitmap) : m_dc(compatible), m_select(m_dc.get(), bitmap) {}
    HDC get() const { return m_dc.get(); }
    bool ok() const { return m_dc && m_select.selected(); }

private:
    MemoryDC m_dc;
    SelectGuard m_select;
};

// A solid pen, selected for the guard's life.
class SolidPen {
public:
    SolidPen(HDC dc, COLORREF colour, int style = PS_SOLID, int width = 1)
        : m_pen(style, width, colour), m_select(dc, m_pen.m_hObject)
    {
    }

private:
    CPen m_pen;
    SelectGuard m_select;
};

// A solid brush, selected for the guard's life.
class SolidBrush {
public:
    SolidBrush(HDC dc, COLORREF colour) : m_brush(colour), m_select(dc, m_brush.m_hObject) {}

private:
    CBrush m_brush;
    SelectGuard m_select;
};

inline int Width(const RECT& rect)
{
    return rect.right - rect.left;
}
inline int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

} // namespace kxdraw
