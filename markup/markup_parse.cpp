#include "markup/markup_detail.h"

namespace markup_detail {

namespace {

// First index of `word` at or after `pos` whose whole length lies before `end`; -1 if none.
int FindWord(const wchar_t* text, int pos, int end, const wchar_t* word, int length)
{
    for (int last = end - length; pos <= last; ++pos) {
        pos = FindChar(text, pos, last + 1, word[0]);
        if (pos > last) {
            break;
        }
        if (std::char_traits<wchar_t>::compare(text + pos + 1, word + 1, static_cast<size_t>(length - 1)) == 0) {
            return pos;
        }
    }
    return -1;
}

bool StartsWithNoCase(const wchar_t* text, int pos, int end, const wchar_t* word)
{
    const int length = static_cast<int>(wcslen(word));
    return end - pos >= length && SameName(text + pos, length, word, length);
}

// A node that is not an element ("<!--...-->", "<![CDATA[...]]>", "<?...?>", "<!...>") starting at
// `lt`: the index after it, or -1 when its end is missing.
int SkipNode(const wchar_t* text, int lt, int end)
{
    int close = -1;
    if (StartsWithNoCase(text, lt, end, L"<!--")) {
        close = FindWord(text, lt + 4, end, L"-->", 3);
        return close < 0 ? -1 : close + 3;
    }
    if (StartsWithNoCase(text, lt, end, L"<![CDATA[")) {
        close = FindWord(text, lt + 9, end, L"]]>", 3);
        return close < 0 ? -1 : close + 3;
    }
    if (text[lt + 1] == L'?') {
        close = FindWord(text, lt + 2, end, L"?>", 2);
        return close < 0 ? -1 : close + 2;
    }
    // A declaration; an internal subset in brackets may hold ">" of its own.
    int pos = lt + 2;
    while (pos < end && text[pos] != L'>') {
        if (text[pos] == L'[') {
            pos = FindChar(text, pos + 1, end, L']');
        }
        ++pos;
    }
    return pos < end ? pos + 1 : -1;
}

enum : int { kTagAbrupt = -1, kTagInterrupted = -2 };

// The ">" that closes a start tag, skipping quoted values. Sixteen characters are looked at together:
// most attribute values open and close within them.
int TagEnd(const wchar_t* text, int pos, int end)
{
    while (pos + 16 <= end) {
        const __m128i low = LoadEight(text + pos);
        const __m128i high = LoadEight(text + pos + 8);
        const unsigned closes = MaskOfSixteen(low, high, L'>');
        const unsigned opens = MaskOfSixteen(low, high, L'<');
        const unsigned doubles = MaskOfSixteen(low, high, L'"');
        const unsigned singles = MaskOfSixteen(low, high, L'\'');
        unsigned events = closes | opens | doubles | singles;
        int next = pos + 16;
        while (events != 0) {
            const int at = LowestSetBit(events);
            const unsigned bit = 1u << at;
            if (closes & bit) {
                return pos + at;
            }
            if (opens & bit) {
                return kTagInterrupted;
            }
            const unsigned laterSame = ((doubles & bit) ? doubles : singles) & ~((bit << 1) - 1);
            if (laterSame == 0) {
                // The value goes on past these sixteen characters.
                next = FindChar(text, pos + 16, end, text[pos + at]) + 1;
                break;
            }
            const unsigned closing = 1u << LowestSetBit(laterSame);
            events &= ~((closing << 1) - 1);
        }
        pos = next;
    }
    for (; pos < end; ++pos) {
        const wchar_t ch = text[pos];
        if (ch == L'>') {
            return pos;
        }
        if (ch == L'<') {
            return kTagInterrupted;
        }
        if (ch == L'"' || ch == L'\'') {
            pos = FindChar(text, pos + 1, end, ch);
        }
    }
    return kTagAbrupt;
}

// The elements still open are chained through their parent links; while an element is open its
// nEndR holds its last child so far, which needs no stack beside the index.
class RangeParser {
public:
    RangeParser(const wchar_t* text, int end, ElemIndex& index, int iParent, int nParentDepth)
        : m_text(text), m_end(end), m_index(index), m_iParent(iParent), m_nParentDepth(nParentDepth)
    {
    }

    ParseOutcome Run(int begin, bool bEndTagEndsLevel);

private:
    bool Fail(const wchar_t* format) { return Fail(format, L"", 0); }
    bool Fail(const wchar_t* format, const wchar_t* name, int length)
    {
        m_outcome.status = ParseStatus::Error;
        m_outcome.error = ErrorText(format, name, length);
        return false;
    }
    bool FailFor(const wchar_t* format, int iPos)
    {
        const int nameStart = m_index[iPos].nStartL + 1;
        return Fail(format, m_text + nameStart, NameEnd(m_text, nameStart, m_end) - nameStart);
    }

    bool StartTag(int lt, int& pos);
    bool EndTag(int lt, int& pos);
    void Link(int iPos);

    const wchar_t* m_text;
    int m_end;
    ElemIndex& m_index;
    int m_iParent;
    int m_nParentDepth;
    int m_iOpen = 0; // innermost open element, valid while m_nOpen > 0
    int m_nOpen = 0;
    ParseOutcome m_outcome;
};

ParseOutcome RangeParser::Run(int begin, bool bEndTagEndsLevel)
{
    int pos = begin;
    for (;;) {
        const int lt = FindChar(m_text, pos, m_end, L'<');
        if (lt >= m_end) {
            if (m_nOpen > 0) {
                FailFor(L"End tag of %s element not found", m_iOpen);
            }
            break;
        }
        if (lt + 1 >= m_end) {
            Fail(L"Abrupt end within tag");
            break;
        }
        const wchar_t next = m_text[lt + 1];
        if (next == L'!' || next == L'?') {
            pos = SkipNode(m_text, lt, m_end);
            if (pos < 0) {
                Fail(L"Invalid node");
                break;
            }
        } else if (next == L'/') {
            if (m_nOpen == 0) {
                if (!bEndTagEndsLevel) {
                    Fail(L"Element tag not found");
                }
                break;
            }
            if (!EndTag(lt, pos)) {
                break;
            }
        } else if (!StartTag(lt, pos)) {
            break;
        }
    }
    if (m_outcome.status != ParseStatus::Error && m_outcome.iFirst != 0) {
        m_outcome.status = ParseStatus::Ok;
    }
    return std::move(m_outcome);
}

bool RangeParser::StartTag(int lt, int& pos)
{
    const wchar_t first = m_text[lt + 1];
    if (first == L'"' || first == L'\'') {
        return Fail(L"Tag starts with quote");
    }
    const int nameEnd = NameEnd(m_text, lt + 1, m_end);
    if (nameEnd == lt + 1) {
        return Fail(L"Element tag not found");
    }
    const int gt = TagEnd(m_text, nameEnd, m_end);
    if (gt == kTagAbrupt) {
        return Fail(L"Abrupt end within tag");
    }
    if (gt == kTagInterrupted) {
        return Fail(L"End of tag not found");
    }
    if (m_nParentDepth + m_nOpen + 1 > kMaxDepth) {
        return Fail(L"Element %s nested too deeply", m_text + lt + 1, nameEnd - lt - 1);
    }
    const int iPos = m_index.Take();
    ElemPos& elem = m_index[iPos];
    elem.nStartL = lt;
    elem.nStartR = gt;
    Link(iPos);
    if (m_text[gt - 1] == L'/') {
        elem.nEndL = gt - 1;
        elem.nEndR = gt;
    } else {
        elem.nEndR = 0; // no child yet
        m_iOpen = iPos;
        ++m_nOpen;
    }
    pos = gt + 1;
    return true;
}

bool RangeParser::EndTag(int lt, int& pos)
{
    const int iPos = m_iOpen;
    const int nameStart = lt + 2;
    const int nameEnd = NameEnd(m_text, nameStart, m_end);
    if (nameEnd == nameStart) {
        return FailFor(L"Expecting end tag of element %s", iPos);
    }
    const int startName = m_index[iPos].nStartL + 1;
    const int startNameEnd = NameEnd(m_text, startName, m_end);
    if (!SameName(m_text + nameStart, nameEnd - nameStart, m_text + startName, startNameEnd - startName)) {
        return FailFor(L"End tag does not correspond to %s", iPos);
    }
    int gt = nameEnd;
    while (gt < m_end && IsSpace(m_text[gt])) {
        ++gt;
    }
    if (gt >= m_end || m_text[gt] != L'>') {
        return FailFor(L"End tag not completed for element %s", iPos);
    }
    ElemPos& elem = m_index[iPos];
    elem.nEndL = lt;
    elem.nEndR = gt;
    m_iOpen = elem.iElemParent;
    --m_nOpen;
    pos = gt + 1;
    return true;
}

void RangeParser::Link(int iPos)
{
    ElemPos& elem = m_index[iPos];
    if (m_nOpen == 0) {
        elem.iElemParent = m_iParent;
        if (m_outcome.iLast != 0) {
            m_index[m_outcome.iLast].iElemNext = iPos;
        } else {
            m_outcome.iFirst = iPos;
        }
        m_outcome.iLast = iPos;
        return;
    }
    ElemPos& parent = m_index[m_iOpen];
    elem.iElemParent = m_iOpen;
    if (parent.nEndR != 0) {
        m_index[parent.nEndR].iElemNext = iPos;
    } else {
        parent.iElemChild = iPos;
    }
    parent.nEndR = iPos;
}

} // namespace

ParseOutcome ParseRange(const wchar_t* text, int begin, int end, ElemIndex& index, int iParent, int nParentDepth,
                        bool bEndTagEndsLevel)
{
    RangeParser parser(text, end, index, iParent, nParentDepth);
    return parser.Run(begin, bEndTagEndsLevel);
}

} // namespace markup_detail
