// The demo program: the gallery of the library's windows.
//   demo.exe               shows every page until the last one is closed
//   demo.exe --shots DIR   saves each page as DIR\<name>.png and exits
#include <windows.h>

#include <gdiplus.h>
#include <shellapi.h>

#include <string>

#include "gallery.h"

int main()
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const wchar_t* shots = nullptr;
    for (int i = 1; argv && i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == L"--shots") {
            shots = argv[i + 1];
        }
    }
    // The library never starts GDI+ itself: its client does.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const int result = RunGallery(shots);
    Gdiplus::GdiplusShutdown(token);
    ::LocalFree(argv);
    return result;
}
