#include <util/step.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>

#include "codec/step_indexer.h"

namespace {

// "%d" without the cost of a printf call per field; returns the number of characters written.
int FormatInt(int nValue, char* pText)
{
    return static_cast<int>(std::to_chars(pText, pText + 12, nValue).ptr - pText);
}

// Writes "tag=", the value and 0x01 straight into the buffer: building spends its time on such small
// copies, so the few characters of the tag are stored one by one rather than by a call.
void AppendField(CKxStepBuffer& buffer, const char* pHead, int nHeadLen, const char* pValue, int nLen)
{
    char* out = buffer.Extend(static_cast<size_t>(nHeadLen + nLen + 1));
    for (int i = 0; i < nHeadLen; ++i) {
        *out++ = pHead[i];
    }
    memcpy(out, pValue, static_cast<size_t>(nLen));
    out[nLen] = kStepFieldEnd;
}

} // namespace

// ---- CKxStepSec -------------------------------------------------------------------------------------

CKxStepSec::CKxStepSec(Key, CKxStep* pOwner, int nStart, int nFirst, int nCount, int nLen)
    : m_nStart(nStart), m_nLen(nLen), m_nFirst(nFirst), m_nCount(nCount), m_pOwner(pOwner)
{
}

CKxStepSec::CKxStepSec(Key, CKxStep* pOwner, const CKxStepSec& other)
    : m_nStart(other.m_nStart), m_nLen(other.m_nLen), m_nFirst(other.m_nFirst), m_nCount(other.m_nCount),
      m_pOwner(pOwner)
{
}

const tagStepField* CKxStepSec::Field(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount) {
        return nullptr;
    }
    return &m_pOwner->m_vecField[static_cast<size_t>(m_nFirst + nIndex)];
}

int CKxStepSec::GetID(int nIndex) const
{
    const tagStepField* field = Field(nIndex);
    return field ? field->nTag : -1;
}

int CKxStepSec::GetValuePos(int nIndex) const
{
    const tagStepField* field = Field(nIndex);
    return field ? field->nValuePos : -1;
}

int CKxStepSec::GetSubStepPos(int nIndex) const
{
    const tagStepField* field = Field(nIndex);
    return field ? field->nTagPos : -1;
}

int CKxStepSec::GetValue(int nIndex, int& nTag, char* pBuffer, int nCapacity) const
{
    const tagStepField* field = Field(nIndex);
    return field ? CopyOut(*field, field->nValuePos, field->nValueLen, nTag, pBuffer, nCapacity) : 0;
}

int CKxStepSec::GetSubStep(int nIndex, int& nTag, char* pBuffer, int nCapacity) const
{
    const tagStepField* field = Field(nIndex);
    if (field == nullptr) {
        return 0;
    }
    const int nLen = field->nValuePos + field->nValueLen - field->nTagPos;
    return CopyOut(*field, field->nTagPos, nLen, nTag, pBuffer, nCapacity);
}

int CKxStepSec::CopyOut(const tagStepField& field, int nFrom, int nLen, int& nTag, char* pBuffer, int nCapacity) const
{
    // A negative capacity is no room at all, not a huge one.
    if (pBuffer == nullptr || nCapacity <= 0) {
        return nLen;
    }
    const int nCopy = std::min(nLen, nCapacity);
    std::copy_n(m_pOwner->m_strBuf.data() + nFrom, nCopy, pBuffer);
    nTag = field.nTag;
    return nCopy;
}

int CKxStepSec::AddValue(int nTag, const char* pValue, int nLen)
{
    if (pValue == nullptr || nLen < 0) {
        nLen = 0;
    }
    CKxStepBuffer& buffer = m_pOwner->m_strBuf;
    char head[16];
    const int nHeadLen = FormatInt(nTag, head) + 1;
    head[nHeadLen - 1] = '=';

    tagStepField field;
    field.nTag = nTag;
    field.nTagPos = static_cast<int>(buffer.size());
    field.nValuePos = field.nTagPos + nHeadLen;
    field.nValueLen = nLen;
    AppendField(buffer, head, nHeadLen, pValue ? pValue : "", nLen);
    std::vector<tagStepField>& fields = m_pOwner->m_vecField;
    if (static_cast<size_t>(m_nFirst + m_nCount) == fields.size()) {
        fields.push_back(field); // the usual case: this is the last section
    } else {
        m_pOwner->InsertField(*this, field);
    }
    ++m_nCount;
    m_nLen = static_cast<int>(buffer.size()) - m_nStart;
    return 0;
}

int CKxStepSec::AddValue(int nTag, int nValue)
{
    char text[16];
    return AddValue(nTag, text, FormatInt(nValue, text));
}

// ---- CKxStep ----------------------------------------------------------------------------------------

CKxStep::CKxStep(const std::set<int>& setNest) : m_setNest(setNest) {}

CKxStep::CKxStep(const CKxStep& other)
    : m_setNest(other.m_setNest), m_strBuf(other.m_strBuf), m_vecField(other.m_vecField)
{
    CopySectionsFrom(other);
}

CKxStep& CKxStep::operator=(const CKxStep& other)
{
    if (this != &other) {
        Clear();
        m_setNest = other.m_setNest;
        m_strBuf = other.m_strBuf;
        m_vecField = other.m_vecField;
        CopySectionsFrom(other);
    }
    return *this;
}

CKxStep::~CKxStep()
{
    Clear();
}

void CKxStep::CopySectionsFrom(const CKxStep& other)
{
    for (const CKxStepSec& section : other.m_vecSec) {
        m_vecSec.emplace_back(CKxStepSec::Key(), this, section);
    }
}

void CKxStep::InsertField(const CKxStepSec& section, const tagStepField& field)
{
    // A field for an earlier section: the records of the sections after it move up by one.
    const size_t at = static_cast<size_t>(section.m_nFirst + section.m_nCount);
    m_vecField.insert(m_vecField.begin() + static_cast<std::ptrdiff_t>(at), field);
    auto later = m_vecSec.begin();
    while (&*later != &section) {
        ++later;
    }
    for (++later; later != m_vecSec.end(); ++later) {
        ++later->m_nFirst;
    }
}

int CKxStep::Parser(const char* pData, int nLen, const std::set<int>& setNest)
{
    if (pData == nullptr || nLen <= 0) {
        Clear();
        return 0;
    }
    // Everything is replaced; assigning over the old set and buffer reuses their memory.
    m_vecSec.clear();
    m_vecField.clear();
    m_setNest = setNest;
    m_strBuf.Assign(pData, static_cast<size_t>(nLen));
    // Fields of real messages take at least eight bytes or so: one allocation covers most streams.
    m_vecField.reserve(static_cast<size_t>(nLen) / 8);
    CKxStepIndexer(*this).Run();
    return static_cast<int>(m_vecSec.size());
}

const CKxStepSec* CKxStep::GetCec(int nIndex) const
{
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_vecSec.size()) {
        return nullptr;
    }
    return &m_vecSec[static_cast<size_t>(nIndex)];
}

CKxStepSec* CKxStep::AppendSec()
{
    if (!m_vecSec.empty()) {
        m_strBuf.PushBack(kStepSectionEnd);
    }
    m_vecSec.emplace_back(CKxStepSec::Key(), this, static_cast<int>(m_strBuf.size()),
                          static_cast<int>(m_vecField.size()));
    return &m_vecSec.back();
}

int CKxStep::GetStepStream(std::string& strOut)
{
    if (m_strBuf.size() > 1 && m_strBuf.data()[m_strBuf.size() - 1] != kStepSectionEnd) {
        m_strBuf.PushBack(kStepSectionEnd);
    }
    strOut.assign(m_strBuf.size() > 0 ? m_strBuf.data() : "", m_strBuf.size());
    return static_cast<int>(strOut.size());
}

void CKxStep::Clear()
{
    m_vecSec.clear();
    m_setNest.clear();
    m_strBuf.Clear();
    m_vecField.clear();
}
