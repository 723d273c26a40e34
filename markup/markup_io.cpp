// The XML document: files in 16-bit, UTF-8 or system code page text, module resources, saving.
#include "markup/markup_detail.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include <util/strutil.h>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle()
    {
        if (IsOpen()) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The whole file followed by two zero bytes, so that any reading of it as text ends there.
bool ReadWholeFile(const wchar_t* szFileName, std::string& bytes)
{
    FileHandle file(
        CreateFileW(szFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > INT_MAX / 2) {
        return false;
    }
    const DWORD nSize = static_cast<DWORD>(size.QuadPart);
    bytes.assign(nSize + 2, '\0');
    DWORD nRead = 0;
    if (!ReadFile(file.Get(), &bytes[0], nSize, &nRead, nullptr)) {
        return false;
    }
    bytes.resize(nRead + 2);
    return true;
}

bool WriteAll(HANDLE file, const void* data, size_t nBytes)
{
    DWORD nWritten = 0;
    return nBytes <= MAXDWORD && WriteFile(file, data, static_cast<DWORD>(nBytes), &nWritten, nullptr) &&
           nWritten == nBytes;
}

bool StartsWith(const std::string& bytes, const char* prefix)
{
    return bytes.compare(0, strlen(prefix), prefix) == 0;
}

// An XML declaration at the very start that names UTF-8 as the encoding.
bool DeclaresUtf8(const std::string& bytes)
{
    if (!StartsWith(bytes, "<?")) {
        return false;
    }
    const size_t close = bytes.find("?>", 2);
    if (close == std::string::npos) {
        return false;
    }
    std::string declaration = bytes.substr(0, close);
    std::transform(declaration.begin(), declaration.end(), declaration.begin(),
                   [](char ch) { return static_cast<char>(tolower(static_cast<unsigned char>(ch))); });
    const size_t encoding = declaration.find("encoding");
    return encoding != std::string::npos && declaration.find("utf-8", encoding + 8) != std::string::npos;
}

// The text of a file: 16-bit after FF FE, UTF-8 after EF BB BF or when the declaration says so,
// else the system code page.
std::wstring DecodeFile(const std::string& bytes)
{
    const size_t nBytes = bytes.size() - 2; // without the two zeros appended
    if (StartsWith(bytes, "\xFF\xFE")) {
        const size_t nChars = (nBytes - 2) / 2;
        std::wstring text(nChars, L'\0');
        std::copy_n(bytes.data() + 2, nChars * 2, reinterpret_cast<char*>(&text[0]));
        text.resize(wcsnlen(text.c_str(), nChars));
        return text;
    }
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return C2T(bytes.c_str() + 3, CP_UTF8);
    }
    return C2T(bytes.c_str(), DeclaresUtf8(bytes) ? CP_UTF8 : CP_ACP);
}

} // namespace

bool CMarkupSTL::Load(const wchar_t* szFileName)
{
    std::string bytes;
    if (szFileName == nullptr || !ReadWholeFile(szFileName, bytes)) {
        SetDoc(nullptr);
        m_strError = L"File could not be opened";
        return false;
    }
    m_strDoc = DecodeFile(bytes);
    if (x_ParseDoc()) {
        return true;
    }
    const std::wstring strError = m_strError;
    SetDoc(nullptr);
    m_strError = strError;
    return false;
}

bool CMarkupSTL::Save(const wchar_t* szFileName) const
{
    if (szFileName == nullptr) {
        return false;
    }
    FileHandle file(CreateFileW(szFileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return false;
    }
    // The byte-order mark makes Load read the file back as the same 16-bit text.
    static const unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    return WriteAll(file.Get(), kByteOrderMark, sizeof kByteOrderMark) &&
           (m_strDoc.empty() || WriteAll(file.Get(), m_strDoc.data(), m_strDoc.size() * sizeof(wchar_t)));
}

bool CMarkupSTL::LoadFromRes(HMODULE hModule, const wchar_t* szResId, const wchar_t* szResType)
{
    FreeRes();
    HRSRC hInfo = FindResourceW(hModule, szResId, szResType);
    if (hInfo == nullptr) {
        return false;
    }
    m_hResData = LoadResource(hModule, hInfo);
    const auto* data = static_cast<const wchar_t*>(m_hResData ? LockResource(m_hResData) : nullptr);
    if (data == nullptr) {
        FreeRes();
        return false;
    }
    // Only the resource's own bytes are text: a zero inside ends it early, none is needed at the end.
    size_t nChars = SizeofResource(hModule, hInfo) / sizeof(wchar_t);
    if (nChars > 0 && data[0] == 0xFEFF) {
        ++data;
        --nChars;
    }
    m_strDoc.assign(data, wcsnlen(data, nChars));
    if (!x_ParseDoc()) {
        FreeRes();
        return false;
    }
    return true;
}

void CMarkupSTL::FreeRes()
{
    // Resources of a loaded module live as long as the module; there is nothing to free.
    m_hResData = nullptr;
}
