#include "config/profile_cache.h"

#include <algorithm>
#include <cwctype>

#include "config/ini_file.h"

namespace {
// Made when the library is loaded and gone when it is unloaded, like the run log's settings.
ProfileCache g_profileCache;
} // namespace

ProfileCache::Use::Use(std::shared_ptr<Entry> entry, const wchar_t* path)
    : m_entry(std::move(entry)), m_guard(&m_entry->lock)
{
    if (!m_entry->ini) {
        // Reading a setting of a missing file makes the file, empty; a loaded copy knows it exists.
        CreateUnicodeIniFile(path);
        m_entry->ini = std::make_unique<YIniMapMemory>();
        m_entry->ini->LoadFromFile(path);
    }
}

bool ProfileCache::PathLess::Less(const wchar_t* a, const wchar_t* b)
{
    const auto fold = [](wchar_t c) {
        return c == L'/' ? L'\\' : c < 0x80 ? YIniMapMemory::NameLess::FoldAscii(c) : static_cast<wchar_t>(towlower(c));
    };
    for (;; ++a, ++b) {
        const wchar_t left = fold(*a), right = fold(*b);
        if (left != right || left == 0) {
            return left < right;
        }
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
    std::shared_ptr<Use::Entry> entry;
    const wchar_t* key = nullptr; // entries stay for the life of the cache
    {
        KXLocalSection guard(&m_lock);
        auto found = m_entries.find(path);
        if (found == m_entries.end()) {
            found = m_entries.emplace(KeyOf(path), std::make_shared<Use::Entry>()).first;
        }
        entry = found->second;
        key = found->first.c_str();
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
        const auto found = m_entries.find(path);
        if (found == m_entries.end()) {
            return;
        }
        entry = found->second;
    }
    KXLocalSection guard(&entry->lock);
    entry->ini.reset();
}
