// The rich tooltip: a table of icon and text cells in a pop-up that follows the mouse.
#include <util/drawdc.h>
#include <util/drawfun.h>
#include <util/tooltip.h>

#include <algorithm>

namespace {

constexpr wchar_t kClassName[] = L"KXToolTip";
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowDelayMs = 200;
constexpr UINT_PTR kAutoCancelTimer = 8888;
constexpr int kCellsLeft = 2;
constexpr int kTextPadding = 6;

HFONT FontOf(const CYToolTipCell& cell)
{
    return cell.m_hFont ? cell.m_hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF Either(COLORREF colour, COLORREF fallback)
{
    return colour == KXTT_NOCOLOR ? fallback : colour;
}

} // namespace

CYToolTip::CYToolTip()
{
    m_crBk = 0;
}

CYToolTip::~CYToolTip()
{
    DestroyWindow();
}

int CYToolTip::Create(CWnd* owner)
{
    KxRegisterWndClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, owner ? owner->GetSafeHwnd() : nullptr, nullptr) ? 1 : 0;
}

BOOL CYToolTip::DestroyWindow()
{
    if (IsWindow()) {
        KillTimer(kShowTimer);
        KillTimer(kAutoCancelTimer);
    }
    return CKxBaseWnd::DestroyWindow();
}

void CYToolTip::SetToolTip(const CYToolTipInfo* info)
{
    if (info == nullptr || info->m_vecRows.empty()) {
        return;
    }
    m_rows = info->m_vecRows;
    m_nHighlight = m_nPressed = -1;
    m_nRowHeight = MIN_ROW_HEIGHT;
    m_nMaxRowWidth = 0;
    m_crBk = info->m_crBk;
    m_crSel = info->m_crSel;
}

void CYToolTip::Show(CPoint point, int dx, int dy)
{
    if (!IsWindow() || m_rows.empty()) {
        return;
    }
    m_ptShow = point;
    m_nOffsetX = dx;
    m_nOffsetY = dy;
    if (m_nHighlight < 0 || m_nHighlight >= RowCount()) {
        m_nHighlight = 0;
    }
    m_bLeftOnce = false;
    SetTimer(kShowTimer, kShowDelayMs);
}

void CYToolTip::Hide()
{
    if (IsWindow()) {
        KillTimer(kShowTimer);
        ShowWindow(SW_HIDE);
    }
}

BOOL CYToolTip::IsVisible() const
{
    return IsWindowVisible();
}

void CYToolTip::SetAutoCancel(long milliseconds)
{
    if (!IsWindow()) {
        return;
    }
    if (milliseconds > 0) {
        SetTimer(kAutoCancelTimer, static_cast<UINT>(milliseconds));
    } else {
        KillTimer(kAutoCancelTimer);
    }
}

void CYToolTip::SetOnLButtonDownFun(void* context, PFN_YHINTLBUTTONDOWN callback)
{
    m_pCallbackContext = context;
    m_pfnLButtonDown = callback;
}

void CYToolTip::SetFixSel(int row)
{
    const int old = m_nHighlight;
    m_nHighlight = row;
    m_bFixSel = true;
    InvalidateRow(old);
    InvalidateRow(row);
}

void CYToolTip::SetUnFixSel()
{
    m_bFixSel = false;
}

void CYToolTip::SetOutterPaint(bool outterPaint)
{
    m_bOutterPaint = outterPaint;
}

// ---- layout ----

int CYToolTip::RowCount() const
{
    return std::min<int>(static_cast<int>(m_rows.size()), MAX_ROWS);
}

int CYToolTip::CellCount(int row) const
{
    return std::min<int>(static_cast<int>(m_rows[row].m_vecCells.size()), MAX_CELLS);
}

void CYToolTip::MeasureColumns(HDC dc)
{
    const int rows = RowCount();
    // Widths of the cells themselves, then the columns of each run of one group, which take the
    // widest cell of the column from the first row down to the run's end.
    std::vector<int> cellWidths(static_cast<size_t>(rows) * MAX_CELLS, 0);
    m_nRowHeight = MIN_ROW_HEIGHT;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < CellCount(r); ++c) {
            const CYToolTipCell& cell = m_rows[r].m_vecCells[c];
            const HGDIOBJ old = ::SelectObject(dc, FontOf(cell));
            const wchar_t* text = cell.m_strText.c_str();
            cellWidths[r * MAX_CELLS + c] =
                (cell.m_strText.empty() ? 0 : KXDRAWFUN::GetTextWidth(dc, text)) + cell.m_nExtraWidth;
            m_nRowHeight = std::max(m_nRowHeight, KXDRAWFUN::GetTextHeight(dc, text) + kTextPadding);
            ::SelectObject(dc, old);
        }
    }
    int columns[MAX_CELLS] = {};
    m_nMaxRowWidth = 0;
    for (int runStart = 0; runStart < rows;) {
        int runEnd = runStart;
        while (runEnd + 1 < rows && m_rows[runEnd + 1].m_nGroup == m_rows[runStart].m_nGroup) {
            ++runEnd;
        }
        for (int r = runStart; r <= runEnd; ++r) {
            for (int c = 0; c < MAX_CELLS; ++c) {
                columns[c] = std::max(columns[c], cellWidths[r * MAX_CELLS + c]);
            }
        }
        for (int r = runStart; r <= runEnd; ++r) {
            int rowWidth = 0;
            for (int c = 0; c < MAX_CELLS; ++c) {
                m_widths[r][c] = columns[c];
                rowWidth += c < CellCount(r) ? columns[c] : 0;
            }
            m_nMaxRowWidth = std::max(m_nMaxRowWidth, rowWidth);
        }
        runStart = runEnd + 1;
    }
}

bool CYToolTip::RecalcLayout()
{
    if (!IsWindow()) {
        return false;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (!m_bOutterPaint && !(m_ptShow == cursor)) {
        return false;
    }
    {
        CClientDC dc(this);
        MeasureColumns(dc);
    }
    const int width = m_nMaxRowWidth + 2;
    const int height = RowCount() * m_nRowHeight;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(m_ptShow, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int x = m_ptShow.x + width <= screen.right ? m_ptShow.x + m_nOffsetX : m_ptShow.x - m_nOffsetX - width;
    const int y = m_ptShow.y + height <= screen.bottom ? m_ptShow.y + m_nOffsetY : m_ptShow.y - m_nOffsetY - height;
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

CRect CYToolTip::RowBand(int row) const
{
    CRect client;
    GetClientRect(&client);
    return CRect(client.left, row * m_nRowHeight, client.right, (row + 1) * m_nRowHeight);
}

int CYToolTip::RowAt(int y) const
{
    const int row = y >= 0 ? y / m_nRowHeight : -1;
    return row < RowCount() ? row : -1;
}

int CYToolTip::CellAt(int row, int x) const
{
    int left = kCellsLeft;
    for (int c = 0; c < CellCount(row); ++c) {
        if (x >= left && x < left + m_widths[row][c]) {
            return c;
        }
        left += m_widths[row][c];
    }
    return -1;
}

void CYToolTip::InvalidateRow(int row)
{
    if (IsWindow() && row >= 0 && row < RowCount()) {
        const CRect band = RowBand(row);
        InvalidateRect(&band, FALSE);
    }
}

// ---- painting ----

void CYToolTip::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CKXMemDC memory(paint, client, FALSE);
    Render(memory);
}

void CYToolTip::Render(HDC dc)
{
    CRect client;
    GetClientRect(&client);
    KXDRAWFUN::FillSolidRect(dc, &client, m_crBk);
    for (int r = 0; r < RowCount(); ++r) {
        const CYToolTipRow& row = m_rows[r];
        const CRect band = RowBand(r);
        KXDRAWFUN::FillSolidRect(dc, &band, Either(row.m_crBk, m_crBk));
        const bool highlighted = r == m_nHighlight;
        if (highlighted) {
            CRect inner = band;
            inner.DeflateRect(1, 1);
            KXDRAWFUN::FillSolidRect(dc, &inner, m_crSel);
        }
        int left = client.left + kCellsLeft;
        for (int c = 0; c < CellCount(r); ++c) {
            const CYToolTipCell& cell = row.m_vecCells[c];
            const CRect area(left, band.top + 1, left + m_widths[r][c], band.bottom - 1);
            left = area.right;
            if (cell.m_crBk != KXTT_NOCOLOR && !highlighted) {
                KXDRAWFUN::FillSolidRect(dc, &area, cell.m_crBk);
            }
            if (cell.m_hIcon != nullptr) {
                KXDRAWFUN::DrawIcon(dc, cell.m_hIcon, &area, 5);
            } else {
                KXDRAWFUN::DrawTextW(dc, cell.m_strText.c_str(), static_cast<int>(cell.m_strText.size()), &area,
                                     cell.m_nFormat, FontOf(cell), cell.m_crText, 0);
            }
        }
    }
}

// ---- mouse and timers ----

LRESULT CYToolTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEACTIVATE) {
        return MA_NOACTIVATE;
    }
    if (message == WM_PRINTCLIENT) {
        Render(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return CKxBaseWnd::WindowProc(message, wParam, lParam);
}

void CYToolTip::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_bTrackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    if (!m_bFixSel) {
        const int row = RowAt(point.y);
        if (row != m_nHighlight) {
            InvalidateRow(m_nHighlight);
            m_nHighlight = row;
            InvalidateRow(row);
        }
    }
    CKxBaseWnd::OnMouseMove(flags, point);
}

void CYToolTip::OnLButtonDown(UINT flags, CPoint point)
{
    const int row = RowAt(point.y);
    m_nPressed = row;
    if (row >= 0 && m_pfnLButtonDown != nullptr) {
        const int cell = CellAt(row, point.x);
        tagYHintLButtonDownParam param{m_rows[row].m_dwData, cell >= 0 ? m_rows[row].m_vecCells[cell].m_dwData : 0};
        m_pfnLButtonDown(m_pCallbackContext, &param);
    }
    CKxBaseWnd::OnLButtonDown(flags, point);
}

void CYToolTip::OnLButtonUp(UINT flags, CPoint point)
{
    const int row = RowAt(point.y);
    if (row >= 0 && row == m_nPressed) {
        InvalidateRow(m_nHighlight);
        m_nPressed = m_nHighlight = -1;
    }
    CKxBaseWnd::OnLButtonUp(flags, point);
}

bool CYToolTip::CursorOverWindow() const
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    CRect window;
    GetWindowRect(&window);
    return window.PtInRect(cursor) != FALSE;
}

void CYToolTip::OnTimer(UINT_PTR id)
{
    if (id == kShowTimer) {
        KillTimer(kShowTimer);
        if (RecalcLayout()) {
            ShowWindow(SW_SHOWNA);
            Invalidate(FALSE);
            UpdateWindow();
        }
    } else if (id == kAutoCancelTimer) {
        KillTimer(kAutoCancelTimer);
        // A tooltip under the mouse waits until the mouse leaves it.
        if (CursorOverWindow() && !m_bLeftOnce) {
            m_bLeftOnce = true;
        } else {
            Hide();
        }
    } else {
        CKxBaseWnd::OnTimer(id);
    }
}

void CYToolTip::OnMouseLeave()
{
    m_bTrackingLeave = false;
    if (m_bLeftOnce) {
        Hide();
    } else {
        m_bLeftOnce = true;
    }
}
