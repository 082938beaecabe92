// 24-bit BMP files made in memory for the component tests' pictures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace components::testing {

// A 24-bit BMP file whose pixel (x, y) is colour(x, y).
std::vector<uint8_t> BitmapFile(int width, int height, const std::function<COLORREF(int x, int y)>& colour);

// A 24-bit BMP file of one colour.
std::vector<uint8_t> SolidBitmapFile(int width, int height, COLORREF colour);

}  // namespace components::testing
