#include "config/profile_cache.h"

#include <algorithm>

#include "config/ini_file.h"

namespace {
// Made when the library is loaded and gone when it is unloaded, like the run log's settings.
ProfileCache g_profileCache;
} // namespace

ProfileCache::Use::Use(std::shared_ptr<Entry> entry, const std::wstring& path)
    : m_entry(std::move(entry)), m_guard(&m_entry->lock)
{
    if (!m_entry->ini) {
        // Reading a setting of a missing file makes the file, empty; a loaded copy knows it exists.
        CreateUnicodeIniFile(path.c_str());
        m_entry->ini = std::make_unique<YIniMapMemory>();
        m_entry->ini->LoadFromFile(path.c_str());
    }
}

ProfileCache& ProfileCache::Instance()
{
    return g_profileCache;
}

std::wstring ProfileCache::KeyOf(const wchar_t* path)
{
    std::wstring key(path);
    std::replace(key.begin(), key.end(), L'/', L'\\');
    return key;
}

ProfileCache::Use ProfileCache::Acquire(const wchar_t* path)
{
    if (path == nullptr || *path == 0) {
        return Use();
    }
    const std::wstring key = KeyOf(path);
    std::shared_ptr<Use::Entry> entry;
    {
        KXLocalSection guard(&m_lock);
        std::shared_ptr<Use::Entry>& slot = m_entries[key];
        if (!slot) {
            slot = std::make_shared<Use::Entry>();
        }
        entry = slot;
    }
    return Use(std::move(entry), key);
}

void ProfileCache::Release(const wchar_t* path)
{
    if (path == nullptr) {
        return;
    }
    std::shared_ptr<Use::Entry> entry;
    {
        KXLocalSection guard(&m_lock);
        const auto found = m_entries.find(KeyOf(path));
        if (found == m_entries.end()) {
            return;
        }
        entry = found->second;
    }
    KXLocalSection guard(&entry->lock);
    entry->ini.reset();
}
