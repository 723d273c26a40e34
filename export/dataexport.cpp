#include <util/dataexport.h>
#include <util/kxmsg.h>
#include <util/runlog.h>

#include <process.h>

#include "export/ansi_field.h"
#include "export/xlsx_writer.h"

namespace {

const size_t kTextFieldBytes = 4095;
const wchar_t kFilter[] = L"Excel Files (*.xls)|*.xls|Text Files (*.txt)|*.txt|";

bool HasExtension(const std::wstring& path, const wchar_t* extension)
{
    const size_t dot = path.find_last_of(L".\\/");
    return dot != std::wstring::npos && path[dot] == L'.' && _wcsicmp(path.c_str() + dot + 1, extension) == 0;
}

// One line of the text export: every field in the 8-bit code page followed by a tab, then CR LF.
void AppendTextLine(std::string& line, const std::vector<std::wstring>& fields)
{
    for (const std::wstring& field : fields) {
        exportfield::AppendAnsi(line, field, kTextFieldBytes);
        line += '\t';
    }
    line += "\r\n";
}

} // namespace

CKXDataExport::CKXDataExport()
{
    m_excel.SetCancelFlag(&m_bStop);
}

CKXDataExport::~CKXDataExport()
{
    StopThread();
}

void CKXDataExport::WaitForExport()
{
    if (m_hThread != nullptr) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseThread();
    }
}

void CKXDataExport::CloseThread()
{
    CloseHandle(m_hThread);
    m_hThread = nullptr;
}

void CKXDataExport::SetFieldInfo(const BYTE* types, int count)
{
    WaitForExport();
    m_fieldTypes.assign(types, types + (types && count > 0 ? count : 0));
}

void CKXDataExport::AddHeaders(const std::vector<std::wstring>& headers)
{
    WaitForExport();
    m_headers = headers;
}

void CKXDataExport::AddRecord(const std::vector<std::wstring>& record)
{
    WaitForExport();
    m_records.push_back(record);
}

void CKXDataExport::SetMessageWnd(HWND window)
{
    m_hMessageWnd = window;
}

bool CKXDataExport::Save(const wchar_t* initialName)
{
    WaitForExport();
    m_pDialog = std::make_unique<CFileDialog>(FALSE, L"txt", initialName,
                                              OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST,
                                              kFilter);
    if (m_pDialog->DoModal() != IDOK) {
        m_records.clear();
        return false;
    }
    m_strPath = m_pDialog->GetPathName().GetString();
    m_bStop = false;
    m_hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CKXDataExport::ExportThread, this, 0, nullptr));
    if (m_hThread == nullptr) {
        KxWriteLog(3, 0, L"数据导出线程无法启动: %s", m_strPath.c_str());
        return false;
    }
    return true;
}

void CKXDataExport::StopThread()
{
    if (m_hThread != nullptr) {
        m_bStop = true;
        if (WaitForSingleObject(m_hThread, 2000) == WAIT_TIMEOUT) {
            TerminateThread(m_hThread, 0);
            WaitForSingleObject(m_hThread, INFINITE);
        }
        CloseThread();
    }
    m_records.clear();
}

unsigned __stdcall CKXDataExport::ExportThread(void* self)
{
    static_cast<CKXDataExport*>(self)->RunExport();
    return 0;
}

void CKXDataExport::RunExport()
{
    DeleteFileW(m_strPath.c_str());
    m_nDropped = 0;
    if (HasExtension(m_strPath, L"xlsx")) {
        ExportXlsxData(m_strPath.c_str());
    } else if (HasExtension(m_strPath, L"xls")) {
        DWORD support = 0;
        LExcel::GetSupportExcel(&support);
        ExportXlsData(m_strPath.c_str(), (support & LExcel::supportDriver) ? LExcel::modeDriver : LExcel::modeBinary);
    } else {
        FILE* file = _wfopen(m_strPath.c_str(), L"wb+");
        if (file == nullptr) {
            return;
        }
        ExportTxtData(file);
        fclose(file);
    }
    if (m_bStop) {
        return;
    }
    if (m_nDropped > 0) {
        KxWriteLog(3, 0, L"导出文件 %s 容纳不下 %ld 行", m_strPath.c_str(), m_nDropped);
    }
    if (m_hMessageWnd != nullptr) {
        PostMessageW(m_hMessageWnd, WM_KX_EXPORTDONE, 0, static_cast<LPARAM>(m_nDropped));
    }
}

bool CKXDataExport::ExportTxtData(FILE* file)
{
    if (file == nullptr) {
        return false;
    }
    if (m_records.empty()) {
        return true;
    }
    // Lines go out in blocks: fewer, larger writes.
    constexpr size_t kBlockBytes = 64 * 1024;
    std::string block;
    block.reserve(kBlockBytes + 4096);
    bool written = true;
    const auto flush = [&block, &written, file] {
        written = fwrite(block.data(), 1, block.size(), file) == block.size() && written;
        block.clear();
    };
    AppendTextLine(block, m_headers);
    for (const std::vector<std::wstring>& record : m_records) {
        if (m_bStop) {
            return false;
        }
        AppendTextLine(block, record);
        if (block.size() >= kBlockBytes) {
            flush();
        }
    }
    flush();
    return written;
}

bool CKXDataExport::ExportXlsData(const wchar_t* path, int mode)
{
    if (!m_excel.Init(path, mode, L"Sheet1")) {
        return false;
    }
    if (!m_fieldTypes.empty()) {
        m_excel.SetFieldInfo(m_fieldTypes.data(), static_cast<int>(m_fieldTypes.size()));
    }
    bool written = m_excel.BeginWriteFile() && m_excel.AddHeaders(m_headers);
    for (const std::vector<std::wstring>& record : m_records) {
        if (m_bStop) {
            break;
        }
        written = m_excel.AddRow(record) && written;
    }
    m_nDropped = m_excel.GetDroppedRows();
    return m_excel.EndWriteFile() && written;
}

bool CKXDataExport::ExportXlsxData(const wchar_t* path)
{
    const XlsxSheetData data{m_headers, m_records, m_fieldTypes};
    return path != nullptr && WriteXlsxWorkbook(path, data, m_bStop, &m_nDropped);
}
