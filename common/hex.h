// Bytes as hexadecimal text and back. Lower case is the one spelling this
// system writes (hashes, journals, log fields), so it is the one it reads.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace common {

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";
// Percent escapes in URLs are spelled upper case.
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// 0..15, or -1 for anything but a lower-case hex digit.
constexpr int LowerHexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 0..15 for a hex digit of either case (percent escapes), or -1.
constexpr int HexDigitValue(char c) {
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return LowerHexDigitValue(c);
}

inline std::string HexEncode(std::span<const uint8_t> bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        hex += kLowerHexDigits[byte >> 4];
        hex += kLowerHexDigits[byte & 15];
    }
    return hex;
}

inline std::string HexEncode(std::string_view bytes) {
    return HexEncode(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

// Nothing for an odd length or any byte that is not a lower-case hex digit.
inline std::optional<std::string> HexDecode(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = LowerHexDigitValue(hex[i]), low = LowerHexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

}  // namespace common
