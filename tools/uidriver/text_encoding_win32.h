// The driver speaks UTF-8; windows speak UTF-16; the template holds GBK.
#pragma once

#include <string>
#include <string_view>

namespace uidriver {

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromGbk(std::string_view text);
std::string GbkFromUtf8(std::string_view text);

// A path as Windows programs take it: a Unix path ("/tmp/x") becomes the Wine
// drive path that names the same file; anything else is left as it is.
std::wstring WindowsPath(std::string_view utf8Path);

}  // namespace uidriver
