// The window frame: a skinned frame window whose client area is divided by split panels, with an
// owner-drawn menu shown in one of them, and a base dialog; both draw their own title bars.
#include <util/basedlg.h>
#include <util/basewnd.h>
#include <util/dialog.h>
#include <util/drawfun.h>

#include <memory>
#include <string>

#include "gallery.h"

namespace {

const COLORREF kPanelBack = RGB(0xF4, 0xF6, 0xF9);
const COLORREF kPanelBorder = RGB(0xB4, 0xBE, 0xCC);
const COLORREF kFrameBorder = RGB(0x24, 0x4A, 0x78);

// A panel view that keeps a child control in its panel's area.
class ControlView : public CFunctionObj {
public:
    void Attach(HWND control) { m_control = control; }
    LRESULT Notify(UINT code, void* data) override
    {
        if (m_control == nullptr) {
            return 0;
        }
        if (code == KXPN_MOVE) {
            // Inside the panel's right and bottom border lines.
            const RECT& area = static_cast<tagKxPanelMove*>(data)->rc;
            ::MoveWindow(m_control, area.left, area.top, area.right - area.left - 1, area.bottom - area.top - 1, TRUE);
        } else if (code == KXPN_SHOW) {
            ::ShowWindow(m_control, data ? SW_SHOW : SW_HIDE);
        }
        return 0;
    }

private:
    HWND m_control = nullptr;
};

// A skinned frame: a list on the left, at a fixed width; on the right a preview of the owner-drawn
// menu above a note, split by a draggable splitter.
class SplitFrame : public CKxBaseWnd {
public:
    SplitFrame()
    {
        m_crFrame = kFrameBorder;
        m_menuSource.CreatePopupMenu();
        m_menuSource.AppendMenu(MF_STRING, 100, L"&Open watch list\tCtrl+O");
        m_menuSource.AppendMenu(MF_STRING, 101, L"&Save layout\tCtrl+S");
        m_menuSource.AppendMenu(MF_SEPARATOR);
        m_menuSource.AppendMenu(MF_STRING | MF_CHECKED, 102, L"Show &quotes");
        m_menuSource.AppendMenu(MF_STRING | MF_GRAYED, 103, L"&Export orders");
        m_menuSource.AppendMenu(MF_STRING, 104, L"E&xit\tAlt+F4");
        m_menu.RemapMenu(&m_menuSource);
    }

    BOOL Open(CPoint topLeft)
    {
        const RECT frame{topLeft.x, topLeft.y, topLeft.x + 560, topLeft.y + 380};
        if (!Create(L"util gallery: frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, frame, nullptr, 0)) {
            return FALSE;
        }
        SetTitleText(L"Split panels in a skinned frame");
        CKxPanel* root = GetRootPanel();
        root->SetBkColor(kPanelBack);
        root->SetBorderColor(kPanelBorder);
        root->SetType(KXPT_SPLITTER | KXPT_VERT | KXPT_FIXED1, 170);
        root->GetPanel2()->SetType(KXPT_SPLITTER | KXPT_HORZ, 0.62);
        m_menuPanel = root->GetPanel2()->GetPanel1();

        m_list = ::CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 10, 10,
                                   m_hWnd, nullptr, nullptr, nullptr);
        for (const wchar_t* entry : {L"Watch list", L"Positions", L"Orders", L"Trades", L"Funds", L"Announcements"}) {
            ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
        ::SendMessageW(m_list, LB_SETCURSEL, 2, 0);
        m_note = ::CreateWindowExW(0, L"EDIT",
                                   L"The left panel keeps its width when the window is resized; the splitter "
                                   L"between the menu and this note can be dragged.",
                                   WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 10, 10, m_hWnd, nullptr,
                                   nullptr, nullptr);
        for (HWND control : {m_list, m_note}) {
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        }
        m_listView.Attach(m_list);
        m_noteView.Attach(m_note);
        root->GetPanel1()->SetType(KXPT_VIEW, 0);
        root->GetPanel1()->SetView(&m_listView);
        root->GetPanel2()->GetPanel2()->SetType(KXPT_VIEW, 0);
        root->GetPanel2()->GetPanel2()->SetView(&m_noteView);
        ShowWindow(SW_SHOW);
        return TRUE;
    }

protected:
    void OnPaint() override
    {
        CPaintDC paint(this);
        CRect client;
        GetClientRect(&client);
        CDC buffer;
        CBitmap bitmap;
        if (!buffer.CreateCompatibleDC(&paint) ||
            !bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height())) {
            return;
        }
        CBitmap* old = buffer.SelectObject(&bitmap);
        buffer.FillSolidRect(&client, kPanelBack);
        GetRootPanel()->Draw(buffer);
        PaintMenuPreview(buffer);
        paint.BitBlt(0, 0, client.Width(), client.Height(), &buffer, 0, 0, SRCCOPY);
        buffer.SelectObject(old);
    }

    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType) override
    {
        // The read-only note reads as a page, not as a grey control.
        if (wnd && wnd->m_hWnd == m_note) {
            dc->SetBkColor(RGB(0xFF, 0xFF, 0xFF));
            return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        }
        return CKxBaseWnd::OnCtlColor(dc, wnd, ctlType);
    }

private:
    // The owner-drawn menu's entries, measured and drawn as the platform would ask for them; the
    // second entry hot.
    void PaintMenuPreview(CDC& dc)
    {
        if (m_menuPanel == nullptr) {
            return;
        }
        const CRect area = m_menuPanel->GetRect();
        int width = 0;
        const int count = m_menuSource.GetMenuItemCount();
        for (int i = 0; i < count; ++i) {
            width = std::max<int>(width, static_cast<int>(Measure(i).itemWidth));
        }
        CRect menu(area.left + 16, area.top + 14, area.left + 16 + width, area.top + 14);
        for (int i = 0; i < count; ++i) {
            menu.bottom += static_cast<int>(Measure(i).itemHeight);
        }
        dc.FillSolidRect(menu.left + 3, menu.top + 3, menu.Width(), menu.Height(), RGB(0xD8, 0xDC, 0xE2));
        int top = menu.top;
        for (int i = 0; i < count; ++i) {
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_MENU;
            draw.itemID = m_menuSource.GetMenuItemID(i);
            draw.hDC = dc;
            const UINT state = m_menuSource.GetMenuState(static_cast<UINT>(i), MF_BYPOSITION);
            draw.itemState = (i == 1 ? ODS_SELECTED : 0) | ((state & MF_CHECKED) ? ODS_CHECKED : 0) |
                             ((state & MF_GRAYED) ? ODS_GRAYED : 0);
            const int height = static_cast<int>(Measure(i).itemHeight);
            draw.rcItem = {menu.left, top, menu.right, top + height};
            draw.itemData = ItemData(i);
            m_menu.DrawItem(&draw);
            top += height;
        }
        const RECT outline = menu;
        KXDRAWFUN::DrawRect(dc, &outline, PS_SOLID, 1, RGB(0x80, 0x88, 0x94), R2_COPYPEN);
    }

    ULONG_PTR ItemData(int position) const
    {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        m_menuSource.GetMenuItemInfo(static_cast<UINT>(position), &info, TRUE);
        return info.dwItemData;
    }

    MEASUREITEMSTRUCT Measure(int position)
    {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemData = ItemData(position);
        m_menu.MeasureItem(&measure);
        return measure;
    }

    CMenu m_menuSource;
    CKxPanel* m_menuPanel = nullptr;
    HWND m_list = nullptr;
    HWND m_note = nullptr;
    ControlView m_listView;
    ControlView m_noteView;
};

class FrameShowcase : public GalleryShowcase {
public:
    std::wstring Name() const override { return L"frame"; }
    HWND Show(CPoint topLeft) override { return m_frame.Open(topLeft) ? m_frame.m_hWnd : nullptr; }

private:
    SplitFrame m_frame;
};

// A sign-in dialog on the library's base dialog. Its labels take the dialog's own background.
class SignInDialog : public CKXBaseDlg {
protected:
    BOOL OnInitDialog() override
    {
        CKXBaseDlg::OnInitDialog();
        SetTitleText(L"Sign in to the trading client");
        m_icon = static_cast<HICON>(::LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, 16, 16, LR_SHARED));
        SetTitleIcon(m_icon);
        return TRUE;
    }
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType) override
    {
        if (ctlType == CTLCOLOR_STATIC) {
            dc->SetBkMode(TRANSPARENT);
            return m_brBk;
        }
        return CKXBaseDlg::OnCtlColor(dc, wnd, ctlType);
    }

private:
    HICON m_icon = nullptr;
};

class DialogShowcase : public GalleryDialogShowcase {
public:
    std::wstring Name() const override { return L"basedlg"; }
    HWND Show(CPoint topLeft) override
    {
        CDialogTemplate form(L"", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 220, 112, L"Tahoma", 9);
        form.AddItem(CDialogTemplate::Static, L"Account:", 0xFFFF, WS_CHILD | WS_VISIBLE, 14, 16, 50, 10);
        form.AddItem(CDialogTemplate::Edit, L"8800 1234 5678", 1001, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 70,
                     14, 134, 13);
        form.AddItem(CDialogTemplate::Static, L"Password:", 0xFFFF, WS_CHILD | WS_VISIBLE, 14, 38, 50, 10);
        form.AddItem(CDialogTemplate::Edit, L"secret", 1002,
                     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_PASSWORD, 70, 36, 134, 13);
        form.AddItem(CDialogTemplate::Button, L"Remember the account", 1003,
                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 70, 58, 134, 12);
        form.AddItem(CDialogTemplate::Button, L"Sign in", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                     92, 84, 54, 16);
        form.AddItem(CDialogTemplate::Button, L"Cancel", IDCANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 152, 84, 54, 16);
        return ShowDialog(new SignInDialog, form, topLeft);
    }
};

GalleryShowcaseRegistration g_frame([] { return std::make_unique<FrameShowcase>(); });
GalleryShowcaseRegistration g_dialog([] { return std::make_unique<DialogShowcase>(); });

} // namespace
