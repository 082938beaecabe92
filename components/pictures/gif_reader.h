// GIF pictures (87a and 89a). A single image becomes the 8-bit layout; more
// images also keep every frame as a GifAnimation, with the first frame as the
// still picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadGif(const uint8_t* data, size_t length, PictureObject& picture);

}  // namespace pictures
