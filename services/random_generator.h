// The random generator behind the random commands: a linear congruential
// generator with one state per thread, yielding 0..32767.
#pragma once

#include <cstdint>

namespace services {

void SeedRandom(uint32_t seed);
// Seeds from the millisecond clock plus a process-wide counter, so that two
// seedings within the same millisecond still differ.
void SeedRandomFromClock();
uint32_t NextRandom();

// low + (next mod (span + 1)) with the bound rules of RandomNumber: a negative
// or omitted bound is 0 (minimum) or 2147483647 (maximum); swapped bounds are
// put in order.
int32_t RandomBetween(int32_t minimum, int32_t maximum);

}  // namespace services
