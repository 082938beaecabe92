// Text crosses into Windows as UTF-16 converted from GBK with code page 936,
// whatever the system's own code page is, and comes back the same way.
#pragma once

#include <string>
#include <string_view>

namespace rt {

constexpr unsigned kGbkCodePage = 936;

std::wstring WideFromGbk(std::string_view text);
std::string GbkFromWide(std::wstring_view text);

}  // namespace rt
