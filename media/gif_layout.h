#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// Where the parts of a GIF lie in its bytes. Every length and index read from the data is checked
// against what remains, so a truncated or corrupted file yields fewer frames or none, never a read
// past its end.
struct GifFrameLayout {
    size_t begin = 0; // its graphic control extension, or its image descriptor when it has none
    size_t descriptor = 0;
    size_t end = 0; // one past the image data's terminating sub-block
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = -1; // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;
};

struct GifLayout {
    int width = 0;
    int height = 0;
    size_t globalTableBytes = 0;
    bool hasBackground = false;
    COLORREF background = 0;
    std::vector<GifFrameLayout> frames;
};

bool HasGifSignature(const BYTE* data, size_t size);

// False when the data is not a GIF or its header or global colour table is cut short. Frames are
// those complete before the trailer, the end of the data or the first byte that starts no block.
bool ReadGifLayout(const BYTE* data, size_t size, GifLayout& layout);

// A GIF holding only the frame: the header (its logical size made the frame's), the global colour
// table, the frame's blocks with the image placed at (0, 0), and the trailer.
std::vector<BYTE> ExtractGifFrame(const BYTE* data, const GifLayout& layout, const GifFrameLayout& frame);
