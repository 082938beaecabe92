// Bounds-checked little-endian reading of stored data. Every read either
// succeeds completely or fails and leaves the position unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }
    bool AtEnd() const { return position_ == size_; }
    const uint8_t* Current() const { return data_ + position_; }

    bool Skip(size_t count) {
        if (count > Remaining()) return false;
        position_ += count;
        return true;
    }
    bool ReadU32(uint32_t* value) {
        if (Remaining() < 4) return false;
        *value = LoadU32(data_ + position_);
        position_ += 4;
        return true;
    }
    bool ReadI32(int32_t* value) {
        uint32_t word;
        if (!ReadU32(&word)) return false;
        *value = static_cast<int32_t>(word);
        return true;
    }
    bool ReadU16(uint16_t* value) {
        if (Remaining() < 2) return false;
        *value = uint16_t(data_[position_] | data_[position_ + 1] << 8);
        position_ += 2;
        return true;
    }
    // A view of the next `count` bytes.
    bool ReadView(size_t count, const uint8_t** bytes) {
        if (count > Remaining()) return false;
        *bytes = data_ + position_;
        position_ += count;
        return true;
    }
    // A word holding the length, then that many bytes.
    bool ReadCounted(const uint8_t** bytes, uint32_t* length) {
        if (Remaining() < 4) return false;
        uint32_t n = LoadU32(data_ + position_);
        if (n > Remaining() - 4) return false;
        *bytes = data_ + position_ + 4;
        *length = n;
        position_ += 4 + size_t(n);
        return true;
    }
    bool ReadCountedBytes(std::vector<uint8_t>* out) {
        const uint8_t* bytes;
        uint32_t length;
        if (!ReadCounted(&bytes, &length)) return false;
        out->assign(bytes, bytes + length);
        return true;
    }
    bool ReadCountedText(std::string* out) {
        const uint8_t* bytes;
        uint32_t length;
        if (!ReadCounted(&bytes, &length)) return false;
        out->assign(reinterpret_cast<const char*>(bytes), length);
        return true;
    }
    // Text up to a NUL byte; the NUL is consumed but not part of the view.
    bool ReadZeroTerminated(std::string_view* text) {
        const void* nul = std::memchr(data_ + position_, 0, Remaining());
        if (!nul) return false;
        size_t length = static_cast<const uint8_t*>(nul) - (data_ + position_);
        *text = std::string_view(reinterpret_cast<const char*>(data_ + position_), length);
        position_ += length + 1;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace rt
