// Own-property values between the component types' raw form and the 8-byte
// payloads program code reads and writes, by the property's kind. Texts,
// byte data and arrays handed to program code are new runtime blocks.
#pragma once

#include <cstdint>

#include "runtime/property_value.h"

namespace rt {

inline uint64_t PointerPayload(const void* pointer) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
}
inline const void* PayloadAddress(uint64_t payload) {
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(payload));
}

// A raw value as program code sees it; `member` picks one font member (-1:
// the whole value).
uint64_t ConvertForProgram(uint32_t kind, const PropertyValue& raw, int32_t member);

// A program value as the raw value a set function takes; `current` is the
// property's value before the write (needed when one font member changes).
PropertyValue ConvertFromProgram(uint32_t kind, uint64_t payload, int32_t member, const PropertyValue& current);

}  // namespace rt
