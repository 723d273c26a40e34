#pragma once

#include <windows.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <util/cstring.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/geometry.h>
#include <util/treectrl.h>

// The state bit that GetItemState and SetItemState of the tree control use for the focus item.
#ifndef TVIS_FOCUSED
#define TVIS_FOCUSED 0x0001
#endif

// The extension of a tree view: per-item text colour, background colour, font and bold state drawn by
// its own painting pass; a multiple selection independent of the focus item (Ctrl and Shift clicks,
// Shift-arrow ranges, rubber band over empty space) with TVN_SELCHANGING / TVN_SELCHANGED for every
// item whose selection changes; and finding items by text. It works through the tree view it is bound
// to. The window class built on it hands its mouse, keyboard, focus, timer and size messages and its
// painting to the handlers below.
class UTIL_API CXTTreeBase {
public:
    CXTTreeBase();
    virtual ~CXTTreeBase();
    CXTTreeBase(const CXTTreeBase&) = delete;
    CXTTreeBase& operator=(const CXTTreeBase&) = delete;

    // ---- walking the whole tree in display order, expanded or not ----
    virtual HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    // The first child, else the next sibling, else the next sibling of the nearest ancestor with one.
    virtual HTREEITEM GetNextItem(HTREEITEM item) const;
    // The last descendant of the previous sibling, else the parent.
    virtual HTREEITEM GetPrevItem(HTREEITEM item) const;
    // The deepest last descendant of the item (of the whole tree for none); a leaf is its own.
    virtual HTREEITEM GetLastItem(HTREEITEM item) const;

    // The first item whose label contains text, from the item after start (or after the focus item,
    // or from the root), wrapping around once. Whole words are not next to a letter or '_'.
    virtual HTREEITEM FindItem(const CString& text, BOOL caseSensitive = FALSE, BOOL downward = TRUE,
                               BOOL wholeWord = FALSE, HTREEITEM start = nullptr);
    // The first matching descendant of the branch, depth first.
    virtual HTREEITEM FindItemInBranch(const CString& text, BOOL caseSensitive, BOOL wholeWord, HTREEITEM branch);

    // ---- attributes; each setter keeps the item's other attributes and repaints the tree ----
    virtual BOOL SetItemFont(HTREEITEM item, LOGFONTW& font);
    // Whether the item has a font of its own.
    virtual BOOL GetItemFont(HTREEITEM item, LOGFONTW* font) const;
    virtual BOOL SetItemBold(HTREEITEM item, BOOL bold);
    virtual BOOL GetItemBold(HTREEITEM item) const;
    virtual BOOL SetItemColor(HTREEITEM item, COLORREF color);
    virtual BOOL SetItemBackColor(HTREEITEM item, COLORREF color);
    // CLR_INVALID when the item has no colour of its own.
    virtual COLORREF GetItemColor(HTREEITEM item) const;
    // The background for an item state (TVIS_*), whether the tree has the focus, the tree's style and
    // the colour of an unselected item.
    virtual COLORREF GetItemBackColor(UINT state, BOOL focused, DWORD style, COLORREF defaultColor) const;
    virtual COLORREF GetItemBackColor(HTREEITEM item) const;

    // ---- selection ----
    // Returns the previous setting; switching off keeps only the focus item selected.
    virtual BOOL EnableMultiSelect(BOOL multi);
    BOOL IsMultiSelect() const { return m_bMulti; }
    // TVIS_FOCUSED in state and mask is the focus item.
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    // Selects and focuses the item.
    BOOL SelectItem(HTREEITEM item);
    // Moves the focus without changing the selection; none takes it from the focus item.
    BOOL FocusItem(HTREEITEM item);
    HTREEITEM GetFocusedItem() const;
    BOOL IsSelected(HTREEITEM item) const;
    HTREEITEM GetFirstSelectedItem() const;
    HTREEITEM GetNextSelectedItem(HTREEITEM item) const;
    virtual HTREEITEM GetPrevSelectedItem(HTREEITEM item) const;
    UINT GetSelectedCount() const;
    void GetSelectedList(std::vector<HTREEITEM>& items) const;
    // Every item from start (the root for none) to the end.
    void SelectAll(BOOL select = TRUE, HTREEITEM start = nullptr);
    virtual void SelectAllIgnore(BOOL select, HTREEITEM ignore);
    // The range between first and last in visible order.
    void SelectItems(HTREEITEM first, HTREEITEM last, BOOL clearOthers = TRUE);
    // Whether one of the changed children had the focus.
    BOOL SelectChildren(HTREEITEM parent, BOOL select = TRUE, BOOL recursive = TRUE);
    // 1: the rubber band selects items whose label it touches; 0: whose row. Returns the previous value.
    BOOL SetBandingHit(BOOL labels);

    // Binds the extension to the tree view's current state.
    virtual void Init();
    // Sends WM_NOTIFY to the tree's owner, or its parent, and returns the answer.
    virtual LRESULT SendNotify(NMHDR* header);
    virtual BOOL IsFindValid(HTREEITEM item);

    // ---- the window class's handlers ----
    void OnLButtonDown(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnKeyDown(UINT key, UINT repeatCount, UINT flags);
    void OnMouseMove(UINT flags, CPoint point);
    void OnNcMouseMove(UINT hitTest, CPoint screenPoint);
    void OnTimer(UINT_PTR id);
    void OnSize(UINT type, int cx, int cy);
    // The tree's own notifications, reflected; each returns TRUE to keep it from the parent.
    BOOL OnBeginLabelEdit(NMHDR* header, LRESULT* result);
    BOOL OnEndLabelEdit(NMHDR* header, LRESULT* result);
    BOOL OnItemExpanding(NMHDR* header, LRESULT* result);
    BOOL OnDeleteItem(NMHDR* header, LRESULT* result);
    // Paints the tree off-screen, then (drawItems) every visible item with its own attributes.
    virtual void DoPaint(CDC& dc, BOOL drawItems);

    virtual BOOL PreTranslateMessage(MSG* msg);
    // The tree's own notifications (offered back to it) and those of its children.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    struct ItemAttributes {
        LOGFONTW font;       // an empty face name: not set
        COLORREF text;       // CLR_INVALID: not set
        COLORREF background; // CLR_INVALID: not set
    };

    virtual BOOL OnButtonDown(BOOL left, UINT flags, CPoint point);
    virtual void DoPreSelection(HTREEITEM item, BOOL left, UINT flags);
    virtual void DoAction(HTREEITEM item, BOOL left, UINT flags, CPoint point);
    virtual void DoBanding(UINT flags, CPoint point);
    // Selects the items inside the band; with Ctrl the remembered ones there are deselected, with
    // Shift they leave the remembered list; outside it only remembered items stay selected.
    virtual void UpdateSelectionForRect(const CRect& band, UINT flags, std::unordered_set<HTREEITEM>& remembered);
    virtual COLORREF GetTreeBackColor() const;
    virtual COLORREF GetTreeTextColor() const;
    virtual COLORREF GetItemTextColor(UINT state, BOOL focused, DWORD style, COLORREF defaultColor) const;

    ItemAttributes& AttributesOf(HTREEITEM item);
    const ItemAttributes* FindAttributes(HTREEITEM item) const;
    bool TreeIsEnabled() const;
    DWORD TreeStyle() const;
    // Moves the tree view's caret; the selection of every item stays as it was.
    void MoveCaret(HTREEITEM item);
    // Sets or clears the selection of one item, asking the owner first; false when it vetoed.
    bool ChangeSelection(HTREEITEM item, bool select);
    // data: the item's data when the caller has it already.
    LRESULT NotifyItem(UINT code, HTREEITEM item, UINT state, bool asNewItem, CPoint point = CPoint(),
                       const LPARAM* data = nullptr);
    bool MatchesText(HTREEITEM item, const CString& text, BOOL caseSensitive, BOOL wholeWord) const;
    // The modal mouse loop of a press: true when it ended in a drag, false in a release.
    bool TrackPress(CPoint point, bool* released);
    void SetHotItem(HTREEITEM item);

    CTreeCtrl* m_pTree = nullptr;
    BOOL m_bMulti = FALSE;
    BOOL m_bBandingHit = TRUE;
    HTREEITEM m_hAnchor = nullptr;
    HTREEITEM m_hEditItem = nullptr;
    HTREEITEM m_hHotItem = nullptr;
    BOOL m_bActionDone = FALSE;
    BOOL m_bLabelClickArmed = TRUE;
    // Set while the extension moves the caret itself: the tree view's own selection notifications
    // of that move stay inside.
    BOOL m_bMovingCaret = FALSE;
    std::unordered_map<HTREEITEM, ItemAttributes> m_attributes;
    // The items whose selection the running rubber band has set: the only ones besides those under
    // the band that it may have to change back.
    std::unordered_set<HTREEITEM> m_bandTouched;
};

// A tree view with the extension bound to it. The window class built on it routes the handlers.
class UTIL_API CKxTreeCtrl : public CTreeCtrl, public CXTTreeBase {
public:
    CKxTreeCtrl();
    ~CKxTreeCtrl() override;

    using CXTTreeBase::GetNextItem;
    UINT GetItemState(HTREEITEM item, UINT mask) const { return CXTTreeBase::GetItemState(item, mask); }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask) { return CXTTreeBase::SetItemState(item, state, mask); }
    BOOL SelectItem(HTREEITEM item) { return CXTTreeBase::SelectItem(item); }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Set between PreCreateWindow and the window's subclassing: Init is for windows taken over.
    bool m_bCreating = false;
};
