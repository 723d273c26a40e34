#pragma once

// A grid that shows its buffer and state to tests, and a parent that fills its data requests.
#include <util/grid.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/dib.h"
#include "support/recording_parent.h"

namespace gridtest {

class TestGrid : public CKxGrid {
public:
    using CKxGrid::m_hsi;
    using CKxGrid::m_nAnchor;
    using CKxGrid::m_nLeftCol;
    using CKxGrid::m_nRowSpacing;
    using CKxGrid::m_vsi;

    // The off-screen buffer, pixel for pixel.
    void CaptureBuffer(testsupport::DibSurface& surface) const
    {
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, m_bmpBuffer.GetSafeHandle());
        BitBlt(surface.dc(), 0, 0, surface.width(), surface.height(), memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    CRect GridClient() const { return GetClientRect(); }
};

// One notification as the tests compare them.
struct Note {
    int code;
    int item;
    int subItem;
    UINT state;
    bool operator==(const Note& other) const
    {
        return code == other.code && item == other.item && subItem == other.subItem && state == other.state;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Note& note)
{
    return out << "{" << note.code << ", " << note.item << ", " << note.subItem << ", " << note.state << "}";
}

// Records every grid notification and answers the data requests with the text "row:column".
class GridParent : public testsupport::RecordingParent {
public:
    explicit GridParent(int width = 640, int height = 480, bool visible = true)
        : RecordingParent(width, height, visible)
    {
    }

    // Grid notifications other than the data requests, in order.
    std::vector<Note> Notes() const
    {
        std::vector<Note> notes;
        for (const testsupport::ReceivedMessage& message : received()) {
            if (message.message == WM_NOTIFY && message.code != GN_CELLREQUEST && message.code != GN_ROWREQUEST &&
                message.code != GN_HEADERCELLDRAW) {
                const GRIDNOTIFY notify = message.As<GRIDNOTIFY>();
                notes.push_back({message.code, notify.nItem, notify.nSubItem, notify.uState});
            }
        }
        return notes;
    }
    std::vector<Note> Notes(int code) const
    {
        std::vector<Note> notes;
        for (const Note& note : Notes()) {
            if (note.code == code) {
                notes.push_back(note);
            }
        }
        return notes;
    }
    void Reset()
    {
        clear();
        cellRequests.clear();
        rowRequests.clear();
    }

    // (row, column) of every cell asked for, in order; rows of every row request.
    std::vector<std::pair<int, int>> cellRequests;
    std::vector<int> rowRequests;
    std::function<void(GRIDCELLREQUEST&)> fillCell;
    std::function<void(GRIDROWREQUEST&)> fillRow;
    UINT cursorAnswer = 0;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        switch (header->code) {
        case GN_CELLREQUEST: {
            auto& request = *reinterpret_cast<GRIDCELLREQUEST*>(lParam);
            cellRequests.emplace_back(request.nRow, request.nColumn);
            if (fillCell) {
                fillCell(request);
            } else if (request.pszText) {
                swprintf(request.pszText, request.nTextMax, L"%d:%d", request.nRow, request.nColumn);
            }
            break;
        }
        case GN_ROWREQUEST: {
            auto& request = *reinterpret_cast<GRIDROWREQUEST*>(lParam);
            rowRequests.push_back(request.nRow);
            if (fillRow) {
                fillRow(request);
            }
            break;
        }
        case GN_SETCURSOR:
            ExpectRecord<GRIDNOTIFY>(GN_SETCURSOR);
            reinterpret_cast<GRIDNOTIFY*>(lParam)->uState = cursorAnswer;
            break;
        default:
            ExpectRecord<GRIDNOTIFY>(static_cast<int>(header->code));
            break;
        }
        return RecordingParent::OnNotify(wParam, lParam, result);
    }
};

// A grid child of the parent with the given columns (widths) and, in stored mode, rows.
inline void MakeGrid(TestGrid& grid, CWnd& parent, const RECT& rect, DWORD gridStyle, const std::vector<int>& widths,
                     int rows)
{
    grid.Create(WS_CHILD | WS_VISIBLE, rect, &parent, 100, gridStyle);
    for (size_t i = 0; i < widths.size(); ++i) {
        grid.InsertColumn(-1, (L"col" + std::to_wstring(i)).c_str(), 0, widths[i], FALSE);
    }
    if (gridStyle & GS_CELLCALLBACK || gridStyle & GS_ROWCALLBACK) {
        grid.SetItemCount(rows);
    } else {
        for (int i = 0; i < rows; ++i) {
            grid.InsertItem(-1, std::to_wstring(i).c_str());
        }
    }
    grid.ReCalcLayout();
    grid.ReDrawAll(TRUE);
}

inline LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

// The centre of a row's cell in a column, in client coordinates.
inline POINT CellCentre(const CKxGrid& grid, int row, int column)
{
    RECT cell{};
    grid.GetSubItemRect(row, column, 0, &cell);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

} // namespace gridtest
