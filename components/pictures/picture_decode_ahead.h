// Decodes picture bytes on a thread of its own, so that the decode overlaps
// with the work that comes before the picture is first drawn.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "components/pictures/decode_status.h"
#include "components/pictures/picture_decoder.h"
#include "components/pictures/picture_object.h"

namespace pictures {

class PictureDecodeAhead {
public:
    PictureDecodeAhead() = default;
    PictureDecodeAhead(const PictureDecodeAhead&) = delete;
    PictureDecodeAhead& operator=(const PictureDecodeAhead&) = delete;
    ~PictureDecodeAhead() { Cancel(); }

    // Starts decoding a copy of the bytes (an earlier decode is dropped).
    // Without a thread the decode happens in Take.
    void Start(const std::vector<uint8_t>& bytes);
    bool Pending() const { return pending_; }
    // Waits for the decode and hands its result over, once.
    DecodeStatus Take(PictureObject& picture);
    // Waits for a running decode and drops it.
    void Cancel();

private:
    void Decode();

    std::vector<uint8_t> bytes_;
    PictureObject picture_;
    DecodeStatus status_ = DecodeStatus::kDamaged;
    std::thread thread_;
    bool pending_ = false;
};

}  // namespace pictures
