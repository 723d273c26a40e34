#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <util/export.h>
#include <util/wnd.h>

// Flags of CDialog::RunModalLoop.
enum : DWORD {
    MLF_NOIDLEMSG = 0x0001,  // no WM_ENTERIDLE to the owner while the queue is empty
    MLF_SHOWONIDLE = 0x0004, // show the dialog when the queue first runs empty
};

// A dialog box of the framework, modeless (Create, CreateIndirect) or modal (DoModal), made from a
// dialog resource (looked up in the resource module, then the program, then the library) or from an
// in-memory template. The dialog's messages reach the typed handlers like any framework window's; what
// they pass on goes to the platform's dialog procedure. OnInitDialog runs for WM_INITDIALOG. The
// pre-translate walk gives the dialog's keyboard and mouse messages to IsDialogMessage.
class UTIL_API CDialog : public CWnd {
public:
    CDialog();
    CDialog(const wchar_t* templateName, CWnd* parent = nullptr);
    CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    using CWnd::Create;
    // Modeless, from a resource. The parent is taken from the constructor when none is given.
    virtual BOOL Create(const wchar_t* templateName, CWnd* parent = nullptr);
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Modeless, from an in-memory template (which needs to live only during the call).
    virtual BOOL CreateIndirect(const DLGTEMPLATE* dlgTemplate, CWnd* parent = nullptr);

    // Modal from an in-memory template: the template must live until DoModal returns.
    BOOL InitModalIndirect(const DLGTEMPLATE* dlgTemplate, CWnd* parent = nullptr);
    // Disables the owner, creates the dialog, runs the modal loop until EndDialog, then hides and
    // destroys the window and gives the owner back its enabling and activation. The end code, or -1
    // when there is no template or the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modal: ends the modal loop with the result. Modeless: the platform's end of dialog (hides it).
    void EndDialog(int result);

    // Runs the modal loop of this (created) dialog until EndModalLoop; the end code, or -1 when the
    // loop ended on WM_QUIT (which is posted again for the next loop).
    int RunModalLoop(DWORD flags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);
    // True while the modal loop of this dialog runs.
    BOOL IsModalLoopRunning() const { return m_bModalLoop; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* msg) override;

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT id);
    DWORD GetDefID() const;

    const wchar_t* m_lpszTemplateName = nullptr; // a resource name or MAKEINTRESOURCE identifier
    const DLGTEMPLATE* m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;
    int m_nModalResult = -1;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // The template of the dialog and the module its controls belong to; false when there is none.
    BOOL FindTemplate(const DLGTEMPLATE** dlgTemplate, HINSTANCE* instance) const;
    // Creates the dialog window, watched so that its first message already reaches this object.
    BOOL CreateDlgIndirect(const DLGTEMPLATE* dlgTemplate, HWND parent, HINSTANCE instance);
    // The window that owns a modal run: the parent's top-level window, else the main window.
    HWND GetModalOwner() const;

    // Set once the window got WM_INITDIALOG: its creation succeeded.
    BOOL m_bInitDialogSeen = FALSE;

private:
    static INT_PTR CALLBACK DialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    // Keeps a copy of a name that is a string, so that the caller's may go.
    void SetTemplateName(const wchar_t* templateName);

    std::wstring m_templateNameCopy;

    BOOL m_bContinueModal = FALSE;
    BOOL m_bModalLoop = FALSE;
};

// Builds an in-memory dialog template (coordinates in dialog units). With a font name the template
// carries DS_SETFONT and that font.
class UTIL_API CDialogTemplate {
public:
    // Predefined control classes.
    enum : WORD { Button = 0x80, Edit = 0x81, Static = 0x82, ListBox = 0x83, ScrollBar = 0x84, ComboBox = 0x85 };

    CDialogTemplate(const wchar_t* caption, DWORD style, int x, int y, int cx, int cy,
                    const wchar_t* fontName = nullptr, WORD pointSize = 9, DWORD exStyle = 0);

    void AddItem(WORD predefinedClass, const wchar_t* text, WORD id, DWORD style, int x, int y, int cx, int cy,
                 DWORD exStyle = 0);
    void AddItem(const wchar_t* className, const wchar_t* text, WORD id, DWORD style, int x, int y, int cx, int cy,
                 DWORD exStyle = 0);

    // Valid until the next AddItem or the builder's end.
    const DLGTEMPLATE* Get() const;

private:
    void AlignToDword();
    void AppendText(const wchar_t* text);
    void BeginItem(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD id);
    void EndItem(const wchar_t* text);

    std::vector<WORD> m_words;
};
