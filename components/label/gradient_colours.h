// Colours of the label's gradients: a background in one of eight directions
// and a frame whose rings run from the outer to the inner colour. Colours are
// 0x00BBGGRR; each pixel is computed from its place in the whole area, so
// the area can be drawn in tiles of any size without seams.
#pragma once

#include <cstdint>

namespace components {

struct GradientStops {
    uint32_t colours[3] = {};
    int count = 0;
};

// The stops from up to three colours, leaving out the default colour
// (0xFF000000). False when fewer than two remain: there is no gradient.
bool MakeGradientStops(uint32_t colour1, uint32_t colour2, uint32_t colour3, GradientStops* stops);

// The colour at numerator/denominator of the way from the first stop to the
// last (a zero denominator is the first stop).
uint32_t GradientColourAt(const GradientStops& stops, uint64_t numerator, uint64_t denominator);

enum GradientStyle : int {
    kGradientLeftToRight = 1,
    kGradientTopToBottom = 2,
    kGradientRightToLeft = 3,
    kGradientBottomToTop = 4,
    kGradientTopLeftToBottomRight = 5,
    kGradientTopRightToBottomLeft = 6,
    kGradientFromVerticalCentreLine = 7,    // first colour on the centre line, last at the left and right edges
    kGradientFromHorizontalCentreLine = 8,  // first colour on the centre line, last at the top and bottom edges
};

// The colour of pixel (x, y) of a width × height area in the given style
// (1..8; anything else is the first stop).
uint32_t GradientPixel(int style, const GradientStops& stops, int x, int y, int width, int height);

// The colour of ring `ring` (0 outermost) of a frame `width` rings wide.
uint32_t GradientFrameRing(const GradientStops& stops, int ring, int width);

}  // namespace components
