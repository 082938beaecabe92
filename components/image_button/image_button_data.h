// Stored properties of the image button.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct ImageButtonData : StoredProperties<ImageButtonData> {
    static constexpr uint32_t kMaxVersion = 2;
    uint32_t version = kMaxVersion;
    int32_t BtnStyle = 1;
    bool CheckBox = false;
    bool Checked = false;
    int32_t AlignStyle = 0;
    int32_t PressStyle = 0;
    bool DrawBorder = true;
    bool DrawFocus = true;
    uint32_t TransColorIn = kDefaultColour;
    uint32_t TransColorOut = kDefaultColour;
    bool DefaultColor = false;
    bool StandardSound = false;
    int32_t DefaultStyle = 0;
    uint32_t FgColorOut = 0;
    uint32_t BkColorOut = kDefaultColour;
    uint32_t FgColorIn = 0;
    uint32_t BkColorIn = kDefaultColour;
    uint32_t FgColorFocus = 0;
    uint32_t BkColorFocus = kDefaultColour;
    Bytes PicIn;
    Bytes PicOut;
    std::optional<rt::LogFont> font;
    Bytes OverSound;
    Bytes ClickSound;
    std::string caption;
    std::string ToolTip;
    uint32_t TransColorDisabled = kDefaultColour;  // since version 2
    Bytes PicDisabled;  // since version 2

    // Storage order, with the version each field appeared in.
    static std::span<const Field<ImageButtonData>> Fields();
};

}  // namespace components
