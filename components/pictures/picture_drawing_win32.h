// A picture placed as the background of an area: the one placement routine
// of windows and labels.
#pragma once

#include <windows.h>

#include "components/pictures/prepared_picture_win32.h"

namespace components {

// Draws a background picture into `area` (coordinates of dc) by mode (see
// pictures::PlaceBackground): 0 natural size at the top-left, 1 tiled (tiles
// missing `update` are skipped), 2 centred and scaled down to fit, 3
// stretched. What the picture covered is taken out of `uncovered`, which the
// caller fills afterwards; an icon, having transparent pixels, gets
// `background` beneath it first.
void PlaceBackgroundPicture(HDC dc, const PreparedPicture& picture, int mode, const RECT& area, const RECT& update,
                            HRGN uncovered, COLORREF background);

}  // namespace components
