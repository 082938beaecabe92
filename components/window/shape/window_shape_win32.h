// The region of a window shape on a window of the given size.
#pragma once

#include <windows.h>

namespace components {

// Shapes 1..29 as a region in window coordinates; null for the rectangle
// (shape 0 and anything out of range) or when the region cannot be made.
HRGN CreateShapeRegion(int shape, int width, int height);

}  // namespace components
