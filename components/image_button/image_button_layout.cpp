#include "components/image_button/image_button_layout.h"

namespace components {
namespace {

int Centred(int start, int space, int size) { return start + (space - size) / 2; }

}  // namespace

ImageButtonLayout LayOutImageButton(int align, const LayoutBox& bounds, int clientWidth, int pictureWidth,
                                    int pictureHeight, bool hasPicture, bool hasCaption) {
    ImageButtonLayout layout;
    layout.captionArea = bounds;
    if (!hasPicture) return layout;
    const int centredX = Centred(bounds.left, bounds.Width(), pictureWidth);
    const int centredY = Centred(bounds.top, bounds.Height(), pictureHeight);
    switch (align) {
    case kPictureAboveTextBelow:
        layout.pictureX = centredX;
        if (hasCaption) {
            layout.pictureY = kPictureMargin;
            layout.captionArea.top = layout.pictureY + pictureHeight;
        } else {
            layout.pictureY = centredY;
        }
        break;
    case kPictureRightTextLeft:
        if (hasCaption) {
            layout.pictureX = clientWidth - kPictureMargin - pictureWidth;
            layout.pictureY = centredY;
            layout.captionArea.right = layout.pictureX;
        } else {
            layout.pictureX = centredX;
            layout.pictureY = bounds.top;
        }
        break;
    case kPictureUnderText:
        layout.pictureX = bounds.left;
        layout.pictureY = bounds.top;
        break;
    case kPictureLeftTextRight:
    default:
        if (hasCaption) {
            layout.pictureX = bounds.left + kPictureMargin;
            layout.pictureY = centredY;
            layout.captionArea.left = layout.pictureX + pictureWidth + kPictureMargin;
        } else {
            layout.pictureX = centredX;
            layout.pictureY = centredY;
        }
        break;
    }
    return layout;
}

}  // namespace components
