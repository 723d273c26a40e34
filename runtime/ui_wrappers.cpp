#include <util/strutil.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kLoadStep = 256;

// Grows the buffer until the loaded text leaves more than two characters unused, so it was not cut.
std::wstring LoadWholeString(HINSTANCE module, UINT id)
{
    std::vector<wchar_t> buffer;
    int loaded = 0;
    do {
        buffer.resize(buffer.size() + kLoadStep);
        loaded = LoadStringW(module, id, buffer.data(), static_cast<int>(buffer.size()));
    } while (static_cast<int>(buffer.size()) - loaded <= 2);
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(loaded, 0)));
}

class GdiBitmap {
public:
    explicit GdiBitmap(HBITMAP bitmap) : m_bitmap(bitmap) {}
    ~GdiBitmap()
    {
        if (m_bitmap) {
            DeleteObject(m_bitmap);
        }
    }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;

    SIZE Size() const
    {
        BITMAP info{};
        if (m_bitmap == nullptr || GetObjectW(m_bitmap, sizeof(info), &info) == 0) {
            return SIZE{0, 0};
        }
        return SIZE{info.bmWidth, info.bmHeight};
    }

private:
    HBITMAP m_bitmap;
};

} // namespace

int KxLoadString(std::wstring& out, HINSTANCE module, UINT id)
{
    out = LoadWholeString(module, id);
    return static_cast<int>(out.size());
}

int KxLoadString(CString& out, HINSTANCE module, UINT id)
{
    out = LoadWholeString(module, id);
    return out.GetLength();
}

int KxLoadString(wchar_t* buffer, int capacity, HINSTANCE module, UINT id)
{
    return LoadStringW(module, id, buffer, capacity);
}

int KxMessageBox(HWND window, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return MessageBoxW(window, text, caption, type);
}

BOOL KxGetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info)
{
    return GetMenuItemInfoW(menu, item, byPosition, info);
}

int KxFindMenuItem(HMENU menu, WORD id)
{
    if (menu == nullptr) {
        return -1;
    }
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_TYPE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && info.wID == id) {
            return position;
        }
    }
    return -1;
}

SIZE GetIconSize(HICON icon)
{
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return SIZE{0, 0};
    }
    const GdiBitmap color(info.hbmColor);
    const GdiBitmap mask(info.hbmMask);
    if (info.hbmColor != nullptr) {
        return color.Size();
    }
    // A monochrome icon has no colour bitmap: its mask holds the AND and XOR images one above the other.
    SIZE size = mask.Size();
    size.cy /= 2;
    return size;
}
