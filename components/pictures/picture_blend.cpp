#include "components/pictures/picture_blend.h"

#include <cstring>

namespace pictures {

void BlendOverColour(const uint8_t* source, uint8_t* target, size_t pixelCount, uint32_t blendColour) {
    const uint8_t red = static_cast<uint8_t>(blendColour);
    const uint8_t green = static_cast<uint8_t>(blendColour >> 8);
    const uint8_t blue = static_cast<uint8_t>(blendColour >> 16);
    for (size_t i = 0; i < pixelCount; ++i, source += 4, target += 4) {
        const uint8_t alpha = source[3];
        if (alpha == 255) {
            if (source != target) std::memcpy(target, source, 4);
            continue;
        }
        target[0] = BlendChannel(source[0], blue, alpha);
        target[1] = BlendChannel(source[1], green, alpha);
        target[2] = BlendChannel(source[2], red, alpha);
        target[3] = alpha;
    }
}

}  // namespace pictures
