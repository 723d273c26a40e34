#pragma once

#include <util/export.h>

// Digests and check codes: MD5 (raw and as lower-case hexadecimal), table-driven CRC-16 and CRC-32
// whose register the caller carries from call to call, the 16-bit ones'-complement checksum, and a
// short fixed-capacity code value.

// One-shot MD5 engine. Digests are 16 bytes in the usual MD5 byte order.
class UTIL_API MMD5 {
public:
    // Writes the digest of len bytes to out (16 bytes, zeroed first). -1 for a null data pointer;
    // 1 without hashing (digest all zero) when len <= 0; otherwise 1.
    int MD5(const char* data, int len, char* const out);

    // 32 lower-case hexadecimal digits and a terminator; -1 for null pointers or len < 33.
    static int ConvertMD5ToStr(const char* digest, char* text, int len);
    // Parses 32 hexadecimal digits into 16 bytes; -1 for null pointers, len < 16, or a text that is
    // shorter than 32 digits or holds anything but hexadecimal digits there.
    static int ConvertStrToMD5(const char* text, char* digest, int len);
};

// Hexadecimal MD5 digests of byte strings, files and directories.
class UTIL_API CKxMd5 {
public:
    bool Md5StrA(const char* data, int len, char* out, int out_len);
    bool Md5StrW(const char* data, int len, wchar_t* out, int out_len);
    // A file: the digest of its bytes. A directory: the digest of the concatenated hexadecimal digests
    // of the files it lists.
    bool Md5FileA(const char* path, char* out, int out_len);
    bool Md5FileW(const wchar_t* path, wchar_t* out, int out_len);
};

// CRC-16 with the polynomial 0x1021, most significant bit first. No initial value and no final XOR
// are imposed: the caller passes the register in and continues with the result.
class UTIL_API MCRC16 {
public:
    virtual ~MCRC16() = default;
    unsigned short CheckCode(const char* data, unsigned long len, unsigned short crc);

    static const unsigned short scrctable[256];
};

// CRC-32 with the reflected polynomial 0xEDB88320. No inversion inside: for the usual CRC-32 pass
// 0xFFFFFFFF and invert the result.
class UTIL_API MCRC32 {
public:
    virtual ~MCRC32() = default;
    unsigned long CheckCode(const char* data, unsigned long len, unsigned long crc);

    static const unsigned long lcrctable[256];
};

// The 16-bit ones'-complement sum of little-endian words.
class UTIL_API MConCheckCode {
public:
    unsigned short CheckCode(char* data, unsigned long len);
};

// A code of at most 15 bytes of 8-bit text, kept zero-filled and terminated in 16 bytes.
class UTIL_API KXCode {
public:
    KXCode();
    KXCode(const char* text);
    KXCode(const KXCode& other) = default;
    KXCode& operator=(const KXCode& other) = default;
    virtual ~KXCode() = default;

    long Length() const;
    const char* c_str() const { return m_szCode; }
    // The first six bytes of the code, without a terminator.
    void ToChar6(char (&out)[6]);

private:
    char m_szCode[16];
};

// Byte-wise comparison of the texts as unsigned bytes.
UTIL_API bool operator==(const KXCode& left, const KXCode& right);
UTIL_API bool operator<(const KXCode& left, const KXCode& right);
