#pragma once

#include <windows.h>

#include <functional>

namespace testsupport {

// Processes this thread's messages the way a client's loop does (pre-translate walk, then dispatch).
// Returns once nothing is waiting.
void PumpPending();
// Keeps pumping for the given time.
void PumpFor(DWORD milliseconds);
// Pumps until done() is true or the time is over; returns done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds);

} // namespace testsupport
