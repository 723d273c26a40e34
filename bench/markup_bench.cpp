// Parse speed of the XML document against the cost of merely reading the same text once (wcslen), the
// memory its element index takes per megabyte of text, and how the cost of a FindElem step grows with
// the number of siblings.
#include <util/markup.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr size_t kTextBytes = 10u << 20;

void AppendNumber(std::wstring& text, unsigned value)
{
    wchar_t digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        text += digits[--n];
    }
}

// Quotes of a trading client: many small elements with attributes, in groups. Built in place: the
// checking heap of the test prefix makes every allocation slow.
std::wstring GenerateDocument()
{
    std::wstring text;
    text.reserve(kTextBytes / sizeof(wchar_t) + 256);
    text += L"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<quotes market=\"SH\">\r\n";
    unsigned seed = 12345;
    unsigned group = 0;
    while (text.size() * sizeof(wchar_t) < kTextBytes - 8192) {
        text += L"  <group n=\"";
        AppendNumber(text, group++);
        text += L"\">\r\n";
        for (int i = 0; i < 50; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += L"    <q id=\"";
            AppendNumber(text, seed % 1000000);
            text += L"\" code=\"6";
            AppendNumber(text, 10000 + seed % 90000);
            text += L"\" name=\"浦发银行\" price=\"";
            AppendNumber(text, seed % 5000);
            text += L".25\" vol=\"";
            AppendNumber(text, seed % 9999999);
            text += L"\"/>\r\n";
        }
        text += L"  </group>\r\n";
    }
    text += L"</quotes>\r\n";
    return text;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double BestOf(int runs, Work work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        work();
        QueryPerformanceCounter(&to);
        best = std::min(best, Seconds(from, to));
    }
    return best;
}

// Time of one FindElem step, by name, over count sibling elements (every tenth of another name).
double SiblingStepTime(int count)
{
    std::wstring text = L"<r>";
    for (int i = 0; i < count; ++i) {
        text += i % 10 == 9 ? L"<x/>" : L"<e/>";
    }
    text += L"</r>";
    CMarkupSTL doc;
    doc.SetDoc(text.c_str());
    int found = 0;
    const double seconds = BestOf(5, [&] {
        found = 0;
        doc.ResetPos();
        doc.FindElem();
        doc.IntoElem();
        while (doc.FindElem(L"e")) {
            ++found;
        }
    });
    return seconds / found;
}

class IndexSize : public CMarkupSTL {
public:
    size_t Bytes() const { return m_aPos.capacity() * sizeof(ElemPos); }
    int Entries() const { return m_iPosFree; }
};

} // namespace

int main()
{
    const std::wstring text = GenerateDocument();
    const double megabytes = static_cast<double>(text.size() * sizeof(wchar_t)) / (1 << 20);

    // The text goes through a volatile pointer so that the length is computed on every run.
    const wchar_t* volatile source = text.c_str();
    volatile size_t length = 0;
    const double scanTime = BestOf(50, [&] { length = wcslen(source); });

    // A new document allocates room for its copy of the text (which the checking heap of the test prefix
    // makes costly); a document set again to a text of the same size reuses that room.
    bool parsed = false;
    const double coldTime = BestOf(5, [&] {
        CMarkupSTL fresh;
        parsed = fresh.SetDoc(source);
    });
    const double copyTime = BestOf(5, [&] { std::wstring copy(source); });
    IndexSize doc;
    const double parseTime = BestOf(20, [&] { parsed = doc.SetDoc(source) && parsed; });

    int elements = 0;
    const double walkTime = BestOf(5, [&] {
        elements = 0;
        doc.ResetPos();
        doc.FindElem();
        doc.IntoElem();
        while (doc.FindElem()) {
            doc.IntoElem();
            while (doc.FindElem(L"q")) {
                ++elements;
            }
            doc.OutOfElem();
        }
    });

    std::printf("document: %.1f MB of text, %zu characters, parsed %s, %d elements in the index\n", megabytes,
                static_cast<size_t>(length), parsed ? "fine" : "WITH AN ERROR", doc.Entries() - 1);
    std::printf("wcslen:        %8.1f MB/s\n", megabytes / scanTime);
    std::printf("SetDoc parse:  %8.1f MB/s  (%.2fx the time of wcslen; target at most 10x)\n", megabytes / parseTime,
                parseTime / scanTime);
    std::printf("  on a new document object: %8.1f MB/s  (%.2fx; a bare copy of the text into new storage takes "
                "%.2fx)\n",
                megabytes / coldTime, coldTime / scanTime, copyTime / scanTime);
    std::printf("walk of %d quotes: %.1f ms\n", elements, walkTime * 1000);
    const double indexPerMegabyte = static_cast<double>(doc.Bytes()) / megabytes;
    std::printf("index:         %8.0f bytes per MB of text (%.2fx the text; target at most 1x)\n", indexPerMegabyte,
                indexPerMegabyte / (1 << 20));
    const double fewSiblings = SiblingStepTime(1000), manySiblings = SiblingStepTime(100000);
    std::printf("FindElem step among 100,000 siblings: %.3f us, among 1,000: %.3f us (ratio %.2f; target <= 2: "
                "constant)\n",
                manySiblings * 1e6, fewSiblings * 1e6, manySiblings / fewSiblings);
    return parsed ? 0 : 1;
}
