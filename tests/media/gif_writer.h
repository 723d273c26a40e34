#pragma once

// GIF files written by the tests and the gallery: four-colour images whose frames are solid rectangles.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

struct GifFrameContent {
    int left;
    int top;
    int width;
    int height;
    int colour;     // index into the palette
    int delay = -1; // hundredths of a second; -1 writes no graphic control extension
    int disposal = 0;
    int transparent = -1; // palette index shown as transparent, or -1
};

const COLORREF kGifPalette[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

class GifWriter {
public:
    GifWriter(int width, int height, int backgroundIndex, const COLORREF (&palette)[4] = kGifPalette)
    {
        Append("GIF89a");
        Word(width);
        Word(height);
        m_bytes.push_back(0x91); // a global table of four entries
        m_bytes.push_back(static_cast<uint8_t>(backgroundIndex));
        m_bytes.push_back(0);
        for (COLORREF colour : palette) {
            m_bytes.push_back(GetRValue(colour));
            m_bytes.push_back(GetGValue(colour));
            m_bytes.push_back(GetBValue(colour));
        }
    }

    GifWriter& Frame(const GifFrameContent& frame)
    {
        if (frame.delay >= 0) {
            const uint8_t packed = static_cast<uint8_t>(frame.disposal << 2 | (frame.transparent >= 0 ? 1 : 0));
            const uint8_t index = static_cast<uint8_t>(std::max(frame.transparent, 0));
            const uint8_t control[] = {0x21, 0xF9, 4, packed, 0, 0, index, 0};
            m_bytes.insert(m_bytes.end(), control, control + sizeof(control));
            m_bytes[m_bytes.size() - 4] = static_cast<uint8_t>(frame.delay & 0xFF);
            m_bytes[m_bytes.size() - 3] = static_cast<uint8_t>(frame.delay >> 8);
        }
        m_bytes.push_back(0x2C);
        Word(frame.left);
        Word(frame.top);
        Word(frame.width);
        Word(frame.height);
        m_bytes.push_back(0);
        m_bytes.push_back(2); // code size: 3-bit codes, clear 4, end 5
        SubBlocks(SolidImageCodes(frame.width * frame.height, frame.colour));
        return *this;
    }

    GifWriter& Comment(const char* text)
    {
        m_bytes.push_back(0x21);
        m_bytes.push_back(0xFE);
        std::vector<uint8_t> data(text, text + strlen(text));
        SubBlocks(data);
        return *this;
    }

    std::vector<uint8_t> Finish()
    {
        m_bytes.push_back(0x3B);
        return m_bytes;
    }
    // Without the trailer.
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    void Append(const char* text) { m_bytes.insert(m_bytes.end(), text, text + strlen(text)); }
    void Word(int value)
    {
        m_bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    }

    void SubBlocks(const std::vector<uint8_t>& data)
    {
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t length = std::min<size_t>(255, data.size() - at);
            m_bytes.push_back(static_cast<uint8_t>(length));
            m_bytes.insert(m_bytes.end(), data.begin() + at, data.begin() + at + length);
        }
        m_bytes.push_back(0);
    }

    // A clear code before every two pixels keeps the code width at three bits.
    static std::vector<uint8_t> SolidImageCodes(int pixels, int colour)
    {
        std::vector<uint8_t> packed;
        uint32_t buffer = 0;
        int bits = 0;
        auto emit = [&](uint32_t code) {
            buffer |= code << bits;
            bits += 3;
            while (bits >= 8) {
                packed.push_back(static_cast<uint8_t>(buffer & 0xFF));
                buffer >>= 8;
                bits -= 8;
            }
        };
        for (int pixel = 0; pixel < pixels; ++pixel) {
            if (pixel % 2 == 0) {
                emit(4);
            }
            emit(static_cast<uint32_t>(colour));
        }
        emit(5);
        if (bits > 0) {
            packed.push_back(static_cast<uint8_t>(buffer & 0xFF));
        }
        return packed;
    }

    std::vector<uint8_t> m_bytes;
};
