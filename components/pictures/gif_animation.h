// The frames of an animated GIF picture as stored: each frame is a rectangle
// of colour indexes that a canvas composes in order (see GifCanvas).
#pragma once

#include <cstdint>
#include <vector>

namespace pictures {

// What happens to a frame's rectangle before the next frame is drawn.
enum class GifDisposal : uint8_t {
    Unspecified = 0,  // left in place
    Keep = 1,
    Background = 2,   // cleared to transparent
    Previous = 3,     // restored to what was there before the frame
};

struct GifFrame {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    uint32_t delay = 0;             // hundredths of a second as stored; 0 means the picture's default
    GifDisposal disposal = GifDisposal::Unspecified;
    int32_t transparentIndex = -1;  // -1: every pixel is drawn
    std::vector<uint32_t> colours;  // 0x00RRGGBB (BGRA bytes); empty: the global table
    std::vector<uint8_t> indexes;   // width × height, top row first
};

struct GifAnimation {
    uint32_t width = 0, height = 0;
    uint32_t defaultDelay = 10;           // used for frames that store 0, in hundredths
    uint8_t backgroundIndex = 0;          // fills the still where the first frame leaves the screen uncovered
    std::vector<uint32_t> globalColours;  // 0x00RRGGBB
    std::vector<GifFrame> frames;

    // Milliseconds to show frame i.
    uint32_t DelayMilliseconds(size_t i) const {
        uint32_t delay = frames[i].delay ? frames[i].delay : defaultDelay;
        return delay * 10;
    }
};

}  // namespace pictures
