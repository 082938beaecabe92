// Small helpers shared by the command functions: reading optional arguments
// and writing results. An argument is "given" when it is present and its type
// code is not 0.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/value_record.h"
#include "runtime/values.h"

namespace services::arguments {

inline const rt::ValueRecord* Given(int argumentCount, const rt::ValueRecord* arguments, int index) {
    if (!arguments || index >= argumentCount || arguments[index].type == rt::kTypeNone) return nullptr;
    return &arguments[index];
}

// The text of an argument of text type; empty for anything else.
inline std::string_view TextOf(const rt::ValueRecord* argument) {
    if (!argument || argument->type != rt::kTypeText || !rt::AsText(*argument)) return {};
    return std::string_view(rt::AsText(*argument));
}

inline std::string_view ByteSetOf(const rt::ValueRecord* argument) {
    if (!argument || argument->type != rt::kTypeByteSet) return {};
    return rt::ByteSetView(rt::AsByteSet(*argument));
}

inline int32_t IntegerOr(const rt::ValueRecord* argument, int32_t fallback) {
    return argument ? rt::AsInteger(*argument) : fallback;
}

inline void SetInteger(rt::ValueRecord* result, int32_t value) { *result = rt::MakeInteger(value); }
inline void SetBool(rt::ValueRecord* result, bool value) { *result = rt::MakeBool(value); }
inline void SetDouble(rt::ValueRecord* result, double value) { *result = rt::MakeDouble(value); }
// The result takes a new text (null for empty).
inline void SetText(rt::ValueRecord* result, std::string_view text) {
    *result = rt::MakeText(rt::CopyText(text));
}
inline void SetByteSet(rt::ValueRecord* result, std::string_view bytes) {
    *result = rt::MakeByteSetValue(rt::CopyBytes(bytes.data(), bytes.size()));
}

}  // namespace services::arguments
