// Stored properties of the label.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct LabelData : StoredProperties<LabelData> {
    static constexpr uint32_t kMaxVersion = 2;
    uint32_t version = kMaxVersion;
    int32_t effect = 0;
    int32_t BorderWidth = 5;
    int32_t border = 0;
    uint32_t BorderColor1 = kDefaultColour;
    uint32_t BorderColor2 = kDefaultColour;
    uint32_t BorderColor3 = kDefaultColour;
    uint32_t TextColor = 0;
    uint32_t BackColor = kDefaultColour;
    int32_t PictureMode = 0;
    int32_t GradientStyle = 0;
    uint32_t GradientColor1 = kDefaultColour;
    uint32_t GradientColor2 = kDefaultColour;
    uint32_t GradientColor3 = kDefaultColour;
    int32_t HAlign = 0;
    int32_t VAlign = 0;
    bool WordWrap = false;
    std::optional<rt::LogFont> font;
    Bytes BackPicture;
    std::string caption;
    std::string DataSource;  // since version 2
    std::string DataColumn;  // since version 2

    // Storage order, with the version each field appeared in.
    static std::span<const Field<LabelData>> Fields();
};

}  // namespace components
