// The millisecond clock of the services that wait or seed: the system tick
// count on Windows, a monotonic clock elsewhere. Tests may put a clock of
// their own in its place to step time instead of waiting for it.
#pragma once

#include <cstdint>

namespace services {

uint32_t MillisecondTicks();

// The platform's clock, whatever replaces it.
uint32_t SystemMillisecondTicks();

using TickReader = uint32_t (*)();
// nullptr puts the platform's clock back.
void ReplaceTickSource(TickReader reader);

}  // namespace services
