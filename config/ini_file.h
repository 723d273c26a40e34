#pragma once

// Makes sure an INI file exists: a missing one is created holding only the UTF-16LE byte-order mark,
// so that the platform's INI writer keeps it UTF-16. False when it is missing and cannot be made.
bool CreateUnicodeIniFile(const wchar_t* path);
