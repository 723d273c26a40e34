#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Record layouts of the zip format and little-endian field access.
namespace encoding::zipformat {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kDescriptorSignature = 0x08074B50;

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDescriptorSize = 16;
constexpr size_t kMaxCommentSize = 0xFFFF;

constexpr uint16_t kFlagEncrypted = 1u << 0;
constexpr uint16_t kFlagDescriptor = 1u << 3;
constexpr uint16_t kFlagUtf8 = 1u << 11;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

constexpr uint16_t kVersionNeeded = 20; // deflate and folders
constexpr uint16_t kVersionMadeBy = 20; // host 0: attributes are the platform's file attributes
constexpr uint16_t kHostDos = 0;
constexpr uint16_t kHostUnix = 3;
constexpr uint16_t kHostNtfs = 10;
constexpr uint16_t kHostVfat = 14;

constexpr uint16_t kExtendedTimestampTag = 0x5455; // modification time in seconds since 1970, UTC
constexpr uint16_t kUnicodePathTag = 0x7075;       // version, CRC of the stored name, the name in UTF-8

inline uint16_t Read16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t Read32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void Append16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Append32(std::string& out, uint32_t value)
{
    Append16(out, value & 0xFFFF);
    Append16(out, value >> 16);
}

// DOS date in the high 16 bits, time in the low 16 bits, in local time as archivers keep it.
uint32_t FileTimeToDos(const FILETIME& time);
FILETIME DosToFileTime(uint32_t dos);
uint32_t FileTimeToUnix(const FILETIME& time);
FILETIME UnixToFileTime(uint32_t seconds);

} // namespace encoding::zipformat
