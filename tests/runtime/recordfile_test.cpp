#include <util/recordfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/process.h"

namespace {

using testsupport::TempDir;

const unsigned int kSign = 0x12345678;

int CompareInts(const void* first, const void* second)
{
    const int a = *static_cast<const int*>(first);
    const int b = *static_cast<const int*>(second);
    return a < b ? -1 : (a > b ? 1 : 0);
}

struct Item {
    int a;
    int b;
};

std::vector<Item> Items(int count, int base)
{
    std::vector<Item> items;
    for (int i = 0; i < count; ++i) {
        items.push_back({base + i, -(base + i)});
    }
    return items;
}

std::string FileBytes(const std::wstring& path)
{
    KXFile file;
    if (file.Open(path.c_str(), KXFile::modeRead | KXFile::shareRead | KXFile::shareWrite) != 1) {
        return {};
    }
    std::string bytes(file.GetFileLength(), '\0');
    file.Read(&bytes[0], static_cast<int>(bytes.size()));
    return bytes;
}

void PutFileBytes(const std::wstring& path, const std::string& bytes)
{
    KXFile::DeleteFileW(path.c_str());
    KXFile file;
    ASSERT_EQ(file.Create(path.c_str()), 1);
    ASSERT_EQ(file.Write(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
}

// Little-endian bytes written by hand, as the layout describes them.
class Bytes {
public:
    Bytes& U8(unsigned value)
    {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    Bytes& U32(unsigned value)
    {
        for (int i = 0; i < 4; ++i) {
            U8((value >> (8 * i)) & 0xFF);
        }
        return *this;
    }
    Bytes& Zeros(size_t count)
    {
        m_bytes.append(count, '\0');
        return *this;
    }
    Bytes& Item(int a, int b) { return U32(static_cast<unsigned>(a)).U32(static_cast<unsigned>(b)); }
    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};

class RecordFile : public testing::Test {
protected:
    // Key: int (4 bytes); 3 slots; items of 8 bytes, 2 per block; 5 bytes of user data.
    long CreateSmall(YFileIOEx& file) { return file.Create(path.c_str(), kSign, 7, 4, 3, 8, 2, CompareInts, 5); }

    TempDir dir;
    const std::wstring path = dir.file(L"records.dat");
};

// Finds keys through the protected search.
class SearchableFile : public YFileIOEx {
public:
    using YFileIOEx::FindeIndex;
};

} // namespace

TEST_F(RecordFile, NewFileHasTheExactLayout)
{
    YFileIOEx file;
    ASSERT_EQ(CreateSmall(file), 1);
    EXPECT_TRUE(file.IsOpen());
    // header: signature, type, key size, slots, index offset 33+5, item size, items per block,
    // data offset 38 + 3 * 17 = 89, slots in use; then zero user data and zero slots.
    const std::string expected =
        Bytes().U32(kSign).U8(7).U32(4).U32(3).U32(38).U32(8).U32(2).U32(89).U32(0).Zeros(5 + 3 * 17).str();
    EXPECT_EQ(FileBytes(path), expected);
}

TEST_F(RecordFile, SavedKeysSlotsAndBlocksHaveTheExactLayout)
{
    YFileIOEx file;
    ASSERT_EQ(CreateSmall(file), 1);
    const int two = 2, one = 1;
    const std::vector<Item> three = Items(3, 10);
    const std::vector<Item> single = Items(1, 50);
    ASSERT_EQ(file.SaveCommData(&two, three.data(), 3), 0);
    ASSERT_EQ(file.SaveCommData(&one, single.data(), 1), 0);
    const char user[5] = {'u', 's', 'e', 'r', '!'};
    ASSERT_EQ(file.SaveUserData(user, 5), 1);

    // Block record: 12-byte header + 2 items of 8 bytes = 28 bytes.
    Bytes expected;
    expected.U32(kSign).U8(7).U32(4).U32(3).U32(38).U32(8).U32(2).U32(89).U32(2); // 2 slots in use
    expected.U8('u').U8('s').U8('e').U8('r').U8('!');
    expected.U32(1).U8(0).U32(145).U32(1).U32(1); // slot 0: key 1, live, block at 145, 1 block, 1 item
    expected.U32(2).U8(0).U32(89).U32(2).U32(3);  // slot 1: key 2, live, block at 89, 2 blocks, 3 items
    expected.Zeros(17);
    expected.U32(2).U32(2).U32(117).Item(10, -10).Item(11, -11); // key 2, block at 89
    expected.U32(2).U32(1).U32(0).Item(12, -12).Zeros(8);        // key 2, block at 117
    expected.U32(2).U32(1).U32(0).Item(50, -50).Zeros(8);        // key 1, block at 145
    EXPECT_EQ(FileBytes(path), expected.str());
}

TEST_F(RecordFile, TwentyFiveItemsFillThreeBlocks)
{
    YFileIOEx file;
    ASSERT_EQ(file.Create(path.c_str(), kSign, 1, 4, 4, 8, 10, CompareInts, 0), 1);
    const int key = 9;
    const std::vector<Item> items = Items(25, 0);
    ASSERT_EQ(file.SaveCommData(&key, items.data(), 25), 0);
    const std::string bytes = FileBytes(path);
    const size_t data = 33 + 4 * 17, block = 12 + 80;
    ASSERT_EQ(bytes.size(), data + 3 * block);
    const auto headerAt = [&](size_t offset) { return bytes.substr(offset, 12); };
    EXPECT_EQ(headerAt(data), Bytes().U32(10).U32(10).U32(static_cast<unsigned>(data + block)).str());
    EXPECT_EQ(headerAt(data + block), Bytes().U32(10).U32(10).U32(static_cast<unsigned>(data + 2 * block)).str());
    EXPECT_EQ(headerAt(data + 2 * block), Bytes().U32(10).U32(5).U32(0).str());
    EXPECT_EQ(bytes.substr(data + 2 * block + 12 + 40), std::string(40, '\0'));

    std::vector<Item> read(25);
    ASSERT_EQ(file.GetCommData(&key, read.data(), 25), 1);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(read[static_cast<size_t>(i)].a, i);
    }
}

TEST_F(RecordFile, KeysInAnyOrderAreFoundAndKeptSorted)
{
    YFileIOEx file;
    ASSERT_EQ(file.Create(path.c_str(), kSign, 1, 4, 50, 8, 3, CompareInts, 0), 1);
    std::vector<int> keys(40);
    for (int i = 0; i < 40; ++i) {
        keys[static_cast<size_t>(i)] = i * 7 - 100;
    }
    std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
    for (const int key : keys) {
        const std::vector<Item> items = Items(key % 5 + 5, key);
        ASSERT_EQ(file.SaveCommData(&key, items.data(), static_cast<int>(items.size())), 0);
    }
    for (const int key : keys) {
        EXPECT_EQ(file.GetCommDataCount(&key), key % 5 + 5) << key;
        std::vector<Item> read(20);
        ASSERT_EQ(file.GetCommData(&key, read.data(), 20), 1);
        EXPECT_EQ(read[0].a, key);
        EXPECT_EQ(read[static_cast<size_t>(key % 5 + 4)].b, -(key + key % 5 + 4));
    }
    const int missing = 1000;
    EXPECT_EQ(file.GetCommDataCount(&missing), 0);
    Item buffer[1];
    EXPECT_EQ(file.GetCommData(&missing, buffer, 1), -1);

    // The index on disk is sorted.
    const std::string bytes = FileBytes(path);
    for (int slot = 1; slot < 40; ++slot) {
        int previous = 0, current = 0;
        memcpy(&previous, bytes.data() + 33 + (slot - 1) * 17, 4);
        memcpy(&current, bytes.data() + 33 + slot * 17, 4);
        EXPECT_LT(previous, current);
    }
    SearchableFile search;
    ASSERT_EQ(search.Open(path.c_str(), kSign, CompareInts), 1);
    int position = -1;
    const int between = -99; // between -100 and -93
    EXPECT_FALSE(search.FindeIndex(&between, &position));
    EXPECT_EQ(position, 1);
    const int last = 39 * 7 - 100;
    EXPECT_TRUE(search.FindeIndex(&last, &position));
    EXPECT_EQ(position, 39);
}

TEST_F(RecordFile, ReplacingGrowsAndShrinksTheChain)
{
    YFileIOEx file;
    ASSERT_EQ(CreateSmall(file), 1);
    const int key = 5, other = 6;
    ASSERT_EQ(file.SaveCommData(&key, Items(3, 0).data(), 3), 0);
    ASSERT_EQ(file.SaveCommData(&other, Items(1, 100).data(), 1), 0);
    // Grows from 2 to 4 blocks: the new ones are linked at the end of the file.
    ASSERT_EQ(file.SaveCommData(&key, Items(7, 200).data(), 7), 0);
    std::vector<Item> read(7);
    ASSERT_EQ(file.GetCommData(&key, read.data(), 7), 1);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(read[static_cast<size_t>(i)].a, 200 + i);
    }
    ASSERT_EQ(file.GetCommData(&other, read.data(), 7), 1);
    EXPECT_EQ(read[0].a, 100);
    const size_t sizeAfterGrowth = FileBytes(path).size();

    // Shrinks in place: no new blocks.
    ASSERT_EQ(file.SaveCommData(&key, Items(2, 300).data(), 2), 0);
    EXPECT_EQ(file.GetCommDataCount(&key), 2);
    ASSERT_EQ(file.GetCommData(&key, read.data(), 2), 1);
    EXPECT_EQ(read[1].a, 301);
    ASSERT_EQ(file.SaveCommData(&key, Items(8, 400).data(), 8), 0);
    EXPECT_EQ(FileBytes(path).size(), sizeAfterGrowth);    // the kept blocks were reused
    ASSERT_EQ(file.GetCommData(&key, read.data(), 7), -1); // too small for 8
    read.resize(8);
    ASSERT_EQ(file.GetCommData(&key, read.data(), 8), 1);
    EXPECT_EQ(read[7].a, 407);
}

TEST_F(RecordFile, ReopeningKeepsOrReplacesByGeometry)
{
    const int key = 3;
    {
        YFileIOEx file;
        ASSERT_EQ(CreateSmall(file), 1);
        ASSERT_EQ(file.SaveCommData(&key, Items(2, 0).data(), 2), 0);
    }
    {
        YFileIOEx same;
        ASSERT_EQ(CreateSmall(same), 1);
        EXPECT_EQ(same.GetCommDataCount(&key), 2);
        YFileIOEx opened;
        ASSERT_EQ(opened.Open(path.c_str(), kSign, CompareInts), 1);
        EXPECT_EQ(opened.GetCommDataCount(&key), 2);
        wchar_t name[MAX_PATH];
        EXPECT_EQ(opened.GetFileName(name, MAX_PATH), static_cast<long>(path.size()));
        EXPECT_EQ(std::wstring(name), path);
        EXPECT_EQ(opened.GetFileName(name, static_cast<int>(path.size())), -8);
    }
    // Another key size or user-data size is another file: it starts empty.
    {
        YFileIOEx otherKey;
        ASSERT_EQ(otherKey.Create(path.c_str(), kSign, 7, 8, 3, 8, 2, CompareInts, 5), 1);
        EXPECT_EQ(FileBytes(path).size(), 33u + 5 + 3 * 21);
    }
    {
        YFileIOEx file;
        ASSERT_EQ(CreateSmall(file), 1);
        ASSERT_EQ(file.SaveCommData(&key, Items(2, 0).data(), 2), 0);
    }
    {
        YFileIOEx otherUser;
        ASSERT_EQ(otherUser.Create(path.c_str(), kSign, 7, 4, 3, 8, 2, CompareInts, 6), 1);
        EXPECT_EQ(otherUser.GetCommDataCount(&key), 0);
    }
    {
        YFileIOEx otherItems;
        ASSERT_EQ(otherItems.Create(path.c_str(), kSign, 7, 4, 3, 16, 2, CompareInts, 6), 1);
        EXPECT_EQ(otherItems.GetCommDataCount(&key), 0);
    }
    // A wrong signature makes the file disposable.
    YFileIOEx wrong;
    EXPECT_EQ(wrong.Open(path.c_str(), kSign + 1, CompareInts), -1);
    EXPECT_FALSE(YFileIOEx::IsExist(path.c_str()));
    EXPECT_EQ(YFileIOEx::DeleteFileW(path.c_str()), 1);
}

TEST_F(RecordFile, IndexBoundsAndCapacitiesAreChecked)
{
    YFileIOEx file;
    ASSERT_EQ(CreateSmall(file), 1);
    const std::vector<Item> items = Items(2, 0);
    const int keys[4] = {10, 20, 30, 40};
    // A position past the slots in use would leave a hole in the index.
    EXPECT_EQ(file.AddNewCommData(&keys[0], items.data(), 2, 1), -1);
    EXPECT_EQ(file.AddNewCommData(&keys[0], items.data(), 2, -1), -1);
    EXPECT_EQ(file.AddNewCommData(&keys[0], items.data(), 0, 0), -1);
    EXPECT_EQ(file.AddNewCommData(&keys[1], items.data(), 2, 0), 1);
    EXPECT_EQ(file.AddNewCommData(&keys[0], items.data(), 2, 0), 1); // before 20
    EXPECT_EQ(file.AddNewCommData(&keys[2], items.data(), 2, 2), 1);
    // The index is full.
    EXPECT_EQ(file.AddNewCommData(&keys[3], items.data(), 2, 3), -1);
    EXPECT_EQ(file.SaveCommData(&keys[3], items.data(), 2), -1);
    EXPECT_EQ(file.GetCommDataCount(&keys[3]), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.GetCommDataCount(&keys[i]), 2) << keys[i];
    }
    Item one[1];
    EXPECT_EQ(file.GetCommData(&keys[0], one, 1), -1);

    // User data must have the user-data size.
    const char five[6] = "12345";
    EXPECT_EQ(file.SaveUserData(nullptr, 5), -7);
    EXPECT_EQ(file.SaveUserData(five, 4), -1);
    EXPECT_EQ(file.SaveUserData(five, 6), -1);
    EXPECT_EQ(FileBytes(path).substr(33, 5), std::string(5, '\0'));
    EXPECT_EQ(file.SaveUserData(five, 5), 1);
    char back[5] = {};
    EXPECT_EQ(file.GetUserData(back, 4), -1);
    EXPECT_EQ(file.GetUserData(back, 5), 1);
    EXPECT_EQ(std::string(back, 5), "12345");
    EXPECT_EQ(file.Initialize(), -6);
}

TEST_F(RecordFile, RemovedKeysReportNothingUntilSavedAgain)
{
    YFileIOEx file;
    ASSERT_EQ(CreateSmall(file), 1);
    const int key = 4, missing = 8;
    ASSERT_EQ(file.SaveCommData(&key, Items(3, 0).data(), 3), 0);
    EXPECT_EQ(file.RemoveComm(&missing), 1);
    EXPECT_EQ(file.RemoveComm(&key), 1);
    EXPECT_EQ(file.GetCommDataCount(&key), 0);
    Item read[3];
    EXPECT_EQ(file.GetCommData(&key, read, 3), -1);
    EXPECT_EQ(file.SaveCommData(&key, Items(1, 9).data(), 1), 0);
    EXPECT_EQ(file.GetCommDataCount(&key), 1);
    ASSERT_EQ(file.GetCommData(&key, read, 3), 1);
    EXPECT_EQ(read[0].a, 9);
}

TEST_F(RecordFile, DamagedFilesGiveResultCodes)
{
    {
        YFileIOEx file;
        ASSERT_EQ(CreateSmall(file), 1);
        for (int key = 0; key < 3; ++key) {
            ASSERT_EQ(file.SaveCommData(&key, Items(key + 2, key).data(), key + 2), 0);
        }
    }
    const std::string good = FileBytes(path);

    // Cut short: the header still promises more.
    PutFileBytes(path, good.substr(0, 20));
    YFileIOEx truncated;
    EXPECT_EQ(truncated.Open(path.c_str(), kSign, CompareInts), -1);
    PutFileBytes(path, good.substr(0, 60));
    EXPECT_EQ(truncated.Open(path.c_str(), kSign, CompareInts), -1);

    // Blocks cut off: the keys are there, their items are not.
    PutFileBytes(path, good.substr(0, good.size() - 30));
    YFileIOEx cut;
    ASSERT_EQ(cut.Open(path.c_str(), kSign, CompareInts), 1);
    std::vector<Item> read(16);
    const int lastKey = 2;
    EXPECT_EQ(cut.GetCommData(&lastKey, read.data(), 16), -1);

    // Random damage from a fixed seed: never a crash or a read beyond the buffer.
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        if (round % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        PutFileBytes(path, bytes);
        YFileIOEx damaged;
        if (damaged.Open(path.c_str(), kSign, CompareInts) != 1) {
            continue;
        }
        for (int key = 0; key < 3; ++key) {
            const long count = damaged.GetCommDataCount(&key);
            const long result = damaged.GetCommData(&key, read.data(), 16);
            EXPECT_TRUE(result == 1 || result == -1);
            if (result == 1) {
                EXPECT_LE(count, 16);
            }
        }
        const int fresh = 77;
        damaged.SaveCommData(&fresh, read.data(), 5);
    }
}
