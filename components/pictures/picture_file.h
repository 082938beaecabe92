// Reads a whole picture file into memory.
#pragma once

#include <cstdint>
#include <vector>

#include "components/pictures/decode_status.h"

namespace pictures {

// Files larger than this cannot hold a picture within the limits.
constexpr uint64_t kMaxPictureFileSize = 256u << 20;

// path is GBK text. Unreadable for a missing, unreadable or oversized file.
DecodeStatus ReadPictureFile(const char* path, std::vector<uint8_t>& bytes);

}  // namespace pictures
