#include "components/pictures/picture_decode_ahead.h"

#include <system_error>
#include <utility>

namespace pictures {

void PictureDecodeAhead::Decode() {
    status_ = DecodePicture(bytes_.data(), static_cast<int64_t>(bytes_.size()), picture_);
    bytes_.clear();
    bytes_.shrink_to_fit();
}

void PictureDecodeAhead::Start(const std::vector<uint8_t>& bytes) {
    Cancel();
    try {
        bytes_ = bytes;
        pending_ = true;
        thread_ = std::thread(&PictureDecodeAhead::Decode, this);
    } catch (const std::system_error&) {
        // No thread: Take decodes in place.
    } catch (const std::bad_alloc&) {
        pending_ = false;
    }
}

DecodeStatus PictureDecodeAhead::Take(PictureObject& picture) {
    if (!pending_) return DecodeStatus::kDamaged;
    if (thread_.joinable()) thread_.join();
    else Decode();
    pending_ = false;
    if (status_ == DecodeStatus::kOk) picture = std::move(picture_);
    picture_.Clear();
    return status_;
}

void PictureDecodeAhead::Cancel() {
    if (thread_.joinable()) thread_.join();
    pending_ = false;
    bytes_.clear();
    picture_.Clear();
}

}  // namespace pictures
