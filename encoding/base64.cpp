#include <util/base64.h>

#include <cpuid.h>
#include <immintrin.h>

#include <climits>
#include <cstdint>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const int kGroupsPerLine = 19; // 76 characters

// The value of every byte as an alphabet character, -1 for the rest.
struct DecodeTable {
    signed char value[256];
    DecodeTable()
    {
        for (int i = 0; i < 256; ++i) {
            value[i] = -1;
        }
        for (int i = 0; i < 64; ++i) {
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        }
    }
};

const DecodeTable g_decode;

// Writes the four characters of a three-byte group.
inline char* EncodeGroup(const unsigned char* src, char* dst)
{
    const uint32_t value = uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
    dst[0] = kAlphabet[value >> 18];
    dst[1] = kAlphabet[(value >> 12) & 0x3F];
    dst[2] = kAlphabet[(value >> 6) & 0x3F];
    dst[3] = kAlphabet[value & 0x3F];
    return dst + 4;
}

bool CpuHasByteShuffle()
{
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_SSSE3) != 0;
}

const bool g_hasByteShuffle = CpuHasByteShuffle();

// Sixteen characters of four groups (twelve bytes, sixteen read) at once: the bytes are spread into
// one 32-bit lane per group, the four 6-bit fields moved into the lane's bytes by two multiplies, and
// each field turned into its character by adding an offset looked up by its range.
__attribute__((target("ssse3"))) inline void EncodeFourGroups(const unsigned char* src, char* dst)
{
    __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    in = _mm_shuffle_epi8(in, _mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1));
    const __m128i high = _mm_mulhi_epu16(_mm_and_si128(in, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
    const __m128i low = _mm_mullo_epi16(_mm_and_si128(in, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
    const __m128i fields = _mm_or_si128(high, low);
    // 0 for 26-51, 1-10 for digits, 11 for '+', 12 for '/', 13 for capitals.
    __m128i range = _mm_subs_epu8(fields, _mm_set1_epi8(51));
    range = _mm_or_si128(range, _mm_and_si128(_mm_cmpgt_epi8(_mm_set1_epi8(26), fields), _mm_set1_epi8(13)));
    const __m128i offsets = _mm_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                          '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_add_epi8(_mm_shuffle_epi8(offsets, range), fields));
}

// Encodes count whole groups, four at a time while sixteen bytes can be read before end.
__attribute__((target("ssse3"))) char* EncodeGroupsShuffled(const unsigned char* src, int count,
                                                             const unsigned char* end, char* dst)
{
    for (; count >= 4 && end - src >= 16; count -= 4, src += 12, dst += 16) {
        EncodeFourGroups(src, dst);
    }
    for (; count > 0; --count, src += 3) {
        dst = EncodeGroup(src, dst);
    }
    return dst;
}

char* EncodeGroupsByTable(const unsigned char* src, int count, const unsigned char*, char* dst)
{
    for (; count > 0; --count, src += 3) {
        dst = EncodeGroup(src, dst);
    }
    return dst;
}

// Encodes the last one or two bytes as if zero bytes followed.
inline void EncodeTail(const unsigned char* src, size_t rest, char* dst)
{
    unsigned char tail[3] = {src[0], 0, 0};
    if (rest == 2) {
        tail[1] = src[1];
    }
    EncodeGroup(tail, dst);
}

int64_t RequiredEncodeLength(int64_t n, unsigned long flags)
{
    int64_t chars = n / 3 * 4 + n % 3 * 4 / 3;
    if (!(flags & BASE64_FLAG_NOPAD)) {
        chars += n % 3;
    }
    const int64_t rounded = (chars + 3) / 4 * 4;
    if (flags & BASE64_FLAG_NOCRLF) {
        return rounded;
    }
    return rounded + chars / 76 * 2 + 2;
}

} // namespace

char CBase64Coding::Base2Chr(unsigned char value)
{
    return kAlphabet[value & 0x3F];
}

std::string CBase64Coding::Base2Str(unsigned char value)
{
    return (value & 0x3F) == 62 ? std::string("%2B") : std::string(1, Base2Chr(value));
}

std::string CBase64Coding::Base64Encode(const std::string& data)
{
    std::string text;
    text.reserve((data.size() + 2) / 3 * 4);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const size_t whole = data.size() / 3 * 3;
    for (size_t i = 0; i < whole; i += 3) {
        char group[4];
        EncodeGroup(bytes + i, group);
        text.append(group, 4);
    }
    const size_t rest = data.size() - whole;
    if (rest > 0) {
        char group[4];
        EncodeTail(bytes + whole, rest, group);
        text.append(group, rest + 1);
        text.append(3 - rest, '=');
    }
    return text;
}

std::string CBase64Coding::Base64UrlEncode(const std::string& data)
{
    const std::string plain = Base64Encode(data);
    std::string text;
    text.reserve(plain.size());
    for (const char ch : plain) {
        if (ch == '+') {
            text += Base2Str(62);
        } else {
            text += ch;
        }
    }
    return text;
}

int Base64EncodeGetRequiredLength(int n, unsigned long flags)
{
    if (n < 0) {
        return -1;
    }
    const int64_t length = RequiredEncodeLength(n, flags);
    return length > INT_MAX ? -1 : static_cast<int>(length);
}

int Base64DecodeGetRequiredLength(int n)
{
    return n;
}

int Base64Encode(const unsigned char* src, int n, char* dst, int* dst_len, unsigned long flags)
{
    if (!src || !dst || !dst_len || n < 0) {
        return 0;
    }
    const int required = Base64EncodeGetRequiredLength(n, flags);
    if (required < 0 || *dst_len < required) {
        return 0;
    }
    const bool lineBreaks = !(flags & BASE64_FLAG_NOCRLF);
    const int groups = n / 3;
    const unsigned char* const end = src + n;
    const auto encodeGroups = g_hasByteShuffle ? EncodeGroupsShuffled : EncodeGroupsByTable;
    char* out = dst;
    for (int line = 0; line <= groups / kGroupsPerLine; ++line) {
        const int inLine = (line < groups / kGroupsPerLine) ? kGroupsPerLine : groups % kGroupsPerLine;
        out = encodeGroups(src, inLine, end, out);
        src += 3 * inLine;
        if (lineBreaks) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    if (lineBreaks) {
        out -= 2; // the last line break is taken back
    }
    const int rest = n % 3;
    if (rest > 0) {
        char group[4];
        EncodeTail(src, static_cast<size_t>(rest), group);
        for (int i = 0; i <= rest; ++i) {
            *out++ = group[i];
        }
        if (!(flags & BASE64_FLAG_NOPAD)) {
            for (int i = rest; i < 3; ++i) {
                *out++ = '=';
            }
        }
    }
    *dst_len = static_cast<int>(out - dst);
    return 1;
}

int DecodeBase64Char(unsigned int ch)
{
    return ch < 256 ? g_decode.value[ch] : -1;
}

int Base64Decode(const char* src, int n, unsigned char* dst, int* dst_len)
{
    if (!src || !dst_len) {
        return 0;
    }
    const int64_t capacity = dst ? *dst_len : 0;
    bool storing = dst != nullptr;
    int64_t total = 0;
    int i = 0;
    const signed char* table = g_decode.value;
    while (i < n && src[i] != '\0') {
        // Fast path: four alphabet characters in a row make a whole group.
        if (n - i >= 4) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(src + i);
            const int a = table[p[0]], b = table[p[1]], c = table[p[2]], d = table[p[3]];
            if ((a | b | c | d) >= 0) {
                if (storing && total + 3 > capacity) {
                    storing = false;
                }
                if (storing) {
                    const uint32_t value = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6 | uint32_t(d);
                    dst[total] = static_cast<unsigned char>(value >> 16);
                    dst[total + 1] = static_cast<unsigned char>(value >> 8);
                    dst[total + 2] = static_cast<unsigned char>(value);
                }
                total += 3;
                i += 4;
                continue;
            }
        }
        uint32_t bits = 0;
        int taken = 0;
        for (; taken < 4 && i < n && src[i] != '\0'; ++i) {
            const int value = DecodeBase64Char(static_cast<unsigned char>(src[i]));
            if (value >= 0) {
                bits = bits << 6 | static_cast<uint32_t>(value);
                ++taken;
            }
        }
        const int bytes = taken * 6 / 8;
        bits <<= 6 * (4 - taken); // align the group to 24 bits
        if (storing && total + bytes > capacity) {
            storing = false;
        }
        for (int b = 0; b < bytes; ++b) {
            if (storing) {
                dst[total] = static_cast<unsigned char>(bits >> (16 - 8 * b));
            }
            ++total;
        }
    }
    *dst_len = static_cast<int>(total);
    return storing ? 1 : 0;
}
