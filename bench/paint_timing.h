#pragma once

// Timing of drawing calls for the benchmarks.

#include <windows.h>

#include <algorithm>
#include <functional>

namespace paint_timing {

// Microseconds per call: the best of several rounds, so that a stray pause does not count. GDI's
// batch is flushed inside each round.
inline double MicrosecondsPerCall(int calls, const std::function<void(int)>& call)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < calls; ++i) {
            call(i);
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        best = std::min(best, double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / calls);
    }
    return best;
}

} // namespace paint_timing
