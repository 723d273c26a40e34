#pragma once

#include <windows.h>

#include <util/basewnd.h>
#include <util/captionbuttons.h>
#include <util/cstring.h>
#include <util/dialog.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/kxmsg.h>

// A dialog that knows the library's other dialogs: while it runs modally every other live library
// dialog is disabled (except those running modally themselves, unless they own this one) and
// afterwards gets its earlier enabling back. A modeless one, made with new, deletes itself after its
// window is destroyed.
class UTIL_API CBaseDlg : public CDialog {
public:
    CBaseDlg();
    CBaseDlg(const wchar_t* templateName, CWnd* parent);
    CBaseDlg(UINT templateId, CWnd* parent);
    ~CBaseDlg() override;

    INT_PTR DoModal() override;
    BOOL IsDoModal() const { return m_bDoModal; }
    // The framework's modal run.
    virtual INT_PTR _DoModal();

    // Modal: the framework's end of dialog. Modeless: the window is destroyed.
    void OnOK() override;
    void OnCancel() override;

    // Live library dialogs (for inspection).
    static int GetLiveDialogCount();

protected:
    void PostNcDestroy() override;

    BOOL m_bDoModal = FALSE;
};

constexpr COLORREF KXDLG_CLR_BACKGROUND = RGB(223, 223, 223);
constexpr COLORREF KXDLG_CLR_OUTLINE = RGB(88, 88, 88);

// A library dialog with its own title bar, border and caption buttons (double-buffered), a plain
// light-grey client background held in a client-sized bitmap, and background service for its child
// controls: WM_KX_PAINTBK copies the part of that bitmap under a child's screen rectangle into the
// child's device context. Its caption buttons are images drawn with GDI+: the client starts GDI+
// first. Control colours: edit, list-box and static children get the framework's colouring (their
// own, when they colour themselves); button, scroll-bar and message-box children are asked first and
// otherwise get the dialog's background brush.
class UTIL_API CKXBaseDlg : public CBaseDlg {
public:
    enum : UINT { KXDS_NOCAPTIONMOUSE = 0x2 };

    CKXBaseDlg();
    CKXBaseDlg(UINT templateId, CWnd* parent);
    ~CKXBaseDlg() override;

    using CBaseDlg::DoModal;
    // Modal with the given module as the resource module for the run.
    INT_PTR DoModal(HINSTANCE resourceInstance);

    // Stores the title (ignored when null) and its colour, used for the active title; repaints.
    void SetTitleText(const wchar_t* text, COLORREF color = RGB(255, 255, 255));
    // Keeps a copy of the icon (ignored when null), drawn at the title's left; repaints.
    void SetTitleIcon(HICON icon);
    // Non-zero: a double click on the caption does nothing.
    void SetDblClk(BOOL off) { m_bDblClkOff = off; }
    // Accepted and ignored.
    void SetDlgStyle(UINT) {}
    // The fallback caption glyphs (0 close, 1 maximise, 2 minimise, 3 restore), 15 x 15 at the point.
    static void DrawButton(int glyph, CDC* dc, POINT topLeft);

    // Data pushed by the host; 1 in the base.
    virtual int OnNetDataArrive(void* data);
    // Called with the memory device context of the title-bar paint; nothing in the base.
    virtual void OnNcPaintEx(CDC* dc);
    // For a host that pre-translates through WM_KX_PRETRANSLATE: 1 when PreTranslateMessage took it.
    virtual LRESULT KxPreTranslateMsg(MSG* msg);
    virtual void ReLayoutNc();

    BOOL OnInitDialog() override;
    // Nothing for a child dialog.
    void OnOK() override;
    void OnCancel() override;
    // Of the keys only Tab, Enter and Escape take the dialog's navigation; other keys reach the
    // focused control.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;
    void OnNcDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnNcPaint() override;
    BOOL OnNcActivate(BOOL active) override;
    void OnNcMouseMove(UINT hitTest, CPoint screenPoint) override;
    void OnNcLButtonDown(UINT hitTest, CPoint screenPoint) override;
    void OnNcLButtonUp(UINT hitTest, CPoint screenPoint) override;
    void OnNcLButtonDblClk(UINT hitTest, CPoint screenPoint) override;
    void OnNcMouseLeave() override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;

    void InitTitleStyle();
    bool HasTitleBar() const;
    bool CaptionMouseEnabled() const { return (m_nDlgStyle & KXDS_NOCAPTIONMOUSE) == 0; }
    void RepaintNc();
    void FinishPress(POINT windowPoint);
    // Remakes the client bitmap at the client size (kept when the size is unchanged) filled with the
    // background colour; false when there is no client area.
    bool MakeClientBitmap();
    // Copies the client bitmap's part under a client rectangle to (x, y) of dc.
    void CopyBackground(HDC dc, int x, int y, const RECT& client);
    void DrawTitle(HDC dc);
    LRESULT OnPaintBackground(HDC dc, const RECT* screenRect);

    HICON m_hTitleIcon = nullptr;
    CBrush m_brBk;
    UINT m_nDlgStyle = 1;
    COLORREF m_crTitleText = RGB(255, 255, 255);
    COLORREF m_crBk = KXDLG_CLR_BACKGROUND;
    COLORREF m_crFrame = RGB(0, 0, 0);
    CString m_strTitle;
    int m_nTitleHeight = 0;
    CRect m_rcTitleText;
    CKxCaptionButtons m_buttons;
    BOOL m_bNcActive = FALSE;
    BOOL m_bDblClkOff = FALSE;
    CBitmap m_bmpClient;
    CSize m_sizeClient;
    CSize m_sizeRegion; // the window size the square window region was made for
};

// A plain child view of class "KX_VIEW" with a reusable client-sized memory device context. Derived
// views finish their setup in OnViewCreated, which runs after the creation message has returned.
class UTIL_API CBaseView : public CKxBaseWnd {
public:
    CBaseView();
    ~CBaseView() override;

    void ReLayoutNc() override {}
    using CKxBaseWnd::Create;
    BOOL Create(const wchar_t* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                CCreateContext* context = nullptr) override;
    virtual void OnViewCreated() = 0;
    // Registers "KX_VIEW" once; throws CResourceException on failure.
    virtual BOOL RegisterWindowClass();

    // Opens a memory paint: the memory device context (client-sized, kept between paints), or null
    // when one is open already or there is no window. The caller copies the result to the window.
    HDC BeginMemPaint(const RECT* unused = nullptr);
    HDC GetMemPaintDC() const { return m_hMemDC; }
    BOOL EndMemPaint();
    BOOL DeleteMemDC();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnNcDestroy() override;
    LRESULT OnCreateSucess();
    // The memory context and bitmap only; a held window device context stays.
    BOOL FreeMemBitmap();

    HDC m_hWindowDC = nullptr;
    HDC m_hMemDC = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    HBITMAP m_hMemBitmap = nullptr;
    int m_nMemWidth = 0;
    int m_nMemHeight = 0;
};
