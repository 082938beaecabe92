#include "components/pictures/prepared_picture_win32.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/gif_reader.h"
#include "components/pictures/indexed_layout.h"
#include "components/pictures/pcx_reader.h"
#include "components/pictures/picture_blend.h"
#include "components/pictures/picture_kind.h"
#include "components/pictures/picture_scaling.h"

namespace components {
namespace {

using pictures::PictureKind;
using pictures::PictureObject;

int g_stretchMode = HALFTONE;

BITMAPINFOHEADER DibHeader(int width, int height, WORD bitCount) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // negative: top row first
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    return header;
}

HBITMAP DeviceBitmap(HDC dc, const BITMAPINFOHEADER& header, const void* bits) {
    return CreateDIBitmap(dc, &header, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
}

// Rows of 24-bit pixels, bottom row first; the system wants them padded to four bytes.
HBITMAP FromBgrRows(HDC dc, const PictureObject& picture) {
    const size_t row = static_cast<size_t>(picture.width) * 3;
    const size_t stride = (row + 3) & ~static_cast<size_t>(3);
    if (picture.pixels.size() < row * picture.height) return nullptr;
    const BITMAPINFOHEADER header =
        DibHeader(static_cast<int>(picture.width), static_cast<int>(picture.height), 24);
    if (stride == row) return DeviceBitmap(dc, header, picture.pixels.data());
    std::vector<uint8_t> padded(stride * picture.height);
    for (uint32_t y = 0; y < picture.height; ++y)
        std::memcpy(padded.data() + stride * y, picture.pixels.data() + row * y, row);
    return DeviceBitmap(dc, header, padded.data());
}

// The stored header, colour table and rows, checked against the picture first.
HBITMAP FromIndexedLayout(HDC dc, const PictureObject& picture) {
    std::vector<uint8_t> composed;
    const std::vector<uint8_t>& pixels = pictures::StillPixels(picture, composed);
    if (pixels.size() < pictures::kIndexedPixelsOffset +
                            pictures::IndexedRowStride(picture.width) * static_cast<size_t>(picture.height))
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, pixels.data(), sizeof header);
    if (header.biSize != sizeof header || header.biBitCount != 8 || header.biCompression != BI_RGB ||
        header.biWidth != static_cast<LONG>(picture.width) || header.biHeight != static_cast<LONG>(picture.height))
        return nullptr;
    return CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(pixels.data()), CBM_INIT,
                          pixels.data() + pictures::kIndexedPixelsOffset,
                          reinterpret_cast<const BITMAPINFO*>(pixels.data()), DIB_RGB_COLORS);
}

HBITMAP FromMonochromeRows(const PictureObject& picture) {
    if (picture.pixels.size() < pictures::MonochromeRowStride(picture.width) * picture.height) return nullptr;
    return CreateBitmap(static_cast<int>(picture.width), static_cast<int>(picture.height), 1, 1,
                        picture.pixels.data());
}

HBITMAP FromBgra(HDC dc, const uint8_t* pixels, int width, int height, COLORREF blendColour) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> blended(count * 4);
    pictures::BlendOverColour(pixels, blended.data(), count, blendColour);
    return DeviceBitmap(dc, DibHeader(width, -height, 32), blended.data());
}

// Monochrome bitmaps take the target's text colour for 0 bits and its
// background colour for 1 bits: black and white.
class MonochromeColours {
public:
    MonochromeColours(HDC target)
        : target_(target), text_(SetTextColor(target, RGB(0, 0, 0))), back_(SetBkColor(target, RGB(255, 255, 255))) {}
    ~MonochromeColours() {
        SetTextColor(target_, text_);
        SetBkColor(target_, back_);
    }

private:
    HDC target_;
    COLORREF text_, back_;
};

class StretchModeScope {
public:
    StretchModeScope(HDC target, int mode)
        : target_(target), old_(SetStretchBltMode(target, mode)), halftone_(mode == HALFTONE) {
        if (halftone_) SetBrushOrgEx(target, 0, 0, &origin_);  // halftone needs it after the mode changes
    }
    ~StretchModeScope() {
        if (halftone_) SetBrushOrgEx(target_, origin_.x, origin_.y, nullptr);
        SetStretchBltMode(target_, old_);
    }

private:
    HDC target_;
    int old_;
    bool halftone_;
    POINT origin_{};
};

// A flattened (top-down, 32-bit) picture shrunk into the target's visible
// rows a band at a time: the system's averaging stretch takes many times as
// long, and a band costs far less memory than a shrunk copy of the whole.
bool DrawShrunk(HDC target, HBITMAP flattened, int sourceWidth, int sourceHeight, int x, int y, int width,
                int height) {
    DIBSECTION section{};
    // Flattened pictures are top-down 32-bit sections made by CreateTopDownBitmap.
    if (GetObjectW(flattened, sizeof section, &section) != sizeof section || !section.dsBm.bmBits ||
        section.dsBm.bmBitsPixel != 32 || section.dsBm.bmHeight != sourceHeight)
        return false;
    int first = 0, last = height;
    RECT clip;
    if (GetClipBox(target, &clip) != ERROR) {
        first = std::clamp(static_cast<int>(clip.top) - y, 0, height);
        last = std::clamp(static_cast<int>(clip.bottom) - y, 0, height);
    }
    if (first >= last) return true;
    constexpr int kBandRows = 32;
    uint8_t* bits = nullptr;
    ScopedGdiObject<HBITMAP> band(CreateTopDownBitmap(width, std::min(kBandRows, last - first), &bits));
    if (!band || !bits) return false;
    SelectedBitmap bandDc(target, band.Get());
    pictures::PictureShrinker shrinker(static_cast<const uint8_t*>(section.dsBm.bmBits),
                                       static_cast<uint32_t>(sourceWidth), static_cast<uint32_t>(sourceHeight),
                                       static_cast<size_t>(section.dsBm.bmWidthBytes), static_cast<uint32_t>(width),
                                       static_cast<uint32_t>(height));
    if (!bandDc || !shrinker.Valid()) return false;
    for (int row = first; row < last; row += kBandRows) {
        const int count = std::min(kBandRows, last - row);
        GdiFlush();  // the previous band has left the bits before they are overwritten
        if (!shrinker.Band(static_cast<uint32_t>(row), static_cast<uint32_t>(count), bits)) return false;
        BitBlt(target, x, y + row, width, count, bandDc.Get(), 0, 0, SRCCOPY);
    }
    return true;
}

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

int PictureStretchMode() { return g_stretchMode; }
void SetPictureStretchMode(int mode) { g_stretchMode = mode; }

HICON CreatePictureIcon(const PictureObject& picture) {
    if (picture.kind != PictureKind::Icon && picture.kind != PictureKind::Cursor) return nullptr;
    const pictures::IconImage& image = picture.iconImage;
    if (image.resource.empty() || image.resource.size() > UINT_MAX || !DrawableSize(picture.width, picture.height))
        return nullptr;
    auto bytes = const_cast<BYTE*>(image.resource.data());
    auto size = static_cast<DWORD>(image.resource.size());
    HICON icon = CreateIconFromResourceEx(bytes, size, image.isIcon, 0x00030000, static_cast<int>(picture.width),
                                          static_cast<int>(picture.height), LR_DEFAULTCOLOR);
    if (!icon && image.bitsPerPixel != 16) icon = CreateIconFromResource(bytes, size, image.isIcon, 0x00030000);
    return icon;
}

PreparedPicture::PreparedPicture(PreparedPicture&& other) noexcept { *this = std::move(other); }

PreparedPicture& PreparedPicture::operator=(PreparedPicture&& other) noexcept {
    if (this == &other) return *this;
    Release();
    bitmap_ = std::move(other.bitmap_);
    icon_ = std::move(other.icon_);
    monochrome_ = std::exchange(other.monochrome_, false);
    flattened_ = std::exchange(other.flattened_, false);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
}

bool PreparedPicture::Prepare(HDC dc, const PictureObject& picture, COLORREF blendColour) {
    Release();
    if (!dc || picture.Empty() || !DrawableSize(picture.width, picture.height)) return false;
    try {
        switch (picture.kind) {
        case PictureKind::Icon:
        case PictureKind::Cursor: icon_.Reset(CreatePictureIcon(picture)); break;
        case PictureKind::Jpeg:
        case PictureKind::Bitmap: bitmap_.Reset(FromBgrRows(dc, picture)); break;
        case PictureKind::Gif:
        case PictureKind::Pcx256: bitmap_.Reset(FromIndexedLayout(dc, picture)); break;
        case PictureKind::PcxMonochrome:
            bitmap_.Reset(FromMonochromeRows(picture));
            monochrome_ = true;
            break;
        case PictureKind::Png:
            if (picture.pixels.size() / 4 / picture.width >= picture.height)
                bitmap_.Reset(FromBgra(dc, picture.pixels.data(), static_cast<int>(picture.width),
                                       static_cast<int>(picture.height), blendColour));
            break;
        case PictureKind::None: break;
        }
    } catch (const std::bad_alloc&) {
        Release();
    }
    if (!Ready()) {
        Release();
        return false;
    }
    width_ = static_cast<int>(picture.width);
    height_ = static_cast<int>(picture.height);
    return true;
}

bool PreparedPicture::PrepareBgra(HDC dc, const uint8_t* pixels, int width, int height, COLORREF blendColour) {
    Release();
    if (!dc || !pixels || width <= 0 || height <= 0) return false;
    try {
        bitmap_.Reset(FromBgra(dc, pixels, width, height, blendColour));
    } catch (const std::bad_alloc&) {
        bitmap_.Reset();
    }
    if (!bitmap_) return false;
    width_ = width;
    height_ = height;
    return true;
}

HBITMAP PreparedPicture::TakeFlattened() {
    if (!flattened_) return nullptr;
    HBITMAP bitmap = bitmap_.Take();
    Release();
    return bitmap;
}

void PreparedPicture::Release() {
    bitmap_.Reset();
    icon_.Reset();
    monochrome_ = false;
    flattened_ = false;
    width_ = height_ = 0;
}

void PreparedPicture::Draw(HDC target, int x, int y, int width, int height, int32_t rasterOperation) const {
    if (!Ready()) return;
    if (width == -1) width = width_;
    if (height == -1) height = height_;
    if (width <= 0 || height <= 0) return;
    if (icon_) {
        DrawIconEx(target, x, y, icon_.Get(), width, height, 0, nullptr, DI_NORMAL);
        return;
    }
    if (rasterOperation < 0) {
        DrawTransparent(target, x, y, width, height,
                        static_cast<COLORREF>(-static_cast<int64_t>(rasterOperation)) & 0x00FFFFFF);
        return;
    }
    const auto operation = static_cast<DWORD>(rasterOperation);
    if (flattened_ && operation == SRCCOPY && width <= width_ && height <= height_ &&
        (width != width_ || height != height_) &&
        DrawShrunk(target, bitmap_.Get(), width_, height_, x, y, width, height))
        return;
    SelectedBitmap source(target, bitmap_.Get());
    if (!source.Get()) return;
    MonochromeColours colours(target);
    if (width == width_ && height == height_) {
        BitBlt(target, x, y, width, height, source.Get(), 0, 0, operation);
    } else {
        StretchModeScope mode(target, flattened_ ? HALFTONE : g_stretchMode);
        StretchBlt(target, x, y, width, height, source.Get(), 0, 0, width_, height_, operation);
    }
}

void PreparedPicture::DrawTransparent(HDC target, int x, int y, int width, int height, COLORREF transparent) const {
    if (icon_ || !bitmap_) {
        Draw(target, x, y, width, height);
        return;
    }
    if (width == -1) width = width_;
    if (height == -1) height = height_;
    if (width <= 0 || height <= 0) return;
    ScopedGdiObject<HBITMAP> mask(CreateBitmap(width_, height_, 1, 1, nullptr));
    if (!mask) return;
    {
        SelectedBitmap source(target, bitmap_.Get());
        SelectedBitmap maskDc(target, mask.Get());
        if (!source.Get() || !maskDc.Get()) return;
        // Mask bits are 1 where the picture has the transparent colour.
        if (monochrome_) {
            DWORD operation = transparent == RGB(255, 255, 255) ? SRCCOPY
                              : transparent == RGB(0, 0, 0)       ? NOTSRCCOPY
                                                                  : BLACKNESS;
            BitBlt(maskDc.Get(), 0, 0, width_, height_, source.Get(), 0, 0, operation);
        } else {
            COLORREF oldBack = SetBkColor(source.Get(), transparent);
            BitBlt(maskDc.Get(), 0, 0, width_, height_, source.Get(), 0, 0, SRCCOPY);
            SetBkColor(source.Get(), oldBack);
        }
        MonochromeColours colours(target);
        // Averaging stretch modes would blend the mask's edges.
        StretchModeScope mode(target, COLORONCOLOR);
        StretchBlt(target, x, y, width, height, source.Get(), 0, 0, width_, height_, SRCINVERT);
        StretchBlt(target, x, y, width, height, maskDc.Get(), 0, 0, width_, height_, SRCAND);
        StretchBlt(target, x, y, width, height, source.Get(), 0, 0, width_, height_, SRCINVERT);
    }
}

}  // namespace components
