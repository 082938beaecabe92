// UTC times as update documents write them: "2027-01-07T00:00:00Z", nothing
// else (no fractions, no offsets), so that every reader sees the same instant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Seconds since 1970-01-01T00:00:00Z; nothing for any other spelling or an impossible date.
std::optional<int64_t> ParseUtcTime(std::string_view text);

// The same spelling back (years 0000-9999).
std::string FormatUtcTime(int64_t seconds);

}  // namespace common
