// Stored properties of the button.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct ButtonData : StoredProperties<ButtonData> {
    static constexpr uint32_t kMaxVersion = 1;
    uint32_t version = kMaxVersion;
    int32_t ButtonType = 0;
    int32_t HAlign = 1;
    int32_t VAlign = 1;
    Bytes picture;
    std::optional<rt::LogFont> font;
    std::string caption;

    // Storage order, with the version each field appeared in.
    static std::span<const Field<ButtonData>> Fields();
};

}  // namespace components
