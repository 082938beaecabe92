// Alpha resolved against a colour, and where pictures are placed.
#include <gtest/gtest.h>

#include "components/pictures/picture_blend.h"
#include "components/pictures/picture_placement.h"

using namespace pictures;

namespace {

TEST(PictureBlend, TransparentPixelsTakeTheBlendColour) {
    uint8_t bgra[4] = {10, 20, 30, 0};
    BlendOverColour(bgra, bgra, 1, 0x00332211);  // red 0x11, green 0x22, blue 0x33
    EXPECT_EQ(bgra[0], 0x33);
    EXPECT_EQ(bgra[1], 0x22);
    EXPECT_EQ(bgra[2], 0x11);
}

TEST(PictureBlend, HalfTransparentRedOverWhiteIsLightRed) {
    uint8_t bgra[4] = {0, 0, 255, 128};
    BlendOverColour(bgra, bgra, 1, 0x00FFFFFF);
    // trunc(128/255·255 + 127/255·255) = 255; trunc(127/255·255) = 127.
    EXPECT_EQ(bgra[2], 255);
    EXPECT_EQ(bgra[1], 127);
    EXPECT_EQ(bgra[0], 127);
}

TEST(PictureBlend, ChannelsFollowTheTruncatedFormula) {
    struct Case { uint8_t colour, background, alpha, expected; };
    const Case cases[] = {
        {200, 100, 51, 120},   // 0.2·200 + 0.8·100 = 120 exactly
        {0, 255, 1, 254},      // 254.0 exactly
        {255, 0, 254, 254},    // 254.0 exactly
        {100, 0, 128, 50},     // 50.196… truncated
        {7, 3, 200, 6},        // 5.49 + 0.647 = 6.137…
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendChannel(c.colour, c.background, c.alpha), c.expected)
            << int(c.colour) << " over " << int(c.background) << " at " << int(c.alpha);
}

TEST(PictureBlend, OpaquePixelsAreCopiedUnchanged) {
    const uint8_t source[8] = {1, 2, 3, 255, 9, 9, 9, 0};
    uint8_t target[8] = {};
    BlendOverColour(source, target, 2, 0x00000000);
    EXPECT_EQ(target[0], 1);
    EXPECT_EQ(target[1], 2);
    EXPECT_EQ(target[2], 3);
    EXPECT_EQ(target[3], 255);
    EXPECT_EQ(target[4], 0);
    EXPECT_EQ(source[4], 9) << "the source is left alone";
}

struct PlacementCase {
    int32_t areaWidth, areaHeight, pictureWidth, pictureHeight;
    PicturePlacement expected;
};

TEST(PicturePlacement, CentredScalesDownOnlyAndCentres) {
    const PlacementCase cases[] = {
        {50, 50, 100, 50, {0, 12, 50, 25}},     // too wide: halved, centred vertically
        {50, 50, 20, 10, {15, 20, 20, 10}},     // smaller: natural size, centred
        {50, 50, 10, 100, {22, 0, 5, 50}},      // too tall
        {50, 50, 50, 50, {0, 0, 50, 50}},
        {30, 30, 90, 60, {0, 5, 30, 20}},       // s = 1/3 exactly, no rounding down to 29
        {100, 7, 3, 21, {49, 0, 1, 7}},         // trunc(3·7/21) = 1
        {0, 10, 4, 4, {0, 5, 0, 0}},       // no room: nothing drawn
    };
    for (const PlacementCase& c : cases) {
        const PicturePlacement p = PlaceCentred(c.areaWidth, c.areaHeight, c.pictureWidth, c.pictureHeight);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
        EXPECT_EQ(p.width, c.expected.width);
        EXPECT_EQ(p.height, c.expected.height);
    }
}

TEST(PicturePlacement, PictureModesChooseNaturalStretchedOrCentred) {
    const PicturePlacement natural = PlaceForPictureMode(0, 50, 50, 100, 50);
    EXPECT_EQ(natural.width, 100);
    EXPECT_EQ(natural.x, 0);
    const PicturePlacement stretched = PlaceForPictureMode(1, 50, 40, 100, 50);
    EXPECT_EQ(stretched.width, 50);
    EXPECT_EQ(stretched.height, 40);
    const PicturePlacement clamped = PlaceForPictureMode(7, 50, 50, 100, 50);
    EXPECT_EQ(clamped.y, 12);
    EXPECT_EQ(clamped.height, 25);
}

}  // namespace
