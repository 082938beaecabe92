// One state picture of the image button: the picture with its transparent
// pixels turned black and a monochrome mask that marks them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "components/property_layout.h"

namespace components {

class ButtonStateImage {
public:
    ButtonStateImage() = default;
    ButtonStateImage(const ButtonStateImage&) = delete;
    ButtonStateImage& operator=(const ButtonStateImage&) = delete;
    ~ButtonStateImage() { Release(); }

    // Decodes the picture (translucent pixels blended against blendColour)
    // and masks every pixel of the transparent colour; kDefaultColour takes
    // the colour of the top-left pixel. False, holding nothing, when the
    // bytes are no picture.
    bool Build(const Bytes& picture, uint32_t transparentColour, COLORREF blendColour);
    void Release();

    bool Ready() const { return picture_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The opaque pixels at (x, y); the transparent ones leave the target as it was.
    void DrawTransparent(HDC target, int x, int y) const;
    // The opaque pixels' outline embossed in the system's disabled colours.
    void DrawDisabled(HDC target, int x, int y) const;

private:
    HBITMAP picture_ = nullptr;  // 32-bit, transparent pixels black
    HBITMAP mask_ = nullptr;     // 1 where transparent
    int width_ = 0, height_ = 0;
};

}  // namespace components
