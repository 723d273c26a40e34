// The demo program: the step message codec on the console, then the gallery of the library's windows.
//   demo.exe               shows every gallery page until the last one is closed
//   demo.exe --shots DIR   saves each page as DIR\<name>.png and exits
#include <windows.h>

#include <gdiplus.h>
#include <shellapi.h>

#include <string>

#include "gallery.h"
#include "step_demo.h"

namespace {

// The folder after "--shots", or null.
const wchar_t* ShotsFolder(int argc, wchar_t** argv)
{
    for (int i = 1; argv && i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == L"--shots") {
            return argv[i + 1];
        }
    }
    return nullptr;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const int stepResult = RunStepDemo();

    // The library never starts GDI+ itself: its client does.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const int galleryResult = RunGallery(ShotsFolder(argc, argv));
    Gdiplus::GdiplusShutdown(token);
    ::LocalFree(argv);
    return stepResult != 0 ? stepResult : galleryResult;
}
