#pragma once

// Scope guards for the drawing operations: every object they select and every mode they change goes
// back to what the caller had when the operation returns.
#include <windows.h>

namespace kxdraw {

// A GDI object made for one operation and deleted with it.
template <typename Handle>
class OwnedObject {
public:
    explicit OwnedObject(Handle handle) : m_handle(handle) {}
    ~OwnedObject()
    {
        if (m_handle) {
            DeleteObject(m_handle);
        }
    }
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    Handle m_handle;
};

using OwnedPen = OwnedObject<HPEN>;
using OwnedBrush = OwnedObject<HBRUSH>;

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
    explicit MemoryDC(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDC()
    {
        if (m_dc) {
            DeleteDC(m_dc);
        }
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc;
};

// The screen's device context, for measuring when the caller has none.
class ScreenDC {
public:
    ScreenDC() : m_dc(GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (m_dc) {
            ReleaseDC(nullptr, m_dc);
        }
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;

    HDC get() const { return m_dc; }

private:
    HDC m_dc;
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
        : m_pen(CreatePen(style, width, colour)), m_select(dc, m_pen.get())
    {
    }

private:
    OwnedPen m_pen;
    SelectGuard m_select;
};

// A solid brush, selected for the guard's life.
class SolidBrush {
public:
    SolidBrush(HDC dc, COLORREF colour) : m_brush(CreateSolidBrush(colour)), m_select(dc, m_brush.get()) {}

private:
    OwnedBrush m_brush;
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
