#include <util/dataexport.h>

#include <atomic>
#include <cstdlib>

#include "export/ansi_field.h"
#include "export/sheet_table.h"

namespace {

// Record types of the binary worksheet.
const WORD kBeginOfFile = 0x0009;
const WORD kIntegerCell = 0x0002;
const WORD kNumberCell = 0x0003;
const WORD kTextCell = 0x0004;
const WORD kEndOfFile = 0x000A;

const size_t kHeaderTextBytes = 255;
const size_t kCellTextBytes = 127;

std::atomic<KXSHEETDATABASEFACTORY> g_databaseFactory{nullptr};

std::unique_ptr<IKxSheetDatabase> CreateSheetDatabase()
{
    const KXSHEETDATABASEFACTORY factory = g_databaseFactory.load();
    return factory ? factory() : CreateOdbcSheetDatabase();
}

void PutWord(std::string& bytes, unsigned value)
{
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// A whole number 0..65535 written in full (no sign, no fraction, nothing after it).
bool ParseCellInteger(const std::wstring& text, WORD& value)
{
    const wchar_t* start = text.c_str();
    while (iswspace(*start)) {
        ++start;
    }
    if (*start == L'+') {
        ++start;
    }
    if (!iswdigit(*start)) {
        return false;
    }
    wchar_t* end = nullptr;
    const unsigned long parsed = wcstoul(start, &end, 10);
    while (iswspace(*end)) {
        ++end;
    }
    if (*end != 0 || parsed > 0xFFFF) {
        return false;
    }
    value = static_cast<WORD>(parsed);
    return true;
}

} // namespace

KXSHEETDATABASEFACTORY KxSetSheetDatabaseFactory(KXSHEETDATABASEFACTORY factory)
{
    return g_databaseFactory.exchange(factory);
}

LExcel::LExcel() = default;

LExcel::~LExcel()
{
    if (m_pFile != nullptr) {
        Flush(true);
        fclose(m_pFile);
    }
}

void LExcel::GetSupportExcel(DWORD* flags)
{
    if (flags == nullptr) {
        return;
    }
    *flags = supportBinary;
    const std::unique_ptr<IKxSheetDatabase> database = CreateSheetDatabase();
    if (database && !SpreadSheetTable::FindDriver(*database).empty()) {
        *flags |= supportDriver;
    }
}

bool LExcel::Init(const wchar_t* path, int mode, const wchar_t* sheetName)
{
    if (m_pFile != nullptr) {
        Flush(true);
        fclose(m_pFile);
        m_pFile = nullptr;
    }
    m_record.clear();
    m_pSheet.reset();
    m_nMode = 0;
    m_wRow = 0;
    m_bFull = false;
    m_bHeadersWritten = false;
    m_nDropped = 0;
    if (path == nullptr) {
        return false;
    }
    if (mode == modeBinary) {
        m_pFile = _wfopen(path, L"w+b");
        m_nMode = m_pFile ? modeBinary : 0;
        return m_pFile != nullptr;
    }
    if (mode == modeDriver) {
        m_pSheet = std::make_unique<SpreadSheetTable>(CreateSheetDatabase(), path, sheetName ? sheetName : L"Sheet1");
        m_nMode = modeDriver;
        return m_pSheet->Open();
    }
    return false;
}

void LExcel::SetFieldInfo(const BYTE* types, int count)
{
    m_fieldTypes.assign(types, types + (types && count > 0 ? count : 0));
}

BYTE LExcel::FieldType(int column) const
{
    return column < static_cast<int>(m_fieldTypes.size()) ? m_fieldTypes[static_cast<size_t>(column)] : BYTE(0);
}

bool LExcel::WriteRecord(WORD type, const std::string& data)
{
    PutWord(m_record, type);
    PutWord(m_record, static_cast<unsigned>(data.size()));
    m_record += data;
    return Flush();
}

void LExcel::StartCell(WORD type, WORD length, int column)
{
    PutWord(m_record, type);
    PutWord(m_record, length);
    PutWord(m_record, m_wRow);
    PutWord(m_record, static_cast<unsigned>(column));
    m_record.append(3, '\0'); // cell attributes
}

bool LExcel::Flush(bool all)
{
    constexpr size_t kBlockBytes = 64 * 1024;
    if (!all && m_record.size() < kBlockBytes) {
        return m_pFile != nullptr;
    }
    const bool written = m_pFile != nullptr && fwrite(m_record.data(), 1, m_record.size(), m_pFile) == m_record.size();
    m_record.clear();
    return written;
}

bool LExcel::WriteText(int column, const std::wstring& text, size_t maxBytes)
{
    m_text.clear();
    exportfield::AppendAnsi(m_text, text, maxBytes);
    StartCell(kTextCell, static_cast<WORD>(8 + m_text.size()), column);
    m_record.push_back(static_cast<char>(m_text.size()));
    m_record += m_text;
    return Flush();
}

bool LExcel::WriteNumber(int column, double value)
{
    StartCell(kNumberCell, 15, column);
    m_record.append(reinterpret_cast<const char*>(&value), sizeof(value)); // the target is little-endian
    return Flush();
}

bool LExcel::WriteInteger(int column, WORD value)
{
    StartCell(kIntegerCell, 9, column);
    PutWord(m_record, value);
    return Flush();
}

bool LExcel::BeginWriteFile()
{
    if (m_nMode != modeBinary) {
        return m_nMode == modeDriver;
    }
    std::string data;
    PutWord(data, 0x0002); // version
    PutWord(data, 0x0010); // a worksheet
    return WriteRecord(kBeginOfFile, data);
}

bool LExcel::AddHeaders(const std::vector<std::wstring>& headers)
{
    if (m_nMode == modeDriver) {
        m_bHeadersWritten = m_pSheet->AddHeaders(headers);
        return m_bHeadersWritten;
    }
    if (m_nMode != modeBinary) {
        return false;
    }
    m_wRow = 0;
    bool written = true;
    for (size_t column = 0; column < headers.size(); ++column) {
        written = WriteText(static_cast<int>(column), headers[column], kHeaderTextBytes) && written;
    }
    m_wRow = 1;
    m_bHeadersWritten = true;
    return written;
}

bool LExcel::AddRow(const std::vector<std::wstring>& fields)
{
    if (m_nMode == modeDriver) {
        return m_pSheet->AddRow(fields);
    }
    if (m_nMode != modeBinary) {
        return false;
    }
    // The row number is 16-bit: a row past the last one would overwrite the first rows.
    if (m_bFull) {
        ++m_nDropped;
        return false;
    }
    bool written = true;
    for (size_t index = 0; index < fields.size(); ++index) {
        const int column = static_cast<int>(index);
        const std::wstring& field = fields[index];
        WORD integer = 0;
        switch (FieldType(column)) {
        case KXFIELD_INTEGER:
            written = (ParseCellInteger(field, integer) ? WriteInteger(column, integer)
                                                         : WriteNumber(column, _wtof(field.c_str()))) &&
                      written;
            break;
        case KXFIELD_DOUBLE:
            written = WriteNumber(column, _wtof(field.c_str())) && written;
            break;
        default:
            written = WriteText(column, field, kCellTextBytes) && written;
            break;
        }
    }
    if (m_wRow == kLastRow) {
        m_bFull = true;
    } else {
        ++m_wRow;
    }
    return written;
}

bool LExcel::EndWriteFile()
{
    if (m_nMode == modeDriver) {
        return m_pSheet->Commit(m_fieldTypes, m_pCancel);
    }
    if (m_nMode != modeBinary) {
        return false;
    }
    const bool written = WriteRecord(kEndOfFile, std::string()) && Flush(true);
    const bool closed = fclose(m_pFile) == 0;
    m_pFile = nullptr;
    return written && closed;
}

long LExcel::GetRowCount() const
{
    return m_nMode == modeDriver ? m_pSheet->RowCount() : 0;
}

bool LExcel::ReadHeaders(std::vector<std::wstring>& headers) const
{
    if (m_nMode != modeDriver) {
        return false;
    }
    headers = m_pSheet->Headers();
    return !headers.empty();
}

bool LExcel::ReadRow(std::vector<std::wstring>& fields, long row) const
{
    return m_nMode == modeDriver && m_pSheet->Row(row, fields);
}

std::wstring LExcel::GetErrorText() const
{
    return m_pSheet ? m_pSheet->Error() : std::wstring();
}
