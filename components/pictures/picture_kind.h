// Which kind of picture a block of bytes holds, from its first bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pictures {

enum class PictureKind : uint32_t {
    None = 0,
    Jpeg = 1,           // 24-bit BGR rows, bottom row first, unpadded
    Bitmap = 2,         // same layout as Jpeg
    Icon = 3,           // an icon made from the chosen directory entry
    Cursor = 4,         // same, as a cursor
    Gif = 5,            // 40-byte header, 256 colours, 8-bit rows (pixels at 1,064)
    Pcx256 = 6,         // same layout as Gif
    PcxMonochrome = 7,  // 1-bit rows for a monochrome bitmap
    Png = 8,            // 32-bit BGRA rows, top row first
};

// Fewer than six bytes, or no known signature, is PictureKind::None.
PictureKind DetectPictureKind(const uint8_t* bytes, size_t length);

}  // namespace pictures
