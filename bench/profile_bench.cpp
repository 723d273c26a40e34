// Reading one key of an INI file: the profile cache against the platform's own reader on the same file.
#include <util/format.h>
#include <util/lock.h>
#include <util/profile.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "measure_apart.h"

namespace {

// An INI file of the given sections of 20 keys each, written at once.
std::wstring MakeIniFile(int sections)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = KxFormat(L"%sprofile_bench_%lu_%d.ini", folder, GetCurrentProcessId(), sections);
    FILE* file = _wfopen(path.c_str(), L"wb");
    for (int section = 0; section < sections; ++section) {
        fprintf(file, "[section%d]\r\n", section);
        for (int key = 0; key < 20; ++key) {
            fprintf(file, "key%d=value %d.%d\r\n", key, section, key);
        }
    }
    fclose(file);
    return path;
}

// Microseconds per call of read, over count calls.
template <typename Read>
double MicrosecondsPerCall(int count, Read read)
{
    KXExactitudeCount clock;
    clock.SetCurTickCount();
    for (int i = 0; i < count; ++i) {
        read();
    }
    return static_cast<double>(clock.Sequence2TimerEx(clock.GetDurationEx())) / count;
}

// Microseconds per cached read of a key near the end of a file of the given sections.
double CachedRead(int sections)
{
    const std::wstring path = MakeIniFile(sections);
    const std::wstring section = KxFormat(L"section%d", sections - 3);
    wchar_t buffer[64];
    CKxProfile::GetPrivateProfileStringW(section.c_str(), L"key13", L"", buffer, 64, path.c_str()); // loads
    const double cached = MicrosecondsPerCall(
        200000, [&] { CKxProfile::GetPrivateProfileStringW(section.c_str(), L"key13", L"", buffer, 64, path.c_str()); });
    CKxProfile::RealseMemFileW(path.c_str());
    DeleteFileW(path.c_str());
    return cached;
}

int Measure()
{
    const std::wstring path = MakeIniFile(10);
    wchar_t buffer[64];
    const double platform = MicrosecondsPerCall(
        2000, [&] { ::GetPrivateProfileStringW(L"section7", L"key13", L"", buffer, 64, path.c_str()); });
    DeleteFileW(path.c_str());
    const double small = CachedRead(10);
    const double large = CachedRead(500);
    printf("INI read of one key: platform %.2f us, cache %.3f us, cache is %.0fx faster (target >= 200x)\n", platform,
           small, platform / small);
    printf("Cached INI read: 10,000 keys %.3f us, 200 keys %.3f us, %.2fx (target <= 2x)\n", large, small,
           large / small);
    return 0;
}

} // namespace

int main()
{
    return measure_apart::Run(L"bench_profile_apart.exe", Measure);
}
