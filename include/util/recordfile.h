#pragma once

#include <util/export.h>
#include <util/file.h>

#include <vector>

// Compares two keys: 0 equal, positive when the first is greater, negative when it is smaller.
typedef int (*YFileIOExCompare)(const void* first, const void* second);

#pragma pack(push, 1)
// The fixed start of a record file (little-endian, no padding).
struct tagYFileIOExHeader {
    unsigned int dwSign;  // chosen by the caller
    unsigned char byType; // chosen by the caller
    int nKeySize;         // bytes per key
    int nIdxCount;        // index slots: the most keys the file holds
    int nIdxOffset;       // 33 + user-data size
    int nItemSize;        // bytes per item
    int nItemsPerBlock;   // items per data block
    int nDataOffset;      // index offset + slots * (key size + 13)
    int nUseIdxCount;     // slots in use
};
#pragma pack(pop)
static_assert(sizeof(tagYFileIOExHeader) == 33, "the record file header is 33 bytes");

// A keyed record file: header, user data, an index of fixed-size keys kept sorted by the caller's
// comparison, and for each key a chain of data blocks holding its items. A file whose header does
// not match is treated as disposable and replaced.
class UTIL_API YFileIOEx {
public:
    YFileIOEx();
    virtual ~YFileIOEx();
    YFileIOEx(const YFileIOEx&) = delete;
    YFileIOEx& operator=(const YFileIOEx&) = delete;

    // Opens the file when its header matches the geometry, else makes it anew and empty: 1 or -1.
    long Create(const wchar_t* path, unsigned int signature, unsigned char type, int keySize, int slots, int itemSize,
                int itemsPerBlock, YFileIOExCompare compare, int userDataSize);
    // Opens an existing file with this signature; a file that does not open as one is deleted: 1 or -1.
    long Open(const wchar_t* path, unsigned int signature, YFileIOExCompare compare);
    void Close();
    void Release();
    bool IsOpen() const;

    static bool IsExist(const wchar_t* path);
    // 1 when the file is gone afterwards, -1 when it could not be deleted.
    static long DeleteFileW(const wchar_t* path);
    // The path's length, copied into buffer; -8 when it does not fit.
    long GetFileName(wchar_t* buffer, int capacity) const;

    // Items stored for the key; 0 when it is missing or removed.
    long GetCommDataCount(const void* key);
    // Copies the key's items into buffer (room for capacity items): 1; -1 when the key is missing or
    // removed, the buffer too small or the file damaged.
    long GetCommData(const void* key, void* buffer, int capacity);
    // Stores the items under the key, new or replacing: 0; -1 when a new key finds the index full or
    // the file cannot be written.
    long SaveCommData(const void* key, const void* items, int count);
    // Inserts a new key at the given position among the slots in use (which must keep the order):
    // 1, or -1 when the index is full, the position is past the slots in use or writing fails.
    long AddNewCommData(const void* key, const void* items, int count, int position);
    // Marks the key removed: 1 (also when it is missing); -1 when the file cannot be written.
    long RemoveComm(const void* key);

    // The opaque user data after the header: its length must be the user-data size.
    long SaveUserData(const void* data, int length);
    long GetUserData(void* data, int length);

    // Not supported: -6.
    long Initialize();

protected:
    // Binary search of the slots in use; on a miss, position is where the key belongs.
    bool FindeIndex(const void* key, int* position);

private:
    struct SlotInfo;
    bool TakeHeader(const tagYFileIOExHeader& header);
    bool ReadHeaderFromFile(tagYFileIOExHeader* header);
    bool WriteHeader();
    long MakeEmptyFile(const wchar_t* path);
    bool ReadSlot(int position, SlotInfo* slot);
    bool WriteSlot(int position, const void* key, const SlotInfo& slot);
    bool ShiftSlotsUp(int position);
    // Writes count items into the blocks at offsets, chained in that order (surplus blocks empty).
    bool WriteBlocks(const unsigned char* items, int count, const std::vector<unsigned int>& offsets);
    bool WriteBlock(unsigned int offset, const unsigned char* items, int count, unsigned int next);
    // Offsets of blocks more at the end of the file; false when the file would outgrow its offsets.
    bool AppendOffsets(int blocks, std::vector<unsigned int>* offsets) const;
    // The offsets of a slot's chain, each checked to lie inside the data area.
    bool ChainOffsets(const SlotInfo& slot, std::vector<unsigned int>* offsets);
    unsigned int EndOfData() const;
    bool ReadAt(unsigned int offset, void* buffer, int size);
    bool WriteAt(unsigned int offset, const void* buffer, int size);
    int BlocksFor(int count) const;

    KXFile m_file;
    tagYFileIOExHeader m_header;
    int m_nKeySize;
    int m_nSlotSize;
    int m_nSlots;
    int m_nUsedSlots;
    int m_nBlockDataSize;
    int m_nBlockSize;
    int m_nUserDataSize;
    wchar_t m_szPath[MAX_PATH];
    YFileIOExCompare m_pCompare;
};
