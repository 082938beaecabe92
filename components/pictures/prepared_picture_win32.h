// A decoded picture made ready for a device context, and how it is drawn:
// natural size, stretched, or with one colour left out.
#pragma once

#include <windows.h>

#include <climits>
#include <cstdint>

#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/picture_object.h"

namespace components {

// A size a picture can be made a bitmap of.
inline bool DrawableSize(uint32_t width, uint32_t height) {
    return width > 0 && height > 0 && width <= INT_MAX && height <= INT_MAX;
}

// A 32-bit top-down DIB section (blue, green, red, unused); *pixels receives
// its bits when given.
HBITMAP CreateTopDownBitmap(int width, int height, uint8_t** pixels = nullptr);

// The stretch mode bitmaps are drawn with when their size changes.
int PictureStretchMode();
void SetPictureStretchMode(int mode);

// The icon or cursor of an icon or cursor picture, at the size of its image:
// made with CreateIconFromResourceEx, and for images that are not 16-bit
// tried once more with CreateIconFromResource. Null for other kinds or when
// the system refuses the image. The caller destroys it.
HICON CreatePictureIcon(const pictures::PictureObject& picture);

// A picture ready for a device: the icon of icon and cursor pictures,
// otherwise a device-dependent bitmap. It owns what it holds and does not
// need the picture afterwards.
class PreparedPicture {
public:
    PreparedPicture() = default;
    PreparedPicture(const PreparedPicture&) = delete;
    PreparedPicture& operator=(const PreparedPicture&) = delete;
    PreparedPicture(PreparedPicture&& other) noexcept;
    PreparedPicture& operator=(PreparedPicture&& other) noexcept;
    ~PreparedPicture() { Release(); }

    // Made for `dc`, a window or screen context (a memory context holding no
    // bitmap of its own would give a monochrome bitmap). Translucent PNG
    // pixels are resolved against blendColour (0x00BBGGRR) once. False, and
    // nothing held, without a context or a picture.
    bool Prepare(HDC dc, const pictures::PictureObject& picture, COLORREF blendColour);
    // The same from 32-bit blue, green, red, alpha pixels, top row first.
    bool PrepareBgra(HDC dc, const uint8_t* pixels, int width, int height, COLORREF blendColour);
    // A device-independent bitmap of the picture's pixels for any context,
    // with translucent pixels and an icon's transparent ones resolved against
    // blendColour once; drawn stretched with halftoning whatever the global
    // stretch mode. False when the picture has nothing to draw.
    bool Flatten(const pictures::PictureObject& picture, COLORREF blendColour);
    // Flatten from the picture's file bytes: what DecodePicture reads, with the
    // same result. A PNG is decoded straight into the bitmap, so the picture
    // is never held twice.
    bool FlattenEncoded(const uint8_t* bytes, size_t size, COLORREF blendColour);
    // The flattened bitmap, handed over to the caller, who deletes it; null
    // when the picture was not flattened. Nothing is held afterwards.
    HBITMAP TakeFlattened();
    void Release();

    bool Ready() const { return bitmap_ || icon_; }
    bool IsIcon() const { return static_cast<bool>(icon_); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Draws the whole picture into the rectangle; a width or height of -1 is
    // the natural one. A negative raster operation draws transparently with
    // the colour -rasterOperation (see DrawTransparent). Icons are always
    // drawn with their own mask.
    void Draw(HDC target, int x, int y, int width, int height, int32_t rasterOperation = SRCCOPY) const;
    // Pixels of `transparent` leave the target as it was: the bitmap is put
    // on in three passes (invert, and with a mask of that colour, invert).
    void DrawTransparent(HDC target, int x, int y, int width, int height, COLORREF transparent) const;

private:
    ScopedGdiObject<HBITMAP> bitmap_;
    ScopedIcon icon_;
    bool monochrome_ = false;
    bool flattened_ = false;
    int width_ = 0, height_ = 0;
};

}  // namespace components
