// Stored properties of the combo box.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct ComboBoxData : StoredProperties<ComboBoxData> {
    static constexpr uint32_t kMaxVersion = 3;
    uint32_t version = kMaxVersion;
    int32_t ComboType = 1;
    int32_t MaxAllowLength = 0;
    int32_t SelStart = 0;
    int32_t SelLength = 0;
    bool sorted = false;
    int32_t ItemHeightExtra = 0;
    uint32_t TextColor = 0;
    uint32_t BackColor = kDefaultColour;
    int32_t CurSel = -1;
    std::optional<rt::LogFont> font;
    std::vector<uint32_t> ItemData;
    std::string content;
    std::vector<std::string> items;
    std::string DataSource;  // since version 2
    std::string DataColumn;  // since version 2
    uint32_t hiddenFlag = 0;  // since version 3

    // Storage order, with the version each field appeared in.
    static std::span<const Field<ComboBoxData>> Fields();
};

}  // namespace components
