#pragma once

#include <util/cstring.h>
#include <util/export.h>

// The process-wide run log. Its settings come from section "RUNLOG" of "sys_config.ini" beside the
// executable, read once at the first call of any of these functions.

// The threshold ("Level", default 2): formatted lines below it are not written.
UTIL_API int KXGetLogLevel();

// A line "[Level:..][date time][ModuleID:..]: body\r\n" to the main log file, if level reaches the
// threshold. 1: written or below the threshold; -1: the file is not open.
UTIL_API long KxWriteLog(unsigned char level, unsigned long module, const wchar_t* format, ...);

// A line "[ModuleID:..,Level:..,-date-time<tick>]: body\r\n" to the file at path, if level reaches
// the threshold.
UTIL_API long KxWriteLogEx(const wchar_t* path, unsigned char level, unsigned long module, const wchar_t* format, ...);

// The text as it is (no header, no line end, no threshold) to the main log file, to the module's own
// file (main name + "_<module>.log"), or to the file at path.
UTIL_API long KxWriteLog(const CString& text);
UTIL_API long KxWriteLog(int module, const CString& text);
UTIL_API long KxWriteLog(const CString& path, const CString& text);
