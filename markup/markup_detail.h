#pragma once

// Pieces of the XML document class that work on raw text: character classes, names, escaping,
// start-tag attributes and the parser that builds the element index.

#include <string>
#include <vector>

#include <util/markup.h>

#include "markup/markup_scan.h"

namespace markup_detail {

using ElemPos = CMarkupSTL::ElemPos;

// Deeper documents are refused: every walk over the tree stays far from the stack's limit.
constexpr int kMaxDepth = 1024;
// Flag in ElemPos::nReserved of an entry whose element was removed from the text.
constexpr int kRemoved = 1;
// Longest text a document takes: positions are 32-bit, with room left for edits.
constexpr int kMaxDocLength = 0x3FFFFFFF;
// Error messages are kept within this many characters, however long the tag name is.
constexpr int kMaxErrorLength = 300;

inline bool IsSpace(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\n' || ch == L'\r';
}

// Characters that end a name token inside a tag: white space and < > = \\ / ? ! " '.
inline bool EndsToken(wchar_t ch)
{
    static constexpr unsigned long long kEnders = (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << '\r') |
                                                  (1ull << '<') | (1ull << '>') | (1ull << '=') | (1ull << '/') |
                                                  (1ull << '?') | (1ull << '!') | (1ull << '"') | (1ull << '\'');
    return ch < 64 ? (kEnders >> ch) & 1 : ch == L'\\';
}

// End of the name token that starts at `pos`, never beyond `end`.
inline int NameEnd(const wchar_t* text, int pos, int end)
{
    while (pos < end && !EndsToken(text[pos])) {
        ++pos;
    }
    return pos;
}

// A name wanted by the caller matches a name in the text when its first `length` characters equal
// the text's case-insensitively and what follows them ends the wanted name.
bool NameMatches(const wchar_t* text, int length, const wchar_t* wanted);
// Exact case-insensitive equality of two names of the text.
bool SameName(const wchar_t* a, int lengthA, const wchar_t* b, int lengthB);
// A name that can be written into a tag without breaking the markup.
bool IsValidName(const wchar_t* name);

std::wstring TextToDoc(const wchar_t* text, bool bAttrib);
std::wstring TextFromDoc(const wchar_t* text, int start, int end);

// Error text from a message with one "%s" for an element name (or none), bounded in length.
std::wstring ErrorText(const wchar_t* format, const wchar_t* name = L"", int nameLength = 0);

// The attributes of one start tag, read in order.
struct AttribSpan {
    int nameStart;
    int nameEnd;
    int valueStart; // for a quoted value: after the opening quote
    int valueEnd;   // for a quoted value: at the closing quote
    bool hasValue;
    bool quoted;
};

class TagScanner {
public:
    // `start` is the "<" of the tag, `end` its ">".
    TagScanner(const wchar_t* text, int start, int end);
    bool Next(AttribSpan& attrib);

private:
    const wchar_t* m_text;
    int m_pos;
    int m_end;
};

// The index entries of a document with their growth rule.
class ElemIndex {
public:
    ElemIndex(std::vector<ElemPos>& entries, int& iFree) : m_entries(entries), m_iFree(iFree) {}
    int Take();
    ElemPos& operator[](int i) { return m_entries[static_cast<size_t>(i)]; }

private:
    std::vector<ElemPos>& m_entries;
    int& m_iFree;
};

enum class ParseStatus { Ok, NoElement, Error };

struct ParseOutcome {
    ParseStatus status = ParseStatus::NoElement;
    int iFirst = 0; // first and last element found at the level of the range
    int iLast = 0;
    std::wstring error;
};

// Parses the elements of text[begin, end) as children of `iParent`, whose own depth is
// `nParentDepth`. The elements found at the top of the range form one chain of siblings that the
// caller links in. With `bEndTagEndsLevel` an unmatched end tag ends the range quietly (the
// document level); otherwise it is an error (an inserted sub-document must be complete).
ParseOutcome ParseRange(const wchar_t* text, int begin, int end, ElemIndex& index, int iParent, int nParentDepth,
                        bool bEndTagEndsLevel);

} // namespace markup_detail
