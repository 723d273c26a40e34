#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include <util/export.h>
#include <util/geometry.h>
#include <util/image.h>
#include <util/lock.h>

// A picture shown in a window: anything the imaging library decodes, and GIF images whose frames
// play on a thread of their own with each frame's delay and disposal method. The client must have
// started GDI+. The window's procedure is replaced so that the picture paints itself (WM_PAINT and
// WM_PRINTCLIENT) and unloads when the window is destroyed. Load, Draw, Stop and UnLoad belong to the
// thread that owns the window.
class UTIL_API CPictureEx {
public:
    CPictureEx();
    explicit CPictureEx(HWND window);
    virtual ~CPictureEx();
    CPictureEx(const CPictureEx&) = delete;
    CPictureEx& operator=(const CPictureEx&) = delete;

    // Null detaches the picture from its window.
    void SetPaintHwnd(HWND window);

    // Each load unloads the previous image first; non-zero on success.
    BOOL Load(HGLOBAL block, DWORD size);
    BOOL Load(HMODULE module, const wchar_t* resourceName, const wchar_t* resourceType);
    BOOL Load(const wchar_t* path);
    void UnLoad();

    // Plays an animated GIF (doing nothing while it plays already); draws any other picture once.
    void Draw();
    void Stop();

    CSize GetSize() const;
    // 0 unless the image is an animated GIF.
    int GetFrameCount() const;
    BOOL IsGIF() const;
    BOOL IsAnimatedGIF() const;
    BOOL IsPlaying() const;
    COLORREF GetBkColor() const;
    void SetBkColor(COLORREF color);
    // Where the picture appears in the window; stretched when its size differs from the picture's.
    void SetPaintRect(const RECT* rect);
    void GetPaintRect(RECT* rect) const;

private:
    struct Frame;
    class Surface;

    BOOL LoadData(const BYTE* data, size_t size);
    bool LoadGif();
    bool PrepareSurfaces();
    void FillBackground(const RECT& area);
    void RenderFrame(const Frame& frame);
    void Present();
    void Paint(HDC dc);
    void Animate();
    void DetachWindow();

    static DWORD WINAPI AnimationThread(void* picture);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR picture);

    HWND m_window = nullptr;
    CKxImage m_picture;
    std::vector<Frame> m_frames;
    CSize m_size;
    COLORREF m_background = 0xFFFFFF;
    size_t m_globalTableBytes = 0;
    bool m_isGif = false;
    size_t m_currentFrame = 0;

    HANDLE m_thread = nullptr;
    HANDLE m_stopEvent = nullptr;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_playing{false};

    // The composed picture and the area saved under a frame that restores it; the animation thread
    // draws into them while the window's thread paints from the first.
    mutable KXCriticalSection m_surfaceLock;
    std::unique_ptr<Surface> m_composed;
    std::unique_ptr<Surface> m_saved;
    RECT m_paintRect = {0, 0, 0, 0};

    std::vector<BYTE> m_data;
};
