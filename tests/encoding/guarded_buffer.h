#pragma once

#include <windows.h>

#include <cstring>
#include <string>

// Bytes placed so that they end exactly at an inaccessible page: reading or writing one byte past
// them crashes the test at once instead of passing unnoticed.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : m_size(size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        m_span = (size + page - 1) / page * page + page;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, m_span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_span - page, page, PAGE_NOACCESS, &old);
        m_data = m_base + (m_span - page - size);
    }
    GuardedBuffer(const std::string& bytes) : GuardedBuffer(bytes.size())
    {
        std::memcpy(m_data, bytes.data(), bytes.size());
    }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    char* data() { return m_data; }
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(m_data); }
    size_t size() const { return m_size; }

private:
    size_t m_size;
    size_t m_span = 0;
    char* m_base = nullptr;
    char* m_data = nullptr;
};
