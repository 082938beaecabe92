#include "components/pictures/gif_lzw_decoder.h"

#include <cstdint>
#include <cstring>

namespace pictures {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// A string code's text is already in the output: the previous code's string
// followed by one more byte, which the next string written there begins
// with. So each entry is the place of its first writing, and decoding a code
// copies earlier output instead of walking a chain of prefixes.
struct LzwEntry {
    uint32_t offset;
    uint32_t length;
};

// Copies within the output; the source always ends at or before the target.
// Short strings, most of them, move as sixteen bytes read before any is
// written where the output has room for that many: the bytes past `count`
// are written again later, and those within it come from before `to`.
inline void CopyEarlier(uint8_t* out, size_t outSize, size_t from, size_t to, size_t count) {
    if (count <= 16 && to + 16 <= outSize) {
        uint64_t low, high;
        std::memcpy(&low, out + from, 8);
        std::memcpy(&high, out + from + 8, 8);
        std::memcpy(out + to, &low, 8);
        std::memcpy(out + to + 8, &high, 8);
    } else if (count <= 16) {
        for (size_t i = 0; i < count; ++i) out[to + i] = out[from + i];
    } else {
        std::memcpy(out + to, out + from, count);
    }
}

}  // namespace

DecodeStatus DecodeGifLzw(const uint8_t* data, size_t length, int minimumCodeSize, uint8_t* out,
                          size_t pixelCount) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8) return DecodeStatus::kDamaged;
    if (pixelCount == 0) return DecodeStatus::kOk;

    LzwEntry table[kTableSize];
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;

    int codeBits = minimumCodeSize + 1;
    int nextCode = clearCode + 2;
    int previous = -1;
    size_t previousOffset = 0, previousLength = 0;  // where the previous code's string was written
    uint64_t bits = 0;
    int bitCount = 0;
    size_t position = 0;
    size_t written = 0;

    while (written < pixelCount) {
        if (bitCount < codeBits) {
            // Whole bytes while at least eight are left, so the common case reads once.
            while (bitCount <= 56 && position < length) {
                bits |= static_cast<uint64_t>(data[position++]) << bitCount;
                bitCount += 8;
            }
            if (bitCount < codeBits) return DecodeStatus::kDamaged;
        }
        const int code = static_cast<int>(bits & ((1u << codeBits) - 1));
        bits >>= codeBits;
        bitCount -= codeBits;

        if (code == clearCode) {
            codeBits = minimumCodeSize + 1;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode) break;

        const size_t room = pixelCount - written;
        if (previous < 0) {
            if (code > clearCode) return DecodeStatus::kDamaged;
            out[written] = static_cast<uint8_t>(code);
            previousOffset = written++;
            previousLength = 1;
            previous = code;
            continue;
        }
        size_t stringLength;
        if (code < clearCode) {
            out[written] = static_cast<uint8_t>(code);
            stringLength = 1;
        } else if (code < nextCode && code > endCode) {
            stringLength = table[code].length;
            CopyEarlier(out, pixelCount, table[code].offset, written, stringLength < room ? stringLength : room);
        } else if (code == nextCode && nextCode < kTableSize) {
            // The string being defined: the previous one followed by its own first byte.
            stringLength = previousLength + 1;
            const size_t copied = previousLength < room ? previousLength : room;
            CopyEarlier(out, pixelCount, previousOffset, written, copied);
            if (copied < room) out[written + previousLength] = out[previousOffset];
        } else {
            return DecodeStatus::kDamaged;
        }
        if (nextCode < kTableSize) {
            table[nextCode] = {static_cast<uint32_t>(previousOffset), static_cast<uint32_t>(previousLength + 1)};
            ++nextCode;
        }
        previousOffset = written;
        previousLength = stringLength;
        written += stringLength < room ? stringLength : room;
        if (nextCode == (1 << codeBits) && codeBits < kMaxCodeBits) ++codeBits;
        previous = code;
    }
    return written == pixelCount ? DecodeStatus::kOk : DecodeStatus::kDamaged;
}

}  // namespace pictures
