#include "support/bitmap_file_win32.h"

#include "common/bmp_file.h"

namespace components::testing {

std::vector<uint8_t> BitmapFile(int width, int height, const std::function<COLORREF(int x, int y)>& colour) {
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(width > 0 ? width : 0) * (height > 0 ? height : 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = colour(x, y);
            pixels.push_back(static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c));
        }
    return common::EncodeBmp24(width, height, pixels.data());
}

std::vector<uint8_t> SolidBitmapFile(int width, int height, COLORREF colour) {
    return BitmapFile(width, height, [colour](int, int) { return colour; });
}

}  // namespace components::testing
