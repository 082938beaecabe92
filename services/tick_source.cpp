#include "services/tick_source.h"

#include <atomic>

namespace services {
namespace {
std::atomic<TickReader> g_reader{nullptr};
}  // namespace

uint32_t MillisecondTicks() {
    TickReader reader = g_reader.load(std::memory_order_acquire);
    return reader ? reader() : SystemMillisecondTicks();
}

void ReplaceTickSource(TickReader reader) { g_reader.store(reader, std::memory_order_release); }

}  // namespace services

// The Windows build takes the system tick count (tick_source_win32.cpp).
#if !defined(_WIN32)
#include <chrono>

namespace services {

uint32_t SystemMillisecondTicks() {
    auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace services
#endif
