// The directory entry chosen from an ICO or CUR file, ready for the system to
// make an icon or cursor from.
#pragma once

#include <cstdint>
#include <vector>

namespace pictures {

struct IconImage {
    bool isIcon = true;          // false for a cursor
    uint16_t hotspotX = 0, hotspotY = 0;
    uint16_t bitsPerPixel = 0;   // of the image; 16-bit images get no second attempt
    // Resource bytes: the entry's image (a DIB with its mask, or a PNG), for a
    // cursor preceded by the two 16-bit hotspot words that cursor resources carry.
    std::vector<uint8_t> resource;
};

}  // namespace pictures
