// PNG pictures through libpng: any colour type and depth becomes 32-bit
// blue, green, red, alpha rows, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadPng(const uint8_t* data, size_t length, PictureObject& picture);

// Decodes into pixels the caller provides once the size is known: `target`
// returns width × height 4-byte pixels, top row first, rows width · 4 bytes
// apart, or nullptr to refuse (kOutOfMemory). The picture is then never held
// twice, as it is when decoded and copied. On any status but kOk the target's
// contents are unspecified and must be discarded.
using PixelTarget = std::function<uint8_t*(uint32_t width, uint32_t height)>;
DecodeStatus ReadPngInto(const uint8_t* data, size_t length, const PixelTarget& target);

}  // namespace pictures
