#include <util/hash.h>
#include <util/strutil.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "encoding/md5_engine.h"

namespace {

const size_t kReadChunk = 1 << 16;
const int kHexDigestSize = 33; // 32 digits and the terminator

// The file is read piece by piece, so its size does not matter.
bool HashFile(const char* path, char (&hex)[kHexDigestSize])
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    encoding::Md5Engine engine;
    std::vector<char> buffer(kReadChunk);
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) != 0) && read > 0) {
        engine.Update(buffer.data(), read);
    }
    CloseHandle(file);
    if (!ok) {
        return false;
    }
    unsigned char digest[encoding::Md5Engine::kDigestSize];
    engine.Final(digest);
    return MMD5::ConvertMD5ToStr(reinterpret_cast<const char*>(digest), hex, kHexDigestSize) == 1;
}

} // namespace

bool CKxMd5::Md5FileA(const char* path, char* out, int out_len)
{
    if (!out || out_len <= 32) {
        return false;
    }
    std::memset(out, 0, static_cast<size_t>(out_len));
    if (!path) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    char hex[kHexDigestSize];
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!HashFile(path, hex)) {
            return false;
        }
        std::memcpy(out, hex, sizeof(hex));
        return true;
    }
    std::vector<std::string> files;
    if (EnumAllFilesA(path, files) == 0) {
        return false;
    }
    std::string digests;
    for (const std::string& file : files) {
        if (!HashFile(file.c_str(), hex)) {
            return false;
        }
        digests.append(hex, 32);
    }
    return Md5StrA(digests.data(), static_cast<int>(digests.size()), out, out_len);
}

bool CKxMd5::Md5FileW(const wchar_t* path, wchar_t* out, int out_len)
{
    char narrowPath[MAX_PATH];
    char hex[kHexDigestSize];
    if (!path || !out || out_len <= 32 || !T2C(path, narrowPath, sizeof(narrowPath)) ||
        !Md5FileA(narrowPath, hex, sizeof(hex))) {
        return false;
    }
    for (int i = 0; i < kHexDigestSize; ++i) {
        out[i] = static_cast<unsigned char>(hex[i]);
    }
    return true;
}
