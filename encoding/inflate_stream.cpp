#include "encoding/inflate_stream.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

namespace encoding {
namespace {

// Ends the zlib stream on every path out.
class InflateState {
public:
    explicit InflateState(int windowBits) { m_ready = inflateInit2(&m_stream, windowBits) == Z_OK; }
    ~InflateState()
    {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    InflateState(const InflateState&) = delete;
    InflateState& operator=(const InflateState&) = delete;

    bool ready() const { return m_ready; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

} // namespace

uint64_t MaxInflatedSize(uint64_t compressedSize)
{
    return compressedSize * 1032 + 1024;
}

InflateOutcome InflateAppend(const unsigned char* data, size_t size, int windowBits, std::vector<char>& out,
                             uint64_t initialRoom)
{
    InflateState state(windowBits);
    if (!state.ready() || size > UINT_MAX) {
        return {};
    }
    const size_t start = out.size();
    const uint64_t limit = start + MaxInflatedSize(size);
    z_stream& stream = state.stream();
    stream.next_in = const_cast<unsigned char*>(data);
    stream.avail_in = static_cast<uInt>(size);
    size_t produced = start;
    for (;;) {
        if (produced == out.size()) {
            const uint64_t wanted =
                std::max<uint64_t>(produced + std::max<uint64_t>(initialRoom, 1024), (produced - start) * 2 + start);
            const uint64_t room = std::min(wanted, limit);
            if (room <= produced) {
                break; // more output than any valid stream of this size can give
            }
            out.resize(static_cast<size_t>(room));
        }
        stream.next_out = reinterpret_cast<unsigned char*>(out.data() + produced);
        stream.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, UINT_MAX));
        const uInt before = stream.avail_out;
        const int result = inflate(&stream, Z_NO_FLUSH);
        produced += before - stream.avail_out;
        if (result == Z_STREAM_END) {
            out.resize(produced);
            return {true, size - stream.avail_in};
        }
        const bool needsRoom = result == Z_BUF_ERROR && stream.avail_out == 0;
        if (result != Z_OK && !needsRoom) {
            break; // corrupt data, or the input ended inside the stream
        }
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0) {
            break; // all input used and the stream is not finished: truncated
        }
    }
    out.resize(start);
    return {};
}

} // namespace encoding
