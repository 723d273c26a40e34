#include <util/hash.h>

#include <cstring>

#include "encoding/md5_engine.h"

namespace {

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

} // namespace

int MMD5::MD5(const char* data, int len, char* const out)
{
    if (!out) {
        return -1;
    }
    std::memset(out, 0, encoding::Md5Engine::kDigestSize);
    if (!data) {
        return -1;
    }
    if (len <= 0) {
        return 1;
    }
    encoding::Md5Engine engine;
    engine.Update(data, static_cast<size_t>(len));
    unsigned char digest[encoding::Md5Engine::kDigestSize];
    engine.Final(digest);
    std::memcpy(out, digest, sizeof(digest));
    return 1;
}

int MMD5::ConvertMD5ToStr(const char* digest, char* text, int len)
{
    if (!digest || !text || len < 33) {
        return -1;
    }
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < encoding::Md5Engine::kDigestSize; ++i) {
        const unsigned char byte = static_cast<unsigned char>(digest[i]);
        text[2 * i] = kDigits[byte >> 4];
        text[2 * i + 1] = kDigits[byte & 0x0F];
    }
    text[32] = '\0';
    return 1;
}

int MMD5::ConvertStrToMD5(const char* text, char* digest, int len)
{
    if (!text || !digest || len < 16) {
        return -1;
    }
    // Every digit is checked before the next is read, so a short text ends at its terminator.
    unsigned char bytes[encoding::Md5Engine::kDigestSize];
    for (size_t i = 0; i < sizeof(bytes); ++i) {
        const int high = HexValue(text[2 * i]);
        if (high < 0) {
            return -1;
        }
        const int low = HexValue(text[2 * i + 1]);
        if (low < 0) {
            return -1;
        }
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    std::memcpy(digest, bytes, sizeof(bytes));
    return 1;
}

bool CKxMd5::Md5StrA(const char* data, int len, char* out, int out_len)
{
    if (!data || len <= 0 || !out || out_len <= 32) {
        return false;
    }
    char digest[encoding::Md5Engine::kDigestSize];
    return MMD5().MD5(data, len, digest) == 1 && MMD5::ConvertMD5ToStr(digest, out, out_len) == 1;
}

bool CKxMd5::Md5StrW(const char* data, int len, wchar_t* out, int out_len)
{
    char text[33];
    if (!out || out_len <= 32 || !Md5StrA(data, len, text, sizeof(text))) {
        return false;
    }
    for (int i = 0; i <= 32; ++i) {
        out[i] = static_cast<unsigned char>(text[i]);
    }
    return true;
}
