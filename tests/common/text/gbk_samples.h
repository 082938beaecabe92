// Texts both converters must agree on: GBK bytes beside their UTF-8, both
// spelled as bytes since narrow literals are GBK at run time.
#pragma once

#include <string_view>

namespace common::testing {

using namespace std::string_view_literals;

struct GbkSample {
    std::string_view gbk;
    std::string_view utf8;
};

inline constexpr GbkSample kGbkSamples[] = {
    {""sv, ""sv},
    {"plain ASCII"sv, "plain ASCII"sv},
    {"\xD6\xD0\xCE\xC4"sv, "\xE4\xB8\xAD\xE6\x96\x87"sv},
    {"a\xA3\xA1" "b"sv, "a\xEF\xBC\x81" "b"sv},        // a full-width mark between ASCII
    {"\x81\x40"sv, "\xE4\xB8\x82"sv},               // the first character of the extended range
    {"x\x00y"sv, "x\0y"sv},               // an embedded terminator is text like any other
};

}  // namespace common::testing
