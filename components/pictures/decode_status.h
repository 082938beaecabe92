// Outcome of reading a picture; anything but Ok means "no picture".
#pragma once

#include <cstdint>

namespace pictures {

enum class DecodeStatus {
    kOk,
    kUnknownFormat,  // no known signature
    kDamaged,        // the bytes break the format, or end too early
    kTooLarge,       // dimensions beyond the limits below, rejected before allocating
    kOutOfMemory,
    kUnreadable,     // the file could not be read
};

// Decoded pictures never exceed these; a 32-bit process must survive any input.
constexpr uint32_t kMaxPictureDimension = 32767;
constexpr uint64_t kMaxPicturePixels = 1u << 24;
// Frames of an animated picture, counted as stored (one byte per pixel).
constexpr uint64_t kMaxAnimationBytes = 1u << 26;

inline bool DimensionsAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureDimension && height <= kMaxPictureDimension &&
           width * height <= kMaxPicturePixels;
}

}  // namespace pictures
