#pragma once

#include <util/inimap.h>
#include <util/lock.h>

#include <map>
#include <memory>
#include <string>

// The process-wide cache of INI files behind CKxProfile: one YIniMapMemory per file path, each used
// by one thread at a time.
class ProfileCache {
public:
    // Exclusive use of one file's copy while it lives; empty when there was no path.
    class Use {
    public:
        Use() = default;
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

        explicit operator bool() const { return m_entry != nullptr; }
        YIniMapMemory* operator->() const { return m_entry->ini.get(); }

    private:
        friend class ProfileCache;
        // One per path for the life of the cache; the copy itself comes and goes.
        struct Entry {
            KXCriticalSection lock;
            std::unique_ptr<YIniMapMemory> ini;
        };
        // Takes the entry's lock and loads the file into it on first use.
        Use(std::shared_ptr<Entry> entry, const wchar_t* path);

        std::shared_ptr<Entry> m_entry;
        KXLocalSection m_guard;
    };

    static ProfileCache& Instance();

    // The copy of the file, loaded on first use. Paths that differ only in case or in '/' against
    // '\' share one copy.
    Use Acquire(const wchar_t* path);
    // Forgets the copy once its current user is done; the next Acquire loads the file again.
    void Release(const wchar_t* path);

private:
    // Orders paths without regard to case, '/' and '\\' alike; transparent, so that a look-up by
    // the caller's path makes no string of its own.
    struct PathLess {
        using is_transparent = void;
        static const wchar_t* Text(const std::wstring& path) { return path.c_str(); }
        static const wchar_t* Text(const wchar_t* path) { return path; }
        static bool Less(const wchar_t* a, const wchar_t* b);
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const
        {
            return Less(Text(a), Text(b));
        }
    };

    static std::wstring KeyOf(const wchar_t* path);

    KXCriticalSection m_lock;
    std::map<std::wstring, std::shared_ptr<Use::Entry>, PathLess> m_entries;
};
