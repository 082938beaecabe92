// Window outlines: the polygon shapes as fractions of the window size, and
// their vertices for a window of a given size.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace components {

constexpr int kShapeRectangle = 0;
constexpr int kShapeEllipse = 1;
constexpr int kShapeRoundedRectangle = 2;
constexpr int kShapeRing = 3;
constexpr int kFirstPolygonShape = 4;
constexpr int kLastShape = 29;
constexpr uint16_t kShapeUnit = 32767;     // a vertex coordinate of kShapeUnit is the full size
constexpr uint16_t kShapeEndMark = 0xFFFF;  // ends each shape's vertex list

// The 26 polygons of shapes 4..29 as consecutive (X, Y) pairs, each shape
// ended by kShapeEndMark.
std::span<const uint16_t> WindowShapeTable();

struct ShapePoint {
    int32_t x = 0, y = 0;
    bool operator==(const ShapePoint&) const = default;
};

// The vertices of polygon shape 4..29 on a width × height window, each
// coordinate scaled with a rounding multiply-divide; empty for other shapes.
std::vector<ShapePoint> ShapePolygon(int shape, int32_t width, int32_t height);

// The corner ellipse size of the rounded rectangle: min(width / 5, height / 5).
int32_t RoundedCornerSize(int32_t width, int32_t height);

// value × numerator / denominator rounded half away from zero (0 for a zero denominator).
int32_t RoundingMultiplyDivide(int32_t value, int32_t numerator, int32_t denominator);

}  // namespace components
