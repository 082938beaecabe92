// Stored properties of the check box.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct CheckBoxData : StoredProperties<CheckBoxData> {
    static constexpr uint32_t kMaxVersion = 2;
    uint32_t version = kMaxVersion;
    bool PushLike = false;
    bool flat = false;
    bool TextOnLeft = false;
    int32_t HAlign = 0;
    int32_t VAlign = 1;
    uint32_t TextColor = 0;
    uint32_t BackColor = kDefaultColour;
    bool Checked = false;
    Bytes picture;
    std::optional<rt::LogFont> font;
    std::string caption = "选择框";
    std::string DataSource;  // since version 2
    std::string DataColumn;  // since version 2

    // Storage order, with the version each field appeared in.
    static std::span<const Field<CheckBoxData>> Fields();
};

}  // namespace components
