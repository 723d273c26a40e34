#pragma once

// Skin files, images and dialogs shared by the skin tests.
#include <util/dialog.h>
#include <util/markup.h>
#include <util/skindlg.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/process.h"

namespace skintest {

// A 24-bit BMP file of the given size, each pixel from colorAt(x, y).
inline bool WriteBmp(const std::wstring& path, int width, int height, const std::function<COLORREF(int, int)>& colorAt)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    std::vector<BYTE> bytes(static_cast<size_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        BYTE* row = bytes.data() + static_cast<size_t>((height - 1 - y) * stride);
        for (int x = 0; x < width; ++x) {
            const COLORREF color = colorAt(x, y);
            row[x * 3] = GetBValue(color);
            row[x * 3 + 1] = GetGValue(color);
            row[x * 3 + 2] = GetRValue(color);
        }
    }
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(handle, &file, sizeof(file), &written, nullptr) &&
              ::WriteFile(handle, &info, sizeof(info), &written, nullptr) &&
              ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(handle);
    return ok;
}

inline bool WriteSolidBmp(const std::wstring& path, int width, int height, COLORREF color)
{
    return WriteBmp(path, width, height, [color](int, int) { return color; });
}

// The text as a UTF-16 file with its byte-order mark, well-formed or not.
inline bool WriteSkin(const std::wstring& path, const std::wstring& text)
{
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::wstring bytes = L"\xFEFF" + text;
    DWORD written = 0;
    const bool ok = ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)), &written,
                                nullptr);
    ::CloseHandle(handle);
    return ok;
}

// Windows of this thread, top-level and child.
inline int ThreadWindowCount()
{
    int count = 0;
    const auto countTopLevel = [](HWND window, LPARAM total) {
        ++*reinterpret_cast<int*>(total);
        ::EnumChildWindows(
            window,
            [](HWND, LPARAM inner) {
                ++*reinterpret_cast<int*>(inner);
                return TRUE;
            },
            total);
        return TRUE;
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), countTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

// A skin dialog that records the drag requests it posts itself instead of running the platform's move.
class ProbeSkinDlg : public CSkinDlg {
public:
    ProbeSkinDlg() : CSkinDlg(static_cast<CWnd*>(nullptr)) {}
    std::vector<std::pair<WPARAM, LPARAM>> dragRequests;
    size_t OwnedControlCount() const { return m_arCtrls.size(); }

    // Applies a skin document, then takes back all it made: the dialog is left as it was.
    bool ApplyAndRelease(CMarkupSTL& xml)
    {
        const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        const bool applied = ApplySkin(xml) != FALSE;
        ReleaseSkinControls();
        while (const HWND child = ::GetWindow(m_hWnd, GW_CHILD)) {
            ::DestroyWindow(child);
        }
        SetBitmap(static_cast<Gdiplus::GpBitmap*>(nullptr));
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
        return applied;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCLBUTTONDOWN) {
            dragRequests.emplace_back(wParam, lParam);
            return 0;
        }
        return CSkinDlg::WindowProc(message, wParam, lParam);
    }
};

// A modeless skin dialog made from a skin file; it deletes itself with its window.
class SkinDialogHost {
public:
    // A hidden dialog paints nothing: rounds that count leaks or survive bad skins need no pictures.
    SkinDialogHost(const std::wstring& xmlFile, const wchar_t* dialogName, bool visible = true)
    {
        CDialogTemplate form(L"template caption", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 100, 60, L"Tahoma", 9);
        auto* dialog = new ProbeSkinDlg;
        dialog->SetXmlFile(xmlFile.c_str(), dialogName);
        if (dialog->CreateIndirect(form.Get())) {
            m_dialog = dialog;
            m_window = dialog->m_hWnd;
        } else {
            delete dialog;
        }
    }
    ~SkinDialogHost()
    {
        if (::IsWindow(m_window)) {
            ::DestroyWindow(m_window);
        }
    }
    SkinDialogHost(const SkinDialogHost&) = delete;
    SkinDialogHost& operator=(const SkinDialogHost&) = delete;

    ProbeSkinDlg* get() const { return m_dialog; }
    HWND hwnd() const { return m_window; }
    HWND item(int id) const { return ::GetDlgItem(m_window, id); }
    int ChildCount() const
    {
        int count = 0;
        for (HWND child = ::GetWindow(m_window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ++count;
        }
        return count;
    }
    // A child's rectangle in dialog client coordinates.
    RECT ItemRect(int id) const
    {
        RECT rect{};
        ::GetWindowRect(item(id), &rect);
        ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

private:
    ProbeSkinDlg* m_dialog = nullptr;
    HWND m_window = nullptr;
};

} // namespace skintest
