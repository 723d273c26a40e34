#include "export/xlsx_writer.h"

#include <util/dataexport.h>
#include <util/zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <unordered_map>

namespace {

const size_t kMaxSheetRows = 1048576;
// The cells' parts are large and repetitive: the fastest deflate level packs them nearly as small
// as the default, several times faster.
const int kBulkLevel = 1;

const char kContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/sharedStrings.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>";

const char kPackageRelations[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

const char kWorkbook[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";

const char kWorkbookRelations[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
    "Target=\"sharedStrings.xml\"/>"
    "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>";

// Style 1 is the header row's bold font.
const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"宋体\"/></font>"
    "<font><b/><sz val=\"11\"/><name val=\"宋体\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

// Appends text as XML character data in UTF-8. Characters XML cannot hold are written in the
// workbook format's own _xHHHH_ escape.
void AppendXmlText(std::string& out, const std::wstring& text)
{
    for (size_t at = 0; at < text.size(); ++at) {
        unsigned code = text[at];
        if (code >= 0xD800 && code < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        }
        switch (code) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        default: break;
        }
        if ((code < 0x20 && code != '\t' && code != '\n' && code != '\r') || (code >= 0xD800 && code < 0xE000) ||
            code == 0xFFFE || code == 0xFFFF) {
            char escape[16];
            snprintf(escape, sizeof(escape), "_x%04X_", code);
            out += escape;
        } else if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
}

// The whole text as a finite number.
bool ParseNumber(const std::wstring& text, double& value)
{
    const wchar_t* start = text.c_str();
    while (iswspace(*start)) {
        ++start;
    }
    if (*start == 0) {
        return false;
    }
    wchar_t* end = nullptr;
    value = wcstod(start, &end);
    while (iswspace(*end)) {
        ++end;
    }
    return *end == 0 && std::isfinite(value);
}

// A plain decimal literal ("-12.5", "300") of at most 15 digits: a finite number the cell can hold
// exactly as the text gives it.
bool IsPlainDecimal(const std::wstring& text)
{
    const size_t start = !text.empty() && text[0] == L'-' ? 1 : 0;
    if (start >= text.size() || text[start] < L'0' || text[start] > L'9') {
        return false;
    }
    size_t digits = 0, dots = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] >= L'0' && text[i] <= L'9') {
            ++digits;
        } else if (text[i] == L'.' && dots == 0) {
            ++dots;
        } else {
            return false;
        }
    }
    return digits <= 15;
}

// The shortest text that reads back as the same double.
void AppendNumber(std::string& out, double value)
{
    char text[32];
    snprintf(text, sizeof(text), "%.15g", value);
    if (strtod(text, nullptr) != value) {
        snprintf(text, sizeof(text), "%.17g", value);
    }
    out += text;
}

// Text known to be ASCII, byte for byte.
void AppendAscii(std::string& out, const std::wstring& text)
{
    const size_t start = out.size();
    out.resize(start + text.size());
    std::transform(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(start),
                   [](wchar_t unit) { return static_cast<char>(unit); });
}

void AppendDecimal(std::string& out, size_t value)
{
    char digits[24];
    char* end = digits + sizeof(digits);
    char* at = end;
    do {
        *--at = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    out.append(at, end);
}

class SharedStrings {
public:
    size_t IndexOf(const std::wstring& text)
    {
        ++m_uses;
        const auto known = m_indexes.find(text);
        if (known != m_indexes.end()) {
            return known->second;
        }
        const size_t index = m_indexes.size();
        m_indexes.emplace(text, index);
        m_xml += "<si><t xml:space=\"preserve\">";
        AppendXmlText(m_xml, text);
        m_xml += "</t></si>";
        return index;
    }

    std::string Part() const
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
               std::to_string(m_uses) + "\" uniqueCount=\"" + std::to_string(m_indexes.size()) + "\">" + m_xml +
               "</sst>";
    }

private:
    std::unordered_map<std::wstring, size_t> m_indexes;
    std::string m_xml;
    size_t m_uses = 0;
};

class SheetBuilder {
public:
    SheetBuilder(SharedStrings& strings, const std::vector<BYTE>& types) : m_strings(strings), m_types(types) {}

    void Begin(bool frozenHeader, size_t cells)
    {
        // About what a short number cell takes.
        m_xml.reserve(cells * 20);
        m_xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
        if (frozenHeader) {
            m_xml += "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
                     "activePane=\"bottomLeft\" state=\"frozen\"/></sheetView></sheetViews>";
        }
        m_xml += "<sheetData>";
    }

    void AddRow(const std::vector<std::wstring>& fields, bool header)
    {
        m_xml += "<row r=\"";
        AppendDecimal(m_xml, m_row + 1);
        m_xml += "\">";
        for (size_t column = 0; column < fields.size(); ++column) {
            AddCell(column, fields[column], header);
        }
        m_xml += "</row>";
        ++m_row;
    }

    const std::string& End()
    {
        m_xml += "</sheetData></worksheet>";
        return m_xml;
    }

private:
    // Cells follow one another without references: each row lists all of its columns.
    void AddCell(size_t column, const std::wstring& text, bool header)
    {
        double value = 0;
        const BYTE type = column < m_types.size() ? m_types[column] : BYTE(0);
        const bool numeric = !header && (type == KXFIELD_INTEGER || type == KXFIELD_DOUBLE);
        if (numeric && IsPlainDecimal(text)) {
            m_xml += "<c><v>";
            AppendAscii(m_xml, text);
        } else if (numeric && ParseNumber(text, value)) {
            m_xml += "<c><v>";
            AppendNumber(m_xml, value);
        } else {
            m_xml += header ? "<c s=\"1\" t=\"s\"><v>" : "<c t=\"s\"><v>";
            AppendDecimal(m_xml, m_strings.IndexOf(text));
        }
        m_xml += "</v></c>";
    }

    SharedStrings& m_strings;
    const std::vector<BYTE>& m_types;
    std::string m_xml;
    size_t m_row = 0;
};

// One archive being written; abandoned archives are closed and their file removed.
class ZipPackage {
public:
    explicit ZipPackage(const wchar_t* path)
        : m_path(path), m_zip(CreateZipZ(const_cast<wchar_t*>(path), 0, ZIPKIND_FILENAME))
    {
    }
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;
    ~ZipPackage()
    {
        if (m_zip != nullptr) {
            CloseZipZ(m_zip);
            DeleteFileW(m_path.c_str());
        }
    }

    bool Add(const wchar_t* name, const std::string& part, int level = -1)
    {
        return m_zip != nullptr && ZipSetLevel(m_zip, level) == ZIPRES_OK && ZipAdd(m_zip, name, const_cast<char*>(part.data()),
                                          static_cast<unsigned>(part.size()), ZIPKIND_MEMORY) == ZIPRES_OK;
    }
    bool Finish()
    {
        const bool closed = m_zip != nullptr && CloseZipZ(m_zip) == ZIPRES_OK;
        m_zip = nullptr;
        return closed;
    }

private:
    std::wstring m_path;
    HZIP m_zip;
};

} // namespace

bool WriteXlsxWorkbook(const wchar_t* path, const XlsxSheetData& data, const std::atomic<bool>& stop, long* dropped)
{
    SharedStrings strings;
    SheetBuilder sheet(strings, data.types);
    const bool hasHeader = !data.headers.empty();
    const size_t room = kMaxSheetRows - (hasHeader ? 1 : 0);
    const size_t written = std::min(room, data.rows.size());
    sheet.Begin(hasHeader, (written + 1) * std::max<size_t>(data.headers.size(), 1));
    if (hasHeader) {
        sheet.AddRow(data.headers, true);
    }
    for (size_t row = 0; row < written; ++row) {
        if (stop) {
            return false;
        }
        sheet.AddRow(data.rows[row], false);
    }
    if (dropped != nullptr) {
        *dropped = static_cast<long>(data.rows.size() - written);
    }
    ZipPackage package(path);
    return package.Add(L"[Content_Types].xml", kContentTypes) && package.Add(L"_rels/.rels", kPackageRelations) &&
           package.Add(L"xl/workbook.xml", kWorkbook) && package.Add(L"xl/_rels/workbook.xml.rels", kWorkbookRelations) &&
           package.Add(L"xl/styles.xml", kStyles) && package.Add(L"xl/sharedStrings.xml", strings.Part(), kBulkLevel) &&
           package.Add(L"xl/worksheets/sheet1.xml", sheet.End(), kBulkLevel) && package.Finish();
}
