#include "codec/step_indexer.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The C library's atoi over [begin, end): blanks, a sign, digits up to the first non-digit; out of
// range values stick at the int limits. The tag text is not terminated, so atoi itself cannot be used.
int ReadTag(const char* begin, const char* end)
{
    while (begin < end && IsBlank(*begin)) {
        ++begin;
    }
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    int64_t value = 0;
    for (; begin < end && *begin >= '0' && *begin <= '9'; ++begin) {
        value = value * 10 + (*begin - '0');
        if (value > INT_MAX) {
            return negative ? INT_MIN : INT_MAX;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

CKxStepIndexer::CKxStepIndexer(CKxStep& step)
    : m_step(step), m_data(step.m_strBuf.data()), m_size(step.m_strBuf.size()), m_noneNested(IsNested(-1)),
      m_openNested(m_noneNested)
{
}

void CKxStepIndexer::Run()
{
    for (size_t i = 0; i < m_size; ++i) {
        const int tag = m_open.nTag;
        if (tag > 0) {
            i = FindValueEnd(i);
        } else if (tag < 0) {
            i = FindEither(i, '=', m_openNested ? '=' : kStepSectionEnd);
        } else if (!m_openNested) {
            i = FindEither(i, kStepSectionEnd, kStepSectionEnd); // a field of tag 0 never ends
        } else {
            break; // nor can its section
        }
        if (i == m_size) {
            break;
        }
        const char b = m_data[i];
        if (tag < 0 && b == '=') {
            OpenField(i);
        } else if (tag > 0 && b == kStepFieldEnd) {
            CloseField(i);
        } else {
            // An empty value is not ended by 0x02: its field stays open until the next 0x01.
            if (tag > 0 && i > static_cast<size_t>(m_open.nValuePos)) {
                CloseField(i);
            }
            EndSection(i);
        }
    }
    if (m_step.m_vecField.size() > m_sectionFirst) {
        KeepSection(m_size - m_sectionStart);
    }
}

bool CKxStepIndexer::IsNested(int nTag) const
{
    const std::set<int>& nest = m_step.m_setNest;
    return !nest.empty() && nest.count(nTag) != 0;
}

size_t CKxStepIndexer::FindEither(size_t from, char first, char second) const
{
    while (from < m_size && m_data[from] != first && m_data[from] != second) {
        ++from;
    }
    return from;
}

// The 0x01 that ends the open value, or a 0x02 that its tag does not nest. Values are most of the
// bytes, so they are scanned eight at a time for anything below 0x03 (the classic "has a byte less
// than n" test: the lowest flagged byte is exact).
size_t CKxStepIndexer::FindValueEnd(size_t from) const
{
    const uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t kHighs = 0x8080808080808080ull;
    for (;;) {
        while (from + 8 <= m_size) {
            uint64_t word;
            memcpy(&word, m_data + from, sizeof(word));
            if (((word - 3 * kOnes) & ~word & kHighs) != 0) {
                break;
            }
            from += 8;
        }
        while (from < m_size && static_cast<unsigned char>(m_data[from]) >= 3) {
            ++from;
        }
        if (from == m_size || m_data[from] == kStepFieldEnd || (m_data[from] == kStepSectionEnd && !m_openNested)) {
            return from;
        }
        ++from; // a NUL, or a nested 0x02: part of the value
    }
}

void CKxStepIndexer::OpenField(size_t equals)
{
    m_open.nTag = ReadTag(m_data + m_tagText, m_data + equals);
    m_open.nTagPos = static_cast<int>(m_tagText);
    m_open.nValuePos = static_cast<int>(equals + 1);
    m_openNested = IsNested(m_open.nTag);
    m_tagText = equals + 1;
}

void CKxStepIndexer::CloseField(size_t end)
{
    m_open.nValueLen = static_cast<int>(end) - m_open.nValuePos;
    m_step.m_vecField.push_back(m_open);
    m_open.nTag = -1;
    m_openNested = m_noneNested;
    m_tagText = end + 1;
}

void CKxStepIndexer::EndSection(size_t end)
{
    if (m_step.m_vecField.size() > m_sectionFirst) {
        KeepSection(end - m_sectionStart + 1);
    }
    m_sectionStart = end + 1;
    m_tagText = end + 1;
}

void CKxStepIndexer::KeepSection(size_t length)
{
    const size_t fields = m_step.m_vecField.size();
    m_step.m_vecSec.emplace_back(CKxStepSec::Key(), &m_step, static_cast<int>(m_sectionStart),
                                 static_cast<int>(m_sectionFirst), static_cast<int>(fields - m_sectionFirst),
                                 static_cast<int>(length));
    m_sectionFirst = fields;
}
