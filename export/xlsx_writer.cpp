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
#include <system_error>
#include <thread>

#include "encoding/zip_storage.h"
#include "encoding/zip_writer.h"
#include "export/deflated_piece.h"

namespace {

const size_t kMaxSheetRows = 1048576;
// The sheet is written and deflated in ranges of rows on several threads, each range large enough
// to be worth a thread.
const size_t kMaxSheetThreads = 8;
const size_t kMinRowsPerThread = 512;
// The sheet's text goes to deflate in steps of about this size.
const size_t kDeflateStep = 1 << 18;

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
        case '\r': out += "&#13;"; continue; // a parser would turn a bare one into a line feed
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
// What a number cell or a shared text cell takes at most.
const size_t kCellBound = 48;

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

// The cell's number: the plain decimal as given, else the shortest text that reads back as the same
// value; null when the text is not a number.
char* PutNumber(char* at, const std::wstring& text)
{
    char* end = PutPlainDecimal(at, text);
    double value = 0;
    if (end == nullptr && ParseNumber(text, value)) {
        end = std::to_chars(at, at + 32, value).ptr;
    }
    return end;
}

// Columns typed integer or double hold numbers (or, where a text is none, the text inline); all
// other cells and the header row hold shared texts.
bool IsNumberCell(const std::vector<BYTE>& types, size_t column, bool header)
{
    const BYTE type = column < types.size() ? types[column] : BYTE(0);
    return !header && (type == KXFIELD_INTEGER || type == KXFIELD_DOUBLE);
}

// A table of distinct texts, in the order first met. The texts are copied back to back
// as they come, while still in the cache, so that later comparisons and the part read them in one
// place; open addressing with each slot's hash beside its index holds a lookup to about one cache
// miss. A sheet can carry hundreds of thousands of distinct codes.
class SharedStrings {
public:
    explicit SharedStrings(const std::vector<BYTE>& types) : m_types(types) {}

    // Appends the index of each of the row's shared cells to cells.
    void AddRow(const std::vector<std::wstring>& fields, bool header, std::vector<uint32_t>& cells)
    {
        for (size_t column = 0; column < fields.size(); ++column) {
            if (!IsNumberCell(m_types, column, header)) {
                cells.push_back(IndexOf(fields[column]));
                ++m_uses;
            }
        }
    }

    uint32_t Count() const { return static_cast<uint32_t>(m_starts.size() - 1); }
    size_t Uses() const { return m_uses; }

    // The table's items of the part, in the order of the indexes.
    void AppendItems(std::string& part) const
    {
        part.reserve(part.size() + m_chars.size() + Count() * 18);
        for (uint32_t index = 0; index < Count(); ++index) {
            const std::wstring_view text = Text(index);
            // Readers may trim or fold the white space of unmarked text.
            const bool spaced = !text.empty() && (iswspace(text.front()) || iswspace(text.back()) ||
                                                  text.find_first_of(L"\t\r\n") != std::wstring_view::npos);
            part += spaced ? "<si><t xml:space=\"preserve\">" : "<si><t>";
            AppendXmlText(part, text);
            part += "</t></si>";
        }
    }

private:
    static const uint32_t kNoIndex = ~uint32_t(0);
    struct Slot {
        size_t hash = 0;
        uint32_t index = kNoIndex;
    };

    std::wstring_view Text(uint32_t index) const
    {
        return std::wstring_view(m_chars.data() + m_starts[index], m_starts[index + 1] - m_starts[index]);
    }

    uint32_t IndexOf(std::wstring_view text)
    {
        if ((Count() + 1) * 2 > m_slots.size()) {
            Grow();
        }
        const size_t hash = std::hash<std::wstring_view>()(text);
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.index == kNoIndex) {
                slot = Slot{hash, Count()};
                m_chars.insert(m_chars.end(), text.begin(), text.end());
                m_starts.push_back(m_chars.size());
                return slot.index;
            }
            if (slot.hash == hash && Text(slot.index) == text) {
                return slot.index;
            }
        }
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

    const std::vector<BYTE>& m_types;
    std::vector<Slot> m_slots;
    std::vector<wchar_t> m_chars;        // the distinct texts back to back
    std::vector<size_t> m_starts{0};     // where each begins in m_chars, and where the last ends
    size_t m_uses = 0;
};

// Rows of the sheet from first to end; the first range also holds the start of the part and the
// header row, the last one its end. The range's shared texts have a table of their own, whose items
// stand in the workbook's table from firstString on; cells holds the shared cells' indexes in it, in
// the order of the cells.
struct SheetRange {
    explicit SheetRange(const std::vector<BYTE>& types) : strings(types) {}

    size_t first = 0;
    size_t end = 0;
    bool opening = false;
    bool closing = false;
    SharedStrings strings;
    std::vector<uint32_t> cells;
    uint32_t firstString = 0;
};

// The rows split among the processors, in ranges large enough to be worth a thread.
std::vector<SheetRange> SplitRows(size_t rows, const std::vector<BYTE>& types)
{
    const size_t processors = std::max<unsigned>(1, std::thread::hardware_concurrency());
    const size_t count = std::max<size_t>(1, std::min({processors, kMaxSheetThreads, rows / kMinRowsPerThread}));
    std::vector<SheetRange> ranges(count, SheetRange(types));
    for (size_t index = 0; index < count; ++index) {
        ranges[index].first = rows * index / count;
        ranges[index].end = rows * (index + 1) / count;
        ranges[index].opening = index == 0;
        ranges[index].closing = index + 1 == count;
    }
    return ranges;
}

// Writes a range of the worksheet part into its deflated piece. Rows and cells follow one another
// without references: every row lists all of its columns from the first.
class SheetWriter {
public:
    SheetWriter(const std::vector<BYTE>& types, const uint32_t* sharedCells, uint32_t firstString,
                DeflatedPiece& piece)
        : m_types(types), m_sharedCells(sharedCells), m_firstString(firstString), m_piece(piece)
    {
        m_xml.reserve(kDeflateStep + kDeflateStep / 2);
    }

    void Begin(bool frozenHeader)
    {
        m_xml += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                 "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
        if (frozenHeader) {
            m_xml += "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
                     "activePane=\"bottomLeft\" state=\"frozen\"/></sheetView></sheetViews>";
        }
        m_xml += "<sheetData>";
    }

    bool AddRow(const std::vector<std::wstring>& fields, bool header)
    {
        m_xml += "<row>";
        for (size_t column = 0; column < fields.size(); ++column) {
            AddCell(fields[column], IsNumberCell(m_types, column, header), header);
        }
        m_xml += "</row>";
        return m_xml.size() < kDeflateStep || Flush();
    }

    bool End(bool closing)
    {
        if (closing) {
            m_xml += "</sheetData></worksheet>";
        }
        return Flush() && m_piece.End();
    }

private:
    void AddCell(const std::wstring& text, bool number, bool header)
    {
        char cell[kCellBound];
        char* end = nullptr;
        if (number) {
            char* const value = Put(cell, "<c><v>");
            end = PutNumber(value, text);
            if (end == nullptr) {
                m_xml += "<c t=\"inlineStr\"><is><t xml:space=\"preserve\">";
                AppendXmlText(m_xml, text);
                m_xml += "</t></is></c>";
                return;
            }
        } else {
            end = header ? Put(cell, "<c s=\"1\" t=\"s\"><v>") : Put(cell, "<c t=\"s\"><v>");
            end = std::to_chars(end, end + 10, m_firstString + *m_sharedCells++).ptr;
        }
        end = Put(end, "</v></c>");
        m_xml.append(cell, static_cast<size_t>(end - cell));
    }

    bool Flush()
    {
        const bool deflated = m_piece.Add(m_xml.data(), m_xml.size());
        m_xml.clear();
        return deflated;
    }

    const std::vector<BYTE>& m_types;
    const uint32_t* m_sharedCells;
    const uint32_t m_firstString;
    DeflatedPiece& m_piece;
    std::string m_xml;
};

// The worker threads of one workbook. Leaving the scope early makes them give up, and joins them.
class SheetThreads {
public:
    explicit SheetThreads(const std::atomic<bool>& stop) : m_stop(stop) {}
    SheetThreads(const SheetThreads&) = delete;
    SheetThreads& operator=(const SheetThreads&) = delete;
    ~SheetThreads()
    {
        m_abandoned = true;
        Join();
    }

    // Runs the work on a new thread, or on the caller's where the system has no thread to give.
    template <typename Work>
    void Start(Work work)
    {
        try {
            m_threads.emplace_back(work);
        } catch (const std::system_error&) {
            work();
        }
    }
    void Join()
    {
        for (std::thread& thread : m_threads) {
            thread.join();
        }
        m_threads.clear();
    }
    bool Stopped() const { return m_stop || m_abandoned; }

private:
    const std::atomic<bool>& m_stop;
    std::atomic<bool> m_abandoned{false};
    std::vector<std::thread> m_threads;
};

// Gives the range's shared cells their indexes in the range's table; false when stopped.
bool CollectSharedCells(const XlsxSheetData& data, const SheetThreads& threads, SheetRange& range)
{
    if (range.opening && !data.headers.empty()) {
        range.strings.AddRow(data.headers, true, range.cells);
    }
    for (size_t row = range.first; row < range.end; ++row) {
        if (threads.Stopped()) {
            return false;
        }
        range.strings.AddRow(data.rows[row], false, range.cells);
    }
    return true;
}

// The workbook's table of shared texts is the ranges' tables one after another; a text in several
// ranges has an item in each.
void PlaceSharedStrings(std::vector<SheetRange>& ranges)
{
    uint32_t first = 0;
    for (SheetRange& range : ranges) {
        range.firstString = first;
        first += range.strings.Count();
    }
}

std::string SharedStringsPart(const std::vector<SheetRange>& ranges)
{
    size_t uses = 0;
    for (const SheetRange& range : ranges) {
        uses += range.strings.Uses();
    }
    const SheetRange& last = ranges.back();
    std::string part = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
                       std::to_string(uses) + "\" uniqueCount=\"" +
                       std::to_string(last.firstString + last.strings.Count()) + "\">";
    for (const SheetRange& range : ranges) {
        range.strings.AppendItems(part);
    }
    part += "</sst>";
    return part;
}

bool WriteSheetRange(const XlsxSheetData& data, const SheetRange& range, const SheetThreads& threads,
                     DeflatedPiece& piece)
{
    SheetWriter sheet(data.types, range.cells.data(), range.firstString, piece);
    const bool hasHeader = !data.headers.empty();
    if (range.opening) {
        sheet.Begin(hasHeader);
        if (hasHeader && !sheet.AddRow(data.headers, true)) {
            return false;
        }
    }
    for (size_t row = range.first; row < range.end; ++row) {
        if (threads.Stopped() || !sheet.AddRow(data.rows[row], false)) {
            return false;
        }
    }
    return sheet.End(range.closing);
}

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
    bool Add(const wchar_t* name, const DeflatedEntry& entry)
    {
        return m_zip != nullptr &&
               m_zip->AddDeflated(name, entry.bytes.data(), entry.bytes.size(), entry.crc, entry.size) == ZIPRES_OK;
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
    const size_t rows = std::min(room, data.rows.size());
    if (dropped != nullptr) {
        *dropped = static_cast<long>(data.rows.size() - rows);
    }
    ZipPackage package(path);
    if (!package.Add(L"[Content_Types].xml", kContentTypes) || !package.Add(L"_rels/.rels", kPackageRelations) ||
        !package.Add(L"xl/workbook.xml", kWorkbook) || !package.Add(L"xl/_rels/workbook.xml.rels", kWorkbookRelations) ||
        !package.Add(L"xl/styles.xml", kStyles)) {
        return false;
    }
    // First every range indexes its shared texts, then every range writes and deflates its rows, each
    // range on a thread of its own; the workbook's table of texts is made between the two.
    std::vector<SheetRange> ranges = SplitRows(rows, data.types);
    std::vector<DeflatedPiece> pieces(ranges.size());
    std::vector<char> done(ranges.size(), false);
    SheetThreads threads(stop); // last, so that leaving early joins the threads before what they use goes
    for (size_t index = 0; index < ranges.size(); ++index) {
        threads.Start([&, index] { done[index] = CollectSharedCells(data, threads, ranges[index]); });
    }
    threads.Join();
    const auto allDone = [&done] { return std::all_of(done.begin(), done.end(), [](char one) { return one != 0; }); };
    if (!allDone()) {
        return false;
    }
    PlaceSharedStrings(ranges);
    for (size_t index = 0; index < ranges.size(); ++index) {
        threads.Start([&, index] { done[index] = WriteSheetRange(data, ranges[index], threads, pieces[index]); });
    }
    if (!package.Add(L"xl/sharedStrings.xml", SharedStringsPart(ranges), DeflatedPiece::kLevel)) {
        return false;
    }
    threads.Join();
    DeflatedEntry sheet;
    return allDone() && JoinPieces(pieces, sheet) && package.Add(L"xl/worksheets/sheet1.xml", sheet) && package.Finish();
}
