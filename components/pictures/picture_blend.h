// Translucent PNG pixels resolved once against a solid colour: the drawable
// bitmap has no per-pixel transparency.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pictures {

// trunc(a/255 · c + (1 − a/255) · b), computed exactly in integers.
inline uint8_t BlendChannel(uint8_t colour, uint8_t background, uint8_t alpha) {
    return static_cast<uint8_t>((unsigned{alpha} * colour + (255u - alpha) * background) / 255u);
}

// BGRA pixels (source and target may be the same buffer); pixels with alpha
// 255 are copied as they are. blendColour is 0x00BBGGRR.
void BlendOverColour(const uint8_t* source, uint8_t* target, size_t pixelCount, uint32_t blendColour);

}  // namespace pictures
