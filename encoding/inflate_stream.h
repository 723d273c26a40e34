#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace encoding {

// Deflate never expands more than about 1032 to 1, so no valid stream produces more than this from
// compressedSize bytes; inflating stops with an error beyond it instead of exhausting memory.
uint64_t MaxInflatedSize(uint64_t compressedSize);

struct InflateOutcome {
    bool complete = false; // the stream ended properly
    size_t consumed = 0;   // input bytes the stream used
};

// Inflates one stream (windowBits as for zlib's inflateInit2) from data, appending to out, which grows
// as needed from initialRoom; never beyond MaxInflatedSize(size) bytes. On failure out is left with
// what it held before.
InflateOutcome InflateAppend(const unsigned char* data, size_t size, int windowBits, std::vector<char>& out,
                             uint64_t initialRoom);

} // namespace encoding
