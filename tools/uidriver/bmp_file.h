// Screen captures as 24-bit BMP files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace uidriver {

// `pixels` holds width x height words 0x00RRGGBB, top row first. The file is
// bottom-up with rows padded to 4 bytes; empty for a size of zero or one too
// large to store.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels);

}  // namespace uidriver
