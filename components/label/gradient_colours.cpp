#include "components/label/gradient_colours.h"

#include <cstdlib>
#include <initializer_list>

namespace components {
namespace {

constexpr uint32_t kDefaultColour = 0xFF000000;

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

// a + (b − a)·part/whole, rounded to the nearest value.
uint32_t Mix(uint32_t a, uint32_t b, uint64_t part, uint64_t whole) {
    uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint64_t value = (Channel(a, shift) * (whole - part) + Channel(b, shift) * part + whole / 2) / whole;
        mixed |= static_cast<uint32_t>(value) << shift;
    }
    return mixed;
}

// A fraction of the way along one axis: position / (extent − 1).
struct Fraction {
    uint64_t numerator;
    uint64_t denominator;
};

Fraction Along(int position, int extent) {
    if (extent <= 1 || position <= 0) return {0, 1};
    uint64_t last = static_cast<uint64_t>(extent - 1);
    uint64_t at = static_cast<uint64_t>(position) < last ? static_cast<uint64_t>(position) : last;
    return {at, last};
}

Fraction Reverse(Fraction f) { return {f.denominator - f.numerator, f.denominator}; }

Fraction Average(Fraction a, Fraction b) {
    return {a.numerator * b.denominator + b.numerator * a.denominator, 2 * a.denominator * b.denominator};
}

// |2f − 1|: 0 on the centre line, 1 at both edges.
Fraction FromCentre(Fraction f) {
    int64_t twice = 2 * static_cast<int64_t>(f.numerator) - static_cast<int64_t>(f.denominator);
    return {static_cast<uint64_t>(std::llabs(twice)), f.denominator};
}

}  // namespace

bool MakeGradientStops(uint32_t colour1, uint32_t colour2, uint32_t colour3, GradientStops* stops) {
    GradientStops made;
    for (uint32_t colour : {colour1, colour2, colour3})
        if (colour != kDefaultColour) made.colours[made.count++] = colour & 0x00FFFFFF;
    if (made.count < 2) return false;
    *stops = made;
    return true;
}

uint32_t GradientColourAt(const GradientStops& stops, uint64_t numerator, uint64_t denominator) {
    if (stops.count <= 0) return 0;
    if (stops.count == 1 || denominator == 0) return stops.colours[0];
    if (numerator > denominator) numerator = denominator;
    uint64_t segments = static_cast<uint64_t>(stops.count - 1);
    uint64_t position = numerator * segments;  // in units of 1/denominator along the stops
    uint64_t segment = position / denominator;
    if (segment >= segments) return stops.colours[stops.count - 1];
    return Mix(stops.colours[segment], stops.colours[segment + 1], position - segment * denominator, denominator);
}

uint32_t GradientPixel(int style, const GradientStops& stops, int x, int y, int width, int height) {
    Fraction fx = Along(x, width), fy = Along(y, height);
    Fraction f{0, 1};
    switch (style) {
    case kGradientLeftToRight: f = fx; break;
    case kGradientTopToBottom: f = fy; break;
    case kGradientRightToLeft: f = Reverse(fx); break;
    case kGradientBottomToTop: f = Reverse(fy); break;
    case kGradientTopLeftToBottomRight: f = Average(fx, fy); break;
    case kGradientTopRightToBottomLeft: f = Average(Reverse(fx), fy); break;
    case kGradientFromVerticalCentreLine: f = FromCentre(fx); break;
    case kGradientFromHorizontalCentreLine: f = FromCentre(fy); break;
    default: break;
    }
    return GradientColourAt(stops, f.numerator, f.denominator);
}

uint32_t GradientFrameRing(const GradientStops& stops, int ring, int width) {
    Fraction f = Along(ring, width);
    return GradientColourAt(stops, f.numerator, f.denominator);
}

}  // namespace components
