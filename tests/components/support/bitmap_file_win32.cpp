#include "support/bitmap_file_win32.h"

namespace component_testing {

std::vector<uint8_t> BitmapFile(int width, int height, const std::function<COLORREF(int x, int y)>& colour) {
    int stride = (width * 3 + 3) & ~3;
    uint32_t imageSize = static_cast<uint32_t>(stride * height);
    std::vector<uint8_t> file(54 + imageSize, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {  // bottom row first
        uint8_t* row = file.data() + 54 + static_cast<size_t>(stride) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            COLORREF c = colour(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return file;
}

std::vector<uint8_t> SolidBitmapFile(int width, int height, COLORREF colour) {
    return BitmapFile(width, height, [colour](int, int) { return colour; });
}

}  // namespace component_testing
