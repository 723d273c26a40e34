// Reading one key of an INI file: the profile cache against the platform's own reader on the same file.
#include <util/format.h>
#include <util/lock.h>
#include <util/profile.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "measure_apart.h"

namespace {

std::wstring MakeIniFile()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = KxFormat(L"%sprofile_bench_%lu.ini", folder, GetCurrentProcessId());
    DeleteFileW(path.c_str());
    for (int section = 0; section < 10; ++section) {
        for (int key = 0; key < 20; ++key) {
            ::WritePrivateProfileStringW(KxFormat(L"section%d", section).c_str(), KxFormat(L"key%d", key).c_str(),
                                         KxFormat(L"value %d.%d", section, key).c_str(), path.c_str());
        }
    }
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

int Measure()
{
    const std::wstring path = MakeIniFile();
    wchar_t buffer[64];
    const double platform = MicrosecondsPerCall(
        2000, [&] { ::GetPrivateProfileStringW(L"section7", L"key13", L"", buffer, 64, path.c_str()); });
    const double cached = MicrosecondsPerCall(
        200000, [&] { CKxProfile::GetPrivateProfileStringW(L"section7", L"key13", L"", buffer, 64, path.c_str()); });
    printf("INI read of one key: platform %.2f us, cache %.3f us, cache is %.0fx faster (target >= 100x)\n", platform,
           cached, platform / cached);
    CKxProfile::RealseMemFileW(path.c_str());
    DeleteFileW(path.c_str());
    return 0;
}

} // namespace

int main()
{
    return measure_apart::Run(L"bench_profile_apart.exe", Measure);
}
