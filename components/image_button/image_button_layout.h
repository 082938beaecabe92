// Where an image button puts its picture and its caption, by the picture's
// alignment against the caption.
#pragma once

namespace components {

enum ImageButtonAlign : int {
    kPictureLeftTextRight = 0,
    kPictureAboveTextBelow = 1,
    kPictureRightTextLeft = 2,
    kPictureUnderText = 3,  // both centred on the button, the caption over the picture
};

// Gap between the picture and the button's edge or its caption.
constexpr int kPictureMargin = 3;

struct LayoutBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct ImageButtonLayout {
    int pictureX = 0, pictureY = 0;
    LayoutBox captionArea;  // the caption is centred in it
};

// `bounds` is the area inside the button's frame; `clientWidth` is the whole
// client width (a right-hand picture keeps its margin from the window edge).
// Without a picture the caption takes the whole of bounds.
ImageButtonLayout LayOutImageButton(int align, const LayoutBox& bounds, int clientWidth, int pictureWidth,
                                    int pictureHeight, bool hasPicture, bool hasCaption);

}  // namespace components
