// GIF pictures for the picture benchmark, LZW-compressed as encoders write
// them: a 1-megapixel still and an animation of full-screen frames.
#pragma once

#include <cstdint>
#include <vector>

namespace bench_pictures {

using Bytes = std::vector<uint8_t>;

struct GifShape {
    uint32_t width, height;
    int frames;         // 1: a still picture without graphic control
    uint16_t delay;     // hundredths of a second, for animations
};

// 256 colours; each frame's indexes are smooth bands with a little noise,
// moving from frame to frame.
Bytes MakeGif(const GifShape& shape);

uint32_t Noise(uint32_t x, uint32_t y);

}  // namespace bench_pictures
