// JPEG pictures through libjpeg: 24-bit blue, green, red rows, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadJpeg(const uint8_t* data, size_t length, PictureObject& picture);

}  // namespace pictures
