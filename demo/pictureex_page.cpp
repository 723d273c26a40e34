// The quote connection's activity indicator: an animated GIF playing, and its first frames as the
// picture shows them, each on a page of its own.
#include <util/pictureex.h>

#include "gallery.h"
#include "media/gif_writer.h"

namespace {

const COLORREF kIndicatorPalette[4] = {RGB(0xE0, 0x30, 0x30), RGB(0x20, 0xA0, 0x40), RGB(0x30, 0x60, 0xC0),
                                       RGB(0xD8, 0xDC, 0xE4)};
const int kScale = 4;
const int kFastDelay = 5;      // hundredths of a second
const int kHoldDelay = 0xFFFF; // the last frame of a still stays for the whole session

// A grey bar, then a lamp lighting in each of four places in turn; each lamp is cleared to the
// background before the next, the last one is red (the feed is late).
std::vector<uint8_t> IndicatorGif(int frames, int lastDelay)
{
    GifWriter writer(48, 12, 3, kIndicatorPalette);
    const GifFrameContent all[] = {{0, 0, 48, 12, 3, kFastDelay, 1},
                                   {2, 2, 8, 8, 1, kFastDelay, 2},
                                   {14, 2, 8, 8, 1, kFastDelay, 2},
                                   {26, 2, 8, 8, 1, kFastDelay, 2},
                                   {38, 2, 8, 8, 0, kFastDelay, 2}};
    for (int i = 0; i < frames; ++i) {
        GifFrameContent frame = all[i];
        frame.delay = i == frames - 1 ? lastDelay : frame.delay;
        writer.Frame(frame);
    }
    return writer.Finish();
}

class PictureExPage : public GalleryPage {
public:
    // With a frame number, the page stops on that frame; without, it plays the whole loop.
    explicit PictureExPage(int frame = 0)
        : GalleryPage(frame == 0 ? L"pictureex" : L"pictureex_frame" + std::to_wstring(frame), CSize(260, 110)),
          m_frame(frame)
    {
    }

protected:
    int OnCreate(CREATESTRUCTW* cs) override
    {
        const int result = GalleryPage::OnCreate(cs);
        m_host.Create(L"STATIC", L"", WS_CHILD | WS_VISIBLE, CRect(16, 40, 16 + 48 * kScale, 40 + 12 * kScale), this,
                      1);
        m_picture.SetPaintHwnd(m_host);
        const std::vector<uint8_t> bytes =
            m_frame == 0 ? IndicatorGif(5, kFastDelay * 4) : IndicatorGif(m_frame, kHoldDelay);
        const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (block != nullptr) {
            std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(::GlobalLock(block)));
            ::GlobalUnlock(block);
            m_picture.Load(block, static_cast<DWORD>(bytes.size()));
            ::GlobalFree(block);
        }
        const RECT scaled = {0, 0, 48 * kScale, 12 * kScale};
        m_picture.SetPaintRect(&scaled);
        m_picture.Draw();
        return result;
    }

    void Paint(CDC& dc, const CRect& client) override
    {
        CRect area = client;
        area.DeflateRect(16, 10);
        DrawHeading(dc, area,
                    m_frame == 0 ? L"行情连接中（播放）"
                                 : (L"行情连接中：第 " + std::to_wstring(m_frame) + L" 帧").c_str());
    }

private:
    int m_frame;
    CWnd m_host;
    CPictureEx m_picture;
};

GalleryRegistration playing([] { return std::make_unique<PictureExPage>(); });
GalleryRegistration frame1([] { return std::make_unique<PictureExPage>(1); });
GalleryRegistration frame2([] { return std::make_unique<PictureExPage>(2); });
GalleryRegistration frame3([] { return std::make_unique<PictureExPage>(3); });
GalleryRegistration frame4([] { return std::make_unique<PictureExPage>(4); });

} // namespace
