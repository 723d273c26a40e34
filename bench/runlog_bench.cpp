// Run-log lines per second, each flushed, against a plain fwrite + fflush loop of the same bytes.
#include <util/format.h>
#include <util/lock.h>
#include <util/runlog.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "measure_apart.h"

namespace {

const int kLines = 20000;

double LinesPerSecond(KXExactitudeCount& clock)
{
    return kLines * 1000000.0 / static_cast<double>(clock.Sequence2TimerEx(clock.GetDurationEx()));
}

int Measure()
{
    const wchar_t payload[] = L"order 600000 filled at 12.34, volume 1500";
    KXExactitudeCount clock;
    clock.SetCurTickCount();
    for (int i = 0; i < kLines; ++i) {
        KxWriteLog(3, 16, L"%06d %s", i, payload);
    }
    const double logRate = LinesPerSecond(clock);

    const std::wstring line = KxFormat(L"[Level:3][2011-09-06 09:05:03][ModuleID:16]: %06d %s\r\n", 0, payload);
    FILE* plain = _wfopen(L"plain.txt", L"ab");
    clock.SetCurTickCount();
    for (int i = 0; i < kLines; ++i) {
        fwrite(line.data(), sizeof(wchar_t), line.size(), plain);
        fflush(plain);
    }
    const double plainRate = LinesPerSecond(clock);
    fclose(plain);
    printf("Run-log lines per second: log %.0f, plain fwrite+fflush %.0f, the log takes %.2fx the time (target <= "
           "1.3x)\n",
           logRate, plainRate, plainRate / logRate);
    return 0;
}

} // namespace

int main()
{
    return measure_apart::Run(L"bench_runlog_apart.exe", Measure);
}
