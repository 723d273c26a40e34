#pragma once

// Checks shared by the XML document tests: a full walk of a document through its cursor, and a look
// at the raw index to see that every position still points where it should.

#include <util/markup.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace markup_test {

// Everything the cursor can read, level by level: tag names, attributes, data, and the children
// as seen through the child cursor.
std::wstring Dump(const CMarkupSTL& doc);

// Reads the protected index of a document.
class IndexProbe : public CMarkupSTL {
public:
    explicit IndexProbe(const CMarkupSTL& doc) : CMarkupSTL(doc) {}

    // Empty when every element reachable from the document level lies where its entry says;
    // otherwise what is wrong.
    std::string Check() const;

private:
    std::string CheckElem(int iPos, int iParent, int nDepth) const;
};

// The index is true when the document's raw positions are sound and reading it gives the same as
// reading a fresh parse of its text.
::testing::AssertionResult IndexIsTrue(const CMarkupSTL& doc);

// Moves the cursor or changes the document at random; what was done, for messages. Values that an
// edit wrote are read back at once (a mismatch is reported as a test failure).
std::string RandomStep(CMarkupSTL& doc, std::mt19937& rng);

// Text with "<", ">" and "&" written as entities.
std::wstring TextToEscapedDoc(const std::wstring& text);

// Random text of up to `maxPieces` pieces that are hard to escape and to parse.
std::wstring RandomText(std::mt19937& rng, int maxPieces);

} // namespace markup_test
