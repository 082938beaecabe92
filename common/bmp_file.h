// Pictures as 24-bit BMP files: the UI driver's screen captures and the
// pictures the tests hand to the decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace common {

// `pixels` holds width x height words 0x00RRGGBB, top row first. The file is
// bottom-up with rows padded to 4 bytes; its resolution fields hold
// `pixelsPerMetre` (0: unstated). Empty for a size of zero or one too large
// to store.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels, uint32_t pixelsPerMetre = 0);

// 2835 pixels per metre: 72 dots per inch.
constexpr uint32_t kScreenPixelsPerMetre = 2835;

}  // namespace common
