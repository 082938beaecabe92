// The order of published versions, so that the updater never goes back to an
// older one: dotted parts compared as numbers ("1.0.10" is newer than
// "1.0.9"); a part that is not all digits compares byte by byte; a missing
// part counts as "0" ("1.0" and "1.0.0" are the same version).
#pragma once

#include <string_view>

namespace updater {

// Negative when `a` is older than `b`, 0 when they are the same version, positive when newer.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace updater
