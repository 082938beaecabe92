// Shrinking 32-bit pixels by area averaging: each target pixel is the mean of
// the source area it covers, weighted by how much of each source pixel lies
// inside it. Done in integers, a band of target rows at a time, so a large
// picture is shrunk without a second full-size copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

// The source pixels one target pixel covers along one axis, with weights in
// 1/65536 that add up to 65536.
struct ScaleTaps {
    uint32_t first = 0;
    std::vector<uint32_t> weights;
};

// Taps for shrinking `source` pixels to `target` (0 < target <= source).
std::vector<ScaleTaps> ShrinkTaps(uint32_t source, uint32_t target);

class PictureShrinker {
public:
    // A source of 4-byte pixels, rows `sourceStride` bytes apart, to be
    // shrunk to targetWidth × targetHeight. Valid() is false unless
    // 0 < target <= source on both axes and the stride holds a row.
    PictureShrinker(const uint8_t* source, uint32_t sourceWidth, uint32_t sourceHeight, size_t sourceStride,
                    uint32_t targetWidth, uint32_t targetHeight);
    bool Valid() const { return valid_; }

    // Writes target rows [firstRow, firstRow + rowCount) into `band`, rows
    // targetWidth · 4 bytes apart; false (nothing written) for rows outside
    // the target or an invalid shrinker.
    bool Band(uint32_t firstRow, uint32_t rowCount, uint8_t* band);

private:
    void ShrinkAcross(uint32_t sourceRow);

    const uint8_t* source_;
    size_t sourceStride_;
    uint32_t targetWidth_, targetHeight_;
    bool valid_ = false;
    std::vector<uint32_t> columnFirst_, columnCount_, columnOffset_, columnWeights_;
    std::vector<ScaleTaps> rows_;
    std::vector<uint32_t> across_, sums_;  // one source row shrunk across; a target row's sums
    uint32_t acrossRow_ = UINT32_MAX;
};

}  // namespace pictures
