#include "runtime/component_type_names.h"

#include <charconv>

#include "runtime/type_references.h"

namespace rt {
namespace {

struct NamedType {
    uint32_t reference;
    const char* name;
};

constexpr NamedType kNamedTypes[] = {
    {kWindowTypeReference, "window"},
    {kMenuItemTypeReference, "menu_item"},
    {kEditBoxTypeReference, "edit_box"},
    {kPictureBoxTypeReference, "picture_box"},
    {kLabelTypeReference, "label"},
    {kButtonTypeReference, "button"},
    {kCheckBoxTypeReference, "check_box"},
    {kComboBoxTypeReference, "combo_box"},
    {kTimerTypeReference, "timer"},
    {kClientTypeReference, "client"},
    {kImageButtonTypeReference, "image_button"},
    {kTransparentLabelTypeReference, "transparent_label"},
};

bool ParsePart(std::string_view text, uint32_t* value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && *value <= 0xFFFF;
}

}  // namespace

const char* ComponentTypeName(uint32_t typeReference) {
    for (const NamedType& type : kNamedTypes)
        if (type.reference == typeReference) return type.name;
    return nullptr;
}

std::optional<uint32_t> TypeReferenceByName(std::string_view name) {
    for (const NamedType& type : kNamedTypes)
        if (name == type.name) return type.reference;
    return std::nullopt;
}

std::optional<uint32_t> ParseLibraryAndIndex(std::string_view text) {
    size_t colon = text.find(':');
    uint32_t library = 0, index = 0;
    if (colon == std::string_view::npos || !ParsePart(text.substr(0, colon), &library) ||
        !ParsePart(text.substr(colon + 1), &index))
        return std::nullopt;
    return ComponentTypeCode(library, index);
}

std::string TypeReferenceText(uint32_t typeReference) {
    if (const char* name = ComponentTypeName(typeReference)) return name;
    return std::to_string(typeReference >> 16) + ":" + std::to_string(typeReference & 0xFFFF);
}

}  // namespace rt
