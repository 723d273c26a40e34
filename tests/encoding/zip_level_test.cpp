// The deflate level of items added after ZipSetLevel.
#include <util/zip.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Text that deflates differently at different levels: repetitive, but not a single run.
std::string SheetLikeText()
{
    std::string text;
    for (int row = 0; row < 4000; ++row) {
        text += "<row><c><v>" + std::to_string(row * 7919 % 100003) + "</v></c><c t=\"s\"><v>" +
                std::to_string(row % 37) + "</v></c></row>";
    }
    return text;
}

TEST(ZipLevel, EachItemKeepsTheLevelSetBeforeItAndReadsBackWhole)
{
    HZIP archive = CreateZipZ(nullptr, 1 << 21, ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, archive);
    std::string text = SheetLikeText();
    EXPECT_EQ(ZIPRES_ARGUMENTS, ZipSetLevel(archive, 10));
    EXPECT_EQ(ZIPRES_ARGUMENTS, ZipSetLevel(archive, -2));
    const int levels[] = {0, 1, 9, -1};
    for (const int level : levels) {
        ASSERT_EQ(ZIPRES_OK, ZipSetLevel(archive, level));
        const std::wstring name = L"level" + std::to_wstring(level) + L".xml";
        ASSERT_EQ(ZIPRES_OK, ZipAdd(archive, name.c_str(), text.data(), static_cast<unsigned>(text.size()), ZIPKIND_MEMORY));
    }
    void* block = nullptr;
    unsigned long used = 0;
    ASSERT_EQ(ZIPRES_OK, ZipGetMemory(archive, &block, &used));

    HZIP reader = OpenZipU(block, static_cast<unsigned>(used), ZIPKIND_MEMORY);
    ASSERT_NE(nullptr, reader);
    std::vector<long> packed;
    for (int index = 0; index < 4; ++index) {
        ZIPENTRYW entry;
        ASSERT_EQ(ZIPRES_OK, GetZipItemW(reader, index, &entry));
        EXPECT_EQ(static_cast<long>(text.size()), entry.unc_size);
        packed.push_back(entry.comp_size);
        std::string back(text.size(), '\0');
        EXPECT_EQ(ZIPRES_OK, UnzipItem(reader, index, &back[0], static_cast<unsigned>(back.size()), ZIPKIND_MEMORY));
        EXPECT_EQ(text, back) << "level " << levels[index];
    }
    // Stored blocks, the fastest packing, the smallest one; the default between the last two.
    EXPECT_GT(packed[0], static_cast<long>(text.size()));
    EXPECT_GT(packed[1], packed[2]);
    EXPECT_GE(packed[3], packed[2]);
    EXPECT_LT(packed[3], packed[1]);
    EXPECT_EQ(ZIPRES_OK, CloseZipU(reader));
    EXPECT_EQ(ZIPRES_OK, CloseZipZ(archive));
    EXPECT_NE(ZIPRES_OK, ZipSetLevel(nullptr, 1));
}

} // namespace
