#pragma once

#include <string>

#include <util/export.h>

// Base64 over the standard alphabet (A-Z, a-z, 0-9, "+", "/", pad "=").

// Whole-string encoder with a variant for URL queries.
class UTIL_API CBase64Coding {
public:
    virtual ~CBase64Coding() = default;

    // All bytes in one line, padded with "=".
    std::string Base64Encode(const std::string& data);
    // As Base64Encode, with every "+" written as "%2B".
    std::string Base64UrlEncode(const std::string& data);

private:
    static char Base2Chr(unsigned char value);
    static std::string Base2Str(unsigned char value);
};

// Flags of the buffer encoder, combinable.
enum : unsigned long {
    BASE64_FLAG_NOPAD = 1,  // no "=" is written
    BASE64_FLAG_NOCRLF = 2, // no CR LF is written
};

// Room needed to encode n bytes with the given flags; -1 when n is negative or the room would not fit
// in an int.
UTIL_API int Base64EncodeGetRequiredLength(int n, unsigned long flags = 0);
// Room needed to decode n characters: n.
UTIL_API int Base64DecodeGetRequiredLength(int n);
// Encodes n bytes into dst in lines of 76 characters. 1 with the characters written (no terminator)
// in *dst_len; 0 for null pointers or when *dst_len is below the required length.
UTIL_API int Base64Encode(const unsigned char* src, int n, char* dst, int* dst_len, unsigned long flags = 0);
// The value of one alphabet character, -1 for anything else.
UTIL_API int DecodeBase64Char(unsigned int ch);
// Decodes up to n characters (or to a zero character), skipping anything outside the alphabet.
// *dst_len is the room in dst on entry and the full decoded length on return; 1 only when every byte
// was stored (so 0 for a null dst, as a size query).
UTIL_API int Base64Decode(const char* src, int n, unsigned char* dst, int* dst_len);
// The encoder's and the decoder's codes, slowest first (the decoder has no SSSE3 code: it takes the
// table code at that level).
enum Base64Code { BASE64_CODE_TABLE, BASE64_CODE_SSSE3, BASE64_CODE_AVX2 };
// For tests that compare the codes on one machine: the fastest code the processor has, but none faster
// than `fastest`. BASE64_CODE_AVX2 goes back to the fastest the processor has.
UTIL_API void Base64LimitCode(Base64Code fastest);
