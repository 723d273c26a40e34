#include "export/xlsx_writer.h"

#include <util/dataexport.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string_view>
#include <thread>

#include "encoding/zip_storage.h"
#include "encoding/zip_writer.h"
#include "export/chunk_pipe.h"

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
void AppendXmlText(std::string& out, std::wstring_view text)
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

// The longest plain decimal: 15 digits, a sign and a point.
const size_t kMaxPlainDecimal = 17;
// What one cell and the row around the cells can take at most.
const size_t kCellBound = 48;
const size_t kRowBound = 24;

template <size_t N>
char* Put(char* at, const char (&text)[N])
{
    std::memcpy(at, text, N - 1);
    return at + N - 1;
}

// Copies a plain decimal literal ("-12.5", "300") of at most 15 digits, a number the cell holds
// exactly as the text gives it; null for any other text.
char* PutPlainDecimal(char* at, const std::wstring& text)
{
    if (text.size() > kMaxPlainDecimal) {
        return nullptr;
    }
    const wchar_t* unit = text.c_str();
    if (*unit == L'-') {
        *at++ = '-';
        ++unit;
    }
    if (*unit < L'0' || *unit > L'9') {
        return nullptr;
    }
    size_t digits = 0;
    bool dot = false;
    for (; *unit != 0; ++unit) {
        if (*unit >= L'0' && *unit <= L'9') {
            ++digits;
        } else if (*unit == L'.' && !dot) {
            dot = true;
        } else {
            return nullptr;
        }
        *at++ = static_cast<char>(*unit);
    }
    return digits <= 15 ? at : nullptr;
}

char* PutDecimal(char* at, size_t value)
{
    return std::to_chars(at, at + 20, value).ptr;
}

// The workbook's table of distinct texts, in the order first met. Open addressing with each slot's
// hash kept beside its index holds a lookup to about one cache miss: a sheet can carry hundreds of
// thousands of distinct codes.
class SharedStrings {
public:
    // The texts are the records' own, which stay unchanged while the workbook is written.
    size_t IndexOf(std::wstring_view text)
    {
        ++m_uses;
        if ((m_texts.size() + 1) * 2 > m_slots.size()) {
            Grow();
        }
        const size_t hash = std::hash<std::wstring_view>()(text);
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.index == kNoIndex) {
                slot = Slot{hash, m_texts.size()};
                Add(text);
                return slot.index;
            }
            if (slot.hash == hash && m_texts[slot.index] == text) {
                return slot.index;
            }
        }
    }

    std::string Part() const
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
               std::to_string(m_uses) + "\" uniqueCount=\"" + std::to_string(m_texts.size()) + "\">" + m_xml +
               "</sst>";
    }

private:
    static const size_t kNoIndex = ~size_t(0);
    struct Slot {
        size_t hash = 0;
        size_t index = kNoIndex;
    };

    void Add(std::wstring_view text)
    {
        m_texts.push_back(text);
        // Readers trim unmarked text of its outer spaces.
        const bool padded = !text.empty() && (iswspace(text.front()) || iswspace(text.back()));
        m_xml += padded ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        AppendXmlText(m_xml, text);
        m_xml += "</t></si>";
    }

    void Grow()
    {
        std::vector<Slot> slots(std::max<size_t>(1024, m_slots.size() * 2));
        const size_t mask = slots.size() - 1;
        for (const Slot& slot : m_slots) {
            if (slot.index != kNoIndex) {
                size_t at = slot.hash & mask;
                while (slots[at].index != kNoIndex) {
                    at = (at + 1) & mask;
                }
                slots[at] = slot;
            }
        }
        m_slots.swap(slots);
    }

    std::vector<Slot> m_slots;
    std::vector<std::wstring_view> m_texts;
    std::string m_xml;
    size_t m_uses = 0;
};

// The worksheet part, written row by row into the pipe. Rows and cells follow one another without
// references: every row lists all of its columns from the first.
class SheetWriter {
public:
    SheetWriter(ChunkPipe& pipe, SharedStrings& strings, const std::vector<BYTE>& types)
        : m_pipe(pipe), m_strings(strings), m_types(types)
    {
    }

    bool Begin(bool frozenHeader)
    {
        static const char kStart[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
        static const char kFrozenHeader[] = "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" "
                                            "topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"
                                            "</sheetView></sheetViews>";
        return Write(kStart) && (!frozenHeader || Write(kFrozenHeader)) && Write("<sheetData>");
    }

    bool AddRow(const std::vector<std::wstring>& fields, bool header)
    {
        char* at = m_pipe.Room(kRowBound + fields.size() * kCellBound);
        if (at == nullptr) {
            return false;
        }
        at = Put(at, "<row>");
        for (size_t column = 0; column < fields.size(); ++column) {
            at = PutCell(at, column, fields[column], header);
        }
        m_pipe.Wrote(Put(at, "</row>"));
        return true;
    }

    bool End() { return Write("</sheetData></worksheet>"); }

private:
    template <size_t N>
    bool Write(const char (&text)[N])
    {
        char* at = m_pipe.Room(N);
        if (at != nullptr) {
            m_pipe.Wrote(Put(at, text));
        }
        return at != nullptr;
    }

    char* PutCell(char* at, size_t column, const std::wstring& text, bool header)
    {
        const BYTE type = column < m_types.size() ? m_types[column] : BYTE(0);
        if (!header && (type == KXFIELD_INTEGER || type == KXFIELD_DOUBLE)) {
            char* const value = Put(at, "<c><v>");
            char* end = PutPlainDecimal(value, text);
            double number = 0;
            if (end == nullptr && ParseNumber(text, number)) {
                end = std::to_chars(value, value + 32, number).ptr; // the shortest text that reads back the same
            }
            if (end != nullptr) {
                return Put(end, "</v></c>");
            }
        }
        at = header ? Put(at, "<c s=\"1\" t=\"s\"><v>") : Put(at, "<c t=\"s\"><v>");
        return Put(PutDecimal(at, m_strings.IndexOf(text)), "</v></c>");
    }

    ChunkPipe& m_pipe;
    SharedStrings& m_strings;
    const std::vector<BYTE>& m_types;
};

// Writes the sheet into the pipe, beside the caller deflating it; gives up when stop turns true.
void WriteSheet(ChunkPipe& pipe, SharedStrings& strings, const XlsxSheetData& data, size_t rows,
                const std::atomic<bool>& stop)
{
    SheetWriter sheet(pipe, strings, data.types);
    const bool hasHeader = !data.headers.empty();
    bool written = sheet.Begin(hasHeader) && (!hasHeader || sheet.AddRow(data.headers, true));
    for (size_t row = 0; written && row < rows; ++row) {
        written = !stop && sheet.AddRow(data.rows[row], false);
    }
    pipe.Finish(written && sheet.End());
}

// A thread that fills a pipe; leaving the scope makes the pipe's reader quit and joins the thread,
// so an abandoned part never leaves it behind.
class PipeWriterThread {
public:
    template <typename Work>
    PipeWriterThread(ChunkPipe& pipe, Work work) : m_pipe(pipe), m_thread(work)
    {
    }
    PipeWriterThread(const PipeWriterThread&) = delete;
    PipeWriterThread& operator=(const PipeWriterThread&) = delete;
    ~PipeWriterThread()
    {
        m_pipe.Quit();
        m_thread.join();
    }

private:
    ChunkPipe& m_pipe;
    std::thread m_thread;
};

// One archive being written; an unfinished archive is closed and its file removed.
class ZipPackage {
public:
    explicit ZipPackage(const wchar_t* path) : m_path(path)
    {
        encoding::UniqueHandle file(
            CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) {
            m_zip = std::make_unique<encoding::ZipWriter>(encoding::MakeFileSink(std::move(file)));
        }
    }
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;
    ~ZipPackage()
    {
        if (m_zip != nullptr && !m_finished) {
            m_zip.reset();
            DeleteFileW(m_path.c_str());
        }
    }

    bool Add(const wchar_t* name, const std::string& part, int level = kDefaultLevel)
    {
        return m_zip != nullptr && m_zip->SetLevel(level) == ZIPRES_OK &&
               m_zip->AddMemory(name, part.data(), part.size()) == ZIPRES_OK;
    }
    bool Add(const wchar_t* name, encoding::EntryContent& content, int level)
    {
        return m_zip != nullptr && m_zip->SetLevel(level) == ZIPRES_OK && m_zip->AddContent(name, content) == ZIPRES_OK;
    }
    bool Finish()
    {
        m_finished = m_zip != nullptr && m_zip->End() == ZIPRES_OK;
        return m_finished;
    }

private:
    static const int kDefaultLevel = -1;
    std::wstring m_path;
    std::unique_ptr<encoding::ZipWriter> m_zip;
    bool m_finished = false;
};

} // namespace

bool WriteXlsxWorkbook(const wchar_t* path, const XlsxSheetData& data, const std::atomic<bool>& stop, long* dropped)
{
    const size_t room = kMaxSheetRows - (data.headers.empty() ? 0 : 1);
    const size_t written = std::min(room, data.rows.size());
    if (dropped != nullptr) {
        *dropped = static_cast<long>(data.rows.size() - written);
    }
    ZipPackage package(path);
    if (!package.Add(L"[Content_Types].xml", kContentTypes) || !package.Add(L"_rels/.rels", kPackageRelations) ||
        !package.Add(L"xl/workbook.xml", kWorkbook) || !package.Add(L"xl/_rels/workbook.xml.rels", kWorkbookRelations) ||
        !package.Add(L"xl/styles.xml", kStyles)) {
        return false;
    }
    SharedStrings strings;
    {
        ChunkPipe pipe;
        PipeWriterThread writer(pipe, [&] { WriteSheet(pipe, strings, data, written, stop); });
        if (!package.Add(L"xl/worksheets/sheet1.xml", pipe, kBulkLevel)) {
            return false;
        }
    }
    return package.Add(L"xl/sharedStrings.xml", strings.Part(), kBulkLevel) && package.Finish();
}
