#include <util/base64.h>

#include <cpuid.h>
#include <immintrin.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>

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

// Ends a whole line with CR LF when line breaks are asked for.
inline char* EndLine(char* dst, bool lineBreaks)
{
    if (lineBreaks) {
        dst[0] = '\r';
        dst[1] = '\n';
        dst += 2;
    }
    return dst;
}

bool CpuHasByteShuffle()
{
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_SSSE3) != 0;
}

// AVX2 in the processor, and the 256-bit registers saved by the system.
bool CpuHasWideShuffle()
{
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE) || !(ecx & bit_AVX)) {
        return false;
    }
    unsigned int low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    const unsigned int kVectorState = 0x6; // the SSE and AVX registers
    return (low & kVectorState) == kVectorState && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) &&
           (ebx & bit_AVX2) != 0;
}

Base64Code FastestCode()
{
    return CpuHasWideShuffle() ? BASE64_CODE_AVX2 : CpuHasByteShuffle() ? BASE64_CODE_SSSE3 : BASE64_CODE_TABLE;
}

const Base64Code g_fastestCode = FastestCode();
// The fastest code the processor has, unless a test asks for slower code.
std::atomic<Base64Code> g_code{g_fastestCode};

// Sixteen characters of four groups (twelve bytes, sixteen read) at once: the bytes are spread into
// one 32-bit lane per group, the four 6-bit fields moved into the lane's bytes by two multiplies, and
// each field turned into its character by adding an offset looked up by its range.
__attribute__((target("ssse3"))) inline __m128i EncodeFourGroups(const unsigned char* src)
{
    __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    in = _mm_shuffle_epi8(in, _mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1));
    const __m128i high = _mm_mulhi_epu16(_mm_and_si128(in, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
    const __m128i low = _mm_mullo_epi16(_mm_and_si128(in, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
    const __m128i fields = _mm_or_si128(high, low);
    // 0 for capitals, 1 for 26-51, 2-11 for digits, 12 for '+', 13 for '/'.
    const __m128i range =
        _mm_sub_epi8(_mm_subs_epu8(fields, _mm_set1_epi8(51)), _mm_cmpgt_epi8(fields, _mm_set1_epi8(25)));
    const __m128i offsets = _mm_setr_epi8('A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                          '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 0, 0);
    return _mm_add_epi8(_mm_shuffle_epi8(offsets, range), fields);
}

// Encodes count whole groups, four at a time while sixteen bytes can be read before end.
__attribute__((target("ssse3"))) char* EncodeGroupsShuffled(const unsigned char* src, int count,
                                                             const unsigned char* end, char* dst)
{
    for (; count >= 4 && end - src >= 16; count -= 4, src += 12, dst += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), EncodeFourGroups(src));
    }
    if (count == 3 && end - src >= 16) { // the end of a line
        const __m128i chars = EncodeFourGroups(src);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), chars);
        const uint32_t last = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(chars, 8)));
        std::memcpy(dst + 8, &last, 4);
        return dst + 12;
    }
    for (; count > 0; --count, src += 3) {
        dst = EncodeGroup(src, dst);
    }
    return dst;
}

// Thirty-two characters of eight groups (24 bytes): four groups in each 128-bit half, each half worked
// as EncodeFourGroups works its register. Reads 28 bytes from `from`, where the groups start `skip`
// bytes on (0 reads four bytes past the groups, 4 reads four bytes before them).
__attribute__((target("avx2"))) inline __m256i EncodeEightGroups(const unsigned char* from, int skip = 0)
{
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    __m256i in = _mm256_inserti128_si256(_mm256_castsi128_si256(first),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12)), 1);
    const __m128i spread = _mm_add_epi8(_mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1),
                                        _mm_set1_epi8(static_cast<char>(skip)));
    in = _mm256_shuffle_epi8(in, _mm256_broadcastsi128_si256(spread));
    const __m256i high =
        _mm256_mulhi_epu16(_mm256_and_si256(in, _mm256_set1_epi32(0x0FC0FC00)), _mm256_set1_epi32(0x04000040));
    const __m256i low =
        _mm256_mullo_epi16(_mm256_and_si256(in, _mm256_set1_epi32(0x003F03F0)), _mm256_set1_epi32(0x01000010));
    const __m256i fields = _mm256_or_si256(high, low);
    const __m256i range = _mm256_sub_epi8(_mm256_subs_epu8(fields, _mm256_set1_epi8(51)),
                                          _mm256_cmpgt_epi8(fields, _mm256_set1_epi8(25)));
    const __m256i offsets = _mm256_broadcastsi128_si256(_mm_setr_epi8('A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52,
                                                                      '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                                                      '0' - 52, '0' - 52, '0' - 52, '+' - 62,
                                                                      '/' - 63, 0, 0));
    return _mm256_add_epi8(_mm256_shuffle_epi8(offsets, range), fields);
}

// Encodes count whole groups, eight at a time while 28 bytes can be read before end. The rest of a
// run of eight groups or more is encoded as the run's last eight groups, rewriting some characters
// alike; the rest of a shorter run goes to the 128-bit code.
__attribute__((target("avx2"))) char* EncodeGroupsWide(const unsigned char* src, int count, const unsigned char* end,
                                                       char* dst)
{
    const int total = count;
    for (; count >= 8 && end - src >= 28; count -= 8, src += 24, dst += 32) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), EncodeEightGroups(src));
    }
    if (count > 0 && total >= 8 && end - src >= 3 * count + 4) {
        dst += 4 * count;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst - 32), EncodeEightGroups(src + 3 * count - 24));
        return dst;
    }
    // The 128-bit code is of the older encoding, which some processors slow down while the upper
    // halves are in use; the compiler leaves them so on this tail call, and so would the caller.
    _mm256_zeroupper();
    return EncodeGroupsShuffled(src, count, end, dst);
}

// Encodes count whole groups in lines, each whole line followed by a line break when asked. A whole
// line is three steps of eight groups, the last over the line's last eight, read from within the line
// (so also at the end of the input); the constants stay in registers from line to line.
__attribute__((target("avx2"))) char* EncodeLinesWide(const unsigned char* src, int count, const unsigned char* end,
                                                      char* dst, bool lineBreaks)
{
    static_assert(kGroupsPerLine == 19, "three steps of eight groups cover a line");
    for (; count >= kGroupsPerLine; count -= kGroupsPerLine, src += 3 * kGroupsPerLine) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), EncodeEightGroups(src));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 32), EncodeEightGroups(src + 24));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 44), EncodeEightGroups(src + 29, 4));
        dst = EndLine(dst + 4 * kGroupsPerLine, lineBreaks);
    }
    return EncodeGroupsWide(src, count, end, dst);
}

char* EncodeGroupsByTable(const unsigned char* src, int count, const unsigned char*, char* dst)
{
    for (; count > 0; --count, src += 3) {
        dst = EncodeGroup(src, dst);
    }
    return dst;
}

using GroupsEncoder = char* (*)(const unsigned char* src, int count, const unsigned char* end, char* dst);

// Encodes count whole groups in lines with encodeGroups, each whole line followed by a line break when
// asked.
inline char* EncodeInLines(GroupsEncoder encodeGroups, const unsigned char* src, int count,
                           const unsigned char* end, char* dst, bool lineBreaks)
{
    for (; count >= kGroupsPerLine; count -= kGroupsPerLine, src += 3 * kGroupsPerLine) {
        dst = EndLine(encodeGroups(src, kGroupsPerLine, end, dst), lineBreaks);
    }
    return encodeGroups(src, count, end, dst);
}

char* EncodeLinesShuffled(const unsigned char* src, int count, const unsigned char* end, char* dst, bool lineBreaks)
{
    return EncodeInLines(EncodeGroupsShuffled, src, count, end, dst, lineBreaks);
}

char* EncodeLinesByTable(const unsigned char* src, int count, const unsigned char* end, char* dst, bool lineBreaks)
{
    return EncodeInLines(EncodeGroupsByTable, src, count, end, dst, lineBreaks);
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

// The decoded bytes: stored while every group so far has fitted in the caller's room, counted always.
class DecodedBytes {
public:
    DecodedBytes(unsigned char* dst, int room) : m_dst(dst), m_room(dst ? room : 0), m_storing(dst != nullptr) {}

    // Where the next group of `bytes` bytes goes; null once a group did not fit, and for good.
    unsigned char* Next(int bytes)
    {
        if (m_storing && m_total + bytes > m_room) {
            m_storing = false;
        }
        unsigned char* at = m_storing ? m_dst + m_total : nullptr;
        m_total += bytes;
        return at;
    }
    // How many bytes from here on share one fate.
    int64_t UniformRoom() const { return m_storing ? m_room - m_total : INT64_MAX; }
    // Where the next bytes go while storing; null otherwise.
    unsigned char* Cursor() const { return m_storing ? m_dst + m_total : nullptr; }
    bool Storing() const { return m_storing; }
    int64_t Total() const { return m_total; }

private:
    unsigned char* m_dst;
    int64_t m_room;
    bool m_storing;
    int64_t m_total = 0;
};

// A group of `taken` characters (the last group of a text may hold fewer than four) whose values are
// the low 6 * taken bits of `bits`.
inline void EmitGroup(DecodedBytes& out, uint32_t bits, int taken)
{
    const int bytes = taken * 6 / 8;
    bits <<= 6 * (4 - taken); // align the group to 24 bits
    if (unsigned char* at = out.Next(bytes)) {
        for (int b = 0; b < bytes; ++b) {
            at[b] = static_cast<unsigned char>(bits >> (16 - 8 * b));
        }
    }
}

// The values of four alphabet characters as one 24-bit group.
inline uint32_t GroupBits(const signed char* table, const unsigned char* p)
{
    return uint32_t(table[p[0]]) << 18 | uint32_t(table[p[1]]) << 12 | uint32_t(table[p[2]]) << 6 |
           uint32_t(table[p[3]]);
}

// Decodes the group that starts at src[i] and answers where the next one starts. A group is four
// alphabet characters, foreign ones skipped, or fewer at the end of the text.
int DecodeGroupByTable(const unsigned char* src, int i, int n, DecodedBytes& out)
{
    const signed char* table = g_decode.value;
    // Four alphabet characters in a row make a whole group. Each is looked at only after the one
    // before was not the zero that may end the text.
    if (n - i >= 4 && table[src[i]] >= 0 && table[src[i + 1]] >= 0 && table[src[i + 2]] >= 0 &&
        table[src[i + 3]] >= 0) {
        EmitGroup(out, GroupBits(table, src + i), 4);
        return i + 4;
    }
    uint32_t bits = 0;
    int taken = 0;
    for (; taken < 4 && i < n && src[i] != '\0'; ++i) {
        const int value = table[src[i]];
        if (value >= 0) {
            bits = bits << 6 | static_cast<uint32_t>(value);
            ++taken;
        }
    }
    EmitGroup(out, bits, taken);
    return i;
}

void DecodeByTable(const unsigned char* src, int n, DecodedBytes& out)
{
    for (int i = 0; i < n && src[i] != '\0';) {
        i = DecodeGroupByTable(src, i, n, out);
    }
}

// A mask of the 32 characters that are in the alphabet. A character belongs when the classes that its
// low nibble and its high nibble select have no bit in common.
__attribute__((target("avx2"))) inline unsigned AlphabetMask(__m256i chars)
{
    const __m256i lowClasses = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A));
    const __m256i highClasses = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low = _mm256_shuffle_epi8(lowClasses, _mm256_and_si256(chars, nibble));
    const __m256i high = _mm256_shuffle_epi8(highClasses, _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibble));
    return static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(low, high), _mm256_setzero_si256())));
}

// The bytes of the eight groups of 32 characters, in the low 24 bytes; a group with a foreign
// character gives garbage without touching the others.
__attribute__((target("avx2"))) inline __m256i DecodeThirtyTwo(__m256i chars)
{
    // Each character's value is the character plus an offset chosen by its high nibble ('/' apart).
    const __m256i offsets = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(0, '?' - '/', '>' - '+', '4' - '0', -'A', -'A', 26 - 'a', 26 - 'a', 0, 0, 0, 0, 0, 0, 0, 0));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), _mm256_set1_epi8(0x0F));
    const __m256i slash = _mm256_cmpeq_epi8(chars, _mm256_set1_epi8('/'));
    const __m256i values = _mm256_add_epi8(chars, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(high, slash)));
    // Pairs of 6-bit values into 12 bits, pairs of those into 24, the three bytes in text order in the
    // low twelve bytes of each half, and the halves side by side.
    const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
    const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
    const __m256i halves = _mm256_shuffle_epi8(
        groups, _mm256_broadcastsi128_si256(_mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1)));
    return _mm256_permutevar8x32_epi32(halves, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
}

// Stores the bytes of the first groups of the 32 characters, when at is not null.
__attribute__((target("avx2"))) inline void StoreGroups(unsigned char* at, __m256i chars, int groups)
{
    if (at) {
        alignas(32) unsigned char decoded[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(decoded), DecodeThirtyTwo(chars));
        for (int group = 0; group < groups; ++group) {
            std::memcpy(at + 3 * group, decoded + 3 * group, 3);
        }
    }
}

// Characters from src[i] on that can be read 32 at a time: within the text, and within one page (a
// text that ends with a zero may be given with a generous length).
inline bool ThirtyTwoReadable(const unsigned char* src, int i, int n)
{
    const uintptr_t kPage = 4096;
    return n - i >= 32 && (reinterpret_cast<uintptr_t>(src + i) & (kPage - 1)) <= kPage - 32;
}

// Decodes 32 characters at a time from src[i] on: the whole groups each block starts with and, where a
// foreign character ends them, the foreign characters up to the next alphabet one (a line break).
// Answers where it stopped: at a group split by foreign characters, a zero, a group that would only
// partly fit, or the end, each left to the table path.
__attribute__((target("avx2"))) int DecodeBlocks(const unsigned char* src, int i, int n, DecodedBytes& out)
{
    // Only groups that share one fate are decoded here: all stored, or all only counted.
    const int64_t room = out.UniformRoom();
    unsigned char* const at = out.Cursor();
    int64_t produced = 0;
    // Text in lines breaks every line alike. A block whose mask is the last line break's takes that
    // break's numbers, which are at hand: the next block's address does not wait for this one's
    // arithmetic. A full mask never reaches the break, so it stands for none yet.
    unsigned lineBreak = 0xFFFFFFFFu;
    int breakRun = 0, breakNext = 0;
    while (ThirtyTwoReadable(src, i, n)) {
        const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const unsigned alphabet = AlphabetMask(chars);
        if (alphabet == 0xFFFFFFFFu) {
            // The common case goes on without waiting for this block's arithmetic.
            if (room - produced < 24) {
                break;
            }
            if (at) {
                const __m256i decoded = DecodeThirtyTwo(chars);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(at + produced), _mm256_castsi256_si128(decoded));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(at + produced + 16), _mm256_extracti128_si256(decoded, 1));
            }
            produced += 24;
            i += 32;
            continue;
        }
        const unsigned zeros =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(chars, _mm256_setzero_si256())));
        if (alphabet != lineBreak || zeros != 0) {
            const int run = __builtin_ctz(~alphabet); // alphabet characters before the first foreign one
            const unsigned later = alphabet & (0xFFFFFFFFu << run);
            const int next = later ? __builtin_ctz(later) : 32;
            if (run % 4 != 0 || (zeros & ((uint64_t(1) << next) - 1))) {
                // The whole groups before the foreign character, and the table code goes on from there.
                if (room - produced >= 3 * (run / 4)) {
                    StoreGroups(at ? at + produced : nullptr, chars, run / 4);
                    produced += 3 * (run / 4);
                    i += 4 * (run / 4);
                }
                break;
            }
            lineBreak = alphabet;
            breakRun = run;
            breakNext = next;
        }
        if (room - produced < 3 * (breakRun / 4)) {
            break;
        }
        StoreGroups(at ? at + produced : nullptr, chars, breakRun / 4);
        produced += 3 * (breakRun / 4);
        i += breakNext;
    }
    out.Next(produced);
    return i;
}

__attribute__((target("avx2"))) void DecodeWide(const unsigned char* src, int n, DecodedBytes& out)
{
    for (int i = 0; i < n && src[i] != '\0';) {
        i = DecodeBlocks(src, i, n, out);
        if (i < n && src[i] != '\0') {
            i = DecodeGroupByTable(src, i, n, out);
        }
    }
    // The table path ends a text that is not empty with a group, if of no bytes: the room is checked
    // at least once.
    if (n > 0 && *src != '\0') {
        out.Next(0);
    }
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
    const int groups = n / 3;
    const Base64Code code = g_code;
    const auto encodeLines = code == BASE64_CODE_AVX2    ? EncodeLinesWide
                             : code == BASE64_CODE_SSSE3 ? EncodeLinesShuffled
                                                         : EncodeLinesByTable;
    char* out = encodeLines(src, groups, src + n, dst, !(flags & BASE64_FLAG_NOCRLF));
    src += 3 * groups;
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

void Base64LimitCode(Base64Code fastest)
{
    g_code = fastest < g_fastestCode ? fastest : g_fastestCode;
}

int Base64Decode(const char* src, int n, unsigned char* dst, int* dst_len)
{
    if (!src || !dst_len) {
        return 0;
    }
    DecodedBytes out(dst, *dst_len);
    if (g_code == BASE64_CODE_AVX2) {
        DecodeWide(reinterpret_cast<const unsigned char*>(src), n, out);
    } else {
        DecodeByTable(reinterpret_cast<const unsigned char*>(src), n, out);
    }
    *dst_len = static_cast<int>(out.Total());
    return out.Storing() ? 1 : 0;
}
