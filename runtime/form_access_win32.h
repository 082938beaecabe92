// Access to loaded forms and their components for commands and components.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// The window of a component (unit id of the window itself: the form window);
// null when the form or component is not loaded.
HWND WindowOfComponent(uint32_t formId, uint32_t unitId);

}  // namespace rt
