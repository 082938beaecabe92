#include "components/pictures/picture_placement.h"

namespace pictures {

PicturePlacement PlaceCentred(int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth, int32_t pictureHeight) {
    PicturePlacement placement;
    if (pictureWidth <= 0 || pictureHeight <= 0) return placement;
    const int64_t cw = areaWidth > 0 ? areaWidth : 0, ch = areaHeight > 0 ? areaHeight : 0;
    int64_t w = pictureWidth, h = pictureHeight;
    if (w > cw || h > ch) {
        // Compare the two ratios crosswise so the truncation is exact.
        if (cw * h <= ch * w) {
            h = h * cw / w;
            w = cw;
        } else {
            w = w * ch / h;
            h = ch;
        }
    }
    placement.width = static_cast<int32_t>(w);
    placement.height = static_cast<int32_t>(h);
    placement.x = static_cast<int32_t>((cw - w) / 2);
    placement.y = static_cast<int32_t>((ch - h) / 2);
    return placement;
}

PicturePlacement PlaceForPictureMode(int32_t mode, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                                     int32_t pictureHeight) {
    if (mode <= 0) return {0, 0, pictureWidth, pictureHeight};
    if (mode == 1) return {0, 0, areaWidth, areaHeight};
    return PlaceCentred(areaWidth, areaHeight, pictureWidth, pictureHeight);
}

}  // namespace pictures
