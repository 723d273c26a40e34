#include "runtime/runlog_relay.h"

namespace {

// Set while the library loads, before any thread can write.
RunLogWriter g_writer = nullptr;

} // namespace

void ConnectRunLog(RunLogWriter writer)
{
    g_writer = writer;
}

void RelayToRunLog(unsigned char level, unsigned long module, const wchar_t* format, ...)
{
    if (g_writer == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    g_writer(level, module, format, args);
    va_end(args);
}
