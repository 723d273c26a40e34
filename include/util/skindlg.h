#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include <util/basedlg.h>
#include <util/cstring.h>
#include <util/export.h>
#include <util/gdi.h>
#include <util/markup.h>

namespace Gdiplus {
class GpBitmap;
}

class CKXStatic;
class CStaticLink;
class CKXButton;
class CKXRadioButton;
class CKxCheckBox;
class CSkinButton;
class CKXPassEdit;
class CVerifyCodeCtrl;

// Notification codes a skin control sends its parent (WM_NOTIFY).
enum : UINT {
    KXSKIN_NM_PAINTSELF = 1, // answer 0: the control paints itself
    KXSKIN_NM_PAINTBK = 2,   // paint my background (tagKXSKINBKNOTIFY); answer 1 = done
};

// The record of KXSKIN_NM_PAINTBK: the part of the parent's background under the control's screen
// rectangle is wanted at (0, 0) of hdc.
struct tagKXSKINBKNOTIFY {
    NMHDR hdr;
    HDC hdc;
    const RECT* pScreenRect;
};

// A dialog whose caption, background image and child controls come from an element of an XML skin
// file. It paints its background image behind the children that ask (WM_KX_PAINTBK or
// KXSKIN_NM_PAINTBK) and, when moving is enabled, is dragged by any point of its client area. The
// client starts GDI+ before such a dialog shows an image.
class UTIL_API CSkinDlg : public CBaseDlg {
public:
    explicit CSkinDlg(CWnd* parent);
    CSkinDlg(UINT templateId, CWnd* parent);
    CSkinDlg(const wchar_t* templateName, CWnd* parent);
    ~CSkinDlg() override;

    // Stores the skin file (a path that does not fit MAX_PATH is refused: false) and the name of the
    // element that describes this dialog; the skin path becomes the file's folder.
    BOOL SetXmlFile(const wchar_t* xmlFile, const wchar_t* dialogName);
    // False (nothing changed) for a path that does not fit MAX_PATH.
    BOOL SetSkinPath(const wchar_t* skinPath);
    const wchar_t* GetXmlFile() const { return m_szXmlFile; }
    const wchar_t* GetSkinPath() const { return m_szSkinPath; }

    // Takes ownership of the bitmap (the previous one is deleted); a bitmap resizes the window to
    // its size, keeping the top-left corner.
    void SetBitmap(Gdiplus::GpBitmap* bitmap);
    // Loads an image file (no bitmap when it cannot be loaded).
    void SetBitmap(const wchar_t* path);
    Gdiplus::GpBitmap* GetBitmap() const { return m_pBkBitmap; }
    void EnableMove(BOOL enable) { m_bEnableMove = enable; }
    void SetWindowZOrder(HWND insertAfter);

    // Joins the skin path and a file name into out; false (out empty) when it does not fit.
    BOOL MakeSkinFilePath(const wchar_t* fileName, wchar_t (&out)[MAX_PATH]) const;

    BOOL OnInitDialog() override;
    // Creates one control per element at the document's current level.
    virtual void DoXMLDataExchange(CMarkupSTL& xml);
    // Creates the control of the current element. With a null wnd the dialog owns the control.
    virtual BOOL CreateSkinCtrl(CMarkupSTL& xml, UINT id, const wchar_t* className, CWnd* wnd);

protected:
    CKXStatic* CreateKXStatic(CMarkupSTL& xml, UINT id, CKXStatic* wnd);
    CStaticLink* CreateStaticLink(CMarkupSTL& xml, UINT id, CStaticLink* wnd);
    CKXButton* CreateKXButton(CMarkupSTL& xml, UINT id, CKXButton* wnd);
    CKXRadioButton* CreateKXRadioButton(CMarkupSTL& xml, UINT id, CKXRadioButton* wnd);
    CKxCheckBox* CreateKXCheckBox(CMarkupSTL& xml, UINT id, CKxCheckBox* wnd);
    CSkinButton* CreateKXSkinButton(CMarkupSTL& xml, UINT id, CSkinButton* wnd);
    CKXPassEdit* CreatePassEdit(CMarkupSTL& xml, UINT id, CKXPassEdit* wnd);
    CVerifyCodeCtrl* CreateVerifyCode(CMarkupSTL& xml, UINT id, CVerifyCodeCtrl* wnd);
    // A window of any registered class; with a null wnd a plain child that the dialog does not track.
    BOOL CreatePlatformCtrl(CMarkupSTL& xml, UINT id, const wchar_t* className, CWnd* wnd);

    // Applies the first top-level element named like the dialog: style, caption, background image,
    // move flag and one control per child element. False (nothing changed) for a document that is not
    // well-formed, without such an element, or whose element is not a dialog's.
    BOOL ApplySkin(CMarkupSTL& xml);
    // Deletes the controls the dialog made for itself and the fonts it made for its controls.
    void ReleaseSkinControls();

    // The font an element asks for, built on the dialog's font; kept by the dialog until it is destroyed.
    HFONT KeepElementFont(const CMarkupSTL& xml);
    // Paints the background image's part under a screen rectangle at (0, 0) of dc; false without image.
    bool PaintBackground(HDC dc, const RECT& screenRect);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnDestroy() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    wchar_t m_szXmlFile[MAX_PATH] = {};
    wchar_t m_szSkinPath[MAX_PATH] = {};
    CString m_strDlgName;
    std::vector<std::unique_ptr<CWnd>> m_arCtrls;
    Gdiplus::GpBitmap* m_pBkBitmap = nullptr;
    BOOL m_bEnableMove = FALSE;
    std::vector<std::unique_ptr<CFont>> m_fonts;

private:
    // Records a control the dialog made for itself; null when its creation failed.
    template <class Control, class Creator>
    Control* Adopt(Control* given, Creator create);
};
