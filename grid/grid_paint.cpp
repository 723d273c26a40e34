// The grid's painting: everything goes into one off-screen bitmap, and the changed part to the window.
#include <util/drawfun.h>
#include <util/grid.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>

#include "framework/gdi_scope.h"

namespace {
constexpr int kCopyMode = R2_COPYPEN;
constexpr UINT kTextFormat = DT_SINGLELINE | DT_BOTTOM;

// A solid one-pixel line along an axis, end point left out: the same pixels as a pen draws, without one.
void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    if (x1 != x2 && y1 != y2) {
        KXDRAWFUN::DrawLine(dc, x1, y1, x2, y2, PS_SOLID, 1, colour, kCopyMode);
        return;
    }
    auto span = [](int from, int to) {
        return from <= to ? std::make_pair(from, to) : std::make_pair(to + 1, from + 1);
    };
    const auto xs = x1 == x2 ? std::make_pair(x1, x1 + 1) : span(x1, x2);
    const auto ys = y1 == y2 ? std::make_pair(y1, y1 + 1) : span(y1, y2);
    if (x1 == x2 && y1 == y2) {
        return;
    }
    const RECT pixels{xs.first, ys.first, xs.second, ys.second};
    KXDRAWFUN::FillSolidRect(dc, &pixels, colour);
}

// Text that the two-font drawing would draw in one font and colour, without mnemonic prefixes or the
// dash of an empty value: measured once and put out directly, where the platform's text drawing
// would put it.
bool IsPlainText(const wchar_t* text, COLORREF colour, HFONT font, COLORREF colour2, HFONT font2)
{
    return colour == colour2 && (font2 == nullptr || font2 == font) && wcschr(text, L'&') == nullptr &&
           wcsncmp(text, L"----", 4) != 0;
}

template <typename Handle>
Handle HandleInCell(const GRIDCELL& cell)
{
    Handle handle = nullptr;
    std::memcpy(&handle, cell.szText, sizeof(handle));
    return handle;
}

UINT TypeOf(UINT format)
{
    return format & GF_TYPEMASK;
}

// Left edge of an image of the given width inside the cell, by the format's alignment.
int AlignedLeft(const RECT& cell, UINT format, int width)
{
    switch (format & GF_ALIGNMASK) {
    case GF_CENTER:
        return cell.left + (cell.right - cell.left - width) / 2;
    case GF_RIGHT:
        return cell.right - width;
    default:
        return cell.left;
    }
}

CPoint ArrowCentre(const CRect& arrow)
{
    return CPoint(arrow.left + arrow.Width() / 2, arrow.top + arrow.Height() / 2);
}

// Clipping that is undone when the scope ends.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT& rect) : m_dc(dc), m_saved(::SaveDC(dc))
    {
        ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    ~ClipScope() { ::RestoreDC(m_dc, m_saved); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// The clipping of a painting pass, which each row narrows to its band and then puts back. Saving and
// restoring the whole device context for every row would cost more than the row's cells.
class BandClip {
public:
    explicit BandClip(HDC dc) : m_dc(dc)
    {
        m_pass.CreateRectRgn(0, 0, 0, 0);
        m_clipped = ::GetClipRgn(dc, static_cast<HRGN>(m_pass.GetSafeHandle())) == 1;
    }
    BandClip(const BandClip&) = delete;
    BandClip& operator=(const BandClip&) = delete;

    void Narrow(const RECT& band) const { ::IntersectClipRect(m_dc, band.left, band.top, band.right, band.bottom); }
    void Widen() const { ::SelectClipRgn(m_dc, m_clipped ? static_cast<HRGN>(m_pass.GetSafeHandle()) : nullptr); }

private:
    HDC m_dc;
    CRgn m_pass;
    bool m_clipped = false;
};
} // namespace

// A device context for one painting pass: the caller's, whose font is put back at the end, or a memory
// one holding the grid's buffer.
class GridCanvas {
public:
    GridCanvas(HDC given, HBITMAP buffer)
        : m_given(given), m_font(given ? ::GetCurrentObject(given, OBJ_FONT) : nullptr),
          m_bkMode(given ? ::GetBkMode(given) : 0), m_textColour(given ? ::GetTextColor(given) : 0)
    {
        if (given == nullptr && buffer != nullptr) {
            m_buffer.emplace(nullptr, buffer);
        }
    }
    ~GridCanvas()
    {
        if (m_given == nullptr) {
            return;
        }
        if (::GetCurrentObject(m_given, OBJ_FONT) != m_font) {
            ::SelectObject(m_given, m_font);
        }
        ::SetBkMode(m_given, m_bkMode);
        ::SetTextColor(m_given, m_textColour);
    }
    GridCanvas(const GridCanvas&) = delete;
    GridCanvas& operator=(const GridCanvas&) = delete;

    HDC get() const { return m_given ? m_given : (m_buffer && m_buffer->ok() ? m_buffer->get() : nullptr); }
    bool temporary() const { return m_given == nullptr; }

private:
    HDC m_given;
    HGDIOBJ m_font;
    int m_bkMode;
    COLORREF m_textColour;
    std::optional<kxdraw::SelectedBitmap> m_buffer;
};

// Cell texts put out one after another into one device context. The font is selected when it changes
// rather than looked up for every cell (the look-up is a call into the system); whatever else draws
// into the context in between (a parent drawing its own cell, the two-font drawing) makes it Forget.
class CKxGrid::CellTextOut {
public:
    explicit CellTextOut(HDC dc) : m_dc(dc) {}
    CellTextOut(const CellTextOut&) = delete;
    CellTextOut& operator=(const CellTextOut&) = delete;

    HDC dc() const { return m_dc; }
    void Forget() { m_font = nullptr; }

    // Left and right alignment are the platform's own (it measures the text as it draws it); only
    // centred text is measured here, for the same rounding as the platform's text drawing. The
    // alignment is put back at once: owner-drawn cells and the two-font drawing expect the default.
    void Plain(const RECT& area, const wchar_t* text, UINT format, COLORREF colour, HFONT font)
    {
        // The font and the text modes stay for the next cell; the painting pass (GridCanvas) puts the
        // caller's back once.
        if (font != nullptr && font != m_font) {
            ::SelectObject(m_dc, font);
            m_font = font;
        }
        if (::GetBkMode(m_dc) != TRANSPARENT) {
            ::SetBkMode(m_dc, TRANSPARENT);
        }
        if (::GetTextColor(m_dc) != colour) {
            ::SetTextColor(m_dc, colour);
        }
        const int length = static_cast<int>(wcslen(text));
        UINT align = TA_LEFT | TA_BOTTOM;
        int x = area.left;
        if (format & DT_CENTER) {
            SIZE size{};
            ::GetTextExtentPoint32W(m_dc, text, length, &size);
            x = (area.left + area.right - size.cx) / 2;
        } else if (format & DT_RIGHT) {
            align = TA_RIGHT | TA_BOTTOM;
            x = area.right;
        }
        const UINT previous = ::SetTextAlign(m_dc, align);
        ::ExtTextOutW(m_dc, x, area.bottom, ETO_CLIPPED, &area, text, static_cast<UINT>(length), nullptr);
        ::SetTextAlign(m_dc, previous);
    }

private:
    HDC m_dc;
    HFONT m_font = nullptr; // selected by this writer and not changed since; null when not known
};

// ---- buffer ----

bool CKxGrid::EnsureBuffer()
{
    if (!IsWindow()) {
        return false;
    }
    CRect client;
    CWnd::GetClientRect(&client);
    if (m_bmpBuffer.GetSafeHandle() != nullptr && m_szBuffer.cx >= client.Width() && m_szBuffer.cy >= client.Height()) {
        return true;
    }
    const CSize size(std::max<int>(m_szBuffer.cx, client.Width()), std::max<int>(m_szBuffer.cy, client.Height()));
    // A 32-bit section: all drawing happens in memory and only the copies reach the display.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                      std::max<LONG>(size.cx, 1),
                      -std::max<LONG>(size.cy, 1),
                      1,
                      32,
                      BI_RGB,
                      0,
                      0,
                      0,
                      0,
                      0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return false;
    }
    m_bmpBuffer.DeleteObject();
    m_bmpBuffer.Attach(bitmap);
    m_szBuffer = size;
    return true;
}

void CKxGrid::ComposeBuffer()
{
    if (!EnsureBuffer()) {
        return;
    }
    GridCanvas canvas(nullptr, m_bmpBuffer);
    HDC dc = canvas.get();
    CRect client;
    CWnd::GetClientRect(&client);
    KXDRAWFUN::FillSolidRect(dc, &client, m_crBk);
    DrawHeader(dc, FALSE);
    RedrawItems2(dc, m_nTopIndex, m_nTopIndex + m_nCountPerPage - 1);
    DrawScrollBar(dc, BAR_HORZ | BAR_VERT);
    DrawBorder(dc);
}

void CKxGrid::ReDrawAll(BOOL force)
{
    if (!IsWindow() || (!force && (!IsWindowVisible() || !m_bRedraw))) {
        return;
    }
    ComposeBuffer();
    // Invalidated without erasing and painted at once, in one call.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CKxGrid::CopyToWindow(HDC windowDC, const RECT& rect)
{
    GridCanvas canvas(nullptr, m_bmpBuffer);
    if (canvas.get() != nullptr) {
        ::BitBlt(windowDC, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, canvas.get(), rect.left,
                 rect.top, SRCCOPY);
    }
}

void CKxGrid::CopyToWindow(const RECT& rect)
{
    if (!IsWindow()) {
        return;
    }
    HDC windowDC = ::GetDC(m_hWnd);
    CopyToWindow(windowDC, rect);
    ::ReleaseDC(m_hWnd, windowDC);
}

BOOL CKxGrid::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CKxGrid::OnPaint()
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (m_bRedraw) {
        if (m_bmpBuffer.GetSafeHandle() == nullptr) {
            ComposeBuffer();
        }
        CRect client;
        CWnd::GetClientRect(&client);
        CopyToWindow(dc, client);
    }
    ::EndPaint(m_hWnd, &paint);
}

void CKxGrid::OnSize(UINT type, int cx, int cy)
{
    CKxBaseWnd::OnSize(type, cx, cy);
    if (cx > 0 && cy > 0) {
        ReCalcLayout();
        ReDrawAll(FALSE);
    }
}

void CKxGrid::OnShowWindow(BOOL show, UINT status)
{
    CKxBaseWnd::OnShowWindow(show, status);
    if (show) {
        ReDrawAll(TRUE);
    } else {
        m_bmpBuffer.DeleteObject();
        m_szBuffer = CSize(0, 0);
    }
}

// ---- rows ----

int CKxGrid::RedrawItems(int first, int last)
{
    if (!m_bRedraw) {
        return 1;
    }
    first = std::max(first, m_nTopIndex);
    const int lastVisible = std::min(m_nItemCount, m_nTopIndex + m_nCountPerPage) - 1;
    if (last >= m_nItemCount || last >= m_nTopIndex + m_nCountPerPage) {
        last = lastVisible;
    }
    if (last < first || m_bmpBuffer.GetSafeHandle() == nullptr) {
        return 1;
    }
    RedrawItems2(nullptr, first, last);
    if (m_bSizing) {
        CRect client;
        CWnd::GetClientRect(&client);
        HDC windowDC = ::GetDC(m_hWnd);
        CopyToWindow(windowDC, client);
        DrawAdjectColWidthLine(windowDC, m_nSizingLineX, -1);
        ::ReleaseDC(m_hWnd, windowDC);
    } else {
        CRect client;
        CWnd::GetClientRect(&client);
        CopyToWindow(CRect(client.left, RowTop(first - m_nTopIndex), client.right, RowTop(last - m_nTopIndex + 1)));
    }
    return 1;
}

// What stays the same from row to row of one painting pass.
struct CKxGrid::RowPass {
    HDC dc;
    bool rowRequests; // rows asked whole from the parent
    CRect client;
    CRect rows; // the client below the header
    // Cells and row lines end here: before the own vertical bar's edge, or at the client's edge.
    int right;
    ColumnSpans spans;
    BandClip clip;
    CellTextOut text;
    NotifyTarget parent;
    // Reused by every row asked from the parent.
    std::vector<GRIDCELLDRAW> cells;
};

void CKxGrid::RedrawItems2(HDC given, int first, int last)
{
    if (!m_bRedraw) {
        return;
    }
    GridCanvas canvas(given, m_bmpBuffer);
    HDC dc = canvas.get();
    if (dc == nullptr) {
        return;
    }
    const CRect client = GetClientRect();
    ClipScope clip(dc, CRect(client.left, client.top, client.right - 1, client.bottom - 1));
    PaintRows(dc, first, last, (m_dwGridStyle & GS_ROWCALLBACK) != 0);
}

void CKxGrid::RedrawItem(HDC dc, int row)
{
    if (dc != nullptr && m_bRedraw && !(m_dwGridStyle & GS_ROWCALLBACK)) {
        PaintRows(dc, row, row, false);
    }
}

void CKxGrid::RedrawItemEx(HDC dc, int row)
{
    if (dc != nullptr && m_bRedraw) {
        PaintRows(dc, row, row, true);
    }
}

void CKxGrid::PaintRows(HDC dc, int first, int last, bool rowRequests)
{
    const CRect client = GetClientRect();
    CRect rows;
    GetRealClientRect(&rows);
    RowPass pass{dc, rowRequests, client, rows, client.right, {}, BandClip(dc), CellTextOut(dc), RequestTarget(), {}};
    if (!rowRequests && (m_dwGridStyle & GS_OWNVSCROLL)) {
        pass.right -= 2;
    }
    pass.spans = VisibleColumns(rowRequests ? client.right - 1 : pass.right);
    // The rows painted are consecutive: the lines between columns go over all of them at once.
    int firstPainted = -1, lastPainted = -1;
    const int end = std::min(last, m_nTopIndex + m_nCountPerPage - 1);
    for (int row = std::max(first, m_nTopIndex); row <= end; ++row) {
        if (rowRequests ? PaintRequestedRow(pass, row) : PaintRow(pass, row)) {
            firstPainted = firstPainted < 0 ? row : firstPainted;
            lastPainted = row;
        }
    }
    if ((m_dwGridStyle & GS_GRIDLINES) && firstPainted >= 0) {
        DrawColumnLines(pass, RowTop(firstPainted - m_nTopIndex, rows), RowTop(lastPainted - m_nTopIndex + 1, rows));
    }
}

// The lines between columns, once over all the rows painted: the same pixels as a line per cell, at a
// fraction of the calls. Stored and per-cell rows mark a column's left edge, rows asked whole the right.
void CKxGrid::DrawColumnLines(const RowPass& pass, int top, int bottom)
{
    for (const ColumnSpan& span : pass.spans) {
        if (pass.rowRequests) {
            Line(pass.dc, span.right, top, span.right, bottom, m_crGridLine);
        } else if (span.index != 0 && ValidColumn(span.index) && !(m_columns[span.index].nFormat & GF_NOSPLITLINE)) {
            Line(pass.dc, span.left, top, span.left, bottom, m_crGridLine);
        }
    }
}

COLORREF CKxGrid::CellBackground(int row, int column) const
{
    const bool marked = column == 0 ? IsSelectedRow(row) : row == m_nFocusItem;
    return marked ? m_crSelBk : m_crBk;
}

bool CKxGrid::PaintRow(RowPass& pass, int row)
{
    const bool perCell = (m_dwGridStyle & GS_CELLCALLBACK) != 0;
    if (!IsRowVisible(row) || (!perCell && !ValidStoredRow(row))) {
        return false;
    }
    const int top = RowTop(row - m_nTopIndex, pass.rows);
    const int bottom = RowTop(row - m_nTopIndex + 1, pass.rows);
    pass.clip.Narrow(CRect(pass.client.left, top, pass.right, bottom));
    for (const ColumnSpan& span : pass.spans) {
        // A parent asked for a cell may have taken columns away.
        if (!ValidColumn(span.index)) {
            break;
        }
        const CRect cell(span.left, top, span.right, perCell ? bottom : bottom - 1);
        const COLORREF background = CellBackground(row, span.index);
        if (perCell) {
            DrawRequestedCell(pass, row, span, cell, background);
        } else {
            DrawStoredCell(pass.text, m_rows[row], span, cell, background);
        }
    }
    if (m_dwGridStyle & GS_GRIDLINES) {
        Line(pass.dc, pass.client.left, bottom - 1, pass.right, bottom - 1, m_crGridLine);
    }
    pass.clip.Widen();
    return true;
}

void CKxGrid::DrawStoredCell(CellTextOut& out, const Row& row, const ColumnSpan& span, const RECT& cell,
                             COLORREF background)
{
    const HDC dc = out.dc();
    if (span.index >= static_cast<int>(row.cells.size())) {
        return;
    }
    const GRIDCELL& data = row.cells[span.index];
    const UINT format = m_columns[span.index].nFormat;
    const UINT type = TypeOf(format);
    if (type == GF_TEXT) {
        DrawCellBk(dc, cell, background);
        DrawCellText(out, cell, data.szText, format, data.crText, m_hFont, data.crText, m_hFont2);
    } else if (type & GF_ICON) {
        DrawCellBk(dc, cell, background);
        DrawCellIcon(dc, cell, format, HandleInCell<HICON>(data));
    } else if (type & GF_BITMAP) {
        DrawCellBk(dc, cell, background);
        DrawCellBitmap(dc, cell, format, HandleInCell<HBITMAP>(data));
    }
}

void CKxGrid::DrawRequestedCell(RowPass& pass, int row, const ColumnSpan& span, const RECT& cell, COLORREF background)
{
    const HDC dc = pass.dc;
    const UINT format = m_columns[span.index].nFormat;
    const UINT type = TypeOf(format);
    wchar_t text[GRID_TEXT_CAPACITY] = {};
    GRIDCELLREQUEST request{};
    request.hdr.code = GN_CELLREQUEST;
    request.nRow = row;
    request.nColumn = span.index;
    request.nFormat = format;
    request.crBk = background;
    request.dwValue = type == GF_TEXT ? m_crText : type == GF_OWNERDRAW ? reinterpret_cast<DWORD_PTR>(dc) : 0;
    request.hFont = m_hFont;
    if (type == GF_TEXT) {
        request.pszText = text;
        request.nTextMax = GRID_TEXT_CAPACITY;
    }
    request.hFont2 = m_hFont2;
    request.crText2 = m_crText;
    SendToParent(pass.parent, &request.hdr);

    if (type == GF_TEXT) {
        // The parent may have filled the whole buffer.
        text[GRID_TEXT_CAPACITY - 1] = L'\0';
        const COLORREF colour = static_cast<COLORREF>(request.dwValue);
        DrawCellBk(dc, cell, request.crBk);
        DrawCellText(pass.text, cell, text, request.nFormat, colour, request.hFont,
                     request.bUseFont2 ? request.crText2 : colour, request.bUseFont2 ? request.hFont2 : request.hFont);
    } else if (type == GF_OWNERDRAW) {
        pass.text.Forget();
    } else if (type & GF_ICON) {
        DrawCellBk(dc, cell, request.crBk);
        DrawCellIcon(dc, cell, format, reinterpret_cast<HICON>(request.dwValue));
    } else if (type & GF_BITMAP) {
        DrawCellBk(dc, cell, request.crBk);
        DrawCellBitmap(dc, cell, format, reinterpret_cast<HBITMAP>(request.dwValue));
    }
}

void CKxGrid::FillCellDraw(HDC dc, int row, const ColumnSpan& span, const RECT& cell, GRIDCELLDRAW* draw)
{
    *draw = GRIDCELLDRAW{};
    draw->nColumn = span.index;
    draw->nFormat = m_columns[span.index].nFormat;
    draw->crBk = CellBackground(row, span.index);
    draw->rcCell = cell;
    draw->hFont = m_hFont;
    draw->nTextMax = GRID_TEXT_CAPACITY;
    draw->hFont2 = m_hFont2;
    draw->crText2 = m_crText;
    if (TypeOf(draw->nFormat) == GF_TEXT) {
        draw->dwValue = m_crText;
    } else {
        DrawCellBk(dc, cell, draw->crBk);
        draw->dwValue = reinterpret_cast<DWORD_PTR>(dc);
    }
}

void CKxGrid::DrawCellRecord(CellTextOut& out, const GRIDCELLDRAW& cell, const RECT& rect)
{
    const HDC dc = out.dc();
    const UINT type = TypeOf(cell.nFormat);
    if (type == GF_OWNERDRAW) {
        return;
    }
    DrawCellBk(dc, rect, cell.crBk);
    if (type == GF_TEXT) {
        wchar_t text[GRID_TEXT_CAPACITY];
        std::memcpy(text, cell.szText, sizeof(text));
        text[GRID_TEXT_CAPACITY - 1] = L'\0';
        const COLORREF colour = static_cast<COLORREF>(cell.dwValue);
        DrawCellText(out, rect, text, cell.nFormat, colour, cell.hFont, cell.bUseFont2 ? cell.crText2 : colour,
                     cell.bUseFont2 ? cell.hFont2 : cell.hFont);
    } else if (type & GF_ICON) {
        DrawCellIcon(dc, rect, cell.nFormat, reinterpret_cast<HICON>(cell.dwValue));
    } else if (type & GF_BITMAP) {
        DrawCellBitmap(dc, rect, cell.nFormat, reinterpret_cast<HBITMAP>(cell.dwValue));
    }
}

bool CKxGrid::PaintRequestedRow(RowPass& pass, int row)
{
    if (pass.spans.empty() || !IsRowVisible(row)) {
        return false;
    }
    const CRect band(pass.client.left, RowTop(row - m_nTopIndex, pass.rows), pass.client.right,
                     RowTop(row - m_nTopIndex + 1, pass.rows));
    std::vector<GRIDCELLDRAW>& cells = pass.cells;
    cells.resize(pass.spans.size());
    for (size_t i = 0; i < pass.spans.size(); ++i) {
        const ColumnSpan& span = pass.spans[i];
        FillCellDraw(pass.dc, row, span, CRect(span.left, band.top, span.right, band.bottom), &cells[i]);
    }
    GRIDROWREQUEST request{};
    request.hdr.code = GN_ROWREQUEST;
    request.nRow = row;
    request.nCount = static_cast<int>(cells.size());
    request.pCells = cells.data();
    SendToParent(pass.parent, &request.hdr);
    // The parent may have drawn cells of its own.
    pass.text.Forget();

    for (size_t i = 0; i < pass.spans.size(); ++i) {
        DrawCellRecord(pass.text, cells[i], CRect(pass.spans[i].left + 1, band.top, pass.spans[i].right, band.bottom));
    }
    if (m_dwGridStyle & GS_GRIDLINES) {
        Line(pass.dc, band.left, band.bottom - 1, band.right, band.bottom - 1, m_crGridLine);
    }
    return true;
}

int CKxGrid::RedrawCell(int row, int column)
{
    CRect cell;
    if (!IsCallback() || !m_bRedraw || !GetSubItemRect(row, column, 0, &cell)) {
        return 1;
    }
    GridCanvas canvas(nullptr, m_bmpBuffer);
    HDC dc = canvas.get();
    if (dc == nullptr) {
        return 1;
    }
    {
        ClipScope clip(dc, cell);
        const ColumnSpan span{column, cell.left, cell.right};
        GRIDCELLDRAW draw{};
        FillCellDraw(dc, row, span, cell, &draw);
        GRIDROWREQUEST request{};
        request.hdr.code = GN_ROWREQUEST;
        request.nRow = row;
        request.nCount = 1;
        request.pCells = &draw;
        SendToParent(&request.hdr);
        CellTextOut out(dc);
        DrawCellRecord(out, draw, cell);
        if (m_dwGridStyle & GS_GRIDLINES) {
            Line(dc, cell.right, cell.top, cell.right, cell.bottom - 1, m_crGridLine);
            Line(dc, cell.left, cell.bottom - 1, cell.right, cell.bottom - 1, m_crGridLine);
        }
    }
    InvalidateRect(&cell, TRUE);
    return 1;
}

// A stored cell changed: it alone is painted again and copied to the window.
void CKxGrid::RepaintStoredCell(int row, int column)
{
    CRect band;
    ColumnSpan span{};
    if (!m_bRedraw || !GetItemRect(row, &band) || m_bmpBuffer.GetSafeHandle() == nullptr) {
        return;
    }
    const CRect client = GetClientRect();
    band.right = client.right - ((m_dwGridStyle & GS_OWNVSCROLL) ? 2 : 0);
    if (!ColumnSpanOf(column, band.right, &span)) {
        return;
    }
    const CRect cell(span.left, band.top, std::min<int>(span.right, band.right), band.bottom - 1);
    {
        GridCanvas canvas(nullptr, m_bmpBuffer);
        ClipScope clip(canvas.get(), CRect(cell.left, cell.top, cell.right, cell.bottom));
        CellTextOut out(canvas.get());
        DrawStoredCell(out, m_rows[row], span, CRect(span.left, band.top, span.right, band.bottom - 1),
                       CellBackground(row, column));
        if ((m_dwGridStyle & GS_GRIDLINES) && column != 0 && !(m_columns[column].nFormat & GF_NOSPLITLINE)) {
            Line(canvas.get(), cell.left, cell.top, cell.left, cell.bottom, m_crGridLine);
        }
    }
    CopyToWindow(cell);
}

// ---- header ----

void CKxGrid::DrawHeader(HDC given, BOOL copy)
{
    if (!m_bRedraw) {
        return;
    }
    GridCanvas canvas(given, m_bmpBuffer);
    HDC dc = canvas.get();
    if (dc == nullptr) {
        return;
    }
    const CRect client = GetClientRect();
    const CRect strip(client.left, client.top, client.right, client.top + m_nHeaderHeight);
    KXDRAWFUN::FillSolidRect(dc, &strip, m_crHeaderBk);
    const ColumnSpans spans = VisibleColumns(client.right);
    for (const ColumnSpan& span : spans) {
        const _KXGRIDCOLUMN& column = m_columns[span.index];
        const CRect cell(span.left, strip.top, span.right, strip.bottom);
        const bool hot = span.index == m_nHotHeaderCol;
        const COLORREF background =
            hot || (TypeOf(column.nHeaderFormat) == GF_TEXT && column.nSort != 0) ? m_crHeaderSelBk : m_crHeaderBk;
        const UINT type = TypeOf(column.nHeaderFormat);
        if (type == GF_TEXT) {
            // The title and its sort mark, on the stack: the header is painted with every page.
            wchar_t title[_countof(column.szText) + 1];
            wcscpy_s(title, column.szText);
            COLORREF colour = hot ? m_crHeaderSelText : m_crHeaderText;
            if (column.nSort != 0) {
                wcscat_s(title, column.nSort > 0 ? L"\u2191" : L"\u2193");
                colour = m_crHeaderSortText;
            }
            DrawCellBk(dc, cell, background);
            DrawCellText(dc, cell, title, column.nHeaderFormat, colour, m_hHeaderFont, colour, m_hHeaderFont2);
        } else if (type & GF_ICON) {
            DrawCellBk(dc, cell, background);
            DrawCellIcon(dc, cell, column.nHeaderFormat, column.hHeaderIcon);
        } else if (type == GF_BITMAP) {
            DrawCellBk(dc, cell, background);
            DrawCellBitmap(dc, cell, column.nHeaderFormat, column.hHeaderBitmap);
        }
        if (span.index != 0 && !(column.nFormat & GF_NOSPLITLINE)) {
            Line(dc, cell.left, cell.top + 2, cell.left, cell.bottom - 2, m_crHeaderSplit);
        }
    }
    if (m_dwGridStyle & GS_GRIDLINES) {
        Line(dc, strip.left, strip.bottom - 1, strip.right, strip.bottom - 1, m_crGridLine);
    }
    DrawHeaderRows(dc, client, spans);
    DrawBorder(dc);
    if (copy && canvas.temporary() && IsWindow()) {
        CopyToWindow(CRect(client.left, client.top, client.right, HeaderBottom()));
    }
}

// The header is painted into the buffer and its strip shown again by the next paint.
void CKxGrid::RefreshHeader()
{
    DrawHeader(nullptr, FALSE);
    if (IsWindow()) {
        CRect client;
        CWnd::GetClientRect(&client);
        client.bottom = client.top + m_nHeaderHeight;
        InvalidateRect(&client, TRUE);
    }
}

void CKxGrid::DrawHeaderRows(HDC dc, const CRect& client, const ColumnSpans& spans)
{
    for (int i = 0; i < GetHeadItemCount(); ++i) {
        const int top = client.top + m_nHeaderHeight + i * m_nHeaderRowHeight;
        const int bottom = top + m_nHeaderRowHeight;
        const HeaderRow& row = m_headerRows[i];
        for (const ColumnSpan& span : spans) {
            if (span.index >= static_cast<int>(row.cells.size())) {
                continue;
            }
            const _KXGRIDCOLUMN& column = m_columns[span.index];
            const GRIDCELL& data = row.cells[span.index];
            const CRect cell(span.left, top, span.right + 1, bottom);
            const UINT format = column.nHeaderItemFormat;
            const UINT type = TypeOf(format);
            const bool fixed = span.index < m_nFixedCols;
            if (type == GF_TEXT) {
                DrawCellBk(dc, cell, m_crBk);
                DrawCellText(dc, cell, data.szText, format, data.crText, fixed ? m_hHeaderRowFont : m_hFont,
                             data.crText, fixed ? m_hHeaderRowFont2 : m_hFont2);
            } else if (type == GF_OWNERDRAW) {
                GRIDHEADERCELLDRAW request{};
                request.hdr.code = GN_HEADERCELLDRAW;
                request.nHeaderRow = i;
                request.nColumn = span.index;
                request.crBk = m_crBk;
                request.hDC = dc;
                request.rcCell = cell;
                SendToParent(&request.hdr);
            } else if (type & GF_ICON) {
                DrawCellBk(dc, cell, m_crBk);
                DrawCellIcon(dc, CRect(cell.left, cell.top, cell.right, cell.bottom - 2), format,
                             HandleInCell<HICON>(data));
            } else if (type & GF_BITMAP) {
                DrawCellBk(dc, cell, m_crBk);
                DrawCellBitmap(dc, CRect(cell.left, cell.top, cell.right, cell.bottom - 2), format,
                               HandleInCell<HBITMAP>(data));
            }
            if ((m_dwGridStyle & GS_GRIDLINES) && span.index != 0 && !(column.nFormat & GF_NOSPLITLINE)) {
                Line(dc, cell.left, top, cell.left, bottom, m_crGridLine);
            }
        }
        if (m_dwGridStyle & GS_GRIDLINES) {
            Line(dc, client.left, bottom - 1, client.right, bottom - 1, m_crGridLine);
        }
    }
}

// ---- cell primitives ----

void CKxGrid::DrawCellBk(HDC dc, const RECT& rect, COLORREF color)
{
    const RECT inner{rect.left, rect.top + 1, rect.right - 1, rect.bottom - 1};
    KXDRAWFUN::FillSolidRect(dc, &inner, color);
}

void CKxGrid::DrawCellText(HDC dc, const RECT& rect, const wchar_t* text, UINT format, COLORREF color, HFONT font,
                           COLORREF color2, HFONT font2)
{
    CellTextOut out(dc);
    DrawCellText(out, rect, text, format, color, font, color2, font2);
}

void CKxGrid::DrawCellText(CellTextOut& out, const RECT& rect, const wchar_t* text, UINT format, COLORREF color,
                           HFONT font, COLORREF color2, HFONT font2)
{
    if (text == nullptr || text[0] == L'\0') {
        return;
    }
    const RECT area{rect.left + 2, rect.top, rect.right - 2, rect.bottom - 2};
    UINT platformFormat = kTextFormat;
    if ((format & GF_ALIGNMASK) == GF_CENTER) {
        platformFormat |= DT_CENTER;
    } else if ((format & GF_ALIGNMASK) == GF_RIGHT) {
        platformFormat |= DT_RIGHT;
    }
    if (IsPlainText(text, color, font, color2, font2)) {
        out.Plain(area, text, platformFormat, color, font);
    } else {
        KXDRAWFUN::DrawTextExW(out.dc(), text, -1, &area, platformFormat, font, font2, color, color2, 0);
        out.Forget();
    }
}

void CKxGrid::DrawCellIcon(HDC dc, const RECT& rect, UINT format, HICON icon)
{
    SIZE size{};
    KXDRAWFUN::GetIconSize(icon, &size);
    if (icon == nullptr || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    const int x = AlignedLeft(rect, format, size.cx);
    const int y = rect.top + (rect.bottom - rect.top - size.cy) / 2;
    ::DrawIconEx(dc, x, y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

void CKxGrid::DrawCellBitmap(HDC dc, const RECT& rect, UINT format, HBITMAP bitmap)
{
    SIZE size{};
    KXDRAWFUN::GetBmpSize(bitmap, &size);
    if (bitmap == nullptr || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    const int x = AlignedLeft(rect, format, size.cx);
    const int d = rect.bottom - rect.top - size.cy;
    const int y = rect.top + d - d / 2 + 1;
    const kxdraw::SelectedBitmap source(dc, bitmap);
    if (source.ok()) {
        ::BitBlt(dc, x, y, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
    }
}

// ---- own scroll bars and border ----

void CKxGrid::DrawScrollBar(HDC dc, int bars)
{
    const COLORREF ink = m_crGridBorder;
    if ((bars & BAR_HORZ) && (m_dwGridStyle & GS_OWNHSCROLL)) {
        CGridScrollInfo& info = m_hsi;
        const CRect& bar = info.rcBar;
        KXDRAWFUN::FillSolidRect(dc, &bar, m_crBk);
        const POINT outline[] = {
            {bar.left, bar.bottom - 1}, {bar.right, bar.bottom - 1}, {bar.right, bar.top}, {bar.left - 1, bar.top}};
        KXDRAWFUN::DrawPolyLine(dc, outline, 4, PS_SOLID, 1, ink, kCopyMode);
        Line(dc, info.rcArrow1.right, bar.top, info.rcArrow1.right, bar.bottom, ink);
        Line(dc, info.rcArrow2.right, bar.top, info.rcArrow2.right, bar.bottom, ink);
        Line(dc, info.rcArrow2.left, bar.top, info.rcArrow2.left, bar.bottom, ink);
        CPoint c = ArrowCentre(info.rcArrow1);
        KXDRAWFUN::SetPixel(dc, c.x - 2, c.y, ink);
        Line(dc, c.x - 1, c.y - 1, c.x - 1, c.y + 2, ink);
        Line(dc, c.x, c.y - 2, c.x, c.y + 3, ink);
        Line(dc, c.x + 1, c.y - 3, c.x + 1, c.y + 4, ink);
        c = ArrowCentre(info.rcArrow2);
        Line(dc, c.x - 1, c.y - 3, c.x - 1, c.y + 4, ink);
        Line(dc, c.x, c.y - 2, c.x, c.y + 3, ink);
        Line(dc, c.x + 1, c.y - 1, c.x + 1, c.y + 2, ink);
        KXDRAWFUN::SetPixel(dc, c.x + 2, c.y, ink);
        info.rcTrack = CRect(info.rcArrow1.right, bar.top, info.rcArrow2.left, bar.bottom);
    }
    if ((bars & BAR_VERT) && (m_dwGridStyle & GS_OWNVSCROLL)) {
        CGridScrollInfo& info = m_vsi;
        const CRect& bar = info.rcBar;
        KXDRAWFUN::FillSolidRect(dc, &bar, m_crBk);
        const POINT outline[] = {
            {bar.left, bar.top - 1}, {bar.left, bar.bottom}, {bar.right - 1, bar.bottom}, {bar.right - 1, bar.top - 1}};
        KXDRAWFUN::DrawPolyLine(dc, outline, 4, PS_SOLID, 1, ink, kCopyMode);
        Line(dc, bar.left, info.rcArrow1.bottom, bar.right, info.rcArrow1.bottom, ink);
        Line(dc, bar.left, info.rcArrow2.top, bar.right, info.rcArrow2.top, ink);
        CPoint c = ArrowCentre(info.rcArrow1);
        KXDRAWFUN::SetPixel(dc, c.x, c.y - 2, ink);
        Line(dc, c.x - 1, c.y - 1, c.x + 2, c.y - 1, ink);
        Line(dc, c.x - 2, c.y, c.x + 3, c.y, ink);
        Line(dc, c.x - 3, c.y + 1, c.x + 4, c.y + 1, ink);
        c = ArrowCentre(info.rcArrow2);
        Line(dc, c.x - 3, c.y - 1, c.x + 4, c.y - 1, ink);
        Line(dc, c.x - 2, c.y, c.x + 3, c.y, ink);
        Line(dc, c.x - 1, c.y + 1, c.x + 2, c.y + 1, ink);
        KXDRAWFUN::SetPixel(dc, c.x, c.y + 2, ink);
        info.rcTrack = CRect(bar.left, info.rcArrow1.bottom, bar.right, info.rcArrow2.top);
        Line(dc, bar.right - 1, info.rcTrack.top, bar.right - 1, info.rcTrack.bottom, ink);
    }
    DrawScrollBlock(dc, bars);
}

void CKxGrid::DrawScrollBlock(HDC dc, int bars)
{
    const std::pair<int, CGridScrollInfo*> own[] = {{BAR_HORZ, &m_hsi}, {BAR_VERT, &m_vsi}};
    for (const auto& entry : own) {
        const DWORD style = entry.first == BAR_HORZ ? GS_OWNHSCROLL : GS_OWNVSCROLL;
        const CGridScrollInfo& info = *entry.second;
        if (!(bars & entry.first) || !(m_dwGridStyle & style) || info.rcBlock.IsRectEmpty()) {
            continue;
        }
        CRect track = info.rcTrack;
        track.DeflateRect(1, 1);
        KXDRAWFUN::FillSolidRect(dc, &track, m_crBk);
        KXDRAWFUN::DrawRect(dc, &info.rcBlock, PS_SOLID, 1, m_crGridBorder, kCopyMode);
        const CPoint centre = info.rcBlock.CenterPoint();
        for (int dx = -3; dx <= 3; dx += 3) {
            for (int dy = -3; dy <= 3; dy += 3) {
                KXDRAWFUN::SetPixel(dc, centre.x + dx, centre.y + dy, m_crGridBorder);
            }
        }
    }
}

void CKxGrid::RepaintOwnBars(int bars)
{
    if (!IsWindow() || m_bmpBuffer.GetSafeHandle() == nullptr) {
        return;
    }
    {
        GridCanvas canvas(nullptr, m_bmpBuffer);
        DrawScrollBar(canvas.get(), bars);
    }
    for (const auto& entry : {std::make_pair(int(BAR_HORZ), &m_hsi), std::make_pair(int(BAR_VERT), &m_vsi)}) {
        if (bars & entry.first) {
            InvalidateRect(&entry.second->rcBar, FALSE);
        }
    }
    UpdateWindow();
}

void CKxGrid::DrawBorder(HDC dc)
{
    const CRect client = GetClientRect();
    if (!(m_dwGridStyle & GS_OWNHSCROLL)) {
        Line(dc, client.left, client.bottom - 1, client.right, client.bottom - 1, m_crGridBorder);
    }
    if (!(m_dwGridStyle & GS_OWNVSCROLL)) {
        Line(dc, client.right - 1, client.top, client.right - 1, client.bottom, m_crGridBorder);
    }
}

void CKxGrid::DrawAdjectColWidthLine(HDC dc, int x, int row)
{
    if (dc == nullptr) {
        return;
    }
    const CRect client = GetClientRect();
    CRect band(x, client.top + 1, x, client.bottom - 1);
    if (row != -1) {
        CRect rowRect;
        if (!GetItemRect(row, &rowRect)) {
            return;
        }
        band.top = rowRect.top;
        band.bottom = rowRect.bottom;
    }
    KXDRAWFUN::DrawLine(dc, x, band.top, x, band.bottom, PS_SOLID, 1, RGB(255, 255, 255), R2_XORPEN);
}
