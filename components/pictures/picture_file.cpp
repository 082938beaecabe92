// The host build's file reading; the Windows build has its own beside it.
#ifndef _WIN32
#include "components/pictures/picture_file.h"

#include <cstdio>
#include <new>

namespace pictures {

DecodeStatus ReadPictureFile(const char* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return DecodeStatus::kUnreadable;
    DecodeStatus status = DecodeStatus::kOk;
    uint8_t chunk[65536];
    try {
        for (;;) {
            const size_t count = std::fread(chunk, 1, sizeof chunk, file);
            if (count == 0) break;
            if (bytes.size() + count > kMaxPictureFileSize) {
                status = DecodeStatus::kUnreadable;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        if (std::ferror(file)) status = DecodeStatus::kUnreadable;
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::kOutOfMemory;
    }
    std::fclose(file);
    if (status != DecodeStatus::kOk) bytes.clear();
    return status;
}

}  // namespace pictures
#endif
