// Paths on the Linux side as programs under Wine see them.
#pragma once

#include <string>
#include <string_view>

namespace common {

// "/a/b" is "Z:\a\b": Wine links drive Z: to the root.
inline std::string WindowsPath(std::string_view unixPath) {
    std::string path = "Z:";
    path.reserve(2 + unixPath.size());
    for (char c : unixPath) path += c == '/' ? '\\' : c;
    return path;
}

}  // namespace common
