// PCX pictures: 256 colours (the 8-bit layout) and monochrome (1-bit rows,
// each padded to 16 bits, top row first, set bits white).
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadPcx(const uint8_t* data, size_t length, PictureObject& picture);

inline size_t MonochromeRowStride(uint32_t width) { return ((static_cast<size_t>(width) + 15) / 16) * 2; }

}  // namespace pictures
