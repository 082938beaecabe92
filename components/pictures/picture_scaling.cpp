#include "components/pictures/picture_scaling.h"

#include <algorithm>

namespace pictures {

std::vector<ScaleTaps> ShrinkTaps(uint32_t source, uint32_t target) {
    std::vector<ScaleTaps> taps(target);
    // In units of 1/target of a source pixel, target pixel i covers
    // [i·source, (i+1)·source) and source pixel j covers [j·target, (j+1)·target).
    for (uint32_t i = 0; i < target; ++i) {
        const uint64_t begin = uint64_t{i} * source, end = begin + source;
        ScaleTaps& tap = taps[i];
        tap.first = static_cast<uint32_t>(begin / target);
        uint32_t given = 0;
        for (uint64_t j = tap.first; j * target < end && j < source; ++j) {
            const uint64_t overlap = std::min(end, (j + 1) * target) - std::max(begin, j * target);
            tap.weights.push_back(static_cast<uint32_t>(overlap * 65536 / source));
            given += tap.weights.back();
        }
        tap.weights.back() += 65536 - given;  // rounding left over goes to the last one
    }
    return taps;
}

PictureShrinker::PictureShrinker(const uint8_t* source, uint32_t sourceWidth, uint32_t sourceHeight,
                                 size_t sourceStride, uint32_t targetWidth, uint32_t targetHeight)
    : source_(source), sourceStride_(sourceStride), targetWidth_(targetWidth), targetHeight_(targetHeight) {
    valid_ = source && targetWidth > 0 && targetHeight > 0 && targetWidth <= sourceWidth &&
             targetHeight <= sourceHeight && sourceStride >= size_t{sourceWidth} * 4;
    if (!valid_) return;
    // The column taps in flat arrays keep the inner loop in cache.
    for (const ScaleTaps& tap : ShrinkTaps(sourceWidth, targetWidth)) {
        columnFirst_.push_back(tap.first);
        columnCount_.push_back(static_cast<uint32_t>(tap.weights.size()));
        columnOffset_.push_back(static_cast<uint32_t>(columnWeights_.size()));
        columnWeights_.insert(columnWeights_.end(), tap.weights.begin(), tap.weights.end());
    }
    rows_ = ShrinkTaps(sourceHeight, targetHeight);
    across_.resize(size_t{targetWidth} * 4);
    sums_.resize(size_t{targetWidth} * 4);
}

// Each channel in 1/256: at most 255 · 256, so a row's weighted sum fits 32 bits.
void PictureShrinker::ShrinkAcross(uint32_t sourceRow) {
    const uint8_t* line = source_ + sourceRow * sourceStride_;
    uint32_t* out = across_.data();
    for (uint32_t x = 0; x < targetWidth_; ++x, out += 4) {
        const uint8_t* pixel = line + size_t{columnFirst_[x]} * 4;
        const uint32_t* weight = columnWeights_.data() + columnOffset_[x];
        uint32_t b = 0, g = 0, r = 0, a = 0;
        for (uint32_t c = columnCount_[x]; c--; pixel += 4, ++weight) {
            b += *weight * pixel[0];
            g += *weight * pixel[1];
            r += *weight * pixel[2];
            a += *weight * pixel[3];
        }
        out[0] = (b + 128) >> 8;
        out[1] = (g + 128) >> 8;
        out[2] = (r + 128) >> 8;
        out[3] = (a + 128) >> 8;
    }
    acrossRow_ = sourceRow;
}

bool PictureShrinker::Band(uint32_t firstRow, uint32_t rowCount, uint8_t* band) {
    if (!valid_ || !band || firstRow >= targetHeight_ || rowCount > targetHeight_ - firstRow) return false;
    const size_t values = sums_.size();
    for (uint32_t y = firstRow; y < firstRow + rowCount; ++y) {
        std::fill(sums_.begin(), sums_.end(), 0);
        const ScaleTaps& row = rows_[y];
        for (size_t r = 0; r < row.weights.size(); ++r) {
            // Neighbouring target rows share a source row: it is shrunk across once.
            if (row.first + r != acrossRow_) ShrinkAcross(row.first + static_cast<uint32_t>(r));
            const uint32_t weight = row.weights[r];
            const uint32_t* across = across_.data();
            uint32_t* sums = sums_.data();
            for (size_t i = 0; i < values; ++i) sums[i] += weight * across[i];
        }
        uint8_t* out = band + size_t{y - firstRow} * values;
        for (size_t i = 0; i < values; ++i) out[i] = static_cast<uint8_t>((uint64_t{sums_[i]} + (1u << 23)) >> 24);
    }
    return true;
}

}  // namespace pictures
