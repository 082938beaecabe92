// Names used in form sources for component types, mouse pointers and unit
// flags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace formsource {

// `window`, `edit_box`, ..., or "L:I" for a type without a name.
std::optional<uint32_t> ParseTypeName(std::string_view name);
std::string TypeName(uint32_t typeReference);

// Standard cursor ids by the names of the mouse-pointer indices 0–14.
std::optional<uint32_t> CursorIdByName(std::string_view name);
const char* CursorName(uint32_t cursorId);  // null for an id without a name

struct FlagName {
    const char* name;
    uint32_t bit;
};
extern const FlagName kUnitFlagNames[3];

}  // namespace formsource
