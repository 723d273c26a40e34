#include <util/pictureex.h>

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

#include "framework/scoped_handle.h"
#include "media/gif_layout.h"

namespace {

const UINT_PTR kSubclassId = 0x50455821; // one picture per window
const DWORD kStopTimeoutMilliseconds = 100000;
const DWORD kShortDelayMilliseconds = 100;
// Larger images are refused rather than given an off-screen bitmap the size of the address space.
const int kLargestSide = 16384;

bool IsSensibleSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

DWORD FrameDelayMilliseconds(int delay)
{
    return delay > 4 ? static_cast<DWORD>(delay) * 10 : kShortDelayMilliseconds;
}

struct PictureRelease {
    void operator()(IPicture* picture) const { picture->Release(); }
};
using PicturePtr = std::unique_ptr<IPicture, PictureRelease>;

// The platform's picture loader, which reads a GIF frame several times faster than the imaging
// library (it fetches none of the metadata); null when it cannot read the bytes.
PicturePtr LoadOlePicture(const std::vector<BYTE>& bytes)
{
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* copy = block != nullptr ? GlobalLock(block) : nullptr;
    if (copy == nullptr) {
        if (block != nullptr) {
            GlobalFree(block);
        }
        return nullptr;
    }
    std::memcpy(copy, bytes.data(), bytes.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    const HRESULT result = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
    stream->Release();
    return PicturePtr(SUCCEEDED(result) ? picture : nullptr);
}

} // namespace

struct CPictureEx::Frame {
    PicturePtr picture;
    SIZE himetric; // the picture's own size, which Render takes upside down
    RECT area;
    int delay;
    int disposal;
};

// A memory device context with a bitmap of its own selected into it.
class CPictureEx::Surface {
public:
    explicit Surface(const SIZE& size)
    {
        const HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
        ReleaseDC(nullptr, screen);
        if (m_dc != nullptr && m_bitmap != nullptr) {
            m_original = SelectObject(m_dc, m_bitmap);
        }
    }
    ~Surface()
    {
        if (m_original != nullptr) {
            SelectObject(m_dc, m_original);
        }
        if (m_bitmap != nullptr) {
            DeleteObject(m_bitmap);
        }
        if (m_dc != nullptr) {
            DeleteDC(m_dc);
        }
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool IsValid() const { return m_original != nullptr; }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_original = nullptr;
};

CPictureEx::CPictureEx() = default;

CPictureEx::CPictureEx(HWND window)
{
    SetPaintHwnd(window);
}

CPictureEx::~CPictureEx()
{
    UnLoad();
    DetachWindow();
    if (m_stopEvent != nullptr) {
        CloseHandle(m_stopEvent);
    }
}

void CPictureEx::SetPaintHwnd(HWND window)
{
    DetachWindow();
    if (window != nullptr && SetWindowSubclass(window, WindowProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        m_window = window;
    }
}

void CPictureEx::DetachWindow()
{
    if (m_window != nullptr) {
        RemoveWindowSubclass(m_window, WindowProc, kSubclassId);
        m_window = nullptr;
    }
}

BOOL CPictureEx::Load(HGLOBAL block, DWORD size)
{
    UnLoad();
    // A size past the block's end would read memory that is not the picture's.
    if (block == nullptr || size == 0 || size > GlobalSize(block)) {
        return FALSE;
    }
    const BYTE* data = static_cast<const BYTE*>(GlobalLock(block));
    if (data == nullptr) {
        return FALSE;
    }
    const BOOL loaded = LoadData(data, size);
    GlobalUnlock(block);
    return loaded;
}

BOOL CPictureEx::Load(HMODULE module, const wchar_t* resourceName, const wchar_t* resourceType)
{
    UnLoad();
    const HRSRC resource = FindResourceW(module, resourceName, resourceType);
    const HGLOBAL handle = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* data = handle != nullptr ? LockResource(handle) : nullptr;
    if (data == nullptr) {
        return FALSE;
    }
    return LoadData(static_cast<const BYTE*>(data), SizeofResource(module, resource));
}

BOOL CPictureEx::Load(const wchar_t* path)
{
    UnLoad();
    ScopedFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > MAXDWORD) {
        return FALSE;
    }
    std::vector<BYTE> data(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr) || read != data.size()) {
        return FALSE;
    }
    return LoadData(data.data(), data.size());
}

BOOL CPictureEx::LoadData(const BYTE* data, size_t size)
{
    m_data.assign(data, data + size);
    m_isGif = HasGifSignature(m_data.data(), m_data.size());
    bool loaded = false;
    if (m_isGif) {
        loaded = LoadGif();
    } else if (m_picture.LoadFromMemory(m_data.data(), m_data.size())) {
        m_size = m_picture.GetSize();
        loaded = true;
    }
    if (!loaded || !PrepareSurfaces()) {
        UnLoad();
        return FALSE;
    }
    m_paintRect = {0, 0, m_size.cx, m_size.cy};
    return TRUE;
}

bool CPictureEx::LoadGif()
{
    GifLayout layout;
    if (!ReadGifLayout(m_data.data(), m_data.size(), layout) || layout.frames.empty()) {
        return false;
    }
    m_size = CSize(layout.width, layout.height);
    m_globalTableBytes = layout.globalTableBytes;
    if (layout.hasBackground) {
        m_background = layout.background;
    }
    if (layout.frames.size() == 1) {
        return m_picture.LoadFromMemory(m_data.data(), m_data.size()) != FALSE;
    }
    for (const GifFrameLayout& part : layout.frames) {
        if (!IsSensibleSize(part.width, part.height)) {
            continue;
        }
        Frame frame;
        frame.picture = LoadOlePicture(ExtractGifFrame(m_data.data(), layout, part));
        if (frame.picture == nullptr || FAILED(frame.picture->get_Width(&frame.himetric.cx)) ||
            FAILED(frame.picture->get_Height(&frame.himetric.cy))) {
            continue;
        }
        frame.area = {part.left, part.top, part.left + part.width, part.top + part.height};
        frame.delay = part.delay;
        frame.disposal = part.disposal;
        m_frames.push_back(std::move(frame));
    }
    return !m_frames.empty();
}

bool CPictureEx::PrepareSurfaces()
{
    if (!IsSensibleSize(m_size.cx, m_size.cy)) {
        return false;
    }
    m_composed.reset(new Surface(m_size));
    m_saved.reset(new Surface(m_size));
    if (!m_composed->IsValid() || !m_saved->IsValid()) {
        return false;
    }
    FillBackground({0, 0, m_size.cx, m_size.cy});
    return true;
}

void CPictureEx::UnLoad()
{
    Stop();
    m_picture.Destroy();
    m_frames.clear();
    {
        KXLocalSection hold(&m_surfaceLock);
        m_composed.reset();
        m_saved.reset();
    }
    m_size = CSize();
    m_background = 0xFFFFFF;
    m_globalTableBytes = 0;
    m_isGif = false;
    m_currentFrame = 0;
    m_paintRect = {0, 0, 0, 0};
    m_data.clear();
    m_data.shrink_to_fit();
}

void CPictureEx::Draw()
{
    if (IsAnimatedGIF()) {
        if (m_playing) {
            return;
        }
        if (m_stopEvent == nullptr) {
            m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        }
        m_stopRequested = false;
        m_playing = true;
        m_thread = m_stopEvent != nullptr ? CreateThread(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, nullptr)
                                          : nullptr;
        if (m_thread == nullptr) {
            m_playing = false;
            return;
        }
        ResumeThread(m_thread);
        return;
    }
    if (!m_picture.IsValid()) {
        return;
    }
    {
        KXLocalSection hold(&m_surfaceLock);
        if (m_composed == nullptr) {
            return;
        }
        FillBackground({0, 0, m_size.cx, m_size.cy});
        m_picture.Draw(m_composed->Dc(), RECT{0, 0, m_size.cx, m_size.cy});
    }
    Present();
}

void CPictureEx::Stop()
{
    if (m_thread == nullptr) {
        return;
    }
    m_stopRequested = true;
    SetEvent(m_stopEvent);
    if (WaitForSingleObject(m_thread, kStopTimeoutMilliseconds) != WAIT_OBJECT_0) {
        // The thread uses this object's frames and surfaces: they must not go while it runs.
        TerminateThread(m_thread, 1);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_playing = false;
    ResetEvent(m_stopEvent);
}

DWORD WINAPI CPictureEx::AnimationThread(void* picture)
{
    static_cast<CPictureEx*>(picture)->Animate();
    return 0;
}

void CPictureEx::Animate()
{
    if (m_currentFrame >= m_frames.size()) {
        m_currentFrame = 0;
    }
    if (m_frames[m_currentFrame].disposal == 2) {
        KXLocalSection hold(&m_surfaceLock);
        FillBackground(m_frames[m_currentFrame].area);
    }
    while (!m_stopRequested) {
        const Frame& frame = m_frames[m_currentFrame];
        {
            KXLocalSection hold(&m_surfaceLock);
            if (frame.disposal == 3) {
                BitBlt(m_saved->Dc(), frame.area.left, frame.area.top, frame.area.right - frame.area.left,
                       frame.area.bottom - frame.area.top, m_composed->Dc(), frame.area.left, frame.area.top, SRCCOPY);
            }
            RenderFrame(frame);
        }
        Present();
        if (WaitForSingleObject(m_stopEvent, FrameDelayMilliseconds(frame.delay)) != WAIT_TIMEOUT) {
            break;
        }
        KXLocalSection hold(&m_surfaceLock);
        if (frame.disposal == 2) {
            FillBackground(frame.area);
        } else if (frame.disposal == 3) {
            BitBlt(m_composed->Dc(), frame.area.left, frame.area.top, frame.area.right - frame.area.left,
                   frame.area.bottom - frame.area.top, m_saved->Dc(), frame.area.left, frame.area.top, SRCCOPY);
        }
        if (++m_currentFrame == m_frames.size()) {
            m_currentFrame = 0;
            FillBackground({0, 0, m_size.cx, m_size.cy});
        }
    }
    m_playing = false;
}

void CPictureEx::FillBackground(const RECT& area)
{
    const HBRUSH brush = CreateSolidBrush(m_background);
    FillRect(m_composed->Dc(), &area, brush);
    DeleteObject(brush);
}

void CPictureEx::RenderFrame(const Frame& frame)
{
    const RECT& to = frame.area;
    frame.picture->Render(m_composed->Dc(), to.left, to.top, to.right - to.left, to.bottom - to.top, 0,
                          frame.himetric.cy, frame.himetric.cx, -frame.himetric.cy, nullptr);
}

void CPictureEx::Present()
{
    if (m_window != nullptr) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

void CPictureEx::Paint(HDC dc)
{
    KXLocalSection hold(&m_surfaceLock);
    if (m_composed == nullptr) {
        return;
    }
    const RECT& to = m_paintRect;
    StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, m_composed->Dc(), 0, 0, m_size.cx,
               m_size.cy, SRCCOPY);
}

LRESULT CALLBACK CPictureEx::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR picture)
{
    CPictureEx* self = reinterpret_cast<CPictureEx*>(picture);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        self->Paint(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        self->Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_NCDESTROY:
        self->UnLoad();
        self->DetachWindow();
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

CSize CPictureEx::GetSize() const
{
    return m_size;
}

int CPictureEx::GetFrameCount() const
{
    return IsAnimatedGIF() ? static_cast<int>(m_frames.size()) : 0;
}

BOOL CPictureEx::IsGIF() const
{
    return m_isGif;
}

BOOL CPictureEx::IsAnimatedGIF() const
{
    return m_isGif && m_frames.size() > 1;
}

BOOL CPictureEx::IsPlaying() const
{
    return m_playing;
}

COLORREF CPictureEx::GetBkColor() const
{
    return m_background;
}

void CPictureEx::SetBkColor(COLORREF color)
{
    KXLocalSection hold(&m_surfaceLock);
    m_background = color;
}

void CPictureEx::SetPaintRect(const RECT* rect)
{
    KXLocalSection hold(&m_surfaceLock);
    if (rect != nullptr) {
        m_paintRect = *rect;
    }
}

void CPictureEx::GetPaintRect(RECT* rect) const
{
    KXLocalSection hold(&m_surfaceLock);
    if (rect != nullptr) {
        *rect = m_paintRect;
    }
}
