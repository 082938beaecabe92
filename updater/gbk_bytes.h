// Walking GBK text one character at a time, so that a trail byte is never
// taken for a separator or a dot.
#pragma once

#include <cstddef>
#include <string_view>

namespace updater {

constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool IsGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// Length of the character at `at` (1 or 2), or 0 when the bytes there are not GBK.
inline size_t GbkCharacterLength(std::string_view text, size_t at) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) return 1;
    if (!IsGbkLeadByte(byte) || at + 1 >= text.size()) return 0;
    return IsGbkTrailByte(static_cast<unsigned char>(text[at + 1])) ? 2 : 0;
}

}  // namespace updater
