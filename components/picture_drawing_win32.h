// Decoded pictures made drawable on Windows, and the ways components draw
// them: natural size, stretched, transparent, and placed as a background.
#pragma once

#include <windows.h>

#include "components/prepared_picture_win32.h"
#include "components/pictures/picture_object.h"

namespace components {

// A 32-bit top-down DIB section (blue, green, red, unused); *pixels receives
// its bits when given.
HBITMAP CreateTopDownBitmap(int width, int height, uint8_t** pixels = nullptr);

// Background picture modes of the placement routine.
enum BackgroundPlacement : int { kPlaceTopLeft = 0, kPlaceTiled = 1, kPlaceCentred = 2, kPlaceStretched = 3 };

// Draws a background picture into `area` (coordinates of dc) by mode: 0
// natural size at the top-left, 1 tiled from the top-left over the area
// (tiles missing `update` are skipped), 2 centred and scaled down to fit, 3
// stretched over the area. What the picture covered is taken out of
// `uncovered`, which the caller fills afterwards; an icon, having
// transparent pixels, gets `background` beneath it first.
void PlaceBackgroundPicture(HDC dc, const PreparedPicture& picture, int mode, const RECT& area, const RECT& update,
                            HRGN uncovered, COLORREF background);

// A decoded picture made drawable: a 32-bit DIB section of its pixels, with
// translucent pixels resolved against a background colour once.
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
