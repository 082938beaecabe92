// The driver speaks UTF-8; windows speak UTF-16; the template holds GBK.
#pragma once

#include <string>
#include <string_view>

#include "common/text/gbk_conversion_win32.h"

namespace uidriver {

using common::GbkFromUtf8;
using common::Utf8FromGbk;
using common::Utf8FromWide;
using common::WideFromUtf8;

// A path as Windows programs take it: a Unix path ("/tmp/x") becomes the Wine
// drive path that names the same file; anything else is left as it is.
std::wstring WindowsPath(std::string_view utf8Path);

}  // namespace uidriver
