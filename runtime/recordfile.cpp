#include <util/recordfile.h>

#include <util/format.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#pragma pack(push, 1)
// The 13 bytes after the key of an index slot.
struct YFileIOEx::SlotInfo {
    unsigned char byFlag;      // 0 for a live entry
    unsigned int dwFirstBlock; // offset of the first data block
    int nBlocks;
    int nItems;
};
#pragma pack(pop)

namespace {

#pragma pack(push, 1)
struct BlockHeader {
    int nCapacity; // items per block
    int nItems;    // items in this block
    unsigned int dwNext;
};
#pragma pack(pop)
static_assert(sizeof(BlockHeader) == 12, "a data block starts with 12 bytes");

const unsigned int kHeaderSize = sizeof(tagYFileIOExHeader);
const int kSlotInfoSize = 13;
const int kOpenFlags = KXFile::modeReadWriteShared;
// Offsets are 32-bit and seeks signed: the file stays below 2 GB.
const long long kLargestOffset = INT_MAX;

// Sizes derived from a geometry, or false when they do not fit the file's 32-bit offsets.
bool GeometryFits(int keySize, int slots, int itemSize, int itemsPerBlock, long long userDataSize)
{
    if (keySize <= 0 || slots <= 0 || itemSize <= 0 || itemsPerBlock <= 0 || userDataSize < 0) {
        return false;
    }
    const long long dataOffset = kHeaderSize + userDataSize + static_cast<long long>(slots) * (keySize + kSlotInfoSize);
    const long long blockSize = static_cast<long long>(itemSize) * itemsPerBlock + sizeof(BlockHeader);
    return dataOffset <= kLargestOffset && blockSize <= kLargestOffset;
}

} // namespace

YFileIOEx::YFileIOEx()
    : m_header{}, m_nKeySize(0), m_nSlotSize(0), m_nSlots(0), m_nUsedSlots(0), m_nBlockDataSize(0), m_nBlockSize(0),
      m_nUserDataSize(0), m_szPath{}, m_pCompare(nullptr)
{
}

YFileIOEx::~YFileIOEx()
{
    Close();
}

bool YFileIOEx::TakeHeader(const tagYFileIOExHeader& header)
{
    const long long userDataSize = static_cast<long long>(header.nIdxOffset) - kHeaderSize;
    if (!GeometryFits(header.nKeySize, header.nIdxCount, header.nItemSize, header.nItemsPerBlock, userDataSize) ||
        header.nDataOffset !=
            header.nIdxOffset + static_cast<long long>(header.nIdxCount) * (header.nKeySize + kSlotInfoSize) ||
        header.nUseIdxCount < 0 || header.nUseIdxCount > header.nIdxCount ||
        m_file.GetFileLength() < static_cast<unsigned long>(header.nDataOffset)) {
        return false;
    }
    m_header = header;
    m_nKeySize = header.nKeySize;
    m_nSlotSize = header.nKeySize + kSlotInfoSize;
    m_nSlots = header.nIdxCount;
    m_nUsedSlots = header.nUseIdxCount;
    m_nBlockDataSize = header.nItemSize * header.nItemsPerBlock;
    m_nBlockSize = m_nBlockDataSize + static_cast<int>(sizeof(BlockHeader));
    m_nUserDataSize = static_cast<int>(userDataSize);
    return true;
}

bool YFileIOEx::ReadHeaderFromFile(tagYFileIOExHeader* header)
{
    return ReadAt(0, header, sizeof(*header));
}

bool YFileIOEx::WriteHeader()
{
    m_header.nUseIdxCount = m_nUsedSlots;
    return WriteAt(0, &m_header, sizeof(m_header));
}

long YFileIOEx::Create(const wchar_t* path, unsigned int signature, unsigned char type, int keySize, int slots,
                       int itemSize, int itemsPerBlock, YFileIOExCompare compare, int userDataSize)
{
    Close();
    if (path == nullptr || wcslen(path) >= MAX_PATH || compare == nullptr ||
        !GeometryFits(keySize, slots, itemSize, itemsPerBlock, userDataSize)) {
        return -1;
    }
    wcscpy(m_szPath, path);
    m_pCompare = compare;
    const int opened = KXFile::IsExist(path) ? m_file.Open(path, kOpenFlags) : m_file.Create(path);
    if (opened != 1) {
        return -1;
    }
    tagYFileIOExHeader stored{};
    if (ReadHeaderFromFile(&stored) && stored.dwSign == signature && stored.byType == type &&
        stored.nKeySize == keySize && stored.nIdxCount == slots && stored.nItemSize == itemSize &&
        stored.nItemsPerBlock == itemsPerBlock && stored.nIdxOffset == static_cast<int>(kHeaderSize) + userDataSize &&
        TakeHeader(stored)) {
        return 1;
    }
    tagYFileIOExHeader fresh{};
    fresh.dwSign = signature;
    fresh.byType = type;
    fresh.nKeySize = keySize;
    fresh.nIdxCount = slots;
    fresh.nIdxOffset = static_cast<int>(kHeaderSize) + userDataSize;
    fresh.nItemSize = itemSize;
    fresh.nItemsPerBlock = itemsPerBlock;
    fresh.nDataOffset = fresh.nIdxOffset + slots * (keySize + kSlotInfoSize);
    fresh.nUseIdxCount = 0;
    m_header = fresh;
    return MakeEmptyFile(path);
}

long YFileIOEx::MakeEmptyFile(const wchar_t* path)
{
    m_file.Close();
    KXFile::DeleteFileW(path);
    if (m_file.Create(path) != 1 || m_file.SetFileLength(0) != 1 || !WriteHeader()) {
        Close();
        return -1;
    }
    // Zeroed user data and index slots, written in pieces.
    std::vector<unsigned char> zeros(65536, 0);
    for (long long left = m_header.nDataOffset - kHeaderSize; left > 0;) {
        const int piece = static_cast<int>(std::min<long long>(left, static_cast<long long>(zeros.size())));
        if (m_file.Write(zeros.data(), piece) != piece) {
            Close();
            return -1;
        }
        left -= piece;
    }
    if (!TakeHeader(m_header)) {
        Close();
        return -1;
    }
    m_file.Seek(m_header.nIdxOffset, FILE_BEGIN);
    return 1;
}

long YFileIOEx::Open(const wchar_t* path, unsigned int signature, YFileIOExCompare compare)
{
    Close();
    if (path == nullptr || wcslen(path) >= MAX_PATH || compare == nullptr) {
        return -1;
    }
    wcscpy(m_szPath, path);
    m_pCompare = compare;
    tagYFileIOExHeader stored{};
    if (KXFile::IsExist(path) && m_file.Open(path, kOpenFlags) == 1 && ReadHeaderFromFile(&stored) &&
        stored.dwSign == signature && TakeHeader(stored)) {
        return 1;
    }
    // Not a record file of this kind: disposable.
    Close();
    KXFile::DeleteFileW(path);
    return -1;
}

void YFileIOEx::Close()
{
    m_file.Close();
    m_nUsedSlots = 0;
    m_nSlots = 0;
}

void YFileIOEx::Release()
{
    Close();
}

bool YFileIOEx::IsOpen() const
{
    return m_file.IsOpen();
}

bool YFileIOEx::IsExist(const wchar_t* path)
{
    return KXFile::IsExist(path);
}

long YFileIOEx::DeleteFileW(const wchar_t* path)
{
    return KXFile::IsExist(path) ? KXFile::DeleteFileW(path) : 1;
}

long YFileIOEx::GetFileName(wchar_t* buffer, int capacity) const
{
    const int length = static_cast<int>(wcslen(m_szPath));
    if (buffer == nullptr || capacity < length + 1) {
        return -8;
    }
    wmemcpy(buffer, m_szPath, static_cast<size_t>(length) + 1);
    return length;
}

bool YFileIOEx::ReadAt(unsigned int offset, void* buffer, int size)
{
    return m_file.IsOpen() && offset <= static_cast<unsigned int>(kLargestOffset) &&
           m_file.Seek(static_cast<long>(offset), FILE_BEGIN) == static_cast<int>(offset) &&
           m_file.Read(buffer, size) == size;
}

bool YFileIOEx::WriteAt(unsigned int offset, const void* buffer, int size)
{
    return m_file.IsOpen() && offset <= static_cast<unsigned int>(kLargestOffset) &&
           m_file.Seek(static_cast<long>(offset), FILE_BEGIN) == static_cast<int>(offset) &&
           m_file.Write(buffer, size) == size;
}

bool YFileIOEx::ReadSlot(int position, SlotInfo* slot)
{
    static_assert(sizeof(SlotInfo) == kSlotInfoSize, "an index slot carries 13 bytes after its key");
    const unsigned int offset = m_header.nIdxOffset + static_cast<unsigned int>(position) * m_nSlotSize + m_nKeySize;
    return ReadAt(offset, slot, kSlotInfoSize);
}

bool YFileIOEx::WriteSlot(int position, const void* key, const SlotInfo& slot)
{
    const unsigned int offset = m_header.nIdxOffset + static_cast<unsigned int>(position) * m_nSlotSize;
    if (key != nullptr && !WriteAt(offset, key, m_nKeySize)) {
        return false;
    }
    return WriteAt(offset + m_nKeySize, &slot, kSlotInfoSize);
}

bool YFileIOEx::ShiftSlotsUp(int position)
{
    const int count = m_nUsedSlots - position;
    if (count <= 0) {
        return true;
    }
    std::vector<unsigned char> slots(static_cast<size_t>(count) * m_nSlotSize);
    const unsigned int from = m_header.nIdxOffset + static_cast<unsigned int>(position) * m_nSlotSize;
    return ReadAt(from, slots.data(), static_cast<int>(slots.size())) &&
           WriteAt(from + m_nSlotSize, slots.data(), static_cast<int>(slots.size()));
}

bool YFileIOEx::FindeIndex(const void* key, int* position)
{
    int low = 0;
    int high = m_nUsedSlots - 1;
    if (m_nUsedSlots >= 1000) {
        fputs(KxFormatA("m_iUseIdxCount = %d \n", m_nUsedSlots).c_str(), stdout);
    }
    std::vector<unsigned char> stored(static_cast<size_t>(m_nKeySize));
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (!ReadAt(m_header.nIdxOffset + static_cast<unsigned int>(middle) * m_nSlotSize, stored.data(), m_nKeySize)) {
            break;
        }
        const int order = m_pCompare(stored.data(), key);
        if (order == 0) {
            *position = middle;
            return true;
        }
        if (order > 0) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    *position = low;
    return false;
}

int YFileIOEx::BlocksFor(int count) const
{
    return (count + m_header.nItemsPerBlock - 1) / m_header.nItemsPerBlock;
}

unsigned int YFileIOEx::EndOfData() const
{
    return std::max<unsigned int>(m_file.GetFileLength(), static_cast<unsigned int>(m_header.nDataOffset));
}

bool YFileIOEx::WriteBlock(unsigned int offset, const unsigned char* items, int count, unsigned int next)
{
    std::vector<unsigned char> block(static_cast<size_t>(m_nBlockSize), 0);
    const BlockHeader header{m_header.nItemsPerBlock, count, next};
    memcpy(block.data(), &header, sizeof(header));
    if (count > 0) {
        memcpy(block.data() + sizeof(header), items, static_cast<size_t>(count) * m_header.nItemSize);
    }
    return WriteAt(offset, block.data(), m_nBlockSize);
}

bool YFileIOEx::WriteBlocks(const unsigned char* items, int count, const std::vector<unsigned int>& offsets)
{
    for (size_t i = 0; i < offsets.size(); ++i) {
        const long long first = static_cast<long long>(i) * m_header.nItemsPerBlock;
        const int inBlock = static_cast<int>(std::clamp<long long>(count - first, 0, m_header.nItemsPerBlock));
        const unsigned int next = i + 1 < offsets.size() ? offsets[i + 1] : 0;
        if (!WriteBlock(offsets[i], items + first * m_header.nItemSize, inBlock, next)) {
            return false;
        }
    }
    return true;
}

bool YFileIOEx::AppendOffsets(int blocks, std::vector<unsigned int>* offsets) const
{
    const unsigned int end = EndOfData();
    if (end + static_cast<long long>(blocks) * m_nBlockSize > kLargestOffset) {
        return false;
    }
    for (int i = 0; i < blocks; ++i) {
        offsets->push_back(end + static_cast<unsigned int>(i) * m_nBlockSize);
    }
    return true;
}

bool YFileIOEx::ChainOffsets(const SlotInfo& slot, std::vector<unsigned int>* offsets)
{
    unsigned int offset = slot.dwFirstBlock;
    const long long fileLength = m_file.GetFileLength();
    for (int i = 0; i < slot.nBlocks; ++i) {
        BlockHeader header{};
        if (offset < static_cast<unsigned int>(m_header.nDataOffset) ||
            offset + static_cast<long long>(m_nBlockSize) > fileLength || !ReadAt(offset, &header, sizeof(header))) {
            return false;
        }
        offsets->push_back(offset);
        offset = header.dwNext;
    }
    return true;
}

long YFileIOEx::GetCommDataCount(const void* key)
{
    int position = 0;
    SlotInfo slot{};
    if (!IsOpen() || key == nullptr || !FindeIndex(key, &position) || !ReadSlot(position, &slot) || slot.byFlag != 0) {
        return 0;
    }
    return slot.nItems;
}

long YFileIOEx::GetCommData(const void* key, void* buffer, int capacity)
{
    int position = 0;
    SlotInfo slot{};
    if (!IsOpen() || key == nullptr || buffer == nullptr || !FindeIndex(key, &position) || !ReadSlot(position, &slot) ||
        slot.byFlag != 0 || slot.nItems < 0 || capacity < slot.nItems) {
        return -1;
    }
    std::vector<unsigned int> offsets;
    if (!ChainOffsets(slot, &offsets)) {
        return -1;
    }
    unsigned char* out = static_cast<unsigned char*>(buffer);
    int copied = 0;
    for (const unsigned int offset : offsets) {
        BlockHeader header{};
        if (!ReadAt(offset, &header, sizeof(header)) || header.nItems < 0 || header.nItems > m_header.nItemsPerBlock ||
            header.nItems > slot.nItems - copied) {
            return -1;
        }
        const int bytes = header.nItems * m_header.nItemSize;
        if (bytes > 0 &&
            !ReadAt(offset + sizeof(header), out + static_cast<size_t>(copied) * m_header.nItemSize, bytes)) {
            return -1;
        }
        copied += header.nItems;
    }
    return copied == slot.nItems ? 1 : -1;
}

long YFileIOEx::AddNewCommData(const void* key, const void* items, int count, int position)
{
    if (!IsOpen() || key == nullptr || items == nullptr || count <= 0 || position < 0 || position > m_nUsedSlots ||
        m_nUsedSlots >= m_nSlots) {
        return -1;
    }
    std::vector<unsigned int> offsets;
    if (!AppendOffsets(BlocksFor(count), &offsets)) {
        return -1;
    }
    // Blocks first, so that a failed write leaves no slot pointing at them.
    const SlotInfo slot{0, offsets.front(), static_cast<int>(offsets.size()), count};
    if (!WriteBlocks(static_cast<const unsigned char*>(items), count, offsets) || !ShiftSlotsUp(position) ||
        !WriteSlot(position, key, slot)) {
        return -1;
    }
    ++m_nUsedSlots;
    return WriteHeader() ? 1 : -1;
}

long YFileIOEx::SaveCommData(const void* key, const void* items, int count)
{
    if (!IsOpen() || key == nullptr || count < 0 || (items == nullptr && count > 0)) {
        return -1;
    }
    int position = 0;
    if (!FindeIndex(key, &position)) {
        return AddNewCommData(key, items, count, position) == 1 ? 0 : -1;
    }
    SlotInfo slot{};
    std::vector<unsigned int> offsets;
    if (!ReadSlot(position, &slot) || !ChainOffsets(slot, &offsets)) {
        return -1;
    }
    // The chain is rewritten in place and grown at the end of the file; blocks it no longer needs
    // stay in it, empty, for a later growth.
    const int needed = BlocksFor(count);
    if (needed > static_cast<int>(offsets.size()) &&
        !AppendOffsets(needed - static_cast<int>(offsets.size()), &offsets)) {
        return -1;
    }
    const SlotInfo updated{0, offsets.front(), static_cast<int>(offsets.size()), count};
    return WriteBlocks(static_cast<const unsigned char*>(items), count, offsets) &&
                   WriteSlot(position, nullptr, updated)
               ? 0
               : -1;
}

long YFileIOEx::RemoveComm(const void* key)
{
    int position = 0;
    SlotInfo slot{};
    if (!IsOpen() || key == nullptr || !FindeIndex(key, &position) || !ReadSlot(position, &slot) || slot.byFlag != 0) {
        return 1;
    }
    slot.byFlag = 1;
    return WriteSlot(position, nullptr, slot) ? 1 : -1;
}

long YFileIOEx::SaveUserData(const void* data, int length)
{
    if (data == nullptr) {
        return -7;
    }
    if (!IsOpen() || length != m_nUserDataSize) {
        return -1;
    }
    return length == 0 || WriteAt(kHeaderSize, data, length) ? 1 : -1;
}

long YFileIOEx::GetUserData(void* data, int length)
{
    if (data == nullptr || !IsOpen() || length != m_nUserDataSize) {
        return -1;
    }
    return length == 0 || ReadAt(kHeaderSize, data, length) ? 1 : -1;
}

long YFileIOEx::Initialize()
{
    return -6;
}
