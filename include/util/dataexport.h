#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <util/export.h>
#include <util/filedialog.h>

// Field types of an export column; any other value is text.
enum : BYTE { KXFIELD_INTEGER = 1, KXFIELD_DOUBLE = 2 };

// The database connection of the spreadsheet driver mode. The default runs on the platform's ODBC
// driver manager; tests install a double that records the statements.
class UTIL_API IKxSheetDatabase {
public:
    virtual ~IKxSheetDatabase() = default;
    // Names of the installed database drivers.
    virtual std::vector<std::wstring> Drivers() = 0;
    virtual bool Connect(const std::wstring& connection) = 0;
    virtual bool Execute(const std::wstring& statement) = 0;
    // Runs a query: the column names and every row as text.
    virtual bool Query(const std::wstring& statement, std::vector<std::wstring>& columns,
                       std::vector<std::vector<std::wstring>>& rows) = 0;
    virtual void Disconnect() = 0;
};

// Makes the connection objects of the driver mode; null restores the platform's. Returns the previous.
typedef std::unique_ptr<IKxSheetDatabase> (*KXSHEETDATABASEFACTORY)();
UTIL_API KXSHEETDATABASEFACTORY KxSetSheetDatabaseFactory(KXSHEETDATABASEFACTORY factory);

class SpreadSheetTable;

// Writes one worksheet, either directly as a binary worksheet file (mode 1) or through an installed
// spreadsheet database driver (mode 2).
//
// Mode 1 cells: columns of type KXFIELD_INTEGER hold integer cells for whole numbers 0..65535 and
// number cells for any other value (a text that is no number counts 0); KXFIELD_DOUBLE columns hold
// number cells; other columns text cells of at most 127 bytes (headers 255), cut at a character
// boundary of the 8-bit code page. The row number is 16-bit: rows past the last one (65535) are left
// out, and AddRow answers false for them.
class UTIL_API LExcel {
public:
    enum { modeBinary = 1, modeDriver = 2 };
    enum { supportBinary = 1, supportDriver = 2 }; // GetSupportExcel flags
    static const int kLastRow = 0xFFFF;

    LExcel();
    virtual ~LExcel();
    LExcel(const LExcel&) = delete;
    LExcel& operator=(const LExcel&) = delete;

    // Mode 1 creates the file ("w+b"); mode 2 opens the sheet through the driver. Whether it opened.
    bool Init(const wchar_t* path, int mode, const wchar_t* sheetName);
    // supportBinary always; supportDriver when a driver whose name contains "Excel" is installed.
    static void GetSupportExcel(DWORD* flags);

    void SetFieldInfo(const BYTE* types, int count);
    bool BeginWriteFile();
    bool AddHeaders(const std::vector<std::wstring>& headers);
    bool AddRow(const std::vector<std::wstring>& fields);
    bool EndWriteFile();

    // Mode 2 only (0 and false otherwise).
    long GetRowCount() const;
    bool ReadHeaders(std::vector<std::wstring>& headers) const;
    bool ReadRow(std::vector<std::wstring>& fields, long row) const;

    // Writing gives up at the next row once the flag turns true (null: never).
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_pCancel = cancel; }

    // The last problem of the driver mode ("Error writing file\n"...); empty when none.
    std::wstring GetErrorText() const;
    // Data rows left out because the sheet was full.
    long GetDroppedRows() const { return m_nDropped; }

private:
    bool WriteRecord(WORD type, const std::string& data);
    void StartCell(WORD type, WORD length, int column);
    // Writes the waiting records once they fill a block, or all of them.
    bool Flush(bool all = false);
    bool WriteText(int column, const std::wstring& text, size_t maxBytes);
    bool WriteNumber(int column, double value);
    bool WriteInteger(int column, WORD value);
    BYTE FieldType(int column) const;

    int m_nMode = 0;
    FILE* m_pFile = nullptr;
    std::unique_ptr<SpreadSheetTable> m_pSheet;
    std::vector<BYTE> m_fieldTypes;
    WORD m_wRow = 0;
    bool m_bFull = false;
    bool m_bHeadersWritten = false;
    long m_nDropped = 0;
    const std::atomic<bool>* m_pCancel = nullptr;
    std::string m_record; // the records waiting to go out in one block
    std::string m_text;
};

// Collects a header row and data rows, asks the user for a file name and writes the file on a worker
// thread: tab-separated text (".txt" and any other name), a binary worksheet or the driver's
// spreadsheet (".xls"), or an Office Open XML workbook (".xlsx": one sheet, shared strings, numbers as
// numbers, the header row bold and frozen).
//
// When the export ends, message 0x507 (WM_KX_EXPORTDONE) is posted to the notification window with
// wParam 0 and lParam the number of data rows the file format could not hold (0 when all were written).
// The collected rows belong to the export while it runs: calls that change them, and Save, wait for a
// running export to end first.
class UTIL_API CKXDataExport {
public:
    CKXDataExport();
    virtual ~CKXDataExport();
    CKXDataExport(const CKXDataExport&) = delete;
    CKXDataExport& operator=(const CKXDataExport&) = delete;

    void SetFieldInfo(const BYTE* types, int count);
    void AddHeaders(const std::vector<std::wstring>& headers);
    void AddRecord(const std::vector<std::wstring>& record);
    void SetMessageWnd(HWND window);

    // Asks for the file ("txt" by default); on confirmation starts the export and answers true, on
    // cancel discards every record and answers false.
    bool Save(const wchar_t* initialName);
    // Waits up to 2 s for the export, terminates it if it still runs, and discards every record.
    void StopThread();

    // The writers, also callable directly. ExportTxtData writes nothing when there are no records.
    bool ExportTxtData(FILE* file);
    bool ExportXlsData(const wchar_t* path, int mode);
    bool ExportXlsxData(const wchar_t* path);

private:
    static unsigned __stdcall ExportThread(void* self);
    void RunExport();
    void WaitForExport();
    void CloseThread();

    std::unique_ptr<CFileDialog> m_pDialog;
    LExcel m_excel;
    HWND m_hMessageWnd = nullptr;
    std::vector<std::wstring> m_headers;
    std::vector<std::vector<std::wstring>> m_records;
    std::vector<BYTE> m_fieldTypes;
    std::wstring m_strPath;
    HANDLE m_hThread = nullptr;
    std::atomic<bool> m_bStop{false};
    long m_nDropped = 0;
};
