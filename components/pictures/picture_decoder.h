// Bytes or a file to a PictureObject, whatever the format.
#pragma once

#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/icon_reader.h"
#include "components/pictures/picture_object.h"

namespace pictures {

// A null block, length <= 0, an unknown format or damaged data leave picture
// empty and return why. iconSize picks among the images of an ICO or CUR.
DecodeStatus DecodePicture(const void* bytes, int64_t length, PictureObject& picture,
                           IconSize iconSize = IconSize::Large);

// The same for a file; path is GBK text, and an empty path is no picture.
DecodeStatus DecodePictureFile(const char* path, PictureObject& picture, IconSize iconSize = IconSize::Large);

}  // namespace pictures
