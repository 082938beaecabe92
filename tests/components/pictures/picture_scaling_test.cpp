// Shrinking by area averaging: known means, exact uniform colours, bands that
// match the whole, and sizes it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "components/pictures/picture_scaling.h"

using namespace pictures;

namespace {

// Grey pixels (all four bytes equal), one value per pixel.
std::vector<uint8_t> Grey(const std::vector<uint8_t>& values) {
    std::vector<uint8_t> pixels;
    for (uint8_t value : values) pixels.insert(pixels.end(), 4, value);
    return pixels;
}

std::vector<uint8_t> Shrink(const std::vector<uint8_t>& source, uint32_t width, uint32_t height, uint32_t targetWidth,
                            uint32_t targetHeight) {
    std::vector<uint8_t> target(size_t{targetWidth} * targetHeight * 4, 0xEE);
    PictureShrinker shrinker(source.data(), width, height, size_t{width} * 4, targetWidth, targetHeight);
    EXPECT_TRUE(shrinker.Band(0, targetHeight, target.data()));
    return target;
}

TEST(PictureScaling, TargetPixelsAreTheMeanOfTheAreaTheyCover) {
    struct Case {
        const char* label;
        std::vector<uint8_t> source;
        uint32_t width, height, targetWidth, targetHeight;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"same size", {1, 2, 3, 4, 5, 6}, 3, 2, 3, 2, {1, 2, 3, 4, 5, 6}},
        {"2x2 to one: (0+100+200+255)/4 rounded", {0, 100, 200, 255}, 2, 2, 1, 1, {139}},
        {"3 to 2: two thirds and one third", {0, 90, 180}, 3, 1, 2, 1, {30, 150}},
        {"3 rows to 2", {0, 90, 180}, 1, 3, 1, 2, {30, 150}},
        {"4 to 3 across, 2 to 1 down", {0, 40, 80, 120, 40, 80, 120, 160}, 4, 2, 3, 1, {30, 80, 130}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shrink(Grey(c.source), c.width, c.height, c.targetWidth, c.targetHeight), Grey(c.expected))
            << c.label;
}

TEST(PictureScaling, AUniformPictureStaysExactlyItsColourAtAnyRatio) {
    const uint8_t colour[4] = {0x12, 0x9A, 0xFF, 0x00};
    std::vector<uint8_t> source;
    for (int i = 0; i < 600 * 450; ++i) source.insert(source.end(), colour, colour + 4);
    std::vector<uint8_t> target = Shrink(source, 600, 450, 590, 421);
    for (size_t i = 0; i < target.size(); ++i) ASSERT_EQ(target[i], colour[i % 4]) << i;
}

TEST(PictureScaling, BandsPutTogetherEqualTheWholeShrink) {
    std::vector<uint8_t> source(37 * 29 * 4);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    const std::vector<uint8_t> whole = Shrink(source, 37, 29, 23, 17);
    std::vector<uint8_t> banded(whole.size());
    PictureShrinker shrinker(source.data(), 37, 29, 37 * 4, 23, 17);
    for (uint32_t row : {10u, 0u, 15u, 5u}) {  // out of order, as repaints come
        uint32_t count = row + 5 <= 17 ? 5 : 17 - row;
        ASSERT_TRUE(shrinker.Band(row, count, banded.data() + row * 23 * 4));
    }
    EXPECT_EQ(banded, whole);
}

TEST(PictureScaling, GrowingOrRowsOutsideTheTargetAreRefusedAndNothingIsWritten) {
    std::vector<uint8_t> source = Grey({1, 2, 3, 4});
    struct Case {
        const char* label;
        uint32_t sourceStride, targetWidth, targetHeight, firstRow, rowCount;
    } cases[] = {
        {"wider", 8, 3, 2, 0, 2},   {"taller", 8, 2, 3, 0, 3},     {"empty", 8, 0, 1, 0, 1},
        {"past the end", 8, 2, 2, 1, 2}, {"first row outside", 8, 2, 2, 2, 0}, {"short stride", 7, 1, 1, 0, 1},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> band(64, 0xEE);
        PictureShrinker shrinker(source.data(), 2, 2, c.sourceStride, c.targetWidth, c.targetHeight);
        EXPECT_FALSE(shrinker.Band(c.firstRow, c.rowCount, band.data())) << c.label;
        EXPECT_EQ(band, std::vector<uint8_t>(64, 0xEE)) << c.label;
    }
}

}  // namespace
