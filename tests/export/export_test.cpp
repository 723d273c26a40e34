#include <util/dataexport.h>
#include <util/kxmsg.h>
#include <util/strutil.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_tools.h"
#include "support/process.h"
#include "support/pump.h"

namespace {

using Row = std::vector<std::wstring>;

// The save dialog's double: answers the path it was given (or cancels) and keeps what it was asked.
struct DialogDouble {
    static std::wstring answer; // empty: the user cancels
    static OPENFILENAMEW asked;
    static std::wstring filter;

    static BOOL WINAPI Show(OPENFILENAMEW* ofn)
    {
        asked = *ofn;
        const wchar_t* end = ofn->lpstrFilter;
        while (end[0] != 0 || end[1] != 0) {
            ++end;
        }
        filter.assign(ofn->lpstrFilter, end + 2);
        if (answer.empty()) {
            return FALSE;
        }
        lstrcpynW(ofn->lpstrFile, answer.c_str(), static_cast<int>(ofn->nMaxFile));
        return TRUE;
    }
};
std::wstring DialogDouble::answer;
OPENFILENAMEW DialogDouble::asked;
std::wstring DialogDouble::filter;

// The driver mode's connection double: one spreadsheet driver, statements recorded, optionally slow.
struct DatabaseDouble : IKxSheetDatabase {
    static std::vector<std::wstring> statements;
    static DWORD delay;

    std::vector<std::wstring> Drivers() override { return {L"SQL Server", L"Microsoft Excel Driver (*.xls)"}; }
    bool Connect(const std::wstring& connection) override
    {
        statements.push_back(L"CONNECT " + connection);
        return true;
    }
    bool Execute(const std::wstring& statement) override
    {
        Sleep(delay);
        statements.push_back(statement);
        return true;
    }
    bool Query(const std::wstring&, std::vector<std::wstring>&, std::vector<std::vector<std::wstring>>&) override
    {
        return false;
    }
    void Disconnect() override {}

    static std::unique_ptr<IKxSheetDatabase> Make() { return std::make_unique<DatabaseDouble>(); }
};
std::vector<std::wstring> DatabaseDouble::statements;
DWORD DatabaseDouble::delay = 0;

// A message-only window that counts the export's end messages.
class DoneCounter {
public:
    DoneCounter() : m_window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~DoneCounter() { DestroyWindow(m_window); }
    HWND window() const { return m_window; }

    // Waits for one message, then makes sure no second one follows.
    int Wait(DWORD milliseconds, LPARAM* lParam = nullptr)
    {
        int count = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            MSG msg;
            while (PeekMessageW(&msg, m_window, WM_KX_EXPORTDONE, WM_KX_EXPORTDONE, PM_REMOVE)) {
                ++count;
                if (lParam != nullptr) {
                    *lParam = msg.lParam;
                }
            }
            if (count > 0 && GetTickCount() - start > 200) {
                break;
            }
            Sleep(5);
        }
        return count;
    }

private:
    HWND m_window;
};

class DataExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousDialog = KxSetFileDialogCall(FALSE, &DialogDouble::Show);
        DatabaseDouble::statements.clear();
        DatabaseDouble::delay = 0;
        m_export.SetMessageWnd(m_done.window());
    }
    void TearDown() override
    {
        m_export.StopThread();
        KxSetFileDialogCall(FALSE, m_previousDialog);
        KxSetSheetDatabaseFactory(nullptr);
    }

    void Fill(const Row& headers, const std::vector<Row>& rows, const std::vector<BYTE>& types = {})
    {
        m_export.SetFieldInfo(types.data(), static_cast<int>(types.size()));
        m_export.AddHeaders(headers);
        for (const Row& row : rows) {
            m_export.AddRecord(row);
        }
    }

    // Saves under the name through the dialog double and waits for the end message.
    std::string SaveAs(const std::wstring& name, LPARAM* lParam = nullptr)
    {
        DialogDouble::answer = m_folder.file(name);
        EXPECT_TRUE(m_export.Save(L"orders"));
        EXPECT_EQ(m_done.Wait(60000, lParam), 1);
        return hosttools::ReadFileBytes(DialogDouble::answer);
    }

    hosttools::Result Check(const std::string& snippet, const std::wstring& file)
    {
        return hosttools::Python(m_folder, snippet, {hosttools::UnixPath(file)});
    }

    testsupport::TempDir m_folder;
    DoneCounter m_done;
    CKXDataExport m_export;
    KXFILEDIALOGCALL m_previousDialog = nullptr;
};

std::string Gbk(const std::wstring& text)
{
    return T2C(text.c_str(), 936);
}

TEST_F(DataExport, TextFileHoldsTabTerminatedFieldsInTheCodePage)
{
    Fill({L"代码", L"名称"}, {{L"600000", L"浦发银行"}, {L"a\tb", L""}});
    EXPECT_EQ(SaveAs(L"orders.txt"), "\xB4\xFA\xC2\xEB\t\xC3\xFB\xB3\xC6\t\r\n600000\t" + Gbk(L"浦发银行") +
                                         "\t\r\na\tb\t\t\r\n");
    // The dialog was asked as the user sees it.
    EXPECT_STREQ(DialogDouble::asked.lpstrDefExt, L"txt");
    EXPECT_EQ(DialogDouble::asked.Flags & (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST),
              static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST));
    EXPECT_EQ(DialogDouble::filter, std::wstring(L"Excel Files (*.xls)\0*.xls\0Text Files (*.txt)\0*.txt\0\0", 52));
}

TEST_F(DataExport, NoRecordsGiveAnEmptyFileAndCancelDiscardsTheRecords)
{
    Fill({L"代码"}, {});
    EXPECT_EQ(SaveAs(L"empty.txt"), "");

    Fill({L"代码"}, {{L"1"}, {L"2"}});
    DialogDouble::answer.clear();
    EXPECT_FALSE(m_export.Save(L"orders"));
    DialogDouble::answer = m_folder.file(L"after.txt");
    FILE* file = _wfopen(DialogDouble::answer.c_str(), L"wb");
    EXPECT_TRUE(m_export.ExportTxtData(file));
    fclose(file);
    EXPECT_EQ(hosttools::ReadFileBytes(DialogDouble::answer), "");
}

// The binary worksheet, record by record.
std::string Record(unsigned type, const std::string& data)
{
    std::string record{static_cast<char>(type), static_cast<char>(type >> 8), static_cast<char>(data.size()),
                       static_cast<char>(data.size() >> 8)};
    return record + data;
}
std::string Cell(unsigned row, unsigned column)
{
    return {static_cast<char>(row), static_cast<char>(row >> 8), static_cast<char>(column),
            static_cast<char>(column >> 8), 0, 0, 0};
}
std::string Text(unsigned row, unsigned column, const std::string& bytes)
{
    return Record(4, Cell(row, column) + static_cast<char>(bytes.size()) + bytes);
}
std::string Number(unsigned row, unsigned column, double value)
{
    return Record(3, Cell(row, column) + std::string(reinterpret_cast<const char*>(&value), 8));
}

TEST_F(DataExport, WorksheetCellsFollowTheFieldTypes)
{
    Fill({L"数量", L"价格", L"备注"}, {{L"12", L"1.5", L"买入"}, {L"70000", L"x", L"-"}, {L"abc", L"2", L""}},
         {KXFIELD_INTEGER, KXFIELD_DOUBLE, 0});
    const std::string bytes = SaveAs(L"orders.xls");
    const std::string expected =
        Record(9, std::string("\x02\x00\x10\x00", 4)) + Text(0, 0, Gbk(L"数量")) + Text(0, 1, Gbk(L"价格")) +
        Text(0, 2, Gbk(L"备注")) + Record(2, Cell(1, 0) + std::string("\x0C\x00", 2)) + Number(1, 1, 1.5) +
        Text(1, 2, Gbk(L"买入")) + Number(2, 0, 70000) + Number(2, 1, 0) + Text(2, 2, "-") + Number(3, 0, 0) +
        Number(3, 1, 2) + Text(3, 2, "") + Record(10, "");
    EXPECT_EQ(bytes, expected);

    if (hosttools::Available()) {
        const hosttools::Result read = Check(R"(
import xlrd
s = xlrd.open_workbook(A[0], encoding_override="gbk").sheet_by_index(0)
for r in range(s.nrows):
    out("|".join("%d:%s" % (c.ctype, c.value) for c in s.row(r)))
)", DialogDouble::answer);
        ASSERT_TRUE(read.ok) << read.output;
        EXPECT_EQ(read.output, "1:数量|1:价格|1:备注\n2:12.0|2:1.5|1:买入\n2:70000.0|2:0.0|1:-\n2:0.0|2:2.0|1:");
    }
}

TEST_F(DataExport, LongTextsAreCutAtCharacterBoundaries)
{
    const std::wstring chinese(300, L'中'); // 600 bytes
    const std::wstring longer = L"a" + std::wstring(2500, L'文');
    Fill({chinese}, {{chinese}});
    const std::string sheet = SaveAs(L"cut.xls");
    EXPECT_NE(sheet.find(Text(0, 0, Gbk(chinese.substr(0, 127)))), std::string::npos); // 254 of 255 bytes
    EXPECT_NE(sheet.find(Text(1, 0, Gbk(chinese.substr(0, 63)))), std::string::npos);  // 126 of 127 bytes

    m_export.StopThread();
    Fill({L"h"}, {{longer}});
    EXPECT_EQ(SaveAs(L"cut.txt"), "h\t\r\na" + Gbk(longer.substr(1, 2047)) + "\t\r\n"); // 4095 bytes
}

// One row object written again and again: the test process checks its heap on every allocation.
TEST_F(DataExport, RowsPastTheLastWorksheetRowAreLeftOutAndReported)
{
    const std::wstring path = m_folder.file(L"full.xls");
    LExcel excel;
    ASSERT_TRUE(excel.Init(path.c_str(), LExcel::modeBinary, L"Sheet1"));
    const BYTE types[] = {KXFIELD_INTEGER};
    excel.SetFieldInfo(types, 1);
    ASSERT_TRUE(excel.BeginWriteFile());
    ASSERT_TRUE(excel.AddHeaders({L"n"}));
    Row row{L"1"};
    for (int i = 1; i <= 65537; ++i) {
        row[0] = std::to_wstring(i);
        EXPECT_EQ(excel.AddRow(row), i <= LExcel::kLastRow) << i;
    }
    EXPECT_EQ(excel.GetDroppedRows(), 2);
    ASSERT_TRUE(excel.EndWriteFile());
    const std::string bytes = hosttools::ReadFileBytes(path);
    // No cell wrapped around to rows 0 and 1: begin, header, 65535 integer cells, end.
    EXPECT_EQ(bytes.size(), 8u + 13u + 65535u * 13u + 4u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4 - 13), Record(2, Cell(65535, 0) + "\xFF\xFF") + Record(10, ""));
}

TEST_F(DataExport, DriverModeWritesTheSheetWithQuotedValues)
{
    KxSetSheetDatabaseFactory(&DatabaseDouble::Make);
    DWORD support = 0;
    LExcel::GetSupportExcel(&support);
    EXPECT_EQ(support, static_cast<DWORD>(LExcel::supportBinary | LExcel::supportDriver));

    Fill({L"code.no", L"price", L"memo"}, {{L"7", L"2.5", L"O'Neil"}}, {KXFIELD_INTEGER, KXFIELD_DOUBLE, 0});
    SaveAs(L"driver.xls");
    const std::wstring path = m_folder.file(L"driver.xls");
    const std::vector<std::wstring> expected = {
        L"CONNECT DRIVER={Microsoft Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" +
            path + L"\";DBQ=" + path,
        L"CREATE TABLE [Sheet1$A1:IV65536] ([code_no] Int, [price] Double, [memo] char(255))",
        L"INSERT INTO [Sheet1$A1:IV2] ([code_no], [price], [memo]) VALUES (7, 2.500000, 'O''Neil')"};
    EXPECT_EQ(DatabaseDouble::statements, expected);
}

TEST_F(DataExport, DriverModeReportsHeaderProblems)
{
    KxSetSheetDatabaseFactory(&DatabaseDouble::Make);
    LExcel excel;
    ASSERT_TRUE(excel.Init(m_folder.file(L"bad.xls").c_str(), LExcel::modeDriver, L"Sheet1"));
    EXPECT_FALSE(excel.AddRow({L"1"}));
    EXPECT_EQ(excel.GetErrorText(), L"No header row. Add header row first\n");
    EXPECT_FALSE(excel.AddHeaders({L"a", L"b", L"A"}));
    EXPECT_EQ(excel.GetErrorText(), L"Duplicate header row field:A\n");
    EXPECT_TRUE(excel.AddHeaders({L"a", L"b"}));
    EXPECT_FALSE(excel.AddRow({L"1", L"2", L"3"}));
    EXPECT_EQ(excel.GetErrorText(), L"Number of columns to be added cannot be greater than the number of fields\n");
    EXPECT_FALSE(excel.AddHeaders({L"a"}));
    EXPECT_EQ(excel.GetErrorText(),
              L"Number of columns in new header row cannot be less than the number of columns in previous header row");
}

TEST_F(DataExport, WorkbookOpensWithTypedCellsBoldFrozenHeader)
{
    // Plain decimals are written as given, other numbers as the shortest text of their value; the
    // repeated name is one shared string.
    Fill({L"名称", L"数量", L"价格"},
         {{L"浦发银行", L"100", L"10.25"}, {L"<&>", L"n/a", L"-3e2"}, {L"浦发银行", L"007", L"1234567890123456"}},
         {0, KXFIELD_INTEGER, KXFIELD_DOUBLE});
    SaveAs(L"orders.xlsx");
    if (!hosttools::Available()) {
        GTEST_SKIP() << "no host tools";
    }
    const hosttools::Result read = Check(R"(
import openpyxl
s = openpyxl.load_workbook(A[0]).active
out(s.freeze_panes)
out(",".join(str(c.font.b) for c in s[1]))
for row in s.iter_rows(min_row=2):
    out("|".join("%s:%r" % (type(c.value).__name__, c.value) for c in row))
)", DialogDouble::answer);
    ASSERT_TRUE(read.ok) << read.output;
    EXPECT_EQ(read.output, "A2\nTrue,True,True\nstr:'浦发银行'|int:100|float:10.25\nstr:'<&>'|str:'n/a'|int:-300\n"
                           "str:'浦发银行'|int:7|int:1234567890123456");
}

// Long enough to be written in several pieces: empty records, outer spaces, tabs and line ends, and
// texts in number columns keep every cell in its place, wherever a piece starts.
TEST_F(DataExport, LongWorkbookReadsBackRowForRowOrStopsWithoutAFile)
{
    const int kRows = 1100;
    m_export.SetFieldInfo(std::vector<BYTE>{0, KXFIELD_INTEGER, 0}.data(), 3);
    m_export.AddHeaders({L"代码", L"数量", L"备注"});
    const Row special{L" 浦发 ", L"n/a", L"a\tb\r\nc"};
    Row row{L"", L"", L"x"}; // reused: the test process checks its heap on every allocation
    for (int i = 0; i < kRows; ++i) {
        if (i % 250 == 125) {
            m_export.AddRecord({});
        } else if (i % 250 == 7) {
            m_export.AddRecord(special);
        } else {
            wchar_t code[16];
            swprintf(code, 16, L"%06d", i);
            row[0] = code;
            row[1] = std::to_wstring(i);
            m_export.AddRecord(row);
        }
    }
    SaveAs(L"long.xlsx");
    if (!hosttools::Available()) {
        GTEST_SKIP() << "no host tools";
    }
    const hosttools::Result read = Check(R"(
import openpyxl
rows = list(openpyxl.load_workbook(A[0]).active.iter_rows(min_row=2, values_only=True))
def want(i):
    if i % 250 == 125: return (None, None, None)
    if i % 250 == 7: return (" 浦发 ", "n/a", "a\tb\r\nc")
    return ("%06d" % i, i, "x")
out(len(rows))
out(repr([(i, row) for i, row in enumerate(rows) if row != want(i)][:3]))
)", DialogDouble::answer);
    ASSERT_TRUE(read.ok) << read.output;
    EXPECT_EQ(read.output, std::to_string(kRows) + "\n[]");

    // Stopped on its way, the same export leaves no part-written file behind.
    DialogDouble::answer = m_folder.file(L"stopped.xlsx");
    ASSERT_TRUE(m_export.Save(L"stopped"));
    m_export.StopThread();
    const bool finished = m_done.Wait(300) == 1;
    EXPECT_EQ(GetFileAttributesW(DialogDouble::answer.c_str()) != INVALID_FILE_ATTRIBUTES, finished);
}

TEST_F(DataExport, StopThreadEndsASlowExportAndDiscardsTheRecords)
{
    KxSetSheetDatabaseFactory(&DatabaseDouble::Make);
    DatabaseDouble::delay = 20;
    std::vector<Row> rows(1000, Row{L"1"});
    Fill({L"n"}, rows);
    DialogDouble::answer = m_folder.file(L"slow.xls");
    ASSERT_TRUE(m_export.Save(L"slow"));
    Sleep(100);
    m_export.StopThread();
    EXPECT_LT(DatabaseDouble::statements.size(), 1000u);
    EXPECT_EQ(m_done.Wait(300), 0);
    FILE* file = _wfopen(m_folder.file(L"after.txt").c_str(), L"wb");
    m_export.ExportTxtData(file);
    fclose(file);
    EXPECT_EQ(hosttools::ReadFileBytes(m_folder.file(L"after.txt")), "");
}

} // namespace
