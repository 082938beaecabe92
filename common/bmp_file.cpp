#include "common/bmp_file.h"

#include <cstddef>

namespace common {
namespace {

void PutWord(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutHalf(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels, uint32_t pixelsPerMetre) {
    constexpr size_t kHeaderSize = 14 + 40;
    constexpr int kLargestSide = 32768;
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return {};
    size_t rowSize = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    size_t imageSize = rowSize * static_cast<size_t>(height);
    std::vector<uint8_t> out(kHeaderSize + imageSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutWord(out, 2, static_cast<uint32_t>(out.size()));
    PutWord(out, 10, kHeaderSize);
    PutWord(out, 14, 40);
    PutWord(out, 18, static_cast<uint32_t>(width));
    PutWord(out, 22, static_cast<uint32_t>(height));
    PutHalf(out, 26, 1);
    PutHalf(out, 28, 24);
    PutWord(out, 34, static_cast<uint32_t>(imageSize));
    PutWord(out, 38, pixelsPerMetre);
    PutWord(out, 42, pixelsPerMetre);
    for (int y = 0; y < height; ++y) {
        const uint32_t* source = pixels + static_cast<size_t>(height - 1 - y) * width;
        uint8_t* row = out.data() + kHeaderSize + rowSize * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = source[x];
            row[3 * x] = static_cast<uint8_t>(pixel);
            row[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(pixel >> 16);
        }
    }
    return out;
}

}  // namespace common
