// Text crosses into Windows as UTF-16 converted from GBK with code page 936,
// whatever the system's own code page is, and comes back the same way.
#pragma once

#include <string>
#include <string_view>

namespace common {

constexpr unsigned kGbkCodePage = 936;

// For text shown or passed on: bytes that are not GBK become the system's
// replacement character, characters GBK lacks a question mark.
std::wstring WideFromGbk(std::string_view gbk);
std::string GbkFromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
std::string Utf8FromGbk(std::string_view gbk);
std::string GbkFromUtf8(std::string_view utf8);

}  // namespace common
