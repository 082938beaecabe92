// A decoded picture made drawable: a 32-bit DIB section of its pixels, with
// translucent pixels resolved against a background colour once.
#pragma once

#include <windows.h>

#include "components/pictures/picture_object.h"

namespace components {

class PictureBitmap {
public:
    PictureBitmap() = default;
    PictureBitmap(const PictureBitmap&) = delete;
    PictureBitmap& operator=(const PictureBitmap&) = delete;
    ~PictureBitmap() { Release(); }

    // Replaces the bitmap with the picture's pixels; translucent pixels (and
    // an icon's transparent ones) take blendColour (0x00BBGGRR). False when
    // the picture has nothing to draw.
    bool Make(const pictures::PictureObject& picture, COLORREF blendColour);
    void Release();

    bool Ready() const { return bitmap_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Draws the whole picture into the rectangle, stretched when its size differs.
    void Draw(HDC target, int x, int y, int width, int height) const;

private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0, height_ = 0;
};

}  // namespace components
