// The XML document: changes of the text that keep the element index true.
#include "markup/markup_detail.h"

#include <util/format.h>

using namespace markup_detail;

namespace {

const wchar_t kLineBreak[] = L"\r\n";

// Right after a tag, a line break belongs to that tag's line: new text goes behind it.
int SkipLineBreakAfterTag(const std::wstring& doc, int offset)
{
    const size_t at = static_cast<size_t>(offset);
    if (offset == 0 || doc[at - 1] != L'>') {
        return offset;
    }
    if (doc.compare(at, 2, kLineBreak) == 0) {
        return offset + 2;
    }
    return at < doc.size() && doc[at] == L'\n' ? offset + 1 : offset;
}

bool IsSelfClosing(const ElemPos& elem)
{
    return elem.nEndR == elem.nStartR;
}

} // namespace

void CMarkupSTL::x_ReplaceText(int nStart, int nRemove, const std::wstring& strInsert)
{
    m_strDoc.replace(static_cast<size_t>(nStart), static_cast<size_t>(nRemove), strInsert);
    const int nDelta = static_cast<int>(strInsert.size()) - nRemove;
    const int nFrom = nStart + nRemove;
    for (int i = 0; i < m_iPosFree; ++i) {
        ElemPos& elem = m_aPos[static_cast<size_t>(i)];
        if (elem.nReserved & kRemoved) {
            continue;
        }
        for (int* pos : {&elem.nStartL, &elem.nStartR, &elem.nEndL, &elem.nEndR}) {
            if (*pos >= nFrom) {
                *pos += nDelta;
            }
        }
    }
}

void CMarkupSTL::x_Link(int iPosParent, int iPosRef, int iFirst, int iLast, bool bInsert)
{
    // The link that is to lead to the new elements.
    int* pLink = &m_aPos[static_cast<size_t>(iPosParent)].iElemChild;
    if (iPosRef != 0 && !bInsert) {
        pLink = &m_aPos[static_cast<size_t>(iPosRef)].iElemNext;
    } else if (iPosRef != 0 || !bInsert) {
        // Before the reference, or at the end of the list when there is none.
        while (*pLink != iPosRef) {
            pLink = &m_aPos[static_cast<size_t>(*pLink)].iElemNext;
        }
    }
    m_aPos[static_cast<size_t>(iLast)].iElemNext = *pLink;
    *pLink = iFirst;
}

int CMarkupSTL::x_Unlink(int iPos)
{
    const ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    int iPrev = 0;
    int* pLink = &m_aPos[static_cast<size_t>(elem.iElemParent)].iElemChild;
    while (*pLink != iPos) {
        iPrev = *pLink;
        pLink = &m_aPos[static_cast<size_t>(iPrev)].iElemNext;
    }
    *pLink = elem.iElemNext;
    return iPrev;
}

void CMarkupSTL::x_MarkRemoved(int iTop)
{
    // Pre-order walk over the subtree without recursion.
    int i = iTop;
    for (;;) {
        ElemPos& elem = m_aPos[static_cast<size_t>(i)];
        elem.nReserved |= kRemoved;
        if (elem.iElemChild != 0) {
            i = elem.iElemChild;
            continue;
        }
        while (i != iTop && m_aPos[static_cast<size_t>(i)].iElemNext == 0) {
            i = m_aPos[static_cast<size_t>(i)].iElemParent;
        }
        if (i == iTop) {
            return;
        }
        i = m_aPos[static_cast<size_t>(i)].iElemNext;
    }
}

bool CMarkupSTL::x_FindPlace(bool bAddChild, int& iPosParent, int& iPosRef)
{
    if (bAddChild) {
        if (m_iPos == 0) {
            return false;
        }
        iPosParent = m_iPos;
        iPosRef = m_iPosChild;
        return x_Depth(iPosParent) < kMaxDepth;
    }
    iPosParent = m_iPosParent;
    iPosRef = m_iPos;
    if (iPosParent != 0) {
        return true;
    }
    if (IsWellFormed()) {
        return false; // one root only
    }
    // A root may join a text only if the text stays readable with it: nothing broken, no stray end tag.
    std::vector<ElemPos> scratch(1);
    int iScratchFree = 1;
    ElemIndex index(scratch, iScratchFree);
    const ParseOutcome outcome = ParseRange(m_strDoc.c_str(), 0, static_cast<int>(m_strDoc.size()), index, 0, 0, false);
    if (outcome.status == ParseStatus::Error) {
        m_strError = outcome.error;
        return false;
    }
    return true;
}

int CMarkupSTL::x_PrepareInsert(int iPosParent, int iPosRef, bool bInsert)
{
    if (iPosParent != 0) {
        const ElemPos parent = m_aPos[static_cast<size_t>(iPosParent)];
        if (IsSelfClosing(parent)) {
            x_OpenEmptyElem(iPosParent, kLineBreak);
        } else if (parent.nEndL == parent.nStartR + 1) {
            x_ReplaceText(parent.nEndL, 0, kLineBreak);
        }
    }
    const ElemPos& parent = m_aPos[static_cast<size_t>(iPosParent)];
    if (iPosRef != 0) {
        const ElemPos& ref = m_aPos[static_cast<size_t>(iPosRef)];
        return bInsert ? ref.nStartL : SkipLineBreakAfterTag(m_strDoc, ref.nEndR + 1);
    }
    if (bInsert) {
        return SkipLineBreakAfterTag(m_strDoc, parent.nStartR + 1);
    }
    return parent.nEndL;
}

bool CMarkupSTL::x_AddElem(const wchar_t* szName, const wchar_t* szValue, bool bInsert, bool bAddChild)
{
    int iPosParent = 0;
    int iPosRef = 0;
    if (!IsValidName(szName) || !x_FindPlace(bAddChild, iPosParent, iPosRef)) {
        return false;
    }
    const std::wstring strName(szName);
    const std::wstring strValue = TextToDoc(szValue, false);
    std::wstring strElem = L"<" + strName;
    strElem += strValue.empty() ? L"/>" : L">" + strValue + L"</" + strName + L">";
    strElem += kLineBreak;

    const int nOffset = x_PrepareInsert(iPosParent, iPosRef, bInsert);
    x_ReplaceText(nOffset, 0, strElem);
    const int iPos = x_GetFreePos();
    ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    const int nName = static_cast<int>(strName.size());
    elem.nStartL = nOffset;
    elem.iElemParent = iPosParent;
    if (strValue.empty()) {
        elem.nStartR = nOffset + nName + 2;
        elem.nEndL = elem.nStartR - 1;
        elem.nEndR = elem.nStartR;
    } else {
        elem.nStartR = nOffset + nName + 1;
        elem.nEndL = elem.nStartR + 1 + static_cast<int>(strValue.size());
        elem.nEndR = elem.nEndL + nName + 2;
    }
    x_Link(iPosParent, iPosRef, iPos, iPos, bInsert);
    if (bAddChild) {
        x_SetPos(m_iPosParent, m_iPos, iPos);
    } else {
        x_SetPos(m_iPosParent, iPos, 0);
    }
    if (iPosParent == 0) {
        m_strError.clear();
    }
    return true;
}

bool CMarkupSTL::x_AddSubDoc(const wchar_t* szSubDoc, bool bInsert, bool bAddChild)
{
    int iPosParent = 0;
    int iPosRef = 0;
    if (szSubDoc == nullptr || !x_FindPlace(bAddChild, iPosParent, iPosRef)) {
        return false;
    }
    std::wstring strSubDoc(szSubDoc);
    if (strSubDoc.empty() || strSubDoc.back() != L'\n') {
        strSubDoc += kLineBreak;
    }
    // Parsed on its own first, so that a broken sub-document leaves the document untouched.
    const int nParentDepth = x_Depth(iPosParent);
    const int nLength = static_cast<int>(strSubDoc.size());
    {
        std::vector<ElemPos> scratch(nLength / 64 + 8);
        int iScratchFree = 1;
        ElemIndex index(scratch, iScratchFree);
        const ParseOutcome outcome = ParseRange(strSubDoc.c_str(), 0, nLength, index, 0, nParentDepth, false);
        if (outcome.status != ParseStatus::Ok) {
            m_strError = outcome.status == ParseStatus::Error ? outcome.error : ErrorText(L"Element tag not found");
            return false;
        }
    }
    const int nOffset = x_PrepareInsert(iPosParent, iPosRef, bInsert);
    x_ReplaceText(nOffset, 0, strSubDoc);
    ElemIndex index(m_aPos, m_iPosFree);
    const ParseOutcome outcome =
        ParseRange(m_strDoc.c_str(), nOffset, nOffset + nLength, index, iPosParent, nParentDepth, false);
    x_Link(iPosParent, iPosRef, outcome.iFirst, outcome.iLast, bInsert);
    if (bAddChild) {
        x_SetPos(m_iPosParent, m_iPos, outcome.iFirst);
    } else {
        x_SetPos(m_iPosParent, outcome.iFirst, 0);
    }
    if (iPosParent == 0) {
        m_strError.clear();
    }
    return true;
}

bool CMarkupSTL::x_RemoveElem(int iPos)
{
    if (iPos == 0) {
        return false;
    }
    const ElemPos elem = m_aPos[static_cast<size_t>(iPos)];
    int nEnd = elem.nEndR + 1;
    size_t next = static_cast<size_t>(nEnd);
    while (next < m_strDoc.size() && IsSpace(m_strDoc[next])) {
        ++next;
    }
    if (next < m_strDoc.size() && m_strDoc[next] == L'<') {
        nEnd = static_cast<int>(next);
    }
    const int iPrev = x_Unlink(iPos);
    x_MarkRemoved(iPos);
    x_ReplaceText(elem.nStartL, nEnd - elem.nStartL, std::wstring());
    if (iPos == m_iPos) {
        x_SetPos(m_iPosParent, iPrev, 0);
    } else {
        x_SetPos(m_iPosParent, m_iPos, iPrev);
    }
    return true;
}

bool CMarkupSTL::RemoveElem()
{
    return x_RemoveElem(m_iPos);
}

bool CMarkupSTL::RemoveChildElem()
{
    return x_RemoveElem(m_iPosChild);
}

bool CMarkupSTL::x_SetAttrib(int iPos, const wchar_t* szAttrib, const wchar_t* szValue)
{
    if (iPos == 0 || !IsValidName(szAttrib)) {
        return false;
    }
    const std::wstring strValue = TextToDoc(szValue, true);
    const ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    TagScanner scanner(m_strDoc.c_str(), elem.nStartL, elem.nStartR);
    AttribSpan attrib;
    while (scanner.Next(attrib)) {
        if (!NameMatches(m_strDoc.c_str() + attrib.nameStart, attrib.nameEnd - attrib.nameStart, szAttrib)) {
            continue;
        }
        if (attrib.quoted) {
            x_ReplaceText(attrib.valueStart, attrib.valueEnd - attrib.valueStart, strValue);
        } else {
            // A quote right behind would pair with the new closing quote: keep them apart.
            const int nEnd = attrib.hasValue ? attrib.valueEnd : attrib.nameEnd;
            const wchar_t chNext = m_strDoc[static_cast<size_t>(nEnd)];
            const wchar_t* szGap = chNext == L'"' || chNext == L'\'' ? L" " : L"";
            x_ReplaceText(attrib.nameEnd, nEnd - attrib.nameEnd, L"=\"" + strValue + L"\"" + szGap);
        }
        return true;
    }
    const int nAt = IsSelfClosing(elem) ? elem.nEndL : elem.nStartR;
    // Behind a dangling "=" the new attribute would read as that one's value: close it first.
    int nBefore = nAt - 1;
    while (IsSpace(m_strDoc[static_cast<size_t>(nBefore)])) {
        --nBefore;
    }
    const wchar_t* szEmptyValue = m_strDoc[static_cast<size_t>(nBefore)] == L'=' ? L"\"\"" : L"";
    x_ReplaceText(nAt, 0, szEmptyValue + (L" " + (szAttrib + (L"=\"" + strValue + L"\""))));
    return true;
}

bool CMarkupSTL::SetAttrib(const wchar_t* szAttrib, int nValue)
{
    return SetAttrib(szAttrib, KxFormat(L"%d", nValue).c_str());
}

bool CMarkupSTL::SetChildAttrib(const wchar_t* szAttrib, int nValue)
{
    return SetChildAttrib(szAttrib, KxFormat(L"%d", nValue).c_str());
}

bool CMarkupSTL::x_SetData(int iPos, const wchar_t* szData, int nCDATA)
{
    if (iPos == 0 || m_aPos[static_cast<size_t>(iPos)].iElemChild != 0) {
        return false;
    }
    const std::wstring strData(szData ? szData : L"");
    const std::wstring strContent = nCDATA != 0 && strData.find(L"]]>") == std::wstring::npos
                                        ? L"<![CDATA[" + strData + L"]]>"
                                        : TextToDoc(strData.c_str(), false);
    const ElemPos elem = m_aPos[static_cast<size_t>(iPos)];
    if (!IsSelfClosing(elem)) {
        x_ReplaceText(elem.nStartR + 1, elem.nEndL - elem.nStartR - 1, strContent);
        return true;
    }
    x_OpenEmptyElem(iPos, strContent);
    return true;
}

void CMarkupSTL::x_OpenEmptyElem(int iPos, const std::wstring& strContent)
{
    // "<a/>" becomes "<a>", the content and "</a>". A start tag such as "<a//>" keeps one "/", so a
    // space must part it from the new ">" lest the tag still read as empty.
    const ElemPos elem = m_aPos[static_cast<size_t>(iPos)];
    const std::wstring strName = x_GetTagName(iPos);
    const std::wstring strClose = m_strDoc[static_cast<size_t>(elem.nEndL) - 1] == L'/' ? L" >" : L">";
    x_ReplaceText(elem.nEndL, elem.nEndR + 1 - elem.nEndL, strClose + strContent + L"</" + strName + L">");
    ElemPos& opened = m_aPos[static_cast<size_t>(iPos)];
    opened.nStartR = elem.nEndL + static_cast<int>(strClose.size()) - 1;
    opened.nEndL = opened.nStartR + 1 + static_cast<int>(strContent.size());
    opened.nEndR = opened.nEndL + 2 + static_cast<int>(strName.size());
}
