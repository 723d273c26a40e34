#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// What a workbook holds: a header row (bold, frozen) and data rows; columns typed integer or double
// hold numbers where their text is one.
struct XlsxSheetData {
    const std::vector<std::wstring>& headers;
    const std::vector<std::vector<std::wstring>>& rows;
    const std::vector<BYTE>& types;
};

// Writes a one-sheet Office Open XML workbook. Stops early, leaving no file, when stop turns true.
// dropped receives the number of rows past the format's last row.
bool WriteXlsxWorkbook(const wchar_t* path, const XlsxSheetData& data, const std::atomic<bool>& stop, long* dropped);
