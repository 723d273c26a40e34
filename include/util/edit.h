#pragma once

#include <windows.h>

#include <util/export.h>
#include <util/wnd.h>

// The platform's edit control ("EDIT"). Messages the edit does not take in its typed handlers reach
// DefWindowProc before the edit's own procedure, so a derived class can refuse or reroute them there.
// The edit's EN_CHANGE is reflected back to it from a framework parent (OnChangeReflect).
class UTIL_API CEdit : public CWnd {
public:
    CEdit() = default;

    using CWnd::Create;
    // A child edit (WS_CHILD is added) with the given ES_* and WS_* styles.
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // The selection as character positions (start <= end).
    void GetSel(int& start, int& end) const;
    // end = -1 selects to the end; start = -1 removes the selection.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void ReplaceSel(const wchar_t* text, BOOL canUndo = FALSE);
    // The most characters a user may type (EM_LIMITTEXT); 0 gives the platform's maximum.
    void SetLimitText(UINT maxChars);
    UINT GetLimitText() const;
    // WM_CLEAR and WM_PASTE: the edit's own deletion of the selection and pasting.
    void Clear();
    void Paste();

protected:
    // The edit's EN_CHANGE, offered back by its parent. True when handled here; the parent's
    // handlers then do not see it. The framework's own handles nothing.
    virtual BOOL OnChangeReflect();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// The platform's rich edit control ("RichEdit20W"); its library is loaded with the first Create.
class UTIL_API CRichEditCtrl : public CWnd {
public:
    CRichEditCtrl() = default;

    using CWnd::Create;
    // A child rich edit (WS_CHILD is added) with the given ES_* and WS_* styles; false when the
    // platform's rich edit library is missing.
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
};
