#include "components/properties/stored_property_access.h"

namespace components {

rt::PropertyValue FontValue(const std::optional<rt::LogFont>& font) {
    rt::PropertyValue value;
    if (!font) return value;
    uint8_t bytes[rt::LogFont::kSize];
    font->ToBytes(bytes);
    value.bytes.assign(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return value;
}

std::optional<rt::LogFont> FontFromValue(const rt::PropertyValue& value) {
    if (value.bytes.size() != rt::LogFont::kSize) return std::nullopt;
    return rt::LogFont::FromBytes(reinterpret_cast<const uint8_t*>(value.bytes.data()));
}

}  // namespace components
