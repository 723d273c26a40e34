#pragma once

#include <vector>

// GBK (code page 936) text of the 8-bit INI forms. Short texts stay on the stack: the 8-bit forms are
// called for every setting read.
namespace ansi_text {

const unsigned kCodePage = 936;

// Wide text made from GBK text: up to 512 characters in a fixed buffer, longer ones on the heap.
// A null text gives a null c_str().
class WideText {
public:
    explicit WideText(const char* text);
    // count bytes, zeros included (for zero-separated lists); the result is terminated after them.
    WideText(const char* list, int count);
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    const wchar_t* c_str() const { return m_text; }

private:
    wchar_t m_fixed[513];
    std::vector<wchar_t> m_heap;
    const wchar_t* m_text = nullptr;
};

// Copies length characters of text (-1: up to its zero) into buffer as GBK, cut at a character
// boundary to fit capacity - 1 bytes, and terminates it. Returns the bytes copied; capacity 0 or less
// copies nothing.
int CopyAsAnsi(const wchar_t* text, int length, char* buffer, int capacity);

// Byte length of a list of zero-terminated strings ending with an empty one, the final zero included.
int ListLength(const char* list);

} // namespace ansi_text
