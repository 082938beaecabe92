// Fonts of the display components. Texts are Chinese whatever the system
// locale, so fonts ask the font mapper for the GB2312 character set where the
// system would otherwise pick a face without Chinese glyphs.
#pragma once

#include <windows.h>

#include <optional>

#include "runtime/log_font.h"

namespace components {

// The system's default GUI font, with the GB2312 character set when its own
// set is a Western one. Owned by the runtime; never delete it.
HFONT DefaultComponentFont();

// A font from a stored LOGFONTA (face name in GBK); null when there is none
// or it cannot be created. The caller deletes it.
HFONT CreateStoredFont(const std::optional<rt::LogFont>& font);

}  // namespace components
