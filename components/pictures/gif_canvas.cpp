#include "components/pictures/gif_canvas.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace pictures {

GifCanvas::GifCanvas(const GifAnimation& animation) : animation_(animation) {}

DecodeStatus GifCanvas::DrawNextFrame(size_t& frameIndex) {
    if (animation_.frames.empty()) return DecodeStatus::kDamaged;
    try {
        if (next_ == 0 || next_ >= animation_.frames.size()) {
            next_ = 0;
            pixels_.assign(static_cast<size_t>(animation_.width) * animation_.height * 4, 0);
        } else {
            DisposeOf(animation_.frames[next_ - 1]);
        }
        const GifFrame& frame = animation_.frames[next_];
        if (frame.disposal == GifDisposal::Previous) saved_ = pixels_;
        Draw(frame);
    } catch (const std::bad_alloc&) {
        pixels_.clear();
        saved_.clear();
        next_ = 0;
        return DecodeStatus::kOutOfMemory;
    }
    frameIndex = next_++;
    return DecodeStatus::kOk;
}

void GifCanvas::DisposeOf(const GifFrame& frame) {
    if (frame.disposal == GifDisposal::Previous && saved_.size() == pixels_.size()) {
        pixels_.swap(saved_);
        return;
    }
    if (frame.disposal != GifDisposal::Background) return;
    const uint32_t right = std::min(animation_.width, frame.left + frame.width);
    const uint32_t bottom = std::min(animation_.height, frame.top + frame.height);
    for (uint32_t y = frame.top; y < bottom; ++y)
        if (frame.left < right)
            std::memset(pixels_.data() + (static_cast<size_t>(y) * animation_.width + frame.left) * 4, 0,
                        (right - frame.left) * 4);
}

void GifCanvas::Draw(const GifFrame& frame) {
    const std::vector<uint32_t>& colours = frame.colours.empty() ? animation_.globalColours : frame.colours;
    const uint32_t right = std::min(animation_.width, frame.left + frame.width);
    const uint32_t bottom = std::min(animation_.height, frame.top + frame.height);
    for (uint32_t y = frame.top; y < bottom; ++y) {
        const uint8_t* source = frame.indexes.data() + static_cast<size_t>(y - frame.top) * frame.width;
        uint8_t* target = pixels_.data() + (static_cast<size_t>(y) * animation_.width + frame.left) * 4;
        for (uint32_t x = frame.left; x < right; ++x, ++source, target += 4) {
            const uint8_t index = *source;
            if (index == frame.transparentIndex) continue;
            const uint32_t colour = index < colours.size() ? colours[index] : 0;
            target[0] = static_cast<uint8_t>(colour);
            target[1] = static_cast<uint8_t>(colour >> 8);
            target[2] = static_cast<uint8_t>(colour >> 16);
            target[3] = 255;
        }
    }
}

}  // namespace pictures
