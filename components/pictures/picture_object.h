// A decoded picture: its kind, size and pixels in the kind's layout. The
// system's icon of an icon picture is made from iconImage, and owned, by the
// code that draws it (PreparedPicture).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "components/pictures/gif_animation.h"
#include "components/pictures/icon_image.h"
#include "components/pictures/picture_kind.h"

namespace pictures {

// Byte offset of the 8-bit pixel rows in the Gif and Pcx256 layouts.
constexpr size_t kIndexedPixelsOffset = 40 + 256 * 4;

struct PictureObject {
    PictureKind kind = PictureKind::None;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;                // layout by kind; empty for icons, cursors and animations
    IconImage iconImage;                        // kinds Icon and Cursor
    std::unique_ptr<GifAnimation> animation;    // a GIF with more than one frame (see StillPixels)

    PictureObject() = default;
    PictureObject(PictureObject&& other) noexcept;
    PictureObject& operator=(PictureObject&& other) noexcept;
    PictureObject(const PictureObject&) = delete;
    PictureObject& operator=(const PictureObject&) = delete;
    ~PictureObject();

    bool Empty() const { return kind == PictureKind::None; }
    // Bytes of the pixel buffer kept: 0 for an animation, whose still is composed on demand.
    size_t Size() const { return pixels.size(); }
    bool Animated() const { return animation != nullptr; }
    // Back to the empty picture, releasing everything it held.
    void Clear();
};

}  // namespace pictures
