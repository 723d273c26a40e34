#pragma once

#include <util/dialog.h>
#include <util/gdi.h>
#include <util/wnd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One window of the gallery, showing one family of the library. A page paints its client area
// off-screen through Paint; pages with controls create them in OnCreate.
class GalleryPage : public CWnd {
public:
    GalleryPage(std::wstring name, CSize clientSize);
    ~GalleryPage() override;

    // The picture's file name without extension, and the window title.
    const std::wstring& Name() const { return m_name; }
    BOOL CreatePage(CPoint topLeft);

protected:
    virtual void Paint(CDC& dc, const CRect& client) = 0;

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnDestroy() override;

    // A caption in the page's heading style, returning the rectangle below it.
    static CRect DrawHeading(CDC& dc, const CRect& area, const wchar_t* text);

private:
    std::wstring m_name;
    CSize m_clientSize;
};

// Pages add themselves to the gallery from their own source files:
//   static GalleryRegistration registration([] { return std::make_unique<MyPage>(); });
using GalleryPageFactory = std::function<std::unique_ptr<GalleryPage>()>;

class GalleryRegistration {
public:
    explicit GalleryRegistration(GalleryPageFactory factory);
};

// A window of the gallery that is not a page: one of the library's own top-level windows (a skinned
// frame, a dialog) shown as it draws itself. It is placed and saved like a page and goes with the
// gallery. Showcases register themselves like pages:
//   static GalleryShowcaseRegistration registration([] { return std::make_unique<MyShowcase>(); });
class GalleryShowcase {
public:
    virtual ~GalleryShowcase() = default;
    // The picture's file name without extension.
    virtual std::wstring Name() const = 0;
    // Creates and shows the window with its top-left corner at the point; the window, or null.
    virtual HWND Show(CPoint topLeft) = 0;
};

// A showcase of a modeless dialog, which deletes itself with its window; the window goes with the
// showcase.
class GalleryDialogShowcase : public GalleryShowcase {
public:
    ~GalleryDialogShowcase() override;

protected:
    // Creates the dialog from the template, places it at the point and shows it; the window, or null
    // (the dialog is then deleted).
    HWND ShowDialog(CDialog* dialog, const CDialogTemplate& form, CPoint topLeft);

private:
    HWND m_window = nullptr;
};

using GalleryShowcaseFactory = std::function<std::unique_ptr<GalleryShowcase>()>;

class GalleryShowcaseRegistration {
public:
    explicit GalleryShowcaseRegistration(GalleryShowcaseFactory factory);
};

// Shows every page. With a folder, saves each window as <folder>\<name>.png, prints the paths and
// returns (0 when every picture was written); without one, runs until the last page is closed.
int RunGallery(const wchar_t* shotsFolder);
