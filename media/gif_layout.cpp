#include "media/gif_layout.h"

#include <cstring>

namespace {

const size_t kHeaderBytes = 13;
const size_t kDescriptorBytes = 10; // introducer, position, size, packed byte
const BYTE kExtensionIntroducer = 0x21;
const BYTE kGraphicControlLabel = 0xF9;
const BYTE kImageSeparator = 0x2C;
const BYTE kTrailer = 0x3B;

int ReadWord(const BYTE* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

void WriteWord(BYTE* bytes, int value)
{
    bytes[0] = static_cast<BYTE>(value & 0xFF);
    bytes[1] = static_cast<BYTE>((value >> 8) & 0xFF);
}

size_t ColourTableBytes(BYTE packed)
{
    return (packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0;
}

// Walks the blocks with a cursor that never passes the end of the data.
class BlockReader {
public:
    BlockReader(const BYTE* data, size_t size, size_t position) : m_data(data), m_size(size), m_position(position) {}

    size_t Position() const { return m_position; }
    bool Has(size_t count) const { return count <= m_size - m_position; }
    const BYTE* At() const { return m_data + m_position; }

    bool Skip(size_t count)
    {
        if (!Has(count)) {
            return false;
        }
        m_position += count;
        return true;
    }

    // Sub-blocks up to and including the zero-length one.
    bool SkipSubBlocks()
    {
        while (Has(1)) {
            const size_t length = m_data[m_position];
            if (!Skip(1 + length)) {
                return false;
            }
            if (length == 0) {
                return true;
            }
        }
        return false;
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_position;
};

// An extension at the cursor; a graphic control extension also gives the frame its timing.
bool ReadExtension(BlockReader& reader, GifFrameLayout& pending, bool& hasControl)
{
    if (!reader.Has(2)) {
        return false;
    }
    const BYTE* block = reader.At();
    if (block[1] == kGraphicControlLabel && !hasControl && reader.Has(7) && block[2] >= 4) {
        pending.begin = reader.Position();
        pending.disposal = (block[3] >> 2) & 7;
        pending.delay = ReadWord(block + 4);
        hasControl = true;
    }
    return reader.Skip(2) && reader.SkipSubBlocks();
}

bool ReadImage(BlockReader& reader, GifFrameLayout& frame, bool hasControl)
{
    if (!reader.Has(kDescriptorBytes + 1)) {
        return false;
    }
    const BYTE* descriptor = reader.At();
    frame.descriptor = reader.Position();
    if (!hasControl) {
        frame.begin = frame.descriptor;
    }
    frame.left = ReadWord(descriptor + 1);
    frame.top = ReadWord(descriptor + 3);
    frame.width = ReadWord(descriptor + 5);
    frame.height = ReadWord(descriptor + 7);
    // The local colour table, then the code size byte, then the image data.
    if (!reader.Skip(kDescriptorBytes) || !reader.Skip(ColourTableBytes(descriptor[9])) || !reader.Skip(1) ||
        !reader.SkipSubBlocks()) {
        return false;
    }
    frame.end = reader.Position();
    return true;
}

} // namespace

bool HasGifSignature(const BYTE* data, size_t size)
{
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

bool ReadGifLayout(const BYTE* data, size_t size, GifLayout& layout)
{
    layout = GifLayout();
    if (!HasGifSignature(data, size) || size < kHeaderBytes) {
        return false;
    }
    layout.width = ReadWord(data + 6);
    layout.height = ReadWord(data + 8);
    layout.globalTableBytes = ColourTableBytes(data[10]);
    if (layout.globalTableBytes > size - kHeaderBytes) {
        return false;
    }
    // A background index past the table leaves the default background.
    const size_t backgroundOffset = 3 * static_cast<size_t>(data[11]);
    if (backgroundOffset + 3 <= layout.globalTableBytes) {
        const BYTE* entry = data + kHeaderBytes + backgroundOffset;
        layout.hasBackground = true;
        layout.background = RGB(entry[0], entry[1], entry[2]);
    }

    BlockReader reader(data, size, kHeaderBytes + layout.globalTableBytes);
    GifFrameLayout pending;
    bool hasControl = false;
    while (reader.Has(1)) {
        const BYTE introducer = *reader.At();
        bool complete = false;
        if (introducer == kExtensionIntroducer) {
            complete = ReadExtension(reader, pending, hasControl);
        } else if (introducer == kImageSeparator) {
            complete = ReadImage(reader, pending, hasControl);
            if (complete) {
                layout.frames.push_back(pending);
                pending = GifFrameLayout();
                hasControl = false;
            }
        }
        if (!complete) {
            break; // the trailer, a byte that starts no block, or a block cut short
        }
    }
    return true;
}

std::vector<BYTE> ExtractGifFrame(const BYTE* data, const GifLayout& layout, const GifFrameLayout& frame)
{
    const size_t prefix = kHeaderBytes + layout.globalTableBytes;
    std::vector<BYTE> single;
    single.reserve(prefix + (frame.end - frame.begin) + 1);
    single.insert(single.end(), data, data + prefix);
    WriteWord(single.data() + 6, frame.width);
    WriteWord(single.data() + 8, frame.height);
    single.insert(single.end(), data + frame.begin, data + frame.end);
    BYTE* descriptor = single.data() + prefix + (frame.descriptor - frame.begin);
    WriteWord(descriptor + 1, 0);
    WriteWord(descriptor + 3, 0);
    single.push_back(kTrailer);
    return single;
}
