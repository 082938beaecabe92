// update.ini: the game folder's record of its installed version, which the
// launcher reads before it starts the game and the updater rewrites.
#pragma once

#include <string_view>

namespace common {

inline constexpr std::string_view kUpdateIniFileName = "update.ini";
inline constexpr std::string_view kUpdateIniSection = "更新配置";
inline constexpr std::string_view kUpdateIniVersionKey = "当前版本";

}  // namespace common
