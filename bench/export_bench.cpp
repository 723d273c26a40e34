// Exporting 100,000 rows of 10 columns: the text export against writing the same bytes with one
// fwrite per line, and the worksheet and workbook exports against the text export.
#include <util/dataexport.h>
#include <util/format.h>
#include <util/lock.h>
#include <util/strutil.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRows = 100000;
const int kColumns = 10;

// A quote-board row: codes, Chinese names, prices and volumes.
std::vector<std::wstring> MakeRow(int row)
{
    std::vector<std::wstring> fields;
    fields.push_back(KxFormat(L"%06d", 600000 + row));
    fields.push_back(row % 2 ? L"浦发银行" : L"平安银行");
    for (int column = 2; column < kColumns; ++column) {
        fields.push_back(KxFormat(L"%d.%02d", (row * 7 + column) % 1000, row % 100));
    }
    return fields;
}

template <typename Work>
double Milliseconds(Work work)
{
    KXExactitudeCount clock;
    clock.SetCurTickCount();
    work();
    return static_cast<double>(clock.Sequence2TimerEx(clock.GetDurationEx())) / 1000.0;
}

double Megabytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / (1024.0 * 1024.0);
}

} // namespace

int main()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring base = KxFormat(L"%sexport_bench_%lu", folder, GetCurrentProcessId());

    CKXDataExport exporter;
    std::vector<std::wstring> headers;
    std::vector<BYTE> types(kColumns, KXFIELD_DOUBLE);
    types[0] = types[1] = 0;
    for (int column = 0; column < kColumns; ++column) {
        headers.push_back(KxFormat(L"列%d", column));
    }
    exporter.AddHeaders(headers);
    exporter.SetFieldInfo(types.data(), kColumns);
    std::vector<std::string> lines; // the text file's lines, prepared for the plain baseline
    for (int row = 0; row < kRows; ++row) {
        const std::vector<std::wstring> fields = MakeRow(row);
        exporter.AddRecord(fields);
        std::string line;
        for (const std::wstring& field : fields) {
            line += T2C(field.c_str()) + "\t";
        }
        lines.push_back(line + "\r\n");
    }

    const std::wstring plainPath = base + L"_plain.txt";
    const std::wstring textPath = base + L".txt";
    const std::wstring sheetPath = base + L".xls";
    const std::wstring bookPath = base + L".xlsx";
    // The best of a few rounds, each running all four in turn, so that a busy machine slows all alike.
    double plain = 1e300, text = 1e300, sheet = 1e300, book = 1e300;
    for (int round = 0; round < 5; ++round) {
        plain = std::min(plain, Milliseconds([&] {
            FILE* file = _wfopen(plainPath.c_str(), L"wb");
            for (const std::string& line : lines) {
                fwrite(line.data(), 1, line.size(), file);
            }
            fclose(file);
        }));
        text = std::min(text, Milliseconds([&] {
            FILE* file = _wfopen(textPath.c_str(), L"wb+");
            exporter.ExportTxtData(file);
            fclose(file);
        }));
        sheet = std::min(sheet, Milliseconds([&] { exporter.ExportXlsData(sheetPath.c_str(), LExcel::modeBinary); }));
        book = std::min(book, Milliseconds([&] { exporter.ExportXlsxData(bookPath.c_str()); }));
    }

    printf("export of %d rows x %d columns: one fwrite per line %.1f ms, .txt %.1f ms, .xls %.1f ms, .xlsx %.1f ms\n",
           kRows, kColumns, plain, text, sheet, book);
    printf("  file sizes: .txt %.2f MB, .xls %.2f MB, .xlsx %.2f MB\n", Megabytes(textPath), Megabytes(sheetPath),
           Megabytes(bookPath));
    printf("  .txt / fwrite per line = %.2fx (target <= 2x)\n", text / plain);
    printf("  .xls / .txt = %.2fx (target <= 5x)\n", sheet / text);
    printf("  .xlsx / .txt = %.2fx (target <= 5x)\n", book / text);
    for (const std::wstring& path : {plainPath, textPath, sheetPath, bookPath}) {
        DeleteFileW(path.c_str());
    }
    return 0;
}
