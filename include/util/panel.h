#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/geometry.h>

class CWnd;

// Codes of the view interface of panel leaves.
enum : UINT {
    KXPN_MOVE = 2,      // notify: data is a tagKxPanelMove
    KXPN_GETLIMITS = 3, // query: data is a tagKxPanelLimits the view may change
    KXPN_SHOW = 6,      // notify: data is the flag itself, 1 show, 0 hide
};

struct tagKxPanelMove {
    UINT cbSize; // sizeof(tagKxPanelMove)
    RECT rc;     // the leaf's area in the owner window's client coordinates
};

struct tagKxPanelLimits {
    UINT cbSize; // sizeof(tagKxPanelLimits)
    HDC hDC;     // device context of the owner window
    SIZE szMax;  // largest size, pre-filled 0x3FFFFFFF x 0x3FFFFFFF
    SIZE szMin;  // smallest size, pre-filled 5 x 5
};

// The view a panel leaf positions; the host implements it. Panels never delete views.
class UTIL_API CFunctionObj {
public:
    virtual ~CFunctionObj() = default;
    // KXPN_MOVE and KXPN_SHOW.
    virtual LRESULT Notify(UINT code, void* data);
    // KXPN_GETLIMITS.
    virtual LRESULT Query(UINT code, void* data);
};

// Type bits of a panel.
enum : UINT {
    KXPT_EMPTY = 0x0,
    KXPT_VIEW = 0x1,     // a leaf holding a view
    KXPT_SPLIT = 0x2,    // two children, no draggable splitter
    KXPT_SPLITTER = 0x3, // two children and a draggable splitter
    KXPT_KINDMASK = 0x3,
    KXPT_VERT = 0x4, // children left and right of a vertical splitter
    KXPT_HORZ = 0x8, // children above and below a horizontal splitter
    KXPT_DIRMASK = 0xC,
    KXPT_FRACTION = 0x00, // the position is a fraction of the panel
    KXPT_FIXED2 = 0x10,   // the position is the second child's size in pixels
    KXPT_FIXED1 = 0x20,   // the position is the first child's size in pixels
    KXPT_UNITMASK = 0x30,
};

// A node of a window's panel tree: empty, a leaf placing one view, or a split into two children with
// the split held as a fraction or as a fixed size of either child. Rectangles are in the owner
// window's client coordinates. A thread's cursor hook (SetCursorHook; the library installs it for the
// thread that loads it) lets split panels show their splitter cursors even over child windows.
class UTIL_API CKxPanel {
public:
    CKxPanel(CWnd* owner, CKxPanel* parent);
    virtual ~CKxPanel();
    CKxPanel(const CKxPanel&) = delete;
    CKxPanel& operator=(const CKxPanel&) = delete;

    // Empty or leaf types release what the panel held. A split type (exactly one direction bit, unit
    // bits 0x00, 0x10 or 0x20) makes two new children; false for other types, leaving the panel as it was.
    BOOL SetType(UINT type, double pos);
    UINT GetType() const { return m_nType; }
    CKxPanel* GetPanel1() const;
    CKxPanel* GetPanel2() const;
    // Leaves only; the view is told its area at once.
    BOOL SetView(CFunctionObj* view);
    CFunctionObj* GetView() const;
    void MovePanel(const RECT* rect);
    // Smallest and largest size; false for an empty panel (which gets the defaults).
    BOOL GetLimitSize(SIZE* smallest, SIZE* largest) const;
    CRect GetRect() const { return m_rect; }
    CKxPanel* GetParentPanel() const { return m_pParent; }
    double GetPos() const { return m_dPos; }
    // -1 keeps the position and only shows a hidden child again.
    void SetPos(double pos);
    // 0 none, 1 the first child, 2 the second.
    // (IsSubPanelVisable, IsVisable and IsLecked are spelled as clients call them: keep the spellings.)
    void HideSubPanel(int which);
    BOOL IsSubPanelVisable(int which) const;
    BOOL IsVisable() const;
    // 1 deletes the first child, anything else the second; the other takes the whole panel.
    void DelSubPanel(int which);
    void Draw(HDC dc);
    void SetBorderColor(COLORREF color);
    void SetBkColor(COLORREF color);
    void EnableDrawBk(BOOL draw);
    CKxPanel* GetPanelFromPoint(POINT point);

    // Fixing the size of this panel's branch in a direction (KXPT_VERT for widths, KXPT_HORZ for
    // heights) at the nearest ancestor that decides it.
    BOOL LockPanelSize(UINT direction);
    BOOL UnLockPanelSize(UINT direction);
    BOOL IsLecked(UINT direction) const;
    BOOL CanLockPanelSize(UINT direction) const;

    // Splitter dragging; non-zero when the panel tree took the message.
    BOOL PreTranslateMessage(MSG* msg);
    // Non-zero when a panel set the cursor.
    BOOL OnSetCursor(WPARAM wParam, LPARAM lParam);

    // The calling thread's cursor hook; installing twice keeps one hook.
    static BOOL SetCursorHook();
    static BOOL UnCursorHook();
    static LRESULT CALLBACK KxCallWndRetProc(int code, WPARAM wParam, LPARAM lParam);

protected:
    UINT Kind() const { return m_nType & KXPT_KINDMASK; }
    bool IsSplit() const { return Kind() >= KXPT_SPLIT; }
    bool IsVertical() const { return (m_nType & KXPT_DIRMASK) == KXPT_VERT; }
    CKxPanel* Child(int which) const { return which == 1 ? m_pPanel1 : m_pPanel2; }

    void Release();
    void NotifyView(UINT code, void* data) const;
    void NotifyViewMoved() const;
    // The split line (x for a vertical splitter, y for a horizontal one), the splitter and drag limit.
    void InitSplitInfo();
    void AdjustLayout();
    void ShowPanel(BOOL show);
    // Takes a split line set by the user: stores the position it means in the panel's unit.
    void ApplySplitLine(int line);
    int SplitLine() const;
    int Extent() const;
    void DrawDragLine(POINT point) const;
    BOOL SetCursorInTree() const;
    // The ancestor that decides this panel's size in a direction and the branch (1, 2) leading here.
    CKxPanel* FindSizeDecider(UINT direction, int* branch) const;
    bool OwnerExists() const;

    UINT m_nType = KXPT_EMPTY;
    CKxPanel* m_pPanel1 = nullptr;
    CKxPanel* m_pPanel2 = nullptr;
    CFunctionObj* m_pView = nullptr;
    CWnd* m_pWnd;
    CKxPanel* m_pParent;
    CRect m_rect;
    CRect m_rcSplitter;
    CRect m_rcDragLimit;
    COLORREF m_crDragLine = RGB(255, 255, 255);
    BOOL m_bDragging = FALSE;
    int m_nHidden = 0;
    double m_dPos = 0.0;
    CPoint m_ptDrag;
    HCURSOR m_hCursor = nullptr;
    COLORREF m_crBorder = RGB(168, 0, 0);
    COLORREF m_crBk = RGB(255, 255, 255);
    BOOL m_bDrawBk = TRUE;
};
