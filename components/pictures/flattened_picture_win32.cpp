// Flattening: a picture of any kind made a top-down 32-bit bitmap for any
// context, translucent and transparent pixels resolved against one colour.
#include "components/pictures/prepared_picture_win32.h"

#include <cstring>
#include <utility>

#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/indexed_layout.h"
#include "components/pictures/pcx_reader.h"
#include "components/pictures/picture_blend.h"
#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_kind.h"
#include "components/pictures/png_reader.h"

namespace components {
namespace {

using pictures::PictureKind;
using pictures::PictureObject;

void SetPixel32(uint8_t* pixel, uint8_t blue, uint8_t green, uint8_t red) {
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
    pixel[3] = 0;
}

bool FillFromBgr(const PictureObject& picture, uint8_t* target) {
    size_t row = static_cast<size_t>(picture.width) * 3;
    if (picture.pixels.size() < row * picture.height) return false;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = picture.pixels.data() + row * (picture.height - 1 - y);  // bottom row first
        uint8_t* out = target + static_cast<size_t>(y) * picture.width * 4;
        for (uint32_t x = 0; x < picture.width; ++x) SetPixel32(out + x * 4, source[x * 3], source[x * 3 + 1], source[x * 3 + 2]);
    }
    return true;
}

bool FillFromIndexed(const PictureObject& picture, uint8_t* target) {
    std::vector<uint8_t> composed;
    const std::vector<uint8_t>& pixels = pictures::StillPixels(picture, composed);
    size_t stride = pictures::IndexedRowStride(picture.width);
    if (pixels.size() < pictures::kIndexedPixelsOffset + stride * picture.height) return false;
    const uint8_t* palette = pixels.data() + 40;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = pixels.data() + pictures::kIndexedPixelsOffset + stride * (picture.height - 1 - y);
        uint8_t* out = target + static_cast<size_t>(y) * picture.width * 4;
        for (uint32_t x = 0; x < picture.width; ++x) {
            const uint8_t* colour = palette + source[x] * 4;
            SetPixel32(out + x * 4, colour[0], colour[1], colour[2]);
        }
    }
    return true;
}

bool FillFromMonochrome(const PictureObject& picture, uint8_t* target) {
    size_t stride = pictures::MonochromeRowStride(picture.width);
    if (picture.pixels.size() < stride * picture.height) return false;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = picture.pixels.data() + stride * y;
        uint8_t* out = target + static_cast<size_t>(y) * picture.width * 4;
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint8_t level = (source[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
            SetPixel32(out + x * 4, level, level, level);
        }
    }
    return true;
}

bool FillFromBgra(const PictureObject& picture, uint8_t* target, COLORREF blendColour) {
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    if (picture.pixels.size() < count * 4) return false;
    pictures::BlendOverColour(picture.pixels.data(), target, count, blendColour);
    for (size_t i = 0; i < count; ++i) target[i * 4 + 3] = 0;
    return true;
}

bool FillFromIcon(const PictureObject& picture, HBITMAP bitmap, uint8_t* target, COLORREF blendColour) {
    ScopedIcon icon(CreatePictureIcon(picture));
    if (!icon) return false;
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    for (size_t i = 0; i < count; ++i)
        SetPixel32(target + i * 4, GetBValue(blendColour), GetGValue(blendColour), GetRValue(blendColour));
    SelectedBitmap dc(nullptr, bitmap);
    DrawIconEx(dc.Get(), 0, 0, icon.Get(), static_cast<int>(picture.width), static_cast<int>(picture.height), 0,
               nullptr, DI_NORMAL);
    GdiFlush();
    return true;
}

}  // namespace

bool PreparedPicture::Flatten(const PictureObject& picture, COLORREF blendColour) {
    Release();
    if (picture.Empty() || !DrawableSize(picture.width, picture.height)) return false;
    uint8_t* pixels = nullptr;
    ScopedGdiObject<HBITMAP> bitmap(
        CreateTopDownBitmap(static_cast<int>(picture.width), static_cast<int>(picture.height), &pixels));
    if (!bitmap || !pixels) return false;
    bool filled = false;
    switch (picture.kind) {
    case PictureKind::Jpeg:
    case PictureKind::Bitmap: filled = FillFromBgr(picture, pixels); break;
    case PictureKind::Gif:
    case PictureKind::Pcx256: filled = FillFromIndexed(picture, pixels); break;
    case PictureKind::PcxMonochrome: filled = FillFromMonochrome(picture, pixels); break;
    case PictureKind::Png: filled = FillFromBgra(picture, pixels, blendColour); break;
    case PictureKind::Icon:
    case PictureKind::Cursor: filled = FillFromIcon(picture, bitmap.Get(), pixels, blendColour); break;
    case PictureKind::None: break;
    }
    if (!filled) return false;
    bitmap_ = std::move(bitmap);
    flattened_ = true;
    width_ = static_cast<int>(picture.width);
    height_ = static_cast<int>(picture.height);
    return true;
}

bool PreparedPicture::FlattenEncoded(const uint8_t* bytes, size_t size, COLORREF blendColour) {
    Release();
    if (!bytes || size == 0) return false;
    if (pictures::DetectPictureKind(bytes, size) != pictures::PictureKind::Png) {
        pictures::PictureObject picture;
        return pictures::DecodePicture(bytes, static_cast<int64_t>(size), picture) == pictures::DecodeStatus::kOk &&
               Flatten(picture, blendColour);
    }
    ScopedGdiObject<HBITMAP> bitmap;
    uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    auto target = [&](uint32_t w, uint32_t h) -> uint8_t* {
        if (!DrawableSize(w, h)) return nullptr;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        bitmap.Reset(CreateTopDownBitmap(width, height, &pixels));
        return bitmap ? pixels : nullptr;
    };
    if (pictures::ReadPngInto(bytes, size, target) != pictures::DecodeStatus::kOk || !pixels) return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    pictures::BlendOverColour(pixels, pixels, count, blendColour);
    for (size_t i = 0; i < count; ++i) pixels[i * 4 + 3] = 0;
    bitmap_ = std::move(bitmap);
    flattened_ = true;
    width_ = width;
    height_ = height;
    return true;
}

}  // namespace components
