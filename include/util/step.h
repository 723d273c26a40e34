#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <util/export.h>

// Step messages: tag=value fields each ended by 0x01, grouped into sections (one record each) ended
// by 0x02. A CKxStep owns the bytes of one message and an index of its sections; a CKxStepSec reads
// its fields straight out of that buffer.

// One field of a section; every position is a byte offset into the owning step's buffer.
struct tagStepField {
    int nTag;      // the field's tag
    int nTagPos;   // first byte of the tag text
    int nValuePos; // first value byte, just after the '='
    int nValueLen; // value bytes, without the ending 0x01
};
static_assert(sizeof(tagStepField) == 16, "the field record is four 32-bit values");

class CKxStep;

// The bytes of a step: a growable buffer that hands out room to write into, so that a field is
// stored with one capacity check and no filling first.
class CKxStepBuffer {
public:
    CKxStepBuffer() = default;
    CKxStepBuffer(const CKxStepBuffer& other);
    CKxStepBuffer& operator=(const CKxStepBuffer& other);

    const char* data() const { return m_pBytes.get(); }
    size_t size() const { return m_nSize; }
    // Lengthens the buffer by nMore bytes and returns the first of them, to be written by the caller.
    char* Extend(size_t nMore)
    {
        if (m_nCapacity - m_nSize < nMore) {
            Grow(nMore);
        }
        char* pMore = m_pBytes.get() + m_nSize;
        m_nSize += nMore;
        return pMore;
    }
    void PushBack(char c) { *Extend(1) = c; }
    void Assign(const char* pData, size_t nLen);
    void Clear() { m_nSize = 0; } // keeps the memory for the next message

private:
    void Grow(size_t nMore);

    std::unique_ptr<char[]> m_pBytes;
    size_t m_nSize = 0;
    size_t m_nCapacity = 0;
};

class UTIL_API CKxStepSec {
public:
    // Only a step (and its parser) can make one: the key's constructor is private to them.
    class Key {
        friend class CKxStep;
        friend class CKxStepIndexer;
        Key() = default;
    };
    CKxStepSec(Key, CKxStep* pOwner, int nStart, int nFirst, int nCount = 0, int nLen = 0);
    CKxStepSec(Key, CKxStep* pOwner, const CKxStepSec& other);
    CKxStepSec(const CKxStepSec&) = delete;
    CKxStepSec& operator=(const CKxStepSec&) = delete;

    int GetStartPos() const { return m_nStart; }
    // The spelling is the interface's own (clients call it): keep it.
    int GetLenth() const { return m_nLen; }
    int GetCount() const { return m_nCount; }

    // Per field; -1 for an index out of range.
    int GetID(int nIndex) const;
    int GetValuePos(int nIndex) const;
    int GetSubStepPos(int nIndex) const;

    // With a buffer and a positive capacity: copies at most nCapacity value bytes (no terminator), sets
    // nTag and returns the number copied. Otherwise returns the value's length and leaves nTag alone.
    // 0 for an index out of range.
    int GetValue(int nIndex, int& nTag, char* pBuffer, int nCapacity) const;
    // The same for the field's whole text "tag=value" (without its 0x01).
    int GetSubStep(int nIndex, int& nTag, char* pBuffer, int nCapacity) const;

    // Appends a field to the owner's buffer; only the most recently appended section may grow.
    // Always returns 0. A null or negative-length value is written empty.
    int AddValue(int nTag, const char* pValue, int nLen);
    int AddValue(int nTag, int nValue);

private:
    friend class CKxStep;

    const tagStepField* Field(int nIndex) const;
    int CopyOut(const tagStepField& field, int nFrom, int nLen, int& nTag, char* pBuffer, int nCapacity) const;

    int m_nStart;
    int m_nLen;
    int m_nFirst; // the section's fields are the owner's field records [m_nFirst, m_nFirst + m_nCount)
    int m_nCount;
    CKxStep* m_pOwner;
};

class UTIL_API CKxStep {
public:
    // Values of the tags in the nesting set may hold 0x02 bytes (nested data) without ending the section.
    explicit CKxStep(const std::set<int>& setNest = std::set<int>());
    // Copies are deep: the copy's sections index the copy's own buffer.
    CKxStep(const CKxStep& other);
    CKxStep& operator=(const CKxStep& other);
    virtual ~CKxStep();

    // Replaces everything with the given bytes and indexes them; returns the number of sections.
    int Parser(const char* pData, int nLen, const std::set<int>& setNest = std::set<int>());
    // The section at nIndex, or null.
    const CKxStepSec* GetCec(int nIndex) const;

    // Starts a new section (ending the previous one with 0x02) at the end of the buffer.
    CKxStepSec* AppendSec();
    // Ends the last section with 0x02 once and copies the whole buffer out; returns its length.
    int GetStepStream(std::string& strOut);
    void Clear();

private:
    friend class CKxStepSec;
    friend class CKxStepIndexer;

    void CopySectionsFrom(const CKxStep& other);
    void InsertField(const CKxStepSec& section, const tagStepField& field); // into an earlier section

    std::deque<CKxStepSec> m_vecSec; // a deque keeps the sections where they are as it grows
    std::set<int> m_setNest;
    CKxStepBuffer m_strBuf;
    std::vector<tagStepField> m_vecField; // of all sections, in section order
};
