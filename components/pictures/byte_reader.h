// Bounds-checked little-endian reads over a byte block: every read says
// whether the bytes were there, and nothing is read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pictures {

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
inline uint32_t LoadU32BigEndian(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t length) : data_(data), length_(data ? length : 0) {}

    size_t Position() const { return position_; }
    size_t Remaining() const { return length_ - position_; }
    bool Has(size_t count) const { return count <= Remaining(); }

    bool Seek(size_t position) {
        if (position > length_) return false;
        position_ = position;
        return true;
    }
    bool Skip(size_t count) {
        if (!Has(count)) return false;
        position_ += count;
        return true;
    }
    bool ReadU8(uint8_t& value) {
        if (!Has(1)) return false;
        value = data_[position_++];
        return true;
    }
    bool ReadU16(uint16_t& value) {
        if (!Has(2)) return false;
        value = LoadU16(data_ + position_);
        position_ += 2;
        return true;
    }
    bool ReadU32(uint32_t& value) {
        if (!Has(4)) return false;
        value = LoadU32(data_ + position_);
        position_ += 4;
        return true;
    }
    // Points at the next count bytes and moves past them.
    bool ReadSpan(const uint8_t*& span, size_t count) {
        if (!Has(count)) return false;
        span = data_ + position_;
        position_ += count;
        return true;
    }

private:
    const uint8_t* data_;
    size_t length_;
    size_t position_ = 0;
};

}  // namespace pictures
