// Stored properties of the window component.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/properties/property_layout.h"

namespace components {

struct WindowData : StoredProperties<WindowData> {
    static constexpr uint32_t kMaxVersion = 6;
    uint32_t version = kMaxVersion;
    int32_t border = 2;
    int32_t PictureMode = 1;
    uint32_t BackColor = kDefaultColour;
    bool MaxButton = false;
    bool MinButton = true;
    bool ControlBox = true;
    int32_t StartPosition = 1;
    bool Movable = true;
    int32_t MusicPlayMode = 0;
    bool EnterMovesFocus = false;
    bool EscCloses = true;
    bool F1Help = false;
    int32_t HelpContext = 0;
    bool ShowInTaskbar = true;  // since version 2
    bool DragAnywhere = false;  // since version 3
    int32_t shape = 0;  // since version 3
    bool TopMost = false;  // since version 4
    bool KeepTitleActive = false;  // since version 5
    std::string ClassName;  // since version 6
    Bytes BackPicture;
    Bytes BackMusic;
    Bytes icon;
    std::string caption;
    std::string HelpFile;

    // Storage order, with the version each field appeared in.
    static std::span<const Field<WindowData>> Fields();
};

}  // namespace components
