// Little-endian writing of stored data into a growing byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/byte_reader.h"

namespace rt {

class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(size_t reserve) { bytes_.reserve(reserve); }

    void PutU32(uint32_t value) {
        uint8_t word[4];
        StoreU32(word, value);
        bytes_.insert(bytes_.end(), word, word + 4);
    }
    void PutU16(uint16_t value) {
        bytes_.push_back(uint8_t(value));
        bytes_.push_back(uint8_t(value >> 8));
    }
    void PutBytes(const void* data, size_t length) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + length);
    }
    void PutBytes(const std::vector<uint8_t>& data) { PutBytes(data.data(), data.size()); }
    // A length word, then the bytes.
    void PutCounted(const void* data, size_t length) {
        PutU32(static_cast<uint32_t>(length));
        PutBytes(data, length);
    }
    void PutCounted(std::string_view text) { PutCounted(text.data(), text.size()); }
    void PutCounted(const std::vector<uint8_t>& data) { PutCounted(data.data(), data.size()); }
    // The text and one NUL byte.
    void PutZeroTerminated(std::string_view text) {
        PutBytes(text.data(), text.size());
        bytes_.push_back(0);
    }

    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Bytes() { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace rt
