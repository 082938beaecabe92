// Where a picture goes inside a client rectangle for each picture mode.
#pragma once

#include <cstdint>

namespace pictures {

struct PicturePlacement {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// Centred; scaled down uniformly by s = min(areaWidth/width, areaHeight/height)
// when larger than the area, sizes truncated. Never scaled up.
PicturePlacement PlaceCentred(int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth, int32_t pictureHeight);

// Picture box modes: 0 natural size at the top-left, 1 stretched over the
// area, 2 centred (values outside 0..2 are clamped).
PicturePlacement PlaceForPictureMode(int32_t mode, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                                     int32_t pictureHeight);

// Background picture modes of windows and labels.
enum BackgroundMode : int32_t { kBackgroundTopLeft = 0, kBackgroundTiled = 1, kBackgroundCentred = 2, kBackgroundStretched = 3 };

struct Area {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Meets(const Area& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// Calls visit(PicturePlacement) for each copy of a background picture in
// `area` (coordinates of the area's surface): natural size at the top-left,
// tiled from the top-left (tiles that miss `update` are skipped), centred and
// scaled down to fit, or stretched over the area. Other modes are top-left.
template <typename Visit>
void PlaceBackground(int32_t mode, const Area& area, const Area& update, int32_t pictureWidth, int32_t pictureHeight,
                     Visit&& visit) {
    const int32_t areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return;
    switch (mode) {
    case kBackgroundTiled:
        for (int64_t y = area.top; y < area.bottom; y += pictureHeight) {
            for (int64_t x = area.left; x < area.right; x += pictureWidth) {
                PicturePlacement tile{static_cast<int32_t>(x), static_cast<int32_t>(y), pictureWidth, pictureHeight};
                Area covered{tile.x, tile.y, static_cast<int32_t>(x + pictureWidth), static_cast<int32_t>(y + pictureHeight)};
                if (covered.Meets(update)) visit(tile);
            }
        }
        break;
    case kBackgroundCentred: {
        PicturePlacement place = PlaceCentred(areaWidth, areaHeight, pictureWidth, pictureHeight);
        visit(PicturePlacement{area.left + place.x, area.top + place.y, place.width, place.height});
        break;
    }
    case kBackgroundStretched: visit(PicturePlacement{area.left, area.top, areaWidth, areaHeight}); break;
    default: visit(PicturePlacement{area.left, area.top, pictureWidth, pictureHeight}); break;
    }
}

}  // namespace pictures
