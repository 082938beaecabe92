#include <gtest/gtest.h>

#include <cstring>

#include "tools/uidriver/bmp_file.h"

namespace {

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST(CaptureFile, BottomUpBgrRowsPaddedToFourBytes) {
    // 3 x 2: rows of 9 bytes padded to 12; the top row is stored last.
    const uint32_t pixels[] = {0x112233, 0x445566, 0x778899,   // top
                               0xAABBCC, 0xDDEEFF, 0x010203};  // bottom
    std::vector<uint8_t> file = uidriver::EncodeBmp24(3, 2, pixels);
    ASSERT_EQ(file.size(), 54u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Word(file, 2), file.size());
    EXPECT_EQ(Word(file, 10), 54u);
    EXPECT_EQ(Word(file, 18), 3u);
    EXPECT_EQ(Word(file, 22), 2u);
    EXPECT_EQ(file[28], 24);
    const uint8_t bottom[] = {0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01, 0, 0, 0};
    const uint8_t top[] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0};
    EXPECT_EQ(std::memcmp(file.data() + 54, bottom, 12), 0);
    EXPECT_EQ(std::memcmp(file.data() + 66, top, 12), 0);
}

TEST(CaptureFile, EmptyOrOversizedPicturesGiveNoFile) {
    const uint32_t pixel = 0;
    EXPECT_TRUE(uidriver::EncodeBmp24(0, 5, &pixel).empty());
    EXPECT_TRUE(uidriver::EncodeBmp24(5, -1, &pixel).empty());
    EXPECT_TRUE(uidriver::EncodeBmp24(40000, 1, &pixel).empty());
}

}  // namespace
