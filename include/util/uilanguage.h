#pragma once

#include <util/export.h>

// Display language of the whole process: 2052 (Simplified Chinese, the start state) or 1028
// (Traditional Chinese: every wide text the process draws goes through the table "s2t.tbl" that lies
// beside util.dll). Returns the language in force after the call.
UTIL_API int SetUILanguage(int ui_language);
