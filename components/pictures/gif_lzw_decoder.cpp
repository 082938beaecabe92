#include "components/pictures/gif_lzw_decoder.h"

namespace pictures {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

struct LzwEntry {
    uint16_t prefix;
    uint16_t length;
    uint8_t suffix;
    uint8_t first;
};

// Writes the string of code backwards from its end; only the first room bytes are kept.
inline void WriteString(const LzwEntry* table, int code, uint8_t* out, size_t room) {
    size_t length = table[code].length;
    while (length > room) {
        code = table[code].prefix;
        --length;
    }
    uint8_t* p = out + length;
    while (p != out) {
        *--p = table[code].suffix;
        code = table[code].prefix;
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
    for (int i = 0; i < clearCode; ++i) table[i] = {0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};

    int codeBits = minimumCodeSize + 1;
    int nextCode = clearCode + 2;
    int previous = -1;
    uint64_t bits = 0;
    int bitCount = 0;
    size_t position = 0;
    size_t written = 0;

    while (written < pixelCount) {
        while (bitCount < codeBits) {
            if (position >= length) return DecodeStatus::kDamaged;
            bits |= static_cast<uint64_t>(data[position++]) << bitCount;
            bitCount += 8;
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
            out[written++] = static_cast<uint8_t>(code);
            previous = code;
            continue;
        }
        if (code < nextCode) {
            if (nextCode < kTableSize) {
                table[nextCode] = {static_cast<uint16_t>(previous),
                                   static_cast<uint16_t>(table[previous].length + 1), table[code].first,
                                   table[previous].first};
                ++nextCode;
            }
        } else if (code == nextCode) {
            // The string being defined: the previous one followed by its own first byte.
            table[nextCode] = {static_cast<uint16_t>(previous), static_cast<uint16_t>(table[previous].length + 1),
                               table[previous].first, table[previous].first};
            ++nextCode;
        } else {
            return DecodeStatus::kDamaged;
        }
        const size_t produced = table[code].length < room ? table[code].length : room;
        WriteString(table, code, out + written, produced);
        written += produced;
        if (nextCode == (1 << codeBits) && codeBits < kMaxCodeBits) ++codeBits;
        previous = code;
    }
    return written == pixelCount ? DecodeStatus::kOk : DecodeStatus::kDamaged;
}

}  // namespace pictures
