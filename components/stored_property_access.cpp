#include "components/stored_property_access.h"

namespace components {

rt::PropertyValue FontValue(const std::optional<LogFont>& font) {
    rt::PropertyValue value;
    if (!font) return value;
    uint8_t bytes[LogFont::kSize];
    font->ToBytes(bytes);
    value.bytes.assign(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return value;
}

std::optional<LogFont> FontFromValue(const rt::PropertyValue& value) {
    if (value.bytes.size() != LogFont::kSize) return std::nullopt;
    return LogFont::FromBytes(reinterpret_cast<const uint8_t*>(value.bytes.data()));
}

}  // namespace components
