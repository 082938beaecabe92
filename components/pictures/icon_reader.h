// ICO and CUR files: one directory entry is chosen and its image kept for the
// system to make an icon or cursor from.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

// The width byte of the directory entry preferred for each use.
enum class IconSize : uint8_t { Large = 32, Small = 16 };

// The first entry with more than 15 colours and the wanted width wins,
// otherwise the last entry; an entry whose colour-count byte is 0 (256
// colours and more) counts by its bit depth. width and height come from the
// image itself.
DecodeStatus ReadIcon(const uint8_t* data, size_t length, IconSize wanted, PictureObject& picture);

}  // namespace pictures
