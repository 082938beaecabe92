#include "runtime/template_slot.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace rt {

uint32_t NarrowToSlot(uint64_t value, const char* what) {
    if (value >> 32) {
        std::fprintf(stderr, "%s: address 0x%016" PRIx64 " does not fit a 32-bit template slot\n", what, value);
        std::fflush(stderr);
        std::_Exit(3);
    }
    return static_cast<uint32_t>(value);
}

}  // namespace rt
