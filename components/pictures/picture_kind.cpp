#include "components/pictures/picture_kind.h"

#include "components/pictures/byte_reader.h"

namespace pictures {

PictureKind DetectPictureKind(const uint8_t* bytes, size_t length) {
    if (!bytes || length < 6) return PictureKind::None;
    uint8_t head[8] = {};
    for (size_t i = 0; i < 8 && i < length; ++i) head[i] = bytes[i];

    if (head[0] == 0x42 && head[1] == 0x4D) return PictureKind::Bitmap;
    if (head[0] == 0xFF && head[1] == 0xD8) return PictureKind::Jpeg;
    if (LoadU32(head) == 0x474E5089) return PictureKind::Png;
    if (LoadU16(head) == 0 && LoadU16(head + 2) == 1 && head[4] > 0) return PictureKind::Icon;
    if (LoadU16(head) == 0 && LoadU16(head + 2) == 2 && head[4] > 0) return PictureKind::Cursor;
    if (head[0] == 'G' && head[1] == 'I' && head[2] == 'F' && head[3] == '8' && (head[4] == '7' || head[4] == '9') &&
        head[5] == 'a')
        return PictureKind::Gif;
    if (head[0] == 0x0A && head[1] <= 5 && head[2] == 1 && head[3] == 8) return PictureKind::Pcx256;
    if (head[0] == 0x0A && head[1] == 3 && head[2] == 1 && head[3] == 1) return PictureKind::PcxMonochrome;
    return PictureKind::None;
}

}  // namespace pictures
