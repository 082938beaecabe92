#include "tools/form_source/source_names.h"

#include "runtime/component_type_names.h"
#include "runtime/unit_record.h"

namespace formsource {

namespace {

struct CursorEntry {
    const char* name;
    uint32_t id;
};
const CursorEntry kCursors[] = {
    {"default", 0},           {"arrow", 0x7F00},     {"cross", 0x7F03},    {"ibeam", 0x7F01},
    {"wait", 0x7F02},         {"help", 0x7F8B},      {"app_starting", 0x7F8A}, {"no", 0x7F88},
    {"size_all", 0x7F86},     {"size_nesw", 0x7F83}, {"size_ns", 0x7F85},  {"size_nwse", 0x7F82},
    {"size_we", 0x7F84},      {"up_arrow", 0x7F04},  {"hand", 0x7F89},
};

}  // namespace

const FlagName kUnitFlagNames[3] = {
    {"visible", rt::kUnitFlagVisible},
    {"disabled", rt::kUnitFlagDisabled},
    {"tab_stop", rt::kUnitFlagTabStop},
};

std::optional<uint32_t> ParseTypeName(std::string_view name) {
    if (std::optional<uint32_t> named = rt::TypeReferenceByName(name)) return named;
    return rt::ParseLibraryAndIndex(name);
}

std::string TypeName(uint32_t typeReference) { return rt::TypeReferenceText(typeReference); }

std::optional<uint32_t> CursorIdByName(std::string_view name) {
    for (const CursorEntry& cursor : kCursors) {
        if (name == cursor.name) return cursor.id;
    }
    return std::nullopt;
}

const char* CursorName(uint32_t cursorId) {
    for (const CursorEntry& cursor : kCursors) {
        if (cursor.id == cursorId) return cursor.name;
    }
    return nullptr;
}

}  // namespace formsource
