// Stored properties of the transparent label.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct TransparentLabelData : StoredProperties<TransparentLabelData> {
    static constexpr uint32_t kMaxVersion = 1;
    uint32_t version = kMaxVersion;
    int32_t effect = 0;
    uint32_t TextColor = 0;
    int32_t HAlign = 0;
    int32_t VAlign = 0;
    bool WordWrap = false;
    std::optional<rt::LogFont> font;
    std::string caption;

    // Storage order, with the version each field appeared in.
    static std::span<const Field<TransparentLabelData>> Fields();
};

}  // namespace components
