// The variable-length LZW code stream of a GIF image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "components/pictures/decode_status.h"

namespace pictures {

// Decodes exactly pixelCount indexes from the joined data sub-blocks. Codes
// beyond the table, a stream that starts with a string code, or one that ends
// before pixelCount indexes are Damaged; data after the last pixel is ignored.
DecodeStatus DecodeGifLzw(const uint8_t* data, size_t length, int minimumCodeSize, uint8_t* out,
                          size_t pixelCount);

}  // namespace pictures
