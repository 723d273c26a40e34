#include <util/uilanguage.h>

#include <util/module.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

// Traditional display redirects the wide text-output routines of gdi32 in the import tables of every
// module loaded in the process (user32's DrawTextW, the platform controls and the client's own calls all
// reach gdi32 through one). Import slots work the same under Wine and on every Windows version, whereas
// patching the routine's first instructions depends on how each build of gdi32 begins.
namespace {

constexpr int kSimplified = 2052;
constexpr int kTraditional = 1028;

using ExtTextOutWFn = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*);
using TextOutWFn = BOOL(WINAPI*)(HDC, int, int, LPCWSTR, int);

int g_language = kSimplified;
WCHAR g_table[0x10000];
ExtTextOutWFn g_genuineExtTextOutW = nullptr;
TextOutWFn g_genuineTextOutW = nullptr;

// The caller's text converted through the table, in a buffer of its own.
class ConvertedText {
public:
    ConvertedText(const WCHAR* text, size_t count) : m_text(count + 1)
    {
        for (size_t i = 0; i < count; ++i) {
            m_text[i] = g_table[static_cast<unsigned short>(text[i])];
        }
    }
    const WCHAR* get() const { return m_text.data(); }

private:
    std::vector<WCHAR> m_text;
};

BOOL WINAPI TraditionalExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                                   const INT* dx)
{
    // Glyph indexes are not characters.
    if (text == nullptr || count == 0 || (options & ETO_GLYPH_INDEX) != 0) {
        return g_genuineExtTextOutW(dc, x, y, options, rect, text, count, dx);
    }
    const ConvertedText converted(text, count);
    return g_genuineExtTextOutW(dc, x, y, options, rect, converted.get(), count, dx);
}

BOOL WINAPI TraditionalTextOutW(HDC dc, int x, int y, LPCWSTR text, int count)
{
    if (text == nullptr || count <= 0) {
        return g_genuineTextOutW(dc, x, y, text, count);
    }
    const ConvertedText converted(text, static_cast<size_t>(count));
    return g_genuineTextOutW(dc, x, y, converted.get(), count);
}

struct Redirect {
    const char* name;
    void* genuine;
    void* replacement;
};

struct PatchedSlot {
    void** slot;
    void* original;
};

std::vector<PatchedSlot> g_patched;

bool WriteSlot(void** slot, void* value)
{
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &oldProtection)) {
        return false;
    }
    *slot = value;
    VirtualProtect(slot, sizeof(void*), oldProtection, &oldProtection);
    return true;
}

template <typename T>
T* AtOffset(HMODULE module, DWORD offset)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

const IMAGE_IMPORT_DESCRIPTOR* ImportDescriptors(HMODULE module)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        return nullptr;
    }
    const auto* nt = AtOffset<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE) {
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    return imports.VirtualAddress == 0 ? nullptr
                                       : AtOffset<const IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
}

// Which redirect an import slot belongs to: by the slot's value, or by the imported name when the module
// took the routine from elsewhere (an API set) than gdi32's export.
const Redirect* Match(HMODULE module, const IMAGE_THUNK_DATA* nameThunk, void* value,
                      const std::vector<Redirect>& redirects)
{
    for (const Redirect& redirect : redirects) {
        if (value == redirect.genuine) {
            return &redirect;
        }
    }
    if (nameThunk == nullptr || IMAGE_SNAP_BY_ORDINAL(nameThunk->u1.Ordinal)) {
        return nullptr;
    }
    const auto* byName = AtOffset<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(nameThunk->u1.AddressOfData));
    for (const Redirect& redirect : redirects) {
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), redirect.name) == 0) {
            return &redirect;
        }
    }
    return nullptr;
}

bool PatchModule(HMODULE module, const std::vector<Redirect>& redirects)
{
    const IMAGE_IMPORT_DESCRIPTOR* descriptor = ImportDescriptors(module);
    for (; descriptor != nullptr && descriptor->Name != 0; ++descriptor) {
        auto* slot = AtOffset<IMAGE_THUNK_DATA>(module, descriptor->FirstThunk);
        const IMAGE_THUNK_DATA* nameThunk =
            descriptor->OriginalFirstThunk != 0
                ? AtOffset<const IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk)
                : nullptr;
        for (; slot->u1.Function != 0; ++slot, nameThunk = nameThunk ? nameThunk + 1 : nullptr) {
            void** address = reinterpret_cast<void**>(&slot->u1.Function);
            const Redirect* redirect = Match(module, nameThunk, *address, redirects);
            if (redirect == nullptr) {
                continue;
            }
            void* original = *address;
            if (!WriteSlot(address, redirect->replacement)) {
                return false;
            }
            g_patched.push_back({address, original});
        }
    }
    return true;
}

bool RemoveInterception()
{
    bool ok = true;
    for (auto it = g_patched.rbegin(); it != g_patched.rend(); ++it) {
        ok = WriteSlot(it->slot, it->original) && ok;
    }
    g_patched.clear();
    return ok;
}

bool InstallInterception()
{
    const std::vector<Redirect> redirects = {
        {"ExtTextOutW", reinterpret_cast<void*>(g_genuineExtTextOutW),
         reinterpret_cast<void*>(&TraditionalExtTextOutW)},
        {"TextOutW", reinterpret_cast<void*>(g_genuineTextOutW), reinterpret_cast<void*>(&TraditionalTextOutW)},
    };
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more && ok; more = Module32NextW(snapshot, &entry)) {
        ok = PatchModule(entry.hModule, redirects);
    }
    CloseHandle(snapshot);
    if (!ok) {
        RemoveInterception();
    }
    return ok;
}

std::wstring TablePath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(AfxGetInstanceHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            std::wstring file(path.data(), length);
            return file.substr(0, file.find_last_of(L"\\/") + 1) + L"s2t.tbl";
        }
        path.resize(path.size() * 2);
    }
}

// A table shorter than the full 65,536 entries leaves the rest of the characters as they are.
bool ReadTable()
{
    const HANDLE file = CreateFileW(TablePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD read = 0;
    ReadFile(file, g_table, sizeof(g_table), &read, nullptr);
    CloseHandle(file);
    for (size_t i = read / sizeof(WCHAR); i < 0x10000; ++i) {
        g_table[i] = static_cast<WCHAR>(i);
    }
    return true;
}

} // namespace

int SetUILanguage(int ui_language)
{
    if (ui_language == kTraditional) {
        if (g_language == kTraditional) {
            return kTraditional;
        }
        const HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
        g_genuineExtTextOutW =
            reinterpret_cast<ExtTextOutWFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "ExtTextOutW")));
        g_genuineTextOutW = reinterpret_cast<TextOutWFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "TextOutW")));
        if (g_genuineExtTextOutW == nullptr || g_genuineTextOutW == nullptr || !ReadTable() || !InstallInterception()) {
            return g_language;
        }
        g_language = kTraditional;
        return kTraditional;
    }
    if (g_language == kSimplified) {
        return kSimplified;
    }
    if (!RemoveInterception()) {
        return g_language;
    }
    g_language = kSimplified;
    return kSimplified;
}
