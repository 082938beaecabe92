#include "components/pictures/picture_decoder.h"

#include <vector>

#include "components/pictures/bmp_reader.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/jpeg_reader.h"
#include "components/pictures/pcx_reader.h"
#include "components/pictures/picture_file.h"
#include "components/pictures/png_reader.h"

namespace pictures {

DecodeStatus DecodePicture(const void* bytes, int64_t length, PictureObject& picture, IconSize iconSize) {
    picture.Clear();
    if (!bytes || length <= 0) return DecodeStatus::kUnknownFormat;
    if (static_cast<uint64_t>(length) > SIZE_MAX) return DecodeStatus::kTooLarge;
    const auto* data = static_cast<const uint8_t*>(bytes);
    const size_t size = static_cast<size_t>(length);
    DecodeStatus status = DecodeStatus::kUnknownFormat;
    switch (DetectPictureKind(data, size)) {
    case PictureKind::None: break;
    case PictureKind::Bitmap: status = ReadBmp(data, size, picture); break;
    case PictureKind::Jpeg: status = ReadJpeg(data, size, picture); break;
    case PictureKind::Png: status = ReadPng(data, size, picture); break;
    case PictureKind::Icon:
    case PictureKind::Cursor: status = ReadIcon(data, size, iconSize, picture); break;
    case PictureKind::Gif: status = ReadGif(data, size, picture); break;
    case PictureKind::Pcx256:
    case PictureKind::PcxMonochrome: status = ReadPcx(data, size, picture); break;
    }
    if (status != DecodeStatus::kOk) picture.Clear();
    return status;
}

DecodeStatus DecodePictureFile(const char* path, PictureObject& picture, IconSize iconSize) {
    picture.Clear();
    if (!path || !*path) return DecodeStatus::kUnreadable;
    std::vector<uint8_t> bytes;
    DecodeStatus status = ReadPictureFile(path, bytes);
    if (status != DecodeStatus::kOk) return status;
    return DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), picture, iconSize);
}

}  // namespace pictures
