#include "components/picture_drawing_win32.h"

#include <cstring>

#include "components/pictures/indexed_layout.h"
#include "components/pictures/pcx_reader.h"
#include "components/pictures/picture_blend.h"
#include "components/pictures/picture_placement.h"

namespace components {
namespace {

using pictures::PictureKind;
using pictures::PictureObject;

}  // namespace

HBITMAP CreateTopDownBitmap(int width, int height, uint8_t** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (pixels) *pixels = static_cast<uint8_t*>(bits);
    return bitmap;
}

namespace {

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
    size_t stride = pictures::IndexedRowStride(picture.width);
    if (picture.pixels.size() < pictures::kIndexedPixelsOffset + stride * picture.height) return false;
    const uint8_t* palette = picture.pixels.data() + 40;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = picture.pixels.data() + pictures::kIndexedPixelsOffset + stride * (picture.height - 1 - y);
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
    HICON icon = CreatePictureIcon(picture);
    if (!icon) return false;
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    for (size_t i = 0; i < count; ++i)
        SetPixel32(target + i * 4, GetBValue(blendColour), GetGValue(blendColour), GetRValue(blendColour));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawIconEx(dc, 0, 0, icon, static_cast<int>(picture.width), static_cast<int>(picture.height), 0, nullptr, DI_NORMAL);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    DestroyIcon(icon);
    return true;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

void Cover(HDC dc, const PreparedPicture& picture, const RECT& place, HRGN uncovered, COLORREF background) {
    if (picture.IsIcon()) {
        SetDCBrushColor(dc, background);
        FillRect(dc, &place, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    picture.Draw(dc, place.left, place.top, place.right - place.left, place.bottom - place.top);
    HRGN covered = CreateRectRgnIndirect(&place);
    if (!covered) return;
    CombineRgn(uncovered, uncovered, covered, RGN_DIFF);
    DeleteObject(covered);
}

}  // namespace

void PlaceBackgroundPicture(HDC dc, const PreparedPicture& picture, int mode, const RECT& area, const RECT& update,
                            HRGN uncovered, COLORREF background) {
    if (!picture.Ready()) return;
    const int width = picture.Width(), height = picture.Height();
    const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (areaWidth <= 0 || areaHeight <= 0) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    switch (mode) {
    case kPlaceTiled:
        for (int y = area.top; y < area.bottom; y += height) {
            for (int x = area.left; x < area.right; x += width) {
                RECT tile{x, y, x + width, y + height};
                if (Intersects(tile, update)) Cover(dc, picture, tile, uncovered, background);
            }
        }
        break;
    case kPlaceCentred: {
        pictures::PicturePlacement place = pictures::PlaceCentred(areaWidth, areaHeight, width, height);
        Cover(dc, picture,
              RECT{area.left + place.x, area.top + place.y, area.left + place.x + place.width,
                   area.top + place.y + place.height},
              uncovered, background);
        break;
    }
    case kPlaceStretched: Cover(dc, picture, area, uncovered, background); break;
    default: Cover(dc, picture, RECT{area.left, area.top, area.left + width, area.top + height}, uncovered, background);
    }
    RestoreDC(dc, saved);
}

bool PictureBitmap::Make(const PictureObject& picture, COLORREF blendColour) {
    Release();
    if (picture.Empty() || picture.width == 0 || picture.height == 0) return false;
    uint8_t* pixels = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(static_cast<int>(picture.width), static_cast<int>(picture.height), &pixels);
    if (!bitmap || !pixels) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    bool filled = false;
    switch (picture.kind) {
    case PictureKind::Jpeg:
    case PictureKind::Bitmap: filled = FillFromBgr(picture, pixels); break;
    case PictureKind::Gif:
    case PictureKind::Pcx256: filled = FillFromIndexed(picture, pixels); break;
    case PictureKind::PcxMonochrome: filled = FillFromMonochrome(picture, pixels); break;
    case PictureKind::Png: filled = FillFromBgra(picture, pixels, blendColour); break;
    case PictureKind::Icon:
    case PictureKind::Cursor: filled = FillFromIcon(picture, bitmap, pixels, blendColour); break;
    case PictureKind::None: break;
    }
    if (!filled) {
        DeleteObject(bitmap);
        return false;
    }
    bitmap_ = bitmap;
    width_ = static_cast<int>(picture.width);
    height_ = static_cast<int>(picture.height);
    return true;
}

void PictureBitmap::Release() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    width_ = height_ = 0;
}

void PictureBitmap::Draw(HDC target, int x, int y, int width, int height) const {
    if (!bitmap_ || width <= 0 || height <= 0) return;
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(source, bitmap_);
    if (width == width_ && height == height_) {
        BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY);
    } else {
        int previousMode = SetStretchBltMode(target, HALFTONE);
        POINT origin;
        SetBrushOrgEx(target, 0, 0, &origin);
        StretchBlt(target, x, y, width, height, source, 0, 0, width_, height_, SRCCOPY);
        SetBrushOrgEx(target, origin.x, origin.y, nullptr);
        SetStretchBltMode(target, previousMode);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace components
