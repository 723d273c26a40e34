#include <util/step.h>

#include <algorithm>
#include <cstring>

CKxStepBuffer::CKxStepBuffer(const CKxStepBuffer& other)
{
    Assign(other.data(), other.size());
}

CKxStepBuffer& CKxStepBuffer::operator=(const CKxStepBuffer& other)
{
    if (this != &other) {
        Assign(other.data(), other.size());
    }
    return *this;
}

void CKxStepBuffer::Assign(const char* pData, size_t nLen)
{
    m_nSize = 0;
    if (nLen > 0) {
        memcpy(Extend(nLen), pData, nLen);
    }
}

void CKxStepBuffer::Grow(size_t nMore)
{
    // Doubling keeps appending linear overall.
    const size_t capacity = std::max({m_nCapacity * 2, m_nSize + nMore, static_cast<size_t>(256)});
    std::unique_ptr<char[]> bytes(new char[capacity]);
    if (m_nSize > 0) {
        memcpy(bytes.get(), m_pBytes.get(), m_nSize);
    }
    m_pBytes = std::move(bytes);
    m_nCapacity = capacity;
}
