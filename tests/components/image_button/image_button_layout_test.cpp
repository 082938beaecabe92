// Where the image button puts its picture and caption for each alignment.
#include <gtest/gtest.h>

#include "components/image_button/image_button_layout.h"

namespace {

using components::ImageButtonLayout;
using components::LayoutBox;
using components::LayOutImageButton;

struct Case {
    const char* name;
    int align;
    LayoutBox bounds;
    bool hasPicture, hasCaption;
    int pictureX, pictureY;
    LayoutBox captionArea;
};

// A 20 x 10 picture on a button with a 100-pixel-wide client area.
const Case kCases[] = {
    {"left, caption", 0, {0, 0, 100, 40}, true, true, 3, 15, {26, 0, 100, 40}},
    {"left, alone", 0, {0, 0, 100, 40}, true, false, 40, 15, {0, 0, 100, 40}},
    {"left inside a frame", 0, {1, 1, 99, 39}, true, true, 4, 15, {27, 1, 99, 39}},
    {"above, caption", 1, {0, 0, 100, 40}, true, true, 40, 3, {0, 13, 100, 40}},
    {"above, alone", 1, {0, 0, 100, 40}, true, false, 40, 15, {0, 0, 100, 40}},
    {"right, caption", 2, {0, 0, 100, 40}, true, true, 77, 15, {0, 0, 77, 40}},
    {"right inside a frame keeps the window margin", 2, {1, 1, 99, 39}, true, true, 77, 15, {1, 1, 77, 39}},
    {"right, alone", 2, {0, 0, 100, 40}, true, false, 40, 0, {0, 0, 100, 40}},
    {"under the caption", 3, {1, 1, 99, 39}, true, true, 1, 1, {1, 1, 99, 39}},
    {"no picture", 0, {0, 0, 100, 40}, false, true, 0, 0, {0, 0, 100, 40}},
    {"a picture larger than the button centres on it", 0, {0, 0, 10, 6}, true, false, -5, -2, {0, 0, 10, 6}},
};

TEST(ImageButtonLayout, PlacesPictureAndCaptionByAlignment) {
    for (const Case& c : kCases) {
        ImageButtonLayout layout = LayOutImageButton(c.align, c.bounds, 100, 20, 10, c.hasPicture, c.hasCaption);
        if (c.hasPicture) {
            EXPECT_EQ(layout.pictureX, c.pictureX) << c.name;
            EXPECT_EQ(layout.pictureY, c.pictureY) << c.name;
        }
        EXPECT_EQ(layout.captionArea.left, c.captionArea.left) << c.name;
        EXPECT_EQ(layout.captionArea.top, c.captionArea.top) << c.name;
        EXPECT_EQ(layout.captionArea.right, c.captionArea.right) << c.name;
        EXPECT_EQ(layout.captionArea.bottom, c.captionArea.bottom) << c.name;
    }
}

}  // namespace
