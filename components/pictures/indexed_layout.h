// The 8-bit layout shared by GIF and 256-colour PCX pictures: a 40-byte
// BITMAPINFOHEADER, 256 colour entries (blue, green, red, 0), then rows padded
// to four bytes, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/pictures/decode_status.h"

namespace pictures {

inline size_t IndexedRowStride(uint32_t width) { return (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3); }

// Sizes pixels for the picture and writes the header and colour table
// (colours as 0x00RRGGBB; entries past colourCount are black); rows are zero.
DecodeStatus StartIndexedLayout(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
                                const uint32_t* colours, size_t colourCount);

// Row y counted from the top, inside a buffer made by StartIndexedLayout.
inline uint8_t* IndexedRow(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t y) {
    return pixels.data() + 40 + 256 * 4 + IndexedRowStride(width) * (height - 1 - y);
}

}  // namespace pictures
