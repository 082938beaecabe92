#include "services/random_generator.h"

#include <atomic>
#include <utility>

#include "services/tick_source.h"

namespace services {
namespace {

thread_local uint32_t t_state = 1;
std::atomic<uint32_t> g_seedCounter{0};

}  // namespace

void SeedRandom(uint32_t seed) { t_state = seed; }

void SeedRandomFromClock() {
    uint32_t ticks = MillisecondTicks();
    uint32_t counter = g_seedCounter.load();
    while (!g_seedCounter.compare_exchange_weak(counter, counter + ((ticks + counter) & 0xFF) + 100)) {
    }
    SeedRandom(ticks + counter);
}

uint32_t NextRandom() {
    t_state = t_state * 214013u + 2531011u;
    return (t_state >> 16) & 0x7FFF;
}

int32_t RandomBetween(int32_t minimum, int32_t maximum) {
    int32_t low = minimum >= 0 ? minimum : 0;
    int32_t high = maximum >= 0 ? maximum : 2147483647;
    if (low > high) std::swap(low, high);
    if (low == high) return low;
    uint32_t span = static_cast<uint32_t>(high - low);
    if (span == 2147483647u) span = 2147483646u;
    return low + static_cast<int32_t>(NextRandom() % (span + 1));
}

}  // namespace services
