// BMP pictures: 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up or top-down,
// RLE4 and RLE8, bit fields. The result is 24-bit BGR rows, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadBmp(const uint8_t* data, size_t length, PictureObject& picture);

}  // namespace pictures
