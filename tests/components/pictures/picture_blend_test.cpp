// Alpha resolved against a colour, and where pictures are placed.
#include <gtest/gtest.h>

#include <vector>

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

TEST(PicturePlacement, BackgroundModesPlaceCopiesInTheAreaAndSkipTilesOutsideTheUpdate) {
    struct Case {
        const char* what;
        int32_t mode;
        Area update;
        std::vector<PicturePlacement> expected;
    };
    const Area area{10, 20, 35, 40};  // 25 x 20, a 10 x 8 picture
    const Case cases[] = {
        {"top-left", kBackgroundTopLeft, area, {{10, 20, 10, 8}}},
        {"unknown modes are top-left", 9, area, {{10, 20, 10, 8}}},
        {"stretched", kBackgroundStretched, area, {{10, 20, 25, 20}}},
        {"centred", kBackgroundCentred, area, {{17, 26, 10, 8}}},
        {"tiled, row by row, the last ones cut by the area",
         kBackgroundTiled,
         area,
         {{10, 20, 10, 8}, {20, 20, 10, 8}, {30, 20, 10, 8}, {10, 28, 10, 8}, {20, 28, 10, 8}, {30, 28, 10, 8},
          {10, 36, 10, 8}, {20, 36, 10, 8}, {30, 36, 10, 8}}},
        {"tiled, only what meets the update", kBackgroundTiled, Area{21, 29, 24, 30}, {{20, 28, 10, 8}}},
        {"tiled, an update between tiles meets none", kBackgroundTiled, Area{0, 0, 10, 20}, {}},
    };
    for (const Case& c : cases) {
        std::vector<PicturePlacement> placed;
        PlaceBackground(c.mode, area, c.update, 10, 8, [&](const PicturePlacement& p) { placed.push_back(p); });
        ASSERT_EQ(placed.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < placed.size(); ++i) {
            EXPECT_EQ(placed[i].x, c.expected[i].x) << c.what << " " << i;
            EXPECT_EQ(placed[i].y, c.expected[i].y) << c.what << " " << i;
            EXPECT_EQ(placed[i].width, c.expected[i].width) << c.what << " " << i;
            EXPECT_EQ(placed[i].height, c.expected[i].height) << c.what << " " << i;
        }
    }
    int calls = 0;
    PlaceBackground(kBackgroundTiled, Area{0, 0, 0, 10}, Area{0, 0, 100, 100}, 10, 8, [&](const auto&) { ++calls; });
    PlaceBackground(kBackgroundTiled, area, area, 0, 8, [&](const auto&) { ++calls; });
    EXPECT_EQ(calls, 0) << "an empty area or picture places nothing";
}

}  // namespace
