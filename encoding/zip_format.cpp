#include "encoding/zip_format.h"

namespace encoding::zipformat {
namespace {

const uint64_t kTicksPerSecond = 10000000;
const uint64_t kUnixEpochTicks = 116444736000000000ull; // 1970-01-01 as a file time

uint64_t Ticks(const FILETIME& time)
{
    return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

uint32_t FileTimeToDos(const FILETIME& time)
{
    FILETIME local;
    WORD date = 0, clock = 0;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToDosDateTime(&local, &date, &clock)) {
        return (1u << 5 | 1u) << 16; // 1980-01-01, the earliest the format holds
    }
    return uint32_t(date) << 16 | clock;
}

FILETIME DosToFileTime(uint32_t dos)
{
    FILETIME local{}, utc{};
    if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos & 0xFFFF), &local) ||
        !LocalFileTimeToFileTime(&local, &utc)) {
        return FILETIME{};
    }
    return utc;
}

uint32_t FileTimeToUnix(const FILETIME& time)
{
    const uint64_t ticks = Ticks(time);
    if (ticks <= kUnixEpochTicks) {
        return 0;
    }
    const uint64_t seconds = (ticks - kUnixEpochTicks) / kTicksPerSecond;
    return seconds > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

FILETIME UnixToFileTime(uint32_t seconds)
{
    return FromTicks(kUnixEpochTicks + uint64_t(seconds) * kTicksPerSecond);
}

} // namespace encoding::zipformat
