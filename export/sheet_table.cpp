#include "export/sheet_table.h"

#include <util/format.h>
#include <util/strutil.h>

#include <set>

namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* tail)
{
    const size_t length = wcslen(tail);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, tail) == 0;
}

// A text value of an SQL statement, its quotes doubled so that an apostrophe keeps the row.
std::wstring Quoted(const std::wstring& text)
{
    std::wstring quoted = L"'";
    for (const wchar_t ch : text) {
        quoted += ch;
        if (ch == L'\'') {
            quoted += L'\'';
        }
    }
    return quoted + L"'";
}

// Statements list their parts each followed by ", "; the last one loses it.
void TrimSeparator(std::wstring& statement)
{
    if (statement.size() >= 2 && statement.compare(statement.size() - 2, 2, L", ") == 0) {
        statement.resize(statement.size() - 2);
    }
}

} // namespace

SpreadSheetTable::SpreadSheetTable(std::unique_ptr<IKxSheetDatabase> database, std::wstring path, std::wstring sheet)
    : m_database(std::move(database)), m_path(std::move(path)), m_sheet(std::move(sheet))
{
}

SpreadSheetTable::~SpreadSheetTable()
{
    if (m_database) {
        m_database->Disconnect();
    }
}

std::wstring SpreadSheetTable::FindDriver(IKxSheetDatabase& database)
{
    for (const std::wstring& name : database.Drivers()) {
        if (name.find(L"Excel") != std::wstring::npos) {
            return name;
        }
    }
    return {};
}

bool SpreadSheetTable::Open()
{
    const std::wstring driver = m_database ? FindDriver(*m_database) : std::wstring();
    if (driver.empty()) {
        m_error = L"Error writing file\n";
        return false;
    }
    m_bExisting = GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (m_bExisting && !EndsWithNoCase(m_path, L".xls")) {
        CopyFileW(m_path.c_str(), (m_path + L".bak").c_str(), FALSE);
    }
    const std::wstring connection =
        KxFormat(L"DRIVER={%s};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%s\";DBQ=%s", driver.c_str(),
                 m_path.c_str(), m_path.c_str());
    if (!m_database->Connect(connection)) {
        m_error = L"Error writing file\n";
        return false;
    }
    if (m_bExisting) {
        std::vector<std::wstring> columns;
        if (m_database->Query(KxFormat(L"SELECT * FROM [%s$]", m_sheet.c_str()), columns, m_rows)) {
            m_headers = columns;
            m_previousHeaders = columns;
            m_previousRows = m_rows;
        } else {
            m_rows.clear();
            m_bExisting = false;
        }
    }
    return true;
}

bool SpreadSheetTable::AddHeaders(const std::vector<std::wstring>& headers)
{
    if (headers.empty()) {
        m_error = L"Problems with adding headers\n";
        return false;
    }
    if (headers.size() < m_headers.size()) {
        m_error = L"Number of columns in new header row cannot be less than the number of columns in previous "
                  L"header row";
        return false;
    }
    const bool workbook = EndsWithNoCase(m_path, L".xls");
    std::vector<std::wstring> names;
    std::set<std::wstring, bool (*)(const std::wstring&, const std::wstring&)> seen(
        [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    for (std::wstring name : headers) {
        if (workbook) {
            for (wchar_t& ch : name) {
                ch = ch == L'.' ? L'_' : ch;
            }
        }
        if (!seen.insert(name).second) {
            m_error = KxFormat(L"Duplicate header row field:%s\n", name.c_str());
            return false;
        }
        names.push_back(name);
    }
    m_headers = std::move(names);
    return true;
}

bool SpreadSheetTable::AddRow(const std::vector<std::wstring>& fields)
{
    if (m_headers.empty()) {
        m_error = L"No header row. Add header row first\n";
        return false;
    }
    if (fields.size() > m_headers.size()) {
        m_error = L"Number of columns to be added cannot be greater than the number of fields\n";
        return false;
    }
    m_rows.push_back(fields);
    return true;
}

std::wstring SpreadSheetTable::Value(const std::wstring& field, BYTE type)
{
    if (type == KXFIELD_INTEGER) {
        return KxFormat(L"%d, ", _wtoi(field.c_str()));
    }
    if (type == KXFIELD_DOUBLE) {
        return KxFormat(L"%f, ", _wtof(field.c_str()));
    }
    return Quoted(field) + L", ";
}

bool SpreadSheetTable::WriteSheet(const std::wstring& sheet, const std::vector<std::wstring>& headers,
                                  const std::vector<std::vector<std::wstring>>& rows, const std::vector<BYTE>& types,
                                  const std::atomic<bool>* cancel)
{
    const auto typeOf = [&](size_t column) { return column < types.size() ? types[column] : BYTE(0); };
    std::wstring create = KxFormat(L"CREATE TABLE [%s$A1:IV65536] (", sheet.c_str());
    for (size_t column = 0; column < headers.size(); ++column) {
        const BYTE type = typeOf(column);
        create += L"[" + headers[column] + L"]" +
                  (type == KXFIELD_INTEGER ? L" Int, " : type == KXFIELD_DOUBLE ? L" Double, " : L" char(255), ");
    }
    TrimSeparator(create);
    if (!m_database->Execute(create + L")")) {
        return false;
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        if (cancel != nullptr && *cancel) {
            return false;
        }
        const std::vector<std::wstring>& fields = rows[row];
        // The sheet's row of this record: the header row is the first.
        std::wstring names = KxFormat(L"INSERT INTO [%s$A1:IV%d] (", sheet.c_str(), static_cast<int>(row + 2));
        std::wstring values;
        for (size_t column = 0; column < fields.size() && column < headers.size(); ++column) {
            names += L"[" + headers[column] + L"], ";
            values += Value(fields[column], typeOf(column));
        }
        TrimSeparator(names);
        TrimSeparator(values);
        if (!m_database->Execute(names + L") VALUES (" + values + L")")) {
            return false;
        }
    }
    return true;
}

bool SpreadSheetTable::Commit(const std::vector<BYTE>& types, const std::atomic<bool>* cancel)
{
    if (m_headers.empty()) {
        m_error = L"No header row. Add header row first\n";
        return false;
    }
    if (m_bExisting) {
        // A workbook keeps its previous sheet under a backup name before the sheet is written anew.
        if (EndsWithNoCase(m_path, L".xls")) {
            m_database->Execute(L"DROP TABLE [CSpreadSheetBackup$A1:IV65536]");
            WriteSheet(L"CSpreadSheetBackup", m_previousHeaders, m_previousRows, {}, cancel);
        }
        m_database->Execute(KxFormat(L"DROP TABLE [%s$A1:IV65536]", m_sheet.c_str()));
    }
    if (!WriteSheet(m_sheet, m_headers, m_rows, types, cancel)) {
        m_error = L"Error writing file\n";
        return false;
    }
    return true;
}

bool SpreadSheetTable::Row(long index, std::vector<std::wstring>& fields) const
{
    if (index < 0 || index >= RowCount()) {
        return false;
    }
    fields = m_rows[static_cast<size_t>(index)];
    return true;
}
