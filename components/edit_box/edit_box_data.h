// Stored properties of the edit box.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct EditBoxData : StoredProperties<EditBoxData> {
    static constexpr uint32_t kMaxVersion = 2;
    uint32_t version = kMaxVersion;
    int32_t border = 1;
    uint32_t TextColor = 0;
    uint32_t BackColor = 0xFFFFFF;
    bool HideSel = true;
    int32_t MaxAllowLength = 0;
    bool AllowMultiLines = false;
    int32_t ScrollBars = 0;
    int32_t HAlign = 0;
    int32_t InputMode = 0;
    uint16_t PasswordChar = '*';
    int32_t CaseConvert = 0;
    int32_t SpinMode = 0;
    int32_t SpinMin = 0;
    int32_t SpinMax = 100;
    int32_t SelStart = 0;
    int32_t SelLength = 0;
    std::optional<rt::LogFont> font;
    std::string content;
    std::string DataSource;  // since version 2
    std::string DataColumn;  // since version 2

    // Storage order, with the version each field appeared in.
    static std::span<const Field<EditBoxData>> Fields();
};

}  // namespace components
