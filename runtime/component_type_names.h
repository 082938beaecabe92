// The names component types go by where people write or read them (form
// sources, the UI driver's commands and answers): "window", "edit_box", ...;
// a type without a name is written "LIBRARY:INDEX" in decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rt {

// Null for a type without a name.
const char* ComponentTypeName(uint32_t typeReference);
// The type of that name; nullopt for any other text.
std::optional<uint32_t> TypeReferenceByName(std::string_view name);

// "LIBRARY:INDEX", each part decimal and at most 0xFFFF, zero included (a
// template may hold any word there); nullopt for anything else.
std::optional<uint32_t> ParseLibraryAndIndex(std::string_view text);
// The type's name, or "LIBRARY:INDEX" for a type without one.
std::string TypeReferenceText(uint32_t typeReference);

}  // namespace rt
