// The window template fixes 32-bit slots for values that are addresses at run
// time: object pointers in unit slots, by-reference event arguments and
// relocated handler entries. On the i686 product every address fits. The
// x86_64 test target links with a low image base and without high-entropy
// addresses so that they fit there too, and narrows through NarrowToSlot,
// which stops the program with a message rather than keep a truncated value.
#pragma once

#include <cstdint>

namespace rt {

// `value` as a slot word; a value with any of its upper 32 bits set prints
// "<what>: address 0x... does not fit a 32-bit template slot" and ends the
// process (exit code 3).
uint32_t NarrowToSlot(uint64_t value, const char* what);

inline uint32_t PointerToSlot(const void* pointer, const char* what) {
    return NarrowToSlot(reinterpret_cast<uintptr_t>(pointer), what);
}

// Handler offsets in the template count 4-byte words of the program's handler
// table (one entry of the i686 product); relocation scales them to the width
// of this build's entries.
constexpr uint32_t kHandlerOffsetUnit = 4;
constexpr uint32_t HandlerOffsetOf(uint32_t index) { return index * kHandlerOffsetUnit; }
constexpr uint32_t HandlerIndexOf(uint32_t offset) { return offset / kHandlerOffsetUnit; }

}  // namespace rt
