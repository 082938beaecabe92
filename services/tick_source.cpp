#include "services/tick_source.h"

// The Windows build takes the system tick count (tick_source_win32.cpp).
#if !defined(_WIN32)
#include <chrono>

namespace services {

uint32_t MillisecondTicks() {
    auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace services
#endif
