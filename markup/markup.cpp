// The XML document: setting the text, the element index, the cursor and reading.
#include "markup/markup_detail.h"

#include <cstdlib>
#include <cwchar>

using namespace markup_detail;

CMarkupSTL::CMarkupSTL()
{
    SetDoc(nullptr);
}

CMarkupSTL::CMarkupSTL(const wchar_t* szDoc)
{
    SetDoc(szDoc);
}

// A copy shares no resource with its source: the resource reference stays with the original.
CMarkupSTL::CMarkupSTL(const CMarkupSTL& other)
{
    *this = other;
}

CMarkupSTL& CMarkupSTL::operator=(const CMarkupSTL& other)
{
    if (this != &other) {
        m_strDoc = other.m_strDoc;
        m_strError = other.m_strError;
        m_aPos = other.m_aPos;
        m_iPosFree = other.m_iPosFree;
        m_mapSavedPos = other.m_mapSavedPos;
        x_SetPos(other.m_iPosParent, other.m_iPos, other.m_iPosChild);
    }
    return *this;
}

CMarkupSTL::~CMarkupSTL() = default;

bool CMarkupSTL::SetDoc(const wchar_t* szDoc)
{
    const std::wstring_view text(szDoc ? szDoc : L"");
    // The storage of the last text serves again when it fits closely (a document read over and over);
    // otherwise the text gets storage of its own size.
    if (m_strDoc.capacity() >= text.size() && m_strDoc.capacity() - text.size() <= text.size() / 8) {
        m_strDoc.assign(text);
    } else {
        std::wstring(text).swap(m_strDoc);
    }
    return x_ParseDoc();
}

bool CMarkupSTL::x_ParseDoc()
{
    m_mapSavedPos.clear();
    ResetPos();
    if (m_strDoc.size() > static_cast<size_t>(kMaxDocLength)) {
        // Positions are 32-bit and must stay so through later edits.
        m_aPos.assign(1, ElemPos{});
        m_iPosFree = 1;
        m_strError = L"Document too large";
        return false;
    }
    // One entry per 64 characters to start with; the room of the last index is kept if it fits. Entries
    // are filled when taken, so old ones need no clearing.
    const size_t nEntries = m_strDoc.size() / 64 + 8;
    if (m_aPos.capacity() < nEntries || m_aPos.capacity() > 2 * nEntries) {
        std::vector<ElemPos>().swap(m_aPos);
        m_aPos.reserve(nEntries);
    }
    if (m_aPos.size() < nEntries) {
        m_aPos.resize(nEntries);
    }
    const int nLength = static_cast<int>(m_strDoc.size());
    m_aPos[0] = ElemPos{0, -1, nLength, nLength, 0, 0, 0, 0};
    m_iPosFree = 1;
    m_strError.clear();
    ElemIndex index(m_aPos, m_iPosFree);
    const ParseOutcome outcome = ParseRange(m_strDoc.c_str(), 0, nLength, index, 0, 0, true);
    if (outcome.status == ParseStatus::Ok) {
        m_aPos[0].iElemChild = outcome.iFirst;
        return true;
    }
    // A document that cannot be walked keeps its text but no index beyond the document level.
    m_iPosFree = 1;
    m_aPos.resize(1);
    m_strError = outcome.status == ParseStatus::Error ? outcome.error : ErrorText(L"Element tag not found");
    return false;
}

bool CMarkupSTL::IsWellFormed() const
{
    return !m_aPos.empty() && m_aPos[0].iElemChild != 0;
}

int CMarkupSTL::x_GetFreePos()
{
    ElemIndex index(m_aPos, m_iPosFree);
    return index.Take();
}

bool CMarkupSTL::x_IsLive(int iPos) const
{
    return iPos >= 0 && iPos < m_iPosFree && (m_aPos[static_cast<size_t>(iPos)].nReserved & kRemoved) == 0;
}

int CMarkupSTL::x_Depth(int iPos) const
{
    int nDepth = 0;
    for (; iPos != 0; iPos = m_aPos[static_cast<size_t>(iPos)].iElemParent) {
        ++nDepth;
    }
    return nDepth;
}

void CMarkupSTL::x_SetPos(int iPosParent, int iPos, int iPosChild)
{
    m_iPosParent = iPosParent;
    m_iPos = iPos;
    m_iPosChild = iPosChild;
    m_nNodeType = iPos ? 1 : 0;
}

void CMarkupSTL::ResetPos()
{
    x_SetPos(0, 0, 0);
}

namespace {

// The next element after `iPos` (or the first child of `iParent` when `iPos` is 0) whose tag
// matches `szName`; 0 if none.
int FindSibling(const std::vector<ElemPos>& aPos, const std::wstring& strDoc, int iParent, int iPos,
                const wchar_t* szName)
{
    int iNext = iPos ? aPos[static_cast<size_t>(iPos)].iElemNext : aPos[static_cast<size_t>(iParent)].iElemChild;
    const bool bAny = szName == nullptr || *szName == 0;
    const wchar_t* text = strDoc.c_str();
    const int nLength = static_cast<int>(strDoc.size());
    for (; iNext != 0; iNext = aPos[static_cast<size_t>(iNext)].iElemNext) {
        const int nameStart = aPos[static_cast<size_t>(iNext)].nStartL + 1;
        if (bAny || NameMatches(text + nameStart, NameEnd(text, nameStart, nLength) - nameStart, szName)) {
            return iNext;
        }
    }
    return 0;
}

} // namespace

bool CMarkupSTL::FindElem(const wchar_t* szName)
{
    if (m_aPos.empty()) {
        return false;
    }
    const int iFound = FindSibling(m_aPos, m_strDoc, m_iPosParent, m_iPos, szName);
    if (iFound == 0) {
        return false;
    }
    x_SetPos(m_iPosParent, iFound, 0);
    return true;
}

bool CMarkupSTL::FindChildElem(const wchar_t* szName)
{
    if (m_aPos.empty()) {
        return false;
    }
    const int iPos = m_iPos ? m_iPos : m_aPos[static_cast<size_t>(m_iPosParent)].iElemChild;
    if (iPos == 0) {
        return false;
    }
    const int iFound = FindSibling(m_aPos, m_strDoc, iPos, iPos == m_iPos ? m_iPosChild : 0, szName);
    if (iFound == 0) {
        return false;
    }
    x_SetPos(m_iPosParent, iPos, iFound);
    return true;
}

bool CMarkupSTL::IntoElem()
{
    if (m_iPos == 0) {
        return false;
    }
    x_SetPos(m_iPos, m_iPosChild, 0);
    return true;
}

bool CMarkupSTL::OutOfElem()
{
    if (m_iPosParent == 0) {
        return false;
    }
    x_SetPos(m_aPos[static_cast<size_t>(m_iPosParent)].iElemParent, m_iPosParent, m_iPos);
    return true;
}

bool CMarkupSTL::SavePos(const wchar_t* szPosName)
{
    if (szPosName == nullptr) {
        return false;
    }
    m_mapSavedPos[szPosName] = SavedPos{m_iPosParent, m_iPos, m_iPosChild};
    return true;
}

bool CMarkupSTL::RestorePos(const wchar_t* szPosName)
{
    if (szPosName == nullptr) {
        return false;
    }
    const auto found = m_mapSavedPos.find(szPosName);
    if (found == m_mapSavedPos.end()) {
        return false;
    }
    const SavedPos& saved = found->second;
    // A position inside an element removed since it was saved leads nowhere.
    if (!x_IsLive(saved.iPosParent) || !x_IsLive(saved.iPos) || !x_IsLive(saved.iPosChild)) {
        return false;
    }
    x_SetPos(saved.iPosParent, saved.iPos, saved.iPosChild);
    return true;
}

std::wstring CMarkupSTL::x_GetTagName(int iPos) const
{
    if (iPos == 0) {
        return std::wstring();
    }
    const int nameStart = m_aPos[static_cast<size_t>(iPos)].nStartL + 1;
    const int nameEnd = NameEnd(m_strDoc.c_str(), nameStart, static_cast<int>(m_strDoc.size()));
    return m_strDoc.substr(static_cast<size_t>(nameStart), static_cast<size_t>(nameEnd - nameStart));
}

std::wstring CMarkupSTL::GetTagName() const
{
    return x_GetTagName(m_iPos);
}

std::wstring CMarkupSTL::GetAttribName(int n) const
{
    if (m_iPos == 0 || n < 0) {
        return std::wstring();
    }
    const ElemPos& elem = m_aPos[static_cast<size_t>(m_iPos)];
    TagScanner scanner(m_strDoc.c_str(), elem.nStartL, elem.nStartR);
    AttribSpan attrib;
    for (int i = 0; scanner.Next(attrib); ++i) {
        if (i == n) {
            return m_strDoc.substr(static_cast<size_t>(attrib.nameStart),
                                   static_cast<size_t>(attrib.nameEnd - attrib.nameStart));
        }
    }
    return std::wstring();
}

std::wstring CMarkupSTL::x_GetData(int iPos) const
{
    if (iPos == 0) {
        return std::wstring();
    }
    const ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    if (elem.nEndR == elem.nStartR) {
        return std::wstring();
    }
    const int start = elem.nStartR + 1;
    const int end = elem.nEndL;
    if (elem.iElemChild != 0) {
        return m_strDoc.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    }
    const wchar_t* text = m_strDoc.c_str();
    int first = start;
    while (first < end && IsSpace(text[first])) {
        ++first;
    }
    static const wchar_t kOpen[] = L"<![CDATA[";
    const int nOpen = static_cast<int>(wcslen(kOpen));
    if (end - first >= nOpen && SameName(text + first, nOpen, kOpen, nOpen)) {
        const std::wstring_view content(text + first + nOpen, static_cast<size_t>(end - first - nOpen));
        const size_t close = content.find(L"]]>");
        if (close != std::wstring_view::npos) {
            return std::wstring(content.substr(0, close));
        }
    }
    return TextFromDoc(text, start, end);
}

std::wstring CMarkupSTL::x_GetAttrib(int iPos, const wchar_t* szAttrib) const
{
    if (iPos == 0 || szAttrib == nullptr) {
        return std::wstring();
    }
    const ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    const wchar_t* text = m_strDoc.c_str();
    TagScanner scanner(text, elem.nStartL, elem.nStartR);
    AttribSpan attrib;
    while (scanner.Next(attrib)) {
        if (NameMatches(text + attrib.nameStart, attrib.nameEnd - attrib.nameStart, szAttrib)) {
            return TextFromDoc(text, attrib.valueStart, attrib.valueEnd);
        }
    }
    return std::wstring();
}

namespace {

std::wstring TrimmedOr(std::wstring value, const wchar_t* szDefault)
{
    if (value.empty() && szDefault) {
        value = szDefault;
    }
    CMarkupSTL::TrimString(value);
    return value;
}

int DecimalOr(std::wstring value, int nDefault)
{
    if (value.empty()) {
        return nDefault;
    }
    CMarkupSTL::TrimString(value);
    return _wtoi(value.c_str());
}

int NumberOr(std::wstring value, int nDefault)
{
    if (value.empty()) {
        return nDefault;
    }
    CMarkupSTL::TrimString(value);
    return static_cast<int>(KX_wtol(value.c_str()));
}

COLORREF ColorOr(std::wstring value, COLORREF crDefault)
{
    CMarkupSTL::TrimString(value);
    if (value.empty() || value == L"-1") {
        return crDefault;
    }
    int red = 0;
    int green = 0;
    int blue = 0;
    swscanf(value.c_str(), L"%d,%d,%d", &red, &green, &blue);
    return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

} // namespace

std::wstring CMarkupSTL::GetDataString(const wchar_t* szDefault) const
{
    return TrimmedOr(GetData(), szDefault);
}

std::wstring CMarkupSTL::GetChildDataString(const wchar_t* szDefault) const
{
    return TrimmedOr(GetChildData(), szDefault);
}

std::wstring CMarkupSTL::GetAttribString(const wchar_t* szAttrib, const wchar_t* szDefault) const
{
    return TrimmedOr(GetAttrib(szAttrib), szDefault);
}

std::wstring CMarkupSTL::GetChildAttribString(const wchar_t* szAttrib, const wchar_t* szDefault) const
{
    return TrimmedOr(GetChildAttrib(szAttrib), szDefault);
}

int CMarkupSTL::GetDataInt(int nDefault) const
{
    return DecimalOr(GetData(), nDefault);
}

int CMarkupSTL::GetChildDataInt(int nDefault) const
{
    return DecimalOr(GetChildData(), nDefault);
}

int CMarkupSTL::GetAttribInt(const wchar_t* szAttrib, int nDefault) const
{
    return NumberOr(GetAttrib(szAttrib), nDefault);
}

int CMarkupSTL::GetChildAttribInt(const wchar_t* szAttrib, int nDefault) const
{
    return NumberOr(GetChildAttrib(szAttrib), nDefault);
}

COLORREF CMarkupSTL::GetAttribColor(const wchar_t* szAttrib, COLORREF crDefault) const
{
    return ColorOr(GetAttrib(szAttrib), crDefault);
}

COLORREF CMarkupSTL::GetChildAttribColor(const wchar_t* szAttrib, COLORREF crDefault) const
{
    return ColorOr(GetChildAttrib(szAttrib), crDefault);
}

void CMarkupSTL::TrimString(std::wstring& str)
{
    static const wchar_t kBlanks[] = L"\t\n\r ";
    const size_t last = str.find_last_not_of(kBlanks);
    str.erase(last == std::wstring::npos ? 0 : last + 1);
    str.erase(0, std::min(str.find_first_not_of(kBlanks), str.size()));
}
