// Stored properties of the client socket: the format version and the border
// flag (1 adds a border to its notification window).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct ClientSocketData : StoredProperties<ClientSocketData> {
    static constexpr uint32_t kMaxVersion = 1;
    uint32_t version = kMaxVersion;
    uint32_t borderFlag = 0;

    // Storage order, with the version each field appeared in.
    static std::span<const Field<ClientSocketData>> Fields();
};

}  // namespace components
