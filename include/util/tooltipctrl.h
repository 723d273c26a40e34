#pragma once

#include <windows.h>

#include <util/cstring.h>
#include <util/export.h>
#include <util/wnd.h>

// The platform's tooltip control. Tools are identified by the window they belong to and an id.
class UTIL_API CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() override;

    using CWnd::Create;
    // A pop-up tooltip window owned by parent, with the given TTS_* styles.
    virtual BOOL Create(CWnd* parent, DWORD style = 0);

    // A tool over rect of wnd (the whole client area when rect is null) with a copy of text.
    BOOL AddTool(CWnd* wnd, const wchar_t* text, const RECT* rect = nullptr, UINT_PTR toolId = 0);
    void DelTool(CWnd* wnd, UINT_PTR toolId = 0);
    int GetToolCount() const;
    void UpdateTipText(const wchar_t* text, CWnd* wnd, UINT_PTR toolId = 0);
    // The tool's text; empty when there is no such tool.
    void GetText(CString& text, CWnd* wnd, UINT_PTR toolId = 0) const;

    void Activate(BOOL activate);
    int SetMaxTipWidth(int width);
    int GetMaxTipWidth() const;
    // TTDT_AUTOPOP, TTDT_INITIAL, TTDT_RESHOW or TTDT_AUTOMATIC, in milliseconds.
    void SetDelayTime(DWORD which, int milliseconds);
    int GetDelayTime(DWORD which) const;
    // Hands a mouse message to the tooltip so that it can show or hide its tip.
    void RelayEvent(MSG* msg);
};
