#pragma once

#include <windows.h>

#include <cstring>
#include <string>

// A block whose end touches an inaccessible page: bytes placed at its tail crash the test at once when
// anything reads or writes one byte past them. One block serves many placements, since setting up the
// page protection is slow under Wine.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        m_capacity = (capacity + page - 1) / page * page;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, m_capacity + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_capacity, page, PAGE_NOACCESS, &old);
        m_size = capacity;
    }
    explicit GuardedBuffer(const std::string& bytes) : GuardedBuffer(bytes.size()) { Put(bytes); }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // The last size bytes of the block (size must not exceed the capacity).
    char* Tail(size_t size)
    {
        m_size = size;
        return m_base + m_capacity - size;
    }
    char* Put(const std::string& bytes)
    {
        char* at = Tail(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        return at;
    }

    // The most recent placement.
    char* data() { return m_base + m_capacity - m_size; }
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(data()); }
    size_t size() const { return m_size; }

private:
    size_t m_capacity = 0;
    size_t m_size = 0;
    char* m_base = nullptr;
};
