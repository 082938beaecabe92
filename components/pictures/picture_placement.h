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

}  // namespace pictures
