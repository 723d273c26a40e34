#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <util/dataexport.h>

// The sheet of the driver mode: holds the header row and the rows in memory and writes the whole sheet
// with SQL statements when the file is finished.
class SpreadSheetTable {
public:
    SpreadSheetTable(std::unique_ptr<IKxSheetDatabase> database, std::wstring path, std::wstring sheet);
    SpreadSheetTable(const SpreadSheetTable&) = delete;
    SpreadSheetTable& operator=(const SpreadSheetTable&) = delete;
    ~SpreadSheetTable();

    // Connects through the first installed driver whose name contains "Excel" and reads the sheet the
    // file already has.
    bool Open();
    bool AddHeaders(const std::vector<std::wstring>& headers);
    bool AddRow(const std::vector<std::wstring>& fields);
    // Writes the sheet; gives up between rows once cancel turns true.
    bool Commit(const std::vector<BYTE>& types, const std::atomic<bool>* cancel);

    long RowCount() const { return static_cast<long>(m_rows.size()); }
    const std::vector<std::wstring>& Headers() const { return m_headers; }
    bool Row(long index, std::vector<std::wstring>& fields) const;
    const std::wstring& Error() const { return m_error; }

    // The installed driver whose name contains "Excel", or empty.
    static std::wstring FindDriver(IKxSheetDatabase& database);

private:
    static std::wstring Value(const std::wstring& field, BYTE type);
    bool WriteSheet(const std::wstring& sheet, const std::vector<std::wstring>& headers,
                    const std::vector<std::vector<std::wstring>>& rows, const std::vector<BYTE>& types,
                    const std::atomic<bool>* cancel);

    std::unique_ptr<IKxSheetDatabase> m_database;
    std::wstring m_path;
    std::wstring m_sheet;
    bool m_bExisting = false;
    std::vector<std::wstring> m_headers;
    std::vector<std::vector<std::wstring>> m_rows;
    // The sheet as the file had it, for the workbook's backup sheet.
    std::vector<std::wstring> m_previousHeaders;
    std::vector<std::vector<std::wstring>> m_previousRows;
    std::wstring m_error;
};

// The platform's ODBC driver manager behind IKxSheetDatabase.
std::unique_ptr<IKxSheetDatabase> CreateOdbcSheetDatabase();
