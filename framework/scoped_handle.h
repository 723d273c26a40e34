#pragma once

#include <windows.h>

// Closes a platform handle when the scope ends.
template <BOOL(WINAPI* CloseFunction)(HANDLE)>
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }

    // Closes now; false when there was nothing to close or closing failed (for a file: data lost).
    bool Close()
    {
        if (!IsValid()) {
            return false;
        }
        const bool closed = CloseFunction(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

using ScopedFileHandle = ScopedHandle<CloseHandle>;
using ScopedFindHandle = ScopedHandle<FindClose>;
