// PNG pictures through libpng: any colour type and depth becomes 32-bit
// blue, green, red, alpha rows, top row first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadPng(const uint8_t* data, size_t length, PictureObject& picture);

}  // namespace pictures
