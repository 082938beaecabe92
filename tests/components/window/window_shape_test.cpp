// Window shape outlines: the table's layout and the scaling of its vertices.
#include <gtest/gtest.h>

#include "components/window/shape/window_shape.h"

namespace {

using components::ShapePoint;
using components::ShapePolygon;

TEST(WindowShapeTable, HoldsTwentySixClosedVertexLists) {
    std::span<const uint16_t> table = components::WindowShapeTable();
    int shapes = 0;
    size_t start = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i] != components::kShapeEndMark) continue;
        EXPECT_EQ((i - start) % 2, 0u) << "shape " << shapes + 4 << " has an odd coordinate count";
        EXPECT_GE(i - start, 6u) << "shape " << shapes + 4;
        start = i + 1;
        ++shapes;
    }
    EXPECT_EQ(shapes, 26);
    EXPECT_EQ(start, table.size());
    EXPECT_EQ(ShapePolygon(13, 1, 1).size(), 10u);
    EXPECT_EQ(ShapePolygon(16, 1, 1).size(), 24u);
    EXPECT_EQ(ShapePolygon(17, 1, 1).size(), 28u);
}

TEST(WindowShapeTable, VerticesScaleWithRoundingToTheWindowSize) {
    // 16383 / 32767 of 100 is 49.998: rounded, not cut.
    EXPECT_EQ(ShapePolygon(4, 100, 60), (std::vector<ShapePoint>{{50, 0}, {100, 60}, {0, 60}, {50, 0}}));
    EXPECT_EQ(ShapePolygon(29, 32767, 7),
              (std::vector<ShapePoint>{{32767, 3}, {18724, 0}, {0, 0}, {0, 7}, {18724, 7}}));
    EXPECT_TRUE(ShapePolygon(3, 100, 100).empty());
    EXPECT_TRUE(ShapePolygon(30, 100, 100).empty());
    EXPECT_EQ(components::RoundedCornerSize(100, 60), 12);
    EXPECT_EQ(components::RoundingMultiplyDivide(-5, 3, 2), -8);
    EXPECT_EQ(components::RoundingMultiplyDivide(5, 3, 0), 0);
}

}  // namespace
