#include "tools/form_source/source_names.h"

#include <charconv>

#include "runtime/unit_record.h"

namespace formsource {

namespace {

struct TypeEntry {
    const char* name;
    uint32_t reference;
};
const TypeEntry kTypes[] = {
    {"window", TypeReference(1, 1)},        {"menu_item", kMenuItemType},
    {"edit_box", TypeReference(1, 5)},      {"picture_box", TypeReference(1, 6)},
    {"label", TypeReference(1, 10)},        {"button", TypeReference(1, 11)},
    {"check_box", TypeReference(1, 12)},    {"combo_box", TypeReference(1, 14)},
    {"timer", TypeReference(1, 32)},        {"client", TypeReference(1, 37)},
    {"image_button", TypeReference(2, 1)},  {"transparent_label", TypeReference(8, 5)},
};

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

bool ParseDecimal(std::string_view text, uint32_t* value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

const FlagName kUnitFlagNames[3] = {
    {"visible", rt::kUnitFlagVisible},
    {"disabled", rt::kUnitFlagDisabled},
    {"tab_stop", rt::kUnitFlagTabStop},
};

std::optional<uint32_t> ParseTypeName(std::string_view name) {
    for (const TypeEntry& type : kTypes) {
        if (name == type.name) return type.reference;
    }
    size_t colon = name.find(':');
    uint32_t library, index;
    if (colon == std::string_view::npos || !ParseDecimal(name.substr(0, colon), &library) ||
        !ParseDecimal(name.substr(colon + 1), &index) || library > 0xFFFF || index > 0xFFFF) {
        return std::nullopt;
    }
    return TypeReference(library, index);
}

std::string TypeName(uint32_t typeReference) {
    for (const TypeEntry& type : kTypes) {
        if (type.reference == typeReference) return type.name;
    }
    return std::to_string(typeReference >> 16) + ":" + std::to_string(typeReference & 0xFFFF);
}

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
