#pragma once

// Windows and views that record what the window frame classes do to them.
#include <util/basewnd.h>
#include <util/panel.h>

#include <windows.h>

#include <vector>

#include "support/dib.h"

namespace frametest {

// A view of a panel leaf: records every notification and answers the size query with its limits.
class RecordingView : public CFunctionObj {
public:
    struct Event {
        UINT code;
        RECT rect;  // KXPN_MOVE
        BOOL shown; // KXPN_SHOW
    };

    LRESULT Notify(UINT code, void* data) override
    {
        Event event{code, {}, FALSE};
        if (code == KXPN_MOVE) {
            event.rect = static_cast<tagKxPanelMove*>(data)->rc;
        } else if (code == KXPN_SHOW) {
            event.shown = static_cast<BOOL>(reinterpret_cast<INT_PTR>(data));
        }
        events.push_back(event);
        return 0;
    }
    LRESULT Query(UINT code, void* data) override
    {
        if (code == KXPN_GETLIMITS) {
            auto* limits = static_cast<tagKxPanelLimits*>(data);
            limitsAsked =
                limits->cbSize == sizeof(tagKxPanelLimits) && limits->szMin.cx == 5 && limits->szMax.cx == 0x3FFFFFFF;
            limits->szMin = smallest;
            limits->szMax = largest;
        }
        return 0;
    }

    const Event* Last(UINT code) const
    {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->code == code) {
                return &*it;
            }
        }
        return nullptr;
    }
    int Count(UINT code) const
    {
        int count = 0;
        for (const Event& event : events) {
            count += event.code == code ? 1 : 0;
        }
        return count;
    }

    std::vector<Event> events;
    SIZE smallest{5, 5};
    SIZE largest{0x3FFFFFFF, 0x3FFFFFFF};
    bool limitsAsked = false;
};

// A library window that counts what the frame classes tell it: finished splitter drags, background
// requests of panels, title-bar paints, system commands and close requests (which it only records).
class RecordingFrame : public CKxBaseWnd {
public:
    RecordingFrame(DWORD style, int width, int height)
    {
        Create(L"frame under test", style, RECT{40, 40, 40 + width, 40 + height}, nullptr, 0);
    }

    int splitterMoves = 0;
    int backgroundRequests = 0;
    LRESULT backgroundAnswer = 0;
    int ncPaints = 0;
    std::vector<UINT> sysCommands;
    int closeRequests = 0;
    bool runSysCommands = false;

    using CKxBaseWnd::m_buttons;
    using CKxBaseWnd::m_nTitleHeight;
    using CKxBaseWnd::m_rcTitleText;

    // The centre of a caption button in screen coordinates.
    POINT ButtonCentre(UINT button) const
    {
        CRect frame;
        GetWindowRect(&frame);
        const CPoint centre = m_buttons.RectOf(button).CenterPoint();
        return {frame.left + centre.x, frame.top + centre.y};
    }
    // A screen point in this window's client coordinates, as a client mouse message carries it.
    LPARAM ClientLParam(POINT screen) const
    {
        ScreenToClient(&screen);
        return MAKELPARAM(screen.x, screen.y);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KX_SPLITTERMOVED) {
            ++splitterMoves;
        } else if (message == WM_KX_PAINTBK) {
            ++backgroundRequests;
            return backgroundAnswer;
        }
        return CKxBaseWnd::WindowProc(message, wParam, lParam);
    }
    void DrawNcOther(CDC*) override { ++ncPaints; }
    void OnSysCommand(UINT id, LPARAM lParam) override
    {
        sysCommands.push_back(id & 0xFFF0);
        if (runSysCommands) {
            CKxBaseWnd::OnSysCommand(id, lParam);
        }
    }
    void OnClose() override { ++closeRequests; }
};

// Copies the whole window, frame included, into a surface of its size.
inline void CaptureWindow(HWND window, testsupport::DibSurface& surface)
{
    HDC dc = GetWindowDC(window);
    BitBlt(surface.dc(), 0, 0, surface.width(), surface.height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

} // namespace frametest
