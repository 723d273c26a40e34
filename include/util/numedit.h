#pragma once

#include <windows.h>

#include <util/edit.h>
#include <util/export.h>

// An edit that lets only numbers be typed. Type 0 filters nothing; type 1 takes backspace, '-' and
// digits; type 2 takes backspace, one '-', one '.' and digits while the text with the typed
// character appended stays within the range (a text that is not yet a number, such as "-" or ".",
// is not checked). The check reads the whole candidate, so a minimum above 0 refuses the first
// digit that is below it ("5" with minimum 10). Other characters beep (type 1) or bring a warning
// box (type 2).
class UTIL_API CKxNumEdit : public CEdit {
public:
    CKxNumEdit() = default;

    void SetType(int type);
    void SetMinMax(double minimum, double maximum);

protected:
    void OnChar(UINT ch, UINT repeatCount, UINT flags) override;

private:
    bool AcceptsDecimal(wchar_t ch) const;

    int m_nType = 0;
    double m_dMin = -1e300;
    double m_dMax = 1e300;
};

// A rich edit that tells its parent about every vertical scroll: after its own handling of
// WM_VSCROLL it posts message 0xA39 with the same parameters to the parent.
class UTIL_API CKxRichEdit : public CRichEditCtrl {
public:
    CKxRichEdit() = default;

protected:
    void OnVScroll(UINT code, UINT position, CWnd* scrollBar) override;
};
