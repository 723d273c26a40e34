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

namespace markup_test {

namespace {

const wchar_t* const kPieces[] = {L"a",   L"Zh",    L"<",    L">",    L"&",           L"\"",    L"'",
                                  L"]]>", L"&amp;", L" ",    L"\r\n", L"中文",        L"&#65;", L"<![CDATA[",
                                  L"/",   L"=",     L"<!--", L"?>",   L"&lt;tag&gt;", L"\t",    L"x y"};
const wchar_t* const kNames[] = {L"a", L"B", L"item", L"Item", L"x", L"id", L"menu"};

template <typename T, size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N])
{
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

std::wstring RandomSubDoc(std::mt19937& rng)
{
    switch (rng() % 6) {
    case 0:
        return L"<sub a=\"1\"><in>" + TextToEscapedDoc(RandomText(rng, 3)) + L"</in></sub>";
    case 1:
        return L"<one/><two x='2'/>";
    case 2:
        return L"<!-- note --><sub><![CDATA[" + std::wstring(L"<raw>") + L"]]></sub>";
    case 3:
        return L"<broken><x></broken>";
    case 4:
        return L"<sub/></stray>";
    default:
        return RandomText(rng, 4);
    }
}

} // namespace

std::wstring TextToEscapedDoc(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t ch : text) {
        switch (ch) {
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'&':
            out += L"&amp;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::wstring RandomText(std::mt19937& rng, int maxPieces)
{
    std::wstring text;
    for (int n = static_cast<int>(rng() % static_cast<unsigned>(maxPieces + 1)); n > 0; --n) {
        text += Pick(rng, kPieces);
    }
    return text;
}

std::string RandomStep(CMarkupSTL& doc, std::mt19937& rng)
{
    const wchar_t* name = Pick(rng, kNames);
    const std::wstring value = RandomText(rng, 4);
    const bool cdata = rng() % 2 == 0;
    switch (rng() % 20) {
    case 0:
        doc.ResetPos();
        return "ResetPos";
    case 1:
    case 2:
        doc.FindElem(rng() % 3 == 0 ? name : nullptr);
        return "FindElem";
    case 3:
    case 4:
        doc.FindChildElem(rng() % 3 == 0 ? name : nullptr);
        return "FindChildElem";
    case 5:
        doc.IntoElem();
        return "IntoElem";
    case 6:
        doc.OutOfElem();
        return "OutOfElem";
    case 7:
        if (doc.SetAttrib(name, value.c_str())) {
            EXPECT_EQ(doc.GetAttrib(name), value);
        }
        return "SetAttrib";
    case 8:
        if (doc.SetChildAttrib(name, value.c_str())) {
            EXPECT_EQ(doc.GetChildAttrib(name), value);
        }
        return "SetChildAttrib";
    case 9:
        if (doc.SetData(value.c_str(), cdata)) {
            EXPECT_EQ(doc.GetData(), value);
        }
        return "SetData";
    case 10:
        if (doc.SetChildData(value.c_str(), cdata)) {
            EXPECT_EQ(doc.GetChildData(), value);
        }
        return "SetChildData";
    case 11:
        if (doc.AddElem(name, value.c_str())) {
            EXPECT_EQ(doc.GetTagName(), name);
            EXPECT_EQ(doc.GetData(), value);
        }
        return "AddElem";
    case 12:
        doc.InsertElem(name, value.c_str());
        return "InsertElem";
    case 13:
        doc.AddChildElem(name, value.c_str());
        return "AddChildElem";
    case 14:
        doc.InsertChildElem(name, cdata ? nullptr : value.c_str());
        return "InsertChildElem";
    case 15: {
        const std::wstring sub = RandomSubDoc(rng);
        switch (rng() % 4) {
        case 0:
            doc.AddSubDoc(sub.c_str());
            break;
        case 1:
            doc.InsertSubDoc(sub.c_str());
            break;
        case 2:
            doc.AddChildSubDoc(sub.c_str());
            break;
        default:
            doc.InsertChildSubDoc(sub.c_str());
        }
        return "SubDoc";
    }
    case 16:
        doc.RemoveElem();
        return "RemoveElem";
    case 17:
        doc.RemoveChildElem();
        return "RemoveChildElem";
    case 18:
        doc.SavePos(name);
        return "SavePos";
    default:
        doc.RestorePos(name);
        return "RestorePos";
    }
}

} // namespace markup_test
