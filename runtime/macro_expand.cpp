#include <util/strutil.h>

#include <cstring>
#include <string>

#include "runtime/text_chars.h"

namespace {

constexpr size_t kMaxNameLength = sizeof(MacroItem::name) - 1;

// Writes into the caller's buffer and refuses the byte that would pass its capacity.
class BoundedOutput {
public:
    BoundedOutput(char* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

    bool Put(const char* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            if (m_written == m_capacity) {
                return false;
            }
            m_buffer[m_written++] = bytes[i];
        }
        return true;
    }
    bool Put(const std::string& bytes) { return Put(bytes.data(), bytes.size()); }
    size_t Written() const { return m_written; }

private:
    char* m_buffer;
    size_t m_capacity;
    size_t m_written = 0;
};

class MacroTable {
public:
    MacroTable(const MacroItem* items, size_t count) : m_items(items), m_count(count) {}

    // The first item whose name begins with name, without regard to case; an empty name names none.
    const MacroItem* Find(const std::string& name) const
    {
        if (name.empty()) {
            return nullptr;
        }
        for (size_t i = 0; i < m_count; ++i) {
            if (_strnicmp(m_items[i].name, name.c_str(), name.size()) == 0) {
                return &m_items[i];
            }
        }
        return nullptr;
    }

private:
    const MacroItem* m_items;
    size_t m_count;
};

bool IsMacroLetter(char ch)
{
    return ch == 'M' || ch == 'm';
}

// Reads the name after "[M:" up to ']' (consumed) or at most kMaxNameLength bytes; advances at.
std::string ReadMacroName(const char*& at)
{
    std::string name;
    while (*at != 0 && *at != ']' && name.size() + textchars::Units(at) <= kMaxNameLength) {
        const size_t units = textchars::Units(at);
        name.append(at, units);
        at += units;
    }
    if (*at == ']') {
        ++at;
    }
    return name;
}

} // namespace

bool TransferMacroA(char* out, unsigned short& length, const char* templateText, const MacroItem* items,
                    unsigned short itemCount)
{
    if (out == nullptr || templateText == nullptr || items == nullptr || length == 0 || itemCount == 0) {
        return false;
    }
    const MacroTable table(items, itemCount);
    BoundedOutput output(out, length);
    for (const char* at = templateText; *at != 0;) {
        if (*at != '[') {
            // A double-byte character goes whole: its second byte may look like '['.
            const size_t units = textchars::Units(at);
            if (!output.Put(at, units)) {
                return false;
            }
            at += units;
            continue;
        }
        if (!IsMacroLetter(at[1])) {
            ++at; // a lone '[' is dropped
            continue;
        }
        if (at[2] != ':') {
            at += 2; // so is "[M" without ':'
            continue;
        }
        at += 3;
        const std::string name = ReadMacroName(at);
        const MacroItem* item = table.Find(name);
        const bool written =
            item ? output.Put(item->value, strnlen(item->value, sizeof(item->value))) : output.Put("[M:" + name + "]");
        if (!written) {
            return false;
        }
    }
    length = static_cast<unsigned short>(output.Written());
    return true;
}
