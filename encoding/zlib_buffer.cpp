#include <util/gzip.h>

#include <zlib.h>

#include "encoding/inflate_stream.h"

long GZCompress(char* src, int len, std::vector<char>& out)
{
    if (len < 0 || (!src && len > 0)) {
        return -1;
    }
    static const char kNothing = 0;
    const Bytef* input = reinterpret_cast<const Bytef*>(len > 0 ? src : &kNothing);
    // compressBound always suffices, so no retry is needed.
    uLongf room = compressBound(static_cast<uLong>(len));
    out.resize(room);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &room, input, static_cast<uLong>(len), 9) != Z_OK) {
        out.clear();
        return -1;
    }
    out.resize(room);
    return 1;
}

long GZUncompress(char* src, int len, std::vector<char>& out)
{
    out.clear();
    if (!src || len <= 0) {
        return -1;
    }
    const encoding::InflateOutcome outcome = encoding::InflateAppend(
        reinterpret_cast<const unsigned char*>(src), static_cast<size_t>(len), MAX_WBITS, out, uint64_t(len) * 3);
    return outcome.complete ? 1 : -1;
}
