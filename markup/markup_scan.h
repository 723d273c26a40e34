#pragma once

// Searches over 16-bit text, eight characters at a time. Parsing spends most of its time looking for
// the next of a few characters; a vector compare keeps it close to the speed of merely reading.
// Nothing is read at or beyond `end`.

#include <emmintrin.h>
#include <intrin.h>

namespace markup_detail {

inline int LowestSetBit(unsigned mask)
{
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return static_cast<int>(index);
}

inline __m128i LoadEight(const wchar_t* text)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
}

// Index of the first `ch` at or after `pos`, or `end` if there is none before it.
inline int FindChar(const wchar_t* text, int pos, int end, wchar_t ch)
{
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(ch));
    for (; pos + 8 <= end; pos += 8) {
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(LoadEight(text + pos), wanted)));
        if (mask != 0) {
            return pos + LowestSetBit(mask) / 2;
        }
    }
    while (pos < end && text[pos] != ch) {
        ++pos;
    }
    return pos;
}

// Index of the first of four characters at or after `pos`, or `end`.
inline int FindAnyOf(const wchar_t* text, int pos, int end, wchar_t a, wchar_t b, wchar_t c, wchar_t d)
{
    const __m128i wantA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i wantB = _mm_set1_epi16(static_cast<short>(b));
    const __m128i wantC = _mm_set1_epi16(static_cast<short>(c));
    const __m128i wantD = _mm_set1_epi16(static_cast<short>(d));
    for (; pos + 8 <= end; pos += 8) {
        const __m128i eight = LoadEight(text + pos);
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(eight, wantA), _mm_cmpeq_epi16(eight, wantB)),
                                          _mm_or_si128(_mm_cmpeq_epi16(eight, wantC), _mm_cmpeq_epi16(eight, wantD)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) {
            return pos + LowestSetBit(mask) / 2;
        }
    }
    while (pos < end && text[pos] != a && text[pos] != b && text[pos] != c && text[pos] != d) {
        ++pos;
    }
    return pos;
}

// One bit per character of text[0, 16) that equals `ch`.
inline unsigned MaskOfSixteen(__m128i low, __m128i high, wchar_t ch)
{
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(ch));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, wanted), _mm_cmpeq_epi16(high, wanted))));
}

} // namespace markup_detail
