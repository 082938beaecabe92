// The launcher's file name as the brand gives it: the program the updater
// waits for, and starts again once the game is updated.
#pragma once

#include <cstring>
#include <string>

#include "brand/brand_settings.h"

namespace updater {

// The brand keeps file names to ASCII, so each byte is its own character.
inline std::wstring LauncherFileName() {
    return std::wstring(brand::kExecutableName, brand::kExecutableName + std::strlen(brand::kExecutableName));
}

}  // namespace updater
