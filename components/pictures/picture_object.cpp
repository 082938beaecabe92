#include "components/pictures/picture_object.h"

#include <utility>

namespace pictures {

PictureObject::PictureObject(PictureObject&& other) noexcept { *this = std::move(other); }

PictureObject& PictureObject::operator=(PictureObject&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    kind = std::exchange(other.kind, PictureKind::None);
    width = std::exchange(other.width, 0);
    height = std::exchange(other.height, 0);
    pixels = std::move(other.pixels);
    iconImage = std::move(other.iconImage);
    animation = std::move(other.animation);
    return *this;
}

PictureObject::~PictureObject() { Clear(); }

void PictureObject::Clear() {
    kind = PictureKind::None;
    width = height = 0;
    std::vector<uint8_t>().swap(pixels);
    iconImage = IconImage();
    animation.reset();
}

}  // namespace pictures
