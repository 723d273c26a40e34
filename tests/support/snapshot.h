#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Pictures for people to look at (never for assertions). GDI+ must be started.
// Saves the area of a device context as a PNG file; false when it could not be written.
bool SaveDCToPng(HDC dc, const RECT& area, const std::wstring& path);
// Saves a whole window, frame included, as the screen shows it.
bool SaveWindowToPng(HWND window, const std::wstring& path);

} // namespace testsupport
