#include <util/pinyin.h>

#include <util/module.h>
#include <util/profile.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

#pragma pack(push, 1)
struct stHead {
    uint8_t unused;
    int8_t width; // initials per character
    uint16_t first;
    uint16_t end; // exclusive
};
#pragma pack(pop)
static_assert(sizeof(stHead) == 6, "the initials file starts with 6 bytes");

struct stMohuYin {
    wchar_t letter;
    wchar_t substitute;
};

constexpr size_t kDataSize = 204800;

// Process-wide tables, loaded once by the first call.
struct PinyinData {
    bool loaded = false;
    stHead head{};
    uint8_t initials[kDataSize] = {};
    std::vector<stMohuYin> fuzzy;
    uint16_t weights[0x10000] = {};

    // Letter keys are answered from bit sets, one bit per letter A-Z: the initials of each character,
    // and for each key the letters it matches through the fuzzy pairs as well.
    std::vector<uint32_t> initialBits;
    uint32_t keyBits[26] = {};
    bool keyBitsComplete[26] = {}; // false when a fuzzy pair of the key names something other than a letter
};

PinyinData& Data()
{
    static PinyinData* data = new PinyinData; // lives to process exit, like the tables it holds
    return *data;
}

std::wstring BesideLibrary(const wchar_t* name)
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(AfxGetInstanceHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return name;
        }
        if (length < path.size()) {
            const std::wstring file(path.data(), length);
            return file.substr(0, file.find_last_of(L"\\/") + 1) + name;
        }
        path.resize(path.size() * 2);
    }
}

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::wstring& path)
        : m_handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~ReadOnlyFile()
    {
        if (IsOpen()) {
            CloseHandle(m_handle);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    int64_t Size() const
    {
        LARGE_INTEGER size{};
        return GetFileSizeEx(m_handle, &size) ? size.QuadPart : -1;
    }
    // Whether exactly `count` bytes were read.
    bool Read(void* into, size_t count) const
    {
        DWORD read = 0;
        return ReadFile(m_handle, into, static_cast<DWORD>(count), &read, nullptr) && read == count;
    }

private:
    HANDLE m_handle;
};

void LoadInitials(PinyinData& data)
{
    const ReadOnlyFile file(BesideLibrary(L"PinYin.py"));
    const int64_t size = file.IsOpen() ? file.Size() : -1;
    if (size <= static_cast<int64_t>(sizeof(stHead)) ||
        size - static_cast<int64_t>(sizeof(stHead)) > int64_t(kDataSize)) {
        return;
    }
    stHead head{};
    if (!file.Read(&head, sizeof(head))) {
        return;
    }
    const int64_t needed = (int64_t(head.end) - int64_t(head.first)) * head.width;
    if (needed <= size - static_cast<int64_t>(sizeof(stHead)) && needed > 0 &&
        file.Read(data.initials, size_t(needed))) {
        data.head = head;
    }
}

wchar_t UpperAscii(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') ? wchar_t(ch - L'a' + L'A') : ch;
}

void LoadFuzzyPairs(PinyinData& data)
{
    wchar_t section[260] = {};
    const std::wstring path = BesideLibrary(L"MoHuYin.ini");
    const DWORD length = CKxProfile::GetPrivateProfileSectionW(L"MOHUYIN", section, 260, path.c_str());
    for (DWORD i = 0; i < length; ++i) {
        if (section[i] != L'=') {
            continue;
        }
        const wchar_t letter = i > 0 ? UpperAscii(section[i - 1]) : 0;
        const wchar_t substitute = i + 1 < length ? UpperAscii(section[i + 1]) : 0;
        if (letter != 0 && substitute != 0) {
            data.fuzzy.push_back({letter, substitute});
        }
    }
}

bool IsLetter(wchar_t ch)
{
    return ch >= L'A' && ch <= L'Z';
}

uint32_t LetterBit(wchar_t letter)
{
    return 1u << (letter - L'A');
}

void BuildLetterBits(PinyinData& data)
{
    const int width = data.head.width;
    if (width > 0) {
        data.initialBits.assign(kDataSize / size_t(width), 0);
        for (size_t index = 0; index < data.initialBits.size(); ++index) {
            const uint8_t* entry = data.initials + index * size_t(width);
            for (int i = 0; i < width && entry[i] != 0; ++i) {
                if (IsLetter(entry[i])) {
                    data.initialBits[index] |= LetterBit(entry[i]);
                }
            }
        }
    }
    for (wchar_t key = L'A'; key <= L'Z'; ++key) {
        data.keyBits[key - L'A'] = LetterBit(key);
        data.keyBitsComplete[key - L'A'] = true;
    }
    for (const stMohuYin& pair : data.fuzzy) {
        if (!IsLetter(pair.letter)) {
            continue;
        }
        if (IsLetter(pair.substitute)) {
            data.keyBits[pair.letter - L'A'] |= LetterBit(pair.substitute);
        } else {
            data.keyBitsComplete[pair.letter - L'A'] = false;
        }
    }
}

} // namespace

int CKXMatchCH::InitStaticData()
{
    PinyinData& data = Data();
    if (data.loaded) {
        return 1;
    }
    data.loaded = true; // a failed load is not retried
    LoadInitials(data);
    LoadFuzzyPairs(data);
    BuildLetterBits(data);
    return ReadSortFile() ? 1 : 0;
}

bool CKXMatchCH::ReadSortFile()
{
    const ReadOnlyFile file(BesideLibrary(L"hanzi.sort"));
    if (!file.IsOpen()) {
        return false;
    }
    file.Read(Data().weights, sizeof(Data().weights));
    return true;
}

bool CKXMatchCH::MatchPinYin2(wchar_t ch, wchar_t key)
{
    const PinyinData& data = Data();
    const int width = data.head.width;
    if (width <= 0 || ch < data.head.first) {
        return false;
    }
    const size_t index = size_t(ch - data.head.first);
    if (index >= kDataSize / size_t(width)) {
        return false;
    }
    const uint8_t* entry = data.initials + index * size_t(width);
    for (int i = 0; i < width && entry[i] != 0; ++i) {
        if (static_cast<wchar_t>(static_cast<int8_t>(entry[i])) == key) {
            return true;
        }
    }
    return false;
}

bool CKXMatchCH::MatchPinYin(wchar_t ch, wchar_t key)
{
    if (InitStaticData() == 0) {
        return false;
    }
    const PinyinData& data = Data();
    if (IsLetter(key) && data.keyBitsComplete[key - L'A']) {
        const size_t index = size_t(ch) - data.head.first;
        return ch >= data.head.first && index < data.initialBits.size() &&
               (data.initialBits[index] & data.keyBits[key - L'A']) != 0;
    }
    if (MatchPinYin2(ch, key)) {
        return true;
    }
    for (const stMohuYin& pair : data.fuzzy) {
        if (pair.letter == key && MatchPinYin2(ch, pair.substitute)) {
            return true;
        }
    }
    return false;
}

bool CKXMatchCH::MatchPinYin(const wchar_t* text, const wchar_t* keys)
{
    if (InitStaticData() == 0 || text == nullptr || keys == nullptr) {
        return false;
    }
    // Only the first 63 characters of a name take part.
    wchar_t compact[64] = {};
    size_t length = 0;
    for (size_t i = 0; text[i] != 0 && i < 63; ++i) {
        if (text[i] != L' ') {
            compact[length++] = text[i];
        }
    }
    const size_t keyCount = wcslen(keys);
    if (keyCount == 0 || length < keyCount) {
        return false;
    }
    for (size_t i = 0; i < keyCount; ++i) {
        if (!MatchPinYin(compact[i], keys[i])) {
            return false;
        }
    }
    return true;
}

int CKXMatchCH::wcsCmpPY(const wchar_t* a, const wchar_t* b)
{
    if (InitStaticData() == 0 || a == nullptr || b == nullptr) {
        return 0;
    }
    const uint16_t* weights = Data().weights;
    size_t i = 0;
    for (; a[i] != 0 && b[i] != 0; ++i) {
        const uint16_t wa = weights[static_cast<uint16_t>(a[i])];
        const uint16_t wb = weights[static_cast<uint16_t>(b[i])];
        if (wa != wb) {
            return wa > wb ? 1 : -1;
        }
    }
    if (a[i] != 0) {
        return 1;
    }
    return b[i] != 0 ? -1 : 0;
}

bool MatchPinYin(wchar_t ch, wchar_t key)
{
    return CKXMatchCH::MatchPinYin(ch, key);
}
bool MatchPinYin(const wchar_t* text, const wchar_t* keys)
{
    return CKXMatchCH::MatchPinYin(text, keys);
}
int wcsCmpPY(const wchar_t* a, const wchar_t* b)
{
    return CKXMatchCH::wcsCmpPY(a, b);
}
