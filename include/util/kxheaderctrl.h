#pragma once

#include <windows.h>

#include <vector>

#include <util/export.h>
#include <util/listctrl.h>

// Bits of a header column's state word.
enum : UINT {
    KXHDR_SORTMASK = 0x0F,   // 0 not sortable, 1 sortable, 2 ascending (up arrow), 3 descending (down arrow)
    KXHDR_FILTERMASK = 0xF0, // 0x10 no filter, 0x20 filtered (filter background)
    KXHDR_SORT_NONE = 0,
    KXHDR_SORTABLE = 1,
    KXHDR_SORT_UP = 2,
    KXHDR_SORT_DOWN = 3,
    KXHDR_NOFILTER = 0x10,
    KXHDR_FILTERED = 0x20,
    KXHDR_NOSTATE = 15, // GetSortState of a column without a state word
};

// A report list's column header that draws its items itself: a background of its own colour (another
// one for filtered columns), a small arrow for the sorted column, and the title in its text colour.
// The owner keeps one state word per column in step with the header items (InsertStateItem,
// DeleteStateItem).
class UTIL_API CKXHeaderCtrl : public CHeaderCtrl {
public:
    CKXHeaderCtrl();
    ~CKXHeaderCtrl() override;

    // 1, or 0 for a column outside the header's items or without a state word; repaints the header.
    BOOL SetSortState(int column, UINT sort);
    BOOL SetFilterState(int column, UINT filter);
    // Bits 0-3 of the column's state, KXHDR_NOSTATE for a column without a state word.
    UINT GetSortState(int column) const;
    // Always 0: the filter mark is only drawn.
    UINT GetFilterState(int column) const;
    // A zero state word at index (0 to the number of words); other indexes are refused.
    void InsertStateItem(int index);
    void DeleteStateItem(int index);

    // Colours other than 0xFFFFFFFF replace the current ones; nothing is repainted.
    virtual void SetColor(COLORREF text, COLORREF background, COLORREF filterBackground);

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    bool HasStateWord(int column) const;
    bool IsHeaderItem(int column) const;
    // The 16 x 8 strip of both arrows, made once on the background of the first item that needs it.
    void MakeArrowStrip(HDC dc, HBRUSH background);

    std::vector<UINT> m_arrStates;
    COLORREF m_crHdrBk;
    COLORREF m_crHdrFilterBk;
    COLORREF m_crHdrText;
    HDC m_hArrowDC = nullptr;
    HBITMAP m_hArrowBmp = nullptr;
    HGDIOBJ m_hOldBmp = nullptr;
};
