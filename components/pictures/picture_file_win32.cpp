#include "components/pictures/picture_file.h"

#include <windows.h>

#include <new>
#include <string>

#include "common/text/gbk_conversion_win32.h"

namespace pictures {

// Paths are GBK whatever the system's code page, so they are widened from 936.
DecodeStatus ReadPictureFile(const char* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::wstring widePath;
    try {
        widePath = common::WideFromGbk(path);
    } catch (const std::bad_alloc&) {
        return DecodeStatus::kOutOfMemory;
    }
    if (widePath.empty()) return DecodeStatus::kUnreadable;
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DecodeStatus::kUnreadable;
    DecodeStatus status = DecodeStatus::kOk;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxPictureFileSize) {
        status = DecodeStatus::kUnreadable;
    } else {
        try {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD read = 0;
            if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                                   read != bytes.size()))
                status = DecodeStatus::kUnreadable;
        } catch (const std::bad_alloc&) {
            status = DecodeStatus::kOutOfMemory;
        }
    }
    CloseHandle(file);
    if (status != DecodeStatus::kOk) bytes.clear();
    return status;
}

}  // namespace pictures
