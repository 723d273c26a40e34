#include "markup_check.h"

#include <util/format.h>

namespace markup_test {

namespace {

void DumpLevel(CMarkupSTL& doc, int nDepth, std::wstring& out)
{
    while (doc.FindElem()) {
        out += std::wstring(static_cast<size_t>(nDepth) * 2, L' ') + L"<" + doc.GetTagName() + L">";
        for (int n = 0;; ++n) {
            const std::wstring name = doc.GetAttribName(n);
            if (name.empty()) {
                break;
            }
            out += L" " + name + L"=[" + doc.GetAttrib(name.c_str()) + L"]";
        }
        out += L" data=[" + doc.GetData() + L"]\n";
        while (doc.FindChildElem()) {
            out += std::wstring(static_cast<size_t>(nDepth) * 2 + 1, L' ') + L"child [" + doc.GetChildData() + L"]\n";
        }
        doc.IntoElem();
        DumpLevel(doc, nDepth + 1, out);
        doc.OutOfElem();
    }
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t ch : text) {
        out += ch < 0x80 ? static_cast<char>(ch) : '?';
    }
    return out;
}

} // namespace

std::wstring Dump(const CMarkupSTL& doc)
{
    CMarkupSTL copy(doc);
    copy.ResetPos();
    std::wstring out;
    DumpLevel(copy, 0, out);
    return out;
}

std::string IndexProbe::Check() const
{
    if (m_aPos.empty()) {
        return "no entry 0";
    }
    const ElemPos& root = m_aPos[0];
    if (root.nEndL != static_cast<int>(m_strDoc.size())) {
        return "entry 0 does not end at the document's end";
    }
    int nPrevEnd = -1;
    for (int i = root.iElemChild; i != 0; i = m_aPos[static_cast<size_t>(i)].iElemNext) {
        if (m_aPos[static_cast<size_t>(i)].nStartL <= nPrevEnd) {
            return "roots out of order";
        }
        std::string problem = CheckElem(i, 0, 1);
        if (!problem.empty()) {
            return problem;
        }
        nPrevEnd = m_aPos[static_cast<size_t>(i)].nEndR;
    }
    return std::string();
}

std::string IndexProbe::CheckElem(int iPos, int iParent, int nDepth) const
{
    if (iPos <= 0 || iPos >= m_iPosFree) {
        return "index out of range";
    }
    const ElemPos& elem = m_aPos[static_cast<size_t>(iPos)];
    const int nLength = static_cast<int>(m_strDoc.size());
    const std::string where = "element " + std::to_string(iPos) + " at " + std::to_string(elem.nStartL) + ": ";
    if (elem.iElemParent != iParent) {
        return where + "wrong parent";
    }
    if (elem.nStartL < 0 || elem.nEndR >= nLength || elem.nStartL >= elem.nStartR || elem.nEndR < elem.nStartR) {
        return where + "positions out of order";
    }
    if (m_strDoc[elem.nStartL] != L'<' || m_strDoc[elem.nStartR] != L'>') {
        return where + "start tag misplaced";
    }
    if (elem.nEndR == elem.nStartR) {
        if (elem.nEndL != elem.nStartR - 1 || m_strDoc[elem.nEndL] != L'/' || elem.iElemChild != 0) {
            return where + "empty element misplaced";
        }
        return std::string();
    }
    if (elem.nEndL <= elem.nStartR || m_strDoc[elem.nEndL] != L'<' || m_strDoc[elem.nEndL + 1] != L'/' ||
        m_strDoc[elem.nEndR] != L'>') {
        return where + "end tag misplaced";
    }
    int nPrevEnd = elem.nStartR;
    for (int i = elem.iElemChild; i != 0; i = m_aPos[static_cast<size_t>(i)].iElemNext) {
        const ElemPos& child = m_aPos[static_cast<size_t>(i)];
        if (child.nStartL <= nPrevEnd || child.nEndR >= elem.nEndL) {
            return where + "child outside its parent or out of order";
        }
        std::string problem = CheckElem(i, iPos, nDepth + 1);
        if (!problem.empty()) {
            return problem;
        }
        nPrevEnd = child.nEndR;
    }
    return std::string();
}

::testing::AssertionResult IndexIsTrue(const CMarkupSTL& doc)
{
    const std::string problem = IndexProbe(doc).Check();
    if (!problem.empty()) {
        return ::testing::AssertionFailure() << problem << "\nin:\n" << Narrow(doc.GetDoc());
    }
    const CMarkupSTL reparsed(doc.GetDoc().c_str());
    if (reparsed.IsWellFormed() != doc.IsWellFormed()) {
        return ::testing::AssertionFailure()
               << "a fresh parse disagrees about being well formed: " << Narrow(reparsed.GetError()) << "\nin:\n"
               << Narrow(doc.GetDoc());
    }
    const std::wstring expected = Dump(reparsed);
    const std::wstring actual = Dump(doc);
    if (expected != actual) {
        return ::testing::AssertionFailure() << "reading differs from a fresh parse\nfresh:\n"
                                             << Narrow(expected) << "\nindexed:\n"
                                             << Narrow(actual);
    }
    return ::testing::AssertionSuccess();
}

} // namespace markup_test
