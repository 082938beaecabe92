// The millisecond clock that seeds the random generator: the system tick count
// on Windows, a monotonic clock elsewhere.
#pragma once

#include <cstdint>

namespace services {

uint32_t MillisecondTicks();

}  // namespace services
