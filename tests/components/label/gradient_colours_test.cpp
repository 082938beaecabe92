// Gradient colours of the label: stops without default colours, exact ends
// and middles in every style, frame rings, and degenerate sizes.
#include <gtest/gtest.h>

#include "components/label/gradient_colours.h"

namespace {

using components::GradientStops;

constexpr uint32_t kDefault = 0xFF000000;
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

GradientStops Stops(uint32_t a, uint32_t b, uint32_t c) {
    GradientStops stops;
    EXPECT_TRUE(components::MakeGradientStops(a, b, c, &stops));
    return stops;
}

TEST(GradientStops, DefaultColoursAreLeftOutAndTwoAreNeeded) {
    GradientStops stops;
    EXPECT_FALSE(components::MakeGradientStops(kRed, kDefault, kDefault, &stops));
    EXPECT_FALSE(components::MakeGradientStops(kDefault, kDefault, kDefault, &stops));
    stops = Stops(kRed, kDefault, kBlue);
    ASSERT_EQ(stops.count, 2);
    EXPECT_EQ(stops.colours[0], kRed);
    EXPECT_EQ(stops.colours[1], kBlue);
    EXPECT_EQ(Stops(kRed, kGreen, kBlue).count, 3);
}

TEST(GradientStops, ColoursBetweenStopsAreRoundedMixes) {
    GradientStops stops = Stops(0x000000, 0xFFFFFF, kDefault);
    EXPECT_EQ(components::GradientColourAt(stops, 0, 4), 0x000000u);
    EXPECT_EQ(components::GradientColourAt(stops, 1, 4), 0x404040u);  // 63.75 rounds up
    EXPECT_EQ(components::GradientColourAt(stops, 4, 4), 0xFFFFFFu);
    EXPECT_EQ(components::GradientColourAt(stops, 9, 4), 0xFFFFFFu);  // past the end stays at the end
    EXPECT_EQ(components::GradientColourAt(stops, 3, 0), 0x000000u);
}

struct StylePoint {
    int style;
    int x, y;
    uint32_t expected;
};

// A 101 × 51 area with red, green and blue stops: ends and centres are exact.
TEST(GradientPixel, EveryStyleRunsFromTheFirstStopToTheLast) {
    GradientStops stops = Stops(kRed, kGreen, kBlue);
    const StylePoint points[] = {
        {1, 0, 7, kRed},    {1, 50, 7, kGreen},  {1, 100, 7, kBlue},
        {2, 9, 0, kRed},    {2, 9, 25, kGreen},  {2, 9, 50, kBlue},
        {3, 0, 7, kBlue},   {3, 100, 7, kRed},
        {4, 9, 0, kBlue},   {4, 9, 50, kRed},
        {5, 0, 0, kRed},    {5, 50, 25, kGreen}, {5, 100, 50, kBlue},
        {6, 100, 0, kRed},  {6, 0, 50, kBlue},
        {7, 50, 3, kRed},   {7, 0, 3, kBlue},    {7, 100, 3, kBlue},
        {8, 3, 25, kRed},   {8, 3, 0, kBlue},    {8, 3, 50, kBlue},
        {0, 60, 30, kRed},  {9, 60, 30, kRed},
    };
    for (const StylePoint& p : points)
        EXPECT_EQ(components::GradientPixel(p.style, stops, p.x, p.y, 101, 51), p.expected)
            << "style " << p.style << " at " << p.x << "," << p.y;
}

TEST(GradientPixel, OnePixelWideAreasTakeTheFirstStop) {
    GradientStops stops = Stops(kRed, kBlue, kDefault);
    EXPECT_EQ(components::GradientPixel(1, stops, 0, 0, 1, 1), kRed);
    EXPECT_EQ(components::GradientPixel(5, stops, 0, 9, 1, 10), 0x800080u);  // only the height counts
}

TEST(GradientFrame, RingsRunFromOuterToInnerColour) {
    GradientStops stops = Stops(kRed, kGreen, kBlue);
    const uint32_t expected[] = {kRed, 0x008080, kGreen, 0x808000, kBlue};
    for (int ring = 0; ring < 5; ++ring) EXPECT_EQ(components::GradientFrameRing(stops, ring, 5), expected[ring]);
    EXPECT_EQ(components::GradientFrameRing(stops, 0, 1), kRed);
}

}  // namespace
