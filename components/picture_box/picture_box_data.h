// Stored properties of the picture box.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct PictureBoxData : StoredProperties<PictureBoxData> {
    static constexpr uint32_t kMaxVersion = 2;
    uint32_t version = kMaxVersion;
    int32_t border = 0;
    uint32_t BackColor = kDefaultColour;
    int32_t PictureMode = 0;
    bool PlayAnimation = true;
    Bytes picture;
    std::string DataSource;  // since version 2
    std::string DataColumn;  // since version 2

    // Storage order, with the version each field appeared in.
    static std::span<const Field<PictureBoxData>> Fields();
};

}  // namespace components
