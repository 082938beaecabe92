// Composes the frames of a GifAnimation one after another into a 32-bit
// picture (blue, green, red, alpha; top row first) in which pixels no frame
// has drawn are transparent, so they can be blended over a background colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/pictures/decode_status.h"
#include "components/pictures/gif_animation.h"

namespace pictures {

class GifCanvas {
public:
    // The animation must outlive the canvas.
    explicit GifCanvas(const GifAnimation& animation);

    // Draws the next frame (the first after the last) and returns its index.
    // OutOfMemory leaves the canvas empty.
    DecodeStatus DrawNextFrame(size_t& frameIndex);

    const std::vector<uint8_t>& Pixels() const { return pixels_; }
    uint32_t Width() const { return animation_.width; }
    uint32_t Height() const { return animation_.height; }

private:
    void DisposeOf(const GifFrame& frame);
    void Draw(const GifFrame& frame);

    const GifAnimation& animation_;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> saved_;  // the canvas before a frame that is disposed to "previous"
    size_t next_ = 0;
};

}  // namespace pictures
