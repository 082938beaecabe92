#include <gtest/gtest.h>

#include <cstring>

#include "common/bmp_file.h"

namespace {

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST(BmpFile, BottomUpBgrRowsPaddedToFourBytes) {
    // 3 x 2: rows of 9 bytes padded to 12; the top row is stored last.
    const uint32_t pixels[] = {0x112233, 0x445566, 0x778899,   // top
                               0xAABBCC, 0xDDEEFF, 0x010203};  // bottom
    std::vector<uint8_t> file = common::EncodeBmp24(3, 2, pixels);
    ASSERT_EQ(file.size(), 54u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Word(file, 2), file.size());
    EXPECT_EQ(Word(file, 10), 54u);
    EXPECT_EQ(Word(file, 18), 3u);
    EXPECT_EQ(Word(file, 22), 2u);
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(Word(file, 34), 24u);
    EXPECT_EQ(Word(file, 38), 0u);  // no resolution unless asked for
    const uint8_t bottom[] = {0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01, 0, 0, 0};
    const uint8_t top[] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0};
    EXPECT_EQ(std::memcmp(file.data() + 54, bottom, 12), 0);
    EXPECT_EQ(std::memcmp(file.data() + 66, top, 12), 0);
}

TEST(BmpFile, ScreenCapturesState72DotsPerInch) {
    const uint32_t pixel = 0x123456;
    std::vector<uint8_t> file = common::EncodeBmp24(1, 1, &pixel, common::kScreenPixelsPerMetre);
    ASSERT_EQ(file.size(), 54u + 4u);
    EXPECT_EQ(Word(file, 38), 2835u);
    EXPECT_EQ(Word(file, 42), 2835u);
}

TEST(BmpFile, EmptyOrOversizedPicturesGiveNoFile) {
    const uint32_t pixel = 0;
    EXPECT_TRUE(common::EncodeBmp24(0, 5, &pixel).empty());
    EXPECT_TRUE(common::EncodeBmp24(5, -1, &pixel).empty());
    EXPECT_TRUE(common::EncodeBmp24(40000, 1, &pixel).empty());
}

}  // namespace
