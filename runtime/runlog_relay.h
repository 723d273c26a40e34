#pragma once

#include <cstdarg>

// Files and threads report to the run log, which lives in a layer above this one (it reads its
// settings through the configuration layer). The run log connects itself when the library loads;
// until then, and in a build without it, the lines go nowhere.
using RunLogWriter = long (*)(unsigned char level, unsigned long module, const wchar_t* format, va_list args);

void ConnectRunLog(RunLogWriter writer);

// A line for the main run log, with KxWriteLog's meaning of level, module and format.
void RelayToRunLog(unsigned char level, unsigned long module, const wchar_t* format, ...);
