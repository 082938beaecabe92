// Stored properties of the timer: a negative interval is read as 0.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct TimerData : StoredProperties<TimerData> {
    static constexpr uint32_t kMaxVersion = 1;
    uint32_t version = kMaxVersion;
    int32_t interval = 0;

    // Storage order, with the version each field appeared in.
    static std::span<const Field<TimerData>> Fields();
};

}  // namespace components
