#pragma once

// Marks what util.dll exports; clients see the same declarations as imports.
#if defined(UTIL_BUILDING)
#define UTIL_API __declspec(dllexport)
#else
#define UTIL_API __declspec(dllimport)
#endif
