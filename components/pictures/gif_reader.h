// GIF pictures (87a and 89a). A single image becomes the 8-bit layout; more
// images keep only their frames, as a GifAnimation, and no pixels: the still
// picture, their first frame, is composed when something draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_object.h"

namespace pictures {

DecodeStatus ReadGif(const uint8_t* data, size_t length, PictureObject& picture);

// The first frame on the logical screen, in the 8-bit layout.
DecodeStatus ComposeGifStill(const GifAnimation& gif, std::vector<uint8_t>& pixels);

// The picture's pixels in its kind's layout: its own, or for an animated GIF
// its still composed into `composed` (empty when that fails).
const std::vector<uint8_t>& StillPixels(const PictureObject& picture, std::vector<uint8_t>& composed);

}  // namespace pictures
